// CCmdTarget: the message-map lookup and the call of an entry's handler.
#include "afx.h"

AFX_IMPLEMENT_RUNTIMECLASS(CCmdTarget, CObject, 0xFFFF, nullptr)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, int nCode, UINT nID) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nSig != AfxSig_end; ++e) {
            if (e->nMessage != nMessage)
                continue;
            if (nMessage != WM_COMMAND)
                return e;
            if (e->nCode == nCode && nID >= e->nID && nID <= e->nLastID)
                return e;
        }
    }
    return nullptr;
}

LRESULT CCmdTarget::CallEntry(const AFX_MSGMAP_ENTRY* pEntry, UINT nID, WPARAM wParam,
                              LPARAM lParam, void* pExtra)
{
    if (pEntry->pfn == nullptr)
        return 0;
    return pEntry->pfn(this, AFX_MSGCALL{nID, wParam, lParam, pExtra});
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra)
{
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_COMMAND, nCode, nID);
    if (e == nullptr)
        return FALSE;
    if (nCode == CN_COMMAND && pExtra != nullptr) {
        static_cast<AFX_CMDHANDLERINFO*>(pExtra)->pTarget = this;
        return TRUE;
    }
    CallEntry(e, nID, 0, 0, pExtra);
    return TRUE;
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    m_bEnableChanged = FALSE;
    m_bCheckChanged = FALSE;
    m_bTextChanged = FALSE;
    const BOOL bHandled = pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this);
    if (bDisableIfNoHndler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info;
        Enable(pTarget->OnCmdMsg(m_nID, CN_COMMAND, &info));
    }
    return bHandled;
}
