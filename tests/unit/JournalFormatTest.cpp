// The journal's text on plain strings: an entry as its line and back, only the exact form
// the writer gives, and a group's closing line with its count and checksum.
#include "model/JournalFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// 100-ns stamps with a fraction of a second, as a file system keeps them.
const LONGLONG kWriteBefore = 127531776001234567LL;  // 2005-02-18 05:20:00.1234567 UTC
const LONGLONG kAccessBefore = 127633815307654321LL; // 2005-06-16 07:45:30.7654321 UTC

JournalEntry ChangedEntry()
{
    JournalEntry entry;
    entry.path = L"C:\\データ\\報告 書.txt";
    entry.newPath = L"C:\\データ\\報告.txt";
    entry.identity = {0x00000000A1B2C3D4ULL, 0x0123456789ABCDEFULL, 0xFEDCBA9876543210ULL};
    entry.before = {kWriteBefore, kWriteBefore + 1, kAccessBefore, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE};
    entry.after = {0, 129539880000000000LL, 0, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED};
    entry.changes = kWritePart | kAttributePart;
    return entry;
}

const wchar_t* const kChangedLine =
    L"C:\\データ\\報告 書.txt\tC:\\データ\\報告.txt\t00000000A1B2C3D4\t0123456789ABCDEF\tFEDCBA9876543210"
    L"\t2005-02-18T05:20:00.1234567Z\t-\t2005-02-18T05:20:00.1234568Z\t2011-07-01T10:00:00.0000000Z"
    L"\t2005-06-16T07:45:30.7654321Z\t-\t00000021\t00002020";

std::wstring Replaced(std::wstring text, const std::wstring& from, const std::wstring& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::wstring::npos) << "no \"" << std::string(from.begin(), from.end()) << "\" in the line";
    return at == std::wstring::npos ? text : text.replace(at, from.size(), to);
}

} // namespace

TEST(JournalFormat, AnEntryIsOneLineOfItsFieldsAndComesBackExactly)
{
    const JournalEntry entry = ChangedEntry();
    EXPECT_EQ(FormatJournalLine(entry), kChangedLine);

    JournalEntry back;
    ASSERT_TRUE(ParseJournalLine(kChangedLine, &back));
    EXPECT_EQ(back.path, entry.path);
    EXPECT_EQ(back.newPath, entry.newPath);
    EXPECT_TRUE(back.identity == entry.identity);
    EXPECT_EQ(back.changes, entry.changes);
    EXPECT_EQ(back.before.creation, entry.before.creation);
    EXPECT_EQ(back.before.write, entry.before.write);
    EXPECT_EQ(back.before.access, entry.before.access);
    EXPECT_EQ(back.before.attributes, entry.before.attributes);
    EXPECT_EQ(back.after.write, entry.after.write);
    EXPECT_EQ(back.after.attributes, entry.after.attributes);

    // A stamp without a calendar time is kept as the number the file system gave.
    JournalEntry odd = entry;
    odd.before.access = -5;
    ASSERT_TRUE(ParseJournalLine(FormatJournalLine(odd), &back));
    EXPECT_EQ(back.before.access, -5);
}

// Only the exact form the writer gives is read, so that nothing is read loosely.
TEST(JournalFormat, AnythingButTheWritersOwnFormIsNoEntry)
{
    const std::wstring good = kChangedLine;
    const struct {
        const char* what;
        std::wstring line;
    } cases[] = {
        {"a month 13", Replaced(good, L"2005-02-18T05", L"2005-13-18T05")},
        {"a fraction of eight digits", Replaced(good, L".1234567Z", L".12345678Z")},
        {"a stamp without its zone", Replaced(good, L".1234567Z", L".1234567")},
        {"an ID in lower case", Replaced(good, L"FEDCBA9876543210", L"fedcba9876543210")},
        {"a short ID", Replaced(good, L"\t0123456789ABCDEF\t", L"\t123456789ABCDEF\t")},
        {"a word of seven digits", Replaced(good, L"\t00000021\t", L"\t0000021\t")},
        {"a field missing", Replaced(good, L"\t-\t00000021", L" -\t00000021")},
        {"a field too many", good + L"\t-"},
        {"no path", good.substr(good.find(L'\t'))},
        {"an after field that is neither a time nor -", Replaced(good, L"Z\t-\t2005-02-18T05:20:00.1234568Z", L"Z\t?\t2005-02-18T05:20:00.1234568Z")},
    };
    for (const auto& c : cases) {
        JournalEntry entry;
        EXPECT_FALSE(ParseJournalLine(c.line, &entry)) << c.what;
    }
}

TEST(JournalFormat, TheFirstVersionsLinesHaveNoIdentity)
{
    JournalEntry entry;
    ASSERT_TRUE(ParseFirstVersionLine(L"C:\\b.txt\tC:\\c.txt\t2005-02-18T05:20:00.1234567Z\t-"
                                      L"\t2005-02-18T05:20:00.1234567Z\t-\t2005-06-16T07:45:30.7654321Z\t-\t00000021\t00000020",
                                      &entry));
    EXPECT_EQ(entry.newPath, L"C:\\c.txt");
    EXPECT_FALSE(entry.identity.Known());
    EXPECT_EQ(entry.changes, static_cast<unsigned>(kAttributePart));
    EXPECT_FALSE(ParseFirstVersionLine(kChangedLine, &entry)) << "a line of the second version is none of the first";
    EXPECT_TRUE(IsJournalComment(L"# パス"));
    EXPECT_FALSE(IsJournalComment(L""));
}

TEST(JournalFormat, TheHeadNamesTheVersionAndWhenTheApplyBegan)
{
    const FILETIME began = {0x89ABCDEF, 0x01D7A5B3};
    const std::string head = JournalHeadBytes(began);
    ASSERT_EQ(head.compare(0, 3, "\xEF\xBB\xBF"), 0) << "UTF-8 with a byte order mark";
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = head.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(head.substr(start, end - start));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(VersionOfHeader(lines[0]), JournalVersion::second);
    std::wstring text;
    ASSERT_TRUE(TextOfUtf8(lines[1], &text));
    EXPECT_TRUE(IsJournalComment(text));
    ASSERT_TRUE(TextOfUtf8(lines[2], &text));
    FILETIME back = {};
    ASSERT_TRUE(ParseBeganLine(text, &back));
    EXPECT_EQ(back.dwLowDateTime, began.dwLowDateTime);
    EXPECT_EQ(back.dwHighDateTime, began.dwHighDateTime);

    const struct {
        std::string line;
        JournalVersion version;
    } headers[] = {
        {"\xEF\xBB\xBF" "Kalendrix undo journal 1", JournalVersion::first},
        {"\xEF\xBB\xBF" "Kalendrix undo journal 3", JournalVersion::another},
        {"Kalendrix undo journal 2", JournalVersion::damaged},
        {"\xEF\xBB\xBF" "Kalendrix undo journal", JournalVersion::damaged},
        {"\xEF\xBB\xBF\xFF", JournalVersion::damaged},
        {"", JournalVersion::damaged},
    };
    for (const auto& header : headers)
        EXPECT_EQ(VersionOfHeader(header.line), header.version) << header.line;
}

TEST(JournalFormat, AGroupClosesWithItsCountAndTheChecksumOfItsBytes)
{
    EXPECT_EQ(Crc32(0, "123456789", 9), 0xCBF43926u) << "the check value of CRC-32";
    EXPECT_EQ(Crc32(Crc32(0, "1234", 4), "56789", 5), 0xCBF43926u) << "continued over pieces";

    JournalEntry second = ChangedEntry();
    second.path = L"C:\\b.txt";
    const std::string group = GroupBytes({ChangedEntry(), second});
    const size_t closing = group.rfind("\r\n", group.size() - 3) + 2;
    const std::string lines = group.substr(0, closing);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2);
    std::wstring end;
    ASSERT_TRUE(TextOfUtf8(group.substr(closing, group.size() - closing - 2), &end));
    size_t count = 0;
    DWORD crc = 0;
    ASSERT_TRUE(ParseGroupEnd(end, &count, &crc)) << end.c_str();
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(crc, Crc32(0, lines.data(), lines.size()));

    const struct {
        const wchar_t* line;
        bool closes;
    } ends[] = {
        {L"以上\t2\t0A1B2C3D", true},
        {L"以上\t02\t0A1B2C3D", false},
        {L"以上\t-2\t0A1B2C3D", false},
        {L"以上\t2\t0a1b2c3d", false},
        {L"以上\t2", false},
        {L"以上 2\t0A1B2C3D", false},
    };
    for (const auto& c : ends)
        EXPECT_EQ(ParseGroupEnd(c.line, &count, &crc), c.closes) << std::wstring(c.line).size();
}

// Windows lets a name hold a surrogate without its partner; UTF-8 has no such character.
// Every name comes back as the same UTF-16 units; bytes that are no UTF-8 otherwise, or a
// pair written as two surrogates (it would have two readings), are no text.
TEST(JournalFormat, EveryNameWindowsAllowsComesBackAsTheSameUnits)
{
    const std::wstring names[] = {
        L"C:\\photo\xD800.jpg",        // a high surrogate alone
        L"C:\\\xDC00photo.jpg",        // a low one alone
        L"C:\\\xDC00\xD800.jpg",       // both, the wrong way round
        L"C:\\\xD83D\xDE00\xD83D.jpg", // a pair, then a high one alone at the end
        L"C:\\写真\xFFFD.jpg",         // the replacement character itself
    };
    for (const std::wstring& name : names) {
        JournalEntry entry = ChangedEntry();
        entry.path = name;
        entry.newPath = name + L"x";
        const std::string group = GroupBytes({entry});
        std::wstring line;
        ASSERT_TRUE(TextOfUtf8(group.substr(0, group.find("\r\n")), &line)) << name.size();
        JournalEntry back;
        ASSERT_TRUE(ParseJournalLine(line, &back));
        EXPECT_EQ(back.path, entry.path);
        EXPECT_EQ(back.newPath, entry.newPath);
    }
    const std::string notText[] = {
        "\xED\xA0\xBD\xED\xB8\x80",   // U+1F600 as two surrogates
        "\xC0\xAF",                   // "/" in two bytes
        "\xE0\x80\xAF",               // and in three
        "\xF4\x90\x80\x80",           // past U+10FFFF
        "\xE5\x86",                   // cut off
        "\x80",                       // a continuation alone
    };
    for (const std::string& bytes : notText) {
        std::wstring text;
        EXPECT_FALSE(TextOfUtf8(bytes, &text)) << bytes.size();
    }
    std::wstring text;
    ASSERT_TRUE(TextOfUtf8("\xF0\x9F\x98\x80\xE5\x86\x99", &text));
    EXPECT_EQ(text, L"\xD83D\xDE00写");
}
