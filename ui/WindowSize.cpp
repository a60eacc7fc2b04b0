// The window sized by the user: its controls follow the edges (DialogLayout), it is never
// smaller than its template, and its place, size and maximized state come back at the
// next start, on a monitor that still exists.
#include "KalendrixDlg.h"

#include "../framework/Application.h"

#include <algorithm>

namespace {

// Stored beside the switches; a width of 0 means nothing was stored.
constexpr const wchar_t* kLeftKey = L"windowLeft";
constexpr const wchar_t* kTopKey = L"windowTop";
constexpr const wchar_t* kWidthKey = L"windowWidth";
constexpr const wchar_t* kHeightKey = L"windowHeight";
constexpr const wchar_t* kMaximizedKey = L"windowMaximized";
constexpr const wchar_t* kDpiKey = L"windowDpi";

int StoredInt(const wchar_t* key)
{
    return static_cast<int>(TheApplication()->ReadSetting(kProfileSection, key, 0));
}

} // namespace

void CKalendrixDlg::RestorePlacement()
{
    int width = StoredInt(kWidthKey);
    int height = StoredInt(kHeightKey);
    if (width <= 0 || height <= 0)
        return;
    const int storedDpi = StoredInt(kDpiKey);
    if (storedDpi > 0 && static_cast<UINT>(storedDpi) != m_dpi) {
        width = MulDiv(width, static_cast<int>(m_dpi), storedDpi);
        height = MulDiv(height, static_cast<int>(m_dpi), storedDpi);
    }
    const SIZE minimum = m_layout.MinimumSize();
    width = std::max(width, static_cast<int>(minimum.cx));
    height = std::max(height, static_cast<int>(minimum.cy));
    const int left = StoredInt(kLeftKey);
    const int top = StoredInt(kTopKey);
    RECT place = {left, top, left + width, top + height};
    if (MonitorFromRect(&place, MONITOR_DEFAULTTONULL) == nullptr) {
        // Its monitor is gone: centred on the nearest, within its work area.
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& area = monitor.rcWork;
        width = std::min(width, static_cast<int>(area.right - area.left));
        height = std::min(height, static_cast<int>(area.bottom - area.top));
        const int x = area.left + (area.right - area.left - width) / 2;
        const int y = area.top + (area.bottom - area.top - height) / 2;
        place = {x, y, x + width, y + height};
    }
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    GetWindowPlacement(m_hWnd, &placement);
    placement.flags = 0;
    placement.rcNormalPosition = place;
    placement.showCmd = StoredInt(kMaximizedKey) == 1 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    SetWindowPlacement(m_hWnd, &placement);
}

void CKalendrixDlg::SavePlacement()
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(m_hWnd, &placement))
        return;
    const RECT& place = placement.rcNormalPosition;
    const bool maximized = placement.showCmd == SW_SHOWMAXIMIZED ||
                           (placement.showCmd == SW_SHOWMINIMIZED && (placement.flags & WPF_RESTORETOMAXIMIZED));
    Application& application = *TheApplication();
    application.WriteSetting(kProfileSection, kLeftKey, place.left);
    application.WriteSetting(kProfileSection, kTopKey, place.top);
    application.WriteSetting(kProfileSection, kWidthKey, place.right - place.left);
    application.WriteSetting(kProfileSection, kHeightKey, place.bottom - place.top);
    application.WriteSetting(kProfileSection, kMaximizedKey, maximized ? 1 : 0);
    application.WriteSetting(kProfileSection, kDpiKey, static_cast<int>(m_dpi));
}

void CKalendrixDlg::OnSize(WPARAM type, LPARAM)
{
    if (type == SIZE_MINIMIZED)
        return;
    m_layout.Apply();
    m_fileList.FitColumns();
}

void CKalendrixDlg::OnGetMinMaxInfo(WPARAM, LPARAM info)
{
    const SIZE minimum = m_layout.MinimumSize();
    if (minimum.cx > 0)
        reinterpret_cast<MINMAXINFO*>(info)->ptMinTrackSize = {minimum.cx, minimum.cy};
}
