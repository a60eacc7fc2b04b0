#include "FolderListings.h"

#include "NameParts.h"

#include <windows.h>

namespace {

// Reading one directory entry costs about an eightieth of looking up one name by itself
// (measured under Wine: 3 us against 240 us). A folder is read only as far as this many
// entries for each chosen file in it, so a large folder holding few of them costs no more
// than looking those few up would.
const size_t kEntriesPerPath = 64;

// The folder part of a path's absolute form, as the path resolution splits it.
bool ResolvedFolderOf(const std::wstring& path, std::wstring* folder)
{
    WCHAR fullPath[MAX_PATH];
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, fullPath, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return false;
    *folder = FolderOfPath(fullPath);
    return true;
}

} // namespace

void FolderListings::Prepare(const CStringArray& paths)
{
    m_folders.clear();
    std::wstring folder;
    for (int i = 0; i < paths.GetSize(); ++i) {
        if (ResolvedFolderOf(paths[i], &folder))
            ++m_folders[folder].paths;
    }
}

bool FolderListings::Stores(const std::wstring& folder, const std::wstring& name)
{
    auto found = m_folders.find(folder);
    if (found == m_folders.end() || name.empty())
        return false;
    Folder& listing = found->second;
    // A folder with one chosen file in it is cheaper to search for that file alone.
    if (!listing.read && listing.paths >= 2)
        List(folder, listing);
    return listing.complete && listing.names.count(name) != 0;
}

void FolderListings::List(const std::wstring& folder, Folder& listing)
{
    listing.read = true;
    const std::wstring pattern = folder + L"\\*";
    if (pattern.size() >= MAX_PATH)
        return;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(pattern.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    const size_t entryLimit = listing.paths * kEntriesPerPath;
    bool complete = false;
    while (listing.names.size() < entryLimit) {
        listing.names.insert(entry.cFileName);
        if (!FindNextFileW(find, &entry)) {
            complete = GetLastError() == ERROR_NO_MORE_FILES;
            break;
        }
    }
    FindClose(find);
    listing.complete = complete;
    if (!complete)
        listing.names.clear();
}
