// The volume serial numbers of the folders one write or undo meets.
#pragma once

#include <windows.h>
#include <string>

// The serial numbers of the volumes of the folders met in one write or undo: every file of
// one folder lies on that folder's volume, and asking the volume costs more than the rest
// of a file's reading together (a fifth of a millisecond a file under Wine).
class VolumeSerials {
public:
    // The serial number of the volume of `file`, which lies in `folder`.
    DWORD Of(HANDLE file, const std::wstring& folder);

private:
    std::wstring m_folder;
    DWORD m_serial = 0;
    bool m_known = false;
};
