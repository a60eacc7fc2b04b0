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

const CorrectionCase kCorrectionCases[] = {
    {FieldKind::year, 2100, 2049},
    {FieldKind::year, 2050, 2049},
    {FieldKind::year, 2049, 2049},
    {FieldKind::year, 1950, 1950},
    {FieldKind::year, 1949, 1950},
    {FieldKind::year, 2, 1950},
    {FieldKind::year, 0, 1950},
    {FieldKind::month, 15, 12},
    {FieldKind::month, 12, 12},
    {FieldKind::month, 0, 0}, // no lower bound: fails only when the row is read
    {FieldKind::day, 99, 99}, // the day is limited by its month, not here
    {FieldKind::day, 0, 0},
    {FieldKind::hour, 30, 24},
    {FieldKind::hour, 24, 24},
    {FieldKind::hour, -1, -1},
    {FieldKind::minute, 60, 59},
    {FieldKind::minute, 59, 59},
    {FieldKind::second, 75, 59},
    {FieldKind::second, 0, 0},
};

struct RowCheckCase {
    LocalFields fields;
    HRESULT expected;
};

const RowCheckCase kRowCheckCases[] = {
    {{2011, 2, 10, 12, 30, 45}, S_OK},
    {{1900, 1, 1, 0, 0, 0}, S_OK},
    {{2049, 12, 31, 23, 59, 59}, S_OK},
    {{2011, 2, 31, 0, 0, 0}, S_OK}, // a day past its month is left to the conversion
    {{1899, 1, 1, 0, 0, 0}, E_FAIL},
    {{2011, 0, 1, 0, 0, 0}, E_FAIL},
    {{2011, 13, 1, 0, 0, 0}, E_FAIL},
    {{2011, 1, 0, 0, 0, 0}, E_FAIL},
    {{2011, 1, 32, 0, 0, 0}, E_FAIL},
    {{2011, 1, 1, 24, 0, 0}, E_FAIL},
    {{2011, 1, 1, -1, 0, 0}, E_FAIL},
    {{2011, 1, 1, 0, 60, 0}, E_FAIL},
    {{2011, 1, 1, 0, 0, 60}, E_FAIL},
    {kUnrepresentableFields, E_FAIL},
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

TEST(FieldRules, RowsOutsideTheFieldRangesFailWithEFail)
{
    for (const RowCheckCase& c : kRowCheckCases) {
        const LocalFields& f = c.fields;
        EXPECT_EQ(CheckRowFields(f), c.expected)
            << f.year << "-" << f.month << "-" << f.day << " " << f.hour << ":" << f.minute << ":" << f.second;
    }
}
