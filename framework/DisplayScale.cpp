#include "DisplayScale.h"

#include <commctrl.h>

namespace {

// A function of user32 that older Windows lacks; null there.
template <typename Function>
Function User32Function(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT SystemDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

} // namespace

UINT DpiOfWindow(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (UINT dpi = getDpiForWindow(window))
            return dpi;
    }
    return SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi)
{
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    static const auto getSystemMetricsForDpi = User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi != nullptr)
        return getSystemMetricsForDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

HICON LoadIconOfSize(HINSTANCE instance, UINT id, int size)
{
    // Version 6 of the common controls, which the manifest asks for, has it; the import
    // libraries of the tool chain do not.
    using LoadIconWithScaleDownFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    static const auto loadIconWithScaleDown = reinterpret_cast<LoadIconWithScaleDownFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"comctl32.dll"), "LoadIconWithScaleDown")));
    HICON icon = nullptr;
    if (loadIconWithScaleDown != nullptr)
        return SUCCEEDED(loadIconWithScaleDown(instance, MAKEINTRESOURCEW(id), size, size, &icon)) ? icon : nullptr;
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

void TakeOverDialogScaling(HWND dialog)
{
    using SetBehaviorFunction = BOOL(WINAPI*)(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
    static const auto setBehavior = User32Function<SetBehaviorFunction>("SetDialogDpiChangeBehavior");
    if (setBehavior != nullptr)
        setBehavior(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
}
