// CSaveFile over POSIX calls on the path's bytes (see savefile.h).
#include "savefile.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr int kMaxLinks = 40;  // as the kernel follows them
constexpr std::size_t kCopyBlock = 64 * 1024;

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A link is saved through: the file it names gets the text and the link
// stays a link. Empty with errno on a loop.
std::string FollowLinks(std::string path)
{
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return path;
        const std::string link(target.data(), static_cast<std::size_t>(n));
        path = link[0] == '/' ? link : FolderOf(path) + "/" + link;
    }
    errno = ELOOP;
    return std::string();
}

std::string UniqueSuffix()
{
    static unsigned counter = 0;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%x%x", static_cast<unsigned>(::getpid()) ^
                                                      static_cast<unsigned>(now),
                  ++counter);
    return suffix;
}

// A new file named base and a suffix no file has; -1 with errno.
int CreateUnique(const std::string& base, mode_t mode, std::string& made)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = base + UniqueSuffix();
        const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            made = name;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

// The user's cache folder for the copies a save in place keeps while it
// runs, named for the program; empty where there is none that is the
// user's alone.
std::string PrivateCacheFolder()
{
    std::string base;
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    if (cache != nullptr && cache[0] == '/')
        base = cache;
    else if (home != nullptr && home[0] == '/')
        base = std::string(home) + "/.cache";
    else
        return std::string();
    const std::string program = QCoreApplication::applicationName().toStdString();
    if (program.empty() || program.find('/') != std::string::npos || program[0] == '.')
        return std::string();
    ::mkdir(base.c_str(), 0700);
    const std::string folder = base + "/" + program;
    ::mkdir(folder.c_str(), 0700);
    struct stat st;
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & 0077) != 0)
        return std::string();
    return folder;
}

// A file of the user's alone for a copy of target's text: beside it, else in
// the cache folder. -1 with the folder's errno.
int CreateCopy(const std::string& target, std::string& made)
{
    int fd = CreateUnique(target, 0600, made);
    if (fd >= 0)
        return fd;
    const int err = errno;
    const std::string cache = PrivateCacheFolder();
    if (!cache.empty())
        fd = CreateUnique(cache + "/save", 0600, made);
    if (fd < 0)
        errno = err;
    return fd;
}

// Copies all of from over the start of to; *copied is its size.
bool CopyAll(int from, int to, off_t* copied = nullptr)
{
    std::vector<char> block(kCopyBlock);
    off_t at = 0;
    for (;;) {
        const ssize_t n = ::pread(from, block.data(), block.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::pwrite(to, block.data() + done, static_cast<std::size_t>(n - done),
                                       at + done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                if (w == 0)
                    errno = EIO;
                return false;
            }
            done += w;
        }
        at += n;
    }
    if (copied != nullptr)
        *copied = at;
    return true;
}

bool Sync(int fd)
{
    return ::fsync(fd) == 0 || errno == EINVAL;
}

using Attributes = std::vector<std::pair<std::string, std::string>>;

std::vector<std::string> NamesIn(const std::vector<char>& list, ssize_t size)
{
    std::vector<std::string> names;
    for (ssize_t at = 0; at < size;) {
        const std::string name(list.data() + at);
        at += static_cast<ssize_t>(name.size()) + 1;
        if (!name.empty())
            names.push_back(name);
    }
    return names;
}

// The extended attributes of path, its ACL among them; false where they
// can't all be read.
bool ReadAttributes(const std::string& path, Attributes& attributes)
{
    ssize_t size = ::listxattr(path.c_str(), nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;  // a file system without them
    std::vector<char> list(static_cast<std::size_t>(size) + 1, '\0');
    size = ::listxattr(path.c_str(), list.data(), list.size() - 1);
    if (size < 0)
        return false;
    for (const std::string& name : NamesIn(list, size)) {
        ssize_t n = ::getxattr(path.c_str(), name.c_str(), nullptr, 0);
        if (n < 0 && errno == ENODATA)
            continue;  // gone meanwhile
        if (n < 0)
            return false;
        std::string value(static_cast<std::size_t>(n), '\0');
        n = ::getxattr(path.c_str(), name.c_str(), value.data(), value.size());
        if (n < 0)
            return false;
        value.resize(static_cast<std::size_t>(n));
        attributes.emplace_back(name, value);
    }
    return true;
}

// Gives fd exactly these attributes: also none that came from elsewhere (a
// folder's default ACL, say).
bool WriteAttributes(int fd, const Attributes& attributes)
{
    for (const auto& [name, value] : attributes) {
        if (::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0)
            return false;
    }
    ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP && attributes.empty();
    std::vector<char> list(static_cast<std::size_t>(size) + 1, '\0');
    size = ::flistxattr(fd, list.data(), list.size() - 1);
    if (size < 0)
        return false;
    for (const std::string& name : NamesIn(list, size)) {
        const bool wanted = std::any_of(attributes.begin(), attributes.end(),
                                        [&](const auto& a) { return a.first == name; });
        if (!wanted && ::fremovexattr(fd, name.c_str()) != 0 && errno != ENODATA)
            return false;
    }
    return true;
}

}  // namespace

CSaveFile::CSaveFile(const std::string& path) : m_target(path) {}

CSaveFile::~CSaveFile()
{
    Cancel();
}

bool CSaveFile::Open()
{
    Cancel();
    m_inPlace = false;
    m_target = FollowLinks(m_target);
    if (m_target.empty())
        return false;
    struct stat st;
    m_exists = ::stat(m_target.c_str(), &st) == 0;
    // Until it has the old file's mode, a new file for an existing one is
    // the user's alone; a file of a new name gets the usual mode.
    m_fd = CreateUnique(m_target, m_exists ? 0600 : 0666, m_temp);
    if (m_fd < 0) {
        // A folder that takes no new file may still hold a file the user
        // may write: its new text waits in the cache folder meanwhile.
        if (!m_exists || (errno != EACCES && errno != EPERM))
            return false;
        const int err = errno;
        const std::string cache = PrivateCacheFolder();
        if (!cache.empty())
            m_fd = CreateUnique(cache + "/save", 0600, m_temp);
        if (m_fd < 0) {
            errno = err;
            return false;
        }
        m_inPlace = true;
    } else if (m_exists && (st.st_nlink > 1 || !TakeOnTarget(st))) {
        (void)::fchmod(m_fd, 0600);
        m_inPlace = true;
    }
    if (m_inPlace && !OpenTargetInPlace()) {
        const int err = errno;
        Cancel();
        errno = err;
        return false;
    }
    m_size = 0;
    return true;
}

// Gives the new file the old one's owner, group, mode and attributes; false
// where the user may not, and a rename would lose them.
bool CSaveFile::TakeOnTarget(const struct stat& st)
{
    struct stat own;
    if (::fstat(m_fd, &own) != 0)
        return false;
    if ((own.st_uid != st.st_uid || own.st_gid != st.st_gid) &&
        ::fchown(m_fd, st.st_uid, st.st_gid) != 0)
        return false;
    // The mode after the owner (a new owner clears set-id bits), the ACL
    // after the mode (which would change its mask).
    if (::fchmod(m_fd, st.st_mode & 07777) != 0)
        return false;
    Attributes attributes;
    return ReadAttributes(m_target, attributes) && WriteAttributes(m_fd, attributes);
}

bool CSaveFile::OpenTargetInPlace()
{
    // Read too where it may be, for the copy of the old text.
    m_targetFd = ::open(m_target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (m_targetFd < 0 && errno == EACCES)
        m_targetFd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_targetFd < 0)
        return false;
    struct stat st;
    if (::fstat(m_targetFd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_targetFd);
        m_targetFd = -1;
        errno = EACCES;
        return false;
    }
    return true;
}

long long CSaveFile::Write(const void* data, std::size_t n)
{
    if (m_fd < 0) {
        errno = EBADF;
        return -1;
    }
    ssize_t written;
    do {
        written = ::write(m_fd, data, n);
    } while (written < 0 && errno == EINTR);
    if (written > 0)
        m_size += static_cast<std::uint64_t>(written);
    return written;
}

bool CSaveFile::Commit()
{
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    // On the disk before it takes the name or goes over the old text: a
    // crash never leaves an empty file.
    int err = Sync(m_fd) ? 0 : errno;
    if (err == 0 && !m_inPlace) {
        if (::close(m_fd) != 0 && errno != EINTR)
            err = errno;
        m_fd = -1;
        if (err == 0) {
            if (::rename(m_temp.c_str(), m_target.c_str()) == 0) {
                m_temp.clear();
                return true;
            }
            err = errno;
            // A folder that let the new file in may still refuse it the old
            // one's name (a sticky folder, a file mounted over).
            if (m_exists && (err == EPERM || err == EACCES || err == EBUSY)) {
                m_fd = ::open(m_temp.c_str(), O_RDONLY | O_CLOEXEC);
                if (m_fd >= 0 && OpenTargetInPlace()) {
                    m_inPlace = true;
                    err = 0;
                }
            }
        }
    }
    if (err == 0 && m_inPlace && !CommitInPlace())
        err = errno != 0 ? errno : EIO;
    Cancel();
    if (err != 0) {
        errno = err;
        return false;
    }
    return true;
}

bool CSaveFile::CommitInPlace()
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
        return false;
    const off_t size = st.st_size;
    // Room for the new text first, where the file system can promise it: a
    // full disk then stops the save before the old text is touched.
    if (size > 0 && ::fallocate(m_targetFd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS)
        return false;

    // The old text aside, unless the user may only write the file.
    std::string backup;
    int backupFd = -1;
    off_t oldSize = 0;
    const int access = ::fcntl(m_targetFd, F_GETFL);
    if (access >= 0 && (access & O_ACCMODE) == O_RDWR) {
        backupFd = CreateCopy(m_target, backup);
        if (backupFd < 0 || !CopyAll(m_targetFd, backupFd, &oldSize) || !Sync(backupFd)) {
            const int err = errno;
            if (backupFd >= 0) {
                ::close(backupFd);
                ::unlink(backup.c_str());
            }
            errno = err;
            return false;
        }
    }

    if (CopyAll(m_fd, m_targetFd) && ::ftruncate(m_targetFd, size) == 0 && Sync(m_targetFd)) {
        if (backupFd >= 0) {
            ::close(backupFd);
            ::unlink(backup.c_str());
        }
        return true;
    }
    const int err = errno;
    if (backupFd >= 0) {
        // The old text back; where even that fails, its copy stays.
        if (CopyAll(backupFd, m_targetFd) && ::ftruncate(m_targetFd, oldSize) == 0 &&
            Sync(m_targetFd))
            ::unlink(backup.c_str());
        ::close(backupFd);
    } else {
        m_temp.clear();  // then the new text's copy is the whole one left
    }
    errno = err;
    return false;
}

void CSaveFile::Cancel()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_targetFd >= 0) {
        ::close(m_targetFd);
        m_targetFd = -1;
    }
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}
