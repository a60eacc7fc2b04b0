#include "support/ApplyFixture.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class LocalTimeApply : public ApplyFixture {
protected:
    void SetUp() override
    {
        ApplyFixture::SetUp();
        tokyo = HostZone() == L"Asia/Tokyo";
        if (!tokyo && HostZone() != L"Europe/Berlin")
            GTEST_SKIP() << "the days of the clock changes are listed for Europe/Berlin and Asia/Tokyo only";
    }

    bool tokyo = false;
};

} // namespace

// Berlin's clocks go from 2:00 to 3:00 on 2024-03-31: 2:30 that day never happens, and
// the runtime's mktime wrote it as 1:30 without a word.
TEST_F(LocalTimeApply, ATimeInTheSpringGapIsRefusedByName)
{
    std::wstring path = MakeStampedFile(L"spring.txt");
    ChooseOne(path);
    SetRow(kWriteRow, {2024, 3, 31, 2, 30, 0});
    dialog.CheckDlgButton(IDC_SWITCH_ACCESS, BST_UNCHECKED);
    Apply();
    std::vector<ShownMessageBox> shown = boxes.Take();
    if (tokyo) {
        EXPECT_TRUE(shown.empty());
        EXPECT_EQ(WriteSecondsOf(path), 1711819800u);
        return;
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, L"更新日時の 2024年3月31日 2:30:00 は、夏時間の始まりで時計が進められるため、存在しない時刻です。\r\n"
                             L"ファイルは何も変更されていません。");
    EXPECT_EQ(WriteSecondsOf(path), static_cast<ULONGLONG>(kOldWrite));
}

// Berlin's clocks go from 3:00 back to 2:00 on 2024-10-27: 2:30 happens twice, and the
// first time (summer time, 0:30 UTC) is the one written.
TEST_F(LocalTimeApply, ATimeInTheRepeatedAutumnHourIsItsFirstOccurrence)
{
    std::wstring path = MakeStampedFile(L"autumn.txt");
    ChooseOne(path);
    SetRow(kWriteRow, {2024, 10, 27, 2, 30, 0});
    dialog.CheckDlgButton(IDC_SWITCH_ACCESS, BST_UNCHECKED);
    Apply();
    EXPECT_TRUE(boxes.Take().empty());
    EXPECT_EQ(WriteSecondsOf(path), tokyo ? 1729963800u : 1729989000u);
}
