#include "NameFilter.h"

#include <cwctype>

namespace {

// One character folded as the file systems fold names: to upper case, by the system's
// table for every character of the basic plane, made once.
class CaseFold {
public:
    CaseFold() : m_upper(0x10000)
    {
        for (size_t code = 0; code < m_upper.size(); ++code)
            m_upper[code] = static_cast<wchar_t>(code);
        // Surrogates are halves of characters beyond the basic plane, compared as they are.
        CharUpperBuffW(&m_upper[0], 0xD800);
        CharUpperBuffW(&m_upper[0xE000], 0x10000 - 0xE000);
    }
    wchar_t operator()(wchar_t c) const { return m_upper[static_cast<unsigned short>(c)]; }

private:
    std::vector<wchar_t> m_upper;
};

const CaseFold& Fold()
{
    static const CaseFold fold;
    return fold;
}

std::wstring Folded(const std::wstring& text)
{
    std::wstring folded(text);
    for (wchar_t& c : folded)
        c = Fold()(c);
    return folded;
}

// A folded pattern against a name, folded as it is read. A star takes as little as it can
// and, on a mismatch later, one character more: the last star alone is ever taken back.
bool Matches(const std::wstring& pattern, const wchar_t* name, size_t length)
{
    const CaseFold& fold = Fold();
    size_t p = 0;
    size_t n = 0;
    size_t starAt = std::wstring::npos;
    size_t resumeAt = 0;
    while (n < length) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == fold(name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::wstring::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

bool MatchesAny(const std::vector<std::wstring>& patterns, const wchar_t* name, size_t length)
{
    for (const std::wstring& pattern : patterns) {
        if (Matches(pattern, name, length))
            return true;
    }
    return false;
}

} // namespace

NameFilter::NameFilter(const std::wstring& text)
{
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L';', start);
        if (end == std::wstring::npos)
            end = text.size();
        size_t first = start;
        size_t last = end;
        while (first < last && std::iswspace(text[first]))
            ++first;
        while (last > first && std::iswspace(text[last - 1]))
            --last;
        const bool hides = first < last && text[first] == L'-';
        if (hides) {
            ++first;
            while (first < last && std::iswspace(text[first]))
                ++first;
        }
        if (first < last) {
            std::wstring pattern = Folded(text.substr(first, last - first));
            // "*.*" is every name, dotted or not, as the shell and the command prompt take it.
            if (pattern == L"*.*")
                pattern = L"*";
            (hides ? m_hidden : m_shown).push_back(std::move(pattern));
        }
        start = end + 1;
    }
}

bool NameFilter::Shows(const wchar_t* name, size_t length) const
{
    if (!m_shown.empty() && !MatchesAny(m_shown, name, length))
        return false;
    return !MatchesAny(m_hidden, name, length);
}

std::vector<bool> ItemsShown(const FileSet& files, const NameFilter& filter, bool foldersStay)
{
    std::vector<bool> shown(files.Count(), true);
    if (filter.Empty())
        return shown;
    for (size_t index = 0; index < files.Count(); ++index) {
        const FileItem& item = files.Item(index);
        if (foldersStay && item.Readable() && (item.state.attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        const std::wstring& path = item.path;
        const size_t slash = path.find_last_of(L"\\/");
        const size_t start = slash == std::wstring::npos ? 0 : slash + 1;
        shown[index] = filter.Shows(path.c_str() + start, path.size() - start);
    }
    return shown;
}
