#include "FileOperate.h"

#include "../framework/Exceptions.h"
#include "NameParts.h"
#include "PathForms.h"

#include <cwchar>

void CFileOperate::SetFiles(const CStringArray& paths)
{
    m_paths.RemoveAll();
    m_renameFailed = false;
    m_count = paths.GetSize();
    if (paths.IsEmpty())
        return;
    // Absolute once, now: the working folder may change while the files are shown.
    for (int index = 0; index < paths.GetSize(); ++index)
        m_paths.Add(AbsolutePath(paths[index]));
    m_firstPath = m_paths[0];
}

void CFileOperate::CheckIndex(int index) const
{
    if (index < 0 || index >= m_paths.GetSize())
        AfxThrowInvalidArgException();
}

FileRecord CFileOperate::GetRecord(int index) const
{
    FileRecord record = {};
    if (m_paths.IsEmpty())
        return record;
    CheckIndex(index);
    const std::wstring& path = m_paths[index];
    if (path.empty())
        return record;
    ReadRecordFromFile(path, record);
    return record;
}

DWORD CFileOperate::GetFirstFileAttributes() const
{
    return GetFileAttributesW(m_firstPath.c_str());
}

std::wstring CFileOperate::GetFolder() const
{
    return FolderOfPath(m_firstPath);
}

std::wstring CFileOperate::GetBaseName(int index) const
{
    if (index > m_count)
        return std::wstring();
    CheckIndex(index);
    return BaseNameOfPath(m_paths[index]);
}

std::wstring CFileOperate::GetExtension(int index) const
{
    CheckIndex(index);
    return ExtensionOfPath(m_paths[index]);
}

int CFileOperate::GetDaysInMonth(int year, int month) const
{
    return DaysInMonth(year, month);
}

namespace {

bool IsNetworkPath(const wchar_t* path)
{
    return path[0] == L'\\' && path[1] == L'\\';
}

// Applies what the volume does to names: upper case where it does not preserve case,
// the directory's own spelling where it does not store Unicode names.
bool QueryVolumeFlags(const WCHAR* fullPath, DWORD* flags)
{
    WCHAR root[MAX_PATH];
    if (!GetVolumePathNameW(fullPath, root, MAX_PATH))
        return false;
    return GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, flags, nullptr, 0) != FALSE;
}

bool MatchVolumeNaming(const std::wstring& givenPath, WCHAR (&fullPath)[MAX_PATH], ResolutionCache* cache)
{
    if (IsNetworkPath(fullPath))
        return true;
    DWORD flags = 0;
    const WCHAR* lastSlash = wcsrchr(fullPath, L'\\');
    const std::wstring folder = FolderOfPath(fullPath);
    if (cache != nullptr && !cache->folder.empty() && cache->folder == folder) {
        flags = cache->flags;
    } else {
        if (!QueryVolumeFlags(fullPath, &flags))
            return false;
        if (cache != nullptr) {
            cache->folder = folder;
            cache->flags = flags;
        }
    }
    if (!(flags & FILE_CASE_PRESERVED_NAMES))
        CharUpperW(fullPath);
    if (!(flags & FILE_UNICODE_ON_DISK)) {
        // A name the folder is known to store exactly is what the search would give back:
        // the path would stay as it is.
        if (cache != nullptr && lastSlash != nullptr && cache->listings.Stores(folder, lastSlash + 1))
            return true;
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW(givenPath.c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            FindClose(find);
            WCHAR* lastSlash = wcsrchr(fullPath, L'\\');
            if (lastSlash == nullptr || lastSlash[1] == L'\0')
                return false;
            size_t folderLength = static_cast<size_t>(lastSlash - fullPath) + 1;
            if (folderLength + wcslen(entry.cFileName) >= MAX_PATH)
                return false;
            wcscpy(lastSlash + 1, entry.cFileName);
        }
    }
    return true;
}

} // namespace

bool ResolveFullPath(const std::wstring& path, WCHAR (&fullPath)[MAX_PATH], ResolutionCache* cache)
{
    fullPath[0] = L'\0';
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, fullPath, nullptr);
    if (length == 0 || length >= MAX_PATH || !MatchVolumeNaming(path, fullPath, cache)) {
        fullPath[0] = L'\0';
        return false;
    }
    return true;
}

namespace {

// No wildcards: the directory search of the path resolution would match other files.
bool NamesOneFile(const std::wstring& path)
{
    size_t start = path.compare(0, 4, L"\\\\?\\") == 0 ? 4 : 0; // the long-path prefix \\?\ is no wildcard
    return path.find_first_of(L"*?", start) == std::wstring::npos;
}

bool IsDevicePath(const WCHAR* fullPath)
{
    return wcsncmp(fullPath, L"\\\\.\\", 4) == 0;
}

bool EndsWithSeparator(const std::wstring& path)
{
    return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

} // namespace

bool CFileOperate::ReadRecordFromFile(const std::wstring& path, FileRecord& record)
{
    if (path.size() >= MAX_PATH || !NamesOneFile(path))
        return false;
    if (!ResolveFullPath(path, record.fullPath))
        return false;
    if (IsDevicePath(record.fullPath))
        return false;

    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    // "a.txt\" names a folder; only a folder is found under it.
    if (EndsWithSeparator(path) && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    record.found = true;
    record.attribute = static_cast<BYTE>(data.dwFileAttributes & kRecordAttributeMask);
    record.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;

    const struct {
        const FILETIME& stamp;
        TimeValue& value;
        StampBit bit;
    } conversions[] = {
        {data.ftCreationTime, record.createTime, kCreationStamp},
        {data.ftLastAccessTime, record.accessTime, kAccessStamp},
        {data.ftLastWriteTime, record.writeTime, kWriteStamp},
    };
    for (const auto& conversion : conversions) {
        if (FileTimeToTimeValue(conversion.stamp, &conversion.value) == StampConversion::unrepresentable)
            record.unrepresentable |= conversion.bit;
    }

    // A stamp without a time shows the last-write time, and so shares its fate.
    const struct {
        TimeValue& value;
        StampBit bit;
    } fallbacks[] = {{record.createTime, kCreationStamp}, {record.accessTime, kAccessStamp}};
    for (const auto& fallback : fallbacks) {
        if (fallback.value != 0 || (record.unrepresentable & fallback.bit))
            continue;
        fallback.value = record.writeTime;
        if (record.unrepresentable & kWriteStamp)
            record.unrepresentable |= fallback.bit;
    }
    return true;
}
