#include "ChangeJournal.h"

#include <shlobj.h>

#include <knownfolders.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {

const wchar_t* const kHeader = L"Kalendrix undo journal 2";
// What the program wrote before files had identities and groups their closing lines; still
// read, so that an apply made before an update can be undone after it.
const wchar_t* const kFirstVersionHeader = L"Kalendrix undo journal 1";
const wchar_t* const kHeaderStem = L"Kalendrix undo journal ";
const wchar_t* const kColumns =
    L"# パス\t新しいパス\tボリューム\tファイルID（上位）\tファイルID（下位）\t作成（前）\t作成（後）"
    L"\t更新（前）\t更新（後）\tアクセス（前）\tアクセス（後）\t属性（前）\t属性（後）"
    L"　日時はUTC、「-」はその適用で変わらなかったもの、「以上」の行は組の件数とそのCRC-32";
const wchar_t* const kBegan = L"適用の開始";
const wchar_t* const kGroupEnd = L"以上";
const wchar_t* const kUnchanged = L"-";
const char kByteOrderMark[] = "\xEF\xBB\xBF";
const size_t kFieldCount = 13;
const size_t kFirstVersionFieldCount = 10;
// The longest line an entry can make: two paths of 32 767 UTF-16 units, at most three
// bytes of UTF-8 each, and the other fields, with room to spare. A longer line is damage,
// refused before more of it is read.
const size_t kLongestLine = 256 * 1024;
const DWORD kReadChunk = 64 * 1024;

std::wstring FormatStamp(LONGLONG stamp)
{
    const ULONGLONG value = static_cast<ULONGLONG>(stamp);
    FILETIME time = {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
    SYSTEMTIME parts;
    wchar_t text[48];
    if (stamp >= 0 && FileTimeToSystemTime(&time, &parts)) {
        swprintf(text, 48, L"%04u-%02u-%02uT%02u:%02u:%02u.%07lluZ", parts.wYear, parts.wMonth, parts.wDay,
                 parts.wHour, parts.wMinute, parts.wSecond, value % 10000000ULL);
    } else {
        // No calendar time: the number as the file system gave it.
        swprintf(text, 48, L"%lld", stamp);
    }
    return text;
}

bool ParseStamp(const std::wstring& field, LONGLONG* stamp)
{
    SYSTEMTIME parts = {};
    unsigned long long fraction = 0;
    LONGLONG value = 0;
    if (swscanf(field.c_str(), L"%hu-%hu-%huT%hu:%hu:%hu.%lluZ", &parts.wYear, &parts.wMonth, &parts.wDay,
                &parts.wHour, &parts.wMinute, &parts.wSecond, &fraction) == 7) {
        FILETIME time;
        if (fraction >= 10000000ULL || !SystemTimeToFileTime(&parts, &time))
            return false;
        value = static_cast<LONGLONG>(((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) +
                                      fraction);
    } else if (swscanf(field.c_str(), L"%lld", &value) != 1) {
        return false;
    }
    // Only the exact form the writer gives is taken, so that nothing is read loosely.
    *stamp = value;
    return FormatStamp(value) == field;
}

std::wstring FormatWord(DWORD word)
{
    wchar_t text[16];
    swprintf(text, 16, L"%08lX", static_cast<unsigned long>(word));
    return text;
}

bool ParseWord(const std::wstring& field, DWORD* word)
{
    unsigned long value = 0;
    if (swscanf(field.c_str(), L"%lx", &value) != 1 || value > 0xFFFFFFFFUL)
        return false;
    *word = static_cast<DWORD>(value);
    return FormatWord(*word) == field;
}

std::vector<std::wstring> SplitFields(const std::wstring& line)
{
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find(L'\t', start);
        fields.push_back(line.substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start));
        if (tab == std::wstring::npos)
            return fields;
        start = tab + 1;
    }
}

std::string Utf8Of(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], length, nullptr, nullptr);
    return bytes;
}

bool TextOfUtf8(const std::string& bytes, std::wstring* text)
{
    text->clear();
    if (bytes.empty())
        return true;
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0)
        return false;
    text->resize(static_cast<size_t>(length));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), &(*text)[0], length);
    return true;
}

std::wstring FormatId(ULONGLONG id)
{
    wchar_t text[24];
    swprintf(text, 24, L"%016llX", id);
    return text;
}

bool ParseId(const std::wstring& field, ULONGLONG* id)
{
    if (field.size() != 16 || swscanf(field.c_str(), L"%llx", id) != 1)
        return false;
    return FormatId(*id) == field;
}

struct CrcTable {
    DWORD entries[256];
    CrcTable()
    {
        for (DWORD n = 0; n < 256; ++n) {
            DWORD c = n;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) ? 0xEDB88320UL ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
    }
};

// CRC-32 (the polynomial of zip and PNG), continued over several pieces: start from 0.
DWORD Crc32(DWORD crc, const char* bytes, size_t size)
{
    static const CrcTable crcTable;
    const DWORD* const table = crcTable.entries;
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ static_cast<unsigned char>(bytes[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

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

std::wstring DamagedAt(size_t lineNumber)
{
    return L"記録が壊れています（" + std::to_wstring(lineNumber) + L" 行目）";
}

} // namespace


std::wstring FormatJournalLine(const JournalEntry& entry)
{
    const struct {
        LONGLONG before;
        LONGLONG after;
        unsigned part;
    } stamps[] = {
        {entry.before.creation, entry.after.creation, kCreationPart},
        {entry.before.write, entry.after.write, kWritePart},
        {entry.before.access, entry.after.access, kAccessPart},
    };
    std::wstring line = entry.path + L"\t" + entry.newPath;
    line += L"\t" + FormatId(entry.identity.volume);
    line += L"\t" + FormatId(entry.identity.high);
    line += L"\t" + FormatId(entry.identity.low);
    for (const auto& stamp : stamps) {
        line += L"\t" + FormatStamp(stamp.before);
        line += L"\t" + ((entry.changes & stamp.part) ? FormatStamp(stamp.after) : kUnchanged);
    }
    line += L"\t" + FormatWord(entry.before.attributes);
    line += L"\t" + ((entry.changes & kAttributePart) ? FormatWord(entry.after.attributes) : kUnchanged);
    return line;
}

namespace {

// The fields both versions share, from the path on; the identity, where the line has one,
// stands between the paths and the stamps.
bool ParseEntryFields(const std::vector<std::wstring>& fields, bool withIdentity, JournalEntry* entry)
{
    if (fields.size() != (withIdentity ? kFieldCount : kFirstVersionFieldCount) || fields[0].empty())
        return false;
    *entry = JournalEntry();
    entry->path = fields[0];
    entry->newPath = fields[1];
    size_t field = 2;
    if (withIdentity) {
        if (!ParseId(fields[2], &entry->identity.volume) || !ParseId(fields[3], &entry->identity.high) ||
            !ParseId(fields[4], &entry->identity.low))
            return false;
        field = 5;
    }
    const struct {
        LONGLONG& before;
        LONGLONG& after;
        unsigned part;
    } stamps[] = {
        {entry->before.creation, entry->after.creation, kCreationPart},
        {entry->before.write, entry->after.write, kWritePart},
        {entry->before.access, entry->after.access, kAccessPart},
    };
    for (const auto& stamp : stamps) {
        if (!ParseStamp(fields[field++], &stamp.before))
            return false;
        const std::wstring& after = fields[field++];
        if (after != kUnchanged) {
            if (!ParseStamp(after, &stamp.after))
                return false;
            entry->changes |= stamp.part;
        }
    }
    if (!ParseWord(fields[field++], &entry->before.attributes))
        return false;
    if (fields[field] != kUnchanged) {
        if (!ParseWord(fields[field], &entry->after.attributes))
            return false;
        entry->changes |= kAttributePart;
    }
    return true;
}

} // namespace

bool ParseJournalLine(const std::wstring& line, JournalEntry* entry)
{
    return ParseEntryFields(SplitFields(line), true, entry);
}

namespace {

std::wstring BeganLine(const FILETIME& began)
{
    return std::wstring(kBegan) + L"\t" +
           FormatStamp(static_cast<LONGLONG>((static_cast<ULONGLONG>(began.dwHighDateTime) << 32) | began.dwLowDateTime));
}

bool ParseBeganLine(const std::wstring& line, FILETIME* began)
{
    const std::vector<std::wstring> fields = SplitFields(line);
    LONGLONG stamp = 0;
    if (fields.size() != 2 || fields[0] != kBegan || !ParseStamp(fields[1], &stamp) || stamp < 0)
        return false;
    began->dwLowDateTime = static_cast<DWORD>(stamp);
    began->dwHighDateTime = static_cast<DWORD>(static_cast<ULONGLONG>(stamp) >> 32);
    return true;
}

// A group's lines, each with its line break, and its closing line: the number of lines and
// the CRC-32 of their bytes.
std::string GroupBytes(const std::vector<JournalEntry>& entries)
{
    std::wstring text;
    for (const JournalEntry& entry : entries)
        text += FormatJournalLine(entry) + L"\r\n";
    std::string bytes = Utf8Of(text);
    const std::wstring end = std::wstring(kGroupEnd) + L"\t" + std::to_wstring(entries.size()) + L"\t" +
                             FormatWord(Crc32(0, bytes.data(), bytes.size())) + L"\r\n";
    return bytes + Utf8Of(end);
}

bool ParseGroupEnd(const std::wstring& line, size_t* count, DWORD* crc)
{
    const std::vector<std::wstring> fields = SplitFields(line);
    unsigned long long number = 0;
    if (fields.size() != 3 || fields[0] != kGroupEnd || swscanf(fields[1].c_str(), L"%llu", &number) != 1 ||
        std::to_wstring(number) != fields[1] || !ParseWord(fields[2], crc))
        return false;
    *count = static_cast<size_t>(number);
    return true;
}

// The lines of a file, read in chunks: no line longer than kLongestLine is held whole.
class LineReader {
public:
    enum class Result { line, end, tooLong, failed };

    explicit LineReader(HANDLE file) : m_file(file) {}

    // The next line without its line break. At the end, bytes after the last line break
    // (a line cut off) are passed over.
    Result Next(std::string* line)
    {
        for (;;) {
            const size_t found = m_buffer.find("\r\n", m_scanned);
            if (found != std::string::npos) {
                if (found - m_start > kLongestLine)
                    return Result::tooLong;
                line->assign(m_buffer, m_start, found - m_start);
                m_start = found + 2;
                m_scanned = m_start;
                return Result::line;
            }
            if (m_buffer.size() - m_start > kLongestLine)
                return Result::tooLong;
            if (m_ended)
                return Result::end;
            // A line break split between chunks is found from its first byte.
            m_buffer.erase(0, m_start);
            m_scanned = m_buffer.empty() ? 0 : m_buffer.size() - 1;
            m_start = 0;
            const size_t held = m_buffer.size();
            m_buffer.resize(held + kReadChunk);
            DWORD got = 0;
            if (!ReadFile(m_file, &m_buffer[held], kReadChunk, &got, nullptr))
                return Result::failed;
            m_buffer.resize(held + got);
            m_ended = got == 0;
        }
    }

private:
    HANDLE m_file;
    std::string m_buffer;
    size_t m_start = 0;   // where the next line begins in m_buffer
    size_t m_scanned = 0; // where the search for its line break goes on
    bool m_ended = false;
};

JournalReading Unreadable(std::wstring* problem, const std::wstring& reason)
{
    *problem = reason;
    return JournalReading::unreadable;
}

// Reads a journal of either version from `file`.
JournalReading ReadJournal(HANDLE file, std::vector<JournalEntry>* entries, FILETIME* made, std::wstring* problem)
{
    LineReader lines(file);
    int version = 0;
    // The group being read: taken when its closing line agrees with it.
    std::vector<JournalEntry> group;
    size_t groupLines = 0;
    size_t firstBadLine = 0; // in the group; 0: none
    DWORD groupCrc = 0;
    for (size_t number = 1;; ++number) {
        std::string raw;
        const LineReader::Result result = lines.Next(&raw);
        if (result == LineReader::Result::failed)
            return Unreadable(problem, L"記録を読めません");
        if (result == LineReader::Result::tooLong)
            return Unreadable(problem, DamagedAt(number));
        if (result == LineReader::Result::end) {
            // The writer puts a journal's first lines in place whole; a group without its
            // closing line, cut off or not, names only files that were not changed.
            const size_t headerLines = version == 2 ? 3 : 1;
            return number <= headerLines ? Unreadable(problem, DamagedAt(number)) : JournalReading::read;
        }
        std::wstring line;
        if (number == 1) {
            if (raw.compare(0, 3, kByteOrderMark) != 0 || !TextOfUtf8(raw.substr(3), &line))
                return Unreadable(problem, DamagedAt(1));
            if (line == kHeader)
                version = 2;
            else if (line == kFirstVersionHeader)
                version = 1;
            else if (line.compare(0, wcslen(kHeaderStem), kHeaderStem) == 0)
                return Unreadable(problem, L"ほかの版のKalendrixが書いた記録です");
            else
                return Unreadable(problem, DamagedAt(1));
            continue;
        }
        const bool text = TextOfUtf8(raw, &line);
        if (version == 1) {
            // Every whole line is a file, or a comment.
            JournalEntry entry;
            if (text && !line.empty() && line[0] == L'#')
                continue;
            if (!text || !ParseEntryFields(SplitFields(line), false, &entry))
                return Unreadable(problem, DamagedAt(number));
            entries->push_back(entry);
            continue;
        }
        if (number == 2) {
            if (!text || line.empty() || line[0] != L'#')
                return Unreadable(problem, DamagedAt(2));
            continue;
        }
        if (number == 3) {
            if (!text || !ParseBeganLine(line, made))
                return Unreadable(problem, DamagedAt(3));
            continue;
        }
        size_t count = 0;
        DWORD crc = 0;
        if (text && ParseGroupEnd(line, &count, &crc)) {
            if (firstBadLine != 0)
                return Unreadable(problem, DamagedAt(firstBadLine));
            // The writer closes no empty group.
            if (groupLines == 0 || count != groupLines || crc != groupCrc)
                return Unreadable(problem, DamagedAt(number));
            entries->insert(entries->end(), group.begin(), group.end());
            group.clear();
            groupLines = 0;
            groupCrc = 0;
            continue;
        }
        // Judged when the group's closing line comes: without one, the group is passed over.
        raw += "\r\n";
        groupCrc = Crc32(groupCrc, raw.data(), raw.size());
        ++groupLines;
        JournalEntry entry;
        if (text && ParseJournalLine(line, &entry))
            group.push_back(entry);
        else if (firstBadLine == 0)
            firstBadLine = number;
    }
}

// The start of names beside `path` that no other writer uses: the process and its
// writer's number.
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
    HANDLE previous = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    if (previous == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    CloseHandle(previous);
    return true;
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

bool ChangeJournalWriter::Begun() const
{
    return m_begun;
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
    LARGE_INTEGER end = {};
    const LARGE_INTEGER zero = {};
    if (SetFilePointerEx(m_file, zero, &end, FILE_CURRENT) && WriteAll(m_file, group) && FlushFileBuffers(m_file))
        return true;
    *error = GetLastError();
    // What a failed write left is cut away: the journal ends with its last whole group.
    if (SetFilePointerEx(m_file, end, nullptr, FILE_BEGIN) && SetEndOfFile(m_file))
        FlushFileBuffers(m_file);
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
    HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
    }
    const std::string bytes = kByteOrderMark +
                              Utf8Of(std::wstring(kHeader) + L"\r\n" + kColumns + L"\r\n" + BeganLine(m_began) + L"\r\n") +
                              group;
    bool placed = WriteAll(file, bytes) && FlushFileBuffers(file) && PreviousCanBeReplaced(m_path);
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
        placed = placed && IdentityOf(file, &m_identity) &&
                 MoveFileExW(fresh.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (!placed) {
        *error = GetLastError();
        CloseHandle(file);
        DeleteFileW(fresh.c_str());
        if (m_hadPrevious)
            DeleteFileW(m_backup.c_str());
        m_hadPrevious = false;
        m_backup.clear();
        return false;
    }
    m_file = file;
    m_begun = true;
    return true;
}

HANDLE ChangeJournalWriter::OpenIfOurs() const
{
    HANDLE now = CreateFileW(m_path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    FileIdentity there;
    if (now != INVALID_HANDLE_VALUE && IdentityOf(now, &there) && there == m_identity)
        return now;
    if (now != INVALID_HANDLE_VALUE)
        CloseHandle(now);
    return INVALID_HANDLE_VALUE;
}

void ChangeJournalWriter::Finish(bool changedAnything)
{
    if (m_finished)
        return;
    m_finished = true;
    if (!m_begun)
        return;
    HANDLE ours = changedAnything ? INVALID_HANDLE_VALUE : OpenIfOurs();
    if (ours != INVALID_HANDLE_VALUE) {
        if (m_hadPrevious) {
            // No handle of ours may keep the journal from being replaced.
            CloseHandle(ours);
            Close();
            if (MoveFileExW(m_backup.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                m_hadPrevious = false;
        } else {
            // Through a handle found to be ours, so that nothing else under the name is touched.
            FILE_DISPOSITION_INFO disposition = {TRUE};
            SetFileInformationByHandle(ours, FileDispositionInfo, &disposition, sizeof disposition);
            CloseHandle(ours);
        }
    }
    Close();
    if (m_hadPrevious)
        DeleteFileW(m_backup.c_str());
}

void ChangeJournalWriter::Close()
{
    if (m_file != INVALID_HANDLE_VALUE) {
        CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
}

ChangeJournalFile::~ChangeJournalFile()
{
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
}

JournalReading ChangeJournalFile::Open(const std::wstring& path, std::wstring* problem)
{
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
    m_entries.clear();
    m_made = {};
    problem->clear();
    // Delete access and shared deletion: the journal is removed through this handle.
    m_file = CreateFileW(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return JournalReading::missing;
        *problem = L"記録を開けません";
        return JournalReading::unreadable;
    }
    const JournalReading reading = ReadJournal(m_file, &m_entries, &m_made, problem);
    if (reading != JournalReading::read) {
        m_entries.clear();
        m_made = {};
        CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
    return reading;
}

bool ChangeJournalFile::Remove(DWORD* error)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (m_file == INVALID_HANDLE_VALUE) {
        *error = ERROR_INVALID_HANDLE;
        return false;
    }
    if (!SetFileInformationByHandle(m_file, FileDispositionInfo, &disposition, sizeof disposition)) {
        *error = GetLastError();
        return false;
    }
    CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    return true;
}

std::wstring DefaultJournalPath()
{
    const wchar_t* const kFolderVariable = L"KALENDRIX_JOURNAL_FOLDER";
    const DWORD size = GetEnvironmentVariableW(kFolderVariable, nullptr, 0);
    if (size > 1) {
        std::wstring folder(size, L'\0');
        folder.resize(GetEnvironmentVariableW(kFolderVariable, &folder[0], size));
        if (!folder.empty() && folder.back() != L'\\')
            folder += L'\\';
        return folder + L"UndoJournal.txt";
    }
    PWSTR known = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known)))
        path = std::wstring(known) + L"\\tavolin\\Kalendrix\\UndoJournal.txt";
    CoTaskMemFree(known);
    return path;
}
