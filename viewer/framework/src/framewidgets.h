// The Qt pieces behind a CFrameWnd: its main window, the filter that makes
// the accelerator table's keys commands, and the one that keeps a menu
// item's prompt in the message pane while the pointer is on it. They know
// the frame only as a window and send it messages: WM_PAINT and WM_CLOSE,
// WM_COMMAND, WM_SETMESSAGESTRING.
#ifndef RUVOK_FRAMEWIDGETS_H
#define RUVOK_FRAMEWIDGETS_H

#include <QMainWindow>

class CWnd;
class QMenu;

// The Qt window behind a frame. Closing it from the window system is the
// frame's WM_CLOSE, run from the event loop once the close event is over
// (the frame may destroy this very widget).
class FrameWidget : public QMainWindow {
public:
    explicit FrameWidget(CWnd* pFrame) : m_pFrame(pFrame) {}

    // Bars carry no menu of their own.
    QMenu* createPopupMenu() override { return nullptr; }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CWnd* m_pFrame;
};

// Keys of the frame's accelerator table are commands before the focused
// control sees them, in the frame and in its floating bars alike; F10 takes
// the keyboard to the menu bar. nIDAccel: the frame's accelerator table.
class AcceleratorFilter : public QObject {
public:
    AcceleratorFilter(CWnd* pFrame, unsigned nIDAccel, QWidget* pWindow)
        : QObject(pWindow), m_pFrame(pFrame), m_nIDAccel(nIDAccel), m_pWindow(pWindow)
    {
    }

protected:
    bool eventFilter(QObject* pObject, QEvent* e) override;

private:
    CWnd* m_pFrame;
    unsigned m_nIDAccel;
    QWidget* m_pWindow;
};

// While the pointer is over an item, also a grayed one (which Qt doesn't
// highlight), its prompt is in the message pane.
class MenuPromptFilter : public QObject {
public:
    MenuPromptFilter(CWnd* pFrame, QMenu* pMenu);

protected:
    bool eventFilter(QObject* pObject, QEvent* e) override;

private:
    CWnd* m_pFrame;
};

#endif
