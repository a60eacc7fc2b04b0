// The journal as files: the writer that replaces the previous journal only once its first
// group is on the disk, the reader that removes it through the handle it read it with.
#include "model/JournalReader.h"
#include "model/JournalWriter.h"
#include "support/TempFolder.h"

#include <winioctl.h>

#include "support/JournalSamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

// 100-ns stamps with a fraction of a second, as a file system keeps them.
const LONGLONG kWriteBefore = kSampleWriteBefore;
const LONGLONG kAccessBefore = kSampleAccessBefore;

LONGLONG AsStamp(const FILETIME& time)
{
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

bool SameEntry(const JournalEntry& a, const JournalEntry& b)
{
    const unsigned parts = a.changes;
    return a.path == b.path && a.newPath == b.newPath && a.identity == b.identity && a.changes == b.changes &&
           a.before.creation == b.before.creation && a.before.write == b.before.write &&
           a.before.access == b.before.access && a.before.attributes == b.before.attributes &&
           (!(parts & kCreationPart) || a.after.creation == b.after.creation) &&
           (!(parts & kWritePart) || a.after.write == b.after.write) &&
           (!(parts & kAccessPart) || a.after.access == b.after.access) &&
           (!(parts & kAttributePart) || a.after.attributes == b.after.attributes);
}

// Read as an editor would, sharing everything: the journal may be open for its removal.
std::string BytesOf(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

class Journal : public ::testing::Test {
protected:
    std::wstring JournalPath() const { return folder / L"journal\\UndoJournal.txt"; }

    std::vector<JournalEntry> ReadBack()
    {
        ChangeJournalFile journal;
        std::wstring problem;
        EXPECT_EQ(journal.Open(JournalPath(), &problem), JournalReading::read) << problem;
        return journal.Entries();
    }

    TempFolder folder;
};

} // namespace

namespace {

JournalEntry RenamedEntry()
{
    JournalEntry entry;
    entry.path = L"C:\\データ\\報告 書.txt";
    entry.newPath = L"C:\\データ\\報告.txt";
    entry.identity = {0x00000000A1B2C3D4ULL, 0x0123456789ABCDEFULL, 0xFEDCBA9876543210ULL};
    entry.before = {kWriteBefore, kWriteBefore, kAccessBefore, FILE_ATTRIBUTE_ARCHIVE};
    entry.after = entry.before;
    return entry;
}

// The files in a folder, so that a test sees that a writer left nothing of its own behind.
std::vector<std::wstring> NamesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

JournalReading ReadJournalAt(const std::wstring& path, std::vector<JournalEntry>* entries, std::wstring* problem)
{
    ChangeJournalFile journal;
    const JournalReading reading = journal.Open(path, problem);
    *entries = journal.Entries();
    return reading;
}

} // namespace

TEST_F(Journal, EntriesComeBackExactlyAsWritten)
{
    const JournalEntry renamed = RenamedEntry();
    const JournalEntry changed = ChangedEntry(L"\\\\?\\C:\\長い\\a.txt");
    FILETIME before;
    GetSystemTimeAsFileTime(&before);
    {
        ChangeJournalWriter writer(JournalPath());
        DWORD error = 0;
        ASSERT_TRUE(writer.AppendGroup({renamed}, &error)) << error;
        ASSERT_TRUE(writer.AppendGroup({changed, renamed}, &error)) << error; // a later group adds to it
        writer.Finish(true);
    }
    FILETIME after;
    GetSystemTimeAsFileTime(&after);
    const std::string bytes = BytesOf(JournalPath());
    EXPECT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0) << "UTF-8 with a byte order mark";
    EXPECT_NE(bytes.find("Kalendrix undo journal 2\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("2005-02-18T05:20:00.1234567Z"), std::string::npos) << "stamps readable, to 100 ns";
    EXPECT_NE(bytes.find("\t00000000A1B2C3D4\t0123456789ABCDEF\tFEDCBA9876543210\t"), std::string::npos);

    {
        ChangeJournalFile journal;
        std::wstring problem;
        ASSERT_EQ(journal.Open(JournalPath(), &problem), JournalReading::read) << problem;
        ASSERT_EQ(journal.Entries().size(), 3u);
        EXPECT_TRUE(SameEntry(journal.Entries()[0], renamed));
        EXPECT_TRUE(SameEntry(journal.Entries()[1], changed));
        EXPECT_TRUE(SameEntry(journal.Entries()[2], renamed));
        EXPECT_GE(AsStamp(journal.Made()), AsStamp(before));
        EXPECT_LE(AsStamp(journal.Made()), AsStamp(after));
    }

    // A new apply's journal replaces the last one, and leaves nothing beside it.
    {
        ChangeJournalWriter writer(JournalPath());
        DWORD error = 0;
        ASSERT_TRUE(writer.AppendGroup({changed}, &error));
    }
    EXPECT_EQ(ReadBack().size(), 1u);
    EXPECT_EQ(NamesIn(folder / L"journal"), std::vector<std::wstring>{L"UndoJournal.txt"});
}

// A damaged journal is told with the reader's reason and let go, so that it can be removed
// or replaced; no journal is missing, not unreadable.
TEST_F(Journal, DamagedFileIsToldAndLetGoAndNoFileIsMissing)
{
    {
        ChangeJournalWriter writer(JournalPath());
        DWORD error = 0;
        ASSERT_TRUE(writer.AppendGroup({ChangedEntry(L"C:\\a.txt")}, &error));
        ASSERT_TRUE(writer.AppendGroup({ChangedEntry(L"C:\\b.txt")}, &error));
    }
    // In the first group: only the last may be passed over.
    std::string bytes = BytesOf(JournalPath());
    bytes[bytes.find("C:\\a.txt")] = '\xFF';
    WriteBytes(JournalPath(), bytes);
    std::vector<JournalEntry> entries;
    std::wstring problem;
    EXPECT_EQ(ReadJournalAt(JournalPath(), &entries, &problem), JournalReading::unreadable);
    EXPECT_EQ(problem, L"記録が壊れています（4 行目）");
    EXPECT_TRUE(entries.empty());

    ChangeJournalFile journal;
    ASSERT_EQ(journal.Open(JournalPath(), &problem), JournalReading::unreadable);
    EXPECT_TRUE(DeleteFileW(JournalPath().c_str())) << "the reader holds no damaged journal open";
    EXPECT_EQ(journal.Open(JournalPath(), &problem), JournalReading::missing);
    DWORD error = 0;
    EXPECT_FALSE(journal.Remove(&error));
}

// A journal larger than any apply writes is refused before it is read: another program may
// have made it so, and it would be read whole into memory.
TEST_F(Journal, JournalOfMoreThanFourGigabytesIsRefusedUnread)
{
    CreateDirectoryW((folder / L"journal").c_str(), nullptr);
    WriteBytes(JournalPath(), "\xEF\xBB\xBFKalendrix undo journal 2\r\n");
    HANDLE file = CreateFileW(JournalPath().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kLargestJournal) + 1;
    const bool grown = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    if (!grown)
        GTEST_SKIP() << "this file system cannot hold a file of 4 GB";

    std::vector<JournalEntry> entries;
    std::wstring problem;
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(ReadJournalAt(JournalPath(), &entries, &problem), JournalReading::unreadable);
    EXPECT_EQ(problem, L"記録が大きすぎます（1000万件か 4 GB を超えています）");
    EXPECT_LT(GetTickCount64() - start, 5000u) << "refused without reading it";
}

// A run killed while it applied leaves its writer's files beside the journal: a new journal
// that never took the journal's place goes, and a previous one kept aside goes where a
// journal is in place, or takes its place where none is. What a running copy writes, and
// names of no writer, stay.
TEST_F(Journal, LeftoversOfAKilledRunAreCleanedUpAtTheNextStart)
{
    CreateDirectoryW((folder / L"journal").c_str(), nullptr);
    const std::wstring dead = JournalPath() + L".4294967292-"; // no process has this number
    const std::wstring running = JournalPath() + L"." + std::to_wstring(GetCurrentProcessId()) + L"-7.new";
    const std::wstring stranger = JournalPath() + L".bak";
    for (const std::wstring& path : {dead + L"1.new", dead + L"2.previous", running, stranger})
        WriteBytes(path, "leftover");
    WriteBytes(JournalPath(), "journal");

    EXPECT_TRUE(CleanUpJournalLeftovers(JournalPath()).empty());
    const std::vector<std::wstring> names = NamesIn(folder / L"journal");
    const std::wstring runningName = running.substr(running.find_last_of(L'\\') + 1);
    EXPECT_EQ(std::set<std::wstring>(names.begin(), names.end()),
              (std::set<std::wstring>{L"UndoJournal.txt", L"UndoJournal.txt.bak", runningName}));
    EXPECT_EQ(BytesOf(JournalPath()), "journal");

    // With no journal in place, the previous one kept aside is the journal.
    ASSERT_TRUE(DeleteFileW(JournalPath().c_str()));
    WriteBytes(dead + L"3.previous", "previous");
    WriteBytes(dead + L"3.new", "new");
    EXPECT_TRUE(CleanUpJournalLeftovers(JournalPath()).empty());
    EXPECT_EQ(BytesOf(JournalPath()), "previous");
    EXPECT_EQ(NamesIn(folder / L"journal").size(), 3u);
}

// The previous journal kept aside, held by another program at the end, cannot be removed:
// that is told, not passed over in silence.
TEST_F(Journal, AKeptPreviousJournalThatCannotBeRemovedIsTold)
{
    DWORD error = 0;
    {
        ChangeJournalWriter first(JournalPath());
        ASSERT_TRUE(first.AppendGroup({ChangedEntry(L"C:\\a.txt")}, &error));
    }
    ChangeJournalWriter writer(JournalPath());
    ASSERT_TRUE(writer.AppendGroup({ChangedEntry(L"C:\\b.txt")}, &error));
    std::wstring kept;
    for (const std::wstring& name : NamesIn(folder / L"journal")) {
        if (name.size() > 9 && name.compare(name.size() - 9, 9, L".previous") == 0)
            kept = folder / (L"journal\\" + name);
    }
    ASSERT_FALSE(kept.empty()) << "no previous journal kept aside";
    HANDLE holder = CreateFileW(kept.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    writer.Finish(true);
    CloseHandle(holder);
    EXPECT_EQ(writer.CleanUpProblem().find(L"前の適用の記録の控え " + kept + L" を消せませんでした。次に起動したときに消します（"),
              0u)
        << writer.CleanUpProblem().c_str();
    DeleteFileW(kept.c_str());
}

// Until Finish, the previous journal can be had back exactly; an apply that changed
// nothing, or could not begin its journal, leaves it as it was.
TEST_F(Journal, PreviousJournalStaysUntilTheApplyChangedSomething)
{
    enum class End { changed, unchanged, leftByAnError };
    const struct {
        const char* what;
        bool previous;
        End end;
    } cases[] = {
        {"changed", true, End::changed},
        {"changed nothing", true, End::unchanged},
        {"left by an error", true, End::leftByAnError},
        {"changed, none before", false, End::changed},
        {"changed nothing, none before", false, End::unchanged},
    };
    ASSERT_TRUE(CreateDirectoryW((folder / L"journal").c_str(), nullptr));
    const std::string previous = "\xEF\xBB\xBF" "Kalendrix undo journal 1\r\nnot even read\r\n";
    for (const auto& apply : cases) {
        DeleteFileW(JournalPath().c_str());
        if (apply.previous)
            WriteBytes(JournalPath(), previous);
        {
            ChangeJournalWriter writer(JournalPath());
            DWORD error = 0;
            ASSERT_TRUE(writer.AppendGroup({ChangedEntry(L"C:\\a.txt")}, &error)) << apply.what << ": " << error;
            EXPECT_NE(BytesOf(JournalPath()).find("C:\\a.txt"), std::string::npos)
                << apply.what << ": in place once the group is written";
            if (apply.end != End::leftByAnError)
                writer.Finish(apply.end == End::changed);
        }
        const bool keepsNew = apply.end != End::unchanged;
        if (keepsNew) {
            EXPECT_EQ(ReadBack().size(), 1u) << apply.what;
        } else if (apply.previous) {
            EXPECT_EQ(BytesOf(JournalPath()), previous) << apply.what << ": byte for byte";
        }
        const bool journalThere = keepsNew || apply.previous;
        EXPECT_EQ(NamesIn(folder / L"journal"),
                  journalThere ? std::vector<std::wstring>{L"UndoJournal.txt"} : std::vector<std::wstring>{})
            << apply.what;
    }
}

TEST_F(Journal, FirstGroupThatCannotBeWrittenLeavesNoTrace)
{
    ASSERT_TRUE(CreateDirectoryW((folder / L"journal").c_str(), nullptr));
    const std::string previous = "previous\r\n";
    WriteBytes(JournalPath(), previous);
    // Held by another program that lets nobody replace it.
    HANDLE holder = CreateFileW(JournalPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    {
        ChangeJournalWriter writer(JournalPath());
        DWORD error = 0;
        EXPECT_FALSE(writer.AppendGroup({ChangedEntry(L"C:\\a.txt")}, &error));
        EXPECT_NE(error, static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_FALSE(writer.Begun());
        writer.Finish(false);
    }
    CloseHandle(holder);
    EXPECT_EQ(BytesOf(JournalPath()), previous);
    EXPECT_EQ(NamesIn(folder / L"journal"), std::vector<std::wstring>{L"UndoJournal.txt"});

    // The journal's folder cannot be made: a file has its name.
    const std::wstring blocked = folder.MakeFile(L"blocked") + L"\\UndoJournal.txt";
    ChangeJournalWriter writer(blocked);
    DWORD error = 0;
    EXPECT_FALSE(writer.AppendGroup({ChangedEntry(L"C:\\a.txt")}, &error));
    EXPECT_EQ(NamesIn(folder.Path()).size(), 2u) << "the folder holds only journal\\ and blocked";
}

// Another running copy's journal, put under the name while this apply ran, is not replaced
// by the journal this apply found.
TEST_F(Journal, ApplyThatChangedNothingKeepsAnotherCopysJournal)
{
    ASSERT_TRUE(CreateDirectoryW((folder / L"journal").c_str(), nullptr));
    WriteBytes(JournalPath(), "previous\r\n");
    ChangeJournalWriter writer(JournalPath());
    DWORD error = 0;
    ASSERT_TRUE(writer.AppendGroup({ChangedEntry(L"C:\\a.txt")}, &error)) << error;
    // This apply's journal goes aside; the other copy's takes the name.
    ASSERT_TRUE(MoveFileExW(JournalPath().c_str(), (folder / L"aside.txt").c_str(), 0)) << GetLastError();
    WriteBytes(JournalPath(), "the other copy's\r\n");
    writer.Finish(false);
    EXPECT_EQ(BytesOf(JournalPath()), "the other copy's\r\n");
    EXPECT_EQ(NamesIn(folder / L"journal"), std::vector<std::wstring>{L"UndoJournal.txt"});
}

TEST_F(Journal, RemovedThroughTheHandleItWasReadWith)
{
    {
        ChangeJournalWriter writer(JournalPath());
        DWORD error = 0;
        ASSERT_TRUE(writer.AppendGroup({ChangedEntry(L"C:\\a.txt")}, &error));
    }
    ChangeJournalFile journal;
    std::wstring problem;
    ASSERT_EQ(journal.Open(JournalPath(), &problem), JournalReading::read);
    DWORD error = 0;
    ASSERT_TRUE(journal.Remove(&error)) << error;
    EXPECT_EQ(GetFileAttributesW(JournalPath().c_str()), INVALID_FILE_ATTRIBUTES);

    // Another running copy puts its journal under the name while this one is open.
    {
        ChangeJournalWriter writer(JournalPath());
        ASSERT_TRUE(writer.AppendGroup({ChangedEntry(L"C:\\a.txt")}, &error));
    }
    const std::string ours = BytesOf(JournalPath());
    ASSERT_EQ(journal.Open(JournalPath(), &problem), JournalReading::read);
    const std::wstring other = folder.MakeFile(L"other.txt", 5);
    const bool replaced = MoveFileExW(other.c_str(), JournalPath().c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    const DWORD replaceError = GetLastError();
    if (replaced) {
        std::printf("the open journal was replaced; removing it through its handle kept the other file\n");
        ASSERT_TRUE(journal.Remove(&error)) << error;
        EXPECT_EQ(BytesOf(JournalPath()), std::string(5, '\0')) << "the other copy's journal stays";
    } else {
        // The system lets no file replace one that is open (Windows, and Wine alike).
        EXPECT_EQ(BytesOf(JournalPath()), ours);
        ASSERT_TRUE(journal.Remove(&error)) << error;
        EXPECT_EQ(GetFileAttributesW(JournalPath().c_str()), INVALID_FILE_ATTRIBUTES);
        std::printf("the replacement of the open journal was refused (error %lu)\n", replaceError);
    }
}

TEST_F(Journal, JournalFolderComesFromTheEnvironment)
{
    wchar_t value[MAX_PATH] = L"";
    ASSERT_NE(GetEnvironmentVariableW(L"KALENDRIX_JOURNAL_FOLDER", value, MAX_PATH), 0u) << "set by the test main";
    EXPECT_EQ(DefaultJournalPath(), std::wstring(value) + L"\\UndoJournal.txt");
    SetEnvironmentVariableW(L"KALENDRIX_JOURNAL_FOLDER", nullptr);
    const std::wstring users = DefaultJournalPath();
    SetEnvironmentVariableW(L"KALENDRIX_JOURNAL_FOLDER", value);
    const std::wstring tail = L"\\tavolin\\Kalendrix\\UndoJournal.txt";
    ASSERT_GT(users.size(), tail.size());
    EXPECT_EQ(users.substr(users.size() - tail.size()), tail);
}
