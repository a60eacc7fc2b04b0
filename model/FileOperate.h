// The chosen files: their paths, the reading of each file's state from disk, the
// writing of a record back to them, and the shell's presentation of them.
#pragma once

#include "../framework/StringArray.h"
#include "../framework/WorkProgress.h"
#include "FileRecord.h"
#include "FileSet.h"
#include "VolumeSerials.h"
#include "ShellNameLookup.h"
#include "WriteFailure.h"

#include <windows.h>
#include <string>
#include <vector>

struct PlannedWrite;
struct ChangePlan;
struct ChangeRequest;
struct ItemChange;

class CFileOperate {
public:
    CFileOperate() = default;
    virtual ~CFileOperate() = default;

    // The file list.
    void SetFiles(const CStringArray& paths);
    int GetCount() const { return m_count; }
    // Reads every chosen file's state into the file set, as the list shows it; the
    // progress may stop it (the files not reached show as not read). With `walkFolders`,
    // a choice not walked yet takes in everything below its folders (FileSet::ReadStates);
    // a choice walked already is read again as it is.
    void ReadStates(const FileSet::Progress& progress = FileSet::Progress(), bool walkFolders = false);
    // The choice as it was made, without what a walk took in: read again, it is walked anew
    // or not at all.
    void ChooseAgain();
    // Whether the set holds a walk of the choice.
    bool Walked() const { return m_walked; }
    // Whether a chosen path names a folder (asked of the file system now).
    bool ChoiceHasFolder() const;
    const FileSet& GetFileSet() const { return m_files; }
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
    int GetDaysInMonth(int year, int month) const;

    // Writing file state. With a journal path set, every change is recorded there before it
    // is made (see ChangeJournal.h). A non-empty `newPath` first moves the one chosen file
    // there, as Rename does; its failure is listed first. With `progress`, counts the files
    // done of the files in all, and when cancelled stops after the file at hand: every file
    // changed is journaled, and the files of its group not reached are journaled unchanged.
    // The record's times and flags go to every chosen file alike (a plan in set mode).
    BOOL WriteRecord(FileRecord record, bool writeAttributes, const std::wstring& newPath = std::wstring(),
                     WorkProgress* progress = nullptr);
    // Each of `paths` takes its item of `plan` (the same order); an item with a refused
    // stamp fails unchanged. As WriteRecord otherwise.
    BOOL WritePlan(const ChangePlan& plan, std::vector<std::wstring> paths, const std::wstring& newPath = std::wstring(),
                   WorkProgress* progress = nullptr);
    // A writer for a job: this one's journal, first file and failed move, without the file
    // set (the job is handed the plan and the paths); TakeWriteResult takes back what its
    // write changed: the first file's new name, a failed move, the failures.
    CFileOperate WriterForJob() const;
    void TakeWriteResult(const CFileOperate& writer);
    // Moves the first file to `newPath`, never over an existing file; false when the move
    // failed, which the next write's failure list then names. Not journaled by itself.
    bool Rename(std::wstring newPath);
    // Where writes record what they change; empty: not recorded.
    void SetJournalPath(std::wstring path) { m_journalPath = std::move(path); }
    const std::wstring& GetJournalPath() const { return m_journalPath; }
    // A chosen file was moved back from `from` to `to` (by an undo): the list follows it.
    void FileMoved(const std::wstring& from, const std::wstring& to);
    const std::vector<WriteFailure>& GetFailures() const { return m_failures; }

    // The shell's presentation.
    HICON GetIcon(int size) const;
    std::wstring GetDisplayName(int index) const;
    std::wstring GetTypeName(int index) const;

private:
    static bool ReadRecordFromFile(const std::wstring& path, FileRecord& record);
    class WriteRun;
    enum class PlanResult { write, nothingToChange, failed, outOfHandles };
    // Plans the next group of files from `*next` on: each opened once, its state and
    // identity read, what the write changes of it worked out. Files that fail are told to
    // `run`; files that need no change are let go.
    std::vector<PlannedWrite> PlanGroup(const std::vector<std::wstring>& targets, const ChangePlan& plan,
                                        size_t* next, WriteRun& run, WorkProgress* progress) const;
    PlanResult PlanWrite(const std::wstring& path, const ItemChange& change, const ChangeRequest& request,
                         PlannedWrite* plan, std::wstring* detail, DWORD* error) const;
    // Makes the planned change on the file's handle and closes it.
    bool CarryOut(PlannedWrite& plan, std::wstring* detail) const;
    // Records the move of the first file, then makes it.
    void RenameFirst(WriteRun& run, const std::wstring& newPath);
    void CheckIndex(int index) const;

    FileSet m_files;
    // The paths as chosen, for a choice read again; whether the set holds a walk of them.
    std::vector<std::wstring> m_chosen;
    bool m_walked = false;
    std::vector<WriteFailure> m_failures;
    // A failed move, held until the write that follows it lists it first.
    bool m_renameFailed = false;
    WriteFailure m_renameFailure;
    // The volumes of the folders one write meets, asked once a folder.
    mutable VolumeSerials m_volumes;
    std::wstring m_journalPath;
    std::wstring m_firstPath;
    int m_count = 0;
};

// The absolute form of `path` as a record carries it, spelled as the volume stores names;
// empty when it cannot be resolved.
std::wstring ResolveFullPath(const std::wstring& path);
