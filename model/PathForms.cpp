#include "PathForms.h"

#include <windows.h>

namespace {

const wchar_t kExtendedPrefix[] = L"\\\\?\\";
const wchar_t kExtendedUncPrefix[] = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, wcslen(prefix), prefix) == 0;
}

bool IsDrivePath(const std::wstring& path)
{
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
}

} // namespace

bool TryAbsolutePath(const std::wstring& path, std::wstring* full)
{
    if (path.empty())
        return false;
    full->assign(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full->size()), &(*full)[0], nullptr);
        if (length == 0)
            return false;
        if (length < full->size()) {
            full->resize(length);
            return true;
        }
        full->assign(length, L'\0'); // the length with its terminating null
    }
}

std::wstring AbsolutePath(const std::wstring& path)
{
    std::wstring full;
    return TryAbsolutePath(path, &full) ? full : path;
}

std::wstring ApiPath(const std::wstring& absolutePath)
{
    if (absolutePath.size() < MAX_PATH || StartsWith(absolutePath, L"\\\\?\\") || StartsWith(absolutePath, L"\\\\.\\"))
        return absolutePath;
    if (IsDrivePath(absolutePath))
        return kExtendedPrefix + absolutePath;
    if (StartsWith(absolutePath, L"\\\\"))
        return kExtendedUncPrefix + absolutePath.substr(2);
    return absolutePath;
}

std::wstring DisplayPath(const std::wstring& path)
{
    if (StartsWith(path, kExtendedUncPrefix))
        return L"\\\\" + path.substr(wcslen(kExtendedUncPrefix));
    if (StartsWith(path, kExtendedPrefix) && IsDrivePath(path.substr(wcslen(kExtendedPrefix))))
        return path.substr(wcslen(kExtendedPrefix));
    return path;
}
