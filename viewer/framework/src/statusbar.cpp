// CStatusBar: the frame's row of panes along the bottom (see statusbar.h).
#include "statusbar.h"

#include "strings_table.h"

#include <QLabel>
#include <QStatusBar>

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

namespace {

// Space either side of a pane's text.
constexpr int kPanePadding = 6;

}  // namespace

CStatusBar::CStatusBar() = default;

CStatusBar::~CStatusBar() = default;

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateBar(pParentWnd, dwStyle, nID);
}

QWidget* CStatusBar::CreateWidget(const CREATESTRUCT&, QWidget* pParent)
{
    auto* pWidget = new QStatusBar(pParent);
    pWidget->setSizeGripEnabled(true);
    return pWidget;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    auto* pWidget = qobject_cast<QStatusBar*>(GetWidget());
    if (pWidget == nullptr || lpIDArray == nullptr || nIDCount < 0)
        return FALSE;
    for (Pane& pane : m_panes) {
        pWidget->removeWidget(pane.pLabel);
        delete pane.pLabel;
    }
    m_panes.clear();

    BOOL bResult = TRUE;
    for (int i = 0; i < nIDCount; ++i) {
        Pane pane;
        pane.nID = lpIDArray[i];
        pane.pLabel = new QLabel(pWidget);
        pane.pLabel->setTextFormat(Qt::PlainText);
        if (pane.nID == ID_SEPARATOR) {
            // the message pane: no border, takes what the others leave
            pane.nStyle = SBPS_NOBORDERS | SBPS_STRETCH;
            pane.pLabel->setMinimumWidth(1);
            pWidget->addWidget(pane.pLabel, 1);
        } else {
            if (!AfxLoadString(pane.nID, pane.text))
                bResult = FALSE;
            pane.pLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            pane.pLabel->setAlignment(Qt::AlignCenter);
            const int width = pane.pLabel->fontMetrics().horizontalAdvance(
                                  QString::fromStdString(pane.text))
                              + 2 * kPanePadding + 2 * pane.pLabel->frameWidth();
            pane.pLabel->setFixedWidth(width);
            pWidget->addPermanentWidget(pane.pLabel);
        }
        m_panes.push_back(pane);
        ShowPane(m_panes.back());
    }
    return bResult;
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return ID_SEPARATOR;
    return m_panes[static_cast<size_t>(nIndex)].nID;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const
{
    for (size_t i = 0; i < m_panes.size(); ++i) {
        if (m_panes[i].nID == nIDFind)
            return static_cast<int>(i);
    }
    return -1;
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return FALSE;
    Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    pane.text = lpszNewText != nullptr ? lpszNewText : "";
    ShowPane(pane);
    return TRUE;
}

std::string CStatusBar::GetPaneText(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return std::string();
    return m_panes[static_cast<size_t>(nIndex)].text;
}

UINT CStatusBar::GetPaneStyle(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return SBPS_NORMAL;
    return m_panes[static_cast<size_t>(nIndex)].nStyle;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return;
    Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    if (pane.nStyle == nStyle)
        return;
    pane.nStyle = nStyle;
    ShowPane(pane);
}

std::string CStatusBar::GetPaneDisplayText(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return std::string();
    return m_panes[static_cast<size_t>(nIndex)].pLabel->text().toStdString();
}

void CStatusBar::ShowPane(const Pane& pane)
{
    const QString text = (pane.nStyle & SBPS_DISABLED) != 0 ? QString()
                                                            : QString::fromStdString(pane.text);
    if (pane.pLabel->text() != text) {
        pane.pLabel->setText(text);
        pane.pLabel->setAccessibleName(text);
    }
}

void CStatusBar::OnUpdateCmdUI(CCmdTarget* pTarget, BOOL)
{
    for (size_t i = 0; i < m_panes.size(); ++i) {
        Pane& pane = m_panes[i];
        if (pane.nID == ID_SEPARATOR)
            continue;  // the frame's messages
        CCmdUI state;
        state.m_nID = pane.nID;
        state.m_nIndex = static_cast<UINT>(i);
        // a pane nobody answers for keeps its state
        if (!state.DoUpdate(pTarget, FALSE))
            continue;
        if (state.m_bEnableChanged)
            SetPaneStyle(static_cast<int>(i), state.m_bEnabled
                                                  ? pane.nStyle & ~SBPS_DISABLED
                                                  : pane.nStyle | SBPS_DISABLED);
        if (state.m_bTextChanged)
            SetPaneText(static_cast<int>(i), state.m_strText.c_str());
    }
}
