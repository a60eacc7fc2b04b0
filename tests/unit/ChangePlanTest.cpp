#include "model/ChangePlan.h"
#include "model/FileStateAccess.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

const LONGLONG kSecond = 10000000LL;

LONGLONG StampOfValue(TimeValue value)
{
    return (11644473600LL + value) * kSecond;
}

const TimeValue kWrite = 1262340000;  // 2010-01-01 10:00:00 UTC
const TimeValue kAccess = 1300000000; // 2011-03-13
const TimeValue kNew = 1400000000;    // 2014-05-13

FileItem ReadItem(LONGLONG creation, LONGLONG write, LONGLONG access, DWORD attributes = FILE_ATTRIBUTE_ARCHIVE)
{
    FileItem item;
    item.path = L"C:\\a.txt";
    item.state = {creation, write, access, attributes};
    item.error = ERROR_SUCCESS;
    return item;
}

ChangeRequest SetWrite(TimeValue value)
{
    ChangeRequest request;
    request.stamps[kPlanWrite] = true;
    request.values[kPlanWrite] = value;
    return request;
}

ChangeRequest ShiftWriteAndCreation(const TimeOffset& offset)
{
    ChangeRequest request;
    request.mode = ChangeMode::shift;
    request.stamps[kPlanWrite] = request.stamps[kPlanCreation] = true;
    request.offsets[kPlanWrite] = request.offsets[kPlanCreation] = offset;
    return request;
}

FileItem Unread(DWORD error = ERROR_ACCESS_DENIED)
{
    FileItem item = ReadItem(StampOfValue(kWrite), StampOfValue(kWrite), StampOfValue(kAccess));
    item.error = error;
    return item;
}

} // namespace

TEST(ChangePlan, EachItemGetsItsTargetAndTheChangesItsOwnStateShows)
{
    const LONGLONG write = StampOfValue(kWrite) + 1234567; // with a fraction
    const LONGLONG access = StampOfValue(kAccess);
    const TimeOffset back{0, 0, 0, -7, -36};
    const LONGLONG shiftedWrite = write - (7 * 3600 + 36 * 60) * kSecond;
    const struct {
        const char* what;
        FileItem item;
        ChangeRequest request;
        FileState target;  // stamps only
        unsigned changes;
    } cases[] = {
        {"set: another second", ReadItem(0, write, access), SetWrite(kNew), {0, StampOfValue(kNew), 0}, kWritePart},
        {"set: the second it holds", ReadItem(0, write, access), SetWrite(kWrite), {0, StampOfValue(kWrite), 0}, 0},
        {"set: an item not read still gets the time", Unread(), SetWrite(kNew), {0, StampOfValue(kNew), 0}, 0},
        {"shift: its own time, fraction kept; no creation stamp, left", ReadItem(0, write, access),
         ShiftWriteAndCreation(back), {0, shiftedWrite, 0}, kWritePart},
        {"shift: both stamps", ReadItem(write, write, access), ShiftWriteAndCreation(back),
         {shiftedWrite, shiftedWrite, 0}, kCreationPart | kWritePart},
        {"shift by nothing", ReadItem(write, write, access), ShiftWriteAndCreation(TimeOffset{}), {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ItemChange change = PlanItemChange(c.item, c.request);
        EXPECT_EQ(change.target.creation, c.target.creation);
        EXPECT_EQ(change.target.write, c.target.write);
        EXPECT_EQ(change.target.access, c.target.access);
        EXPECT_EQ(change.changes, c.changes);
        EXPECT_EQ(change.refused, 0u);
        // A shifted stamp keeps what it was shifted from, for the writer to compare.
        for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
            const bool shifted = c.request.mode == ChangeMode::shift && StampOfState(c.target, stamp) != 0;
            EXPECT_EQ(change.shiftedFrom[stamp], shifted ? StampOfState(c.item.state, stamp) : 0) << stamp;
        }
    }
}

// An item not read has no stamps to shift from: a shift leaves it whole and says why; a set
// writes it, since its target does not depend on what it holds.
TEST(ChangePlan, AShiftLeavesAnItemNotReadWithTheReasonItWasNotRead)
{
    ChangeRequest flagsOnly = ShiftWriteAndCreation(TimeOffset{});
    flagsOnly.attributes = true;
    const struct {
        const char* what;
        FileItem item;
        ChangeRequest request;
        ItemLeft left;
    } cases[] = {
        {"shift, reading cancelled", Unread(ERROR_CANCELLED), ShiftWriteAndCreation(TimeOffset{0, 0, 1}),
         ItemLeft::notRead},
        {"shift, unreadable", Unread(ERROR_ACCESS_DENIED), ShiftWriteAndCreation(TimeOffset{0, 0, 1}),
         ItemLeft::notRead},
        {"shift by nothing, flags only", Unread(ERROR_CANCELLED), flagsOnly, ItemLeft::no},
        {"set", Unread(ERROR_CANCELLED), SetWrite(kNew), ItemLeft::no},
        {"shift, read", ReadItem(0, StampOfValue(kWrite), 0), ShiftWriteAndCreation(TimeOffset{0, 0, 1}),
         ItemLeft::no},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ItemChange change = PlanItemChange(c.item, c.request);
        EXPECT_EQ(change.left, c.left);
        if (c.left == ItemLeft::notRead) {
            EXPECT_EQ(change.readError, c.item.error);
            EXPECT_EQ(change.target.write, 0) << "nothing of it is written";
            EXPECT_EQ(change.changes, 0u);
        }
    }
    EXPECT_EQ(PlanItemChange(Unread(ERROR_CANCELLED), SetWrite(kNew)).target.write, StampOfValue(kNew));

    FileItem link = ReadItem(0, StampOfValue(kWrite), 0);
    link.linkInWalk = true;
    EXPECT_EQ(PlanItemChange(link, SetWrite(kNew)).left, ItemLeft::linkInWalk);
}

TEST(ChangePlan, FlagsKeepTheItemsOtherBitsAndChangeWhereTheFourDiffer)
{
    ChangeRequest request;
    request.attributes = true;
    request.boxes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    const ItemChange differs = PlanItemChange(
        ReadItem(0, StampOfValue(kWrite), 0, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED), request);
    EXPECT_EQ(differs.target.attributes,
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    EXPECT_EQ(differs.changes, static_cast<unsigned>(kAttributePart));
    const ItemChange same = PlanItemChange(ReadItem(0, 1, 0, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE), request);
    EXPECT_EQ(same.changes, 0u);
}

TEST(ChangePlan, ResultsOutsideTheRangeAreRefusedPerStampAndListedPerItem)
{
    FileSet files;
    files.Assign({L"C:\\a.txt", L"C:\\b.txt"});
    ChangeRequest set = SetWrite(kMaxTimeValue + 1);
    const ChangePlan plan = BuildChangePlan(files, set);
    EXPECT_EQ(plan.refusedItems, (std::vector<size_t>{0, 1}));
    EXPECT_EQ(plan.items[0].refused, static_cast<unsigned>(kWritePart));

    // Only the stamp that would pass the end is refused, with the time it would get.
    ChangeRequest shift = ShiftWriteAndCreation(TimeOffset{0, 0, -1});
    const ItemChange change = PlanItemChange(ReadItem(StampOfValue(3600), StampOfValue(kWrite), 0), shift);
    EXPECT_EQ(change.refused, static_cast<unsigned>(kCreationPart));
    EXPECT_EQ(change.wouldBe[kPlanCreation], StampOfValue(3600 - 86400));
    EXPECT_EQ(change.target.write, StampOfValue(kWrite - 86400));
}

namespace {

SourceStamp TakenAt(LONGLONG stamp)
{
    SourceStamp taken;
    taken.result = SourceStampResult::stamp;
    taken.stamp = {static_cast<DWORD>(stamp), static_cast<DWORD>(static_cast<ULONGLONG>(stamp) >> 32)};
    return taken;
}

SourceStamp NoDateTaken(NoDateReason reason = NoDateReason::noDate, SourceStampResult result = SourceStampResult::noDate)
{
    SourceStamp taken;
    taken.result = result;
    taken.reason = reason;
    return taken;
}

FileItem Named(const wchar_t* path, FileItem item)
{
    item.path = path;
    return item;
}

FileItem WithTaken(FileItem item, const SourceStamp& taken)
{
    item.takenRead = true;
    item.taken = taken;
    return item;
}

ChangeRequest CreationFrom(StampSource source)
{
    ChangeRequest request;
    request.mode = ChangeMode::fromSource;
    request.stamps[kPlanCreation] = true;
    request.sources[kPlanCreation] = source;
    return request;
}

} // namespace

// "ファイルから": each item's stamp takes a time of its own, or keeps its value with the
// reason it has none; a stamp copied from another is checked by the writer like a shift's.
TEST(ChangePlan, FromASourceEachItemTakesItsOwnTimeOrKeepsItsStampAndSaysWhy)
{
    const LONGLONG write = StampOfValue(kWrite) + 1234567;
    const LONGLONG taken = StampOfValue(kNew) + 2500000; // a quarter of a second kept
    const FileItem plain = ReadItem(StampOfValue(kAccess), write, StampOfValue(kAccess));
    FileItem folder = ReadItem(StampOfValue(kAccess), write, 0, FILE_ATTRIBUTE_DIRECTORY);
    const struct {
        const char* what;
        FileItem item;
        StampSource source;
        LONGLONG target;  // 0: kept
        SourceGap gap;
        int copied;       // the stamp the writer checks, or -1
    } cases[] = {
        {"date taken", WithTaken(plain, TakenAt(taken)), StampSource::dateTaken, taken, SourceGap::none, -1},
        {"no date taken", WithTaken(plain, NoDateTaken()), StampSource::dateTaken, 0, SourceGap::noDateTaken, -1},
        {"content unreadable", WithTaken(plain, NoDateTaken(NoDateReason::unreadable)), StampSource::dateTaken, 0,
         SourceGap::dateTakenUnreadable, -1},
        {"date taken not read", plain, StampSource::dateTaken, 0, SourceGap::dateTakenNotRead, -1},
        {"a folder has none", folder, StampSource::dateTaken, 0, SourceGap::noDateTaken, -1},
        {"taken in the spring gap",
         WithTaken(plain, NoDateTaken(NoDateReason::noDate, SourceStampResult::skippedLocalTime)),
         StampSource::dateTaken, 0, SourceGap::skippedLocalTime, -1},
        {"a date in the name", Named(L"C:\\p\\IMG_20240315_142233.jpg", plain), StampSource::nameDate,
         AsStamp(StampOfLocal(2024, 3, 15, 14, 22, 33)).QuadPart, SourceGap::none, -1},
        {"an impossible date in the name", Named(L"C:\\p\\IMG_20241315_142233.jpg", plain), StampSource::nameDate, 0,
         SourceGap::noNameDate, -1},
        {"no date in the name", plain, StampSource::nameDate, 0, SourceGap::noNameDate, -1},
        {"its own last write", plain, StampSource::write, write, SourceGap::none, kPlanWrite},
        {"no such stamp", folder, StampSource::access, 0, SourceGap::noStamp, -1},
        {"another stamp of an item not read", Unread(), StampSource::write, 0, SourceGap::itemNotRead, -1},
        {"a time of its own of an item not read", WithTaken(Unread(), TakenAt(taken)), StampSource::dateTaken, taken,
         SourceGap::none, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ItemChange change = PlanItemChange(c.item, CreationFrom(c.source));
        EXPECT_EQ(change.target.creation, c.target);
        EXPECT_EQ(change.gaps[kPlanCreation], c.gap);
        EXPECT_EQ(change.HasGap(), c.gap != SourceGap::none);
        EXPECT_EQ(change.changes, c.target != 0 && c.item.Readable() ? static_cast<unsigned>(kCreationPart) : 0u);
        EXPECT_EQ(change.target.write, 0) << "nothing else is asked";
        for (int stamp = 0; stamp < kPlanStampCount; ++stamp)
            EXPECT_EQ(change.shiftedFrom[stamp], stamp == c.copied ? StampOfState(c.item.state, stamp) : 0) << stamp;
    }

    // The closing box names each stamp kept with its reason.
    ChangeRequest both = CreationFrom(StampSource::dateTaken);
    both.stamps[kPlanAccess] = true;
    both.sources[kPlanAccess] = StampSource::nameDate;
    const ItemChange kept = PlanItemChange(WithTaken(plain, NoDateTaken()), both);
    EXPECT_EQ(GapsText(kept, both), L"作成日時（撮影日時なし）、アクセス日時（ファイル名に日時なし）");
}
