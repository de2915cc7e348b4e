// The print preview's commands (see preview.h): the bar's buttons and the
// preview's keys run them; turning the pages, one or two pages, the zoom, and
// the page indicator and button states that follow each.
#include "preview.h"

#include "frame.h"
#include "previewpages.h"
#include "printdlgs.h"
#include "strings_table.h"

#include <QPushButton>

#include <algorithm>

BEGIN_MESSAGE_MAP(CPreviewView, CView)
    ON_COMMAND(AFX_ID_PREVIEW_CLOSE, OnPreviewClose)
    ON_COMMAND(AFX_ID_PREVIEW_PRINT, OnPreviewPrint)
    ON_COMMAND(ID_FILE_PRINT, OnPreviewPrint)
    ON_COMMAND(AFX_ID_PREVIEW_NEXT, OnNextPage)
    ON_COMMAND(AFX_ID_PREVIEW_PREV, OnPrevPage)
    ON_COMMAND(AFX_ID_PREVIEW_NUMPAGE, OnNumPageChange)
    ON_COMMAND(AFX_ID_PREVIEW_ZOOMIN, OnZoomIn)
    ON_COMMAND(AFX_ID_PREVIEW_ZOOMOUT, OnZoomOut)
    ON_UPDATE_COMMAND_UI(AFX_ID_PREVIEW_NEXT, OnUpdateNextPage)
    ON_UPDATE_COMMAND_UI(AFX_ID_PREVIEW_PREV, OnUpdatePrevPage)
    ON_UPDATE_COMMAND_UI(AFX_ID_PREVIEW_NUMPAGE, OnUpdateNumPageChange)
    ON_UPDATE_COMMAND_UI(AFX_ID_PREVIEW_ZOOMIN, OnUpdateZoomIn)
    ON_UPDATE_COMMAND_UI(AFX_ID_PREVIEW_ZOOMOUT, OnUpdateZoomOut)
END_MESSAGE_MAP()

QPushButton* CPreviewView::GetButton(UINT nID) const
{
    return m_pBar != nullptr ? m_pBar->findChild<QPushButton*>(QString::number(nID)) : nullptr;
}

UINT CPreviewView::GetCurrentPage() const
{
    return m_pPages != nullptr ? m_pPages->GetCurrentPage() : 1;
}

UINT CPreviewView::GetPageCount() const
{
    return m_pPages != nullptr ? m_pPages->GetPageCount() : 1;
}

// Pages n and n+1 while two show; n alone when n is the last.
QString CPreviewView::GetPageDescription() const
{
    const std::string full = AfxLoadString(AFX_IDS_PREVIEWPAGEDESC);
    std::string one;
    std::string two;
    AfxExtractSubString(one, full, 0);
    AfxExtractSubString(two, full, 1);
    const UINT page = GetCurrentPage();
    QString text;
    if (m_pPages != nullptr && m_pPages->GetPagesShown() == 2 && page < GetPageCount()) {
        text = QString::fromStdString(two);
        text.replace(text.indexOf(QLatin1String("%u")), 2, QString::number(page));
        text.replace(text.indexOf(QLatin1String("%u")), 2, QString::number(page + 1));
        return text;
    }
    text = QString::fromStdString(one);
    return text.replace(QLatin1String("%u"), QString::number(page));
}

void CPreviewView::SetCurrentPage(UINT nPage)
{
    m_pPages->SetCurrentPage(nPage);
    UpdateControls();
}

void CPreviewView::SetNumPages(UINT nPages)
{
    m_nPages = nPages == 2 ? 2 : 1;
    m_pPages->SetPagesShown(m_nPages);
    UpdateControls();
}

// Zoomed, one page at a time: halfway to its real size, then real size.
void CPreviewView::SetZoom(int nState, const QPointF* pFraction)
{
    m_nZoomState = std::clamp(nState, static_cast<int>(kZoomOut), static_cast<int>(kZoomIn));
    m_pPages->SetZoom(m_nZoomState, pFraction);
    UpdateControls();
}

// A click on a page zooms in on the point clicked; at the largest size it
// goes back to the whole page.
void CPreviewView::OnPageClicked(UINT nPage, QPointF fraction)
{
    if (m_nZoomState == kZoomIn) {
        SetZoom(kZoomOut);
        return;
    }
    if (nPage != GetCurrentPage())
        m_pPages->SetCurrentPage(nPage);
    SetZoom(m_nZoomState + 1, &fraction);
}

void CPreviewView::UpdateControls()
{
    if (m_bClosed || m_pFrame == nullptr)
        return;
    if (QPushButton* pNum = GetButton(AFX_ID_PREVIEW_NUMPAGE)) {
        const QString text =
            QString::fromStdString(AfxLoadString(m_nPages == 1 ? AFX_IDS_TWOPAGE : AFX_IDS_ONEPAGE));
        pNum->setText(text);
        pNum->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    }
    if (m_pBar != nullptr) {
        for (QPushButton* pButton : m_pBar->findChildren<QPushButton*>())
            pButton->setEnabled(m_pFrame->IsCommandEnabled(pButton->objectName().toUInt()));
    }
    m_pFrame->SetMessageText(GetPageDescription().toUtf8().constData());
}

void CPreviewView::OnPreviewClose()
{

    Close();
}

void CPreviewView::OnPreviewPrint()
{
    CFrameWnd* pFrame = m_pFrame;
    Close();
    pFrame->OnCommand(ID_FILE_PRINT);
}

void CPreviewView::OnNextPage()
{
    SetCurrentPage(GetCurrentPage() + 1);
}

void CPreviewView::OnPrevPage()
{
    SetCurrentPage(GetCurrentPage() - 1);
}

void CPreviewView::OnNumPageChange()
{
    SetNumPages(m_nPages == 1 ? 2 : 1);
}

void CPreviewView::OnZoomIn()
{
    SetZoom(m_nZoomState + 1);
}

void CPreviewView::OnZoomOut()
{
    SetZoom(m_nZoomState - 1);
}

void CPreviewView::OnUpdateNextPage(CCmdUI* pCmdUI)
{
    // enabled while the last page shown is not the document's last
    const UINT shown = m_pPages != nullptr ? m_pPages->GetPagesShown() : 1;
    pCmdUI->Enable(GetCurrentPage() + shown - 1 < GetPageCount());
}

void CPreviewView::OnUpdatePrevPage(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetCurrentPage() > 1);
}

void CPreviewView::OnUpdateNumPageChange(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nZoomState == kZoomOut);
}

void CPreviewView::OnUpdateZoomIn(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nZoomState != kZoomIn);
}

void CPreviewView::OnUpdateZoomOut(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nZoomState != kZoomOut);
}
