// The floor of start-up: no framework and no model, only what showing one file cannot do
// without. It shows the program's own template 102 from the same resources, with the
// common controls initialised and COM started (SHGetFileInfoW asks for it), fills it from
// one read of the file's state and one shell lookup of its type name, and draws the
// file's icon, looked up once, at each paint. It marks its start-up phases as the
// program does, so that both are timed to the same moment: the end of the first paint.
// Usage: BareDialog.exe FILE
#include "resource.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

namespace {

const wchar_t* g_path = L"";
HICON g_icon = nullptr;

// Performance-counter ticks of each phase, written once after the first paint to the
// file that KALENDRIX_STARTUP_PHASES names (one "name ticks" line each).
struct Phase {
    const wchar_t* name;
    LONGLONG ticks;
};
Phase g_phases[4];
int g_phaseCount = 0;

void Mark(const wchar_t* name)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (g_phaseCount < 4)
        g_phases[g_phaseCount++] = {name, now.QuadPart};
}

void WritePhases()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"KALENDRIX_STARTUP_PHASES", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    if (FILE* file = _wfopen(path, L"w")) {
        for (int i = 0; i < g_phaseCount; ++i)
            fwprintf(file, L"%ls %lld\n", g_phases[i].name, g_phases[i].ticks);
        fclose(file);
    }
}

void SetCell(HWND list, int row, int column, const wchar_t* text)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text);
    if (column == 0)
        ListView_InsertItem(list, &item);
    else
        ListView_SetItemText(list, row, column, const_cast<wchar_t*>(text));
}

void ShowFile(HWND dialog)
{
    HICON appIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon));

    HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW header = {};
        header.mask = LVCF_TEXT | LVCF_WIDTH;
        header.cx = column == 0 ? 300 : 270;
        header.pszText = const_cast<wchar_t*>(column == 0 ? L"項目" : L"値");
        ListView_InsertColumn(list, column, &header);
    }
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(g_path, GetFileExInfoStandard, &data);
    wchar_t fullPath[MAX_PATH] = L"";
    wchar_t* name = nullptr;
    GetFullPathNameW(g_path, MAX_PATH, fullPath, &name);
    wchar_t shortPath[MAX_PATH] = L"";
    GetShortPathNameW(fullPath, shortPath, MAX_PATH);
    SHFILEINFOW info = {};
    SHGetFileInfoW(g_path, 0, &info, sizeof(info), SHGFI_TYPENAME);
    wchar_t size[32];
    swprintf(size, 32, L"%lu", data.nFileSizeLow);
    const wchar_t* labels[] = {L"種類", L"パス名", L"MS-DOS名", L"サイズ"};
    const wchar_t* values[] = {info.szTypeName, fullPath, shortPath, size};
    for (int row = 0; row < 4; ++row) {
        SetCell(list, row, 0, labels[row]);
        SetCell(list, row, 1, values[row]);
    }

    // The name and its extension, split at the last dot.
    wchar_t baseName[MAX_PATH] = L"";
    wcsncpy(baseName, name != nullptr ? name : L"", MAX_PATH - 1);
    wchar_t* dot = wcsrchr(baseName, L'.');
    SetDlgItemTextW(dialog, IDC_EXTENSION, dot != nullptr ? dot + 1 : L"");
    if (dot != nullptr)
        *dot = L'\0';
    SetDlgItemTextW(dialog, IDC_NAME, baseName);

    // The three stamps as local fields, six edits a row.
    const FILETIME* stamps[] = {&data.ftCreationTime, &data.ftLastWriteTime, &data.ftLastAccessTime};
    const int firstEdits[][6] = {
        {IDC_CREATE_YEAR, IDC_CREATE_MONTH, IDC_CREATE_DAY, IDC_CREATE_HOUR, IDC_CREATE_MINUTE, IDC_CREATE_SECOND},
        {IDC_WRITE_YEAR, IDC_WRITE_MONTH, IDC_WRITE_DAY, IDC_WRITE_HOUR, IDC_WRITE_MINUTE, IDC_WRITE_SECOND},
        {IDC_ACCESS_YEAR, IDC_ACCESS_MONTH, IDC_ACCESS_DAY, IDC_ACCESS_HOUR, IDC_ACCESS_MINUTE, IDC_ACCESS_SECOND},
    };
    for (int row = 0; row < 3; ++row) {
        SYSTEMTIME utc, fields;
        FileTimeToSystemTime(stamps[row], &utc);
        SystemTimeToTzSpecificLocalTime(nullptr, &utc, &fields);
        const int values[] = {fields.wYear, fields.wMonth, fields.wDay, fields.wHour, fields.wMinute, fields.wSecond};
        for (int field = 0; field < 6; ++field)
            SetDlgItemInt(dialog, firstEdits[row][field], values[field], FALSE);
    }
    const struct {
        int id;
        DWORD bit;
    } boxes[] = {{IDC_ATTR_READONLY, FILE_ATTRIBUTE_READONLY}, {IDC_ATTR_HIDDEN, FILE_ATTRIBUTE_HIDDEN},
                 {IDC_ATTR_SYSTEM, FILE_ATTRIBUTE_SYSTEM},     {IDC_ATTR_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE},
                 {IDC_ATTR_COMPRESSED, FILE_ATTRIBUTE_COMPRESSED}};
    for (const auto& box : boxes)
        CheckDlgButton(dialog, box.id, (data.dwFileAttributes & box.bit) ? BST_CHECKED : BST_UNCHECKED);

    SHFILEINFOW icon = {};
    SHGetFileInfoW(g_path, 0, &icon, sizeof(icon), SHGFI_ICON);
    g_icon = icon.hIcon;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        Mark(L"template created");
        ShowFile(dialog);
        Mark(L"first refresh done");
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(dialog, &paint);
        if (g_icon != nullptr)
            DrawIcon(dc, 20, 0, g_icon);
        EndPaint(dialog, &paint);
        if (g_phaseCount == 3) {
            Mark(L"first paint");
            WritePhases();
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    Mark(L"wWinMain");
    if (__argc > 1)
        g_path = __wargv[1];
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&init);
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, DialogProc, 0);
    CoUninitialize();
    return 0;
}
