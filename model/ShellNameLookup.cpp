#include "ShellNameLookup.h"

#include <shellapi.h>

namespace {

// The shell parses the whole path itself: the way for every path the folder lookup cannot
// take, so that the names stay exactly those of this call.
std::wstring AskShellForPath(const std::wstring& path, UINT which)
{
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), which);
    return which == SHGFI_DISPLAYNAME ? info.szDisplayName : info.szTypeName;
}

// The text of a folder's answer, which it may give in any of three forms; the wide one is
// the caller's to free.
std::wstring TextOf(STRRET& text, PCUITEMID_CHILD child)
{
    switch (text.uType) {
    case STRRET_WSTR: {
        std::wstring result = text.pOleStr != nullptr ? text.pOleStr : L"";
        CoTaskMemFree(text.pOleStr);
        return result;
    }
    case STRRET_CSTR:
    case STRRET_OFFSET: {
        const char* ansi = text.uType == STRRET_CSTR ? text.cStr : reinterpret_cast<const char*>(child) + text.uOffset;
        const int length = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
        if (length <= 1)
            return std::wstring();
        std::wstring result(static_cast<size_t>(length), L'\0');
        MultiByteToWideChar(CP_ACP, 0, ansi, -1, &result[0], length);
        result.resize(static_cast<size_t>(length - 1));
        return result;
    }
    default:
        return std::wstring();
    }
}

// The folder and the name of an absolute path; false where there is no name to look up.
bool SplitFullPath(const std::wstring& path, std::wstring* folder, std::wstring* name)
{
    WCHAR fullPath[MAX_PATH];
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, fullPath, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const std::wstring full = fullPath;
    size_t slash = full.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash == 0 || slash + 1 == full.size())
        return false;
    *folder = full.substr(0, slash);
    *name = full.substr(slash + 1);
    // A drive's root keeps its backslash ("C:" alone is the drive's current folder).
    if (folder->size() == 2 && (*folder)[1] == L':')
        *folder += L'\\';
    return name->find_first_of(L"*?") == std::wstring::npos;
}

} // namespace

ShellNameLookup::~ShellNameLookup()
{
    for (auto& entry : m_folders) {
        if (entry.second.folder != nullptr)
            entry.second.folder->Release();
    }
    if (m_desktop != nullptr)
        m_desktop->Release();
}

ShellNameLookup::Folder& ShellNameLookup::FolderNamed(const std::wstring& folderPath)
{
    auto found = m_folders.find(folderPath);
    if (found != m_folders.end())
        return found->second;
    Folder& entry = m_folders[folderPath];
    if (m_desktop == nullptr && FAILED(SHGetDesktopFolder(&m_desktop)))
        return entry;
    PIDLIST_RELATIVE item = nullptr;
    if (FAILED(m_desktop->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(folderPath.c_str()), nullptr, &item,
                                           nullptr)))
        return entry;
    IShellFolder* folder = nullptr;
    if (SUCCEEDED(m_desktop->BindToObject(item, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))))
        entry.folder = folder;
    CoTaskMemFree(item);
    return entry;
}

std::wstring ShellNameLookup::DisplayNameOf(const std::wstring& path)
{
    std::wstring folderPath, name;
    if (!SplitFullPath(path, &folderPath, &name))
        return AskShellForPath(path, SHGFI_DISPLAYNAME);
    Folder& folder = FolderNamed(folderPath);
    PIDLIST_RELATIVE child = nullptr;
    if (folder.folder == nullptr ||
        FAILED(folder.folder->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(name.c_str()), nullptr, &child,
                                               nullptr)))
        return AskShellForPath(path, SHGFI_DISPLAYNAME); // a missing file: the shell's own answer for it
    // What SHGetFileInfoW asks of the item's folder for its display name.
    const PCUITEMID_CHILD item = reinterpret_cast<PCUITEMID_CHILD>(child);
    STRRET text = {};
    std::wstring displayName;
    if (SUCCEEDED(folder.folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &text)))
        displayName = TextOf(text, item);
    CoTaskMemFree(child);
    return displayName;
}

std::wstring ShellNameLookup::TypeNameOf(const std::wstring& path)
{
    return AskShellForPath(path, SHGFI_TYPENAME);
}
