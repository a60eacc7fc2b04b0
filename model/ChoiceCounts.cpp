#include "ChoiceCounts.h"

std::wstring GroupedCount(size_t count)
{
    const std::wstring digits = std::to_wstring(count);
    std::wstring grouped;
    for (size_t index = 0; index < digits.size(); ++index) {
        if (index > 0 && (digits.size() - index) % 3 == 0)
            grouped += L' ';
        grouped += digits[index];
    }
    return grouped;
}

std::wstring ChoiceCountsText(const ChoiceCounts& counts)
{
    return GroupedCount(counts.chosen) + L" 件（表示 " + GroupedCount(counts.shown) + L"、フォルダ " +
           GroupedCount(counts.folders) + L"）・変更 " + GroupedCount(counts.changed) + L" 件";
}
