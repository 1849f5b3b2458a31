#include "gui/FileDialogView.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "gui/ModalRun.h"

namespace vortan::gui {
namespace {

QString ToQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A question or warning of the dialog, over it, while the program's loop runs on.
bool Ask(QWidget* parent, QMessageBox::Icon icon, const QString& text, bool question) {
    QMessageBox box(icon, parent->windowTitle(), text,
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("filedialog_question"));
    box.setTextFormat(Qt::PlainText);
    if (question) {
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ja"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&Nein"));
        box.setDefaultButton(QMessageBox::No);
    }
    RunModalDialog(box, nullptr);
    return question && box.clickedButton() == box.button(QMessageBox::Yes);
}

} // namespace

QStringList FileDialogView::NameFilters(const std::vector<ui::FileDialogFilter>& filters) {
    QStringList names;
    for (const ui::FileDialogFilter& filter : filters) {
        QStringList patterns;
        for (const QString& part : ToQt(filter.pattern).split(u';', Qt::SkipEmptyParts)) {
            const QString pattern = part.trimmed();
            if (!pattern.isEmpty())
                patterns << (pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern);
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        // The details in parentheses are hidden (HideNameFilterDetails): the list shows the
        // description as the caller wrote it, "(*.*)" included.
        names << QStringLiteral("%1 (%2)").arg(ToQt(filter.description), patterns.join(u' '));
    }
    if (names.isEmpty())
        names << QStringLiteral("(*)");
    return names;
}

FileDialogView::FileDialogView(const ui::FileDialogRequest& request, QWidget* parent)
    : QFileDialog(parent), m_flags(request.flags), m_save(request.save) {
    setObjectName(QStringLiteral("filedialog"));
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    // The replace question is ours, in the dialog's language and with the loop running.
    setOption(QFileDialog::DontConfirmOverwrite);
    setOption(QFileDialog::DontResolveSymlinks, (m_flags & OFN_NODEREFERENCELINKS) != 0);
    setAcceptMode(m_save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    const bool multiple = (m_flags & OFN_ALLOWMULTISELECT) != 0;
    const bool mustExist = (m_flags & OFN_FILEMUSTEXIST) != 0 && (m_flags & OFN_CREATEPROMPT) == 0;
    // Qt chooses several files only among existing ones; one name may also be a new one.
    if (multiple)
        setFileMode(QFileDialog::ExistingFiles);
    else if (mustExist && !m_save)
        setFileMode(QFileDialog::ExistingFile);
    else
        setFileMode(QFileDialog::AnyFile);

    if (!request.title.empty())
        setWindowTitle(ToQt(request.title));
    else
        setWindowTitle(m_save ? QStringLiteral("Speichern unter") : QStringLiteral("Öffnen"));
    const QStringList filters = NameFilters(request.filters);
    setNameFilters(filters);
    const auto index = static_cast<qsizetype>(request.filterIndex);
    selectNameFilter(filters.at(index >= 1 && index <= filters.size() ? index - 1 : 0));
    if (!request.defaultExtension.empty())
        setDefaultSuffix(ToQt(request.defaultExtension));
    // A start that is no folder leaves the dialog at its default place.
    if (const QString start = ToQt(request.initialDirectory);
        !start.isEmpty() && QFileInfo(start).isDir())
        setDirectory(start);
    if (!request.fileName.empty())
        selectFile(ToQt(request.fileName));

    // The dialog speaks the program's language (Qt's own texts come without translations).
    setLabelText(QFileDialog::LookIn, QStringLiteral("Suchen in:"));
    setLabelText(QFileDialog::FileName, QStringLiteral("Datei&name:"));
    setLabelText(QFileDialog::FileType, QStringLiteral("Dateityp:"));
    if (!request.okText.empty())
        setLabelText(QFileDialog::Accept, ToQt(request.okText));
    if (!request.cancelText.empty())
        setLabelText(QFileDialog::Reject, ToQt(request.cancelText));
    if (auto* box = findChild<QDialogButtonBox*>()) {
        for (QAbstractButton* button : box->buttons()) {
            const auto role = box->buttonRole(button);
            if (role == QDialogButtonBox::AcceptRole)
                button->setObjectName(QStringLiteral("filedialog_ok"));
            else if (role == QDialogButtonBox::RejectRole)
                button->setObjectName(QStringLiteral("filedialog_cancel"));
        }
    }
}

bool FileDialogView::Confirmed(const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) {
        if (m_save && (m_flags & OFN_OVERWRITEPROMPT) != 0)
            return Ask(this, QMessageBox::Warning,
                       QStringLiteral("%1 ist bereits vorhanden.\nMöchten Sie sie ersetzen?")
                           .arg(info.fileName()),
                       true);
        return true;
    }
    const bool mustExist = (m_flags & OFN_FILEMUSTEXIST) != 0 && (m_flags & OFN_CREATEPROMPT) == 0;
    const bool pathMustExist = (m_flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) != 0;
    if (pathMustExist && !QFileInfo(info.absolutePath()).isDir()) {
        Ask(this, QMessageBox::Warning,
            QStringLiteral("%1\nDer Pfad existiert nicht.\nÜberprüfen Sie, ob der Pfad richtig "
                           "angegeben wurde.")
                .arg(QDir::toNativeSeparators(info.absolutePath())),
            false);
        return false;
    }
    if (mustExist) {
        Ask(this, QMessageBox::Warning,
            QStringLiteral("%1\nDie Datei wurde nicht gefunden.\nÜberprüfen Sie, ob der "
                           "Dateiname richtig angegeben wurde.")
                .arg(info.fileName()),
            false);
        return false;
    }
    if ((m_flags & OFN_CREATEPROMPT) != 0)
        return Ask(this, QMessageBox::Question,
                   QStringLiteral("%1 ist nicht vorhanden.\nSoll die Datei erstellt werden?")
                       .arg(info.fileName()),
                   true);
    return true;
}

void FileDialogView::accept() {
    const QStringList files = selectedFiles();
    for (const QString& file : files) {
        // A folder is opened by the dialog itself; no question for it.
        if (QFileInfo(file).isDir())
            break;
        if (!Confirmed(file))
            return; // the dialog stays open for another choice
    }
    QFileDialog::accept();
}

} // namespace vortan::gui
