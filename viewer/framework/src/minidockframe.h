// The small window a floating bar sits in: a short caption of its own with
// a close button and a menu on the caption whose only command hides the bar.
// Dragging the caption moves the bar, and docks it again near a side of its
// frame.
#ifndef RUVOK_MINIDOCKFRAME_H
#define RUVOK_MINIDOCKFRAME_H

#include <QWidget>

class CControlBar;
class QMenu;
class QToolButton;
class QVBoxLayout;

// The system command that closes a window; on a floating bar's menu it
// hides the bar.
constexpr unsigned SC_CLOSE = 0xF060;
// The bitmap of a floating bar's caption button.
constexpr unsigned AFX_IDB_MINIFRAME_MENU = 30994;

class MiniDockFrame : public QWidget {
public:
    MiniDockFrame(CControlBar* pBar, QWidget* pParent);

    // Puts the bar's window in, below the caption.
    void Adopt(QWidget* pBarWidget);
    QWidget* Caption() const { return m_pCaption; }
    QToolButton* CloseButton() const { return m_pClose; }
    // Opens the caption's menu at globalPos (as a right click on it does).
    QMenu* ShowSystemMenu(const QPoint& globalPos);

protected:
    void closeEvent(QCloseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void HideBar();

    CControlBar* m_pBar;
    QWidget* m_pCaption;
    QToolButton* m_pClose;
    QMenu* m_pMenu = nullptr;
    QVBoxLayout* m_pLayout;
};

#endif
