// Measures the program's refresh, apply and start-up against a bare loop of the system
// calls that the same work cannot avoid, in the same run, and prints the figures.
// Usage: KalendrixBench.exe KALENDRIX_EXE BARE_DIALOG_EXE
#include "framework/Application.h"
#include "model/JournalFormat.h"
#include "support/DropList.h"
#include "support/TempFolder.h"
#include "sources/SampleFiles.h"
#include "model/FileDateTaken.h"
#include "ui/KalendrixDlg.h"

#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

const int kRuns = 5;
// Start-ups vary more than the work inside one process.
const int kStartRuns = 11;

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

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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

// N real files in a temporary folder and the real dialog, the application's main window
// while it lives.
struct Scene {
    explicit Scene(int n) : paths(MakeFiles(folder, n))
    {
        dialog.Create();
        TheApplication()->m_mainDialog = &dialog;
    }
    ~Scene() { TheApplication()->m_mainDialog = nullptr; }

    TempFolder folder;
    std::vector<std::wstring> paths;
    CKalendrixDlg dialog;
};

// Runs the window's messages until the dialog's job has ended and its end was taken, as the
// program's own message loop does.
void WaitForJob(const CKalendrixDlg& dialog)
{
    while (dialog.JobRunning()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// The longest time `window` took to answer WM_NULL, asked from a thread of its own every
// 10 ms while `work` runs on the window's thread.
double LongestAnswerMs(HWND window, const std::function<void()>& work)
{
    struct Asker {
        HWND window;
        HANDLE stop;
        double longest;
        static DWORD WINAPI Run(void* parameter)
        {
            Asker& a = *static_cast<Asker*>(parameter);
            while (WaitForSingleObject(a.stop, 10) == WAIT_TIMEOUT) {
                const double start = NowMs();
                DWORD_PTR result = 0;
                SendMessageTimeoutW(a.window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
                a.longest = std::max(a.longest, NowMs() - start);
            }
            return 0;
        }
    } asker = {window, CreateEventW(nullptr, TRUE, FALSE, nullptr), 0.0};
    HANDLE thread = CreateThread(nullptr, 0, Asker::Run, &asker, 0, nullptr);
    work();
    SetEvent(asker.stop);
    // The asker may be waiting for an answer: the window's messages run until it ends.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    CloseHandle(thread);
    CloseHandle(asker.stop);
    return asker.longest;
}

// Template 102 created bare: a dialog procedure that handles nothing, so that the writes of
// a floor raise no handler of the program. The list has the program's two columns.
INT_PTR CALLBACK HandleNothing(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

struct FloorDialog {
    FloorDialog()
    {
        INITCOMMONCONTROLSEX init = {sizeof(init), ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES |
                                                       ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&init);
        window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, HandleNothing, 0);
        list = GetDlgItem(window, IDC_FILE_LIST);
        for (int column = 0; column < 2; ++column) {
            LVCOLUMNW header = {};
            header.mask = LVCF_TEXT | LVCF_WIDTH;
            header.cx = column == 0 ? 300 : 270;
            header.pszText = const_cast<wchar_t*>(L"");
            ListView_InsertColumn(list, column, &header);
        }
    }
    ~FloorDialog() { DestroyWindow(window); }

    HWND window;
    HWND list;
};

void SetHeaders(HWND list, const wchar_t* first, const wchar_t* second)
{
    const wchar_t* texts[] = {first, second};
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW header = {};
        header.mask = LVCF_TEXT;
        header.pszText = const_cast<wchar_t*>(texts[column]);
        ListView_SetColumn(list, column, &header);
    }
}

void AddRow(HWND list, int row, const wchar_t* first, const wchar_t* second)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(first);
    ListView_InsertItem(list, &item);
    ListView_SetItemText(list, row, 1, const_cast<wchar_t*>(second));
}

// A file's stored state in the rows and boxes: stamps as local fields, six edits a row,
// and the attribute flags. What every refresh shows of the first file.
WIN32_FILE_ATTRIBUTE_DATA ShowStateFloor(HWND dialog, const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    const FILETIME* stamps[] = {&data.ftCreationTime, &data.ftLastWriteTime, &data.ftLastAccessTime};
    for (int row = 0; row < kTimeRowCount; ++row) {
        SYSTEMTIME utc, local;
        FileTimeToSystemTime(stamps[row], &utc);
        SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
        const int fields[] = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
        for (int field = 0; field < kTimeFieldCount; ++field)
            SetDlgItemInt(dialog, kTimeRows[row].edits[field], fields[field], FALSE);
    }
    const DWORD bits[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_COMPRESSED,
                          FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM};
    for (int i = 0; i < 5; ++i)
        CheckDlgButton(dialog, IDC_ATTR_READONLY + i, (data.dwFileAttributes & bits[i]) ? BST_CHECKED : BST_UNCHECKED);
    return data;
}

// One file: its state, the name and extension, and four property rows (type name from the
// shell, full path, short path, size).
void OneFileFloor(const FloorDialog& floor, const std::wstring& path)
{
    ListView_DeleteAllItems(floor.list);
    WIN32_FILE_ATTRIBUTE_DATA data = ShowStateFloor(floor.window, path);
    wchar_t fullPath[MAX_PATH] = L"";
    wchar_t* name = nullptr;
    GetFullPathNameW(path.c_str(), MAX_PATH, fullPath, &name);
    std::wstring baseName = name != nullptr ? name : L"";
    size_t dot = baseName.find_last_of(L'.');
    SetDlgItemTextW(floor.window, IDC_EXTENSION, dot == std::wstring::npos ? L"" : baseName.c_str() + dot + 1);
    SetDlgItemTextW(floor.window, IDC_NAME, baseName.substr(0, dot).c_str());
    wchar_t shortPath[MAX_PATH] = L"";
    GetShortPathNameW(fullPath, shortPath, MAX_PATH);
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_TYPENAME);
    wchar_t size[32];
    swprintf(size, 32, L"%llu", (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    SetHeaders(floor.list, L"項目", L"値");
    AddRow(floor.list, 0, L"種類", info.szTypeName);
    AddRow(floor.list, 1, L"パス名", fullPath);
    AddRow(floor.list, 2, L"MS-DOS名", shortPath);
    AddRow(floor.list, 3, L"サイズ", size);
}

// The list of many files, bare: each folder read once with FindFirstFileExW, the three
// stamps of every file formatted as local text, the other columns as texts, and a virtual
// list of the same seven columns that draws its cells from those texts.
struct ListFloor {
    static constexpr int kColumns = 7;
    std::vector<std::wstring> cells; // row by row, kColumns a row
    HWND window = nullptr;
    HWND list = nullptr;

    static std::wstring StampText(const FILETIME& stamp)
    {
        SYSTEMTIME utc, local;
        FileTimeToSystemTime(&stamp, &utc);
        SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
        wchar_t date[80] = L"", clock[80] = L"";
        GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 80, nullptr);
        GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &local, nullptr, clock, 80);
        return std::wstring(date) + L" " + clock;
    }

    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM, LPARAM lParam)
    {
        if (message != WM_NOTIFY || reinterpret_cast<NMHDR*>(lParam)->code != LVN_GETDISPINFOW)
            return FALSE;
        auto* floor = reinterpret_cast<ListFloor*>(GetWindowLongPtrW(window, DWLP_USER));
        auto* cell = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        const size_t at = static_cast<size_t>(cell->item.iItem) * kColumns + static_cast<size_t>(cell->item.iSubItem);
        if (floor != nullptr && (cell->item.mask & LVIF_TEXT) && at < floor->cells.size())
            lstrcpynW(cell->item.pszText, floor->cells[at].c_str(), cell->item.cchTextMax);
        return TRUE;
    }

    ListFloor()
    {
        window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, Procedure, 0);
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
        list = GetDlgItem(window, IDC_FILE_LIST);
        const int widths[kColumns] = {300, 270, 150, 150, 150, 50, 190};
        for (int column = 0; column < kColumns; ++column) {
            LVCOLUMNW header = {};
            header.mask = LVCF_TEXT | LVCF_WIDTH;
            header.cx = widths[column];
            header.pszText = const_cast<wchar_t*>(L"");
            ListView_InsertColumn(list, column, &header);
        }
    }
    ~ListFloor() { DestroyWindow(window); }

    void Show(const std::wstring& folder)
    {
        cells.clear();
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    continue;
                wchar_t size[64];
                swprintf(size, 64, L"%llu", (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
                cells.push_back(found.cFileName);
                cells.push_back(L"");
                cells.push_back(StampText(found.ftCreationTime));
                cells.push_back(StampText(found.ftLastWriteTime));
                cells.push_back(StampText(found.ftLastAccessTime));
                cells.push_back((found.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE) ? L"A" : L"");
                cells.push_back(size);
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        ListView_SetItemCountEx(list, static_cast<int>(cells.size() / kColumns), 0);
        InvalidateRect(list, nullptr, TRUE);
        UpdateWindow(list);
    }
};

// The walk of a tree, bare: each folder read once with FindFirstFileExW, every entry below
// the root a row of the same seven columns as the list of many files, drawn as that list is.
struct WalkFloor : ListFloor {
    void Walk(const std::wstring& root)
    {
        cells.clear();
        std::vector<std::wstring> folders = {root};
        while (!folders.empty()) {
            const std::wstring folder = folders.back();
            folders.pop_back();
            WIN32_FIND_DATAW found;
            HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
            if (find == INVALID_HANDLE_VALUE)
                continue;
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                if (isFolder)
                    folders.push_back(folder + L"\\" + name);
                wchar_t size[64];
                swprintf(size, 64, L"%llu", (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
                cells.push_back(name);
                cells.push_back(L"");
                cells.push_back(StampText(found.ftCreationTime));
                cells.push_back(StampText(found.ftLastWriteTime));
                cells.push_back(StampText(found.ftLastAccessTime));
                cells.push_back((found.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE) ? L"A" : L"");
                cells.push_back(isFolder ? L"" : size);
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        ListView_SetItemCountEx(list, static_cast<int>(cells.size() / kColumns), 0);
        InvalidateRect(list, nullptr, TRUE);
        UpdateWindow(list);
    }
};

// `folders` folders of `filesEach` files under a folder of its own in `place`; its path.
std::wstring MakeTree(const TempFolder& place, int folders, int filesEach)
{
    const std::wstring root = place.MakeFolder(L"tree");
    for (int f = 0; f < folders; ++f) {
        wchar_t folder[32];
        swprintf(folder, 32, L"tree\\folder%03d", f);
        place.MakeFolder(folder);
        for (int i = 0; i < filesEach; ++i) {
            wchar_t name[64];
            swprintf(name, 64, L"%ls\\file%05d.txt", folder, i);
            place.MakeFile(name, 100);
        }
    }
    return root;
}

// Working set now, in bytes.
double WorkingSet()
{
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    return static_cast<double>(memory.WorkingSetSize);
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

// The floor of a journaled apply: the same open, set and close, and before each group of
// 512 files one sequential write of its records (as the journal's format gives them),
// flushed once.
int ApplyJournalFloor(const std::vector<std::wstring>& paths, const FILETIME& write, const std::wstring& journalPath)
{
    const size_t kGroup = 512;
    HANDLE journal = CreateFileW(journalPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
    int failed = journal == INVALID_HANDLE_VALUE ? static_cast<int>(paths.size()) : 0;
    const LONGLONG stamp = static_cast<LONGLONG>((static_cast<ULONGLONG>(write.dwHighDateTime) << 32) | write.dwLowDateTime);
    for (size_t start = 0; start < paths.size() && journal != INVALID_HANDLE_VALUE; start += kGroup) {
        const size_t end = std::min(paths.size(), start + kGroup);
        std::vector<JournalEntry> entries(end - start);
        for (size_t index = start; index < end; ++index) {
            JournalEntry& entry = entries[index - start];
            entry.path = paths[index];
            entry.identity = {0x5E, 0, index + 1};
            entry.before = {stamp, stamp, stamp, FILE_ATTRIBUTE_ARCHIVE};
            entry.after = entry.before;
            entry.after.write = stamp + 10000000;
            entry.changes = kWritePart;
        }
        const std::string bytes = GroupBytes(entries);
        DWORD written = 0;
        if (!WriteFile(journal, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            !FlushFileBuffers(journal))
            ++failed;
        failed += ApplyFloor(std::vector<std::wstring>(paths.begin() + static_cast<std::ptrdiff_t>(start),
                                                       paths.begin() + static_cast<std::ptrdiff_t>(end)),
                             write);
    }
    CloseHandle(journal);
    DeleteFileW(journalPath.c_str());
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

// The phases a started program has marked so far, in ms after `startTicks` (see
// framework/StartupPhases.h; BareDialog writes the same lines).
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
        if (space == std::wstring::npos || text.back() != L'\n')
            continue;
        LONGLONG ticks = _wtoi64(text.c_str() + space + 1);
        phases.push_back({text.substr(0, space), 1000.0 * static_cast<double>(ticks - startTicks) /
                                                     static_cast<double>(frequency.QuadPart)});
    }
    fclose(file);
    return phases;
}

const wchar_t* const kFirstPaint = L"first paint";

bool HasPhase(const std::vector<std::pair<std::wstring, double>>& phases, const wchar_t* name)
{
    return std::any_of(phases.begin(), phases.end(), [&](const auto& phase) { return phase.first == name; });
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
    struct Enumeration {
        static BOOL CALLBACK Visit(HWND window, LPARAM parameter)
        {
            Search& s = *reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t text[64] = L"";
            if (owner != s.processId || !IsWindowVisible(window) || !GetWindowTextW(window, text, 64) ||
                wcscmp(text, s.caption) != 0)
                return TRUE;
            s.found = window;
            return FALSE;
        }
    };
    EnumWindows(Enumeration::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Process start to the end of the dialog's first paint, as the started program marks it
// in `phaseFile` with its other phases; then the dialog is closed. Both programs are timed
// by their own marks, so the moment measured is the same and the benchmark's waiting adds
// nothing to it. The wait looks at the file only, every few ms: asking the window system
// for the dialog in a loop would load the wineserver that the started program needs.
std::vector<std::pair<std::wstring, double>> MeasureStartUp(const std::wstring& commandLine, const wchar_t* caption,
                                                            const std::wstring& phaseFile)
{
    std::vector<std::pair<std::wstring, double>> phases;
    DeleteFileW(phaseFile.c_str());
    LARGE_INTEGER startTicks;
    QueryPerformanceCounter(&startTicks);
    double start = NowMs();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return phases;
    while (NowMs() - start < 60000 && !HasPhase(phases, kFirstPaint)) {
        Sleep(5);
        phases = ReadPhases(phaseFile, startTicks.QuadPart);
    }
    HWND window = nullptr;
    while (window == nullptr && NowMs() - start < 60000) {
        window = VisibleDialogOf(process.dwProcessId, caption);
        if (window == nullptr)
            Sleep(5);
    }
    if (window != nullptr)
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!HasPhase(phases, kFirstPaint))
        phases.clear();
    return phases;
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

} // namespace

int wmain(int argc, wchar_t** argv)
{
    _wputenv(L"TZ=");
    if (argc < 3) {
        fwprintf(stderr, L"usage: KalendrixBench KALENDRIX_EXE BARE_DIALOG_EXE [refresh|list|answer|walk|sources|filter|apply|apply100k|startup...]\n");
        return 2;
    }
    // Named parts only, or all of them.
    const auto wanted = [argc, argv](const wchar_t* part) {
        for (int index = 3; index < argc; ++index) {
            if (wcscmp(argv[index], part) == 0)
                return true;
        }
        return argc <= 3;
    };
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    __argc = 1;
    TheApplication()->UseRegistryKey(L"tavolin");
    std::vector<Result> results;
    double answerMs = -1; // the longest answer of the window during the 10 000-file apply
    double listAnswerMs = -1; // and during the 10 000-file list

    double oneFileWorkingSet = 0;
    {
        Scene scene(1);
        // The one-file working set is what the memory figures are measured above.
        CKalendrixDlg& dialog = scene.dialog;
        double program = MedianMs([&] {
            dialog.HandOverFiles(scene.paths);
        });
        oneFileWorkingSet = WorkingSet();
        if (wanted(L"refresh")) {
            FloorDialog bare;
            double floor = MedianMs([&] { OneFileFloor(bare, scene.paths[0]); });
            results.push_back({"refresh", 1, program, floor, "state, names, short path, type name"});
        }
    }

    // From the hand-over of the paths to the list showing every column of the rows on screen.
    struct Memory {
        int n;
        double before;
        double after;
    };
    std::vector<Memory> memories;
    for (int n : {1000, 10000, 50000}) {
        if (!wanted(L"list"))
            break;
        Scene scene(n);
        CKalendrixDlg& dialog = scene.dialog;
        HWND list = dialog.GetDlgItem(IDC_FILE_LIST);
        const double before = WorkingSet();
        // More files than are read at once are read as a job: the time runs to its end.
        auto show = [&] {
            dialog.HandOverFiles(scene.paths);
            WaitForJob(dialog);
            UpdateWindow(list);
        };
        double program = MedianMs(show);
        memories.push_back({n, before, WorkingSet()});
        ListFloor bare;
        const std::wstring folder = FolderOf(scene.paths[0]);
        double floor = MedianMs([&] { bare.Show(folder); });
        results.push_back({"list", n, program, floor, "folder read once, stamps as text, virtual list"});
    }

    // How long the window took to answer while 10 000 files are handed over, measured from the
    // drop itself: from the moment the shell hands the names over to the rows on screen.
    if (wanted(L"answer") || wanted(L"list")) {
        Scene scene(10000);
        CKalendrixDlg& dialog = scene.dialog;
        HWND list = dialog.GetDlgItem(IDC_FILE_LIST);
        listAnswerMs = LongestAnswerMs(dialog.m_hWnd, [&] {
            SendMessageW(dialog.m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(scene.paths)), 0);
            WaitForJob(dialog);
            UpdateWindow(list);
        });
    }

    // A folder chosen with "フォルダの中も": from the hand-over of the one path to the list
    // showing the rows of everything below it.
    if (wanted(L"walk")) {
        Scene scene(0);
        const int kFolders = 100;
        const int kFilesEach = 100;
        const std::wstring root = MakeTree(scene.folder, kFolders, kFilesEach);
        CKalendrixDlg& dialog = scene.dialog;
        HWND list = dialog.GetDlgItem(IDC_FILE_LIST);
        dialog.CheckDlgButton(IDC_FOLDER_CONTENTS, BST_CHECKED);
        double program = MedianMs([&] {
            dialog.HandOverFiles({root});
            WaitForJob(dialog);
            UpdateWindow(list);
        });
        if (dialog.GetFileOperate().GetCount() != 1 + kFolders + kFolders * kFilesEach)
            fprintf(stderr, "walk: the list has %d items\n", dialog.GetFileOperate().GetCount());
        WalkFloor bare;
        double floor = MedianMs([&] { bare.Walk(root); });
        results.push_back({"walk", kFolders * kFilesEach, program, floor,
                           "each folder read once, stamps as text, virtual list"});
    }

    // "ファイルから" with the dates taken of 10 000 photos: from the choice of the mode to the
    // rows on screen with the preview, every file's Exif read; against opening each file,
    // reading its first 64 KiB and closing it.
    if (wanted(L"sources")) {
        const int n = 10000;
        Scene scene(0);
        const Bytes photo = JpegWith(TiffWith(false, {}, {{0x9003, "2024:03:15 14:22:33"}, {0x9291, "25"}}));
        std::vector<std::wstring> paths;
        for (int i = 0; i < n; ++i) {
            wchar_t name[32];
            swprintf(name, 32, L"IMG_%05d.JPG", i);
            paths.push_back(scene.folder / name);
            HANDLE file = CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD written = 0;
            WriteFile(file, photo.data(), static_cast<DWORD>(photo.size()), &written, nullptr);
            CloseHandle(file);
        }
        CKalendrixDlg& dialog = scene.dialog;
        HWND list = dialog.GetDlgItem(IDC_FILE_LIST);
        const auto command = [&](int id, WORD code) {
            SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(dialog.GetDlgItem(id)));
        };
        // A new choice each run, so that no date is read already.
        const auto choose = [&] {
            dialog.HandOverFiles(paths);
            WaitForJob(dialog);
            UpdateWindow(list);
            dialog.CheckDlgButton(IDC_SWITCH_WRITE, BST_CHECKED);
        };
        std::vector<char> head(64 * 1024);
        const auto floorRun = [&] {
            for (const std::wstring& path : paths) {
                HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
                DWORD read = 0;
                ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &read, nullptr);
                CloseHandle(file);
            }
        };
        // The reader alone, on this thread: what of the time is the reading of the files.
        const auto readerRun = [&] {
            for (const std::wstring& path : paths)
                StampOfSourceDate(ReadDateTaken(path));
        };
        // The three in turn within each round, so that a machine whose load changes over the
        // minutes weighs on each alike.
        std::vector<double> programTimes, floorTimes, readerTimes;
        for (int run = 0; run < kRuns; ++run) {
            choose();
            double start = NowMs();
            command(IDC_MODE_SOURCE, BN_CLICKED);
            WaitForJob(dialog);
            UpdateWindow(list);
            programTimes.push_back(NowMs() - start);
            start = NowMs();
            floorRun();
            floorTimes.push_back(NowMs() - start);
            start = NowMs();
            readerRun();
            readerTimes.push_back(NowMs() - start);
        }
        const double program = Median(programTimes);
        const double floor = Median(floorTimes);
        const double reader = Median(readerTimes);
        const FileSet& files = dialog.GetFileOperate().GetFileSet();
        int dated = 0;
        for (size_t i = 0; i < files.Count(); ++i)
            dated += files.Item(i).takenRead && files.Item(i).taken.result == SourceStampResult::stamp;
        if (dated != n)
            fprintf(stderr, "sources: %d of %d dates taken read\n", dated, n);
        results.push_back({"sources", n, program, floor, "open, read 64 KiB, close"});
        results.push_back({"sources_read", n, reader, floor, "open, read 64 KiB, close"});
    }

    // The filter typed over 50 000 listed names, from the keystroke to the rows on screen,
    // against the same names matched with PathMatchSpecExW in one pass; and the window
    // sized with them listed, from the new size to the dialog drawn, against the same with
    // none listed.
    if (wanted(L"filter")) {
        const int n = 50000;
        Scene scene(n);
        CKalendrixDlg& dialog = scene.dialog;
        HWND list = dialog.GetDlgItem(IDC_FILE_LIST);
        // The window sized a step larger each run, to the dialog drawn whole.
        RECT window;
        GetWindowRect(dialog.m_hWnd, &window);
        int step = 0;
        const auto resize = [&] {
            ++step;
            SetWindowPos(dialog.m_hWnd, nullptr, 0, 0, window.right - window.left + 40 * step,
                         window.bottom - window.top + 25 * step, SWP_NOMOVE | SWP_NOZORDER);
            RedrawWindow(dialog.m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        };
        const double resizeEmpty = MedianMs(resize);
        step = 0;
        SetWindowPos(dialog.m_hWnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top,
                     SWP_NOMOVE | SWP_NOZORDER);
        dialog.HandOverFiles(scene.paths);
        WaitForJob(dialog);
        const wchar_t* const filter = L"*1?3*;-*7.txt";
        const wchar_t* const shown = L"*1?3*";
        const wchar_t* const hidden = L"*7.txt";
        HWND box = dialog.GetDlgItem(IDC_FILTER);
        double program = MedianMs(
            [&] {
                SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(filter));
                UpdateWindow(list);
            },
            [&] {
                SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
                UpdateWindow(list);
            });
        const size_t rows = dialog.GetFileList().RowCount();
        std::vector<std::wstring> names;
        for (const std::wstring& path : scene.paths)
            names.push_back(path.substr(path.find_last_of(L'\\') + 1));
        size_t matched = 0;
        double floor = MedianMs([&] {
            matched = 0;
            for (const std::wstring& name : names) {
                if (PathMatchSpecExW(name.c_str(), shown, PMSF_MULTIPLE) == S_OK &&
                    PathMatchSpecExW(name.c_str(), hidden, PMSF_MULTIPLE) != S_OK)
                    ++matched;
            }
        });
        if (matched != rows)
            fprintf(stderr, "filter: the list shows %u rows, PathMatchSpecExW matched %u\n", static_cast<unsigned>(rows),
                    static_cast<unsigned>(matched));
        results.push_back({"filter", n, program, floor, "PathMatchSpecExW over the names, one pass"});

        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        results.push_back({"resize", n, MedianMs(resize), resizeEmpty, "the same sizes with no file listed"});
    }

    // 100 000 files only when asked for by name ("apply100k"): making them takes minutes.
    const bool hundredThousand = argc > 3 && std::any_of(argv + 3, argv + argc, [](const wchar_t* part) {
        return wcscmp(part, L"apply100k") == 0;
    });
    for (int n : {1, 100, 1000, 10000, 100000}) {
        if (n == 100000 ? !hundredThousand : !wanted(L"apply"))
            continue;
        Scene scene(n);
        CKalendrixDlg& dialog = scene.dialog;
        const std::vector<std::wstring>& paths = scene.paths;
        // The files shown as a choice is shown: one file in full, so that its name and
        // extension fill the name edits and no rename happens.
        dialog.HandOverFiles(scene.paths);
        WaitForJob(dialog);
        // Only the last-write row ticked, as the user ticks it, so that it is written; the
        // attribute boxes show the first file's flags.
        for (const TimeRowControls& row : kTimeRows)
            dialog.CheckDlgButton(row.switchId, row.switchId == IDC_SWITCH_WRITE ? BST_CHECKED : BST_UNCHECKED);
        // As a user ticks it: an apply writes only the rows the user acted on.
        SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SWITCH_WRITE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(dialog.GetDlgItem(IDC_SWITCH_WRITE)));
        SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SWITCH_WRITE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(dialog.GetDlgItem(IDC_SWITCH_WRITE)));
        // Each run writes another day, so that every run changes every file, as a user's
        // apply does: a file that holds the written second already is not written at all.
        TimeValue day = 1309514400; // 2011-07-01 10:00:00 UTC
        // The whole write: the apply starts its job, and the benchmark runs the window's
        // messages until the job's end was taken, as the program's own loop does.
        const auto apply = [&] {
            dialog.ApplyChanges(dialog.GetFileOperate().GetRecord(0));
            WaitForJob(dialog);
        };
        double program = MedianMs(apply, [&] { dialog.GetTimeRows().WriteRow(kWriteRow, day += 86400); });
        if (n == 10000) {
            dialog.GetTimeRows().WriteRow(kWriteRow, day += 86400);
            answerMs = LongestAnswerMs(dialog.m_hWnd, apply);
        }
        FILETIME write = StampOfUtc(2011, 7, 1, 10, 0, 0);
        int failed = 0;
        double floor = MedianMs([&] { failed += ApplyFloor(paths, write); });
        double testThenWrite = MedianMs([&] { failed += ApplyFloorTestThenWrite(paths, write); });
        double journaled = MedianMs([&] { failed += ApplyJournalFloor(paths, write, scene.folder / L"floor-journal.txt"); });
        if (failed != 0)
            fprintf(stderr, "apply n=%d: %d calls of the floors failed; their figures are no floor\n", n, failed);
        results.push_back({"apply", n, program, floor, "open, SetFileTime, close"});
        results.push_back({"apply_journal", n, program, journaled, "the same, and each group's records written, flushed"});
        results.push_back({"apply_spec", n, program, testThenWrite, "test open, then write open"});
    }

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));

    // Each program's phases over the runs, in the order they were first reached.
    struct PhaseTimes {
        std::vector<std::wstring> order;
        std::map<std::wstring, std::vector<double>> times;
        void Add(const std::vector<std::pair<std::wstring, double>>& phases)
        {
            for (const auto& phase : phases) {
                if (times[phase.first].empty())
                    order.push_back(phase.first);
                times[phase.first].push_back(phase.second);
            }
        }
    } programPhases, floorPhases;
    if (wanted(L"startup")) {
        TempFolder folder;
        std::wstring file = folder.MakeFile(L"start.txt", 100);
        const std::wstring phaseFile = folder / L"phases.txt";
        SetEnvironmentVariableW(L"KALENDRIX_STARTUP_PHASES", phaseFile.c_str());
        std::wstring program = std::wstring(L"\"") + argv[1] + L"\" \"" + file + L"\"";
        std::wstring bare = std::wstring(L"\"") + argv[2] + L"\" \"" + file + L"\"";
        const wchar_t* caption = L"Kalendrix Ver1.01"; // both show template 102
        // Warm the caches: the first starts of a prefix load what later starts find ready.
        for (int run = 0; run < 2; ++run) {
            MeasureStartUp(program, caption, phaseFile);
            MeasureStartUp(bare, caption, phaseFile);
        }
        // Alternating which goes first, so that neither always follows the other's exit.
        for (int run = 0; run < kStartRuns; ++run) {
            for (int turn = 0; turn < 2; ++turn) {
                const bool programTurn = (run + turn) % 2 == 0;
                const auto phases = MeasureStartUp(programTurn ? program : bare, caption, phaseFile);
                (programTurn ? programPhases : floorPhases).Add(phases);
            }
        }
        SetEnvironmentVariableW(L"KALENDRIX_STARTUP_PHASES", nullptr);
        std::vector<double>& programPaints = programPhases.times[kFirstPaint];
        std::vector<double>& floorPaints = floorPhases.times[kFirstPaint];
        if (programPaints.size() != kStartRuns || floorPaints.size() != kStartRuns)
            fprintf(stderr, "startup: %d of %d program runs and %d of %d floor runs marked their first paint\n",
                    static_cast<int>(programPaints.size()), kStartRuns, static_cast<int>(floorPaints.size()),
                    kStartRuns);
        if (!programPaints.empty() && !floorPaints.empty())
            results.push_back({"startup", 1, MedianOf(programPaints), MedianOf(floorPaints),
                               "bare program, template 102, to first paint"});
    }

    printf("%-10s %6s %12s %12s %7s %10s  %s\n", "what", "n", "program ms", "floor ms", "ratio", "ms a file",
           "floor");
    for (const Result& r : results)
        printf("%-10s %6d %12.1f %12.1f %7.2f %10.3f  %s\n", r.what, r.n, r.programMs, r.floorMs,
               r.programMs / r.floorMs, r.programMs / r.n, r.floorName);
    printf("start-up phases (ms after process start, median of %d runs):\n", kStartRuns);
    printf("  %-20s %8s %8s\n", "phase", "program", "floor");
    for (const std::wstring& phase : programPhases.order) {
        const std::vector<double>& floorTimes = floorPhases.times[phase];
        printf("  %-20ls %8.1f %8.1f\n", phase.c_str(), MedianOf(programPhases.times[phase]),
               floorTimes.empty() ? 0.0 : MedianOf(floorTimes));
    }
    printf("peak working set: %.1f MiB\n", static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0));
    // What the program holds for each file: the working set after the list is shown, less
    // the one with the dialog showing one file; and its own growth from before the hand-over
    // (the benchmark's path lists apart).
    for (const Memory& m : memories) {
        const double aboveOneFile = (m.after - oneFileWorkingSet) / m.n;
        const double ownGrowth = (m.after - m.before) / m.n;
        printf("memory n=%d: %.0f bytes a file above one file, %.0f bytes a file from the hand-over\n", m.n,
               aboveOneFile, ownGrowth);
        printf("RESULT memory n=%d bytes_per_file=%.0f own_bytes_per_file=%.0f\n", m.n, aboveOneFile, ownGrowth);
    }
    for (const Result& r : results)
        printf("RESULT %s n=%d ratio=%.2f program_ms=%.1f floor_ms=%.1f\n", r.what, r.n, r.programMs / r.floorMs,
               r.programMs, r.floorMs);
    printf("RESULT answer n=10000 apply_ms=%.1f list_ms=%.1f\n", answerMs, listAnswerMs);
    return 0;
}
