// How the shell names the type of a chosen file.
#include "FileOperate.h"

#include <shellapi.h>

namespace {

// The shell inspects the file itself (no attributes passed); when it cannot answer,
// the zeroed structure gives an empty name.
SHFILEINFOW AskShell(const std::wstring& path, UINT flags)
{
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), flags);
    return info;
}

} // namespace

std::wstring CFileOperate::GetTypeName(int index) const
{
    if (m_firstPath.empty() || index > GetCount())
        return std::wstring();
    CheckIndex(index);
    return AskShell(m_files.Path(static_cast<size_t>(index)), SHGFI_TYPENAME).szTypeName;
}
