// Editing as a person does: keys typed into the focused field, text pasted from the
// clipboard, spins stepped with the arrow keys, and switches that protect their group.
#include "support/ApplyFixture.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class Editing : public ApplyFixture {
protected:
    // Focuses the field and selects its text, as a click and a double click would.
    void Focus(int id)
    {
        SetFocus(dialog.GetDlgItem(id));
        SendMessageW(dialog.GetDlgItem(id), EM_SETSEL, 0, -1);
    }

    void TypeKeys(int id, const wchar_t* keys)
    {
        for (const wchar_t* key = keys; *key != L'\0'; ++key)
            SendMessageW(dialog.GetDlgItem(id), WM_CHAR, *key, 1);
    }

    void Paste(int id, const std::wstring& text)
    {
        ASSERT_TRUE(OpenClipboard(dialog.m_hWnd));
        EmptyClipboard();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
        SendMessageW(dialog.GetDlgItem(id), WM_PASTE, 0, 0);
    }

    DWORD Caret(int id) const
    {
        DWORD start = 0, end = 0;
        SendMessageW(dialog.GetDlgItem(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return end;
    }

    int WriteYearOf(const std::wstring& path)
    {
        FileStamps stamps = StampsOf(path);
        SYSTEMTIME utc;
        FileTimeToSystemTime(&stamps.write, &utc);
        return utc.wYear;
    }

    void TickWriteRow()
    {
        Click(IDC_SWITCH_WRITE);
        ASSERT_TRUE(Checked(IDC_SWITCH_WRITE));
    }
};

} // namespace

// Regression: the apply compared the boxes with the first file's flags without looking at
// the switch, so picking a hidden file's row and pressing OK hid the other files too.
TEST_F(Editing, SwitchedOffAttributeGroupChangesNoFlags)
{
    std::wstring first = MakeStampedFile(L"first.txt");
    std::wstring hidden = folder.MakeFile(L"hidden.txt");
    std::wstring third = MakeStampedFile(L"third.txt");
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    Choose({first, hidden, third});
    ASSERT_FALSE(Checked(IDC_SWITCH_ATTRIBUTE));

    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = dialog.GetDlgItem(IDC_FILE_LIST);
    click.hdr.idFrom = IDC_FILE_LIST;
    click.hdr.code = NM_CLICK;
    click.iItem = 1;
    SendMessageW(dialog.m_hWnd, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&click));
    ASSERT_TRUE(Checked(IDC_ATTR_HIDDEN));
    ASSERT_TRUE(Enabled(IDC_APPLY)) << "the other file's times differ from the first file's";
    Click(IDOK);
    for (const std::wstring& path : {first, third})
        EXPECT_FALSE(AttributesOf(path) & FILE_ATTRIBUTE_HIDDEN);

    // A file made writable outside the program since it was shown stays writable.
    dialog.Create();
    std::wstring single = MakeStampedFile(L"single.txt");
    ASSERT_TRUE(SetFileAttributesW(single.c_str(), FILE_ATTRIBUTE_READONLY));
    ChooseOne(single);
    ASSERT_TRUE(SetFileAttributesW(single.c_str(), FILE_ATTRIBUTE_NORMAL));
    TickWriteRow();
    Type(IDC_WRITE_YEAR, L"2011");
    Click(IDC_APPLY);
    EXPECT_TRUE(boxes.Take().empty());
    EXPECT_FALSE(AttributesOf(single) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(WriteYearOf(single), 2011);
}

// Regression: the first key turned the year into 1950 and put the caret before it, so
// typing 2024 ended as 2049 and was written.
TEST_F(Editing, YearTypedKeyByKeyIsTakenAsTyped)
{
    std::wstring path = MakeStampedFile(L"typed.txt");
    ChooseOne(path);
    TickWriteRow();
    const struct {
        const wchar_t* keys;
        const wchar_t* shown;
        DWORD caret;
    } cases[] = {
        {L"2024", L"2024", 4},
        {L"3100", L"3000", 4}, // corrected at the fourth digit, the caret stays at the end
        {L"2050", L"2050", 4},
        {L"1969", L"1969", 4}, // stands: the apply refuses it rather than write 1970
        {L"202", L"202", 3},   // still being typed
        {L"0007", L"7", 1},
    };
    for (const auto& c : cases) {
        Focus(IDC_WRITE_YEAR);
        TypeKeys(IDC_WRITE_YEAR, c.keys);
        EXPECT_EQ(Text(IDC_WRITE_YEAR), c.shown) << c.keys;
        EXPECT_EQ(Caret(IDC_WRITE_YEAR), c.caret) << c.keys;
    }

    // Leaving a year that is not whole corrects it as the fourth digit would.
    Focus(IDC_WRITE_YEAR);
    TypeKeys(IDC_WRITE_YEAR, L"19");
    SetFocus(dialog.GetDlgItem(IDC_WRITE_MONTH));
    EXPECT_EQ(Text(IDC_WRITE_YEAR), L"1970");

    Focus(IDC_WRITE_YEAR);
    TypeKeys(IDC_WRITE_YEAR, L"2024");
    SetFocus(dialog.GetDlgItem(IDC_APPLY));
    Click(IDC_APPLY);
    EXPECT_TRUE(boxes.Take().empty());
    EXPECT_EQ(WriteYearOf(path), 2024);
}

// Regression: a pasted "abc" was read as 0 and "1a" as 1, and written.
TEST_F(Editing, PastedTextThatIsNoNumberIsRefused)
{
    std::wstring path = MakeStampedFile(L"pasted.txt");
    ChooseOne(path);
    TickWriteRow();
    for (const wchar_t* pasted : {L"abc", L"1a"}) {
        Focus(IDC_WRITE_HOUR);
        Paste(IDC_WRITE_HOUR, pasted);
        SetFocus(dialog.GetDlgItem(IDC_APPLY));
        if (Text(IDC_WRITE_HOUR) != pasted) {
            // The edit kept the letters out, which is as good as refusing them.
            EXPECT_EQ(Text(IDC_WRITE_HOUR).find_first_not_of(L"0123456789"), std::wstring::npos);
            continue;
        }
        ASSERT_TRUE(Enabled(IDC_APPLY));
        Click(IDC_APPLY);
        std::vector<ShownMessageBox> shown = boxes.Take();
        ASSERT_EQ(shown.size(), 1u) << pasted;
        EXPECT_EQ(shown[0].text.find(std::wstring(L"更新日時の「時」の「") + pasted + L"」は数字ではありません。"), 0u);
        EXPECT_EQ(WriteSecondsOf(path), static_cast<ULONGLONG>(kOldWrite));
    }
}

// Regression: the hour spin and the correction of 30 gave 24, and the year spin and the
// correction of small years gave 1950 to 1969; every apply refused them.
TEST_F(Editing, ArrowKeysAndCorrectionsOfferOnlyWritableValues)
{
    std::wstring path = MakeStampedFile(L"spun.txt");
    ChooseOne(path);
    TickWriteRow();
    const struct {
        int edit;
        const wchar_t* start;
        WPARAM key; // 0: the start text alone, corrected as it is set
        const wchar_t* shown;
    } steps[] = {
        {IDC_WRITE_HOUR, L"23", VK_UP, L"0"},     {IDC_WRITE_HOUR, L"0", VK_DOWN, L"23"},
        {IDC_WRITE_HOUR, L"30", 0, L"23"},        {IDC_WRITE_YEAR, L"1970", VK_DOWN, L"3000"},
        {IDC_WRITE_YEAR, L"3000", VK_UP, L"1970"}, {IDC_WRITE_YEAR, L"195", 0, L"1970"},
    };
    for (const auto& step : steps) {
        Type(step.edit, step.start);
        if (step.key != 0) {
            SetFocus(dialog.GetDlgItem(step.edit));
            SendMessageW(dialog.GetDlgItem(step.edit), WM_KEYDOWN, step.key, 0);
            SendMessageW(dialog.GetDlgItem(step.edit), WM_KEYUP, step.key, 0);
            SetFocus(dialog.GetDlgItem(IDC_APPLY));
        }
        EXPECT_EQ(Text(step.edit), step.shown) << step.start;
        EXPECT_NO_THROW(dialog.GetTimeRows().ReadTimeRow(kWriteRow)) << step.start;
    }
}

// Regression: the time value 0 stood for "leave this stamp alone", so a row set to
// 1970-01-01 00:00:00 UTC was silently not written.
TEST_F(Editing, FirstSecondOf1970IsWritten)
{
    const bool tokyo = HostZone() == L"Asia/Tokyo";
    if (!tokyo && HostZone() != L"Europe/Berlin")
        GTEST_SKIP() << "the local time of the first second is listed for Europe/Berlin and Asia/Tokyo only";
    std::wstring path = MakeStampedFile(L"epoch.txt");
    ChooseOne(path);
    SetRow(kWriteRow, {1970, 1, 1, tokyo ? 9 : 1, 0, 0});
    ASSERT_TRUE(Enabled(IDC_APPLY));
    Click(IDC_APPLY);
    EXPECT_TRUE(boxes.Take().empty());
    EXPECT_EQ(WriteSecondsOf(path), 0u);
}
