// Errors that end a handler, and how an uncaught one is shown to the user.
#pragma once

#include <windows.h>
#include <string>
#include <utility>

class ShownError {
public:
    virtual ~ShownError() = default;
    // The text shown to the user when nobody catches the error.
    virtual std::wstring GetErrorMessage() const = 0;
};

// An argument outside what the operation accepts (an index past the list, say).
class InvalidArgumentError : public ShownError {
public:
    std::wstring GetErrorMessage() const override;
};

// An error carrying a platform code such as E_FAIL or E_INVALIDARG.
class HResultError : public ShownError {
public:
    explicit HResultError(HRESULT code) : m_code(code) {}
    HRESULT GetCode() const { return m_code; }
    std::wstring GetErrorMessage() const override;

private:
    HRESULT m_code;
};

// The system's text for an error code (a Win32 error or an HRESULT), without the line
// break it ends with; empty when the system has none.
std::wstring SystemMessageText(DWORD code);

// An error whose text the program words for the user itself (which field is wrong, say).
class MessageError : public ShownError {
public:
    explicit MessageError(std::wstring text) : m_text(std::move(text)) {}
    std::wstring GetErrorMessage() const override { return m_text; }

private:
    std::wstring m_text;
};

[[noreturn]] void ThrowInvalidArgument();
[[noreturn]] void ThrowHResult(HRESULT code);

// Text for an error that carries nothing of its own.
extern const wchar_t* const kInternalErrorText;

// Shows the exception being handled in a stop-icon message box owned by `owner`.
// Call only from inside a catch block.
void ReportCurrentException(HWND owner);
