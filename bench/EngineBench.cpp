// The engine's own cost per item and per notification, with a flash component that does
// nothing but report (begin, progress, end of each item), and a 1,000-file write run against
// the simulated board next to cp of the same files, in the same run and file system.
// Plain program: prints items/s, notifications/s and files/s.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "engine/FileList.h"
#include "engine/VORTANDlg.h"
#include "platform/com/ClassRegistry.h"
#include "platform/win/WinUser.h"
#include "support/ClassRegistration.h"
#include "support/FakeController.h"
#include "support/FakeFlashHandling.h"
#include "support/RecordingWindow.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ContractIds.h"

namespace {

// Built by appending: gcc 12 warns wrongly on "F" + std::to_string(i) at -O3.
std::string FileName(int i) {
    std::string name = std::to_string(i);
    name.insert(0, 1, 'F');
    name.append(".CFG");
    return name;
}

using Clock = std::chrono::steady_clock;

// Runs `operation` inside the window's modal loop; answers the seconds it took.
double TimedRun(CVORTANDlg& dlg, const std::function<void()>& operation) {
    double seconds = 0;
    vortan::test::RecordingWindow helper;
    helper.onMessage = [&](const vortan::test::RecordingWindow::Message& message) {
        if (message.message != WM_USER)
            return;
        const auto start = Clock::now();
        operation();
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        dlg.EndDialog(0);
    };
    PostMessage(helper.Handle(), WM_USER, 0, 0);
    dlg.DoModal();
    return seconds;
}

void Overhead(const vortan::test::TempDir& dir) {
    constexpr int kItems = 20000;
    vortan::test::FakeController controller;
    vortan::test::FakeFlashHandling flash;
    vortan::test::ClassRegistration controllerClass(vortan::CLSID_ControllerAccess,
                                                    static_cast<vortan::IController*>(&controller));
    vortan::test::ClassRegistration flashClass(vortan::CLSID_FlashHandling,
                                               static_cast<vortan::IFlashHandling*>(&flash));
    controller.connected = VARIANT_TRUE;
    controller.answerConnectWith = vortan::DISPID_CONTROLLER_CONNECTED;
    // Every item: begin, one byte report, end; the texts are formatted each time.
    VARIANT progress[2];
    progress[0].vt = VT_I4;
    progress[0].lVal = 50;
    progress[1].vt = VT_I4;
    progress[1].lVal = 100;
    flash.onOperation = [&](const vortan::test::FakeFlashHandling::Call&) {
        flash.calls.clear(); // keep the fake from growing: it should cost nothing
        flash.events.Fire(vortan::DISPID_FLASH_WRITE_BEGIN);
        flash.events.Fire(vortan::DISPID_FLASH_WRITE_PROGRESS, progress);
        flash.events.Fire(vortan::DISPID_FLASH_WRITE_END);
    };

    CFileList list;
    for (int i = 0; i < kItems; ++i) {
        list.AddFile(FileName(i), 0);
        list.GetEntry(i)->m_strSize = "100";
    }
    CVORTANDlg dlg;
    dlg.m_strProfileFile = dir.WriteFile("t.ini", "[T]\n5045=Schreibe %d%%\n5048=Schreibe %s\n");
    dlg.m_strProfileSection = "T";
    SHORT flag = 0;
    const double seconds = TimedRun(dlg, [&] { dlg.DoWriteFiles("bench", &list, 0, &flag); });
    std::printf("engine, do-nothing component: %d items in %.3f s: %.0f items/s, "
                "%.0f notifications/s (3 per item), flag %d\n",
                kItems, seconds, kItems / seconds, 3 * kItems / seconds, flag);

    // Notifications alone, straight to the window: a percentage formats the caption and sets
    // the bar (no profile lookup).
    CVORTANDlg window;
    window.m_strProfileFile = dlg.m_strProfileFile;
    window.m_strProfileSection = "T";
    constexpr int kMessages = 200000;
    const double sent = TimedRun(window, [&] {
        for (int i = 0; i < kMessages; ++i)
            SendMessage(window.GetSafeHwnd(), 1627, 0, i % 101);
    });
    std::printf("percentage notifications to the window: %.0f/s\n", kMessages / sent);
}

void AgainstTheBoard(const vortan::test::TempDir& dir) {
    constexpr int kFiles = 1000;
    vortan::com::ClassRegistry registry(dir / "classes.ini");
    registry.RegisterClassPath(vortan::CLSID_ControllerAccess, VORTAN_SIMBOARD_PLUGIN);
    registry.RegisterClassPath(vortan::CLSID_FlashHandling, VORTAN_SIMBOARD_PLUGIN);
    std::filesystem::create_directories(dir / "boards/BENCH/flash");
    std::ofstream(dir / "boards/BENCH/board.ini")
        << "[board]\ncapacity=1000000000\nmax_files=5000\n";

    const std::string source = dir.MakeDir("source");
    CFileList list;
    const std::string block(4096, 'v');
    for (int i = 0; i < kFiles; ++i)
        list.AddFile(dir.WriteFile("source/" + FileName(i), block), 0);

    CVORTANDlg dlg;
    SHORT flag = 0;
    const double board = TimedRun(dlg, [&] { dlg.DoWriteFiles("BENCH", &list, 0, &flag); });
    std::printf("board: %d x 4 KiB written in %.3f s: %.0f files/s, flag %d\n", kFiles, board,
                kFiles / board, flag);

    const auto timeShell = [](const std::string& command) {
        const auto start = Clock::now();
        const int status = std::system(command.c_str());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return status == 0 ? seconds : -1.0;
    };
    const double cp = timeShell("cp " + source + "/* " + dir.MakeDir("cp"));
    std::printf("cp:    %d x 4 KiB copied in %.3f s: %.0f files/s\n", kFiles, cp, kFiles / cp);
    const double cpSync =
        timeShell("cp " + source + "/* " + dir.MakeDir("cpsync") + " && sync -f " + source);
    std::printf("cp + sync: %.3f s: %.0f files/s\n", cpSync, kFiles / cpSync);
}

} // namespace

int main() {
    vortan::test::TempDir dir;
    vortan::test::ScopedEnv classes("VORTAN_CLASSES", dir / "classes.ini");
    vortan::test::ScopedEnv boards("VORTAN_BOARDS", dir / "boards");
    vortan::test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path());
    Overhead(dir);
    AgainstTheBoard(dir);
    return 0;
}
