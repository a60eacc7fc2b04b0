#include "ChangeUndo.h"

#include "FileStateAccess.h"
#include "NameParts.h"

#include <algorithm>

namespace {

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What an apply can have done to one part of a file, judged from what it holds now.
enum class PartNow { asBefore, asWritten, changedSince };

PartNow Judge(LONGLONG now, LONGLONG before, LONGLONG after)
{
    if (now == after)
        return PartNow::asWritten;
    return now == before ? PartNow::asBefore : PartNow::changedSince;
}

// The parts the apply wrote that the file still holds; false when a part holds neither
// what the apply wrote nor what was there before it.
bool PartsToRestore(const JournalEntry& entry, const FILE_BASIC_INFO& now, unsigned* restore)
{
    const struct {
        unsigned part;
        LONGLONG now;
        LONGLONG before;
        LONGLONG after;
    } parts[] = {
        {kCreationPart, now.CreationTime.QuadPart, entry.before.creation, entry.after.creation},
        {kWritePart, now.LastWriteTime.QuadPart, entry.before.write, entry.after.write},
        {kAccessPart, now.LastAccessTime.QuadPart, entry.before.access, entry.after.access},
        // Only the four flags of the boxes are the apply's.
        {kAttributePart, now.FileAttributes & kBoxFlags, entry.before.attributes & kBoxFlags,
         entry.after.attributes & kBoxFlags},
    };
    *restore = 0;
    for (const auto& part : parts) {
        if (!(entry.changes & part.part))
            continue;
        switch (Judge(part.now, part.before, part.after)) {
        case PartNow::asWritten:
            *restore |= part.part;
            break;
        case PartNow::asBefore:
            break;
        case PartNow::changedSince:
            return false;
        }
    }
    return true;
}

std::wstring OpenFailure(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return L"見つかりません";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return L"使用中です";
    default: {
        std::wstring detail;
        Fail(&detail, L"開けませんでした", error);
        return detail;
    }
    }
}

// Gives the file its stamps and flags of before the apply, for the parts in `restore`.
bool Restore(HANDLE file, const JournalEntry& entry, const FILE_BASIC_INFO& now, unsigned restore, std::wstring* detail)
{
    FILE_BASIC_INFO times = {}; // zero: left as it is
    if (restore & kCreationPart)
        times.CreationTime.QuadPart = entry.before.creation;
    if (restore & kWritePart)
        times.LastWriteTime.QuadPart = entry.before.write;
    if (restore & kAccessPart)
        times.LastAccessTime.QuadPart = entry.before.access;
    const bool timesRestored = (restore & (kCreationPart | kWritePart | kAccessPart)) != 0;
    const bool attributesRestored = (restore & kAttributePart) != 0;
    const DWORD word = MergedAttributes(now.FileAttributes, entry.before.attributes);
    // A read-only file takes its flags first, as in a write.
    const bool readOnlyNow = (now.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (attributesRestored && readOnlyNow && !SetAttributes(file, word))
        return Fail(detail, L"属性を戻せませんでした", GetLastError());
    if (timesRestored && !SetBasicInfo(file, times))
        return Fail(detail, L"日時を戻せませんでした", GetLastError());
    if (attributesRestored && !readOnlyNow && !SetAttributes(file, word))
        return Fail(detail, L"属性を戻せませんでした", GetLastError());
    return true;
}

// Puts one file back; false with the reason where it is left.
bool UndoEntry(const JournalEntry& entry, UndoOutcome* outcome, std::wstring* detail)
{
    // A moved file is looked for under its new name first; under its old one it was never
    // moved (the program ended before the move).
    std::wstring at = entry.path;
    bool moveBack = false;
    if (!entry.newPath.empty()) {
        if (Exists(entry.newPath)) {
            at = entry.newPath;
            moveBack = true;
        } else if (!Exists(entry.path)) {
            *detail = L"見つかりません";
            return false;
        }
    }

    FILE_BASIC_INFO now;
    HANDLE file = OpenForStateChange(at);
    bool readOnlyRefused = false;
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // Wine refuses this open on a read-only file (Windows grants it): the state is read
        // by path, and the flag cleared first where the undo clears it.
        readOnlyRefused = error == ERROR_ACCESS_DENIED && ReadBasicInfoByPath(at, &now) &&
                          (now.FileAttributes & FILE_ATTRIBUTE_READONLY) &&
                          !(now.FileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        if (!readOnlyRefused) {
            *detail = OpenFailure(error);
            return false;
        }
    } else if (!ReadBasicInfo(file, &now)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        return Fail(detail, L"状態を読めませんでした", error);
    }
    auto closeFile = [&file]() {
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    };

    unsigned restore = 0;
    if (!PartsToRestore(entry, now, &restore)) {
        closeFile();
        *detail = L"適用の後に変更されています";
        return false;
    }
    if (moveBack && Exists(entry.path)) {
        closeFile();
        *detail = L"元の名前「" + FileNameOfPath(entry.path) + L"」は別のファイルが使っています";
        return false;
    }
    if (restore == 0 && !moveBack) {
        closeFile(); // never reached by the apply, or already back
        return true;
    }

    if (restore != 0 && readOnlyRefused) {
        const DWORD word = MergedAttributes(now.FileAttributes, entry.before.attributes);
        if (!(restore & kAttributePart) || (word & FILE_ATTRIBUTE_READONLY)) {
            *detail = L"読み取り専用のため戻せませんでした";
            return false;
        }
        if (!SetFileAttributesW(at.c_str(), word))
            return Fail(detail, L"属性を戻せませんでした", GetLastError());
        file = OpenForStateChange(at);
        FILE_BASIC_INFO cleared;
        if (file == INVALID_HANDLE_VALUE || !ReadBasicInfo(file, &cleared)) {
            const DWORD error = GetLastError();
            closeFile();
            SetAttributesByPath(at, now.FileAttributes);
            *detail = OpenFailure(error);
            return false;
        }
        now.FileAttributes = cleared.FileAttributes;
    }
    if (restore != 0 && !Restore(file, entry, now, restore, detail)) {
        closeFile();
        return false;
    }
    closeFile();

    if (moveBack) {
        if (!MoveFileW(at.c_str(), entry.path.c_str()))
            return Fail(detail, (L"名前を「" + FileNameOfPath(entry.path) + L"」に戻せませんでした").c_str(),
                        GetLastError());
        outcome->moves.push_back({at, entry.path});
    }
    return true;
}

} // namespace

UndoOutcome UndoChanges(const std::vector<JournalEntry>& entries)
{
    UndoOutcome outcome;
    // Last change first: a moved file's times were written under its new name.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        std::wstring detail;
        if (!UndoEntry(*entry, &outcome, &detail))
            outcome.left.push_back({!entry->newPath.empty() && Exists(entry->newPath) ? entry->newPath : entry->path, detail});
    }
    // Told in the order of the files.
    std::reverse(outcome.left.begin(), outcome.left.end());
    return outcome;
}
