// Errors that end a handler, and how an uncaught one is shown to the user.
#pragma once

#include <windows.h>
#include <string>

class CException {
public:
    virtual ~CException() = default;
    // The text shown to the user when nobody catches the error.
    virtual std::wstring GetErrorMessage() const = 0;
};

// An argument outside what the operation accepts (an index past the list, say).
class CInvalidArgException : public CException {
public:
    std::wstring GetErrorMessage() const override;
};

// An error carrying a platform code such as E_FAIL or E_INVALIDARG.
class CHResultException : public CException {
public:
    explicit CHResultException(HRESULT code) : m_code(code) {}
    HRESULT GetCode() const { return m_code; }
    std::wstring GetErrorMessage() const override;

private:
    HRESULT m_code;
};

[[noreturn]] void AfxThrowInvalidArgException();
[[noreturn]] void AfxThrowHResultException(HRESULT code);

// Text for an error that carries nothing of its own.
extern const wchar_t* const kInternalErrorText;

// Shows the exception being handled in a stop-icon message box owned by `owner`.
// Call only from inside a catch block.
void ReportCurrentException(HWND owner);
