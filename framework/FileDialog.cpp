#include "FileDialog.h"

#include "Exceptions.h"
#include "WinApp.h"

#include <commdlg.h>

namespace {

// Room for a multiple selection of many long names: the classic 260 characters
// hold only a handful of them.
const size_t kResultCapacity = 32768;

} // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension, const wchar_t* fileName, DWORD flags,
                         const wchar_t* filter, HWND owner)
    : m_open(openFileDialog != FALSE), m_result(kResultCapacity, L'\0'), m_ofn()
{
    if (defaultExtension != nullptr)
        m_defaultExtension = defaultExtension;
    if (filter != nullptr) {
        m_filter = filter;
        for (wchar_t& c : m_filter) {
            if (c == L'|')
                c = L'\0';
        }
        m_filter.push_back(L'\0');
    }
    if (fileName != nullptr)
        wcsncpy(m_result.data(), fileName, kResultCapacity - 1);

    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.hwndOwner = owner != nullptr ? owner : AfxGetMainWndHandle();
    m_ofn.hInstance = AfxGetApp()->m_hInstance;
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_result.data();
    m_ofn.nMaxFile = static_cast<DWORD>(kResultCapacity);
    m_ofn.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
    // Explorer style without a hook: the system shows its newer dialog where it has one.
    // Browsing leaves the program's working folder as it was.
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_NOCHANGEDIR;
}

// comdlg32 is loaded when a file dialog is first opened, not at start: as an import it
// brings the print spooler with it, whose start-up costs every start of the program
// (about 13 ms under Wine) for a dialog that most runs never open. It is one of the known
// DLLs, so the name alone always gives the system's copy, never one beside the program;
// once loaded, the call only returns the module again.
INT_PTR CFileDialog::DoModal()
{
    HMODULE library = LoadLibraryW(L"comdlg32.dll");
    FARPROC entry = library != nullptr
                        ? GetProcAddress(library, m_open ? "GetOpenFileNameW" : "GetSaveFileNameW")
                        : nullptr;
    if (entry == nullptr)
        throw CMessageException(L"comdlg32.dll: " + SystemMessageText(GetLastError()));
    using ShowFileDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
    auto show = reinterpret_cast<ShowFileDialog>(reinterpret_cast<void (*)()>(entry));
    return show(&m_ofn) ? IDOK : IDCANCEL;
}

// A single choice is one full path; a multiple one is the folder, then each name, all
// null-separated and ended by an empty string.
size_t CFileDialog::GetStartPosition() const
{
    return m_result[0] != L'\0' ? 1 : 0;
}

std::wstring CFileDialog::GetNextPathName(size_t& position) const
{
    const wchar_t* buffer = m_result.data();
    std::wstring first = buffer;
    bool multiple = (m_ofn.Flags & OFN_ALLOWMULTISELECT) && buffer[first.size() + 1] != L'\0';
    if (!multiple) {
        position = 0;
        return first;
    }
    // Position 1 is the first name after the folder; later positions are offsets of names.
    size_t offset = position == 1 ? first.size() + 1 : position;
    std::wstring name = buffer + offset;
    size_t next = offset + name.size() + 1;
    position = buffer[next] != L'\0' ? next : 0;
    std::wstring folder = first;
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder + name;
}
