// Save and Save As, and the save prompt before a modified document is
// replaced or closed.
#include "doc_fixture.h"

#include "app.h"
#include "document.h"
#include "editview.h"
#include "frame.h"

#include <QTest>
#include <QWidget>

#include <sys/stat.h>

using namespace doctest;

namespace {

const std::string kSjis = "\x82\xb1\x82\xf1\r\n";

class DocSave : public DocTest {};

// Which documents Save sends through the Save As dialog, and which it saves
// in place.
TEST_F(DocSave, SaveGoesThroughSaveAsWhereItMust)
{
    struct Case {
        const char* reason;
        std::function<std::string(const TempDir&)> prepare;  // returns the file to open, or ""
        std::function<void(const std::string&)> afterOpen;
        bool viaSaveAs;
    };
    const std::vector<Case> cases = {
        {"an untitled document", [](const TempDir&) { return std::string(); },
         [](const std::string&) {}, true},
        {"a writable file saves in place",
         [](const TempDir& d) {
             WriteFile(d.File("w.txt"), "old\n");
             return d.File("w.txt");
         },
         [](const std::string&) {}, false},
        {"a read-only file",
         [](const TempDir& d) {
             WriteFile(d.File("ro.txt"), "old\n");
             ::chmod(d.File("ro.txt").c_str(), 0444);
             return d.File("ro.txt");
         },
         [](const std::string&) {}, true},
        {"a file gone since it was opened",
         [](const TempDir& d) {
             WriteFile(d.File("gone.txt"), "old\n");
             return d.File("gone.txt");
         },
         [](const std::string& p) { ::unlink(p.c_str()); }, true},
        {"a file shown in part (longer than the limit)",
         [](const TempDir& d) {
             WriteFile(d.File("big.txt"), std::string(655361, 'x'));
             return d.File("big.txt");
         },
         [](const std::string&) {}, true},
        {"a file shown in part (a NUL in it)",
         [](const TempDir& d) {
             WriteFile(d.File("nul.txt"), std::string("ab\0cd", 5));
             return d.File("nul.txt");
         },
         [](const std::string&) {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        TempDir dir;
        std::string path = c.prepare(dir);
        std::string before = path.empty() ? std::string() : ReadFile(path);
        if (path.empty())
            AfxGetApp()->OnFileNew();
        else
            ASSERT_NE(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
        c.afterOpen(path);
        Edit(kSjis);
        GetPrompts().Clear();
        GetPrompts().CancelDialog();

        EXPECT_EQ(Doc()->DoFileSave(), c.viaSaveAs ? FALSE : TRUE);
        EXPECT_EQ(GetPrompts().dialogs.size(), c.viaSaveAs ? 1u : 0u);
        if (c.viaSaveAs) {
            GetPrompts().dialogAnswers.clear();
            EXPECT_FALSE(GetPrompts().dialogs[0].bOpenFileDialog);
            EXPECT_EQ(GetPrompts().dialogs[0].title, "名前を付けて保存");
            EXPECT_TRUE(Doc()->IsModified());  // cancelled: nothing saved
            if (FileExists(path)) {
                EXPECT_EQ(ReadFile(path), before);
            }
        } else {
            EXPECT_EQ(ReadFile(path), kSjis);
            EXPECT_FALSE(Doc()->IsModified());
        }
        Doc()->SetModifiedFlag(FALSE);
    }
}

TEST_F(DocSave, SaveAsNamesTheDocumentAfterTheNewFile)
{
    TempDir dir;
    Edit(kSjis);
    GetPrompts().AnswerDialogWith(dir.File("new name.txt"));
    ASSERT_TRUE(Frame()->OnCommand(ID_FILE_SAVE));
    ASSERT_EQ(GetPrompts().dialogs.size(), 1u);
    EXPECT_EQ(GetPrompts().dialogs[0].fileName, "無題.txt");  // the proposed name
    EXPECT_EQ(ReadFile(dir.File("new name.txt")), kSjis);
    EXPECT_EQ(Doc()->GetPathName(), dir.File("new name.txt"));
    EXPECT_EQ(Doc()->GetTitle(), "new name.txt");
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_EQ(Frame()->GetWindowText(), "new name.txt - ﾃｷｽﾄﾌｧｲﾙ表示");
    EXPECT_TRUE(GetPrompts().messages.empty());
}

// Text typed in the forms Linux input methods give is saved as code page
// 932's characters: WAVE DASH as 81 60, not "?".
TEST_F(DocSave, TypedLinuxFormsAreSavedAsTheCodePagesCharacters)
{
    TempDir dir;
    const std::string path = dir.File("typed.txt");
    WriteFile(path, "");
    ASSERT_NE(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
    QWidget* edit = View()->GetWidget();
    // As a keyboard layout or input method types them: key presses that
    // carry the character.
    for (const QChar ch : QStringLiteral("10〜20"))
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    EXPECT_TRUE(Doc()->IsModified());
    ASSERT_TRUE(Frame()->OnCommand(ID_FILE_SAVE));
    EXPECT_EQ(ReadFile(path), "\x31\x30\x81\x60\x32\x30");
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_TRUE(GetPrompts().messages.empty());
}

TEST_F(DocSave, SavingKeepsTheFilesPermissions)
{
    TempDir dir;
    std::string path = dir.File("p.txt");
    WriteFile(path, "old\n");
    ::chmod(path.c_str(), 0640);
    ASSERT_NE(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
    Edit(kSjis);
    ASSERT_TRUE(Doc()->DoFileSave());
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadFile(path), kSjis);
}

// The prompt "%1 への変更を保存しますか?" and its three answers, before New,
// before Open and before the window closes.
TEST_F(DocSave, ThePromptsThreeAnswers)
{
    enum Action { kNew, kOpen, kClose };
    struct Case {
        const char* reason;
        Action action;
        int answer;
        bool replaced;  // the document was replaced or closed
        bool saved;
    };
    const std::vector<Case> cases = {
        {"New, Yes: saves, then a new document", kNew, IDYES, true, true},
        {"New, No: discards, then a new document", kNew, IDNO, true, false},
        {"New, Cancel: stays", kNew, IDCANCEL, false, false},
        {"Open, Yes: saves, then opens", kOpen, IDYES, true, true},
        {"Open, No: discards, then opens", kOpen, IDNO, true, false},
        {"Open, Cancel: stays", kOpen, IDCANCEL, false, false},
        {"Close, Yes: saves, then closes", kClose, IDYES, true, true},
        {"Close, No: discards, then closes", kClose, IDNO, true, false},
        {"Close, Cancel: stays open", kClose, IDCANCEL, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        if (AfxGetMainWnd() == nullptr)
            AfxGetApp()->OnFileNew();
        TempDir dir;
        std::string path = dir.File("doc.txt");
        std::string other = dir.File("other.txt");
        WriteFile(path, "old\n");
        WriteFile(other, "other\n");
        ASSERT_NE(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
        Edit(kSjis);
        GetPrompts().Clear();
        GetPrompts().answers.push_back(c.answer);

        if (c.action == kNew) {
            Frame()->OnCommand(ID_FILE_NEW);
        } else if (c.action == kOpen) {
            GetPrompts().AnswerDialogWith(other);
            Frame()->OnCommand(ID_FILE_OPEN);
        } else {
            Frame()->SendMessage(WM_CLOSE);
        }

        ASSERT_EQ(GetPrompts().messages.size(), 1u);
        EXPECT_EQ(GetPrompts().messages[0].text, "doc.txt への変更を保存しますか?");
        EXPECT_EQ(GetPrompts().messages[0].type & MB_TYPEMASK, MB_YESNOCANCEL);
        EXPECT_EQ(ReadFile(path), c.saved ? kSjis : std::string("old\n"));

        if (c.action == kClose) {
            EXPECT_EQ(AfxGetMainWnd() == nullptr, c.replaced);
        } else if (c.replaced) {
            EXPECT_EQ(Text(), c.action == kNew ? "" : "other\r\n");
            EXPECT_FALSE(Doc()->IsModified());
        }
        if (!c.replaced) {
            EXPECT_EQ(Text(), kSjis);
            EXPECT_TRUE(Doc()->IsModified());
            EXPECT_EQ(Doc()->GetPathName(), path);
        }
        if (AfxGetMainWnd() != nullptr)
            Doc()->SetModifiedFlag(FALSE);
    }
}

TEST_F(DocSave, TheUntitledDocumentIsNamedInThePrompt)
{
    Edit(kSjis);
    GetPrompts().answers.push_back(IDNO);
    Frame()->OnCommand(ID_FILE_NEW);
    ASSERT_EQ(GetPrompts().messages.size(), 1u);
    EXPECT_EQ(GetPrompts().messages[0].text, "無題 への変更を保存しますか?");
}

}  // namespace
