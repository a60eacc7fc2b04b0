#include "FileSet.h"

#include "FileStateAccess.h"
#include "NameParts.h"
#include "PathForms.h"

#include <unordered_map>

namespace {

// From this many chosen items in one folder on, listing the folder once is cheaper than
// asking about each item (a listing costs about as much as a few single queries).
constexpr size_t kListedFolderMinimum = 4;
// How often the progress is told, in items.
constexpr size_t kProgressStep = 256;

std::wstring Folded(const std::wstring& text)
{
    std::wstring folded = text;
    if (!folded.empty())
        CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    return folded;
}

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
// name (a short name, a link) is asked about by path. `tell` is given the count of the
// folder's items read so far; false from it stops the reading.
bool ReadFolder(const std::wstring& folder, std::vector<FileItem>& items, const std::vector<size_t>& members,
                const std::function<bool(size_t)>& tell)
{
    std::unordered_map<std::wstring, size_t> wanted;
    wanted.reserve(members.size());
    for (size_t index : members)
        wanted.emplace(Folded(FileNameOfPath(items[index].path)), index);

    size_t matched = 0;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileExW(ApiPath(folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find != INVALID_HANDLE_VALUE) {
        bool going = true;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                continue;
            const auto match = wanted.find(Folded(found.cFileName));
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

} // namespace

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

void FileSet::TakeStates(const FileSet& reread)
{
    if (reread.Count() != Count())
        return;
    for (size_t index = 0; index < m_items.size(); ++index) {
        const FileItem& item = reread.m_items[index];
        if (item.error != ERROR_CANCELLED && item.path == m_items[index].path)
            m_items[index] = item;
    }
}

void FileSet::ReadStates(const Progress& progress)
{
    for (FileItem& item : m_items)
        item.error = ERROR_CANCELLED;
    // The items of each folder, in the order their folders first come.
    std::unordered_map<std::wstring, size_t> folderIndex;
    std::vector<std::pair<std::wstring, std::vector<size_t>>> folders;
    for (size_t index = 0; index < m_items.size(); ++index) {
        const std::wstring& path = m_items[index].path;
        const bool endsWithSeparator = !path.empty() && (path.back() == L'\\' || path.back() == L'/');
        const std::wstring folder = endsWithSeparator ? std::wstring() : FolderOfPath(path);
        const auto known = folderIndex.emplace(Folded(folder), folders.size());
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
    tell(done);
}
