// The volumes one write or undo meets, and the folders it writes in.
#pragma once

#include <windows.h>
#include <map>
#include <string>

// The serial numbers of the volumes met in one write or undo, each asked once: asking the
// volume costs more than the rest of a file's reading together (a fifth of a millisecond a
// file under Wine). A volume is known by the root of a file's own final path (its drive or
// network share), so that a link among a folder's files that leads to another volume gets
// that volume's number, not its neighbours'.
class VolumeSerials {
public:
    // The serial number of the volume of `file`, whose final path (links resolved) is
    // `finalPath`; `path`, the path it was opened by, where the final path is not known.
    DWORD Of(HANDLE file, const std::wstring& finalPath, const std::wstring& path);
    // The final path of `path`, which names no link and no short name: its folder's final
    // path, asked once a folder (a folder's path may pass through a link), and its own name.
    // Empty when the folder cannot be asked.
    std::wstring FinalPathInFolder(const std::wstring& path);

private:
    std::map<std::wstring, DWORD> m_serials; // by the volume's root
    std::wstring m_folder;                   // the folder last asked, and its final path
    std::wstring m_folderFinal;
};
