#include "byte_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstdint>
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
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

#ifdef _WIN32
using FileStat = struct _stat64;
int StatFd(int fd, FileStat* st) { return _fstat64(fd, st); }
int OpenForReading(const char* path) { return _open(path, _O_RDONLY | _O_BINARY); }
int CloseFd(int fd) { return _close(fd); }
long long ReadFd(int fd, char* buf, size_t n) { return _read(fd, buf, static_cast<unsigned>(n)); }
long long WriteFd(int fd, const char* buf, size_t n) { return _write(fd, buf, static_cast<unsigned>(n)); }
#else
using FileStat = struct stat;
int StatFd(int fd, FileStat* st) { return fstat(fd, st); }
int OpenForReading(const char* path) { return open(path, O_RDONLY | O_CLOEXEC); }
int CloseFd(int fd) { return close(fd); }
long long ReadFd(int fd, char* buf, size_t n) { return read(fd, buf, n); }
long long WriteFd(int fd, const char* buf, size_t n) { return write(fd, buf, n); }
#endif

// Large enough that a 1 GiB file takes a few dozen calls, small enough for
// the int-sized counts of the Windows runtime.
constexpr size_t kIoChunk = size_t{64} << 20;
// First allocation when the size is not known in advance (a pipe).
constexpr size_t kInitialCapacity = size_t{1} << 20;
constexpr size_t kProbeSize = 64 << 10;

bool IsDirectory(const FileStat& st) { return (st.st_mode & S_IFMT) == S_IFDIR; }

int ReadAll(int fd, size_t size_hint, ByteBuffer& text) {
    // One byte beyond the content always stays free for the terminator.
    size_t capacity = size_hint < kInitialCapacity ? kInitialCapacity : size_hint + 1;
    if (!text.Reserve(capacity)) return ENOMEM;
    size_t size = 0;
    for (;;) {
        if (size + 1 == text.capacity()) {
            // Full: a regular file is usually exactly at its end here, so
            // probe before growing rather than double a big block for nothing.
            char probe[kProbeSize];
            long long got;
            do {
                got = ReadFd(fd, probe, sizeof probe);
            } while (got < 0 && errno == EINTR);
            if (got < 0) return errno;
            if (got == 0) break;
            size_t grown = text.capacity() + std::max(text.capacity(), kProbeSize + 1);
            if (grown < text.capacity() || !text.Reserve(grown)) return ENOMEM;
            std::memcpy(text.data() + size, probe, static_cast<size_t>(got));
            size += static_cast<size_t>(got);
            continue;
        }
        size_t room = std::min(text.capacity() - 1 - size, kIoChunk);
        long long got = ReadFd(fd, text.data() + size, room);
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (got == 0) break;
        size += static_cast<size_t>(got);
    }
    text.data()[size] = '\0';
    text.set_size(size);
    return 0;
}

}  // namespace

ByteBuffer::~ByteBuffer() { Release(); }

#ifdef __linux__

// Anonymous mappings of our own: they grow in place or by moving pages
// (mremap), never by copying. No huge pages are asked for: where the kernel
// compacts memory to give them, a single run can stall for most of a second.
bool ByteBuffer::Reserve(size_t capacity) {
    if (capacity <= m_capacity) return true;
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_t bytes = (capacity + page - 1) / page * page;
    if (bytes < capacity) return false;
    void* grown = m_data ? mremap(m_data, m_capacity, bytes, MREMAP_MAYMOVE)
                         : mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (grown == MAP_FAILED) return false;
    m_data = static_cast<char*>(grown);
    m_capacity = bytes;
    return true;
}

void ByteBuffer::Release() {
    if (m_data) munmap(m_data, m_capacity);
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
}

#else

bool ByteBuffer::Reserve(size_t capacity) {
    if (capacity <= m_capacity) return true;
    void* grown = std::realloc(m_data, capacity);
    if (!grown) return false;
    m_data = static_cast<char*>(grown);
    m_capacity = capacity;
    return true;
}

void ByteBuffer::Release() {
    std::free(m_data);
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
}

#endif

void PrepareStandardStreams() {
#ifdef _WIN32
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
#else
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

int ReadWholeFile(const char* path, ByteBuffer& text) {
    bool from_stdin = std::strcmp(path, "-") == 0;
    int fd = from_stdin ? 0 : OpenForReading(path);
    if (fd < 0) {
        int error = errno;
#ifdef _WIN32
        // Windows refuses to open a directory at all, with EACCES.
        FileStat st;
        if (_stat64(path, &st) == 0 && IsDirectory(st)) error = EISDIR;
#endif
        return error;
    }

    int error = 0;
    FileStat st;
    if (StatFd(fd, &st) != 0) {
        error = errno;
    } else if (IsDirectory(st)) {
        error = EISDIR;
    } else {
        bool sized = (st.st_mode & S_IFMT) == S_IFREG && st.st_size > 0;
        if (sized && static_cast<unsigned long long>(st.st_size) >= SIZE_MAX)
            error = ENOMEM;
        else
            error = ReadAll(fd, sized ? static_cast<size_t>(st.st_size) : 0, text);
    }
    if (!from_stdin) CloseFd(fd);
    return error;
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
