#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win/WinBase.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"
#include "support/RecordingWindow.h"
#include "support/ScriptedDialog.h"

using vortan::test::DrainQueue;
using vortan::test::RecordingWindow;

// Filtered reads are used nowhere; sends, posts and timers are shown by the engine's tests.

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
