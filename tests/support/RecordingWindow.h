#pragma once

// A message-only window of the window model that records every message it handles, for
// tests of code that sends or posts to a window. `onMessage` runs inside the handler.

#include <functional>
#include <vector>

#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"

namespace vortan::test {

class RecordingWindow final {
public:
    struct Message {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };

    RecordingWindow()
        : m_hwnd(win::CreateMessageWindow(
              [this](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
                  received.push_back(Message{message, wParam, lParam});
                  if (onMessage)
                      onMessage(received.back());
                  return 0;
              })) {}
    ~RecordingWindow() { DestroyWindow(m_hwnd); }
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND Handle() const noexcept { return m_hwnd; }

    // Dispatches what is queued now, without waiting.
    static void PumpPending() {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }

    std::vector<Message> received;
    std::function<void(const Message&)> onMessage;

private:
    HWND m_hwnd;
};

} // namespace vortan::test
