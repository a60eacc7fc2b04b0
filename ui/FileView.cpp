// Showing the chosen files and one file's state.
#include "KalendrixDlg.h"

#include "../framework/WinApp.h"
#include "../model/SizeText.h"

namespace {

// The square at the dialog's top left where the first file's icon is drawn.
constexpr RECT kIconArea = {20, 0, 52, 32};
constexpr COLORREF kIconBackground = RGB(210, 210, 210);

void SetHeaderTexts(HWND list, const wchar_t* first, const wchar_t* second)
{
    HWND header = ListView_GetHeader(list);
    const wchar_t* texts[] = {first, second};
    for (int i = 0; i < 2; ++i) {
        HDITEMW item = {};
        item.mask = HDI_TEXT;
        item.pszText = const_cast<wchar_t*>(texts[i]);
        SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

void InsertRow(HWND list, int row, const std::wstring& text)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void SetCellText(HWND list, int row, int column, const std::wstring& text)
{
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

// The short (8.3) form; empty when the system gives none.
std::wstring ShortPathOf(const wchar_t* fullPath)
{
    wchar_t shortPath[MAX_PATH] = L"";
    DWORD length = GetShortPathNameW(fullPath, shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    return shortPath;
}

// With no file chosen the dialog looks as it did when it opened.
void ShowNoFile(CDialog& dialog)
{
    SetHeaderTexts(dialog.GetDlgItem(IDC_FILE_LIST), L"ファイル名", L"ファイルタイプ");
    for (int id : {IDC_NAME, IDC_EXTENSION}) {
        dialog.SetDlgItemText(id, L"");
        dialog.EnableDlgItem(id, false);
    }
    for (const TimeRowControls& row : kTimeRows) {
        for (int id : row.edits) {
            dialog.SetDlgItemText(id, L"");
            dialog.EnableDlgItem(id, false);
        }
    }
    for (const SwitchGroup& group : kSwitchGroups) {
        dialog.CheckDlgButton(group.switchId, BST_UNCHECKED);
        dialog.EnableDlgItem(group.switchId, false);
    }
    for (int id : {IDC_ATTR_READONLY, IDC_ATTR_HIDDEN, IDC_ATTR_ARCHIVE, IDC_ATTR_SYSTEM, IDC_ATTR_COMPRESSED}) {
        dialog.CheckDlgButton(id, BST_UNCHECKED);
        dialog.EnableDlgItem(id, false);
    }
    for (int id : {IDC_ORIGINAL_TIME, IDC_CURRENT_TIME, IDC_CLEAR_TIME, IDC_SAME_AS_CREATION, IDC_APPLY})
        dialog.EnableDlgItem(id, false);
    // Wipe the last file's icon: the area shows what lies beneath it again.
    RedrawWindow(dialog.m_hWnd, &kIconArea, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

} // namespace

void CKalendrixDlg::UpdateFileView()
{
    const FileRecord record = m_fileOperate.GetRecord(0);
    HWND list = GetDlgItem(IDC_FILE_LIST);
    ListView_DeleteAllItems(list);

    if (m_fileOperate.GetCount() == 0) {
        ShowNoFile(*this);
        return;
    }

    if (m_fileOperate.GetCount() > 1) {
        EnableDlgItem(IDC_NAME, false);
        SetDlgItemText(IDC_NAME, L"");
        EnableDlgItem(IDC_EXTENSION, false);
        SetDlgItemText(IDC_EXTENSION, L"");
        DrawFileIcon();
        SetHeaderTexts(list, L"ファイル名", L"ファイルタイプ");
        for (int i = 0; i < m_fileOperate.GetCount(); ++i) {
            InsertRow(list, i, m_fileOperate.GetDisplayName(i));
            SetCellText(list, i, 1, m_fileOperate.GetTypeName(i));
        }
    } else {
        DrawFileIcon();
        EnableDlgItem(IDC_NAME, true);
        SetDlgItemText(IDC_NAME, m_fileOperate.GetBaseName(0));
        EnableDlgItem(IDC_EXTENSION, true);
        SetDlgItemText(IDC_EXTENSION, m_fileOperate.GetExtension(0));
        const std::wstring shortPath = ShortPathOf(record.fullPath);
        SetHeaderTexts(list, L"項目", L"値");
        const wchar_t* labels[] = {L"種類", L"パス名", L"MS-DOS名", L"サイズ"};
        for (int row = 0; row < 4; ++row)
            InsertRow(list, row, labels[row]);
        const std::wstring values[] = {m_fileOperate.GetTypeName(0), record.fullPath, shortPath,
                                       SizeText(record.size)};
        for (int row = 0; row < 4; ++row)
            SetCellText(list, row, 1, values[row]);
    }

    SetSpinRanges();
    WriteTimeRow(kCreationRow, record.createTime);
    WriteTimeRow(kWriteRow, record.writeTime);
    WriteTimeRow(kAccessRow, record.accessTime);
    for (int id : {IDC_ORIGINAL_TIME, IDC_CURRENT_TIME, IDC_CLEAR_TIME, IDC_SAME_AS_CREATION})
        EnableDlgItem(id, true);

    // All three stored values are read before any of them is applied.
    CWinApp* app = AfxGetApp();
    UINT stored[kTimeRowCount];
    for (int group = kCreateSwitch; group <= kAccessSwitch; ++group)
        stored[group] = app->GetProfileInt(kProfileSection, kSwitchGroups[group].profileKey, 0);
    for (int group = kCreateSwitch; group <= kAccessSwitch; ++group)
        EnableDlgItem(kSwitchGroups[group].switchId, true);
    for (int group = kCreateSwitch; group <= kAccessSwitch; ++group)
        RestoreSwitch(static_cast<SwitchGroupIndex>(group), stored[group]);
    EnableDlgItem(IDC_SWITCH_ATTRIBUTE, true);
    RestoreSwitch(kAttributeSwitch, app->GetProfileInt(kProfileSection, kSwitchGroups[kAttributeSwitch].profileKey, 0));

    ShowAttributes(record.attribute);
    // Last: the writes above may have enabled it through their change notifications.
    EnableDlgItem(IDC_APPLY, false);
}

void CKalendrixDlg::ShowRecord(int index)
{
    if (index < 0 || index >= m_fileOperate.GetCount())
        return;
    const FileRecord record = m_fileOperate.GetRecord(index);
    WriteTimeRow(kCreationRow, record.createTime);
    WriteTimeRow(kWriteRow, record.writeTime);
    WriteTimeRow(kAccessRow, record.accessTime);
    ShowAttributes(record.attribute);
}

void CKalendrixDlg::ShowAttributes(BYTE attributes)
{
    const AttributeBox boxes[] = {
        {IDC_ATTR_READONLY, FILE_ATTRIBUTE_READONLY},
        {IDC_ATTR_HIDDEN, FILE_ATTRIBUTE_HIDDEN},
        {IDC_ATTR_SYSTEM, FILE_ATTRIBUTE_SYSTEM},
        {IDC_ATTR_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE},
    };
    for (const AttributeBox& box : boxes)
        CheckDlgButton(box.id, (attributes & box.bit) ? BST_CHECKED : BST_UNCHECKED);
    // "Compressed" always describes the first file as it is now.
    DWORD firstFile = m_fileOperate.GetFirstFileAttributes();
    bool compressed = firstFile != INVALID_FILE_ATTRIBUTES && (firstFile & FILE_ATTRIBUTE_COMPRESSED);
    CheckDlgButton(IDC_ATTR_COMPRESSED, compressed ? BST_CHECKED : BST_UNCHECKED);
}

void CKalendrixDlg::DrawFileIcon()
{
    // With no file chosen there is no icon, not even the last first file's.
    if (m_fileOperate.GetCount() == 0)
        return;
    HDC dc = ::GetDC(m_hWnd);
    HBRUSH brush = CreateSolidBrush(kIconBackground);
    if (HICON icon = m_fileOperate.GetIcon(1)) {
        FillRect(dc, &kIconArea, brush);
        DrawIcon(dc, kIconArea.left, kIconArea.top, icon);
        DestroyIcon(icon);
    }
    ::ReleaseDC(m_hWnd, dc);
    DeleteObject(brush);
}

void CKalendrixDlg::OnListClick(NMHDR* header, LRESULT* result)
{
    ShowRecord(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem);
    *result = 0;
}

void CKalendrixDlg::OnListItemChanged(NMHDR* header, LRESULT* result)
{
    ShowRecord(reinterpret_cast<NMLISTVIEW*>(header)->iItem);
    *result = 0;
}
