// What every part of the main dialog shares: the dialog's controls by id, and the owner it
// asks and tells (the dialog itself), as a panel asks its frame.
#pragma once

#include "../framework/DialogWindow.h"
#include "../model/FileRecord.h"

#include <windows.h>
#include <string>

class PartOwner {
public:
    // The first chosen file as it is on disk now, which the user's edits compare with; its
    // `found` is false with no file chosen.
    virtual FileRecord FirstFileRecord() const = 0;
    // The file whose stamps and flags the rows and boxes show.
    virtual FileRecord ShownFileRecord() const = 0;
    virtual int FileCount() const = 0;
    // The user changed what an apply would write: `enableApply` enables Apply, and the
    // preview follows; `first`, when given, is the first file's record just read.
    virtual void PartEdited(bool enableApply, const FileRecord* first = nullptr) = 0;

protected:
    ~PartOwner() = default;
};

class DialogPart {
public:
    void Attach(HWND dialog, PartOwner& owner)
    {
        m_dialog = dialog;
        m_owner = &owner;
    }

protected:
    HWND Control(int id) const { return GetDlgItem(m_dialog, id); }
    std::wstring Text(int id) const { return DialogItemText(m_dialog, id); }
    void SetText(int id, const std::wstring& text) const { SetDlgItemTextW(m_dialog, id, text.c_str()); }
    void Enable(int id, bool enable) const { EnableWindow(Control(id), enable ? TRUE : FALSE); }
    bool Checked(int id) const { return IsDlgButtonChecked(m_dialog, id) == BST_CHECKED; }
    void Check(int id, bool checked) const { CheckDlgButton(m_dialog, id, checked ? BST_CHECKED : BST_UNCHECKED); }
    PartOwner& Owner() const { return *m_owner; }

    HWND m_dialog = nullptr;

private:
    PartOwner* m_owner = nullptr;
};
