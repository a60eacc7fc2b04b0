// Telling the user which files a write could not change, in one message box.
#include "FileOperate.h"

#include "../framework/WinApp.h"

namespace {

const wchar_t* const kFailureSentence = L"は、ファイルが使用中か権限が足り無い為情報変更不能でした。";
const wchar_t* const kFailureCaption = L"エラーのパス";

} // namespace

void CFileOperate::ReportFailures() const
{
    if (m_failures.empty())
        return;
    std::wstring text;
    for (const WriteFailure& failure : m_failures) {
        text += failure.path;
        if (!failure.detail.empty())
            text += L"：" + failure.detail;
        text += L"\r\n";
    }
    text += kFailureSentence;
    // Owned by the main dialog, so that it takes no input while the list is shown.
    MessageBoxW(AfxGetMainWndHandle(), text.c_str(), kFailureCaption, MB_OK | MB_ICONERROR);
}
