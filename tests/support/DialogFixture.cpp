#include "DialogFixture.h"


#include "framework/Application.h"

namespace {

std::wstring ProfileKeyPath()
{
    return L"Software\\tavolin\\" + TheApplication()->GetAppName() + L"\\Prop";
}

} // namespace

void DialogFixture::SetUp()
{
    ClearProfile();
    ASSERT_TRUE(dialog.Create()) << "the main dialog could not be created from its template";
    TheApplication()->m_mainDialog = &dialog;
}

void DialogFixture::TearDown()
{
    TheApplication()->m_mainDialog = nullptr;
    dialog.DestroyWindow();
}

void DialogFixture::Choose(std::initializer_list<std::wstring> paths)
{
    dialog.HandOverFiles(std::vector<std::wstring>(paths));
}

void DialogFixture::Type(int id, const std::wstring& text)
{
    SendMessageW(dialog.GetDlgItem(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void DialogFixture::Click(int id)
{
    ClickWithoutWaiting(id);
    EXPECT_TRUE(WaitForJob()) << "the work the click on " << id << " started did not end";
}

void DialogFixture::ClickWithoutWaiting(int id)
{
    SendMessageW(dialog.GetDlgItem(id), BM_CLICK, 0, 0);
}

void DialogFixture::UndoLastChange()
{
    SendMessageW(dialog.m_hWnd, WM_SYSCOMMAND, IDM_UNDO_LAST_CHANGE, 0);
    EXPECT_TRUE(WaitForJob()) << "the undo did not end";
}

bool DialogFixture::WaitForJob(DWORD milliseconds)
{
    return RunMessagesUntil([this] { return !dialog.JobRunning(); }, milliseconds);
}

bool DialogFixture::RunMessagesUntil(const std::function<bool()>& done, DWORD milliseconds)
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (done())
            return true;
        const ULONGLONG spent = GetTickCount64() - start;
        if (spent >= milliseconds)
            return false;
        const DWORD left = static_cast<DWORD>(milliseconds - spent);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 20 ? left : 20, QS_ALLINPUT);
        RunPostedMessages();
    }
}

void DialogFixture::RunPostedMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void DialogFixture::RunMessages(DWORD milliseconds, HANDLE event)
{
    const ULONGLONG start = GetTickCount64();
    RunMessagesUntil(
        [&] {
            return GetTickCount64() - start >= milliseconds ||
                   (event != nullptr && WaitForSingleObject(event, 0) == WAIT_OBJECT_0);
        },
        milliseconds);
}

int DialogFixture::ListRowCount() const
{
    return static_cast<int>(SendMessageW(dialog.GetDlgItem(IDC_FILE_LIST), LVM_GETITEMCOUNT, 0, 0));
}

std::wstring DialogFixture::ListCell(int row, int column) const
{
    wchar_t text[MAX_PATH + 40] = L"";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = MAX_PATH + 40;
    SendMessageW(dialog.GetDlgItem(IDC_FILE_LIST), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::wstring DialogFixture::RowText(TimeRow row) const
{
    std::wstring text;
    for (int field = 0; field < kTimeFieldCount; ++field) {
        if (field > 0)
            text += L",";
        text += Text(kTimeRows[row].edits[field]);
    }
    return text;
}

void DialogFixture::StoreProfileValue(const wchar_t* key, DWORD value)
{
    HKEY section = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, ProfileKeyPath().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &section,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(section, key, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(section);
}

bool DialogFixture::ReadProfileValue(const wchar_t* key, DWORD* value)
{
    DWORD size = sizeof(*value);
    return RegGetValueW(HKEY_CURRENT_USER, ProfileKeyPath().c_str(), key, RRF_RT_REG_DWORD, nullptr, value, &size) ==
           ERROR_SUCCESS;
}

void DialogFixture::ClearProfile()
{
    RegDeleteKeyW(HKEY_CURRENT_USER, ProfileKeyPath().c_str());
}
