// Sets up the running dialog for a README picture, as a user would, from another process:
// "size=WIDTHxHEIGHT" sizes the window as its frame would; "shift" chooses "ずらす", ticks
// the last-write row and types a camera's 7 h 36 min; "source" chooses "ファイルから" with
// the creation row taking the date taken and the last-write row the date in the name. The
// preview then shows.
// Usage: DriveDialog.exe [size=WIDTHxHEIGHT] [shift|source]
#include "../../res/resource.h"

#include <windows.h>
#include <commctrl.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    int width = 0;
    int height = 0;
    bool shift = false;
    bool source = false;
    for (int index = 1; index < argc; ++index) {
        if (wcscmp(argv[index], L"shift") == 0)
            shift = true;
        else if (wcscmp(argv[index], L"source") == 0)
            source = true;
        else if (swscanf(argv[index], L"size=%dx%d", &width, &height) != 2)
            return 2;
    }
    // tools/run shows the program in a Wine virtual desktop named "Kalendrix": a window is
    // found only from a thread of the same desktop.
    if (HDESK desktop = OpenDesktopW(L"Kalendrix", 0, FALSE, GENERIC_ALL))
        SetThreadDesktop(desktop);
    HWND dialog = FindWindowW(L"#32770", L"Kalendrix Ver1.01");
    if (dialog == nullptr)
        return 1;
    if (width > 0 && height > 0)
        SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    auto tick = [dialog](int id) {
        if (SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) != BST_CHECKED)
            SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    };
    if (shift) {
        SendMessageW(GetDlgItem(dialog, IDC_MODE_SHIFT), BM_CLICK, 0, 0);
        tick(IDC_SWITCH_WRITE);
        SendMessageW(GetDlgItem(dialog, IDC_WRITE_HOUR), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-7"));
        SendMessageW(GetDlgItem(dialog, IDC_WRITE_MINUTE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-36"));
    } else if (source) {
        tick(IDC_SWITCH_CREATE);
        tick(IDC_SWITCH_WRITE);
        SendMessageW(GetDlgItem(dialog, IDC_MODE_SOURCE), BM_CLICK, 0, 0);
        HWND write = GetDlgItem(dialog, IDC_WRITE_SOURCE);
        SendMessageW(write, CB_SETCURSEL, 1, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_WRITE_SOURCE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(write));
    }
    return 0;
}
