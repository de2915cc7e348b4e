// CDC, CPaintDC and CPrintInfo: drawing on a window or a printer (see dc.h).
#include "dc.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QWidget>

#include <algorithm>

CDC::CDC() = default;

CDC::~CDC()
{
    // A job still open is dropped.
    if (m_pPrinter != nullptr && m_pPainter != nullptr)
        AbortDoc();
    delete m_pPainter;
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd)
{
    // Qt draws on a widget only inside its paint event; elsewhere the cycle
    // has nothing to draw on and paints nothing, as an empty update region.
    QWidget* pWidget = pWnd != nullptr ? pWnd->GetWidget() : nullptr;
    if (pWidget != nullptr && pWidget->testAttribute(Qt::WA_WState_InPaintEvent))
        m_pPainter = new QPainter(pWidget);
}

CPaintDC::~CPaintDC()
{
    if (m_pPainter != nullptr)
        m_pPainter->end();
}

BOOL CDC::CreatePrinterDC(QPrinter* pPrinter, BOOL bPreview)
{
    if (pPrinter == nullptr || m_pPainter != nullptr)
        return FALSE;
    m_pPrinter = pPrinter;
    m_bPreview = bPreview;
    return TRUE;
}

int CDC::StartDoc(LPCTSTR lpszDocName)
{
    if (m_pPrinter == nullptr || m_pPainter != nullptr)
        return SP_ERROR;
    if (lpszDocName != nullptr)
        m_pPrinter->setDocName(QString::fromUtf8(lpszDocName));
    m_pPainter = new QPainter;
    if (!m_pPainter->begin(m_pPrinter)) {
        delete m_pPainter;
        m_pPainter = nullptr;
        return SP_ERROR;
    }
    m_nPagesStarted = 0;
    return 1;
}

int CDC::StartPage()
{
    if (m_pPainter == nullptr)
        return SP_ERROR;
    // The painter opens on the first page; each later one is a new page.
    if (m_nPagesStarted++ > 0 && !m_pPrinter->newPage())
        return SP_ERROR;
    return 1;
}

int CDC::EndPage()
{
    return m_pPainter != nullptr ? 1 : SP_ERROR;
}

int CDC::EndDoc()
{
    if (m_pPainter == nullptr)
        return SP_ERROR;
    const bool ok = m_pPainter->end();
    delete m_pPainter;
    m_pPainter = nullptr;
    return ok ? 1 : SP_ERROR;
}

int CDC::AbortDoc()
{
    if (m_pPainter == nullptr)
        return SP_ERROR;
    m_pPrinter->abort();
    m_pPainter->end();
    delete m_pPainter;
    m_pPainter = nullptr;
    // A file cut off in the middle is no use to anyone; a device named as
    // the output (/dev/null, a printer port) stays, of course.
    const QString file = m_pPrinter->outputFileName();
    if (!m_bPreview && !file.isEmpty() && QFileInfo(file).isFile())
        QFile::remove(file);
    return 1;
}

int CDC::GetDeviceCaps(int nIndex) const
{
    if (m_pPrinter == nullptr)
        return 0;
    switch (nIndex) {
    case HORZRES:
        return m_pPrinter->width();
    case VERTRES:
        return m_pPrinter->height();
    case LOGPIXELSX:
        return m_pPrinter->logicalDpiX();
    case LOGPIXELSY:
        return m_pPrinter->logicalDpiY();
    default:
        return 0;
    }
}

CPrintInfo::CPrintInfo() = default;

CPrintInfo::~CPrintInfo() = default;

UINT CPrintInfo::GetFromPage() const
{
    if (m_pPrinter != nullptr && m_pPrinter->printRange() == QPrinter::PageRange
        && m_pPrinter->fromPage() > 0)
        return std::max(m_nMinPage, static_cast<UINT>(m_pPrinter->fromPage()));
    return m_nMinPage;
}

UINT CPrintInfo::GetToPage() const
{
    if (m_pPrinter != nullptr && m_pPrinter->printRange() == QPrinter::PageRange
        && m_pPrinter->toPage() > 0)
        return std::min(m_nMaxPage, static_cast<UINT>(m_pPrinter->toPage()));
    return m_nMaxPage;
}
