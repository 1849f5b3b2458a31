#include <gtest/gtest.h>

#include "unit/selection/SelectionFixture.h"

using vortan::test::SelectionHost;

namespace {

// On a real EDIT the system's border lies around the button, so the places are measured
// against the window rather than written down.
TEST(BrowseButtonWin32, SitsInTheNonClientAreaOfARealEdit) {
    SelectionHost host(FileMode);
    const HWND edit = host.control.GetSafeHwnd();
    SetWindowPos(edit, nullptr, 10, 20, 100, 17, SWP_NOZORDER);
    RECT window;
    GetWindowRect(edit, &window);
    POINT origin{0, 0};
    ClientToScreen(edit, &origin);
    RECT client;
    GetClientRect(edit, &client);

    // At the right, within the window; the client area ends where it begins (the two share
    // a column, as they do on every platform).
    const RECT button = host.control.GetButtonRect();
    EXPECT_GT(button.left, 50);
    EXPECT_LE(button.right, 100);
    EXPECT_GE(button.top, 0);
    EXPECT_LE(button.bottom, 17);
    EXPECT_LT(button.top + 8, button.bottom);
    EXPECT_NEAR(origin.x - window.left + client.right, button.left, 1);
    EXPECT_GT(client.right, 40);

    // The system asks the control where a point is: the button is border, the text client.
    const LPARAM onButton = MAKELPARAM(window.left + (button.left + button.right) / 2,
                                       window.top + (button.top + button.bottom) / 2);
    EXPECT_EQ(SendMessage(edit, WM_NCHITTEST, 0, onButton), HTBORDER);
    EXPECT_EQ(SendMessage(edit, WM_NCHITTEST, 0, MAKELPARAM(origin.x + 5, origin.y + 5)), HTCLIENT);

    // On the left the client area begins after it.
    ASSERT_TRUE(host.control.ModifyFlags(0, ButtonOnLeft));
    const RECT left = host.control.GetButtonRect();
    EXPECT_GE(left.left, 0);
    EXPECT_LT(left.right, 50);
    EXPECT_GT(left.right - left.left, 8);
    ClientToScreen(edit, &(origin = POINT{0, 0}));
    EXPECT_NEAR(origin.x - window.left, left.right, 1);
}

} // namespace
