// The journal's reader on bytes from memory: every whole group, a tolerant end, damage
// before it refused with the line it is on, and no over-long line read whole.
#include "model/JournalFormat.h"
#include "model/JournalReader.h"

#include "support/JournalSamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const LONGLONG kWriteBefore = kSampleWriteBefore;
const LONGLONG kAccessBefore = kSampleAccessBefore;
const FILETIME kBegan = {0x89ABCDEF, 0x01D7A5B3};

// `bytes` handed over `piece` bytes at a time (0: as much as is asked for).
JournalReading ReadBytes(const std::string& bytes, JournalContents* contents, std::wstring* problem, size_t piece = 0)
{
    size_t at = 0;
    return ReadJournal(
        [&](char* buffer, size_t size, size_t* got) {
            *got = std::min(std::min(size, piece == 0 ? size : piece), bytes.size() - at);
            std::memcpy(buffer, bytes.data() + at, *got);
            at += *got;
            return true;
        },
        contents, problem);
}

std::vector<std::wstring> PathsOf(const JournalContents& contents)
{
    std::vector<std::wstring> paths;
    for (const JournalEntry& entry : contents.entries)
        paths.push_back(entry.path);
    return paths;
}

// Lines: 1 header, 2 columns, 3 start, 4-5 entries, 6 closing, 7 entry, 8 closing.
std::string TwoGroups()
{
    return JournalHeadBytes(kBegan) + GroupBytes({ChangedEntry(L"C:\\a.txt"), ChangedEntry(L"C:\\b.txt")}) +
           GroupBytes({ChangedEntry(L"C:\\c.txt")});
}

} // namespace

TEST(JournalReader, EveryGroupComesBackInOrderHoweverTheBytesArrive)
{
    const std::string bytes = TwoGroups();
    for (size_t piece : {0, 1, 2, 3, 7, 4096}) {
        SCOPED_TRACE(piece);
        JournalContents contents;
        std::wstring problem;
        ASSERT_EQ(ReadBytes(bytes, &contents, &problem, piece), JournalReading::read) << problem;
        EXPECT_EQ(PathsOf(contents), (std::vector<std::wstring>{L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt"}));
        EXPECT_EQ(contents.made.dwLowDateTime, kBegan.dwLowDateTime);
        EXPECT_EQ(contents.entries[1].after.write, 129539880000000000LL);
    }
}

// A program ended while it wrote a group leaves that group without its closing line; its
// files were not changed yet, and every whole group before it is undone.
TEST(JournalReader, ACutOffEndStillGivesEveryWholeGroup)
{
    const std::string head = JournalHeadBytes(kBegan);
    const std::string whole = head + GroupBytes({ChangedEntry(L"C:\\a.txt"), ChangedEntry(L"C:\\b.txt")}) +
                              GroupBytes({ChangedEntry(L"C:\\c.txt")}) +
                              GroupBytes({ChangedEntry(L"C:\\d.txt"), ChangedEntry(L"C:\\e.txt")});
    const size_t thirdGroup = whole.find("C:\\d.txt");
    const size_t thirdEnd = whole.rfind("以上");
    const struct {
        const char* what;
        std::string bytes;
        size_t entries;
    } cases[] = {
        {"cut inside the third group's first line", whole.substr(0, thirdGroup + 5), 3},
        {"cut after the first line's break", whole.substr(0, whole.find("C:\\e.txt")), 3},
        {"whole lines, no closing line", whole.substr(0, thirdEnd), 3},
        {"cut inside the closing line", whole.substr(0, thirdEnd + 5), 3},
        {"closing line without its line break", whole.substr(0, whole.size() - 2), 3},
        {"zeros where the disk kept no data", whole.substr(0, thirdGroup) + std::string(300, '\0'), 3},
        {"a damaged whole line in the last group", whole.substr(0, thirdGroup) + "C:\\d.txt\tgarbage\r\n", 3},
        {"only the head and an unclosed group", head + "C:\\a.txt\t\t", 0},
        {"only the head", head, 0},
        {"nothing cut", whole, 5},
    };
    for (const auto& cut : cases) {
        JournalContents contents;
        std::wstring problem;
        ASSERT_EQ(ReadBytes(cut.bytes, &contents, &problem), JournalReading::read) << cut.what << ": " << problem;
        ASSERT_EQ(contents.entries.size(), cut.entries) << cut.what;
        EXPECT_EQ(contents.lastGroupPassedOver, cut.bytes != whole && cut.bytes != head) << cut.what;
        if (cut.entries >= 3) {
            EXPECT_EQ(contents.entries[2].path, L"C:\\c.txt") << cut.what;
        }
    }
}

namespace {

// A group as the writer closes it, then damaged: `lines` are its lines (each with its line
// break); the closing line counts `count` lines (0: as many as there are) and carries the
// CRC of `lines` with `crcFlip` xored in.
std::string ClosedGroup(const std::vector<std::string>& lines, size_t count = 0, DWORD crcFlip = 0)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line;
    char end[64];
    std::snprintf(end, sizeof end, "\xE4\xBB\xA5\xE4\xB8\x8A\t%u\t%08lX\r\n",
                  static_cast<unsigned>(count == 0 ? lines.size() : count),
                  static_cast<unsigned long>(Crc32(0, bytes.data(), bytes.size()) ^ crcFlip));
    return bytes + end;
}

std::string LineOf(const JournalEntry& entry)
{
    const std::wstring text = FormatJournalLine(entry);
    std::string bytes(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.pop_back();
    return bytes + "\r\n";
}

} // namespace

// Damage in the last group (a power loss while it was written can keep its closing line
// and lose a line before it) passes that group over and keeps every group before it; the
// same damage in an earlier group refuses the journal with the line it is on.
TEST(JournalReader, DamageInTheLastGroupPassesItOverAndInAnEarlierOneIsRefused)
{
    const std::string a = LineOf(ChangedEntry(L"C:\\a.txt"));
    const std::string b = LineOf(ChangedEntry(L"C:\\b.txt"));
    const struct {
        const char* what;
        std::string damaged; // a group of two lines, damaged
        size_t readable;     // its entries that can still be read
        const wchar_t* earlier; // the problem when it comes first (lines 4-5, closing 6)
    } cases[] = {
        {"a count that does not match", ClosedGroup({a, b}, 3), 2, L"記録が壊れています（6 行目）"},
        {"a checksum that does not match", ClosedGroup({a, b}, 0, 0x10), 2, L"記録が壊れています（6 行目）"},
        {"a line that is no entry", ClosedGroup({a, "C:\\b.txt\tgarbage\r\n"}), 1, L"記録が壊れています（5 行目）"},
        {"a line lost", ClosedGroup({a, b}).substr(a.size()), 1, L"記録が壊れています（5 行目）"},
    };
    const std::string head = JournalHeadBytes(kBegan);
    const std::string whole = GroupBytes({ChangedEntry(L"C:\\c.txt")});
    for (const auto& damage : cases) {
        JournalContents contents;
        std::wstring problem;
        ASSERT_EQ(ReadBytes(head + whole + damage.damaged, &contents, &problem), JournalReading::read)
            << damage.what << ": " << problem;
        EXPECT_EQ(PathsOf(contents), std::vector<std::wstring>{L"C:\\c.txt"}) << damage.what;
        EXPECT_TRUE(contents.lastGroupPassedOver) << damage.what;
        EXPECT_EQ(contents.passedOver.size(), damage.readable) << damage.what;

        EXPECT_EQ(ReadBytes(head + damage.damaged + whole, &contents, &problem), JournalReading::unreadable)
            << damage.what;
        EXPECT_EQ(problem, damage.earlier) << damage.what;
    }
}

// Lines a hostile program could write with a valid checksum: an undo would write what they
// say, or act on a file the apply never chose. Each is refused with its line, in a group
// that is not the last.
TEST(JournalReader, HostileLinesAreRefusedWithTheirLine)
{
    const auto with = [](void (*change)(JournalEntry&)) {
        JournalEntry entry = ChangedEntry(L"C:\\a.txt");
        change(entry);
        return entry;
    };
    const struct {
        const char* what;
        JournalEntry entry;
        bool refused;
    } cases[] = {
        {"a negative stamp to write back", with([](JournalEntry& e) { e.before.write = -5; }), true},
        {"a negative stamp written", with([](JournalEntry& e) { e.after.write = -1; }), true},
        {"a stamp past any calendar", with([](JournalEntry& e) { e.before.write = 0x7FFFFFFFFFFFFFFFLL; }), true},
        {"a relative path", with([](JournalEntry& e) { e.path = L"a.txt"; }), true},
        {"a path relative to a drive's folder", with([](JournalEntry& e) { e.path = L"C:a.txt"; }), true},
        {"a path from the root of no drive", with([](JournalEntry& e) { e.path = L"\\Windows\\a.txt"; }), true},
        {"a path that climbs", with([](JournalEntry& e) { e.path = L"C:\\data\\..\\Windows\\a.txt"; }), true},
        {"a device", with([](JournalEntry& e) { e.path = L"\\\\.\\PhysicalDrive0"; }), true},
        {"a device by its extended name", with([](JournalEntry& e) { e.path = L"\\\\?\\GLOBALROOT\\Device\\a.txt"; }), true},
        {"a relative new name", with([](JournalEntry& e) { e.newPath = L"b.txt"; }), true},
        {"a network share", with([](JournalEntry& e) { e.path = L"\\\\server\\share\\a.txt"; }), false},
        {"an extended drive path", with([](JournalEntry& e) { e.path = L"\\\\?\\C:\\a.txt"; }), false},
        {"an extended share path", with([](JournalEntry& e) { e.path = L"\\\\?\\UNC\\server\\share\\a.txt"; }), false},
        {"a stamp past any calendar that the undo never writes",
         with([](JournalEntry& e) { e.before.access = 0x7FFFFFFFFFFFFFFFLL; }), false},
    };
    for (const auto& line : cases) {
        // Lines: 1-3 head, 4 entry, 5 closing, 6 the line, 7 closing, 8 entry, 9 closing.
        const std::string bytes = JournalHeadBytes(kBegan) + GroupBytes({ChangedEntry(L"C:\\z.txt")}) +
                                  GroupBytes({line.entry}) + GroupBytes({ChangedEntry(L"C:\\y.txt")});
        JournalContents contents;
        std::wstring problem;
        const JournalReading reading = ReadBytes(bytes, &contents, &problem);
        EXPECT_EQ(reading, line.refused ? JournalReading::unreadable : JournalReading::read) << line.what;
        EXPECT_EQ(problem, line.refused ? L"記録が壊れています（6 行目）" : L"") << line.what;
    }
}

TEST(JournalReader, DamageBeforeTheEndIsRefusedWithItsLine)
{
    const std::string good = TwoGroups();
    const auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string bytes = good;
        const size_t at = bytes.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? bytes : bytes.replace(at, from.size(), to);
    };
    const size_t firstEnd = good.find("\r\n以上") + 2; // the column comment names it too
    const std::string firstClosing = good.substr(firstEnd, good.find("\r\n", firstEnd) + 2 - firstEnd);
    const std::string firstVersion =
        "\xEF\xBB\xBF" "Kalendrix undo journal 1\r\n# columns\r\n"
        "C:\\a.txt\t\t2005-13-18T05:20:00.1234567Z\t-\t2005-02-18T05:20:00.1234567Z\t-\t2005-06-16T07:45:30.7654321Z\t-"
        "\t00000020\t-\r\n";

    const struct {
        const char* what;
        std::string bytes;
        const wchar_t* problem;
    } cases[] = {
        {"empty", "", L"記録が壊れています（1 行目）"},
        {"no byte order mark", good.substr(3), L"記録が壊れています（1 行目）"},
        {"another version", replaced("journal 2", "journal 3"), L"ほかの版のKalendrixが書いた記録です"},
        {"no column comment", replaced("# ", "* "), L"記録が壊れています（2 行目）"},
        {"no start line", replaced("適用の開始", "適用の終了"), L"記録が壊れています（3 行目）"},
        {"a head cut off", good.substr(0, good.find("適用の開始")), L"記録が壊れています（3 行目）"},
        {"a month 13 in a closed group", replaced("2005-02-18T05:20:00.1234567Z", "2005-13-18T05:20:00.1234567Z"),
         L"記録が壊れています（4 行目）"},
        {"a field missing", replaced("\t-\t00000021", " -\t00000021"), L"記録が壊れています（4 行目）"},
        {"not UTF-8", replaced("C:\\b.txt", "C:\\\xFF.txt"), L"記録が壊れています（5 行目）"},
        {"another path, same length", replaced("C:\\b.txt", "C:\\x.txt"), L"記録が壊れています（6 行目）"},
        {"a line lost", std::string(good).erase(good.find("C:\\b.txt"), firstEnd - good.find("C:\\b.txt")),
         L"記録が壊れています（5 行目）"},
        {"a count that does not match", replaced(firstClosing, std::string(firstClosing).replace(7, 1, "3")),
         L"記録が壊れています（6 行目）"},
        {"a closing line with no group", replaced(firstClosing, firstClosing + firstClosing), L"記録が壊れています（7 行目）"},
        {"first version, a month 13", firstVersion, L"記録が壊れています（3 行目）"},
    };
    for (const auto& bad : cases) {
        JournalContents contents;
        std::wstring problem;
        EXPECT_EQ(ReadBytes(bad.bytes, &contents, &problem), JournalReading::unreadable) << bad.what;
        EXPECT_EQ(problem, bad.problem) << bad.what;
        EXPECT_TRUE(contents.entries.empty()) << bad.what;
    }

    JournalContents contents;
    std::wstring problem;
    const JournalSource failing = [](char*, size_t, size_t* got) {
        *got = 0;
        return false;
    };
    EXPECT_EQ(ReadJournal(failing, &contents, &problem), JournalReading::unreadable);
    EXPECT_EQ(problem, L"記録を読めません") << "a source that fails";
}

// An endless line after a good group: refused once it passes the longest entry, having
// taken little more than that from the source.
TEST(JournalReader, AnOverLongLineIsRefusedBeforeItIsReadWhole)
{
    const std::string good = JournalHeadBytes(kBegan) + GroupBytes({ChangedEntry(L"C:\\a.txt")}) + "C:\\";
    size_t given = 0;
    JournalContents contents;
    std::wstring problem;
    const JournalReading reading = ReadJournal(
        [&](char* buffer, size_t size, size_t* got) {
            for (size_t index = 0; index < size; ++index)
                buffer[index] = given + index < good.size() ? good[given + index] : 'x';
            given += size;
            *got = size;
            return true;
        },
        &contents, &problem);
    EXPECT_EQ(reading, JournalReading::unreadable);
    EXPECT_EQ(problem, L"記録が壊れています（6 行目）");
    EXPECT_LT(given, 2 * kLongestJournalLine);
}

// The journal the program wrote before this version: read, so that an apply made before an
// update can still be undone after it.
TEST(JournalReader, AFirstVersionJournalIsRead)
{
    const std::string line =
        "C:\\データ\\a.txt\t\t2005-02-18T05:20:00.1234567Z\t-\t2005-02-18T05:20:00.1234567Z"
        "\t2011-07-01T10:00:00.0000000Z\t2005-06-16T07:45:30.7654321Z\t-\t00000020\t-\r\n";
    const std::string moved = "C:\\b.txt\tC:\\c.txt\t2005-02-18T05:20:00.1234567Z\t-\t2005-02-18T05:20:00.1234567Z\t-"
                              "\t2005-06-16T07:45:30.7654321Z\t-\t00000021\t00000020\r\n";
    JournalContents contents;
    std::wstring problem;
    ASSERT_EQ(ReadBytes("\xEF\xBB\xBF" "Kalendrix undo journal 1\r\n# パス\t新しいパス\r\n" + line + moved +
                            line.substr(0, 40),
                        &contents, &problem),
              JournalReading::read)
        << problem;
    ASSERT_EQ(contents.entries.size(), 2u) << "the cut-off last line passed over";
    const JournalEntry& first = contents.entries[0];
    EXPECT_EQ(first.path, L"C:\\データ\\a.txt");
    EXPECT_EQ(first.changes, static_cast<unsigned>(kWritePart));
    EXPECT_EQ(first.before.write, kWriteBefore);
    EXPECT_EQ(first.after.write, 129539880000000000LL);
    EXPECT_FALSE(first.identity.Known());
    EXPECT_EQ(contents.entries[1].newPath, L"C:\\c.txt");
    EXPECT_EQ(contents.entries[1].changes, static_cast<unsigned>(kAttributePart));
    EXPECT_EQ(contents.made.dwLowDateTime | contents.made.dwHighDateTime, 0u);
}
