#include "model/NameParts.h"
#include "model/NewNameRules.h"

#include <gtest/gtest.h>

#include <string>

TEST(NameParts, SplitAPathAtItsLastSeparatorAndItsNamesLastDot)
{
    const struct {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* base;
        const wchar_t* extension;
    } cases[] = {
        {L"C:\\data\\report.final.txt", L"C:\\data", L"report.final", L"txt"},
        {L"C:\\my.dir\\README", L"C:\\my.dir", L"README", L""},
        {L"C:\\a.txt", L"C:", L"a", L"txt"},
        {L"a.txt", L"", L"a", L"txt"},
        {L"README", L"", L"README", L""},
        {L"C:\\work\\.txt", L"C:\\work", L"", L"txt"},
        {L"C:\\work\\name.", L"C:\\work", L"name", L""},
        // Windows takes a forward slash as a separator too.
        {L"Z:/dir/a.txt", L"Z:/dir", L"a", L"txt"},
        {L"C:\\dir/sub\\a.txt", L"C:\\dir/sub", L"a", L"txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
        EXPECT_EQ(BaseNameOfPath(c.path), c.base) << c.path;
        EXPECT_EQ(ExtensionOfPath(c.path), c.extension) << c.path;
    }
}

TEST(NameParts, JoinGivesTheCurrentPathBackForUnchangedParts)
{
    const struct {
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* extension;
        const wchar_t* path;
    } cases[] = {
        {L"C:\\work", L"b", L"txt", L"C:\\work\\b.txt"},
        {L"C:\\work", L"b", L"", L"C:\\work\\b"},
        {L"C:\\work", L"", L"txt", L"C:\\work\\.txt"},
        {L"C:\\work", L"README", L"", L"C:\\work\\README"},
        {L"C:", L"b", L"txt", L"C:\\b.txt"},
        {L"", L"b", L"txt", L"b.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JoinPath(c.folder, c.name, c.extension), c.path);
}

TEST(NewNameRules, NamesThatWouldLeadElsewhereOrBeChangedAreRefused)
{
    const struct {
        std::wstring name;
        const wchar_t* extension;
        bool refused;
    } cases[] = {
        {L"b", L"txt", false},
        {L"report.final", L"txt", false},
        {L"README", L"", false},
        {L"", L"txt", false}, // ".txt" is a name a file may have
        {L"..b", L"txt", false},
        {L"CONSOLE", L"txt", false},
        {L"COM10", L"", false},
        {L"LPT", L"txt", false},
        {L"COM\u2074", L"", false}, // superscript four: no device
        {L"COM\u00B90", L"", false},
        {std::wstring(251, L'n'), L"txt", false}, // 255 characters, the longest name
        {L"", L"", true},
        {L"..\\moved", L"txt", true},
        {L"sub/moved", L"txt", true},
        {L"C:moved", L"txt", true},
        {L"a*", L"txt", true},
        {L"a?", L"txt", true},
        {L"a\"b", L"txt", true},
        {L"a<b>", L"txt", true},
        {L"b", L"t|x", true},
        {L"tab\there", L"txt", true},
        {L"..", L"", true},
        {L".", L"", true},
        {L"b.", L"", true},
        {L"b ", L"", true},
        {L"b", L"txt ", true},
        {L"CON", L"", true},
        {L"nul", L"txt", true},
        {L"COM1", L"log", true},
        {L"lpt9", L"", true},
        // Regression: these passed, and the file system refuses them as device names.
        {L"COM0", L"", true},
        {L"lpt0", L"txt", true},
        {L"COM\u00B9", L"txt", true}, // COM¹
        {L"com\u00B2", L"", true},    // com²
        {L"COM\u00B3", L"log", true}, // COM³
        {L"LPT\u00B9", L"", true},    // LPT¹
        {L"lpt\u00B2", L"txt", true}, // lpt²
        {L"LPT\u00B3 ", L"txt", true}, // LPT³ with a blank before the dot
        {std::wstring(252, L'n'), L"txt", true}, // 256 characters
    };
    for (const auto& c : cases)
        EXPECT_EQ(!NewNameProblem(c.name, c.extension).empty(), c.refused) << c.name << " . " << c.extension;
}
