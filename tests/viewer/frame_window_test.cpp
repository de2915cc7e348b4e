// The main frame as a user meets it: its menu tree and accelerator keys,
// the tool bar's buttons, tooltips and prompts, the status bar's panes, the
// bars docked, floating, hidden and shown, and the state of every command.
#include "doc_fixture.h"

#include "accelerators.h"
#include "app.h"
#include "dc.h"
#include "document.h"
#include "editview.h"
#include "expected_resources.h"
#include "frame.h"
#include "lockkeys.h"
#include "mainframe.h"
#include "minidockframe.h"
#include "resources.h"
#include "statusbar.h"
#include "strings_table.h"
#include "toolbar.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRubberBand>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <set>

using namespace doctest;

namespace {

CToolBar* ToolBar()
{
    return dynamic_cast<CToolBar*>(Frame()->GetControlBar(AFX_IDW_TOOLBAR));
}

CStatusBar* StatusBar()
{
    return dynamic_cast<CStatusBar*>(Frame()->GetControlBar(AFX_IDW_STATUS_BAR));
}

std::string MessagePane()
{
    return StatusBar()->GetPaneDisplayText(0);
}

std::string Prompt(UINT nID)
{
    std::string prompt;
    AfxExtractSubString(prompt, AfxLoadString(nID), 0);
    return prompt;
}

std::string Tooltip(UINT nID)
{
    std::string tip;
    AfxExtractSubString(tip, AfxLoadString(nID), 1);
    return tip;
}

QAction* MenuAction(UINT nID)
{
    for (QAction* pPopup : Frame()->GetMainWindow()->menuBar()->actions()) {
        for (QAction* pAction : pPopup->menu()->actions()) {
            if (!pAction->isSeparator() && pAction->data().toUInt() == nID)
                return pAction;
        }
    }
    return nullptr;
}

QString AccessibleName(QObject* pObject)
{
    QAccessibleInterface* pInterface = QAccessible::queryAccessibleInterface(pObject);
    return pInterface != nullptr ? pInterface->text(QAccessible::Name) : QString();
}

// Drives a press, a move and a release straight to the widget that would
// hold the mouse grab, with screen coordinates given for the move and the
// release.
void Drag(QWidget* pWidget, QPoint fromLocal, QPoint toGlobal,
          Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint fromGlobal = pWidget->mapToGlobal(fromLocal);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(fromLocal), QPointF(fromGlobal), button,
                      button, Qt::NoModifier);
    QApplication::sendEvent(pWidget, &press);
    const QPoint middle = (fromGlobal + toGlobal) / 2;
    for (QPoint to : {middle, toGlobal}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(pWidget->mapFromGlobal(to)), QPointF(to),
                         Qt::NoButton, button, Qt::NoModifier);
        QApplication::sendEvent(pWidget, &move);
    }
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pWidget->mapFromGlobal(toGlobal)),
                        QPointF(toGlobal), button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pWidget, &release);
}

// A stand-in for the keyboard's lock keys.
class FakeLockKeys : public CLockKeySource {
public:
    std::set<int> on;
    BOOL IsLockOn(int nVirtKey) override { return on.count(nVirtKey) != 0; }
};

// Every test starts and ends with the bars where a new window has them.
class MainFrame : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        QMainWindow* pWindow = Frame()->GetMainWindow();
        pWindow->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pWindow));
        Restore();
    }
    void TearDown() override
    {
        AfxSetLockKeySource(nullptr);
        Restore();
        DocTest::TearDown();
    }
    static void Restore()
    {
        Frame()->DockControlBar(ToolBar(), AFX_IDW_DOCKBAR_TOP);
        Frame()->ShowControlBar(ToolBar(), TRUE, FALSE);
        Frame()->ShowControlBar(StatusBar(), TRUE, FALSE);
        Frame()->SetMessageText(AFX_IDS_IDLEMESSAGE);
        QApplication::processEvents();
    }
};

TEST_F(MainFrame, IsTheViewersOwnFrameClass)
{
    CRuntimeClass* pClass = RUNTIME_CLASS(CMainFrame);
    EXPECT_STREQ(pClass->m_lpszClassName, "CMainFrame");
    EXPECT_EQ(pClass->m_wSchema, 0xFFFFu);
    EXPECT_TRUE(pClass->IsDerivedFrom(RUNTIME_CLASS(CFrameWnd)));
    EXPECT_TRUE(Frame()->IsKindOf(pClass)) << "the document template binds CMainFrame";
    CObject* pObject = pClass->CreateObject();
    ASSERT_NE(pObject, nullptr);
    delete pObject;  // never created as a window: nothing to tear down
}

TEST_F(MainFrame, TheCaptionOfANewDocument)
{
    EXPECT_EQ(Frame()->GetWindowText(), "無題 - ﾃｷｽﾄﾌｧｲﾙ表示");
    EXPECT_FALSE(Frame()->GetMainWindow()->windowIcon().isNull());
}

// The menu bar, item by item, as the resources define it.
TEST_F(MainFrame, TheWholeMenuTree)
{
    struct Item {
        const char* text;  // "-" for a separator
        UINT nID;
    };
    std::vector<std::pair<std::string, std::vector<Item>>> menus;
    for (const expected::MenuRow& row : expected::kMenu) {
        if (menus.empty() || menus.back().first != row.popup)
            menus.push_back({row.popup, {}});
        menus.back().second.push_back({row.text != nullptr ? row.text : "-", row.nID});
    }
    EXPECT_FALSE(Frame()->GetMainWindow()->menuBar()->isNativeMenuBar())
        << "the menus are in the window, not in a desktop's global menu";
    const QList<QAction*> bar = Frame()->GetMainWindow()->menuBar()->actions();
    ASSERT_EQ(bar.size(), static_cast<int>(menus.size()));
    for (size_t p = 0; p < menus.size(); ++p) {
        SCOPED_TRACE(menus[p].first);
        QAction* pPopup = bar[static_cast<int>(p)];
        EXPECT_EQ(pPopup->text().toStdString(), menus[p].first);
        ASSERT_NE(pPopup->menu(), nullptr);
        const QList<QAction*> items = pPopup->menu()->actions();
        ASSERT_EQ(items.size(), static_cast<int>(menus[p].second.size()));
        QAccessibleInterface* pMenuFace = QAccessible::queryAccessibleInterface(pPopup->menu());
        ASSERT_NE(pMenuFace, nullptr);
        for (size_t i = 0; i < menus[p].second.size(); ++i) {
            const Item& want = menus[p].second[i];
            QAction* pItem = items[static_cast<int>(i)];
            if (std::string(want.text) == "-") {
                EXPECT_TRUE(pItem->isSeparator()) << "item " << i;
                continue;
            }
            // The label, and the keys in the shortcut column, read apart by
            // screen readers: "新規作成(N)" and "Ctrl+N", not "新規作成(N)\tCtrl+N".
            const std::string text = want.text;
            const size_t tab = text.find('\t');
            const std::string label = text.substr(0, tab);
            const std::string keys = tab == std::string::npos ? "" : text.substr(tab + 1);
            EXPECT_EQ(pItem->text().toStdString(), label) << "item " << i;
            EXPECT_EQ(pItem->shortcut().toString(QKeySequence::NativeText).toStdString(), keys)
                << label;
            EXPECT_EQ(pItem->data().toUInt(), want.nID) << want.text;
            QAccessibleInterface* pItemFace = pMenuFace->child(static_cast<int>(i));
            ASSERT_NE(pItemFace, nullptr) << label;
            std::string name = label;
            name.erase(std::remove(name.begin(), name.end(), '&'), name.end());
            EXPECT_EQ(pItemFace->text(QAccessible::Name).toStdString(), name);
            if (!keys.empty()) {
                EXPECT_EQ(pItemFace->text(QAccessible::Accelerator).toStdString(), keys);
            }
        }
    }
}

// The accelerator table as loaded, and what each key press stands for.
TEST_F(MainFrame, TheFourteenAcceleratorKeys)
{
    std::vector<expected::AccelRow> rows;
    for (const expected::AccelRow& row : expected::kAccelerators)
        if (row.nTable == IDR_MAINFRAME)
            rows.push_back(row);
    const std::vector<AfxAccel>& table = AfxLoadAccelerators(IDR_MAINFRAME);
    ASSERT_EQ(table.size(), rows.size());
    for (size_t i = 0; i < table.size(); ++i) {
        const expected::AccelRow& row = rows[i];
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(table[i].key, row.vk);
        EXPECT_EQ(table[i].fVirt & 0x7F, row.fVirt & 0x7F);
        EXPECT_EQ(table[i].cmd, row.cmd);
        QKeyEvent press(QEvent::KeyPress, row.key, row.mods);
        EXPECT_EQ(AfxTranslateAccelerator(table, press), row.cmd);
    }
    // near misses stand for nothing
    for (auto [key, mods] : {std::pair{Qt::Key_N, Qt::KeyboardModifiers(Qt::NoModifier)},
                             {Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier},
                             {Qt::Key_Backspace, Qt::KeyboardModifiers(Qt::NoModifier)},
                             {Qt::Key_Insert, Qt::KeyboardModifiers(Qt::NoModifier)},
                             {Qt::Key_Delete, Qt::KeyboardModifiers(Qt::NoModifier)}}) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        EXPECT_EQ(AfxTranslateAccelerator(table, press), 0u)
            << QKeySequence(key | mods).toString().toStdString();
    }
}

// Each key does its command, with the edit view focused and with the focus
// elsewhere in the frame.
TEST_F(MainFrame, AcceleratorsWorkWithOrWithoutTheEditFocused)
{
    struct Row {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* clipboard;  // before the key
        bool selectAll;         // before the key
        const char* text;       // after
        const char* clipboardAfter;
    };
    // The view holds "ab", typed (so it can be undone).
    const Row rows[] = {
        {"Ctrl+Z", Qt::Key_Z, Qt::ControlModifier, "", false, "", ""},
        {"Alt+Backspace", Qt::Key_Backspace, Qt::AltModifier, "", false, "", ""},
        {"Ctrl+X", Qt::Key_X, Qt::ControlModifier, "", true, "", "ab"},
        {"Shift+Delete", Qt::Key_Delete, Qt::ShiftModifier, "", true, "", "ab"},
        {"Ctrl+C", Qt::Key_C, Qt::ControlModifier, "", true, "ab", "ab"},
        {"Ctrl+Insert", Qt::Key_Insert, Qt::ControlModifier, "", true, "ab", "ab"},
        {"Ctrl+V", Qt::Key_V, Qt::ControlModifier, "xy", false, "abxy", "xy"},
        {"Shift+Insert", Qt::Key_Insert, Qt::ShiftModifier, "xy", false, "abxy", "xy"},
        {"F6", Qt::Key_F6, Qt::NoModifier, "", false, "ab", ""},
        {"Shift+F6", Qt::Key_F6, Qt::ShiftModifier, "", false, "ab", ""},
        {"Ctrl+P", Qt::Key_P, Qt::ControlModifier, "", false, "ab", ""},
    };
    QWidget* pWindow = Frame()->GetMainWindow();
    pWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pWindow));
    QWidget* pEdit = View()->GetWidget();
    for (bool editFocused : {true, false}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.name)
                         + (editFocused ? ", edit focused" : ", focus elsewhere"));
            SetText("");
            View()->GetEditCtrl().EmptyUndoBuffer();
            View()->SetFocus();
            QTest::keyClicks(pEdit, QStringLiteral("ab"));
            QGuiApplication::clipboard()->setText(QString::fromUtf8(row.clipboard));
            if (row.selectAll)
                View()->GetEditCtrl().SetSel(0, -1);
            QWidget* pTarget = pEdit;
            if (!editFocused) {
                pTarget = ToolBar()->GetWidget();
                pTarget->setFocus();
            }
            QTest::keyClick(pTarget, row.key, row.mods);
            QTest::qWait(20);  // commands run from the event loop
            EXPECT_EQ(Text(), row.text);
            EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), row.clipboardAfter);
            EXPECT_TRUE(GetPrompts().messages.empty());
            EXPECT_TRUE(GetPrompts().dialogs.empty());
        }
    }
    Doc()->SetModifiedFlag(FALSE);
}

TEST_F(MainFrame, FileKeysOpenTheirDialogsFromAnyFocus)
{
    struct Row {
        Qt::Key key;
        const char* dialogTitle;
    };
    const Row rows[] = {{Qt::Key_S, "名前を付けて保存"}, {Qt::Key_O, "開く"}};
    QWidget* pWindow = Frame()->GetMainWindow();
    pWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pWindow));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dialogTitle);
        GetPrompts().Clear();
        GetPrompts().CancelDialog();
        ToolBar()->GetWidget()->setFocus();
        QTest::keyClick(ToolBar()->GetWidget(), row.key, Qt::ControlModifier);
        QTest::qWait(20);
        ASSERT_EQ(GetPrompts().dialogs.size(), 1u);
        EXPECT_EQ(GetPrompts().dialogs[0].title, row.dialogTitle);
    }
}

TEST_F(MainFrame, TheToolBarsButtonsInOrderWithTheirImagesAndTips)
{
    const auto& buttons = expected::kToolBar;
    CToolBar* pBar = ToolBar();
    ASSERT_NE(pBar, nullptr);
    EXPECT_EQ(pBar->GetBarStyle() & CBRS_ALL, 0x00402834u & CBRS_ALL)
        << "gripper, top, fly-by, tooltips, dynamic size";
    ASSERT_EQ(pBar->GetCount(), static_cast<int>(std::size(buttons)));
    auto* pToolBar = qobject_cast<QToolBar*>(pBar->GetWidget());
    ASSERT_NE(pToolBar, nullptr);
    EXPECT_EQ(pToolBar->iconSize(), QSize(16, 15));
    const QImage strip = AfxLoadBitmapImage(IDR_MAINFRAME);
    const QRgb buttonFace = QGuiApplication::palette().color(QPalette::Active, QPalette::Button).rgb();
    ASSERT_NE(buttonFace, qRgb(192, 192, 192)) << "the test needs a face other than the stored grey";
    // a window colour apart from the face, to see which one the bar is in
    const QPalette barPalette = pToolBar->palette();
    QPalette apart = barPalette;
    apart.setColor(QPalette::Window, QColor(200, 40, 40));
    pToolBar->setPalette(apart);
    const QImage barLook = pToolBar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    pToolBar->setPalette(barPalette);
    std::vector<QImage> images;
    for (int i = 0; i < pBar->GetCount(); ++i) {
        SCOPED_TRACE("button " + std::to_string(i));
        EXPECT_EQ(pBar->GetItemID(i), buttons[i]);
        QAction* pAction = pBar->GetItemAction(i);
        if (buttons[i] == ID_SEPARATOR) {
            EXPECT_EQ(pAction, nullptr);
            continue;
        }
        ASSERT_NE(pAction, nullptr);
        EXPECT_EQ(pBar->CommandToIndex(buttons[i]), i);
        const QImage image = pAction->icon().pixmap(QSize(16, 15)).toImage();
        ASSERT_FALSE(image.isNull());
        for (const QImage& other : images)
            EXPECT_NE(image, other) << "each button has an image of its own";
        // drawn in the desktop's button colours, the stored face grey as the
        // button face
        const QImage stored =
            strip.copy(static_cast<int>(images.size()) * 16, 0, 16, 15).convertToFormat(
                QImage::Format_RGB32);
        int face = 0;
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (stored.pixel(x, y) != qRgb(192, 192, 192))
                    continue;
                ++face;
                EXPECT_EQ(image.pixel(x, y), buttonFace) << x << "," << y;
            }
        }
        EXPECT_GT(face, 0);
        // grayed, the drawn pixels are etched in shadow and highlight on a
        // plain face, the face the bar itself is painted in
        const QPalette palette = QGuiApplication::palette();
        const QRgb light = palette.color(QPalette::Active, QPalette::Light).rgb();
        const QRgb dark = palette.color(QPalette::Active, QPalette::Dark).rgb();
        const QImage grayed =
            pAction->icon().pixmap(QSize(16, 15), QIcon::Disabled).toImage().convertToFormat(
                QImage::Format_RGB32);
        ASSERT_EQ(grayed.size(), QSize(16, 15));
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb c = image.pixel(x, y);
                const QRgb g = grayed.pixel(x, y);
                if (c != buttonFace && c != light)
                    EXPECT_EQ(g, dark) << x << "," << y;
                else
                    EXPECT_TRUE(g == buttonFace || g == light || g == dark) << x << "," << y;
            }
        }
        images.push_back(image);
        EXPECT_EQ(pAction->toolTip().toStdString(), Tooltip(buttons[i]));
        QWidget* pButton = pToolBar->widgetForAction(pAction);
        ASSERT_NE(pButton, nullptr);
        // the bar is the plain face around the image, no shade of its own
        const QPoint corner = pButton->geometry().topLeft() + QPoint(1, 1);
        EXPECT_EQ(barLook.pixel(corner), buttonFace);
        EXPECT_EQ(barLook.pixel(pButton->geometry().bottomRight() - QPoint(1, 1)), buttonFace);
        EXPECT_EQ(AccessibleName(pButton).toStdString(), Tooltip(buttons[i]));
    }
    // the separators stand where the record has them
    int separators = 0;
    for (QAction* pAction : pToolBar->actions())
        separators += pAction->isSeparator() ? 1 : 0;
    EXPECT_EQ(separators, 3);
}

// Resting on a button shows its tooltip and, in the message pane, its
// prompt; leaving it brings the idle text back.
TEST_F(MainFrame, TooltipsAndFlyByPrompts)
{
    struct Row {
        UINT nID;
        std::string tip;
        std::string prompt;
    };
    // each button's string: its prompt, then after a line end its tip
    std::vector<Row> rows;
    for (UINT nID : {ID_APP_ABOUT, ID_FILE_NEW, ID_EDIT_PASTE, ID_FILE_PRINT}) {
        const std::string text = expected::String(nID);
        const size_t end = text.find('\n');
        ASSERT_NE(end, std::string::npos) << std::hex << nID;
        rows.push_back({nID, text.substr(end + 1), text.substr(0, end)});
    }
    CToolBar* pBar = ToolBar();
    auto* pToolBar = qobject_cast<QToolBar*>(pBar->GetWidget());
    EXPECT_EQ(MessagePane(), "ﾚﾃﾞｨ");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.tip);
        QWidget* pButton =
            pToolBar->widgetForAction(pBar->GetItemAction(pBar->CommandToIndex(row.nID)));
        ASSERT_NE(pButton, nullptr);
        const QPoint centre = pButton->rect().center();
        QEnterEvent enter{QPointF(centre), QPointF(centre), QPointF(pButton->mapToGlobal(centre))};
        QApplication::sendEvent(pButton, &enter);
        EXPECT_EQ(MessagePane(), row.prompt);
        QHelpEvent help(QEvent::ToolTip, centre, pButton->mapToGlobal(centre));
        QApplication::sendEvent(pButton, &help);
        EXPECT_EQ(QToolTip::text().toStdString(), row.tip);
        QToolTip::hideText();
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(pButton, &leave);
        EXPECT_EQ(MessagePane(), "ﾚﾃﾞｨ");
    }
}

// While a menu item is highlighted its prompt is in the message pane, for
// grayed items too; "ﾚﾃﾞｨ" once the menu closes.
TEST_F(MainFrame, MenuPromptsAndTheIdleText)
{
    EXPECT_EQ(MessagePane(), "ﾚﾃﾞｨ");
    EXPECT_EQ(
        AccessibleName(StatusBar()->GetWidget()->findChildren<QLabel*>().value(0)).toStdString(),
        "ﾚﾃﾞｨ");
    for (QAction* pPopup : Frame()->GetMainWindow()->menuBar()->actions()) {
        QMenu* pMenu = pPopup->menu();
        SCOPED_TRACE(pPopup->text().toStdString());
        pMenu->popup(Frame()->GetMainWindow()->mapToGlobal(QPoint(10, 10)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pMenu));
        for (QAction* pAction : pMenu->actions()) {
            const QPoint centre = pMenu->actionGeometry(pAction).center();
            QMouseEvent move(QEvent::MouseMove, QPointF(centre),
                             QPointF(pMenu->mapToGlobal(centre)), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(pMenu, &move);
            if (pAction->isSeparator()) {
                EXPECT_EQ(MessagePane(), "ﾚﾃﾞｨ");
                continue;
            }
            const UINT nID = pAction->data().toUInt();
            EXPECT_EQ(MessagePane(), Prompt(nID)) << pAction->text().toStdString();
            EXPECT_FALSE(MessagePane().empty()) << pAction->text().toStdString();
        }
        pMenu->hide();
        EXPECT_EQ(MessagePane(), "ﾚﾃﾞｨ");
    }
    // a status tip of Qt's own (its context menus, its widgets) leaves the
    // pane as it is
    QStatusTipEvent tip(QString::fromUtf8("Qt's own tip"));
    QApplication::sendEvent(View()->GetWidget(), &tip);
    EXPECT_EQ(MessagePane(), "ﾚﾃﾞｨ");
    auto* pStatus = qobject_cast<QStatusBar*>(StatusBar()->GetWidget());
    EXPECT_TRUE(pStatus->currentMessage().isEmpty());
    EXPECT_TRUE(pStatus->findChildren<QLabel*>().value(0)->isVisible());
}

// F10 and a lone Alt take the keyboard to the menu bar with its first popup
// highlighted; Enter or Down opens it, Esc goes back; nothing reaches the text.
TEST_F(MainFrame, F10AndALoneAltTakeTheKeyboardToTheMenuBar)
{
    QMainWindow* pWindow = Frame()->GetMainWindow();
    pWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pWindow));
    QMenuBar* pBar = pWindow->menuBar();
    QAction* pFirst = pBar->actions().value(0);
    ASSERT_NE(pFirst, nullptr);
    QWidget* pEdit = View()->GetWidget();
    const auto press = [](Qt::Key key) {
        QWidget* pTarget = QApplication::focusWidget();
        if (key == Qt::Key_Alt) {
            // a lone Alt as the window system reports it
            QTest::keyPress(pTarget, Qt::Key_Alt, Qt::AltModifier);
            QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Alt, Qt::NoModifier);
        } else {
            QTest::keyClick(pTarget, key);
        }
        QTest::qWait(20);
    };
    struct Row {
        const char* name;
        std::vector<Qt::Key> keys;
        bool barActive;  // the first popup highlighted, the menu bar with the keys
        bool menuOpen;   // the first popup's menu open
    };
    const Row rows[] = {
        {"F10", {Qt::Key_F10}, true, false},
        {"Alt", {Qt::Key_Alt}, true, false},
        {"F10, Esc", {Qt::Key_F10, Qt::Key_Escape}, false, false},
        {"F10, F10", {Qt::Key_F10, Qt::Key_F10}, false, false},
        {"Alt, Esc", {Qt::Key_Alt, Qt::Key_Escape}, false, false},
        {"F10, Enter", {Qt::Key_F10, Qt::Key_Return}, true, true},
        {"F10, Down", {Qt::Key_F10, Qt::Key_Down}, true, true},
        {"Alt, Down", {Qt::Key_Alt, Qt::Key_Down}, true, true},
        {"F10, Enter, Esc, Esc", {Qt::Key_F10, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Escape},
         false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetText("ab");
        View()->SetFocus();
        ASSERT_EQ(QApplication::focusWidget(), pEdit);
        for (Qt::Key key : row.keys)
            press(key);
        QWidget* pPopup = QApplication::activePopupWidget();
        EXPECT_EQ(pBar->activeAction() == pFirst, row.barActive);
        EXPECT_EQ(pPopup != nullptr && pPopup == pFirst->menu(), row.menuOpen);
        if (!row.barActive) {
            EXPECT_EQ(QApplication::focusWidget(), pEdit) << "the keyboard is back in the text";
        }
        // leave the menus
        while (QApplication::activePopupWidget() != nullptr)
            press(Qt::Key_Escape);
        if (pBar->activeAction() != nullptr)
            press(Qt::Key_Escape);
        EXPECT_EQ(pBar->activeAction(), nullptr);
        EXPECT_EQ(Text(), "ab") << "a key reached the text";
        EXPECT_TRUE(GetPrompts().dialogs.empty());
    }
    Doc()->SetModifiedFlag(FALSE);
}

// The frame asks for its size only: where it goes is the window manager's.
TEST_F(MainFrame, TheWindowManagerPlacesTheFrame)
{
    QMainWindow* pWindow = Frame()->GetMainWindow();
    EXPECT_FALSE(pWindow->testAttribute(Qt::WA_Moved));
    EXPECT_GT(pWindow->width(), 0);
}

TEST_F(MainFrame, TheStatusBarsPanesAndTheLockKeys)
{
    CStatusBar* pStatus = StatusBar();
    ASSERT_NE(pStatus, nullptr);
    const UINT ids[] = {ID_SEPARATOR, ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                        ID_INDICATOR_SCRL};
    ASSERT_EQ(pStatus->GetCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pStatus->GetItemID(i), ids[i]) << "pane " << i;
    EXPECT_TRUE(pStatus->GetPaneStyle(0) & SBPS_STRETCH);

    struct Lock {
        int vk;
        int pane;
        const char* text;
    };
    const Lock locks[] = {{VK_KANA, 1, "ｶﾅ"}, {VK_CAPITAL, 2, "CAP"}, {VK_NUMLOCK, 3, "NUM"},
                          {VK_SCROLL, 4, "SCRL"}};
    const QList<QLabel*> labels = pStatus->GetWidget()->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 5);
    FakeLockKeys fake;
    AfxSetLockKeySource(&fake);
    // each key alone, then all four, then none
    std::vector<std::set<int>> states;
    for (const Lock& lock : locks)
        states.push_back({lock.vk});
    states.push_back({VK_KANA, VK_CAPITAL, VK_NUMLOCK, VK_SCROLL});
    states.push_back({});
    for (const std::set<int>& state : states) {
        fake.on = state;
        Frame()->OnIdleUpdateCmdUI();
        for (const Lock& lock : locks) {
            const bool on = state.count(lock.vk) != 0;
            SCOPED_TRACE(std::string(lock.text) + (on ? " on" : " off"));
            EXPECT_EQ(pStatus->GetPaneDisplayText(lock.pane), on ? lock.text : "");
            EXPECT_EQ(pStatus->GetPaneText(lock.pane), lock.text);
            QLabel* pLabel = labels[lock.pane];
            EXPECT_EQ(pLabel->text().toStdString(), on ? lock.text : "");
            EXPECT_EQ(AccessibleName(pLabel).toStdString(), on ? lock.text : "");
            // sized to its text, whether shown or not
            EXPECT_GE(pLabel->width(),
                      pLabel->fontMetrics().horizontalAdvance(QString::fromUtf8(lock.text)));
            EXPECT_LT(pLabel->width(), 120);
        }
    }
    EXPECT_GT(labels[0]->width(), labels[1]->width()) << "the message pane stretches";
}

TEST_F(MainFrame, TheToolBarDocksOnEachSideAndFloats)
{
    struct Row {
        UINT nDockBarID;
        Qt::ToolBarArea area;
        Qt::Orientation orientation;
        DWORD align;
    };
    const Row rows[] = {
        {AFX_IDW_DOCKBAR_LEFT, Qt::LeftToolBarArea, Qt::Vertical, CBRS_ALIGN_LEFT},
        {AFX_IDW_DOCKBAR_BOTTOM, Qt::BottomToolBarArea, Qt::Horizontal, CBRS_ALIGN_BOTTOM},
        {AFX_IDW_DOCKBAR_RIGHT, Qt::RightToolBarArea, Qt::Vertical, CBRS_ALIGN_RIGHT},
        {AFX_IDW_DOCKBAR_TOP, Qt::TopToolBarArea, Qt::Horizontal, CBRS_ALIGN_TOP},
    };
    QMainWindow* pWindow = Frame()->GetMainWindow();
    CToolBar* pBar = ToolBar();
    auto* pToolBar = qobject_cast<QToolBar*>(pBar->GetWidget());
    EXPECT_EQ(pWindow->toolBarArea(pToolBar), Qt::TopToolBarArea) << "docked at the top at start";
    EXPECT_TRUE(pToolBar->isMovable()) << "a bar with a gripper";

    // By calls, then by dragging with the mouse: each time from floating in
    // the middle of the frame to the side.
    for (bool byMouse : {false, true}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::to_string(row.nDockBarID) + (byMouse ? " by mouse" : ""));
            const QRect inside = pWindow->centralWidget()->geometry();
            const QPoint middle = pWindow->mapToGlobal(inside.center());
            if (byMouse) {
                Drag(pToolBar, QPoint(3, 3), middle);
            } else {
                POINT point;
                point.x = middle.x();
                point.y = middle.y();
                Frame()->FloatControlBar(pBar, point);
            }
            QApplication::processEvents();
            ASSERT_TRUE(pBar->IsFloating());
            QWidget* pFloating = pBar->GetFloatingWindow();
            ASSERT_NE(pFloating, nullptr);
            EXPECT_TRUE(pFloating->isVisible());
            EXPECT_TRUE(pFloating->isWindow());
            EXPECT_EQ(pToolBar->window(), pFloating);
            EXPECT_EQ(pToolBar->orientation(), Qt::Horizontal);
            EXPECT_EQ(pBar->GetDockBarID(), AFX_IDW_DOCKBAR_FLOAT);
            EXPECT_TRUE(pBar->IsVisible());

            if (byMouse) {
                // drag the small frame's caption to just inside that side
                const QRect frameInside(pWindow->mapToGlobal(inside.topLeft()), inside.size());
                QPoint target;
                switch (row.area) {
                case Qt::LeftToolBarArea:
                    target = QPoint(frameInside.left() + 4, frameInside.center().y());
                    break;
                case Qt::RightToolBarArea:
                    target = QPoint(frameInside.right() - 4, frameInside.center().y());
                    break;
                case Qt::BottomToolBarArea:
                    target = QPoint(frameInside.center().x(), frameInside.bottom() - 4);
                    break;
                default:
                    target = QPoint(frameInside.center().x(), frameInside.top() + 4);
                    break;
                }
                QWidget* pCaption = static_cast<MiniDockFrame*>(pFloating)->Caption();
                Drag(pCaption, QPoint(5, 5), target);
            } else {
                Frame()->DockControlBar(pBar, row.nDockBarID);
            }
            QApplication::processEvents();
            EXPECT_FALSE(pBar->IsFloating());
            EXPECT_FALSE(pFloating->isVisible());
            EXPECT_EQ(pToolBar->window(), pWindow);
            EXPECT_EQ(pWindow->toolBarArea(pToolBar), row.area);
            EXPECT_EQ(pToolBar->orientation(), row.orientation);
            EXPECT_EQ(pBar->GetDockBarID(), row.nDockBarID);
            EXPECT_EQ(pBar->GetBarStyle() & CBRS_ALIGN_ANY, row.align);
            EXPECT_TRUE(pBar->IsVisible());
        }
    }
}

// While the bar is dragged, a rectangle shows where it would go: against
// the side it would dock on, with the pointer on it, or floating.
TEST_F(MainFrame, TheDragRectangleShowsWhereTheBarWouldGo)
{
    QMainWindow* pWindow = Frame()->GetMainWindow();
    auto* pToolBar = qobject_cast<QToolBar*>(ToolBar()->GetWidget());
    const QRect inside(pWindow->mapToGlobal(pWindow->centralWidget()->geometry().topLeft()),
                       pWindow->centralWidget()->geometry().size());
    struct Row {
        const char* name;
        QPoint pointer;
        std::function<bool(const QRect&)> placed;
    };
    const Row rows[] = {
        {"left", QPoint(inside.left() + 3, inside.center().y()),
         [&](const QRect& r) { return r.left() <= inside.left() + 1 && r.height() > r.width(); }},
        {"right", QPoint(inside.right() - 3, inside.center().y()),
         [&](const QRect& r) { return r.right() >= inside.right() - 1 && r.height() > r.width(); }},
        {"bottom", QPoint(inside.center().x(), inside.bottom() - 3),
         [&](const QRect& r) {
             return r.bottom() >= inside.bottom() - 1 && r.width() > r.height();
         }},
        {"floating", inside.center(), [&](const QRect& r) { return r.width() > r.height(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // from the far end of the bar, so that the rectangle must turn
        // about the pointer to stay under it
        const QPoint from(pToolBar->width() - 3, 3);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(from),
                          QPointF(pToolBar->mapToGlobal(from)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(pToolBar, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(pToolBar->mapFromGlobal(row.pointer)),
                         QPointF(row.pointer), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pToolBar, &move);
        QRubberBand* pBand = nullptr;
        for (QWidget* pTop : QApplication::topLevelWidgets()) {
            if (auto* p = qobject_cast<QRubberBand*>(pTop); p != nullptr && p->isVisible())
                pBand = p;
        }
        ASSERT_NE(pBand, nullptr);
        const QRect band = pBand->geometry();
        EXPECT_TRUE(band.contains(row.pointer)) << "the pointer is on the rectangle";
        EXPECT_TRUE(row.placed(band));
        // let go where it started: nothing moves
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(from),
                            QPointF(pToolBar->mapToGlobal(QPoint(3, 3))), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(pToolBar, &release);
        EXPECT_FALSE(pBand->isVisible());
        EXPECT_EQ(pWindow->toolBarArea(pToolBar), Qt::TopToolBarArea);
        EXPECT_FALSE(ToolBar()->IsFloating());
    }
}

TEST_F(MainFrame, EscLeavesADraggedBarWhereItWas)
{
    QMainWindow* pWindow = Frame()->GetMainWindow();
    auto* pToolBar = qobject_cast<QToolBar*>(ToolBar()->GetWidget());
    const QRect inside = pWindow->centralWidget()->geometry();
    const QPoint left = pWindow->mapToGlobal(QPoint(inside.left() + 3, inside.center().y()));
    const QPoint from(3, 3);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(from), QPointF(pToolBar->mapToGlobal(from)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pToolBar, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(pToolBar->mapFromGlobal(left)), QPointF(left),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pToolBar, &move);
    QTest::keyClick(View()->GetWidget(), Qt::Key_Escape);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pToolBar->mapFromGlobal(left)),
                        QPointF(left), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pToolBar, &release);
    QApplication::processEvents();
    EXPECT_EQ(pWindow->toolBarArea(pToolBar), Qt::TopToolBarArea);
    EXPECT_EQ(ToolBar()->GetDockBarID(), AFX_IDW_DOCKBAR_TOP);
    for (QWidget* pTop : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QRubberBand*>(pTop) != nullptr && pTop->isVisible());
}

TEST_F(MainFrame, AFloatingBarsCaptionHidesIt)
{
    QMainWindow* pWindow = Frame()->GetMainWindow();
    CToolBar* pBar = ToolBar();
    POINT point;
    point.x = pWindow->mapToGlobal(QPoint(200, 200)).x();
    point.y = pWindow->mapToGlobal(QPoint(200, 200)).y();

    struct Way {
        const char* name;
        std::function<void(MiniDockFrame*)> hide;
    };
    const Way ways[] = {
        {"the caption's close button",
         [](MiniDockFrame* pMini) {
             ASSERT_FALSE(pMini->CloseButton()->icon().isNull());
             EXPECT_EQ(AccessibleName(pMini->CloseButton()).toStdString(), "非表示");
             pMini->CloseButton()->click();
         }},
        {"非表示 on the caption's menu",
         [](MiniDockFrame* pMini) {
             Drag(pMini->Caption(), QPoint(4, 4), pMini->Caption()->mapToGlobal(QPoint(4, 4)),
                  Qt::RightButton);
             auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
             ASSERT_NE(pMenu, nullptr);
             ASSERT_EQ(pMenu->actions().size(), 1) << "only the command that hides the bar";
             QAction* pHide = pMenu->actions()[0];
             EXPECT_EQ(pHide->text().toStdString(), "非表示(&H)");
             emit pMenu->hovered(pHide);
             EXPECT_EQ(MessagePane(), "作業中のｳｨﾝﾄﾞｳを閉じ、変更したﾌｧｲﾙの保存を指示");
             pHide->trigger();
             pMenu->hide();
             EXPECT_EQ(MessagePane(), "ﾚﾃﾞｨ");
         }},
        {"closing the small window", [](MiniDockFrame* pMini) { pMini->close(); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Frame()->FloatControlBar(pBar, point);
        auto* pMini = static_cast<MiniDockFrame*>(pBar->GetFloatingWindow());
        ASSERT_NE(pMini, nullptr);
        way.hide(pMini);
        QApplication::processEvents();
        EXPECT_FALSE(pBar->IsVisible());
        EXPECT_FALSE(pMini->isVisible());
        Frame()->OnIdleUpdateCmdUI();
        EXPECT_FALSE(MenuAction(ID_VIEW_TOOLBAR)->isChecked());
        // View shows it again, still floating
        EXPECT_TRUE(Frame()->OnCommand(ID_VIEW_TOOLBAR));
        EXPECT_TRUE(pBar->IsVisible());
        EXPECT_TRUE(pBar->IsFloating());
        EXPECT_TRUE(pMini->isVisible());
    }
}

// The View items hide and show the two bars through their ids, and are
// checked while their bar shows.
// Help's item and the tool bar's last button both open the About box, which
// Esc closes.
TEST_F(MainFrame, TheAboutBoxFromItsMenuItemAndItsButton)
{
    struct Way {
        const char* name;
        std::function<void()> open;
    };
    const Way ways[] = {
        {"the Help item", [] { MenuAction(ID_APP_ABOUT)->trigger(); }},
        {"the tool bar's last button",
         [] {
             CToolBar* pBar = ToolBar();
             ASSERT_EQ(pBar->CommandToIndex(ID_APP_ABOUT), pBar->GetCount() - 1);
             auto* pButton = qobject_cast<QToolButton*>(
                 qobject_cast<QToolBar*>(pBar->GetWidget())
                     ->widgetForAction(pBar->GetItemAction(pBar->GetCount() - 1)));
             ASSERT_NE(pButton, nullptr);
             ASSERT_TRUE(pButton->isEnabled());
             pButton->click();
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        QString title;
        QTimer watch;
        watch.setInterval(10);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (QWidget* pModal = QApplication::activeModalWidget()) {
                title = pModal->windowTitle();
                QTest::keyClick(pModal, Qt::Key_Escape);
            }
        });
        watch.start();
        way.open();
        QElapsedTimer waited;
        waited.start();
        while (title.isEmpty() && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        watch.stop();
        EXPECT_EQ(title.toStdString(), "RUVOKのﾊﾞｰｼﾞｮﾝ情報");
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "Esc closed it";
    }
}

TEST_F(MainFrame, ViewItemsHideAndShowBothBars)
{
    const UINT bars[] = {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR};
    for (UINT nID : bars) {
        SCOPED_TRACE(nID);
        CControlBar* pBar = Frame()->GetControlBar(nID);
        ASSERT_NE(pBar, nullptr);
        QAction* pItem = MenuAction(nID);
        ASSERT_NE(pItem, nullptr);
        Frame()->OnIdleUpdateCmdUI();
        EXPECT_TRUE(pItem->isEnabled());
        EXPECT_TRUE(pItem->isChecked());
        for (bool visible : {false, true, false, true}) {
            pItem->trigger();  // as the menu does
            QTest::qWait(20);
            EXPECT_EQ(pBar->IsVisible() != FALSE, visible);
            EXPECT_EQ(pBar->GetWidget()->isVisible(), visible);
            Frame()->OnIdleUpdateCmdUI();
            EXPECT_EQ(pItem->isChecked(), visible);
        }
    }
}

// Menu items and buttons take their state from the same route, and a
// command that does nothing is never enabled.
TEST_F(MainFrame, CommandStateRules)
{
    struct Row {
        const char* state;
        UINT nID;
        bool enabled;
    };
    auto check = [](std::initializer_list<Row> rows) {
        Frame()->OnIdleUpdateCmdUI();
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.state) + ", command " + std::to_string(row.nID));
            EXPECT_EQ(Frame()->IsCommandEnabled(row.nID) != FALSE, row.enabled);
            if (QAction* pItem = MenuAction(row.nID)) {
                EXPECT_EQ(pItem->isEnabled(), row.enabled) << "menu item";
            }
            const int button = ToolBar()->CommandToIndex(row.nID);
            if (button >= 0) {
                EXPECT_EQ(ToolBar()->GetItemAction(button)->isEnabled(), row.enabled) << "button";
            }
        }
    };
    SetText("");
    View()->GetEditCtrl().EmptyUndoBuffer();
    QGuiApplication::clipboard()->clear();
    check({{"empty", ID_EDIT_PASTE, false},
           {"empty", ID_EDIT_CUT, false},
           {"empty", ID_EDIT_COPY, false},
           {"empty", ID_EDIT_UNDO, false},
           {"always", ID_FILE_NEW, true},
           {"always", ID_FILE_OPEN, true},
           {"always", ID_FILE_SAVE, true},
           {"always", ID_FILE_SAVE_AS, true},
           {"always", ID_APP_EXIT, true},
           {"printing", ID_FILE_PRINT, true},
           {"printing", ID_FILE_PRINT_PREVIEW, true},
           {"printing", ID_FILE_PRINT_SETUP, true},
           {"no recent files", ID_FILE_MRU_FILE1, false},
           {"no splitter", ID_NEXT_PANE, false},
           {"no splitter", ID_PREV_PANE, false},
           {"a bar to show", ID_VIEW_TOOLBAR, true},
           {"a bar to show", ID_VIEW_STATUS_BAR, true}});

    QTest::keyClicks(View()->GetWidget(), QStringLiteral("abc"));
    QGuiApplication::clipboard()->setText(QStringLiteral("x"));
    check({{"typed, clipboard text", ID_EDIT_PASTE, true},
           {"typed, no selection", ID_EDIT_CUT, false},
           {"typed, no selection", ID_EDIT_COPY, false},
           {"typed", ID_EDIT_UNDO, true}});

    View()->GetEditCtrl().SetSel(0, 2);
    QGuiApplication::clipboard()->clear();
    check({{"selection", ID_EDIT_CUT, true},
           {"selection", ID_EDIT_COPY, true},
           {"clipboard empty", ID_EDIT_PASTE, false}});

    // a disabled command does not run, from any source
    EXPECT_FALSE(Frame()->OnCommand(ID_NEXT_PANE));
    EXPECT_FALSE(Frame()->OnCommand(ID_EDIT_PASTE));
    Doc()->SetModifiedFlag(FALSE);
}

// A frame of its own, to see what the framework delivers to any frame.
class CountingFrame : public CFrameWnd {
public:
    int paints = 0;
    bool painted = false;
    void OnPaint()
    {
        CPaintDC dc(this);
        ++paints;
        painted = painted || dc.GetPainter() != nullptr;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CountingFrame, CFrameWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(FrameWindow, PaintReachesTheFrameAndBarsReportWhatTheyLack)
{
    auto* pFrame = new CountingFrame;  // deletes itself with its window
    ASSERT_TRUE(pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW));
    QWidget* pWidget = pFrame->GetWidget();
    pWidget->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pWidget));
    pWidget->repaint();
    EXPECT_GT(pFrame->paints, 0) << "WM_PAINT reaches the frame's map";
    EXPECT_TRUE(pFrame->painted) << "and its paint cycle can draw";
    CPaintDC outside(pFrame);
    EXPECT_EQ(outside.GetPainter(), nullptr) << "outside a paint there is nothing to draw on";

    {
        CToolBar toolBar;
        ASSERT_TRUE(toolBar.CreateEx(pFrame));
        EXPECT_FALSE(toolBar.LoadToolBar(0x1234)) << "no such tool-bar resource";
        EXPECT_TRUE(toolBar.LoadToolBar(IDR_MAINFRAME));
        CStatusBar statusBar;
        ASSERT_TRUE(statusBar.Create(pFrame));
        const UINT missing[] = {ID_SEPARATOR, 0x1234};
        EXPECT_FALSE(statusBar.SetIndicators(missing, 2)) << "an indicator without its string";
        const UINT known[] = {ID_SEPARATOR, ID_INDICATOR_CAPS};
        EXPECT_TRUE(statusBar.SetIndicators(known, 2));
        // the frame finds its bars by their ids
        EXPECT_EQ(pFrame->GetControlBar(AFX_IDW_TOOLBAR), &toolBar);
        EXPECT_EQ(pFrame->GetControlBar(AFX_IDW_STATUS_BAR), &statusBar);
        pFrame->SetMessageText(ID_FILE_OPEN);
        EXPECT_EQ(statusBar.GetPaneDisplayText(0), "既存のﾌｧｲﾙを開く");
    }
    EXPECT_EQ(pFrame->GetControlBar(AFX_IDW_TOOLBAR), nullptr) << "a bar gone is out of the list";
    EXPECT_FALSE(pFrame->IsCommandEnabled(ID_VIEW_TOOLBAR)) << "no bar to show";
    pFrame->DestroyWindow();
}

// A frame of its own that notes the commands its bars send it.
class ListeningFrame : public CFrameWnd {
public:
    std::vector<UINT> commands;
    BOOL bNewEnabled = TRUE;
    void OnNew() { commands.push_back(ID_FILE_NEW); }
    void OnUpdateNew(CCmdUI* pCmdUI) { pCmdUI->Enable(bNewEnabled); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ListeningFrame, CFrameWnd)
    ON_COMMAND(ID_FILE_NEW, OnNew)
    ON_UPDATE_COMMAND_UI(ID_FILE_NEW, OnUpdateNew)
END_MESSAGE_MAP()

// A bar reports to the frame it was created in, whichever frame that is: a
// button's command runs there once the click is over, and only if it is
// still enabled then; prompts of the bar and of other children reach that
// frame's message pane.
TEST(FrameWindow, BarsReportToTheirOwnFrame)
{
    auto* pFrame = new ListeningFrame;  // deletes itself with its window
    ASSERT_TRUE(pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW));
    {
        CToolBar toolBar;
        ASSERT_TRUE(toolBar.CreateEx(pFrame, TBSTYLE_FLAT,
                                     WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_FLYBY));
        ASSERT_TRUE(toolBar.LoadToolBar(IDR_MAINFRAME));
        CStatusBar statusBar;
        ASSERT_TRUE(statusBar.Create(pFrame));
        const UINT panes[] = {ID_SEPARATOR};
        ASSERT_TRUE(statusBar.SetIndicators(panes, 1));
        pFrame->GetWidget()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pFrame->GetWidget()));
        auto* pButton = qobject_cast<QToolButton*>(
            qobject_cast<QToolBar*>(toolBar.GetWidget())
                ->widgetForAction(toolBar.GetItemAction(toolBar.CommandToIndex(ID_FILE_NEW))));
        ASSERT_NE(pButton, nullptr);

        struct Click {
            const char* what;
            BOOL enabledWhenItRuns;
            size_t runs;
        };
        const Click clicks[] = {
            {"enabled when it runs", TRUE, 1},
            {"disabled between the click and its run", FALSE, 0},
        };
        for (const Click& click : clicks) {
            SCOPED_TRACE(click.what);
            pFrame->commands.clear();
            pFrame->bNewEnabled = TRUE;
            pFrame->OnIdleUpdateCmdUI();
            ASSERT_TRUE(pButton->isEnabled());
            pButton->click();
            EXPECT_TRUE(pFrame->commands.empty()) << "the command waits for the click to end";
            pFrame->bNewEnabled = click.enabledWhenItRuns;
            QCoreApplication::processEvents();
            EXPECT_EQ(pFrame->commands.size(), click.runs);
        }

        const QPoint centre = pButton->rect().center();
        struct Message {
            const char* what;
            std::function<void()> send;
            std::string pane;
        };
        const Message messages[] = {
            {"the pointer on a button",
             [&] {
                 QEnterEvent enter{QPointF(centre), QPointF(centre),
                                   QPointF(pButton->mapToGlobal(centre))};
                 QApplication::sendEvent(pButton, &enter);
             },
             Prompt(ID_FILE_NEW)},
            {"the pointer leaving it",
             [&] {
                 QEvent leave(QEvent::Leave);
                 QApplication::sendEvent(pButton, &leave);
             },
             Prompt(AFX_IDS_IDLEMESSAGE)},
            {"a child's prompt by its id",
             [&] { pFrame->SendMessage(WM_SETMESSAGESTRING, ID_FILE_OPEN); }, Prompt(ID_FILE_OPEN)},
            {"a system command's prompt",
             [&] { pFrame->SendMessage(WM_SETMESSAGESTRING, SC_CLOSE); },
             Prompt(AFX_IDS_SCFIRST + (SC_CLOSE - 0xF000) / 16)},
            {"a child's own text",
             [&] {
                 pFrame->SendMessage(WM_SETMESSAGESTRING, ID_FILE_OPEN,
                                     reinterpret_cast<LPARAM>("2ﾍﾟｰｼﾞ"));
             },
             "2ﾍﾟｰｼﾞ"},
        };
        for (const Message& message : messages) {
            SCOPED_TRACE(message.what);
            ASSERT_FALSE(message.pane.empty());
            message.send();
            EXPECT_EQ(statusBar.GetPaneDisplayText(0), message.pane);
        }
    }
    pFrame->DestroyWindow();
}

}  // namespace
