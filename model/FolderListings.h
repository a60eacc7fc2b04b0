// The names stored in the folders of the files one write goes through. On volumes that do
// not store Unicode names every path is looked up in its directory by itself; when many of
// the files lie in one folder, listing that folder once answers most of those lookups.
#pragma once

#include "../framework/StringArray.h"

#include <map>
#include <string>
#include <unordered_set>

class FolderListings {
public:
    // Counts the paths per folder, so that only folders that hold enough of them are listed.
    void Prepare(const CStringArray& paths);
    // True when `folder` (a resolved path without the trailing backslash) is known to store
    // an entry named exactly `name`. False also when the folder was not worth listing.
    bool Stores(const std::wstring& folder, const std::wstring& name);

private:
    struct Folder {
        size_t paths = 0;      // how many of the prepared paths lie in it
        bool read = false;     // listing attempted
        bool complete = false; // every entry is in `names`
        std::unordered_set<std::wstring> names;
    };
    static void List(const std::wstring& folder, Folder& listing);

    std::map<std::wstring, Folder> m_folders;
};
