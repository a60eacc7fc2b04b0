// The system's file-open dialog, with multiple selection read back path by path; it
// leaves the working folder as it was.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

class CFileDialog {
public:
    // filter: pairs of name and pattern separated by '|', as "ALL(*.*)|*.*|".
    CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension, const wchar_t* fileName, DWORD flags,
                const wchar_t* filter, HWND owner = nullptr);

    INT_PTR DoModal();

    // Walks the chosen paths: a position of 0 means no more paths.
    size_t GetStartPosition() const;
    std::wstring GetNextPathName(size_t& position) const;

private:
    bool m_open;
    std::wstring m_defaultExtension;
    std::wstring m_filter;
    std::vector<wchar_t> m_result;
    OPENFILENAMEW m_ofn;
};
