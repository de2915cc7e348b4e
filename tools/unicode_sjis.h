// Unicode text (UTF-8, UTF-16LE, UTF-16BE) to code page 932 with CR LF line
// ends, as ruvok-conv writes it.
//
// Each character code page 932 lacks becomes GETA MARK (81 AC), and so does
// each byte that starts no UTF-8 character and each unpaired surrogate. The
// forms Linux gives some of the code page's characters (WAVE DASH for
// FULLWIDTH TILDE, MINUS SIGN, EM DASH, ...) become those characters, as
// Windows' best-fit conversion has them. An LF not after a CR becomes CR LF,
// as in the converters of the Japanese codes. A NUL character ends UTF-16
// text. A byte-order mark is no part of the text: the caller leaves it out.
#ifndef RUVOK_TOOLS_UNICODE_SJIS_H
#define RUVOK_TOOLS_UNICODE_SJIS_H

#include <cstddef>
#include <cstdint>
#include <memory>

class TextSink;

// False in a build that has no code page 932 encoder (a cross build without
// ICU on a platform other than Windows).
bool Cp932EncoderAvailable();

class UnicodeToSjis {
public:
    // `form` is a UnicodeForm other than UF_NONE.
    UnicodeToSjis(int form, TextSink* sink);
    ~UnicodeToSjis();
    UnicodeToSjis(const UnicodeToSjis&) = delete;
    UnicodeToSjis& operator=(const UnicodeToSjis&) = delete;

    // Takes the next `n` bytes of the text; a character may be split between
    // two calls. In UTF-16 a NUL character ends the text: the bytes from it
    // on are left out.
    void Put(const char* bytes, std::size_t n);
    // The text has ended: a character cut by its end becomes GETA MARK.
    void Finish();

    // The character before the first one put, for the line-end rule, where
    // the text's start went another way (ASCII all converters agree on).
    void SetPrevious(unsigned c) { m_prev = c; }

    bool Ended() const { return m_ended; }       // a NUL character ended UTF-16 text
    std::uint64_t NulOffset() const { return m_nulOffset; }  // where, from the first byte put
    int WriteError() const { return m_error; }   // from the sink, or 0
    std::size_t Substituted() const { return m_substituted; }  // GETA MARKs written

private:
    void PutCodePoint(char32_t c);
    void PutUtf8Byte(unsigned char b);
    void FlushRun();
    void FlushOut();

    int m_form;
    TextSink* m_sink;
    int m_error = 0;
    bool m_ended = false;
    std::uint64_t m_taken = 0;  // bytes put before this call
    std::uint64_t m_nulOffset = 0;
    std::size_t m_substituted = 0;

    // UTF-8: the character being read.
    char32_t m_code = 0;
    unsigned m_need = 0;            // continuation bytes still to come
    unsigned char m_low = 0x80, m_high = 0xBF;  // the range of the next one
    // UTF-16: a byte of a unit, and a high surrogate waiting for its partner.
    bool m_haveByte = false;
    unsigned char m_byte = 0;
    char16_t m_highSurrogate = 0;

    unsigned m_prev = 0;  // the previous character, for the line-end rule

    // Characters beyond ASCII wait here to be encoded together (at most two
    // bytes each unit), and the output waits for the sink.
    static constexpr std::size_t kRunLength = 4096;
    static constexpr std::size_t kOutSize = 64 * 1024;
    std::unique_ptr<char16_t[]> m_run;
    std::size_t m_runLength = 0;
    std::unique_ptr<char[]> m_out;
    std::size_t m_outLength = 0;
    struct Encoder;
    std::unique_ptr<Encoder> m_encoder;
};

#endif
