// Display scale: the dots per inch a window is shown at, and sizes that follow it. The
// per-monitor calls of Windows 10 are used where the system has them; Windows 7 and 8
// have one scale for every monitor.
#pragma once

#include <windows.h>

constexpr UINT kDefaultDpi = 96;

// The scale of the monitor the window is on (Windows 10 1607 on), else the system's.
UINT DpiOfWindow(HWND window);

// A length in pixels at 96 dpi, at `dpi`.
inline int ScaleToDpi(int pixelsAt96, UINT dpi)
{
    return MulDiv(pixelsAt96, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

// A system metric (SM_CXICON, say) at `dpi`.
int SystemMetricForDpi(int index, UINT dpi);

// An icon resource `size` pixels square, from the image of that size where the icon has
// one, else scaled down from a larger one (never up); null when there is no such icon.
HICON LoadIconOfSize(HINSTANCE instance, UINT id, int size);

// Leaves a dialog's changes of scale to the dialog's own handler: from Windows 10 1703 on,
// the system would otherwise also rescale its fonts and controls.
void TakeOverDialogScaling(HWND dialog);
