#include "FileDateTaken.h"

#include "FileByteSource.h"
#include "PathForms.h"

#include "framework/UniqueHandle.h"
#include "sources/DateTaken.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

// Reading a file's content moves its last-access stamp where the file system keeps it up to
// date, and reading a date is no change the user asked for. Where the file lets its stamps
// be written, the handle is told not to move it (a last-access time of all ones), and a
// stamp that moved all the same is put back as it was read.
SourceDate ReadDateTaken(const std::wstring& path)
{
    const std::wstring apiPath = ApiPath(path);
    UniqueHandle file(CreateFileW(apiPath.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, kShareAll, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    FILETIME accessed = {};
    bool keepAccess = false;
    if (file.Valid()) {
        FILETIME unchanged = {0xFFFFFFFF, 0xFFFFFFFF};
        keepAccess = GetFileTime(file.Get(), nullptr, &accessed, nullptr) &&
                     (accessed.dwLowDateTime != 0 || accessed.dwHighDateTime != 0);
        if (keepAccess)
            SetFileTime(file.Get(), nullptr, &unchanged, nullptr);
    } else {
        file = UniqueHandle(CreateFileW(apiPath.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!file.Valid())
        return SourceDate::None(NoDateReason::unreadable);
    FileByteSource bytes(file.Get());
    const SourceDate date = ReadDateTaken(bytes);
    FILETIME now = {};
    if (keepAccess && GetFileTime(file.Get(), nullptr, &now, nullptr) && CompareFileTime(&now, &accessed) != 0)
        SetFileTime(file.Get(), nullptr, &accessed, nullptr);
    return date;
}
