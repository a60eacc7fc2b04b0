#include "sources/NameDate.h"

#include <gtest/gtest.h>

namespace {

// What a name reads as: "2024-03-15 14:22:33.123", "none" or "impossible".
std::string Reading(const SourceDate& date)
{
    if (!date.Found())
        return date.reason == NoDateReason::impossibleDate ? "impossible" : "none";
    EXPECT_EQ(date.kind, SourceDate::Kind::wallTime);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03u", date.wall.year, date.wall.month,
                  date.wall.day, date.wall.hour, date.wall.minute, date.wall.second, date.wall.ticks / 10000);
    return text;
}

} // namespace

TEST(DateInName, ReadsTheFormsOfCamerasPhonesAndMessengers)
{
    const struct {
        const wchar_t* name;
        const char* reading;
    } cases[] = {
        // every form of the table
        {L"IMG_20240315_142233.jpg", "2024-03-15 14:22:33.000"},
        {L"VID_20240315_142233.mp4", "2024-03-15 14:22:33.000"},
        {L"PXL_20240315_142233123.jpg", "2024-03-15 14:22:33.123"},
        {L"PXL_20240315_142233123.MP.jpg", "2024-03-15 14:22:33.123"},
        {L"MVIMG_20240315_142233.jpg", "2024-03-15 14:22:33.000"},
        {L"IMG-20240315-WA0007.jpg", "2024-03-15 00:00:00.000"},
        {L"VID-20240315-WA0012.mp4", "2024-03-15 00:00:00.000"},
        {L"WhatsApp Image 2024-03-15 at 14.22.33.jpeg", "2024-03-15 14:22:33.000"},
        {L"WhatsApp Video 2024-03-15 at 14.22.33.mp4", "2024-03-15 14:22:33.000"},
        {L"Screenshot_2024-03-15-14-22-33.png", "2024-03-15 14:22:33.000"},
        {L"Screenshot_20240315-142233.png", "2024-03-15 14:22:33.000"},
        {L"Screenshot_20240315_142233_Chrome.jpg", "2024-03-15 14:22:33.000"},
        {L"Screenshot 2024-03-15 at 14.22.33.png", "2024-03-15 14:22:33.000"},
        {L"signal-2024-03-15-142233.jpg", "2024-03-15 14:22:33.000"},
        {L"signal-2024-03-15-14-22-33-456.jpg", "2024-03-15 14:22:33.456"},
        {L"2024-03-15 14.22.33.jpg", "2024-03-15 14:22:33.000"},
        {L"20240315_142233.jpg", "2024-03-15 14:22:33.000"},
        // what may follow a form, and letters in either case
        {L"IMG_20240315_142233_1.jpg", "2024-03-15 14:22:33.000"},
        {L"IMG_20240315_142233~2.jpg", "2024-03-15 14:22:33.000"},
        {L"img_20240315_142233", "2024-03-15 14:22:33.000"},
        {L"20240229_000000.jpg", "2024-02-29 00:00:00.000"},
        {L"20241231_235959.jpg", "2024-12-31 23:59:59.000"},
        // digits that name no real time
        {L"IMG_20241315_142233.jpg", "impossible"},
        {L"IMG_20240230_142233.jpg", "impossible"},
        {L"IMG_20230229_120000.jpg", "impossible"},
        {L"IMG_20240315_242233.jpg", "impossible"},
        {L"IMG_20240315_146033.jpg", "impossible"},
        {L"IMG-20240000-WA0001.jpg", "impossible"},
        {L"00000000_000000.jpg", "impossible"},
        // names no form fits
        {L"IMG_2024031_142233.jpg", "none"},
        {L"IMG_20240315_1422339.jpg", "none"},
        {L"IMG_20240315-142233.jpg", "none"},
        {L"photo IMG_20240315_142233.jpg", "none"},
        {L"DSC01234.JPG", "none"},
        {L"IMG_", "none"},
        {L"", "none"},
        {L"ＩＭＧ_20240315_142233.jpg", "none"},
        {L"IMG_２０２４0315_142233.jpg", "none"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Reading(DateInName(c.name)), c.reading) << testing::PrintToString(std::wstring(c.name));
}

// A form whose letters the reader did not know could never fit a name: each form, its
// letters filled with the digits of 2024-03-15 14:22:33.123, reads as that time.
TEST(DateInName, EveryFormOfTheTableFitsANameOfItsShape)
{
    const std::wstring letters = L"YMDhmsf#";
    const std::wstring fills[] = {L"2024", L"03", L"15", L"14", L"22", L"33", L"123", L"0"};
    for (std::size_t i = 0; i < kNameDateFormCount; ++i) {
        std::wstring shape = kNameDateForms[i].shape;
        std::size_t used[8] = {};
        for (wchar_t& c : shape) {
            const std::size_t k = letters.find(c);
            if (k != std::wstring::npos)
                c = fills[k][used[k]++ % fills[k].size()];
        }
        const std::wstring name = kNameDateForms[i].prefix + shape;
        const SourceDate date = DateInName(name + L".jpg");
        ASSERT_TRUE(date.Found()) << testing::PrintToString(name);
        EXPECT_EQ(date.wall.year, 2024);
        EXPECT_EQ(date.wall.day, 15);
        EXPECT_TRUE(date.wall.hour == 14 || date.wall.hour == 0) << testing::PrintToString(name);
    }
}
