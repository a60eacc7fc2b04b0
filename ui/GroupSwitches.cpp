// The four group switches: each enables its controls and is remembered per user.
#include "KalendrixDlg.h"

#include "../framework/WinApp.h"

void CKalendrixDlg::OnSwitch(SwitchGroupIndex index)
{
    const SwitchGroup& group = kSwitchGroups[index];
    bool on = IsDlgButtonChecked(group.switchId) == BST_CHECKED;
    AfxGetApp()->WriteProfileInt(kProfileSection, group.profileKey, on ? 1 : 0);
    for (int i = 0; i < group.controlCount; ++i)
        EnableDlgItem(group.controls[i], on);
}

void CKalendrixDlg::OnSwitchClicked(SwitchGroupIndex index)
{
    OnSwitch(index);
    if (IsDlgButtonChecked(kSwitchGroups[index].switchId) != BST_CHECKED) {
        UpdatePreview();
        return;
    }
    m_touched[index] = true;
    UpdatePreview();
    // With several files, ticking a group is how the first file's time, or the boxes'
    // flags, go to all of them.
    if (m_fileOperate.GetCount() > 1)
        EnableDlgItem(IDC_APPLY, true);
}

void CKalendrixDlg::OnSwitchCreate()
{
    OnSwitchClicked(kCreateSwitch);
}

void CKalendrixDlg::OnSwitchLastChange()
{
    OnSwitchClicked(kWriteSwitch);
}

void CKalendrixDlg::OnSwitchLastRead()
{
    OnSwitchClicked(kAccessSwitch);
}

void CKalendrixDlg::OnSwitchAttribute()
{
    OnSwitchClicked(kAttributeSwitch);
}

// Only a stored 1 turns a switch on; otherwise its controls keep their state. A restored
// switch writes nothing by itself: its group is written only once the user acts on it.
void CKalendrixDlg::RestoreSwitch(SwitchGroupIndex index, UINT storedValue)
{
    const SwitchGroup& group = kSwitchGroups[index];
    if (storedValue == 1) {
        CheckDlgButton(group.switchId, BST_CHECKED);
        OnSwitch(index);
    } else {
        CheckDlgButton(group.switchId, BST_UNCHECKED);
    }
}
