// The main dialog at the display scale it runs at (the prefix's LogPixels; tools/test
// runs these tests also in a prefix at 144 dpi) and after a change of scale.
#include "support/DialogFixture.h"

#include "framework/DisplayScale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring WindowText(HWND window)
{
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

std::string Narrow(const std::wstring& text)
{
    std::string bytes(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

// The width of one line of text in the window's own font.
int TextWidth(HWND window, const std::wstring& text)
{
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    RECT box = {0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &box, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return box.right - box.left;
}

int ClientWidth(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    return client.right;
}

// What does not show whole at the dialog's scale: the four digits of every year, every
// caption, the list's header texts and property names.
class LayoutCheck {
public:
    LayoutCheck(HWND dialog, UINT dpi) : m_dialog(dialog), m_dpi(dpi) {}

    std::string Faults()
    {
        for (const TimeRowControls& row : kTimeRows)
            CheckYear(GetDlgItem(m_dialog, row.edits[kYear]), GetDlgItem(m_dialog, row.spins[kYear]));
        for (HWND child = GetWindow(m_dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            CheckCaption(child);
        CheckList(GetDlgItem(m_dialog, IDC_FILE_LIST));
        return m_faults.str();
    }

private:
    void Fault(const std::wstring& what, int needed, int room)
    {
        m_faults << Narrow(what) << ": " << needed << " px needed, " << room << " px room at " << m_dpi << " dpi\n";
    }

    // Four digits fit the edit's text area, and the up-down covers none of it.
    void CheckYear(HWND edit, HWND spin)
    {
        RECT area;
        SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
        MapWindowPoints(edit, nullptr, reinterpret_cast<POINT*>(&area), 2);
        RECT spinPlace;
        GetWindowRect(spin, &spinPlace);
        const int room = std::min(area.right, spinPlace.left) - area.left;
        const int needed = TextWidth(edit, L"2026");
        if (needed > room)
            Fault(L"year " + std::to_wstring(GetDlgCtrlID(edit)), needed, room);
    }

    void CheckCaption(HWND control)
    {
        wchar_t className[32] = L"";
        GetClassNameW(control, className, 32);
        const std::wstring text = WindowText(control);
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        if (text.empty() || (_wcsicmp(className, L"Static") != 0 && _wcsicmp(className, L"Button") != 0) ||
            (_wcsicmp(className, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON))
            return;
        int room = ClientWidth(control);
        if (_wcsicmp(className, L"Button") == 0) {
            switch (style & BS_TYPEMASK) {
            case BS_AUTOCHECKBOX:
            case BS_CHECKBOX:
                // The box, then a gap before the text.
                room -= SystemMetricForDpi(SM_CXMENUCHECK, m_dpi) + ScaleToDpi(3, m_dpi);
                break;
            case BS_GROUPBOX:
                room -= ScaleToDpi(8, m_dpi);
                break;
            default:
                // Inside the button's frame.
                room -= 2 * SystemMetricForDpi(SM_CXEDGE, m_dpi);
            }
        }
        const int needed = TextWidth(control, text);
        if (needed > room)
            Fault(L"「" + text + L"」", needed, room);
    }

    // The columns together fit the list (no scrolling sideways to see the second), and
    // each is wide enough for its header text and the property names.
    void CheckList(HWND list)
    {
        HWND header = ListView_GetHeader(list);
        const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
        int total = 0;
        for (int column = 0; column < columns; ++column) {
            wchar_t text[64] = L"";
            HDITEMW item = {};
            item.mask = HDI_TEXT;
            item.pszText = text;
            item.cchTextMax = 64;
            SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
            const int width = ListView_GetColumnWidth(list, column);
            total += width;
            // The header's own margins, as the list view's auto-size adds them.
            const int needed = ListView_GetStringWidth(list, text) + ScaleToDpi(12, m_dpi);
            if (needed > width)
                Fault(L"column 「" + std::wstring(text) + L"」", needed, width);
        }
        const int rows = ListView_GetItemCount(list);
        for (int row = 0; row < rows; ++row) {
            wchar_t text[MAX_PATH + 40] = L"";
            ListView_GetItemText(list, row, 0, text, MAX_PATH + 40);
            const int needed = ListView_GetStringWidth(list, text) + ScaleToDpi(12, m_dpi);
            if (needed > ListView_GetColumnWidth(list, 0))
                Fault(L"row 「" + std::wstring(text) + L"」", needed, ListView_GetColumnWidth(list, 0));
        }
        const int room = ClientWidth(list);
        if (total > room)
            Fault(L"the list's columns", total, room);
    }

    HWND m_dialog;
    UINT m_dpi;
    std::ostringstream m_faults;
};

// The size of an icon's image.
int IconWidth(HICON icon)
{
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info))
        return 0;
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor != nullptr)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

class DisplayScale : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        if (testing::Test::HasFatalFailure())
            return;
        file = folder.MakeFile(L"scale.txt");
        Choose({file});
    }

    std::wstring file;
};

} // namespace

TEST_F(DisplayScale, EveryYearAndCaptionShowsWholeAtTheScaleOfThePrefix)
{
    // tools/test runs this program once in a prefix at 144 dpi and says so here.
    if (const wchar_t* asked = _wgetenv(L"KALENDRIX_TEST_DPI")) {
        ASSERT_EQ(dialog.GetDpi(), static_cast<UINT>(_wtoi(asked))) << "the prefix's LogPixels did not take";
    }
    EXPECT_EQ(LayoutCheck(dialog.Handle(), dialog.GetDpi()).Faults(), "");
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(dialog.Handle(), WM_GETICON, ICON_BIG, 0))),
              SystemMetricForDpi(SM_CXICON, dialog.GetDpi()));
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(dialog.Handle(), WM_GETICON, ICON_SMALL, 0))),
              SystemMetricForDpi(SM_CXSMICON, dialog.GetDpi()));
}

// Wine never sends WM_DPICHANGED (it has one scale for every monitor and no change while
// running): the test sends it as Windows does, with the rectangle the system proposes.
TEST_F(DisplayScale, AChangeOfScaleTakesTheProposedRectangleAndScalesFontsAndIcons)
{
    HWND window = dialog.Handle();
    const UINT from = dialog.GetDpi();
    const UINT to = from * 3 / 2;
    RECT before;
    GetWindowRect(window, &before);
    LOGFONTW fontBefore = {};
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(window, IDC_WRITE_YEAR, WM_GETFONT, 0, 0)),
               sizeof(fontBefore), &fontBefore);

    RECT proposed = {before.left + 10, before.top + 20, before.left + 10 + (before.right - before.left) * 3 / 2,
                     before.top + 20 + (before.bottom - before.top) * 3 / 2};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&proposed));

    RECT after;
    GetWindowRect(window, &after);
    EXPECT_TRUE(EqualRect(&after, &proposed)) << after.left << "," << after.top << " " << after.right << ","
                                              << after.bottom;
    EXPECT_EQ(dialog.GetDpi(), to);
    LOGFONTW fontAfter = {};
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(window, IDC_WRITE_YEAR, WM_GETFONT, 0, 0)),
               sizeof(fontAfter), &fontAfter);
    EXPECT_EQ(fontAfter.lfHeight, MulDiv(fontBefore.lfHeight, 3, 2));
    EXPECT_STREQ(fontAfter.lfFaceName, fontBefore.lfFaceName);
    EXPECT_EQ(LayoutCheck(window, to).Faults(), "");
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0))),
              SystemMetricForDpi(SM_CXICON, to));
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0))),
              SystemMetricForDpi(SM_CXSMICON, to));
    const RECT iconArea = dialog.FileIconArea();
    EXPECT_EQ(iconArea.right - iconArea.left, SystemMetricForDpi(SM_CXICON, to));
}

namespace {

RECT PlaceInDialog(HWND dialog, HWND control)
{
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// Which edges a control keeps its distance to when the dialog grows.
enum class Edges { leftTop, rightTop, leftBottom, rightBottom, stretchedWide, stretchedBoth };

struct EdgeCase {
    int id;
    Edges edges;
};

const EdgeCase kEdgeCases[] = {
    {IDC_FILE_LIST, Edges::stretchedBoth},
    {IDC_NAME, Edges::stretchedWide},
    {IDC_EXTENSION, Edges::rightTop},
    {IDC_BROWSE, Edges::rightTop},
    {IDC_FILTER, Edges::leftBottom},
    {IDC_CHOICE_COUNTS, Edges::leftBottom},
    {IDC_SWITCH_CREATE, Edges::leftBottom},
    {IDC_ACCESS_SECOND, Edges::leftBottom},
    {IDC_MODE_SHIFT, Edges::leftBottom},
    {IDC_SAME_AS_CREATION, Edges::leftBottom},
    {IDC_ATTR_COMPRESSED, Edges::leftBottom},
    {IDC_JOB_STATUS, Edges::leftBottom},
    {IDC_FOLDER_CONTENTS, Edges::rightBottom},
    {IDC_BROWSE_FOLDER, Edges::rightBottom},
    {IDOK, Edges::rightBottom},
    {IDCANCEL, Edges::rightBottom},
    {IDC_APPLY, Edges::rightBottom},
};

} // namespace

TEST_F(DisplayScale, ALargerWindowKeepsEveryControlAgainstItsEdgesAndOverlapsNothing)
{
    HWND window = dialog.Handle();
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) << "a sizing border";
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_MAXIMIZEBOX);
    RECT templateWindow;
    GetWindowRect(window, &templateWindow);
    RECT before;
    GetClientRect(window, &before);
    std::vector<std::pair<HWND, RECT>> places;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        places.emplace_back(child, PlaceInDialog(window, child));

    // Larger by as much as the screen has room for, up to 200 by 120 pixels at 96 dpi.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const int dx = std::min<int>(ScaleToDpi(200, dialog.GetDpi()),
                                 monitor.rcWork.right - monitor.rcWork.left - (templateWindow.right - templateWindow.left));
    const int dy = std::min<int>(ScaleToDpi(120, dialog.GetDpi()),
                                 monitor.rcWork.bottom - monitor.rcWork.top - (templateWindow.bottom - templateWindow.top));
    if (dx < 20 || dy < 20)
        GTEST_SKIP() << "the screen has no room for a larger window at " << dialog.GetDpi() << " dpi";
    SetWindowPos(window, nullptr, monitor.rcWork.left, monitor.rcWork.top, templateWindow.right - templateWindow.left + dx,
                 templateWindow.bottom - templateWindow.top + dy, SWP_NOZORDER);
    RECT after;
    GetClientRect(window, &after);
    ASSERT_EQ(after.right - before.right, dx);
    ASSERT_EQ(after.bottom - before.bottom, dy);

    for (const EdgeCase& c : kEdgeCases) {
        HWND control = dialog.GetDlgItem(c.id);
        RECT was = {};
        for (const auto& place : places) {
            if (place.first == control)
                was = place.second;
        }
        const RECT now = PlaceInDialog(window, control);
        RECT expected = was;
        switch (c.edges) {
        case Edges::leftTop:
            break;
        case Edges::rightTop:
            OffsetRect(&expected, dx, 0);
            break;
        case Edges::leftBottom:
            OffsetRect(&expected, 0, dy);
            break;
        case Edges::rightBottom:
            OffsetRect(&expected, dx, dy);
            break;
        case Edges::stretchedWide:
            expected.right += dx;
            break;
        case Edges::stretchedBoth:
            expected.right += dx;
            expected.bottom += dy;
            break;
        }
        EXPECT_TRUE(EqualRect(&now, &expected)) << "control " << c.id << " at " << now.left << "," << now.top << " "
                                                << now.right << "," << now.bottom << ", expected " << expected.left
                                                << "," << expected.top << " " << expected.right << "," << expected.bottom;
    }
    // Controls apart at the template's size are apart still (a group box holds its controls).
    for (size_t a = 0; a < places.size(); ++a) {
        for (size_t b = a + 1; b < places.size(); ++b) {
            RECT common;
            if (IntersectRect(&common, &places[a].second, &places[b].second))
                continue;
            const RECT first = PlaceInDialog(window, places[a].first);
            const RECT second = PlaceInDialog(window, places[b].first);
            EXPECT_FALSE(IntersectRect(&common, &first, &second))
                << "controls " << GetDlgCtrlID(places[a].first) << " and " << GetDlgCtrlID(places[b].first) << " overlap";
        }
    }
    EXPECT_EQ(LayoutCheck(window, dialog.GetDpi()).Faults(), "");

    // Never smaller than the template.
    SetWindowPos(window, nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
    RECT smallest;
    GetWindowRect(window, &smallest);
    EXPECT_EQ(smallest.right - smallest.left, templateWindow.right - templateWindow.left);
    EXPECT_EQ(smallest.bottom - smallest.top, templateWindow.bottom - templateWindow.top);
}
