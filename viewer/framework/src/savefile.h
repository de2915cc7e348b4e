// A save that leaves the old file whole until the new text is complete, and
// leaves the file what it was: its owner, group, mode, ACL and extended
// attributes, its inode and its other names.
//
// The text goes to a new file beside the target first. Where that new file
// can take everything the old one had, it takes the target's name when
// Commit() succeeds. Where it can't (the file has other names, or belongs to
// someone else, or carries attributes the user may not set, or the folder
// takes no new file), the target is written over in place instead: the old
// text is copied aside, then the new text written over it, and the copy put
// back should that fail; either the old or the new text is whole in some
// file at every moment. The copies live in the folder, else in the user's
// cache folder, and go when the save is over.
//
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
    // Whether the target is written over rather than replaced (known after
    // Open, final after Commit).
    bool InPlace() const { return m_inPlace; }

private:
    bool TakeOnTarget(const struct stat& st);
    bool OpenTargetInPlace();
    bool CommitInPlace();

    std::string m_target;  // the file that is saved, its links followed
    std::string m_temp;    // the new text
    int m_fd = -1;         // m_temp's
    int m_targetFd = -1;   // in place: the target, open for writing
    bool m_exists = false;
    bool m_inPlace = false;
    std::uint64_t m_size = 0;
};

#endif
