// vortan-screenshots: shows each window of the program with its Qt view, grabs it
// (QWidget::grab) and saves it as a PNG, for the documentation. Runs on any platform plugin;
// scripts/make-screenshots uses the offscreen one.

#include <cstdio>
#include <functional>
#include <string>

#include <QApplication>
#include <QColor>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include "app/OverWriteDlg.h"
#include "gui/DialogView.h"
#include "gui/FileEditView.h"
#include "gui/QtDialogService.h"
#include "gui/QtFileDialogService.h"
#include "gui/QtFolderBrowserService.h"
#include "platform/ui/IDialogService.h"
#include "platform/ui/SelectionServicesScope.h"
#include "platform/ui/ShlObj.h"
#include "platform/win/CDialog.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"
#include "platform/win/qt/QtLoopBackend.h"
#include "resources/Resources.h"
#include "selection/FileEditCtrl.h"

namespace {

// The offscreen platform draws no window frame: put the window's caption above its grab, in
// a plain title bar, so the picture shows what a person sees.
QPixmap Framed(QWidget* view) {
    const QPixmap content = view->grab();
    const int titleHeight = view->fontMetrics().height() + 10;
    QPixmap framed(content.width() + 2, content.height() + titleHeight + 2);
    framed.fill(QColor(0x60, 0x60, 0x60));
    QPainter painter(&framed);
    painter.fillRect(1, 1, content.width(), titleHeight, QColor(0x3a, 0x5f, 0x8f));
    QFont font = view->font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(8, 1, content.width() - 16, titleHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, view->windowTitle());
    painter.drawPixmap(1, titleHeight + 1, content);
    return framed;
}

QWidget* ShownView(int templateId) {
    const QString name = QStringLiteral("dialog_%1").arg(templateId);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name && widget->isVisible())
            return widget;
    }
    return nullptr;
}

// Runs `dialog` modally; once its view is up, `prepare` sets what it should show, the view
// catches up, and the grab is saved to `file`. Then the dialog ends.
bool Shoot(CDialog& dialog, int templateId, const std::string& file,
           const std::function<void(HWND)>& prepare) {
    bool saved = false;
    QObject context;
    std::function<void()> poll;
    poll = [&] {
        QWidget* view = ShownView(templateId);
        if (view == nullptr) {
            QTimer::singleShot(10, &context, poll);
            return;
        }
        const HWND hwnd = static_cast<vortan::gui::DialogView*>(view)->Dialog();
        if (prepare)
            prepare(hwnd);
        static_cast<vortan::gui::DialogView*>(view)->Sync();
        // Let the view lay out and paint before it is grabbed.
        QTimer::singleShot(200, &context, [&, view, hwnd] {
            saved = Framed(view).save(QString::fromStdString(file), "PNG");
            dialog.EndDialog(IDCANCEL);
        });
    };
    QTimer::singleShot(0, &context, poll);
    dialog.DoModal();
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "could not write",
                 file.c_str());
    return saved;
}

QWidget* ShownWidget(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(name) && widget->isVisible())
            return widget;
    }
    return nullptr;
}

// Waits in the loop of `run` (which shows a modal window) for the top-level widget `name`,
// grabs it once its contents had time to load, saves it and closes it with `close`.
bool ShootModal(const char* name, const std::string& file, const std::function<void()>& run) {
    bool saved = false;
    QObject context;
    std::function<void()> poll;
    poll = [&] {
        QWidget* view = ShownWidget(name);
        if (view == nullptr) {
            QTimer::singleShot(10, &context, poll);
            return;
        }
        // Folder listings load in the background.
        QTimer::singleShot(500, &context, [&, view] {
            saved = Framed(view).save(QString::fromStdString(file), "PNG");
            if (auto* dialog = qobject_cast<QDialog*>(view))
                dialog->reject();
        });
    };
    QTimer::singleShot(0, &context, poll);
    run();
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "could not write",
                 file.c_str());
    return saved;
}

void Settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

void Click(QWidget& widget, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, QPointF(at), widget.mapToGlobal(QPointF(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// The file edit control with its browse button up, held down and disabled, one above the
// other on a dialog's background, each with its state named beside it.
bool ShootFileEdit(const std::string& file) {
    vortan::win::DialogTemplate host;
    host.id = vortan::resources::IDD_VORTAN_DIALOG + 1000;
    host.items.push_back({1008, vortan::win::WindowKind::Edit, "", 5, 5, 175, 14, WS_BORDER});
    const HWND dialog = vortan::win::CreateDialogWindow(
        host, nullptr, [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
            return ::DefWindowProc(hwnd, message, wParam, lParam);
        });
    std::vector<QPixmap> states;
    {
        CFileEditCtrl control;
        control.SubclassDlgItem(1008, dialog);
        control.SetFlags(FileMode | OpenDialog | ButtonTooltip);
        ::SetWindowText(control.GetSafeHwnd(), "/home/user/rezepte/net.ini");
        vortan::gui::FileEditView view(control.GetSafeHwnd());
        view.resize(320, 26);
        view.show();
        Settle();
        view.deselect();
        states.push_back(view.grab());
        const QPoint button = view.ButtonRect().center();
        Click(view, QEvent::MouseButtonPress, button);
        Settle();
        states.push_back(view.grab());
        Click(view, QEvent::MouseMove, QPoint(10, 10));
        Click(view, QEvent::MouseButtonRelease, QPoint(10, 10)); // off the button: no browse
        ::EnableWindow(control.GetSafeHwnd(), FALSE);
        Settle();
        states.push_back(view.grab());
    }
    ::DestroyWindow(dialog);

    const QStringList names{QStringLiteral("normal"), QStringLiteral("gedrückt"),
                            QStringLiteral("gesperrt")};
    const int rowHeight = states.front().height() + 12;
    QPixmap sheet(states.front().width() + 110, rowHeight * 3 + 12);
    sheet.fill(QApplication::palette().color(QPalette::Window));
    QPainter painter(&sheet);
    painter.setPen(QApplication::palette().color(QPalette::WindowText));
    for (int row = 0; row < 3; ++row) {
        const int top = 12 + row * rowHeight;
        painter.drawPixmap(12, top, states[static_cast<std::size_t>(row)]);
        painter.drawText(QRect(states.front().width() + 24, top, 80, states.front().height()),
                         Qt::AlignVCenter | Qt::AlignLeft, names[row]);
    }
    painter.end();
    const bool saved = sheet.save(QString::fromStdString(file), "PNG");
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "could not write",
                 file.c_str());
    return saved;
}

// A folder with what a parameterization usually holds, for the file dialog and the browser.
std::string SampleFolder(const QTemporaryDir& temp) {
    const QString folder = temp.path() + QStringLiteral("/Parametrierung");
    QDir().mkpath(folder + QStringLiteral("/archiv"));
    QDir().mkpath(folder + QStringLiteral("/vorlagen"));
    for (const char* name : {"achsen.ini", "net.ini", "recipe.bin", "werkzeuge.csv", "LIESMICH"}) {
        QFile sample(folder + QLatin1Char('/') + QLatin1String(name));
        if (sample.open(QIODevice::WriteOnly))
            sample.write("1\n");
    }
    return folder.toStdString();
}

// The file dialog of a file selection, with its built-in German texts.
bool ShootFileDialog(const std::string& folder, const std::string& file) {
    vortan::win::DialogTemplate host;
    host.id = vortan::resources::IDD_VORTAN_DIALOG + 1001;
    host.items.push_back({1008, vortan::win::WindowKind::Edit, "", 5, 5, 175, 14, WS_BORDER});
    const HWND dialog = vortan::win::CreateDialogWindow(
        host, nullptr, [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
            return ::DefWindowProc(hwnd, message, wParam, lParam);
        });
    bool saved = false;
    {
        CFileEditCtrl control;
        control.SubclassDlgItem(1008, dialog);
        control.SetFlags(FileMode | MultipleFiles | OpenDialog);
        ::SetWindowText(control.GetSafeHwnd(), (folder + "/net.ini").c_str());
        saved = ShootModal("filedialog", file, [&] { control.Browse(); });
    }
    ::DestroyWindow(dialog);
    return saved;
}

// The folder browser of a directory selection: the chosen folder as its status text.
bool ShootFolderBrowser(const std::string& folder, const std::string& file) {
    const std::string preselection = folder + "/archiv";
    BROWSEINFO info;
    info.lpszTitle = "Zielverzeichnis für die gelesenen Dateien";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    info.lParam = reinterpret_cast<LPARAM>(preselection.c_str());
    info.lpfn = [](HWND hwnd, UINT message, LPARAM item, LPARAM data) {
        if (message == BFFM_INITIALIZED)
            ::SendMessage(hwnd, BFFM_SETSELECTIONA, TRUE, data);
        char path[4096];
        if (message == BFFM_SELCHANGED &&
            ::SHGetPathFromIDList(reinterpret_cast<PCIDLIST_ABSOLUTE>(item), path))
            ::SendMessage(hwnd, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
        return 0;
    };
    return ShootModal("folderbrowser", file, [&] { ::CoTaskMemFree(::SHBrowseForFolder(&info)); });
}

const vortan::win::DialogTemplate& TemplateOf(int id) {
    static const vortan::win::DialogTemplate kNone;
    const auto* found = vortan::resources::FindDialogTemplate(id);
    return found != nullptr ? *found : kNone;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: vortan-screenshots OUTDIR\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    const auto loop = vortan::win::InstallQtLoopBackend();
    vortan::gui::QtDialogService views;
    vortan::ui::IDialogService* previous = vortan::ui::SetDialogService(&views);
    const std::string dir = argv[1];
    bool ok = true;

    // The progress window in the middle of a write; its texts come from the client's
    // profile, these are samples.
    CDialog progress(TemplateOf(vortan::resources::IDD_VORTAN_DIALOG));
    ok &= Shoot(progress, vortan::resources::IDD_VORTAN_DIALOG, dir + "/progress-window.png",
                [](HWND hwnd) {
                    ::SetWindowText(hwnd, "Parametrierungsspeicher beschreiben");
                    ::SetDlgItemText(hwnd, vortan::resources::IDC_STATUS, "Schreibe recipe.bin");
                    ::SendMessage(::GetDlgItem(hwnd, vortan::resources::IDC_PROGRESS), PBM_SETPOS,
                                  60, 0);
                });

    CDialog about(TemplateOf(vortan::resources::IDD_ABOUTBOX));
    ok &= Shoot(about, vortan::resources::IDD_ABOUTBOX, dir + "/about-box.png", nullptr);

    // The overwrite question of a read, with its built-in texts (no profile).
    COverWriteDlg overwrite(nullptr, nullptr, "net.ini", "/home/user/back");
    ok &= Shoot(overwrite, vortan::resources::IDD_OVERWRITE, dir + "/overwrite-question.png",
                nullptr);

    ok &= ShootFileEdit(dir + "/file-edit-control.png");
    {
        vortan::gui::QtFileDialogService fileDialogs(&views);
        vortan::gui::QtFolderBrowserService folders(&views);
        const vortan::ui::SelectionServicesScope selection(&fileDialogs, &folders);
        // Under the home folder: the browser's tree then shows the user's folders around it.
        const QTemporaryDir temp(QDir::homePath() + QStringLiteral("/vortan-beispiel-XXXXXX"));
        const std::string folder = SampleFolder(temp);
        ok &= ShootFileDialog(folder, dir + "/file-dialog.png");
        ok &= ShootFolderBrowser(folder, dir + "/folder-browser.png");
    }

    vortan::ui::SetDialogService(previous);
    return ok ? 0 : 1;
}
