#include "framework/Exceptions.h"
#include "framework/Application.h"
#include "model/FileOperate.h"
#include "model/FileStateAccess.h"
#include "model/ListingFaultsForTests.h"
#include "support/ChoiceInPlace.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <winternl.h>

namespace {

// Creates `path` as a name of its own, matched with regard to case (NtCreateFile without
// OBJ_CASE_INSENSITIVE): where the folder holds a name that differs only in case, a folder
// that tells case apart gets a second file, any other refuses. False when not created.
bool CreateCaseExact(const std::wstring& path)
{
    using CreateFile = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*, LARGE_INTEGER*, ULONG,
                                     ULONG, ULONG, ULONG, void*, ULONG);
    const CreateFile create = reinterpret_cast<CreateFile>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtCreateFile")));
    std::wstring ntPath = L"\\??\\" + path;
    UNICODE_STRING name;
    name.Buffer = &ntPath[0];
    name.Length = name.MaximumLength = static_cast<USHORT>(ntPath.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, 0, nullptr, nullptr);
    IO_STATUS_BLOCK status;
    HANDLE file = nullptr;
    if (create == nullptr || create(&file, GENERIC_WRITE | SYNCHRONIZE, &attributes, &status, nullptr,
                                    FILE_ATTRIBUTE_NORMAL, 0, FILE_CREATE,
                                    FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0) < 0)
        return false;
    CloseHandle(file);
    return true;
}

class FileRead : public ::testing::Test {
protected:
    void Choose(std::initializer_list<std::wstring> paths) { ChooseInPlace(files, std::vector<std::wstring>(paths)); }

    TempFolder folder;
    CFileOperate files;
};

} // namespace

TEST_F(FileRead, PresentFileGivesItsStampsSizeAttributesAndFullPath)
{
    std::wstring path = folder.MakeFile(L"report.txt", 1536);
    FILETIME write = StampOfUtc(2011, 7, 1, 10, 0, 0);
    FILETIME access = StampOfUtc(2012, 1, 15, 11, 30, 5);
    ASSERT_TRUE(WriteStamps(path, nullptr, &access, &write));
    Choose({path});

    FileRecord record = files.GetRecord(0);
    EXPECT_EQ(record.writeTime, 1309514400);
    EXPECT_EQ(record.accessTime, 1326627005);
    EXPECT_NE(record.createTime, 0);
    EXPECT_EQ(record.size, 1536u);
    EXPECT_EQ(record.attribute & ~FILE_ATTRIBUTE_ARCHIVE, 0);
    EXPECT_EQ(record.fullPath, path);
}

TEST_F(FileRead, PathsThatNameNoReadableFileAreNotFound)
{
    std::wstring present = folder.MakeFile(L"present.txt");
    std::wstring missing = folder / L"gone.txt";
    const struct {
        const char* what;
        std::wstring path;
    } cases[] = {
        {"missing", missing},
        {"too long", folder.Path() + L"\\" + std::wstring(MAX_PATH, L'x')},
        {"empty", L""},
        {"device", L"NUL"},
        {"wildcard matching a file", folder / L"pres*.txt"},
        {"file with a trailing backslash", present + L"\\"},
    };
    for (const auto& c : cases) {
        Choose({c.path});
        FileRecord record = files.GetRecord(0);
        EXPECT_FALSE(record.found) << c.what;
        EXPECT_EQ(record.createTime, 0) << c.what;
        EXPECT_EQ(record.writeTime, 0) << c.what;
        EXPECT_EQ(record.accessTime, 0) << c.what;
        EXPECT_EQ(record.size, 0u) << c.what;
        EXPECT_EQ(record.attribute, 0) << c.what;
    }
    Choose({missing});
    EXPECT_EQ(files.GetRecord(0).fullPath, missing) << "a missing file still has its absolute path";
    Choose({present});
    EXPECT_TRUE(files.GetRecord(0).found);
}

TEST_F(FileRead, RelativePathsResolveAgainstTheCurrentFolder)
{
    folder.MakeFile(L"here.txt");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.Path().c_str());
    Choose({L"here.txt"});
    FileRecord record = files.GetRecord(0);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(record.fullPath, folder / L"here.txt");
    EXPECT_NE(record.writeTime, 0);
}

TEST_F(FileRead, DirectoryReadsWithItsDirectoryFlag)
{
    Choose({folder.MakeFolder(L"sub")});
    FileRecord record = files.GetRecord(0);
    EXPECT_TRUE(record.attribute & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE(record.writeTime, 0);
}

TEST_F(FileRead, StampsBefore1900FallBackToTheWriteTime)
{
    std::wstring path = folder.MakeFile(L"old.txt");
    FILETIME ancient = StampOfUtc(1850, 3, 1, 0, 0, 0);
    FILETIME write = StampOfUtc(2011, 1, 15, 11, 0, 0);
    ASSERT_TRUE(WriteStamps(path, &ancient, &ancient, &write));
    FileStamps stored;
    ASSERT_TRUE(ReadStamps(path, &stored));
    SYSTEMTIME access;
    FileTimeToSystemTime(&stored.access, &access);
    if (access.wYear != 1850)
        GTEST_SKIP() << "the platform does not keep a stamp before 1900 (1850 read back as " << access.wYear << ")";
    Choose({path});
    FileRecord record = files.GetRecord(0);
    EXPECT_EQ(record.writeTime, 1295089200);
    EXPECT_EQ(record.accessTime, 1295089200);
    EXPECT_EQ(record.createTime, 1295089200);
}

// Regression: a stamp from 1900 to 1969 raised an error at every read of the record, and
// the creation and access rows showed the write time in place of their own.
TEST_F(FileRead, StampsATimeValueCannotHoldAreMarkedAndTakeNoFallback)
{
    std::wstring path = folder.MakeFile(L"sixties.txt");
    FILETIME sixties = StampOfUtc(1965, 6, 1, 12, 0, 0);
    FILETIME write = StampOfUtc(2011, 1, 15, 11, 0, 0);
    ASSERT_TRUE(WriteStamps(path, nullptr, &sixties, &write));
    Choose({path});
    FileRecord record = files.GetRecord(0);
    EXPECT_TRUE(record.found);
    EXPECT_EQ(record.writeTime, 1295089200);
    EXPECT_EQ(record.accessTime, 0);
    EXPECT_EQ(record.unrepresentable & (kAccessStamp | kWriteStamp), kAccessStamp);

    ASSERT_TRUE(WriteStamps(path, nullptr, &write, &sixties));
    record = files.GetRecord(0);
    EXPECT_EQ(record.writeTime, 0);
    EXPECT_TRUE(record.unrepresentable & kWriteStamp);
    EXPECT_EQ(record.accessTime, 1295089200);
}

// A listing matches names exactly; a name chosen in another case than the folder holds is
// still read, by its path, where the folder does not tell case apart.
TEST_F(FileRead, ANameInAnotherCaseThanTheFoldersIsReadByItsPath)
{
    const std::wstring stored = folder.MakeFile(L"photo.jpg");
    const FILETIME write = StampOfUtc(2011, 7, 1, 10, 0, 0);
    ASSERT_TRUE(WriteStamps(stored, nullptr, nullptr, &write));
    const std::wstring otherCase = folder / L"PHOTO.JPG";
    if (GetFileAttributesW(otherCase.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "this folder tells case apart: the name in another case names no file";
    Choose({otherCase, folder.MakeFile(L"b.txt"), folder.MakeFile(L"c.txt"), folder.MakeFile(L"d.txt")});
    ASSERT_TRUE(files.GetFileSet().Item(0).Readable());
    EXPECT_EQ(files.GetFileSet().Item(0).state.write, AsStamp(write).QuadPart);
    EXPECT_EQ(files.GetFileSet().Path(0), otherCase) << "the item keeps the name it was chosen by";
}

// Regression: a folder's listing was matched without regard to case, so that one of two
// such files took the other's state.
TEST_F(FileRead, TwoNamesThatDifferOnlyInCaseAreTwoItemsWithStatesOfTheirOwn)
{
    const std::wstring lower = folder.MakeFile(L"a.txt", 1);
    const std::wstring upper = folder / L"A.txt";
    if (!CreateCaseExact(upper))
        GTEST_SKIP() << "this folder holds no two names that differ only in case (Wine and Windows' usual folders "
                        "match names without regard to case): the second name is the first file";
    const FILETIME lowerWrite = StampOfUtc(2011, 7, 1, 10, 0, 0);
    const FILETIME upperWrite = StampOfUtc(2015, 3, 2, 8, 0, 0);
    ASSERT_TRUE(WriteStamps(lower, nullptr, nullptr, &lowerWrite));
    ASSERT_TRUE(WriteStamps(upper, nullptr, nullptr, &upperWrite));
    // Alone, each is read by its path; with enough neighbours, from the folder's listing.
    for (bool listed : {false, true}) {
        SCOPED_TRACE(listed ? "from the listing" : "by path");
        if (listed)
            Choose({lower, upper, folder.MakeFile(L"b.txt"), folder.MakeFile(L"c.txt")});
        else
            Choose({upper, lower});
        const FileSet& set = files.GetFileSet();
        for (size_t index = 0; index < 2; ++index) {
            const FILETIME& expected = set.Path(index) == lower ? lowerWrite : upperWrite;
            ASSERT_TRUE(set.Item(index).Readable());
            EXPECT_EQ(set.Item(index).state.write, AsStamp(expected).QuadPart) << index;
            EXPECT_EQ(set.Item(index).size, set.Path(index) == lower ? 1u : 0u) << index;
        }
    }
}

// A listing that ends with anything but "no more files" (a network share that dropped
// midway) left the rest of its folder unread: the folder is named with the reason, and the
// walk goes on with the other folders.
TEST_F(FileRead, AWalkWhoseListingFailsMidwayNamesTheFolder)
{
    const std::wstring dropped = folder.MakeFolder(L"dropped");
    folder.MakeFile(L"dropped\\a.txt");
    folder.MakeFile(L"dropped\\b.txt");
    const std::wstring whole = folder.MakeFolder(L"whole");
    folder.MakeFile(L"whole\\c.txt");
    FileSet set;
    set.Assign({dropped, whole});
    FailListingStepsForTests(1, ERROR_NETNAME_DELETED);
    set.ReadStates(FileSet::Progress(), true);
    FailListingStepsForTests(0, ERROR_SUCCESS);

    ASSERT_EQ(set.UnreadableFolders().size(), 1u);
    EXPECT_EQ(set.UnreadableFolders()[0].path, dropped);
    EXPECT_EQ(set.UnreadableFolders()[0].error, static_cast<DWORD>(ERROR_NETNAME_DELETED));
    EXPECT_EQ(set.Path(set.Count() - 1), whole + L"\\c.txt") << "the walk goes on";
}

TEST_F(FileRead, IndexesOutsideTheListAreInvalidArguments)
{
    EXPECT_TRUE(files.GetRecord(-5).fullPath.empty()) << "no file chosen: the zero record for any index";
    EXPECT_EQ(files.GetRecord(3).writeTime, 0);

    Choose({folder / L"a.txt", folder / L"b.txt"});
    EXPECT_THROW(files.GetRecord(2), InvalidArgumentError);
    EXPECT_THROW(files.GetRecord(-1), InvalidArgumentError);
    EXPECT_THROW(files.GetExtension(2), InvalidArgumentError);
    EXPECT_THROW(files.GetBaseName(2), InvalidArgumentError) << "an index equal to the count fails";
    EXPECT_EQ(files.GetBaseName(3), L"") << "an index above the count gives the empty name";
}

TEST_F(FileRead, NamePartsComeFromTheListAndTheFolderFromTheFirstPath)
{
    Choose({L"C:\\data\\report.final.txt", L"C:\\my.dir\\README"});
    EXPECT_EQ(files.GetCount(), 2);
    EXPECT_EQ(files.GetFolder(), L"C:\\data");
    EXPECT_EQ(files.GetBaseName(0), L"report.final");
    EXPECT_EQ(files.GetExtension(0), L"txt");
    EXPECT_EQ(files.GetBaseName(1), L"README");
    EXPECT_EQ(files.GetExtension(1), L"");

    Choose({L"Z:/dir/a.txt"});
    EXPECT_EQ(files.GetBaseName(0), L"a") << "a forward slash separates like a backslash";
    EXPECT_EQ(files.GetFolder(), L"Z:\\dir") << "made absolute when chosen, in the system's own form";

    Choose({L"C:\\data\\report.final.txt"});
    Choose({});
    EXPECT_EQ(files.GetCount(), 0);
    EXPECT_EQ(files.GetFolder(), L"C:\\data") << "an empty list keeps the first path";
}

TEST_F(FileRead, FirstFileAttributesAreTheLiveWord)
{
    std::wstring path = folder.MakeFile(L"flags.txt");
    Choose({path});
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(files.GetFirstFileAttributes() & FILE_ATTRIBUTE_HIDDEN);
    DeleteFileW(path.c_str());
    EXPECT_EQ(files.GetFirstFileAttributes(), INVALID_FILE_ATTRIBUTES);
}

TEST(Profile, IntegersRoundTripThroughTheUsersRegistry)
{
    Application* app = TheApplication();
    std::wstring key = L"Software\\tavolin\\" + app->GetAppName() + L"\\ProfileTest";
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());

    EXPECT_EQ(app->ReadSetting(L"ProfileTest", L"missing", 7), 7u);
    EXPECT_TRUE(app->WriteSetting(L"ProfileTest", L"value", 1));
    EXPECT_EQ(app->ReadSetting(L"ProfileTest", L"value", 0), 1u);

    DWORD stored = 0;
    DWORD size = sizeof(stored);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"value", RRF_RT_REG_DWORD, nullptr, &stored, &size),
              ERROR_SUCCESS)
        << "the value lives under Software\\tavolin\\<executable name>\\<section>";
    EXPECT_EQ(stored, 1u);
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
}
