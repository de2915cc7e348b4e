// The framework's real file dialog (not the tests' stand-in): every text in
// it Japanese, the sizes and dates of its list included; a folder of
// Shift_JIS, EUC-JP and U+FFFD names listed under the names as they read,
// and the entry chosen (by the list, by the keyboard, by a typed name)
// handed back as its own bytes; a name saved without an extension given the
// document's.
#include "doc_fixture.h"

#include "app.h"
#include "document.h"
#include "filedialog.h"
#include "filename.h"
#include "folderlist.h"
#include "frame.h"
#include "msgbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <sys/stat.h>

using namespace doctest;

namespace {

// 日本語.txt in Shift_JIS, 漢字.txt in EUC-JP, and the names a lossy decoding
// makes of them, U+FFFD for each byte it could not read.
const std::string kSjis = "\x93\xfa\x96\x7b\x8c\xea.txt";
const std::string kEuc = "\xb4\xc1\xbb\xfa.txt";
const std::string kSjisLost = QString::fromUtf8(kSjis).toStdString();
const std::string kEucLost = QString::fromUtf8(kEuc).toStdString();
// a byte nothing decodes, beside a name that reads the same
const std::string kOdd = "a\x80z.txt";
const std::string kOddTwin = "a\xef\xbf\xbdz.txt";
// 資料 (a folder) in Shift_JIS, with メモ.txt in it, in Shift_JIS too
const std::string kFolder = "\x8e\x91\x97\xbf";
const std::string kInFolder = "\x83\x81\x83\x82.txt";

FileDialog* ActiveDialog()
{
    return qobject_cast<FileDialog*>(QApplication::activeModalWidget());
}

QTreeView* List(FileDialog* p)
{
    return p->findChild<QTreeView*>(QStringLiteral("treeView"));
}

CFolderList* Model(FileDialog* p)
{
    return qobject_cast<CFolderList*>(List(p)->model());
}

QLineEdit* NameField(FileDialog* p)
{
    return p->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// The names the list shows, as they read, in its order.
std::vector<std::string> Shown(FileDialog* p)
{
    std::vector<std::string> names;
    CFolderList* pModel = Model(p);
    for (int r = 0; r < pModel->rowCount(); ++r)
        names.push_back(pModel->index(r, 0).data().toString().toStdString());
    return names;
}

// Where the user's keys go: the widget the last step put the focus on (the
// offscreen platform may not have made the dialog active yet).
QWidget* g_pKeysTo = nullptr;

void Select(FileDialog* p, const std::string& name)
{
    const QModelIndex index = Model(p)->IndexOf(name);
    ASSERT_TRUE(index.isValid()) << "not listed: " << name;
    List(p)->setFocus();
    g_pKeysTo = List(p);
    List(p)->setCurrentIndex(index);
}

void Type(FileDialog* p, const QString& text)
{
    QLineEdit* pName = NameField(p);
    pName->setFocus();
    g_pKeysTo = pName;
    // as typed (QTest types ASCII only)
    pName->setText(text);
    emit pName->textEdited(text);
}

void Press(FileDialog* p, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(g_pKeysTo != nullptr ? g_pKeysTo : p, static_cast<Qt::Key>(key), modifiers);
}

struct Outcome {
    BOOL chosen = FALSE;
    std::string path;
};

// Runs the real dialog on request; act does what the user does once it is
// up. A dialog still open after it is cancelled.
Outcome RunDialog(AfxFileDialogRequest request, const std::function<void(FileDialog*)>& act)
{
    AfxFileDialogHook hook = AfxSetFileDialogHook(nullptr);
    bool ran = false;
    QTimer::singleShot(0, [&] {
        FileDialog* p = ActiveDialog();
        if (p == nullptr)
            return;
        ran = true;
        g_pKeysTo = NameField(p);  // where the dialog puts the focus
        act(p);
        if (ActiveDialog() == p)
            p->reject();
    });
    Outcome outcome;
    outcome.chosen = AfxDoFileDialog(request);
    outcome.path = request.fileName;
    g_pKeysTo = nullptr;
    AfxSetFileDialogHook(hook);
    EXPECT_TRUE(ran) << "the dialog never came up";
    return outcome;
}

AfxFileDialogRequest Request(BOOL bOpen, const std::string& fileName)
{
    AfxFileDialogRequest request;
    request.bOpenFileDialog = bOpen;
    request.title = bOpen ? "開く" : "名前を付けて保存";
    request.fileName = fileName;
    request.filters = {{"ﾃｷｽﾄﾌｧｲﾙ (*.txt)", "*.txt"}, {"すべてのﾌｧｲﾙ (*.*)", "*"}};
    request.defaultExt = bOpen ? "" : "txt";
    return request;
}

// A folder of legacy names beside the names lossy tools make of them.
class LegacyFolder {
public:
    LegacyFolder()
    {
        for (const std::string& name : {kSjis, kEuc, kSjisLost, kEucLost, kOdd, kOddTwin,
                                        std::string("notes.md"), std::string("README"),
                                        std::string("UPPER.TXT"), std::string(".hidden.txt")})
            WriteFile(m_dir.File(name), "the text of " + name);
        ::mkdir(m_dir.File(kFolder).c_str(), 0755);
        WriteFile(m_dir.File(kFolder + "/" + kInFolder), "memo");
    }
    std::string File(const std::string& name) const { return m_dir.File(name); }
    const std::string& Path() const { return m_dir.Path(); }

private:
    TempDir m_dir;
};

TEST_F(DocTest, TheFileDialogListsSizesTypesAndDatesInJapanese)
{
    TempDir dir;
    WriteFile(dir.File("ten.txt"), "0123456789");
    ::mkdir(dir.File("folder").c_str(), 0755);
    std::map<std::string, std::vector<std::string>> rows;
    std::vector<std::string> texts;
    RunDialog(Request(TRUE, dir.File("ten.txt")), [&](FileDialog* p) {
        CFolderList* pModel = Model(p);
        for (int r = 0; r < pModel->rowCount(); ++r) {
            std::vector<std::string> cells;
            for (int c = 1; c <= 3; ++c)
                cells.push_back(pModel->index(r, c).data().toString().toStdString());
            rows[pModel->index(r, 0).data().toString().toStdString()] = cells;
        }
        for (int c = 0; c < 4; ++c)
            texts.push_back(pModel->headerData(c, Qt::Horizontal).toString().toStdString());
        for (QLabel* pLabel : p->findChildren<QLabel*>())
            texts.push_back(pLabel->text().toStdString());
        for (QAbstractButton* pButton : p->findChildren<QAbstractButton*>()) {
            texts.push_back(pButton->text().isEmpty() ? pButton->toolTip().toStdString()
                                                      : pButton->text().toStdString());
        }
        // every control is named for a screen reader
        for (QWidget* pWidget : {static_cast<QWidget*>(List(p)), static_cast<QWidget*>(NameField(p)),
                                 static_cast<QWidget*>(p->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))),
                                 static_cast<QWidget*>(p->findChild<QComboBox*>(QStringLiteral("lookInCombo")))})
            EXPECT_FALSE(pWidget->accessibleName().isEmpty()) << pWidget->objectName().toStdString();
        for (QAbstractButton* pButton : p->findChildren<QAbstractButton*>())
            EXPECT_FALSE(pButton->accessibleName().isEmpty()) << pButton->objectName().toStdString();
        texts.push_back(p->windowTitle().toStdString());
    });
    ASSERT_EQ(rows.count("ten.txt"), 1u);
    ASSERT_EQ(rows.count("folder"), 1u);
    EXPECT_EQ(rows["ten.txt"][0], "10 バイト");
    EXPECT_EQ(rows["folder"][0], "");
    EXPECT_EQ(rows["folder"][1], "フォルダ");
    // a date as Japanese writes it: no English month names
    const QString date = QString::fromStdString(rows["ten.txt"][2]);
    EXPECT_TRUE(date.contains(QRegularExpression(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} "))))
        << rows["ten.txt"][2];
    // No English word anywhere: the labels, headers, buttons and tips.
    const QRegularExpression english(QStringLiteral("[A-Za-z]{2,}"));
    for (const std::string& text : texts) {
        EXPECT_FALSE(text.empty());
        EXPECT_FALSE(QString::fromStdString(text).contains(english)) << text;
    }
}

// Every name of a folder is listed, under the name as it reads; the type
// filters of both kinds and hidden files as Qt's dialog had them.
TEST_F(DocTest, TheFileDialogListsEveryNameAsItReads)
{
    LegacyFolder folder;
    std::vector<std::string> txt, all;
    RunDialog(Request(TRUE, folder.Path() + "/"), [&](FileDialog* p) {
        txt = Shown(p);
        p->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->setCurrentIndex(1);
        all = Shown(p);
    });
    // folders first, then the names in Japanese order; the look-alikes both
    std::vector<std::string> expected = {"資料", AfxDisplayName(kOdd), kOddTwin,
                                         "UPPER.TXT", "漢字.txt", "日本語.txt", kEucLost, kSjisLost};
    auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin() + 1, v.end());
        return v;
    };
    EXPECT_EQ(txt.size(), 8u);
    EXPECT_EQ(txt[0], "資料");
    EXPECT_EQ(sorted(txt), sorted(expected));
    EXPECT_EQ(all.size(), 10u) << "notes.md and README under すべてのﾌｧｲﾙ";
    EXPECT_EQ(std::count(all.begin(), all.end(), "README"), 1);
    EXPECT_EQ(std::count(all.begin(), all.end(), ".hidden.txt"), 0);
}

struct ChoiceRow {
    const char* why;
    BOOL bOpen;
    std::function<void(FileDialog*)> act;
    std::string expected;  // relative to the folder; empty: cancelled
    std::deque<int> answers;
    size_t messages;
};

// What the user does in the dialog, and the bytes it hands back.
TEST_F(DocTest, TheFileDialogHandsBackTheEntrysOwnBytes)
{
    const auto enter = [](FileDialog* p) { Press(p, Qt::Key_Return); };
    const ChoiceRow rows[] = {
        {"a Shift_JIS name chosen in the list, Enter", TRUE,
         [&](FileDialog* p) { Select(p, kSjis); enter(p); }, kSjis, {}, 0},
        {"an EUC-JP name chosen, then the Open button", TRUE,
         [&](FileDialog* p) {
             Select(p, kEuc);
             p->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
         },
         kEuc, {}, 0},
        {"the U+FFFD name is a file of its own", TRUE,
         [&](FileDialog* p) { Select(p, kSjisLost); enter(p); }, kSjisLost, {}, 0},
        {"a Shift_JIS name typed as it reads", TRUE,
         [&](FileDialog* p) { Type(p, QStringLiteral("日本語.txt")); enter(p); }, kSjis, {}, 0},
        {"an EUC-JP name typed", TRUE,
         [&](FileDialog* p) { Type(p, QStringLiteral("漢字.txt")); enter(p); }, kEuc, {}, 0},
        {"a name typed whole, Enter in its completions", TRUE,
         [&](FileDialog* p) {
             Type(p, QStringLiteral("漢字.txt"));
             QCompleter* pCompleter = NameField(p)->completer();
             pCompleter->complete();
             QTest::keyClick(pCompleter->popup(), Qt::Key_Return);
             QApplication::processEvents();
         },
         kEuc, {}, 0},
        {"typed, the look-alike whose bytes are the text's", TRUE,
         [&](FileDialog* p) { Type(p, QString::fromStdString(kOddTwin)); enter(p); }, kOddTwin, {}, 0},
        {"chosen, the look-alike with the byte nothing decodes", TRUE,
         [&](FileDialog* p) { Select(p, kOdd); enter(p); }, kOdd, {}, 0},
        {"double-click into a Shift_JIS folder, then a name in it", TRUE,
         [&](FileDialog* p) {
             Select(p, kFolder);
             emit List(p)->activated(Model(p)->IndexOf(kFolder));
             Select(p, kInFolder);
             enter(p);
         },
         kFolder + "/" + kInFolder, {}, 0},
        {"a path typed through a Shift_JIS folder", TRUE,
         [&](FileDialog* p) { Type(p, QStringLiteral("資料/メモ.txt")); enter(p); },
         kFolder + "/" + kInFolder, {}, 0},
        {"Enter on a folder, Backspace back up, then a file", TRUE,
         [&](FileDialog* p) {
             Select(p, kFolder);
             enter(p);
             Press(p, Qt::Key_Backspace);
             Select(p, kEuc);
             enter(p);
         },
         kEuc, {}, 0},
        {"a missing file: said so, the dialog stays", TRUE,
         [&](FileDialog* p) {
             Type(p, QStringLiteral("ない.txt"));
             enter(p);
         },
         "", {}, 1},
        {"Save As: a new name takes the extension", FALSE,
         [&](FileDialog* p) { Type(p, QStringLiteral("新しい")); enter(p); }, "新しい.txt", {}, 0},
        {"Save As over a Shift_JIS file, after Yes", FALSE,
         [&](FileDialog* p) { Select(p, kSjis); enter(p); }, kSjis, {IDYES}, 1},
        {"Save As over it, No: the dialog stays", FALSE,
         [&](FileDialog* p) { Select(p, kSjis); enter(p); }, "", {IDNO}, 1},
        {"Save As: Enter on a folder enters it and keeps the typed name", FALSE,
         [&](FileDialog* p) {
             Type(p, QStringLiteral("控え"));
             Select(p, kFolder);
             enter(p);
             NameField(p)->setFocus();
             g_pKeysTo = NameField(p);
             enter(p);
         },
         kFolder + "/控え.txt", {}, 0},
    };
    for (const ChoiceRow& row : rows) {
        SCOPED_TRACE(row.why);
        LegacyFolder folder;
        GetPrompts().Clear();
        GetPrompts().answers = row.answers;
        const Outcome outcome = RunDialog(Request(row.bOpen, folder.File("README")), row.act);
        EXPECT_EQ(outcome.chosen != FALSE, !row.expected.empty());
        if (!row.expected.empty()) {
            EXPECT_EQ(outcome.path, folder.File(row.expected));
        }
        EXPECT_EQ(GetPrompts().messages.size(), row.messages);
        if (row.messages > 0 && !row.bOpen) {
            EXPECT_EQ(GetPrompts().messages[0].type & MB_DEFMASK, MB_DEFBUTTON2)
                << "No is the default of the overwrite question";
        }
        GetPrompts().answers.clear();
    }
}

// The document proposes its own file: the dialog opens on its folder with
// that entry chosen, and saves to that entry, not to its look-alike.
TEST_F(DocTest, SaveAsProposesTheDocumentsOwnEntry)
{
    LegacyFolder folder;
    ASSERT_NE(AfxGetApp()->OpenDocumentFile(folder.File(kSjis).c_str()), nullptr);
    Edit("edited\r\n");
    GetPrompts().answers = {IDYES};
    std::string proposed;
    AfxFileDialogHook hook = AfxSetFileDialogHook(nullptr);
    QTimer::singleShot(0, [&] {
        FileDialog* p = ActiveDialog();
        ASSERT_NE(p, nullptr);
        proposed = NameField(p)->text().toStdString();
        g_pKeysTo = NameField(p);
        Press(p, Qt::Key_Return);
        g_pKeysTo = nullptr;
    });
    EXPECT_TRUE(Frame()->OnCommand(ID_FILE_SAVE_AS));
    AfxSetFileDialogHook(hook);
    EXPECT_EQ(proposed, "日本語.txt");
    EXPECT_EQ(ReadFile(folder.File(kSjis)), "edited\r\n");
    EXPECT_EQ(ReadFile(folder.File(kSjisLost)), "the text of " + kSjisLost);
    EXPECT_EQ(Doc()->GetPathName(), folder.File(kSjis));
}

TEST_F(DocTest, SaveAsGivesANameWithoutExtensionTheDocuments)
{
    struct Row {
        const char* typed;
        const char* saved;
    };
    const Row rows[] = {
        {"plain", "plain.txt"},
        {"notes.md", "notes.md"},
        {"dir.d/plain", "dir.d/plain.txt"},
        {"archive.tar.gz", "archive.tar.gz"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        TempDir dir;
        ::mkdir(dir.File("dir.d").c_str(), 0755);
        Edit("text\r\n");
        GetPrompts().AnswerDialogWith(dir.File(row.typed));
        ASSERT_TRUE(Frame()->OnCommand(ID_FILE_SAVE_AS));
        EXPECT_EQ(GetPrompts().dialogs.back().defaultExt, "txt");
        EXPECT_EQ(Doc()->GetPathName(), dir.File(row.saved));
        EXPECT_EQ(ReadFile(dir.File(row.saved)), "text\r\n");
        GetPrompts().Clear();
    }
}

}  // namespace

namespace {

// A UTF-8 file saves through Save As; choosing its own name there still asks
// whether to replace it, and only Yes writes over it.
TEST_F(DocTest, SaveAsUnderTheSameNameStillAsksToReplace)
{
    const std::string utf8 = "日本語のテキスト\n";
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
        TempDir dir;
        const std::string path = dir.File("utf8.txt");
        WriteFile(path, utf8);
        ASSERT_NE(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
        const std::string shown = Text();
        GetPrompts().Clear();
        GetPrompts().answers = {answer};
        AfxFileDialogHook hook = AfxSetFileDialogHook(nullptr);
        std::string proposed;
        QTimer::singleShot(0, [&] {
            FileDialog* p = ActiveDialog();
            ASSERT_NE(p, nullptr);
            proposed = NameField(p)->text().toStdString();
            g_pKeysTo = NameField(p);
            Press(p, Qt::Key_Return);
            if (ActiveDialog() == p)
                p->reject();  // No: the dialog stays; the user gives up
            g_pKeysTo = nullptr;
        });
        EXPECT_EQ(Frame()->OnCommand(ID_FILE_SAVE), TRUE);
        AfxSetFileDialogHook(hook);
        EXPECT_EQ(proposed, "utf8.txt");
        ASSERT_EQ(GetPrompts().messages.size(), 1u);
        EXPECT_NE(GetPrompts().messages[0].text.find("置き換えますか?"), std::string::npos)
            << GetPrompts().messages[0].text;
        EXPECT_EQ(GetPrompts().messages[0].type & MB_DEFMASK, MB_DEFBUTTON2);
        EXPECT_EQ(ReadFile(path), answer == IDYES ? shown : utf8);
        Doc()->SetModifiedFlag(FALSE);
    }
}

}  // namespace
