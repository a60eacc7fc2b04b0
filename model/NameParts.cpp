#include "NameParts.h"

namespace {

// Windows takes a forward slash as a separator as well (Z:/dir/a.txt).
const wchar_t* const kSeparators = L"\\/";

} // namespace

std::wstring FolderOfPath(const std::wstring& path)
{
    size_t slash = path.find_last_of(kSeparators);
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring FileNameOfPath(const std::wstring& path)
{
    size_t slash = path.find_last_of(kSeparators);
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring BaseNameOfPath(const std::wstring& path)
{
    std::wstring name = FileNameOfPath(path);
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring ExtensionOfPath(const std::wstring& path)
{
    std::wstring name = FileNameOfPath(path);
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name, const std::wstring& extension)
{
    std::wstring path = folder;
    if (!folder.empty())
        path += L'\\';
    path += name;
    if (!extension.empty())
        path += L'.' + extension;
    return path;
}
