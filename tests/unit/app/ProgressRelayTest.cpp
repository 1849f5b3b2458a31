#include "app/ProgressRelay.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win/IWindowObserver.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"

using vortan::app::ProgressRelay;
using vortan::win::CreateDialogWindow;
using vortan::win::DialogTemplate;
using vortan::win::IWindowObserver;
using vortan::win::WindowKind;

namespace {

constexpr int IDC_STATUS = 1004;

DialogTemplate Template(int id) {
    DialogTemplate t;
    t.id = id;
    t.cx = 212;
    t.cy = 31;
    t.style = WS_POPUP | WS_CAPTION;
    t.items = {{IDC_STATUS, WindowKind::Static, "", 5, 1, 200, 8, SS_LEFT}};
    return t;
}

// The view that observed the main window before the relay came.
class RecordingView final : public IWindowObserver {
public:
    explicit RecordingView(HWND main) : m_hMain(main) {}
    std::vector<std::string> log;

    void OnTextChanged(HWND, std::string_view text) override {
        log.push_back("text " + std::string(text));
    }
    void OnDestroyed(HWND hwnd) override {
        log.push_back(hwnd == m_hMain ? "main destroyed" : "other destroyed");
    }

private:
    HWND m_hMain;
};

} // namespace

TEST(ProgressRelay, ReportsTheMainWindowNextToItsViewWhicheverLeavesFirst) {
    const HWND main = CreateDialogWindow(Template(102), nullptr, nullptr);
    const HWND status = ::GetDlgItem(main, IDC_STATUS);
    RecordingView view(main);
    ASSERT_TRUE(vortan::win::AddWindowObserver(main, &view));
    std::vector<std::string> changes;
    const auto record = [&changes](const ProgressRelay::Change& change) {
        using Kind = ProgressRelay::Change::Kind;
        changes.push_back(change.kind == Kind::Gone   ? "gone"
                          : change.kind == Kind::Text ? "text " + std::string(change.text)
                                                      : "progress");
    };
    auto relay = std::make_unique<ProgressRelay>(main, record);

    // A question owned by the main window ends (its text, then itself): the relay stays.
    const HWND question = CreateDialogWindow(Template(130), main, nullptr);
    ::DestroyWindow(question);
    ::SetWindowText(status, "Lesen");
    EXPECT_EQ(view.log,
              (std::vector<std::string>{"other destroyed", "other destroyed", "text Lesen"}));
    EXPECT_EQ(changes, (std::vector<std::string>{"text Lesen"}));

    // Released, it leaves the view attached; a view that goes leaves the relay attached.
    relay.reset();
    ::SetWindowText(status, "Schreiben");
    relay = std::make_unique<ProgressRelay>(main, record);
    ASSERT_TRUE(vortan::win::RemoveWindowObserver(main, &view));
    ::SetWindowText(status, "Fertig");
    ::DestroyWindow(main);
    relay.reset();
    EXPECT_EQ(view.log, (std::vector<std::string>{"other destroyed", "other destroyed",
                                                  "text Lesen", "text Schreiben"}));
    EXPECT_EQ(changes, (std::vector<std::string>{"text Lesen", "text Fertig", "gone"}));
}
