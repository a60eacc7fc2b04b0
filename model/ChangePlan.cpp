#include "ChangePlan.h"

#include "FileStateAccess.h"
#include "NameParts.h"
#include "sources/NameDate.h"

namespace {

const LONGLONG kTicksPerSecond = 10000000LL;

// Whether a stamp that holds `held` would change when `target` is written: a set time
// (a whole second) leaves a stamp that holds that second alone, fraction and all.
bool Differs(LONGLONG held, LONGLONG target)
{
    if (held == target)
        return false;
    return target % kTicksPerSecond != 0 || held / kTicksPerSecond != target / kTicksPerSecond;
}

// The gap a date from a file's content or name leaves, or none with the stamp it gives.
SourceGap GapOfSourceStamp(const SourceStamp& date, SourceGap noDate, LONGLONG* target)
{
    switch (date.result) {
    case SourceStampResult::stamp:
        *target = AsStamp(date.stamp).QuadPart;
        return SourceGap::none;
    case SourceStampResult::skippedLocalTime:
        return SourceGap::skippedLocalTime;
    case SourceStampResult::outOfRange:
        return SourceGap::outOfRange;
    case SourceStampResult::noDate:
        break;
    }
    return date.reason == NoDateReason::unreadable && noDate == SourceGap::noDateTaken ? SourceGap::dateTakenUnreadable
                                                                                        : noDate;
}

// Where an item's stamp takes its time from in "ファイルから": the stamp in `target` and
// `copied` (the item's own stamp it copies, or -1), or the gap.
SourceGap SourceTime(const FileItem& item, StampSource source, LONGLONG* target, int* copied)
{
    *copied = -1;
    switch (source) {
    case StampSource::dateTaken:
        if (item.IsFolder())
            return SourceGap::noDateTaken;
        if (!item.takenRead)
            return SourceGap::dateTakenNotRead;
        return GapOfSourceStamp(item.taken, SourceGap::noDateTaken, target);
    case StampSource::nameDate:
        return GapOfSourceStamp(StampOfSourceDate(DateInName(FileNameOfPath(item.path))), SourceGap::noNameDate,
                                target);
    case StampSource::creation:
    case StampSource::write:
    case StampSource::access:
        break;
    }
    if (!item.Readable())
        return SourceGap::itemNotRead;
    *copied = static_cast<int>(source) - static_cast<int>(StampSource::creation);
    *target = StampOfState(item.state, *copied);
    return *target > 0 ? SourceGap::none : SourceGap::noStamp;
}

} // namespace

const wchar_t* const kPlanStampNames[kPlanStampCount] = {L"作成日時", L"更新日時", L"アクセス日時"};
const wchar_t* const kStampSourceNames[kStampSourceCount] = {L"撮影日時", L"ファイル名の日時", L"作成日時", L"更新日時",
                                                             L"アクセス日時"};

std::wstring SourceGapText(SourceGap gap, StampSource source)
{
    switch (gap) {
    case SourceGap::none:
        break;
    case SourceGap::noDateTaken:
        return L"撮影日時なし";
    case SourceGap::dateTakenUnreadable:
        return L"撮影日時を読み取れません";
    case SourceGap::dateTakenNotRead:
        return L"撮影日時の読み込みを中止したため読んでいません";
    case SourceGap::noNameDate:
        return L"ファイル名に日時なし";
    case SourceGap::noStamp:
        return kPlanStampNames[static_cast<int>(source) - static_cast<int>(StampSource::creation)] + std::wstring(L"なし");
    case SourceGap::itemNotRead:
        return L"読み込んでいないため変更しません";
    case SourceGap::skippedLocalTime:
        return L"夏時間の切り替えで存在しない時刻です";
    case SourceGap::outOfRange:
        return L"日時がファイルに記録できる範囲の外です";
    }
    return std::wstring();
}

bool ItemChange::HasGap() const
{
    for (SourceGap gap : gaps) {
        if (gap != SourceGap::none)
            return true;
    }
    return false;
}

std::wstring GapsText(const ItemChange& change, const ChangeRequest& request)
{
    std::wstring text;
    for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
        if (change.gaps[stamp] == SourceGap::none)
            continue;
        if (!text.empty())
            text += L"、";
        text += kPlanStampNames[stamp] + (L"（" + SourceGapText(change.gaps[stamp], request.sources[stamp]) + L"）");
    }
    return text;
}

LONGLONG& StampOfState(FileState& state, int stamp)
{
    return stamp == kPlanCreation ? state.creation : stamp == kPlanWrite ? state.write : state.access;
}

LONGLONG StampOfState(const FileState& state, int stamp)
{
    return stamp == kPlanCreation ? state.creation : stamp == kPlanWrite ? state.write : state.access;
}

unsigned PartOfStamp(int stamp)
{
    return stamp == kPlanCreation ? kCreationPart : stamp == kPlanWrite ? kWritePart : kAccessPart;
}

unsigned AskedParts(const ChangeRequest& request)
{
    unsigned parts = request.attributes ? static_cast<unsigned>(kAttributePart) : 0u;
    for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
        if (request.stamps[stamp] && (request.mode != ChangeMode::shift || !request.offsets[stamp].IsZero()))
            parts |= PartOfStamp(stamp);
    }
    return parts;
}

ItemChange PlanItemChange(const FileItem& item, const ChangeRequest& request)
{
    ItemChange change;
    if (item.linkInWalk) {
        change.left = ItemLeft::linkInWalk;
        return change;
    }
    const bool known = item.Readable();
    const unsigned stampParts = kCreationPart | kWritePart | kAccessPart;
    if (!known && request.mode == ChangeMode::shift && (AskedParts(request) & stampParts) != 0) {
        change.left = ItemLeft::notRead;
        change.readError = item.error;
        return change;
    }
    for (int stamp = 0; stamp < kPlanStampCount; ++stamp) {
        if (!request.stamps[stamp])
            continue;
        const LONGLONG held = StampOfState(item.state, stamp);
        LONGLONG target = 0;
        if (request.mode == ChangeMode::set) {
            FILETIME time;
            if (!TimeValueToFileTime(request.values[stamp], &time)) {
                change.refused |= PartOfStamp(stamp);
                change.wouldBe[stamp] = -1;
                continue;
            }
            target = AsStamp(time).QuadPart;
        } else if (request.mode == ChangeMode::fromSource) {
            int copied = -1;
            change.gaps[stamp] = SourceTime(item, request.sources[stamp], &target, &copied);
            if (change.gaps[stamp] != SourceGap::none)
                continue;
            if (copied >= 0)
                change.shiftedFrom[copied] = target;
        } else {
            // A stamp the item does not have is left alone.
            if (held == 0 || request.offsets[stamp].IsZero())
                continue;
            if (!ShiftStamp(held, request.offsets[stamp], &target)) {
                change.refused |= PartOfStamp(stamp);
                change.wouldBe[stamp] = target;
                continue;
            }
            change.shiftedFrom[stamp] = held;
        }
        StampOfState(change.target, stamp) = target;
        if (known && Differs(held, target))
            change.changes |= PartOfStamp(stamp);
    }
    if (request.attributes) {
        change.target.attributes = MergedAttributes(item.state.attributes, request.boxes);
        if (known && (item.state.attributes & kBoxFlags) != (request.boxes & kBoxFlags))
            change.changes |= kAttributePart;
    }
    return change;
}

ChangePlan BuildChangePlan(const FileSet& files, const ChangeRequest& request)
{
    ChangePlan plan;
    plan.request = request;
    plan.items.reserve(files.Count());
    for (size_t index = 0; index < files.Count(); ++index) {
        plan.items.push_back(PlanItemChange(files.Item(index), request));
        if (plan.items.back().refused != 0)
            plan.refusedItems.push_back(index);
    }
    return plan;
}
