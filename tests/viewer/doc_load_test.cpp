// Opening files through the real document and view: the load limits, the
// encodings, and what the document shows and keeps afterwards.
#include "doc_fixture.h"

#include "app.h"
#include "document.h"
#include "editview.h"
#include "frame.h"
#include "unicodetext.h"

#include <random>

using namespace doctest;

namespace {

// こんにちは in each encoding, with an LF line end; Shift_JIS with CR LF.
const std::string kHelloJis = "\x1b$B$3$s$K$A$O\x1b(B\n";
const std::string kHelloEuc = "\xa4\xb3\xa4\xf3\xa4\xcb\xa4\xc1\xa4\xcf\n";
const std::string kHelloSjisLf = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\n";
const std::string kHelloSjis = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\r\n";

struct LoadCase {
    const char* reason;
    std::string file;
    std::string shown;
    BOOL shownInPart;
};

std::vector<LoadCase> LoadCases()
{
    const size_t kLimit = 655360;
    return {
        {"a zero-length file gives an empty view", "", "", FALSE},
        {"a first byte NUL gives an empty text", std::string("\0abc", 4), "", TRUE},
        {"exactly 655,360 bytes are shown whole", std::string(kLimit, 'a'),
         std::string(kLimit, 'a'), FALSE},
        {"655,361 bytes lose the last byte", std::string(kLimit, 'b') + "c",
         std::string(kLimit, 'b'), TRUE},
        {"bare LFs double and fit the output buffer", std::string(kLimit, '\n'),
         [] {
             std::string s;
             for (size_t i = 0; i < 655360; ++i)
                 s += "\r\n";
             return s;
         }(),
         FALSE},
        {"a NUL inside ends the text there", std::string("abc\0def", 7), "abc", TRUE},
        {"JIS converts to Shift_JIS with CR LF", kHelloJis, kHelloSjis, FALSE},
        {"EUC-JP converts to Shift_JIS with CR LF", kHelloEuc, kHelloSjis, FALSE},
        {"Shift_JIS keeps its bytes and gets CR LF", kHelloSjisLf, kHelloSjis, FALSE},
        {"plain ASCII with CR LF stays", "line 1\r\nline 2\r\n", "line 1\r\nline 2\r\n", FALSE},
    };
}

class DocLoad : public DocTest {};

TEST_F(DocLoad, EdgeCasesOfTheLoad)
{
    TempDir dir;
    for (const LoadCase& c : LoadCases()) {
        SCOPED_TRACE(c.reason);
        std::string path = dir.File("case.txt");
        WriteFile(path, c.file);
        SetText("the previous text");
        GetPrompts().Clear();

        ASSERT_NE(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
        EXPECT_TRUE(GetPrompts().messages.empty());
        EXPECT_EQ(Text(), c.shown);
        EXPECT_EQ(Text(), ConvertedText(c.file.substr(0, 655360)));
        EXPECT_FALSE(Doc()->IsModified());
        EXPECT_EQ(Doc()->GetTitle(), "case.txt");
        EXPECT_EQ(Doc()->GetPathName(), path);
        EXPECT_EQ(Doc()->IsShownInPart(), c.shownInPart);
        EXPECT_EQ(Frame()->GetWindowText(), "case.txt - ﾃｷｽﾄﾌｧｲﾙ表示");
    }
}

TEST_F(DocLoad, NewEmptiesTheViewAndLeavesTheFlagClear)
{
    TempDir dir;
    WriteFile(dir.File("a.txt"), kHelloEuc);
    ASSERT_NE(AfxGetApp()->OpenDocumentFile(dir.File("a.txt").c_str()), nullptr);
    ASSERT_EQ(Text(), kHelloSjis);

    AfxGetApp()->OnFileNew();
    EXPECT_TRUE(GetPrompts().messages.empty());
    EXPECT_EQ(Text(), "");
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_EQ(Doc()->GetPathName(), "");
    EXPECT_EQ(Doc()->GetTitle(), "無題");
    EXPECT_EQ(Frame()->GetWindowText(), "無題 - ﾃｷｽﾄﾌｧｲﾙ表示");
}

TEST_F(DocLoad, NewThenCloseAsksNothing)
{
    Frame()->SendMessage(WM_CLOSE);
    EXPECT_TRUE(GetPrompts().messages.empty());
    EXPECT_EQ(AfxGetMainWnd(), nullptr);  // closed; the next test makes a new one
}

TEST_F(DocLoad, OpenThenSaveWritesBackWhatTheConversionMade)
{
    // With no edit in between, the file receives exactly the converted text,
    // whatever the bytes were: in place where the text is code page 932
    // throughout, through Save As (answered with the same name) where it
    // holds bytes that stand for no character.
    TempDir dir;
    std::mt19937 rng(20261208);
    std::vector<std::string> inputs = {
        kHelloEuc + kHelloEuc, kHelloJis, "a\rb\r\r\nc\n\n",
        "\x81\n\x82", "\xff\xfe\xfd\x80\xa0", "\xed\x40\xfa\x40\x87\x40\n",
    };
    for (int i = 0; i < 40; ++i) {
        std::string s(1 + rng() % 300, '\0');
        for (char& ch : s)
            ch = static_cast<char>(1 + rng() % 255);
        inputs.push_back(s);
    }
    for (size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE("input " + std::to_string(i));
        std::string path = dir.File("r.txt");
        WriteFile(path, inputs[i]);
        ASSERT_NE(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
        Doc()->SetModifiedFlag(TRUE);  // Save runs only what the command runs
        // (FF FE starts UTF-16: such a file is shown as Unicode.)
        const std::string shown = Text();
        const bool unicode = Doc()->IsReadAsUnicode();
        if (!unicode) {
            EXPECT_EQ(shown, ConvertedText(inputs[i]));
        }
        GetPrompts().Clear();
        GetPrompts().AnswerDialogWith(path);
        ASSERT_TRUE(Doc()->DoFileSave());
        const bool whole = AfxIsCodePage932Text(shown.data(), shown.size()) && !unicode;
        EXPECT_EQ(GetPrompts().dialogs.size(), whole ? 0u : 1u);
        EXPECT_EQ(ReadFile(path), shown);
        EXPECT_FALSE(Doc()->IsModified());
    }
    EXPECT_TRUE(GetPrompts().messages.empty());
}

// A malformed pair can convert to a 00 byte (EUC-JP A1 60 gives 81 00): the
// text goes on after it, all of it is shown, and saving writes all of it,
// through Save As, as the text is no longer code page 932 throughout.
TEST_F(DocLoad, TextAfterAConverted00ByteIsShownAndSaved)
{
    struct Case {
        const char* reason;
        std::string file;
        std::string saved;
    };
    // こ in EUC-JP first, so the file is taken for EUC-JP, and A1 FD (◎),
    // which Shift_JIS has no reading for, so that it is not taken for that.
    const std::vector<Case> cases = {
        {"EUC-JP A1 60 in the middle", "\xa4\xb3\xa1\xfd\xa1\x60" "abc\n",
         std::string("\x82\xb1\x81\x9d\x81\0abc\r\n", 11)},
        {"at the end", "\xa4\xb3\xa1\xfd\xa1\x60", std::string("\x82\xb1\x81\x9d\x81\0", 6)},
        {"twice, with a line after", "\xa4\xb3\xa1\xfd\xa1\x60\xa1\x60\nx\n",
         std::string("\x82\xb1\x81\x9d\x81\0\x81\0\r\nx\r\n", 13)},
        {"a text no code reads, taken for EUC-JP by its first byte", "\xb1\x83\x60\x83\x60zz\xff",
         ConvertedText("\xb1\x83\x60\x83\x60zz\xff")},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        ASSERT_NE(c.saved.find('\0'), std::string::npos) << "the case holds a converted 00";
        EXPECT_EQ(ConvertedText(c.file), c.saved);
        const std::string path = dir.File("junk.txt");
        WriteFile(path, c.file);
        ASSERT_NE(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
        EXPECT_EQ(Text(), c.saved) << "the whole text is in the view";
        EXPECT_FALSE(Doc()->IsShownInPart()) << "nothing was cut";
        Doc()->SetModifiedFlag(TRUE);
        GetPrompts().Clear();
        GetPrompts().AnswerDialogWith(path);
        ASSERT_TRUE(Doc()->DoFileSave());
        EXPECT_EQ(GetPrompts().dialogs.size(), 1u) << "through Save As";
        EXPECT_EQ(ReadFile(path), c.saved) << "saved byte for byte";
    }
    EXPECT_TRUE(GetPrompts().messages.empty());
}

TEST_F(DocLoad, EucFileSavedAtOnceIsShiftJisWithCrLf)
{
    TempDir dir;
    std::string path = dir.File("euc.txt");
    WriteFile(path, kHelloEuc + "abc\n" + kHelloEuc);
    ASSERT_NE(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
    ASSERT_TRUE(Frame()->OnCmdMsg(ID_FILE_SAVE, CN_COMMAND, nullptr));
    EXPECT_EQ(ReadFile(path), kHelloSjis + "abc\r\n" + kHelloSjis);
    EXPECT_TRUE(GetPrompts().dialogs.empty());
    EXPECT_TRUE(GetPrompts().messages.empty());
}

TEST_F(DocLoad, TheOpenDialogOffersTheTwoFilters)
{
    TempDir dir;
    WriteFile(dir.File("x.txt"), kHelloJis);
    GetPrompts().AnswerDialogWith(dir.File("x.txt"));
    ASSERT_TRUE(Frame()->OnCommand(ID_FILE_OPEN));
    ASSERT_EQ(GetPrompts().dialogs.size(), 1u);
    const AfxFileDialogRequest& r = GetPrompts().dialogs[0];
    EXPECT_TRUE(r.bOpenFileDialog);
    EXPECT_EQ(r.title, "開く");
    ASSERT_EQ(r.filters.size(), 2u);
    EXPECT_EQ(r.filters[0].name, "ﾃｷｽﾄﾌｧｲﾙ (*.txt)");
    EXPECT_EQ(r.filters[0].pattern, "*.txt");
    EXPECT_EQ(r.filters[1].name, "すべてのﾌｧｲﾙ (*.*)");
    EXPECT_EQ(r.filters[1].pattern, "*");  // also names without a dot
    EXPECT_EQ(Text(), kHelloSjis);
}

}  // namespace
