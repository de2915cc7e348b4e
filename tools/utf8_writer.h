// Buffered UTF-16 to UTF-8 writer with line-end normalisation, shared by the
// ICU and the Windows decoders.
#ifndef RUVOK_TOOLS_UTF8_WRITER_H
#define RUVOK_TOOLS_UTF8_WRITER_H

#include <cstddef>
#include <memory>

class Utf8Writer {
public:
    Utf8Writer();

    // Takes the next piece of decoded text; a surrogate pair or a CR LF may
    // be split between two calls.
    void Put(const char16_t* text, size_t length);
    // Writes what is buffered. Returns 0 or the errno value of the first
    // failed write; after a failure nothing more is written.
    int Finish();

private:
    void PutCodePoint(char32_t c);
    void Flush();

    std::unique_ptr<char[]> m_buffer;
    size_t m_used = 0;
    bool m_after_cr = false;
    char16_t m_high_surrogate = 0;
    int m_error = 0;
};

#endif
