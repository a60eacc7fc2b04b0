#include "FileSet.h"

#include "FileDateTaken.h"
#include "FileStateAccess.h"
#include "ListingFaultsForTests.h"
#include "NameParts.h"
#include "PathForms.h"

#include <atomic>
#include <unordered_map>

namespace {

// From this many chosen items in one folder on, listing the folder once is cheaper than
// asking about each item (a listing costs about as much as a few single queries).
constexpr size_t kListedFolderMinimum = 4;
// How often the progress is told, in items.
constexpr size_t kProgressStep = 256;

// A folder's listing and a query by path give a file's state in fields of the same names.
template <class StateData>
void TakeFound(const StateData& found, FileItem* item)
{
    item->state.creation = AsStamp(found.ftCreationTime).QuadPart;
    item->state.write = AsStamp(found.ftLastWriteTime).QuadPart;
    item->state.access = AsStamp(found.ftLastAccessTime).QuadPart;
    item->state.attributes = found.dwFileAttributes;
    item->size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    item->error = ERROR_SUCCESS;
}

// Lists `folder` once and reads its items from the listing; what the listing does not
// name exactly (a short name, another case, a link) is asked about by path. Names are
// matched exactly: a folder may hold two names that differ only in case, two files with
// states of their own. `tell` is given the count of the folder's items read so far; false
// from it stops the reading.
bool ReadFolder(const std::wstring& folder, std::vector<FileItem>& items, const std::vector<size_t>& members,
                const std::function<bool(size_t)>& tell)
{
    std::unordered_map<std::wstring, size_t> wanted;
    wanted.reserve(members.size());
    for (size_t index : members)
        wanted.emplace(FileNameOfPath(items[index].path), index);

    size_t matched = 0;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileExW(ApiPath(folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find != INVALID_HANDLE_VALUE) {
        bool going = true;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                continue;
            const auto match = wanted.find(found.cFileName);
            if (match == wanted.end())
                continue;
            TakeFound(found, &items[match->second]);
            if (++matched % kProgressStep == 0)
                going = tell(matched);
        } while (going && FindNextFileW(find, &found));
        FindClose(find);
        if (!going)
            return false;
    }
    for (size_t index : members) {
        if (!items[index].Readable()) {
            ReadItemState(&items[index]);
            if (++matched % kProgressStep == 0 && !tell(matched))
                return false;
        }
    }
    return true;
}

std::atomic<unsigned> listingFailuresForTests{0};
std::atomic<DWORD> listingFailureErrorForTests{ERROR_SUCCESS};

// The next entry of a walk's listing; false at its end or when it fails (the system's error).
bool NextEntry(HANDLE find, WIN32_FIND_DATAW* data)
{
    for (unsigned left = listingFailuresForTests.load(); left != 0;) {
        if (listingFailuresForTests.compare_exchange_weak(left, left - 1)) {
            SetLastError(listingFailureErrorForTests);
            return false;
        }
    }
    return FindNextFileW(find, data) != FALSE;
}

bool IsDotEntry(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// A link to elsewhere (junction, symbolic link, mount point): listed, never entered, so that
// a walk neither loops nor leaves its tree. Other reparse points (a cloud file's placeholder,
// a deduplicated file) are the folder or file itself.
bool IsLink(const WIN32_FIND_DATAW& found)
{
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (found.dwReserved0 == 0 || IsReparseTagNameSurrogate(found.dwReserved0));
}

// Appends every entry below `root` to `items`, in tree order: each folder's entries right
// after the folder. Every folder is listed once, and the listing gives each entry's state; a
// link is read through, as every open of it gives. A folder that cannot be listed goes to
// `unreadable`, the rest of the tree is walked on. `found` is told of each entry appended;
// false from it stops the walk.
bool WalkFolder(const std::wstring& root, std::vector<FileItem>& items, std::vector<UnreadableFolder>& unreadable,
                const std::function<bool()>& found)
{
    // The entries of each folder on the way down, and the next of them to append.
    struct Level {
        std::vector<FileItem> entries;
        std::vector<bool> enter;
        size_t next = 0;
    };
    std::vector<Level> levels;
    auto list = [&](const std::wstring& folder) {
        const std::wstring prefix = folder.back() == L'\\' ? folder : folder + L'\\';
        Level level;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileExW(ApiPath(prefix + L'*').c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
                unreadable.push_back({folder, error});
            return;
        }
        do {
            if (IsDotEntry(data.cFileName))
                continue;
            FileItem entry;
            entry.path = prefix + data.cFileName;
            TakeFound(data, &entry);
            const bool link = IsLink(data);
            if (link) {
                ReadItemState(&entry);
                entry.linkInWalk = true;
            }
            level.enter.push_back(!link && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY));
            level.entries.push_back(std::move(entry));
        } while (NextEntry(find, &data));
        // A listing that ends otherwise (a share that dropped) left the folder's rest unread.
        const DWORD ended = GetLastError();
        if (ended != ERROR_NO_MORE_FILES)
            unreadable.push_back({folder, ended});
        FindClose(find);
        levels.push_back(std::move(level));
    };

    list(root);
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.entries.size()) {
            levels.pop_back();
            continue;
        }
        const size_t at = level.next++;
        items.push_back(std::move(level.entries[at]));
        const bool enter = level.enter[at];
        if (!found())
            return false;
        if (enter)
            list(items.back().path); // `level` may move: not used after this
    }
    return true;
}

} // namespace

void FailListingStepsForTests(unsigned count, DWORD error)
{
    listingFailureErrorForTests = error;
    listingFailuresForTests = count;
}

DWORD ReadItemState(FileItem* item)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!ReadAttributeData(ApiPath(item->path), &data)) {
        item->error = GetLastError();
        if (item->error == ERROR_SUCCESS)
            item->error = ERROR_FILE_NOT_FOUND;
        return item->error;
    }
    TakeFound(data, item);
    return item->error;
}

void FileSet::Assign(std::vector<std::wstring> paths)
{
    m_items.clear();
    m_items.resize(paths.size());
    for (size_t index = 0; index < paths.size(); ++index)
        m_items[index].path = std::move(paths[index]);
}

void FileSet::Remove(const std::vector<size_t>& indices)
{
    size_t kept = 0;
    size_t next = 0;
    for (size_t index = 0; index < m_items.size(); ++index) {
        if (next < indices.size() && indices[next] == index) {
            ++next;
            continue;
        }
        if (kept != index)
            m_items[kept] = std::move(m_items[index]);
        ++kept;
    }
    m_items.resize(kept);
}

FileSet FileSet::Subset(const std::vector<size_t>& indices) const
{
    FileSet subset;
    subset.m_items.reserve(indices.size());
    for (size_t index : indices)
        subset.m_items.push_back(m_items[index]);
    return subset;
}

void FileSet::TakeStates(const FileSet& reread)
{
    if (reread.Count() != Count())
        return;
    for (size_t index = 0; index < m_items.size(); ++index) {
        const FileItem& item = reread.m_items[index];
        if (item.error != ERROR_CANCELLED && item.path == m_items[index].path) {
            // A write changes no file's content: the date taken read before stays.
            FileItem& kept = m_items[index];
            const bool takenRead = kept.takenRead;
            const SourceStamp taken = kept.taken;
            kept = item;
            kept.takenRead = takenRead;
            kept.taken = taken;
        }
    }
}

const SourceStamp& FileSet::DateTaken(size_t index)
{
    FileItem& item = m_items[index];
    if (!item.takenRead) {
        item.taken = item.IsFolder() ? SourceStamp() : StampOfSourceDate(ReadDateTaken(item.path));
        item.takenRead = true;
    }
    return item.taken;
}

void FileSet::SetDateTaken(size_t index, const SourceStamp& taken)
{
    m_items[index].taken = taken;
    m_items[index].takenRead = true;
}

void FileSet::ReadStates(const Progress& progress, bool walkFolders)
{
    if (walkFolders)
        m_unreadable.clear();
    for (FileItem& item : m_items)
        item.error = ERROR_CANCELLED;
    // The items of each folder, in the order their folders first come; a folder by its
    // exact spelling, since two spellings may name two folders.
    std::unordered_map<std::wstring, size_t> folderIndex;
    std::vector<std::pair<std::wstring, std::vector<size_t>>> folders;
    for (size_t index = 0; index < m_items.size(); ++index) {
        const std::wstring& path = m_items[index].path;
        const bool endsWithSeparator = !path.empty() && (path.back() == L'\\' || path.back() == L'/');
        const std::wstring folder = endsWithSeparator ? std::wstring() : FolderOfPath(path);
        const auto known = folderIndex.emplace(folder, folders.size());
        if (known.second)
            folders.push_back({folder, {}});
        folders[known.first->second].second.push_back(index);
    }

    size_t done = 0;
    auto tell = [&](size_t count) { return !progress || progress(count, m_items.size()); };
    for (auto& folder : folders) {
        if (!folder.first.empty() && folder.second.size() >= kListedFolderMinimum) {
            const size_t start = done;
            if (!ReadFolder(folder.first, m_items, folder.second,
                            [&](size_t read) { return tell(start + read); }))
                return;
            done += folder.second.size();
        } else {
            for (size_t index : folder.second) {
                ReadItemState(&m_items[index]);
                if (++done % kProgressStep == 0 && !tell(done))
                    return;
            }
        }
    }
    if (walkFolders && !WalkFolders(progress, &done))
        return;
    tell(done);
}

// Each item read as a folder takes what is below it right after itself; a stop keeps the
// items found and the chosen items after them as they were read. `*done` counts the items
// read, the total those and the chosen items still to come.
bool FileSet::WalkFolders(const Progress& progress, size_t* done)
{
    std::vector<FileItem> chosen = std::move(m_items);
    m_items.clear();
    m_items.reserve(chosen.size());
    size_t next = 0;
    auto found = [&] {
        ++*done;
        return *done % kProgressStep != 0 || !progress || progress(*done, m_items.size() + chosen.size() - next - 1);
    };
    bool going = true;
    for (; next < chosen.size(); ++next) {
        FileItem& item = chosen[next];
        const bool folder = item.Readable() && (item.state.attributes & FILE_ATTRIBUTE_DIRECTORY);
        const std::wstring root = folder ? item.path : std::wstring();
        m_items.push_back(std::move(item));
        if (going && folder)
            going = WalkFolder(root, m_items, m_unreadable, found);
    }
    return going;
}
