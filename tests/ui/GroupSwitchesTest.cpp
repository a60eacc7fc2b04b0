#include "support/DialogFixture.h"

namespace {

class GroupSwitches : public DialogFixture {
protected:
    bool AllEnabled(SwitchGroupIndex index) const
    {
        const SwitchGroup& group = kSwitchGroups[index];
        for (int i = 0; i < group.controlCount; ++i)
            if (!Enabled(group.controls[i]))
                return false;
        return true;
    }
    bool NoneEnabled(SwitchGroupIndex index) const
    {
        const SwitchGroup& group = kSwitchGroups[index];
        for (int i = 0; i < group.controlCount; ++i)
            if (Enabled(group.controls[i]))
                return false;
        return true;
    }
    DWORD Stored(const wchar_t* key) const
    {
        DWORD value = 0xDEAD;
        ReadProfileValue(key, &value);
        return value;
    }
};

} // namespace

TEST_F(GroupSwitches, FirstRunLeavesEverySwitchOffAndEveryGroupDisabled)
{
    Choose({folder.MakeFile(L"a.txt")});
    for (int index = 0; index < kSwitchGroupCount; ++index) {
        EXPECT_TRUE(Enabled(kSwitchGroups[index].switchId));
        EXPECT_FALSE(Checked(kSwitchGroups[index].switchId));
        EXPECT_TRUE(NoneEnabled(static_cast<SwitchGroupIndex>(index)));
    }
}

TEST_F(GroupSwitches, OnlyAStoredOneTurnsASwitchOnAndOtherValuesAreNotRewritten)
{
    StoreProfileValue(L"fileCreate", 1);
    StoreProfileValue(L"fileLastChange", 0);
    StoreProfileValue(L"fileLastRead", 2);
    Choose({folder.MakeFile(L"a.txt")});

    EXPECT_TRUE(Checked(IDC_SWITCH_CREATE));
    EXPECT_TRUE(AllEnabled(kCreateSwitch));
    EXPECT_FALSE(Checked(IDC_SWITCH_WRITE));
    EXPECT_TRUE(NoneEnabled(kWriteSwitch));
    EXPECT_FALSE(Checked(IDC_SWITCH_ACCESS));
    EXPECT_TRUE(NoneEnabled(kAccessSwitch));
    EXPECT_EQ(Stored(L"fileLastRead"), 2u);
    EXPECT_EQ(Stored(L"fileLastChange"), 0u);
}

TEST_F(GroupSwitches, OffSwitchKeepsTheEnabledStateItsGroupHad)
{
    Choose({folder.MakeFile(L"a.txt")});
    Click(IDC_SWITCH_WRITE);
    ASSERT_TRUE(AllEnabled(kWriteSwitch));
    StoreProfileValue(L"fileLastChange", 0);

    Choose({folder.MakeFile(L"b.txt")});
    EXPECT_FALSE(Checked(IDC_SWITCH_WRITE));
    EXPECT_TRUE(AllEnabled(kWriteSwitch)) << "a refresh does not run the handler of a switch stored off";
}

TEST_F(GroupSwitches, ClickStoresTheSwitchAndSwitchesTheEditsOnly)
{
    Choose({folder.MakeFile(L"a.txt")});
    for (int index = 0; index < kSwitchGroupCount; ++index) {
        const SwitchGroup& group = kSwitchGroups[index];
        Click(group.switchId);
        EXPECT_TRUE(Checked(group.switchId));
        EXPECT_EQ(Stored(group.profileKey), 1u) << "switch " << group.switchId;
        EXPECT_TRUE(AllEnabled(static_cast<SwitchGroupIndex>(index))) << "switch " << group.switchId;
        Click(group.switchId);
        EXPECT_EQ(Stored(group.profileKey), 0u) << "switch " << group.switchId;
        EXPECT_TRUE(NoneEnabled(static_cast<SwitchGroupIndex>(index))) << "switch " << group.switchId;
    }
    for (const TimeRowControls& row : kTimeRows)
        for (int spin : row.spins)
            EXPECT_TRUE(Enabled(spin)) << "spin " << spin;
    EXPECT_FALSE(Enabled(IDC_ATTR_COMPRESSED));
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

TEST_F(GroupSwitches, RowKeepsItsNumbersWhenSwitchedOffAndOn)
{
    Choose({folder.MakeFile(L"a.txt")});
    std::wstring shown = RowText(kCreationRow);
    Click(IDC_SWITCH_CREATE);
    Click(IDC_SWITCH_CREATE);
    Click(IDC_SWITCH_CREATE);
    EXPECT_EQ(RowText(kCreationRow), shown);
}

TEST_F(GroupSwitches, ClickedSwitchSurvivesANewDialog)
{
    std::wstring path = folder.MakeFile(L"a.txt");
    Choose({path});
    Click(IDC_SWITCH_CREATE);
    Click(IDC_SWITCH_ATTRIBUTE);
    dialog.DestroyWindow();

    CKalendrixDlg next;
    ASSERT_TRUE(next.Create());
    next.HandOverFiles({path});
    EXPECT_EQ(next.IsDlgButtonChecked(IDC_SWITCH_CREATE), static_cast<UINT>(BST_CHECKED));
    EXPECT_TRUE(IsWindowEnabled(next.GetDlgItem(IDC_CREATE_YEAR)));
    EXPECT_EQ(next.IsDlgButtonChecked(IDC_SWITCH_ATTRIBUTE), static_cast<UINT>(BST_CHECKED));
    EXPECT_TRUE(IsWindowEnabled(next.GetDlgItem(IDC_ATTR_READONLY)));
    EXPECT_EQ(next.IsDlgButtonChecked(IDC_SWITCH_WRITE), static_cast<UINT>(BST_UNCHECKED));
    next.DestroyWindow();
    ASSERT_TRUE(dialog.Create());
}
