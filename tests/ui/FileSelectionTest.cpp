#include "support/DialogFixture.h"

#include "framework/OpenFileDialog.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
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

// The system's open dialog of this process, once it is shown: a dialog other than `owner`'s
// with the file-name box. The classic Explorer-style dialog has a combo box (cmb13) there, the
// older one an edit (edt1); Wine's item dialog (IFileOpenDialog) is a "#32770" too, with the
// edit edt1 beside its ExplorerBrowserControl. A quoted list of names in that box selects them
// all in the shown folder, as typing or pasting it does; WM_SETTEXT is not bound by the edit's
// typing limit, as a paste would be, so a list longer than that still reaches the dialog.
struct OpenDialogDriver {
    HWND owner;
    std::vector<std::wstring> inputs; // typed into the name box one after another, each confirmed
    bool found = false;

    struct NameBoxSearch {
        HWND owner;
        HWND box;
    };

    // A window-enumeration callback must use the system's calling convention, which a
    // lambda does not take on 32-bit Windows.
    static BOOL CALLBACK FindNameBoxIn(HWND window, LPARAM parameter)
    {
        NameBoxSearch& s = *reinterpret_cast<NameBoxSearch*>(parameter);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t className[16] = L"";
        GetClassNameW(window, className, 16);
        if (process != GetCurrentProcessId() || window == s.owner || !IsWindowVisible(window) ||
            wcscmp(className, L"#32770") != 0)
            return TRUE;
        const int nameBoxIds[] = {0x47C, 0x480}; // cmb13, edt1
        for (int id : nameBoxIds) {
            if (HWND box = GetDlgItem(window, id)) {
                s.box = box;
                return FALSE;
            }
        }
        return TRUE;
    }

    static HWND FindNameBox(HWND owner)
    {
        NameBoxSearch search = {owner, nullptr};
        EnumWindows(FindNameBoxIn, reinterpret_cast<LPARAM>(&search));
        return search.box;
    }

    static BOOL CALLBACK FindFolderViewIn(HWND window, LPARAM parameter)
    {
        wchar_t className[32] = L"";
        GetClassNameW(window, className, 32);
        if (wcscmp(className, L"SHELLDLL_DefView") != 0 || !IsWindowVisible(window))
            return TRUE;
        *reinterpret_cast<HWND*>(parameter) = window;
        return FALSE;
    }

    // The shell's view of the folder the dialog shows; each folder gone to gets a view of its own.
    static HWND FindFolderView(HWND dialog)
    {
        HWND view = nullptr;
        EnumChildWindows(dialog, FindFolderViewIn, reinterpret_cast<LPARAM>(&view));
        return view;
    }

    static DWORD WINAPI Run(void* self)
    {
        auto& driver = *static_cast<OpenDialogDriver*>(self);
        HWND viewBefore = nullptr;
        for (const std::wstring& input : driver.inputs) {
            // Typed once the dialog shows a folder, after a typed folder that folder's own view:
            // names typed sooner would be looked for in the folder shown before.
            HWND box = nullptr;
            HWND view = nullptr;
            for (int wait = 0; wait < 300 && (view == nullptr || view == viewBefore); ++wait) {
                Sleep(50);
                box = FindNameBox(driver.owner);
                view = box != nullptr ? FindFolderView(GetParent(box)) : nullptr;
            }
            if (box == nullptr)
                return 1;
            driver.found = true;
            viewBefore = view;
            SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(input.c_str()));
            PostMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return 0;
    }
};

class FileSelection : public DialogFixture {
protected:
    // Drops the paths on the dialog as the shell does; the dialog releases the drop.
    void Drop(const std::vector<std::wstring>& paths)
    {
        SendMessageW(dialog.m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    }

    // Runs `show`, which returns when the open dialog it opens has closed, while the dialog
    // confirms each input in turn: a folder to go to, then the names to choose. False when no
    // open dialog was shown.
    template <class Show> bool DriveOpenDialog(std::vector<std::wstring> inputs, Show show)
    {
        OpenDialogDriver driver{dialog.m_hWnd, std::move(inputs)};
        HANDLE thread = CreateThread(nullptr, 0, OpenDialogDriver::Run, &driver, 0, nullptr);
        EXPECT_NE(thread, nullptr);
        if (thread == nullptr)
            return false;
        show();
        WaitForSingleObject(thread, 15000);
        CloseHandle(thread);
        return driver.found;
    }

    bool Browse(std::vector<std::wstring> inputs)
    {
        return DriveOpenDialog(std::move(inputs), [this] { Click(IDC_BROWSE); });
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

// Regression: a relative name stayed relative, and resolved against whatever the working
// folder had become by the time the files were written.
TEST_F(FileSelection, CommandLineArgumentsAreHandedOverMadeAbsolute)
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
    // Made absolute against the working folder of the start, not the restored one.
    EXPECT_EQ(dialog.GetFileOperate().GetRecord(1).fullPath, folder / L"plain.txt");
}

// The browse button opens the system's dialog (its library is loaded only then); the
// several files chosen there replace those shown, each with its folder.
TEST_F(FileSelection, BrowsedFilesAreHandedOver)
{
    Choose({folder.MakeFile(L"shown before.txt")});
    std::wstring first = folder.MakeFile(L"first.txt");
    std::wstring second = folder.MakeFile(L"second one.txt");
    wchar_t workingFolder[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, workingFolder);
    ASSERT_TRUE(Browse({folder.Path(), L"\"first.txt\" \"second one.txt\""})) << "no open dialog was shown";

    ASSERT_EQ(dialog.GetFileOperate().GetCount(), 2);
    EXPECT_EQ(ListRowCount(), 2);
    EXPECT_EQ(dialog.GetFileOperate().GetFolder(), folder.Path());
    EXPECT_EQ(dialog.GetFileOperate().GetRecord(0).fullPath, first);
    EXPECT_EQ(dialog.GetFileOperate().GetRecord(1).fullPath, second);
    EXPECT_TRUE(boxes.Take().empty());
    wchar_t afterBrowsing[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, afterBrowsing);
    EXPECT_STREQ(afterBrowsing, workingFolder) << "browsing left the working folder in the chosen one";
}

// The second open dialog chooses a folder, handed over as the chosen item. (Several folders
// typed as quoted paths reach Wine's dialog as one folder and its desktop.)
TEST_F(FileSelection, BrowsedFolderIsHandedOver)
{
    const std::wstring album = folder.MakeFolder(L"album");
    folder.MakeFile(L"album\\inside.txt");
    // A folder's path confirmed in this dialog chooses that folder, not goes into it.
    ASSERT_TRUE(DriveOpenDialog({album}, [this] { Click(IDC_BROWSE_FOLDER); })) << "no open dialog was shown";
    ASSERT_EQ(dialog.GetFileOperate().GetCount(), 1);
    EXPECT_EQ(ListCell(1, 1), album);
    EXPECT_EQ(ListCell(3, 1), L"フォルダ");
    EXPECT_EQ(Text(IDC_NAME), L"album");
    EXPECT_TRUE(boxes.Take().empty());
}

// Regression: the dialog's result was a buffer of 32 768 characters, and a selection that
// did not fit in it was dropped (Windows) or written past its end (Wine). 400 names of 90
// characters are more than that, quoted in the name box and as folder plus names.
TEST_F(FileSelection, BrowsedSelectionLongerThanTheOldBufferIsHandedOverWhole)
{
    const int kCount = 400;
    std::vector<std::wstring> paths;
    std::wstring quoted;
    for (int i = 0; i < kCount; ++i) {
        wchar_t number[8];
        swprintf(number, 8, L"%03d", i);
        std::wstring name = L"photo " + std::wstring(number) + L" ";
        name += std::wstring(90 - name.size() - 4, L'x') + L".jpg";
        paths.push_back(folder.MakeFile(name));
        quoted += L"\"" + name + L"\" ";
    }
    ASSERT_GT(quoted.size(), 32768u);

    ASSERT_TRUE(Browse({folder.Path(), quoted})) << "no open dialog was shown";

    EXPECT_TRUE(boxes.Take().empty());
    ASSERT_EQ(dialog.GetFileOperate().GetCount(), kCount);
    EXPECT_EQ(dialog.GetFileOperate().GetFolder(), folder.Path());
    std::vector<std::wstring> handedOver;
    for (int i = 0; i < kCount; ++i)
        handedOver.push_back(dialog.GetFileOperate().GetRecord(i).fullPath);
    std::sort(handedOver.begin(), handedOver.end());
    EXPECT_EQ(handedOver, paths);
}

// The classic dialog, shown where the current one cannot be created, hands over the same
// paths from its folder-then-names result. (A selection too long for its buffer cannot be
// tried under Wine: its classic dialog writes past the buffer instead of reporting
// FNERR_BUFFERTOOSMALL.)
TEST_F(FileSelection, ClassicOpenDialogHandsOverEachChosenPath)
{
    std::wstring first = folder.MakeFile(L"first.txt");
    std::wstring second = folder.MakeFile(L"second one.txt");
    OpenFileDialog classic(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST,
                        L"ALL(*.*)|*.*|", dialog.m_hWnd, FALSE);
    INT_PTR result = IDCANCEL;
    ASSERT_TRUE(DriveOpenDialog({folder.Path(), L"\"second one.txt\" \"first.txt\""},
                                [&] { result = classic.RunModal(); }))
        << "no open dialog was shown";

    ASSERT_EQ(result, IDOK);
    std::vector<std::wstring> chosen = classic.ChosenPaths();
    std::sort(chosen.begin(), chosen.end());
    EXPECT_EQ(chosen, (std::vector<std::wstring>{first, second}));
}

TEST_F(FileSelection, NoArgumentsLeaveTheOpeningState)
{
    EXPECT_EQ(dialog.GetFileOperate().GetCount(), 0);
    EXPECT_EQ(ListRowCount(), 0);
    EXPECT_FALSE(Enabled(IDC_SWITCH_CREATE));
    EXPECT_FALSE(Enabled(IDC_ORIGINAL_TIME));
}
