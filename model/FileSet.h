// The chosen items, one compact record each: the path and the state read from disk, each
// folder of several items listed once instead of asked about file by file.
#pragma once

#include "FileState.h"
#include "SourceStamp.h"

#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

struct FileItem {
    std::wstring path;  // absolute
    FileState state;    // stamps (100 ns, UTC) and attribute word; meaningful when read
    ULONGLONG size = 0;
    DWORD error = ERROR_NOT_READY; // ERROR_SUCCESS once read; else why it could not be
    // A link a walk found inside a chosen folder: shown with its target's state, but never
    // written, since its target may lie outside the tree the user chose.
    bool linkInWalk = false;
    // The date taken in the file's content: read only where it is needed (a row drawn, a
    // mode that takes it), then kept with the item.
    bool takenRead = false;
    SourceStamp taken;
    bool Readable() const { return error == ERROR_SUCCESS; }
    bool IsFolder() const { return Readable() && (state.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// A folder whose entries could not be listed, and why.
struct UnreadableFolder {
    std::wstring path;
    DWORD error;
};

class FileSet {
public:
    // Takes the paths as they are (absolute already); nothing is read yet.
    void Assign(std::vector<std::wstring> paths);
    size_t Count() const { return m_items.size(); }
    const FileItem& Item(size_t index) const { return m_items[index]; }
    const std::wstring& Path(size_t index) const { return m_items[index].path; }
    void SetPath(size_t index, std::wstring path) { m_items[index].path = std::move(path); }
    // Takes the items at `indices` (ascending) out of the set; the others keep their order.
    void Remove(const std::vector<size_t>& indices);
    // A set of the items at `indices` (ascending) alone, as they were read.
    FileSet Subset(const std::vector<size_t>& indices) const;

    // An item's date taken, read from its content the first time it is asked for (a folder
    // has none); on the thread that owns the set.
    const SourceStamp& DateTaken(size_t index);
    void SetDateTaken(size_t index, const SourceStamp& taken);

    // Called with the count of items read so far and the count in all; returns false to
    // stop (the items not reached keep error ERROR_CANCELLED).
    using Progress = std::function<bool(size_t done, size_t total)>;
    // Reads every item's state. A folder with several chosen items is listed once
    // (FindFirstFileExW, basic information, large fetch); a link is read through, as every
    // open of it gives; an item alone in its folder is asked about by path.
    // With `walkFolders`, each item read as a folder is then followed by every file and
    // folder below it, at every depth (see WalkFolder); the progress's total grows with
    // what the walk finds, and a stop keeps what was found.
    void ReadStates(const Progress& progress = Progress(), bool walkFolders = false);
    // The folders the last walk could not list, in the order met.
    const std::vector<UnreadableFolder>& UnreadableFolders() const { return m_unreadable; }
    // The states a copy of this set read (the same items, in the same order); items the
    // copy did not reach keep theirs.
    void TakeStates(const FileSet& reread);

private:
    bool WalkFolders(const Progress& progress, size_t* done);

    std::vector<FileItem> m_items;
    std::vector<UnreadableFolder> m_unreadable;
};

// The state of one path, following links, as FileSet reads it.
DWORD ReadItemState(FileItem* item);
