// The line under the list that counts the choice: how many items are chosen, how many the
// filter shows, how many are folders, and how many an apply would change.
#pragma once

#include <cstddef>
#include <string>

struct ChoiceCounts {
    size_t chosen = 0;
    size_t shown = 0;
    size_t folders = 0;
    size_t changed = 0;
};

// "12 345 件（表示 12 000、フォルダ 120）・変更 11 982 件"
std::wstring ChoiceCountsText(const ChoiceCounts& counts);
// A count in groups of three digits parted by spaces: "12 345".
std::wstring GroupedCount(size_t count);
