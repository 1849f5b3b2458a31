#include "gui/QtMessageBoxService.h"

#include <functional>
#include <optional>
#include <string>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include "gui/DialogView.h"
#include "gui/GuiModule.h"
#include "gui/QtDialogService.h"
#include "gui/ViewTestSupport.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/UiServicesScope.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"
#include "resources/Resources.h"
#include "support/ScriptedDialog.h"

using vortan::test::Shown;

TEST(QtMessageBoxService, ShowsTextsAndReturnsTheButton) {
    struct Case {
        UINT type;
        QMessageBox::Icon icon;
        std::function<void(QMessageBox*)> answer;
        int result;
    };
    const Case cases[] = {
        {MB_YESNOCANCEL | MB_ICONQUESTION, QMessageBox::Question,
         [](QMessageBox* box) { box->findChild<QAbstractButton*>("mbbutton_6")->click(); }, IDYES},
        {MB_OK | MB_ICONEXCLAMATION, QMessageBox::Warning,
         [](QMessageBox* box) { box->findChild<QAbstractButton*>("mbbutton_1")->click(); }, IDOK},
        {MB_OKCANCEL | MB_ICONHAND, QMessageBox::Critical, [](QMessageBox* box) { box->reject(); },
         IDCANCEL},
    };
    vortan::gui::QtMessageBoxService service;
    const vortan::ui::UiServicesScope scope(&service, nullptr);
    for (const Case& c : cases) {
        // The message loop keeps running while the box is up.
        std::string seen;
        const HWND window =
            vortan::win::CreateMessageWindow([&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
                if (message == WM_USER)
                    seen = "posted";
                return 0;
            });
        PostMessage(window, WM_USER, 0, 0);
        bool checked = false;
        QTimer::singleShot(20, [&] {
            QMessageBox* box = Shown<QMessageBox>("messagebox");
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), "Die Datei \"ä.ini\" fehlt.");
            EXPECT_EQ(box->windowTitle(), "Fehler beim Lesen");
            EXPECT_EQ(box->icon(), c.icon);
            EXPECT_EQ(seen, "posted");
            checked = true;
            c.answer(box);
        });
        EXPECT_EQ(MessageBox(nullptr, "Die Datei \"ä.ini\" fehlt.", "Fehler beim Lesen", c.type),
                  c.result);
        EXPECT_TRUE(checked);
        DestroyWindow(window);
    }
}

TEST(QtMessageBoxService, BoxStandsOverTheOwnersViewWhichTakesNoInput) {
    vortan::gui::QtDialogService views;
    vortan::gui::QtMessageBoxService service(&views);
    const vortan::ui::UiServicesScope scope(&service, &views);
    vortan::test::ScriptedDialog owner(
        *vortan::resources::FindDialogTemplate(vortan::resources::IDD_OVERWRITE));
    bool checked = false;
    owner.onAct = [&](vortan::test::ScriptedDialog& d) {
        const HWND hwnd = d.GetSafeHwnd();
        QTimer::singleShot(20, [&] {
            QMessageBox* box = Shown<QMessageBox>("messagebox");
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->parentWidget(), views.ViewOf(hwnd));
            EXPECT_EQ(IsWindowEnabled(hwnd), FALSE);
            EXPECT_FALSE(views.ViewOf(hwnd)->AcceptsInput());
            checked = true;
            box->findChild<QAbstractButton*>("mbbutton_7")->click();
        });
        EXPECT_EQ(MessageBox(GetDlgItem(hwnd, 1011), "Überschreiben?", "Frage", MB_YESNO), IDNO);
        EXPECT_EQ(IsWindowEnabled(hwnd), TRUE);
        EXPECT_TRUE(views.ViewOf(hwnd)->AcceptsInput());
        SendMessage(hwnd, WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(owner.DoModal(), IDCANCEL);
    EXPECT_TRUE(checked);
}

// What the program does with a display: the module from the build tree installs the Qt desktop,
// whose box is answered here (the default desktop would say No on its own).
TEST(GuiModule, LoadsAndInstallsTheQtDesktop) {
    const std::optional<vortan::gui::GuiModule> module = vortan::gui::GuiModule::Load();
    ASSERT_TRUE(module.has_value());
    const vortan::gui::GuiModule::Desktop desktop = module->InstallDesktop();
    ASSERT_NE(desktop, nullptr);
    QTimer::singleShot(20, [] {
        if (QMessageBox* box = Shown<QMessageBox>("messagebox"))
            box->findChild<QAbstractButton*>("mbbutton_6")->click();
    });
    EXPECT_EQ(MessageBox(nullptr, "Weiter?", "Frage", MB_YESNO | MB_ICONQUESTION), IDYES);
}
