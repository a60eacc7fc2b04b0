// The list of chosen files, drawn from the file set on demand: the list control holds no
// copy of the rows (LVS_OWNERDATA) and asks for each cell it draws. With one file it shows
// the file's four properties; with several, a row a file with its own state, sortable by
// any column.
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
    // The columns of the several-files layout, in their order.
    enum Column { kNameColumn, kTypeColumn, kCreationColumn, kWriteColumn, kAccessColumn, kAttributeColumn,
                  kSizeColumn, kTakenColumn, kColumnCount };

    void Attach(HWND list) { m_list = list; }
    // The display scale new columns are sized for, in dots per inch.
    void SetDpi(UINT dpi) { m_dpi = dpi; }
    // No file: no rows, the two first columns named as at the start.
    void ShowNothing();
    // One file: four rows of a property and its value.
    void ShowProperties(const std::wstring (&values)[4]);
    // Several files: a row a file of `files`, which must outlive the showing. The dates
    // taken of the rows drawn are read into it as they are drawn.
    void ShowFiles(FileSet& files);
    // The files' state was read again: the rows on screen are drawn anew.
    void StatesChanged();

    // LVN_GETDISPINFO: the text of one cell.
    void FillCell(NMLVDISPINFOW* cell);
    // LVN_COLUMNCLICK: sorts by that column; again by the same one, the other way round.
    void SortBy(int column);
    // The file a row shows (the row itself in the one-file layout).
    int FileOfRow(int row) const;
    bool ShowsFiles() const { return m_files != nullptr; }

    // The texts of a file's row, as the list shows them.
    std::wstring CellText(size_t file, int column);

    // The preview of an apply of `request`: each stamp or flag it would change of a file
    // shows "old → new", and of a file it would leave as not read, that it leaves it; with
    // one file (the four property rows), a row is added for each.
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
    void WidenForPreview(const ChangeRequest& request);

    HWND m_list = nullptr;
    UINT m_dpi = 96;
    // The columns the list has now: their captions and count.
    const wchar_t* const* m_shownCaptions = nullptr;
    int m_shownColumns = 0;
    FileSet* m_files = nullptr;
    std::wstring m_properties[4];
    std::vector<int> m_order;       // the file of each row
    int m_sortColumn = -1;
    bool m_descending = false;
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
    std::vector<std::wstring> m_previewLabels;
    std::vector<std::wstring> m_previewTexts;
};

// The set flags as letters, in the order R, H, S, A: "RHSA", "A", "".
std::wstring AttributeLetters(DWORD attributes);
