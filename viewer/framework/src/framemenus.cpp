// CFrameWnd's menu bar and message pane: the menus of its resource id, their
// items' state from the command route as each is about to show, and the
// prompts of the item or button under the pointer in the status bar.
#include "frame.h"

#include "framewidgets.h"
#include "menuitems.h"
#include "resources.h"
#include "statusbar.h"
#include "strings_table.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

void CFrameWnd::BuildMenu(QMainWindow* pWindow)
{
    for (const AfxMenuPopup& popup : AfxLoadMenu(m_nIDHelp)) {
        QMenu* pMenu = pWindow->menuBar()->addMenu(QString::fromStdString(popup.text));
        for (const AfxMenuItem& item : popup.items) {
            if (item.nID == ID_SEPARATOR) {
                pMenu->addSeparator();
                continue;
            }
            QAction* pAction = AfxInsertMenuItem(pMenu, nullptr, item.nID, item.text);
            pAction->setEnabled(!item.bGrayed);
        }
        // Every item of the menu, also those put there later (the recent
        // files), runs its command.
        QObject::connect(pMenu, &QMenu::triggered, pWindow, [this, pMenu](QAction* pAction) {
            if (pAction->menu() == nullptr && pMenu->actions().contains(pAction))
                AfxPostCommand(this, pAction->data().toUInt());
        });
        QObject::connect(pMenu, &QMenu::aboutToShow, pWindow,
                         [this, pMenu] { UpdateMenuCmdUI(pMenu); });
        QObject::connect(pMenu, &QMenu::hovered, pWindow, [this](QAction* pAction) {
            SetMessageText(pAction->isSeparator() ? AFX_IDS_IDLEMESSAGE : pAction->data().toUInt());
        });
        QObject::connect(pMenu, &QMenu::aboutToHide, pWindow,
                         [this] { SetMessageText(AFX_IDS_IDLEMESSAGE); });
        pMenu->installEventFilter(new MenuPromptFilter(this, pMenu));
    }
}

void CFrameWnd::UpdateMenuCmdUI(QMenu* pMenu)
{
    for (int i = 0; i < pMenu->actions().size(); ++i) {
        QAction* pAction = pMenu->actions().at(i);
        if (pAction->isSeparator() || pAction->menu() != nullptr)
            continue;
        CCmdUI state;
        state.m_nID = pAction->data().toUInt();
        state.m_nIndex = static_cast<UINT>(i);
        state.m_pMenu = pMenu;
        state.m_nIndexMax = static_cast<UINT>(pMenu->actions().size());
        state.DoUpdate(this, TRUE);
        if (!pMenu->actions().contains(pAction))
            break;  // the handler took the item away: the rest is its own
        pAction->setEnabled(state.m_bEnabled != FALSE);
        if (state.m_bCheckChanged) {
            pAction->setCheckable(true);
            pAction->setChecked(state.m_nCheck != 0);
        }
        if (state.m_bTextChanged)
            AfxSetMenuItemText(pAction, QString::fromStdString(state.m_strText));
        // items the handler put in after this one are up to date already
        if (state.m_nIndex > static_cast<UINT>(i))
            i = static_cast<int>(state.m_nIndex);
    }
}

// ---------------------------------------------------------------------------
// The message pane

void CFrameWnd::GetMessageString(UINT nID, std::string& rMessage) const
{
    AfxExtractSubString(rMessage, AfxLoadString(nID), 0);
}

void CFrameWnd::SetMessageText(UINT nID)
{
    UINT nString = nID;
    if (nID >= 0xF000 && nID < 0xF1F0)
        nString = AFX_IDS_SCFIRST + (nID - 0xF000) / 16;
    std::string message;
    GetMessageString(nString, message);
    SetMessageText(message.c_str());
}

void CFrameWnd::SetMessageText(LPCTSTR lpszText)
{
    auto* pStatus = dynamic_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR));
    if (pStatus == nullptr)
        return;
    const int nIndex = pStatus->CommandToIndex(ID_SEPARATOR);
    if (nIndex >= 0)
        pStatus->SetPaneText(nIndex, lpszText);
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam)
{
    if (lParam != 0)
        SetMessageText(reinterpret_cast<LPCTSTR>(lParam));
    else
        SetMessageText(static_cast<UINT>(wParam));
    return 0;
}
