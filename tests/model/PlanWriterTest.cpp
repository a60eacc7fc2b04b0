// The plan writer: every file takes its item of the plan, each failure is named with its
// reason while the others are written, and the first file may move first.
#include "model/FileOperate.h"
#include "model/NameParts.h"
#include "model/PlanWriter.h"
#include "support/ChoiceInPlace.h"
#include "support/MessageBoxWatcher.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

const wchar_t* const kReadOnlyReason = L"読み取り専用です（属性の「読み取り専用」を外すと変更できます）";

// Stamps every fixture file starts with, far from anything a test writes.
const TimeValue kOldWrite = 1110000000;  // 2005-03-05
const TimeValue kOldAccess = 1120000000; // 2005-06-28
const TimeValue kOldCreation = 1100000000;

const TimeValue kNewWrite = 1309514400;  // 2011-07-01 10:00:00 UTC
const TimeValue kNewAccess = 1326627005; // 2012-01-15 11:30:05 UTC
const TimeValue kNewCreation = 1295089207;

// Set mode: each non-zero time is written, the other stamps kept; with `writeBoxes`, the
// four flags of `boxes`.
ChangeRequest SetTimes(TimeValue creation, TimeValue write, TimeValue access, BYTE boxes = 0, bool writeBoxes = false)
{
    ChangeRequest request;
    const TimeValue values[kPlanStampCount] = {creation, write, access};
    for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
        request.stamps[stamp] = values[stamp] != 0;
        request.values[stamp] = values[stamp];
    }
    request.attributes = writeBoxes;
    request.boxes = boxes;
    return request;
}

// Each failure as its line: "path：detail".
std::vector<std::wstring> Named(const std::vector<WriteFailure>& failures)
{
    std::vector<std::wstring> lines;
    for (const WriteFailure& failure : failures)
        lines.push_back(failure.path + L"：" + failure.detail);
    return lines;
}

DWORD AttributesOf(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str());
}

class PlanWrite : public ::testing::Test {
protected:
    // As an apply writes: the plan of the files as read, to their paths, unjournaled.
    WriteReport Write(const std::vector<std::wstring>& paths, const ChangeRequest& request,
                      const std::wstring& newPath = std::wstring(), WorkProgress* progress = nullptr)
    {
        ChooseInPlace(files, paths);
        const FileSet& set = files.GetFileSet();
        std::vector<std::wstring> targets;
        for (size_t index = 0; index < set.Count(); ++index)
            targets.push_back(set.Path(index));
        return PlanWriter(std::wstring()).Write(BuildChangePlan(set, request), targets, newPath, progress);
    }

    // A file with the old stamps.
    std::wstring MakeStampedFile(const std::wstring& name)
    {
        std::wstring path = folder.MakeFile(name);
        FILETIME creation = StampOf(kOldCreation);
        FILETIME access = StampOf(kOldAccess);
        FILETIME write = StampOf(kOldWrite);
        EXPECT_TRUE(WriteStamps(path, &creation, &access, &write));
        return path;
    }

    static FileStamps StampsOf(const std::wstring& path)
    {
        FileStamps stamps = {};
        EXPECT_TRUE(ReadStamps(path, &stamps)) << "cannot read the stamps";
        return stamps;
    }

    bool PlatformKeepsCreationStamps()
    {
        std::wstring probe = folder.MakeFile(L"creation-probe.txt");
        FILETIME creation = StampOf(kOldCreation);
        WriteStamps(probe, &creation, nullptr, nullptr);
        return UnixSecondsOf(StampsOf(probe).creation) == static_cast<ULONGLONG>(kOldCreation);
    }

    bool PlatformClearsArchive()
    {
        std::wstring probe = folder.MakeFile(L"archive-probe.txt");
        SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
        return (AttributesOf(probe) & FILE_ATTRIBUTE_ARCHIVE) == 0;
    }

    TempFolder folder;
    CFileOperate files;
    MessageBoxWatcher boxes;
};

} // namespace

TEST_F(PlanWrite, EachNonZeroTimeIsWrittenAndZeroKeepsItsStamp)
{
    const struct {
        const char* what;
        TimeValue write;
        TimeValue access;
    } cases[] = {
        {"write alone", kNewWrite, 0},
        {"access alone", 0, kNewAccess},
        {"write and access", kNewWrite, kNewAccess},
        {"neither", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring path = MakeStampedFile(L"times.txt");
        EXPECT_TRUE(Write({path}, SetTimes(0, c.write, c.access)).Complete());
        FileStamps stamps = StampsOf(path);
        EXPECT_EQ(UnixSecondsOf(stamps.write), static_cast<ULONGLONG>(c.write ? c.write : kOldWrite));
        EXPECT_EQ(UnixSecondsOf(stamps.access), static_cast<ULONGLONG>(c.access ? c.access : kOldAccess));
        DeleteFileW(path.c_str());
    }
}

TEST_F(PlanWrite, CreationTimeIsWrittenAloneAndWithTheOthers)
{
    if (!PlatformKeepsCreationStamps())
        GTEST_SKIP() << "this platform does not keep a creation stamp of its own (Wine reports the write stamp)";
    const struct {
        const char* what;
        TimeValue creation, write, access;
    } cases[] = {
        {"creation alone", kNewCreation, 0, 0},
        {"all three", kNewCreation, kNewWrite, kNewAccess},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring path = MakeStampedFile(L"created.txt");
        EXPECT_TRUE(Write({path}, SetTimes(c.creation, c.write, c.access)).Complete());
        FileStamps stamps = StampsOf(path);
        EXPECT_EQ(UnixSecondsOf(stamps.creation), static_cast<ULONGLONG>(c.creation));
        EXPECT_EQ(UnixSecondsOf(stamps.write), static_cast<ULONGLONG>(c.write ? c.write : kOldWrite));
        EXPECT_EQ(UnixSecondsOf(stamps.access), static_cast<ULONGLONG>(c.access ? c.access : kOldAccess));
        DeleteFileW(path.c_str());
    }
}

// Regression: converting through local calendar fields and the present offset put
// stamps of the other season an hour off.
TEST_F(PlanWrite, TimeValuesBecomeTheirExactUtcStampInEveryZoneAndSeason)
{
    const struct {
        const char* what;
        FILETIME utc;
    } cases[] = {
        {"first second", StampOf(1)},
        {"winter", StampOfUtc(2011, 1, 15, 11, 0, 7)},
        {"summer", StampOfUtc(2011, 7, 1, 10, 0, 59)},
        {"Berlin's skipped spring hour", StampOfUtc(2011, 3, 27, 1, 30, 0)},
        {"Berlin's repeated autumn hour, first pass", StampOfUtc(2011, 10, 30, 0, 30, 0)},
        {"Berlin's repeated autumn hour, second pass", StampOfUtc(2011, 10, 30, 1, 30, 0)},
        {"far future", StampOfUtc(2049, 12, 31, 23, 59, 59)},
    };
    std::wstring path = MakeStampedFile(L"seasons.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TimeValue value = static_cast<TimeValue>(UnixSecondsOf(c.utc));
        ASSERT_TRUE(Write({path}, SetTimes(0, value, value)).Complete());
        FileStamps stamps = StampsOf(path);
        EXPECT_EQ(stamps.write.dwHighDateTime, c.utc.dwHighDateTime);
        EXPECT_EQ(stamps.write.dwLowDateTime, c.utc.dwLowDateTime) << "whole seconds, no fraction";
        EXPECT_EQ(UnixSecondsOf(stamps.access), static_cast<ULONGLONG>(value));
        FileRecord back = files.GetRecord(0);
        EXPECT_EQ(back.writeTime, value);
        EXPECT_EQ(back.accessTime, value);
    }
}

TEST_F(PlanWrite, AttributeByteIsWrittenOnlyWhenAskedAndDifferent)
{
    const DWORD kVisibleFlags = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const struct {
        const char* what;
        DWORD before;
        BYTE byte;
        bool writeAttributes;
        DWORD expected; // read-only, hidden and system after the write
    } cases[] = {
        {"equal byte", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, 0x22, true, FILE_ATTRIBUTE_HIDDEN},
        {"changed byte", FILE_ATTRIBUTE_ARCHIVE, 0x26, true, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {"byte 0 clears", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE, 0, true, 0},
        {"left alone", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, 0x04, false, FILE_ATTRIBUTE_HIDDEN},
        {"read-only set after the times", FILE_ATTRIBUTE_ARCHIVE, 0x21, true, FILE_ATTRIBUTE_READONLY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring path = MakeStampedFile(L"flags.txt");
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), c.before));
        EXPECT_TRUE(Write({path}, SetTimes(0, kNewWrite, 0, c.byte, c.writeAttributes)).Complete());
        EXPECT_EQ(AttributesOf(path) & kVisibleFlags, c.expected);
        EXPECT_EQ(UnixSecondsOf(StampsOf(path).write), static_cast<ULONGLONG>(kNewWrite)) << "times are still written";
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
}

TEST_F(PlanWrite, ByteZeroClearsTheArchiveFlag)
{
    if (!PlatformClearsArchive())
        GTEST_SKIP() << "this platform reports the archive flag on every file and cannot clear it (Wine)";
    std::wstring path = MakeStampedFile(L"archived.txt");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_TRUE(Write({path}, SetTimes(0, 0, 0, 0, true)).Complete());
    EXPECT_EQ(AttributesOf(path) & FILE_ATTRIBUTE_ARCHIVE, 0u);
}

TEST_F(PlanWrite, UnwritableFilesAreNamedInTheirOrderWhileTheOthersAreWritten)
{
    std::wstring first = MakeStampedFile(L"first.txt");
    std::wstring readOnly = MakeStampedFile(L"readonly.txt");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    std::wstring held = MakeStampedFile(L"held.txt");
    std::wstring directory = folder.MakeFolder(L"folder");
    std::wstring missing = folder / L"missing.txt";
    std::wstring last = MakeStampedFile(L"last.txt");
    HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const WriteReport report = Write({first, readOnly, held, directory, missing, last}, SetTimes(0, kNewWrite, 0));
    CloseHandle(holder);
    EXPECT_FALSE(report.Complete());
    EXPECT_FALSE(report.cancelled);
    EXPECT_TRUE(boxes.Take().empty()) << "the writer itself shows nothing";

    for (const std::wstring& written : {first, directory, last})
        EXPECT_EQ(UnixSecondsOf(StampsOf(written).write), static_cast<ULONGLONG>(kNewWrite));
    for (const std::wstring& skipped : {readOnly, held})
        EXPECT_EQ(UnixSecondsOf(StampsOf(skipped).write), static_cast<ULONGLONG>(kOldWrite));
    EXPECT_TRUE(AttributesOf(readOnly) & FILE_ATTRIBUTE_READONLY) << "a read-only file keeps its flag";
    EXPECT_EQ(AttributesOf(missing), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(Named(report.failures), (std::vector<std::wstring>{readOnly + L"：" + kReadOnlyReason,
                                                                     held + L"：ほかのプログラムが使用中です",
                                                                     missing + L"：見つかりません"}));
}

// A shift has nothing to start from where the reading did not read an item: the item is
// named with why, and the apply is no success. A set writes it as any other.
TEST_F(PlanWrite, ItemsNotReadAreNamedWithWhyByAShiftAndWrittenByASet)
{
    ChangeRequest shift;
    shift.mode = ChangeMode::shift;
    shift.stamps[kPlanWrite] = true;
    shift.offsets[kPlanWrite].hours = 1;
    const struct {
        const char* what;
        ChangeRequest request;
        TimeValue notReachedGets;
        std::vector<std::wstring> named; // after the path of the item not reached, of the gone one
    } cases[] = {
        {"shift", shift, kOldWrite, {L"読み込みを中止したため、読み込んでいません", L"見つかりません"}},
        {"set", SetTimes(0, kNewWrite, 0), kNewWrite, {L"見つかりません"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring read = MakeStampedFile(L"read.txt");
        const std::wstring notReached = MakeStampedFile(L"not reached.txt");
        const std::wstring gone = folder / L"gone.txt";
        std::vector<FileItem> items(3);
        items[0].path = read;
        items[1].path = notReached;
        items[1].error = ERROR_CANCELLED; // as a reading stopped before it leaves it
        items[2].path = gone;
        ASSERT_EQ(ReadItemState(&items[0]), static_cast<DWORD>(ERROR_SUCCESS));
        ASSERT_EQ(ReadItemState(&items[2]), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        ChangePlan plan;
        plan.request = c.request;
        for (const FileItem& item : items)
            plan.items.push_back(PlanItemChange(item, c.request));

        const WriteReport report = PlanWriter(std::wstring()).Write(plan, {read, notReached, gone});
        std::vector<std::wstring> expected;
        if (c.named.size() == 2)
            expected.push_back(notReached + L"：" + c.named[0]);
        expected.push_back(gone + L"：" + c.named.back());
        EXPECT_EQ(Named(report.failures), expected);
        EXPECT_FALSE(report.Complete());
        const TimeValue readGets = c.request.mode == ChangeMode::shift ? kOldWrite + 3600 : kNewWrite;
        EXPECT_EQ(UnixSecondsOf(StampsOf(read).write), static_cast<ULONGLONG>(readGets));
        EXPECT_EQ(UnixSecondsOf(StampsOf(notReached).write), static_cast<ULONGLONG>(c.notReachedGets));
    }
}

// The preview showed a shift from the stamps the list read: a file whose shifted stamp has
// changed since is left as it is and named, never shifted from a value it no longer holds.
// A change to a stamp the shift leaves alone does not matter.
TEST_F(PlanWrite, AShiftLeavesAFileWhoseStampChangedSinceItWasReadAndNamesIt)
{
    const std::wstring kept = MakeStampedFile(L"kept.txt");
    const std::wstring written = MakeStampedFile(L"written since.txt");
    const std::wstring read = MakeStampedFile(L"read since.txt");
    ChooseInPlace(files, {kept, written, read});
    ChangeRequest shift;
    shift.mode = ChangeMode::shift;
    shift.stamps[kPlanWrite] = true;
    shift.offsets[kPlanWrite].hours = 1;
    const ChangePlan plan = BuildChangePlan(files.GetFileSet(), shift);

    const FILETIME later = StampOf(kNewWrite);
    ASSERT_TRUE(WriteStamps(written, nullptr, nullptr, &later));
    const FILETIME readLater = StampOf(kNewAccess);
    ASSERT_TRUE(WriteStamps(read, nullptr, &readLater, nullptr));
    const WriteReport report = PlanWriter(std::wstring()).Write(plan, {kept, written, read});

    EXPECT_EQ(Named(report.failures), std::vector<std::wstring>{written + L"：読み込んだ後に変更されています"});
    EXPECT_EQ(UnixSecondsOf(StampsOf(written).write), static_cast<ULONGLONG>(kNewWrite)) << "left as it is";
    for (const std::wstring& path : {kept, read})
        EXPECT_EQ(UnixSecondsOf(StampsOf(path).write), static_cast<ULONGLONG>(kOldWrite + 3600));
}

// A cancel stops the write after the file at hand; asked after the last file, the write
// was whole.
TEST_F(PlanWrite, ACancelStopsAfterTheFileAtHandAndIsReportedOnlyWhereFilesWereLeft)
{
    const struct {
        size_t cancelAfter;
        bool cancelled;
    } cases[] = {{2, true}, {4, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cancelAfter);
        std::vector<std::wstring> paths;
        for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"})
            paths.push_back(MakeStampedFile(name));
        WorkProgress progress;
        progress.OnItem([&progress, &c](size_t done) {
            if (done == c.cancelAfter)
                progress.RequestCancel();
        });
        const WriteReport report = Write(paths, SetTimes(0, kNewWrite, 0), std::wstring(), &progress);
        EXPECT_EQ(report.cancelled, c.cancelled);
        EXPECT_TRUE(report.failures.empty());
        for (size_t index = 0; index < paths.size(); ++index)
            EXPECT_EQ(UnixSecondsOf(StampsOf(paths[index]).write),
                      static_cast<ULONGLONG>(index < c.cancelAfter ? kNewWrite : kOldWrite))
                << index;
    }
}

// A file this user may read but not change is refused at the open, and nothing of it
// changes: the open asks for the right to set attributes, not for all rights.
TEST_F(PlanWrite, FileWithoutRightsToChangeIsListedWithItsReason)
{
    std::wstring foreign;
    for (const wchar_t* candidate : {L"Z:\\etc\\passwd", L"C:\\Windows\\System32\\drivers\\etc\\hosts"}) {
        HANDLE probe = CreateFileW(candidate, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe != INVALID_HANDLE_VALUE) {
            CloseHandle(probe);
            continue;
        }
        if (GetLastError() == ERROR_ACCESS_DENIED && GetFileAttributesW(candidate) != INVALID_FILE_ATTRIBUTES) {
            foreign = candidate;
            break;
        }
    }
    if (foreign.empty())
        GTEST_SKIP() << "no file here that this user may read but not change (running with full rights?)";
    FileStamps before = {};
    ASSERT_TRUE(ReadStamps(foreign, &before));
    std::wstring mine = MakeStampedFile(L"mine.txt");
    const WriteReport report = Write({foreign, mine}, SetTimes(0, kNewWrite, kNewAccess, FILE_ATTRIBUTE_HIDDEN, true));
    EXPECT_EQ(Named(report.failures),
              std::vector<std::wstring>{foreign + L"：アクセスが拒否されました（変更する権限がありません）"});
    FileStamps after = {};
    ASSERT_TRUE(ReadStamps(foreign, &after));
    EXPECT_EQ(UnixSecondsOf(after.write), UnixSecondsOf(before.write));
    EXPECT_FALSE(AttributesOf(foreign) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(UnixSecondsOf(StampsOf(mine).write), static_cast<ULONGLONG>(kNewWrite));
}

// Regression: a file error inside the write ended it at that file, and the files after it
// were never written.
TEST_F(PlanWrite, TimeOutsideTheRepresentableRangeFailsEachFileWithItsReasonAndChangesNone)
{
    for (TimeValue bad : {kMaxTimeValue + 1, TimeValue(-5)}) {
        SCOPED_TRACE(bad);
        std::wstring first = MakeStampedFile(L"first.txt");
        std::wstring second = MakeStampedFile(L"second.txt");
        const WriteReport report = Write({first, second}, SetTimes(0, kNewWrite, bad, FILE_ATTRIBUTE_HIDDEN, true));
        for (const std::wstring& path : {first, second}) {
            EXPECT_EQ(UnixSecondsOf(StampsOf(path).write), static_cast<ULONGLONG>(kOldWrite));
            EXPECT_FALSE(AttributesOf(path) & FILE_ATTRIBUTE_HIDDEN);
        }
        EXPECT_EQ(Named(report.failures),
                  (std::vector<std::wstring>{first + L"：日時がファイルに記録できる範囲の外です",
                                             second + L"：日時がファイルに記録できる範囲の外です"}));
        DeleteFileW(first.c_str());
        DeleteFileW(second.c_str());
    }
}

TEST_F(PlanWrite, ReadOnlyFileWhoseFlagIsClearedIsWrittenAndAHeldOneIsPutBack)
{
    std::wstring cleared = MakeStampedFile(L"cleared.txt");
    std::wstring held = MakeStampedFile(L"held.txt");
    std::wstring kept = MakeStampedFile(L"kept.txt");
    for (const std::wstring& path : {cleared, held})
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const WriteReport report = Write({cleared, held, kept}, SetTimes(0, kNewWrite, 0, 0, true));
    CloseHandle(holder);

    EXPECT_FALSE(AttributesOf(cleared) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(UnixSecondsOf(StampsOf(cleared).write), static_cast<ULONGLONG>(kNewWrite));
    EXPECT_TRUE(AttributesOf(held) & FILE_ATTRIBUTE_READONLY) << "the flag cleared for the write is put back";
    EXPECT_EQ(UnixSecondsOf(StampsOf(held).write), static_cast<ULONGLONG>(kOldWrite));
    EXPECT_EQ(UnixSecondsOf(StampsOf(kept).write), static_cast<ULONGLONG>(kNewWrite)) << "the file after it is written";
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].path, held);
}

TEST_F(PlanWrite, FlagsOutsideTheFourBoxesAreKept)
{
    std::wstring path = MakeStampedFile(L"indexed.txt");
    const DWORD kOther = FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    SetFileAttributesW(path.c_str(), kOther | FILE_ATTRIBUTE_ARCHIVE);
    if (!(AttributesOf(path) & kOther))
        GTEST_SKIP() << "this platform does not keep the not-content-indexed flag (Wine drops it)";
    EXPECT_TRUE(Write({path}, SetTimes(0, 0, 0, FILE_ATTRIBUTE_HIDDEN, true)).Complete());
    EXPECT_TRUE(AttributesOf(path) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(AttributesOf(path) & kOther);
}

// Regression: every write dropped the fraction of a second of each stamp it was given,
// also where the stamp already held that second.
TEST_F(PlanWrite, StampThatHoldsTheWrittenSecondKeepsItsFraction)
{
    std::wstring path = MakeStampedFile(L"fraction.txt");
    FILETIME fine = StampOf(kOldWrite);
    fine.dwLowDateTime += 5000000; // half a second later
    ASSERT_TRUE(WriteStamps(path, nullptr, &fine, &fine));
    EXPECT_TRUE(Write({path}, SetTimes(0, kOldWrite, kOldWrite + 1)).Complete());
    FileStamps stamps = StampsOf(path);
    EXPECT_EQ(stamps.write.dwLowDateTime, fine.dwLowDateTime) << "the same second: left as it was";
    EXPECT_EQ(UnixSecondsOf(stamps.access), static_cast<ULONGLONG>(kOldWrite + 1));
}

TEST_F(PlanWrite, TheFirstFileMovesFirstAndIsWrittenUnderItsNewName)
{
    std::wstring oldPath = MakeStampedFile(L"a.txt");
    std::wstring newPath = folder / L"b.txt";
    const WriteReport report = Write({oldPath}, SetTimes(0, kNewWrite, 0), newPath);
    EXPECT_TRUE(report.Complete());
    EXPECT_EQ(report.movedTo, newPath);
    EXPECT_EQ(AttributesOf(oldPath), INVALID_FILE_ATTRIBUTES);
    ASSERT_NE(AttributesOf(newPath), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(UnixSecondsOf(StampsOf(newPath).write), static_cast<ULONGLONG>(kNewWrite));
    // Regression: the list kept the vanished old path, so the record read as no file.
    files.FileMoved(oldPath, report.movedTo);
    EXPECT_EQ(files.GetRecord(0).fullPath, newPath);
    EXPECT_EQ(files.GetRecord(0).writeTime, kNewWrite);
    EXPECT_EQ(files.GetBaseName(0), L"b");
}

TEST_F(PlanWrite, AMoveOntoAnExistingFileIsNamedFirstAndTheFileIsWrittenUnderItsOldName)
{
    std::wstring chosen = MakeStampedFile(L"a.txt");
    std::wstring other = MakeStampedFile(L"b.txt");
    std::wstring missing = folder / L"missing.txt";
    const WriteReport report = Write({chosen, missing}, SetTimes(0, kNewWrite, 0), other);
    EXPECT_TRUE(report.movedTo.empty());
    EXPECT_EQ(UnixSecondsOf(StampsOf(chosen).write), static_cast<ULONGLONG>(kNewWrite));
    EXPECT_EQ(UnixSecondsOf(StampsOf(other).write), static_cast<ULONGLONG>(kOldWrite)) << "the other file is untouched";
    ASSERT_EQ(report.failures.size(), 2u);
    EXPECT_EQ(Named(report.failures)[0].rfind(chosen + L"：名前を「b.txt」に変更できませんでした（", 0), 0u)
        << report.failures[0].detail.c_str();
    EXPECT_EQ(report.failures[1].path, missing);
}

// Regression: a rename that changed only the case of the name was silently not done.
TEST_F(PlanWrite, ChangeOfCaseAloneIsARename)
{
    std::wstring probe = folder.MakeFile(L"probe.txt");
    MoveFileW(probe.c_str(), (folder / L"PROBE.txt").c_str());
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder / L"probe.txt").c_str(), &entry);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    if (std::wstring(entry.cFileName) != L"PROBE.txt")
        GTEST_SKIP() << "this platform ignores case-only renames (Wine), so the rename could not be seen";

    std::wstring path = folder.MakeFile(L"Report.txt");
    const WriteReport report = Write({path}, SetTimes(0, 0, 0), folder / L"REPORT.TXT");
    EXPECT_TRUE(report.Complete());
    EXPECT_EQ(report.movedTo, folder / L"REPORT.TXT");
    find = FindFirstFileW(path.c_str(), &entry);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_STREQ(entry.cFileName, L"REPORT.TXT");
}

// A file given by its short name is the file: the writer opens the path as given, also where
// the name its directory stores would make the path longer than the classic limit.
TEST_F(PlanWrite, FileGivenByItsShortNameIsWrittenAmongItsNeighbours)
{
    DWORD volumeFlags = 0;
    WCHAR root[MAX_PATH];
    ASSERT_TRUE(GetVolumePathNameW(folder.Path().c_str(), root, MAX_PATH));
    ASSERT_TRUE(GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &volumeFlags, nullptr, 0));
    if (volumeFlags & FILE_UNICODE_ON_DISK)
        GTEST_SKIP() << "this volume stores Unicode names, so paths are not matched with their directory's names";

    // A folder whose path leaves room for a short name but not for the stored one.
    std::wstring deep = folder.Path();
    while (deep.size() < 220) {
        deep += L"\\" + std::wstring(std::min<size_t>(50, 220 - deep.size()), L'd');
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    const std::wstring storedName = std::wstring(45, L'L') + L".txt";
    const std::wstring longPath = L"\\\\?\\" + deep + L"\\" + storedName;
    HANDLE file = CreateFileW(longPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    WCHAR shortPath[1024];
    DWORD length = GetShortPathNameW(longPath.c_str(), shortPath, 1024);
    std::wstring shortName = length > 0 && length < 1024 ? FileNameOfPath(shortPath) : L"";
    if (shortName.empty() || shortName == storedName) {
        DeleteFileW(longPath.c_str());
        GTEST_SKIP() << "this volume gives the file no short name";
    }
    const std::wstring byShortName = deep + L"\\" + shortName;
    ASSERT_LT(byShortName.size(), static_cast<size_t>(MAX_PATH));

    std::vector<std::wstring> neighbours;
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) {
        neighbours.push_back(deep + L"\\" + name);
        FILETIME write = StampOf(kOldWrite);
        HANDLE created = CreateFileW(neighbours.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(created, INVALID_HANDLE_VALUE);
        SetFileTime(created, nullptr, nullptr, &write);
        CloseHandle(created);
    }
    EXPECT_TRUE(Write({neighbours[0], byShortName, neighbours[1], neighbours[2]}, SetTimes(0, kNewWrite, 0)).Complete());
    for (const std::wstring& neighbour : neighbours)
        EXPECT_EQ(UnixSecondsOf(StampsOf(neighbour).write), static_cast<ULONGLONG>(kNewWrite));
    FileStamps stamps = {};
    ASSERT_TRUE(ReadStamps(longPath, &stamps));
    EXPECT_EQ(UnixSecondsOf(stamps.write), static_cast<ULONGLONG>(kNewWrite));
    DeleteFileW(longPath.c_str());
}
