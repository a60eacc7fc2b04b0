#include "datetime/FieldRules.h"

#include <gtest/gtest.h>

namespace {

struct StripCase {
    const wchar_t* text;
    bool stripped;
    const wchar_t* result;
};

const StripCase kStripCases[] = {
    {L"0007", true, L"7"},
    {L"00", true, L"0"},
    {L"0012", true, L"12"},
    {L"010", true, L"10"},
    // Texts that stand: one character, or no leading zero.
    {L"0", false, L""},
    {L"7", false, L""},
    {L"100", false, L""},
    {L"", false, L""},
};

struct CorrectionCase {
    FieldKind kind;
    int value;
    int expected;
};

// Every corrected value is one a file stamp can take.
const CorrectionCase kCorrectionCases[] = {
    {FieldKind::year, 30000, 3000},
    {FieldKind::year, 3001, 3000},
    {FieldKind::year, 3000, 3000},
    {FieldKind::year, 2050, 2050},
    {FieldKind::year, 1970, 1970},
    // A four-digit year before 1970 stands: the apply refuses it, naming the range.
    {FieldKind::year, 1969, 1969},
    {FieldKind::year, 1000, 1000},
    // Fewer than four digits: brought up to the first writable year.
    {FieldKind::year, 999, 1970},
    {FieldKind::year, 2, 1970},
    {FieldKind::year, 0, 1970},
    {FieldKind::month, 15, 12},
    {FieldKind::month, 12, 12},
    {FieldKind::month, 0, 0}, // no lower bound: fails only when the row is read
    {FieldKind::day, 99, 99}, // the day is limited by its month, not here
    {FieldKind::day, 0, 0},
    {FieldKind::hour, 30, 23},
    {FieldKind::hour, 24, 23},
    {FieldKind::hour, 23, 23},
    {FieldKind::hour, -1, -1},
    {FieldKind::minute, 60, 59},
    {FieldKind::minute, 59, 59},
    {FieldKind::second, 75, 59},
    {FieldKind::second, 0, 0},
};

struct RangeCase {
    FieldKind kind;
    int year;
    int month;
    FieldRange expected;
};

// What a row must hold to be written: the years a stamp reaches, the day within its month.
const RangeCase kRangeCases[] = {
    {FieldKind::year, 2011, 2, {1970, 3000}},
    {FieldKind::month, 2011, 2, {1, 12}},
    {FieldKind::day, 2011, 2, {1, 28}},
    {FieldKind::day, 2012, 2, {1, 29}},
    {FieldKind::day, 2011, 4, {1, 30}},
    {FieldKind::day, 2011, 0, {1, 31}},
    {FieldKind::hour, 2011, 2, {0, 23}},
    {FieldKind::minute, 2011, 2, {0, 59}},
    {FieldKind::second, 2011, 2, {0, 59}},
};

} // namespace

TEST(FieldRules, LeadingZerosAreStrippedFromTextsOfTwoOrMoreCharacters)
{
    for (const StripCase& c : kStripCases) {
        std::wstring result;
        EXPECT_EQ(StripLeadingZeros(c.text, &result), c.stripped) << c.text;
        if (c.stripped) {
            EXPECT_EQ(result, c.result) << c.text;
        }
    }
}

TEST(FieldRules, ValuesReadTheLeadingNumberAndFormatPlainDecimal)
{
    EXPECT_EQ(FieldValue(L""), 0);
    EXPECT_EQ(FieldValue(L"2011"), 2011);
    EXPECT_EQ(FieldValue(L"12x"), 12);
    EXPECT_EQ(FieldValue(L"-1"), -1);
    EXPECT_EQ(FieldText(2011), L"2011");
    EXPECT_EQ(FieldText(-1), L"-1");
}

TEST(FieldRules, OutOfRangeValuesAreCorrectedByKind)
{
    for (const CorrectionCase& c : kCorrectionCases) {
        int corrected = c.value;
        EXPECT_EQ(CorrectFieldValue(c.kind, c.value, &corrected), c.expected != c.value)
            << static_cast<int>(c.kind) << ": " << c.value;
        EXPECT_EQ(corrected, c.expected) << static_cast<int>(c.kind) << ": " << c.value;
    }
}

TEST(FieldRules, WritableRangesEndAtTheYearsAStampReachesAndTheMonthsLength)
{
    for (const RangeCase& c : kRangeCases) {
        FieldRange range = WritableRange(c.kind, c.year, c.month);
        EXPECT_EQ(range.lower, c.expected.lower) << static_cast<int>(c.kind) << " " << c.year << "-" << c.month;
        EXPECT_EQ(range.upper, c.expected.upper) << static_cast<int>(c.kind) << " " << c.year << "-" << c.month;
    }
}

TEST(FieldRules, OnlyPlainDigitsAreNumbers)
{
    for (const wchar_t* text : {L"0", L"7", L"2011", L"123456789"})
        EXPECT_TRUE(IsFieldNumber(text)) << text;
    for (const wchar_t* text : {L"", L"abc", L"1a", L" 1", L"-1", L"+1", L"１", L"1234567890"})
        EXPECT_FALSE(IsFieldNumber(text)) << text;
}

TEST(FieldRules, OffsetFieldsKeepALeadingMinusAndSixDigits)
{
    const struct {
        const wchar_t* typed;
        const wchar_t* kept;
        int value;
    } cases[] = {
        {L"-7", L"-7", -7},     {L"36", L"36", 36},      {L"-", L"-", 0},          {L"", L"", 0},
        {L"-007", L"-7", -7},   {L"000", L"0", 0},       {L"7-", L"7", 7},         {L"1a2", L"12", 12},
        {L"--3", L"-3", -3},    {L"1234567", L"123456", 123456},                   {L"-0", L"-0", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OffsetFieldText(c.typed), c.kept) << c.typed;
        EXPECT_EQ(OffsetFieldValue(c.typed), c.value) << c.typed;
    }
}
