#pragma once

// A progress window with fake components behind it, the way the automation object drives it:
// the calls run inside the dialog's modal loop.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/FileList.h"
#include "engine/VORTANDlg.h"
#include "platform/win/IWindowObserver.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"
#include "platform/win/WindowTable.h"
#include "support/ClassRegistration.h"
#include "support/FakeController.h"
#include "support/FakeFlashHandling.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingWindow.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ContractIds.h"

namespace vortan::test {

// Every caption, status and bar position the window shows, in order.
class ShownTexts final : public win::IWindowObserver {
public:
    explicit ShownTexts(HWND dialog) : m_hDialog(dialog) { win::AddWindowObserver(dialog, this); }
    ~ShownTexts() override {
        if (IsWindow(m_hDialog))
            win::RemoveWindowObserver(m_hDialog, this);
    }
    ShownTexts(const ShownTexts&) = delete;
    ShownTexts& operator=(const ShownTexts&) = delete;

    void OnTextChanged(HWND hwnd, std::string_view text) override {
        (hwnd == m_hDialog ? captions : statuses).emplace_back(text);
    }
    void OnProgressChanged(HWND, int, int, int position) override { positions.push_back(position); }

    std::vector<std::string> captions;
    std::vector<std::string> statuses;
    std::vector<int> positions;

private:
    HWND m_hDialog;
};

inline constexpr const char* kProfileTexts = "[Texte]\n"
                                             "5077=Verbinde\n"
                                             "5080=Verbinde mit %s\n"
                                             "5081=Verbunden\n"
                                             "5079=Nicht verbunden\n"
                                             "5044=Formatiere %d%%\n"
                                             "5047=Formatiere Speicher\n"
                                             "5045=Schreibe %d%%\n"
                                             "5048=Schreibe %s\n"
                                             "5046=Lese %d%%\n"
                                             "5049=Lese %s\n"
                                             "5071=Entferne %d%%\n"
                                             "5069=Entferne Dateien\n"
                                             "5070=Entfernt: %s\n";

// One window with its fakes; a test may make several, one after the other.
class EngineRig final {
public:
    EngineRig() {
        controllerRegistration.emplace(CLSID_ControllerAccess,
                                       static_cast<IController*>(&controller));
        flashRegistration.emplace(CLSID_FlashHandling, static_cast<IFlashHandling*>(&flash));
        controller.connected = VARIANT_TRUE;
        controller.connectionName = u"board1";
        controller.answerConnectWith = DISPID_CONTROLLER_CONNECTED;
        dlg.m_strProfileFile = dir.WriteFile("texts.ini", kProfileTexts);
        dlg.m_strProfileSection = "Texte";
    }

    // Runs `body` inside the dialog's modal loop and answers DoModal's result. A dialog that
    // the body did not end is ended with kLeftOpen.
    INT_PTR RunInDialog(const std::function<void(HWND)>& body) {
        RecordingWindow helper;
        helper.onMessage = [&](const RecordingWindow::Message& message) {
            if (message.message == WM_USER)
                body(dlg.GetSafeHwnd());
            else if (message.message == WM_USER + 1)
                dlg.EndDialog(kLeftOpen);
            if (message.message == WM_USER)
                PostMessage(helper.Handle(), WM_USER + 1, 0, 0);
        };
        PostMessage(helper.Handle(), WM_USER, 0, 0);
        return dlg.DoModal();
    }

    // A list of files that need not exist: each is named by the whole path given.
    static void AddNames(CFileList& list, std::initializer_list<const char*> names) {
        for (const char* name : names)
            list.AddFile(name, 0);
    }

    static constexpr INT_PTR kLeftOpen = 55;
    EngineRig(const EngineRig&) = delete;
    EngineRig& operator=(const EngineRig&) = delete;

    static FakeFlashHandling::Step Item(std::vector<FakeFlashHandling::Event> events,
                                        VARIANT_BOOL outcome = VARIANT_TRUE,
                                        HRESULT result = S_OK) {
        return FakeFlashHandling::Step{std::move(events), result, outcome};
    }

    TempDir dir;
    // Only the fakes registered here exist; lock files stay in the test's directory.
    ScopedEnv classes{"VORTAN_CLASSES", dir / "classes.ini"};
    ScopedEnv runtime{"XDG_RUNTIME_DIR", dir.Path()};
    RecordingMessageBoxes boxes;
    FakeController controller;
    FakeFlashHandling flash;
    std::optional<ClassRegistration> controllerRegistration;
    std::optional<ClassRegistration> flashRegistration;
    CVORTANDlg dlg;
};

inline std::string Caption(HWND dialog) {
    return win::GetWindowTextString(dialog);
}

inline std::string Status(HWND dialog) {
    return win::GetWindowTextString(GetDlgItem(dialog, 1004));
}

inline int BarPosition(HWND dialog) {
    return static_cast<int>(SendMessage(GetDlgItem(dialog, 1000), PBM_GETPOS, 0, 0));
}

} // namespace vortan::test
