// The main dialog: the chosen files, their times, attributes and name.
#pragma once

#include "../framework/DialogWindow.h"
#include "../model/ChangePlan.h"
#include "../model/FileOperate.h"
#include "../res/resource.h"
#include "AttributeBoxes.h"
#include "ChoiceFilter.h"
#include "DialogControls.h"
#include "DialogLayout.h"
#include "FileListView.h"
#include "NameEdits.h"
#include "TimeRows.h"
#include "JobHost.h"
#include "ReadingJob.h"

#include <shellapi.h>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Posted to itself when a file's unreadable stamps are found before the dialog is shown,
// so that the message comes over the dialog, not before it.
constexpr UINT WM_REPORT_STAMPS = WM_APP + 1;
// Posted to itself after a walk of the chosen folders met folders it could not list, so
// that they are told over the list that shows the rest.
constexpr UINT WM_REPORT_FOLDERS = WM_APP + 2;
// Posted by the worker of a long job: how far it is, and that it has ended.
constexpr UINT WM_JOB_PROGRESS = WM_APP + 0x20;
constexpr UINT WM_JOB_ENDED = WM_APP + 0x21;

// An apply and an undo, each with what it works on (Apply.cpp, Undo.cpp); the undo's
// journal is read by a job of its own first.
class ApplyJob;
class JournalReadingJob;
class UndoJob;
class DateTakenJob;

class OpenFileDialog;

class CKalendrixDlg : public DialogWindow, private PartOwner {
public:
    enum { IDD = IDD_MAIN };

    CKalendrixDlg();
    ~CKalendrixDlg() override;

    // Takes `paths` as the new choice (as a drop, the open dialog or the command line hands
    // them over), reads them and shows them. Up to kFilesReadInPlace items are read at once;
    // more, or a walk of folders, are read as a job, and shown at its end: until then the
    // files shown before stay shown.
    void HandOverFiles(std::vector<std::wstring> paths);
    static constexpr int kFilesReadInPlace = 1000;
    // Reads the choice again as it stands and shows it afresh.
    void UpdateFileView();
    // The files' state was changed (an apply): the list reads it again.
    void RefreshStates();
    // The end of a reading (ReadingJob): the choice read takes the place of the one shown.
    void ReadingEnded(ChoiceReading&& reading, ReadingPurpose purpose);
    void ShowRecord(int index);
    void DrawFileIcon(HDC dc);
    // Where the first file's icon is drawn, and its size, at the dialog's display scale.
    RECT FileIconArea() const;
    // The first file is another one or has moved: its icon is looked up again.
    void FirstFileChanged() { m_fileIconStale = true; }

    // The parts of the dialog.
    TimeRows& GetTimeRows() { return m_timeRows; }
    AttributeBoxes& GetAttributeBoxes() { return m_attributes; }


    // Apply. Checks what the user entered (a refused row or name raises its error before
    // anything changes), then starts the write as a job and returns; false when there was
    // nothing to write. Its end, with the failures told, comes as WM_JOB_ENDED; with
    // `closeAfter`, the dialog closes then if every file took what was asked.
    bool ApplyChanges(const FileRecord& base, bool closeAfter = false);
    // What the rows and boxes ask of every file; raises the error of a refused row, or
    // leaves the row out. `first`: the first file, whose stamp a row that still shows it
    // stands for.
    ChangeRequest ReadRequest(const FileRecord& first, bool leaveOutRefusedRows);
    // The path the one chosen item would take with the name edits' name.
    std::wstring BuildNewName();

    CFileOperate& GetFileOperate() { return m_fileOperate; }
    FileListView& GetFileList() { return m_fileList; }
    // The display scale the dialog is laid out for, in dots per inch.
    UINT GetDpi() const { return m_dpi; }

    // Long work (reading, apply, undo) runs as one job at a time on a worker; see DialogJob.h.
    bool JobRunning() const { return m_jobs.Running(); }
    WorkerThread& GetJob() { return m_jobs.Worker(); }
    // True while a job runs, when nothing else may start (a drop is let go); the caller
    // returns.
    bool RefuseDuringJob(HDROP drop = nullptr);
    // The ends of an apply and an undo (their jobs' TakeResult and End). TakeApplyResult:
    // true when the dialog is to close (OK, and every file took what was asked).
    bool TakeApplyResult(ApplyJob& job);
    void ApplyEnded(ApplyJob& job, bool close);
    void UndoJournalRead(JournalReadingJob& job);
    void UndoEnded(UndoJob& job);
    // The end of a reading of dates taken: they are kept with the file set.
    void DatesTakenRead(DateTakenJob& job);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    // During a job: cancels the job and keeps the dialog open.
    void OnCancel() override;

    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDropFiles(HDROP drop);
    void OnBrowse();
    void OnBrowseFolders();
    void OnSwitchAttribute();
    void OnSwitchCreate();
    void OnSwitchLastChange();
    void OnSwitchLastRead();
    void OnApply();
    void OnOriginalTime();
    void OnCurrentTime();
    void OnClearTime();
    void OnSameAsCreation();
    void OnModeSet();
    void OnModeShift();
    void OnModeSource();
    void OnSourceChosen(UINT id);
    void OnFieldChanged(UINT id);
    void OnFieldLeft(UINT id);
    void OnListClick(NMHDR* header, LRESULT* result);
    void OnListItemChanged(NMHDR* header, LRESULT* result);
    void OnListDisplayInfo(NMHDR* header, LRESULT* result);
    void OnListColumnClick(NMHDR* header, LRESULT* result);
    void OnListInfoTip(NMHDR* header, LRESULT* result);
    // Taking files out of the choice and the list's other commands (ChoiceTrimming.cpp):
    // Delete, Ctrl+A, Ctrl+C, and the context menu on the selected rows.
    void OnListKeyDown(NMHDR* header, LRESULT* result);
    void OnContextMenu(WPARAM window, LPARAM where);
    void OnRemoveFromChoice();
    void OnOpenFolder();
    void OnCopyPath();
    // The filter box (ShownChoice.cpp).
    void OnFilterChanged();
    // The window sized by the user (WindowSize.cpp).
    void OnSize(WPARAM type, LPARAM);
    void OnGetMinMaxInfo(WPARAM, LPARAM info);
    void OnReportStamps(WPARAM index, LPARAM);
    // Folders (FolderContents.cpp): the box ticked or cleared reads the choice again.
    void OnFolderContents();
    void OnReportFolders(WPARAM, LPARAM);
    void OnInitMenuPopup(WPARAM, LPARAM);
    // The window moved to a monitor of another scale, or the scale changed: the dialog
    // takes the rectangle the system proposes, its controls and fonts follow.
    void OnDpiChanged(WPARAM dpis, LPARAM proposedRect);
    // Puts back what the last apply changed, from its journal.
    void OnUndoLastChange();
    // The system menu's undo entry is greyed while there is no journal to undo.
    void UpdateUndoEntry();
    void OnJobProgress(WPARAM, LPARAM);
    void OnJobEnded(WPARAM, LPARAM);
    void OnTimer(WPARAM id, LPARAM);
    void OnDestroy(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    // What the parts ask of the dialog and tell it.
    FileRecord FirstFileRecord() const override;
    FileRecord ShownFileRecord() const override;
    int FileCount() const override;
    void PartEdited(bool enableApply, const FileRecord* first) override;
    // The list shows what Apply would change, beside what each file holds now; after an
    // apply or an undo, the files as they are.
    void UpdatePreview();
    // The same, with the first file's record the caller has just read.
    void UpdatePreview(const FileRecord& first);
    bool PreviewPossible() const;
    void EndPreview();
    void ReportUnreadableStamps(int index, const FileRecord& record);
    void ShowFileProperties(const FileRecord& record);
    // The view of the chosen files, from the state read last.
    void ShowChosenFiles();
    // Reads at once, or starts a ReadingJob; `drop` gives the names where `reading` has none.
    void StartReading(ChoiceReading reading, ReadingPurpose purpose, DropData drop = DropData());
    void HandOverChosen(OpenFileDialog& dialog);
    // Folders: the box as stored, and the folders a walk could not list.
    void RestoreFolderContents();
    void ReportUnreadableFolders();
    void ShowAttributes(const FileRecord& record, bool fresh);
    // The list shows the files the filter leaves; the counts line follows.
    void ShowFilteredFiles();
    void UpdateCounts();
    // The window's place and size, as the user left it, per user.
    void RestorePlacement();
    void SavePlacement();

    void StartJob(std::unique_ptr<DialogJob> job);
    // "ファイルから" takes the dates taken: the files whose date is not read yet are read by
    // a job (not during another).
    void ReadDatesTakenIfNeeded();

    // The program's icons at the display scale, for the caption and the task bar.
    void LoadScaledIcons();
    void ScaleControls(UINT from, UINT to);

    HICON m_hIcon = nullptr;
    HICON m_smallIcon = nullptr;
    UINT m_dpi = 96;
    // The dialog's font made again for a scale the dialog changed to; null while the
    // template's font, which the dialog manager owns, is in use.
    HFONT m_scaledFont = nullptr;
    CFileOperate m_fileOperate;
    FileListView m_fileList;
    // A reading job runs: the states shown are not yet those an apply would start from.
    bool m_readingRuns = false;
    // The same for a reading of dates taken, which the preview of "ファイルから" waits for.
    bool m_datesTakenRun = false;
    // A walk of the choice was read, whose unlistable folders are still to be told.
    bool m_walkToReport = false;
    // True while the chosen files are shown afresh: the change notifications of the name
    // edits' writes need no check.
    bool m_refreshing = false;
    // The shell's icon of the first file, looked up at the first paint after that file
    // changed, not at every paint.
    HICON m_fileIcon = nullptr;
    bool m_fileIconStale = true;
    TimeRows m_timeRows;
    AttributeBoxes m_attributes;
    NameEdits m_names;
    ChoiceFilter m_filter;
    DialogLayout m_layout;
    // The file whose record the rows show, so that a file's unreadable stamps are told
    // once when it is picked, not at every notification of the list.
    int m_shownIndex = -1;
    // Last, so that it is destroyed first: a job still running is cancelled and waited for
    // before the dialog's parts go.
    JobHost m_jobs{WM_JOB_PROGRESS, WM_JOB_ENDED};
};
