// Printing: the printer the program prints on, the print and Print Setup
// dialogs, and what the print loop (CView's, in viewprint.cpp) asks of them.
#ifndef RUVOK_PRINTING_H
#define RUVOK_PRINTING_H

#include "dc.h"

#include <functional>
#include <string>

class CPrintingDialog;
class QPrinter;

// The printer: the default one at first, then as the print dialog and Print
// Setup leave it, for as long as the program runs.
QPrinter& AfxGetPrinter();

// Answers the print dialog (bSetup FALSE) or Print Setup (bSetup TRUE) for
// the user, changing printer as the user would: TRUE for OK, FALSE for
// Cancel. An empty hook restores the real dialogs; returns the old hook.
using AfxPrintDialogHook = std::function<BOOL(QPrinter& printer, BOOL bSetup)>;
AfxPrintDialogHook AfxSetPrintDialogHook(AfxPrintDialogHook hook);

// Called after each page a job has printed, with the progress box.
using AfxPrintPageHook = std::function<void(CPrintingDialog& box, UINT nPage)>;
AfxPrintPageHook AfxSetPrintPageHook(AfxPrintPageHook hook);

// The print dialog (bSetup FALSE) or Print Setup (bSetup TRUE), through the
// hook when one is set: TRUE for OK.
BOOL AfxRunPrinterDialog(QPrinter& printer, BOOL bSetup);
// Tells the page hook, if one is set, that page nPage has printed.
void AfxPrintedPage(CPrintingDialog& box, UINT nPage);

// Whether printer prints into a file (a PDF) rather than on a printer.
bool AfxPrintsToFile(const QPrinter& printer);
// Asks where a job printed to a file goes (a name that is not UTF-8 is
// refused, with the message); FALSE when cancelled or refused.
BOOL AfxPromptPrintFile(QPrinter& printer);
// A job prints on a printer of its own, set up as the kept one: a printer
// whose job failed or was dropped keeps its broken output in Qt and would
// lose the next job into it.
void AfxCopyPrinterSettings(const QPrinter& from, QPrinter& to);

// A printer named on the command line ("/pt FILE PRINTER DRIVER PORT").
struct AfxPrintTarget {
    std::string printer;
    std::string driver;
    std::string port;
};

// Whether a job on printer could start at all: a printer that is installed,
// or a file to print into.
BOOL AfxCanStartPrintJob(const QPrinter& printer);

// "/p FILE" and "/pt FILE PRINTER DRIVER PORT": opens the file and prints it
// without the print dialog, on the current printer or on the one pTarget
// names. TRUE when it was printed. FALSE when the file could not be opened
// (the open's message shown) or no job could start (message 0xF106: no
// printer installed, or one that does not exist).
BOOL AfxPrintDocumentFile(LPCTSTR lpszFileName, const AfxPrintTarget* pTarget = nullptr);
// The same for a document already open (the command line opens its file
// without showing the window).
BOOL AfxPrintDocument(CDocument* pDoc, const AfxPrintTarget* pTarget = nullptr);

#endif
