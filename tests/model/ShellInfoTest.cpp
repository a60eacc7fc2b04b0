#include "framework/Exceptions.h"
#include "model/FileOperate.h"
#include "model/ShellNameLookup.h"
#include "res/resource.h"
#include "support/PathList.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <vector>

namespace {

class ShellInfo : public ::testing::Test {
protected:
    void Choose(std::initializer_list<std::wstring> paths) { files.SetFiles(PathList(paths)); }

    TempFolder folder;
    CFileOperate files;
};

struct IconPicture {
    int width = 0;
    int height = 0;
    std::vector<BYTE> bits;
};

// The icon's size and colour pixels; the icon is destroyed.
IconPicture PictureOf(HICON icon)
{
    IconPicture picture;
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info))
        return picture;
    HBITMAP bitmap = info.hbmColor ? info.hbmColor : info.hbmMask;
    BITMAP header = {};
    GetObjectW(bitmap, sizeof(header), &header);
    picture.width = header.bmWidth;
    picture.height = info.hbmColor ? header.bmHeight : header.bmHeight / 2;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = header.bmWidth;
    format.bmiHeader.biHeight = header.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    picture.bits.resize(static_cast<size_t>(header.bmWidth) * header.bmHeight * 4);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, header.bmHeight, picture.bits.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    return picture;
}

std::wstring ShellTypeName(const std::wstring& path)
{
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_TYPENAME);
    return info.szTypeName;
}

} // namespace

TEST_F(ShellInfo, OneFileGivesTheShellsLargeAndSmallIconAndNoOtherSize)
{
    Choose({folder.MakeFile(L"notes.txt", 10)});

    IconPicture large = PictureOf(files.GetIcon(1));
    EXPECT_EQ(large.width, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(large.height, GetSystemMetrics(SM_CYICON));
    IconPicture small = PictureOf(files.GetIcon(0));
    EXPECT_EQ(small.width, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(small.height, GetSystemMetrics(SM_CYSMICON));
    EXPECT_EQ(files.GetIcon(2), nullptr);
    EXPECT_EQ(files.GetIcon(-1), nullptr);
}

TEST_F(ShellInfo, SeveralFilesGiveTheProgramsOwnIconForEverySize)
{
    Choose({folder.MakeFile(L"a.txt"), folder.MakeFile(L"b.txt")});
    HICON own = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SEVERAL_FILES),
                                              IMAGE_ICON, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(own, nullptr) << "the test program carries the several-files icon";
    IconPicture expected = PictureOf(own);

    for (int size : {1, 0, 2}) {
        IconPicture picture = PictureOf(files.GetIcon(size));
        EXPECT_EQ(picture.width, expected.width) << "size " << size;
        EXPECT_EQ(picture.height, expected.height) << "size " << size;
        EXPECT_TRUE(picture.bits == expected.bits) << "size " << size << " is icon " << IDI_SEVERAL_FILES;
    }
}

TEST_F(ShellInfo, NoFileEverChosenGivesNoIconAndEmptyNames)
{
    EXPECT_EQ(files.GetIcon(1), nullptr);
    EXPECT_EQ(files.GetDisplayName(0), L"");
    EXPECT_EQ(files.GetTypeName(0), L"");
}

TEST_F(ShellInfo, NamesComeFromTheShellForEachFile)
{
    std::wstring text = folder.MakeFile(L"letter.txt");
    std::wstring sub = folder.MakeFolder(L"album");
    Choose({text, sub});

    EXPECT_FALSE(files.GetTypeName(0).empty());
    EXPECT_EQ(files.GetTypeName(0), ShellTypeName(text));
    EXPECT_EQ(files.GetTypeName(1), ShellTypeName(sub));
    // The shell may hide the extension, never the name itself.
    EXPECT_EQ(files.GetDisplayName(0).rfind(L"letter", 0), 0u);
    EXPECT_EQ(files.GetDisplayName(1), L"album");
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
    std::vector<std::wstring> displayNames, typeNames;
    for (size_t i = 0; i < files.GetFileSet().Count(); ++i) {
        displayNames.push_back(lookup.DisplayNameOf(files.GetFileSet().Path(i)));
        typeNames.push_back(lookup.TypeNameOf(files.GetFileSet().Path(i)));
    }
    ASSERT_EQ(displayNames.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(displayNames[i], files.GetDisplayName(i));
        EXPECT_EQ(typeNames[i], files.GetTypeName(i));
    }
    EXPECT_EQ(displayNames[3], L"") << "a missing file has no names";
    EXPECT_FALSE(typeNames[0].empty());
}

TEST_F(ShellInfo, MissingFileGivesEmptyNamesAndNoIcon)
{
    Choose({folder / L"gone.txt"});
    EXPECT_EQ(files.GetDisplayName(0), L"");
    EXPECT_EQ(files.GetIcon(1), nullptr);
}

TEST_F(ShellInfo, IndexOneAboveTheCountIsEmptyWhileTheCountItselfFails)
{
    Choose({folder.MakeFile(L"a.txt"), folder.MakeFile(L"b.txt")});

    EXPECT_EQ(files.GetTypeName(3), L"");
    EXPECT_EQ(files.GetDisplayName(3), L"");
    EXPECT_THROW(files.GetTypeName(2), CInvalidArgException);
    EXPECT_THROW(files.GetDisplayName(2), CInvalidArgException);
    EXPECT_THROW(files.GetTypeName(-1), CInvalidArgException);
}

TEST_F(ShellInfo, EmptyListKeepsTheLastFirstFilesIconButHasNoNames)
{
    std::wstring path = folder.MakeFile(L"kept.txt");
    Choose({path});
    Choose({});

    HICON icon = files.GetIcon(1);
    EXPECT_NE(icon, nullptr) << "the icon follows the first path, which an empty list keeps";
    if (icon)
        DestroyIcon(icon);
    EXPECT_THROW(files.GetTypeName(0), CInvalidArgException);
    EXPECT_EQ(files.GetTypeName(1), L"");
}
