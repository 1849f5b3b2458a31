#include "gui/QtMessageBoxService.h"

#include <array>
#include <utility>

#include <QAbstractButton>
#include <QMessageBox>

#include "gui/DialogView.h"
#include "gui/ModalRun.h"
#include "gui/QtDialogService.h"
#include "platform/ui/MessageBox.h"
#include "platform/win/WinUser.h"

namespace vortan::gui {
namespace {

QMessageBox::Icon IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_ABORTRETRYIGNORE:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MB_YESNOCANCEL:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO:
        return QMessageBox::Yes | QMessageBox::No;
    case MB_RETRYCANCEL:
        return QMessageBox::Retry | QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

constexpr std::array<std::pair<QMessageBox::StandardButton, int>, 7> kIds{{
    {QMessageBox::Ok, IDOK},
    {QMessageBox::Cancel, IDCANCEL},
    {QMessageBox::Abort, IDABORT},
    {QMessageBox::Retry, IDRETRY},
    {QMessageBox::Ignore, IDIGNORE},
    {QMessageBox::Yes, IDYES},
    {QMessageBox::No, IDNO},
}};

int IdOf(QMessageBox::StandardButton button) {
    for (const auto& [standard, id] : kIds) {
        if (standard == button)
            return id;
    }
    return 0;
}

QString ToQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

int QtMessageBoxService::Show(const ui::MessageBoxRequest& request) {
    QWidget* owner = m_views != nullptr ? m_views->ViewOf(request.owner) : nullptr;
    QMessageBox box(IconOf(request.type), ToQt(request.caption), ToQt(request.text),
                    ButtonsOf(request.type), owner);
    box.setObjectName(QStringLiteral("messagebox"));
    box.setTextFormat(Qt::PlainText);
    // The first button is the default one, as on the platform.
    const QList<QAbstractButton*> buttons = box.buttons();
    for (QAbstractButton* button : buttons) {
        const auto standard = box.standardButton(button);
        button->setObjectName(QStringLiteral("mbbutton_%1").arg(IdOf(standard)));
    }
    for (const auto& [standard, id] : kIds) {
        if (ButtonsOf(request.type).testFlag(standard)) {
            box.setDefaultButton(standard);
            break;
        }
    }

    if (RunModalDialog(box, request.owner) < 0)
        return 0;
    // Closed without a click (Esc, the close box): the box's escape button answers.
    QAbstractButton* answer = box.clickedButton();
    if (answer == nullptr)
        answer = box.escapeButton();
    return answer != nullptr ? IdOf(box.standardButton(answer)) : IDCANCEL;
}

} // namespace vortan::gui
