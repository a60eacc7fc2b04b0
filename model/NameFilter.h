// Which chosen items a filter of wildcards shows: "*.jpg;*.mov" shows the names that match
// one of its patterns, "-*.thm" hides those that match; `*` stands for any run of
// characters, `?` for one. Names are compared without regard to case, as NTFS and FAT
// compare them.
#pragma once

#include "FileSet.h"

#include <string>
#include <vector>

class NameFilter {
public:
    NameFilter() = default;
    // Patterns separated by ';', each trimmed of spaces; empty ones are passed over.
    explicit NameFilter(const std::wstring& text);

    // No pattern: every name is shown.
    bool Empty() const { return m_shown.empty() && m_hidden.empty(); }
    // Whether a name (without its folder) is shown: it matches a shown pattern, or there is
    // none, and it matches no hidden one.
    bool Shows(const wchar_t* name, size_t length) const;
    bool Shows(const std::wstring& name) const { return Shows(name.c_str(), name.size()); }

private:
    std::vector<std::wstring> m_shown;
    std::vector<std::wstring> m_hidden;
};

// The items of `files` that `filter` shows, by their names; with `foldersStay`, every folder
// stays, so that what a walk took in below it can be reached. Items not read are matched
// by name as well.
std::vector<bool> ItemsShown(const FileSet& files, const NameFilter& filter, bool foldersStay);
