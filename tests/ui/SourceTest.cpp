// "ファイルから": each chosen file's stamps set from its own date taken, the date in its name
// or another of its stamps, seen in the list before Apply and taken back by the undo.
#include "support/ApplyFixture.h"

#include "sources/SampleFiles.h"

#include "datetime/StampText.h"
#include "framework/UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const LONGLONG kTicksPerSecond = 10000000LL;
// From 1601-01-01, where a stamp counts, to 1904-01-01, where a movie's header counts.
const std::uint64_t kSecondsFrom1601To1904 = 9561628800ULL;

LONGLONG AsStamp(const FILETIME& time)
{
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

std::wstring Change(LONGLONG from, LONGLONG to)
{
    return LocalStampText(from) + L" → " + LocalStampText(to);
}

class FromSource : public ApplyFixture {
protected:
    std::wstring MakeSample(const std::wstring& name, const Bytes& bytes)
    {
        const std::wstring path = folder / name;
        {
            UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                          nullptr));
            DWORD written = 0;
            EXPECT_TRUE(file.Valid() && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                                  nullptr) &&
                        written == bytes.size());
        }
        FILETIME access = StampOf(kOldAccess);
        FILETIME write = StampOf(kOldWrite);
        EXPECT_TRUE(WriteStamps(path, nullptr, &access, &write));
        return path;
    }

    void ChooseSource(TimeRow row, StampSource source)
    {
        const int id = kTimeRows[row].sourceList;
        SendMessageW(dialog.GetDlgItem(id), CB_SETCURSEL, static_cast<WPARAM>(source), 0);
        SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(dialog.GetDlgItem(id)));
        EXPECT_TRUE(WaitForJob());
    }

    bool Visible(int id) const { return IsWindowVisible(dialog.GetDlgItem(id)) != FALSE; }

    static LONGLONG WriteOf(const std::wstring& path) { return AsStamp(StampsOf(path).write); }
    static LONGLONG AccessOf(const std::wstring& path) { return AsStamp(StampsOf(path).access); }
};

} // namespace

TEST_F(FromSource, TheModeShowsAListInPlaceOfEachRowsFieldsUntilANewChoice)
{
    const std::wstring a = MakeStampedFile(L"a.txt");
    const std::wstring b = MakeStampedFile(L"b.txt");
    Choose({a, b});
    dialog.CheckDlgButton(IDC_SWITCH_WRITE, BST_UNCHECKED);
    EXPECT_FALSE(Visible(IDC_WRITE_SOURCE));

    Click(IDC_MODE_SOURCE);
    EXPECT_TRUE(Checked(IDC_MODE_SOURCE));
    EXPECT_FALSE(Checked(IDC_MODE_SET));
    HWND list = dialog.GetDlgItem(IDC_WRITE_SOURCE);
    std::vector<std::wstring> offered;
    for (int item = 0; item < SendMessageW(list, CB_GETCOUNT, 0, 0); ++item) {
        wchar_t text[32] = L"";
        SendMessageW(list, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
        offered.push_back(text);
    }
    EXPECT_EQ(offered, (std::vector<std::wstring>{L"撮影日時", L"ファイル名の日時", L"作成日時", L"更新日時", L"アクセス日時"}));
    for (const TimeRowControls& row : kTimeRows) {
        EXPECT_TRUE(Visible(row.sourceList)) << row.sourceList;
        for (int field = 0; field < kTimeFieldCount; ++field) {
            EXPECT_FALSE(Visible(row.edits[field])) << row.edits[field];
            EXPECT_FALSE(Visible(row.spins[field])) << row.spins[field];
        }
    }
    for (int id : {IDC_ORIGINAL_TIME, IDC_CURRENT_TIME, IDC_CLEAR_TIME, IDC_SAME_AS_CREATION})
        EXPECT_FALSE(Enabled(id)) << id;
    // The row's switch still chooses whether the stamp is written.
    EXPECT_FALSE(Enabled(IDC_WRITE_SOURCE));
    Click(IDC_SWITCH_WRITE);
    EXPECT_TRUE(Enabled(IDC_WRITE_SOURCE));
    EXPECT_TRUE(Enabled(IDC_APPLY));

    Click(IDC_MODE_SET);
    EXPECT_FALSE(Visible(IDC_WRITE_SOURCE));
    EXPECT_TRUE(Visible(IDC_WRITE_YEAR));
    Click(IDC_MODE_SOURCE);
    Choose({a});
    EXPECT_TRUE(Checked(IDC_MODE_SET)) << "a new choice starts with times to set";
    EXPECT_FALSE(Visible(IDC_WRITE_SOURCE));
    EXPECT_TRUE(Visible(IDC_WRITE_YEAR));
}

// A mixed choice: photos with and without an offset, a video, a file named by a phone and a
// file with no date at all. The last-write stamps take the date taken, the last-access
// stamps the date in the name (creation times are not kept by every file system).
TEST_F(FromSource, EachFileTakesItsOwnDateAsThePreviewShowsTheOthersAreNamedAndTheUndoTakesItBack)
{
    const LONGLONG withOffset = AsStamp(StampOfUtc(2024, 3, 15, 5, 22, 33)) + 2500000; // 14:22:33.25 +09:00
    const LONGLONG localTaken = AsStamp(StampOfLocal(2023, 7, 1, 8, 0, 0));
    const LONGLONG filmed = AsStamp(StampOfUtc(2022, 1, 2, 3, 4, 5));
    const LONGLONG named = AsStamp(StampOfLocal(2024, 3, 15, 14, 22, 33));
    const std::uint64_t filmedSince1904 = static_cast<std::uint64_t>(filmed / kTicksPerSecond) - kSecondsFrom1601To1904;
    const std::vector<std::wstring> paths = {
        MakeSample(L"a.jpg", JpegWith(TiffWith(false, {},
                                               {{0x9003, "2024:03:15 14:22:33"}, {0x9291, "25"}, {0x9011, "+09:00"}}))),
        MakeSample(L"b.tif", TiffWith(true, {{0x0132, "2023:07:01 08:00:00"}})),
        MakeSample(L"clip.mov", MovieWith("qt  ", 0, filmedSince1904)),
        MakeSample(L"IMG_20240315_142233.jpg", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'}),
        MakeSample(L"notes.txt", Bytes{'t', 'e', 'x', 't'}),
    };
    Choose({paths[0], paths[1], paths[2], paths[3], paths[4]});
    const LONGLONG oldWrite = WriteOf(paths[0]);
    const LONGLONG oldAccess = AccessOf(paths[0]);
    // The list's own column, read for the rows drawn.
    EXPECT_EQ(ListCell(0, FileListView::kTakenColumn), LocalStampText(withOffset));
    EXPECT_EQ(ListCell(2, FileListView::kTakenColumn), LocalStampText(filmed));
    EXPECT_EQ(ListCell(4, FileListView::kTakenColumn), L"");

    for (int id : {IDC_SWITCH_WRITE, IDC_SWITCH_ACCESS})
        dialog.CheckDlgButton(id, BST_CHECKED);
    Click(IDC_MODE_SOURCE);
    ChooseSource(kAccessRow, StampSource::nameDate);
    const std::wstring noTaken = L"（撮影日時なし）";
    const std::wstring noName = L"（ファイル名に日時なし）";
    const struct {
        std::wstring write;
        std::wstring access;
    } preview[] = {
        {Change(oldWrite, withOffset), noName},
        {Change(oldWrite, localTaken), noName},
        {Change(oldWrite, filmed), noName},
        {noTaken, Change(oldAccess, named)},
        {noTaken, noName},
    };
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(ListCell(row, FileListView::kWriteColumn), preview[row].write) << row;
        EXPECT_EQ(ListCell(row, FileListView::kAccessColumn), preview[row].access) << row;
    }

    Apply();
    const std::vector<ShownMessageBox> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u) << "one box names the files left alone";
    EXPECT_EQ(shown[0].text, L"次のファイルは、元にする日時がないため、その日時をそのままにしました。\r\n" + paths[0] +
                                 L"：アクセス日時（ファイル名に日時なし）\r\n" + paths[1] +
                                 L"：アクセス日時（ファイル名に日時なし）\r\n" + paths[2] +
                                 L"：アクセス日時（ファイル名に日時なし）\r\n" + paths[3] + L"：更新日時（撮影日時なし）\r\n" +
                                 paths[4] + L"：更新日時（撮影日時なし）、アクセス日時（ファイル名に日時なし）\r\n");
    EXPECT_EQ(WriteOf(paths[0]), withOffset) << "to the hundred nanoseconds";
    EXPECT_EQ(WriteOf(paths[1]), localTaken);
    EXPECT_EQ(WriteOf(paths[2]), filmed);
    EXPECT_EQ(AccessOf(paths[3]), named);
    EXPECT_EQ(WriteOf(paths[3]), oldWrite);
    EXPECT_EQ(WriteOf(paths[4]), oldWrite);
    EXPECT_EQ(AccessOf(paths[4]), oldAccess);
    EXPECT_FALSE(Enabled(IDC_APPLY)) << "files left alone are no failure";

    UndoLastChange();
    boxes.Take();
    for (const std::wstring& path : paths) {
        EXPECT_EQ(WriteOf(path), oldWrite) << path.c_str();
        EXPECT_EQ(AccessOf(path), oldAccess) << path.c_str();
    }
}
