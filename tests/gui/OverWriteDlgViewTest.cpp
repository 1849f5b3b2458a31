#include "app/OverWriteDlg.h"

#include "gui/QtDialogService.h"
#include "platform/ui/IDialogService.h"
#include "platform/win/WinUser.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class ViewsInstalled final {
public:
    ViewsInstalled() : m_previous(vortan::ui::SetDialogService(&m_service)) {}
    ~ViewsInstalled() { vortan::ui::SetDialogService(m_previous); }
    ViewsInstalled(const ViewsInstalled&) = delete;
    ViewsInstalled& operator=(const ViewsInstalled&) = delete;

private:
    vortan::gui::QtDialogService m_service;
    vortan::ui::IDialogService* m_previous;
};

QWidget* OverwriteView() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("dialog_133") && widget->isVisible())
            return widget;
    }
    return nullptr;
}

template <typename T>
T* Find(QWidget* view, int id) {
    return view->findChild<T*>(QStringLiteral("dlgitem_%1").arg(id));
}

// Runs the question; `act` gets its view from the loop once it is up.
INT_PTR RunQuestion(const std::string& profile, const std::function<void(QWidget*)>& act) {
    ViewsInstalled views;
    COverWriteDlg dlg(nullptr, profile.c_str(), "a.ini", "/data/in");
    QObject context;
    bool acted = false;
    std::function<void()> poll;
    poll = [&] {
        if (QWidget* view = OverwriteView()) {
            acted = true;
            act(view);
        } else {
            QTimer::singleShot(10, &context, poll);
        }
    };
    QTimer::singleShot(0, &context, poll);
    const INT_PTR result = dlg.DoModal();
    EXPECT_TRUE(acted);
    return result;
}

void SendKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

} // namespace

TEST(COverWriteDlgView, ShowsSection1TextsAndAnswersEnterAndEsc) {
    const vortan::test::TempDir dir;
    const std::string profile = dir.WriteFile("p.ini", "[Kunde]\n5043=Falsch\n"
                                                       "[Section1]\n5043=Datei vorhanden\n"
                                                       "5039=Yes\n5042=All\n");
    const INT_PTR enter = RunQuestion(profile, [](QWidget* view) {
        EXPECT_EQ(view->windowTitle(), "Datei vorhanden");
        EXPECT_EQ(Find<QPushButton>(view, IDOK)->text(), "Yes");
        EXPECT_EQ(Find<QPushButton>(view, 1014)->text(), "All");
        EXPECT_EQ(Find<QPushButton>(view, IDNO)->text(), "Nein");
        EXPECT_EQ(Find<QPushButton>(view, IDCANCEL)->text(), "Abbrechen");
        EXPECT_EQ(Find<QLabel>(view, 1011)->text(), "a.ini");
        EXPECT_EQ(Find<QLabel>(view, 1013)->text(), "/data/in");
        EXPECT_FALSE(Find<QLabel>(view, 1018)->pixmap().isNull());
        SendKey(view->focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(enter, IDOK);

    const INT_PTR esc = RunQuestion(profile, [](QWidget* view) { SendKey(view, Qt::Key_Escape); });
    EXPECT_EQ(esc, IDCANCEL);

    const INT_PTR all =
        RunQuestion(profile, [](QWidget* view) { Find<QPushButton>(view, 1014)->click(); });
    EXPECT_EQ(all, 1014);
}
