// CArchive: the buffered stream over a file (see archive.h).
#include "archive.h"

#include "exceptions.h"
#include "file.h"

#include <cstring>

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void* lpBuf)
    : m_pFile(pFile), m_nMode(nMode)
{
    if (nBufSize < 1)
        nBufSize = 4096;
    m_nBufSize = static_cast<UINT>(nBufSize);
    if (lpBuf == nullptr) {
        m_ownBuffer.resize(m_nBufSize);
        m_lpBufStart = m_ownBuffer.data();
    } else {
        m_lpBufStart = static_cast<BYTE*>(lpBuf);
    }
}

CArchive::~CArchive()
{
    // An archive that is destroyed without Close() (an exception on the way)
    // writes nothing more.
    if (m_pFile != nullptr && IsStoring() && (m_nMode & bNoFlushOnDelete) == 0) {
        try {
            Flush();
        } catch (CException* e) {
            e->Delete();
        }
    }
    m_pFile = nullptr;
}

UINT CArchive::Read(void* lpBuf, UINT nMax)
{
    if (!IsLoading() || m_pFile == nullptr)
        AfxThrowArchiveException(CArchiveException::writeOnly);
    BYTE* out = static_cast<BYTE*>(lpBuf);
    UINT done = 0;
    while (done < nMax) {
        if (m_nBufPos == m_nBufLen) {
            if (m_bEof)
                break;
            UINT want = nMax - done;
            if (want >= m_nBufSize) {
                // Large reads go straight to the caller's memory, in whole
                // buffer-sized steps.
                UINT chunk = want - want % m_nBufSize;
                UINT n = m_pFile->Read(out + done, chunk);
                done += n;
                if (n < chunk)
                    m_bEof = TRUE;
                continue;
            }
            m_nBufLen = m_pFile->Read(m_lpBufStart, m_nBufSize);
            m_nBufPos = 0;
            if (m_nBufLen < m_nBufSize)
                m_bEof = TRUE;
            if (m_nBufLen == 0)
                break;
        }
        UINT n = m_nBufLen - m_nBufPos;
        if (n > nMax - done)
            n = nMax - done;
        std::memcpy(out + done, m_lpBufStart + m_nBufPos, n);
        m_nBufPos += n;
        done += n;
    }
    return done;
}

void CArchive::Write(const void* lpBuf, UINT nMax)
{
    if (!IsStoring() || m_pFile == nullptr)
        AfxThrowArchiveException(CArchiveException::readOnly);
    const BYTE* in = static_cast<const BYTE*>(lpBuf);
    while (nMax > 0) {
        if (m_nBufPos == 0 && nMax >= m_nBufSize) {
            UINT chunk = nMax - nMax % m_nBufSize;
            m_pFile->Write(in, chunk);
            in += chunk;
            nMax -= chunk;
            continue;
        }
        UINT n = m_nBufSize - m_nBufPos;
        if (n > nMax)
            n = nMax;
        std::memcpy(m_lpBufStart + m_nBufPos, in, n);
        m_nBufPos += n;
        in += n;
        nMax -= n;
        if (m_nBufPos == m_nBufSize)
            Flush();
    }
}

void CArchive::Flush()
{
    if (IsStoring() && m_pFile != nullptr && m_nBufPos > 0) {
        UINT n = m_nBufPos;
        m_nBufPos = 0;
        m_pFile->Write(m_lpBufStart, n);
    }
}

void CArchive::Close()
{
    Flush();
    m_pFile = nullptr;
}

void CArchive::Abort()
{
    m_pFile = nullptr;
}
