// CWnd: creation, message dispatch through WindowProc and the maps, and
// the Qt widget behind each window.
#include "wnd.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

// No entries of its own: a window's messages go to its default procedure.
const AFX_MSGMAP* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &map;
}

HINSTANCE AfxGetInstanceHandle()
{
    static int instance;
    return &instance;
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_pbDeleted != nullptr)
        *m_pbDeleted = true;
    if (m_pWidget != nullptr) {
        QWidget* widget = m_pWidget;
        QObject::disconnect(widget, &QObject::destroyed, nullptr, nullptr);
        m_pWidget = nullptr;
        m_hWnd = nullptr;
        delete widget;
    }
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&)
{
    return TRUE;
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    if (m_pWidget != nullptr)
        return FALSE;
    CREATESTRUCT cs;
    cs.lpCreateParams = pContext;
    cs.hInstance = AfxGetInstanceHandle();
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(nID));
    cs.hwndParent = pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.style = static_cast<LONG>(dwStyle);
    cs.lpszName = lpszWindowName;
    cs.lpszClass = lpszClassName;
    if (!PreCreateWindow(cs))
        return FALSE;

    m_pParentWnd = pParentWnd;
    m_dwStyle = static_cast<DWORD>(cs.style);
    m_nID = nID;
    QWidget* parent = pParentWnd != nullptr ? pParentWnd->GetWidget() : nullptr;
    QWidget* widget = CreateWidget(cs, parent);
    if (widget == nullptr)
        return FALSE;
    m_pWidget = widget;
    m_hWnd = reinterpret_cast<HWND>(this);
    // The widget may go with its Qt parent before this object does.
    // By the time destroyed is emitted only the QObject is left of the
    // widget, so whatever points at it as a subclass lets go first; then the
    // window hears WM_DESTROY.
    QObject::connect(widget, &QObject::destroyed, [this] {
        m_pWidget = nullptr;
        OnWidgetDestroyed();
        bool* const outer = m_pbDeleted;
        bool deleted = false;
        m_pbDeleted = &deleted;
        WindowProc(WM_DESTROY, 0, 0);
        if (deleted) {
            if (outer != nullptr)
                *outer = true;
            return;
        }
        m_pbDeleted = outer;
        m_hWnd = nullptr;
    });
    // A top-level window takes only its size: where it goes is the window
    // manager's choice (a position given here would be a user-specified
    // one, which it honours even off the screen).
    if (cs.cx > 0 && cs.cy > 0 && widget->isWindow())
        widget->resize(cs.cx, cs.cy);
    else if (cs.cx > 0 && cs.cy > 0)
        widget->setGeometry(cs.x, cs.y, cs.cx, cs.cy);

    if (WindowProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow();
        return FALSE;
    }
    if ((cs.style & WS_VISIBLE) != 0)
        widget->show();
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (m_pWidget == nullptr)
        return FALSE;
    delete m_pWidget;  // the destroyed signal above does the rest
    return TRUE;
}

QWidget* CWnd::CreateWidget(const CREATESTRUCT&, QWidget* pParent)
{
    return new QWidget(pParent);
}

void CWnd::OnWidgetDestroyed() {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CurrentMsg saved = m_currentMsg;
    bool* const outer = m_pbDeleted;
    bool deleted = false;
    m_pbDeleted = &deleted;
    m_currentMsg = {message, wParam, lParam};
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result) && !deleted)
        result = DefWindowProc(message, wParam, lParam);
    if (deleted) {
        if (outer != nullptr)
            *outer = true;  // the calls further out see it too
        return result;
    }
    m_pbDeleted = outer;
    m_currentMsg = saved;
    return result;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return WindowProc(message, wParam, lParam);
}

void CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    QWidget* pWidget = m_pWidget;
    if (pWidget == nullptr)
        return;
    // The widget goes when the window does: while it is there, so is this.
    QPointer<QWidget> guard(pWidget);
    QMetaObject::invokeMethod(
        pWidget,
        [guard, this, message, wParam, lParam] {
            if (guard)
                SendMessage(message, wParam, lParam);
        },
        Qt::QueuedConnection);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND) {
        const UINT nID = static_cast<UINT>(wParam & 0xFFFF);
        // menus (0) and accelerators (1) send commands; a control sends its
        // notification code
        const UINT nNotify = static_cast<UINT>((wParam >> 16) & 0xFFFF);
        const int nCode = nNotify <= 1 ? CN_COMMAND : static_cast<int>(nNotify);
        if (!OnCmdMsg(nID, nCode, nullptr))
            return FALSE;
        *pResult = 0;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0);
    if (entry == nullptr)
        return FALSE;
    *pResult = CallEntry(entry, 0, wParam, lParam, nullptr);
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_currentMsg.message, m_currentMsg.wParam, m_currentMsg.lParam);
}

int CWnd::OnCreate(LPCREATESTRUCT)
{
    return static_cast<int>(Default());
}

void CWnd::OnPaint()
{
    Default();
}

BOOL CWnd::HandleCommand(UINT nID)
{
    return OnCmdMsg(nID, CN_COMMAND, nullptr);
}

BOOL CWnd::IsCommandEnabled(UINT nID, BOOL* pbHandled)
{
    CCmdUI ui;
    ui.m_nID = nID;
    const BOOL updated = ui.DoUpdate(this, TRUE);
    if (pbHandled != nullptr) {
        AFX_CMDHANDLERINFO info;
        *pbHandled = updated || OnCmdMsg(nID, CN_COMMAND, &info);
    }
    return ui.m_bEnabled;
}

void CWnd::ShowWindow(int nCmdShow)
{
    if (m_pWidget != nullptr)
        m_pWidget->setVisible(nCmdShow != SW_HIDE);
}

void CWnd::SetFocus()
{
    if (m_pWidget != nullptr)
        m_pWidget->setFocus();
}

void CWnd::Invalidate(BOOL)
{
    if (m_pWidget != nullptr)
        m_pWidget->update();
}

void CWnd::UpdateWindow()
{
    if (m_pWidget != nullptr)
        m_pWidget->repaint();
}
