// The viewer's document and view, brought up once per test program on Qt's
// offscreen platform, with the message box and the file dialogs answered by
// the test instead of a user.
#ifndef RUVOK_TESTS_DOC_FIXTURE_H
#define RUVOK_TESTS_DOC_FIXTURE_H

#include "afx.h"
#include "msgbox.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class CDocument;
class CEditView;
class CFrameWnd;

namespace doctest {

struct Message {
    std::string text;
    UINT type;
};

// What the prompts saw, and what they are to answer next.
struct Prompts {
    std::vector<Message> messages;
    std::deque<int> answers;  // message box buttons; IDCANCEL when empty

    std::vector<AfxFileDialogRequest> dialogs;
    // Each answers one file dialog: TRUE with a path, or FALSE (cancel).
    std::deque<std::function<BOOL(AfxFileDialogRequest&)>> dialogAnswers;
    // Print dialogs (FALSE) and Print Setups (TRUE) asked for; each is
    // cancelled unless a test answers them itself.
    std::vector<BOOL> printDialogs;

    void Clear();
    void AnswerDialogWith(const std::string& path);
    void CancelDialog();
};
Prompts& GetPrompts();

CDocument* Doc();
CEditView* View();
CFrameWnd* Frame();

// The edit control's bytes, exactly.
std::string Text();
void SetText(const std::string& bytes);
// A user change: the text replaced and the document marked modified.
void Edit(const std::string& bytes);

// What a failure must leave as it was.
struct DocState {
    std::string text, title, path;
    BOOL modified;
    bool operator==(const DocState& o) const
    {
        return text == o.text && title == o.title && path == o.path && modified == o.modified;
    }
};
DocState State();
std::ostream& operator<<(std::ostream& os, const DocState& s);

// What the document makes of a file: its bytes up to a NUL, converted, the
// whole converted length (00 bytes the conversion wrote included).
std::string ConvertedText(const std::string& bytes);

// A fresh folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// Runs `body` as an unprivileged user when the tests run as root (for whom
// permission bits don't hold), in a child process; returns "" when the body
// passed, else its failure text. Without root it runs in this process.
std::string RunUnprivileged(const std::function<std::string()>& body);
// Runs `body` in a child process (for limits that must not reach this one).
std::string RunInChild(const std::function<std::string()>& body);
// Runs `body` in a child process as user `uid` of group `gid` and the
// supplementary `groups` (root only).
std::string RunAs(unsigned uid, unsigned gid, const std::vector<unsigned>& groups,
                  const std::function<std::string()>& body);

// The resets every document test starts with: a new, empty, unmodified
// document and no prompts waiting.
class DocTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace doctest

#endif
