#include "gui/DialogView.h"

#include <functional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

#include "gui/ViewTestSupport.h"
#include "platform/win/WinUser.h"
#include "resources/Resources.h"
#include "support/ScriptedDialog.h"

using vortan::gui::DialogView;
using vortan::resources::FindDialogTemplate;
using vortan::test::Find;
using vortan::test::ScriptedDialog;
using vortan::test::SendKey;
using vortan::test::ViewsInstalled;

namespace {

// The widgets that Tab reaches, starting at `first`.
std::vector<QWidget*> TabOrder(QWidget* first) {
    std::vector<QWidget*> order{first};
    for (QWidget* w = first->nextInFocusChain(); w != first && order.size() < 50;
         w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->parentWidget() == first->parentWidget())
            order.push_back(w);
    }
    return order;
}

// Tabs `n` times from the focused control, then presses Enter where the focus is.
std::function<void(DialogView*)> TabsThenEnter(int n) {
    return [n](DialogView* v) {
        for (int i = 0; i < n; ++i)
            SendKey(v->focusWidget(), Qt::Key_Tab);
        SendKey(v->focusWidget(), Qt::Key_Return);
    };
}

// Lets the Qt loop run until `done` or a generous limit; the views repaint from timers.
bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

} // namespace

TEST(DialogView, OverwriteQuestionLaysOutAndAnswers) {
    struct Case {
        const char* what;
        std::function<void(DialogView*)> act;
        INT_PTR result;
    };
    const Case cases[] = {
        {"Enter on Ja", [](DialogView* v) { SendKey(v->focusWidget(), Qt::Key_Return); }, IDOK},
        {"Tab to Abbrechen, Enter", TabsThenEnter(1), IDCANCEL},
        {"Tab to Nein, Enter", TabsThenEnter(2), IDNO},
        {"Esc cancels", [](DialogView* v) { SendKey(v, Qt::Key_Escape); }, IDCANCEL},
        {"the close box cancels", [](DialogView* v) { v->close(); }, IDCANCEL},
        {"Alle Überschreiben", [](DialogView* v) { Find<QPushButton>(v, 1014)->click(); }, 1014},
    };
    for (const Case& c : cases) {
        ViewsInstalled views;
        ScriptedDialog dialog(*FindDialogTemplate(vortan::resources::IDD_OVERWRITE));
        bool checked = false;
        dialog.onInit = [](ScriptedDialog& d) {
            const HWND hwnd = d.GetSafeHwnd();
            SendMessage(GetDlgItem(hwnd, 1018), STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_WARNING)), 0);
            SetDlgItemText(hwnd, 1011, "daten & mehr.ini");
        };
        dialog.onAct = [&](ScriptedDialog& d) {
            DialogView* view = views.service.ViewOf(d.GetSafeHwnd());
            ASSERT_NE(view, nullptr);
            EXPECT_TRUE(view->isVisible());
            EXPECT_TRUE(view->AcceptsInput());
            EXPECT_EQ(view->windowTitle(), "Dialog");
            EXPECT_EQ(view->size(), QSize(view->PixelsX(302), view->PixelsY(86)));
            std::vector<QPushButton*> buttons;
            for (const int id : {IDOK, IDNO, IDCANCEL, 1014}) {
                buttons.push_back(Find<QPushButton>(view, id));
                ASSERT_NE(buttons.back(), nullptr) << id;
            }
            EXPECT_EQ(buttons[0]->text(), "Ja");
            EXPECT_EQ(buttons[1]->text(), "Nein");
            EXPECT_EQ(buttons[2]->text(), "Abbrechen");
            EXPECT_EQ(buttons[3]->text(), "Alle Überschreiben");
            // Left to right: Ja, Nein, Abbrechen, Alle Überschreiben, at the template's places.
            EXPECT_EQ(buttons[0]->geometry(), QRect(view->PixelsX(25), view->PixelsY(69),
                                                    view->PixelsX(50), view->PixelsY(14)));
            for (std::size_t i = 1; i < buttons.size(); ++i)
                EXPECT_GT(buttons[i]->x(), buttons[i - 1]->geometry().right()) << i;
            EXPECT_TRUE(buttons[0]->isDefault());
            EXPECT_EQ(view->focusWidget(), buttons[0]);
            // Tab order is template order: Ja, Abbrechen, Nein, Alle Überschreiben.
            EXPECT_EQ(TabOrder(buttons[0]),
                      (std::vector<QWidget*>{buttons[0], buttons[2], buttons[1], buttons[3]}));
            EXPECT_EQ(Find<QLabel>(view, 1010)->text(), "Die Datei");
            EXPECT_EQ(Find<QLabel>(view, 1011)->text(), "daten & mehr.ini");
            EXPECT_EQ(Find<QLabel>(view, 1012)->text(), "existiert bereits im Verzeichnis");
            EXPECT_FALSE(Find<QLabel>(view, 1018)->pixmap().isNull());
            checked = true;
            c.act(view);
        };
        EXPECT_EQ(dialog.DoModal(), c.result) << c.what;
        EXPECT_TRUE(checked) << c.what;
    }
}

TEST(DialogView, ProgressWindowFollowsTheModelAndTakesNoInput) {
    ViewsInstalled views;
    ScriptedDialog dialog(*FindDialogTemplate(vortan::resources::IDD_VORTAN_DIALOG));
    dialog.onInit = [](ScriptedDialog& d) {
        SendMessage(GetDlgItem(d.GetSafeHwnd(), 1000), PBM_SETRANGE32, 0, 100);
        ShowWindow(d.GetSafeHwnd(), SW_HIDE); // the modal run shows it again
    };
    dialog.onAct = [&](ScriptedDialog& d) {
        const HWND hwnd = d.GetSafeHwnd();
        DialogView* view = views.service.ViewOf(hwnd);
        ASSERT_NE(view, nullptr);
        auto* status = Find<QLabel>(view, 1004);
        auto* bar = Find<QProgressBar>(view, 1000);
        ASSERT_NE(status, nullptr);
        ASSERT_NE(bar, nullptr);
        EXPECT_TRUE(view->isVisible());
        EXPECT_FALSE(view->AcceptsInput());
        EXPECT_EQ(view->windowTitle(), "");
        EXPECT_EQ(status->text(), "Status");
        EXPECT_EQ(status->geometry(),
                  QRect(view->PixelsX(5), view->PixelsY(1), view->PixelsX(200), view->PixelsY(8)));

        // A component call: no loop runs, UpdateWindow repaints at once.
        SetWindowText(hwnd, "Schreiben 40%");
        SetDlgItemText(hwnd, 1004, "Schreibe a.ini");
        SendMessage(GetDlgItem(hwnd, 1000), PBM_SETPOS, 40, 0);
        UpdateWindow(hwnd);
        EXPECT_EQ(view->windowTitle(), "Schreiben 40%");
        EXPECT_EQ(status->text(), "Schreibe a.ini");
        EXPECT_EQ(bar->value(), 40);
        EXPECT_EQ(bar->maximum(), 100);

        // Without UpdateWindow the loop repaints soon, showing the last state.
        for (int p = 41; p <= 60; ++p)
            SendMessage(GetDlgItem(hwnd, 1000), PBM_SETPOS, static_cast<WPARAM>(p), 0);
        SetDlgItemText(hwnd, 1004, "Schreibe b.ini");
        EXPECT_TRUE(WaitFor([&] { return bar->value() == 60; }));
        EXPECT_EQ(status->text(), "Schreibe b.ini");

        // Disabled: Esc and the close box do not reach the dialog.
        SendKey(view, Qt::Key_Escape);
        view->close();
        EXPECT_TRUE(view->isVisible());
        ShowWindow(hwnd, SW_HIDE);
        EXPECT_FALSE(view->isVisible());
        d.EndDialog(5);
    };
    EXPECT_EQ(dialog.DoModal(), 5);
    EXPECT_EQ(dialog.log, std::vector<std::string>{});
}
