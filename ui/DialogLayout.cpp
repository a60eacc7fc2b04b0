#include "DialogLayout.h"

namespace {

RECT PlaceInParent(HWND control, HWND parent)
{
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

bool IsGroupBox(HWND control)
{
    wchar_t className[16] = L"";
    GetClassNameW(control, className, 16);
    return _wcsicmp(className, L"Button") == 0 &&
           (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

LONG Scaled(LONG length, UINT from, UINT to)
{
    return MulDiv(length, static_cast<int>(to), static_cast<int>(from));
}

} // namespace

void DialogLayout::Attach(HWND dialog, int stretchedId, int wideId)
{
    m_dialog = dialog;
    m_controls.clear();
    RECT client;
    GetClientRect(dialog, &client);
    m_baseClient = {client.right, client.bottom};
    RECT window;
    GetWindowRect(dialog, &window);
    m_minimum = {window.right - window.left, window.bottom - window.top};

    HWND stretched = GetDlgItem(dialog, stretchedId);
    HWND wide = GetDlgItem(dialog, wideId);
    const RECT list = PlaceInParent(stretched, dialog);
    const RECT name = PlaceInParent(wide, dialog);
    std::vector<RECT> groups;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsGroupBox(child))
            groups.push_back(PlaceInParent(child, dialog));
    }
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT place = PlaceInParent(child, dialog);
        Anchor anchor = Anchor::stay;
        if (child == stretched) {
            anchor = Anchor::stretchBoth;
        } else if (place.bottom <= list.top) {
            anchor = child == wide ? Anchor::stretchWide : place.left >= name.right ? Anchor::right : Anchor::stay;
        } else if (place.top >= list.bottom) {
            bool grouped = false;
            for (const RECT& group : groups)
                grouped = grouped || Inside(place, group);
            anchor = !grouped && place.left >= (list.left + list.right) / 2 ? Anchor::downRight : Anchor::down;
        }
        m_controls.push_back({child, place, anchor});
    }
}

DialogLayout::Anchor DialogLayout::AnchorOf(HWND control) const
{
    for (const Placed& placed : m_controls) {
        if (placed.control == control)
            return placed.anchor;
    }
    return Anchor::stay;
}

void DialogLayout::Apply()
{
    if (m_dialog == nullptr || IsIconic(m_dialog))
        return;
    RECT client;
    GetClientRect(m_dialog, &client);
    // Never smaller than the template: the controls would overlap.
    const LONG dx = client.right > m_baseClient.cx ? client.right - m_baseClient.cx : 0;
    const LONG dy = client.bottom > m_baseClient.cy ? client.bottom - m_baseClient.cy : 0;
    HDWP positions = BeginDeferWindowPos(static_cast<int>(m_controls.size()));
    for (const Placed& placed : m_controls) {
        RECT place = placed.base;
        switch (placed.anchor) {
        case Anchor::stay:
            break;
        case Anchor::right:
            OffsetRect(&place, dx, 0);
            break;
        case Anchor::down:
            OffsetRect(&place, 0, dy);
            break;
        case Anchor::downRight:
            OffsetRect(&place, dx, dy);
            break;
        case Anchor::stretchWide:
            place.right += dx;
            break;
        case Anchor::stretchBoth:
            place.right += dx;
            place.bottom += dy;
            break;
        }
        if (positions != nullptr)
            positions = DeferWindowPos(positions, placed.control, nullptr, place.left, place.top,
                                       place.right - place.left, place.bottom - place.top,
                                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    if (positions != nullptr)
        EndDeferWindowPos(positions);
    // Group boxes and labels are drawn on the dialog's background: it is painted afresh.
    InvalidateRect(m_dialog, nullptr, TRUE);
}

void DialogLayout::Scale(UINT from, UINT to)
{
    for (Placed& placed : m_controls) {
        RECT& r = placed.base;
        r = {Scaled(r.left, from, to), Scaled(r.top, from, to), Scaled(r.right, from, to), Scaled(r.bottom, from, to)};
    }
    m_baseClient = {Scaled(m_baseClient.cx, from, to), Scaled(m_baseClient.cy, from, to)};
    // Rounded down, as the system proposes a window's rectangle at the new scale.
    m_minimum = {static_cast<LONG>(static_cast<LONGLONG>(m_minimum.cx) * to / from),
                 static_cast<LONG>(static_cast<LONGLONG>(m_minimum.cy) * to / from)};
}
