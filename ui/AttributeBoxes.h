// The attribute group: its switch, the four boxes the user sets and "compressed", which only
// shows the first file as it is, and whether the user acted on the group.
#pragma once

#include "../model/ChangePlan.h"
#include "DialogPart.h"

class AttributeBoxes : public DialogPart {
public:
    // Files shown afresh: the switch as stored and enabled, the boxes showing `attributes`,
    // nothing the user's yet.
    void ShowFresh(BYTE attributes, bool firstCompressed);
    void ShowNoFile();
    // A picked file's flags.
    void Show(BYTE attributes, bool firstCompressed);
    // The flags the boxes ask for.
    BYTE Bits() const;
    // Once the user ticked the switch or clicked a box, every file gets the boxes' flags,
    // whatever the first file holds; otherwise no file's flags change.
    void AddToRequest(ChangeRequest& request) const;

    void OnBoxClicked();
    void OnSwitchClicked();

private:
    bool m_touched = false;
};
