#include "FileStateAccess.h"

#include "AttributeFaultsForTests.h"

#include "../framework/Exceptions.h"
#include "NameParts.h"
#include "PathForms.h"

#include <atomic>

namespace {

// Flags besides the four that a program can set and a write keeps as the file has them;
// the rest (directory, compressed, ...) SetFileAttributesW cannot set at all.
constexpr DWORD kKeptFlags = FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                             0x00008000 /* integrity stream */ | 0x00020000 /* no scrub data */ |
                             0x00080000 /* pinned */ | 0x00100000 /* unpinned */;

// The rights one open asks for: reading and setting times and attributes, and one data
// right. On Windows an open for attribute access alone skips the sharing check, so a file
// that another process holds open would not be refused; a data right brings it back.
// GENERIC_WRITE is not asked for: it would refuse a read-only file whose flag is cleared.
constexpr DWORD kStateAccess = FILE_READ_DATA | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

HANDLE OpenExclusive(const std::wstring& path)
{
    return CreateFileW(path.c_str(), kStateAccess, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A folder is opened only with backup semantics, and for its attributes alone, sharing with
// everyone: a folder is "in use" whenever a window shows it or a program watches it, which
// refuses nothing that a change of its stamps or flags would disturb.
HANDLE OpenFolderForChange(const std::wstring& path)
{
    return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A handle that only reads attributes: it is granted on any file and shares with everyone.
HANDLE OpenForReading(const std::wstring& path)
{
    return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

FileState StateOf(const BY_HANDLE_FILE_INFORMATION& info)
{
    FileState state;
    state.creation = AsStamp(info.ftCreationTime).QuadPart;
    state.write = AsStamp(info.ftLastWriteTime).QuadPart;
    state.access = AsStamp(info.ftLastAccessTime).QuadPart;
    state.attributes = info.dwFileAttributes;
    return state;
}

// The file's index on its volume, as NtQueryInformationFile gives it (FileInternalInformation),
// without the volume query that GetFileInformationByHandle makes for every file.
bool ReadFileIndex(HANDLE handle, ULONGLONG* index)
{
    using QueryInformationFile = LONG(WINAPI*)(HANDLE, void* status, void* information, ULONG length, int kind);
    static const QueryInformationFile query = reinterpret_cast<QueryInformationFile>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationFile")));
    constexpr int kFileInternalInformation = 6;
    ULONG_PTR status[2] = {};
    LARGE_INTEGER internal = {};
    if (query == nullptr || query(handle, status, &internal, sizeof(internal), kFileInternalInformation) < 0)
        return false;
    *index = static_cast<ULONGLONG>(internal.QuadPart);
    return true;
}

std::wstring FinalPathOf(HANDLE handle)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.assign(length + 1, L'\0');
    }
}

// State and identity of an open file; the volume's serial number from `volumes` where the
// file's folder was met already.
bool ReadHeld(HANDLE handle, const std::wstring& path, VolumeSerials* volumes, FileState* state,
              FileIdentity* identity, std::wstring* finalPath = nullptr)
{
    std::wstring ownFinalPath;
    std::wstring& final = finalPath != nullptr ? *finalPath : ownFinalPath;
    FILE_BASIC_INFO basic;
    ULONGLONG index = 0;
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof(basic)) || !ReadFileIndex(handle, &index)) {
        // The one call that gives both, with the volume's serial number.
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(handle, &info))
            return false;
        final = FinalPathOf(handle);
        *state = StateOf(info);
        identity->volume = info.dwVolumeSerialNumber;
        identity->high = 0;
        identity->low = (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        return true;
    }
    state->creation = basic.CreationTime.QuadPart;
    state->write = basic.LastWriteTime.QuadPart;
    state->access = basic.LastAccessTime.QuadPart;
    state->attributes = basic.FileAttributes;
    // A file's own final path costs more than the rest of its reading (Wine asks every drive
    // letter): where it is no link, its folder's, asked once, gives it.
    const std::wstring name = FileNameOfPath(path);
    if (volumes != nullptr && !(basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        name.find(L'~') == std::wstring::npos)
        final = volumes->FinalPathInFolder(path);
    if (final.empty())
        final = FinalPathOf(handle);
    VolumeSerials own;
    identity->volume = (volumes != nullptr ? volumes : &own)->Of(handle, final, path);
    identity->high = 0;
    identity->low = index;
    return true;
}

bool SetBasicInfo(HANDLE file, FILE_BASIC_INFO change)
{
    return SetFileInformationByHandle(file, FileBasicInfo, &change, sizeof(change)) != FALSE;
}

DWORD WithoutReadOnly(DWORD word)
{
    word &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    return word == 0 ? FILE_ATTRIBUTE_NORMAL : word;
}

} // namespace

LARGE_INTEGER AsStamp(const FILETIME& time)
{
    LARGE_INTEGER stamp;
    stamp.QuadPart = static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return stamp;
}

FILETIME AsFileTime(LONGLONG stamp)
{
    const ULONGLONG bits = static_cast<ULONGLONG>(stamp);
    return {static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
}

DWORD MergedAttributes(DWORD current, DWORD boxes)
{
    DWORD word = (current & kKeptFlags) | (boxes & kBoxFlags);
    return word == 0 ? FILE_ATTRIBUTE_NORMAL : word;
}

namespace {

// The drive ("C:\\") or network share ("\\\\server\\share\\") a full path lies on, in upper
// case; empty when it is neither.
std::wstring VolumeRootOf(const std::wstring& path)
{
    const std::wstring plain = DisplayPath(path);
    std::wstring root;
    if (plain.size() >= 3 && plain[1] == L':' && plain[2] == L'\\') {
        root = plain.substr(0, 3);
    } else if (plain.compare(0, 2, L"\\\\") == 0) {
        const size_t server = plain.find(L'\\', 2);
        const size_t share = server == std::wstring::npos ? server : plain.find(L'\\', server + 1);
        root = share == std::wstring::npos ? plain + L"\\" : plain.substr(0, share + 1);
    }
    CharUpperBuffW(&root[0], static_cast<DWORD>(root.size()));
    return root;
}

} // namespace

std::wstring VolumeSerials::FinalPathInFolder(const std::wstring& path)
{
    std::wstring folder = FolderOfPath(path);
    if (folder.empty())
        return std::wstring();
    if (folder.back() == L':')
        folder += L'\\'; // the drive's root, not its current folder
    if (folder != m_folder) {
        UniqueHandle opened(OpenForReading(folder));
        m_folderFinal = opened.Valid() ? FinalPathOf(opened.Get()) : std::wstring();
        m_folder = folder;
    }
    if (m_folderFinal.empty())
        return std::wstring();
    return m_folderFinal + (m_folderFinal.back() == L'\\' ? L"" : L"\\") + FileNameOfPath(path);
}

DWORD VolumeSerials::Of(HANDLE file, const std::wstring& finalPath, const std::wstring& path)
{
    std::wstring root = VolumeRootOf(finalPath);
    // Not known by its own path: by its folder, as the files beside it.
    if (root.empty())
        root = L"?" + FolderOfPath(path);
    const auto known = m_serials.find(root);
    if (known != m_serials.end())
        return known->second;
    DWORD serial = 0;
    if (!GetVolumeInformationByHandleW(file, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
        BY_HANDLE_FILE_INFORMATION info;
        serial = GetFileInformationByHandle(file, &info) ? info.dwVolumeSerialNumber : 0;
    }
    m_serials[root] = serial;
    return serial;
}

namespace {

// Takes `opened` into `file` with the state, identity and final path read on it.
bool OpenHeld(const std::wstring& path, HANDLE opened, FileForChange* file, DWORD* error, VolumeSerials* volumes)
{
    file->handle = UniqueHandle(opened);
    if (!file->handle.Valid() ||
        !ReadHeld(file->handle.Get(), path, volumes, &file->held, &file->identity, &file->finalPath)) {
        *error = GetLastError();
        file->handle.Close();
        return false;
    }
    return true;
}

} // namespace

bool OpenForChange(const std::wstring& path, FileForChange* file, DWORD* error, VolumeSerials* volumes)
{
    *file = FileForChange();
    file->handle = UniqueHandle(OpenExclusive(path));
    if (!file->handle.Valid()) {
        *error = GetLastError();
        if (*error != ERROR_ACCESS_DENIED)
            return false;
        // A folder is refused by this open; Windows grants it on a read-only file, which
        // Wine refuses. Both are told apart by what the path holds.
        FileState state;
        if (!ReadStateByPath(path, &state))
            return false;
        if (state.attributes & FILE_ATTRIBUTE_DIRECTORY)
            return OpenHeld(path, OpenFolderForChange(path), file, error, volumes);
        if (!(state.attributes & FILE_ATTRIBUTE_READONLY))
            return false;
        UniqueHandle reading(OpenForReading(path));
        if (!reading.Valid() ||
            !ReadHeld(reading.Get(), path, volumes, &file->held, &file->identity, &file->finalPath)) {
            *error = GetLastError();
            return false;
        }
        file->shutByReadOnly = true;
        return true;
    }
    return OpenHeld(path, file->handle.Release(), file, error, volumes);
}

bool ReopenClearingReadOnly(const std::wstring& path, FileForChange* file, DWORD* error, VolumeSerials* volumes)
{
    const DWORD original = file->held.attributes;
    if (!SetFileAttributesW(path.c_str(), WithoutReadOnly(original))) {
        *error = GetLastError();
        return false;
    }
    UniqueHandle handle(OpenExclusive(path));
    FileState now;
    FileIdentity identity;
    if (!handle.Valid() || !ReadHeld(handle.Get(), path, volumes, &now, &identity) || identity != file->identity) {
        *error = handle.Valid() && identity != file->identity ? kReplacedFileError : GetLastError();
        handle.Close();
        SetAttributesByPath(path, original);
        return false;
    }
    file->handle = std::move(handle);
    file->held = now;
    file->shutByReadOnly = false;
    return true;
}

StateChange SetFileState(FileForChange& file, const FileState& stamps, bool setAttributes, DWORD word)
{
    const HANDLE handle = file.handle.Get();
    FILE_BASIC_INFO times = {}; // zero: left as it is
    times.CreationTime.QuadPart = stamps.creation;
    times.LastWriteTime.QuadPart = stamps.write;
    times.LastAccessTime.QuadPart = stamps.access;
    const bool setStamps = stamps.creation != 0 || stamps.write != 0 || stamps.access != 0;
    const bool readOnlyNow = (file.held.attributes & FILE_ATTRIBUTE_READONLY) != 0;

    StateChange change;
    const auto failed = [&change](FailedStep step) {
        change.error = GetLastError();
        change.failed = step;
        return change;
    };
    if (setAttributes && readOnlyNow && !SetAttributes(handle, word))
        return failed(FailedStep::attributes);
    if (setStamps && !SetBasicInfo(handle, times)) {
        failed(FailedStep::stamps);
        // Left with the flags it had; where they cannot be put back, it holds them changed.
        change.partlyMade = setAttributes && readOnlyNow && !SetAttributes(handle, file.held.attributes);
        return change;
    }
    if (setAttributes && !readOnlyNow && !SetAttributes(handle, word)) {
        failed(FailedStep::attributes);
        change.partlyMade = setStamps;
        return change;
    }
    return change;
}

bool ReadBack(HANDLE file, FileState* state)
{
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic)))
        return false;
    state->creation = basic.CreationTime.QuadPart;
    state->write = basic.LastWriteTime.QuadPart;
    state->access = basic.LastAccessTime.QuadPart;
    state->attributes = basic.FileAttributes;
    return true;
}

std::wstring StateChangeText(const StateChange& change, bool undoing)
{
    const bool stamps = change.failed == FailedStep::stamps;
    const wchar_t* const failedPart = stamps ? L"日時" : L"属性";
    const wchar_t* const madePart = stamps ? L"属性" : L"日時";
    std::wstring text;
    if (change.partlyMade)
        text = std::wstring(madePart) + (undoing ? L"は戻しましたが、" : L"は変更しましたが、");
    text += std::wstring(failedPart) + (undoing ? L"を戻せませんでした" : L"を変更できませんでした");
    return text + L"（" + ReasonText(change.error) + L"）";
}

namespace {

std::atomic<unsigned> attributeFailuresForTests{0};
std::atomic<DWORD> attributeFailureErrorForTests{ERROR_SUCCESS};

} // namespace

void FailAttributeSettingsForTests(unsigned count, DWORD error)
{
    attributeFailureErrorForTests = error;
    attributeFailuresForTests = count;
}

bool SetAttributes(HANDLE file, DWORD word)
{
    for (unsigned left = attributeFailuresForTests.load(); left != 0;) {
        if (attributeFailuresForTests.compare_exchange_weak(left, left - 1)) {
            SetLastError(attributeFailureErrorForTests);
            return false;
        }
    }
    FILE_BASIC_INFO change = {}; // zero times: left as they are
    if (word & FILE_ATTRIBUTE_READONLY) {
        change.FileAttributes = WithoutReadOnly(word);
        if (!SetBasicInfo(file, change))
            return false;
    }
    change.FileAttributes = word;
    return SetBasicInfo(file, change);
}

bool SetAttributesByPath(const std::wstring& path, DWORD word)
{
    if ((word & FILE_ATTRIBUTE_READONLY) && !SetFileAttributesW(path.c_str(), WithoutReadOnly(word)))
        return false;
    return SetFileAttributesW(path.c_str(), word) != FALSE;
}

bool ReadAttributeData(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA* data)
{
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, data))
        return false;
    if (!(data->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    // A link: what it points to, as every open of it gives.
    UniqueHandle reading(OpenForReading(path));
    BY_HANDLE_FILE_INFORMATION info;
    if (!reading.Valid() || !GetFileInformationByHandle(reading.Get(), &info))
        return false;
    data->dwFileAttributes = info.dwFileAttributes;
    data->ftCreationTime = info.ftCreationTime;
    data->ftLastAccessTime = info.ftLastAccessTime;
    data->ftLastWriteTime = info.ftLastWriteTime;
    data->nFileSizeHigh = info.nFileSizeHigh;
    data->nFileSizeLow = info.nFileSizeLow;
    return true;
}

bool ReadStateByPath(const std::wstring& path, FileState* state)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!ReadAttributeData(path, &data))
        return false;
    state->creation = AsStamp(data.ftCreationTime).QuadPart;
    state->write = AsStamp(data.ftLastWriteTime).QuadPart;
    state->access = AsStamp(data.ftLastAccessTime).QuadPart;
    state->attributes = data.dwFileAttributes;
    return true;
}

bool ReadIdentityByPath(const std::wstring& path, FileIdentity* identity)
{
    FileState state;
    DWORD error = ERROR_SUCCESS;
    return ReadHeldByPath(path, &state, identity, &error);
}

bool ReadHeldByPath(const std::wstring& path, FileState* state, FileIdentity* identity, DWORD* error)
{
    UniqueHandle reading(OpenForReading(path));
    if (reading.Valid() && ReadHeld(reading.Get(), path, nullptr, state, identity))
        return true;
    *error = GetLastError();
    return false;
}

std::wstring ReasonText(DWORD error)
{
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return L"ほかのプログラムが使用中です";
    case ERROR_ACCESS_DENIED:
        return L"アクセスが拒否されました（変更する権限がありません）";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return L"見つかりません";
    case ERROR_WRITE_PROTECT:
        return L"書き込みが禁止されています";
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NETPATH:
    case ERROR_NETNAME_DELETED:
        return L"ドライブかネットワークの場所に届きません";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return L"ディスクがいっぱいです";
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return L"その名前のファイルがすでにあります";
    case ERROR_TOO_MANY_OPEN_FILES:
        return L"開いているファイルが多すぎます";
    case kReplacedFileError:
        return L"別のファイルに置き換えられています";
    default: {
        const std::wstring text = SystemMessageText(error);
        return text.empty() ? L"エラー " + std::to_wstring(error) : text;
    }
    }
}

bool Fail(std::wstring* detail, const wchar_t* step, DWORD error)
{
    *detail = std::wstring(step) + L"（" + ReasonText(error) + L"）";
    return false;
}
