// Printing: the printer, its dialogs and the file a job prints into. The
// print loop is CView's, and a document printed from the command line or a
// second start goes through its view (viewprint.cpp).
#include "printing.h"

#include "dialogplace.h"
#include "exceptions.h"
#include "filename.h"
#include "msgbox.h"
#include "printdlgs.h"
#include "printsetup.h"
#include "qstrings.h"
#include "strings_table.h"

#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <cerrno>
#include <memory>

namespace {

AfxPrintDialogHook& PrintDialogHook()
{
    static AfxPrintDialogHook hook;
    return hook;
}

AfxPrintPageHook& PrintPageHook()
{
    static AfxPrintPageHook hook;
    return hook;
}

QWidget* DialogParent()
{
    return AfxGetDialogOwner();
}

}  // namespace

BOOL AfxRunPrinterDialog(QPrinter& printer, BOOL bSetup)
{
    if (PrintDialogHook())
        return PrintDialogHook()(printer, bSetup);
    if (bSetup) {
        CPrintSetupDialog dialog(printer);
        return dialog.DoModal() == IDOK;
    }
    QPrintDialog dialog(&printer, DialogParent());
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange
                      | QAbstractPrintDialog::PrintShowPageSize);
    AfxFitDialogToScreen(&dialog);
    return dialog.exec() == QDialog::Accepted;
}

bool AfxPrintsToFile(const QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat;
}

BOOL AfxPromptPrintFile(QPrinter& printer)
{
    AfxFileDialogRequest request;
    request.bOpenFileDialog = FALSE;
    request.title = AfxLoadString(AFX_IDS_PRINTCAPTION);
    // The file of the last job, else the usual name.
    request.fileName = printer.outputFileName().isEmpty() ? AfxLoadString(AFX_IDS_PRINTDEFAULT)
                                                          : printer.outputFileName().toStdString();
    request.defaultExt = AfxLoadString(AFX_IDS_PRINTDEFAULTEXT);
    // "name|pattern|name|pattern||"
    const std::string filter = AfxLoadString(AFX_IDS_PRINTFILTER);
    std::string name;
    std::string pattern;
    for (int i = 0; AfxExtractSubString(name, filter, i, '|') &&
                    AfxExtractSubString(pattern, filter, i + 1, '|') && !name.empty();
         i += 2) {
        // "*.*" lists every file, names without a dot included.
        request.filters.push_back({name, pattern == "*.*" ? std::string("*") : pattern});
    }
    if (!AfxDoFileDialog(request))
        return FALSE;
#ifndef _WIN32
    // The printer writes under a decoded name: a name that is not UTF-8
    // would become another file's, which the job would write over.
    if (!AfxIsUtf8(request.fileName)) {
        std::string message;
        CFileException(CFileException::badPath, EINVAL, request.fileName).GetErrorMessage(message);
        AfxMessageBox(message, MB_ICONEXCLAMATION);
        return FALSE;
    }
#endif
    printer.setOutputFileName(AfxQText(request.fileName));
    return TRUE;
}

void AfxCopyPrinterSettings(const QPrinter& from, QPrinter& to)
{
    if (from.outputFormat() == QPrinter::PdfFormat) {
        to.setOutputFormat(QPrinter::PdfFormat);
        to.setOutputFileName(from.outputFileName());
    } else {
        to.setOutputFormat(QPrinter::NativeFormat);
        to.setPrinterName(from.printerName());
    }
    to.setPageLayout(from.pageLayout());
    to.setFullPage(from.fullPage());
    to.setCopyCount(from.copyCount());
    to.setCollateCopies(from.collateCopies());
    to.setColorMode(from.colorMode());
    to.setDuplex(from.duplex());
    to.setPageOrder(from.pageOrder());
    to.setPrintRange(from.printRange());
    to.setFromTo(from.fromPage(), from.toPage());
    to.setDocName(from.docName());
}

QPrinter& AfxGetPrinter()
{
    static std::unique_ptr<QPrinter> printer;
    if (printer == nullptr)
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer;
}

AfxPrintDialogHook AfxSetPrintDialogHook(AfxPrintDialogHook hook)
{
    AfxPrintDialogHook old = std::move(PrintDialogHook());
    PrintDialogHook() = std::move(hook);
    return old;
}

AfxPrintPageHook AfxSetPrintPageHook(AfxPrintPageHook hook)
{
    AfxPrintPageHook old = std::move(PrintPageHook());
    PrintPageHook() = std::move(hook);
    return old;
}

void AfxPrintedPage(CPrintingDialog& box, UINT nPage)
{
    if (PrintPageHook())
        PrintPageHook()(box, nPage);
}

BOOL AfxCanStartPrintJob(const QPrinter& printer)
{
    if (AfxPrintsToFile(printer))
        return !printer.outputFileName().isEmpty();
    return !printer.printerName().isEmpty()
           && !QPrinterInfo::printerInfo(printer.printerName()).isNull();
}
