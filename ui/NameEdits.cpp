#include "NameEdits.h"

#include "../res/resource.h"

void NameEdits::Show(const std::wstring& name, const std::wstring& extension, bool folder)
{
    m_showing = true;
    m_name = name;
    m_extension = folder ? std::wstring() : extension;
    Enable(IDC_NAME, true);
    SetText(IDC_NAME, m_name);
    Enable(IDC_EXTENSION, !folder);
    SetText(IDC_EXTENSION, m_extension);
    m_showing = false;
}

void NameEdits::ShowNone()
{
    m_showing = true;
    m_name.clear();
    m_extension.clear();
    for (int id : {IDC_NAME, IDC_EXTENSION}) {
        SetText(id, L"");
        Enable(id, false);
    }
    m_showing = false;
}

void NameEdits::Renamed(const std::wstring& name, const std::wstring& extension)
{
    m_name = name;
    m_extension = extension;
}

void NameEdits::OnChanged(int id)
{
    if (m_showing)
        return;
    const FileRecord first = Owner().FirstFileRecord();
    if (first.fullPath.empty())
        return;
    const bool changed = id == IDC_NAME ? Name() != m_name : Extension() != m_extension;
    Owner().PartEdited(changed, &first);
}
