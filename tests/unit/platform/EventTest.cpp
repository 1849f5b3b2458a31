#include <thread>

#include <gtest/gtest.h>

#include "platform/win/WinBase.h"

// Setting and waiting on the progress window's unnamed manual-reset event is shown by the
// engine's tests; these are the failures it never meets there.
TEST(Event, ClosedMadeUpAndNamedHandlesFail) {
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

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CreateEvent(nullptr, TRUE, FALSE, "Global\\x"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    DWORD other = 0;
    std::thread([&other] {
        SetLastError(ERROR_INVALID_HANDLE);
        other = GetLastError();
    }).join();
    EXPECT_EQ(other, ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER); // the last error is per thread
}
