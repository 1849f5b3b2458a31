#include <sstream>

#include <gtest/gtest.h>

#include "platform/ui/DeviceContext.h"
#include "unit/selection/SelectionFixture.h"

using vortan::test::SelectionHost;

namespace {

// Records the drawing calls as text, one call per entry.
class RecordingDC final : public vortan::ui::IDeviceContext {
public:
    void Rectangle(const RECT& r, COLORREF pen, COLORREF brush) override {
        Add("rect", r, pen, brush);
    }
    void DrawEdge(const RECT& r, UINT edge, UINT flags) override { Add("edge", r, edge, flags); }
    void SetPixel(int x, int y, COLORREF color) override { Add("pixel", {x, y, x, y}, color, 0); }
    void Ellipse(const RECT& r, COLORREF pen, COLORREF brush) override {
        Add("ellipse", r, pen, brush);
    }
    std::vector<std::string> calls;

private:
    void Add(const char* what, const RECT& r, DWORD a, DWORD b) {
        std::ostringstream out;
        out << what << ' ' << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom << ' '
            << a << ' ' << b;
        calls.push_back(out.str());
    }
};

std::string Rect(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

// The control placed at (10, 20) with the given size, so the button gets its geometry.
void Place(const SelectionHost& host, int width, int height) {
    SetWindowPos(host.control.GetSafeHwnd(), nullptr, 10, 20, width, height, SWP_NOZORDER);
}

TEST(BrowseButtonTest, GeometryFollowsTheSide) {
    SelectionHost host(FileMode);
    Place(host, 100, 17);
    EXPECT_EQ(Rect(host.control.GetButtonRect()), "85,0,100,17");
    RECT client;
    GetClientRect(host.control.GetSafeHwnd(), &client);
    EXPECT_EQ(client.right, 86);
    ASSERT_TRUE(host.control.ModifyFlags(0, ButtonOnLeft));
    EXPECT_EQ(Rect(host.control.GetButtonRect()), "0,0,13,17");
    GetClientRect(host.control.GetSafeHwnd(), &client);
    EXPECT_EQ(client.right, 87);
    // Hit tests in desktop coordinates: the button answers HTBORDER, the edit area HTCLIENT.
    EXPECT_EQ(SendMessage(host.control.GetSafeHwnd(), WM_NCHITTEST, 0, MAKELPARAM(15, 25)),
              HTBORDER);
    EXPECT_EQ(SendMessage(host.control.GetSafeHwnd(), WM_NCHITTEST, 0, MAKELPARAM(60, 25)),
              HTCLIENT);
}

TEST(BrowseButtonTest, DotsAndColoursPerState) {
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    const COLORREF text = GetSysColor(COLOR_BTNTEXT);
    const struct {
        int height;
        int state;
        std::vector<std::string> calls;
    } cases[] = {
        // 15 wide: single pixels 3 apart, 4 right of the button's left edge (85).
        {17,
         ButtonUp,
         {"rect 85,0,100,17 " + std::to_string(face) + " " + std::to_string(face),
          "edge 85,0,100,17 5 15", "pixel 89,9,89,9 " + std::to_string(text) + " 0",
          "pixel 92,9,92,9 " + std::to_string(text) + " 0",
          "pixel 95,9,95,9 " + std::to_string(text) + " 0"}},
        // 20 wide: circles of 2, 5 apart, also 4 right of the left edge (80); pressed: shifted.
        {23,
         ButtonDown,
         {"rect 80,0,100,23 " + std::to_string(GetSysColor(COLOR_3DSHADOW)) + " " +
              std::to_string(face),
          "ellipse 85,12,87,14 " + std::to_string(text) + " " + std::to_string(text),
          "ellipse 90,12,92,14 " + std::to_string(text) + " " + std::to_string(text),
          "ellipse 95,12,97,14 " + std::to_string(text) + " " + std::to_string(text)}},
    };
    for (const auto& c : cases) {
        SelectionHost host(FileMode);
        Place(host, 100, c.height);
        RecordingDC dc;
        vortan::ui::SetWindowDeviceContext(host.control.GetSafeHwnd(), &dc);
        host.control.DrawButton(c.state);
        EXPECT_EQ(dc.calls, c.calls);
        EXPECT_EQ(host.control.GetButtonState(), c.state);
        vortan::ui::SetWindowDeviceContext(host.control.GetSafeHwnd(), nullptr);
    }
}

TEST(BrowseButtonTest, MouseAndKeysBrowse) {
    SelectionHost host(FileMode | ButtonTooltip);
    host.preBrowseReply = 1; // count the browses without opening a dialog
    Place(host, 100, 17);
    const HWND edit = host.control.GetSafeHwnd();
    const LPARAM onButtonScreen = MAKELPARAM(100, 25);
    const LPARAM onButtonClient = MAKELPARAM(90, 5);
    const LPARAM offButtonClient = MAKELPARAM(30, 5);

    // Press, drag off, release off: no browse.
    SendMessage(edit, WM_NCLBUTTONDOWN, HTBORDER, onButtonScreen);
    EXPECT_EQ(host.control.GetButtonState(), ButtonDown);
    EXPECT_EQ(GetCapture(), edit);
    SendMessage(edit, WM_MOUSEMOVE, 0, offButtonClient);
    EXPECT_EQ(host.control.GetButtonState(), ButtonUp);
    SendMessage(edit, WM_LBUTTONUP, 0, offButtonClient);
    EXPECT_FALSE(host.control.IsCaptured());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(host.notifications.empty());

    // Press, drag off and back, release on it: one browse.
    SendMessage(edit, WM_NCLBUTTONDOWN, HTBORDER, onButtonScreen);
    SendMessage(edit, WM_MOUSEMOVE, 0, offButtonClient);
    SendMessage(edit, WM_MOUSEMOVE, 0, onButtonClient);
    EXPECT_EQ(host.control.GetButtonState(), ButtonDown);
    SendMessage(edit, WM_LBUTTONUP, 0, onButtonClient);
    EXPECT_EQ(host.control.GetButtonState(), ButtonUp);
    EXPECT_EQ(host.notifications, std::vector<UINT>{NotifyPreBrowse});

    // Ctrl with either full stop browses; the key alone does not.
    vortan::win::SetKeyState(VK_CONTROL, true);
    SendMessage(edit, WM_KEYDOWN, VK_OEM_PERIOD, 0);
    SendMessage(edit, WM_KEYDOWN, VK_DECIMAL, 0);
    vortan::win::SetKeyState(VK_CONTROL, false);
    SendMessage(edit, WM_KEYDOWN, VK_OEM_PERIOD, 0);
    EXPECT_EQ(host.notifications.size(), 3u);

    // The tooltip: tool 1 over the button in client coordinates (its text: the view's test).
    EXPECT_TRUE(host.control.HasTooltip());
    EXPECT_EQ(Rect(host.control.GetToolRect(1)), "85,0,100,17");
}

} // namespace
