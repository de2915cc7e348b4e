// Documents of Shift_JIS and EUC-JP file names, beside files named with
// U+FFFD in their place (what a lossy decoding makes of those names): each
// opens, saves and is named in the caption and the messages as its own.
#include "doc_fixture.h"

#include "app.h"
#include "document.h"
#include "editview.h"
#include "filedialog.h"
#include "folderlist.h"
#include "frame.h"
#include "strings_table.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include <sys/stat.h>
#include <unistd.h>

using namespace doctest;

namespace {

struct LegacyName {
    const char* why;
    std::string bytes;
    std::string shown;
};
// 日本語.txt in Shift_JIS and 漢字.txt in EUC-JP
const LegacyName kNames[] = {
    {"Shift_JIS", "\x93\xfa\x96\x7b\x8c\xea.txt", "日本語.txt"},
    {"EUC-JP", "\xb4\xc1\xbb\xfa.txt", "漢字.txt"},
};
const std::string kEucText = "\xa4\xb3\xa4\xf3\n";  // こん in EUC-JP

std::string Lost(const std::string& bytes)
{
    return QString::fromUtf8(bytes).toStdString();
}

std::string Caption()
{
    return Frame()->GetWindowText();
}

class DocNames : public DocTest {};

// Opened, shown under its name, saved with Ctrl+S into itself: the U+FFFD
// file beside it is never read or written.
TEST_F(DocNames, ALegacyNameOpensAndSavesAsItself)
{
    for (const LegacyName& name : kNames) {
        SCOPED_TRACE(name.why);
        TempDir dir;
        const std::string path = dir.File(name.bytes);
        const std::string lost = dir.File(Lost(name.bytes));
        WriteFile(path, kEucText);
        WriteFile(lost, "another file\n");

        ASSERT_NE(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
        EXPECT_EQ(Doc()->GetPathName(), path);
        EXPECT_EQ(Doc()->GetTitle(), name.shown);
        EXPECT_EQ(Caption(), name.shown + " - ﾃｷｽﾄﾌｧｲﾙ表示");
        EXPECT_EQ(Text(), ConvertedText(kEucText));

        QWidget* pEdit = View()->GetWidget();
        Frame()->GetMainWindow()->activateWindow();
        View()->SetFocus();
        QTest::keyClicks(pEdit, QStringLiteral("ab"));
        QTest::keyClick(pEdit, Qt::Key_S, Qt::ControlModifier);
        QTest::qWait(20);  // commands run from the event loop
        EXPECT_FALSE(Doc()->IsModified());
        EXPECT_EQ(ReadFile(path), Text());
        EXPECT_NE(ReadFile(path).find("ab"), std::string::npos);
        EXPECT_EQ(ReadFile(lost), "another file\n");
        EXPECT_TRUE(GetPrompts().dialogs.empty()) << "saved in place, no Save As";
        EXPECT_TRUE(GetPrompts().messages.empty());

        // The save prompt names it as it reads.
        Edit("changed\r\n");
        GetPrompts().answers = {IDNO};
        AfxGetApp()->OnFileNew();
        ASSERT_EQ(GetPrompts().messages.size(), 1u);
        EXPECT_EQ(GetPrompts().messages[0].text,
                  AfxFormatString1(AFX_IDP_ASK_TO_SAVE, name.shown));
        GetPrompts().Clear();
    }
}

// Save As to a new Shift_JIS or EUC-JP name in a folder that has the U+FFFD
// name already: the new file is made, the other stays.
TEST_F(DocNames, SaveAsMakesTheLegacyNameAsked)
{
    for (const LegacyName& name : kNames) {
        SCOPED_TRACE(name.why);
        TempDir dir;
        const std::string path = dir.File(name.bytes);
        const std::string lost = dir.File(Lost(name.bytes));
        WriteFile(lost, "another file\n");
        Edit("new text\r\n");
        GetPrompts().AnswerDialogWith(path);
        ASSERT_TRUE(Frame()->OnCommand(ID_FILE_SAVE_AS));
        EXPECT_EQ(ReadFile(path), "new text\r\n");
        EXPECT_EQ(ReadFile(lost), "another file\n");
        EXPECT_EQ(Doc()->GetPathName(), path);
        EXPECT_EQ(Caption(), name.shown + " - ﾃｷｽﾄﾌｧｲﾙ表示");
        // nothing else was left in the folder (no temporary file)
        EXPECT_EQ(AfxFolderNames(dir.Path()).size(), 2u);
        GetPrompts().Clear();
    }
}

// A link is saved through: its target, of a legacy name, gets the text.
TEST_F(DocNames, SavingThroughALinkKeepsTheLink)
{
    TempDir dir;
    const std::string target = kNames[0].bytes;
    WriteFile(dir.File(target), "old\n");
    ::chmod(dir.File(target).c_str(), 0640);
    ASSERT_EQ(::symlink(target.c_str(), dir.File("link.txt").c_str()), 0);
    ASSERT_NE(AfxGetApp()->OpenDocumentFile(dir.File("link.txt").c_str()), nullptr);
    Edit("through the link\r\n");
    ASSERT_TRUE(Doc()->DoFileSave());
    struct stat st;
    ASSERT_EQ(::lstat(dir.File("link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(dir.File(target)), "through the link\r\n");
    ASSERT_EQ(::stat(dir.File(target).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// A file that can't be opened is named as it reads in the message.
TEST_F(DocNames, MessagesNameTheFileAsItReads)
{
    TempDir dir;
    const std::string missing = dir.File(kNames[0].bytes);
    EXPECT_EQ(AfxGetApp()->OpenDocumentFile(missing.c_str()), nullptr);
    ASSERT_EQ(GetPrompts().messages.size(), 1u);
    EXPECT_EQ(GetPrompts().messages[0].text,
              AfxFormatString1(0xF1A2, dir.Path() + "/" + kNames[0].shown));
}

// File Open through the real dialog: the Shift_JIS entry chosen opens that
// file, not its look-alike.
TEST_F(DocNames, TheOpenDialogOpensTheEntryChosen)
{
    TempDir dir;
    const std::string path = dir.File(kNames[0].bytes);
    WriteFile(path, kEucText);
    WriteFile(dir.File(Lost(kNames[0].bytes)), "another file\n");
    AfxFileDialogHook hook = AfxSetFileDialogHook(nullptr);
    QTimer::singleShot(0, [&] {
        auto* p = qobject_cast<FileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(p, nullptr);
        auto* pList = p->findChild<QTreeView*>(QStringLiteral("treeView"));
        auto* pModel = qobject_cast<CFolderList*>(pList->model());
        // the folder typed, then its entry chosen in the list
        auto* pName = p->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        pName->setText(QString::fromStdString(dir.Path()));
        emit pName->textEdited(pName->text());
        QTest::keyClick(pName, Qt::Key_Return);
        EXPECT_EQ(p->Folder(), dir.Path());
        pList->setCurrentIndex(pModel->IndexOf(kNames[0].bytes));
        QTest::keyClick(pList, Qt::Key_Return);
    });
    ASSERT_TRUE(Frame()->OnCommand(ID_FILE_OPEN));
    AfxSetFileDialogHook(hook);
    EXPECT_EQ(Doc()->GetPathName(), path);
    EXPECT_EQ(Text(), ConvertedText(kEucText));
    EXPECT_EQ(Caption(), kNames[0].shown + " - ﾃｷｽﾄﾌｧｲﾙ表示");
}

}  // namespace
