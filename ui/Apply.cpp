// Writing the edited state to the chosen files.
#include "KalendrixDlg.h"

#include "../framework/Exceptions.h"
#include "../model/NameParts.h"
#include "../model/NewNameRules.h"
#include "../model/PathForms.h"

#include <cwchar>

namespace {

// The longest path the file calls take, in the extended form.
constexpr size_t kLongestPath = 32767;

static_assert(static_cast<int>(kPlanCreation) == kCreationRow && static_cast<int>(kPlanWrite) == kWriteRow &&
                  static_cast<int>(kPlanAccess) == kAccessRow,
              "a plan's stamps are numbered as the rows");

} // namespace

// An apply on the worker. Its writer has the journal and the first file but not the file
// set, which the window reads meanwhile: the job is handed the plan and the paths. The end
// takes back what the write changed (a new first name, the failures).
struct ApplyJob {
    CFileOperate writer;
    ChangePlan plan;
    std::vector<std::wstring> paths;
    std::wstring firstPathBefore;
    bool closeAfter = false;
    bool cancelled = false;
};

void CKalendrixDlg::OnApply()
{
    if (RefuseDuringJob())
        return;
    ApplyChanges(m_fileOperate.GetRecord(0));
}

void CKalendrixDlg::OnOK()
{
    if (RefuseDuringJob() || m_fileOperate.GetCount() <= 0)
        return;
    // Apply is enabled exactly when the user changed something: a plain OK writes nothing.
    // A refusal keeps the dialog open; so does a failure or a cancel, told at the job's end.
    if (IsWindowEnabled(GetDlgItem(IDC_APPLY)) && ApplyChanges(m_fileOperate.GetRecord(0), true))
        return;
    CDialog::OnOK();
}

bool CKalendrixDlg::ApplyChanges(const FileRecord& base, bool closeAfter)
{
    if (m_fileOperate.GetCount() < 1)
        return false;

    // Everything the user entered is checked before anything changes: a refused row or
    // name raises its error here, before the rename and before any file is written.
    std::wstring newPath;
    if (m_fileOperate.GetCount() == 1) {
        newPath = BuildNewName();
        // Compared exactly: a new name that changes only the case is a rename too.
        if (newPath == m_fileOperate.GetFirstPath()) {
            newPath.clear();
        } else {
            std::wstring problem = NewNameProblem(GetDlgItemText(IDC_NAME), GetDlgItemText(IDC_EXTENSION));
            if (problem.empty() && ApiPath(AbsolutePath(newPath)).size() >= kLongestPath)
                problem = L"新しいパスが長すぎます（32767文字まで）。";
            if (!problem.empty())
                throw CMessageException(L"新しい名前「" + FileNameOfPath(newPath) + L"」は使えません。" + problem +
                                        L"\r\nファイルは何も変更されていません。");
        }
    }

    ChangeRequest request = ReadRequest(base);
    const FileSet& files = m_fileOperate.GetFileSet();
    std::shared_ptr<ApplyJob> job = std::make_shared<ApplyJob>();
    job->plan = BuildChangePlan(files, request);
    job->paths.reserve(files.Count());
    for (size_t index = 0; index < files.Count(); ++index)
        job->paths.push_back(files.Path(index));
    job->writer = m_fileOperate.WriterForJob();
    job->firstPathBefore = m_fileOperate.GetFirstPath();
    job->closeAfter = closeAfter;
    StartJob(L"適用中…", [job, newPath](WorkProgress& progress) {
        job->writer.WritePlan(job->plan, job->paths, newPath, &progress);
        // Asked to stop after the last file, it wrote them all.
        job->cancelled = progress.CancelRequested() && progress.Done() < progress.Total();
    });
    m_applyJob = job;
    return true;
}

ChangeRequest CKalendrixDlg::ReadRequest(const FileRecord& first)
{
    ChangeRequest request;
    // Only the rows the user acted on since the files were shown are written, each with
    // what it shows now.
    for (int index = 0; index < kTimeRowCount; ++index) {
        const TimeRow row = static_cast<TimeRow>(index);
        if (IsDlgButtonChecked(kTimeRows[row].switchId) != BST_CHECKED || !m_touched[row])
            continue;
        // A row that still shows the first file's stamp stands for that stamp, not for
        // what its local fields would build (the repeated hour of autumn builds another
        // second).
        if (!(RowShowsStamp(row, first) && StoredStampOf(row, first, &request.values[row])))
            request.values[row] = ReadTimeRow(row);
        request.stamps[row] = true;
    }

    // Once the user ticked the attribute group or clicked a box, every file gets the
    // boxes' flags, whatever the first file holds; otherwise no file's flags change.
    request.attributes = IsDlgButtonChecked(IDC_SWITCH_ATTRIBUTE) == BST_CHECKED && m_touched[kAttributeSwitch];
    if (request.attributes)
        request.boxes = GetAttributeBits();
    return request;
}

// After a failure or a cancel Apply stays enabled with the edits as they are, so that Apply
// again retries once the other program lets go of the file, or writes the rest.
bool CKalendrixDlg::ApplyEnded(ApplyJob& job, bool editedDuringJob)
{
    m_fileOperate.TakeWriteResult(job.writer);
    if (m_fileOperate.GetFirstPath() != job.firstPathBefore) {
        FirstFileChanged();
        ShowFileProperties(m_fileOperate.GetRecord(0));
    }
    m_fileOperate.ReportFailures();
    const bool complete = m_fileOperate.GetFailures().empty() && !job.cancelled;
    // Apply comes back with the other controls, enabled where the edits are still to write.
    EnableDlgItem(IDC_APPLY, false);
    for (auto& control : m_enabledBeforeJob) {
        if (control.first == IDC_APPLY)
            control.second = !complete || editedDuringJob;
    }
    return complete && job.closeAfter && !editedDuringJob;
}

std::wstring CKalendrixDlg::BuildNewName()
{
    std::wstring name = GetDlgItemText(IDC_NAME);
    std::wstring extension = GetDlgItemText(IDC_EXTENSION);
    return JoinPath(m_fileOperate.GetFolder(), name, extension);
}

BYTE CKalendrixDlg::GetAttributeBits()
{
    BYTE bits = 0;
    for (const AttributeBox& box : kAttributeBoxes) {
        if (IsDlgButtonChecked(box.id) != BST_UNCHECKED)
            bits |= box.bit;
    }
    return bits;
}
