// A chosen folder as an item of its own: shown, written, renamed and undone like a file.
#include "model/ChangeJournal.h"
#include "support/ApplyFixture.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <winioctl.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

class FolderAsItem : public ApplyFixture {
protected:
    void SetUp() override
    {
        ApplyFixture::SetUp();
        DeleteFileW(DefaultJournalPath().c_str());
    }

    // A folder with the old stamps and one file inside; its name has a dot, which starts
    // no extension.
    std::wstring MakeStampedFolder(const std::wstring& name)
    {
        const std::wstring path = folder.MakeFolder(name);
        const FILETIME access = StampOf(kOldAccess);
        const FILETIME write = StampOf(kOldWrite);
        folder.MakeFile(name + L"\\inside.txt", 3);
        EXPECT_TRUE(WriteStamps(path, nullptr, &access, &write));
        return path;
    }

    // Whether this platform keeps the hidden flag on a folder.
    bool PlatformKeepsHiddenFolders()
    {
        const std::wstring probe = folder.MakeFolder(L"hidden-probe");
        SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_HIDDEN);
        return (AttributesOf(probe) & FILE_ATTRIBUTE_HIDDEN) != 0;
    }
};

TimeValue LocalNoon(int year, int month, int day)
{
    TimeValue value = 0;
    EXPECT_TRUE(BuildFromLocal({year, month, day, 12, 0, 0}, &value));
    return value;
}

} // namespace

// The folder shows as a folder, takes the write row and the hidden flag, and the undo puts
// both back; the file inside is left alone.
TEST_F(FolderAsItem, AFoldersStampsAndFlagsAreWrittenAndUndone)
{
    const bool hiddenKept = PlatformKeepsHiddenFolders();
    const std::wstring path = MakeStampedFolder(L"photos.2024");
    const FileStamps inside = StampsOf(path + L"\\inside.txt");
    Choose({path});
    EXPECT_EQ(Text(IDC_NAME), L"photos.2024");
    EXPECT_EQ(Text(IDC_EXTENSION), L"");
    EXPECT_FALSE(Enabled(IDC_EXTENSION)) << "a folder has no extension";
    ASSERT_EQ(ListRowCount(), 4);
    EXPECT_NE(ListCell(0, 1), L"") << "the shell's type name of a folder";
    EXPECT_EQ(ListCell(3, 1), L"フォルダ");

    SetRow(kWriteRow, {2011, 7, 1, 12, 0, 0});
    SetBoxes(FILE_ATTRIBUTE_HIDDEN);
    Apply();
    EXPECT_TRUE(boxes.Take().empty()) << "a folder is written like a file";
    EXPECT_EQ(WriteSecondsOf(path), static_cast<ULONGLONG>(LocalNoon(2011, 7, 1)));
    if (hiddenKept) {
        EXPECT_TRUE(AttributesOf(path) & FILE_ATTRIBUTE_HIDDEN);
    }
    EXPECT_TRUE(AttributesOf(path) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(SameStamp(StampsOf(path + L"\\inside.txt").write, inside.write)) << "the folder's own stamps only";

    UndoLastChange();
    boxes.Take();
    EXPECT_EQ(WriteSecondsOf(path), static_cast<ULONGLONG>(kOldWrite));
    EXPECT_FALSE(AttributesOf(path) & FILE_ATTRIBUTE_HIDDEN);
    if (!hiddenKept)
        GTEST_SKIP() << "the stamps were written and undone; the hidden flag was not checked: this platform "
                        "does not keep it on a folder";
}

// The name edit holds the whole name: the rename moves the folder with what is in it, and the
// undo moves it back.
TEST_F(FolderAsItem, ARenamedFolderMovesWithItsContentsAndMovesBackOnUndo)
{
    const std::wstring path = MakeStampedFolder(L"album.old");
    Choose({path});
    Type(IDC_NAME, L"album 2024.v2");
    Apply();
    EXPECT_TRUE(boxes.Take().empty());
    const std::wstring moved = folder / L"album 2024.v2";
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(Exists(moved + L"\\inside.txt"));
    EXPECT_EQ(ListCell(1, 1), moved) << "the dialog follows the folder";
    EXPECT_EQ(Text(IDC_NAME), L"album 2024.v2");

    UndoLastChange();
    boxes.Take();
    EXPECT_TRUE(Exists(path + L"\\inside.txt"));
    EXPECT_FALSE(Exists(moved));
    EXPECT_EQ(WriteSecondsOf(path), static_cast<ULONGLONG>(kOldWrite));
}

namespace {

// Wine only: the Linux path of a Windows path; empty elsewhere.
std::wstring LinuxPathOf(const std::wstring& path)
{
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    const auto unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixFileName != nullptr ? unixFileName(path.c_str()) : nullptr;
    if (name == nullptr)
        return std::wstring();
    std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, name, -1, &wide[0], static_cast<int>(wide.size()));
    wide.pop_back();
    HeapFree(GetProcessHeap(), 0, name);
    return wide;
}

// Wine only: runs a Linux program (Wine starts one as it starts a Windows program) until
// `done` holds, for at most five seconds: the handle Wine gives for it may be signalled
// before the program has ended.
template <class Done> void RunLinuxProgram(std::wstring commandLine, Done done)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return;
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int waited = 0; waited < 5000 && !done(); waited += 50)
        Sleep(50);
}

// A link at `link` to the folder `target`, removed at the end: a junction where the file
// system makes one, else a symbolic link, else (Wine, which makes neither) a Linux symbolic
// link, which Wine shows as a reparse point. Made() is false where none shows as one.
class FolderLink {
public:
    FolderLink(const std::wstring& link, const std::wstring& target) : m_link(link)
    {
        if (!MakeJunction(target) && !Shown()) {
            CreateSymbolicLinkW(link.c_str(), target.c_str(),
                                SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
            if (!Shown() && !LinuxPathOf(target).empty())
                RunLinuxProgram(L"/bin/ln -s \"" + LinuxPathOf(target) + L"\" \"" + LinuxPathOf(link) + L"\"",
                                [this] { return Shown(); });
        }
        m_made = Shown();
    }
    ~FolderLink()
    {
        if (!RemoveDirectoryW(m_link.c_str()) && !DeleteFileW(m_link.c_str()) && !LinuxPathOf(m_link).empty())
            RunLinuxProgram(L"/bin/rm \"" + LinuxPathOf(m_link) + L"\"", [this] { return !Shown(); });
    }
    bool Made() const { return m_made; }

private:
    // As its folder's listing shows it (Wine's GetFileAttributesW reads through a Linux link).
    bool Shown() const
    {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW(m_link.c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return false;
        FindClose(find);
        return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    }

    // The mount-point reparse buffer: the tag, the lengths, then the substitute name and the
    // print name, each ended by a null.
    bool MakeJunction(const std::wstring& target)
    {
        if (!CreateDirectoryW(m_link.c_str(), nullptr))
            return false;
        const std::wstring substitute = L"\\??\\" + target;
        std::vector<BYTE> buffer(16 + (substitute.size() + target.size() + 2) * sizeof(wchar_t));
        auto put16 = [&](size_t at, size_t value) {
            buffer[at] = static_cast<BYTE>(value);
            buffer[at + 1] = static_cast<BYTE>(value >> 8);
        };
        const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
        memcpy(&buffer[0], &tag, sizeof(tag));
        put16(4, buffer.size() - 8);
        put16(10, substitute.size() * sizeof(wchar_t));
        put16(12, (substitute.size() + 1) * sizeof(wchar_t));
        put16(14, target.size() * sizeof(wchar_t));
        memcpy(&buffer[16], substitute.c_str(), (substitute.size() + 1) * sizeof(wchar_t));
        memcpy(&buffer[16 + (substitute.size() + 1) * sizeof(wchar_t)], target.c_str(),
               (target.size() + 1) * sizeof(wchar_t));
        HANDLE folder = CreateFileW(m_link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        DWORD returned = 0;
        if (folder != INVALID_HANDLE_VALUE) {
            DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                            0, &returned, nullptr);
            CloseHandle(folder);
        }
        if (Shown())
            return true;
        RemoveDirectoryW(m_link.c_str());
        return false;
    }

    std::wstring m_link;
    bool m_made = false;
};

// A folder this user cannot list, given back at the end: an access list that grants nothing,
// or (Wine, which keeps access lists apart from the Linux rights) the Linux mode 000.
class LockedFolder {
public:
    explicit LockedFolder(const std::wstring& path) : m_path(path)
    {
        ACL empty;
        InitializeAcl(&empty, sizeof(empty), ACL_REVISION);
        SetNamedSecurityInfoW(&m_path[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &empty, nullptr);
        if (!Refused() && !LinuxPathOf(m_path).empty())
            RunLinuxProgram(L"/bin/chmod 000 \"" + LinuxPathOf(m_path) + L"\"", [this] { return Refused(); });
        m_locked = Refused();
        if (!m_locked)
            Unlock();
    }
    ~LockedFolder()
    {
        if (m_locked)
            Unlock();
    }
    bool Locked() const { return m_locked; }

private:
    bool Refused() const
    {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((m_path + L"\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return GetLastError() == ERROR_ACCESS_DENIED;
        FindClose(find);
        return false;
    }
    // No access list at all: everyone may do everything.
    void Unlock()
    {
        SetNamedSecurityInfoW(&m_path[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr);
        if (!LinuxPathOf(m_path).empty())
            RunLinuxProgram(L"/bin/chmod 755 \"" + LinuxPathOf(m_path) + L"\"", [this] { return !Refused(); });
    }

    std::wstring m_path;
    bool m_locked = false;
};

class FolderContents : public ApplyFixture {
protected:
    // The paths the list shows, row by row.
    std::vector<std::wstring> ListedPaths()
    {
        std::vector<std::wstring> paths;
        const FileSet& files = dialog.GetFileOperate().GetFileSet();
        for (int row = 0; row < ListRowCount(); ++row)
            paths.push_back(files.Path(static_cast<size_t>(dialog.GetFileList().FileOfRow(row))));
        return paths;
    }
    void ClickAndShowTheEnd(int id)
    {
        Click(id);
        RunPostedMessages(); // the box that names unlistable folders is posted after the list
    }
};

} // namespace

// A tree of two levels under the chosen folder, with a junction to a folder outside it and a
// folder this user cannot list. With the box, the folder brings every entry below it, each
// after its folder; the junction is listed and not entered; the unlistable folder is listed,
// named once in one box, and the rest is there. Without it, the folder is alone again.
TEST_F(FolderContents, ATreeIsListedWithTheBoxAndTheFolderAloneWithout)
{
    const std::wstring root = folder.MakeFolder(L"root");
    folder.MakeFile(L"root\\a.txt", 1);
    folder.MakeFolder(L"root\\sub");
    folder.MakeFile(L"root\\sub\\b.txt", 2);
    folder.MakeFolder(L"root\\sub\\deeper");
    folder.MakeFile(L"root\\sub\\deeper\\c.txt", 3);
    folder.MakeFolder(L"outside");
    folder.MakeFile(L"outside\\elsewhere.txt");
    FolderLink link(folder / L"root\\link", folder / L"outside");
    const bool junction = link.Made();
    folder.MakeFolder(L"root\\locked");
    folder.MakeFile(L"root\\locked\\secret.txt");
    LockedFolder locked(folder / L"root\\locked");

    Choose({root});
    EXPECT_EQ(ListRowCount(), 4) << "without the box, the folder alone";
    EXPECT_TRUE(Enabled(IDC_FOLDER_CONTENTS));

    ClickAndShowTheEnd(IDC_FOLDER_CONTENTS);
    DWORD stored = 0;
    EXPECT_TRUE(ReadProfileValue(L"folderContents", &stored) && stored == 1) << "stored like the switches";
    std::set<std::wstring> expected = {root,
                                       folder / L"root\\a.txt",
                                       folder / L"root\\sub",
                                       folder / L"root\\sub\\b.txt",
                                       folder / L"root\\sub\\deeper",
                                       folder / L"root\\sub\\deeper\\c.txt",
                                       folder / L"root\\locked"};
    if (junction)
        expected.insert(folder / L"root\\link");
    if (!locked.Locked())
        expected.insert(folder / L"root\\locked\\secret.txt");
    const std::vector<std::wstring> listed = ListedPaths();
    EXPECT_EQ(std::set<std::wstring>(listed.begin(), listed.end()), expected);
    ASSERT_EQ(listed.size(), expected.size()) << "each entry once";
    EXPECT_EQ(listed[0], root) << "the folder itself first";
    std::map<std::wstring, size_t> rowOf;
    for (size_t row = 0; row < listed.size(); ++row)
        rowOf[listed[row]] = row;
    for (size_t row = 1; row < listed.size(); ++row) {
        const std::wstring parent = listed[row].substr(0, listed[row].find_last_of(L'\\'));
        EXPECT_LT(rowOf[parent], row) << "after its folder: " << listed[row].c_str();
    }
    EXPECT_EQ(ListCell(static_cast<int>(rowOf[folder / L"root\\sub"]), 6), L"フォルダ");
    EXPECT_EQ(ListCell(static_cast<int>(rowOf[folder / L"root\\sub\\deeper\\c.txt"]), 6), L"0.0KB(3バイト)");

    std::vector<ShownMessageBox> shown = boxes.Take();
    if (locked.Locked()) {
        ASSERT_EQ(shown.size(), 1u) << "the unlistable folder is named in one box";
        EXPECT_EQ(shown[0].text, L"次のフォルダの中を読み取れませんでした。ほかのファイルとフォルダは一覧にあります。\r\n" +
                                     (folder / L"root\\locked") + L"：読み取る権限がありません");
    } else {
        EXPECT_TRUE(shown.empty());
    }

    // An apply writes the tree, but not through the link to the folder outside it: the link
    // is named with its reason, and the folder outside keeps its stamp.
    if (junction) {
        const FILETIME outsideBefore = StampsOf(folder / L"outside").write;
        SetRow(kWriteRow, {2011, 7, 1, 12, 0, 0});
        EXPECT_EQ(ListCell(static_cast<int>(rowOf[folder / L"root\\link"]), FileListView::kWriteColumn),
                  L"（フォルダの中のリンクのため変更しません）")
            << "the preview shows the link left";
        Apply();
        shown = boxes.Take();
        ASSERT_FALSE(shown.empty());
        EXPECT_NE(shown.back().text.find((folder / L"root\\link") +
                                         L"：フォルダの中のリンクです（リンク先はフォルダの外にあることがあるため変更しません）"),
                  std::wstring::npos)
            << shown.back().text.c_str();
        EXPECT_TRUE(SameStamp(StampsOf(folder / L"outside").write, outsideBefore)) << "nothing outside the tree";
        EXPECT_EQ(WriteSecondsOf(folder / L"root\\sub\\b.txt"), static_cast<ULONGLONG>(LocalNoon(2011, 7, 1)))
            << "the tree is written";
    }

    ClickAndShowTheEnd(IDC_FOLDER_CONTENTS);
    EXPECT_EQ(ListRowCount(), 4) << "the box cleared: the folder alone again";
    EXPECT_EQ(ListCell(1, 1), root);
    EXPECT_TRUE(boxes.Take().empty());
    EXPECT_TRUE(ReadProfileValue(L"folderContents", &stored) && stored == 0);

    if (!junction || !locked.Locked())
        GTEST_SKIP() << "the tree was listed without what this platform cannot make:"
                     << (junction ? "" : " a link to a folder (junction or symbolic link)")
                     << (locked.Locked() ? "" : " a folder this user cannot list (empty access list or mode 000)");
}

// The walk runs as a job with the reading's progress; cancelled, it shows what it found, each
// entry with its state, and names no folder.
TEST_F(FolderContents, ACancelledWalkShowsWhatItFound)
{
    StoreProfileValue(L"folderContents", 1);
    dialog.DestroyWindow();
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(Checked(IDC_FOLDER_CONTENTS)) << "restored as stored";
    const std::wstring root = folder.MakeFolder(L"root");
    for (int part = 0; part < 3; ++part) {
        const std::wstring sub = L"root\\part" + std::to_wstring(part);
        folder.MakeFolder(sub);
        for (int file = 0; file < 200; ++file)
            folder.MakeFile(sub + L"\\f" + std::to_wstring(file) + L".txt", 7);
    }
    dialog.GetJob().SetItemObserver([](WorkProgress& progress) {
        if (progress.Done() == 256)
            progress.RequestCancel();
    });
    Choose({root});
    EXPECT_TRUE(dialog.JobRunning()) << "walked on the worker";
    ASSERT_TRUE(WaitForJob());
    RunPostedMessages();
    ASSERT_EQ(ListRowCount(), 256) << "the folder and what was found before the cancel";
    for (int row = 1; row < ListRowCount(); ++row) {
        const std::wstring size = ListCell(row, 6);
        ASSERT_TRUE(size == L"フォルダ" || size == L"0.0KB(7バイト)") << "read by the walk: row " << row;
    }
    EXPECT_TRUE(boxes.Take().empty());
}
