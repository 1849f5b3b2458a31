#include "gui/FolderBrowserView.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"

namespace vortan::gui {
namespace {

QString ToQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ControlText(HWND dialog, int id) {
    return ToQt(win::GetWindowTextString(GetDlgItem(dialog, id)));
}

} // namespace

FolderBrowserView::FolderBrowserView(const ui::FolderBrowserRequest& request, QWidget* parent)
    : QDialog(parent), m_request(request), m_hBrowser(request.browser) {
    setObjectName(QStringLiteral("folderbrowser"));
    setWindowTitle(ToQt(win::GetWindowTextString(m_hBrowser)));
    auto* layout = new QVBoxLayout(this);

    auto* title = new QLabel(ToQt(request.title), this);
    title->setObjectName(QStringLiteral("folder_title"));
    title->setTextFormat(Qt::PlainText);
    title->setWordWrap(true);
    title->setVisible(!request.title.empty());
    layout->addWidget(title);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("folder_status"));
    m_status->setTextFormat(Qt::PlainText);
    // Only a browser asked for a status line (BIF_STATUSTEXT) has one.
    m_status->setVisible(GetDlgItem(m_hBrowser, ui::kFolderBrowserStatusId) != nullptr);
    m_status->setText(ControlText(m_hBrowser, ui::kFolderBrowserStatusId));

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QDir::rootPath());
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("folder_tree"));
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setMinimumSize(320, 300);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_status);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = m_buttons->button(QDialogButtonBox::Ok);
    QPushButton* cancel = m_buttons->button(QDialogButtonBox::Cancel);
    ok->setObjectName(QStringLiteral("folder_ok"));
    cancel->setObjectName(QStringLiteral("folder_cancel"));
    if (const QString text = ControlText(m_hBrowser, IDOK); !text.isEmpty())
        ok->setText(text);
    if (const QString text = ControlText(m_hBrowser, IDCANCEL); !text.isEmpty())
        cancel->setText(text);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_buttons);

    // Folders load in the background and push the selection down: keep it in sight.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        const QModelIndex current = m_tree->currentIndex();
        if (current.isValid() && m_model->filePath(current).startsWith(loaded))
            m_tree->scrollTo(current, QAbstractItemView::PositionAtCenter);
    });
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { OnCurrentChanged(current); });
    win::AddWindowObserver(m_hBrowser, this);
    Select(ControlText(m_hBrowser, ui::kFolderBrowserSelectionId));
    UpdateOk();
}

FolderBrowserView::~FolderBrowserView() {
    if (m_hBrowser != nullptr)
        win::RemoveWindowObserver(m_hBrowser, this);
}

void FolderBrowserView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_tree->currentIndex().isValid())
        m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
}

std::optional<std::string> FolderBrowserView::SelectedPath() const {
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid())
        return std::nullopt;
    return m_model->filePath(current).toStdString();
}

void FolderBrowserView::Select(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return;
    const QModelIndex index = m_model->index(QFileInfo(path).absoluteFilePath());
    if (!index.isValid() || index == m_tree->currentIndex())
        return;
    m_tree->setCurrentIndex(index);
    m_tree->expand(index);
    m_tree->scrollTo(index); // opens the folders above it
}

void FolderBrowserView::OnCurrentChanged(const QModelIndex& current) {
    UpdateOk();
    if (!current.isValid() || !m_request.selectionChanged)
        return;
    try {
        m_request.selectionChanged(m_model->filePath(current).toStdString());
    } catch (...) {
        // The browser's callback failed its own work; the user can go on choosing.
    }
}

void FolderBrowserView::UpdateOk() {
    const HWND ok = m_hBrowser != nullptr ? GetDlgItem(m_hBrowser, IDOK) : nullptr;
    m_buttons->button(QDialogButtonBox::Ok)
        ->setEnabled(m_tree->currentIndex().isValid() && (ok == nullptr || IsWindowEnabled(ok)));
}

void FolderBrowserView::OnTextChanged(HWND hwnd, std::string_view text) {
    if (m_hBrowser == nullptr)
        return;
    if (hwnd == GetDlgItem(m_hBrowser, ui::kFolderBrowserStatusId))
        m_status->setText(ToQt(text));
    else if (hwnd == GetDlgItem(m_hBrowser, ui::kFolderBrowserSelectionId))
        Select(ToQt(text));
}

void FolderBrowserView::OnEnabledChanged(HWND hwnd, bool) {
    if (m_hBrowser != nullptr && hwnd == GetDlgItem(m_hBrowser, IDOK))
        UpdateOk();
}

void FolderBrowserView::OnDestroyed(HWND hwnd) {
    if (hwnd != m_hBrowser)
        return;
    m_hBrowser = nullptr;
    reject();
}

} // namespace vortan::gui
