#include "ChangeUndo.h"

#include "FileStateAccess.h"
#include "NameParts.h"
#include "PathForms.h"
#include "StampPrecision.h"

#include <algorithm>
#include <cwchar>
#include <map>

namespace {

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(ApiPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What an apply can have done to one part of a file, judged from what it holds now.
enum class PartNow { asBefore, asWritten, changedSince };

PartNow Judge(LONGLONG now, LONGLONG before, LONGLONG after, LONGLONG precision)
{
    if (HoldsWithin(now, after, precision))
        return PartNow::asWritten;
    return HoldsWithin(now, before, precision) ? PartNow::asBefore : PartNow::changedSince;
}

// The parts the apply wrote that the file still holds; false when a part holds neither what
// the apply wrote nor what was there before it. A last-access stamp moves whenever the
// file is read: where it moved since, it is left as it is, and the other parts go back.
bool PartsToRestore(const JournalEntry& entry, const FileState& now, const StampPrecision& precision,
                    unsigned* restore)
{
    const struct {
        unsigned part;
        LONGLONG now;
        LONGLONG before;
        LONGLONG after;
        LONGLONG precision;
    } parts[] = {
        {kCreationPart, now.creation, entry.before.creation, entry.after.creation, precision.creation},
        {kWritePart, now.write, entry.before.write, entry.after.write, precision.write},
        {kAccessPart, now.access, entry.before.access, entry.after.access, precision.access},
        // Only the four flags of the boxes are the apply's.
        {kAttributePart, now.attributes & kBoxFlags, entry.before.attributes & kBoxFlags,
         entry.after.attributes & kBoxFlags, 1},
    };
    *restore = 0;
    for (const auto& part : parts) {
        if (!(entry.changes & part.part))
            continue;
        switch (Judge(part.now, part.before, part.after, part.precision)) {
        case PartNow::asWritten:
            *restore |= part.part;
            break;
        case PartNow::asBefore:
            break;
        case PartNow::changedSince:
            if (part.part != kAccessPart)
                return false;
            break;
        }
    }
    return true;
}

// The file of an entry where it is now, opened for the change.
struct LocatedFile {
    std::wstring at;
    bool moveBack = false;
    FileForChange file;
};

// A moved file is looked for under its new name first; under its old one it was never moved
// (the program ended before the move, or the move failed). Only the file the apply changed
// counts: another file at its path (saved over it, or given its name since) is left alone.
bool Locate(const JournalEntry& entry, VolumeSerials& volumes, LocatedFile* found, std::wstring* detail)
{
    const struct {
        const std::wstring& path;
        bool moveBack;
    } candidates[] = {{entry.newPath, true}, {entry.path, false}};
    bool replaced = false;
    for (const auto& candidate : candidates) {
        if (candidate.path.empty())
            continue;
        DWORD error = ERROR_SUCCESS;
        if (!OpenForChange(ApiPath(candidate.path), &found->file, &error, &volumes)) {
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                continue;
            *detail = ReasonText(error);
            return false;
        }
        if (found->file.identity != entry.identity) {
            found->file.handle.Close();
            replaced = true;
            continue;
        }
        found->at = candidate.path;
        found->moveBack = candidate.moveBack;
        return true;
    }
    *detail = ReasonText(replaced ? kReplacedFileError : ERROR_FILE_NOT_FOUND);
    return false;
}

// True when another file has the old name; a change of case alone finds the file itself.
bool OldNameTaken(const JournalEntry& entry, const FileIdentity& moved)
{
    if (!Exists(entry.path))
        return false;
    FileIdentity there;
    return !ReadIdentityByPath(ApiPath(entry.path), &there) || there != moved;
}

// A move changes no stamp: the file to move back holds the last-write stamp it had when it
// was moved (its own stamps are put back first, last change first). A file written since,
// or another file that a file system gave the same ID after the moved one was deleted
// (Linux file systems reuse inode numbers), holds another.
bool HoldsMovedState(const JournalEntry& entry, const LocatedFile& located, const StampPrecision& precision)
{
    return !located.moveBack || entry.before.write == 0 ||
           HoldsWithin(located.file.held.write, entry.before.write, precision.write);
}

// Volumes met so far, so that each one's file system is asked once.
using PrecisionsByVolume = std::map<ULONGLONG, StampPrecision>;

// What one undo learns of the volumes it meets.
struct Volumes {
    PrecisionsByVolume precisions;
    VolumeSerials serials;
};

StampPrecision PrecisionFor(LocatedFile& located, PrecisionsByVolume& known)
{
    if (!located.file.handle.Valid())
        return StampPrecision();
    auto found = known.find(located.file.identity.volume);
    if (found != known.end())
        return found->second;
    const StampPrecision precision = PrecisionOfVolume(located.file.handle.Get());
    known[located.file.identity.volume] = precision;
    return precision;
}

// Puts one file back; false with the reason where it is left.
bool UndoEntry(const JournalEntry& entry, Volumes& volumes, UndoOutcome* outcome, std::wstring* detail)
{
    // Without an identity any file that stands at the path now would be taken for it.
    if (!entry.identity.Known()) {
        *detail = L"記録にファイルの識別情報がないため、触れていません";
        if (entry.line != 0)
            *detail += L"（" + std::to_wstring(entry.line) + L" 行目）";
        return false;
    }
    LocatedFile located;
    if (!Locate(entry, volumes.serials, &located, detail))
        return false;
    FileForChange& file = located.file;

    unsigned restore = 0;
    const StampPrecision precision = PrecisionFor(located, volumes.precisions);
    if (!PartsToRestore(entry, file.held, precision, &restore) || !HoldsMovedState(entry, located, precision)) {
        *detail = L"適用の後に変更されています";
        return false;
    }
    if (located.moveBack && OldNameTaken(entry, file.identity)) {
        *detail = L"元の名前「" + FileNameOfPath(entry.path) + L"」は別のファイルが使っています";
        return false;
    }

    if (restore != 0) {
        const bool setAttributes = (restore & kAttributePart) != 0;
        const DWORD word = MergedAttributes(file.held.attributes, entry.before.attributes);
        const DWORD heldAttributes = file.held.attributes;
        const bool reopened = file.shutByReadOnly;
        DWORD error = ERROR_SUCCESS;
        if (reopened) {
            if (!setAttributes || (word & FILE_ATTRIBUTE_READONLY)) {
                *detail = L"読み取り専用のため戻せませんでした";
                return false;
            }
            if (!ReopenClearingReadOnly(ApiPath(located.at), &file, &error, &volumes.serials))
                return Fail(detail, L"属性を戻せませんでした", error);
        }
        FileState stamps; // zero: left as it is
        stamps.creation = (restore & kCreationPart) ? entry.before.creation : 0;
        stamps.write = (restore & kWritePart) ? entry.before.write : 0;
        stamps.access = (restore & kAccessPart) ? entry.before.access : 0;
        const StateChange change = SetFileState(file, stamps, setAttributes, word);
        if (!change.Done()) {
            file.handle.Close();
            *detail = StateChangeText(change, true);
            if (reopened && !SetAttributesByPath(ApiPath(located.at), heldAttributes))
                *detail += L"。読み取り専用の属性を元に戻せませんでした";
            return false;
        }
    }
    if (!file.handle.Close())
        return Fail(detail, L"元に戻したファイルを閉じられませんでした", GetLastError());

    if (located.moveBack) {
        if (!MoveFileExW(ApiPath(located.at).c_str(), ApiPath(entry.path).c_str(), 0))
            return Fail(detail, (L"名前を「" + FileNameOfPath(entry.path) + L"」に戻せませんでした").c_str(),
                        GetLastError());
        outcome->moves.push_back({located.at, entry.path});
    }
    return true;
}

} // namespace

UndoOutcome UndoChanges(const std::vector<JournalEntry>& entries, WorkProgress* progress)
{
    UndoOutcome outcome;
    Volumes volumes;
    BeginWork(progress, entries.size());
    // Last change first: a moved file's times were written under its new name.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (CancelRequested(progress)) {
            outcome.cancelled = true;
            break;
        }
        std::wstring detail;
        const bool undone = UndoEntry(*entry, volumes, &outcome, &detail);
        ItemDone(progress);
        if (undone)
            continue;
        const std::wstring& at = !entry->newPath.empty() && Exists(entry->newPath) ? entry->newPath : entry->path;
        // A moved file left with its stamps is told once, not again for its move.
        if (outcome.left.empty() || _wcsicmp(outcome.left.back().path.c_str(), at.c_str()) != 0)
            outcome.left.push_back({at, detail});
    }
    // Told in the order of the files.
    std::reverse(outcome.left.begin(), outcome.left.end());
    return outcome;
}
