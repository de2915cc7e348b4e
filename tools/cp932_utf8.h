// Shift_JIS (code page 932) to UTF-8 for reading in a terminal.
#ifndef RUVOK_TOOLS_CP932_UTF8_H
#define RUVOK_TOOLS_CP932_UTF8_H

#include <cstddef>

// False in a build that has no code page 932 decoder (a cross build without
// ICU on a platform other than Windows).
bool Cp932DecoderAvailable();

// Which decoder this build uses, for --help and --version.
const char* Cp932DecoderName();

struct Utf8Outcome {
    int write_error = 0;     // errno value of a failed write to standard output, or 0
    size_t undecodable = 0;  // bytes that became U+FFFD
    bool decoder_failed = false;
};

// Decodes code page 932 that arrives in pieces and writes it to standard
// output as UTF-8 with LF line ends: CR LF and a lone CR each become one LF.
// Every byte that does not decode becomes one U+FFFD. A character or a CR LF
// may be split between two pieces.
class Cp932ToUtf8 {
public:
    Cp932ToUtf8();
    ~Cp932ToUtf8();
    Cp932ToUtf8(const Cp932ToUtf8&) = delete;
    Cp932ToUtf8& operator=(const Cp932ToUtf8&) = delete;

    void Put(const char* sjis, size_t size);
    Utf8Outcome Finish();

private:
    struct State;
    State* m_state;
};

#endif
