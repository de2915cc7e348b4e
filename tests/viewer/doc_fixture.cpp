#include "doc_fixture.h"

#include "app.h"
#include "doctemplate.h"
#include "document.h"
#include "editview.h"
#include "frame.h"
#include "kanjicode.h"
#include "kanjicode_length.h"
#include "printing.h"
#include "ruvokapp.h"
#include "test_home.h"

#include <QApplication>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <ostream>
#include <sstream>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace doctest {

void Prompts::Clear()
{
    messages.clear();
    answers.clear();
    dialogs.clear();
    dialogAnswers.clear();
    printDialogs.clear();
}

void Prompts::AnswerDialogWith(const std::string& path)
{
    dialogAnswers.push_back([path](AfxFileDialogRequest& r) {
        r.fileName = path;
        return TRUE;
    });
}

void Prompts::CancelDialog()
{
    dialogAnswers.push_back([](AfxFileDialogRequest&) { return FALSE; });
}

Prompts& GetPrompts()
{
    static Prompts prompts;
    return prompts;
}

CDocument* Doc()
{
    CFrameWnd* pFrame = Frame();
    return pFrame != nullptr ? pFrame->GetActiveDocument() : nullptr;
}

CEditView* View()
{
    CFrameWnd* pFrame = Frame();
    return pFrame != nullptr ? static_cast<CEditView*>(pFrame->GetActiveView()) : nullptr;
}

CFrameWnd* Frame()
{
    return dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
}

std::string Text()
{
    CEditView* pView = View();
    UINT n = pView->GetBufferLength();
    std::string s(pView->LockBuffer(), n);
    pView->UnlockBuffer();
    return s;
}

void SetText(const std::string& bytes)
{
    View()->GetEditCtrl().SetWindowText(bytes.c_str());
}

void Edit(const std::string& bytes)
{
    SetText(bytes);
    Doc()->SetModifiedFlag(TRUE);
}

DocState State()
{
    return DocState{Text(), Doc()->GetTitle(), Doc()->GetPathName(), Doc()->IsModified()};
}

std::ostream& operator<<(std::ostream& os, const DocState& s)
{
    return os << "{text " << s.text.size() << " bytes, title \"" << s.title << "\", path \""
              << s.path << "\", modified " << s.modified << "}";
}

std::string ConvertedText(const std::string& bytes)
{
    std::string in(bytes.c_str());  // up to the first NUL, as the document reads it
    std::string out(2 * in.size() + 1, '\0');
    // The whole converted length: a converted pair may itself be 00.
    out.resize(ConvertToSjisLength(&out[0], in.c_str(), in.size()));
    return out;
}

TempDir::TempDir()
{
    char pattern[] = "/tmp/ruvok-doc-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    m_path = dir != nullptr ? dir : "/tmp";
    // open to the unprivileged user of RunUnprivileged
    ::chmod(m_path.c_str(), 0777);
}

TempDir::~TempDir()
{
    std::string cmd = "chmod -R u+rwx '" + m_path + "' 2>/dev/null; rm -rf '" + m_path + "'";
    if (m_path.rfind("/tmp/ruvok-doc-", 0) == 0)
        (void)std::system(cmd.c_str());
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string RunInChild(const std::function<std::string()>& body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "pipe failed";
    pid_t pid = ::fork();
    if (pid < 0)
        return "fork failed";
    if (pid == 0) {
        ::close(fds[0]);
        std::string result = body();
        ssize_t ignored = ::write(fds[1], result.data(), result.size());
        (void)ignored;
        ::close(fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string result;
    char buf[512];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
        result.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status))
        return "child ended abnormally (signal " + std::to_string(WTERMSIG(status)) + ")" +
               result;
    return result;
}

std::string RunUnprivileged(const std::function<std::string()>& body)
{
    if (::geteuid() != 0)
        return body();
    const unsigned nobody = 65534;
    return RunAs(nobody, nobody, {}, body);
}

std::string RunAs(unsigned uid, unsigned gid, const std::vector<unsigned>& groups,
                  const std::function<std::string()>& body)
{
    return RunInChild([&]() -> std::string {
        const std::vector<gid_t> list(groups.begin(), groups.end());
        if (::setgroups(list.size(), list.data()) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            return std::string("could not become user ") + std::to_string(uid) + ": " +
                   std::strerror(errno);
        return body();
    });
}

void DocTest::SetUp()
{
    GetPrompts().Clear();
    if (AfxGetMainWnd() == nullptr)
        AfxGetApp()->OnFileNew();
    ASSERT_NE(Doc(), nullptr);
    Doc()->SetModifiedFlag(FALSE);
    AfxGetApp()->OnFileNew();
    GetPrompts().Clear();
}

void DocTest::TearDown()
{
    EXPECT_TRUE(GetPrompts().answers.empty()) << "a prompt expected by the test never came";
    EXPECT_TRUE(GetPrompts().dialogAnswers.empty()) << "a file dialog expected never came";
}

}  // namespace doctest

int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // the start-up below keeps settings and registers with the desktop
    IsolateHome();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    char name[] = "ruvok";
    char* args[] = {name, nullptr};
    AfxWinInit(1, args);

    using doctest::GetPrompts;
    AfxSetMessageBoxHook([](const std::string& text, UINT type) {
        GetPrompts().messages.push_back({text, type});
        if (GetPrompts().answers.empty())
            return IDCANCEL;
        int answer = GetPrompts().answers.front();
        GetPrompts().answers.pop_front();
        return answer;
    });
    AfxSetPrintDialogHook([](QPrinter&, BOOL bSetup) -> BOOL {
        GetPrompts().printDialogs.push_back(bSetup);
        return FALSE;
    });
    AfxSetFileDialogHook([](AfxFileDialogRequest& request) -> BOOL {
        GetPrompts().dialogs.push_back(request);
        if (GetPrompts().dialogAnswers.empty())
            return FALSE;
        auto answer = GetPrompts().dialogAnswers.front();
        GetPrompts().dialogAnswers.pop_front();
        return answer(request);
    });

    if (!theApp.InitInstance()) {
        std::fprintf(stderr, "the viewer did not start\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
