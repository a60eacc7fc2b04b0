#include "NewNameRules.h"

#include <cwchar>

namespace {

// Names the system keeps for devices, with or without an extension.
bool IsDeviceName(const std::wstring& fileName)
{
    std::wstring stem = fileName.substr(0, fileName.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    for (const wchar_t* device : kDevices) {
        if (_wcsicmp(stem.c_str(), device) == 0)
            return true;
    }
    if (stem.size() == 4 && (_wcsnicmp(stem.c_str(), L"COM", 3) == 0 || _wcsnicmp(stem.c_str(), L"LPT", 3) == 0))
        return stem[3] >= L'1' && stem[3] <= L'9';
    return false;
}

} // namespace

std::wstring NewNameProblem(const std::wstring& name, const std::wstring& extension)
{
    const std::wstring fileName = extension.empty() ? name : name + L"." + extension;
    if (fileName.empty())
        return L"名前が空です。";
    for (wchar_t c : fileName) {
        if (c < 0x20)
            return L"名前に制御文字が含まれています。";
        if (wcschr(L"\\/:*?\"<>|", c) != nullptr)
            return std::wstring(L"名前に使えない文字「") + c + L"」が含まれています（\\ / : * ? \" < > | は使えません）。";
    }
    if (fileName == L"." || fileName == L"..")
        return L"「.」と「..」はファイルの名前にできません。";
    // The system drops trailing dots and blanks, so the file would get another name.
    if (fileName.back() == L'.' || fileName.back() == L' ')
        return L"名前の最後に「.」や空白は使えません。";
    if (IsDeviceName(fileName))
        return L"「" + fileName.substr(0, fileName.find(L'.')) + L"」は装置の名前で、ファイルの名前にできません。";
    return std::wstring();
}
