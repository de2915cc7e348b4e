// Dialogs on a 1,280 by 1,024 screen at twice the scale (the program runs
// with QT_SCALE_FACTOR=2, so the screen is 640 by 512 to the widgets): each
// of the program's dialogs fits on it with every button in reach, and a
// message box stands over the viewer's window also when no window of the
// program is active (after a dialog closed, a drop from another program, a
// request from a second start).
#include "doc_fixture.h"

#include "aboutdialog.h"
#include "app.h"
#include "dialogplace.h"
#include "frame.h"
#include "msgbox.h"
#include "printing.h"
#include "printsetup.h"
#include "shellchannel.h"

#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <functional>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace doctest;

namespace {

// The screen and the scale, set before the program's main() makes the
// application.
const bool kTwiceTheScale = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" RUVOK_SCREEN_CONFIG);
    qputenv("QT_SCALE_FACTOR", "2");
    return true;
}();

// What a dialog looked like while it was up.
struct Seen {
    bool shown = false;
    QString className;
    QRect frame;                // with the window manager's frame
    QList<QRect> buttons;       // in screen coordinates
    QWidget* parent = nullptr;  // the window it stands over
};

// Looks at the modal dialog that comes up while run() runs, then closes it.
Seen WhileUp(const std::function<void()>& run)
{
    Seen seen;
    int tries = 0;
    std::function<void()> look = [&] {
        QWidget* pModal = QApplication::activeModalWidget();
        auto* pDialog = qobject_cast<QDialog*>(pModal);
        if (pDialog == nullptr || !pDialog->isVisible()) {
            if (++tries < 300)
                QTimer::singleShot(10, look);
            return;
        }
        QTest::qWait(20);  // its own size and place are settled once shown
        seen.shown = true;
        seen.className = QString::fromLatin1(pDialog->metaObject()->className());
        seen.frame = pDialog->frameGeometry();
        seen.parent = pDialog->parentWidget();
        for (QPushButton* pButton : pDialog->findChildren<QPushButton*>()) {
            if (pButton->isVisible())
                seen.buttons.append(QRect(pButton->mapToGlobal(QPoint(0, 0)), pButton->size()));
        }
        pDialog->reject();
    };
    QTimer::singleShot(10, look);
    run();
    return seen;
}

QRect Screen()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

class DialogPlace : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        window = Frame()->GetMainWindow();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        fileHook = AfxSetFileDialogHook(nullptr);
        boxHook = AfxSetMessageBoxHook(nullptr);
        printHook = AfxSetPrintDialogHook(nullptr);
    }
    void TearDown() override
    {
        AfxSetFileDialogHook(fileHook);
        AfxSetMessageBoxHook(boxHook);
        AfxSetPrintDialogHook(printHook);
        DocTest::TearDown();
    }

    QMainWindow* window = nullptr;
    AfxFileDialogHook fileHook;
    AfxMessageBoxHook boxHook;
    AfxPrintDialogHook printHook;
    TempDir dir;
};

TEST_F(DialogPlace, TheScreenIsTwiceTheScale)
{
    EXPECT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    EXPECT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(640, 512));
}

TEST_F(DialogPlace, EveryDialogFitsTheScreenWithItsButtons)
{
    const struct {
        const char* what;
        std::function<void()> run;
    } rows[] = {
        {"Open",
         [] {
             AfxFileDialogRequest request;
             request.bOpenFileDialog = TRUE;
             request.title = "開く";
             request.filters = {{"ﾃｷｽﾄﾌｧｲﾙ (*.txt)", "*.txt"}, {"すべてのﾌｧｲﾙ (*.*)", "*"}};
             AfxDoFileDialog(request);
         }},
        {"Save As",
         [] {
             AfxFileDialogRequest request;
             request.bOpenFileDialog = FALSE;
             request.title = "名前を付けて保存";
             request.fileName = "無題.txt";
             request.filters = {{"ﾃｷｽﾄﾌｧｲﾙ (*.txt)", "*.txt"}, {"すべてのﾌｧｲﾙ (*.*)", "*"}};
             AfxDoFileDialog(request);
         }},
        {"Print", [] { Frame()->OnCommand(ID_FILE_PRINT); }},
        {"Print Setup", [] { Frame()->OnCommand(ID_FILE_PRINT_SETUP); }},
        {"About", [] { Frame()->OnCommand(ID_APP_ABOUT); }},
        {"a message", [] { AfxMessageBox(AFX_IDP_FAILED_TO_START_PRINT); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        const Seen seen = WhileUp(row.run);
        ASSERT_TRUE(seen.shown);
        EXPECT_TRUE(Screen().contains(seen.frame))
            << seen.className.toStdString() << " at " << seen.frame.x() << "," << seen.frame.y()
            << " " << seen.frame.width() << "x" << seen.frame.height();
        EXPECT_FALSE(seen.buttons.isEmpty());
        for (const QRect& button : seen.buttons)
            EXPECT_TRUE(Screen().contains(button)) << "a button off the screen";
        EXPECT_EQ(seen.parent, window) << "it stands over the viewer";
    }
}

// With no window of the program active, as after a dialog closed or while
// another program has the keyboard, a message still belongs to the viewer.
TEST_F(DialogPlace, AMessageStandsOverTheViewerWhateverIsActive)
{
    window->resize(300, 220);
    window->move(8, 8);
    const std::string missing = dir.File("missing.txt");
    Frame()->DragAcceptFiles(TRUE);
    const struct {
        const char* what;
        std::function<void()> run;
    } rows[] = {
        {"after a file dialog",
         [&] {
             // The Open dialog closes on a name that is no longer there; the
             // message follows it.
             AfxSetFileDialogHook([&](AfxFileDialogRequest& request) {
                 QFileDialog other(nullptr);
                 other.show();
                 other.hide();
                 request.fileName = missing;
                 return TRUE;
             });
             Frame()->OnCommand(ID_FILE_OPEN);
             AfxSetFileDialogHook(nullptr);
         }},
        {"a drop from another program",
         [&] {
             QMimeData data;
             data.setUrls({QUrl::fromLocalFile(QString::fromStdString(missing))});
             QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                                   Qt::NoModifier);
             QApplication::sendEvent(window, &enter);
             QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(window, &drop);
             QTest::qWait(50);
         }},
        {"a request from a second start",
         [&] {
             const std::string socket =
                 CShellChannel::SocketPath(QStringLiteral("ruvok")).toStdString();
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un addr{};
             addr.sun_family = AF_UNIX;
             std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socket.c_str());
             ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
             const std::string request =
                 "open " + QByteArray::fromStdString(missing).toPercentEncoding().toStdString() + "\n";
             ASSERT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL),
                       static_cast<ssize_t>(request.size()));
             QTest::qWait(100);
             ::close(fd);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        // Another program has the keyboard.
        QApplication::setActiveWindow(nullptr);
        QTest::qWait(20);
        const Seen seen = WhileUp(row.run);
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.className, QStringLiteral("QMessageBox"));
        EXPECT_EQ(seen.parent, window);
        // Over the viewer's window, not in the middle of the screen.
        const QPoint centre = window->frameGeometry().center();
        EXPECT_LT((seen.frame.center() - centre).manhattanLength(),
                  (seen.frame.center() - Screen().center()).manhattanLength());
        AfxGetApp()->OnFileNew();
    }
}

}  // namespace
