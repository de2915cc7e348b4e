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
#include "unicode_form.h"
#include "unicode_sjis.h"

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
        if (m_frontUsed < m_frontLength) {  // what Peek read comes first
            got = static_cast<long long>(std::min(n, m_frontLength - m_frontUsed));
            std::memcpy(buf, m_front + m_frontUsed, static_cast<size_t>(got));
            m_frontUsed += static_cast<size_t>(got);
        } else if (m_replaying) {
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
        if (!m_nul && m_nulEnds) {
            if (const void* nul = std::memchr(buf, 0, static_cast<size_t>(got))) {
                got = static_cast<const char*>(nul) - buf;
                m_nul = true;
                m_nulOffset = m_pos + static_cast<uint64_t>(got);
            }
        }
        m_pos += static_cast<uint64_t>(got);
        return got;
    }

    // Reads the first `n` bytes of the text (at most kFrontSize, fewer where
    // it is shorter), whatever they are, for a look at its byte-order mark:
    // the next Read gives them again. Returns their number, or a negative
    // errno value.
    static constexpr size_t kFrontSize = 4;
    long long Peek(const char** front, size_t n) {
        while (m_frontLength < n) {
            long long got = ReadRetrying(m_fd, m_front + m_frontLength, n - m_frontLength);
            if (got < 0) return got;
            if (got == 0) break;
            m_read += static_cast<uint64_t>(got);
            m_frontLength += static_cast<size_t>(got);
        }
        *front = m_front;
        return static_cast<long long>(m_frontLength);
    }

    // Leaves out the next `n` bytes (a byte-order mark that Peek saw).
    void Skip(size_t n) {
        m_frontUsed += n;
        m_pos += n;
    }

    // UTF-16 is full of NUL bytes: they end no text.
    void KeepNuls() { m_nulEnds = false; }

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

    // The number of bytes of the whole text, reading the rest of a pipe.
    long long TotalSize(char* buf, size_t n) {
        if (m_seekable) return static_cast<long long>(m_size - m_start);
        for (;;) {
            long long got = ReadRetrying(m_fd, buf, n);
            if (got < 0) return got;
            if (got == 0) break;
            m_read += static_cast<uint64_t>(got);
        }
        return static_cast<long long>(m_read);
    }

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
    bool m_nulEnds = true;
    char m_front[kFrontSize];
    size_t m_frontLength = 0;
    size_t m_frontUsed = 0;
};

// Whether the bytes so far are valid UTF-8 (a character cut by the end of
// them is no fault) and hold a multi-byte character; as unicode_form.h
// has it, fed a piece at a time.
class Utf8Check {
public:
    void Put(const char* text, size_t n) {
        const auto* p = reinterpret_cast<const unsigned char*>(text);
        for (size_t i = 0; i < n && !m_invalid; ++i) {
            unsigned b = p[i];
            if (m_need != 0) {
                if (b < m_low || b > m_high) {
                    m_invalid = true;
                    break;
                }
                m_low = 0x80;
                m_high = 0xBF;
                if (--m_need == 0) m_multibyte = true;
                continue;
            }
            if (b < 0x80) continue;
            if (b >= 0xC2 && b <= 0xDF) {
                m_need = 1;
            } else if (b >= 0xE0 && b <= 0xEF) {
                m_need = 2;
                if (b == 0xE0) m_low = 0xA0;
                if (b == 0xED) m_high = 0x9F;
            } else if (b >= 0xF0 && b <= 0xF4) {
                m_need = 3;
                if (b == 0xF0) m_low = 0x90;
                if (b == 0xF4) m_high = 0x8F;
            } else {
                m_invalid = true;
            }
        }
    }
    bool Invalid() const { return m_invalid; }
    bool IsUtf8() const { return !m_invalid && m_multibyte; }

private:
    unsigned m_need = 0;
    unsigned m_low = 0x80, m_high = 0xBF;
    bool m_invalid = false;
    bool m_multibyte = false;
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

// The Unicode form a byte-order mark at the start of the text gives, and
// the mark's length; UF_NONE where there is none.
int FormOfMark(const char* front, size_t n, size_t* mark) {
    std::size_t bom = 0;
    int form = DetectUnicodeForm(front, n, &bom);
    *mark = bom;
    return bom != 0 ? form : UF_NONE;
}

// Reads the rest of a Unicode text, from `in[0..n)` on, through `unicode`.
void PumpUnicode(TextSource& source, UnicodeToSjis& unicode, char* in, size_t n, size_t pieceSize,
                 TextOutcome& outcome) {
    for (;;) {
        if (n > 0) unicode.Put(in, n);
        if (unicode.Ended() || unicode.WriteError() != 0) break;
        long long got = source.Read(in, pieceSize);
        if (got < 0) {
            outcome.read_error = static_cast<int>(-got);
            break;
        }
        if (got == 0) break;
        n = static_cast<size_t>(got);
    }
    unicode.Finish();
    outcome.write_error = unicode.WriteError();
    outcome.substituted = unicode.Substituted();
}

// A NUL byte ended the text: where, and how many bytes came after it.
void NoteNulByte(TextSource& source, char* in, TextOutcome& outcome) {
    outcome.nul = true;
    outcome.nul_offset = source.NulOffset();
    long long after = source.CountAfterNul(in, kPieceSize);
    if (after < 0)
        outcome.read_error = static_cast<int>(-after);
    else
        outcome.after_nul = static_cast<uint64_t>(after);
}

}  // namespace

TextOutcome StreamText(int fd, TextSink* sink) {
    static char in[kCarryRoom + kPieceSize + kCarryRoom];
    static char out[2 * (kPieceSize + 2 * kCarryRoom)];
    TextOutcome outcome;
    TextSource source(fd);

    // A byte-order mark decides at once.
    const char* front = nullptr;
    long long peeked = source.Peek(&front, 3);
    if (peeked < 0) {
        outcome.read_error = static_cast<int>(-peeked);
        return outcome;
    }
    size_t mark = 0;
    outcome.form = FormOfMark(front, static_cast<size_t>(peeked), &mark);
    if (outcome.form != UF_NONE) {
        if (outcome.form != UF_UTF8) source.KeepNuls();
        source.Skip(mark);
        if (!sink) return outcome;
        UnicodeToSjis unicode(outcome.form, sink);
        PumpUnicode(source, unicode, in, 0, kPieceSize, outcome);
        if (unicode.Ended()) {
            outcome.nul = true;
            outcome.nul_offset = mark + unicode.NulOffset();
            long long total = source.TotalSize(in, kPieceSize);
            if (total < 0)
                outcome.read_error = static_cast<int>(-total);
            else if (static_cast<uint64_t>(total) > outcome.nul_offset + 2)
                outcome.after_nul = static_cast<uint64_t>(total) - outcome.nul_offset - 2;
        } else if (source.Ended()) {
            NoteNulByte(source, in, outcome);  // a NUL byte ends UTF-8 text
        }
        return outcome;
    }

    KanjiDetector detector;
    StartKanjiDetector(&detector);
    Utf8Check utf8;
    SjisStream stream;
    StartSjisStream(&stream, KC_SJIS);  // until detection decides, for the bytes all agree on
    int code = -1;
    int legacy = -1;  // what DetectKanjiCode gives, once it has decided
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
        utf8.Put(in + keep, static_cast<size_t>(got));
        size_t n = keep + static_cast<size_t>(got);
        bool ended = got == 0 || source.Ended();
        in[n] = '\0';
        if (code < 0) {
            size_t used = n;
            if (legacy < 0) legacy = ended ? FinishDetector(&detector, in, n) : DetectInPiece(&detector, in, n, &used);
            // Text that is valid UTF-8 so far may still be Unicode: that is
            // known only at its end, or at its first byte that UTF-8 has no
            // place for.
            bool decided = legacy >= 0 && (utf8.Invalid() || ended);
            if (decided && ended && utf8.IsUtf8()) outcome.form = UF_UTF8;
            if (!decided) {
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
                keep = legacy < 0 ? n - used : 0;
                std::memmove(in, in + used, keep);
                continue;
            }
            code = legacy;
            if (outcome.form == UF_NONE) outcome.code = code;
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
                if (outcome.form != UF_NONE) {
                    UnicodeToSjis unicode(outcome.form, sink);
                    unicode.SetPrevious(stream.prev);
                    PumpUnicode(source, unicode, in, 0, kPieceSize, outcome);
                    break;
                }
                continue;
            }
            if (outcome.form != UF_NONE) {
                UnicodeToSjis unicode(outcome.form, sink);
                unicode.SetPrevious(stream.prev);
                PumpUnicode(source, unicode, in, n, kPieceSize, outcome);
                break;
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
    if (source.Ended()) NoteNulByte(source, in, outcome);
    return outcome;
}
