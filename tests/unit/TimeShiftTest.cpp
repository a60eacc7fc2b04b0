#include "datetime/TimeShift.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

const LONGLONG kTicksPerSecond = 10000000LL;
const LONGLONG kEpochTicks = 11644473600LL * kTicksPerSecond;

LONGLONG StampOfValue(TimeValue value)
{
    return kEpochTicks + value * kTicksPerSecond;
}

LONGLONG StampOfLocal(const LocalFields& fields)
{
    TimeValue value = 0;
    EXPECT_TRUE(BuildFromLocal(fields, &value)) << fields.year << "-" << fields.month << "-" << fields.day;
    return StampOfValue(value);
}

LocalFields LocalOfStamp(LONGLONG stamp)
{
    return BreakDownLocal((stamp - kEpochTicks) / kTicksPerSecond);
}

::testing::AssertionResult SameFields(const LocalFields& actual, const LocalFields& expected)
{
    if (actual.year == expected.year && actual.month == expected.month && actual.day == expected.day &&
        actual.hour == expected.hour && actual.minute == expected.minute && actual.second == expected.second)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.year << "-" << actual.month << "-" << actual.day << " "
                                         << actual.hour << ":" << actual.minute << ":" << actual.second;
}

struct LocalShift {
    LocalFields from;
    TimeOffset offset;
    LocalFields to;
};

// Cases whose local result is the same in every zone the tests run in: none of them
// crosses a change of daylight saving time with an exact duration.
const LocalShift kLocalShifts[] = {
    // Month ends: the day is cut to the new month's last.
    {{2024, 1, 31, 10, 0, 0}, {0, 1}, {2024, 2, 29, 10, 0, 0}},
    {{2023, 1, 31, 10, 0, 0}, {0, 1}, {2023, 2, 28, 10, 0, 0}},
    {{2024, 3, 31, 12, 0, 0}, {0, -1}, {2024, 2, 29, 12, 0, 0}},
    {{2010, 5, 31, 8, 0, 0}, {0, 1, 1}, {2010, 7, 1, 8, 0, 0}}, // months first, then the day
    // Leap day.
    {{2024, 2, 29, 12, 0, 0}, {1}, {2025, 2, 28, 12, 0, 0}},
    {{2024, 2, 29, 12, 0, 0}, {4}, {2028, 2, 29, 12, 0, 0}},
    // Months past twelve, and the calendar keeping the local time across seasons.
    {{2010, 1, 15, 9, 30, 0}, {0, 13}, {2011, 2, 15, 9, 30, 0}},
    {{2024, 1, 15, 12, 0, 0}, {0, 6}, {2024, 7, 15, 12, 0, 0}},
    // A camera 7 h 36 min ahead.
    {{2010, 1, 1, 10, 0, 0}, {0, 0, 0, -7, -36}, {2010, 1, 1, 2, 24, 0}},
    // Negative offsets across a year.
    {{2011, 1, 1, 3, 0, 0}, {0, 0, -1, -5}, {2010, 12, 30, 22, 0, 0}},
    {{2011, 1, 15, 12, 0, 0}, {-1, -1}, {2009, 12, 15, 12, 0, 0}},
    {{2010, 12, 31, 23, 59, 30}, {0, 0, 0, 0, 0, 45}, {2011, 1, 1, 0, 0, 15}},
};

class ShiftInKnownZone : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (HostZone() != L"Europe/Berlin" && HostZone() != L"Asia/Tokyo")
            GTEST_SKIP() << "the cases are worked out for Europe/Berlin and Asia/Tokyo only";
    }
};

class ShiftInBerlin : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (HostZone() != L"Europe/Berlin")
            GTEST_SKIP() << "daylight-saving cases of Europe/Berlin; the zone here is another";
    }
};

} // namespace

TEST_F(ShiftInKnownZone, YearsAndMonthsMoveOnTheLocalCalendarAndTheRestAsDurations)
{
    for (const LocalShift& c : kLocalShifts) {
        SCOPED_TRACE(::testing::Message() << c.from.year << "-" << c.from.month << "-" << c.from.day << " "
                                          << c.from.hour);
        LONGLONG shifted = 0;
        ASSERT_TRUE(ShiftStamp(StampOfLocal(c.from), c.offset, &shifted));
        EXPECT_TRUE(SameFields(LocalOfStamp(shifted), c.to));
    }
}

TEST_F(ShiftInKnownZone, TheFractionOfASecondIsKept)
{
    const LONGLONG fraction = 1234567;
    const LONGLONG stamp = StampOfLocal({2015, 8, 31, 23, 59, 59}) + fraction;
    for (const TimeOffset& offset : {TimeOffset{0, 0, 0, 1}, TimeOffset{0, 6}, TimeOffset{0, 0, 0, 0, 0, -1}}) {
        LONGLONG shifted = 0;
        ASSERT_TRUE(ShiftStamp(stamp, offset, &shifted));
        EXPECT_EQ((shifted - kEpochTicks) % kTicksPerSecond, fraction);
    }
}

TEST_F(ShiftInBerlin, DurationsAreExactAcrossAChangeOfDaylightSavingTime)
{
    const struct {
        LocalFields from;
        TimeOffset offset;
        LONGLONG seconds; // the exact move
        LocalFields to;
    } cases[] = {
        {{2024, 3, 31, 1, 30, 0}, {0, 0, 0, 1}, 3600, {2024, 3, 31, 3, 30, 0}},    // spring: the clocks skip 2:00..3:00
        {{2024, 10, 27, 2, 30, 0}, {0, 0, 0, 1}, 3600, {2024, 10, 27, 2, 30, 0}},  // autumn: the repeated hour
        {{2024, 3, 30, 12, 0, 0}, {0, 0, 1}, 86400, {2024, 3, 31, 13, 0, 0}},      // a day is 24 h, not a calendar day
    };
    for (const auto& c : cases) {
        const LONGLONG stamp = StampOfLocal(c.from);
        LONGLONG shifted = 0;
        ASSERT_TRUE(ShiftStamp(stamp, c.offset, &shifted));
        EXPECT_EQ(shifted - stamp, c.seconds * kTicksPerSecond) << c.from.month;
        EXPECT_TRUE(SameFields(LocalOfStamp(shifted), c.to));
    }
}

TEST_F(ShiftInBerlin, ACalendarMoveIntoTheSpringGapLandsPastIt)
{
    LONGLONG shifted = 0;
    ASSERT_TRUE(ShiftStamp(StampOfLocal({2023, 3, 31, 2, 30, 0}), TimeOffset{1}, &shifted));
    EXPECT_TRUE(SameFields(LocalOfStamp(shifted), {2024, 3, 31, 3, 30, 0}));
}

TEST(TimeShift, ResultsOutsideWhatAStampHoldsAreRefusedWithTheirWouldBeValue)
{
    const struct {
        LONGLONG stamp;
        TimeOffset offset;
        LONGLONG wouldBe; // 0: not checked
    } cases[] = {
        {StampOfValue(0), {0, 0, 0, 0, 0, -1}, StampOfValue(-1)},
        {StampOfValue(kMaxTimeValue), {0, 0, 0, 0, 0, 1}, StampOfValue(kMaxTimeValue + 1)},
        {StampOfValue(32503680000LL), {2}, 0},          // 3000-01-01 + 2 years
        {StampOfValue(946684800LL), {-100}, 0},         // 2000 - 100 years
        {StampOfValue(315532800LL), {-1000}, -1},       // 1980 - 1000 years: before any FILETIME
    };
    for (const auto& c : cases) {
        LONGLONG shifted = 0;
        EXPECT_FALSE(ShiftStamp(c.stamp, c.offset, &shifted)) << c.stamp;
        if (c.wouldBe != 0) {
            EXPECT_EQ(shifted, c.wouldBe);
        }
    }
    LONGLONG shifted = 0;
    EXPECT_TRUE(ShiftStamp(StampOfValue(1), {0, 0, 0, 0, 0, -1}, &shifted)) << "1970-01-01 00:00:00 UTC itself";
    EXPECT_EQ(shifted, StampOfValue(0));
}
