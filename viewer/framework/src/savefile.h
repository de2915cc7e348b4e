// A file written whole before it replaces the one it is named for: the text
// goes to a new file beside the target, which takes the target's name only
// when Commit() succeeds, so a failed save leaves the old file as it was.
// The path is bytes, as the file system holds it (see filename.h): Qt's own
// QSaveFile takes a decoded name, and would write a Shift_JIS-named file
// under another name.
#ifndef RUVOK_SAVEFILE_H
#define RUVOK_SAVEFILE_H

#include <cstddef>
#include <cstdint>
#include <string>

class CSaveFile {
public:
    explicit CSaveFile(const std::string& path);
    ~CSaveFile();  // discards what was written unless committed
    CSaveFile(const CSaveFile&) = delete;
    CSaveFile& operator=(const CSaveFile&) = delete;

    // Each returns false (or -1) with the cause in errno.
    bool Open();
    long long Write(const void* data, std::size_t n);
    bool Commit();
    // Discards the new file; the target stays as it was.
    void Cancel();

    std::uint64_t Size() const { return m_size; }

private:
    std::string m_target;  // the file that is replaced, its links followed
    std::string m_temp;
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

#endif
