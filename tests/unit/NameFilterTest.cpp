#include "model/NameFilter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

struct FilterCase {
    const wchar_t* filter;
    const wchar_t* name;
    bool shown;
};

const FilterCase kFilterCases[] = {
    // Nothing typed, or only separators and spaces: every name.
    {L"", L"IMG_0412.JPG", true},
    {L" ; ;", L"desktop.ini", true},
    // Case as the file systems compare it, also beyond ASCII.
    {L"*.jpg", L"IMG_0412.JPG", true},
    {L"*.JPG", L"img_0412.jpg", true},
    {L"ÄRGER*", L"ärger.txt", true},
    {L"*.jpg", L"IMG_0412.JPEG", false},
    {L"*.jpg", L"IMG_0412.JPG.txt", false},
    // A star takes any run, also none and also dots; a question mark exactly one character.
    {L"IMG_*.JPG", L"IMG_.JPG", true},
    {L"*0412*", L"IMG_0412.JPG", true},
    {L"a*b*c", L"aXbYbZc", true},
    {L"a*b*c", L"aXbYbZ", false},
    {L"IMG_04??.JPG", L"IMG_0412.JPG", true},
    {L"IMG_04??.JPG", L"IMG_041.JPG", false},
    {L"IMG_04??.JPG", L"IMG_04123.JPG", false},
    {L"**.mov", L"clip.MOV", true},
    {L"*", L"", true},
    {L"?", L"", false},
    {L"*.*", L"README", true},
    // Several patterns, trimmed: one of them is enough.
    {L"*.jpg;*.mov", L"clip.MOV", true},
    {L" *.jpg ; *.mov ", L"clip.mov", true},
    {L"*.jpg;*.mov", L"clip.mp4", false},
    // A leading minus hides; hidden wins over shown; hiding alone keeps the rest.
    {L"-*.thm", L"MVI_0001.THM", false},
    {L"-*.thm", L"MVI_0001.MOV", true},
    {L"*.jpg;*.thm;-*.thm", L"MVI_0001.THM", false},
    {L"-desktop.ini;-*.thm", L"Desktop.INI", false},
    {L"- *.thm", L"a.thm", false},
    {L"-", L"a.thm", true},
    // A minus inside a pattern is a character of the name.
    {L"a-*", L"a-b.txt", true},
    {L"a-*", L"ab.txt", false},
};

} // namespace

TEST(NameFilter, ShowsTheNamesThatMatchAShownPatternAndNoHiddenOne)
{
    for (const FilterCase& c : kFilterCases) {
        EXPECT_EQ(NameFilter(c.filter).Shows(c.name), c.shown)
            << "filter \"" << testing::PrintToString(std::wstring(c.filter)) << "\", name "
            << testing::PrintToString(std::wstring(c.name));
    }
}

// Only the name is matched, not the folders above it; a folder stays where a walk needs it.
TEST(NameFilter, MatchesItemNamesAndKeepsFoldersWhenAsked)
{
    TempFolder folder;
    const std::wstring photos = folder.MakeFolder(L"photos.jpg");
    FileSet files;
    files.Assign({folder.MakeFile(L"photos.jpg\\IMG_0412.JPG"), folder.MakeFile(L"photos.jpg\\MVI_0001.THM"), photos});
    files.ReadStates();
    EXPECT_EQ(ItemsShown(files, NameFilter(L"*.jpg;-*.thm"), false), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(ItemsShown(files, NameFilter(L"*.thm"), false), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(ItemsShown(files, NameFilter(L"*.thm"), true), (std::vector<bool>{false, true, true}));
}
