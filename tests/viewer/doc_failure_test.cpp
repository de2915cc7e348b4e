// Files that can't be read or written: each failure shows the framework's one
// message and leaves the document and the file on disk as they were.
#include "doc_fixture.h"

#include "app.h"
#include "document.h"
#include "frame.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace doctest;

namespace {

const std::string kShown = "\x82\xb1\x82\xf1\r\nedited\r\n";

class DocFailure : public DocTest {
protected:
    // A document opened from a file and then edited: what every failure must
    // leave alone.
    void OpenEdited(const TempDir& dir)
    {
        m_path = dir.File("open.txt");
        WriteFile(m_path, "on disk\n");
        ASSERT_NE(AfxGetApp()->OpenDocumentFile(m_path.c_str()), nullptr);
        Edit(kShown);
        GetPrompts().Clear();
        m_before = State();
    }

    // Before another file replaces the edited document, the save prompt;
    // answered No here, so that the failure is what the test looks at.
    void ExpectSavePrompt() { GetPrompts().answers.push_back(IDNO); }

    // The one message, with the exclamation icon, and nothing changed. A save
    // prompt before it is taken off first.
    std::string CheckFailure(const std::string& expectedText)
    {
        std::ostringstream problems;
        auto& messages = GetPrompts().messages;
        if (!messages.empty() && messages[0].text == "open.txt への変更を保存しますか?")
            messages.erase(messages.begin());
        if (messages.size() != 1) {
            problems << messages.size() << " messages instead of one; ";
        } else {
            if (messages[0].text != expectedText)
                problems << "message \"" << messages[0].text << "\" instead of \""
                         << expectedText << "\"; ";
            if ((messages[0].type & MB_ICONMASK) != MB_ICONEXCLAMATION)
                problems << "not the exclamation icon; ";
        }
        if (!(State() == m_before))
            problems << "document changed: " << State() << " instead of " << m_before << "; ";
        if (ReadFile(m_path) != "on disk\n")
            problems << "the open file changed on disk; ";
        return problems.str();
    }

    std::string m_path;
    DocState m_before{};
};

TEST_F(DocFailure, OpeningAMissingFile)
{
    TempDir dir;
    OpenEdited(dir);
    std::string missing = dir.File("missing.txt");
    ExpectSavePrompt();
    EXPECT_EQ(AfxGetApp()->OpenDocumentFile(missing.c_str()), nullptr);
    EXPECT_EQ(CheckFailure(missing + " が見つかりませんでした。"), "");
}

TEST_F(DocFailure, OpeningADirectory)
{
    TempDir dir;
    OpenEdited(dir);
    ExpectSavePrompt();
    EXPECT_EQ(AfxGetApp()->OpenDocumentFile(dir.Path().c_str()), nullptr);
    EXPECT_EQ(CheckFailure(dir.Path() + " へのｱｸｾｽは拒否されました。"), "");
}

TEST_F(DocFailure, OpeningAFileWithoutReadPermission)
{
    TempDir dir;
    OpenEdited(dir);
    std::string locked = dir.File("locked.txt");
    WriteFile(locked, "secret\n");
    ::chmod(locked.c_str(), 0000);
    std::string result = RunUnprivileged([&]() -> std::string {
        ExpectSavePrompt();
        if (AfxGetApp()->OpenDocumentFile(locked.c_str()) != nullptr)
            return "the file opened";
        return CheckFailure(locked + " へのｱｸｾｽは拒否されました。");
    });
    EXPECT_EQ(result, "");
}

TEST_F(DocFailure, AFileThatVanishesBetweenTheDialogAndTheOpen)
{
    TempDir dir;
    OpenEdited(dir);
    std::string vanishing = dir.File("vanishing.txt");
    WriteFile(vanishing, "here a moment\n");
    GetPrompts().dialogAnswers.push_back([vanishing](AfxFileDialogRequest& r) {
        r.fileName = vanishing;
        ::unlink(vanishing.c_str());
        return TRUE;
    });
    ExpectSavePrompt();

    AfxGetApp()->OnFileOpen();
    ASSERT_EQ(GetPrompts().messages.size(), 2u);
    EXPECT_EQ(GetPrompts().messages[0].text, "open.txt への変更を保存しますか?");
    EXPECT_EQ(CheckFailure(vanishing + " が見つかりませんでした。"), "");
}

TEST_F(DocFailure, SavingIntoAFolderWithoutWritePermission)
{
    TempDir dir;
    OpenEdited(dir);
    std::string folder = dir.File("locked");
    ASSERT_EQ(::mkdir(folder.c_str(), 0555), 0);
    std::string target = folder + "/new.txt";
    std::string result = RunUnprivileged([&]() -> std::string {
        GetPrompts().AnswerDialogWith(target);
        if (Doc()->DoSave(nullptr))
            return "the save succeeded";
        std::string problems = CheckFailure(target + " へのｱｸｾｽは拒否されました。");
        if (FileExists(target))
            problems += "a file was made; ";
        return problems;
    });
    EXPECT_EQ(result, "");
}

TEST_F(DocFailure, SavingOverAReadOnlyFileThroughSaveAs)
{
    TempDir dir;
    OpenEdited(dir);
    std::string readOnly = dir.File("ro.txt");
    WriteFile(readOnly, "keep me\n");
    ::chmod(readOnly.c_str(), 0444);
    GetPrompts().AnswerDialogWith(readOnly);
    EXPECT_FALSE(Doc()->DoSave(nullptr));
    EXPECT_EQ(CheckFailure(readOnly + " へのｱｸｾｽは拒否されました。"), "");
    EXPECT_EQ(ReadFile(readOnly), "keep me\n");
}

// A full disk: a small tmpfs where mounting works, otherwise a file-size
// limit in a child process. Either way the old file stays whole.
TEST_F(DocFailure, SavingToAFullDisk)
{
    TempDir dir;
    std::string mountPoint = dir.File("small");
    ASSERT_EQ(::mkdir(mountPoint.c_str(), 0777), 0);
    bool mounted = ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") == 0;
    std::string folder = mounted ? mountPoint : dir.Path();

    m_path = folder + "/full.txt";
    WriteFile(m_path, "on disk\n");
    ASSERT_NE(AfxGetApp()->OpenDocumentFile(m_path.c_str()), nullptr);
    std::string big;
    while (big.size() < 256 * 1024)
        big += kShown;
    Edit(big);
    GetPrompts().Clear();
    m_before = State();

    auto save = [&]() -> std::string {
        if (Doc()->DoFileSave())
            return "the save succeeded";
        return CheckFailure(m_path + " へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");
    };
    std::string result;
    if (mounted) {
        result = save();
    } else {
        result = RunInChild([&]() -> std::string {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit = {64 * 1024, 64 * 1024};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return std::string("setrlimit: ") + std::strerror(errno);
            return save();
        });
    }
    EXPECT_EQ(result, "");
    EXPECT_EQ(ReadFile(m_path), "on disk\n");
    Doc()->SetModifiedFlag(FALSE);
    AfxGetApp()->OnFileNew();
    if (mounted)
        ::umount(mountPoint.c_str());
}

}  // namespace
