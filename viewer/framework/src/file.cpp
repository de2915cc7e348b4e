// CFile over POSIX files and CSaveFile, and the file-name helpers.
#include "file.h"

#include "exceptions.h"
#include "savefile.h"

#include <cerrno>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

IMPLEMENT_DYNAMIC(CFile, CObject)

namespace {

void SetError(CFileException* pError, int osError, const std::string& name)
{
    if (pError == nullptr)
        return;
    pError->m_cause = CFileException::OsErrorToException(osError);
    pError->m_lOsError = osError;
    pError->m_strFileName = name;
}

// A file that exists and may not be written: no write permission for us, or
// marked read-only for everyone (which even the superuser is held to, as the
// read-only attribute is on Windows).
bool IsReadOnlyFile(const struct stat& st, const char* path)
{
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return ::access(path, W_OK) != 0;
}

}  // namespace

CFile::CFile() = default;

CFile::~CFile()
{
    Abort();
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    Abort();
    m_strFileName = lpszFileName != nullptr ? lpszFileName : "";
    if (m_strFileName.empty()) {
        SetError(pError, ENOENT, m_strFileName);
        return FALSE;
    }
    const char* path = m_strFileName.c_str();
    const UINT access = nOpenFlags & 0x3;

    if (access == modeRead) {
        // O_NONBLOCK so that a FIFO can't hang the open; only regular files
        // are read.
        int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            SetError(pError, errno, m_strFileName);
            return FALSE;
        }
        struct stat st;
        int err = 0;
        if (::fstat(fd, &st) != 0)
            err = errno;  // st holds nothing to go by
        else if (!S_ISREG(st.st_mode))
            err = S_ISDIR(st.st_mode) ? EISDIR : EACCES;
        if (err != 0) {
            ::close(fd);
            SetError(pError, err, m_strFileName);
            return FALSE;
        }
        int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0)
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        m_hFile = fd;
        return TRUE;
    }

    // Writing: the target must be writable (or not yet exist) before a
    // temporary file is made to replace it.
    struct stat st;
    if (::stat(path, &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            SetError(pError, EISDIR, m_strFileName);
            return FALSE;
        }
        if (!S_ISREG(st.st_mode) || IsReadOnlyFile(st, path)) {
            SetError(pError, EACCES, m_strFileName);
            return FALSE;
        }
    } else if (errno != ENOENT) {
        SetError(pError, errno, m_strFileName);
        return FALSE;
    }
    if ((nOpenFlags & modeCreate) == 0 || (nOpenFlags & modeNoTruncate) != 0) {
        // Only whole-file replacement is supported for writing.
        SetError(pError, EINVAL, m_strFileName);
        return FALSE;
    }
    m_pSaveFile = new CSaveFile(m_strFileName);
    errno = 0;
    if (!m_pSaveFile->Open()) {
        int err = errno != 0 ? errno : EACCES;
        delete m_pSaveFile;
        m_pSaveFile = nullptr;
        SetError(pError, err, m_strFileName);
        return FALSE;
    }
    return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (m_hFile < 0)
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    char* p = static_cast<char*>(lpBuf);
    UINT done = 0;
    while (done < nCount) {
        ssize_t n = ::read(m_hFile, p + done, nCount - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CFileException::ThrowOsError(errno, m_strFileName);
        }
        if (n == 0)
            break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::ThrowWriteError(int osError)
{
    if (osError == 0)
        osError = EIO;
    CFileException::ThrowOsError(osError, m_strFileName);
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    if (m_pSaveFile == nullptr)
        AfxThrowFileException(CFileException::accessDenied, EBADF, m_strFileName);
    const char* p = static_cast<const char*>(lpBuf);
    UINT done = 0;
    while (done < nCount) {
        errno = 0;
        long long n = m_pSaveFile->Write(p + done, static_cast<std::size_t>(nCount - done));
        if (n <= 0)
            ThrowWriteError(errno);
        done += static_cast<UINT>(n);
    }
}

std::uint64_t CFile::GetLength() const
{
    struct stat st;
    if (m_hFile >= 0 && ::fstat(m_hFile, &st) == 0)
        return static_cast<std::uint64_t>(st.st_size);
    if (m_pSaveFile != nullptr)
        return m_pSaveFile->Size();
    return 0;
}

void CFile::Close()
{
    if (m_hFile >= 0) {
        int fd = m_hFile;
        m_hFile = -1;
        if (::close(fd) != 0 && errno != EINTR)
            CFileException::ThrowOsError(errno, m_strFileName);
    }
    if (m_pSaveFile != nullptr) {
        errno = 0;
        bool ok = m_pSaveFile->Commit();
        int err = errno;
        delete m_pSaveFile;
        m_pSaveFile = nullptr;
        if (!ok) {
            if (err == 0)
                err = EIO;
            CFileException::ThrowOsError(err, m_strFileName);
        }
    }
}

void CFile::Abort()
{
    if (m_hFile >= 0) {
        ::close(m_hFile);
        m_hFile = -1;
    }
    if (m_pSaveFile != nullptr) {
        delete m_pSaveFile;  // discards the temporary file
        m_pSaveFile = nullptr;
    }
}

void CFile::Remove(LPCTSTR lpszFileName)
{
    if (::unlink(lpszFileName) != 0)
        CFileException::ThrowOsError(errno, lpszFileName);
}

std::string AfxGetFileTitle(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string AfxFullPath(const std::string& path)
{
    if (path.empty())
        return path;
    std::string full;
    if (path[0] != '/') {
        std::vector<char> folder(256);
        while (::getcwd(folder.data(), folder.size()) == nullptr) {
            if (errno != ERANGE)
                return path;  // no current folder to go by
            folder.resize(folder.size() * 2);
        }
        full = folder.data();
    }
    full += '/';
    full += path;
    // "." and ".." and doubled slashes go, as the names say; the bytes of
    // each name stay as they are.
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= full.size()) {
        std::size_t slash = full.find('/', start);
        if (slash == std::string::npos)
            slash = full.size();
        const std::string name = full.substr(start, slash - start);
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        start = slash + 1;
    }
    std::string clean;
    for (const std::string& name : names)
        clean += '/' + name;
    return clean.empty() ? "/" : clean;
}

bool AfxIsReadOnlyOrMissing(const std::string& path)
{
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return true;
    return IsReadOnlyFile(st, path.c_str());
}
