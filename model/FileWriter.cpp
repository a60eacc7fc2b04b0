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

// Puts a word back as it was. Read-only goes on last: some file systems drop hidden and
// system when they are set together with it (Wine does).
void RestoreAttributes(const std::wstring& path, DWORD word)
{
    if (word & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(path.c_str(), (word & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(path.c_str(), word);
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

// Sets the record's times to write that differ from the file's by a second or more.
bool WriteStamps(const std::wstring& path, const FileRecord& record, std::wstring* detail)
{
    const TimeValue values[] = {record.createTime, record.accessTime, record.writeTime};
    const StampBit bits[] = {kCreationStamp, kAccessStamp, kWriteStamp};
    bool written[3];
    FILETIME wanted[3] = {};
    bool any = false;
    for (int i = 0; i < 3; ++i) {
        written[i] = record.stampsToWrite != 0 ? (record.stampsToWrite & bits[i]) != 0 : values[i] != 0;
        if (!written[i])
            continue;
        if (!TimeValueToFileTime(values[i], &wanted[i]))
            return Fail(detail, L"日時がファイルに記録できる範囲の外です", ERROR_INVALID_PARAMETER);
        any = true;
    }
    if (!any)
        return true;

    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(detail, L"日時を変更するために開けませんでした", GetLastError());
    FILETIME held[3];
    if (!GetFileTime(file, &held[0], &held[1], &held[2])) {
        DWORD error = GetLastError();
        CloseHandle(file);
        return Fail(detail, L"日時を読めませんでした", error);
    }
    const FILETIME* stamps[3] = {};
    bool changes = false;
    for (int i = 0; i < 3; ++i) {
        if (written[i] && !HoldsSecond(held[i], values[i])) {
            stamps[i] = &wanted[i];
            changes = true;
        }
    }
    if (changes && !SetFileTime(file, stamps[0], stamps[1], stamps[2])) {
        DWORD error = GetLastError();
        CloseHandle(file);
        return Fail(detail, L"日時を変更できませんでした", error);
    }
    if (!CloseHandle(file))
        return Fail(detail, L"日時を変更したファイルを閉じられませんでした", GetLastError());
    return true;
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
    // A read-only file whose flag the boxes clear gets its new flags first, so that it
    // can be opened for writing; a file whose flag stays set is refused below.
    const DWORD original = GetFileAttributesW(path.c_str());
    const bool clearsReadOnly = writeAttributes && original != INVALID_FILE_ATTRIBUTES &&
                                (original & FILE_ATTRIBUTE_READONLY) && !(record.attribute & FILE_ATTRIBUTE_READONLY) &&
                                !(original & FILE_ATTRIBUTE_DIRECTORY);
    if (clearsReadOnly && !SetFileAttributesW(path.c_str(), MergedAttributes(original, record.attribute)))
        return Fail(detail, L"属性を変更できませんでした", GetLastError());

    bool written = CanOpenForWrite(path) && WriteRecordToFile(path, record, writeAttributes, detail);
    // A file that could not be written fully is left with the flags it had.
    if (!written && clearsReadOnly)
        RestoreAttributes(path, original);
    return written;
}

BOOL CFileOperate::CanOpenForWrite(std::wstring path) const
{
    if (path.size() >= MAX_PATH)
        return FALSE;
    WCHAR fullPath[MAX_PATH];
    if (!ResolveFullPath(path, fullPath, m_resolutionCacheActive ? &m_resolutionCache : nullptr))
        return FALSE;
    SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, TRUE};
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, &security, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(file);
    return TRUE;
}

bool CFileOperate::WriteRecordToFile(const std::wstring& path, const FileRecord& record, bool writeAttributes,
                                     std::wstring* detail)
{
    const DWORD current = GetFileAttributesW(path.c_str());
    if (current == INVALID_FILE_ATTRIBUTES)
        return Fail(detail, L"属性を読めませんでした", GetLastError());

    const DWORD wanted = MergedAttributes(current, record.attribute);
    const bool attributesDiffer = writeAttributes && (current & kBoxFlags) != (record.attribute & kBoxFlags);
    const bool wasReadOnly = (current & FILE_ATTRIBUTE_READONLY) != 0;
    // A read-only file takes its new flags first so that its times may be set.
    if (attributesDiffer && wasReadOnly && !SetFileAttributesW(path.c_str(), wanted))
        return Fail(detail, L"属性を変更できませんでした", GetLastError());

    if (!WriteStamps(path, record, detail)) {
        if (attributesDiffer && wasReadOnly)
            RestoreAttributes(path, current);
        return false;
    }

    if (attributesDiffer && !wasReadOnly && !SetFileAttributesW(path.c_str(), wanted))
        return Fail(detail, L"属性を変更できませんでした", GetLastError());
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
