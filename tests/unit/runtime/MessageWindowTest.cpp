#include "vortan/win/MessageWindow.h"

#include <gtest/gtest.h>

// Message-only windows are the program's: in a process without its platform library (as this
// test is) every call fails cleanly and no handler ever runs. With the platform, the simulated
// board's Connect answers (tests/unit/simboard) go the whole way through the runtime.
TEST(MessageWindow, WithoutTheProgramNothingIsCreatedOrPosted) {
    int calls = 0;
    const HWND hwnd = vortan::win::CreateMessageWindow([&calls](HWND, UINT, WPARAM, LPARAM) {
        ++calls;
        return LRESULT{0};
    });
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_EQ(PostMessage(hwnd, WM_USER, 1, 2), FALSE);
    EXPECT_EQ(DestroyWindow(hwnd), FALSE);
    EXPECT_EQ(calls, 0);
}
