#include "datetime/TimeValue.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct KnownInstant {
    LocalFields local;
    TimeValue berlin;
    TimeValue tokyo;
};

// Local civil times and the UTC seconds they stand for in each zone.
const KnownInstant kKnownInstants[] = {
    {{2011, 7, 1, 12, 0, 0}, 1309514400, 1309489200},   // summer: Berlin UTC+2
    {{2011, 1, 15, 12, 0, 0}, 1295089200, 1295060400},  // winter: Berlin UTC+1
    {{2011, 10, 30, 3, 30, 0}, 1319941800, 1319913000}, // just after Berlin's clocks went back
    {{2021, 7, 1, 14, 0, 0}, 1625140800, 1625115600},   // Berlin's summer, whatever TZ says
    {{2021, 3, 28, 1, 30, 0}, 1616891400, 1616862600},  // Berlin's last winter hour, not the United States' rules
    {{2024, 10, 27, 2, 30, 0}, 1729989000, 1729963800}, // Berlin's repeated hour: its first occurrence, in summer time
    {{2049, 12, 31, 23, 59, 59}, 2524604399, 2524575599},
};

TimeValue Expected(const KnownInstant& instant)
{
    return HostZone() == L"Asia/Tokyo" ? instant.tokyo : instant.berlin;
}

class KnownZone : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (HostZone() != L"Europe/Berlin" && HostZone() != L"Asia/Tokyo")
            GTEST_SKIP() << "known instants are listed for Europe/Berlin and Asia/Tokyo only";
    }
};

} // namespace

TEST_F(KnownZone, LocalFieldsBuildTheUtcSecondOfTheirZone)
{
    for (const KnownInstant& instant : kKnownInstants) {
        TimeValue value = 0;
        ASSERT_TRUE(BuildFromLocal(instant.local, &value)) << instant.local.year;
        EXPECT_EQ(value, Expected(instant)) << instant.local.year << "-" << instant.local.month;
    }
}

TEST_F(KnownZone, TimeValuesBreakDownIntoTheLocalFieldsInForceOnTheirDate)
{
    for (const KnownInstant& instant : kKnownInstants) {
        LocalFields fields = BreakDownLocal(Expected(instant));
        EXPECT_EQ(fields.year, instant.local.year);
        EXPECT_EQ(fields.month, instant.local.month);
        EXPECT_EQ(fields.day, instant.local.day);
        EXPECT_EQ(fields.hour, instant.local.hour) << instant.local.year << "-" << instant.local.month;
        EXPECT_EQ(fields.minute, instant.local.minute);
        EXPECT_EQ(fields.second, instant.local.second);
    }
}

TEST_F(KnownZone, TimesInTheSpringGapDoNotExist)
{
    const bool berlin = HostZone() == L"Europe/Berlin";
    const struct {
        LocalFields local;
        bool skippedInBerlin;
    } cases[] = {
        {{2024, 3, 31, 1, 59, 59}, false},
        {{2024, 3, 31, 2, 0, 0}, true},
        {{2024, 3, 31, 2, 30, 0}, true},
        {{2024, 3, 31, 2, 59, 59}, true},
        {{2024, 3, 31, 3, 0, 0}, false},
        {{2024, 10, 27, 2, 0, 0}, false},
    };
    for (const auto& c : cases) {
        const bool skipped = berlin && c.skippedInBerlin;
        TimeValue value = 123;
        EXPECT_EQ(IsSkippedLocalTime(c.local), skipped) << c.local.hour << ":" << c.local.minute;
        EXPECT_EQ(BuildFromLocal(c.local, &value), !skipped) << c.local.hour << ":" << c.local.minute;
        if (skipped)
            EXPECT_EQ(value, 123);
        else
            EXPECT_EQ(BreakDownLocal(value).hour, c.local.hour);
    }
}

// Explorer shows a stamp by the rules in force in the stamp's year. Needs a zone whose
// rules changed and a platform that keeps them by year (the tests run one in
// America/Los_Angeles: the United States moved their dates in 2007).
TEST(LocalTime, FollowsTheRulesOfTheStampsOwnYear)
{
    DYNAMIC_TIME_ZONE_INFORMATION zone = {};
    GetDynamicTimeZoneInformation(&zone);
    TIME_ZONE_INFORMATION today = {};
    if (!GetTimeZoneInformationForYear(2024, &zone, &today))
        GTEST_SKIP() << "this zone (TZ=" << HostZone().c_str() << ") has no rules by year";
    int year = 1970;
    TIME_ZONE_INFORMATION then = {};
    for (; year < 2024; ++year) {
        ASSERT_TRUE(GetTimeZoneInformationForYear(static_cast<USHORT>(year), &zone, &then));
        if (then.Bias != today.Bias || then.DaylightBias != today.DaylightBias ||
            memcmp(&then.StandardDate, &today.StandardDate, sizeof(SYSTEMTIME)) != 0 ||
            memcmp(&then.DaylightDate, &today.DaylightDate, sizeof(SYSTEMTIME)) != 0)
            break;
    }
    if (year == 2024)
        GTEST_SKIP() << "the platform keeps no rules by year for this zone (TZ=" << HostZone().c_str()
                     << "): every year since 1970 reads with today's";

    int differing = 0;
    for (int month = 1; month <= 12; ++month) {
        SYSTEMTIME utc = {static_cast<WORD>(year), static_cast<WORD>(month), 0, 15, 12, 0, 0, 0};
        FILETIME stamp;
        ASSERT_TRUE(SystemTimeToFileTime(&utc, &stamp));
        TimeValue value = 0;
        ASSERT_EQ(FileTimeToTimeValue(stamp, &value), StampConversion::converted);
        SYSTEMTIME expected;
        SYSTEMTIME byTodaysRules;
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(&then, &utc, &expected));
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(&today, &utc, &byTodaysRules));
        differing += expected.wHour != byTodaysRules.wHour;
        const LocalFields shown = BreakDownLocal(value);
        EXPECT_EQ(shown.hour, expected.wHour) << year << "-" << month;
        TimeValue back = 0;
        EXPECT_TRUE(BuildFromLocal(shown, &back));
        EXPECT_EQ(back, value) << year << "-" << month;
    }
    EXPECT_GT(differing, 0) << "the 15th of no month of " << year << " tells the two rules apart";
}

// A zone without rules by year (the tests run one as TZ=CET-1CEST, without dates) showed
// no time at all: every stamp is shown by the zone's current rules instead, and back.
TEST(LocalTime, AZoneWithoutRulesByYearShowsItsCurrentRules)
{
    DYNAMIC_TIME_ZONE_INFORMATION zone = {};
    GetDynamicTimeZoneInformation(&zone);
    TIME_ZONE_INFORMATION rules = {};
    if (GetTimeZoneInformationForYear(2011, &zone, &rules))
        GTEST_SKIP() << "this zone (TZ=" << HostZone().c_str() << ") keeps rules by year";
    ASSERT_NE(GetTimeZoneInformation(&rules), TIME_ZONE_ID_INVALID);
    for (const TimeValue value : {1309514400LL /* 2011-07-01 10:00 UTC */, 1295089207LL /* 2011-01-15 */}) {
        FILETIME stamp;
        ASSERT_TRUE(TimeValueToFileTime(value, &stamp));
        SYSTEMTIME utc, expected;
        ASSERT_TRUE(FileTimeToSystemTime(&stamp, &utc));
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(&rules, &utc, &expected));
        const LocalFields shown = BreakDownLocal(value);
        EXPECT_EQ(shown.year, expected.wYear) << value;
        EXPECT_EQ(shown.hour, expected.wHour) << value;
        EXPECT_EQ(shown.minute, expected.wMinute) << value;
        TimeValue back = 0;
        EXPECT_TRUE(BuildFromLocal(shown, &back)) << value;
        EXPECT_EQ(back, value);
    }
}

TEST_F(KnownZone, ZeroIsTheEpochInLocalTime)
{
    LocalFields epoch = BreakDownLocal(0);
    EXPECT_EQ(epoch.year, 1970);
    EXPECT_EQ(epoch.month, 1);
    EXPECT_EQ(epoch.day, 1);
    EXPECT_EQ(epoch.hour, HostZone() == L"Asia/Tokyo" ? 9 : 1);
}

TEST(TimeValue, ValuesOutsideTheRuntimesRangeCannotBeBrokenDown)
{
    for (TimeValue value : {TimeValue(-1), kMaxTimeValue + 1}) {
        LocalFields fields = BreakDownLocal(value);
        EXPECT_EQ(fields.year, 0);
        EXPECT_EQ(fields.hour, -1);
        EXPECT_EQ(fields.second, -1);
    }
    EXPECT_NE(BreakDownLocal(kMaxTimeValue).year, 0);
}

TEST_F(KnownZone, LocalTimesBeforeTheEpochAreNotRepresentable)
{
    TimeValue value = 123;
    EXPECT_FALSE(BuildFromLocal({1960, 5, 5, 12, 0, 0}, &value));
    EXPECT_FALSE(BuildFromLocal({1969, 12, 31, 23, 0, 0}, &value));
    EXPECT_EQ(value, 123);
}

TEST(DaysInMonth, FollowsTheGregorianCalendar)
{
    const struct {
        int year, month, days;
    } cases[] = {
        {2011, 1, 31}, {2011, 2, 28}, {2012, 2, 29}, {2000, 2, 29}, {1900, 2, 28}, {2011, 4, 30},
        {2011, 6, 30}, {2011, 9, 30}, {2011, 11, 30}, {2011, 12, 31}, {2011, 0, 31}, {2011, 13, 31},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DaysInMonth(c.year, c.month), c.days) << c.year << "-" << c.month;
}

namespace {

FILETIME Stamp(ULONGLONG ticks)
{
    FILETIME stamp;
    stamp.dwLowDateTime = static_cast<DWORD>(ticks);
    stamp.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return stamp;
}

FILETIME UtcStamp(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD millis = 0)
{
    SYSTEMTIME utc = {year, month, 0, day, hour, minute, second, millis};
    FILETIME stamp = {};
    SystemTimeToFileTime(&utc, &stamp);
    return stamp;
}

} // namespace

// A stamp's value is its own UTC second in every season, whatever today's offset is:
// a summer stamp read in winter must not come out an hour off.
TEST(StampConversion, GivesTheStampsOwnUtcSecond)
{
    const struct {
        FILETIME stamp;
        TimeValue value;
    } cases[] = {
        {UtcStamp(2011, 7, 1, 10, 0, 0), 1309514400},
        {UtcStamp(2011, 1, 15, 11, 0, 0, 999), 1295089200},
        {UtcStamp(1970, 1, 1, 0, 0, 0), 0},
        {UtcStamp(3001, 1, 1, 7, 59, 59), kMaxTimeValue},
    };
    for (const auto& c : cases) {
        TimeValue value = -1;
        EXPECT_EQ(FileTimeToTimeValue(c.stamp, &value), StampConversion::converted);
        EXPECT_EQ(value, c.value);
    }
}

TEST(StampConversion, StampsBefore1900ReadAsNoTimeAndOthersOutOfRangeFail)
{
    TimeValue value = -1;
    EXPECT_EQ(FileTimeToTimeValue(UtcStamp(1899, 12, 31, 12, 0, 0), &value), StampConversion::noTime);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(FileTimeToTimeValue(Stamp(0), &value), StampConversion::noTime);
    EXPECT_EQ(FileTimeToTimeValue(Stamp(0x8000000000000000ULL), &value), StampConversion::noTime);
    EXPECT_EQ(FileTimeToTimeValue(UtcStamp(1965, 6, 1, 0, 0, 0), &value), StampConversion::unrepresentable);
    EXPECT_EQ(FileTimeToTimeValue(UtcStamp(1969, 12, 31, 23, 59, 59), &value), StampConversion::unrepresentable);
    EXPECT_EQ(FileTimeToTimeValue(UtcStamp(3001, 1, 1, 8, 0, 0), &value), StampConversion::unrepresentable);
}

TEST(StampConversion, TimeValuesBecomeExactStampsAndRoundTrip)
{
    for (TimeValue value : {TimeValue(0), TimeValue(1309514400), TimeValue(1295089200), kMaxTimeValue}) {
        FILETIME stamp;
        ASSERT_TRUE(TimeValueToFileTime(value, &stamp));
        TimeValue back = -1;
        EXPECT_EQ(FileTimeToTimeValue(stamp, &back), StampConversion::converted);
        EXPECT_EQ(back, value);
    }
    FILETIME summer;
    ASSERT_TRUE(TimeValueToFileTime(1309514400, &summer));
    FILETIME expected = UtcStamp(2011, 7, 1, 10, 0, 0);
    EXPECT_EQ(summer.dwLowDateTime, expected.dwLowDateTime);
    EXPECT_EQ(summer.dwHighDateTime, expected.dwHighDateTime);

    FILETIME untouched = {1, 2};
    EXPECT_FALSE(TimeValueToFileTime(-1, &untouched));
    EXPECT_FALSE(TimeValueToFileTime(kMaxTimeValue + 1, &untouched));
}

// A date read from a file keeps its part of a second; the spring gap is refused as for
// typed times.
TEST_F(KnownZone, LocalFieldsWithAPartOfASecondBuildTheStampOfTheirZone)
{
    const LocalStampBuild built = LocalStampBuild::built;
    const struct {
        LocalFields local;
        unsigned ticks;
        LocalStampBuild berlin;
        FILETIME berlinUtc;
        LocalStampBuild tokyo;
        FILETIME tokyoUtc;
    } cases[] = {
        {{2024, 7, 1, 12, 0, 0}, 1234567, built, UtcStamp(2024, 7, 1, 10, 0, 0), built, UtcStamp(2024, 7, 1, 3, 0, 0)},
        {{2024, 1, 15, 0, 0, 0}, 9999999, built, UtcStamp(2024, 1, 14, 23, 0, 0), built, UtcStamp(2024, 1, 14, 15, 0, 0)},
        {{2024, 3, 31, 2, 30, 0}, 5000000, LocalStampBuild::skipped, {}, built, UtcStamp(2024, 3, 30, 17, 30, 0)},
        {{1970, 1, 1, 0, 30, 0}, 0, LocalStampBuild::outOfRange, {}, LocalStampBuild::outOfRange, {}},
        {{2024, 7, 1, 12, 0, 0}, 10000000, LocalStampBuild::outOfRange, {}, LocalStampBuild::outOfRange, {}},
    };
    const bool berlin = HostZone() == L"Europe/Berlin";
    for (const auto& c : cases) {
        const LocalStampBuild expected = berlin ? c.berlin : c.tokyo;
        FILETIME stamp = {};
        ASSERT_EQ(BuildStampFromLocal(c.local, c.ticks, &stamp), expected) << c.local.year << "-" << c.local.month;
        if (expected != built)
            continue;
        const FILETIME whole = berlin ? c.berlinUtc : c.tokyoUtc;
        const ULONGLONG wholeTicks = (static_cast<ULONGLONG>(whole.dwHighDateTime) << 32) | whole.dwLowDateTime;
        EXPECT_EQ((static_cast<ULONGLONG>(stamp.dwHighDateTime) << 32) | stamp.dwLowDateTime, wholeTicks + c.ticks)
            << c.local.year << "-" << c.local.month;
    }
}
