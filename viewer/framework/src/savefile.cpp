// CSaveFile over POSIX calls on the path's bytes (see savefile.h).
#include "savefile.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMaxLinks = 40;  // as the kernel follows them

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

}  // namespace

CSaveFile::CSaveFile(const std::string& path) : m_target(path) {}

CSaveFile::~CSaveFile()
{
    Cancel();
}

bool CSaveFile::Open()
{
    Cancel();
    m_target = FollowLinks(m_target);
    if (m_target.empty())
        return false;
    struct stat st;
    const bool exists = ::stat(m_target.c_str(), &st) == 0;
    // Until it has the old file's mode, a new file for an existing one is
    // the user's alone; a file of a new name gets the usual mode.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = m_target + UniqueSuffix();
        m_fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
        if (m_fd >= 0) {
            m_temp = temp;
            break;
        }
        if (errno != EEXIST)
            return false;
    }
    if (m_fd < 0)
        return false;
    if (exists)
        (void)::fchmod(m_fd, st.st_mode & 07777);
    m_size = 0;
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
    // On the disk before it takes the name: a crash never leaves an empty file.
    int err = ::fsync(m_fd) != 0 && errno != EINVAL ? errno : 0;
    if (::close(m_fd) != 0 && err == 0 && errno != EINTR)
        err = errno;
    m_fd = -1;
    if (err == 0 && ::rename(m_temp.c_str(), m_target.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
        errno = err;
        return false;
    }
    m_temp.clear();
    return true;
}

void CSaveFile::Cancel()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}
