// The framework's file, archive and error texts, and what a load that fails
// half-way leaves behind.
#include "doc_fixture.h"

#include "app.h"
#include "archive.h"
#include "doctemplate.h"
#include "document.h"
#include "exceptions.h"
#include "file.h"
#include "frame.h"
#include "ruvokdoc.h"

#include <cerrno>
#include <new>
#include <random>

using namespace doctest;

namespace {

// Each operating-system error lands on its cause, and each cause has its text.
TEST(FrameworkFileException, ErrnoMapsOntoCausesAndTheirTexts)
{
    struct Row {
        int osError;
        int cause;
        const char* text;
    };
    const Row rows[] = {
        {0, CFileException::none, "ｴﾗｰはありませんでした。"},
        {EINTR, CFileException::genericException, "/a/b へのｱｸｾｽ中に不明なｴﾗｰが発生しました。"},
        {ENOENT, CFileException::fileNotFound, "/a/b が見つかりませんでした。"},
        {ENOTDIR, CFileException::badPath, "/a/b には無効なﾊﾟｽが含まれています。"},
        {ENAMETOOLONG, CFileException::badPath, "/a/b には無効なﾊﾟｽが含まれています。"},
        {EMFILE, CFileException::tooManyOpenFiles,
         "開いているﾌｧｲﾙが多すぎるため、/a/b を開けませんでした。"},
        {EACCES, CFileException::accessDenied, "/a/b へのｱｸｾｽは拒否されました。"},
        {EISDIR, CFileException::accessDenied, "/a/b へのｱｸｾｽは拒否されました。"},
        {EROFS, CFileException::accessDenied, "/a/b へのｱｸｾｽは拒否されました。"},
        {EBADF, CFileException::invalidFile, "/a/b へ無効なﾌｧｲﾙ ﾊﾝﾄﾞﾙが関連付けられていました。"},
        {ESPIPE, CFileException::badSeek, "/a/b のｼｰｸに失敗しました。"},
        {EIO, CFileException::hardIO, "/a/b へのｱｸｾｽ中にﾊｰﾄﾞｳｪｱ I/O ｴﾗｰが報告されました。"},
        {ETXTBSY, CFileException::sharingViolation, "/a/b へのｱｸｾｽ中に共有違反が発生しました。"},
        {ENOLCK, CFileException::lockViolation, "/a/b へのｱｸｾｽ中にﾛｯｸ違反が発生しました。"},
        {ENOSPC, CFileException::diskFull, "/a/b へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。"},
        {EDQUOT, CFileException::diskFull, "/a/b へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。"},
        {EFBIG, CFileException::diskFull, "/a/b へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("errno " + std::to_string(row.osError));
        EXPECT_EQ(CFileException::OsErrorToException(row.osError), row.cause);
        CFileException e(CFileException::OsErrorToException(row.osError), row.osError, "/a/b");
        std::string text;
        EXPECT_TRUE(e.GetErrorMessage(text));
        EXPECT_EQ(text, row.text);
    }
    // causes the errno table doesn't reach, and a file without a name
    std::string text;
    CFileException(CFileException::removeCurrentDir, -1, "/d").GetErrorMessage(text);
    EXPECT_EQ(text, "現在のﾃﾞｨﾚｸﾄﾘ /d は削除できませんでした。");
    CFileException(CFileException::directoryFull, -1, "/d").GetErrorMessage(text);
    EXPECT_EQ(text, "/d を作成できませんでした。そのﾃﾞｨﾚｸﾄﾘはいっぱいです。");
    CFileException(CFileException::endOfFile, -1, "/d").GetErrorMessage(text);
    EXPECT_EQ(text, "/d の末尾以降にｱｸｾｽしようとしました。");
    CFileException(CFileException::fileNotFound).GetErrorMessage(text);
    EXPECT_EQ(text, "無題のﾌｧｲﾙ が見つかりませんでした。");
}

// Whatever the sizes of the reads and writes, the archive passes the bytes
// through unchanged, and Read returns fewer only at the end of the file.
TEST(FrameworkArchive, ReadsAndWritesOfAnySizeKeepTheBytes)
{
    TempDir dir;
    std::mt19937 rng(4096);
    for (size_t size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{4097},
                        size_t{12288}, size_t{70001}}) {
        SCOPED_TRACE("size " + std::to_string(size));
        std::string data(size, '\0');
        for (char& c : data)
            c = static_cast<char>(rng());
        std::string path = dir.File("a.bin");
        {
            CFile file;
            ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
            CArchive ar(&file, CArchive::store);
            EXPECT_TRUE(ar.IsStoring());
            for (size_t pos = 0; pos < size;) {
                UINT n = static_cast<UINT>(std::min<size_t>(1 + rng() % 9000, size - pos));
                ar.Write(data.data() + pos, n);
                pos += n;
            }
            ar.Close();
            file.Close();
        }
        EXPECT_EQ(ReadFile(path), data);

        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
        CArchive ar(&file, CArchive::load);
        EXPECT_TRUE(ar.IsLoading());
        std::string back;
        for (;;) {
            UINT want = 1 + rng() % 9000;
            std::string chunk(want, '\0');
            UINT n = ar.Read(&chunk[0], want);
            back.append(chunk, 0, n);
            if (n < want)
                break;
        }
        EXPECT_EQ(back, data);
        char extra;
        EXPECT_EQ(ar.Read(&extra, 1), 0u);
    }
}

TEST(FrameworkFile, AnAbortedWriteLeavesTheOldFile)
{
    TempDir dir;
    std::string path = dir.File("keep.txt");
    WriteFile(path, "old contents");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
        file.Write("new", 3);
        file.Abort();
    }
    {
        CFile file;  // destroyed without Close: also discarded
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
        file.Write("new", 3);
    }
    EXPECT_EQ(ReadFile(path), "old contents");
}

// A file whose reading fails part-way, as a disk or a network share can.
class CFailingFile : public CFile {
public:
    explicit CFailingFile(int mode) : m_mode(mode) {}
    UINT Read(void* lpBuf, UINT nCount) override
    {
        if (m_mode == 0)
            AfxThrowFileException(CFileException::hardIO, EIO, GetFilePath());
        if (m_mode == 1)
            throw std::bad_alloc();
        if (m_mode == 2)
            AfxThrowArchiveException(CArchiveException::endOfFile);
        AfxThrowMemoryException();
        (void)lpBuf;
        return nCount;
    }

private:
    int m_mode;
};

int g_failMode = 0;

class CFailingDoc : public CRuvokDoc {
    DECLARE_DYNCREATE(CFailingDoc)
public:
    CFile* GetFile(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError) override
    {
        if ((nOpenFlags & 3) != CFile::modeRead)
            return CRuvokDoc::GetFile(lpszFileName, nOpenFlags, pError);
        CFile* pFile = new CFailingFile(g_failMode);
        if (!pFile->Open(lpszFileName, nOpenFlags, pError)) {
            delete pFile;
            return nullptr;
        }
        return pFile;
    }
};
IMPLEMENT_DYNCREATE(CFailingDoc, CRuvokDoc)

class FrameworkLoadFailure : public DocTest {};

// The contents are gone once the read fails: the document becomes a new,
// untitled one instead of keeping a half-loaded text under the old name.
TEST_F(FrameworkLoadFailure, AFailedReadLeavesANewUntitledDocument)
{
    struct Row {
        int mode;
        std::string text;  // %s for the path
    };
    const Row rows[] = {
        {0, "%s へのｱｸｾｽ中にﾊｰﾄﾞｳｪｱ I/O ｴﾗｰが報告されました。"},
        {1, "ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。"},
        {2, "予期しないﾌｧｲﾙ形式です。"},
        {3, "ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。"},
    };
    // A document of the failing kind in the one frame.
    CDocTemplate* pTemplate = Doc()->GetDocTemplate();
    CRuntimeClass* pOldClass = pTemplate->m_pDocClass;
    Frame()->SendMessage(WM_CLOSE);
    pTemplate->m_pDocClass = RUNTIME_CLASS(CFailingDoc);
    AfxGetApp()->OnFileNew();
    pTemplate->m_pDocClass = pOldClass;
    ASSERT_TRUE(Doc()->IsKindOf(RUNTIME_CLASS(CFailingDoc)));

    TempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE("failure " + std::to_string(row.mode));
        g_failMode = row.mode;
        std::string path = dir.File("bad.txt");
        WriteFile(path, "some text\n");
        Edit("edited\r\n");
        Doc()->SetPathName(dir.File("earlier.txt").c_str());
        Doc()->SetModifiedFlag(FALSE);
        GetPrompts().Clear();

        EXPECT_EQ(AfxGetApp()->OpenDocumentFile(path.c_str()), nullptr);
        std::string expected = row.text;
        size_t at = expected.find("%s");
        if (at != std::string::npos)
            expected.replace(at, 2, path);
        ASSERT_EQ(GetPrompts().messages.size(), 1u);
        EXPECT_EQ(GetPrompts().messages[0].text, expected);
        EXPECT_EQ(GetPrompts().messages[0].type & MB_ICONMASK, MB_ICONEXCLAMATION);
        EXPECT_EQ(Text(), "");
        EXPECT_EQ(Doc()->GetTitle(), "無題");
        EXPECT_EQ(Doc()->GetPathName(), "");
        EXPECT_FALSE(Doc()->IsModified());
        EXPECT_EQ(ReadFile(path), "some text\n");
    }
    // back to the viewer's own document for the tests that follow
    Frame()->SendMessage(WM_CLOSE);
}

}  // namespace
