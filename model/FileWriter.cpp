// Writing a record's times and attribute byte to the chosen files, and the first file's new name.
#include "FileOperate.h"

#include "../framework/Exceptions.h"
#include "../framework/WinApp.h"
#include "NameParts.h"

#include <cwchar>

namespace {

const wchar_t* const kFailureSentence = L"は、ファイルが使用中か権限が足り無い為情報変更不能でした。";
const wchar_t* const kFailureCaption = L"エラーのパス";

// The flags the four boxes set. Every other flag a program can set (not content indexed,
// temporary, offline, ...) is kept as the file has it; the rest (directory, compressed,
// ...) SetFileAttributesW cannot set at all.
constexpr DWORD kBoxFlags = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD kKeptFlags = FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                             0x00008000 /* integrity stream */ | 0x00020000 /* no scrub data */ |
                             0x00080000 /* pinned */ | 0x00100000 /* unpinned */;

// The attribute word a file gets: its own kept flags and the boxes' four.
DWORD MergedAttributes(DWORD current, BYTE boxes)
{
    DWORD word = (current & kKeptFlags) | (boxes & kBoxFlags);
    return word == 0 ? FILE_ATTRIBUTE_NORMAL : word;
}

bool Fail(std::wstring* detail, const wchar_t* step, DWORD error)
{
    *detail = step;
    std::wstring reason = SystemMessageText(error);
    if (!reason.empty())
        *detail += L"（" + reason + L"）";
    return false;
}

// True when `stamp` already holds the second `value`: writing it would only drop the
// stamp's fraction of a second.
bool HoldsSecond(const FILETIME& stamp, TimeValue value)
{
    TimeValue held = 0;
    return FileTimeToTimeValue(stamp, &held) == StampConversion::converted && held == value;
}

// The rights one open for a write asks for: reading and setting times and attributes, and
// one data right. On Windows an open for attribute access alone skips the sharing check, so
// a file that another process holds open would not be refused; a data right brings it back.
// GENERIC_WRITE is not asked for: it would refuse a read-only file whose flag is cleared.
constexpr DWORD kWriteAccess = FILE_READ_DATA | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

bool SetBasicInfo(HANDLE file, FILE_BASIC_INFO change)
{
    return SetFileInformationByHandle(file, FileBasicInfo, &change, sizeof(change)) != FALSE;
}

// Gives the file the attribute word, read-only last: some file systems drop hidden and
// system when they are set together with it, or on a file that already has it (Wine does).
bool SetAttributes(HANDLE file, DWORD word)
{
    FILE_BASIC_INFO change = {}; // zero times: left as they are
    if (word & FILE_ATTRIBUTE_READONLY) {
        change.FileAttributes = (word & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
        if (!SetBasicInfo(file, change))
            return false;
    }
    change.FileAttributes = word;
    return SetBasicInfo(file, change);
}

FILETIME AsFileTime(LARGE_INTEGER stamp)
{
    return {static_cast<DWORD>(stamp.QuadPart), static_cast<DWORD>(static_cast<ULONGLONG>(stamp.QuadPart) >> 32)};
}

LARGE_INTEGER AsStamp(const FILETIME& time)
{
    LARGE_INTEGER stamp;
    stamp.QuadPart = static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return stamp;
}

// Puts a word back by path, read-only last (see SetAttributes).
void RestoreAttributes(const std::wstring& path, DWORD word)
{
    if (word & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(path.c_str(), (word & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(path.c_str(), word);
}

} // namespace

BOOL CFileOperate::WriteRecord(FileRecord record, bool writeAttributes)
{
    m_failures.clear();
    if (m_renameFailed) {
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

    // One file that fails is recorded and the next one written all the same.
    for (int i = 0; i < targets.GetSize(); ++i) {
        std::wstring detail;
        if (!WriteTarget(targets[i], record, writeAttributes, &detail))
            m_failures.push_back({targets[i], detail});
    }
    return m_failures.empty() ? TRUE : FALSE;
}

bool CFileOperate::WriteTarget(const std::wstring& path, const FileRecord& record, bool writeAttributes,
                               std::wstring* detail)
{
    HANDLE file = OpenForWrite(path);
    // Windows grants attribute access to a read-only file; Wine refuses it. There a flag
    // that the boxes clear goes first, by path, and comes back when the file still cannot
    // be written.
    DWORD clearedFrom = INVALID_FILE_ATTRIBUTES;
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED && writeAttributes &&
        !(record.attribute & FILE_ATTRIBUTE_READONLY)) {
        const DWORD original = GetFileAttributesW(path.c_str());
        if (original != INVALID_FILE_ATTRIBUTES && (original & FILE_ATTRIBUTE_READONLY) &&
            !(original & FILE_ATTRIBUTE_DIRECTORY)) {
            if (!SetFileAttributesW(path.c_str(), MergedAttributes(original, record.attribute)))
                return Fail(detail, L"属性を変更できませんでした", GetLastError());
            clearedFrom = original;
            file = OpenForWrite(path);
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        if (clearedFrom != INVALID_FILE_ATTRIBUTES)
            RestoreAttributes(path, clearedFrom);
        return false;
    }
    bool written = WriteRecordToFile(file, record, writeAttributes, detail);
    if (!written && clearedFrom != INVALID_FILE_ATTRIBUTES)
        SetAttributes(file, clearedFrom);
    if (!CloseHandle(file) && written)
        return Fail(detail, L"日時を変更したファイルを閉じられませんでした", GetLastError());
    return written;
}

HANDLE CFileOperate::OpenForWrite(const std::wstring& path) const
{
    if (path.size() >= MAX_PATH)
        return INVALID_HANDLE_VALUE;
    WCHAR fullPath[MAX_PATH];
    if (!ResolveFullPath(path, fullPath, m_resolutionCacheActive ? &m_resolutionCache : nullptr))
        return INVALID_HANDLE_VALUE;
    // No sharing: a file in use is refused, and none can open it until the write is done.
    return CreateFileW(path.c_str(), kWriteAccess, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool CFileOperate::WriteRecordToFile(HANDLE file, const FileRecord& record, bool writeAttributes,
                                     std::wstring* detail)
{
    FILE_BASIC_INFO held = {};
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &held, sizeof(held)))
        return Fail(detail, L"属性を読めませんでした", GetLastError());
    const DWORD current = held.FileAttributes;
    // A folder (opened by a path that names it) is not written.
    if (current & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    const DWORD wanted = MergedAttributes(current, record.attribute);
    const bool attributesDiffer = writeAttributes && (current & kBoxFlags) != (record.attribute & kBoxFlags);
    const bool wasReadOnly = (current & FILE_ATTRIBUTE_READONLY) != 0;
    // The open succeeds on a read-only file; one whose flag stays set is refused here, so
    // that it is never changed.
    if (wasReadOnly && !(attributesDiffer && !(wanted & FILE_ATTRIBUTE_READONLY)))
        return false;

    // The record's times to write that differ from the file's by a second or more.
    const TimeValue values[] = {record.createTime, record.accessTime, record.writeTime};
    const StampBit bits[] = {kCreationStamp, kAccessStamp, kWriteStamp};
    LARGE_INTEGER* const stamps[] = {&held.CreationTime, &held.LastAccessTime, &held.LastWriteTime};
    FILE_BASIC_INFO times = {}; // zero: left as it is
    LARGE_INTEGER* const changes[] = {&times.CreationTime, &times.LastAccessTime, &times.LastWriteTime};
    bool timesDiffer = false;
    for (int i = 0; i < 3; ++i) {
        const bool written = record.stampsToWrite != 0 ? (record.stampsToWrite & bits[i]) != 0 : values[i] != 0;
        if (!written)
            continue;
        FILETIME wantedStamp;
        if (!TimeValueToFileTime(values[i], &wantedStamp))
            return Fail(detail, L"日時がファイルに記録できる範囲の外です", ERROR_INVALID_PARAMETER);
        if (!HoldsSecond(AsFileTime(*stamps[i]), values[i])) {
            *changes[i] = AsStamp(wantedStamp);
            timesDiffer = true;
        }
    }

    // A read-only file takes its new flags first, so that nothing is set on it while it is
    // read-only; every other file gets its times first and its flags last.
    bool changed = false;
    if (attributesDiffer && wasReadOnly) {
        if (!SetAttributes(file, wanted)) {
            const DWORD error = GetLastError();
            return Fail(detail, L"属性を変更できませんでした", error);
        }
        changed = true;
    }
    if (timesDiffer) {
        if (!SetBasicInfo(file, times)) {
            const DWORD error = GetLastError();
            if (changed)
                SetAttributes(file, current); // left with the flags it had
            return Fail(detail, L"日時を変更できませんでした", error);
        }
        changed = true;
    }
    if (attributesDiffer && !wasReadOnly && !SetAttributes(file, wanted)) {
        const DWORD error = GetLastError();
        return Fail(detail, L"属性を変更できませんでした", error);
    }
    return true;
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

void CFileOperate::ReportFailures() const
{
    if (m_failures.empty())
        return;
    std::wstring text;
    for (const WriteFailure& failure : m_failures) {
        text += failure.path;
        if (!failure.detail.empty())
            text += L"：" + failure.detail;
        text += L"\r\n";
    }
    text += kFailureSentence;
    // Owned by the main dialog, so that it takes no input while the list is shown.
    MessageBoxW(AfxGetMainWndHandle(), text.c_str(), kFailureCaption, MB_OK | MB_ICONERROR);
}
