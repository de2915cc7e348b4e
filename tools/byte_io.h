// Whole-file input and checked output for ruvok-conv, over plain file
// descriptors so that one path serves POSIX and Windows alike.
#ifndef RUVOK_TOOLS_BYTE_IO_H
#define RUVOK_TOOLS_BYTE_IO_H

#include <cstddef>

// A block of memory that grows without copying its content where the
// platform allows (page remapping on Linux, realloc elsewhere).
class ByteBuffer {
public:
    ByteBuffer() = default;
    ~ByteBuffer();
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // Makes room for at least `capacity` bytes, keeping the content.
    // Returns false when memory runs out; the buffer is then unchanged.
    bool Reserve(size_t capacity);
    void Release();

    char* data() const { return m_data; }
    size_t size() const { return m_size; }
    size_t capacity() const { return m_capacity; }
    void set_size(size_t size) { m_size = size; }

private:
    char* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// Puts standard input and output into binary mode where the platform
// distinguishes (Windows would otherwise turn LF into CR LF and stop at ^Z),
// and makes a closed pipe a write error instead of a fatal signal.
void PrepareStandardStreams();

// Reads everything from `path` ("-" is standard input) into `text`, followed
// by one NUL byte that is not counted in its size. Returns 0 or an errno value
// (EISDIR for a directory, ENOMEM when the file does not fit in memory).
int ReadWholeFile(const char* path, ByteBuffer& text);

// Writes all `size` bytes to standard output, however many calls it takes.
// Returns 0 or the errno value of the failing write.
int WriteToStdout(const char* data, size_t size);

#endif
