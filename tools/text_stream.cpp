#include "text_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "kanjicode.h"
#include "kanjicode_stream.h"

namespace {

// A piece stays in the second-level cache with its output beside it.
constexpr size_t kPieceSize = size_t{256} << 10;
// Room before a piece for a unit the last piece cut (at most three bytes),
// and after it for the NUL.
constexpr size_t kCarryRoom = 8;

#ifdef _WIN32
long long ReadFd(int fd, char* buf, size_t n) { return _read(fd, buf, static_cast<unsigned>(n)); }
long long SeekFd(int fd, long long offset, int whence) { return _lseeki64(fd, offset, whence); }
using FileStat = struct _stat64;
int StatFd(int fd, FileStat* st) { return _fstat64(fd, st); }
#else
long long ReadFd(int fd, char* buf, size_t n) { return read(fd, buf, n); }
long long SeekFd(int fd, long long offset, int whence) { return lseek(fd, static_cast<off_t>(offset), whence); }
using FileStat = struct stat;
int StatFd(int fd, FileStat* st) { return fstat(fd, st); }
#endif

// A temporary file for what a pipe gave, in the folder TMPDIR names (the C
// library's tmpfile() would always take /tmp), removed from it at once.
FILE* SpillFile() {
#ifdef _WIN32
    return std::tmpfile();
#else
    const char* dir = std::getenv("TMPDIR");
    std::string name = dir != nullptr && dir[0] == '/' ? dir : P_tmpdir;
    name += "/ruvok-conv-XXXXXX";
    const int fd = mkstemp(&name[0]);
    if (fd < 0) return nullptr;
    unlink(name.c_str());
    FILE* file = fdopen(fd, "w+b");
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        errno = error;
    }
    return file;
#endif
}

long long ReadRetrying(int fd, char* buf, size_t n) {
    long long got;
    do {
        got = ReadFd(fd, buf, n);
    } while (got < 0 && errno == EINTR);
    return got < 0 ? -static_cast<long long>(errno) : got;
}

// The bytes of the text, from the file or pipe, or from what was kept of a
// pipe while detection was undecided; never past the first NUL.
class TextSource {
public:
    explicit TextSource(int fd) : m_fd(fd) {
        FileStat st;
        if (StatFd(fd, &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG) {
            // Standard input may be a file read from somewhere in its middle.
            long long start = SeekFd(fd, 0, SEEK_CUR);
            m_seekable = start >= 0;
            m_start = m_seekable ? static_cast<uint64_t>(start) : 0;
            m_size = static_cast<uint64_t>(st.st_size);
        }
    }
    ~TextSource() {
        if (m_spill) std::fclose(m_spill);
    }

    // Reads up to `n` bytes of the text into `buf`: 0 once it is done, a
    // negative errno value on failure. Sets Ended() when the bytes read reach
    // the text's NUL.
    long long Read(char* buf, size_t n) {
        if (m_nul) n = static_cast<size_t>(std::min<uint64_t>(n, m_nulOffset - m_pos));
        if (n == 0) return 0;
        long long got = 0;
        if (m_replaying) {
            got = static_cast<long long>(std::fread(buf, 1, n, m_spill));
            if (got == 0) {
                if (std::ferror(m_spill)) return -EIO;
                m_replaying = false;
                std::fclose(m_spill);
                m_spill = nullptr;
            }
        }
        if (got == 0) {
            got = ReadRetrying(m_fd, buf, n);
            if (got <= 0) return got;
            m_read += static_cast<uint64_t>(got);
            if (m_spill && std::fwrite(buf, 1, static_cast<size_t>(got), m_spill) != static_cast<size_t>(got))
                return -(errno ? errno : EIO);
        }
        if (!m_nul) {
            if (const void* nul = std::memchr(buf, 0, static_cast<size_t>(got))) {
                got = static_cast<const char*>(nul) - buf;
                m_nul = true;
                m_nulOffset = m_pos + static_cast<uint64_t>(got);
            }
        }
        m_pos += static_cast<uint64_t>(got);
        return got;
    }

    bool Ended() const { return m_nul && m_pos == m_nulOffset; }
    uint64_t Position() const { return m_pos; }

    // The text from `offset` (behind the position, and given to Keep first)
    // is to be read again later.
    int Keep(uint64_t offset, const char* bytes, size_t size) {
        m_heldFrom = offset;
        if (m_seekable) return 0;
        m_spill = SpillFile();  // unlinked at once: nothing stays behind
        if (!m_spill) return errno ? errno : EIO;
        if (std::fwrite(bytes, 1, size, m_spill) != size) return errno ? errno : EIO;
        return 0;
    }

    // Goes back to the offset given to Keep.
    int ReadAgain() {
        m_pos = m_heldFrom;
        if (m_seekable) return SeekFd(m_fd, static_cast<long long>(m_start + m_heldFrom), SEEK_SET) < 0 ? errno : 0;
        if (std::fflush(m_spill) != 0 || std::fseek(m_spill, 0, SEEK_SET) != 0) return errno ? errno : EIO;
        m_replaying = true;
        return 0;
    }

    // The number of bytes after the NUL, reading the rest of a pipe.
    long long CountAfterNul(char* buf, size_t n) {
        if (m_seekable && m_size > m_start + m_nulOffset)
            return static_cast<long long>(m_size - m_start - m_nulOffset - 1);
        for (;;) {
            long long got = ReadRetrying(m_fd, buf, n);
            if (got < 0) return got;
            if (got == 0) break;
            m_read += static_cast<uint64_t>(got);
        }
        return static_cast<long long>(m_read - m_nulOffset - 1);
    }

    uint64_t NulOffset() const { return m_nulOffset; }

private:
    int m_fd;
    bool m_seekable = false;
    uint64_t m_start = 0;  // the file's offset where the text starts
    uint64_t m_size = 0;
    uint64_t m_pos = 0;   // of the next byte of the text
    uint64_t m_read = 0;  // bytes read from the descriptor
    bool m_nul = false;
    uint64_t m_nulOffset = 0;
    uint64_t m_heldFrom = 0;
    std::FILE* m_spill = nullptr;
    bool m_replaying = false;
};

// How many bytes from the start all three converters turn into the same
// output: ASCII but ESC, SO and SI.
size_t AgreedPrefix(const char* text, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 || c == 0x1B || c == 0x0E || c == 0x0F) return i;
    }
    return n;
}

}  // namespace

TextOutcome StreamText(int fd, TextSink* sink) {
    static char in[kCarryRoom + kPieceSize + kCarryRoom];
    static char out[2 * (kPieceSize + 2 * kCarryRoom)];
    TextOutcome outcome;
    TextSource source(fd);
    KanjiDetector detector;
    StartKanjiDetector(&detector);
    SjisStream stream;
    StartSjisStream(&stream, KC_SJIS);  // until detection decides, for the bytes all agree on
    int code = -1;
    bool holding = false;
    size_t keep = 0;  // bytes at the start of `in` that come again

    auto put = [&](size_t size) {
        if (sink && size > 0 && outcome.write_error == 0) outcome.write_error = sink->Put(out, size);
        return outcome.write_error == 0;
    };

    for (;;) {
        long long got = source.Read(in + keep, kPieceSize);
        if (got < 0) {
            outcome.read_error = static_cast<int>(-got);
            return outcome;
        }
        size_t n = keep + static_cast<size_t>(got);
        bool ended = got == 0 || source.Ended();
        in[n] = '\0';
        if (code < 0) {
            size_t used = n;
            int decided = ended ? FinishDetector(&detector, in, n) : DetectInPiece(&detector, in, n, &used);
            if (decided < 0) {
                if (!holding) {
                    size_t agreed = AgreedPrefix(in, n);
                    size_t unused = 0;
                    if (sink && !put(ConvertSjisPiece(&stream, out, in, agreed, &unused))) return outcome;
                    if (agreed < n) {
                        holding = true;
                        int error = source.Keep(source.Position() - (n - agreed), in + agreed, n - agreed);
                        if (error) {
                            outcome.read_error = error;
                            return outcome;
                        }
                    }
                }
                keep = n - used;
                std::memmove(in, in + used, keep);
                continue;
            }
            code = decided;
            outcome.code = code;
            if (!sink) break;
            stream.code = code;  // the bytes so far leave every converter in the same state
            if (holding) {
                uint64_t from = source.Position();
                int error = source.ReadAgain();
                outcome.held = from - source.Position();
                if (error) {
                    outcome.read_error = error;
                    return outcome;
                }
                keep = 0;
                continue;
            }
        }
        if (ended) {
            put(FinishSjisStream(&stream, out, in, n));
            break;
        }
        size_t used = 0;
        if (!put(ConvertSjisPiece(&stream, out, in, n, &used))) return outcome;
        keep = n - used;
        std::memmove(in, in + used, keep);
    }

    // Read to the end, for the report of a NUL that ended the text.
    if (!sink) {
        for (;;) {
            long long got = source.Read(in, kPieceSize);
            if (got < 0) {
                outcome.read_error = static_cast<int>(-got);
                return outcome;
            }
            if (got == 0) break;
        }
    }
    if (source.Ended()) {
        outcome.nul = true;
        outcome.nul_offset = source.NulOffset();
        long long after = source.CountAfterNul(in, kPieceSize);
        if (after < 0)
            outcome.read_error = static_cast<int>(-after);
        else
            outcome.after_nul = static_cast<uint64_t>(after);
    }
    return outcome;
}
