// Showing the chosen files and one file's state.
#include "KalendrixDlg.h"

#include "../framework/DisplayScale.h"
#include "../framework/Application.h"
#include "../model/FileStateAccess.h"
#include "../model/PathForms.h"
#include "../model/ShellIcon.h"
#include "../model/SizeText.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr COLORREF kIconBackground = RGB(210, 210, 210);
const wchar_t* const kUnreadableText = L"（読み取れません）";

// The short (8.3) form; empty when the system gives none.
std::wstring ShortPathOf(const std::wstring& fullPath)
{
    std::wstring shortPath(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetShortPathNameW(fullPath.c_str(), &shortPath[0], static_cast<DWORD>(shortPath.size()));
        if (length == 0)
            return std::wstring();
        if (length < shortPath.size()) {
            shortPath.resize(length);
            return shortPath;
        }
        shortPath.assign(length, L'\0');
    }
}

// With no file chosen the dialog looks as it did when it opened (the parts say so of
// their own controls).
void ShowNoFile(DialogWindow& dialog, const RECT& iconArea, FileListView& list)
{
    list.ShowNothing();
    dialog.EnableDlgItem(IDC_APPLY, false);
    // Wipe the last file's icon: the area shows what lies beneath it again.
    RedrawWindow(dialog.m_hWnd, &iconArea, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

} // namespace

void CKalendrixDlg::HandOverFiles(std::vector<std::wstring> paths)
{
    StartReading(CFileOperate::ReadingOfPaths(std::move(paths), IsDlgButtonChecked(IDC_FOLDER_CONTENTS) == BST_CHECKED),
                 ReadingPurpose::view);
}

void CKalendrixDlg::UpdateFileView()
{
    StartReading(m_fileOperate.ReadingOfChoice(IsDlgButtonChecked(IDC_FOLDER_CONTENTS) == BST_CHECKED),
                 ReadingPurpose::view);
}

void CKalendrixDlg::RefreshStates()
{
    ChoiceReading reading;
    const FileSet& files = m_fileOperate.GetFileSet();
    reading.items.reserve(files.Count());
    for (size_t index = 0; index < files.Count(); ++index)
        reading.items.push_back(files.Path(index));
    StartReading(std::move(reading), ReadingPurpose::list);
}

// Many items, and the walk of chosen folders, are read on the worker, with their progress
// and a way out; the reading then ends as one read at once does.
void CKalendrixDlg::StartReading(ChoiceReading reading, ReadingPurpose purpose, DropData drop)
{
    const bool again = !reading.items.empty();
    const size_t count = again ? reading.items.size() : (drop.Count() > 0 ? drop.Count() : reading.chosen.size());
    const bool large = count > static_cast<size_t>(kFilesReadInPlace);
    // A small drop's names are taken here, once: they decide whether a walk needs the worker.
    if (!large && !again && reading.chosen.empty()) {
        reading.chosen = drop.Names();
        drop.Release();
    }
    const bool walk = reading.walk && !again;
    if (!JobRunning() && (large || (walk && CFileOperate::HasFolder(reading.chosen)))) {
        m_readingRuns = true;
        StartJob(std::unique_ptr<DialogJob>(new ReadingJob(*this, std::move(reading), purpose, std::move(drop))));
        return;
    }
    if (reading.chosen.empty() && !again)
        reading.chosen = drop.Names(); // a large drop while another job runs
    drop.Release();
    ReadChoice(reading);
    ReadingEnded(std::move(reading), purpose);
}

// At the reading's end, also a cancelled one: what was read is shown, the rest says so, or
// (read again) shows the state it had.
void CKalendrixDlg::ReadingEnded(ChoiceReading&& reading, ReadingPurpose purpose)
{
    m_readingRuns = false;
    if (purpose == ReadingPurpose::list) {
        m_fileOperate.TakeStates(reading.files);
        m_fileList.StatesChanged();
        UpdateCounts();
        return;
    }
    m_walkToReport = reading.walk;
    m_fileOperate.TakeReading(std::move(reading));
    ShowChosenFiles();
    ReportUnreadableFolders();
}

void CKalendrixDlg::ShowChosenFiles()
{
    const FileRecord record = m_fileOperate.GetRecord(0);
    struct RefreshScope {
        bool& refreshing;
        explicit RefreshScope(bool& flag) : refreshing(flag) { refreshing = true; }
        ~RefreshScope() { refreshing = false; }
    } refreshScope(m_refreshing);
    FirstFileChanged();
    m_shownIndex = -1;

    if (m_fileOperate.GetCount() == 0) {
        // Files chosen afresh are shown with their times, whatever the rows held.
        m_timeRows.ShowNoFile();
        m_attributes.ShowNoFile();
        m_names.ShowNone();
        ShowNoFile(*this, FileIconArea(), m_fileList);
        UpdateCounts();
        return;
    }

    // The icon is drawn by the paint that follows, over the freshly erased area.
    const RECT iconArea = FileIconArea();
    InvalidateRect(m_hWnd, &iconArea, TRUE);
    if (m_fileOperate.GetCount() > 1) {
        m_names.ShowNone();
        m_fileList.ShowFiles(m_fileOperate.GetFileSet());
        ShowFilteredFiles();
    } else {
        m_names.Show(m_fileOperate.GetBaseName(0), m_fileOperate.GetExtension(0), m_fileOperate.IsFolder(0));
        ShowFileProperties(record);
    }

    // Shown afresh: nothing is the user's yet, and the rows set times.
    m_timeRows.ShowFresh(record);
    m_shownIndex = 0;
    ShowAttributes(record, true);
    // Last: the writes above may have enabled it through their change notifications.
    EnableDlgItem(IDC_APPLY, false);
    UpdateCounts();
    ReportUnreadableStamps(0, record);
}

// The four property rows of the one-file layout.
void CKalendrixDlg::ShowFileProperties(const FileRecord& record)
{
    if (!record.found) {
        // Nothing on disk answers to the path: the rows say so instead of showing a size of 0.
        const std::wstring path = !record.fullPath.empty() ? record.fullPath : m_fileOperate.GetFirstPath();
        const std::wstring values[4] = {kUnreadableText, path, L"", L""};
        m_fileList.ShowProperties(values);
        return;
    }
    const bool folder = (record.attribute & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::wstring values[4] = {m_fileOperate.GetTypeName(0), record.fullPath, ShortPathOf(record.fullPath),
                                    folder ? kFolderSizeText : SizeText(record.size)};
    m_fileList.ShowProperties(values);
}

void CKalendrixDlg::ShowRecord(int index)
{
    if (index < 0 || index >= m_fileOperate.GetCount())
        return;
    const FileRecord record = m_fileOperate.GetRecord(index);
    // Offsets are the same for every file: a picked file shows only its flags.
    m_timeRows.ShowPicked(record);
    ShowAttributes(record, false);
    if (index != m_shownIndex) {
        m_shownIndex = index;
        ReportUnreadableStamps(index, record);
    }
}

// Stamps a time value cannot hold are told once, naming the file and the stamps as the
// file system keeps them (in UTC: the runtime cannot give local times before 1970).
void CKalendrixDlg::ReportUnreadableStamps(int index, const FileRecord& record)
{
    if (!record.found || record.unrepresentable == 0)
        return;
    if (!IsWindowVisible(m_hWnd)) {
        PostMessageW(m_hWnd, WM_REPORT_STAMPS, static_cast<WPARAM>(index), 0);
        return;
    }
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ReadAttributeData(ApiPath(record.fullPath), &data);
    const struct {
        StampBit bit;
        const wchar_t* name;
        const FILETIME& stamp;
    } stamps[] = {{kCreationStamp, L"作成日時", data.ftCreationTime},
                  {kWriteStamp, L"更新日時", data.ftLastWriteTime},
                  {kAccessStamp, L"アクセス日時", data.ftLastAccessTime}};
    std::wstring text = std::wstring(record.fullPath) + L"\r\n";
    for (const auto& stamp : stamps) {
        if (!(record.unrepresentable & stamp.bit))
            continue;
        SYSTEMTIME utc = {};
        FileTimeToSystemTime(&stamp.stamp, &utc);
        wchar_t line[128];
        swprintf(line, 128, L"%ls: %d年%d月%d日 %d:%02d:%02d (UTC)\r\n", stamp.name, utc.wYear, utc.wMonth, utc.wDay,
                 utc.wHour, utc.wMinute, utc.wSecond);
        text += line;
    }
    text += L"この日時は表示できない範囲（1970年より前か3000年より後）にあるため、その行は空のままにしています。"
            L"その行は、新しい日時をすべて入れたときだけ書き込みます。";
    MessageBoxW(m_hWnd, text.c_str(), ApplicationName(), MB_OK | MB_ICONWARNING);
}

void CKalendrixDlg::OnReportStamps(WPARAM index, LPARAM)
{
    const int file = static_cast<int>(index);
    if (file < m_fileOperate.GetCount())
        ReportUnreadableStamps(file, m_fileOperate.GetRecord(file));
}

void CKalendrixDlg::ShowAttributes(const FileRecord& record, bool fresh)
{
    // "Compressed" always describes the first file as it is now.
    const DWORD firstFile = m_fileOperate.GetFirstFileAttributes();
    const bool compressed = firstFile != INVALID_FILE_ATTRIBUTES && (firstFile & FILE_ATTRIBUTE_COMPRESSED);
    if (fresh)
        m_attributes.ShowFresh(record.attribute, compressed);
    else
        m_attributes.Show(record.attribute, compressed);
}

void CKalendrixDlg::DrawFileIcon(HDC dc)
{
    // With no file chosen there is no icon, not even the last first file's.
    if (m_fileOperate.GetCount() == 0)
        return;
    const RECT area = FileIconArea();
    const int size = area.right - area.left;
    if (m_fileIconStale) {
        if (m_fileIcon != nullptr)
            DestroyIcon(m_fileIcon);
        m_fileIcon = m_fileOperate.GetCount() > 1
                         ? LoadIconOfSize(TheApplication()->m_instance, IDI_SEVERAL_FILES, size)
                         : ShellIconOfSize(m_fileOperate.GetFirstPath(), size);
        m_fileIconStale = false;
    }
    if (m_fileIcon != nullptr) {
        HBRUSH brush = CreateSolidBrush(kIconBackground);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
        DrawIconEx(dc, area.left, area.top, m_fileIcon, size, size, 0, nullptr, DI_NORMAL);
    }
}

void CKalendrixDlg::OnListClick(NMHDR* header, LRESULT* result)
{
    ShowRecord(m_fileList.FileOfRow(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem));
    *result = 0;
}

void CKalendrixDlg::OnListItemChanged(NMHDR* header, LRESULT* result)
{
    // The rows and boxes show the focused row's file once it is selected: a row that
    // becomes selected, or the selected row that takes the focus (a range selected with
    // Shift). A row that merely takes the focus (as when the dialog is activated again)
    // must not fill the rows from the file over the user's edits.
    const NMLISTVIEW* change = reinterpret_cast<NMLISTVIEW*>(header);
    *result = 0;
    m_fileList.ItemChanged(change);
    if (!(change->uChanged & LVIF_STATE) || change->iItem < 0)
        return;
    const bool selected = (change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED);
    const bool focused = (change->uNewState & LVIS_FOCUSED) && !(change->uOldState & LVIS_FOCUSED) &&
                         (change->uNewState & LVIS_SELECTED);
    if (!selected && !focused)
        return;
    HWND list = GetDlgItem(IDC_FILE_LIST);
    const int focusedFile = m_fileList.FocusedFile();
    const int focusedRow = focusedFile >= 0 ? m_fileList.RowOfFile(focusedFile) : -1;
    const bool focusedSelected = focusedRow >= 0 && (ListView_GetItemState(list, focusedRow, LVIS_SELECTED) & LVIS_SELECTED);
    const int file = m_fileList.FileOfRow(focusedSelected ? focusedRow : change->iItem);
    if (selected || file != m_shownIndex)
        ShowRecord(file);
}

void CKalendrixDlg::OnListDisplayInfo(NMHDR* header, LRESULT* result)
{
    m_fileList.FillCell(reinterpret_cast<NMLVDISPINFOW*>(header));
    *result = 0;
}

void CKalendrixDlg::OnListInfoTip(NMHDR* header, LRESULT* result)
{
    m_fileList.FillInfoTip(reinterpret_cast<NMLVGETINFOTIPW*>(header));
    *result = 0;
}

void CKalendrixDlg::OnListColumnClick(NMHDR* header, LRESULT* result)
{
    m_fileList.SortBy(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
    *result = 0;
}
