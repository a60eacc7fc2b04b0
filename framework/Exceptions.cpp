#include "Exceptions.h"

#include "Application.h"

#include <new>

const wchar_t* const kInternalErrorText = L"アプリケーションの内部エラーです。";

std::wstring InvalidArgumentError::GetErrorMessage() const
{
    return L"引数が正しくありません。";
}

std::wstring SystemMessageText(DWORD code)
{
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr)
        return std::wstring();
    std::wstring text(buffer, length);
    LocalFree(buffer);
    // The system text ends with a line break that a message box does not need.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    return text;
}

std::wstring HResultError::GetErrorMessage() const
{
    std::wstring text = SystemMessageText(static_cast<DWORD>(m_code));
    return text.empty() ? kInternalErrorText : text;
}

void ThrowInvalidArgument()
{
    throw InvalidArgumentError();
}

void ThrowHResult(HRESULT code)
{
    throw HResultError(code);
}

void ReportCurrentException(HWND owner)
{
    std::wstring text;
    try {
        throw;
    } catch (const ShownError& error) {
        text = error.GetErrorMessage();
    } catch (...) {
        text = kInternalErrorText;
    }
    MessageBoxW(owner, text.c_str(), ApplicationName(), MB_OK | MB_ICONSTOP);
}
