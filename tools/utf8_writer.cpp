#include "utf8_writer.h"

#include "byte_io.h"

namespace {

constexpr size_t kBufferSize = size_t{4} << 20;
constexpr size_t kMaxUtf8Length = 4;
constexpr char16_t kCr = 0x0D;
constexpr char16_t kLf = 0x0A;
constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

Utf8Writer::Utf8Writer() : m_buffer(new char[kBufferSize]) {}

void Utf8Writer::Put(const char16_t* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        char16_t c = text[i];
        if (m_high_surrogate) {
            char16_t high = m_high_surrogate;
            m_high_surrogate = 0;
            if (IsLowSurrogate(c)) {
                PutCodePoint(0x10000 + ((char32_t{high} - 0xD800) << 10) + (c - 0xDC00));
                continue;
            }
            PutCodePoint(kReplacement);
        }
        if (IsHighSurrogate(c)) {
            m_high_surrogate = c;
        } else if (IsLowSurrogate(c)) {
            PutCodePoint(kReplacement);
        } else {
            PutCodePoint(c);
        }
    }
}

void Utf8Writer::PutCodePoint(char32_t c) {
    // Every line end comes out as one LF: CR LF, and a lone CR too, which a
    // terminal would otherwise take as "back to the start of this line".
    bool after_cr = m_after_cr;
    m_after_cr = c == kCr;
    if (c == kCr) c = kLf;
    else if (c == kLf && after_cr) return;

    if (m_used + kMaxUtf8Length > kBufferSize) Flush();
    char* p = m_buffer.get() + m_used;
    if (c < 0x80) {
        *p++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *p++ = static_cast<char>(0xC0 | (c >> 6));
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *p++ = static_cast<char>(0xE0 | (c >> 12));
        *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *p++ = static_cast<char>(0xF0 | (c >> 18));
        *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    m_used = static_cast<size_t>(p - m_buffer.get());
}

void Utf8Writer::Flush() {
    if (m_error == 0 && m_used > 0) m_error = WriteToStdout(m_buffer.get(), m_used);
    m_used = 0;
}

int Utf8Writer::Finish() {
    if (m_high_surrogate) {
        m_high_surrogate = 0;
        PutCodePoint(kReplacement);
    }
    m_after_cr = false;
    Flush();
    return m_error;
}
