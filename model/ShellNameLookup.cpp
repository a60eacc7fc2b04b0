#include "ShellNameLookup.h"

#include <shellapi.h>

namespace {

const UINT kNameFlags = SHGFI_DISPLAYNAME | SHGFI_TYPENAME;

ShellNames NamesOf(const SHFILEINFOW& info)
{
    return {info.szDisplayName, info.szTypeName};
}

// The shell parses the whole path itself: the way for every path the folder lookup cannot
// take, so that the names stay exactly those of this call.
ShellNames AskShellForPath(const std::wstring& path)
{
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), kNameFlags);
    return NamesOf(info);
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
        CoTaskMemFree(entry.second.item);
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
    if (FAILED(m_desktop->BindToObject(item, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)))) {
        CoTaskMemFree(item);
        return entry;
    }
    entry.item = reinterpret_cast<PIDLIST_ABSOLUTE>(item);
    entry.folder = folder;
    return entry;
}

ShellNames ShellNameLookup::Of(const std::wstring& path)
{
    std::wstring folderPath, name;
    if (!SplitFullPath(path, &folderPath, &name))
        return AskShellForPath(path);
    Folder& folder = FolderNamed(folderPath);
    PIDLIST_RELATIVE child = nullptr;
    if (folder.folder == nullptr ||
        FAILED(folder.folder->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(name.c_str()), nullptr, &child,
                                               nullptr)))
        return AskShellForPath(path); // a missing file: the shell's own answer for it
    PIDLIST_ABSOLUTE item = ILCombine(folder.item, child);
    CoTaskMemFree(child);
    if (item == nullptr)
        return AskShellForPath(path);
    SHFILEINFOW info = {};
    SHGetFileInfoW(reinterpret_cast<const wchar_t*>(item), 0, &info, sizeof(info), SHGFI_PIDL | kNameFlags);
    ILFree(item);
    return NamesOf(info);
}
