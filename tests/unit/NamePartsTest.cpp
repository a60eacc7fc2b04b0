#include "model/NameParts.h"

#include <gtest/gtest.h>

TEST(NameParts, SplitAPathAtItsLastBackslashAndItsNamesLastDot)
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
