#include "FileListView.h"

#include "../datetime/StampText.h"
#include "../framework/DisplayScale.h"
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

// The two first columns keep the widths they always had; the others fit their texts.
const wchar_t* const kFileCaptions[FileListView::kColumnCount] = {
    L"ファイル名", L"ファイルタイプ", L"作成日時", L"更新日時", L"アクセス日時", L"属性", L"サイズ", L"撮影日時"};
const int kFileWidths[FileListView::kColumnCount] = {300, 270, 150, 150, 150, 50, 190, 150};
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
    switch (column) {
    case FileListView::kCreationColumn:
        return item.state.creation;
    case FileListView::kWriteColumn:
        return item.state.write;
    default:
        return item.state.access;
    }
}

// The date taken of an item as far as it is read; 0 where none is known.
LONGLONG KnownDateTaken(const FileItem& item)
{
    if (!item.takenRead || item.taken.result != SourceStampResult::stamp)
        return 0;
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(item.taken.stamp.dwHighDateTime) << 32) |
                                 item.taken.stamp.dwLowDateTime);
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

void FileListView::SetColumns(const wchar_t* const* captions, const int* widths, int count)
{
    // Adding or removing a column costs the list control tens of milliseconds: a layout
    // shown already is kept as it is.
    if (captions == m_shownCaptions && count == m_shownColumns)
        return;
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
            column.mask = LVCF_TEXT; // a column kept keeps the width the user gave it
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
    m_files = nullptr;
    m_order.clear();
    SetColumns(kFileCaptions, kFileWidths, 2);
    ListView_SetItemCountEx(m_list, 0, 0);
}

void FileListView::ShowProperties(const std::wstring (&values)[4])
{
    ForgetPreview();
    m_files = nullptr;
    m_order.clear();
    std::copy(std::begin(values), std::end(values), std::begin(m_properties));
    SetColumns(kPropertyCaptions, kPropertyWidths, 2);
    ListView_SetItemCountEx(m_list, 4, 0);
    Redraw();
}

void FileListView::ShowFiles(FileSet& files)
{
    ForgetPreview();
    m_files = &files;
    m_order.resize(files.Count());
    for (size_t index = 0; index < files.Count(); ++index)
        m_order[index] = static_cast<int>(index);
    m_sortColumn = -1;
    m_descending = false;
    m_displayNames.assign(files.Count(), std::wstring());
    m_named.assign(files.Count(), false);
    m_typeNames.clear();
    SetColumns(kFileCaptions, kFileWidths, kColumnCount);
    ListView_SetItemCountEx(m_list, static_cast<int>(files.Count()), 0);
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
    return row >= 0 && static_cast<size_t>(row) < m_order.size() ? m_order[row] : -1;
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

// A file's date taken, read as its row is drawn; empty where it has none.
std::wstring FileListView::TakenText(size_t file)
{
    if (m_files->Item(file).IsFolder())
        return std::wstring();
    m_files->DateTaken(file);
    const LONGLONG taken = KnownDateTaken(m_files->Item(file));
    return taken != 0 ? LocalStampText(taken) : std::wstring();
}

namespace {

// The text of a stamp or the flags column that the change leaves; empty where it leaves it.
std::wstring ChangeText(const FileItem& item, const ItemChange& change, int column)
{
    if (column == FileListView::kAttributeColumn) {
        if (!(change.changes & kAttributePart))
            return std::wstring();
        const std::wstring before = AttributeLetters(item.state.attributes);
        return (before.empty() ? L"なし" : before) + L" → " + AttributeLetters(change.target.attributes);
    }
    const int stamp = column - FileListView::kCreationColumn;
    if (!(change.changes & PartOfStamp(stamp)))
        return std::wstring();
    return LocalStampText(StampOfState(item.state, stamp)) + L" → " + LocalStampText(StampOfState(change.target, stamp));
}

// What the preview shows in a stamp or the flags column: the change, or that an item not
// read is left where the request would change that column; empty where it shows the item.
std::wstring PreviewText(const FileItem& item, const ChangeRequest& request, int column)
{
    const ItemChange change = PlanItemChange(item, request);
    const int stamp = column - FileListView::kCreationColumn;
    if (column != FileListView::kAttributeColumn && change.gaps[stamp] != SourceGap::none)
        return L"（" + SourceGapText(change.gaps[stamp], request.sources[stamp]) + L"）";
    if (change.left != ItemLeft::no) {
        const unsigned part = column == FileListView::kAttributeColumn
                                  ? static_cast<unsigned>(kAttributePart)
                                  : PartOfStamp(column - FileListView::kCreationColumn);
        if (!(AskedParts(request) & part))
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
        WidenForPreview(request);
    }
    Redraw();
}

// A stamp column that a preview may fill grows to hold two stamps and the arrow; a column
// already wide enough (the user's width) is kept.
void FileListView::WidenForPreview(const ChangeRequest& request)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const LONGLONG stamp = static_cast<LONGLONG>((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    const std::wstring sample = LocalStampText(stamp) + L" → " + LocalStampText(stamp) + L"00";
    const int needed = ListView_GetStringWidth(m_list, sample.c_str()) + ScaleToDpi(12, m_dpi);
    for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
        const int column = kCreationColumn + stamp;
        if (request.stamps[stamp] && ListView_GetColumnWidth(m_list, column) < needed)
            ListView_SetColumnWidth(m_list, column, needed);
    }
}

void FileListView::ForgetPreview()
{
    m_previewing = false;
    m_previewLabels.clear();
    m_previewTexts.clear();
}

void FileListView::EndPreview()
{
    if (!m_previewing)
        return;
    m_previewing = false;
    if (m_files == nullptr) {
        m_previewLabels.clear();
        m_previewTexts.clear();
        ListView_SetItemCountEx(m_list, 4, LVSICF_NOSCROLL);
    }
    Redraw();
}

std::wstring FileListView::CellText(size_t file, int column)
{
    const FileItem& item = m_files->Item(file);
    if (m_previewing && column >= kCreationColumn && column <= kAttributeColumn) {
        std::wstring text = PreviewText(item, m_preview, column);
        if (!text.empty())
            return text;
    }
    switch (column) {
    case kNameColumn:
        return DisplayName(file);
    case kTypeColumn:
        return TypeName(file);
    case kCreationColumn:
    case kWriteColumn:
    case kAccessColumn:
        return item.Readable() ? LocalStampText(StampOfColumn(item, column)) : std::wstring();
    case kAttributeColumn:
        return item.Readable() ? AttributeLetters(item.state.attributes) : std::wstring();
    case kSizeColumn:
        if (!item.Readable())
            return std::wstring();
        return (item.state.attributes & FILE_ATTRIBUTE_DIRECTORY) ? kFolderSizeText : SizeText(item.size);
    case kTakenColumn:
        return TakenText(file);
    default:
        return std::wstring();
    }
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
        m_cellText = file >= 0 ? CellText(static_cast<size_t>(file), column) : std::wstring();
    }
    lstrcpynW(cell->item.pszText, m_cellText.c_str(), cell->item.cchTextMax);
}

void FileListView::SortBy(int column)
{
    if (m_files == nullptr || column < 0 || column >= kColumnCount)
        return;
    m_descending = column == m_sortColumn ? !m_descending : false;
    m_sortColumn = column;
    const FileSet& files = *m_files;
    // Texts that a sort compares are made once, not at every comparison.
    std::vector<std::wstring> keys;
    if (column == kNameColumn || column == kTypeColumn || column == kAttributeColumn) {
        keys.resize(files.Count());
        for (size_t file = 0; file < files.Count(); ++file) {
            keys[file] = column == kNameColumn       ? FileNameOfPath(files.Path(file))
                         : column == kTypeColumn     ? TypeName(file)
                                                     : AttributeLetters(files.Item(file).state.attributes);
        }
    }
    auto before = [&](int a, int b) {
        const FileItem& first = files.Item(static_cast<size_t>(a));
        const FileItem& second = files.Item(static_cast<size_t>(b));
        // Files that could not be read come last either way.
        if (first.Readable() != second.Readable())
            return first.Readable();
        int order = 0;
        if (!keys.empty()) {
            order = CompareTexts(keys[a], keys[b]);
        } else if (column == kSizeColumn) {
            order = first.size < second.size ? -1 : first.size > second.size ? 1 : 0;
        } else if (column == kTakenColumn) {
            // By the dates read so far: reading every file's content would hold the window.
            const LONGLONG x = KnownDateTaken(first);
            const LONGLONG y = KnownDateTaken(second);
            order = x < y ? -1 : x > y ? 1 : 0;
        } else {
            const LONGLONG x = StampOfColumn(first, column);
            const LONGLONG y = StampOfColumn(second, column);
            order = x < y ? -1 : x > y ? 1 : 0;
        }
        if (order == 0)
            return a < b;
        return m_descending ? order > 0 : order < 0;
    };
    std::stable_sort(m_order.begin(), m_order.end(), before);
    Redraw();
}
