// Sets up the running dialog for a README picture, as a user would, from another process:
// "shift" chooses "ずらす", ticks the last-write row, types a camera's 7 h 36 min and
// scrolls the list to the times, where the preview shows; "source" chooses "ファイルから"
// with the creation row taking the date taken and the last-write row the date in the name.
// Usage: DriveDialog.exe shift|source
#include "../../res/resource.h"

#include <windows.h>
#include <commctrl.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    const bool shift = argc == 2 && wcscmp(argv[1], L"shift") == 0;
    const bool source = argc == 2 && wcscmp(argv[1], L"source") == 0;
    if (!shift && !source)
        return 2;
    // tools/run shows the program in a Wine virtual desktop named "Kalendrix": a window is
    // found only from a thread of the same desktop.
    if (HDESK desktop = OpenDesktopW(L"Kalendrix", 0, FALSE, GENERIC_ALL))
        SetThreadDesktop(desktop);
    HWND dialog = FindWindowW(L"#32770", L"Kalendrix Ver1.01");
    if (dialog == nullptr)
        return 1;
    auto tick = [dialog](int id) {
        if (SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) != BST_CHECKED)
            SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    };
    if (shift) {
        SendMessageW(GetDlgItem(dialog, IDC_MODE_SHIFT), BM_CLICK, 0, 0);
        tick(IDC_SWITCH_WRITE);
        SendMessageW(GetDlgItem(dialog, IDC_WRITE_HOUR), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-7"));
        SendMessageW(GetDlgItem(dialog, IDC_WRITE_MINUTE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-36"));
    } else {
        tick(IDC_SWITCH_CREATE);
        tick(IDC_SWITCH_WRITE);
        SendMessageW(GetDlgItem(dialog, IDC_MODE_SOURCE), BM_CLICK, 0, 0);
        HWND write = GetDlgItem(dialog, IDC_WRITE_SOURCE);
        SendMessageW(write, CB_SETCURSEL, 1, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_WRITE_SOURCE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(write));
    }
    // The list scrolled to the stamp columns, past the name and type.
    HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
    const int past = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0) + SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0));
    SendMessageW(list, LVM_SCROLL, past, 0);
    return 0;
}
