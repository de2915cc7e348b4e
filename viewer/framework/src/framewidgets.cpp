// The Qt pieces behind a CFrameWnd (see framewidgets.h).
#include "framewidgets.h"

#include "accelerators.h"
#include "minidockframe.h"
#include "strings_table.h"
#include "wnd.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>

bool FrameWidget::event(QEvent* e)
{
    // The message pane shows the frame's own prompts only: Qt's status
    // tips (of its own menus and widgets) leave it as it is.
    if (e->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(e);
}

void FrameWidget::paintEvent(QPaintEvent* e)
{
    QMainWindow::paintEvent(e);
    m_pFrame->SendMessage(WM_PAINT);
}

void FrameWidget::closeEvent(QCloseEvent* event)
{
    event->ignore();
    CWnd* pFrame = m_pFrame;
    QPointer<FrameWidget> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, pFrame] {
            if (self)
                pFrame->SendMessage(WM_CLOSE);
        },
        Qt::QueuedConnection);
}

// F10 takes the keyboard to the menu bar, as a lone Alt does: the first
// popup highlighted, Enter or Down opens it, Esc (or F10 again) leaves. The
// menu bar does this itself for Alt; F10 is given to it as a lone Alt.
static void ToggleMenuBarKeyboard(QWidget* pWindow)
{
    auto* pMainWindow = qobject_cast<QMainWindow*>(pWindow);
    if (pMainWindow == nullptr || pMainWindow->menuWidget() == nullptr
        || !pMainWindow->menuWidget()->isVisible())
        return;
    QWidget* pFocus = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : pWindow;
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::AltModifier);
    QCoreApplication::sendEvent(pFocus, &override);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QCoreApplication::sendEvent(pFocus, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(QApplication::focusWidget() != nullptr ? QApplication::focusWidget()
                                                                       : pWindow,
                                &release);
}

bool AcceleratorFilter::eventFilter(QObject* pObject, QEvent* e)
{
    if (e->type() != QEvent::KeyPress || !pObject->isWidgetType())
        return false;
    QWidget* pTop = static_cast<QWidget*>(pObject)->window();
    const bool ours = pTop == m_pWindow
                      || (dynamic_cast<MiniDockFrame*>(pTop) != nullptr
                          && pTop->parentWidget() == m_pWindow);
    if (!ours || QApplication::activePopupWidget() != nullptr)
        return false;
    const auto* pKey = static_cast<QKeyEvent*>(e);
    if (pKey->key() == Qt::Key_F10 && pKey->modifiers() == Qt::NoModifier) {
        ToggleMenuBarKeyboard(m_pWindow);
        return true;
    }
    const UINT nID = AfxTranslateAccelerator(AfxLoadAccelerators(m_nIDAccel),
                                             *static_cast<QKeyEvent*>(e));
    if (nID == 0)
        return false;
    // the command runs once the key is done with (it may close the frame)
    m_pFrame->PostMessage(WM_COMMAND, AfxCommandWParam(nID, 1));
    return true;
}

MenuPromptFilter::MenuPromptFilter(CWnd* pFrame, QMenu* pMenu)
    : QObject(pMenu), m_pFrame(pFrame)
{
}

bool MenuPromptFilter::eventFilter(QObject* pObject, QEvent* e)
{
    if (e->type() == QEvent::MouseMove) {
        auto* pMenu = static_cast<QMenu*>(pObject);
        QAction* pAction = pMenu->actionAt(static_cast<QMouseEvent*>(e)->position().toPoint());
        const UINT nID = pAction == nullptr || pAction->isSeparator() ? AFX_IDS_IDLEMESSAGE
                                                                      : pAction->data().toUInt();
        m_pFrame->SendMessage(WM_SETMESSAGESTRING, static_cast<WPARAM>(nID));
    }
    return false;
}
