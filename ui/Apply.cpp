// Writing the edited state to the chosen files.
#include "KalendrixDlg.h"

#include "../datetime/StampText.h"
#include "../framework/Exceptions.h"
#include "../model/NameParts.h"
#include "../model/NewNameRules.h"
#include "../model/PathForms.h"
#include "../model/PlanWriter.h"
#include "FailureReport.h"

#include <cwchar>

namespace {

// The longest path the file calls take, in the extended form.
constexpr size_t kLongestPath = 32767;
// A box taller than the screen hides its OK button.
constexpr size_t kListedRefusals = 30;

// The files whose stamps an apply would move out of what a stamp holds, and where to.
std::wstring RefusalText(const FileSet& files, const ChangePlan& plan)
{
    const wchar_t* const names[kPlanStampCount] = {L"作成日時", L"更新日時", L"アクセス日時"};
    std::wstring text = L"次のファイルの日時は、ファイルに記録できる範囲（1970年1月1日 0時 UTC から 3000年12月31日まで）"
                        L"の外になります。\r\n";
    size_t listed = 0;
    for (size_t index : plan.refusedItems) {
        if (listed++ == kListedRefusals)
            break;
        const ItemChange& change = plan.items[index];
        text += files.Path(index) + L"：";
        bool first = true;
        for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
            if (!(change.refused & PartOfStamp(stamp)))
                continue;
            const std::wstring wouldBe = change.wouldBe[stamp] >= 0 ? LocalStampText(change.wouldBe[stamp]) : L"";
            text += std::wstring(first ? L"" : L"、") + names[stamp] + L" → " +
                    (wouldBe.empty() ? std::wstring(L"1601年より前か30827年より後") : wouldBe);
            first = false;
        }
        text += L"\r\n";
    }
    if (plan.refusedItems.size() > kListedRefusals)
        text += L"…ほか" + std::to_wstring(plan.refusedItems.size() - kListedRefusals) + L"件\r\n";
    return text + L"ファイルは何も変更されていません。";
}

static_assert(static_cast<int>(kPlanCreation) == kCreationRow && static_cast<int>(kPlanWrite) == kWriteRow &&
                  static_cast<int>(kPlanAccess) == kAccessRow,
              "a plan's stamps are numbered as the rows");

} // namespace

// An apply on the worker. It owns its writer and is handed the plan and the paths, not the
// file set, which the window reads meanwhile. The end takes the writer's report: the first
// file's new name, the failures.
struct ApplyJob {
    explicit ApplyJob(std::wstring journalPath) : writer(std::move(journalPath)) {}

    PlanWriter writer;
    ChangePlan plan;
    std::vector<std::wstring> paths;
    std::wstring firstPathBefore;
    bool closeAfter = false;
    WriteReport report;
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

    ChangeRequest request = ReadRequest(base, false);
    const FileSet& files = m_fileOperate.GetFileSet();
    std::shared_ptr<ApplyJob> job = std::make_shared<ApplyJob>(m_fileOperate.GetJournalPath());
    job->plan = BuildChangePlan(files, request);
    if (!job->plan.refusedItems.empty())
        throw CMessageException(RefusalText(files, job->plan));
    job->paths.reserve(files.Count());
    for (size_t index = 0; index < files.Count(); ++index)
        job->paths.push_back(files.Path(index));
    job->firstPathBefore = m_fileOperate.GetFirstPath();
    job->closeAfter = closeAfter;
    StartJob(L"適用中…", [job, newPath](WorkProgress& progress) {
        job->report = job->writer.Write(job->plan, job->paths, newPath, &progress);
    });
    m_applyJob = job;
    return true;
}

ChangeRequest CKalendrixDlg::ReadRequest(const FileRecord& first, bool leaveOutRefusedRows)
{
    ChangeRequest request;
    request.mode = m_mode;
    // Only the rows the user acted on since the files were shown are written, each with
    // what it shows now.
    for (int index = 0; index < kTimeRowCount; ++index) {
        const TimeRow row = static_cast<TimeRow>(index);
        if (IsDlgButtonChecked(kTimeRows[row].switchId) != BST_CHECKED || !m_touched[row])
            continue;
        if (m_mode == ChangeMode::shift) {
            request.offsets[row] = ReadOffsetRow(row);
            request.stamps[row] = true;
            continue;
        }
        // A row that still shows the first file's stamp stands for that stamp, not for
        // what its local fields would build (the repeated hour of autumn builds another
        // second).
        try {
            if (!(RowShowsStamp(row, first) && StoredStampOf(row, first, &request.values[row])))
                request.values[row] = ReadTimeRow(row);
        } catch (const CMessageException&) {
            if (!leaveOutRefusedRows)
                throw;
            continue;
        }
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
    const WriteReport& report = job.report;
    if (!report.movedTo.empty()) {
        m_fileOperate.FileMoved(job.firstPathBefore, report.movedTo);
        FirstFileChanged();
        ShowFileProperties(m_fileOperate.GetRecord(0));
    }
    ShowWriteFailures(m_hWnd, report.failures, m_fileOperate.GetJournalPath());
    const bool complete = report.Complete();
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
