// File errors: a kind derived from the system error code, shown with the kind's text.
#pragma once

#include "Exceptions.h"

class CFileException : public CException {
public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    explicit CFileException(Cause cause, LONG osError = -1, const std::wstring& fileName = std::wstring())
        : m_cause(cause), m_osError(osError), m_fileName(fileName) {}

    Cause GetCause() const { return m_cause; }
    LONG GetOsError() const { return m_osError; }
    const std::wstring& GetFileName() const { return m_fileName; }

    // The kind's text with "%1" replaced by the file name, or by a placeholder word when there is none.
    std::wstring GetErrorMessage() const override;

    static Cause OsErrorToCause(LONG osError);
    [[noreturn]] static void ThrowOsError(LONG osError, const std::wstring& fileName = std::wstring());

private:
    Cause m_cause;
    LONG m_osError;
    std::wstring m_fileName;
};
