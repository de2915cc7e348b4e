// Printing through the real frame and view into PDF files, read back with
// poppler's tools; the progress box, cancelling, jobs that can't start, Print
// Setup and the "/p" entry.
#include "doc_fixture.h"
#include "print_support.h"

#include "app.h"
#include "dc.h"
#include "document.h"
#include "editview.h"
#include "frame.h"
#include "printdlgs.h"
#include "printing.h"
#include "strings_table.h"

#include <QApplication>
#include <QLabel>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

using namespace doctest;
using namespace printtest;

namespace {

class PrintTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        // The view prints in its font, which it has from its first paint on.
        QWidget* pWindow = Frame()->GetWidget();
        pWindow->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pWindow));
        View()->GetWidget()->repaint();
        QPrinter& printer = AfxGetPrinter();
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setCopyCount(1);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString());
        pdf = dir.File("out.pdf");
        fixtureHook = AfxSetPrintDialogHook(nullptr);
        AnswerPrintDialogs(pdf);
    }
    void TearDown() override
    {
        AfxSetPrintDialogHook(fixtureHook);
        AfxSetPrintPageHook(nullptr);
        DocTest::TearDown();
    }

    TempDir dir;
    std::string pdf;
    AfxPrintDialogHook fixtureHook;
};

// Lines "L0001".."Lnnnn", CR LF ended.
std::string NumberedLines(int n, int from = 1)
{
    std::string s;
    char buf[16];
    for (int i = from; i < from + n; ++i) {
        std::snprintf(buf, sizeof buf, "L%04d\r\n", i);
        s += buf;
    }
    return s;
}

// How many lines the first page of a long text holds, printed into pdf.
int LinesPerPage(const std::string& pdf)
{
    SetText(NumberedLines(400));
    View()->RunPrintJob(FALSE);
    return static_cast<int>(PageLines(pdf, 1).size());
}

TEST_F(PrintTest, PageCountFollowsTheNumberOfLines)
{
    const int perPage = LinesPerPage(pdf);
    ASSERT_GT(perPage, 20) << "an A4 page holds more than 20 lines of 12 points";
    struct Row {
        int lines;
        int pages;
        const char* why;
    } rows[] = {
        {1, 1, "one line"},
        {perPage, 1, "a full page"},
        {perPage + 1, 2, "one line over"},
        {3 * perPage, 3, "three full pages"},
        {3 * perPage + 1, 4, "one line into the fourth"},
    };
    for (const Row& r : rows) {
        SetText(NumberedLines(r.lines));
        ASSERT_TRUE(View()->RunPrintJob(FALSE)) << r.why;
        EXPECT_EQ(PageCount(pdf), r.pages) << r.why;
        // Every line once, in order, page after page.
        std::vector<std::string> all;
        for (int p = 1; p <= r.pages; ++p) {
            const auto lines = PageLines(pdf, p);
            all.insert(all.end(), lines.begin(), lines.end());
        }
        std::string joined;
        for (const auto& l : all)
            joined += l + "\r\n";
        EXPECT_EQ(joined, NumberedLines(r.lines)) << r.why;
    }
}

TEST_F(PrintTest, AnEmptyTextPrintsOneBlankPage)
{
    SetText("");
    ASSERT_TRUE(View()->RunPrintJob(FALSE));
    EXPECT_EQ(PageCount(pdf), 1);
    EXPECT_TRUE(PageLines(pdf, 1).empty());
}

TEST_F(PrintTest, JapaneseTextReadsAsOnScreen)
{
    // Shift_JIS: 日本語のテキスト, half-width ｶﾀｶﾅ, and ASCII.
    const std::string sjis =
        "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67 \xb6\xc0\xb6\xc5 abc\r\n"
        "\x8a\xbf\x8e\x9a\r\n";
    SetText(sjis);
    ASSERT_TRUE(View()->RunPrintJob(FALSE));
    const auto lines = PageLines(pdf, 1);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "日本語のテキスト ｶﾀｶﾅ abc");
    EXPECT_EQ(lines[1], "漢字");
}

TEST_F(PrintTest, TabsStopEveryEightCellsAsOnScreen)
{
    SetText("a\tX\r\nabcdefghij\tY\r\n\tZ\r\n");
    ASSERT_TRUE(View()->RunPrintJob(FALSE));
    const auto words = PageWords(pdf, 1);
    const Word* a = Find(words, "a");
    const Word* x = Find(words, "X");
    const Word* y = Find(words, "Y");
    const Word* z = Find(words, "Z");
    const Word* ten = Find(words, "abcdefghij");
    ASSERT_TRUE(a && x && y && z && ten);
    const double cell = (ten->xMax - ten->xMin) / 10;
    struct Row {
        const Word* word;
        double column;
    } rows[] = {{x, 8}, {y, 16}, {z, 8}};
    for (const Row& r : rows)
        EXPECT_NEAR(r.word->xMin - a->xMin, r.column * cell, cell / 4) << r.word->text;
}

TEST_F(PrintTest, LongLinesWrapAtThePrintableWidthAndLoseNothing)
{
    // One line of 3,000 full-width characters, then a line of ASCII words,
    // long enough to run over a page end.
    std::string line;
    for (int i = 0; i < 3000; ++i)
        line += i % 2 == 0 ? "\x82\xa0" : "\x82\xa2";  // あい
    std::string words;
    for (int i = 0; i < 2000; ++i)
        words += "word" + std::to_string(i) + " ";
    SetText(line + "\r\n" + words + "\r\n");
    ASSERT_TRUE(View()->RunPrintJob(FALSE));
    const int pages = PageCount(pdf);
    ASSERT_GE(pages, 2);
    std::string all;
    double widest = 0;
    for (int p = 1; p <= pages; ++p) {
        for (const std::string& l : PageLines(pdf, p))
            all += l;
        for (const Word& w : PageWords(pdf, p))
            widest = std::max(widest, w.xMax);
    }
    std::string expected;
    for (int i = 0; i < 1500; ++i)
        expected += "あい";
    EXPECT_EQ(all.substr(0, expected.size()), expected);
    // Words wrap whole; the spaces at the wraps are where the lines meet.
    std::string rest = all.substr(std::min(all.size(), expected.size()));
    std::string expectedWords;
    for (int i = 0; i < 2000; ++i)
        expectedWords += "word" + std::to_string(i);
    rest.erase(std::remove(rest.begin(), rest.end(), ' '), rest.end());
    EXPECT_EQ(rest, expectedWords);
    EXPECT_LE(widest, PageWidthPoints(pdf)) << "a line runs off the page";
}

TEST_F(PrintTest, ProgressBoxNamesDocumentPrinterFileAndPage)
{
    SetText(NumberedLines(LinesPerPage(pdf) + 1));
    std::vector<std::vector<QString>> seen;
    AfxSetPrintPageHook([&](CPrintingDialog& box, UINT) {
        std::vector<QString> texts;
        for (int id : {AFX_IDC_PRINT_DOCNAME, AFX_IDC_PRINT_PRINTERNAME, AFX_IDC_PRINT_PORTNAME,
                       AFX_IDC_PRINT_PAGENUM})
            texts.push_back(box.Item(id)->text());
        texts.push_back(box.CancelButton()->text());
        seen.push_back(texts);
    });
    ASSERT_TRUE(View()->RunPrintJob(FALSE));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0][0], QString::fromStdString(Doc()->GetTitle()));
    EXPECT_EQ(seen[0][1], QStringLiteral("ﾌｧｲﾙへ出力"));
    EXPECT_EQ(seen[0][2], QStringLiteral("out.pdf へ"));
    EXPECT_EQ(seen[0][3], QStringLiteral("ﾍﾟｰｼﾞ 1"));
    EXPECT_EQ(seen[1][3], QStringLiteral("ﾍﾟｰｼﾞ 2"));
    EXPECT_EQ(seen[0][4], QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_TRUE(GetPrompts().messages.empty());
    // The box goes when the job is done, and with it its hold on the program.
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(PrintTest, CancelStopsTheJobAndLeavesNoFile)
{
    SetText(NumberedLines(LinesPerPage(pdf) * 5));
    Doc()->SetModifiedFlag(TRUE);
    const DocState before = State();
    UINT pages = 0;
    AfxSetPrintPageHook([&](CPrintingDialog& box, UINT nPage) {
        pages = nPage;
        if (nPage == 2)
            QTest::mouseClick(box.CancelButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(View()->RunPrintJob(FALSE));
    EXPECT_EQ(pages, 2u) << "the job goes on after Cancel";
    EXPECT_FALSE(FileExists(pdf)) << "a cut-off file is left behind";
    EXPECT_TRUE(GetPrompts().messages.empty());
    EXPECT_EQ(State(), before);
}

TEST_F(PrintTest, CancellingThePrintDialogPrintsNothing)
{
    SetText("abc\r\n");
    int asked = 0;
    AfxSetPrintDialogHook([&](QPrinter&, BOOL bSetup) {
        EXPECT_FALSE(bSetup);
        ++asked;
        return FALSE;
    });
    EXPECT_FALSE(View()->RunPrintJob(FALSE));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(FileExists(pdf));
    EXPECT_TRUE(GetPrompts().messages.empty());
}

TEST_F(PrintTest, AJobThatCannotStartSaysSoAndChangesNothing)
{
    SetText("abc\r\n");
    Doc()->SetModifiedFlag(TRUE);
    const DocState before = State();
    AnswerPrintDialogs(dir.File("no-such-folder/out.pdf"));
    EXPECT_FALSE(View()->RunPrintJob(FALSE));
    ASSERT_EQ(GetPrompts().messages.size(), 1u);
    EXPECT_EQ(GetPrompts().messages[0].text, "印刷ｼﾞｮﾌﾞを開始できませんでした。");
    EXPECT_EQ(State(), before);
    EXPECT_FALSE(FileExists(dir.File("no-such-folder")));
}

TEST_F(PrintTest, AJobThatFailsOnTheWaySaysSoAndLeavesTheDeviceAlone)
{
    // The full device fails the job once the first pages are flushed to it.
    SetText(NumberedLines(LinesPerPage(pdf) * 60));
    AnswerPrintDialogs("/dev/full");
    EXPECT_FALSE(View()->RunPrintJob(FALSE));
    ASSERT_EQ(GetPrompts().messages.size(), 1u);
    EXPECT_EQ(GetPrompts().messages[0].text, "ｺﾏﾝﾄﾞの実行に失敗しました。");
    EXPECT_TRUE(FileExists("/dev/full"));
    // Cancelled into a device, the device stays too.
    GetPrompts().Clear();
    AnswerPrintDialogs("/dev/null");
    AfxSetPrintPageHook([](CPrintingDialog& box, UINT) { QTest::mouseClick(box.CancelButton(), Qt::LeftButton); });
    EXPECT_FALSE(View()->RunPrintJob(FALSE));
    EXPECT_TRUE(GetPrompts().messages.empty());
    EXPECT_TRUE(FileExists("/dev/null"));
}

TEST_F(PrintTest, PrintingToAFileWithoutANameAsksForOne)
{
    SetText("abc\r\n");
    AfxSetPrintDialogHook([](QPrinter& printer, BOOL) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString());
        return TRUE;
    });
    const std::string chosen = dir.File("chosen.prn");
    GetPrompts().AnswerDialogWith(chosen);
    ASSERT_TRUE(View()->RunPrintJob(FALSE));
    ASSERT_EQ(GetPrompts().dialogs.size(), 1u);
    const AfxFileDialogRequest& r = GetPrompts().dialogs[0];
    EXPECT_FALSE(r.bOpenFileDialog);
    EXPECT_EQ(r.title, "ﾌｧｲﾙへ出力");
    EXPECT_EQ(r.fileName, "Output.prn");
    EXPECT_EQ(r.defaultExt, "prn");
    ASSERT_EQ(r.filters.size(), 2u);
    EXPECT_EQ(r.filters[0].name, "ﾌﾟﾘﾝﾀ ﾌｧｲﾙ (*.prn)");
    EXPECT_EQ(r.filters[0].pattern, "*.prn");
    EXPECT_EQ(r.filters[1].name, "すべてのﾌｧｲﾙ (*.*)");
    EXPECT_EQ(PageLines(chosen, 1), std::vector<std::string>{"abc"});

    // Cancelled there, nothing is printed.
    AfxGetPrinter().setOutputFileName(QString());
    GetPrompts().CancelDialog();
    EXPECT_FALSE(View()->RunPrintJob(FALSE));
    EXPECT_TRUE(GetPrompts().messages.empty());
}

// The job of a Shift_JIS-named document is titled with the name as it reads.
TEST_F(PrintTest, AJobIsTitledWithTheNameAsItReads)
{
    const std::string path = dir.File("\x93\xfa\x96\x7b\x8c\xea.txt");  // 日本語.txt
    WriteFile(path, "abc\r\n");
    ASSERT_NE(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
    QString docName;
    AfxSetPrintPageHook([&](CPrintingDialog& box, UINT) {
        docName = box.Item(AFX_IDC_PRINT_DOCNAME)->text();
    });
    ASSERT_TRUE(View()->RunPrintJob(FALSE));
    AfxSetPrintPageHook(nullptr);
    EXPECT_EQ(docName, QStringLiteral("日本語.txt"));
}

// A file name the printer can't hold as it is (it is not UTF-8) is refused
// with the message, rather than printed into the file its decoded name is.
TEST_F(PrintTest, APrintFileOfALegacyNameIsRefusedNotWrittenElsewhere)
{
    SetText("abc\r\n");
    AfxSetPrintDialogHook([](QPrinter& printer, BOOL) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString());
        return TRUE;
    });
    const std::string legacy = dir.File("\x88\xf3\x8d\xfc.pdf");  // 印刷.pdf in Shift_JIS
    const std::string lost = dir.File(QString::fromUtf8("\x88\xf3\x8d\xfc.pdf").toStdString());
    WriteFile(lost, "another file");
    GetPrompts().AnswerDialogWith(legacy);
    EXPECT_FALSE(View()->RunPrintJob(FALSE));
    ASSERT_EQ(GetPrompts().messages.size(), 1u);
    EXPECT_EQ(GetPrompts().messages[0].text, AfxFormatString1(0xF1A3, dir.File("印刷.pdf")));
    EXPECT_EQ(ReadFile(lost), "another file");
    EXPECT_FALSE(FileExists(legacy));
    AfxGetPrinter().setOutputFileName(QString());
}

TEST_F(PrintTest, PrintCommandsAreEnabledAndRunThroughTheFrame)
{
    SetText("abc\r\n");
    for (UINT id : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP})
        EXPECT_TRUE(Frame()->IsCommandEnabled(id)) << std::hex << id;

    // Ctrl+P's command asks the dialog; Print Direct does not.
    int asked = 0;
    AfxSetPrintDialogHook([&](QPrinter& printer, BOOL) {
        ++asked;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return TRUE;
    });
    ASSERT_TRUE(Frame()->OnCommand(ID_FILE_PRINT));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(PageCount(pdf), 1);
    std::remove(pdf.c_str());
    GetPrompts().AnswerDialogWith(pdf);
    ASSERT_TRUE(Frame()->OnCommand(ID_FILE_PRINT_DIRECT));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(PageCount(pdf), 1);
}

TEST_F(PrintTest, PrintDirectIntoAFileAsksWhereFirst)
{
    SetText("abc\r\n");
    // The last job's file is proposed, not written over unasked.
    WriteFile(pdf, "an earlier job");
    GetPrompts().CancelDialog();
    EXPECT_FALSE(View()->RunPrintJob(TRUE));
    ASSERT_EQ(GetPrompts().dialogs.size(), 1u);
    EXPECT_EQ(GetPrompts().dialogs[0].fileName, pdf);
    EXPECT_EQ(GetPrompts().dialogs[0].title, "ﾌｧｲﾙへ出力");
    EXPECT_EQ(ReadFile(pdf), "an earlier job");

    const std::string other = dir.File("other.pdf");
    GetPrompts().AnswerDialogWith(other);
    ASSERT_TRUE(View()->RunPrintJob(TRUE));
    EXPECT_EQ(PageLines(other, 1), std::vector<std::string>{"abc"});
    EXPECT_EQ(ReadFile(pdf), "an earlier job");
}

TEST_F(PrintTest, PrintSetupIsKeptForLaterJobs)
{
    SetText("abc\r\n");
    AfxSetPrintDialogHook([&](QPrinter& printer, BOOL bSetup) {
        if (bSetup) {
            printer.setPageOrientation(QPageLayout::Landscape);
            return TRUE;
        }
        printer.setOutputFileName(QString::fromStdString(pdf));
        return TRUE;
    });
    ASSERT_TRUE(Frame()->OnCommand(ID_FILE_PRINT_SETUP));
    ASSERT_TRUE(View()->RunPrintJob(FALSE));
    EXPECT_GT(PageWidthPoints(pdf), PageHeightPoints(pdf));
    GetPrompts().AnswerDialogWith(pdf);
    ASSERT_TRUE(View()->RunPrintJob(TRUE));
    EXPECT_GT(PageWidthPoints(pdf), PageHeightPoints(pdf));
}

TEST_F(PrintTest, PrintDocumentFileOpensAndPrints)
{
    const std::string file = dir.File("doc.txt");
    WriteFile(file, NumberedLines(3));
    AfxGetPrinter().setOutputFileName(QString::fromStdString(pdf));
    GetPrompts().AnswerDialogWith(pdf);
    ASSERT_TRUE(AfxPrintDocumentFile(file.c_str()));
    EXPECT_EQ(PageLines(pdf, 1), (std::vector<std::string>{"L0001", "L0002", "L0003"}));
    EXPECT_TRUE(GetPrompts().messages.empty());
}

TEST_F(PrintTest, PrintDocumentFileWithoutAPrinterFails)
{
    const std::string file = dir.File("doc.txt");
    WriteFile(file, "abc");
    struct Row {
        const char* why;
        bool named;
    } rows[] = {{"a printer that does not exist", true}, {"no printer at all", false}};
    for (const Row& r : rows) {
        if (!r.named && !QPrinterInfo::availablePrinters().isEmpty())
            continue;  // this machine has a printer
        GetPrompts().Clear();
        AfxGetPrinter().setOutputFileName(QString());
        AfxPrintTarget target{"no-such-printer-here", "winspool", "Ne00:"};
        EXPECT_FALSE(AfxPrintDocumentFile(file.c_str(), r.named ? &target : nullptr)) << r.why;
        ASSERT_EQ(GetPrompts().messages.size(), 1u) << r.why;
        EXPECT_EQ(GetPrompts().messages[0].text, "印刷ｼﾞｮﾌﾞを開始できませんでした。") << r.why;
    }
    // A file that can't be opened says so itself, and nothing is printed.
    GetPrompts().Clear();
    AfxGetPrinter().setOutputFileName(QString::fromStdString(pdf));
    EXPECT_FALSE(AfxPrintDocumentFile(dir.File("missing.txt").c_str()));
    EXPECT_EQ(GetPrompts().messages.size(), 1u);
    EXPECT_FALSE(FileExists(pdf));
}

}  // namespace
