// Writing a record's times and attribute byte to the chosen files, and the first file's new name.
#include "FileOperate.h"

#include "../framework/Exceptions.h"
#include "../framework/WinApp.h"
#include "ChangeJournal.h"
#include "FileStateAccess.h"
#include "NameParts.h"

#include <algorithm>
#include <memory>
#include <utility>

#include <cwchar>

namespace {

const wchar_t* const kNotChangedForJournal = L"元に戻すための記録を書けなかったため、変更していません";

// Files held open at once between the reading of their state and their change: the journal
// of each group is written in one piece before any file of the group changes. Holding more
// would cost handles (Wine keeps a Linux descriptor for each); fewer, more journal flushes.
const size_t kFilesPerJournalWrite = 512;

// True when `stamp` already holds the second `value`: writing it would only drop the
// stamp's fraction of a second.
bool HoldsSecond(LARGE_INTEGER stamp, TimeValue value)
{
    const ULONGLONG bits = static_cast<ULONGLONG>(stamp.QuadPart);
    const FILETIME time = {static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
    TimeValue held = 0;
    return FileTimeToTimeValue(time, &held) == StampConversion::converted && held == value;
}

// The absolute form of a path, so that an undo started from another working folder finds
// the same file.
std::wstring AbsolutePath(const std::wstring& path)
{
    WCHAR full[MAX_PATH];
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length == 0 || length >= MAX_PATH ? path : std::wstring(full, length);
}

FileState StateOf(const FILE_BASIC_INFO& info)
{
    FileState state;
    state.creation = info.CreationTime.QuadPart;
    state.write = info.LastWriteTime.QuadPart;
    state.access = info.LastAccessTime.QuadPart;
    state.attributes = info.FileAttributes;
    return state;
}

} // namespace

// One file of a write, between the reading of its state and its change.
struct PlannedWrite {
    std::wstring path;
    // Open without sharing until the change is made. INVALID_HANDLE_VALUE: the platform
    // refused the open because the file is read-only (Wine); the flag, which the boxes
    // clear, goes first, by path, and the file is opened then.
    HANDLE file = INVALID_HANDLE_VALUE;
    FILE_BASIC_INFO held = {};  // the file as it was
    FILE_BASIC_INFO times = {}; // the stamps to set; zero: left as it is
    DWORD wanted = 0;           // the attribute word it gets
    bool timesDiffer = false;
    bool attributesDiffer = false;

    void Close()
    {
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }

    // What the journal keeps of it: the state before, and after the change.
    JournalEntry Entry() const
    {
        JournalEntry entry;
        entry.path = AbsolutePath(path);
        entry.before = StateOf(held);
        entry.after = entry.before;
        const struct {
            LONGLONG set;
            LONGLONG& after;
            unsigned part;
        } stamps[] = {
            {times.CreationTime.QuadPart, entry.after.creation, kCreationPart},
            {times.LastWriteTime.QuadPart, entry.after.write, kWritePart},
            {times.LastAccessTime.QuadPart, entry.after.access, kAccessPart},
        };
        for (const auto& stamp : stamps) {
            if (stamp.set != 0) {
                stamp.after = stamp.set;
                entry.changes |= stamp.part;
            }
        }
        if (attributesDiffer) {
            entry.after.attributes = wanted;
            entry.changes |= kAttributePart;
        }
        return entry;
    }
};

BOOL CFileOperate::WriteRecord(FileRecord record, bool writeAttributes, const std::wstring& newPath)
{
    m_failures.clear();
    auto journal = std::make_unique<ChangeJournalWriter>(m_journalPath);
    const bool journaled = !m_journalPath.empty();
    // Whether a file may have changed: otherwise the previous journal takes its place again.
    bool changedAnything = false;
    bool journalFailed = false;
    if (!newPath.empty() && _wcsicmp(newPath.c_str(), m_firstPath.c_str()) != 0) {
        std::wstring detail;
        if (journaled && !JournalRename(*journal, newPath, &detail)) {
            m_failures.push_back({journal->Path(), detail});
            m_failures.push_back({m_firstPath, kNotChangedForJournal});
            journalFailed = true;
        } else if (Rename(newPath)) {
            changedAnything = true;
        } else {
            // A move that failed did not happen: the journal does not claim it.
            journal->Finish(false);
            journal = std::make_unique<ChangeJournalWriter>(m_journalPath);
        }
    }
    if (m_renameFailed && !journalFailed) {
        m_failures.push_back(m_renameFailure);
        m_renameFailed = false;
    }
    CStringArray targets;
    if (m_count <= 1) {
        targets.Add(m_firstPath);
    } else {
        for (int index = 0; index < m_count; ++index) {
            CheckIndex(index);
            targets.Add(m_paths[index]);
        }
    }

    // Files of one folder share a volume and a directory: the volume's naming rules are
    // queried once for them, and the directory listed once instead of searched per file.
    struct ResolutionCacheScope {
        CFileOperate& files;
        ResolutionCacheScope(CFileOperate& owner, const CStringArray& targets) : files(owner)
        {
            files.m_resolutionCache.listings.Prepare(targets);
            files.m_resolutionCacheActive = true;
        }
        ~ResolutionCacheScope()
        {
            files.m_resolutionCacheActive = false;
            files.m_resolutionCache = ResolutionCache(); // the listings' names go with it
        }
    } resolutionCacheScope(*this, targets);

    // Each group of files is opened and read, then recorded in the journal, then changed.
    // One file that fails is recorded and the next one written all the same; the list is
    // told in the order of the files.
    std::vector<std::pair<int, WriteFailure>> failed;
    const int count = journalFailed ? 0 : targets.GetSize();
    for (int next = 0; next < count;) {
        std::vector<PlannedWrite> group;
        std::vector<int> groupIndex;
        while (next < count && group.size() < kFilesPerJournalWrite) {
            PlannedWrite plan;
            std::wstring detail;
            const PlanResult result = PlanWrite(targets[next], record, writeAttributes, &plan, &detail);
            if (result == PlanResult::outOfHandles && !group.empty())
                break; // the files held are changed first, and this one is opened again
            if (result == PlanResult::write) {
                group.push_back(plan);
                groupIndex.push_back(next);
            } else if (result == PlanResult::outOfHandles) {
                Fail(&detail, L"ファイルを開けませんでした", ERROR_TOO_MANY_OPEN_FILES);
                failed.push_back({next, {targets[next], detail}});
            } else if (result == PlanResult::failed) {
                failed.push_back({next, {targets[next], detail}});
            }
            ++next;
        }
        if (group.empty())
            continue;
        if (journaled) {
            std::vector<JournalEntry> entries;
            entries.reserve(group.size());
            for (const PlannedWrite& plan : group)
                entries.push_back(plan.Entry());
            DWORD error = ERROR_SUCCESS;
            if (!journal->AppendGroup(entries, &error)) {
                std::wstring detail;
                Fail(&detail, L"変更を元に戻すための記録を書けませんでした", error);
                failed.push_back({-1, {journal->Path(), detail}});
                for (size_t i = 0; i < group.size(); ++i) {
                    group[i].Close();
                    failed.push_back({groupIndex[i], {group[i].path, kNotChangedForJournal}});
                }
                for (; next < count; ++next)
                    failed.push_back({next, {targets[next], kNotChangedForJournal}});
                break;
            }
        }
        for (size_t i = 0; i < group.size(); ++i) {
            std::wstring detail;
            changedAnything = true; // a write that failed may have changed a part
            if (!CarryOut(group[i], &detail))
                failed.push_back({groupIndex[i], {group[i].path, detail}});
        }
    }
    std::stable_sort(failed.begin(), failed.end(),
                     [](const std::pair<int, WriteFailure>& a, const std::pair<int, WriteFailure>& b) {
                         return a.first < b.first;
                     });
    for (auto& failure : failed)
        m_failures.push_back(std::move(failure.second));
    journal->Finish(changedAnything);
    return m_failures.empty() ? TRUE : FALSE;
}

bool CFileOperate::JournalRename(ChangeJournalWriter& journal, const std::wstring& newPath, std::wstring* detail) const
{
    JournalEntry entry;
    entry.path = AbsolutePath(m_firstPath);
    entry.newPath = AbsolutePath(newPath);
    FILE_BASIC_INFO held;
    if (ReadBasicInfoByPath(m_firstPath, &held))
        entry.before = StateOf(held);
    entry.after = entry.before;
    DWORD error = ERROR_SUCCESS;
    if (!journal.AppendGroup({entry}, &error))
        return Fail(detail, L"変更を元に戻すための記録を書けませんでした", error);
    return true;
}

CFileOperate::PlanResult CFileOperate::PlanWrite(const std::wstring& path, const FileRecord& record,
                                                 bool writeAttributes, PlannedWrite* plan, std::wstring* detail) const
{
    plan->path = path;
    plan->file = OpenForWrite(path);
    if (plan->file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_TOO_MANY_OPEN_FILES || error == ERROR_NO_SYSTEM_RESOURCES)
            return PlanResult::outOfHandles;
        // Windows grants attribute access to a read-only file; Wine refuses it. There the
        // state is read by path, and a flag that the boxes clear goes first when the change
        // is made.
        if (error != ERROR_ACCESS_DENIED || !writeAttributes || (record.attribute & FILE_ATTRIBUTE_READONLY))
            return PlanResult::failed;
        if (!ReadBasicInfoByPath(path, &plan->held) || !(plan->held.FileAttributes & FILE_ATTRIBUTE_READONLY) ||
            (plan->held.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return PlanResult::failed;
    } else if (!ReadBasicInfo(plan->file, &plan->held)) {
        const DWORD error = GetLastError();
        plan->Close();
        Fail(detail, L"属性を読めませんでした", error);
        return PlanResult::failed;
    }

    const DWORD current = plan->held.FileAttributes;
    // A folder (opened by a path that names it) is not written.
    if (current & FILE_ATTRIBUTE_DIRECTORY) {
        plan->Close();
        return PlanResult::failed;
    }
    plan->wanted = MergedAttributes(current, record.attribute);
    plan->attributesDiffer = writeAttributes && (current & kBoxFlags) != (record.attribute & kBoxFlags);
    // The open succeeds on a read-only file; one whose flag stays set is refused here, so
    // that it is never changed.
    if ((current & FILE_ATTRIBUTE_READONLY) && !(plan->attributesDiffer && !(plan->wanted & FILE_ATTRIBUTE_READONLY))) {
        plan->Close();
        return PlanResult::failed;
    }

    // The record's times to write that differ from the file's by a second or more.
    const TimeValue values[] = {record.createTime, record.accessTime, record.writeTime};
    const StampBit bits[] = {kCreationStamp, kAccessStamp, kWriteStamp};
    const LARGE_INTEGER stamps[] = {plan->held.CreationTime, plan->held.LastAccessTime, plan->held.LastWriteTime};
    LARGE_INTEGER* const changes[] = {&plan->times.CreationTime, &plan->times.LastAccessTime,
                                      &plan->times.LastWriteTime};
    for (int i = 0; i < 3; ++i) {
        const bool written = record.stampsToWrite != 0 ? (record.stampsToWrite & bits[i]) != 0 : values[i] != 0;
        if (!written)
            continue;
        FILETIME wantedStamp;
        if (!TimeValueToFileTime(values[i], &wantedStamp)) {
            plan->Close();
            Fail(detail, L"日時がファイルに記録できる範囲の外です", ERROR_INVALID_PARAMETER);
            return PlanResult::failed;
        }
        if (!HoldsSecond(stamps[i], values[i])) {
            *changes[i] = AsStamp(wantedStamp);
            plan->timesDiffer = true;
        }
    }
    if (!plan->timesDiffer && !plan->attributesDiffer) {
        plan->Close();
        return PlanResult::nothingToChange;
    }
    return PlanResult::write;
}

bool CFileOperate::CarryOut(PlannedWrite& plan, std::wstring* detail) const
{
    DWORD current = plan.held.FileAttributes;
    DWORD clearedFrom = INVALID_FILE_ATTRIBUTES;
    if (plan.file == INVALID_HANDLE_VALUE) {
        if (!SetFileAttributesW(plan.path.c_str(), plan.wanted))
            return Fail(detail, L"属性を変更できませんでした", GetLastError());
        clearedFrom = current;
        plan.file = OpenForWrite(plan.path);
        FILE_BASIC_INFO now;
        if (plan.file == INVALID_HANDLE_VALUE || !ReadBasicInfo(plan.file, &now)) {
            plan.Close();
            SetAttributesByPath(plan.path, clearedFrom);
            return false;
        }
        // Clearing the flag by path can drop others set with it (Wine drops hidden and
        // system on a read-only file): what is still missing is set on the handle below.
        current = now.FileAttributes;
    }
    const DWORD restoreWord = clearedFrom != INVALID_FILE_ATTRIBUTES ? clearedFrom : current;
    const bool wasReadOnly = (current & FILE_ATTRIBUTE_READONLY) != 0;
    const bool attributesDiffer = plan.attributesDiffer && (current & kBoxFlags) != (plan.wanted & kBoxFlags);

    // A read-only file takes its new flags first, so that nothing is set on it while it is
    // read-only; every other file gets its times first and its flags last.
    bool changed = clearedFrom != INVALID_FILE_ATTRIBUTES;
    bool written = true;
    if (attributesDiffer && wasReadOnly) {
        if (SetAttributes(plan.file, plan.wanted))
            changed = true;
        else
            written = Fail(detail, L"属性を変更できませんでした", GetLastError());
    }
    if (written && plan.timesDiffer) {
        if (SetBasicInfo(plan.file, plan.times)) {
            changed = true;
        } else {
            const DWORD error = GetLastError();
            if (changed)
                SetAttributes(plan.file, restoreWord); // left with the flags it had
            changed = false;
            written = Fail(detail, L"日時を変更できませんでした", error);
        }
    }
    if (written && attributesDiffer && !wasReadOnly && !SetAttributes(plan.file, plan.wanted))
        written = Fail(detail, L"属性を変更できませんでした", GetLastError());
    const bool closed = CloseHandle(plan.file) != FALSE;
    const DWORD closeError = GetLastError();
    plan.file = INVALID_HANDLE_VALUE;
    if (!closed && written)
        return Fail(detail, L"日時を変更したファイルを閉じられませんでした", closeError);
    return written;
}

HANDLE CFileOperate::OpenForWrite(const std::wstring& path) const
{
    WCHAR fullPath[MAX_PATH];
    if (path.size() >= MAX_PATH ||
        !ResolveFullPath(path, fullPath, m_resolutionCacheActive ? &m_resolutionCache : nullptr)) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    // No sharing: a file in use is refused, and none can open it until the write is done.
    return OpenForStateChange(path);
}

bool CFileOperate::Rename(std::wstring newPath)
{
    m_renameFailed = false;
    if (_wcsicmp(m_firstPath.c_str(), newPath.c_str()) == 0)
        return true;
    // MoveFileW never replaces a file that has the new name.
    if (!MoveFileW(m_firstPath.c_str(), newPath.c_str())) {
        DWORD error = GetLastError();
        m_renameFailed = true;
        m_renameFailure.path = m_firstPath;
        Fail(&m_renameFailure.detail, (L"名前を「" + FileNameOfPath(newPath) + L"」に変更できませんでした").c_str(), error);
        return false;
    }
    // Everything that reads the first file follows it to its new name.
    if (m_count == 1)
        m_paths.SetAt(0, newPath);
    m_firstPath = newPath;
    return true;
}

void CFileOperate::FileMoved(const std::wstring& from, const std::wstring& to)
{
    // The list may hold the path as it was given (relative, say); the undo gives it whole.
    for (int index = 0; index < m_paths.GetSize(); ++index) {
        if (_wcsicmp(AbsolutePath(m_paths[index]).c_str(), from.c_str()) == 0)
            m_paths.SetAt(index, to);
    }
    if (_wcsicmp(AbsolutePath(m_firstPath).c_str(), from.c_str()) == 0)
        m_firstPath = to;
}
