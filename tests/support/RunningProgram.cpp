#include "RunningProgram.h"

#include "res/resource.h"

#include <commctrl.h>

#include <cwchar>

std::wstring ProgramPath()
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder = self;
    folder.erase(folder.rfind(L'\\'));
    for (int up = 0; up < 2; ++up) {
        std::wstring candidate = folder + L"\\Kalendrix.exe";
        if (GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES)
            return candidate;
        folder.erase(folder.rfind(L'\\'));
    }
    return std::wstring();
}

namespace {

struct FindContext {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM context)
{
    auto* find = reinterpret_cast<FindContext*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t caption[64] = L"";
    GetWindowTextW(window, caption, 64);
    if (process == find->process && IsWindowVisible(window) && wcscmp(caption, L"Kalendrix Ver1.01") == 0) {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

RunningProgram::RunningProgram(const std::wstring& arguments, const std::wstring& folder)
{
    std::wstring line = L"\"" + ProgramPath() + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    // The program takes the zone from the system, as it does for a user.
    SetEnvironmentVariableW(L"TZ", nullptr);
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &m_process))
        return;
    FindContext find{m_process.dwProcessId, nullptr};
    for (int tries = 0; tries < 3000 && find.found == nullptr; ++tries) {
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&find));
        if (find.found == nullptr)
            Sleep(10);
    }
    m_dialog = find.found;
}

RunningProgram::~RunningProgram()
{
    // "ｷｬﾝｾﾙ" during a job would cancel the job, not close the dialog.
    if (m_dialog != nullptr && WaitUntilIdle())
        PostMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (m_process.hProcess != nullptr) {
        if (WaitForSingleObject(m_process.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(m_process.hProcess, 1);
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
}

bool RunningProgram::WaitUntilIdle(DWORD milliseconds) const
{
    const DWORD start = GetTickCount();
    while (!IsWindowEnabled(Item(IDC_BROWSE))) {
        if (!IsWindow(m_dialog) || GetTickCount() - start >= milliseconds)
            return false;
        Sleep(10);
    }
    return true;
}

std::wstring RunningProgram::Text(int id) const
{
    wchar_t text[MAX_PATH] = L"";
    SendMessageW(Item(id), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring RunningProgram::ListText(int row, int column) const
{
    struct Remote {
        LVITEMW item;
        wchar_t text[MAX_PATH];
    };
    Remote* remote =
        static_cast<Remote*>(VirtualAllocEx(m_process.hProcess, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
    Remote local = {};
    local.item.iSubItem = column;
    local.item.pszText = remote->text;
    local.item.cchTextMax = MAX_PATH;
    WriteProcessMemory(m_process.hProcess, remote, &local, sizeof(local), nullptr);
    SendMessageW(Item(IDC_FILE_LIST), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&remote->item));
    ReadProcessMemory(m_process.hProcess, remote, &local, sizeof(local), nullptr);
    VirtualFreeEx(m_process.hProcess, remote, 0, MEM_RELEASE);
    return local.text;
}

std::wstring RunningProgram::TakeMessageBox(const wchar_t* caption, DWORD milliseconds) const
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND box = FindWindowW(L"#32770", caption);
        DWORD process = 0;
        if (box != nullptr)
            GetWindowThreadProcessId(box, &process);
        if (box != nullptr && process == m_process.dwProcessId && IsWindowVisible(box)) {
            wchar_t text[4096] = L"";
            // The box's text (control 0xFFFF), asked by message: it lives in another process.
            SendDlgItemMessageW(box, 0xFFFF, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
            SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return text;
        }
        if (GetTickCount() - start >= milliseconds)
            return std::wstring();
        Sleep(10);
    }
}
