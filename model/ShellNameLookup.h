// The shell's display and type names of many files: each folder is parsed once and each
// file then looked up by its name in it, instead of parsing every full path anew.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <string>

struct ShellNames {
    std::wstring displayName;
    std::wstring typeName;
};

class ShellNameLookup {
public:
    ShellNameLookup() = default;
    ShellNameLookup(const ShellNameLookup&) = delete;
    ShellNameLookup& operator=(const ShellNameLookup&) = delete;
    ~ShellNameLookup();

    // The names SHGetFileInfoW gives for `path`; empty where the shell gives none.
    ShellNames Of(const std::wstring& path);

private:
    struct Folder {
        PIDLIST_ABSOLUTE item = nullptr; // null: the folder could not be parsed
        IShellFolder* folder = nullptr;
    };
    Folder& FolderNamed(const std::wstring& folderPath);

    IShellFolder* m_desktop = nullptr;
    std::map<std::wstring, Folder> m_folders;
};
