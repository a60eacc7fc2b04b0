// The main dialog with helpers for applying: stamped files, the boxes and rows set as a
// user sets them, and the stamps read back from disk.
#pragma once

#include "DialogFixture.h"

#include "model/NameParts.h"

#include <string>

class ApplyFixture : public DialogFixture {
protected:
    static constexpr TimeValue kOldWrite = 1110000000;  // 2005-03-05
    static constexpr TimeValue kOldAccess = 1120000000; // 2005-06-28

    std::wstring MakeStampedFile(const std::wstring& name)
    {
        std::wstring path = folder.MakeFile(name);
        FILETIME access = StampOf(kOldAccess);
        FILETIME write = StampOf(kOldWrite);
        EXPECT_TRUE(WriteStamps(path, nullptr, &access, &write));
        return path;
    }

    // One file, with the name edits holding its own name as the refresh shows it.
    void ChooseOne(const std::wstring& path)
    {
        Choose({path});
        Type(IDC_NAME, BaseNameOfPath(path));
        Type(IDC_EXTENSION, ExtensionOfPath(path));
    }

    // Sets the boxes as a user does: ticks the attribute group and clicks each box that
    // differs.
    void SetBoxes(BYTE bits)
    {
        if (!Checked(IDC_SWITCH_ATTRIBUTE))
            Click(IDC_SWITCH_ATTRIBUTE);
        for (const AttributeBox& box : kAttributeBoxes) {
            if (Checked(box.id) != ((bits & box.bit) != 0))
                Click(box.id);
        }
    }

    void SetRow(TimeRow row, const LocalFields& fields)
    {
        const int values[kTimeFieldCount] = {fields.year, fields.month, fields.day,
                                             fields.hour, fields.minute, fields.second};
        dialog.CheckDlgButton(kTimeRows[row].switchId, BST_CHECKED);
        for (int field = 0; field < kTimeFieldCount; ++field)
            Type(kTimeRows[row].edits[field], std::to_wstring(values[field]));
    }

    void Apply()
    {
        dialog.EnableDlgItem(IDC_APPLY, true);
        Click(IDC_APPLY);
    }

    static DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }
    static bool Exists(const std::wstring& path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }
    static ULONGLONG WriteSecondsOf(const std::wstring& path)
    {
        FileStamps stamps = {};
        EXPECT_TRUE(ReadStamps(path, &stamps));
        return UnixSecondsOf(stamps.write);
    }
    static ULONGLONG AccessSecondsOf(const std::wstring& path)
    {
        FileStamps stamps = {};
        EXPECT_TRUE(ReadStamps(path, &stamps));
        return UnixSecondsOf(stamps.access);
    }
    static FileStamps StampsOf(const std::wstring& path)
    {
        FileStamps stamps = {};
        EXPECT_TRUE(ReadStamps(path, &stamps));
        return stamps;
    }
    static bool SameStamp(const FILETIME& a, const FILETIME& b)
    {
        return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
    }
};
