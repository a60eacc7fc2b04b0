#include "PlanWriter.h"

#include "../datetime/StampText.h"
#include "FileStateAccess.h"
#include "JournalWriter.h"
#include "NameParts.h"
#include "PathForms.h"
#include "VolumeSerials.h"

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
// the files, the move and the journal first.
struct OrderedFailure {
    long long order;
    WriteFailure failure;
};
constexpr long long kMoveOrder = -2;
constexpr long long kJournalOrder = -1;

// True when a file holds every stamp a shift of it was worked out from.
bool HoldsShiftedStamps(const FileState& held, const ItemChange& change)
{
    for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
        if (change.shiftedFrom[stamp] != 0 && StampOfState(held, stamp) != change.shiftedFrom[stamp])
            return false;
    }
    return true;
}

const wchar_t* const kChangedSinceRead = L"読み込んだ後に変更されています";

// One file of a write, between the reading of its state and its change.
struct PlannedWrite {
    std::wstring path; // as chosen
    size_t index = 0;  // among the chosen files, for the order of the failures
    const ItemChange* change = nullptr;
    FileForChange file;
    FileState stamps; // the stamps to set; zero: left as it is
    DWORD wanted = 0; // the attribute word it gets
    bool attributesDiffer = false;
    FileState heldAfter;  // what it holds once changed
    unsigned kept = 0;    // the stamps (JournalPart bits) it holds otherwise than asked

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

    // The entry once changed: the stamps as the file holds them.
    JournalEntry EntryAsHeld() const
    {
        JournalEntry entry = Entry();
        for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
            if (kept & PartOfStamp(stamp))
                StampOfState(entry.after, stamp) = StampOfState(heldAfter, stamp);
        }
        return entry;
    }
};

// A stamp a file system keeps otherwise than asked, but within its steps (FAT: creation
// and last write within 2 s, the last access within the local day), was rounded: the user
// is told what it holds. One further off (Wine keeps no creation stamp of its own) is only
// journaled as held.
constexpr LONGLONG kRoundedWithin[kPlanStampCount] = {2 * kTicksPerSecond, 2 * kTicksPerSecond,
                                                      25 * 3600 * kTicksPerSecond};

std::wstring StampWithFraction(LONGLONG stamp)
{
    const LONGLONG fraction = stamp % kTicksPerSecond;
    if (fraction == 0)
        return LocalStampText(stamp);
    std::wstring digits = std::to_wstring(kTicksPerSecond + fraction).substr(1);
    digits.erase(digits.find_last_not_of(L'0') + 1);
    return LocalStampText(stamp) + L"." + digits;
}

std::wstring RoundedText(const PlannedWrite& planned)
{
    const wchar_t* const names[kPlanStampCount] = {L"作成日時", L"更新日時", L"アクセス日時"};
    std::wstring text;
    for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
        const LONGLONG asked = StampOfState(planned.stamps, stamp);
        const LONGLONG held = StampOfState(planned.heldAfter, stamp);
        if (!(planned.kept & PartOfStamp(stamp)) || (held > asked ? held - asked : asked - held) >= kRoundedWithin[stamp])
            continue;
        text += std::wstring(text.empty() ? L"" : L"、") + names[stamp] + L" " + StampWithFraction(asked) + L" は " +
                StampWithFraction(held) + L" として記録されました";
    }
    return text;
}

// One run of a write: its journal, the volumes it meets, the files it settled, whether
// anything changed, and its failures.
class WriteRun {
public:
    WriteRun(const std::wstring& journalPath, WorkProgress* progress) : m_progress(progress)
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
    // The files of a group carried out that hold a stamp otherwise than asked: journaled as
    // they hold it (after the group, which named what was asked), and told where rounded.
    void RecordAsHeld(const std::vector<PlannedWrite>& group)
    {
        std::vector<JournalEntry> held;
        for (const PlannedWrite& planned : group) {
            if (planned.kept == 0)
                continue;
            held.push_back(planned.EntryAsHeld());
            const std::wstring rounded = RoundedText(planned);
            if (!rounded.empty())
                m_rounded.push_back({static_cast<long long>(planned.index), {planned.path, rounded}});
        }
        DWORD error = ERROR_SUCCESS;
        if (held.empty() || !m_journal || m_journal->AppendGroup(held, &error))
            return;
        std::wstring detail;
        Fail(&detail, L"ファイルが記録した日時を、元に戻すための記録に書けませんでした", error);
        Failed(kJournalOrder, m_journal->Path(), detail);
    }
    // A file is done with: changed, failed, or with nothing to change.
    void Settled()
    {
        ++m_settled;
        ItemDone(m_progress);
    }
    bool CancelRequested() const { return ::CancelRequested(m_progress); }
    VolumeSerials& Volumes() { return m_volumes; }

    // The journal keeps this write only where it changed something; the failures in order.
    void Finish(size_t files, WriteReport* report)
    {
        if (m_journal) {
            m_journal->Finish(m_changed);
            report->journalCleanUp = m_journal->CleanUpProblem();
        }
        std::stable_sort(m_failed.begin(), m_failed.end(),
                         [](const OrderedFailure& a, const OrderedFailure& b) { return a.order < b.order; });
        report->failures.reserve(m_failed.size());
        for (OrderedFailure& failed : m_failed)
            report->failures.push_back(std::move(failed.failure));
        std::stable_sort(m_rounded.begin(), m_rounded.end(),
                         [](const OrderedFailure& a, const OrderedFailure& b) { return a.order < b.order; });
        for (OrderedFailure& rounded : m_rounded)
            report->rounded.push_back(std::move(rounded.failure));
        // Asked to stop after the last file, it wrote them all.
        report->cancelled = CancelRequested() && m_settled < files;
    }

private:
    WorkProgress* m_progress;
    std::unique_ptr<ChangeJournalWriter> m_journal;
    VolumeSerials m_volumes;
    std::vector<OrderedFailure> m_failed;
    std::vector<OrderedFailure> m_rounded;
    size_t m_settled = 0;
    bool m_changed = false;
};

// Why the plan leaves an item whole, as the apply names it.
std::wstring WhyLeft(const ItemChange& change)
{
    if (change.left == ItemLeft::linkInWalk)
        return L"フォルダの中のリンクです（リンク先はフォルダの外にあることがあるため変更しません）";
    if (change.readError == ERROR_CANCELLED)
        return L"読み込みを中止したため、読み込んでいません";
    return ReasonText(change.readError);
}

enum class PlanResult { write, nothingToChange, failed, outOfHandles };

// Opens the file once, reads its state and identity, and works out what the write changes
// of it; the reason in `detail` when it fails.
PlanResult PlanWrite(const std::wstring& path, const ItemChange& change, const ChangeRequest& request,
                     VolumeSerials& volumes, PlannedWrite* plan, std::wstring* detail)
{
    plan->path = path;
    plan->change = &change;
    // A rename alone asks nothing of the file itself, which another program may hold open.
    const bool anythingAsked =
        request.attributes || std::any_of(std::begin(request.stamps), std::end(request.stamps), [](bool stamp) { return stamp; });
    if (!anythingAsked)
        return PlanResult::nothingToChange;
    if (change.left != ItemLeft::no) {
        *detail = WhyLeft(change);
        return PlanResult::failed;
    }
    DWORD error = ERROR_SUCCESS;
    if (!OpenForChange(ApiPath(path), &plan->file, &error, &volumes)) {
        *detail = ReasonText(error);
        return error == ERROR_TOO_MANY_OPEN_FILES || error == ERROR_NO_SYSTEM_RESOURCES ? PlanResult::outOfHandles
                                                                                        : PlanResult::failed;
    }
    const DWORD current = plan->file.held.attributes;
    if (change.refused != 0) {
        *detail = L"日時がファイルに記録できる範囲の外です";
        return PlanResult::failed;
    }
    // The preview showed the shift from what the list read; a file that holds another
    // stamp now is left as it is.
    if (!HoldsShiftedStamps(plan->file.held, change)) {
        *detail = kChangedSinceRead;
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

// Plans the next group of files from `*next` on. Files that fail are told to `run`; files
// that need no change are let go.
std::vector<PlannedWrite> PlanGroup(const std::vector<std::wstring>& targets, const ChangePlan& plan, size_t* next,
                                    WriteRun& run)
{
    std::vector<PlannedWrite> group;
    while (*next < targets.size() && group.size() < kFilesPerJournalWrite && !run.CancelRequested()) {
        PlannedWrite planned;
        std::wstring detail;
        const PlanResult result =
            PlanWrite(targets[*next], plan.items[*next], plan.request, run.Volumes(), &planned, &detail);
        // Out of handles: the files held are changed first, and this one is opened again.
        if (result == PlanResult::outOfHandles && !group.empty())
            break;
        if (result == PlanResult::write) {
            planned.index = *next;
            group.push_back(std::move(planned));
        } else {
            if (result != PlanResult::nothingToChange)
                run.Failed(static_cast<long long>(*next), targets[*next], detail);
            run.Settled();
        }
        ++*next;
    }
    return group;
}

// How a file's change ended: a file that holds any part of it is journaled as changed, so
// that the undo takes back what was written even where the rest failed.
enum class CarriedOut { done, failed, failedPartly };

// Makes the planned change on the file's handle and closes it.
CarriedOut CarryOut(PlannedWrite& plan, VolumeSerials& volumes, std::wstring* detail)
{
    DWORD error = ERROR_SUCCESS;
    const DWORD heldAttributes = plan.file.held.attributes;
    const bool reopened = plan.file.shutByReadOnly;
    const std::wstring apiPath = ApiPath(plan.path);
    // The read-only flag cleared for the reopening is set again; where it cannot be, the
    // file holds that much of a change.
    const auto restoreReadOnly = [&](CarriedOut result) {
        if (!reopened || SetAttributesByPath(apiPath, heldAttributes))
            return result;
        *detail += L"。読み取り専用の属性を元に戻せませんでした";
        return CarriedOut::failedPartly;
    };
    if (reopened && !ReopenClearingReadOnly(apiPath, &plan.file, &error, &volumes)) {
        Fail(detail, L"属性を変更できませんでした", error);
        return CarriedOut::failed;
    }
    // Held by no handle between its reading and this reopening (Wine): read again.
    if (reopened && !HoldsShiftedStamps(plan.file.held, *plan.change)) {
        plan.file.handle.Close();
        *detail = kChangedSinceRead;
        return restoreReadOnly(CarriedOut::failed);
    }
    const StateChange change = SetFileState(plan.file, plan.stamps, plan.attributesDiffer, plan.wanted);
    if (!change.Done()) {
        plan.file.handle.Close();
        *detail = StateChangeText(change, false);
        return restoreReadOnly(change.partlyMade ? CarriedOut::failedPartly : CarriedOut::failed);
    }
    // What the file holds now, read on the same handle: the journal keeps that.
    if (ReadBack(plan.file.handle.Get(), &plan.heldAfter)) {
        for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
            const LONGLONG asked = StampOfState(plan.stamps, stamp);
            if (asked != 0 && StampOfState(plan.heldAfter, stamp) != asked)
                plan.kept |= PartOfStamp(stamp);
        }
    }
    if (!plan.file.handle.Close()) {
        Fail(detail, L"日時を変更したファイルを閉じられませんでした", GetLastError());
        return CarriedOut::failedPartly;
    }
    return CarriedOut::done;
}

// Records the move of the file at `path`, then makes it; true when it moved.
bool MoveFirst(WriteRun& run, const std::wstring& path, const std::wstring& newPath)
{
    const std::wstring step = L"名前を「" + FileNameOfPath(newPath) + L"」に変更できませんでした";
    // The move is recorded before it is made, with the identity of the file it moves, so
    // that an undo moves back only this file.
    JournalEntry entry;
    entry.path = path;
    entry.newPath = newPath;
    DWORD error = ERROR_SUCCESS;
    // Read on a handle that shares with all, as the move itself does: a file that another
    // program holds open with delete sharing is moved, and must be known by its identity.
    if (!ReadHeldByPath(ApiPath(path), &entry.before, &entry.identity, &error)) {
        std::wstring detail;
        Fail(&detail, step.c_str(), error);
        run.Failed(kMoveOrder, path, detail);
        return false;
    }
    entry.after = entry.before;
    if (!run.Record({entry}, 1))
        return false;
    // Never replaces a file that has the new name; a change of case alone is a move too.
    if (!MoveFileExW(ApiPath(path).c_str(), ApiPath(newPath).c_str(), 0)) {
        std::wstring detail;
        Fail(&detail, step.c_str(), GetLastError());
        run.Failed(kMoveOrder, path, detail);
        return false;
    }
    run.Changed();
    return true;
}

} // namespace

WriteReport PlanWriter::Write(const ChangePlan& plan, std::vector<std::wstring> paths, const std::wstring& newPath,
                              WorkProgress* progress) const
{
    WriteReport report;
    WriteRun run(m_journalPath, progress);
    if (!paths.empty() && !newPath.empty() && newPath != paths[0] && MoveFirst(run, paths[0], newPath)) {
        paths[0] = newPath;
        report.movedTo = newPath;
    }

    BeginWork(progress, paths.size());
    for (size_t next = 0; next < paths.size() && !run.CancelRequested();) {
        std::vector<PlannedWrite> group = PlanGroup(paths, plan, &next, run);
        // Cancelled while planning: the files held are let go unchanged and unrecorded.
        if (group.empty() || run.CancelRequested())
            continue;
        std::vector<JournalEntry> entries;
        entries.reserve(group.size());
        for (const PlannedWrite& planned : group)
            entries.push_back(planned.Entry());
        if (!run.Record(entries, group.size() + (paths.size() - next)))
            break; // nothing of this group or after it is changed
        for (PlannedWrite& planned : group) {
            // The rest of the group is recorded but unchanged: an undo finds each file as
            // it was before and leaves it.
            if (run.CancelRequested())
                break;
            std::wstring detail;
            const CarriedOut result = CarryOut(planned, run.Volumes(), &detail);
            if (result != CarriedOut::failed)
                run.Changed();
            if (result != CarriedOut::done)
                run.Failed(static_cast<long long>(planned.index), planned.path, detail);
            run.Settled();
        }
        run.RecordAsHeld(group);
    }
    run.Finish(paths.size(), &report);
    return report;
}
