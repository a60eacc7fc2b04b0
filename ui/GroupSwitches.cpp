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
    // With several files, ticking a row is how the first file's time goes to all of them.
    if (on && index != kAttributeSwitch && m_fileOperate.GetCount() > 1)
        EnableDlgItem(IDC_APPLY, true);
}

void CKalendrixDlg::OnSwitchCreate()
{
    OnSwitch(kCreateSwitch);
}

void CKalendrixDlg::OnSwitchLastChange()
{
    OnSwitch(kWriteSwitch);
}

void CKalendrixDlg::OnSwitchLastRead()
{
    OnSwitch(kAccessSwitch);
}

void CKalendrixDlg::OnSwitchAttribute()
{
    OnSwitch(kAttributeSwitch);
}

// Only a stored 1 turns a switch on; otherwise its controls keep their state.
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
