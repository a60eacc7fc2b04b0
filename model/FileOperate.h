// The chosen files: their paths, the reading of each file's state from disk, the
// writing of a record back to them, and the shell's presentation of them.
#pragma once

#include "../framework/StringArray.h"
#include "FileRecord.h"
#include "FolderListings.h"

#include <windows.h>
#include <string>

// What one write remembers while it resolves many paths in a row: the naming rules of
// the volume of the last folder, and the names stored in the folders of its files.
struct ResolutionCache {
    std::wstring folder;
    DWORD flags = 0;
    FolderListings listings;
};

class CFileOperate {
public:
    CFileOperate() = default;
    virtual ~CFileOperate() = default;

    // The file list.
    void SetFiles(const CStringArray& paths);
    int GetCount() const { return m_count; }
    // Reads file `index` from disk; the zero record when no file is chosen.
    FileRecord GetRecord(int index) const;
    DWORD GetFirstFileAttributes() const;
    std::wstring GetFolder() const;
    std::wstring GetBaseName(int index) const;
    std::wstring GetExtension(int index) const;
    int GetDaysInMonth(int year, int month) const;

    // Writing file state.
    BOOL WriteRecord(FileRecord record, bool writeAttributes);
    void Rename(std::wstring newPath);
    void ReportFailures() const;
    BOOL CanOpenForWrite(std::wstring path) const;

    // The shell's presentation.
    HICON GetIcon(int size) const;
    std::wstring GetDisplayName(int index) const;
    std::wstring GetTypeName(int index) const;

private:
    static bool ReadRecordFromFile(const std::wstring& path, FileRecord& record);
    static void WriteRecordToFile(const std::wstring& path, const FileRecord& record, bool writeAttributes);
    void CheckIndex(int index) const;

    CStringArray m_paths;
    CStringArray m_failures;
    // Valid only during one WriteRecord, so that a volume is queried and a folder listed
    // once, not per file.
    mutable ResolutionCache m_resolutionCache;
    bool m_resolutionCacheActive = false;
    std::wstring m_firstPath;
    int m_count = 0;
};

// The absolute form of `path` as a record carries it; false when it cannot be resolved
// within MAX_PATH units.
bool ResolveFullPath(const std::wstring& path, WCHAR (&fullPath)[MAX_PATH], ResolutionCache* cache = nullptr);
