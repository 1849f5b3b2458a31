#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolTip>
#include <QTreeView>
#include <QUrl>
#include <gtest/gtest.h>

#include "gui/DialogView.h"
#include "gui/FileEditView.h"
#include "gui/QtFileDialogService.h"
#include "gui/QtFolderBrowserService.h"
#include "gui/ViewTestSupport.h"
#include "platform/ui/DeviceContext.h"
#include "platform/ui/SelectionServicesScope.h"
#include "support/FakeSelectionServices.h"
#include "support/TempDir.h"
#include "unit/selection/SelectionFixture.h"

using vortan::test::ClickLater;
using vortan::test::SelectionHost;
using vortan::test::Shown;
using vortan::test::TempDir;
using vortan::test::User;

namespace {

void Mouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), widget.mapToGlobal(QPointF(at)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void Key(QWidget& widget, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Period, modifiers, QStringLiteral("."));
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Period, modifiers, QStringLiteral("."));
    QApplication::sendEvent(&widget, &release);
}

QColor Pixel(QWidget& widget, QPoint at) {
    return widget.grab().toImage().pixelColor(at);
}

} // namespace

TEST(FileEditView, ButtonFollowsMouseAndCtrlFullStop) {
    vortan::test::FakeSelectionServices desktop;
    SelectionHost host(FileMode | ButtonTooltip);
    vortan::gui::FileEditView view(host.control.GetSafeHwnd());
    view.resize(240, 30);
    view.show();
    const QRect button = view.ButtonRect();
    ASSERT_FALSE(button.isEmpty());
    EXPECT_GT(button.left(), view.width() / 2); // at the right edge
    const QPoint on = button.center();
    const COLORREF dark = GetSysColor(COLOR_3DSHADOW);
    const QColor shadow(GetRValue(dark), GetGValue(dark), GetBValue(dark));

    // The press/drag/release rules are the control's; here the mouse reaches it and the
    // pressed button is drawn down (the shadow frame). Released on it: the choice is the text.
    desktop.fileAnswers.push_back({true, {"/data/a.txt"}, 0});
    Mouse(view, QEvent::MouseButtonPress, on, Qt::LeftButton);
    EXPECT_EQ(host.control.GetButtonState(), ButtonDown);
    EXPECT_EQ(Pixel(view, button.topLeft()), shadow);
    Mouse(view, QEvent::MouseButtonRelease, on, Qt::NoButton);
    EXPECT_EQ(desktop.fileRequests.size(), 1u);
    EXPECT_EQ(view.text(), "/data/a.txt");
    EXPECT_EQ(host.control.GetButtonState(), ButtonUp);
    EXPECT_NE(Pixel(view, button.topLeft()), shadow);

    // Ctrl with the full stop of the main keyboard and of the keypad browses; without Ctrl the
    // key types its character.
    Key(view, Qt::ControlModifier);
    Key(view, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(desktop.fileRequests.size(), 3u);
    view.setCursorPosition(static_cast<int>(view.text().size()));
    Key(view, Qt::NoModifier);
    EXPECT_EQ(desktop.fileRequests.size(), 3u);
    EXPECT_EQ(view.text(), "/data/a.txt.");
    EXPECT_EQ(host.Text(), "/data/a.txt.");

    // The button's tooltip comes from the control.
    QHelpEvent help(QEvent::ToolTip, on, view.mapToGlobal(on));
    QApplication::sendEvent(&view, &help);
    EXPECT_EQ(QToolTip::text(), "Durchsuchen");
    QToolTip::hideText();

    // Disabling the window shows the disabled button.
    EnableWindow(host.control.GetSafeHwnd(), FALSE);
    EXPECT_FALSE(view.isEnabled());
    EXPECT_EQ(host.control.GetButtonState(), ButtonDisabled);
}

TEST(FileEditView, ADroppedFileBecomesTheText) {
    const TempDir dir;
    const std::string a = dir.WriteFile("a.txt", "a");
    vortan::test::FakeSelectionServices desktop;
    SelectionHost host(FileMode);
    vortan::gui::FileEditView view(host.control.GetSafeHwnd());
    view.resize(300, 30);
    view.show();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(a))});
    QDragEnterEvent enter(QPoint(20, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(view.text().toStdString(), a);
    EXPECT_EQ(host.Text(), a);
}

TEST(FileEditView, DialogsShowTheirFileEditItemsWithIt) {
    vortan::test::FakeSelectionServices desktop;
    SelectionHost host(FileMode);
    host.SetText("/data/a.txt");
    vortan::gui::DialogView view(host.hwnd);
    auto* edit =
        dynamic_cast<vortan::gui::FileEditView*>(view.findChild<QLineEdit*>("dlgitem_1008"));
    ASSERT_NE(edit, nullptr);
    ShowWindow(host.hwnd, SW_SHOW);
    EXPECT_FALSE(edit->ButtonRect().isEmpty());
    EXPECT_EQ(edit->text(), "/data/a.txt");
    host.SetText("/data/b.txt");
    EXPECT_EQ(edit->text(), "/data/b.txt");
}

TEST(QtFileDialogService, ShowsTheGermanTextsAndReturnsTheChoice) {
    const TempDir dir;
    dir.WriteFile("a.txt", "a");
    dir.WriteFile("noext", "n");
    vortan::gui::QtFileDialogService service;
    const vortan::ui::SelectionServicesScope scope(&service, nullptr);

    // An open dialog for several files: texts as the control gives them; "*.*" takes a name
    // without a dot too.
    SelectionHost open(FileMode | MultipleFiles | OpenDialog);
    open.SetText(dir / "a.txt");
    const auto listed = [&] {
        auto* dialog = Shown<QFileDialog>("filedialog");
        auto* model = dialog != nullptr ? dialog->findChild<QFileSystemModel*>() : nullptr;
        if (model == nullptr)
            return false;
        QStringList names;
        const QModelIndex folder = model->index(QString::fromStdString(dir.Path()));
        for (int row = 0; row < model->rowCount(folder); ++row)
            names << model->index(row, 0, folder).data().toString();
        if (!names.contains("a.txt"))
            return false; // still loading
        EXPECT_TRUE(names.contains("noext"));
        return true;
    };
    User user({listed, [&] {
                   auto* dialog = Shown<QFileDialog>("filedialog");
                   if (dialog == nullptr)
                       return false;
                   EXPECT_EQ(dialog->windowTitle(),
                             "Dateien auf den Parametrierungsspeicher schreiben");
                   auto* ok = dialog->findChild<QPushButton*>("filedialog_ok");
                   auto* cancel = dialog->findChild<QPushButton*>("filedialog_cancel");
                   EXPECT_EQ(ok->text(), "&Schreiben");
                   EXPECT_EQ(cancel->text(), "&Abbrechen");
                   EXPECT_EQ(dialog->findChild<QComboBox*>("fileTypeCombo")->currentText(),
                             "Alle Dateien (*.*)");
                   EXPECT_EQ(dialog->directory().absolutePath().toStdString(), dir.Path());
                   dialog->findChild<QLineEdit*>("fileNameEdit")->setText("\"a.txt\" \"noext\"");
                   ClickLater(ok);
                   return true;
               }});
    EXPECT_EQ(open.control.Browse(), 0);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(open.Text(), dir / "a.txt; noext");
    EXPECT_EQ(open.control.GetLastFileDialogResult(), IDOK);

    // A save dialog that asks before it creates a file: "no" keeps it open, "yes" takes it.
    SelectionHost save(FileMode);
    save.control.GetOpenFileName()->Flags |= OFN_CREATEPROMPT | OFN_OVERWRITEPROMPT;
    save.SetText(dir / "new.ini");
    const auto confirm = [](bool yes) {
        return [yes] {
            auto* question = Shown<QMessageBox>("filedialog_question");
            if (question == nullptr)
                return false;
            EXPECT_TRUE(question->text().startsWith("new.ini ist nicht vorhanden."));
            ClickLater(question->button(yes ? QMessageBox::Yes : QMessageBox::No));
            return true;
        };
    };
    const auto clickOk = [] {
        auto* dialog = Shown<QFileDialog>("filedialog");
        if (dialog == nullptr)
            return false;
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("new.ini");
        ClickLater(dialog->findChild<QPushButton*>("filedialog_ok"));
        return true;
    };
    User saver({clickOk, confirm(false), clickOk, confirm(true)});
    save.control.Browse();
    EXPECT_TRUE(saver.Done());
    EXPECT_EQ(save.Text(), dir / "new.ini");
}

TEST(QtFolderBrowserService, ShowsStatusAndPreselectionAndReturnsTheFolder) {
    const TempDir dir;
    const std::string deep = dir.MakeDir("one") + "/deep";
    dir.MakeDir("one/deep");
    const std::string two = dir.MakeDir("two");
    vortan::gui::QtFolderBrowserService service;
    const vortan::ui::SelectionServicesScope scope(nullptr, &service);

    // As the directory selection does: preselect, and show each selection as status text.
    BROWSEINFO info;
    info.lpszTitle = "Verzeichnis wählen";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    info.lParam = reinterpret_cast<LPARAM>(deep.c_str());
    info.lpfn = [](HWND hwnd, UINT message, LPARAM item, LPARAM data) {
        if (message == BFFM_INITIALIZED)
            SendMessage(hwnd, BFFM_SETSELECTIONA, TRUE, data);
        char path[4096];
        if (message == BFFM_SELCHANGED &&
            SHGetPathFromIDList(reinterpret_cast<PCIDLIST_ABSOLUTE>(item), path))
            SendMessage(hwnd, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
        return 0;
    };
    User user({[&] {
        auto* browser = Shown<QDialog>("folderbrowser");
        if (browser == nullptr)
            return false;
        EXPECT_EQ(browser->findChild<QLabel*>("folder_title")->text(), "Verzeichnis wählen");
        auto* status = browser->findChild<QLabel*>("folder_status");
        auto* tree = browser->findChild<QTreeView*>("folder_tree");
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        EXPECT_EQ(status->text().toStdString(), deep);
        EXPECT_EQ(model->filePath(tree->currentIndex()).toStdString(), deep);
        EXPECT_TRUE(tree->isExpanded(model->index(QString::fromStdString(dir / "one"))));
        tree->setCurrentIndex(model->index(QString::fromStdString(two)));
        EXPECT_EQ(status->text().toStdString(), two);
        ClickLater(browser->findChild<QPushButton*>("folder_ok"));
        return true;
    }});
    const PIDLIST_ABSOLUTE item = SHBrowseForFolder(&info);
    EXPECT_TRUE(user.Done());
    char path[4096];
    ASSERT_TRUE(SHGetPathFromIDList(item, path));
    EXPECT_EQ(std::string(path), two);
    CoTaskMemFree(item);
}
