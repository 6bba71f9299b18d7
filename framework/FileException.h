#pragma once
// File errors, thrown by pointer by CFile (throw new CFileException(...)).
#include <string>

#include "framework/Exception.h"

class CFileException : public CException {
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

    explicit CFileException(int cause = none, long osError = -1, const std::wstring& fileName = std::wstring())
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

    // The system's text for m_lOsError (a Windows error code), with the file name when there is one;
    // false when neither an error code nor a cause is set.
    bool GetErrorMessage(std::wstring& message) const override;

    // The CFileException cause that matches a Windows error code.
    static int OsErrorToException(long osError);

    int m_cause;
    long m_lOsError;
    std::wstring m_strFileName;
};
