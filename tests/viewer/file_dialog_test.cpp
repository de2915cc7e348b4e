// The framework's real file dialog (not the tests' stand-in): every text in
// it Japanese, the sizes and dates of its list included, and a name saved
// without an extension given the document's.
#include "doc_fixture.h"

#include "app.h"
#include "document.h"
#include "frame.h"
#include "msgbox.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFileDialog>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <map>

using namespace doctest;

namespace {

// The list's rows as the dialog shows them: name -> size, type, date.
using Rows = std::map<std::string, std::vector<std::string>>;

// Runs the real dialog on `request`, reads its list once `wanted` rows are
// in, and cancels it.
Rows ShowDialog(AfxFileDialogRequest request, size_t wanted)
{
    Rows rows;
    AfxFileDialogHook hook = AfxSetFileDialogHook(nullptr);
    int tries = 0;
    std::function<void()> look = [&] {
        auto* pDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QTreeView* pList = pDialog != nullptr ? pDialog->findChild<QTreeView*>() : nullptr;
        if (pList != nullptr) {
            QAbstractItemModel* pModel = pList->model();
            const QModelIndex root = pList->rootIndex();
            if (static_cast<size_t>(pModel->rowCount(root)) >= wanted || ++tries > 200) {
                for (int r = 0; r < pModel->rowCount(root); ++r) {
                    std::vector<std::string> cells;
                    for (int c = 1; c <= 3; ++c)
                        cells.push_back(pModel->index(r, c, root).data().toString().toStdString());
                    rows[pModel->index(r, 0, root).data().toString().toStdString()] = cells;
                }
                pDialog->reject();
                return;
            }
        } else if (++tries > 200) {
            return;
        }
        QTimer::singleShot(10, look);
    };
    QTimer::singleShot(10, look);
    const BOOL chosen = AfxDoFileDialog(request);
    AfxSetFileDialogHook(hook);
    EXPECT_FALSE(chosen);
    return rows;
}

TEST_F(DocTest, TheFileDialogListsSizesTypesAndDatesInJapanese)
{
    TempDir dir;
    WriteFile(dir.File("ten.txt"), "0123456789");
    (void)std::system(("mkdir '" + dir.File("folder") + "'").c_str());
    AfxFileDialogRequest request;
    request.bOpenFileDialog = TRUE;
    request.title = "開く";
    request.fileName = dir.File("ten.txt");
    request.filters = {{"ﾃｷｽﾄﾌｧｲﾙ (*.txt)", "*.txt"}, {"すべてのﾌｧｲﾙ (*.*)", "*"}};
    Rows rows = ShowDialog(request, 2);
    ASSERT_EQ(rows.count("ten.txt"), 1u);
    ASSERT_EQ(rows.count("folder"), 1u);
    EXPECT_EQ(rows["ten.txt"][0], "10 バイト");
    EXPECT_EQ(rows["folder"][0], "");
    EXPECT_EQ(rows["folder"][1], "フォルダ");
    // a date as Japanese writes it: no English month names
    const QString date = QString::fromStdString(rows["ten.txt"][2]);
    EXPECT_TRUE(date.contains(QRegularExpression(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} "))))
        << rows["ten.txt"][2];
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
        (void)std::system(("mkdir '" + dir.File("dir.d") + "'").c_str());
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
