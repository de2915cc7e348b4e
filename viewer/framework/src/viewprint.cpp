// CView's printing: the steps a view overrides, the print dialog before a
// job, the print loop with its progress box, and the Print Preview command;
// and a document or file printed through its view without the dialog ("/p",
// "/pt", a second start's print).
#include "view.h"

#include "app.h"
#include "dialogplace.h"
#include "document.h"
#include "msgbox.h"
#include "preview.h"
#include "printdlgs.h"
#include "printing.h"
#include "qstrings.h"
#include "strings_table.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

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
    return AfxRunPrinterDialog(printer, FALSE);
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
    if (AfxPrintsToFile(printer) && (info.m_bDirect || printer.outputFileName().isEmpty())
        && !AfxPromptPrintFile(printer))
        return FALSE;

    CDocument* pDoc = GetDocument();
    const std::string title = pDoc != nullptr ? pDoc->GetTitle() : std::string();

    QPrinter job(QPrinter::HighResolution);
    AfxCopyPrinterSettings(printer, job);
    info.m_pPrinter = &job;
    CDC dc;
    dc.CreatePrinterDC(&job);
    OnBeginPrinting(&dc, &info);

    // The progress box, with where the output goes.
    QPointer<CPrintingDialog> box = new CPrintingDialog(AfxGetDialogOwner());
    box->SetDocName(AfxQText(title));
    QString printerName = job.printerName();
    QString where;
    if (AfxPrintsToFile(job)) {
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
            AfxPrintedPage(*box, info.m_nCurPage);
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

void CView::OnFilePrintPreview()
{
    CPreviewView::Open(this);
}

// ---------------------------------------------------------------------------
// A document printed without the print dialog, through its view

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
