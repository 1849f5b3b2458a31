#include "gui/QtMessageBoxService.h"

#include "platform/ui/MessageBox.h"
#include "platform/ui/UiServicesScope.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

QMessageBox* ShownBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "messagebox" && widget->isVisible())
            return qobject_cast<QMessageBox*>(widget);
    }
    return nullptr;
}

} // namespace

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
            QMessageBox* box = ShownBox();
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
