#include "app/LoopCallQueue.h"

#include <utility>

#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"

namespace vortan::app {

namespace {

constexpr UINT WM_SERVE_CALL = WM_USER + 0x100;

} // namespace

LoopCallQueue::LoopCallQueue() {
    m_hWnd = win::CreateMessageWindow(
        [this](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message != WM_SERVE_CALL || m_calls.empty())
                return ::DefWindowProc(hwnd, message, wParam, lParam);
            std::function<void()> call = std::move(m_calls.front());
            m_calls.pop_front();
            call();
            return 0;
        });
}

LoopCallQueue::~LoopCallQueue() {
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd);
}

void LoopCallQueue::Post(std::function<void()> call) {
    m_calls.push_back(std::move(call));
    ::PostMessage(m_hWnd, WM_SERVE_CALL, 0, 0);
}

} // namespace vortan::app
