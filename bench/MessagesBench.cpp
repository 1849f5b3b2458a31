// Flash notifications are sent and controller notifications posted; these measure one of each
// on the standard loop backend.

#include <benchmark/benchmark.h>

#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"

namespace {

class CountingWindow final {
public:
    CountingWindow()
        : m_hwnd(vortan::win::CreateMessageWindow([this](HWND, UINT, WPARAM wParam, LPARAM) {
              m_sum += wParam;
              return LRESULT{0};
          })) {}
    ~CountingWindow() { DestroyWindow(m_hwnd); }
    CountingWindow(const CountingWindow&) = delete;
    CountingWindow& operator=(const CountingWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    WPARAM Sum() const { return m_sum; }

private:
    WPARAM m_sum = 0;
    HWND m_hwnd;
};

void SendOne(benchmark::State& state) {
    CountingWindow window;
    for (auto _ : state)
        benchmark::DoNotOptimize(SendMessage(window.Handle(), WM_USER + 601, 1, 0));
    if (window.Sum() != static_cast<WPARAM>(state.iterations()))
        state.SkipWithError("a sent message was lost");
}

void PostRoundTrip(benchmark::State& state) {
    CountingWindow window;
    MSG msg;
    for (auto _ : state) {
        PostMessage(window.Handle(), WM_USER + 1002, 1, 0);
        GetMessage(&msg, nullptr, 0, 0);
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    if (window.Sum() != static_cast<WPARAM>(state.iterations()))
        state.SkipWithError("a posted message was lost");
}

// A deeper queue: the loop works through a burst of posts, as after a busy handler.
void PostBurst(benchmark::State& state) {
    CountingWindow window;
    const auto burst = static_cast<int>(state.range(0));
    MSG msg;
    for (auto _ : state) {
        for (int i = 0; i < burst; ++i)
            PostMessage(window.Handle(), WM_USER + 1002, 1, 0);
        for (int i = 0; i < burst; ++i) {
            GetMessage(&msg, nullptr, 0, 0);
            DispatchMessage(&msg);
        }
    }
    state.SetItemsProcessed(state.iterations() * burst);
}

} // namespace

BENCHMARK(SendOne);
BENCHMARK(PostRoundTrip);
BENCHMARK(PostBurst)->Arg(64);

BENCHMARK_MAIN();
