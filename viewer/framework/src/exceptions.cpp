// The framework's exceptions and the texts they report.
#include "exceptions.h"

#include "filename.h"
#include "strings_table.h"

#include <cerrno>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

BOOL CException::GetErrorMessage(std::string& rMessage) const
{
    rMessage.clear();
    return FALSE;
}

int CFileException::OsErrorToException(LONG lOsError)
{
    switch (lOsError) {
    case 0:
        return none;
    case ENOENT:
        return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return badPath;
    case EMFILE:
    case ENFILE:
        return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case EEXIST:
        return accessDenied;
    case EBADF:
        return invalidFile;
    case EBUSY:
    case ETXTBSY:
        return sharingViolation;
    case ESPIPE:
        return badSeek;
    case EIO:
    case ENXIO:
    case ENODEV:
        return hardIO;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return diskFull;
    case EDEADLK:
    case ENOLCK:
        return lockViolation;
    default:
        return genericException;
    }
}

void CFileException::ThrowOsError(LONG lOsError, const std::string& fileName)
{
    AfxThrowFileException(OsErrorToException(lOsError), lOsError, fileName);
}

BOOL CFileException::GetErrorMessage(std::string& rMessage) const
{
    if (m_cause < none || m_cause > endOfFile) {
        rMessage.clear();
        return FALSE;
    }
    std::string name = m_strFileName.empty() ? AfxLoadString(AFX_IDS_UNNAMED_FILE)
                                             : AfxDisplayName(m_strFileName);
    rMessage = AfxFormatString1(AFX_IDP_FILE_NONE + static_cast<UINT>(m_cause), name);
    return !rMessage.empty();
}

void AfxThrowMemoryException()
{
    throw new CMemoryException;
}

void AfxThrowFileException(int cause, LONG lOsError, const std::string& fileName)
{
    throw new CFileException(cause, lOsError, fileName);
}

void AfxThrowArchiveException(int cause, const std::string& fileName)
{
    throw new CArchiveException(cause, fileName);
}
