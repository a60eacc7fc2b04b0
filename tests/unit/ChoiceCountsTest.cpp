#include "model/ChoiceCounts.h"

#include <gtest/gtest.h>

TEST(ChoiceCounts, GroupsDigitsInThreesWithSpaces)
{
    const struct {
        size_t count;
        const wchar_t* text;
    } cases[] = {{0, L"0"}, {999, L"999"}, {1000, L"1 000"}, {12345, L"12 345"}, {1234567, L"1 234 567"}};
    for (const auto& c : cases)
        EXPECT_EQ(GroupedCount(c.count), c.text) << c.count;
    EXPECT_EQ(ChoiceCountsText({12345, 12000, 120, 11982}), L"12 345 件（表示 12 000、フォルダ 120）・変更 11 982 件");
}
