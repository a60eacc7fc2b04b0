// Chosen folders and what is inside them: the box "フォルダの中も", remembered per user,
// walks every chosen folder; the folders a walk could not list are told in one box.
#include "KalendrixDlg.h"

#include "../framework/Application.h"
#include "../model/FileStateAccess.h"

namespace {

constexpr const wchar_t* kFolderContentsKey = L"folderContents";
// A box taller than the screen hides its OK button.
constexpr size_t kListedFolders = 30;

std::wstring ListingFailureText(DWORD error)
{
    return error == ERROR_ACCESS_DENIED ? L"読み取る権限がありません" : ReasonText(error);
}

} // namespace

void CKalendrixDlg::RestoreFolderContents()
{
    const bool on = TheApplication()->ReadSetting(kProfileSection, kFolderContentsKey, 0) == 1;
    CheckDlgButton(IDC_FOLDER_CONTENTS, on ? BST_CHECKED : BST_UNCHECKED);
}

void CKalendrixDlg::OnFolderContents()
{
    const bool on = IsDlgButtonChecked(IDC_FOLDER_CONTENTS) == BST_CHECKED;
    TheApplication()->WriteSetting(kProfileSection, kFolderContentsKey, on ? 1 : 0);
    // Files alone read the same either way.
    if (JobRunning() || !m_fileOperate.ChoiceHasFolder())
        return;
    // The choice as it was made, walked anew or not at all.
    StartReading(CFileOperate::ReadingOfPaths(m_fileOperate.ChosenPaths(), on), ReadingPurpose::view);
}

// After the list is shown (posted, so that the box comes over the list, not before it).
void CKalendrixDlg::ReportUnreadableFolders()
{
    const bool walked = m_walkToReport;
    m_walkToReport = false;
    if (walked && !m_fileOperate.GetFileSet().UnreadableFolders().empty())
        PostMessageW(m_hWnd, WM_REPORT_FOLDERS, 0, 0);
}

void CKalendrixDlg::OnReportFolders(WPARAM, LPARAM)
{
    const std::vector<UnreadableFolder>& folders = m_fileOperate.GetFileSet().UnreadableFolders();
    if (folders.empty())
        return;
    std::wstring text = L"次のフォルダの中を読み取れませんでした。ほかのファイルとフォルダは一覧にあります。";
    for (size_t index = 0; index < folders.size() && index < kListedFolders; ++index)
        text += L"\r\n" + folders[index].path + L"：" + ListingFailureText(folders[index].error);
    if (folders.size() > kListedFolders)
        text += L"\r\n…ほか" + std::to_wstring(folders.size() - kListedFolders) + L"件";
    MessageBoxW(m_hWnd, text.c_str(), ApplicationName(), MB_OK | MB_ICONWARNING);
}
