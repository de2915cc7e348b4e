// The framework's exceptions. They are thrown as pointers (throw new ...) and
// the catcher calls Delete(), so one object can travel through several
// handlers.
#ifndef RUVOK_EXCEPTIONS_H
#define RUVOK_EXCEPTIONS_H

#include "afx.h"

#include <string>

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    void Delete() { delete this; }
    // The text to show for this error; FALSE when the exception has none.
    virtual BOOL GetErrorMessage(std::string& rMessage) const;
};

class CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
};

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };

    explicit CFileException(int cause = none, LONG lOsError = -1, const std::string& fileName = {})
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(fileName)
    {
    }

    // The cause number for an errno value.
    static int OsErrorToException(LONG lOsError);
    [[noreturn]] static void ThrowOsError(LONG lOsError, const std::string& fileName = {});

    // 0xF1A0 + cause with %1 the file name (or 0xF006 when there is none).
    BOOL GetErrorMessage(std::string& rMessage) const override;

    int m_cause;
    LONG m_lOsError;
    std::string m_strFileName;
};

class CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum {
        none = 0,
        generic = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7,
    };
    explicit CArchiveException(int cause = none, const std::string& fileName = {})
        : m_cause(cause), m_strFileName(fileName)
    {
    }
    int m_cause;
    std::string m_strFileName;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1,
                                        const std::string& fileName = {});
[[noreturn]] void AfxThrowArchiveException(int cause, const std::string& fileName = {});

#endif
