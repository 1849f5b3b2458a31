#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

#include "engine/FileList.h"
#include "engine/VORTANDlg.h"
#include "gui/DialogView.h"
#include "gui/ViewTestSupport.h"
#include "platform/win/WinUser.h"
#include "support/ClassRegistration.h"
#include "support/FakeController.h"
#include "support/FakeFlashHandling.h"
#include "support/RecordingWindow.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ContractIds.h"

using vortan::gui::DialogView;
using vortan::test::FakeFlashHandling;
using vortan::test::Find;

namespace {

TEST(ProgressWindowView, ShowsTheRunAndOffersTheAboutBox) {
    vortan::test::TempDir dir;
    vortan::test::ScopedEnv classes("VORTAN_CLASSES", dir / "classes.ini");
    vortan::test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path());
    vortan::test::FakeController controller;
    FakeFlashHandling flash;
    vortan::test::ClassRegistration controllerClass(vortan::CLSID_ControllerAccess,
                                                    static_cast<vortan::IController*>(&controller));
    vortan::test::ClassRegistration flashClass(vortan::CLSID_FlashHandling,
                                               static_cast<vortan::IFlashHandling*>(&flash));
    controller.connected = VARIANT_TRUE;
    controller.connectionName = u"board1";
    controller.answerConnectWith = vortan::DISPID_CONTROLLER_CONNECTED;
    vortan::test::ViewsInstalled views;

    CVORTANDlg dlg;
    dlg.m_strProfileFile =
        dir.WriteFile("t.ini", "[Texte]\n5045=Schreibe %d%%\n5048=Schreibe %s\n");
    dlg.m_strProfileSection = "Texte";
    CFileList list;
    list.AddFile(dir.WriteFile("a.ini", std::string(100, 'a')), 0);
    list.AddFile(dir.WriteFile("b.ini", std::string(300, 'b')), 0);

    // Seen by the view while the component call still runs: no loop turns meanwhile.
    QString titleInCall;
    int barInCall = -1;
    flash.script = {FakeFlashHandling::Step{{{4, {}}, {6, {50, 0}}, {5, {}}}},
                    FakeFlashHandling::Step{{{4, {}}, {6, {200, 0}}}}};
    flash.afterEvent = [&](std::size_t index, const FakeFlashHandling::Event& event) {
        if (index != 1)
            return;
        if (event.dispid == 4) {
            // The component works a while before it reports: the report then shows at once.
            QElapsedTimer pause;
            pause.start();
            while (pause.elapsed() < 25) {
            }
        } else if (event.dispid == 6) {
            DialogView* view = views.service.ViewOf(dlg.GetSafeHwnd());
            titleInCall = view->windowTitle();
            barInCall = Find<QProgressBar>(view, 1000)->value();
        }
    };

    vortan::test::RecordingWindow helper;
    helper.onMessage = [&](const vortan::test::RecordingWindow::Message& message) {
        if (message.message != WM_USER)
            return;
        const HWND hwnd = dlg.GetSafeHwnd();
        DialogView* view = views.service.ViewOf(hwnd);
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->isVisible());
        EXPECT_FALSE(view->AcceptsInput());
        EXPECT_FALSE(view->windowIcon().isNull());

        SHORT flag = 77;
        EXPECT_EQ(dlg.DoWriteFiles("board1", &list, 0, &flag), S_OK);
        EXPECT_EQ(flag, 1);
        EXPECT_EQ(Find<QLabel>(view, 1004)->text(), "Schreibe b.ini");

        // The about entry: the window's context menu, although the window takes no input.
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                view->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(view, &click);
        auto* menu = view->findChild<QMenu*>("systemMenu");
        ASSERT_NE(menu, nullptr);
        auto* about = menu->findChild<QAction*>("sysmenu_16");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->text(), QString::fromUtf8("Inf&o über VORTAN..."));
        about->trigger();
        menu->close();
    };
    // The about box runs modally from the window's loop; a person presses its OK, and once it
    // is gone the run is ended.
    vortan::test::User user({[] {
                                 auto* box = vortan::test::Shown("dialog_100");
                                 if (box != nullptr)
                                     vortan::test::ClickLater(Find<QPushButton>(box, IDOK));
                                 return box != nullptr;
                             },
                             [&] {
                                 if (vortan::test::Shown("dialog_100") != nullptr)
                                     return false;
                                 dlg.CloseServer();
                                 return true;
                             }});
    PostMessage(helper.Handle(), WM_USER, 0, 0);
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(titleInCall, "Schreibe 75%");
    EXPECT_EQ(barInCall, 75);
}

} // namespace
