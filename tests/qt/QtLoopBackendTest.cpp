#include "platform/win/qt/QtLoopBackend.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QObject>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/win/CDialog.h"
#include "platform/win/WinBase.h"
#include "platform/win/WinUser.h"

using vortan::win::DialogTemplate;

namespace {

constexpr UINT WM_FROM_THREAD = WM_USER + 1;
constexpr UINT_PTR kTimer = 1;

// Records what reaches it while its modal loop waits. Once the Qt timer and the window timer
// have come, a thread posts the message that ends it, after the loop had time to fall asleep.
class WaitingDialog final : public CDialog {
public:
    explicit WaitingDialog(const DialogTemplate& t) : CDialog(t) {}

    std::vector<std::string> log;
    std::thread poster;
    HANDLE timersSeen = CreateEvent(nullptr, TRUE, FALSE, nullptr);

protected:
    BOOL OnInitDialog() override {
        QTimer::singleShot(10, [this] { Seen("QTimer"); });
        QMetaObject::invokeMethod(
            &m_context, [this] { log.push_back("queued"); }, Qt::QueuedConnection);
        SetTimer(m_hWnd, kTimer, 30, nullptr);
        poster = std::thread([hwnd = m_hWnd, seen = timersSeen] {
            // Bounded, so that a loop deaf to Qt fails on the missing entries instead of hanging.
            WaitForSingleObject(seen, 5000);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            PostMessage(hwnd, WM_FROM_THREAD, 0, 0);
        });
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == kTimer) {
            KillTimer(m_hWnd, kTimer);
            Seen("WM_TIMER");
            return 0;
        }
        if (message == WM_FROM_THREAD) {
            log.push_back("posted");
            EndDialog(IDOK);
            return 0;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }

private:
    void Seen(const char* what) {
        log.push_back(what);
        if (std::count(log.begin(), log.end(), "QTimer") +
                std::count(log.begin(), log.end(), "WM_TIMER") ==
            2)
            SetEvent(timersSeen);
    }

    QObject m_context;
};

} // namespace

TEST(QtLoopBackend, ModalLoopDeliversQtEventsTimersAndPostsFromThreads) {
    int argc = 1;
    char name[] = "test_qt_loop_backend";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    {
        const auto loop = vortan::win::InstallQtLoopBackend();
        DialogTemplate t;
        t.caption = "Warten";
        t.style = WS_POPUP | WS_VISIBLE;
        WaitingDialog dialog(t);

        EXPECT_EQ(dialog.DoModal(), IDOK);
        dialog.poster.join();
        CloseHandle(dialog.timersSeen);
        // A loaded machine may reorder the first three; the thread's post comes last.
        const auto count = [&](const char* what) {
            return std::count(dialog.log.begin(), dialog.log.end(), what);
        };
        EXPECT_EQ(count("queued"), 1);
        EXPECT_EQ(count("QTimer"), 1);
        EXPECT_EQ(count("WM_TIMER"), 1);
        ASSERT_EQ(dialog.log.size(), 4u);
        EXPECT_EQ(dialog.log.back(), "posted");
    }
}
