#include "FileOperate.h"

#include "../framework/Exceptions.h"
#include "FileStateAccess.h"
#include "NameParts.h"
#include "PathForms.h"

#include <cwchar>
#include <unordered_set>

ChoiceReading CFileOperate::ReadingOfChoice(bool walkFolders) const
{
    ChoiceReading reading;
    reading.chosen = m_chosen;
    if (m_walked) {
        reading.items.reserve(m_files.Count());
        for (size_t index = 0; index < m_files.Count(); ++index)
            reading.items.push_back(m_files.Path(index));
    }
    reading.walk = walkFolders;
    return reading;
}

ChoiceReading CFileOperate::ReadingOfPaths(std::vector<std::wstring> paths, bool walkFolders)
{
    ChoiceReading reading;
    reading.chosen = std::move(paths);
    reading.walk = walkFolders;
    return reading;
}

void CFileOperate::TakeReading(ChoiceReading&& reading)
{
    m_chosen = std::move(reading.chosen);
    m_files = std::move(reading.files);
    m_walked = reading.walked;
    m_count = static_cast<int>(m_files.Count());
    // An empty choice keeps the first path, as the folder a new name is made in.
    if (m_count > 0)
        m_firstPath = m_files.Path(0);
}

void CFileOperate::FileMoved(const std::wstring& from, const std::wstring& to)
{
    for (size_t index = 0; index < m_files.Count(); ++index) {
        if (_wcsicmp(m_files.Path(index).c_str(), from.c_str()) == 0)
            m_files.SetPath(index, to);
    }
    for (std::wstring& chosen : m_chosen) {
        if (_wcsicmp(chosen.c_str(), from.c_str()) == 0)
            chosen = to;
    }
    if (_wcsicmp(m_firstPath.c_str(), from.c_str()) == 0)
        m_firstPath = to;
}

void CFileOperate::RemoveItems(const std::vector<size_t>& indices)
{
    if (indices.empty())
        return;
    std::unordered_set<std::wstring> removed;
    for (size_t index : indices)
        removed.insert(m_files.Path(index));
    m_files.Remove(indices);
    m_count = static_cast<int>(m_files.Count());
    // What a walk brought in is read again item by item from now on, so that nothing taken
    // out comes back; the chosen paths taken out go too.
    m_walked = true;
    std::vector<std::wstring> chosen;
    for (std::wstring& path : m_chosen) {
        if (removed.count(path) == 0)
            chosen.push_back(std::move(path));
    }
    m_chosen = std::move(chosen);
    if (m_count > 0)
        m_firstPath = m_files.Path(0);
}

bool CFileOperate::ChoiceHasFolder() const
{
    return HasFolder(m_chosen);
}

bool CFileOperate::HasFolder(const std::vector<std::wstring>& paths)
{
    for (const std::wstring& path : paths) {
        const DWORD attributes = GetFileAttributesW(ApiPath(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return true;
    }
    return false;
}

void CFileOperate::CheckIndex(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_files.Count())
        ThrowInvalidArgument();
}

FileRecord CFileOperate::GetRecord(int index) const
{
    FileRecord record = {};
    if (m_files.Count() == 0)
        return record;
    CheckIndex(index);
    const std::wstring& path = m_files.Path(static_cast<size_t>(index));
    if (path.empty())
        return record;
    ReadRecordFromFile(path, record);
    return record;
}

DWORD CFileOperate::GetFirstFileAttributes() const
{
    return GetFileAttributesW(ApiPath(m_firstPath).c_str());
}

std::wstring CFileOperate::GetFolder() const
{
    return FolderOfPath(m_firstPath);
}

bool CFileOperate::IsFolder(int index) const
{
    CheckIndex(index);
    const FileItem& item = m_files.Item(static_cast<size_t>(index));
    return item.Readable() && (item.state.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A folder's name is whole: a dot in it starts no extension.
std::wstring CFileOperate::GetBaseName(int index) const
{
    if (index > m_count)
        return std::wstring();
    CheckIndex(index);
    const std::wstring& path = m_files.Path(static_cast<size_t>(index));
    return IsFolder(index) ? FileNameOfPath(path) : BaseNameOfPath(path);
}

std::wstring CFileOperate::GetExtension(int index) const
{
    CheckIndex(index);
    return IsFolder(index) ? std::wstring() : ExtensionOfPath(m_files.Path(static_cast<size_t>(index)));
}

namespace {

bool IsNetworkPath(const std::wstring& path)
{
    return path.compare(0, 2, L"\\\\") == 0;
}

// Applies what the volume does to names: upper case where it does not preserve case,
// the directory's own spelling where it does not store Unicode names.
bool QueryVolumeFlags(const std::wstring& fullPath, DWORD* flags)
{
    std::wstring root(fullPath.size() + 1, L'\0');
    if (!GetVolumePathNameW(fullPath.c_str(), &root[0], static_cast<DWORD>(root.size())))
        return false;
    return GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, flags, nullptr, 0) != FALSE;
}

bool MatchVolumeNaming(std::wstring* fullPath)
{
    if (IsNetworkPath(*fullPath))
        return true;
    DWORD flags = 0;
    if (!QueryVolumeFlags(*fullPath, &flags))
        return false;
    if (!(flags & FILE_CASE_PRESERVED_NAMES))
        CharUpperBuffW(&(*fullPath)[0], static_cast<DWORD>(fullPath->size()));
    if (!(flags & FILE_UNICODE_ON_DISK)) {
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW(ApiPath(*fullPath).c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            FindClose(find);
            const size_t lastSlash = fullPath->find_last_of(L'\\');
            if (lastSlash == std::wstring::npos || lastSlash + 1 == fullPath->size())
                return false;
            fullPath->replace(lastSlash + 1, std::wstring::npos, entry.cFileName);
        }
    }
    return true;
}

} // namespace

std::wstring ResolveFullPath(const std::wstring& path)
{
    std::wstring fullPath;
    if (!TryAbsolutePath(path, &fullPath) || !MatchVolumeNaming(&fullPath))
        return std::wstring();
    return fullPath;
}

namespace {

// No wildcards: the directory search of the path resolution would match other files.
bool NamesOneFile(const std::wstring& path)
{
    size_t start = path.compare(0, 4, L"\\\\?\\") == 0 ? 4 : 0; // the long-path prefix \\?\ is no wildcard
    return path.find_first_of(L"*?", start) == std::wstring::npos;
}

bool IsDevicePath(const std::wstring& fullPath)
{
    return fullPath.compare(0, 4, L"\\\\.\\") == 0;
}

bool EndsWithSeparator(const std::wstring& path)
{
    return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

} // namespace

bool CFileOperate::ReadRecordFromFile(const std::wstring& path, FileRecord& record)
{
    if (!NamesOneFile(path))
        return false;
    record.fullPath = ResolveFullPath(path);
    if (record.fullPath.empty() || IsDevicePath(record.fullPath))
        return false;

    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!ReadAttributeData(ApiPath(AbsolutePath(path)), &data))
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
