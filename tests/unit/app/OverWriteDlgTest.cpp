#include "app/OverWriteDlg.h"

#include <map>
#include <string>

#include <gtest/gtest.h>

#include "app/AppLock.h"
#include "platform/ui/IDialogService.h"
#include "platform/win/WinUser.h"
#include "support/TempDir.h"

namespace {

std::string ItemText(HWND dialog, int id) {
    char buffer[512] = {};
    if (id == 0)
        ::GetWindowText(dialog, buffer, sizeof buffer);
    else
        ::GetDlgItemText(dialog, id, buffer, sizeof buffer);
    return buffer;
}

// Plays the user: notes what the question shows, then gives one answer through the loop.
class AnsweringDesktop final : public vortan::ui::IDialogService {
public:
    explicit AnsweringDesktop(UINT message, WPARAM wParam = 0, int button = 0)
        : m_message(message), m_wParam(wParam), m_button(button),
          m_previous(vortan::ui::SetDialogService(this)) {}
    ~AnsweringDesktop() override { vortan::ui::SetDialogService(m_previous); }
    AnsweringDesktop(const AnsweringDesktop&) = delete;
    AnsweringDesktop& operator=(const AnsweringDesktop&) = delete;

    void OnModalDialogShown(HWND dialog, const vortan::win::DialogTemplate&) override {
        for (const int id : {0, 1, 2, 7, 1010, 1011, 1012, 1013, 1014, 1016})
            texts[id] = ItemText(dialog, id);
        const HWND target = m_button != 0 ? ::GetDlgItem(dialog, m_button) : dialog;
        ::PostMessage(target, m_message, m_wParam, 0);
    }
    void OnModalDialogEnded(HWND, INT_PTR) override {}

    std::map<int, std::string> texts;

private:
    UINT m_message;
    WPARAM m_wParam;
    int m_button;
    vortan::ui::IDialogService* m_previous;
};

} // namespace

// The buttons' answers are acted on in the automation object's tests.
TEST(COverWriteDlg, KeysAndTheCloseBoxAnswerLikeTheirButtons) {
    struct Row {
        const char* what;
        UINT message;
        WPARAM wParam;
        INT_PTR result;
    };
    const Row rows[] = {
        {"Enter", WM_KEYDOWN, VK_RETURN, IDOK},
        {"Esc", WM_KEYDOWN, VK_ESCAPE, IDCANCEL},
        {"close box", WM_CLOSE, 0, IDCANCEL},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        AnsweringDesktop desktop(row.message, row.wParam);
        COverWriteDlg dlg(nullptr, nullptr, "a.ini", "/tmp/x");
        EXPECT_EQ(dlg.DoModal(), row.result);
    }
}

TEST(COverWriteDlg, TakesTextsFromSection1Only) {
    const vortan::test::TempDir dir;
    const std::string profile = dir.WriteFile("p.ini", "[Client]\n"
                                                       "5043=Not this caption\n"
                                                       "5039=Not this yes\n"
                                                       "[Section1]\n"
                                                       "5009=Achtung\n"
                                                       "5043=Überschreiben?\n"
                                                       "5042=All\n"
                                                       "5041=Cancel\n"
                                                       "5039=Yes\n"
                                                       "5040=No\n"
                                                       "5038=already exists in\n"
                                                       "5037=The file\n"
                                                       "5044=unused\n");
    AnsweringDesktop desktop(BM_CLICK, 0, IDCANCEL);
    COverWriteDlg dlg(nullptr, profile.c_str(), "b.ini", "/d");
    dlg.DoModal();
    EXPECT_EQ(desktop.texts[0], "Überschreiben?");
    EXPECT_EQ(desktop.texts[1016], "Achtung");
    EXPECT_EQ(desktop.texts[1014], "All");
    EXPECT_EQ(desktop.texts[2], "Cancel");
    EXPECT_EQ(desktop.texts[1], "Yes");
    EXPECT_EQ(desktop.texts[7], "No");
    EXPECT_EQ(desktop.texts[1012], "already exists in");
    EXPECT_EQ(desktop.texts[1010], "The file");
    EXPECT_EQ(desktop.texts[1011], "b.ini");
}

TEST(COverWriteDlg, EmptyProfileTextKeepsTheTemplateText) {
    const vortan::test::TempDir dir;
    const std::string profile = dir.WriteFile("p.ini", "[section1]\n5039=\n5040 = Nö \n");
    AnsweringDesktop desktop(BM_CLICK, 0, IDCANCEL);
    COverWriteDlg dlg(nullptr, profile.c_str(), nullptr, nullptr);
    dlg.DoModal();
    EXPECT_EQ(desktop.texts[1], "Ja");
    EXPECT_EQ(desktop.texts[7], "Nö");
    EXPECT_EQ(desktop.texts[1011], "");
    EXPECT_EQ(desktop.texts[1013], "");
}

TEST(AppLock, TheLastUnlockRunsTheShutDownOnce) {
    int shutDowns = 0;
    vortan::app::SetLastUnlockAction([&shutDowns] { ++shutDowns; });
    AfxOleLockApp();
    AfxOleLockApp();
    AfxOleUnlockApp();
    EXPECT_EQ(shutDowns, 0);
    EXPECT_EQ(vortan::app::LockCount(), 1);
    AfxOleUnlockApp();
    EXPECT_EQ(shutDowns, 1);
    AfxOleUnlockApp(); // unbalanced: ignored
    EXPECT_EQ(shutDowns, 1);
    EXPECT_EQ(vortan::app::LockCount(), 0);
    vortan::app::SetLastUnlockAction({});
}
