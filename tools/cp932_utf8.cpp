#include "cp932_utf8.h"

#include "utf8_writer.h"

#if defined(RUVOK_HAVE_ICU)
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#elif defined(_WIN32)
#include <windows.h>
#endif

namespace {

constexpr char16_t kReplacement = 0xFFFD;
// Decoded text goes to the writer in pieces of this many UTF-16 units.
constexpr size_t kPieceLength = size_t{64} << 10;

}  // namespace

#if defined(RUVOK_HAVE_ICU)

namespace {

// Substitutes one U+FFFD for each byte ICU cannot map, and counts them.
// (ICU's own substitute callback would give U+001A for single bytes.)
void SubstituteAndCount(const void* context, UConverterToUnicodeArgs* args,
                        const char* /*code_units*/, int32_t length,
                        UConverterCallbackReason reason, UErrorCode* error) {
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR)
        return;
    *static_cast<size_t*>(const_cast<void*>(context)) += static_cast<size_t>(length);
    *error = U_ZERO_ERROR;
    for (int32_t i = 0; i < length && U_SUCCESS(*error); ++i)
        ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, error);
}

}  // namespace

bool Cp932DecoderAvailable() { return true; }
const char* Cp932DecoderName() { return "ICU converter \"windows-31j\""; }

struct Cp932ToUtf8::State {
    UConverter* converter = nullptr;
    Utf8Writer writer;
    Utf8Outcome outcome;
};

Cp932ToUtf8::Cp932ToUtf8() : m_state(new State) {
    UErrorCode status = U_ZERO_ERROR;
    m_state->converter = ucnv_open("windows-31j", &status);
    if (U_FAILURE(status)) {
        m_state->converter = nullptr;
        m_state->outcome.decoder_failed = true;
        return;
    }
    ucnv_setToUCallBack(m_state->converter, SubstituteAndCount, &m_state->outcome.undecodable, nullptr,
                        nullptr, &status);
}

Cp932ToUtf8::~Cp932ToUtf8() {
    if (m_state->converter) ucnv_close(m_state->converter);
    delete m_state;
}

namespace {

// ICU keeps a lead byte cut by a piece's end until the next call.
void Decode(UConverter* converter, const char* source, const char* end, bool flush, Utf8Writer& writer,
            Utf8Outcome& outcome) {
    static UChar piece[kPieceLength];
    for (;;) {
        UChar* target = piece;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter, &target, piece + kPieceLength, &source, end, nullptr, flush, &status);
        writer.Put(reinterpret_cast<const char16_t*>(piece), static_cast<size_t>(target - piece));
        if (status == U_BUFFER_OVERFLOW_ERROR) continue;
        if (U_FAILURE(status)) outcome.decoder_failed = true;
        break;
    }
}

}  // namespace

void Cp932ToUtf8::Put(const char* sjis, size_t size) {
    if (!m_state->converter) return;
    Decode(m_state->converter, sjis, sjis + size, false, m_state->writer, m_state->outcome);
}

Utf8Outcome Cp932ToUtf8::Finish() {
    if (m_state->converter) Decode(m_state->converter, nullptr, nullptr, true, m_state->writer, m_state->outcome);
    m_state->outcome.write_error = m_state->writer.Finish();
    return m_state->outcome;
}

#elif defined(_WIN32)

namespace {

// Code page 932's lead and trail bytes, to cut the text only between
// characters and to tell, for a failing pair, whether its second byte is
// a character of its own.
bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

size_t UnitLength(const unsigned char* p, const unsigned char* end) {
    return IsLeadByte(p[0]) && end - p >= 2 ? 2 : 1;
}

// Decodes one character (one or two bytes); returns false when Windows
// has no mapping for it.
bool DecodeUnit(const unsigned char* p, size_t length, Utf8Writer& writer) {
    wchar_t wide[2];
    int got = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(p),
                                  static_cast<int>(length), wide, 2);
    if (got <= 0) return false;
    writer.Put(reinterpret_cast<const char16_t*>(wide), static_cast<size_t>(got));
    return true;
}

}  // namespace

bool Cp932DecoderAvailable() { return true; }
const char* Cp932DecoderName() { return "Windows code page 932"; }

struct Cp932ToUtf8::State {
    Utf8Writer writer;
    Utf8Outcome outcome;
    unsigned char lead = 0;  // a lead byte cut by the end of a piece
    bool haveLead = false;
};

Cp932ToUtf8::Cp932ToUtf8() : m_state(new State) {}
Cp932ToUtf8::~Cp932ToUtf8() { delete m_state; }

namespace {

void DecodeRun(const unsigned char* p, const unsigned char* end, Utf8Writer& writer, Utf8Outcome& outcome) {
    static wchar_t piece[kPieceLength];
    while (p < end) {
        // A run of whole characters, short enough that its UTF-16 fits.
        const unsigned char* run_end = p;
        while (run_end < end && static_cast<size_t>(run_end - p) < kPieceLength - 1)
            run_end += UnitLength(run_end, end);
        int got = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(p),
                                      static_cast<int>(run_end - p), piece,
                                      static_cast<int>(kPieceLength));
        if (got > 0) {
            writer.Put(reinterpret_cast<const char16_t*>(piece), static_cast<size_t>(got));
            p = run_end;
            continue;
        }
        // Something in the run does not decode: go character by character.
        while (p < run_end) {
            size_t length = UnitLength(p, end);
            if (DecodeUnit(p, length, writer)) {
                p += length;
            } else if (length == 2 && !IsTrailByte(p[1])) {
                writer.Put(&kReplacement, 1);
                ++outcome.undecodable;
                p += 1;
            } else {
                for (size_t i = 0; i < length; ++i) writer.Put(&kReplacement, 1);
                outcome.undecodable += length;
                p += length;
            }
        }
    }
}

}  // namespace

void Cp932ToUtf8::Put(const char* sjis, size_t size) {
    State& st = *m_state;
    const auto* p = reinterpret_cast<const unsigned char*>(sjis);
    const auto* end = p + size;
    if (p == end) return;
    if (st.haveLead) {  // finish the character cut by the last piece
        unsigned char pair[2] = {st.lead, *p};
        st.haveLead = false;
        DecodeRun(pair, pair + 2, st.writer, st.outcome);
        ++p;
    }
    // Hold back a lead byte at the end: its partner comes with the next piece.
    const unsigned char* stop = p;
    while (stop < end) stop += IsLeadByte(*stop) ? 2 : 1;
    if (stop > end) {
        st.lead = end[-1];
        st.haveLead = true;
        --end;
    }
    DecodeRun(p, end, st.writer, st.outcome);
}

Utf8Outcome Cp932ToUtf8::Finish() {
    State& st = *m_state;
    if (st.haveLead) DecodeRun(&st.lead, &st.lead + 1, st.writer, st.outcome);
    st.haveLead = false;
    st.outcome.write_error = st.writer.Finish();
    return st.outcome;
}

#else

bool Cp932DecoderAvailable() { return false; }
const char* Cp932DecoderName() { return "none (built without ICU)"; }

struct Cp932ToUtf8::State {
    Utf8Outcome outcome;
};

Cp932ToUtf8::Cp932ToUtf8() : m_state(new State) { m_state->outcome.decoder_failed = true; }
Cp932ToUtf8::~Cp932ToUtf8() { delete m_state; }
void Cp932ToUtf8::Put(const char*, size_t) {}
Utf8Outcome Cp932ToUtf8::Finish() { return m_state->outcome; }

#endif
