// The list of chosen files, drawn from the file set on demand: the list control holds no
// copy of the rows (LVS_OWNERDATA) and asks for each cell it draws. With one file it shows
// the file's four properties; with several, a row a file with its own state, sortable by
// any column, narrowed to the files a filter shows.
#pragma once

#include "../model/ChangePlan.h"
#include "../model/FileSet.h"
#include "../model/ShellNameLookup.h"

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <unordered_map>
#include <vector>

class FileListView {
public:
    // The columns of the several-files layout, in their order (see kFileColumns).
    enum Column { kNameColumn, kTypeColumn, kCreationColumn, kWriteColumn, kAccessColumn, kAttributeColumn,
                  kSizeColumn, kTakenColumn, kColumnCount };

    void Attach(HWND list) { m_list = list; }
    // The display scale columns are sized for, in dots per inch; widths the user gave
    // follow it.
    void SetDpi(UINT dpi);
    // No file: no rows, the two first columns named as at the start.
    void ShowNothing();
    // One file: four rows of a property and its value.
    void ShowProperties(const std::wstring (&values)[4]);
    // Several files: a row a file of `files`, which must outlive the showing.
    // The dates taken of the rows drawn are read into `files` as they are drawn.
    void ShowFiles(FileSet& files);
    // The files' state was read again: the rows on screen are drawn anew.
    void StatesChanged();
    // The columns fit the list's width and what the rows on screen hold; a column the user
    // sized keeps the user's width.
    void FitColumns();

    // Rows only for the files `shown` marks (one flag a file of the set); empty: every file.
    void ShowOnly(std::vector<bool> shown);
    // The files shown, in the order of the set.
    std::vector<size_t> ShownFiles() const;
    size_t RowCount() const { return m_rows.size(); }
    // The files of the selected rows, in the order of the set; the focused row's file or -1.
    std::vector<size_t> SelectedFiles() const;
    int FocusedFile() const;
    void SelectAll();
    // The file set took out the files `removed` (ascending indices of the set before): their
    // rows go, the rest keep their order.
    void FilesRemoved(const std::vector<size_t>& removed);
    // LVN_ITEMCHANGED: the focused row is followed here, since asking the list for it makes
    // Wine's list view visit every row.
    void ItemChanged(const NMLISTVIEW* change);
    // How many shown files of `files` (the set shown) the preview's request would change;
    // 0 without a preview.
    size_t ChangedCount(const FileSet& files) const;

    // LVN_GETDISPINFO: the text of one cell.
    void FillCell(NMLVDISPINFOW* cell);
    // LVN_GETINFOTIP: a row's full path.
    void FillInfoTip(NMLVGETINFOTIPW* tip) const;
    // LVN_COLUMNCLICK: sorts by that column; again by the same one, the other way round.
    // During a preview a stamp or the flags sort by the value the apply would give.
    void SortBy(int column);
    // The file a row shows (the row itself in the one-file layout); -1 for no row.
    int FileOfRow(int row) const;
    int RowOfFile(int file) const;
    bool ShowsFiles() const { return m_files != nullptr; }

    // The texts of a file's row, as the list shows them.
    std::wstring CellText(size_t file, int column);

    // The preview of an apply of `request`: each stamp or flag it would change of a file
    // shows "old → new", and of a file it would leave as not read, that it leaves it; with
    // one file (the four property rows), a row is added for each. The columns it fills
    // grow to hold "old → new", and the first of them is scrolled into view.
    // Only the cells drawn are worked out. `files` must outlive the showing.
    void ShowPreview(const FileSet& files, const ChangeRequest& request);
    // The files as they are, without the preview.
    void EndPreview();

private:
    void SetColumns(const wchar_t* const* captions, const int* widths, int count);
    const std::wstring& DisplayName(size_t file);
    const std::wstring& TypeName(size_t file);
    std::wstring TakenText(size_t file);
    void Redraw();
    // A layout shown afresh shows no preview.
    void ForgetPreview();
    // Rows from the order and the filter; the focused file keeps the focus where it is shown.
    void RowsFromOrder();
    void RebuildRows();
    void ClearSelection();
    int NeededWidth(int column, int listWidth);
    int TextWidth(const std::wstring& text) const;
    // Widths that differ from those the program gave were given by the user.
    void NoteUserWidths();
    void ScrollIntoView(int column);
    bool PreviewFills(int column) const;

    HWND m_list = nullptr;
    UINT m_dpi = 96;
    // The columns the list has now: their captions and count.
    const wchar_t* const* m_shownCaptions = nullptr;
    int m_shownColumns = 0;
    FileSet* m_files = nullptr;
    std::wstring m_properties[4];
    std::vector<int> m_order;       // every file, in the order sorted
    std::vector<bool> m_shown;      // the filter's mark of each file; empty: every file
    std::vector<int> m_rows;        // the file of each row: m_order less what the filter hides
    int m_focusedRow = -1;
    int m_sortColumn = -1;
    bool m_descending = false;
    // The widths the program gave the file columns last (0: none since the layout was
    // shown), and those the user gave, kept while the program runs (0: none).
    int m_givenWidths[kColumnCount] = {};
    int m_userWidths[kColumnCount] = {};
    // Shell names are asked only for rows that are drawn, and kept.
    ShellNameLookup m_lookup;
    std::vector<std::wstring> m_displayNames;
    std::vector<bool> m_named;
    // A type name is the same for every file of one extension.
    std::unordered_map<std::wstring, std::wstring> m_typeNames;
    std::wstring m_cellText;
    // The preview: the request whose changes the cells show, and the one file's rows.
    bool m_previewing = false;
    ChangeRequest m_preview;
    // The first column the preview fills, once scrolled into view.
    int m_previewColumn = -1;
    std::vector<std::wstring> m_previewLabels;
    std::vector<std::wstring> m_previewTexts;
};

// The set flags as letters, in the order R, H, S, A: "RHSA", "A", "".
std::wstring AttributeLetters(DWORD attributes);
