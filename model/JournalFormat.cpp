#include "JournalFormat.h"

#include <cstdio>
#include <cwchar>
#include <cwctype>

const char kJournalLineBreak[] = "\r\n";

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

// The last year a SYSTEMTIME holds on Windows (Wine goes a year further).
const WORD kLastYear = 30827;

std::wstring FormatStamp(LONGLONG stamp)
{
    const ULONGLONG value = static_cast<ULONGLONG>(stamp);
    FILETIME time = {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
    SYSTEMTIME parts;
    wchar_t text[48];
    if (stamp >= 0 && FileTimeToSystemTime(&time, &parts) && parts.wYear <= kLastYear) {
        swprintf(text, 48, L"%04u-%02u-%02uT%02u:%02u:%02u.%07lluZ", parts.wYear, parts.wMonth, parts.wDay,
                 parts.wHour, parts.wMinute, parts.wSecond, value % 10000000ULL);
    } else {
        // No calendar time: the number as the file system gave it.
        swprintf(text, 48, L"%lld", stamp);
    }
    return text;
}

// `numberAllowed`: a stamp no undo writes (the before of a part the apply left) may be the
// number a file system gave without a calendar time.
bool ParseStamp(const std::wstring& field, LONGLONG* stamp, bool numberAllowed = false)
{
    SYSTEMTIME parts = {};
    unsigned long long fraction = 0;
    LONGLONG value = 0;
    if (swscanf(field.c_str(), L"%hu-%hu-%huT%hu:%hu:%hu.%lluZ", &parts.wYear, &parts.wMonth, &parts.wDay,
                &parts.wHour, &parts.wMinute, &parts.wSecond, &fraction) == 7) {
        FILETIME time;
        if (fraction >= 10000000ULL || parts.wYear > kLastYear || !SystemTimeToFileTime(&parts, &time))
            return false;
        value = static_cast<LONGLONG>(((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) +
                                      fraction);
    } else if (!numberAllowed || swscanf(field.c_str(), L"%lld", &value) != 1) {
        // A number stands only for what no calendar holds (negative, past the year 30827):
        // no undo may write it.
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

bool IsHighSurrogate(wchar_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// UTF-8, with a surrogate that has no partner (a name Windows allows) in the three bytes
// UTF-8 would give it if it were a character, so that it reads back as the same unit.
std::string Utf8Of(const std::wstring& text)
{
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 2);
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned long code = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (code < 0x80) {
            bytes += static_cast<char>(code);
        } else if (code < 0x800) {
            bytes += static_cast<char>(0xC0 | (code >> 6));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += static_cast<char>(0xE0 | (code >> 12));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (code >> 18));
            bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return bytes;
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

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, wcslen(prefix), prefix) == 0;
}

// A path the writer gives: a full path of a drive or of a network share, plain or extended,
// without "." or ".." parts. A relative path would be resolved against whatever folder the
// undo runs in, and a device path (\\.\, \\?\GLOBALROOT) names no file a user chose.
bool IsJournalablePath(const std::wstring& path)
{
    std::wstring rest = path;
    if (StartsWith(rest, L"\\\\?\\UNC\\"))
        rest = L"\\\\" + rest.substr(8);
    else if (StartsWith(rest, L"\\\\?\\"))
        rest = rest.substr(4);
    const bool drive = rest.size() >= 3 && iswalpha(rest[0]) && rest[1] == L':' && rest[2] == L'\\';
    const bool share = rest.size() >= 5 && StartsWith(rest, L"\\\\") && rest[2] != L'\\' && rest[2] != L'?' &&
                       rest[2] != L'.';
    if (!drive && !share)
        return false;
    for (size_t start = drive ? 3 : 2; start <= rest.size();) {
        size_t end = rest.find(L'\\', start);
        if (end == std::wstring::npos)
            end = rest.size();
        const std::wstring part = rest.substr(start, end - start);
        if (part == L"." || part == L"..")
            return false;
        start = end + 1;
    }
    return rest.find(L'/') == std::wstring::npos;
}

// The fields both versions share, from the path on; the identity, where the line has one,
// stands between the paths and the stamps.
bool ParseEntryFields(const std::vector<std::wstring>& fields, bool withIdentity, JournalEntry* entry)
{
    if (fields.size() != (withIdentity ? kFieldCount : kFirstVersionFieldCount) || !IsJournalablePath(fields[0]) ||
        (!fields[1].empty() && !IsJournalablePath(fields[1])))
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
        const std::wstring& before = fields[field++];
        const std::wstring& after = fields[field++];
        const bool changed = after != kUnchanged;
        if (!ParseStamp(before, &stamp.before, !changed))
            return false;
        if (changed) {
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

std::wstring BeganLine(const FILETIME& began)
{
    return std::wstring(kBegan) + L"\t" +
           FormatStamp(static_cast<LONGLONG>((static_cast<ULONGLONG>(began.dwHighDateTime) << 32) | began.dwLowDateTime));
}

} // namespace

bool TextOfUtf8(const std::string& bytes, std::wstring* text)
{
    text->clear();
    text->reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        size_t length = 0;
        unsigned long code = 0;
        unsigned long least = 0; // below it, the sequence is longer than it needs to be
        if (lead < 0x80) {
            length = 1, code = lead;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2, code = lead & 0x1F, least = 0x80;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3, code = lead & 0x0F, least = 0x800;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4, code = lead & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (bytes.size() - i < length)
            return false;
        for (size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF)
            return false;
        if (code >= 0x10000) {
            code -= 0x10000;
            *text += static_cast<wchar_t>(0xD800 + (code >> 10));
            *text += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            // A surrogate on its own; a pair written as two would have two readings.
            if (IsLowSurrogate(static_cast<wchar_t>(code)) && !text->empty() && IsHighSurrogate(text->back()))
                return false;
            *text += static_cast<wchar_t>(code);
        }
        i += length;
    }
    return true;
}

DWORD Crc32(DWORD crc, const char* bytes, size_t size)
{
    static const CrcTable crcTable;
    const DWORD* const table = crcTable.entries;
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ static_cast<unsigned char>(bytes[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

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

bool ParseJournalLine(const std::wstring& line, JournalEntry* entry)
{
    return ParseEntryFields(SplitFields(line), true, entry);
}

bool ParseFirstVersionLine(const std::wstring& line, JournalEntry* entry)
{
    return ParseEntryFields(SplitFields(line), false, entry);
}

bool IsJournalComment(const std::wstring& line)
{
    return !line.empty() && line[0] == L'#';
}

std::string JournalHeadBytes(const FILETIME& began)
{
    return kByteOrderMark + Utf8Of(std::wstring(kHeader) + L"\r\n" + kColumns + L"\r\n" + BeganLine(began) + L"\r\n");
}

JournalVersion VersionOfHeader(const std::string& firstLine)
{
    std::wstring line;
    if (firstLine.compare(0, 3, kByteOrderMark) != 0 || !TextOfUtf8(firstLine.substr(3), &line))
        return JournalVersion::damaged;
    if (line == kHeader)
        return JournalVersion::second;
    if (line == kFirstVersionHeader)
        return JournalVersion::first;
    if (line.compare(0, wcslen(kHeaderStem), kHeaderStem) == 0)
        return JournalVersion::another;
    return JournalVersion::damaged;
}

bool ParseBeganLine(const std::wstring& line, FILETIME* began)
{
    const std::vector<std::wstring> fields = SplitFields(line);
    LONGLONG stamp = 0;
    if (fields.size() != 2 || fields[0] != kBegan || !ParseStamp(fields[1], &stamp))
        return false;
    began->dwLowDateTime = static_cast<DWORD>(stamp);
    began->dwHighDateTime = static_cast<DWORD>(static_cast<ULONGLONG>(stamp) >> 32);
    return true;
}

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

