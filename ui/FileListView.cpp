#include "FileListView.h"

#include "../datetime/StampText.h"
#include "../framework/DisplayScale.h"
#include "../model/FileStateAccess.h"
#include "../model/NameParts.h"
#include "../model/SizeText.h"

#include <algorithm>
#include <cwchar>

namespace {

const wchar_t* const kUnreadableText = L"（読み取れません）";
const wchar_t* const kNotReadText = L"（読み込みを中止したため読んでいません）";
// A preview's cell of a part an apply would leave, since the item was not read, or since it
// is a link inside a chosen folder.
const wchar_t* const kLeftUnreadText = L"（読み込んでいないため変更しません）";
const wchar_t* const kLeftLinkText = L"（フォルダの中のリンクのため変更しません）";
const wchar_t* const kPropertyLabels[4] = {L"種類", L"パス名", L"MS-DOS名", L"サイズ"};

// The columns of the several-files layout, one entry a column: what it shows decides its
// width (FileListView::NeededWidth), its text and its order.
enum class ColumnKind { name, type, stamp, attributes, size, taken };
struct FileColumn {
    const wchar_t* caption;
    ColumnKind kind;
    int stamp; // the plan's stamp of a stamp column
};
constexpr FileColumn kFileColumns[FileListView::kColumnCount] = {
    {L"ファイル名", ColumnKind::name, -1},
    {L"ファイルタイプ", ColumnKind::type, -1},
    {L"作成日時", ColumnKind::stamp, kPlanCreation},
    {L"更新日時", ColumnKind::stamp, kPlanWrite},
    {L"アクセス日時", ColumnKind::stamp, kPlanAccess},
    {L"属性", ColumnKind::attributes, -1},
    {L"サイズ", ColumnKind::size, -1},
    {L"撮影日時", ColumnKind::taken, -1},
};
static_assert(kFileColumns[FileListView::kCreationColumn].stamp == kPlanCreation &&
                  kFileColumns[FileListView::kAccessColumn].stamp == kPlanAccess,
              "the stamp columns follow the plan's stamps");

const wchar_t* const* FileCaptions()
{
    static const wchar_t* captions[FileListView::kColumnCount];
    for (int column = 0; column < FileListView::kColumnCount; ++column)
        captions[column] = kFileColumns[column].caption;
    return captions;
}

// Before files are shown, the two first columns have the widths they always had; the file
// columns then fit what they show.
const int kFileWidths[FileListView::kColumnCount] = {300, 270, 150, 150, 150, 50, 190, 150};
// The file type is told by its name's extension too: its column stays narrow.
constexpr int kTypeWidthAt96 = 120;
// Around a cell's text, as the list view's own auto-size leaves it.
constexpr int kCellMarginAt96 = 12;
const wchar_t* const kPropertyCaptions[2] = {L"項目", L"値"};
const int kPropertyWidths[2] = {300, 270};

std::wstring LowerExtension(const std::wstring& path)
{
    std::wstring extension = ExtensionOfPath(path);
    if (!extension.empty())
        CharLowerBuffW(&extension[0], static_cast<DWORD>(extension.size()));
    return extension;
}

LONGLONG StampOfColumn(const FileItem& item, int column)
{
    return StampOfState(item.state, kFileColumns[column].stamp);
}

// The date taken of an item as far as it is read; 0 where none is known.
LONGLONG KnownDateTaken(const FileItem& item)
{
    if (!item.takenRead || item.taken.result != SourceStampResult::stamp)
        return 0;
    return AsStamp(item.taken.stamp).QuadPart;
}

// The plan's part of a stamp or the flags column; 0 for the others.
unsigned PartOfColumn(int column)
{
    switch (kFileColumns[column].kind) {
    case ColumnKind::stamp:
        return PartOfStamp(kFileColumns[column].stamp);
    case ColumnKind::attributes:
        return kAttributePart;
    default:
        return 0;
    }
}

// As Explorer orders names: without regard to case, numbers by their value.
int CompareTexts(const std::wstring& a, const std::wstring& b)
{
    const int result = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE | SORT_DIGITSASNUMBERS, a.c_str(), -1,
                                       b.c_str(), -1, nullptr, nullptr, 0);
    if (result != 0)
        return result - CSTR_EQUAL;
    return _wcsicmp(a.c_str(), b.c_str()); // a system without number ordering
}

} // namespace

std::wstring AttributeLetters(DWORD attributes)
{
    std::wstring letters;
    const struct {
        DWORD flag;
        wchar_t letter;
    } flags[] = {{FILE_ATTRIBUTE_READONLY, L'R'}, {FILE_ATTRIBUTE_HIDDEN, L'H'}, {FILE_ATTRIBUTE_SYSTEM, L'S'},
                 {FILE_ATTRIBUTE_ARCHIVE, L'A'}};
    for (const auto& flag : flags) {
        if (attributes & flag.flag)
            letters += flag.letter;
    }
    return letters;
}

void FileListView::SetDpi(UINT dpi)
{
    for (int& width : m_userWidths) {
        if (width != 0)
            width = MulDiv(width, static_cast<int>(dpi), static_cast<int>(m_dpi));
    }
    std::fill(std::begin(m_givenWidths), std::end(m_givenWidths), 0);
    m_dpi = dpi;
}

void FileListView::SetColumns(const wchar_t* const* captions, const int* widths, int count)
{
    // Adding or removing a column costs the list control tens of milliseconds: a layout
    // shown already is kept as it is.
    if (captions == m_shownCaptions && count == m_shownColumns)
        return;
    if (m_shownCaptions == FileCaptions())
        NoteUserWidths();
    std::fill(std::begin(m_givenWidths), std::end(m_givenWidths), 0);
    m_shownCaptions = captions;
    m_shownColumns = count;
    // Drawn once at the end, not once a column: a column inserted while drawing costs the
    // list control tens of milliseconds with thousands of rows.
    SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    HWND header = ListView_GetHeader(m_list);
    int present = header != nullptr ? Header_GetItemCount(header) : 0;
    while (present > count)
        ListView_DeleteColumn(m_list, --present);
    for (int index = 0; index < count; ++index) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
        column.fmt = LVCFMT_LEFT;
        column.cx = ScaleToDpi(widths[index], m_dpi);
        column.pszText = const_cast<wchar_t*>(captions[index]);
        if (index < present) {
            column.mask = LVCF_TEXT; // a column kept is sized by the layout that keeps it
            SendMessageW(m_list, LVM_SETCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
        } else {
            SendMessageW(m_list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
        }
    }
    SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(m_list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void FileListView::ShowNothing()
{
    ForgetPreview();
    m_focusedRow = -1;
    m_files = nullptr;
    m_order.clear();
    m_rows.clear();
    m_shown.clear();
    SetColumns(FileCaptions(), kFileWidths, 2);
    ListView_SetItemCountEx(m_list, 0, 0);
    FitColumns();
}

void FileListView::ShowProperties(const std::wstring (&values)[4])
{
    ForgetPreview();
    m_files = nullptr;
    m_order.clear();
    m_rows.clear();
    m_shown.clear();
    std::copy(std::begin(values), std::end(values), std::begin(m_properties));
    SetColumns(kPropertyCaptions, kPropertyWidths, 2);
    ListView_SetItemCountEx(m_list, 4, 0);
    FitColumns();
    Redraw();
}

void FileListView::ShowFiles(FileSet& files)
{
    ForgetPreview();
    m_files = &files;
    m_order.resize(files.Count());
    for (size_t index = 0; index < files.Count(); ++index)
        m_order[index] = static_cast<int>(index);
    m_rows = m_order;
    m_shown.clear();
    m_sortColumn = -1;
    m_descending = false;
    m_displayNames.assign(files.Count(), std::wstring());
    m_named.assign(files.Count(), false);
    m_typeNames.clear();
    SetColumns(FileCaptions(), kFileWidths, kColumnCount);
    ListView_SetItemCountEx(m_list, static_cast<int>(m_rows.size()), 0);
    FitColumns();
    Redraw();
}

void FileListView::StatesChanged()
{
    // A renamed file has another display name; the rest is read from the set at each draw.
    if (m_files != nullptr)
        m_named.assign(m_files->Count(), false);
    Redraw();
}

void FileListView::Redraw()
{
    InvalidateRect(m_list, nullptr, TRUE);
}

int FileListView::FileOfRow(int row) const
{
    if (m_files == nullptr)
        return row;
    return row >= 0 && static_cast<size_t>(row) < m_rows.size() ? m_rows[row] : -1;
}

int FileListView::RowOfFile(int file) const
{
    if (m_files == nullptr)
        return file;
    const auto found = std::find(m_rows.begin(), m_rows.end(), file);
    return found != m_rows.end() ? static_cast<int>(found - m_rows.begin()) : -1;
}

void FileListView::ShowOnly(std::vector<bool> shown)
{
    if (m_files == nullptr)
        return;
    if (std::find(shown.begin(), shown.end(), false) == shown.end())
        shown.clear();
    if (shown == m_shown)
        return;
    m_shown = std::move(shown);
    RebuildRows();
    FitColumns();
}

// The rows: the files in their order, those the filter leaves.
void FileListView::RowsFromOrder()
{
    if (m_shown.empty()) {
        m_rows = m_order;
        return;
    }
    m_rows.clear();
    for (int file : m_order) {
        if (m_shown[static_cast<size_t>(file)])
            m_rows.push_back(file);
    }
}

void FileListView::RebuildRows()
{
    const int focused = FocusedFile();
    RowsFromOrder();
    // The selection named rows, which now show other files: only the focused file stays,
    // focused and selected, where it is still shown.
    ClearSelection();
    ListView_SetItemCountEx(m_list, static_cast<int>(m_rows.size()), LVSICF_NOSCROLL);
    const int row = focused >= 0 ? RowOfFile(focused) : -1;
    if (row >= 0) {
        ListView_SetItemState(m_list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(m_list, row, FALSE);
    }
    Redraw();
}

std::vector<size_t> FileListView::ShownFiles() const
{
    std::vector<size_t> files;
    if (m_files == nullptr) {
        if (ListView_GetItemCount(m_list) > 0)
            files.push_back(0);
        return files;
    }
    files.reserve(m_rows.size());
    for (size_t file = 0; file < m_files->Count(); ++file) {
        if (m_shown.empty() || m_shown[file])
            files.push_back(file);
    }
    return files;
}

std::vector<size_t> FileListView::SelectedFiles() const
{
    std::vector<size_t> files;
    if (m_files == nullptr)
        return files;
    const UINT selected = ListView_GetSelectedCount(m_list);
    if (selected == 0)
        return files;
    if (selected == m_rows.size()) {
        for (int file : m_rows)
            files.push_back(static_cast<size_t>(file));
        std::sort(files.begin(), files.end());
        return files;
    }
    for (int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(m_list, row, LVNI_SELECTED)) {
        const int file = FileOfRow(row);
        if (file >= 0)
            files.push_back(static_cast<size_t>(file));
    }
    std::sort(files.begin(), files.end());
    return files;
}

int FileListView::FocusedFile() const
{
    if (m_files == nullptr)
        return -1;
    return FileOfRow(m_focusedRow);
}

void FileListView::ItemChanged(const NMLISTVIEW* change)
{
    if (!(change->uChanged & LVIF_STATE))
        return;
    if ((change->uNewState & LVIS_FOCUSED) && change->iItem >= 0)
        m_focusedRow = change->iItem;
    else if ((change->uOldState & LVIS_FOCUSED) && (change->iItem == m_focusedRow || change->iItem < 0))
        m_focusedRow = -1;
}

// Row by row: Wine's list view, told of every row at once (-1), visits each of them.
void FileListView::ClearSelection()
{
    if (m_focusedRow >= 0)
        ListView_SetItemState(m_list, m_focusedRow, 0, LVIS_FOCUSED);
    m_focusedRow = -1;
    const UINT selected = ListView_GetSelectedCount(m_list);
    if (selected == 0)
        return;
    if (selected == static_cast<UINT>(ListView_GetItemCount(m_list)) && selected > 1) {
        ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED);
        return;
    }
    for (int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(m_list, row, LVNI_SELECTED))
        ListView_SetItemState(m_list, row, 0, LVIS_SELECTED);
}

void FileListView::SelectAll()
{
    if (m_files != nullptr)
        ListView_SetItemState(m_list, -1, LVIS_SELECTED, LVIS_SELECTED);
}

void FileListView::FilesRemoved(const std::vector<size_t>& removed)
{
    if (m_files == nullptr || removed.empty())
        return;
    const size_t before = m_order.size();
    // Each file's index after the removal; -1 for a file taken out.
    std::vector<int> moved(before, -1);
    size_t next = 0;
    int kept = 0;
    for (size_t file = 0; file < before; ++file) {
        if (next < removed.size() && removed[next] == file) {
            ++next;
            continue;
        }
        moved[file] = kept;
        if (kept != static_cast<int>(file)) {
            m_displayNames[kept] = std::move(m_displayNames[file]);
            m_named[kept] = m_named[file];
            if (!m_shown.empty())
                m_shown[kept] = m_shown[file];
        }
        ++kept;
    }
    m_displayNames.resize(kept);
    m_named.resize(kept);
    if (!m_shown.empty())
        m_shown.resize(kept);
    std::vector<int> order;
    order.reserve(kept);
    for (int file : m_order) {
        if (moved[file] >= 0)
            order.push_back(moved[file]);
    }
    m_order = std::move(order);
    // The focus goes to the row that follows the first one taken out.
    int firstRow = -1;
    for (size_t row = 0; row < m_rows.size() && firstRow < 0; ++row) {
        if (moved[m_rows[row]] < 0)
            firstRow = static_cast<int>(row);
    }
    ClearSelection();
    RowsFromOrder();
    ListView_SetItemCountEx(m_list, static_cast<int>(m_rows.size()), LVSICF_NOSCROLL);
    if (!m_rows.empty()) {
        const int row = std::min(std::max(firstRow, 0), static_cast<int>(m_rows.size()) - 1);
        ListView_SetItemState(m_list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(m_list, row, FALSE);
    }
    Redraw();
}

const std::wstring& FileListView::DisplayName(size_t file)
{
    if (!m_named[file]) {
        const std::wstring name = m_lookup.DisplayNameOf(m_files->Path(file));
        m_displayNames[file] = name.empty() ? FileNameOfPath(m_files->Path(file)) : name;
        m_named[file] = true;
    }
    return m_displayNames[file];
}

const std::wstring& FileListView::TypeName(size_t file)
{
    static const std::wstring unreadable = kUnreadableText;
    static const std::wstring notRead = kNotReadText;
    const FileItem& item = m_files->Item(file);
    if (item.error == ERROR_CANCELLED)
        return notRead;
    if (!item.Readable())
        return unreadable;
    if (item.state.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A folder's type is the folder's own, not its "extension's".
        auto known = m_typeNames.find(L"\\");
        if (known == m_typeNames.end())
            known = m_typeNames.emplace(L"\\", m_lookup.TypeNameOf(item.path)).first;
        return known->second;
    }
    const std::wstring extension = LowerExtension(item.path);
    auto known = m_typeNames.find(extension);
    if (known == m_typeNames.end())
        known = m_typeNames.emplace(extension, m_lookup.TypeNameOf(item.path)).first;
    return known->second;
}

int FileListView::TextWidth(const std::wstring& text) const
{
    return ListView_GetStringWidth(m_list, text.c_str()) + ScaleToDpi(kCellMarginAt96, m_dpi);
}

void FileListView::NoteUserWidths()
{
    if (m_shownCaptions != FileCaptions())
        return;
    for (int column = 0; column < kColumnCount; ++column) {
        const int width = ListView_GetColumnWidth(m_list, column);
        if (m_givenWidths[column] != 0 && width != m_givenWidths[column])
            m_userWidths[column] = width;
    }
}

bool FileListView::PreviewFills(int column) const
{
    return m_previewing && (AskedParts(m_preview) & PartOfColumn(column)) != 0;
}

// What a column needs: the name the longest on screen within a third of the list, the type
// a little, a stamp its text or, in a preview that fills it, two stamps and the arrow.
int FileListView::NeededWidth(int column, int listWidth)
{
    const FileColumn& kind = kFileColumns[column];
    int needed = TextWidth(kind.caption);
    const int top = ListView_GetTopIndex(m_list);
    const int bottom = std::min(static_cast<int>(m_rows.size()), top + ListView_GetCountPerPage(m_list) + 1);
    auto longestOnScreen = [&](int limit) {
        int longest = needed;
        for (int row = top; row < bottom && longest < limit; ++row)
            longest = std::max(longest, TextWidth(CellText(static_cast<size_t>(m_rows[row]), column)));
        return std::min(longest, std::max(limit, needed));
    };
    switch (kind.kind) {
    case ColumnKind::name:
        return longestOnScreen(listWidth / 3);
    case ColumnKind::type:
        return longestOnScreen(ScaleToDpi(kTypeWidthAt96, m_dpi));
    case ColumnKind::size:
        return longestOnScreen(listWidth);
    case ColumnKind::taken:
    case ColumnKind::stamp: {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        const LONGLONG stamp = static_cast<LONGLONG>((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
        const std::wstring text = LocalStampText(stamp);
        return std::max(needed, TextWidth(PreviewFills(column) ? text + L" → " + text + L"0" : text + L"0"));
    }
    case ColumnKind::attributes:
        return std::max(needed, TextWidth(PreviewFills(column) ? L"RHSA → RHSA" : L"RHSA"));
    }
    return needed;
}

void FileListView::FitColumns()
{
    if (m_list == nullptr)
        return;
    RECT client;
    GetClientRect(m_list, &client);
    if (m_files == nullptr) {
        // One file, or none: the first column keeps its width, the second takes the rest of
        // the list's width (before any file, at most its width of old), with room for a
        // vertical scroll bar, so that nobody scrolls sideways to see it.
        const int names = ScaleToDpi(kPropertyWidths[0], m_dpi);
        const int room = static_cast<int>(client.right) - names - SystemMetricForDpi(SM_CXVSCROLL, m_dpi);
        const int second = m_shownCaptions == kPropertyCaptions ? room : std::min(ScaleToDpi(kFileWidths[1], m_dpi), room);
        ListView_SetColumnWidth(m_list, 0, names);
        ListView_SetColumnWidth(m_list, 1, std::max(0, second));
        return;
    }
    NoteUserWidths();
    SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    for (int column = 0; column < kColumnCount; ++column) {
        const int width = m_userWidths[column] != 0 ? m_userWidths[column] : NeededWidth(column, client.right);
        if (ListView_GetColumnWidth(m_list, column) != width)
            ListView_SetColumnWidth(m_list, column, width);
        m_givenWidths[column] = ListView_GetColumnWidth(m_list, column);
    }
    SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    Redraw();
}

namespace {

// The text of a stamp or the flags column that the change leaves; empty where it leaves it.
std::wstring ChangeText(const FileItem& item, const ItemChange& change, int column)
{
    if (kFileColumns[column].kind == ColumnKind::attributes) {
        if (!(change.changes & kAttributePart))
            return std::wstring();
        const std::wstring before = AttributeLetters(item.state.attributes);
        return (before.empty() ? L"なし" : before) + L" → " + AttributeLetters(change.target.attributes);
    }
    const int stamp = kFileColumns[column].stamp;
    if (!(change.changes & PartOfStamp(stamp)))
        return std::wstring();
    return LocalStampText(StampOfState(item.state, stamp)) + L" → " + LocalStampText(StampOfState(change.target, stamp));
}

// What the preview shows in a stamp or the flags column: the change, or that an item not
// read is left where the request would change that column; empty where it shows the item.
std::wstring PreviewText(const FileItem& item, const ChangeRequest& request, int column)
{
    const ItemChange change = PlanItemChange(item, request);
    const int stamp = kFileColumns[column].stamp;
    if (stamp >= 0 && change.gaps[stamp] != SourceGap::none)
        return L"（" + SourceGapText(change.gaps[stamp], request.sources[stamp]) + L"）";
    if (change.left != ItemLeft::no) {
        if (!(AskedParts(request) & PartOfColumn(column)))
            return std::wstring();
        return change.left == ItemLeft::notRead ? kLeftUnreadText : kLeftLinkText;
    }
    return item.Readable() ? ChangeText(item, change, column) : std::wstring();
}

} // namespace

void FileListView::ShowPreview(const FileSet& files, const ChangeRequest& request)
{
    m_previewing = true;
    m_preview = request;
    if (m_files == nullptr) {
        // One file: a property row for each of its stamps and flags that would change, or
        // that the apply would leave.
        const wchar_t* const labels[] = {L"作成日時", L"更新日時", L"アクセス日時", L"属性"};
        const int columns[] = {kCreationColumn, kWriteColumn, kAccessColumn, kAttributeColumn};
        m_previewLabels.clear();
        m_previewTexts.clear();
        if (files.Count() == 1) {
            for (int index = 0; index < 4; ++index) {
                std::wstring text = PreviewText(files.Item(0), request, columns[index]);
                if (!text.empty()) {
                    m_previewLabels.push_back(labels[index]);
                    m_previewTexts.push_back(std::move(text));
                }
            }
        }
        ListView_SetItemCountEx(m_list, 4 + static_cast<int>(m_previewTexts.size()), LVSICF_NOSCROLL);
    } else {
        FitColumns();
        int first = -1;
        for (int column = 0; column < kColumnCount && first < 0; ++column) {
            if (PreviewFills(column))
                first = column;
        }
        // Scrolled once, when the first column the preview fills is another, so that the
        // user may scroll away while typing.
        if (first >= 0 && first != m_previewColumn)
            ScrollIntoView(first);
        m_previewColumn = first;
    }
    Redraw();
}

// As little sideways as shows the whole column, never past its left edge.
void FileListView::ScrollIntoView(int column)
{
    int left = 0;
    for (int before = 0; before < column; ++before)
        left += ListView_GetColumnWidth(m_list, before);
    const int right = left + ListView_GetColumnWidth(m_list, column);
    RECT client;
    GetClientRect(m_list, &client);
    const int scrolled = GetScrollPos(m_list, SB_HORZ);
    if (left >= scrolled && right <= scrolled + client.right)
        return;
    const int target = std::max(0, std::min(left, right - static_cast<int>(client.right)));
    ListView_Scroll(m_list, target - scrolled, 0);
}

void FileListView::ForgetPreview()
{
    m_previewing = false;
    m_previewColumn = -1;
    m_previewLabels.clear();
    m_previewTexts.clear();
}

void FileListView::EndPreview()
{
    if (!m_previewing)
        return;
    m_previewing = false;
    m_previewColumn = -1;
    if (m_files == nullptr) {
        m_previewLabels.clear();
        m_previewTexts.clear();
        ListView_SetItemCountEx(m_list, 4, LVSICF_NOSCROLL);
    } else {
        FitColumns();
    }
    Redraw();
}

size_t FileListView::ChangedCount(const FileSet& files) const
{
    if (!m_previewing || AskedParts(m_preview) == 0)
        return 0;
    size_t changed = 0;
    for (size_t file : ShownFiles()) {
        if (file < files.Count() && PlanItemChange(files.Item(file), m_preview).changes != 0)
            ++changed;
    }
    return changed;
}

std::wstring FileListView::CellText(size_t file, int column)
{
    const FileItem& item = m_files->Item(file);
    if (PreviewFills(column)) {
        std::wstring text = PreviewText(item, m_preview, column);
        if (!text.empty())
            return text;
    }
    switch (kFileColumns[column].kind) {
    case ColumnKind::name:
        return DisplayName(file);
    case ColumnKind::type:
        return TypeName(file);
    case ColumnKind::stamp:
        return item.Readable() ? LocalStampText(StampOfColumn(item, column)) : std::wstring();
    case ColumnKind::attributes:
        return item.Readable() ? AttributeLetters(item.state.attributes) : std::wstring();
    case ColumnKind::size:
        if (!item.Readable())
            return std::wstring();
        return (item.state.attributes & FILE_ATTRIBUTE_DIRECTORY) ? kFolderSizeText : SizeText(item.size);
    case ColumnKind::taken:
        return TakenText(file);
    }
    return std::wstring();
}

// A file's date taken, read as its row is drawn; empty where it has none.
std::wstring FileListView::TakenText(size_t file)
{
    if (m_files->Item(file).IsFolder())
        return std::wstring();
    m_files->DateTaken(file);
    const LONGLONG taken = KnownDateTaken(m_files->Item(file));
    return taken != 0 ? LocalStampText(taken) : std::wstring();
}

void FileListView::FillCell(NMLVDISPINFOW* cell)
{
    if (!(cell->item.mask & LVIF_TEXT) || cell->item.pszText == nullptr || cell->item.cchTextMax <= 0)
        return;
    const int row = cell->item.iItem;
    const int column = cell->item.iSubItem;
    if (m_files == nullptr) {
        const size_t preview = static_cast<size_t>(row) - 4;
        if (row >= 0 && row < 4)
            m_cellText = column == 0 ? kPropertyLabels[row] : m_properties[row];
        else if (row >= 4 && preview < m_previewTexts.size())
            m_cellText = column == 0 ? m_previewLabels[preview] : m_previewTexts[preview];
        else
            m_cellText.clear();
    } else {
        const int file = FileOfRow(row);
        m_cellText = file >= 0 && column >= 0 && column < kColumnCount ? CellText(static_cast<size_t>(file), column)
                                                                       : std::wstring();
    }
    lstrcpynW(cell->item.pszText, m_cellText.c_str(), cell->item.cchTextMax);
}

void FileListView::FillInfoTip(NMLVGETINFOTIPW* tip) const
{
    const int file = FileOfRow(tip->iItem);
    if (m_files == nullptr || file < 0 || tip->pszText == nullptr || tip->cchTextMax <= 0)
        return;
    lstrcpynW(tip->pszText, m_files->Path(static_cast<size_t>(file)).c_str(), tip->cchTextMax);
}

void FileListView::SortBy(int column)
{
    if (m_files == nullptr || column < 0 || column >= kColumnCount)
        return;
    m_descending = column == m_sortColumn ? !m_descending : false;
    m_sortColumn = column;
    const FileSet& files = *m_files;
    const ColumnKind kind = kFileColumns[column].kind;
    const bool byNewValue = PreviewFills(column);
    // What a sort compares is made once a file, not at every comparison: texts, or numbers.
    std::vector<std::wstring> texts;
    std::vector<LONGLONG> numbers;
    if (kind == ColumnKind::name || kind == ColumnKind::type || kind == ColumnKind::attributes) {
        texts.resize(files.Count());
        for (size_t file = 0; file < files.Count(); ++file) {
            const FileItem& item = files.Item(file);
            DWORD attributes = item.state.attributes;
            if (kind == ColumnKind::attributes && byNewValue) {
                const ItemChange change = PlanItemChange(item, m_preview);
                if (change.changes & kAttributePart)
                    attributes = change.target.attributes;
            }
            texts[file] = kind == ColumnKind::name ? FileNameOfPath(files.Path(file))
                          : kind == ColumnKind::type ? TypeName(file)
                                                     : AttributeLetters(attributes);
        }
    } else {
        numbers.resize(files.Count());
        for (size_t file = 0; file < files.Count(); ++file) {
            const FileItem& item = files.Item(file);
            if (kind == ColumnKind::size) {
                numbers[file] = static_cast<LONGLONG>(item.size);
                continue;
            }
            // By the dates read so far: reading every file's content would hold the window.
            if (kind == ColumnKind::taken) {
                numbers[file] = KnownDateTaken(item);
                continue;
            }
            numbers[file] = StampOfColumn(item, column);
            if (byNewValue) {
                const ItemChange change = PlanItemChange(item, m_preview);
                if (change.changes & PartOfColumn(column))
                    numbers[file] = StampOfState(change.target, kFileColumns[column].stamp);
            }
        }
    }
    auto before = [&](int a, int b) {
        const FileItem& first = files.Item(static_cast<size_t>(a));
        const FileItem& second = files.Item(static_cast<size_t>(b));
        // Files that could not be read come last either way.
        if (first.Readable() != second.Readable())
            return first.Readable();
        int order = 0;
        if (!texts.empty())
            order = CompareTexts(texts[a], texts[b]);
        else
            order = numbers[a] < numbers[b] ? -1 : numbers[a] > numbers[b] ? 1 : 0;
        if (order == 0)
            return a < b;
        return m_descending ? order > 0 : order < 0;
    };
    std::stable_sort(m_order.begin(), m_order.end(), before);
    RebuildRows();
}
