// Input files and checked output for ruvok-conv, over plain file
// descriptors so that one path serves POSIX and Windows alike.
#ifndef RUVOK_TOOLS_BYTE_IO_H
#define RUVOK_TOOLS_BYTE_IO_H

#include <cstddef>

// Puts standard input and output into binary mode where the platform
// distinguishes (Windows would otherwise turn LF into CR LF and stop at ^Z),
// and makes a closed pipe a write error instead of a fatal signal.
void PrepareStandardStreams();

// Opens `path` ("-" is standard input) for reading into `*fd`. Returns 0 or
// an errno value (EISDIR for a directory).
int OpenInput(const char* path, int* fd);
void CloseInput(const char* path, int fd);

// Writes all `size` bytes to standard output, however many calls it takes.
// Returns 0 or the errno value of the failing write.
int WriteToStdout(const char* data, size_t size);

#endif
