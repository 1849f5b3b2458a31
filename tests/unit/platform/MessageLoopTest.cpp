#include "platform/win/WinBase.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"

#include "support/RecordingWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using vortan::test::RecordingWindow;

namespace {

// The queue is process-wide: every test starts from an empty one.
void DrainQueue() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

std::vector<UINT> Messages(const RecordingWindow& window) {
    std::vector<UINT> messages;
    for (const RecordingWindow::Message& m : window.received)
        messages.push_back(m.message);
    return messages;
}

} // namespace

TEST(MessageLoop, SendRunsAtOncePostWaitsForTheLoop) {
    DrainQueue();
    RecordingWindow window;
    const HWND doubling = vortan::win::CreateMessageWindow(
        [](HWND, UINT, WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam * 2); });
    EXPECT_EQ(SendMessage(doubling, WM_USER, 21, 0), 42); // the handler's answer comes back
    DestroyWindow(doubling);

    SendMessage(window.Handle(), WM_USER + 1, 21, 5);
    EXPECT_EQ(PostMessage(window.Handle(), WM_USER + 2, 3, -4), TRUE);
    EXPECT_EQ(Messages(window), std::vector<UINT>{WM_USER + 1});

    MSG msg;
    ASSERT_EQ(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE), TRUE);
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.hwnd, window.Handle());
    EXPECT_EQ(window.received.size(), 1u);
    DispatchMessage(&msg);
    ASSERT_EQ(window.received.size(), 2u);
    EXPECT_EQ(window.received[1].message, WM_USER + 2u);
    EXPECT_EQ(window.received[1].wParam, 3u);
    EXPECT_EQ(window.received[1].lParam, -4);
    EXPECT_EQ(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE), FALSE);
}

TEST(MessageLoop, FiltersByWindowAndRange) {
    DrainQueue();
    RecordingWindow first;
    RecordingWindow second;
    PostMessage(first.Handle(), WM_USER + 1, 1, 0);
    PostMessage(second.Handle(), WM_USER + 2, 2, 0);
    PostMessage(nullptr, WM_USER + 3, 3, 0);

    MSG msg;
    ASSERT_EQ(GetMessage(&msg, second.Handle(), 0, 0), TRUE);
    EXPECT_EQ(msg.wParam, 2u);
    ASSERT_EQ(GetMessage(&msg, nullptr, WM_USER + 3, WM_USER + 3), TRUE);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(DispatchMessage(&msg), 0); // a thread message has no handler
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.wParam, 1u);
}

TEST(MessageLoop, PostFromOtherThreadsWakesBlockedGetMessage) {
    DrainQueue();
    RecordingWindow window;
    constexpr int kThreads = 4;
    constexpr int kPerThread = 300;

    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([t, hwnd = window.Handle()] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20)); // main is asleep by now
            for (int i = 0; i < kPerThread; ++i)
                PostMessage(hwnd, WM_USER, static_cast<WPARAM>(t), i);
        });
    }
    std::vector<LPARAM> lastSeen(kThreads, -1);
    int count = 0;
    MSG msg;
    while (count < kThreads * kPerThread && GetMessage(&msg, nullptr, 0, 0) > 0) {
        ASSERT_LT(msg.wParam, static_cast<WPARAM>(kThreads));
        EXPECT_EQ(msg.lParam, lastSeen[msg.wParam] + 1) << "thread " << msg.wParam;
        lastSeen[msg.wParam] = msg.lParam;
        ++count;
    }
    for (std::thread& poster : posters)
        poster.join();
    EXPECT_EQ(count, kThreads * kPerThread);
}

TEST(MessageLoop, DropsPostedMessagesOfDestroyedWindows) {
    DrainQueue();
    auto doomed = std::make_unique<RecordingWindow>();
    RecordingWindow survivor;
    const HWND stale = doomed->Handle();
    PostMessage(stale, WM_USER + 1, 0, 0);
    PostMessage(survivor.Handle(), WM_USER + 2, 0, 0);
    SetTimer(stale, 1, 1, nullptr);
    doomed.reset();

    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    MSG msg;
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.hwnd, survivor.Handle());
    EXPECT_EQ(msg.message, WM_USER + 2);
    EXPECT_EQ(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE), FALSE); // timer went too
}

TEST(MessageLoop, RejectsStaleAndMadeUpHandles) {
    DrainQueue();
    HWND stale = nullptr;
    {
        RecordingWindow window;
        stale = window.Handle();
    }
    RecordingWindow next;
    EXPECT_NE(next.Handle(), stale);

    const HWND madeUp = reinterpret_cast<HWND>(std::uintptr_t{0xDEAD0});
    for (HWND hwnd : {stale, madeUp}) {
        SetLastError(0);
        EXPECT_EQ(SendMessage(hwnd, WM_USER, 1, 0), 0);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
        EXPECT_EQ(PostMessage(hwnd, WM_USER, 1, 0), FALSE);
        EXPECT_EQ(SetTimer(hwnd, 1, 10, nullptr), 0u);
        EXPECT_EQ(DestroyWindow(hwnd), FALSE);
        MSG msg;
        EXPECT_EQ(GetMessage(&msg, hwnd, 0, 0), -1);
    }
    MSG msg;
    EXPECT_EQ(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE), FALSE);
    EXPECT_TRUE(next.received.empty());
}

TEST(MessageLoop, TimerIsCoalescedAndKilled) {
    DrainQueue();
    RecordingWindow window;
    ASSERT_EQ(SetTimer(window.Handle(), 7, 40, nullptr), 7u);
    EXPECT_EQ(SetTimer(nullptr, 8, 40, nullptr), 0u); // thread timers are not offered

    // GetMessage sleeps until the timer is due.
    MSG msg;
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE);
    DispatchMessage(&msg);
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(window.received[0].wParam, 7u);

    // Many periods pass without a loop: one WM_TIMER waits, not one per period.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    PostMessage(window.Handle(), WM_USER, 0, 0);
    std::vector<UINT> order;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        order.push_back(msg.message);
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_TIMER})); // posted messages come first

    EXPECT_EQ(KillTimer(window.Handle(), 7), TRUE);
    EXPECT_EQ(KillTimer(window.Handle(), 7), FALSE);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE), FALSE);
}

TEST(MessageLoop, QuitComesAfterPostedMessages) {
    DrainQueue();
    RecordingWindow window;
    PostQuitMessage(9);
    PostMessage(window.Handle(), WM_USER, 0, 0);
    MSG msg;
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, WM_USER);
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 9u);
}
