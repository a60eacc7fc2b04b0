#include "OpenFileDialog.h"

#include "Exceptions.h"
#include "Application.h"

#include <algorithm>
#include <cderr.h>
#include <commdlg.h>
#include <shobjidl.h>

namespace {

// The classic dialog's first result buffer; it grows when a selection needs more.
const size_t kClassicCapacity = 32768;

// Releases a COM interface when it goes out of scope.
template <class Interface> struct ComRelease {
    Interface* p = nullptr;
    ~ComRelease()
    {
        if (p != nullptr)
            p->Release();
    }
};

// The classic dialog's OFN_ options that the current one knows by another name.
FILEOPENDIALOGOPTIONS ItemDialogOptions(DWORD flags)
{
    const struct {
        DWORD classic;
        FILEOPENDIALOGOPTIONS item;
    } kSame[] = {
        {OFN_ALLOWMULTISELECT, FOS_ALLOWMULTISELECT}, {OFN_FILEMUSTEXIST, FOS_FILEMUSTEXIST},
        {OFN_PATHMUSTEXIST, FOS_PATHMUSTEXIST},       {OFN_OVERWRITEPROMPT, FOS_OVERWRITEPROMPT},
        {OFN_CREATEPROMPT, FOS_CREATEPROMPT},         {OFN_NOVALIDATE, FOS_NOVALIDATE},
        {OFN_NODEREFERENCELINKS, FOS_NODEREFERENCELINKS},
    };
    FILEOPENDIALOGOPTIONS options = FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR;
    for (const auto& same : kSame) {
        if (flags & same.classic)
            options |= same.item;
    }
    return options;
}

} // namespace

OpenFileDialog::OpenFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension, const wchar_t* fileName, DWORD flags,
                         const wchar_t* filter, HWND owner, BOOL vistaStyle)
    : m_open(openFileDialog != FALSE), m_vistaStyle(vistaStyle != FALSE), m_flags(flags), m_owner(owner)
{
    if (defaultExtension != nullptr)
        m_defaultExtension = defaultExtension;
    if (fileName != nullptr)
        m_fileName = fileName;
    // "name|pattern|name|pattern|": an unpaired name at the end is dropped.
    for (std::wstring rest = filter != nullptr ? filter : L"";;) {
        size_t nameEnd = rest.find(L'|');
        if (nameEnd == std::wstring::npos)
            break;
        size_t patternEnd = rest.find(L'|', nameEnd + 1);
        m_filter.push_back({rest.substr(0, nameEnd), rest.substr(nameEnd + 1, patternEnd - nameEnd - 1)});
        if (patternEnd == std::wstring::npos)
            break;
        rest.erase(0, patternEnd + 1);
    }
}

INT_PTR OpenFileDialog::RunModal()
{
    m_paths.clear();
    HWND owner = m_owner != nullptr ? m_owner : MainWindowHandle();
    INT_PTR result = IDCANCEL;
    if ((m_vistaStyle || m_pickFolders) && ShowItemDialog(owner, result))
        return result;
    // The classic dialog chooses files only.
    if (m_pickFolders)
        throw MessageError(L"フォルダを選ぶダイアログをこのシステムでは開けません。"
                                L"フォルダはウィンドウへのドラッグ＆ドロップかコマンドラインで選べます。");
    return ShowClassicDialog(owner);
}

// The current dialog hands back an item per chosen file, so no buffer bounds a selection.
// It needs COM on this thread, which the application starts; COM loads comdlg32 only now,
// as the classic dialog's late load below does.
bool OpenFileDialog::ShowItemDialog(HWND owner, INT_PTR& result)
{
    ComRelease<IFileDialog> dialog;
    if (FAILED(CoCreateInstance(m_open ? CLSID_FileOpenDialog : CLSID_FileSaveDialog, nullptr,
                                CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog.p))))
        return false;

    FILEOPENDIALOGOPTIONS options = 0;
    dialog.p->GetOptions(&options);
    dialog.p->SetOptions(options | ItemDialogOptions(m_flags) | (m_pickFolders ? FILEOPENDIALOGOPTIONS(FOS_PICKFOLDERS) : FILEOPENDIALOGOPTIONS(0)));
    std::vector<COMDLG_FILTERSPEC> types;
    for (const FilterPair& pair : m_filter)
        types.push_back({pair.name.c_str(), pair.pattern.c_str()});
    if (!types.empty()) {
        dialog.p->SetFileTypes(static_cast<UINT>(types.size()), types.data());
        dialog.p->SetFileTypeIndex(1);
    }
    if (!m_defaultExtension.empty())
        dialog.p->SetDefaultExtension(m_defaultExtension.c_str());
    if (!m_fileName.empty())
        dialog.p->SetFileName(m_fileName.c_str());

    HRESULT shown = dialog.p->Show(owner);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) {
        result = IDCANCEL;
        return true;
    }
    if (FAILED(shown))
        throw MessageError(L"IFileDialog::Show: " + SystemMessageText(static_cast<DWORD>(shown)));

    ComRelease<IShellItemArray> items;
    if (m_open) {
        ComRelease<IFileOpenDialog> openDialog;
        if (SUCCEEDED(dialog.p->QueryInterface(IID_PPV_ARGS(&openDialog.p))))
            openDialog.p->GetResults(&items.p);
    } else {
        ComRelease<IShellItem> item;
        if (SUCCEEDED(dialog.p->GetResult(&item.p)))
            SHCreateShellItemArrayFromShellItem(item.p, IID_PPV_ARGS(&items.p));
    }
    DWORD count = 0;
    if (items.p != nullptr)
        items.p->GetCount(&count);
    m_paths.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        ComRelease<IShellItem> item;
        wchar_t* path = nullptr;
        if (SUCCEEDED(items.p->GetItemAt(i, &item.p)) &&
            SUCCEEDED(item.p->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
            m_paths.push_back(path);
            CoTaskMemFree(path);
        }
    }
    result = IDOK;
    return true;
}

// comdlg32 is loaded when a file dialog is first opened, not at start: as an import it
// brings the print spooler with it, whose start-up costs every start of the program
// (about 13 ms under Wine) for a dialog that most runs never open. It is one of the known
// DLLs, so the name alone always gives the system's copy, never one beside the program;
// once loaded, the call only returns the module again.
INT_PTR OpenFileDialog::ShowClassicDialog(HWND owner)
{
    HMODULE library = LoadLibraryW(L"comdlg32.dll");
    FARPROC entry = library != nullptr
                        ? GetProcAddress(library, m_open ? "GetOpenFileNameW" : "GetSaveFileNameW")
                        : nullptr;
    FARPROC lastError = library != nullptr ? GetProcAddress(library, "CommDlgExtendedError") : nullptr;
    if (entry == nullptr || lastError == nullptr)
        throw MessageError(L"comdlg32.dll: " + SystemMessageText(GetLastError()));
    using ShowFileDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
    using ExtendedError = DWORD(WINAPI*)();
    auto show = reinterpret_cast<ShowFileDialog>(reinterpret_cast<void (*)()>(entry));
    auto extendedError = reinterpret_cast<ExtendedError>(reinterpret_cast<void (*)()>(lastError));

    std::wstring filter;
    for (const FilterPair& pair : m_filter)
        filter += pair.name + L'\0' + pair.pattern + L'\0';
    std::vector<wchar_t> result(std::max(kClassicCapacity, m_fileName.size() + 1), L'\0');
    for (;;) {
        std::copy(m_fileName.begin(), m_fileName.end(), result.begin());
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = owner;
        ofn.hInstance = TheApplication()->m_instance;
        ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = result.data();
        ofn.nMaxFile = static_cast<DWORD>(result.size());
        ofn.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
        // Explorer style without a hook; browsing leaves the working folder as it was.
        ofn.Flags = m_flags | OFN_EXPLORER | OFN_NOCHANGEDIR;
        if (show(&ofn))
            break;
        if (extendedError() != FNERR_BUFFERTOOSMALL)
            return IDCANCEL;
        // The selection did not fit: the first character holds the length it needs, cut to
        // 16 bits, so the buffer at least doubles; the dialog is shown again to choose anew.
        size_t needed = static_cast<WORD>(result[0]);
        result.assign(std::max(needed + 1, result.size() * 2), L'\0');
    }

    // A single choice is one full path; a multiple one is the folder, then each name, all
    // null-separated and ended by an empty string.
    const wchar_t* buffer = result.data();
    std::wstring first = buffer;
    if (first.empty())
        return IDOK;
    if (!(m_flags & OFN_ALLOWMULTISELECT) || buffer[first.size() + 1] == L'\0') {
        m_paths.push_back(first);
        return IDOK;
    }
    std::wstring folder = first;
    if (folder.back() != L'\\')
        folder += L'\\';
    for (const wchar_t* name = buffer + first.size() + 1; *name != L'\0'; name += wcslen(name) + 1)
        m_paths.push_back(folder + name);
    return IDOK;
}
