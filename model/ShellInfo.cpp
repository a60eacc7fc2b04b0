// How the shell presents the chosen files: icon, display name and type name.
#include "FileOperate.h"

#include "../res/resource.h"

#include <shellapi.h>

namespace {

// The shell inspects the file itself (no attributes passed); when it cannot answer,
// the zeroed structure gives a null icon or an empty name.
SHFILEINFOW AskShell(const std::wstring& path, UINT flags)
{
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), flags);
    return info;
}

} // namespace

HICON CFileOperate::GetIcon(int size) const
{
    if (m_firstPath.empty())
        return nullptr;
    if (GetCount() > 1) {
        // Width and height 0: the resource's own size.
        return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SEVERAL_FILES),
                                             IMAGE_ICON, 0, 0, LR_CREATEDIBSECTION));
    }
    if (size == 1)
        return AskShell(m_firstPath, SHGFI_ICON).hIcon;
    if (size == 0)
        return AskShell(m_firstPath, SHGFI_ICON | SHGFI_SMALLICON).hIcon;
    return nullptr;
}

std::wstring CFileOperate::GetDisplayName(int index) const
{
    if (m_firstPath.empty() || index > GetCount())
        return std::wstring();
    CheckIndex(index);
    return AskShell(m_files.Path(static_cast<size_t>(index)), SHGFI_DISPLAYNAME).szDisplayName;
}

std::wstring CFileOperate::GetTypeName(int index) const
{
    if (m_firstPath.empty() || index > GetCount())
        return std::wstring();
    CheckIndex(index);
    return AskShell(m_files.Path(static_cast<size_t>(index)), SHGFI_TYPENAME).szTypeName;
}
