#include "ShellIcon.h"

#include <commctrl.h>
#include <initguid.h> // IID_IImageList is defined here, not in a library
#include <commoncontrols.h>
#include <shellapi.h>

namespace {

// One of the shell's image lists, held for as long as it is used.
class ShellImageList {
public:
    explicit ShellImageList(int which)
    {
        if (FAILED(SHGetImageList(which, IID_IImageList, reinterpret_cast<void**>(&m_list))))
            m_list = nullptr;
        if (m_list != nullptr)
            m_list->GetIconSize(&m_size, &m_size);
    }
    ~ShellImageList()
    {
        if (m_list != nullptr)
            m_list->Release();
    }
    ShellImageList(const ShellImageList&) = delete;
    ShellImageList& operator=(const ShellImageList&) = delete;

    bool Exists() const { return m_list != nullptr && m_size > 0; }
    int Size() const { return m_size; }
    HICON Icon(int index) const
    {
        HICON icon = nullptr;
        return SUCCEEDED(m_list->GetIcon(index, ILD_TRANSPARENT, &icon)) ? icon : nullptr;
    }

private:
    IImageList* m_list = nullptr;
    int m_size = 0;
};

} // namespace

HICON ShellIconOfSize(const std::wstring& path, int size)
{
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX))
        return nullptr;
    // From the smallest list up, the first at least as large as asked for, else the
    // largest there is; a larger list is not asked for when a smaller one serves, since
    // the shell fills a list on first use.
    const int smallestFirst[] = {SHIL_SMALL, SHIL_LARGE, SHIL_EXTRALARGE, SHIL_JUMBO};
    int largest = -1;
    for (int which : smallestFirst) {
        ShellImageList list(which);
        if (!list.Exists())
            continue;
        if (list.Size() >= size)
            return list.Icon(info.iIcon);
        largest = which;
    }
    return largest >= 0 ? ShellImageList(largest).Icon(info.iIcon) : nullptr;
}
