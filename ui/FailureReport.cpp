#include "FailureReport.h"

#include "../framework/Application.h"
#include "../framework/Exceptions.h"
#include "../framework/UniqueHandle.h"
#include "../model/NameParts.h"

#include <shlobj.h>

namespace {

const wchar_t* const kClosingSentence = L"以上のファイルは変更できませんでした。";
const wchar_t* const kFailureCaption = L"エラーのパス";
const wchar_t* const kFailureListName = L"前回の失敗一覧.txt";
// A box taller than the screen hides its OK button; the rest is in the list file.
constexpr size_t kListedFailures = 30;

std::wstring FailureLine(const WriteFailure& failure)
{
    return failure.detail.empty() ? failure.path : failure.path + L"：" + failure.detail;
}

// Writes `text` as UTF-8 with a byte order mark, so that Notepad reads it as such; the
// system's reason when it cannot.
bool WriteUtf8File(const std::wstring& path, const std::wstring& text, std::wstring* problem)
{
    std::string bytes = "\xEF\xBB\xBF";
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    const size_t start = bytes.size();
    bytes.resize(start + static_cast<size_t>(length));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[start], length, nullptr,
                        nullptr);

    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        *problem = SystemMessageText(GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool whole = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    if (!whole)
        *problem = SystemMessageText(GetLastError());
    return whole;
}

// The folder of the journal, or the temporary folder when writes are not journaled.
std::wstring FailureListFolder(const std::wstring& journalPath)
{
    if (!journalPath.empty())
        return FolderOfPath(journalPath);
    wchar_t temp[MAX_PATH + 1] = L"";
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring folder(temp, length <= MAX_PATH ? length : 0);
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

} // namespace

std::wstring FailureListText(const std::vector<WriteFailure>& failures, const std::wstring& journalPath)
{
    std::wstring whole;
    for (const WriteFailure& failure : failures)
        whole += FailureLine(failure) + L"\r\n";

    // The whole list is written at every failure, so that the file always holds the last one.
    const std::wstring folder = FailureListFolder(journalPath);
    const std::wstring listPath = folder + L"\\" + kFailureListName;
    std::wstring problem;
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    const bool listed = WriteUtf8File(listPath, whole, &problem);

    std::wstring text;
    for (size_t index = 0; index < failures.size() && index < kListedFailures; ++index)
        text += FailureLine(failures[index]) + L"\r\n";
    if (failures.size() > kListedFailures) {
        text += L"…ほか" + std::to_wstring(failures.size() - kListedFailures) + L"件";
        if (listed)
            text += L"（全" + std::to_wstring(failures.size()) + L"件の一覧：" + listPath + L"）\r\n";
        else
            text += L"（全件の一覧を " + listPath + L" に書けませんでした：" + problem + L"）\r\n";
    }
    return text;
}

void ShowWriteFailures(HWND owner, const std::vector<WriteFailure>& failures, const std::wstring& journalPath)
{
    if (failures.empty())
        return;
    const std::wstring text = FailureListText(failures, journalPath) + kClosingSentence;
    MessageBoxW(owner, text.c_str(), kFailureCaption, MB_OK | MB_ICONERROR);
}

void ShowFilesLeftAlone(HWND owner, const std::vector<WriteFailure>& left)
{
    if (left.empty())
        return;
    std::wstring text = L"次のファイルは、元にする日時がないため、その日時をそのままにしました。\r\n";
    for (size_t index = 0; index < left.size() && index < kListedFailures; ++index)
        text += left[index].path + L"：" + left[index].detail + L"\r\n";
    if (left.size() > kListedFailures)
        text += L"…ほか" + std::to_wstring(left.size() - kListedFailures) + L"件\r\n";
    MessageBoxW(owner, text.c_str(), ApplicationName(), MB_OK | MB_ICONINFORMATION);
}
