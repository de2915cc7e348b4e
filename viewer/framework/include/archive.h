// A buffered stream over a file, loading or storing, as the document's
// Serialize sees it.
#ifndef RUVOK_ARCHIVE_H
#define RUVOK_ARCHIVE_H

#include "afx.h"

#include <vector>

class CFile;
class CDocument;

class CArchive {
public:
    enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }

    // The bytes read, fewer than nMax at the end of the file.
    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nMax);
    // Writes out what is buffered (storing).
    void Flush();
    // Flushes and detaches from the file; the file stays open.
    void Close();
    // Detaches without writing anything further.
    void Abort();

    CFile* GetFile() const { return m_pFile; }

    CDocument* m_pDocument = nullptr;

private:
    CFile* m_pFile;
    UINT m_nMode;
    std::vector<BYTE> m_ownBuffer;
    BYTE* m_lpBufStart;
    UINT m_nBufSize;
    UINT m_nBufPos = 0;  // next byte to hand out (loading) or to fill (storing)
    UINT m_nBufLen = 0;  // bytes valid in the buffer (loading)
    BOOL m_bEof = FALSE;
};

#endif
