#include "JournalWriter.h"

#include "../framework/Exceptions.h"
#include "JournalFormat.h"

#include <shlobj.h>

#include <algorithm>
#include <cwchar>

namespace {

bool WriteAll(HANDLE file, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// The start of names beside `path` that no other writer uses: the process and its
// writer's number. CleanUpJournalLeftovers reads them back.
std::wstring UniqueNameBeside(const std::wstring& path)
{
    static volatile LONG writers = 0;
    return path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(InterlockedIncrement(&writers));
}

bool IdentityOf(HANDLE file, FileIdentity* identity)
{
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information))
        return false;
    identity->volume = information.dwVolumeSerialNumber;
    identity->high = 0;
    identity->low = (static_cast<ULONGLONG>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return true;
}

// False when another program holds the journal so that it cannot be replaced: found out
// before a second name is linked to it, which the same hold would keep from being removed.
bool PreviousCanBeReplaced(const std::wstring& path)
{
    UniqueHandle previous(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    if (!previous.Valid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    return true;
}

bool RemoveThrough(HANDLE file)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

} // namespace

ChangeJournalWriter::ChangeJournalWriter(std::wstring path) : m_path(std::move(path))
{
    GetSystemTimeAsFileTime(&m_began);
}

ChangeJournalWriter::~ChangeJournalWriter()
{
    Finish(true);
}

bool ChangeJournalWriter::AppendGroup(const std::vector<JournalEntry>& entries, DWORD* error)
{
    if (m_finished) {
        *error = ERROR_INVALID_FUNCTION;
        return false;
    }
    if (entries.empty())
        return true;
    const std::string group = GroupBytes(entries);
    if (!m_begun)
        return Begin(group, error);
    const HANDLE file = m_file.Get();
    LARGE_INTEGER end = {};
    const LARGE_INTEGER zero = {};
    if (SetFilePointerEx(file, zero, &end, FILE_CURRENT) && WriteAll(file, group) && FlushFileBuffers(file))
        return true;
    *error = GetLastError();
    // What a failed write left is cut away: the journal ends with its last whole group.
    if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file))
        FlushFileBuffers(file);
    return false;
}

bool ChangeJournalWriter::Begin(const std::string& group, DWORD* error)
{
    const size_t lastSlash = m_path.find_last_of(L'\\');
    if (lastSlash != std::wstring::npos) {
        const int made = SHCreateDirectoryExW(nullptr, m_path.substr(0, lastSlash).c_str(), nullptr);
        if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) {
            *error = static_cast<DWORD>(made);
            return false;
        }
    }
    const std::wstring unique = UniqueNameBeside(m_path);
    const std::wstring fresh = unique + L".new";
    // Others may read the journal while the apply runs, and it may be moved (into place);
    // nobody writes it.
    UniqueHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        *error = GetLastError();
        return false;
    }
    bool placed = WriteAll(file.Get(), JournalHeadBytes(m_began) + group) && FlushFileBuffers(file.Get()) &&
                  PreviousCanBeReplaced(m_path);
    if (placed) {
        // The previous journal stays reachable under a second name until Finish: a link
        // where the file system has them, else a copy.
        const std::wstring backup = unique + L".previous";
        m_hadPrevious = CreateHardLinkW(backup.c_str(), m_path.c_str(), nullptr) != FALSE;
        if (!m_hadPrevious) {
            DWORD linkError = GetLastError();
            if (linkError != ERROR_FILE_NOT_FOUND && linkError != ERROR_PATH_NOT_FOUND) {
                m_hadPrevious = CopyFileW(m_path.c_str(), backup.c_str(), TRUE) != FALSE;
                linkError = GetLastError();
                placed = m_hadPrevious || linkError == ERROR_FILE_NOT_FOUND || linkError == ERROR_PATH_NOT_FOUND;
            }
        }
        if (m_hadPrevious)
            m_backup = backup;
        // Taken before the move: Wine gives a handle whose file was moved by name a volume
        // serial number of 0.
        placed = placed && IdentityOf(file.Get(), &m_identity) &&
                 MoveFileExW(fresh.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (!placed) {
        *error = GetLastError();
        file.Close();
        DeleteFileW(fresh.c_str());
        if (m_hadPrevious)
            DeleteFileW(m_backup.c_str());
        m_hadPrevious = false;
        m_backup.clear();
        return false;
    }
    m_file = std::move(file);
    m_begun = true;
    return true;
}

UniqueHandle ChangeJournalWriter::OpenIfOurs() const
{
    UniqueHandle now(CreateFileW(m_path.c_str(), GENERIC_READ | DELETE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
    FileIdentity there;
    if (now.Valid() && IdentityOf(now.Get(), &there) && there == m_identity)
        return now;
    return UniqueHandle();
}

void ChangeJournalWriter::Finish(bool changedAnything)
{
    if (m_finished)
        return;
    m_finished = true;
    if (!m_begun)
        return;
    const auto failed = [this](const std::wstring& what) {
        const DWORD error = GetLastError();
        const std::wstring reason = SystemMessageText(error);
        m_cleanUpProblem = what + (reason.empty() ? L"（エラー " + std::to_wstring(error) + L"）" : L"（" + reason + L"）");
    };
    UniqueHandle ours = changedAnything ? UniqueHandle() : OpenIfOurs();
    if (ours.Valid()) {
        if (m_hadPrevious) {
            // No handle of ours may keep the journal from being replaced.
            ours.Close();
            m_file.Close();
            if (MoveFileExW(m_backup.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                m_hadPrevious = false;
            } else {
                // Kept aside under the name the message gives.
                failed(L"前の適用の記録 " + m_backup + L" を元の場所に戻せませんでした");
                return;
            }
        } else if (!RemoveThrough(ours.Get())) {
            // Through a handle found to be ours, so that nothing else under the name is touched.
            failed(L"何も変更しなかった適用の記録 " + m_path + L" を消せませんでした");
        }
    }
    m_file.Close();
    if (m_hadPrevious && !DeleteFileW(m_backup.c_str()))
        failed(L"前の適用の記録の控え " + m_backup + L" を消せませんでした。次に起動したときに消します");
}

namespace {

// A writer's name beside the journal: its process, and whether it is a new journal or a
// previous one kept aside; false for any other name.
bool ParseLeftoverName(const std::wstring& name, const std::wstring& journalName, DWORD* process, bool* fresh)
{
    const std::wstring stem = journalName + L".";
    if (name.compare(0, stem.size(), stem) != 0)
        return false;
    const std::wstring rest = name.substr(stem.size());
    const size_t dash = rest.find(L'-');
    const size_t dot = rest.find(L'.');
    if (dash == std::wstring::npos || dot == std::wstring::npos || dash == 0 || dot < dash + 2)
        return false;
    const std::wstring kind = rest.substr(dot);
    if (kind != L".new" && kind != L".previous")
        return false;
    for (size_t i = 0; i < dot; ++i) {
        if (i != dash && (rest[i] < L'0' || rest[i] > L'9'))
            return false;
    }
    *process = static_cast<DWORD>(std::wcstoul(rest.substr(0, dash).c_str(), nullptr, 10));
    *fresh = kind == L".new";
    return true;
}

bool ProcessRuns(DWORD id)
{
    if (id == GetCurrentProcessId())
        return true;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    DWORD code = 0;
    return process.Valid() && GetExitCodeProcess(process.Get(), &code) && code == STILL_ACTIVE;
}

} // namespace

std::vector<std::wstring> CleanUpJournalLeftovers(const std::wstring& path)
{
    std::vector<std::wstring> notCleaned;
    if (path.empty())
        return notCleaned;
    const size_t lastSlash = path.find_last_of(L'\\');
    const std::wstring folder = lastSlash == std::wstring::npos ? std::wstring() : path.substr(0, lastSlash + 1);
    const std::wstring journalName = path.substr(folder.size());
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW((path + L".*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return notCleaned;
    std::vector<std::pair<std::wstring, bool>> leftovers;
    do {
        DWORD process = 0;
        bool fresh = false;
        if (ParseLeftoverName(found.cFileName, journalName, &process, &fresh) && !ProcessRuns(process))
            leftovers.push_back({folder + found.cFileName, fresh});
    } while (FindNextFileW(find, &found));
    FindClose(find);
    for (const auto& leftover : leftovers) {
        const bool journalInPlace = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        const bool cleaned =
            leftover.second || journalInPlace
                ? DeleteFileW(leftover.first.c_str()) != FALSE
                : MoveFileExW(leftover.first.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
        if (!cleaned)
            notCleaned.push_back(leftover.first);
    }
    return notCleaned;
}
