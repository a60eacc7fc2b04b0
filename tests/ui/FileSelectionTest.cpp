#include "support/DialogFixture.h"

#include <shlobj.h>

#include <cstdlib>
#include <vector>

namespace {

// A DROPFILES block of wide names, each ended by a null, the list by one more.
HDROP MakeDrop(const std::vector<std::wstring>& paths)
{
    std::wstring names;
    for (const std::wstring& path : paths)
        names += path + L'\0';
    names += L'\0';
    if (paths.empty())
        names += L'\0';
    size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    memcpy(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

class FileSelection : public DialogFixture {
protected:
    // Drops the paths on the dialog as the shell does; the dialog releases the drop.
    void Drop(const std::vector<std::wstring>& paths)
    {
        SendMessageW(dialog.m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    }
};

} // namespace

TEST_F(FileSelection, DroppedFileReplacesTheFilesShown)
{
    std::vector<std::wstring> five;
    for (const wchar_t* name : {L"1.txt", L"2.txt", L"3.txt", L"4.txt", L"5.txt"})
        five.push_back(folder.MakeFile(name));
    Drop(five);
    ASSERT_EQ(ListRowCount(), 5);

    std::wstring single = folder.MakeFile(L"single.txt", 1536);
    Drop({single});
    EXPECT_EQ(dialog.GetFileOperate().GetCount(), 1);
    ASSERT_EQ(ListRowCount(), 4);
    EXPECT_EQ(ListCell(1, 1), single);
    EXPECT_EQ(Text(IDC_NAME), L"single");
}

TEST_F(FileSelection, DroppedFolderIsHandedOverLikeAFile)
{
    std::wstring album = folder.MakeFolder(L"album");
    Drop({album});
    EXPECT_EQ(dialog.GetFileOperate().GetCount(), 1);
    ASSERT_EQ(ListRowCount(), 4);
    EXPECT_EQ(ListCell(1, 1), album);
    EXPECT_EQ(Text(IDC_NAME), L"album");
}

TEST_F(FileSelection, EmptyDropClearsTheDisplayWithoutAMessage)
{
    HDROP probe = MakeDrop({});
    UINT probeCount = DragQueryFileW(probe, 0xFFFFFFFF, nullptr, 0);
    DragFinish(probe);
    if (probeCount != 0)
        GTEST_SKIP() << "the platform's shell counts an empty drop list as " << probeCount << " name(s)";

    Drop({folder.MakeFile(L"a.txt"), folder.MakeFile(L"b.txt")});
    Drop({});
    EXPECT_EQ(dialog.GetFileOperate().GetCount(), 0);
    EXPECT_EQ(ListRowCount(), 0);
    EXPECT_FALSE(Enabled(IDC_SWITCH_CREATE));
    EXPECT_TRUE(boxes.Take().empty());
}

TEST_F(FileSelection, CommandLineArgumentsAreHandedOverAsGiven)
{
    std::wstring blank = folder.MakeFile(L"with blank.txt");
    folder.MakeFile(L"plain.txt");
    wchar_t previousFolder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previousFolder);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));

    // The runtime has split the command line: quotes gone, the relative name left as it was.
    std::vector<wchar_t*> arguments = {const_cast<wchar_t*>(L"Kalendrix.exe"), const_cast<wchar_t*>(blank.c_str()),
                                       const_cast<wchar_t*>(L"plain.txt"), nullptr};
    int previousCount = __argc;
    wchar_t** previousArguments = __wargv;
    __argc = 3;
    __wargv = arguments.data();
    dialog.DestroyWindow();
    bool created = dialog.Create();
    __argc = previousCount;
    __wargv = previousArguments;
    SetCurrentDirectoryW(previousFolder);
    ASSERT_TRUE(created);

    EXPECT_EQ(dialog.GetFileOperate().GetCount(), 2);
    ASSERT_EQ(ListRowCount(), 2);
    EXPECT_EQ(dialog.GetFileOperate().GetBaseName(0), L"with blank");
    EXPECT_EQ(dialog.GetFileOperate().GetBaseName(1), L"plain");
    EXPECT_EQ(dialog.GetFileOperate().GetFolder(), folder.Path());
    // Kept relative: it now resolves against the restored working folder.
    wchar_t resolved[MAX_PATH];
    GetFullPathNameW(L"plain.txt", MAX_PATH, resolved, nullptr);
    EXPECT_STREQ(dialog.GetFileOperate().GetRecord(1).fullPath, resolved);
}

TEST_F(FileSelection, NoArgumentsLeaveTheOpeningState)
{
    EXPECT_EQ(dialog.GetFileOperate().GetCount(), 0);
    EXPECT_EQ(ListRowCount(), 0);
    EXPECT_FALSE(Enabled(IDC_SWITCH_CREATE));
    EXPECT_FALSE(Enabled(IDC_ORIGINAL_TIME));
}
