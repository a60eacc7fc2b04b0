// The system's file dialog, with multiple selection read back path by path, of any count;
// it leaves the working folder as it was.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

class OpenFileDialog {
public:
    // filter: pairs of name and pattern separated by '|', as "ALL(*.*)|*.*|".
    // vistaStyle shows the system's current dialog (IFileOpenDialog / IFileSaveDialog), and the
    // classic one only where that cannot be created; without it, always the classic one.
    OpenFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension, const wchar_t* fileName, DWORD flags,
                const wchar_t* filter, HWND owner = nullptr, BOOL vistaStyle = TRUE);

    // Folders are chosen instead of files. Only the system's current dialog chooses them:
    // where it cannot be created, RunModal raises a message saying so.
    void PickFolders() { m_pickFolders = true; }

    INT_PTR RunModal();

    // The paths chosen, in the order the dialog gave them.
    const std::vector<std::wstring>& ChosenPaths() const { return m_paths; }

private:
    struct FilterPair {
        std::wstring name;
        std::wstring pattern;
    };

    // IDOK or IDCANCEL; false where the dialog cannot be created here.
    bool ShowItemDialog(HWND owner, INT_PTR& result);
    INT_PTR ShowClassicDialog(HWND owner);

    bool m_open;
    bool m_vistaStyle;
    bool m_pickFolders = false;
    DWORD m_flags;
    HWND m_owner;
    std::wstring m_defaultExtension;
    std::wstring m_fileName;
    std::vector<FilterPair> m_filter;
    std::vector<std::wstring> m_paths;
};
