// What of the choice the list shows: the files the filter leaves, and the line that counts
// the chosen, the shown, the folders and what an apply would change.
#include "KalendrixDlg.h"

#include "../model/ChoiceCounts.h"

void CKalendrixDlg::OnFilterChanged()
{
    m_filter.OnChanged();
    ShowFilteredFiles();
}

void CKalendrixDlg::ShowFilteredFiles()
{
    if (m_fileList.ShowsFiles()) {
        const bool foldersStay = IsDlgButtonChecked(IDC_FOLDER_CONTENTS) == BST_CHECKED;
        m_fileList.ShowOnly(ItemsShown(m_fileOperate.GetFileSet(), m_filter.Filter(), foldersStay));
    }
    UpdateCounts();
}

void CKalendrixDlg::UpdateCounts()
{
    const FileSet& files = m_fileOperate.GetFileSet();
    if (files.Count() == 0) {
        SetDlgItemText(IDC_CHOICE_COUNTS, std::wstring());
        return;
    }
    ChoiceCounts counts;
    counts.chosen = files.Count();
    counts.shown = m_fileList.ShowsFiles() ? m_fileList.RowCount() : files.Count();
    for (size_t index = 0; index < files.Count(); ++index) {
        const FileItem& item = files.Item(index);
        if (item.Readable() && (item.state.attributes & FILE_ATTRIBUTE_DIRECTORY))
            ++counts.folders;
    }
    counts.changed = m_fileList.ChangedCount(files);
    SetDlgItemText(IDC_CHOICE_COUNTS, ChoiceCountsText(counts));
}
