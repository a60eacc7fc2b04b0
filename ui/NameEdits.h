// The name and extension edits of a single chosen item, and whether they ask for a rename.
#pragma once

#include "../res/resource.h"
#include "DialogPart.h"

#include <string>

class NameEdits : public DialogPart {
public:
    // One item: its name and extension; a folder's whole name is its name, with no extension.
    void Show(const std::wstring& name, const std::wstring& extension, bool folder);
    // Several items, or none: empty and disabled.
    void ShowNone();
    // The item was renamed to what the edits show: they ask for no rename any more.
    void Renamed(const std::wstring& name, const std::wstring& extension);
    std::wstring Name() const { return Text(IDC_NAME); }
    std::wstring Extension() const { return Text(IDC_EXTENSION); }

    void OnChanged(int id);

private:
    // What the item is called now; compared exactly: a new name that changes only the case is
    // a rename too.
    std::wstring m_name;
    std::wstring m_extension;
    bool m_showing = false;
};
