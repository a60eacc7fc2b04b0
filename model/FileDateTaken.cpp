#include "FileDateTaken.h"

#include "FileByteSource.h"
#include "PathForms.h"

#include "framework/UniqueHandle.h"
#include "sources/DateTaken.h"

SourceDate ReadDateTaken(const std::wstring& path)
{
    UniqueHandle file(CreateFileW(ApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return SourceDate::None(NoDateReason::unreadable);
    FileByteSource bytes(file.Get());
    return ReadDateTaken(bytes);
}
