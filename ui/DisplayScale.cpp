// The main dialog at the display scale: its icons, the first file's icon, and a change
// of scale while it runs.
#include "KalendrixDlg.h"

#include "../framework/DisplayScale.h"
#include "../framework/Application.h"

#include <algorithm>
#include <vector>

namespace {

// The square at the dialog's top left where the first file's icon is drawn, at 96 dpi;
// the icon is the size of a large icon at the dialog's scale.
constexpr POINT kIconAreaAt96 = {20, 0};

// The children of the dialog itself, not the parts of a list view.
std::vector<HWND> DirectChildren(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

} // namespace

RECT CKalendrixDlg::FileIconArea() const
{
    const int size = SystemMetricForDpi(SM_CXICON, m_dpi);
    const int left = ScaleToDpi(kIconAreaAt96.x, m_dpi);
    const int top = ScaleToDpi(kIconAreaAt96.y, m_dpi);
    return {left, top, left + size, top + size};
}

void CKalendrixDlg::LoadScaledIcons()
{
    HINSTANCE instance = TheApplication()->m_instance;
    HICON big = LoadIconOfSize(instance, IDR_MAINFRAME, SystemMetricForDpi(SM_CXICON, m_dpi));
    HICON small = LoadIconOfSize(instance, IDR_MAINFRAME, SystemMetricForDpi(SM_CXSMICON, m_dpi));
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    for (HICON old : {m_hIcon, m_smallIcon}) {
        if (old != nullptr)
            DestroyIcon(old);
    }
    m_hIcon = big;
    m_smallIcon = small;
}

// Every control keeps its place and size in proportion and takes the dialog's font made
// again at the new scale.
void CKalendrixDlg::ScaleControls(UINT from, UINT to)
{
    HFONT current = m_scaledFont != nullptr ? m_scaledFont : reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    LOGFONTW face = {};
    GetObjectW(current, sizeof(face), &face);
    face.lfHeight = MulDiv(face.lfHeight, static_cast<int>(to), static_cast<int>(from));
    HFONT scaled = CreateFontIndirectW(&face);

    const std::vector<HWND> children = DirectChildren(m_hWnd);
    HDWP positions = BeginDeferWindowPos(static_cast<int>(children.size()));
    for (HWND child : children) {
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
        auto scale = [&](LONG length) { return MulDiv(length, static_cast<int>(to), static_cast<int>(from)); };
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(scaled), FALSE);
        if (positions != nullptr)
            positions = DeferWindowPos(positions, child, nullptr, scale(place.left), scale(place.top),
                                       scale(place.right) - scale(place.left), scale(place.bottom) - scale(place.top),
                                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (positions != nullptr)
        EndDeferWindowPos(positions);

    if (m_scaledFont != nullptr)
        DeleteObject(m_scaledFont);
    m_scaledFont = scaled;
}

void CKalendrixDlg::FitListColumns()
{
    // 300 and 270 pixels at 96 dpi. The dialog grows with its font, which does not grow
    // exactly as the scale does: the types' column keeps within the list, with room for
    // a vertical scroll bar, so that nobody scrolls sideways to see it.
    HWND list = GetDlgItem(IDC_FILE_LIST);
    RECT client;
    GetClientRect(list, &client);
    const int names = ScaleToDpi(300, m_dpi);
    const int room = static_cast<int>(client.right) - names - SystemMetricForDpi(SM_CXVSCROLL, m_dpi);
    ListView_SetColumnWidth(list, 0, names);
    ListView_SetColumnWidth(list, 1, std::max(0, std::min(ScaleToDpi(270, m_dpi), room)));
}

void CKalendrixDlg::OnDpiChanged(WPARAM dpis, LPARAM proposedRect)
{
    const UINT dpi = LOWORD(dpis);
    const RECT& proposed = *reinterpret_cast<const RECT*>(proposedRect);
    if (dpi != 0 && dpi != m_dpi) {
        ScaleControls(m_dpi, dpi);
        m_dpi = dpi;
        m_fileList.SetDpi(dpi);
        FitListColumns();
        LoadScaledIcons();
        FirstFileChanged();
    }
    SetWindowPos(m_hWnd, nullptr, proposed.left, proposed.top, proposed.right - proposed.left,
                 proposed.bottom - proposed.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}
