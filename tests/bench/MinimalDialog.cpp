// The floor of start-up: a program that shows one empty dialog from an in-memory template.
#include <windows.h>

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass;
        wchar_t caption[14];
    } dialog = {};
    dialog.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    dialog.header.cx = 351;
    dialog.header.cy = 301;
    lstrcpyW(dialog.caption, L"MinimalDialog");
    DialogBoxIndirectParamW(instance, &dialog.header, nullptr, DialogProc, 0);
    return 0;
}
