#include "platform/win/WinBase.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(Event, ManualResetStaysSignalled) {
    const HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_EQ(SetEvent(event), TRUE);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(CloseHandle(event), TRUE);
}

TEST(Event, AutoResetReleasesOneWait) {
    const HANDLE event = CreateEvent(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(Event, SetFromAnotherThreadEndsAnInfiniteWait) {
    const HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    std::thread setter([event] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SetEvent(event);
    });
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    setter.join();
    CloseHandle(event);
}

TEST(Event, ClosedAndMadeUpHandlesFail) {
    const HANDLE closed = CreateEvent(nullptr, TRUE, TRUE, nullptr);
    ASSERT_EQ(CloseHandle(closed), TRUE);
    const HANDLE fresh = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(fresh, closed); // handle values are not reused

    for (HANDLE handle : {closed, HANDLE{nullptr}, INVALID_HANDLE_VALUE}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(SetEvent(handle), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(CloseHandle(handle), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_TIMEOUT);
    CloseHandle(fresh);
}

TEST(Event, NamedEventsAreRefusedAndLastErrorIsPerThread) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CreateEvent(nullptr, TRUE, FALSE, "Global\\x"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    DWORD other = 0;
    std::thread([&other] {
        SetLastError(ERROR_INVALID_HANDLE);
        other = GetLastError();
    }).join();
    EXPECT_EQ(other, ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}
