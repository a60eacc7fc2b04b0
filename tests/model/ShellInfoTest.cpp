// What the shell shows of the chosen files: a file's icon at the size asked for, and the
// display and type names the list asks for.
#include "framework/Exceptions.h"
#include "model/FileOperate.h"
#include "model/ShellIcon.h"
#include "model/ShellNameLookup.h"
#include "support/ChoiceInPlace.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <vector>

namespace {

class ShellInfo : public ::testing::Test {
protected:
    void Choose(std::initializer_list<std::wstring> paths) { ChooseInPlace(files, std::vector<std::wstring>(paths)); }

    TempFolder folder;
    CFileOperate files;
};

// The width of the icon's image; the icon is destroyed.
int WidthOf(HICON icon)
{
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info))
        return 0;
    BITMAP header = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(header), &header);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    return header.bmWidth;
}

SHFILEINFOW AskShell(const std::wstring& path, UINT flags)
{
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), flags);
    return info;
}

} // namespace

// Drawn from a real image of that size or scaled down, never up.
TEST_F(ShellInfo, AFilesIconComesFromTheSmallestOfTheShellsSizesThatHoldsTheSizeAskedFor)
{
    const std::wstring path = folder.MakeFile(L"notes.txt", 10);
    const int small = GetSystemMetrics(SM_CXSMICON);
    const int large = GetSystemMetrics(SM_CXICON);
    const struct {
        int asked;
        int width;
    } cases[] = {{small, small}, {small + 1, large}, {large, large}};
    for (const auto& c : cases)
        EXPECT_EQ(WidthOf(ShellIconOfSize(path, c.asked)), c.width) << "asked " << c.asked;
    EXPECT_GE(WidthOf(ShellIconOfSize(path, 1000)), large) << "larger than any: the largest there is";
    EXPECT_EQ(ShellIconOfSize(folder / L"gone.txt", large), nullptr) << "a missing file has no icon";
}

TEST_F(ShellInfo, NoFileEverChosenHasNoTypeName)
{
    EXPECT_EQ(files.GetTypeName(0), L"");
}

TEST_F(ShellInfo, NamesComeFromTheShellForEachFile)
{
    std::wstring text = folder.MakeFile(L"letter.txt");
    std::wstring sub = folder.MakeFolder(L"album");
    Choose({text, sub});

    EXPECT_FALSE(files.GetTypeName(0).empty());
    EXPECT_EQ(files.GetTypeName(0), AskShell(text, SHGFI_TYPENAME).szTypeName);
    EXPECT_EQ(files.GetTypeName(1), AskShell(sub, SHGFI_TYPENAME).szTypeName);
    // The shell may hide the extension, never the name itself.
    ShellNameLookup lookup;
    EXPECT_EQ(lookup.DisplayNameOf(text).rfind(L"letter", 0), 0u);
    EXPECT_EQ(lookup.DisplayNameOf(sub), L"album");
}

// The list's names come from one lookup a file in a folder parsed once; they must be the
// very texts of the per-path calls, also for a folder, a missing file, a file in another
// folder and a path given with forward slashes and "..".
TEST_F(ShellInfo, NamesOfAllFilesAreThoseOfTheCallsForEachPath)
{
    std::wstring sub = folder.MakeFolder(L"album");
    std::wstring inSub = sub + L"\\photo.jpg";
    HANDLE created = CreateFileW(inSub.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    CloseHandle(created);
    std::wstring roundabout = sub + L"/../letter.txt";
    Choose({folder.MakeFile(L"letter.txt"), folder.MakeFile(L"noextension"), sub, folder / L"gone.txt", inSub,
            roundabout, folder.MakeFile(L"table.csv")});

    // As the list asks for them: one lookup a file, each folder parsed once.
    ShellNameLookup lookup;
    const FileSet& set = files.GetFileSet();
    ASSERT_EQ(set.Count(), 7u);
    for (size_t i = 0; i < set.Count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lookup.DisplayNameOf(set.Path(i)), AskShell(set.Path(i), SHGFI_DISPLAYNAME).szDisplayName);
        EXPECT_EQ(lookup.TypeNameOf(set.Path(i)), files.GetTypeName(static_cast<int>(i)));
    }
    EXPECT_EQ(lookup.DisplayNameOf(set.Path(3)), L"") << "a missing file has no names";
    EXPECT_FALSE(lookup.TypeNameOf(set.Path(0)).empty());
}

TEST_F(ShellInfo, IndexOneAboveTheCountIsEmptyWhileTheCountItselfFails)
{
    Choose({folder.MakeFile(L"a.txt"), folder.MakeFile(L"b.txt")});

    EXPECT_EQ(files.GetTypeName(3), L"");
    EXPECT_THROW(files.GetTypeName(2), InvalidArgumentError);
    EXPECT_THROW(files.GetTypeName(-1), InvalidArgumentError);
}

TEST_F(ShellInfo, AnEmptyListHasNoNames)
{
    Choose({folder.MakeFile(L"kept.txt")});
    Choose({});
    EXPECT_THROW(files.GetTypeName(0), InvalidArgumentError);
    EXPECT_EQ(files.GetTypeName(1), L"");
}
