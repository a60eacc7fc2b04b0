#include "ChangeJournal.h"

#include <shlobj.h>

#include <knownfolders.h>

std::wstring DefaultJournalPath()
{
    const wchar_t* const kFolderVariable = L"KALENDRIX_JOURNAL_FOLDER";
    const DWORD size = GetEnvironmentVariableW(kFolderVariable, nullptr, 0);
    if (size > 1) {
        std::wstring folder(size, L'\0');
        folder.resize(GetEnvironmentVariableW(kFolderVariable, &folder[0], size));
        if (!folder.empty() && folder.back() != L'\\')
            folder += L'\\';
        return folder + L"UndoJournal.txt";
    }
    PWSTR known = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known)))
        path = std::wstring(known) + L"\\tavolin\\Kalendrix\\UndoJournal.txt";
    CoTaskMemFree(known);
    return path;
}
