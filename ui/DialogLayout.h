// How the main dialog's controls follow its edges as the user sizes it. Each control keeps
// its distance to the edges it is anchored to, taken from its place at the template's size:
// the list takes all the extra width and height; what lies below it keeps its place against
// the bottom edge, a group box with everything inside it as one piece, and what stands
// outside the groups in the right half (the buttons, the folder choice) against the bottom
// right; above the list the name edit stretches and what stands right of it keeps to the
// right. Anchors come from places, not from a list of ids, so that a control added to a
// group moves with it.
#pragma once

#include <windows.h>
#include <vector>

class DialogLayout {
public:
    enum class Anchor { stay, right, down, downRight, stretchWide, stretchBoth };

    // Takes every child's place at the dialog's size now (the template's) as its base.
    // `stretchedId`: the control that takes the extra size; `wideId`: the one above it that
    // takes the extra width.
    void Attach(HWND dialog, int stretchedId, int wideId);
    // Moves the controls to fit the client area as it is now.
    void Apply();
    // The display scale changed: the base places, and the smallest size, scale with it.
    void Scale(UINT from, UINT to);
    // The window's size at the template's size: it cannot be made smaller.
    SIZE MinimumSize() const { return m_minimum; }
    Anchor AnchorOf(HWND control) const;

private:
    struct Placed {
        HWND control;
        RECT base;
        Anchor anchor;
    };

    HWND m_dialog = nullptr;
    SIZE m_baseClient = {};
    SIZE m_minimum = {};
    std::vector<Placed> m_controls;
};
