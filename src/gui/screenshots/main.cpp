// vortan-screenshots: shows each window of the program with its Qt view, grabs it
// (QWidget::grab) and saves it as a PNG, for the documentation. Runs on any platform plugin;
// scripts/make-screenshots uses the offscreen one.

#include "app/OverWriteDlg.h"
#include "gui/DialogView.h"
#include "gui/QtDialogService.h"
#include "platform/ui/IDialogService.h"
#include "platform/win/CDialog.h"
#include "platform/win/WinUser.h"
#include "platform/win/qt/QtLoopBackend.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <string>

namespace {

constexpr int kIdcProgress = 1000;
constexpr int kIdcStatus = 1004;

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
                    ::SetDlgItemText(hwnd, kIdcStatus, "Schreibe recipe.bin");
                    ::SendMessage(::GetDlgItem(hwnd, kIdcProgress), PBM_SETPOS, 60, 0);
                });

    CDialog about(TemplateOf(vortan::resources::IDD_ABOUTBOX));
    ok &= Shoot(about, vortan::resources::IDD_ABOUTBOX, dir + "/about-box.png", nullptr);

    // The overwrite question of a read, with its built-in texts (no profile).
    COverWriteDlg overwrite(nullptr, nullptr, "net.ini", "/home/user/back");
    ok &= Shoot(overwrite, vortan::resources::IDD_OVERWRITE, dir + "/overwrite-question.png",
                nullptr);

    vortan::ui::SetDialogService(previous);
    return ok ? 0 : 1;
}
