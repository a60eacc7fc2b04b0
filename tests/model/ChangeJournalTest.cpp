// The journal an apply writes before it changes anything, and the undo that reads it.
#include "model/ChangeJournal.h"
#include "model/ChangeUndo.h"
#include "model/FileOperate.h"
#include "support/PathList.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// 100-ns stamps with a fraction of a second, as a file system keeps them.
const LONGLONG kWriteBefore = 127531776001234567LL;  // 2005-02-18 05:20:00.1234567 UTC
const LONGLONG kAccessBefore = 127633815307654321LL; // 2005-06-16 07:45:30.7654321 UTC
const TimeValue kNewWrite = 1309514400;              // 2011-07-01 10:00:00 UTC

FILETIME AsFileTime(LONGLONG stamp)
{
    return {static_cast<DWORD>(stamp), static_cast<DWORD>(static_cast<ULONGLONG>(stamp) >> 32)};
}

LONGLONG AsStamp(const FILETIME& time)
{
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

bool SameEntry(const JournalEntry& a, const JournalEntry& b)
{
    const unsigned parts = a.changes;
    return a.path == b.path && a.newPath == b.newPath && a.changes == b.changes &&
           a.before.creation == b.before.creation && a.before.write == b.before.write &&
           a.before.access == b.before.access && a.before.attributes == b.before.attributes &&
           (!(parts & kCreationPart) || a.after.creation == b.after.creation) &&
           (!(parts & kWritePart) || a.after.write == b.after.write) &&
           (!(parts & kAccessPart) || a.after.access == b.after.access) &&
           (!(parts & kAttributePart) || a.after.attributes == b.after.attributes);
}

std::string BytesOf(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

class Journal : public ::testing::Test {
protected:
    std::wstring JournalPath() const { return folder / L"journal\\UndoJournal.txt"; }

    // A file whose write and access stamps carry fractions of a second.
    std::wstring MakeFile(const std::wstring& name) const
    {
        std::wstring path = folder.MakeFile(name);
        FILETIME write = AsFileTime(kWriteBefore);
        FILETIME access = AsFileTime(kAccessBefore);
        EXPECT_TRUE(WriteStamps(path, nullptr, &access, &write));
        return path;
    }

    static FileStamps StampsOf(const std::wstring& path)
    {
        FileStamps stamps = {};
        EXPECT_TRUE(ReadStamps(path, &stamps));
        return stamps;
    }

    // Writes kNewWrite to the files through the program's writer, journaled.
    void ApplyNewWrite(std::initializer_list<std::wstring> paths)
    {
        files.SetFiles(PathList(paths));
        files.SetJournalPath(JournalPath());
        FileRecord record = {};
        record.writeTime = kNewWrite;
        record.stampsToWrite = kWriteStamp;
        EXPECT_TRUE(files.WriteRecord(record, false));
    }

    std::vector<JournalEntry> ReadBack()
    {
        std::vector<JournalEntry> entries;
        std::wstring problem;
        EXPECT_EQ(ReadChangeJournal(JournalPath(), &entries, &problem), JournalReading::read) << problem;
        return entries;
    }

    TempFolder folder;
    CFileOperate files;
};

} // namespace

TEST_F(Journal, EntriesComeBackExactlyAsWritten)
{
    JournalEntry renamed;
    renamed.path = L"C:\\データ\\報告 書.txt";
    renamed.newPath = L"C:\\データ\\報告.txt";
    renamed.before = {kWriteBefore, kWriteBefore, kAccessBefore, FILE_ATTRIBUTE_ARCHIVE};
    renamed.after = renamed.before;
    JournalEntry changed;
    changed.path = L"C:\\a.txt";
    changed.before = {kWriteBefore, kWriteBefore + 1, kAccessBefore, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE};
    changed.after = {0, 129539880000000000LL, 0, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED};
    changed.changes = kWritePart | kAttributePart;

    {
        ChangeJournalWriter writer(JournalPath());
        DWORD error = 0;
        ASSERT_TRUE(writer.Append({renamed}, &error)) << error;
        ASSERT_TRUE(writer.Append({changed}, &error)) << error; // a later group adds to it
    }
    const std::string bytes = BytesOf(JournalPath());
    EXPECT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0) << "UTF-8 with a byte order mark";
    EXPECT_NE(bytes.find("Kalendrix undo journal 1\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("2005-02-18T05:20:00.1234567Z"), std::string::npos) << "stamps readable, to 100 ns";

    const std::vector<JournalEntry> entries = ReadBack();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(SameEntry(entries[0], renamed));
    EXPECT_TRUE(SameEntry(entries[1], changed));

    // A new apply's journal replaces the last one.
    {
        ChangeJournalWriter writer(JournalPath());
        DWORD error = 0;
        ASSERT_TRUE(writer.Append({changed}, &error));
    }
    EXPECT_EQ(ReadBack().size(), 1u);
}

TEST_F(Journal, JournalThatCannotBeTrustedIsRefusedWithTheReason)
{
    JournalEntry entry;
    entry.path = L"C:\\a.txt";
    entry.before = {kWriteBefore, kWriteBefore, kAccessBefore, FILE_ATTRIBUTE_ARCHIVE};
    entry.after = entry.before;
    entry.after.write = kWriteBefore + 10000000;
    entry.changes = kWritePart;
    {
        ChangeJournalWriter writer(JournalPath());
        DWORD error = 0;
        ASSERT_TRUE(writer.Append({entry}, &error));
    }
    const std::string good = BytesOf(JournalPath());
    std::string badDate = good;
    badDate.replace(badDate.find("2005-02-18T05:20:00.1234567Z"), 10, "2005-13-18");
    std::string badTabs = good;
    badTabs.replace(badTabs.rfind('\t'), 1, " ");
    std::string otherVersion = good;
    otherVersion.replace(otherVersion.find("journal 1"), 9, "journal 2");

    const struct {
        const char* what;
        std::string bytes;
        const wchar_t* problem;
    } cases[] = {
        {"cut short", good.substr(0, good.size() - 30), L"記録が途中で切れています"},
        {"empty", "", L"記録が壊れています（1 行目）"},
        {"no byte order mark", good.substr(3), L"記録が壊れています（1 行目）"},
        {"not UTF-8", good + "\xFF\xFE\r\n", L"記録が壊れています（1 行目）"},
        {"a month 13", badDate, L"記録が壊れています（3 行目）"},
        {"a field missing", badTabs, L"記録が壊れています（3 行目）"},
        {"another version", otherVersion, L"ほかの版のKalendrixが書いた記録です"},
    };
    for (const auto& bad : cases) {
        WriteBytes(JournalPath(), bad.bytes);
        std::vector<JournalEntry> entries;
        std::wstring problem;
        EXPECT_EQ(ReadChangeJournal(JournalPath(), &entries, &problem), JournalReading::unreadable) << bad.what;
        EXPECT_EQ(problem, bad.problem) << bad.what;
        EXPECT_TRUE(entries.empty()) << bad.what;
    }
    DeleteFileW(JournalPath().c_str());
    std::vector<JournalEntry> entries;
    std::wstring problem;
    EXPECT_EQ(ReadChangeJournal(JournalPath(), &entries, &problem), JournalReading::missing);
}

TEST_F(Journal, UndoPutsBackWhatTheApplyWroteToTheHundredNanoseconds)
{
    const std::wstring a = MakeFile(L"a.txt");
    const std::wstring b = MakeFile(L"b.txt");
    const std::wstring same = folder.MakeFile(L"same.txt");
    FILETIME already;
    ASSERT_TRUE(TimeValueToFileTime(kNewWrite, &already));
    ASSERT_TRUE(WriteStamps(same, nullptr, nullptr, &already));
    ApplyNewWrite({a, b, same});
    ASSERT_EQ(UnixSecondsOf(StampsOf(a).write), static_cast<ULONGLONG>(kNewWrite));

    const std::vector<JournalEntry> entries = ReadBack();
    ASSERT_EQ(entries.size(), 2u) << "a file that holds the written second already is not changed, nor recorded";
    EXPECT_EQ(entries[0].path, a);
    EXPECT_EQ(entries[0].before.write, kWriteBefore);
    EXPECT_EQ(entries[0].changes, static_cast<unsigned>(kWritePart));

    const UndoOutcome outcome = UndoChanges(entries);
    EXPECT_TRUE(outcome.left.empty());
    for (const std::wstring& path : {a, b}) {
        EXPECT_EQ(AsStamp(StampsOf(path).write), kWriteBefore) << "sub-seconds included";
        EXPECT_EQ(AsStamp(StampsOf(path).access), kAccessBefore) << "the stamp the apply left stays";
    }
    EXPECT_EQ(AsStamp(StampsOf(same).write), AsStamp(already));
}

// The undo leaves every file that no longer holds what the apply wrote: changed by someone
// since, held open, gone; a file the apply never reached holds what it held before and is
// left without a word.
TEST_F(Journal, UndoLeavesWhatChangedSinceAndNamesIt)
{
    const std::wstring restored = MakeFile(L"restored.txt");
    const std::wstring changed = MakeFile(L"changed.txt");
    const std::wstring held = MakeFile(L"held.txt");
    const std::wstring gone = MakeFile(L"gone.txt");
    const std::wstring unreached = MakeFile(L"unreached.txt");
    ApplyNewWrite({restored, changed, held, gone, unreached});
    const std::vector<JournalEntry> entries = ReadBack();
    ASSERT_EQ(entries.size(), 5u);

    FILETIME other = StampOfUtc(2020, 2, 2, 2, 2, 2);
    ASSERT_TRUE(WriteStamps(changed, nullptr, nullptr, &other));
    HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(DeleteFileW(gone.c_str()));
    // As if the program had ended before it reached this file.
    FILETIME before = AsFileTime(kWriteBefore);
    ASSERT_TRUE(WriteStamps(unreached, nullptr, nullptr, &before));

    const UndoOutcome outcome = UndoChanges(entries);
    CloseHandle(holder);
    ASSERT_EQ(outcome.left.size(), 3u);
    EXPECT_EQ(outcome.left[0].path, changed);
    EXPECT_EQ(outcome.left[0].detail, L"適用の後に変更されています");
    EXPECT_EQ(outcome.left[1].path, held);
    EXPECT_EQ(outcome.left[1].detail, L"使用中です");
    EXPECT_EQ(outcome.left[2].path, gone);
    EXPECT_EQ(outcome.left[2].detail, L"見つかりません");

    EXPECT_EQ(AsStamp(StampsOf(restored).write), kWriteBefore);
    EXPECT_EQ(AsStamp(StampsOf(changed).write), AsStamp(other)) << "someone else's change is kept";
    EXPECT_EQ(UnixSecondsOf(StampsOf(held).write), static_cast<ULONGLONG>(kNewWrite));
    EXPECT_EQ(AsStamp(StampsOf(unreached).write), kWriteBefore);
}

TEST_F(Journal, MoveIsTakenBackOnlyWhileTheOldNameIsFree)
{
    const std::wstring old = MakeFile(L"old.txt");
    const std::wstring moved = folder / L"new.txt";
    files.SetFiles(PathList({old}));
    files.SetJournalPath(JournalPath());
    FileRecord record = {};
    record.writeTime = kNewWrite;
    record.stampsToWrite = kWriteStamp;
    ASSERT_TRUE(files.WriteRecord(record, false, moved));
    ASSERT_EQ(GetFileAttributesW(old.c_str()), INVALID_FILE_ATTRIBUTES);
    const std::vector<JournalEntry> entries = ReadBack();
    ASSERT_EQ(entries.size(), 2u) << "the move, then the times under the new name";
    EXPECT_EQ(entries[0].newPath, moved);
    EXPECT_EQ(entries[1].path, moved);

    // Another file took the old name: nothing of the moved file is touched.
    const std::wstring squatter = folder.MakeFile(L"old.txt", 3);
    UndoOutcome outcome = UndoChanges(entries);
    ASSERT_EQ(outcome.left.size(), 1u);
    EXPECT_EQ(outcome.left[0].path, moved);
    EXPECT_EQ(outcome.left[0].detail, L"元の名前「old.txt」は別のファイルが使っています");
    EXPECT_EQ(AsStamp(StampsOf(moved).write), kWriteBefore) << "its times were put back before the name was tried";

    ASSERT_TRUE(DeleteFileW(squatter.c_str()));
    outcome = UndoChanges(entries);
    EXPECT_TRUE(outcome.left.empty());
    ASSERT_EQ(outcome.moves.size(), 1u);
    EXPECT_EQ(AsStamp(StampsOf(old).write), kWriteBefore);
    EXPECT_EQ(GetFileAttributesW(moved.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Journal, FailedMoveIsNotRecordedAsAMove)
{
    const std::wstring old = MakeFile(L"old.txt");
    const std::wstring taken = folder.MakeFile(L"taken.txt", 3);
    files.SetFiles(PathList({old}));
    files.SetJournalPath(JournalPath());
    FileRecord record = {};
    record.writeTime = kNewWrite;
    record.stampsToWrite = kWriteStamp;
    EXPECT_FALSE(files.WriteRecord(record, false, taken));
    const std::vector<JournalEntry> entries = ReadBack();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].path, old);
    EXPECT_TRUE(entries[0].newPath.empty());
}

TEST_F(Journal, ApplyThatCannotRecordChangesNothing)
{
    const std::wstring a = MakeFile(L"a.txt");
    // A folder where the journal should be: the file cannot be created.
    ASSERT_TRUE(CreateDirectoryW((folder / L"journal").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(JournalPath().c_str(), nullptr));
    files.SetFiles(PathList({a}));
    files.SetJournalPath(JournalPath());
    FileRecord record = {};
    record.writeTime = kNewWrite;
    record.stampsToWrite = kWriteStamp;
    EXPECT_FALSE(files.WriteRecord(record, false));
    ASSERT_EQ(files.GetFailures().size(), 2u);
    EXPECT_EQ(files.GetFailures()[0].path, JournalPath());
    EXPECT_EQ(files.GetFailures()[0].detail.find(L"変更を元に戻すための記録を書けませんでした"), 0u);
    EXPECT_EQ(files.GetFailures()[1].path, a);
    EXPECT_EQ(files.GetFailures()[1].detail, L"元に戻すための記録を書けなかったため、変更していません");
    EXPECT_EQ(AsStamp(StampsOf(a).write), kWriteBefore);
    RemoveDirectoryW(JournalPath().c_str());
}

// Creation stamps and the archive flag go back as the rest do, where the platform keeps them.
TEST_F(Journal, CreationStampAndArchiveFlagArePutBack)
{
    const std::wstring probe = folder.MakeFile(L"probe.txt");
    FILETIME creation = AsFileTime(kAccessBefore);
    WriteStamps(probe, &creation, nullptr, nullptr);
    if (AsStamp(StampsOf(probe).creation) != kAccessBefore)
        GTEST_SKIP() << "this platform keeps no creation stamp of its own (Wine reports the last-write stamp)";
    SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (GetFileAttributesW(probe.c_str()) & FILE_ATTRIBUTE_ARCHIVE)
        GTEST_SKIP() << "this platform cannot clear the archive flag (Wine reports it on every file)";

    const std::wstring path = MakeFile(L"a.txt");
    ASSERT_TRUE(WriteStamps(path, &creation, nullptr, nullptr));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN));
    files.SetFiles(PathList({path}));
    files.SetJournalPath(JournalPath());
    FileRecord record = {};
    record.createTime = kNewWrite;
    record.stampsToWrite = kCreationStamp;
    record.attribute = FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(files.WriteRecord(record, true));
    ASSERT_EQ(GetFileAttributesW(path.c_str()) & 0x27, static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM));

    EXPECT_TRUE(UndoChanges(ReadBack()).left.empty());
    EXPECT_EQ(AsStamp(StampsOf(path).creation), kAccessBefore);
    EXPECT_EQ(GetFileAttributesW(path.c_str()) & 0x27, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN));
}
