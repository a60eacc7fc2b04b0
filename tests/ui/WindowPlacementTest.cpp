// The window comes back where and as large as the user left it, on a monitor that exists.
#include "support/DialogFixture.h"

#include <gtest/gtest.h>

namespace {

class WindowPlacement : public DialogFixture {
protected:
    // The program closed and started again: a dialog of its own, from the stored placement.
    RECT Reopened(bool* maximized)
    {
        dialog.DestroyWindow();
        CKalendrixDlg again;
        EXPECT_TRUE(again.Create());
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof(placement);
        GetWindowPlacement(again.Handle(), &placement);
        *maximized = IsZoomed(again.Handle()) != FALSE;
        again.DestroyWindow();
        return placement.rcNormalPosition;
    }

    RECT Normal() const
    {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof(placement);
        GetWindowPlacement(dialog.Handle(), &placement);
        return placement.rcNormalPosition;
    }
};

} // namespace

TEST_F(WindowPlacement, SizePlaceAndMaximizedStateComeBack)
{
    RECT window;
    GetWindowRect(dialog.Handle(), &window);
    SetWindowPos(dialog.Handle(), nullptr, 40, 30, window.right - window.left + 200, window.bottom - window.top + 100,
                 SWP_NOZORDER);
    const RECT left = Normal();
    bool maximized = true;
    const RECT back = Reopened(&maximized);
    EXPECT_TRUE(EqualRect(&back, &left)) << back.left << "," << back.top << " " << back.right << "," << back.bottom;
    EXPECT_FALSE(maximized);

    ASSERT_TRUE(dialog.Create());
    ShowWindow(dialog.Handle(), SW_MAXIMIZE);
    if (!IsZoomed(dialog.Handle()))
        GTEST_SKIP() << "the window manager did not maximize the window";
    const RECT beneath = Normal();
    const RECT restored = Reopened(&maximized);
    EXPECT_TRUE(maximized);
    EXPECT_TRUE(EqualRect(&restored, &beneath)) << "the size it takes when no longer maximized";
}

TEST_F(WindowPlacement, APlaceOnAMonitorThatIsGoneIsCentredOnTheNearest)
{
    RECT window;
    GetWindowRect(dialog.Handle(), &window);
    const int width = window.right - window.left + 50;
    const int height = window.bottom - window.top + 40;
    dialog.DestroyWindow(); // which stores where it was
    StoreProfileValue(L"windowLeft", static_cast<DWORD>(-30000));
    StoreProfileValue(L"windowTop", 20);
    StoreProfileValue(L"windowWidth", static_cast<DWORD>(width));
    StoreProfileValue(L"windowHeight", static_cast<DWORD>(height));
    StoreProfileValue(L"windowMaximized", 0);
    CKalendrixDlg again;
    ASSERT_TRUE(again.Create());
    RECT place;
    GetWindowRect(again.Handle(), &place);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(again.Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
    RECT inside;
    EXPECT_TRUE(IntersectRect(&inside, &place, &monitor.rcWork) && EqualRect(&inside, &place))
        << place.left << "," << place.top << " " << place.right << "," << place.bottom;
    EXPECT_EQ(place.right - place.left, width);
    EXPECT_NEAR((place.left + place.right) / 2, (monitor.rcWork.left + monitor.rcWork.right) / 2, 1);
    again.DestroyWindow();
}
