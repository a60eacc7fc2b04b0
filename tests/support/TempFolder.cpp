#include "TempFolder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

} // namespace

TempFolder::TempFolder()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        wchar_t name[MAX_PATH];
        swprintf(name, MAX_PATH, L"%lskal%lu_%u", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryW(name, nullptr)) {
            m_path = name;
            break;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create a temporary folder";
            break;
        }
    }
    // Resolve the short form the system may hand out for the temporary folder.
    wchar_t full[MAX_PATH];
    if (GetLongPathNameW(m_path.c_str(), full, MAX_PATH))
        m_path = full;
}

TempFolder::~TempFolder()
{
    if (!m_path.empty())
        RemoveTree(m_path);
}

std::wstring TempFolder::MakeFile(const std::wstring& name, ULONGLONG size) const
{
    std::wstring path = *this / name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << "cannot create a test file";
    if (file == INVALID_HANDLE_VALUE)
        return path;
    if (size > 0) {
        if (size > (1u << 20)) {
            DWORD returned = 0;
            DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
        }
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
    }
    CloseHandle(file);
    return path;
}

std::wstring TempFolder::MakeFolder(const std::wstring& name) const
{
    std::wstring path = *this / name;
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

bool ReadStamps(const std::wstring& path, FileStamps* stamps)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    stamps->creation = data.ftCreationTime;
    stamps->access = data.ftLastAccessTime;
    stamps->write = data.ftLastWriteTime;
    return true;
}

bool WriteStamps(const std::wstring& path, const FILETIME* creation, const FILETIME* access, const FILETIME* write)
{
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BOOL done = SetFileTime(file, creation, access, write);
    CloseHandle(file);
    return done != FALSE;
}

FILETIME StampOf(ULONGLONG unixSeconds)
{
    ULONGLONG ticks = (unixSeconds + 11644473600ULL) * 10000000ULL;
    FILETIME stamp;
    stamp.dwLowDateTime = static_cast<DWORD>(ticks);
    stamp.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return stamp;
}

FILETIME StampOfUtc(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME utc = {};
    utc.wYear = static_cast<WORD>(year);
    utc.wMonth = static_cast<WORD>(month);
    utc.wDay = static_cast<WORD>(day);
    utc.wHour = static_cast<WORD>(hour);
    utc.wMinute = static_cast<WORD>(minute);
    utc.wSecond = static_cast<WORD>(second);
    FILETIME stamp = {};
    SystemTimeToFileTime(&utc, &stamp);
    return stamp;
}

FILETIME StampOfLocal(int year, int month, int day, int hour, int minute, int second)
{
    const FILETIME asIfUtc = StampOfUtc(year, month, day, hour, minute, second);
    SYSTEMTIME local = {};
    SYSTEMTIME utc = {};
    FILETIME stamp = {};
    FileTimeToSystemTime(&asIfUtc, &local);
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    SystemTimeToFileTime(&utc, &stamp);
    return stamp;
}

ULONGLONG UnixSecondsOf(const FILETIME& stamp)
{
    ULONGLONG ticks = (static_cast<ULONGLONG>(stamp.dwHighDateTime) << 32) | stamp.dwLowDateTime;
    return ticks / 10000000ULL - 11644473600ULL;
}
