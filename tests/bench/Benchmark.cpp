// Measures the program's refresh, apply and start-up against a bare loop of the system
// calls that the same work cannot avoid, in the same run, and prints the figures.
// Usage: KalendrixBench.exe KALENDRIX_EXE MINIMAL_DIALOG_EXE
#include "framework/WinApp.h"
#include "support/TempFolder.h"
#include "ui/KalendrixDlg.h"

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const int kRuns = 5;

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double MedianMs(const std::function<void()>& work)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        double start = NowMs();
        work();
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Result {
    const char* what;
    int n;
    double programMs;
    double floorMs;
};

std::vector<std::wstring> MakeFiles(const TempFolder& folder, int n)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < n; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"file%05d.txt", i);
        paths.push_back(folder.MakeFile(name, 100));
    }
    return paths;
}

CStringArray ToList(const std::vector<std::wstring>& paths)
{
    CStringArray list;
    for (const std::wstring& path : paths)
        list.Add(path);
    return list;
}

// N real files in a temporary folder and the real dialog, the application's main window
// while it lives.
struct Scene {
    explicit Scene(int n) : paths(MakeFiles(folder, n)), list(ToList(paths))
    {
        dialog.Create();
        AfxGetApp()->m_pMainWnd = &dialog;
    }
    ~Scene() { AfxGetApp()->m_pMainWnd = nullptr; }

    TempFolder folder;
    std::vector<std::wstring> paths;
    CStringArray list;
    CKalendrixDlg dialog;
};

// Per file the shell's display and type names and one list row of two cells; for file 0
// the record's reads and the short path.
void RefreshFloor(HWND list, const std::vector<std::wstring>& paths)
{
    ListView_DeleteAllItems(list);
    WIN32_FILE_ATTRIBUTE_DATA data;
    GetFileAttributesExW(paths[0].c_str(), GetFileExInfoStandard, &data);
    wchar_t full[MAX_PATH];
    GetFullPathNameW(paths[0].c_str(), MAX_PATH, full, nullptr);
    wchar_t shortPath[MAX_PATH];
    GetShortPathNameW(full, shortPath, MAX_PATH);
    for (size_t i = 0; i < paths.size(); ++i) {
        SHFILEINFOW info = {};
        SHGetFileInfoW(paths[i].c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME);
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = info.szDisplayName;
        ListView_InsertItem(list, &item);
        SHFILEINFOW type = {};
        SHGetFileInfoW(paths[i].c_str(), 0, &type, sizeof(type), SHGFI_TYPENAME);
        ListView_SetItemText(list, static_cast<int>(i), 1, type.szTypeName);
    }
}

// Per file: attribute query, exclusive write-open test, open, set the time, close.
// Returns the number of files for which a call failed: a floor made of failing calls
// would be no floor.
int ApplyFloor(const std::vector<std::wstring>& paths, const FILETIME& write)
{
    int failed = 0;
    for (const std::wstring& path : paths) {
        bool ok = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        HANDLE test = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ok = ok && test != INVALID_HANDLE_VALUE;
        CloseHandle(test);
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ok = ok && SetFileTime(file, nullptr, nullptr, &write);
        CloseHandle(file);
        if (!ok)
            ++failed;
    }
    return failed;
}

// Process start to the dialog with `caption` shown, then closes it.
double StartUpMs(const std::wstring& commandLine, const wchar_t* caption)
{
    double start = NowMs();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    HWND window = nullptr;
    while (NowMs() - start < 60000) {
        window = FindWindowW(L"#32770", caption);
        if (window != nullptr && IsWindowVisible(window))
            break;
        Sleep(1);
    }
    double elapsed = NowMs() - start;
    if (window != nullptr)
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double MedianOf(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    _wputenv(L"TZ=");
    if (argc < 3) {
        fwprintf(stderr, L"usage: KalendrixBench KALENDRIX_EXE MINIMAL_DIALOG_EXE\n");
        return 2;
    }
    __argc = 1;
    AfxGetApp()->SetRegistryKey(L"tavolin");
    std::vector<Result> results;

    for (int n : {1, 100, 1000}) {
        Scene scene(n);
        CKalendrixDlg& dialog = scene.dialog;
        const std::vector<std::wstring>& paths = scene.paths;
        const CStringArray& list = scene.list;
        double program = MedianMs([&] {
            dialog.GetFileOperate().SetFiles(list);
            dialog.UpdateFileView();
        });
        double floor = MedianMs([&] { RefreshFloor(dialog.GetDlgItem(IDC_FILE_LIST), paths); });
        results.push_back({"refresh", n, program, floor});
    }

    for (int n : {1, 100, 1000, 10000}) {
        Scene scene(n);
        CKalendrixDlg& dialog = scene.dialog;
        const std::vector<std::wstring>& paths = scene.paths;
        // The first file's state in the rows and boxes. One file is shown in full, so that
        // its name and extension fill the name edits and no rename happens; a full refresh
        // of thousands of files would take minutes here (the shell's type names).
        dialog.GetFileOperate().SetFiles(scene.list);
        if (n == 1)
            dialog.UpdateFileView();
        else
            dialog.ShowRecord(0);
        // Only the last-write row ticked; the attribute boxes show the first file's flags.
        for (const TimeRowControls& row : kTimeRows)
            dialog.CheckDlgButton(row.switchId, row.switchId == IDC_SWITCH_WRITE ? BST_CHECKED : BST_UNCHECKED);
        double program = MedianMs([&] { dialog.ApplyChanges(dialog.GetFileOperate().GetRecord(0)); });
        FILETIME write = StampOfUtc(2011, 7, 1, 10, 0, 0);
        int failed = 0;
        double floor = MedianMs([&] { failed += ApplyFloor(paths, write); });
        if (failed != 0)
            fprintf(stderr, "apply n=%d: %d calls of the floor failed; its figure is not a floor\n", n, failed);
        results.push_back({"apply", n, program, floor});
    }

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));

    {
        TempFolder folder;
        std::wstring file = folder.MakeFile(L"start.txt", 100);
        std::wstring program = std::wstring(L"\"") + argv[1] + L"\" \"" + file + L"\"";
        std::wstring minimal = std::wstring(L"\"") + argv[2] + L"\"";
        StartUpMs(program, L"Kalendrix Ver1.01"); // warm the caches once
        std::vector<double> programTimes, floorTimes;
        for (int run = 0; run < kRuns; ++run) {
            programTimes.push_back(StartUpMs(program, L"Kalendrix Ver1.01"));
            floorTimes.push_back(StartUpMs(minimal, L"MinimalDialog"));
        }
        results.push_back({"startup", 1, MedianOf(programTimes), MedianOf(floorTimes)});
    }

    printf("%-8s %6s %12s %12s %7s\n", "what", "n", "program ms", "floor ms", "ratio");
    for (const Result& r : results)
        printf("%-8s %6d %12.1f %12.1f %7.2f\n", r.what, r.n, r.programMs, r.floorMs, r.programMs / r.floorMs);
    printf("peak working set: %.1f MiB\n", static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0));
    for (const Result& r : results)
        printf("RESULT %s n=%d ratio=%.2f program_ms=%.1f floor_ms=%.1f\n", r.what, r.n, r.programMs / r.floorMs,
               r.programMs, r.floorMs);
    return 0;
}
