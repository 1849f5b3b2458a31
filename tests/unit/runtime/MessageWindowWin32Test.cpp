#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "vortan/win/MessageWindow.h"

namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Dispatches what is queued for this thread; the posts were all made before it runs.
void PumpPending() {
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

// A component's answers: posted from its worker thread, handled in order on the loop's
// thread, and never after the window is gone.
TEST(MessageWindowWin32, PostsFromAnyThreadArriveInOrderUntilTheWindowIsDestroyed) {
    std::vector<Received> got;
    const DWORD loopThread = GetCurrentThreadId();
    bool foreignThreadCall = false;
    const HWND hwnd = vortan::win::CreateMessageWindow([&](HWND, UINT m, WPARAM w, LPARAM l) {
        if (GetCurrentThreadId() != loopThread)
            foreignThreadCall = true;
        if (m == WM_USER + 1 || m == WM_DESTROY)
            got.push_back({m, w, l});
        return LRESULT{0};
    });
    ASSERT_NE(hwnd, nullptr);

    std::thread worker([hwnd] {
        for (WPARAM i = 0; i < 3; ++i)
            PostMessageA(hwnd, WM_USER + 1, i, static_cast<LPARAM>(10 * i));
    });
    worker.join();
    PumpPending();
    ASSERT_EQ(got.size(), 3u);
    for (WPARAM i = 0; i < 3; ++i) {
        EXPECT_EQ(got[i].wParam, i);
        EXPECT_EQ(got[i].lParam, static_cast<LPARAM>(10 * i));
    }
    EXPECT_FALSE(foreignThreadCall);

    // Queued but not taken before the window ends: dropped, and the handler hears WM_DESTROY.
    PostMessageA(hwnd, WM_USER + 1, 99, 0);
    EXPECT_TRUE(DestroyWindow(hwnd));
    PumpPending();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[3].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_FALSE(PostMessageA(hwnd, WM_USER + 1, 0, 0));
    EXPECT_FALSE(IsWindow(hwnd));
}
