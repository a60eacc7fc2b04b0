// Choosing files: dropped from the shell, or picked in the open dialog.
#include "KalendrixDlg.h"

#include "../framework/OpenFileDialog.h"

#include <commdlg.h>
#include <vector>

// The drop's names are taken where the choice is read: on the worker for a large drop, so
// that the window answers from the moment of the drop.
void CKalendrixDlg::OnDropFiles(HDROP drop)
{
    if (RefuseDuringJob(drop))
        return;
    StartReading(CFileOperate::ReadingOfPaths({}, IsDlgButtonChecked(IDC_FOLDER_CONTENTS) == BST_CHECKED),
                 ReadingPurpose::view, DropData(drop));
}

void CKalendrixDlg::OnBrowse()
{
    if (RefuseDuringJob())
        return;
    // The system's current dialog, which hands back any number of files.
    const DWORD kFlags = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST;
    OpenFileDialog dialog(TRUE, nullptr, nullptr, kFlags, L"ALL(*.*)|*.*|", m_hWnd);
    HandOverChosen(dialog);
}

// Folders are chosen in a dialog of their own: the system's dialog chooses either files or
// folders, never both at once.
void CKalendrixDlg::OnBrowseFolders()
{
    if (RefuseDuringJob())
        return;
    OpenFileDialog dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST, nullptr, m_hWnd);
    dialog.PickFolders();
    HandOverChosen(dialog);
}

// Shows the open dialog and hands over what was chosen in it.
void CKalendrixDlg::HandOverChosen(OpenFileDialog& dialog)
{
    if (dialog.RunModal() != IDOK)
        return;
    HandOverFiles(dialog.ChosenPaths());
}
