// The main dialog: the chosen files, their times, attributes and name.
#pragma once

#include "../framework/Dialog.h"
#include "../model/FileOperate.h"
#include "../res/resource.h"
#include "DialogControls.h"

#include <shellapi.h>
#include <string>

class CKalendrixDlg : public CDialog {
public:
    enum { IDD = IDD_MAIN };

    CKalendrixDlg();
    ~CKalendrixDlg() override;

    // Shows the chosen files: called after every change of the file list.
    void UpdateFileView();
    void ShowRecord(int index);
    void ShowAttributes(BYTE attributes);
    void DrawFileIcon();

    // Date-time rows.
    void WriteTimeRow(TimeRow row, TimeValue value);
    TimeValue ReadTimeRow(TimeRow row);
    void SetSpinRanges();

    // Apply.
    void ApplyChanges(FileRecord base);
    std::wstring BuildNewName();
    BYTE GetAttributeBits();

    CFileOperate& GetFileOperate() { return m_fileOperate; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDropFiles(HDROP drop);
    void OnBrowse();
    void OnSwitchAttribute();
    void OnSwitchCreate();
    void OnSwitchLastChange();
    void OnSwitchLastRead();
    void OnApply();
    void OnOriginalTime();
    void OnCurrentTime();
    void OnClearTime();
    void OnSameAsCreation();
    void OnFieldChanged(UINT id);
    void OnListClick(NMHDR* header, LRESULT* result);
    void OnListItemChanged(NMHDR* header, LRESULT* result);

    DECLARE_MESSAGE_MAP()

private:
    void HandOverFiles(const CStringArray& paths);
    void OnSwitch(SwitchGroupIndex group);
    void RestoreSwitch(SwitchGroupIndex group, UINT storedValue);

    HICON m_hIcon;
    CFileOperate m_fileOperate;
};
