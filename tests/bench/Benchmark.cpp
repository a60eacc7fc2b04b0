// Measures the program's refresh, apply and start-up against a bare loop of the system
// calls that the same work cannot avoid, in the same run, and prints the figures.
// Usage: KalendrixBench.exe KALENDRIX_EXE BARE_DIALOG_EXE
#include "framework/WinApp.h"
#include "support/TempFolder.h"
#include "ui/KalendrixDlg.h"

#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
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

// The median of kRuns runs of `work`, each after an untimed `prepare`.
double MedianMs(const std::function<void()>& work, const std::function<void()>& prepare = [] {})
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        prepare();
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
    const char* floorName;
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

// The folder parsed once, then per file one lookup of its child by name for both texts,
// and one list row of two cells.
void RefreshFloor(HWND list, const std::wstring& folderPath, const std::vector<std::wstring>& names)
{
    ListView_DeleteAllItems(list);
    IShellFolder* desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    PIDLIST_RELATIVE folderItem = nullptr;
    desktop->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(folderPath.c_str()), nullptr, &folderItem, nullptr);
    IShellFolder* folder = nullptr;
    desktop->BindToObject(folderItem, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder));
    for (size_t i = 0; i < names.size(); ++i) {
        PIDLIST_RELATIVE child = nullptr;
        SHFILEINFOW info = {};
        if (SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(names[i].c_str()), nullptr,
                                               &child, nullptr))) {
            PIDLIST_ABSOLUTE item = ILCombine(folderItem, child);
            SHGetFileInfoW(reinterpret_cast<const wchar_t*>(item), 0, &info, sizeof(info),
                           SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_TYPENAME);
            ILFree(item);
            CoTaskMemFree(child);
        }
        LVITEMW row = {};
        row.mask = LVIF_TEXT;
        row.iItem = static_cast<int>(i);
        row.pszText = info.szDisplayName;
        ListView_InsertItem(list, &row);
        ListView_SetItemText(list, static_cast<int>(i), 1, info.szTypeName);
    }
    folder->Release();
    CoTaskMemFree(folderItem);
    desktop->Release();
}

// Per file what setting one stamp cannot do without: open for attribute writing, set the
// time, close. Returns the number of files for which a call failed: a floor made of
// failing calls would be no floor.
int ApplyFloor(const std::vector<std::wstring>& paths, const FILETIME& write)
{
    int failed = 0;
    for (const std::wstring& path : paths) {
        HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        bool ok = file != INVALID_HANDLE_VALUE && SetFileTime(file, nullptr, nullptr, &write);
        CloseHandle(file);
        if (!ok)
            ++failed;
    }
    return failed;
}

// The earlier shape of a write, kept so that the gain shows: attribute query, exclusive
// write-open test, a second open, set the time, close.
int ApplyFloorTestThenWrite(const std::vector<std::wstring>& paths, const FILETIME& write)
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

// The phases a started program marks, in ms after `startTicks` (see framework/StartupPhases.h).
std::vector<std::pair<std::wstring, double>> ReadPhases(const std::wstring& path, LONGLONG startTicks)
{
    std::vector<std::pair<std::wstring, double>> phases;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    FILE* file = _wfopen(path.c_str(), L"r");
    if (file == nullptr)
        return phases;
    wchar_t line[256];
    while (fgetws(line, 256, file) != nullptr) {
        std::wstring text = line;
        size_t space = text.find_last_of(L' ');
        if (space == std::wstring::npos)
            continue;
        LONGLONG ticks = _wtoi64(text.c_str() + space + 1);
        phases.push_back({text.substr(0, space), 1000.0 * static_cast<double>(ticks - startTicks) /
                                                     static_cast<double>(frequency.QuadPart)});
    }
    fclose(file);
    DeleteFileW(path.c_str());
    return phases;
}

// The visible dialog with `caption` of one process: the benchmark's own dialogs and those
// of earlier runs show the same template.
HWND VisibleDialogOf(DWORD processId, const wchar_t* caption)
{
    struct Search {
        DWORD processId;
        const wchar_t* caption;
        HWND found;
    } search = {processId, caption, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            Search& s = *reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t text[64] = L"";
            if (owner != s.processId || !IsWindowVisible(window) || !GetWindowTextW(window, text, 64) ||
                wcscmp(text, s.caption) != 0)
                return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct StartUp {
    double shownMs = -1; // process start to the dialog with the caption visible
    std::vector<std::pair<std::wstring, double>> phases;
};

// Process start to the dialog with `caption` shown, then closes it. The phases are those
// the program writes to `phaseFile`, where it marks any.
StartUp MeasureStartUp(const std::wstring& commandLine, const wchar_t* caption, const std::wstring& phaseFile)
{
    StartUp result;
    LARGE_INTEGER startTicks;
    QueryPerformanceCounter(&startTicks);
    double start = NowMs();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return result;
    HWND window = nullptr;
    while (NowMs() - start < 60000) {
        window = VisibleDialogOf(process.dwProcessId, caption);
        if (window != nullptr)
            break;
        Sleep(1);
    }
    result.shownMs = NowMs() - start;
    if (window != nullptr) {
        // Closed once it has painted, so that the paint's phase is written.
        UpdateWindow(window);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    result.phases = ReadPhases(phaseFile, startTicks.QuadPart);
    return result;
}

double MedianOf(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::wstring FolderOf(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring NameOf(const std::wstring& path)
{
    return path.substr(path.find_last_of(L'\\') + 1);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    _wputenv(L"TZ=");
    if (argc < 3) {
        fwprintf(stderr, L"usage: KalendrixBench KALENDRIX_EXE BARE_DIALOG_EXE\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    __argc = 1;
    AfxGetApp()->SetRegistryKey(L"tavolin");
    std::vector<Result> results;

    for (int n : {1, 100, 1000, 3000}) {
        Scene scene(n);
        CKalendrixDlg& dialog = scene.dialog;
        const CStringArray& list = scene.list;
        std::vector<std::wstring> names;
        for (const std::wstring& path : scene.paths)
            names.push_back(NameOf(path));
        double program = MedianMs([&] {
            dialog.GetFileOperate().SetFiles(list);
            dialog.UpdateFileView();
        });
        double floor = MedianMs([&] { RefreshFloor(dialog.GetDlgItem(IDC_FILE_LIST), FolderOf(scene.paths[0]), names); });
        results.push_back({"refresh", n, program, floor, "folder once, one lookup a file"});
    }

    for (int n : {1, 100, 1000, 10000}) {
        Scene scene(n);
        CKalendrixDlg& dialog = scene.dialog;
        const std::vector<std::wstring>& paths = scene.paths;
        // The first file's state in the rows and boxes. One file is shown in full, so that
        // its name and extension fill the name edits and no rename happens; with several
        // files only the first file's record is shown, which is all an apply reads.
        dialog.GetFileOperate().SetFiles(scene.list);
        if (n == 1)
            dialog.UpdateFileView();
        else
            dialog.ShowRecord(0);
        // Only the last-write row ticked; the attribute boxes show the first file's flags.
        for (const TimeRowControls& row : kTimeRows)
            dialog.CheckDlgButton(row.switchId, row.switchId == IDC_SWITCH_WRITE ? BST_CHECKED : BST_UNCHECKED);
        // Each run writes another day, so that every run changes every file, as a user's
        // apply does: a file that holds the written second already is not written at all.
        TimeValue day = 1309514400; // 2011-07-01 10:00:00 UTC
        double program = MedianMs([&] { dialog.ApplyChanges(dialog.GetFileOperate().GetRecord(0)); },
                                  [&] { dialog.WriteTimeRow(kWriteRow, day += 86400); });
        FILETIME write = StampOfUtc(2011, 7, 1, 10, 0, 0);
        int failed = 0;
        double floor = MedianMs([&] { failed += ApplyFloor(paths, write); });
        double testThenWrite = MedianMs([&] { failed += ApplyFloorTestThenWrite(paths, write); });
        if (failed != 0)
            fprintf(stderr, "apply n=%d: %d calls of the floors failed; their figures are no floor\n", n, failed);
        results.push_back({"apply", n, program, floor, "open, SetFileTime, close"});
        results.push_back({"apply_spec", n, program, testThenWrite, "test open, then write open"});
    }

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));

    std::map<std::wstring, std::vector<double>> phaseTimes;
    std::vector<std::wstring> phaseOrder;
    {
        TempFolder folder;
        std::wstring file = folder.MakeFile(L"start.txt", 100);
        const std::wstring phaseFile = folder / L"phases.txt";
        SetEnvironmentVariableW(L"KALENDRIX_STARTUP_PHASES", phaseFile.c_str());
        std::wstring program = std::wstring(L"\"") + argv[1] + L"\" \"" + file + L"\"";
        std::wstring bare = std::wstring(L"\"") + argv[2] + L"\" \"" + file + L"\"";
        const wchar_t* caption = L"Kalendrix Ver1.01"; // both show template 102
        MeasureStartUp(program, caption, phaseFile); // warm the caches once
        MeasureStartUp(bare, caption, phaseFile);
        std::vector<double> programTimes, floorTimes;
        for (int run = 0; run < kRuns; ++run) {
            StartUp measured = MeasureStartUp(program, caption, phaseFile);
            programTimes.push_back(measured.shownMs);
            for (const auto& phase : measured.phases) {
                if (phaseTimes[phase.first].empty())
                    phaseOrder.push_back(phase.first);
                phaseTimes[phase.first].push_back(phase.second);
            }
            floorTimes.push_back(MeasureStartUp(bare, caption, phaseFile).shownMs);
        }
        SetEnvironmentVariableW(L"KALENDRIX_STARTUP_PHASES", nullptr);
        results.push_back({"startup", 1, MedianOf(programTimes), MedianOf(floorTimes), "bare program, template 102"});
    }

    printf("%-10s %6s %12s %12s %7s %10s  %s\n", "what", "n", "program ms", "floor ms", "ratio", "ms a file",
           "floor");
    for (const Result& r : results)
        printf("%-10s %6d %12.1f %12.1f %7.2f %10.3f  %s\n", r.what, r.n, r.programMs, r.floorMs,
               r.programMs / r.floorMs, r.programMs / r.n, r.floorName);
    printf("start-up phases of the program (ms after process start, median of %d):\n", kRuns);
    for (const std::wstring& phase : phaseOrder)
        printf("  %-20ls %8.1f\n", phase.c_str(), MedianOf(phaseTimes[phase]));
    printf("peak working set: %.1f MiB\n", static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0));
    for (const Result& r : results)
        printf("RESULT %s n=%d ratio=%.2f program_ms=%.1f floor_ms=%.1f\n", r.what, r.n, r.programMs / r.floorMs,
               r.programMs, r.floorMs);
    return 0;
}
