#include "byte_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
using FileStat = struct _stat64;
int StatFd(int fd, FileStat* st) { return _fstat64(fd, st); }
int OpenForReading(const char* path) { return _open(path, _O_RDONLY | _O_BINARY); }
int CloseFd(int fd) { return _close(fd); }
long long WriteFd(int fd, const char* buf, size_t n) { return _write(fd, buf, static_cast<unsigned>(n)); }
#else
using FileStat = struct stat;
int StatFd(int fd, FileStat* st) { return fstat(fd, st); }
int OpenForReading(const char* path) { return open(path, O_RDONLY | O_CLOEXEC); }
int CloseFd(int fd) { return close(fd); }
long long WriteFd(int fd, const char* buf, size_t n) { return write(fd, buf, n); }
#endif

// Small enough for the int-sized counts of the Windows runtime.
constexpr size_t kIoChunk = size_t{64} << 20;

bool IsStdin(const char* path) { return std::strcmp(path, "-") == 0; }

}  // namespace

void PrepareStandardStreams() {
#ifdef _WIN32
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
#else
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

int OpenInput(const char* path, int* fd) {
    *fd = IsStdin(path) ? 0 : OpenForReading(path);
    if (*fd < 0) {
        int error = errno;
#ifdef _WIN32
        // Windows refuses to open a directory at all, with EACCES.
        FileStat st;
        if (_stat64(path, &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR) error = EISDIR;
#endif
        return error;
    }
    FileStat st;
    int error = 0;
    if (StatFd(*fd, &st) != 0)
        error = errno;
    else if ((st.st_mode & S_IFMT) == S_IFDIR)
        error = EISDIR;
    if (error != 0) CloseInput(path, *fd);
    return error;
}

void CloseInput(const char* path, int fd) {
    if (!IsStdin(path)) CloseFd(fd);
}

int WriteToStdout(const char* data, size_t size) {
    while (size > 0) {
        long long put = WriteFd(1, data, std::min(size, kIoChunk));
        if (put < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (put == 0) return EIO;
        data += put;
        size -= static_cast<size_t>(put);
    }
    return 0;
}
