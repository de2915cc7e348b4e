// Printing: the printer, its dialogs, the print loop and CView's printing members.
#include "printing.h"

#include "app.h"
#include "dialogplace.h"
#include "document.h"
#include "exceptions.h"
#include "filename.h"
#include "frame.h"
#include "msgbox.h"
#include "printdlgs.h"
#include "printsetup.h"
#include "qstrings.h"
#include "strings_table.h"
#include "view.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
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

// The print dialog or Print Setup, through the hook when there is one.
BOOL RunPrinterDialog(QPrinter& printer, BOOL bSetup)
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

bool PrintsToFile(const QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat;
}

// Asks where a job printed to a file goes; FALSE when cancelled.
BOOL PromptPrintFile(QPrinter& printer)
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

// A job prints on a printer of its own, set up as the kept one: a printer
// whose job failed or was dropped keeps its broken output in Qt and would
// lose the next job into it.
void CopyPrinterSettings(const QPrinter& from, QPrinter& to)
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

}  // namespace

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

BOOL AfxCanStartPrintJob(const QPrinter& printer)
{
    if (PrintsToFile(printer))
        return !printer.outputFileName().isEmpty();
    return !printer.printerName().isEmpty()
           && !QPrinterInfo::printerInfo(printer.printerName()).isNull();
}

// ---------------------------------------------------------------------------
// Print Setup

void CWinApp::OnFilePrintSetup()
{
    RunPrinterDialog(AfxGetPrinter(), TRUE);
}

// ---------------------------------------------------------------------------
// CView's printing

BOOL CView::OnPreparePrinting(CPrintInfo* pInfo)
{
    return DoPreparePrinting(pInfo);
}

void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}

void CView::OnPrepareDC(CDC*, CPrintInfo* pInfo)
{
    // Without a page count, a view prints one page.
    if (pInfo != nullptr && pInfo->GetMaxPage() == 0xFFFF && pInfo->m_nCurPage > 1)
        pInfo->m_bContinuePrinting = FALSE;
}

void CView::OnPrint(CDC* pDC, CPrintInfo*)
{
    OnDraw(pDC);
}

void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo)
{
    if (pInfo->m_bPreview)
        return pInfo->m_pPrinter != nullptr;
    if (pInfo->m_pPrinter == nullptr)
        pInfo->m_pPrinter = &AfxGetPrinter();
    if (pInfo->m_bDirect)
        return TRUE;
    QPrinter& printer = *pInfo->m_pPrinter;
    // The dialog names a file to print into after the document.
    if (CDocument* pDoc = GetDocument())
        printer.setDocName(AfxQText(pDoc->GetTitle()));
    printer.setFromTo(0, 0);
    printer.setPrintRange(QPrinter::AllPages);
    return RunPrinterDialog(printer, FALSE);
}

void CView::OnFilePrint()
{
    RunPrintJob(m_nCommandRunning == ID_FILE_PRINT_DIRECT);
}

BOOL CView::RunPrintJob(BOOL bDirect, const AfxPrintTarget* pTarget)
{
    CPrintInfo info;
    info.m_bDirect = bDirect;
    QPrinter& printer = AfxGetPrinter();
    info.m_pPrinter = &printer;
    if (pTarget != nullptr) {
        if (QPrinterInfo::printerInfo(AfxQText(pTarget->printer)).isNull()) {
            AfxMessageBox(AFX_IDP_FAILED_TO_START_PRINT);
            return FALSE;
        }
        printer.setOutputFileName(QString());
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(AfxQText(pTarget->printer));
        info.m_strPort = pTarget->port;
    }
    if (!OnPreparePrinting(&info))
        return FALSE;  // cancelled
    // Without the print dialog nobody chose the file: a job into a file
    // asks where, rather than write over the last job's file unasked.
    if (PrintsToFile(printer) && (info.m_bDirect || printer.outputFileName().isEmpty())
        && !PromptPrintFile(printer))
        return FALSE;

    CDocument* pDoc = GetDocument();
    const std::string title = pDoc != nullptr ? pDoc->GetTitle() : std::string();

    QPrinter job(QPrinter::HighResolution);
    CopyPrinterSettings(printer, job);
    info.m_pPrinter = &job;
    CDC dc;
    dc.CreatePrinterDC(&job);
    OnBeginPrinting(&dc, &info);

    // The progress box, with where the output goes.
    QPointer<CPrintingDialog> box = new CPrintingDialog(DialogParent());
    box->SetDocName(AfxQText(title));
    QString printerName = job.printerName();
    QString where;
    if (PrintsToFile(job)) {
        if (printerName.isEmpty())
            printerName = AfxQText(AfxLoadString(AFX_IDS_PRINTCAPTION));
        where = AfxQText(AfxFormatString1(AFX_IDS_PRINTTOFILE,
                                   QFileInfo(job.outputFileName()).fileName().toStdString()));
    } else {
        QString port = AfxQText(info.m_strPort);
        if (port.isEmpty())
            port = QPrinterInfo(job).location();
        if (port.isEmpty())
            port = printerName;
        where = AfxQText(AfxFormatString1(AFX_IDS_PRINTONPORT, port.toStdString()));
    }
    box->SetPrinterName(printerName);
    box->SetPortName(where);

    if (!AfxCanStartPrintJob(job) || dc.StartDoc(title.c_str()) == SP_ERROR) {
        OnEndPrinting(&dc, &info);
        delete box.data();
        AfxMessageBox(AFX_IDP_FAILED_TO_START_PRINT);
        return FALSE;
    }
    box->show();

    // Copies the printer does not make itself are printed here.
    const int copies = job.supportsMultipleCopies() ? 1 : std::max(1, job.copyCount());
    bool cancelled = false;
    bool failed = false;
    auto stopped = [&] {
        cancelled = !box || box->IsCancelled();
        return cancelled || failed;
    };
    for (int copy = 0; copy < copies && !stopped(); ++copy) {
        info.m_bContinuePrinting = TRUE;
        for (info.m_nCurPage = info.GetFromPage(); info.m_nCurPage <= info.GetToPage();
             ++info.m_nCurPage) {
            OnPrepareDC(&dc, &info);
            if (!info.m_bContinuePrinting)
                break;
            box->SetPage(info.m_nCurPage);
            QCoreApplication::processEvents();
            if (stopped())
                break;
            info.m_rectDraw = {0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES)};
            // A page that can't be begun is a job that can't be written.
            if (dc.StartPage() == SP_ERROR) {
                failed = true;
                break;
            }
            OnPrint(&dc, &info);
            dc.EndPage();
            if (PrintPageHook())
                PrintPageHook()(*box, info.m_nCurPage);
            QCoreApplication::processEvents();
            if (stopped())
                break;
        }
    }
    OnEndPrinting(&dc, &info);
    if (cancelled || failed)
        dc.AbortDoc();
    else if (dc.EndDoc() == SP_ERROR)
        failed = true;
    if (box) {
        box->hide();
        box->deleteLater();
    }
    // Cancelled by the user, the job just ends; failed, it says so.
    if (failed)
        AfxMessageBox(AFX_IDP_COMMAND_FAILURE);
    return cancelled || failed ? FALSE : TRUE;
}

BOOL AfxPrintDocumentFile(LPCTSTR lpszFileName, const AfxPrintTarget* pTarget)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return FALSE;
    CDocument* pDoc = pApp->OpenDocumentFile(lpszFileName);
    if (pDoc == nullptr)
        return FALSE;
    return AfxPrintDocument(pDoc, pTarget);
}

BOOL AfxPrintDocument(CDocument* pDoc, const AfxPrintTarget* pTarget)
{
    POSITION pos = pDoc->GetFirstViewPosition();
    CView* pView = pos != nullptr ? pDoc->GetNextView(pos) : nullptr;
    if (pView == nullptr)
        return FALSE;
    if (pTarget == nullptr && !AfxCanStartPrintJob(AfxGetPrinter())) {
        // No printer to print on, and no file named to print into.
        AfxMessageBox(AFX_IDP_FAILED_TO_START_PRINT);
        return FALSE;
    }
    return pView->RunPrintJob(TRUE, pTarget);
}
