#include "platform/win/qt/QtLoopBackend.h"
#include "platform/win/CDialog.h"
#include "platform/win/WinUser.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

using vortan::win::DialogTemplate;

namespace {

constexpr UINT WM_FROM_THREAD = WM_USER + 1;
constexpr UINT_PTR kTimer = 1;

// Records what reaches it while its modal loop waits; a message posted from another thread
// ends it.
class WaitingDialog final : public CDialog {
public:
    explicit WaitingDialog(const DialogTemplate& t) : CDialog(t) {}

    std::vector<std::string> log;
    std::thread poster;

protected:
    BOOL OnInitDialog() override {
        QTimer::singleShot(10, [this] { log.push_back("QTimer"); });
        QMetaObject::invokeMethod(
            &m_context, [this] { log.push_back("queued"); }, Qt::QueuedConnection);
        SetTimer(m_hWnd, kTimer, 30, nullptr);
        poster = std::thread([hwnd = m_hWnd] {
            // Late enough that the loop sleeps in Qt with nothing due.
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            PostMessage(hwnd, WM_FROM_THREAD, 0, 0);
        });
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == kTimer) {
            log.push_back("WM_TIMER");
            KillTimer(m_hWnd, kTimer);
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
        EXPECT_EQ(dialog.log, (std::vector<std::string>{"queued", "QTimer", "WM_TIMER", "posted"}));
    }
}
