#include "sjis_output.h"

#include <cstdint>
#include <cstring>

#include "kanjicode.h"

namespace {

// The converters write no length, and a converted pair can be 00 too, so
// the buffer is filled with this first: the text ends at the last NUL
// before the bytes that were never written.
constexpr unsigned char kUnwritten = 0xFF;
constexpr uint64_t kAllUnwritten = ~uint64_t{0} / 0xFF * kUnwritten;
constexpr uint64_t kLowBits = ~uint64_t{0} / 0xFF * 0x7F;
constexpr uint64_t kLfs = ~uint64_t{0} / 0xFF * 0x0A;
// Room past the computed bound, so that a converter writing beyond it
// shows up as a written last byte rather than going unnoticed.
constexpr size_t kSlack = 64;

// Counts LF bytes eight at a time: a byte of x is zero exactly where the
// top bit of the sum below stays clear.
size_t CountLineFeeds(const char* text, size_t length) {
    size_t count = 0, i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t word;
        std::memcpy(&word, text + i, 8);
        uint64_t x = word ^ kLfs;
        uint64_t t = ((x & kLowBits) + kLowBits) | x;
        count += static_cast<size_t>(__builtin_popcountll(~t & ~kLowBits));
    }
    for (; i < length; ++i) count += text[i] == '\n';
    return count;
}

// The offset of the last byte in [0, end) that is not kUnwritten, or
// `end` when there is none.
size_t LastWrittenBefore(const char* buffer, size_t end) {
    size_t limit = end;
    while (end >= 8) {
        uint64_t word;
        std::memcpy(&word, buffer + end - 8, 8);
        if (word != kAllUnwritten) break;
        end -= 8;
    }
    while (end > 0 && static_cast<unsigned char>(buffer[end - 1]) == kUnwritten) --end;
    return end == 0 ? limit : end - 1;
}

// Fills [0, window) with kUnwritten, converts, and finds the terminator.
// False when the window proves too small: its last byte was written, or
// the last written byte is not a NUL.
bool ConvertInWindow(const char* text, char* out, size_t window, size_t* converted) {
    std::memset(out, kUnwritten, window);
    ConvertToSjis(out, text);
    if (static_cast<unsigned char>(out[window - 1]) != kUnwritten) return false;
    size_t terminator = LastWrittenBefore(out, window);
    if (terminator == window || out[terminator] != '\0') return false;
    *converted = terminator;
    return true;
}

}  // namespace

bool ConvertWholeText(const char* text, size_t length, ByteBuffer& out, size_t* converted) {
    // 2n + 1 bytes hold any conversion; one more that is never written
    // marks the end of the window in the worst case.
    size_t capacity = 2 * length + 2;
    if (!out.Reserve(capacity)) return false;
    // Every unit gives at most as many bytes as it takes, but for an LF that
    // gains a CR: so the NUL falls at n + (number of LFs) at the latest.
    // Filling only that far spares touching the rest of the 2n + 1 bytes.
    size_t bound = length + CountLineFeeds(text, length) + 1 + kSlack;
    if (bound < capacity && ConvertInWindow(text, out.data(), bound, converted)) return true;
    return ConvertInWindow(text, out.data(), capacity, converted);
}
