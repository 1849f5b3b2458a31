// The controller connection and the flash observer against the simulated board plug-in,
// found through the class registry as the program finds it.

#include "controller/CtrlAccess.h"
#include "controller/FileEntry.h"
#include "controller/FlashObserverAccess.h"
#include "controller/Notifications.h"

#include "platform/com/Activation.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/UniqueBstr.h"
#include "platform/win/WinUser.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingWindow.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ComponentContract.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

namespace {

using vortan::test::RecordingWindow;
using namespace vortan::controller;

bool IsControllerNotification(UINT message) {
    return message >= WM_CONTROLLER_DISCONNECTED && message <= WM_CONTROLLER_CONNECT_FAILED;
}

class SimBoardConnection : public ::testing::Test {
protected:
    SimBoardConnection() {
        vortan::com::ClassRegistry registry(m_dir / "classes.ini");
        EXPECT_EQ(
            registry.RegisterClassPath(vortan::CLSID_ControllerAccess, VORTAN_SIMBOARD_PLUGIN),
            S_OK);
        EXPECT_EQ(registry.RegisterClassPath(vortan::CLSID_FlashHandling, VORTAN_SIMBOARD_PLUGIN),
                  S_OK);
        const std::filesystem::path flash = std::filesystem::path(m_dir / "boards") / "BENCH/flash";
        std::filesystem::create_directories(flash);
        std::ofstream(flash / "b.ini") << "[b]\nx=1\n"; // 8 bytes
        std::ofstream(flash / "a.ini") << "[a]\n";      // 4 bytes
        RecordingWindow::PumpPending();
    }

    // Runs the loop until the controller's answer has reached the window.
    void WaitForAnswer() {
        MSG msg{};
        while (std::none_of(m_window.received.begin(), m_window.received.end(),
                            [](const auto& m) { return IsControllerNotification(m.message); }) &&
               GetMessage(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }

    vortan::test::TempDir m_dir;
    vortan::test::ScopedEnv m_classes{"VORTAN_CLASSES", m_dir / "classes.ini"};
    vortan::test::ScopedEnv m_boards{"VORTAN_BOARDS", m_dir / "boards"};
    vortan::test::RecordingMessageBoxes m_boxes;
    RecordingWindow m_window;
};

TEST_F(SimBoardConnection, ConnectsByNameThroughTheLoopAndListsTheMemory) {
    CCtrlAccess access;
    ASSERT_EQ(access.Initialize(m_window.Handle()), S_OK);
    EXPECT_TRUE(m_boxes.shown.empty());

    ASSERT_EQ(access.Connect("BENCH", ""), S_OK);
    RecordingWindow::PumpPending(); // nothing waited for yet: the answer is posted, not sent
    WaitForAnswer();
    ASSERT_FALSE(m_window.received.empty());
    EXPECT_EQ(m_window.received.back().message, WM_CONTROLLER_CONNECTED);
    EXPECT_TRUE(access.IsConnected());

    SHORT count = -1;
    ASSERT_EQ(access.GetFileCount(&count), S_OK);
    ASSERT_EQ(count, 2);
    std::vector<std::pair<std::string, LONG>> files;
    for (LONG i = 0; i < count; ++i) {
        vortan::controller::FileEntry entry;
        ASSERT_GE(access.GetFileEntry(i, entry.Out()), 0);
        files.emplace_back(entry.NameUtf8(), entry.Size());
    }
    std::sort(files.begin(), files.end());
    const std::vector<std::pair<std::string, LONG>> expected{{"a.ini", 4}, {"b.ini", 8}};
    EXPECT_EQ(files, expected);

    EXPECT_EQ(access.Disconnect(), S_OK);
    EXPECT_FALSE(access.IsConnected());
}

TEST_F(SimBoardConnection, UnknownBoardAnswersNotConnected) {
    CCtrlAccess access;
    ASSERT_EQ(access.Initialize(m_window.Handle()), S_OK);
    ASSERT_EQ(access.Connect("NOBOARD", ""), S_OK);
    WaitForAnswer();
    EXPECT_FALSE(access.IsConnected());
    SHORT count = -1;
    EXPECT_EQ(access.GetFileCount(&count), E_FAIL);
    EXPECT_EQ(count, 0);
    vortan::ControllerErrorInfo info{};
    EXPECT_TRUE(access.GetErrorInfo(&info));
    EXPECT_NE(info.lCode, 0);
}

TEST_F(SimBoardConnection, ObserverHearsAnOperationRunOnAnotherInstance) {
    CCtrlAccess access;
    ASSERT_EQ(access.Initialize(m_window.Handle()), S_OK);
    ASSERT_EQ(access.Connect("BENCH", ""), S_OK);
    WaitForAnswer();
    ASSERT_TRUE(access.IsConnected());
    CFlashObserverAccess observer(m_window.Handle());
    m_window.received.clear();

    vortan::com::ComPtr<vortan::IFlashHandling> flash;
    ASSERT_EQ(CoCreateInstance(vortan::CLSID_FlashHandling, nullptr, CLSCTX_ALL,
                               vortan::IID_IFlashHandling, flash.OutVoid()),
              S_OK);
    const std::string source = m_dir.WriteFile("c.ini", "[c]\n");
    auto path = vortan::com::UniqueBstr::FromUtf8(source);
    auto name = vortan::com::UniqueBstr::FromUtf8("c.ini");
    VARIANT_BOOL outcome = VARIANT_FALSE;
    ASSERT_EQ(flash->WriteToMemory(access.GetController().Get(), path.Get(), name.Get(),
                                   VARIANT_FALSE, &outcome),
              S_OK);
    EXPECT_EQ(outcome, VARIANT_TRUE);
    // Sent, so already handled: begin, byte progress, end.
    ASSERT_GE(m_window.received.size(), 3u);
    EXPECT_EQ(m_window.received.front().message, WM_FLASH_BASE + vortan::DISPID_FLASH_WRITE_BEGIN);
    EXPECT_EQ(m_window.received.back().message, WM_FLASH_BASE + vortan::DISPID_FLASH_WRITE_END);
    EXPECT_EQ(access.Disconnect(), S_OK);
}

} // namespace
