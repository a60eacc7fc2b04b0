#include "ChangePlan.h"

#include "FileStateAccess.h"

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

} // namespace

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
        if (request.stamps[stamp] && (request.mode == ChangeMode::set || !request.offsets[stamp].IsZero()))
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
