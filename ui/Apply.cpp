// Writing the edited state to the chosen files.
#include "KalendrixDlg.h"

#include "../datetime/StampText.h"
#include "../framework/Application.h"
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
            text += std::wstring(first ? L"" : L"、") + kPlanStampNames[stamp] + L" → " +
                    (wouldBe.empty() ? std::wstring(L"1601年より前か30827年より後") : wouldBe);
            first = false;
        }
        text += L"\r\n";
    }
    if (plan.refusedItems.size() > kListedRefusals)
        text += L"…ほか" + std::to_wstring(plan.refusedItems.size() - kListedRefusals) + L"件\r\n";
    return text + L"ファイルは何も変更されていません。";
}

// The files whose plan keeps a stamp for want of a time to take, each with what it keeps.
std::vector<WriteFailure> FilesLeftAlone(const ChangePlan& plan, const std::vector<std::wstring>& paths)
{
    std::vector<WriteFailure> left;
    for (size_t index = 0; index < plan.items.size() && index < paths.size(); ++index) {
        if (plan.items[index].HasGap())
            left.push_back({paths[index], GapsText(plan.items[index], plan.request)});
    }
    return left;
}

// The files whose file system rounded a stamp (FAT), with what they hold.
std::wstring RoundedText(const std::vector<WriteFailure>& rounded)
{
    std::wstring text = L"次のファイルでは、ファイルシステムが日時を丸めて記録しました（元に戻すことはできます）。";
    for (size_t index = 0; index < rounded.size() && index < kListedRefusals; ++index)
        text += L"\r\n" + rounded[index].path + L"：" + rounded[index].detail;
    if (rounded.size() > kListedRefusals)
        text += L"\r\n…ほか" + std::to_wstring(rounded.size() - kListedRefusals) + L"件";
    return text;
}

static_assert(static_cast<int>(kPlanCreation) == kCreationRow && static_cast<int>(kPlanWrite) == kWriteRow &&
                  static_cast<int>(kPlanAccess) == kAccessRow,
              "a plan's stamps are numbered as the rows");

} // namespace

// An apply on the worker. It owns its writer and is handed the plan and the paths, not the
// file set, which the window reads meanwhile. The end takes the writer's report: the first
// file's new name, the failures.
class ApplyJob : public DialogJob {
public:
    ApplyJob(CKalendrixDlg& dialog, std::wstring journalPath) : writer(std::move(journalPath)), m_dialog(dialog) {}
    std::wstring Doing() const override { return L"適用中…"; }
    void Work(WorkProgress& progress) override { report = writer.Write(plan, paths, newPath, &progress); }
    void TakeResult() override { m_close = m_dialog.TakeApplyResult(*this); }
    void End() override { m_dialog.ApplyEnded(*this, m_close); }

    PlanWriter writer;
    ChangePlan plan;
    std::vector<std::wstring> paths;
    std::wstring newPath;
    std::wstring firstPathBefore;
    bool closeAfter = false;
    WriteReport report;

private:
    CKalendrixDlg& m_dialog;
    bool m_close = false;
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
    DialogWindow::OnOK();
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
            std::wstring problem = NewNameProblem(m_names.Name(), m_names.Extension());
            if (problem.empty() && ApiPath(AbsolutePath(newPath)).size() >= kLongestPath)
                problem = L"新しいパスが長すぎます（32767文字まで）。";
            if (!problem.empty())
                throw MessageError(L"新しい名前「" + FileNameOfPath(newPath) + L"」は使えません。" + problem +
                                        L"\r\nファイルは何も変更されていません。");
        }
    }

    ChangeRequest request = ReadRequest(base, false);
    // Only the files the list shows: those the filter hides are left alone.
    const std::vector<size_t> shown = m_fileList.ShownFiles();
    FileSet shownFiles;
    if (shown.size() != m_fileOperate.GetFileSet().Count())
        shownFiles = m_fileOperate.GetFileSet().Subset(shown);
    const FileSet& files = shown.size() != m_fileOperate.GetFileSet().Count() ? shownFiles : m_fileOperate.GetFileSet();
    if (files.Count() == 0)
        return false;
    std::unique_ptr<ApplyJob> job(new ApplyJob(*this, m_fileOperate.GetJournalPath()));
    job->plan = BuildChangePlan(files, request);
    if (!job->plan.refusedItems.empty())
        throw MessageError(RefusalText(files, job->plan));
    job->paths.reserve(files.Count());
    for (size_t index = 0; index < files.Count(); ++index)
        job->paths.push_back(files.Path(index));
    job->firstPathBefore = m_fileOperate.GetFirstPath();
    job->closeAfter = closeAfter;
    job->newPath = newPath;
    StartJob(std::move(job));
    return true;
}

ChangeRequest CKalendrixDlg::ReadRequest(const FileRecord& first, bool leaveOutRefusedRows)
{
    ChangeRequest request;
    m_timeRows.AddToRequest(request, first, leaveOutRefusedRows);
    m_attributes.AddToRequest(request);
    return request;
}

// After a failure or a cancel Apply stays enabled with the edits as they are, so that Apply
// again retries once the other program lets go of the file, or writes the rest; so does an
// edit made during the job, which is still to be written.
bool CKalendrixDlg::TakeApplyResult(ApplyJob& job)
{
    const bool editedDuringJob = m_jobs.EnabledDuringJob(IDC_APPLY);
    const WriteReport& report = job.report;
    if (!report.movedTo.empty()) {
        m_fileOperate.FileMoved(job.firstPathBefore, report.movedTo);
        FirstFileChanged();
        if (m_fileOperate.GetCount() == 1)
            m_names.Renamed(m_fileOperate.GetBaseName(0), m_fileOperate.GetExtension(0));
        ShowFileProperties(m_fileOperate.GetRecord(0));
    }
    ShowWriteFailures(m_hWnd, report.failures, m_fileOperate.GetJournalPath());
    ShowFilesLeftAlone(m_hWnd, FilesLeftAlone(job.plan, job.paths));
    if (!report.rounded.empty())
        MessageBoxW(m_hWnd, RoundedText(report.rounded).c_str(), ApplicationName(), MB_OK | MB_ICONINFORMATION);
    if (!report.journalCleanUp.empty())
        MessageBoxW(m_hWnd, (report.journalCleanUp + L"。").c_str(), ApplicationName(), MB_OK | MB_ICONWARNING);
    const bool complete = report.Complete();
    m_jobs.ComeBackAs(IDC_APPLY, !complete || editedDuringJob);
    return complete && job.closeAfter && !editedDuringJob;
}

void CKalendrixDlg::ApplyEnded(ApplyJob&, bool close)
{
    if (close) {
        DialogWindow::OnOK();
        return;
    }
    // The list shows the files as they now are.
    EndPreview();
    RefreshStates();
}

std::wstring CKalendrixDlg::BuildNewName()
{
    return JoinPath(m_fileOperate.GetFolder(), m_names.Name(), m_names.Extension());
}
