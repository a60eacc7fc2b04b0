#include "NewNameRules.h"

#include <cwchar>

namespace {

// The digits that end the numbered device names: 0 to 9 and the superscripts ¹ ² ³, which
// the system also takes for 1, 2 and 3.
bool IsDeviceDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || c == L'\u00B9' || c == L'\u00B2' || c == L'\u00B3';
}

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
        return IsDeviceDigit(stem[3]);
    return false;
}

// The longest name a folder entry holds on NTFS, FAT32 and exFAT.
constexpr size_t kLongestName = 255;

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
    if (fileName.size() > kLongestName)
        return L"名前が長すぎます（255文字まで）。";
    if (IsDeviceName(fileName))
        return L"「" + fileName.substr(0, fileName.find(L'.')) + L"」は装置の名前で、ファイルの名前にできません。";
    return std::wstring();
}
