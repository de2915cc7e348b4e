// Dialogs over their window and within its screen (see dialogplace.h).
#include "dialogplace.h"

#include "appstate.h"
#include "wnd.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

QWidget* MainWindowWidget()
{
    CWnd* pMain = AfxGetMainWnd();
    QWidget* pWidget = pMain != nullptr ? pMain->GetWidget() : nullptr;
    return pWidget != nullptr ? pWidget->window() : nullptr;
}

QScreen* ScreenOf(const QWidget* pDialog)
{
    const QWidget* pOwner = pDialog->parentWidget() != nullptr ? pDialog->parentWidget()->window()
                                                               : AfxGetDialogOwner();
    QScreen* pScreen = pOwner != nullptr ? pOwner->screen() : nullptr;
    return pScreen != nullptr ? pScreen : QGuiApplication::primaryScreen();
}

// What the window manager's frame takes around a window, as it frames the
// owner (nothing where nothing is known yet).
QSize FrameExtra(const QWidget* pDialog)
{
    const QWidget* pOwner = pDialog->parentWidget() != nullptr ? pDialog->parentWidget()->window()
                                                               : MainWindowWidget();
    if (pOwner == nullptr || !pOwner->isVisible())
        return QSize(0, 0);
    const QSize extra = pOwner->frameGeometry().size() - pOwner->geometry().size();
    return extra.expandedTo(QSize(0, 0));
}

// The room a dialog has on its screen, frame included.
QRect Room(const QWidget* pDialog)
{
    QScreen* pScreen = ScreenOf(pDialog);
    return pScreen != nullptr ? pScreen->availableGeometry() : QRect();
}

// Once shown (when the frame is known), a dialog partly off its screen is
// moved onto it.
class KeepOnScreen : public QObject {
public:
    explicit KeepOnScreen(QWidget* pDialog) : QObject(pDialog) { pDialog->installEventFilter(this); }

protected:
    bool eventFilter(QObject* pObject, QEvent* e) override
    {
        if (e->type() == QEvent::Show && pObject->isWidgetType())
            MoveOnto(static_cast<QWidget*>(pObject));
        return false;
    }

private:
    static void MoveOnto(QWidget* pDialog)
    {
        const QRect room = Room(pDialog);
        if (room.isEmpty())
            return;
        const QRect frame = pDialog->frameGeometry();
        QPoint topLeft = frame.topLeft();
        topLeft.setX(std::clamp(topLeft.x(), room.left(),
                                std::max(room.left(), room.right() + 1 - frame.width())));
        topLeft.setY(std::clamp(topLeft.y(), room.top(),
                                std::max(room.top(), room.bottom() + 1 - frame.height())));
        if (topLeft != frame.topLeft())
            pDialog->move(topLeft);
    }
};

}  // namespace

QWidget* AfxGetDialogOwner()
{
    if (QWidget* pModal = QApplication::activeModalWidget())
        return pModal;
    if (QWidget* pActive = QApplication::activeWindow()) {
        // a floating tool bar's small window stands for the frame it is of
        if (pActive->windowType() == Qt::Tool && pActive->parentWidget() != nullptr)
            return pActive->parentWidget()->window();
        return pActive;
    }
    return MainWindowWidget();
}

void AfxFitDialogToScreen(QWidget* pDialog)
{
    if (pDialog == nullptr)
        return;
    const QRect room = Room(pDialog);
    if (room.isEmpty())
        return;
    const QSize most = (room.size() - FrameExtra(pDialog)).expandedTo(QSize(1, 1));
    // A layout's minimum gives way to the screen: the dialog's parts then
    // share what there is, rather than reach past its edge. (A minimum set
    // here is one the layout keeps.)
    if (pDialog->layout() != nullptr)
        pDialog->setMinimumSize(
            pDialog->minimumSize().expandedTo(pDialog->minimumSizeHint()).boundedTo(most));
    pDialog->setMaximumSize(pDialog->maximumSize().boundedTo(most));
    pDialog->resize(pDialog->size().boundedTo(most));
    if (!pDialog->property("afxKeptOnScreen").toBool()) {
        pDialog->setProperty("afxKeptOnScreen", true);
        new KeepOnScreen(pDialog);
    }
}
