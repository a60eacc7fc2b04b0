#include "JournalReader.h"

#include "JournalFormat.h"

namespace {

const size_t kReadChunk = 64 * 1024;

// The lines of a source, read in chunks: no line longer than kLongestJournalLine is held
// whole.
class LineReader {
public:
    enum class Result { line, end, tooLong, tooLarge, failed };

    explicit LineReader(const JournalSource& source) : m_source(source) {}

    // The next line without its line break. At the end, bytes after the last line break
    // (a line cut off) are passed over.
    Result Next(std::string* line)
    {
        for (;;) {
            const size_t found = m_buffer.find(kJournalLineBreak, m_scanned);
            if (found != std::string::npos) {
                if (found - m_start > kLongestJournalLine)
                    return Result::tooLong;
                line->assign(m_buffer, m_start, found - m_start);
                m_start = found + 2;
                m_scanned = m_start;
                return Result::line;
            }
            if (m_buffer.size() - m_start > kLongestJournalLine)
                return Result::tooLong;
            if (m_ended) {
                m_cutOff = m_buffer.size() > m_start;
                return Result::end;
            }
            // A line break split between chunks is found from its first byte.
            m_buffer.erase(0, m_start);
            m_scanned = m_buffer.empty() ? 0 : m_buffer.size() - 1;
            m_start = 0;
            const size_t held = m_buffer.size();
            m_buffer.resize(held + kReadChunk);
            size_t got = 0;
            if (!m_source(&m_buffer[held], kReadChunk, &got) || got > kReadChunk)
                return Result::failed;
            m_buffer.resize(held + got);
            m_ended = got == 0;
            m_read += got;
            if (m_read > kLargestJournal)
                return Result::tooLarge;
        }
    }
    // At the end: bytes after the last line break were passed over.
    bool CutOff() const { return m_cutOff; }

private:
    const JournalSource& m_source;
    std::string m_buffer;
    size_t m_start = 0;   // where the next line begins in m_buffer
    size_t m_scanned = 0; // where the search for its line break goes on
    bool m_ended = false;
    bool m_cutOff = false;
    ULONGLONG m_read = 0;
};

std::wstring DamagedAt(size_t lineNumber)
{
    return L"記録が壊れています（" + std::to_wstring(lineNumber) + L" 行目）";
}

JournalReading Unreadable(std::wstring* problem, const std::wstring& reason)
{
    *problem = reason;
    return JournalReading::unreadable;
}

const wchar_t* const kTooLarge = L"記録が大きすぎます（1000万件か 4 GB を超えています）";

// A group of the second version as its lines come, judged when its closing line comes.
struct OpenGroup {
    std::vector<JournalEntry> entries;
    size_t lines = 0;
    size_t firstBadLine = 0; // 0: none
    DWORD crc = 0;
};

JournalReading ReadLines(LineReader& lines, JournalContents* contents, std::wstring* problem)
{
    JournalVersion version = JournalVersion::damaged;
    OpenGroup group;
    // A group whose closing line disagrees with it: passed over where it is the last,
    // refused with this line where anything follows it.
    size_t damagedGroupLine = 0;
    for (size_t number = 1;; ++number) {
        std::string raw;
        const LineReader::Result result = lines.Next(&raw);
        if (result == LineReader::Result::failed)
            return Unreadable(problem, L"記録を読めません");
        if (result == LineReader::Result::tooLarge)
            return Unreadable(problem, kTooLarge);
        if (result == LineReader::Result::tooLong)
            return Unreadable(problem, DamagedAt(damagedGroupLine != 0 ? damagedGroupLine : number));
        if (result == LineReader::Result::end) {
            // The writer puts a journal's first lines in place whole; a group without its
            // closing line, cut off or not, names only files that were not changed.
            const size_t headerLines = version == JournalVersion::second ? 3 : 1;
            if (number <= headerLines)
                return Unreadable(problem, DamagedAt(number));
            if (group.lines != 0 || lines.CutOff()) {
                contents->lastGroupPassedOver = true;
                contents->passedOver = std::move(group.entries);
            }
            return JournalReading::read;
        }
        if (damagedGroupLine != 0)
            return Unreadable(problem, DamagedAt(damagedGroupLine));
        if (number == 1) {
            version = VersionOfHeader(raw);
            if (version == JournalVersion::another)
                return Unreadable(problem, L"ほかの版のKalendrixが書いた記録です");
            if (version == JournalVersion::damaged)
                return Unreadable(problem, DamagedAt(1));
            continue;
        }
        if (contents->entries.size() + group.entries.size() >= kMostJournalEntries)
            return Unreadable(problem, kTooLarge);
        std::wstring line;
        const bool text = TextOfUtf8(raw, &line);
        if (version == JournalVersion::first) {
            // Every whole line is a file, or a comment.
            JournalEntry entry;
            if (text && IsJournalComment(line))
                continue;
            if (!text || !ParseFirstVersionLine(line, &entry))
                return Unreadable(problem, DamagedAt(number));
            entry.line = number;
            contents->entries.push_back(entry);
            continue;
        }
        if (number == 2) {
            if (!text || !IsJournalComment(line))
                return Unreadable(problem, DamagedAt(2));
            continue;
        }
        if (number == 3) {
            if (!text || !ParseBeganLine(line, &contents->made))
                return Unreadable(problem, DamagedAt(3));
            continue;
        }
        size_t count = 0;
        DWORD crc = 0;
        if (text && ParseGroupEnd(line, &count, &crc)) {
            // The writer closes no empty group.
            if (group.firstBadLine != 0 || group.lines == 0 || count != group.lines || crc != group.crc) {
                damagedGroupLine = group.firstBadLine != 0 ? group.firstBadLine : number;
                continue;
            }
            contents->entries.insert(contents->entries.end(), group.entries.begin(), group.entries.end());
            group = OpenGroup();
            continue;
        }
        // Judged when the group's closing line comes: without one, the group is passed over.
        raw += kJournalLineBreak;
        group.crc = Crc32(group.crc, raw.data(), raw.size());
        ++group.lines;
        JournalEntry entry;
        if (text && ParseJournalLine(line, &entry)) {
            entry.line = number;
            group.entries.push_back(entry);
        } else if (group.firstBadLine == 0) {
            group.firstBadLine = number;
        }
    }
}

} // namespace

JournalReading ReadJournal(const JournalSource& source, JournalContents* contents, std::wstring* problem)
{
    *contents = JournalContents();
    problem->clear();
    LineReader lines(source);
    const JournalReading reading = ReadLines(lines, contents, problem);
    if (reading != JournalReading::read)
        *contents = JournalContents();
    return reading;
}

JournalReading ChangeJournalFile::Open(const std::wstring& path, std::wstring* problem, WorkProgress* progress)
{
    m_file.Close();
    m_contents = JournalContents();
    problem->clear();
    // Delete access and shared deletion: the journal is removed through this handle.
    m_file = UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!m_file.Valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return JournalReading::missing;
        *problem = L"記録を開けません";
        return JournalReading::unreadable;
    }
    const HANDLE file = m_file.Get();
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size)) {
        m_file.Close();
        *problem = L"記録を読めません";
        return JournalReading::unreadable;
    }
    if (static_cast<ULONGLONG>(size.QuadPart) > kLargestJournal) {
        m_file.Close();
        *problem = kTooLarge;
        return JournalReading::unreadable;
    }
    const ULONGLONG total = static_cast<ULONGLONG>(size.QuadPart);
    ULONGLONG done = 0;
    size_t hundredths = 0;
    BeginWork(progress, 100);
    const JournalSource source = [file, total, &done, &hundredths, progress](char* buffer, size_t size, size_t* got) {
        DWORD read = 0;
        const bool ok = ReadFile(file, buffer, static_cast<DWORD>(size), &read, nullptr) != FALSE;
        *got = read;
        done += read;
        for (; total != 0 && hundredths < done * 100 / total && hundredths < 100; ++hundredths)
            ItemDone(progress);
        return ok && !CancelRequested(progress);
    };
    const JournalReading reading = ReadJournal(source, &m_contents, problem);
    if (reading != JournalReading::read)
        m_file.Close();
    return reading;
}

bool ChangeJournalFile::Remove(DWORD* error)
{
    if (!m_file.Valid()) {
        *error = ERROR_INVALID_HANDLE;
        return false;
    }
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (!SetFileInformationByHandle(m_file.Get(), FileDispositionInfo, &disposition, sizeof disposition)) {
        *error = GetLastError();
        return false;
    }
    m_file.Close();
    return true;
}
