// What one repaint of the progress window costs on the offscreen platform: the engine asks
// for one at most every 20 ms while a component call runs, so this bounds the share of a
// transfer spent drawing. Plain program; run with QT_QPA_PLATFORM=offscreen (set here if unset).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QWindow>

#include "gui/DialogView.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"
#include "platform/win/qt/QtLoopBackend.h"
#include "resources/Resources.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const auto loop = vortan::win::InstallQtLoopBackend();
    const HWND dialog = vortan::win::CreateDialogWindow(
        *vortan::resources::FindDialogTemplate(vortan::resources::IDD_VORTAN_DIALOG), nullptr,
        [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
            return DefWindowProc(hwnd, message, wParam, lParam);
        });
    ShowWindow(dialog, SW_SHOWNORMAL);
    vortan::gui::DialogView view(dialog);
    const HWND bar = GetDlgItem(dialog, 1000);
    // The view draws only once its window is exposed.
    for (int i = 0; i < 50 && !(view.windowHandle() && view.windowHandle()->isExposed()); ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    std::printf("view visible %d, exposed %d\n", view.isVisible() ? 1 : 0,
                view.windowHandle() && view.windowHandle()->isExposed() ? 1 : 0);

    constexpr int kRepaints = 5000;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRepaints; ++i) {
        const std::string caption = "Schreibe " + std::to_string(i % 101) + "%";
        SetWindowText(dialog, caption.c_str());
        SetDlgItemText(dialog, 1004, i % 2 != 0 ? "Schreibe a.ini" : "Schreibe b.ini");
        SendMessage(bar, PBM_SETPOS, static_cast<WPARAM>(i % 101), 0);
        UpdateWindow(dialog);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double perRepaint = seconds / kRepaints;
    std::printf("progress window repaint (caption, status, bar): %.1f us; at one per 20 ms "
                "that is %.2f%% of a transfer's time\n",
                perRepaint * 1e6, perRepaint / 0.020 * 100);
    DestroyWindow(dialog);
    return 0;
}
