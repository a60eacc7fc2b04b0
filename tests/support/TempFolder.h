// A fresh folder under the system's temporary folder, removed with everything in it.
#pragma once

#include <windows.h>
#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    // Full path of `name` inside the folder.
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

    // Creates a file of `size` bytes (sparse when large) and returns its full path.
    std::wstring MakeFile(const std::wstring& name, ULONGLONG size = 0) const;
    std::wstring MakeFolder(const std::wstring& name) const;

private:
    std::wstring m_path;
};

// Stamps of a file, UTC, in 100-ns units since 1601; false when the file cannot be read.
struct FileStamps {
    FILETIME creation;
    FILETIME access;
    FILETIME write;
};
bool ReadStamps(const std::wstring& path, FileStamps* stamps);
// Sets the stamps that are given (null leaves one unchanged).
bool WriteStamps(const std::wstring& path, const FILETIME* creation, const FILETIME* access, const FILETIME* write);
FILETIME StampOf(ULONGLONG unixSeconds);
FILETIME StampOfUtc(int year, int month, int day, int hour, int minute, int second);
// A local time of the zone the test runs in, as Windows converts it with the zone's rules.
FILETIME StampOfLocal(int year, int month, int day, int hour, int minute, int second);
ULONGLONG UnixSecondsOf(const FILETIME& stamp);
