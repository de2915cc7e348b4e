// Runtime class records, message maps and command routing, and the frame's
// menu and caption from the resources.
#include "doc_fixture.h"

#include "app.h"
#include "doctemplate.h"
#include "document.h"
#include "editview.h"
#include "expected_resources.h"
#include "frame.h"
#include "strings_table.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using namespace doctest;

namespace {

class Base : public CCmdTarget {
public:
    std::vector<std::string> calls;
    void OnBaseOnly() { calls.push_back("Base::OnBaseOnly"); }
    void OnBoth() { calls.push_back("Base::OnBoth"); }
    void OnUpdateBoth(CCmdUI* p) { p->Enable(FALSE); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Base, CCmdTarget)
    ON_COMMAND(1, OnBaseOnly)
    ON_COMMAND(2, OnBoth)
    ON_UPDATE_COMMAND_UI(2, OnUpdateBoth)
END_MESSAGE_MAP()

// A second base first, so that the command target is not at offset 0.
struct Padding {
    virtual ~Padding() = default;
    int pad[3] = {1, 2, 3};
};

class Derived : public Padding, public Base {
public:
    int value = 42;
    void OnBoth() { calls.push_back("Derived::OnBoth " + std::to_string(value)); }
    void OnRange(UINT nID) { calls.push_back("Derived::OnRange " + std::to_string(nID)); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Derived, Base)
    ON_COMMAND(2, OnBoth)
    ON_COMMAND_RANGE(10, 12, OnRange)
    ON_COMMAND(3, Base::OnBaseOnly)
END_MESSAGE_MAP()

TEST(FrameworkMessageMap, OwnEntriesFirstThenTheBasesEntries)
{
    struct Row {
        UINT nID;
        BOOL handled;
        const char* call;
    };
    const Row rows[] = {
        {1, TRUE, "Base::OnBaseOnly"},   // only the base has it
        {2, TRUE, "Derived::OnBoth 42"}, // the derived class's own entry wins
        {3, TRUE, "Base::OnBaseOnly"},   // an inherited handler in the derived map
        {10, TRUE, "Derived::OnRange 10"},
        {12, TRUE, "Derived::OnRange 12"},
        {13, FALSE, ""},
        {0, FALSE, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("command " + std::to_string(row.nID));
        Derived d;
        EXPECT_EQ(d.OnCmdMsg(row.nID, CN_COMMAND, nullptr), row.handled);
        if (row.handled) {
            ASSERT_EQ(d.calls.size(), 1u);
            EXPECT_EQ(d.calls[0], row.call);
        } else {
            EXPECT_TRUE(d.calls.empty());
        }
    }
    Derived d;
    CCmdUI state;
    EXPECT_TRUE(d.OnCmdMsg(2, CN_UPDATE_COMMAND_UI, &state));  // from the base map
    EXPECT_FALSE(state.m_bEnabled);
    EXPECT_FALSE(d.OnCmdMsg(1, CN_UPDATE_COMMAND_UI, &state));
}

TEST(FrameworkStrings, TheTemplateStringAndItsFields)
{
    const char* fields[] = {"ﾃｷｽﾄﾌｧｲﾙ表示", "", "Text", "ﾃｷｽﾄﾌｧｲﾙ (*.txt)", ".txt",
                            "Ruvok.Document", "Text Document"};
    std::string full = AfxLoadString(IDR_MAINFRAME);
    for (int i = 0; i < 7; ++i) {
        std::string field;
        EXPECT_TRUE(AfxExtractSubString(field, full, i));
        EXPECT_EQ(field, fields[i]) << "field " << i;
    }
    std::string none;
    EXPECT_FALSE(AfxExtractSubString(none, full, 7));
    EXPECT_EQ(full, expected::String(IDR_MAINFRAME));
    for (UINT nID : {AFX_IDS_APP_TITLE, AFX_IDP_ASK_TO_SAVE, AFX_IDP_FAILED_INVALID_FORMAT,
                     ID_APP_ABOUT})
        EXPECT_EQ(AfxLoadString(nID), expected::String(nID)) << std::hex << nID;
    EXPECT_EQ(AfxLoadString(0x1234), "");
}

class FrameworkFrame : public DocTest {};

TEST_F(FrameworkFrame, TheMenuComesFromTheResources)
{
    QMainWindow* pWindow = Frame()->GetMainWindow();
    ASSERT_NE(pWindow, nullptr);
    QList<QAction*> bar = pWindow->menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    EXPECT_EQ(bar[0]->text().toStdString(), "ﾌｧｲﾙ(&F)");
    EXPECT_EQ(bar[1]->text().toStdString(), "編集(&E)");
    EXPECT_EQ(bar[3]->text().toStdString(), "ﾍﾙﾌﾟ(&H)");

    std::vector<std::string> file;
    for (QAction* a : bar[0]->menu()->actions()) {
        // the keys stand in the menu's shortcut column
        const QString keys = a->shortcut().toString(QKeySequence::NativeText);
        file.push_back(a->isSeparator() ? "-"
                                        : (keys.isEmpty() ? a->text() : a->text() + u'\t' + keys)
                                              .toStdString());
    }
    std::vector<std::string> want;
    for (const expected::MenuRow& row : expected::kMenu)
        if (row.popup == bar[0]->text().toStdString())
            want.push_back(row.text != nullptr ? row.text : "-");
    EXPECT_EQ(file, want);
}

TEST_F(FrameworkFrame, CommandsAreEnabledWhereSomethingServesThem)
{
    struct Row {
        UINT nID;
        BOOL enabled;
        const char* reason;
    };
    const Row rows[] = {
        {ID_FILE_NEW, TRUE, "the application serves New"},
        {ID_FILE_OPEN, TRUE, "the application serves Open"},
        {ID_FILE_SAVE, TRUE, "the document serves Save"},
        {ID_FILE_SAVE_AS, TRUE, "the document serves Save As"},
        {ID_APP_EXIT, TRUE, "the application serves Exit"},
        {ID_FILE_MRU_FILE1, FALSE, "no recent files"},
        {0xE1FF, FALSE, "nobody serves it"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Frame()->IsCommandEnabled(row.nID), row.enabled) << row.reason;
}

// The accelerator table's keys reach their commands from the edit control.
TEST_F(FrameworkFrame, AcceleratorsRunTheirCommands)
{
    struct Row {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* dialogTitle;  // the file dialog the command opens
    };
    const Row rows[] = {
        {Qt::Key_S, Qt::ControlModifier, "名前を付けて保存"},  // Save of an untitled document
        {Qt::Key_O, Qt::ControlModifier, "開く"},  // Open asks to save only once a file is chosen
    };
    QWidget* pWindow = Frame()->GetMainWindow();
    pWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pWindow));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dialogTitle);
        Edit("changed\r\n");
        GetPrompts().Clear();
        GetPrompts().CancelDialog();
        View()->SetFocus();
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), row.key, row.mods);
        QTest::qWait(50);  // commands run from the event loop
        ASSERT_EQ(GetPrompts().dialogs.size(), 1u);
        EXPECT_EQ(GetPrompts().dialogs[0].title, row.dialogTitle);
        EXPECT_TRUE(GetPrompts().messages.empty());
        Doc()->SetModifiedFlag(FALSE);
    }
}

TEST_F(FrameworkFrame, ExitClosesThroughThePrompt)
{
    Edit("changed\r\n");
    GetPrompts().answers.push_back(IDCANCEL);
    EXPECT_TRUE(Frame()->OnCommand(ID_APP_EXIT));
    ASSERT_EQ(GetPrompts().messages.size(), 1u);
    EXPECT_EQ(GetPrompts().messages[0].text, "無題 への変更を保存しますか?");
    ASSERT_NE(AfxGetMainWnd(), nullptr);  // cancelled: still there

    GetPrompts().answers.push_back(IDNO);
    EXPECT_TRUE(Frame()->OnCommand(ID_APP_EXIT));
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
}

}  // namespace
