#include "FileStateAccess.h"

#include "../framework/Exceptions.h"

namespace {

// Flags besides the four that a program can set and a write keeps as the file has them;
// the rest (directory, compressed, ...) SetFileAttributesW cannot set at all.
constexpr DWORD kKeptFlags = FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                             0x00008000 /* integrity stream */ | 0x00020000 /* no scrub data */ |
                             0x00080000 /* pinned */ | 0x00100000 /* unpinned */;

// The rights one open asks for: reading and setting times and attributes, and one data
// right. On Windows an open for attribute access alone skips the sharing check, so a file
// that another process holds open would not be refused; a data right brings it back.
// GENERIC_WRITE is not asked for: it would refuse a read-only file whose flag is cleared.
constexpr DWORD kStateAccess = FILE_READ_DATA | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

} // namespace

LARGE_INTEGER AsStamp(const FILETIME& time)
{
    LARGE_INTEGER stamp;
    stamp.QuadPart = static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return stamp;
}

DWORD MergedAttributes(DWORD current, DWORD boxes)
{
    DWORD word = (current & kKeptFlags) | (boxes & kBoxFlags);
    return word == 0 ? FILE_ATTRIBUTE_NORMAL : word;
}

HANDLE OpenForStateChange(const std::wstring& path)
{
    return CreateFileW(path.c_str(), kStateAccess, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool ReadBasicInfo(HANDLE file, FILE_BASIC_INFO* info)
{
    return GetFileInformationByHandleEx(file, FileBasicInfo, info, sizeof(*info)) != FALSE;
}

bool ReadBasicInfoByPath(const std::wstring& path, FILE_BASIC_INFO* info)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    *info = {};
    info->CreationTime = AsStamp(data.ftCreationTime);
    info->LastAccessTime = AsStamp(data.ftLastAccessTime);
    info->LastWriteTime = AsStamp(data.ftLastWriteTime);
    info->FileAttributes = data.dwFileAttributes;
    return true;
}

bool SetBasicInfo(HANDLE file, FILE_BASIC_INFO change)
{
    return SetFileInformationByHandle(file, FileBasicInfo, &change, sizeof(change)) != FALSE;
}

bool SetAttributes(HANDLE file, DWORD word)
{
    FILE_BASIC_INFO change = {}; // zero times: left as they are
    if (word & FILE_ATTRIBUTE_READONLY) {
        change.FileAttributes = (word & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
        if (!SetBasicInfo(file, change))
            return false;
    }
    change.FileAttributes = word;
    return SetBasicInfo(file, change);
}

bool SetAttributesByPath(const std::wstring& path, DWORD word)
{
    if ((word & FILE_ATTRIBUTE_READONLY) &&
        !SetFileAttributesW(path.c_str(), (word & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL))
        return false;
    return SetFileAttributesW(path.c_str(), word) != FALSE;
}

bool Fail(std::wstring* detail, const wchar_t* step, DWORD error)
{
    *detail = step;
    std::wstring reason = SystemMessageText(error);
    if (!reason.empty())
        *detail += L"（" + reason + L"）";
    return false;
}
