// Files as the document handling uses them, and the helpers for their paths.
// A file opened for reading is read in place; a file created for writing is
// written to a temporary file beside it that replaces the old one only when
// Close() succeeds, so a failed save leaves the old file whole.
#ifndef RUVOK_FILE_H
#define RUVOK_FILE_H

#include "afx.h"

#include <cstdint>
#include <string>

class CFileException;
class CSaveFile;

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };

    CFile();
    ~CFile() override;

    // FALSE, with the cause in *pError, when the file can't be opened. Only
    // regular files open; a directory or device is refused as access denied.
    virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    // The bytes read, fewer than nCount at the end of the file. Throws
    // CFileException on a read error.
    virtual UINT Read(void* lpBuf, UINT nCount);
    // Writes all nCount bytes or throws CFileException.
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual std::uint64_t GetLength() const;
    // Finishes the file; for a file being written this is where it replaces
    // the old one. Throws CFileException on failure.
    virtual void Close();
    // Closes without throwing; a file being written is discarded.
    virtual void Abort();

    const std::string& GetFilePath() const { return m_strFileName; }
    BOOL IsOpen() const { return m_hFile >= 0 || m_pSaveFile != nullptr; }

    static void Remove(LPCTSTR lpszFileName);

private:
    int m_hFile = -1;
    CSaveFile* m_pSaveFile = nullptr;
    std::string m_strFileName;

    [[noreturn]] void ThrowWriteError(int osError);
};

// The name of a path without its folders ("a/b/c.txt" gives "c.txt").
std::string AfxGetFileTitle(const std::string& path);
// An absolute, normalised path for a path given relative to the current
// folder: "." and ".." taken away by name, the names' bytes as they are.
std::string AfxFullPath(const std::string& path);
// Whether saving over path in place would be refused: the file is gone, is
// not a plain file, or may not be written.
bool AfxIsReadOnlyOrMissing(const std::string& path);

#endif
