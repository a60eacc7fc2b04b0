#include "model/SourceStamp.h"

#include "support/TempFolder.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

ULONGLONG TicksOf(const FILETIME& stamp)
{
    return (static_cast<ULONGLONG>(stamp.dwHighDateTime) << 32) | stamp.dwLowDateTime;
}

} // namespace

// An instant is the stamp it names in every zone; a wall time is a local time of the
// Windows zone, to its 100 ns, and one the clocks skip is named.
TEST(SourceStamp, AnInstantStaysAndAWallTimeIsReadInTheWindowsZone)
{
    if (HostZone() != L"Europe/Berlin" && HostZone() != L"Asia/Tokyo")
        GTEST_SKIP() << "the expected stamps are listed for Europe/Berlin and Asia/Tokyo only";
    const bool berlin = HostZone() == L"Europe/Berlin";
    const ULONGLONG march = TicksOf(StampOfUtc(2024, 3, 15, 13, 22, 33)) + 1234567;
    const ULONGLONG noon = TicksOf(StampOfUtc(2024, 7, 1, berlin ? 10 : 3, 0, 0)) + 5000000;
    const ULONGLONG gap = TicksOf(StampOfUtc(2024, 3, 30, 17, 30, 0));
    const struct {
        const char* what;
        SourceDate date;
        SourceStampResult result;
        ULONGLONG ticks;
    } cases[] = {
        {"instant", SourceDate::Instant(march), SourceStampResult::stamp, march},
        {"summer noon", SourceDate::Wall({2024, 7, 1, 12, 0, 0, 5000000}), SourceStampResult::stamp, noon},
        {"Berlin's spring gap", SourceDate::Wall({2024, 3, 31, 2, 30, 0, 0}),
         berlin ? SourceStampResult::skippedLocalTime : SourceStampResult::stamp, berlin ? 0 : gap},
        {"instant before 1970", SourceDate::Instant(TicksOf(StampOfUtc(1969, 12, 31, 23, 59, 59))), SourceStampResult::outOfRange, 0},
        {"instant after 3000", SourceDate::Instant(TicksOf(StampOfUtc(3001, 1, 1, 8, 0, 0))), SourceStampResult::outOfRange, 0},
        {"wall time of year 9999", SourceDate::Wall({9999, 12, 31, 23, 59, 59, 0}), SourceStampResult::outOfRange, 0},
        {"none", SourceDate::None(NoDateReason::noDate), SourceStampResult::noDate, 0},
    };
    for (const auto& c : cases) {
        const SourceStamp stamp = StampOfSourceDate(c.date);
        EXPECT_EQ(stamp.result, c.result) << c.what;
        if (c.result == SourceStampResult::stamp) {
            EXPECT_EQ(TicksOf(stamp.stamp), c.ticks) << c.what;
        }
    }
}
