// Taking files out of the choice, and the list's other commands on its selected rows:
// Delete and the context menu, which also opens Explorer at a file and copies paths.
#include "KalendrixDlg.h"

#include "../framework/Exceptions.h"
#include "../model/NameParts.h"

#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

void CKalendrixDlg::OnListKeyDown(NMHDR* header, LRESULT* result)
{
    const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (key == VK_DELETE)
        OnRemoveFromChoice();
    else if (control && key == 'A')
        m_fileList.SelectAll();
    else if (control && key == 'C')
        OnCopyPath();
    *result = 0;
}

void CKalendrixDlg::OnContextMenu(WPARAM window, LPARAM where)
{
    HWND list = GetDlgItem(IDC_FILE_LIST);
    if (reinterpret_cast<HWND>(window) != list || !m_fileList.ShowsFiles()) {
        PassToSystem();
        return;
    }
    POINT at = {GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (where == static_cast<LPARAM>(-1)) {
        // From the keyboard: at the focused row, or the list's corner.
        RECT row = {};
        const int focused = m_fileList.RowOfFile(m_fileList.FocusedFile());
        if (focused < 0 || !ListView_GetItemRect(list, focused, &row, LVIR_LABEL))
            row = {0, 0, 0, 0};
        at = {row.left, row.bottom};
        ClientToScreen(list, &at);
    }
    const UINT enabled = m_fileList.SelectedFiles().empty() ? MF_GRAYED : MF_ENABLED;
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING | enabled, IDM_REMOVE_FROM_CHOICE, L"選択したファイルを外す\tDelete");
    AppendMenuW(menu, MF_STRING | enabled, IDM_OPEN_FOLDER, L"フォルダを開く");
    AppendMenuW(menu, MF_STRING | enabled, IDM_COPY_PATH, L"パスをコピー\tCtrl+C");
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
}

// Out of the choice, never off the disk. The edits stay while several files remain; the
// rows and boxes then show the focused file.
void CKalendrixDlg::OnRemoveFromChoice()
{
    if (RefuseDuringJob())
        return;
    const std::vector<size_t> removed = m_fileList.SelectedFiles();
    if (removed.empty())
        return;
    // The shown file's index among those left; -1 when it goes.
    int shown = m_shownIndex;
    for (size_t file : removed) {
        if (static_cast<int>(file) == m_shownIndex)
            shown = -1;
        else if (shown >= 0 && static_cast<int>(file) < m_shownIndex)
            --shown;
    }
    m_fileOperate.RemoveItems(removed);
    if (m_fileOperate.GetCount() <= 1) {
        ShowChosenFiles();
        return;
    }
    m_shownIndex = shown;
    FirstFileChanged();
    m_fileList.FilesRemoved(removed);
    if (m_shownIndex < 0)
        ShowRecord(std::max(m_fileList.FocusedFile(), 0));
    UpdatePreview();
    UpdateCounts();
}

void CKalendrixDlg::OnOpenFolder()
{
    const std::vector<size_t> selected = m_fileList.SelectedFiles();
    if (selected.empty())
        return;
    const int focused = m_fileList.FocusedFile();
    const FileSet& files = m_fileOperate.GetFileSet();
    const std::wstring& first = files.Path(focused >= 0 ? static_cast<size_t>(focused) : selected.front());
    const std::wstring folder = FolderOfPath(first);
    // Explorer at the folder with the selected files of that folder selected.
    PIDLIST_ABSOLUTE folderId = ILCreateFromPathW(folder.c_str());
    std::vector<PIDLIST_ABSOLUTE> items;
    for (size_t file : selected) {
        if (_wcsicmp(FolderOfPath(files.Path(file)).c_str(), folder.c_str()) != 0)
            continue;
        if (PIDLIST_ABSOLUTE item = ILCreateFromPathW(files.Path(file).c_str()))
            items.push_back(item);
    }
    std::vector<PCUITEMID_CHILD> children;
    for (PIDLIST_ABSOLUTE item : items)
        children.push_back(ILFindLastID(item));
    HRESULT opened = E_FAIL;
    if (folderId != nullptr)
        opened = SHOpenFolderAndSelectItems(folderId, static_cast<UINT>(children.size()), children.data(), 0);
    if (FAILED(opened))
        ShellExecuteW(m_hWnd, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    for (PIDLIST_ABSOLUTE item : items)
        ILFree(item);
    if (folderId != nullptr)
        ILFree(folderId);
}

void CKalendrixDlg::OnCopyPath()
{
    const std::vector<size_t> selected = m_fileList.SelectedFiles();
    if (selected.empty())
        return;
    std::wstring text;
    for (size_t file : selected) {
        if (!text.empty())
            text += L"\r\n";
        text += m_fileOperate.GetFileSet().Path(file);
    }
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr)
        return;
    memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    if (!OpenClipboard(m_hWnd)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr)
        GlobalFree(memory);
    CloseClipboard();
}
