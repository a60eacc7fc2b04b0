// The chosen files: the paths as chosen, the file set read from them (walked where asked),
// the choice read again, and the shell's type name of them. Writing is PlanWriter's.
#pragma once

#include "ChoiceReading.h"
#include "FileRecord.h"
#include "FileSet.h"

#include <windows.h>
#include <string>
#include <vector>

class CFileOperate {
public:
    CFileOperate() = default;
    virtual ~CFileOperate() = default;

    int GetCount() const { return m_count; }
    // The paths as chosen (absolute), without what a walk took in.
    const std::vector<std::wstring>& ChosenPaths() const { return m_chosen; }
    // A reading of the choice as it stands, to be read elsewhere (on the worker) and taken
    // back whole: a choice walked already is read again as it is; one not walked yet takes
    // in what is below its folders with `walkFolders`.
    ChoiceReading ReadingOfChoice(bool walkFolders) const;
    // A reading of a new choice of `paths`, as given (the reading makes them absolute).
    static ChoiceReading ReadingOfPaths(std::vector<std::wstring> paths, bool walkFolders);
    // The choice read takes the place of this one, whole.
    void TakeReading(ChoiceReading&& reading);
    // Whether the set holds a walk of the choice.
    bool Walked() const { return m_walked; }
    // Whether a chosen path names a folder (asked of the file system now).
    bool ChoiceHasFolder() const;
    // The same of paths not chosen yet.
    static bool HasFolder(const std::vector<std::wstring>& paths);
    const FileSet& GetFileSet() const { return m_files; }
    // The set, for what is read into it later (the dates taken).
    FileSet& GetFileSet() { return m_files; }
    // The states of the same items read again elsewhere; items it did not reach keep theirs.
    void TakeStates(const FileSet& reread) { m_files.TakeStates(reread); }
    // Reads file `index` from disk; the zero record when no file is chosen.
    FileRecord GetRecord(int index) const;
    DWORD GetFirstFileAttributes() const;
    std::wstring GetFolder() const;
    const std::wstring& GetFirstPath() const { return m_firstPath; }
    // True when item `index` was read as a folder.
    bool IsFolder(int index) const;
    std::wstring GetBaseName(int index) const;
    std::wstring GetExtension(int index) const;

    // The journal the choice's writes record their changes in (handed to each PlanWriter)
    // and its undo reads; empty: not recorded.
    void SetJournalPath(std::wstring path) { m_journalPath = std::move(path); }
    const std::wstring& GetJournalPath() const { return m_journalPath; }
    // A chosen file was moved from `from` to `to` (by an apply or its undo): the choice
    // and the list follow it.
    void FileMoved(const std::wstring& from, const std::wstring& to);

    // Takes the items at `indices` (ascending) out of the choice, never off the disk: a
    // reading of the choice again reads the items left, not the folders they came from.
    void RemoveItems(const std::vector<size_t>& indices);

    // The shell's type name of item `index`; empty for an index one above the count.
    std::wstring GetTypeName(int index) const;

private:
    static bool ReadRecordFromFile(const std::wstring& path, FileRecord& record);
    void CheckIndex(int index) const;

    FileSet m_files;
    // The paths as chosen, for a choice read again; whether the set holds a walk of them.
    std::vector<std::wstring> m_chosen;
    bool m_walked = false;
    std::wstring m_journalPath;
    std::wstring m_firstPath;
    int m_count = 0;
};

// The absolute form of `path` as a record carries it, spelled as the volume stores names;
// empty when it cannot be resolved.
std::wstring ResolveFullPath(const std::wstring& path);
