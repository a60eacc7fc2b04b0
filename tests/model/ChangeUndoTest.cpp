// The writer's journal and the undo that reads it: every file put back exactly, and only the
// file the apply changed.
#include "model/JournalReader.h"
#include "model/ChangeUndo.h"
#include "datetime/StampText.h"
#include "model/AttributeFaultsForTests.h"
#include "model/JournalFormat.h"
#include "model/PlanWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

// 100-ns stamps with a fraction of a second, as a file system keeps them.
const LONGLONG kWriteBefore = 127531776001234567LL;  // 2005-02-18 05:20:00.1234567 UTC
const LONGLONG kAccessBefore = 127633815307654321LL; // 2005-06-16 07:45:30.7654321 UTC
const TimeValue kNewWrite = 1309514400;              // 2011-07-01 10:00:00 UTC
const TimeValue kNewAccess = 1326627005;             // 2012-01-15 11:30:05 UTC

FILETIME AsFileTime(LONGLONG stamp)
{
    return {static_cast<DWORD>(stamp), static_cast<DWORD>(static_cast<ULONGLONG>(stamp) >> 32)};
}

LONGLONG AsStamp(const FILETIME& time)
{
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

std::string BytesOf(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

ChangeRequest NewWrite()
{
    ChangeRequest request;
    request.stamps[kPlanWrite] = true;
    request.values[kPlanWrite] = kNewWrite;
    return request;
}

class Undo : public ::testing::Test {
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

    // Writes `request` to the files through the program's writer, journaled; true when
    // every file took it.
    bool Write(std::initializer_list<std::wstring> paths, const ChangeRequest& request,
               const std::wstring& newPath = std::wstring())
    {
        FileSet files;
        files.Assign(paths);
        files.ReadStates();
        report = PlanWriter(JournalPath()).Write(BuildChangePlan(files, request), paths, newPath);
        return report.Complete();
    }

    std::vector<JournalEntry> ReadBack()
    {
        ChangeJournalFile journal;
        std::wstring problem;
        EXPECT_EQ(journal.Open(JournalPath(), &problem), JournalReading::read) << problem;
        return journal.Entries();
    }

    TempFolder folder;
    WriteReport report; // of the last Write
};

} // namespace

TEST_F(Undo, PutsBackWhatTheApplyWroteToTheHundredNanoseconds)
{
    const std::wstring a = MakeFile(L"a.txt");
    const std::wstring b = MakeFile(L"b.txt");
    const std::wstring same = folder.MakeFile(L"same.txt");
    FILETIME already;
    ASSERT_TRUE(TimeValueToFileTime(kNewWrite, &already));
    ASSERT_TRUE(WriteStamps(same, nullptr, nullptr, &already));
    ASSERT_TRUE(Write({a, b, same}, NewWrite()));
    ASSERT_EQ(UnixSecondsOf(StampsOf(a).write), static_cast<ULONGLONG>(kNewWrite));

    const std::vector<JournalEntry> entries = ReadBack();
    ASSERT_EQ(entries.size(), 2u) << "a file that holds the written second already is not changed, nor recorded";
    EXPECT_EQ(_wcsicmp(entries[0].path.c_str(), a.c_str()), 0) << entries[0].path.c_str();
    EXPECT_TRUE(entries[0].identity.Known());
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

// A file whose times were written before its flags were refused holds part of the change:
// it is journaled as changed (alone in the apply, nothing else would keep its journal), the
// failure says which part was made, and the undo takes the times back.
TEST_F(Undo, TimesWrittenAndFlagsRefusedAreJournaledAndUndone)
{
    const std::wstring path = MakeFile(L"half.txt");
    ChangeRequest request = NewWrite();
    request.attributes = true;
    request.boxes = FILE_ATTRIBUTE_HIDDEN;
    FailAttributeSettingsForTests(1, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(Write({path}, request));
    FailAttributeSettingsForTests(0, ERROR_SUCCESS);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].detail,
              L"日時は変更しましたが、属性を変更できませんでした（アクセスが拒否されました（変更する権限がありません））");
    ASSERT_EQ(UnixSecondsOf(StampsOf(path).write), static_cast<ULONGLONG>(kNewWrite));
    ASSERT_FALSE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);

    EXPECT_TRUE(UndoChanges(ReadBack()).left.empty());
    EXPECT_EQ(AsStamp(StampsOf(path).write), kWriteBefore);
}

// A file that an indexer or a virus scanner holds open with delete sharing can be moved:
// its move is journaled with its identity all the same, and the undo moves back that file
// only, never another one that stands at the new name later.
TEST_F(Undo, RenameOfAFileHeldWithDeleteSharingIsUndoneOnlyForThatFile)
{
    const std::wstring old = MakeFile(L"old.txt");
    const std::wstring moved = folder / L"new.txt";
    HANDLE holder = CreateFileW(old.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const bool written = Write({old}, ChangeRequest(), moved);
    CloseHandle(holder);
    ASSERT_TRUE(written) << (report.failures.empty() ? std::wstring() : report.failures[0].detail).c_str();
    ASSERT_TRUE(Exists(moved));
    const std::vector<JournalEntry> entries = ReadBack();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].identity.Known()) << "the move is journaled with the file's identity";

    // Another file at the new name: left, and named.
    const std::wstring aside = folder / L"aside.txt";
    ASSERT_TRUE(MoveFileW(moved.c_str(), aside.c_str()));
    folder.MakeFile(L"new.txt", 7);
    UndoOutcome outcome = UndoChanges(entries);
    ASSERT_EQ(outcome.left.size(), 1u);
    EXPECT_EQ(outcome.left[0].detail, L"別のファイルに置き換えられています");
    EXPECT_FALSE(Exists(old));
    EXPECT_EQ(BytesOf(moved).size(), 7u);

    // The moved file back at the new name goes back to its old one.
    ASSERT_TRUE(DeleteFileW(moved.c_str()));
    ASSERT_TRUE(MoveFileW(aside.c_str(), moved.c_str()));
    outcome = UndoChanges(entries);
    EXPECT_TRUE(outcome.left.empty());
    EXPECT_TRUE(Exists(old));
    EXPECT_FALSE(Exists(moved));
}

// An entry without an identity (all zero, as another program can write it with a valid
// checksum) would let the undo write onto whatever file stands at its path: it is refused
// and named with its line, and the rest of the journal is undone.
TEST_F(Undo, EntryWithoutIdentityIsRefusedAndNamedWithItsLine)
{
    const std::wstring stranger = MakeFile(L"stranger.txt");
    const std::wstring changed = MakeFile(L"changed.txt");
    ASSERT_TRUE(Write({changed}, NewWrite()));
    JournalEntry hostile = ReadBack()[0];
    hostile.path = stranger;
    hostile.identity = FileIdentity();
    {
        std::ofstream out(JournalPath().c_str(), std::ios::binary | std::ios::app);
        out << GroupBytes({hostile});
    }

    const std::vector<JournalEntry> entries = ReadBack();
    ASSERT_EQ(entries.size(), 2u);
    const UndoOutcome outcome = UndoChanges(entries);
    ASSERT_EQ(outcome.left.size(), 1u);
    EXPECT_EQ(outcome.left[0].path, stranger);
    EXPECT_EQ(outcome.left[0].detail, L"記録にファイルの識別情報がないため、触れていません（6 行目）");
    EXPECT_EQ(AsStamp(StampsOf(stranger).write), kWriteBefore) << "the stranger keeps its stamp";
    EXPECT_EQ(AsStamp(StampsOf(changed).write), kWriteBefore) << "the rest is undone";
}

// The undo leaves every file that no longer holds what the apply wrote: changed by someone
// since, held open, gone, replaced by another file; a file the apply never reached holds
// what it held before and is left without a word. What it left, the next undo tries again.
TEST_F(Undo, LeavesWhatChangedSinceNamesItAndTriesAgainNextTime)
{
    const std::wstring restored = MakeFile(L"restored.txt");
    const std::wstring changed = MakeFile(L"changed.txt");
    const std::wstring held = MakeFile(L"held.txt");
    const std::wstring gone = MakeFile(L"gone.txt");
    const std::wstring replaced = MakeFile(L"replaced.txt");
    const std::wstring unreached = MakeFile(L"unreached.txt");
    ASSERT_TRUE(Write({restored, changed, held, gone, replaced, unreached}, NewWrite()));
    const std::vector<JournalEntry> entries = ReadBack();
    ASSERT_EQ(entries.size(), 6u);

    FILETIME other = StampOfUtc(2020, 2, 2, 2, 2, 2);
    ASSERT_TRUE(WriteStamps(changed, nullptr, nullptr, &other));
    HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(DeleteFileW(gone.c_str()));
    // Saved as editors save: a new file with the same stamps renamed over the old one.
    const FileStamps applied = StampsOf(replaced);
    const std::wstring saved = folder.MakeFile(L"replaced.tmp", 9);
    ASSERT_TRUE(WriteStamps(saved, nullptr, &applied.access, &applied.write));
    ASSERT_TRUE(MoveFileExW(saved.c_str(), replaced.c_str(), MOVEFILE_REPLACE_EXISTING));
    // As if the program had ended before it reached this file.
    FILETIME before = AsFileTime(kWriteBefore);
    ASSERT_TRUE(WriteStamps(unreached, nullptr, nullptr, &before));

    UndoOutcome outcome = UndoChanges(entries);
    CloseHandle(holder);
    ASSERT_EQ(outcome.left.size(), 4u);
    const struct {
        const std::wstring& path;
        const wchar_t* detail;
    } expected[] = {{changed, L"適用の後に変更されています"},
                    {held, L"ほかのプログラムが使用中です"},
                    {gone, L"見つかりません"},
                    {replaced, L"別のファイルに置き換えられています"}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(_wcsicmp(outcome.left[i].path.c_str(), expected[i].path.c_str()), 0) << outcome.left[i].path.c_str();
        EXPECT_EQ(outcome.left[i].detail, expected[i].detail);
    }
    EXPECT_EQ(AsStamp(StampsOf(restored).write), kWriteBefore);
    EXPECT_EQ(AsStamp(StampsOf(changed).write), AsStamp(other)) << "someone else's change is kept";
    EXPECT_EQ(UnixSecondsOf(StampsOf(held).write), static_cast<ULONGLONG>(kNewWrite));
    EXPECT_EQ(AsStamp(StampsOf(replaced).write), AsStamp(applied.write)) << "the new file keeps what it has";
    EXPECT_EQ(AsStamp(StampsOf(unreached).write), kWriteBefore);

    // The other program let go of the file: the next undo puts it back, and the files back
    // already count as done.
    outcome = UndoChanges(entries);
    ASSERT_EQ(outcome.left.size(), 3u);
    EXPECT_EQ(_wcsicmp(outcome.left[0].path.c_str(), changed.c_str()), 0);
    EXPECT_EQ(AsStamp(StampsOf(held).write), kWriteBefore);
    EXPECT_EQ(AsStamp(StampsOf(restored).write), kWriteBefore);
}

// A last-access stamp moves whenever someone reads the file: it never keeps the other parts
// of the apply from going back.
TEST_F(Undo, LastAccessMovedSinceDoesNotHoldBackTheOtherParts)
{
    const std::wstring path = MakeFile(L"read.txt");
    ChangeRequest request = NewWrite();
    request.stamps[kPlanAccess] = true;
    request.values[kPlanAccess] = kNewAccess;
    ASSERT_TRUE(Write({path}, request));
    const FILETIME readLater = StampOfUtc(2013, 3, 3, 3, 3, 3);
    ASSERT_TRUE(WriteStamps(path, nullptr, &readLater, nullptr));

    EXPECT_TRUE(UndoChanges(ReadBack()).left.empty());
    EXPECT_EQ(AsStamp(StampsOf(path).write), kWriteBefore);
    EXPECT_EQ(AsStamp(StampsOf(path).access), AsStamp(readLater)) << "the reader's stamp stays";
}

TEST_F(Undo, MoveIsTakenBackOnlyForTheMovedFileAndWhileTheOldNameIsFree)
{
    const std::wstring old = MakeFile(L"old.txt");
    const std::wstring moved = folder / L"new.txt";
    ASSERT_TRUE(Write({old}, NewWrite(), moved));
    ASSERT_FALSE(Exists(old));
    const std::vector<JournalEntry> entries = ReadBack();
    ASSERT_EQ(entries.size(), 2u) << "the move, then the times under the new name";
    EXPECT_EQ(entries[0].newPath, moved);
    EXPECT_EQ(_wcsicmp(entries[1].path.c_str(), moved.c_str()), 0);

    // Another file took the old name: nothing of the moved file is touched.
    const std::wstring squatter = folder.MakeFile(L"old.txt", 3);
    UndoOutcome outcome = UndoChanges(entries);
    ASSERT_EQ(outcome.left.size(), 1u);
    EXPECT_EQ(outcome.left[0].path, moved);
    EXPECT_EQ(outcome.left[0].detail, L"元の名前「old.txt」は別のファイルが使っています");
    EXPECT_EQ(AsStamp(StampsOf(moved).write), kWriteBefore) << "its times were put back before the name was tried";
    ASSERT_TRUE(DeleteFileW(squatter.c_str()));

    // The moved file is gone and a new document was saved under its new name: that one
    // is not the moved file, and keeps its name.
    ASSERT_TRUE(DeleteFileW(moved.c_str()));
    const std::wstring document = folder.MakeFile(L"new.txt", 7);
    outcome = UndoChanges(entries);
    ASSERT_EQ(outcome.left.size(), 1u);
    EXPECT_EQ(outcome.left[0].path, moved);
    // Windows gives a new file another ID; a Linux file system may give it the deleted
    // file's inode number, and then the document's own stamps tell it apart.
    EXPECT_TRUE(outcome.left[0].detail == L"別のファイルに置き換えられています" ||
                outcome.left[0].detail == L"適用の後に変更されています")
        << outcome.left[0].detail.c_str();
    EXPECT_TRUE(Exists(document));
    EXPECT_EQ(BytesOf(document).size(), 7u) << "the document keeps its name and content";
    EXPECT_FALSE(Exists(old));
}

TEST_F(Undo, MoveIsTakenBack)
{
    const std::wstring old = MakeFile(L"old.txt");
    const std::wstring moved = folder / L"new.txt";
    ASSERT_TRUE(Write({old}, NewWrite(), moved));
    const UndoOutcome outcome = UndoChanges(ReadBack());
    EXPECT_TRUE(outcome.left.empty());
    ASSERT_EQ(outcome.moves.size(), 1u);
    EXPECT_EQ(AsStamp(StampsOf(old).write), kWriteBefore);
    EXPECT_FALSE(Exists(moved));
}

// Regression: an apply that only renamed onto a name already taken removed the journal of
// the apply before it, which could then no longer be undone.
TEST_F(Undo, ApplyThatChangesNothingKeepsThePreviousUndo)
{
    const std::wstring a = MakeFile(L"a.txt");
    const std::wstring taken = folder.MakeFile(L"taken.txt", 3);
    ASSERT_TRUE(Write({a}, NewWrite()));
    const std::string previous = BytesOf(JournalPath());
    ASSERT_FALSE(previous.empty());

    EXPECT_FALSE(Write({a}, ChangeRequest(), taken));
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].detail.find(L"名前を「taken.txt」に変更できませんでした"), 0u);
    EXPECT_EQ(BytesOf(JournalPath()), previous) << "the previous journal, byte for byte";
    EXPECT_TRUE(UndoChanges(ReadBack()).left.empty());
    EXPECT_EQ(AsStamp(StampsOf(a).write), kWriteBefore);
}

TEST_F(Undo, FailedMoveIsNotTakenBackAsAMove)
{
    const std::wstring old = MakeFile(L"old.txt");
    const std::wstring taken = folder.MakeFile(L"taken.txt", 3);
    EXPECT_FALSE(Write({old}, NewWrite(), taken));
    EXPECT_TRUE(UndoChanges(ReadBack()).left.empty());
    EXPECT_EQ(AsStamp(StampsOf(old).write), kWriteBefore);
    EXPECT_EQ(BytesOf(taken).size(), 3u) << "the file that has the name stays as it is";
}

TEST_F(Undo, ApplyThatCannotRecordChangesNothingAndSaysSoOnce)
{
    const std::wstring a = MakeFile(L"a.txt");
    const std::wstring b = MakeFile(L"b.txt");
    // A folder where the journal should be: the file cannot be put there.
    ASSERT_TRUE(CreateDirectoryW((folder / L"journal").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(JournalPath().c_str(), nullptr));
    EXPECT_FALSE(Write({a, b}, NewWrite()));
    ASSERT_EQ(report.failures.size(), 1u) << "one line for the journal, not one a file";
    EXPECT_EQ(report.failures[0].path, JournalPath());
    EXPECT_EQ(report.failures[0].detail.find(L"変更を元に戻すための記録を書けませんでした"), 0u);
    EXPECT_NE(report.failures[0].detail.find(L"2 個のファイルを変更していません"), std::wstring::npos)
        << report.failures[0].detail.c_str();
    for (const std::wstring& path : {a, b})
        EXPECT_EQ(AsStamp(StampsOf(path).write), kWriteBefore);
    RemoveDirectoryW(JournalPath().c_str());
}

// A name with a surrogate that has no partner is a name Windows allows: the apply journals
// it and the undo finds the file by it.
TEST_F(Undo, NameWithAnUnpairedSurrogateIsWrittenAndPutBack)
{
    const std::wstring path = folder / L"photo\xD800.jpg";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        GTEST_SKIP() << "the platform refuses to create a name with an unpaired surrogate (error " << GetLastError()
                     << "): the journal's round trip of such names is tested on its text alone";
    CloseHandle(file);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder / L"photo*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    if (std::wstring(found.cFileName) != L"photo\xD800.jpg")
        GTEST_SKIP() << "this file system keeps no unpaired surrogate in a name (it lists the file otherwise)";
    FILETIME write = AsFileTime(kWriteBefore);
    ASSERT_TRUE(WriteStamps(path, nullptr, nullptr, &write));

    ASSERT_TRUE(Write({path}, NewWrite()));
    ASSERT_EQ(UnixSecondsOf(StampsOf(path).write), static_cast<ULONGLONG>(kNewWrite));
    const UndoOutcome outcome = UndoChanges(ReadBack());
    EXPECT_TRUE(outcome.left.empty()) << (outcome.left.empty() ? std::wstring() : outcome.left[0].detail).c_str();
    EXPECT_EQ(AsStamp(StampsOf(path).write), kWriteBefore);
}

// A link among a folder's files that leads to a file on another volume: that file is known
// by its own volume's serial number, not by its neighbours', and the undo finds it the same.
TEST_F(Undo, LinkToAnotherVolumeIsKnownByThatVolume)
{
    wchar_t system[MAX_PATH] = L"";
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring other;
    DWORD ownSerial = 0;
    GetVolumeInformationW((folder.Path().substr(0, 3)).c_str(), nullptr, 0, &ownSerial, nullptr, nullptr, nullptr, 0);
    for (const wchar_t* candidate : {L"Z:\\tmp", L"D:\\", L"E:\\"}) {
        DWORD serial = 0;
        const std::wstring root = std::wstring(candidate).substr(0, 3);
        if (GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0) &&
            serial != ownSerial && (GetFileAttributesW(candidate) & FILE_ATTRIBUTE_DIRECTORY) &&
            GetFileAttributesW(candidate) != INVALID_FILE_ATTRIBUTES) {
            other = candidate;
            break;
        }
    }
    if (other.empty())
        GTEST_SKIP() << "no second volume with another serial number to link to";
    if (other.back() != L'\\')
        other += L'\\';
    const std::wstring target = other + L"kalendrix-volume-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        GTEST_SKIP() << "no file can be made on the second volume " << std::string(other.begin(), other.end());
    CloseHandle(file);
    FILETIME write = AsFileTime(kWriteBefore);
    WriteStamps(target, nullptr, nullptr, &write);
    const std::wstring beside = MakeFile(L"a.txt");
    const std::wstring link = folder / L"b-link.txt";
    const bool linked = CreateSymbolicLinkW(link.c_str(), target.c_str(), 0) != FALSE;
    HANDLE through = CreateFileW(link.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (through != INVALID_HANDLE_VALUE)
        CloseHandle(through);
    if (!linked || through == INVALID_HANDLE_VALUE) {
        DeleteFileW(link.c_str());
        DeleteFileW(target.c_str());
        GTEST_SKIP() << "no symbolic link to a file on another volume can be made and opened here";
    }

    const bool written = Write({beside, link}, NewWrite());
    const UndoOutcome outcome = UndoChanges(ReadBack());
    const LONGLONG targetWrite = AsStamp(StampsOf(target).write);
    DeleteFileW(link.c_str());
    DeleteFileW(target.c_str());
    ASSERT_TRUE(written) << (report.failures.empty() ? std::wstring() : report.failures[0].detail).c_str();
    EXPECT_TRUE(outcome.left.empty()) << (outcome.left.empty() ? std::wstring() : outcome.left[0].detail).c_str();
    EXPECT_EQ(targetWrite, kWriteBefore);
    EXPECT_EQ(AsStamp(StampsOf(beside).write), kWriteBefore);
}

// FAT keeps the last write to 2 s: an odd second written there is held rounded. The report
// tells what each file holds, the journal keeps that, and the undo puts every file back,
// though nothing tells the program that the volume is FAT (Wine names no file system there).
TEST_F(Undo, StampsAFatVolumeRoundsAreToldAndUndone)
{
    const wchar_t* const mounted = _wgetenv(L"KALENDRIX_FAT_FOLDER");
    if (mounted == nullptr || *mounted == L'\0')
        GTEST_SKIP() << "no FAT volume here: tools/wine-exec mounts one as root where FUSE and fusefat are there";
    std::wstring fat = std::wstring(L"Z:") + mounted;
    std::replace(fat.begin(), fat.end(), L'/', L'\\');
    fat += L"\\undo" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(fat.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    std::vector<std::wstring> paths;
    std::vector<LONGLONG> before;
    for (const wchar_t* name : {L"\\a.txt", L"\\b.txt"}) {
        const std::wstring path = fat + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        // Both stamps: fusefat ignores a last write set alone (the last access omitted).
        const FILETIME write = AsFileTime(kWriteBefore);
        const FILETIME access = AsFileTime(kAccessBefore);
        SetFileTime(file, nullptr, &access, &write);
        CloseHandle(file);
        paths.push_back(path);
        before.push_back(AsStamp(StampsOf(path).write));
    }
    ChangeRequest request;
    request.stamps[kPlanWrite] = true;
    request.values[kPlanWrite] = kNewWrite + 1; // an odd second
    request.stamps[kPlanAccess] = true;
    request.values[kPlanAccess] = kNewAccess;

    FileSet files;
    files.Assign(paths);
    files.ReadStates();
    report = PlanWriter(JournalPath()).Write(BuildChangePlan(files, request), paths);
    const LONGLONG held = AsStamp(StampsOf(paths[0]).write);
    const UndoOutcome outcome = UndoChanges(ReadBack());
    std::vector<LONGLONG> after;
    for (const std::wstring& path : paths) {
        after.push_back(AsStamp(StampsOf(path).write));
        DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(fat.c_str());

    FILETIME asked;
    ASSERT_TRUE(TimeValueToFileTime(kNewWrite + 1, &asked));
    if (held == AsStamp(asked))
        GTEST_SKIP() << "this volume kept the odd second: it is no FAT volume";
    EXPECT_TRUE(report.failures.empty()) << report.failures[0].detail.c_str();
    ASSERT_EQ(report.rounded.size(), 2u);
    EXPECT_EQ(report.rounded[0].path, paths[0]);
    EXPECT_EQ(report.rounded[0].detail.find(L"更新日時 " + LocalStampText(AsStamp(asked)) + L" は " +
                                            LocalStampText(held) + L" として記録されました"),
              0u)
        << report.rounded[0].detail.c_str();
    EXPECT_TRUE(outcome.left.empty()) << outcome.left[0].detail.c_str();
    EXPECT_EQ(after, before) << "every file back as it was";
}

// Paths the classic calls refuse are written and put back in the extended form.
TEST_F(Undo, PathOf260CharactersOrMoreIsWrittenAndPutBack)
{
    const std::wstring longPath = folder / std::wstring(MAX_PATH + 10 - folder.Path().size(), L'n');
    ASSERT_GE(longPath.size(), static_cast<size_t>(MAX_PATH));
    HANDLE file = CreateFileW((L"\\\\?\\" + longPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME write = AsFileTime(kWriteBefore);
    SetFileTime(file, nullptr, nullptr, &write);
    CloseHandle(file);
    ASSERT_TRUE(Write({longPath}, NewWrite()));
    FileStamps stamps = {};
    ASSERT_TRUE(ReadStamps(L"\\\\?\\" + longPath, &stamps));
    EXPECT_EQ(UnixSecondsOf(stamps.write), static_cast<ULONGLONG>(kNewWrite));

    EXPECT_TRUE(UndoChanges(ReadBack()).left.empty());
    ASSERT_TRUE(ReadStamps(L"\\\\?\\" + longPath, &stamps));
    EXPECT_EQ(AsStamp(stamps.write), kWriteBefore);
    DeleteFileW((L"\\\\?\\" + longPath).c_str());
}

// Creation stamps and the archive flag go back as the rest do, where the platform keeps them.
TEST_F(Undo, CreationStampAndArchiveFlagArePutBack)
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
    ChangeRequest request;
    request.stamps[kPlanCreation] = true;
    request.values[kPlanCreation] = kNewWrite;
    request.attributes = true;
    request.boxes = FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(Write({path}, request));
    ASSERT_EQ(GetFileAttributesW(path.c_str()) & 0x27, static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM));

    EXPECT_TRUE(UndoChanges(ReadBack()).left.empty());
    EXPECT_EQ(AsStamp(StampsOf(path).creation), kAccessBefore);
    EXPECT_EQ(GetFileAttributesW(path.c_str()) & 0x27, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN));
}
