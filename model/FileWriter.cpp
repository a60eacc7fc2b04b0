// Writing a record's times and attribute byte to the chosen files, and the first file's new
// name. A write reads as its steps: plan a group (open each file once, read what it holds
// and which file it is), record the group in the journal, carry the group out on the same
// handles.
#include "FileOperate.h"

#include "JournalWriter.h"
#include "ChangePlan.h"
#include "FileStateAccess.h"
#include "NameParts.h"
#include "PathForms.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// Files held open at once between the reading of their state and their change: the journal
// of each group is written in one piece before any file of the group changes. Holding more
// would cost handles (Wine keeps a Linux descriptor for each); fewer, more journal flushes.
const size_t kFilesPerJournalWrite = 512;
const LONGLONG kTicksPerSecond = 10000000LL;

// True when `stamp` already holds the second `value`: writing it would only drop the
// stamp's fraction of a second.
bool HoldsSecond(LONGLONG stamp, TimeValue value)
{
    TimeValue held = 0;
    return FileTimeToTimeValue(AsFileTime(stamp), &held) == StampConversion::converted && held == value;
}

// What a file of the write is told with when it fails; failures are told in the order of
// the files, the rename and the journal first.
struct OrderedFailure {
    long long order;
    WriteFailure failure;
};
constexpr long long kRenameOrder = -2;
constexpr long long kJournalOrder = -1;

} // namespace

// One file of a write, between the reading of its state and its change.
struct PlannedWrite {
    std::wstring path; // as chosen
    size_t index = 0;  // among the chosen files, for the order of the failures
    FileForChange file;
    FileState stamps; // the stamps to set; zero: left as it is
    DWORD wanted = 0; // the attribute word it gets
    bool attributesDiffer = false;

    // What the journal keeps of it: who it is, where, and its state before and after.
    JournalEntry Entry() const
    {
        JournalEntry entry;
        entry.path = file.finalPath.empty() ? path : DisplayPath(file.finalPath);
        entry.identity = file.identity;
        entry.before = file.held;
        entry.after = entry.before;
        const struct {
            LONGLONG set;
            LONGLONG& after;
            unsigned part;
        } parts[] = {
            {stamps.creation, entry.after.creation, kCreationPart},
            {stamps.write, entry.after.write, kWritePart},
            {stamps.access, entry.after.access, kAccessPart},
        };
        for (const auto& part : parts) {
            if (part.set != 0) {
                part.after = part.set;
                entry.changes |= part.part;
            }
        }
        if (attributesDiffer) {
            entry.after.attributes = wanted;
            entry.changes |= kAttributePart;
        }
        return entry;
    }
};

// One run of WritePlan: its journal, whether anything changed, and its failures.
class CFileOperate::WriteRun {
public:
    explicit WriteRun(const std::wstring& journalPath)
    {
        if (!journalPath.empty())
            m_journal.reset(new ChangeJournalWriter(journalPath));
    }

    // Records a group before it changes; false (told once) when it cannot be recorded.
    bool Record(const std::vector<JournalEntry>& entries, size_t filesNotChanged)
    {
        if (!m_journal)
            return true;
        DWORD error = ERROR_SUCCESS;
        if (m_journal->AppendGroup(entries, &error))
            return true;
        std::wstring detail;
        Fail(&detail, L"変更を元に戻すための記録を書けませんでした", error);
        detail += L"。このため " + std::to_wstring(filesNotChanged) + L" 個のファイルを変更していません";
        Failed(kJournalOrder, m_journal->Path(), detail);
        return false;
    }
    void Failed(long long order, const std::wstring& path, const std::wstring& detail)
    {
        m_failed.push_back({order, {path, detail}});
    }
    void Changed() { m_changed = true; }

    // The journal keeps this write only where it changed something; the failures in order.
    std::vector<WriteFailure> Finish()
    {
        if (m_journal)
            m_journal->Finish(m_changed);
        std::stable_sort(m_failed.begin(), m_failed.end(),
                         [](const OrderedFailure& a, const OrderedFailure& b) { return a.order < b.order; });
        std::vector<WriteFailure> failures;
        failures.reserve(m_failed.size());
        for (OrderedFailure& failed : m_failed)
            failures.push_back(std::move(failed.failure));
        return failures;
    }

private:
    std::unique_ptr<ChangeJournalWriter> m_journal;
    std::vector<OrderedFailure> m_failed;
    bool m_changed = false;
};

BOOL CFileOperate::WriteRecord(FileRecord record, bool writeAttributes, const std::wstring& newPath,
                               WorkProgress* progress)
{
    ChangeRequest request;
    const TimeValue values[kPlanStampCount] = {record.createTime, record.writeTime, record.accessTime};
    const StampBit bits[kPlanStampCount] = {kCreationStamp, kWriteStamp, kAccessStamp};
    for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
        request.stamps[stamp] = record.stampsToWrite != 0 ? (record.stampsToWrite & bits[stamp]) != 0 : values[stamp] != 0;
        request.values[stamp] = values[stamp];
    }
    request.attributes = writeAttributes;
    request.boxes = record.attribute;
    std::vector<std::wstring> paths;
    for (size_t index = 0; index < m_files.Count(); ++index)
        paths.push_back(m_files.Path(index));
    return WritePlan(BuildChangePlan(m_files, request), paths, newPath, progress);
}

BOOL CFileOperate::WritePlan(const ChangePlan& plan, std::vector<std::wstring> targets, const std::wstring& newPath,
                             WorkProgress* progress)
{
    m_failures.clear();
    m_volumes = VolumeSerials();
    WriteRun run(m_journalPath);
    if (!newPath.empty() && newPath != m_firstPath)
        RenameFirst(run, newPath);
    else if (m_renameFailed)
        run.Failed(kRenameOrder, m_renameFailure.path, m_renameFailure.detail);
    m_renameFailed = false;
    // The one chosen file is written under the name it has now, moved or not.
    if (m_count <= 1 && targets.size() == 1)
        targets[0] = m_firstPath;

    BeginWork(progress, targets.size());
    for (size_t next = 0; next < targets.size() && !CancelRequested(progress);) {
        std::vector<PlannedWrite> group = PlanGroup(targets, plan, &next, run, progress);
        // Cancelled while planning: the files held are let go unchanged and unrecorded.
        if (group.empty() || CancelRequested(progress))
            continue;
        std::vector<JournalEntry> entries;
        entries.reserve(group.size());
        for (const PlannedWrite& planned : group)
            entries.push_back(planned.Entry());
        if (!run.Record(entries, group.size() + (targets.size() - next)))
            break; // nothing of this group or after it is changed
        for (PlannedWrite& planned : group) {
            // The rest of the group is recorded but unchanged: an undo finds each file as
            // it was before and leaves it.
            if (CancelRequested(progress))
                break;
            std::wstring detail;
            if (CarryOut(planned, &detail))
                run.Changed();
            else
                run.Failed(static_cast<long long>(planned.index), planned.path, detail);
            ItemDone(progress);
        }
    }
    m_failures = run.Finish();
    return m_failures.empty() ? TRUE : FALSE;
}

std::vector<PlannedWrite> CFileOperate::PlanGroup(const std::vector<std::wstring>& targets, const ChangePlan& plan,
                                                  size_t* next, WriteRun& run, WorkProgress* progress) const
{
    std::vector<PlannedWrite> group;
    while (*next < targets.size() && group.size() < kFilesPerJournalWrite && !CancelRequested(progress)) {
        PlannedWrite planned;
        std::wstring detail;
        DWORD error = ERROR_SUCCESS;
        const PlanResult result = PlanWrite(targets[*next], plan.items[*next], plan.request, &planned, &detail, &error);
        // Out of handles: the files held are changed first, and this one is opened again.
        if (result == PlanResult::outOfHandles && !group.empty())
            break;
        if (result == PlanResult::write) {
            planned.index = *next;
            group.push_back(std::move(planned));
        }
        else if (result != PlanResult::nothingToChange)
            run.Failed(static_cast<long long>(*next), targets[*next], detail);
        if (result != PlanResult::write)
            ItemDone(progress); // settled here: failed, or nothing to change
        ++*next;
    }
    return group;
}

CFileOperate::PlanResult CFileOperate::PlanWrite(const std::wstring& path, const ItemChange& change,
                                                 const ChangeRequest& request, PlannedWrite* plan,
                                                 std::wstring* detail, DWORD* error) const
{
    plan->path = path;
    if (change.leftAsLink) {
        if (request.attributes || std::any_of(std::begin(request.stamps), std::end(request.stamps),
                                              [](bool stamp) { return stamp; })) {
            *detail = L"フォルダの中のリンクです（リンク先はフォルダの外にあることがあるため変更しません）";
            return PlanResult::failed;
        }
        return PlanResult::nothingToChange;
    }
    if (!OpenForChange(ApiPath(path), &plan->file, error, &m_volumes)) {
        *detail = ReasonText(*error);
        return *error == ERROR_TOO_MANY_OPEN_FILES || *error == ERROR_NO_SYSTEM_RESOURCES ? PlanResult::outOfHandles
                                                                                          : PlanResult::failed;
    }
    const DWORD current = plan->file.held.attributes;
    if (change.refused != 0) {
        *detail = L"日時がファイルに記録できる範囲の外です";
        return PlanResult::failed;
    }
    plan->wanted = MergedAttributes(current, request.boxes);
    plan->attributesDiffer = request.attributes && (current & kBoxFlags) != (request.boxes & kBoxFlags);
    // A read-only file whose flag stays set is never changed. A folder's read-only flag
    // guards nothing of the folder itself (Explorer reads it as "customized").
    const bool staysReadOnly = (current & FILE_ATTRIBUTE_READONLY) && !(current & FILE_ATTRIBUTE_DIRECTORY) &&
                               !(plan->attributesDiffer && !(plan->wanted & FILE_ATTRIBUTE_READONLY));
    if (staysReadOnly) {
        *detail = L"読み取り専用です（属性の「読み取り専用」を外すと変更できます）";
        return PlanResult::failed;
    }

    // The plan's stamps that differ from what the file holds now; a whole second that the
    // file already holds is not written again (its fraction would be lost).
    bool timesDiffer = false;
    for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
        const LONGLONG target = StampOfState(change.target, stamp);
        const LONGLONG held = StampOfState(plan->file.held, stamp);
        if (target == 0 || held == target)
            continue;
        TimeValue second = 0;
        const bool wholeSecond = target % kTicksPerSecond == 0 &&
                                 FileTimeToTimeValue(AsFileTime(target), &second) == StampConversion::converted;
        if (wholeSecond && HoldsSecond(held, second))
            continue;
        StampOfState(plan->stamps, stamp) = target;
        timesDiffer = true;
    }
    return timesDiffer || plan->attributesDiffer ? PlanResult::write : PlanResult::nothingToChange;
}

bool CFileOperate::CarryOut(PlannedWrite& plan, std::wstring* detail) const
{
    DWORD error = ERROR_SUCCESS;
    const DWORD heldAttributes = plan.file.held.attributes;
    const bool reopened = plan.file.shutByReadOnly;
    if (reopened && !ReopenClearingReadOnly(ApiPath(plan.path), &plan.file, &error, &m_volumes))
        return Fail(detail, L"属性を変更できませんでした", error);
    FailedStep failedStep = FailedStep::none;
    if (!SetFileState(plan.file, plan.stamps, plan.attributesDiffer, plan.wanted, &error, &failedStep)) {
        plan.file.handle.Close();
        if (reopened)
            SetAttributesByPath(ApiPath(plan.path), heldAttributes); // left with the flags it had
        return Fail(detail, failedStep == FailedStep::stamps ? L"日時を変更できませんでした" : L"属性を変更できませんでした",
                    error);
    }
    if (!plan.file.handle.Close())
        return Fail(detail, L"日時を変更したファイルを閉じられませんでした", GetLastError());
    return true;
}

void CFileOperate::RenameFirst(WriteRun& run, const std::wstring& newPath)
{
    // The move is recorded before it is made, with the identity of the file it moves, so
    // that an undo moves back only this file.
    JournalEntry entry;
    entry.path = m_firstPath;
    entry.newPath = newPath;
    FileForChange file;
    DWORD error = ERROR_SUCCESS;
    if (OpenForChange(ApiPath(m_firstPath), &file, &error)) {
        entry.identity = file.identity;
        entry.before = file.held;
        entry.after = entry.before;
    } else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        std::wstring detail;
        Fail(&detail, (L"名前を「" + FileNameOfPath(newPath) + L"」に変更できませんでした").c_str(), error);
        run.Failed(kRenameOrder, m_firstPath, detail);
        return;
    }
    // The file is let go before the move, which needs it unopened.
    file.handle.Close();
    if (!run.Record({entry}, 1))
        return;
    if (Rename(newPath))
        run.Changed();
    else
        run.Failed(kRenameOrder, m_renameFailure.path, m_renameFailure.detail);
    m_renameFailed = false;
}

bool CFileOperate::Rename(std::wstring newPath)
{
    m_renameFailed = false;
    if (newPath == m_firstPath)
        return true;
    // Never replaces a file that has the new name; a change of case alone is a rename too.
    if (!MoveFileExW(ApiPath(m_firstPath).c_str(), ApiPath(newPath).c_str(), 0)) {
        const DWORD error = GetLastError();
        m_renameFailed = true;
        m_renameFailure.path = m_firstPath;
        Fail(&m_renameFailure.detail,
             (L"名前を「" + FileNameOfPath(newPath) + L"」に変更できませんでした").c_str(), error);
        return false;
    }
    // Everything that reads the first file follows it to its new name (a job's writer has
    // no file set: TakeWriteResult passes the name on).
    if (m_count == 1 && m_files.Count() == 1)
        m_files.SetPath(0, newPath);
    if (m_count == 1 && m_chosen.size() == 1)
        m_chosen[0] = newPath;
    m_firstPath = newPath;
    return true;
}

void CFileOperate::FileMoved(const std::wstring& from, const std::wstring& to)
{
    for (size_t index = 0; index < m_files.Count(); ++index) {
        if (_wcsicmp(m_files.Path(index).c_str(), from.c_str()) == 0)
            m_files.SetPath(index, to);
    }
    for (std::wstring& chosen : m_chosen) {
        if (_wcsicmp(chosen.c_str(), from.c_str()) == 0)
            chosen = to;
    }
    if (_wcsicmp(m_firstPath.c_str(), from.c_str()) == 0)
        m_firstPath = to;
}

CFileOperate CFileOperate::WriterForJob() const
{
    CFileOperate writer;
    writer.m_renameFailed = m_renameFailed;
    writer.m_renameFailure = m_renameFailure;
    writer.m_journalPath = m_journalPath;
    writer.m_firstPath = m_firstPath;
    writer.m_count = m_count;
    return writer;
}

void CFileOperate::TakeWriteResult(const CFileOperate& writer)
{
    if (writer.m_firstPath != m_firstPath) {
        if (m_count == 1)
            m_files.SetPath(0, writer.m_firstPath);
        m_firstPath = writer.m_firstPath;
    }
    m_renameFailed = writer.m_renameFailed;
    m_renameFailure = writer.m_renameFailure;
    m_failures = writer.m_failures;
}
