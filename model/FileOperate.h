// The chosen files: their paths, the reading of each file's state from disk, the
// writing of a record back to them, and the shell's presentation of them.
#pragma once

#include "../framework/StringArray.h"
#include "FileRecord.h"

#include <windows.h>
#include <string>

// The naming rules of the volume of one folder, remembered while many files of that
// folder are resolved in a row.
struct VolumeFlagsCache {
    std::wstring folder;
    DWORD flags = 0;
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
    // Valid only during one WriteRecord, so that a volume is queried once, not per file.
    mutable VolumeFlagsCache m_volumeCache;
    bool m_volumeCacheActive = false;
    std::wstring m_firstPath;
    int m_count = 0;
};

// The absolute form of `path` as a record carries it; false when it cannot be resolved
// within MAX_PATH units.
bool ResolveFullPath(const std::wstring& path, WCHAR (&fullPath)[MAX_PATH], VolumeFlagsCache* cache = nullptr);
