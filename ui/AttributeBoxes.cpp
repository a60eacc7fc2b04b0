#include "AttributeBoxes.h"

#include "DialogControls.h"
#include "GroupSwitches.h"

void AttributeBoxes::ShowFresh(BYTE attributes, bool firstCompressed)
{
    m_touched = false;
    Enable(IDC_SWITCH_ATTRIBUTE, true);
    RestoreSwitch(m_dialog, kAttributeSwitch, StoredSwitch(kAttributeSwitch));
    Show(attributes, firstCompressed);
}

void AttributeBoxes::ShowNoFile()
{
    m_touched = false;
    Check(IDC_SWITCH_ATTRIBUTE, false);
    Enable(IDC_SWITCH_ATTRIBUTE, false);
    for (int id : {IDC_ATTR_READONLY, IDC_ATTR_HIDDEN, IDC_ATTR_ARCHIVE, IDC_ATTR_SYSTEM, IDC_ATTR_COMPRESSED}) {
        Check(id, false);
        Enable(id, false);
    }
}

void AttributeBoxes::Show(BYTE attributes, bool firstCompressed)
{
    for (const AttributeBox& box : kAttributeBoxes)
        Check(box.id, (attributes & box.bit) != 0);
    // "Compressed" always describes the first file as it is now.
    Check(IDC_ATTR_COMPRESSED, firstCompressed);
}

BYTE AttributeBoxes::Bits() const
{
    BYTE bits = 0;
    for (const AttributeBox& box : kAttributeBoxes) {
        if (IsDlgButtonChecked(m_dialog, box.id) != BST_UNCHECKED)
            bits |= box.bit;
    }
    return bits;
}

void AttributeBoxes::AddToRequest(ChangeRequest& request) const
{
    request.attributes = Checked(IDC_SWITCH_ATTRIBUTE) && m_touched;
    if (request.attributes)
        request.boxes = Bits();
}

void AttributeBoxes::OnBoxClicked()
{
    m_touched = true;
    const FileRecord first = Owner().FirstFileRecord();
    if (first.fullPath.empty())
        return;
    // Any click counts as a change.
    Owner().PartEdited(true, &first);
}

void AttributeBoxes::OnSwitchClicked()
{
    SwitchClicked(m_dialog, kAttributeSwitch);
    if (!Checked(IDC_SWITCH_ATTRIBUTE)) {
        Owner().PartEdited(false);
        return;
    }
    m_touched = true;
    // With several files, ticking the group is how the boxes' flags go to all of them.
    Owner().PartEdited(Owner().FileCount() > 1);
}
