#include "GroupSwitches.h"

#include "../framework/Application.h"

namespace {

void EnableGroup(HWND dialog, const SwitchGroup& group)
{
    const BOOL on = IsDlgButtonChecked(dialog, group.switchId) == BST_CHECKED;
    for (int i = 0; i < group.controlCount; ++i)
        EnableWindow(GetDlgItem(dialog, group.controls[i]), on);
}

} // namespace

UINT StoredSwitch(SwitchGroupIndex group)
{
    return TheApplication()->ReadSetting(kProfileSection, kSwitchGroups[group].profileKey, 0);
}

void RestoreSwitch(HWND dialog, SwitchGroupIndex index, UINT storedValue)
{
    const SwitchGroup& group = kSwitchGroups[index];
    if (storedValue == 1) {
        CheckDlgButton(dialog, group.switchId, BST_CHECKED);
        EnableGroup(dialog, group);
    } else {
        CheckDlgButton(dialog, group.switchId, BST_UNCHECKED);
    }
}

void SwitchClicked(HWND dialog, SwitchGroupIndex index)
{
    const SwitchGroup& group = kSwitchGroups[index];
    const bool on = IsDlgButtonChecked(dialog, group.switchId) == BST_CHECKED;
    TheApplication()->WriteSetting(kProfileSection, group.profileKey, on ? 1 : 0);
    EnableGroup(dialog, group);
}
