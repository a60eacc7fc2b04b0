#include "ChangeJournal.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {

const wchar_t* const kHeader = L"Kalendrix undo journal 1";
const wchar_t* const kHeaderStem = L"Kalendrix undo journal ";
const wchar_t* const kColumns =
    L"# パス\t新しいパス\t作成（前）\t作成（後）\t更新（前）\t更新（後）\tアクセス（前）\tアクセス（後）"
    L"\t属性（前）\t属性（後）　日時はUTC、「-」はその適用で変わらなかったもの";
const wchar_t* const kUnchanged = L"-";
const char kByteOrderMark[] = "\xEF\xBB\xBF";
// Far beyond the journal of any apply; a larger file is not read into memory.
const LONGLONG kLargestJournal = 512LL * 1024 * 1024;
const int kFieldCount = 10;

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
    for (const auto& stamp : stamps) {
        line += L"\t" + FormatStamp(stamp.before);
        line += L"\t" + ((entry.changes & stamp.part) ? FormatStamp(stamp.after) : kUnchanged);
    }
    line += L"\t" + FormatWord(entry.before.attributes);
    line += L"\t" + ((entry.changes & kAttributePart) ? FormatWord(entry.after.attributes) : kUnchanged);
    return line;
}

bool ParseJournalLine(const std::wstring& line, JournalEntry* entry)
{
    const std::vector<std::wstring> fields = SplitFields(line);
    if (fields.size() != kFieldCount || fields[0].empty())
        return false;
    *entry = JournalEntry();
    entry->path = fields[0];
    entry->newPath = fields[1];
    const struct {
        LONGLONG& before;
        LONGLONG& after;
        unsigned part;
    } stamps[] = {
        {entry->before.creation, entry->after.creation, kCreationPart},
        {entry->before.write, entry->after.write, kWritePart},
        {entry->before.access, entry->after.access, kAccessPart},
    };
    size_t field = 2;
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
    if (!ParseWord(fields[8], &entry->before.attributes))
        return false;
    if (fields[9] != kUnchanged) {
        if (!ParseWord(fields[9], &entry->after.attributes))
            return false;
        entry->changes |= kAttributePart;
    }
    return true;
}

bool ChangeJournalWriter::Append(const std::vector<JournalEntry>& entries, DWORD* error)
{
    std::wstring text;
    const bool first = m_file == INVALID_HANDLE_VALUE;
    if (first) {
        const size_t lastSlash = m_path.find_last_of(L'\\');
        if (lastSlash != std::wstring::npos) {
            const int made = SHCreateDirectoryExW(nullptr, m_path.substr(0, lastSlash).c_str(), nullptr);
            if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) {
                *error = static_cast<DWORD>(made);
                return false;
            }
        }
        // Others may read it while the apply runs; nobody writes it.
        m_file = CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_file == INVALID_HANDLE_VALUE) {
            *error = GetLastError();
            return false;
        }
        text = std::wstring(kHeader) + L"\r\n" + kColumns + L"\r\n";
    }
    for (const JournalEntry& entry : entries)
        text += FormatJournalLine(entry) + L"\r\n";
    std::string bytes = Utf8Of(text);
    if (first)
        bytes.insert(0, kByteOrderMark);
    if (!WriteAll(m_file, bytes) || !FlushFileBuffers(m_file)) {
        *error = GetLastError();
        return false;
    }
    return true;
}

void ChangeJournalWriter::Discard()
{
    if (m_file == INVALID_HANDLE_VALUE)
        return;
    Close();
    DeleteFileW(m_path.c_str());
}

void ChangeJournalWriter::Close()
{
    if (m_file != INVALID_HANDLE_VALUE) {
        CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
}

JournalReading ReadChangeJournal(const std::wstring& path, std::vector<JournalEntry>* entries, std::wstring* problem)
{
    entries->clear();
    problem->clear();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return JournalReading::missing;
        *problem = L"記録を開けません";
        return JournalReading::unreadable;
    }
    LARGE_INTEGER size = {};
    std::string bytes;
    bool read = GetFileSizeEx(file, &size) && size.QuadPart <= kLargestJournal;
    if (read) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        read = bytes.empty() || (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                                 got == bytes.size());
    }
    CloseHandle(file);
    if (!read) {
        *problem = L"記録を読めません";
        return JournalReading::unreadable;
    }

    std::wstring text;
    if (bytes.compare(0, 3, kByteOrderMark) != 0 || !TextOfUtf8(bytes.substr(3), &text)) {
        *problem = DamagedAt(1);
        return JournalReading::unreadable;
    }
    // Every line the writer finishes ends with a line break.
    if (text.size() < 2 || text.compare(text.size() - 2, 2, L"\r\n") != 0) {
        *problem = L"記録が途中で切れています";
        return JournalReading::unreadable;
    }
    size_t lineNumber = 0;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find(L"\r\n", start);
        const std::wstring line = text.substr(start, end - start);
        start = end + 2;
        ++lineNumber;
        if (lineNumber == 1) {
            if (line == kHeader)
                continue;
            *problem = line.compare(0, wcslen(kHeaderStem), kHeaderStem) == 0
                           ? L"ほかの版のKalendrixが書いた記録です"
                           : DamagedAt(1);
            return JournalReading::unreadable;
        }
        if (!line.empty() && line[0] == L'#')
            continue;
        JournalEntry entry;
        if (!ParseJournalLine(line, &entry)) {
            *problem = DamagedAt(lineNumber);
            entries->clear();
            return JournalReading::unreadable;
        }
        entries->push_back(entry);
    }
    return JournalReading::read;
}

std::wstring DefaultJournalPath()
{
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return std::wstring();
    return std::wstring(folder) + L"\\tavolin\\Kalendrix\\UndoJournal.txt";
}
