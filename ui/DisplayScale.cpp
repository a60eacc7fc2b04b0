// The main dialog at the display scale: its icons, the first file's icon, and a change
// of scale while it runs.
#include "KalendrixDlg.h"

#include "../framework/DisplayScale.h"
#include "../framework/Application.h"

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

// Every control keeps its place and size in proportion (the layout's base places scale,
// and the layout puts them for the window's new size) and takes the dialog's font made
// again at the new scale.
void CKalendrixDlg::ScaleControls(UINT from, UINT to)
{
    HFONT current = m_scaledFont != nullptr ? m_scaledFont : reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    LOGFONTW face = {};
    GetObjectW(current, sizeof(face), &face);
    face.lfHeight = MulDiv(face.lfHeight, static_cast<int>(to), static_cast<int>(from));
    HFONT scaled = CreateFontIndirectW(&face);
    for (HWND child : DirectChildren(m_hWnd))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(scaled), FALSE);
    m_layout.Scale(from, to);
    if (m_scaledFont != nullptr)
        DeleteObject(m_scaledFont);
    m_scaledFont = scaled;
}

void CKalendrixDlg::OnDpiChanged(WPARAM dpis, LPARAM proposedRect)
{
    const UINT dpi = LOWORD(dpis);
    const RECT& proposed = *reinterpret_cast<const RECT*>(proposedRect);
    if (dpi != 0 && dpi != m_dpi) {
        ScaleControls(m_dpi, dpi);
        m_dpi = dpi;
        m_fileList.SetDpi(dpi);
        LoadScaledIcons();
        FirstFileChanged();
    }
    SetWindowPos(m_hWnd, nullptr, proposed.left, proposed.top, proposed.right - proposed.left,
                 proposed.bottom - proposed.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Also where the size stayed the same, the controls take their places at the new scale.
    m_layout.Apply();
    m_fileList.FitColumns();
}
