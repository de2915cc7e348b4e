// Unicode text to code page 932 for ruvok-conv (see unicode_sjis.h): the
// text read as UTF-8 or UTF-16, the Linux forms turned into code page 932's
// own characters (cp932_forms.h), runs of characters encoded by ICU or by
// Windows, GETA MARK for what the code page lacks.
#include "unicode_sjis.h"

#include <cstring>

#include "cp932_forms.h"
#include "text_sink.h"
#include "unicode_form.h"

#if defined(RUVOK_HAVE_ICU)
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#elif defined(_WIN32)
#include <windows.h>
#endif

namespace {

constexpr char kGeta[2] = {'\x81', '\xAC'};
constexpr char32_t kReplacement = 0xFFFD;  // code page 932 lacks it: GETA MARK

}  // namespace

#if defined(RUVOK_HAVE_ICU)

namespace {

// Writes GETA MARK for each character the code page lacks, and counts them.
void SubstituteGeta(const void* context, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                    UChar32, UConverterCallbackReason reason, UErrorCode* error) {
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) return;
    *error = U_ZERO_ERROR;
    ++*static_cast<std::size_t*>(const_cast<void*>(context));
    ucnv_cbFromUWriteBytes(args, kGeta, 2, 0, error);
}

}  // namespace

struct UnicodeToSjis::Encoder {
    UConverter* converter = nullptr;
    ~Encoder() {
        if (converter) ucnv_close(converter);
    }
};

bool Cp932EncoderAvailable() { return true; }

#elif defined(_WIN32)

struct UnicodeToSjis::Encoder {};
bool Cp932EncoderAvailable() { return true; }

#else

struct UnicodeToSjis::Encoder {};
bool Cp932EncoderAvailable() { return false; }

#endif

UnicodeToSjis::UnicodeToSjis(int form, TextSink* sink)
    : m_form(form), m_sink(sink), m_run(new char16_t[kRunLength + 2]), m_out(new char[kOutSize]),
      m_encoder(new Encoder) {
#if defined(RUVOK_HAVE_ICU)
    UErrorCode status = U_ZERO_ERROR;
    m_encoder->converter = ucnv_open("windows-31j", &status);
    if (U_FAILURE(status)) {
        m_encoder->converter = nullptr;
        return;
    }
    ucnv_setFallback(m_encoder->converter, false);
    ucnv_setFromUCallBack(m_encoder->converter, SubstituteGeta, &m_substituted, nullptr, nullptr, &status);
#endif
}

UnicodeToSjis::~UnicodeToSjis() = default;

void UnicodeToSjis::Put(const char* bytes, std::size_t n) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    std::uint64_t taken = m_taken;
    m_taken += n;
    if (m_form == UF_UTF8) {
        for (std::size_t i = 0; i < n; ++i) PutUtf8Byte(p[i]);
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (m_ended) return;
        if (!m_haveByte) {
            m_byte = p[i];
            m_haveByte = true;
            continue;
        }
        m_haveByte = false;
        char16_t unit = m_form == UF_UTF16LE ? static_cast<char16_t>(m_byte | p[i] << 8)
                                             : static_cast<char16_t>(m_byte << 8 | p[i]);
        if (m_highSurrogate != 0) {
            char16_t high = m_highSurrogate;
            m_highSurrogate = 0;
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                PutCodePoint(0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (unit - 0xDC00));
                continue;
            }
            PutCodePoint(kReplacement);
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            m_highSurrogate = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            PutCodePoint(kReplacement);
        } else if (unit == 0) {
            m_ended = true;  // a NUL ends the text
            m_nulOffset = taken + i - 1;
            return;
        } else {
            PutCodePoint(unit);
        }
    }
}

// UTF-8 as unicode_form.h validates it: no overlong form, no surrogate,
// nothing above U+10FFFF. A byte that cannot go on the character being read
// ends it as one replacement and is read again as a start.
void UnicodeToSjis::PutUtf8Byte(unsigned char b) {
    if (m_need != 0) {
        if (b >= m_low && b <= m_high) {
            m_code = m_code << 6 | (b & 0x3F);
            m_low = 0x80;
            m_high = 0xBF;
            if (--m_need == 0) PutCodePoint(m_code);
            return;
        }
        m_need = 0;
        m_low = 0x80;
        m_high = 0xBF;
        PutCodePoint(kReplacement);
    }
    if (b < 0x80) {
        PutCodePoint(b);
    } else if (b >= 0xC2 && b <= 0xDF) {
        m_code = b & 0x1F;
        m_need = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
        m_code = b & 0x0F;
        m_need = 2;
        if (b == 0xE0) m_low = 0xA0;
        if (b == 0xED) m_high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        m_code = b & 0x07;
        m_need = 3;
        if (b == 0xF0) m_low = 0x90;
        if (b == 0xF4) m_high = 0x8F;
    } else {
        PutCodePoint(kReplacement);
    }
}

void UnicodeToSjis::PutCodePoint(char32_t c) {
    if (c < 0x80) {
        FlushRun();
        if (m_outLength + 2 > kOutSize) FlushOut();
        // The control codes go as they are: ICU's table swaps 1A, 1C and 7F
        // the IBM way.
        if (c == '\n' && m_prev != '\r') m_out[m_outLength++] = '\r';
        m_out[m_outLength++] = static_cast<char>(c);
        m_prev = c;
        return;
    }
    m_prev = c;
    if (c >= 0x10000) {
        m_run[m_runLength++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        m_run[m_runLength++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        m_run[m_runLength++] = Cp932OwnForm(static_cast<char16_t>(c));
    }
    if (m_runLength >= kRunLength) FlushRun();
}

// Encodes the waiting run: at most two bytes a unit.
void UnicodeToSjis::FlushRun() {
    if (m_runLength == 0) return;
    if (m_outLength + 2 * m_runLength > kOutSize) FlushOut();
    char* out = m_out.get() + m_outLength;
#if defined(RUVOK_HAVE_ICU)
    if (m_encoder->converter) {
        char* target = out;
        const UChar* source = reinterpret_cast<const UChar*>(m_run.get());
        UErrorCode status = U_ZERO_ERROR;
        ucnv_fromUnicode(m_encoder->converter, &target, m_out.get() + kOutSize, &source,
                         source + m_runLength, nullptr, true, &status);
        if (U_SUCCESS(status)) {
            m_outLength += static_cast<std::size_t>(target - out);
            m_runLength = 0;
            return;
        }
        ucnv_reset(m_encoder->converter);
    }
#elif defined(_WIN32)
    for (std::size_t i = 0; i < m_runLength;) {
        int units = m_run[i] >= 0xD800 && m_run[i] <= 0xDBFF && i + 1 < m_runLength ? 2 : 1;
        BOOL usedDefault = FALSE;
        char bytes[4];
        int got = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(&m_run[i]),
                                      units, bytes, sizeof bytes, nullptr, &usedDefault);
        if (got <= 0 || got > 2 || usedDefault) {
            std::memcpy(out, kGeta, 2);
            out += 2;
            ++m_substituted;
        } else {
            std::memcpy(out, bytes, static_cast<std::size_t>(got));
            out += got;
        }
        i += static_cast<std::size_t>(units);
    }
    m_outLength = static_cast<std::size_t>(out - m_out.get());
    m_runLength = 0;
    return;
#endif
    // No encoder: every character beyond ASCII is one the build cannot write.
    for (std::size_t i = 0; i < m_runLength; ++i) {
        if (m_run[i] >= 0xDC00 && m_run[i] <= 0xDFFF) continue;
        std::memcpy(m_out.get() + m_outLength, kGeta, 2);
        m_outLength += 2;
        ++m_substituted;
    }
    m_runLength = 0;
}

void UnicodeToSjis::FlushOut() {
    if (m_outLength > 0 && m_error == 0 && m_sink) m_error = m_sink->Put(m_out.get(), m_outLength);
    m_outLength = 0;
}

void UnicodeToSjis::Finish() {
    if (m_form == UF_UTF8 && m_need != 0) {
        m_need = 0;
        PutCodePoint(kReplacement);
    }
    if (m_form != UF_UTF8 && !m_ended && (m_haveByte || m_highSurrogate != 0)) PutCodePoint(kReplacement);
    m_haveByte = false;
    m_highSurrogate = 0;
    FlushRun();
    FlushOut();
}
