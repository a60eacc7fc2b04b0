// Choosing files: dropped from the shell, or picked in the open dialog.
#include "KalendrixDlg.h"

#include "../framework/FileDialog.h"

#include <commdlg.h>
#include <vector>

void CKalendrixDlg::HandOverFiles(const CStringArray& paths)
{
    m_fileOperate.SetFiles(paths);
    UpdateFileView();
}

void CKalendrixDlg::OnDropFiles(HDROP drop)
{
    if (RefuseDuringJob(drop))
        return;
    CStringArray paths;
    std::vector<wchar_t> name;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Each path as long as the drop says it is, with room for its terminating null.
        name.assign(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size()));
        paths.Add(name.data());
    }
    // The drop data is released whatever the refresh raises.
    struct DropRelease {
        HDROP drop;
        ~DropRelease() { DragFinish(drop); }
    } release{drop};
    HandOverFiles(paths);
}

void CKalendrixDlg::OnBrowse()
{
    if (RefuseDuringJob())
        return;
    // The system's current dialog, which hands back any number of files.
    const DWORD kFlags = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST;
    CFileDialog dialog(TRUE, nullptr, nullptr, kFlags, L"ALL(*.*)|*.*|", m_hWnd);
    HandOverChosen(dialog);
}

// Folders are chosen in a dialog of their own: the system's dialog chooses either files or
// folders, never both at once.
void CKalendrixDlg::OnBrowseFolders()
{
    if (RefuseDuringJob())
        return;
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST, nullptr, m_hWnd);
    dialog.PickFolders();
    HandOverChosen(dialog);
}

// Shows the open dialog and hands over what was chosen in it.
void CKalendrixDlg::HandOverChosen(CFileDialog& dialog)
{
    if (dialog.DoModal() != IDOK)
        return;
    CStringArray paths;
    for (size_t position = dialog.GetStartPosition(); position != 0;)
        paths.Add(dialog.GetNextPathName(position));
    HandOverFiles(paths);
}
