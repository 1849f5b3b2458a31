#include "gui/DialogView.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include "gui/FileEditView.h"
#include "platform/win/WinUser.h"
#include "platform/win/Window.h"
#include "platform/win/WindowModel.h"
#include "platform/win/WindowTable.h"
#include "resources/Resources.h"
#include "selection/FileEditCtrl.h"

namespace vortan::gui {
namespace {

constexpr int kRepaintIntervalMs = 20;

std::shared_ptr<win::Window> ModelOf(HWND hwnd) {
    return win::WindowTable::Instance().Find(hwnd);
}

QString ToQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ObjectName(int id) {
    return QStringLiteral("dlgitem_%1").arg(id);
}

// The dialog font: the platform's "MS Sans Serif" (and any other face) is the desktop's sans
// serif font at the template's size.
QFont DialogFont(int pointSize) {
    QFont font = QApplication::font();
    font.setPointSize(pointSize > 0 ? pointSize : 8);
    return font;
}

} // namespace

QPixmap DialogView::IconPixmap(int iconId, int size) {
    if (iconId == IDI_WARNING_ID)
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size);
    const int own = iconId == IDI_APPLICATION_ID ? resources::IDI_VORTAN : iconId;
    const auto bytes = resources::FindIconResource(own);
    QPixmap pixmap;
    if (!bytes.empty() && pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()), "PNG"))
        return pixmap.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return {};
}

DialogView::DialogView(HWND dialog, QWidget* owner) : m_hDialog(dialog), m_owner(owner) {
    const auto model = ModelOf(dialog);
    const DWORD style = model ? model->Style() : 0;
    setObjectName(QStringLiteral("dialog_%1").arg(model ? model->Id() : 0));
    setFont(DialogFont(model ? model->FontPointSize() : 8));
    // The platform's average character width: the mean advance of the 52 letters, rounded.
    const QFontMetrics metrics(font());
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nAvgWidth = std::max(1, (letters / 26 + 1) / 2);
    m_nHeight = std::max(1, metrics.height());

    m_bHasCloseBox = (style & WS_SYSMENU) != 0;
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (m_bHasCloseBox)
        flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
    setWindowFlags(flags);
    setWindowIcon(QIcon(IconPixmap(resources::IDI_VORTAN, 64)));
    if (model)
        setFixedSize(PixelsX(model->Width()), PixelsY(model->Height()));

    m_syncTimer.setSingleShot(true);
    connect(&m_syncTimer, &QTimer::timeout, this, [this] { Sync(); });
    m_sinceSync.start();

    BuildControls();
    Sync();
    win::AddWindowObserver(dialog, this);
    ApplyVisibility();
}

DialogView::~DialogView() {
    if (m_hDialog != nullptr)
        win::RemoveWindowObserver(m_hDialog, this);
}

void DialogView::BuildControls() {
    const auto model = ModelOf(m_hDialog);
    if (!model)
        return;
    QWidget* previous = nullptr;
    for (HWND child : model->Children()) {
        const auto control = ModelOf(child);
        if (!control)
            continue;
        QWidget* widget = nullptr;
        switch (control->Kind()) {
        case win::WindowKind::Button: {
            auto* button = new QPushButton(this);
            button->setAutoDefault(false);
            button->setDefault(control->IsDefaultButton());
            button->installEventFilter(this);
            connect(button, &QPushButton::clicked, this,
                    [this, child] { Forward(child, BM_CLICK, 0); });
            widget = button;
            break;
        }
        case win::WindowKind::GroupBox:
            widget = new QGroupBox(this);
            break;
        case win::WindowKind::ProgressBar: {
            auto* bar = new QProgressBar(this);
            bar->setTextVisible(false);
            widget = bar;
            break;
        }
        case win::WindowKind::Edit: {
            if (CFileEditCtrl::FromHandle(child) != nullptr) {
                // A file edit control draws its own browse button and takes drops.
                widget = new FileEditView(child, this);
                widget->installEventFilter(this);
                break;
            }
            auto* edit = new QLineEdit(this);
            edit->installEventFilter(this);
            connect(edit, &QLineEdit::textEdited, this, [child](const QString& text) {
                SetWindowText(child, text.toUtf8().constData());
            });
            widget = edit;
            break;
        }
        case win::WindowKind::Icon: {
            auto* icon = new QLabel(this);
            icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = icon;
            break;
        }
        default: {
            auto* label = new QLabel(this);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = label;
            break;
        }
        }
        widget->setObjectName(ObjectName(control->Id()));
        widget->setGeometry(PixelsX(control->X()), PixelsY(control->Y()), PixelsX(control->Width()),
                            PixelsY(control->Height()));
        if (control->Kind() == win::WindowKind::GroupBox)
            widget->lower(); // the frame stays behind what it frames
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previous != nullptr)
                QWidget::setTabOrder(previous, widget);
            previous = widget;
        }
        m_controls.emplace(child, widget);
    }
}

void DialogView::Sync() {
    m_syncTimer.stop();
    m_sinceSync.restart();
    const auto model = ModelOf(m_hDialog);
    if (!model)
        return;
    if (windowTitle() != ToQt(model->Text()))
        setWindowTitle(ToQt(model->Text()));
    ApplyEnabled(model->Enabled());
    for (const auto& [hwnd, widget] : m_controls) {
        const auto control = ModelOf(hwnd);
        if (!control)
            continue;
        const QString text = ToQt(control->Text());
        widget->setVisible(control->Visible());
        widget->setEnabled(control->Enabled());
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            if (button->text() != text)
                button->setText(text);
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            group->setTitle(text);
        } else if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
            bar->setRange(control->RangeLower(), control->RangeUpper());
            bar->setValue(control->Position());
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            if (edit->text() != text)
                edit->setText(text);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (control->Kind() == win::WindowKind::Icon) {
                const int size = std::min(widget->width(), widget->height());
                label->setPixmap(control->IconId() != 0 ? IconPixmap(control->IconId(), size)
                                                        : QPixmap());
            } else if (label->text() != text) {
                label->setText(text);
            }
        }
    }
}

void DialogView::ScheduleSync() {
    if (m_syncTimer.isActive())
        return;
    const qint64 elapsed = m_sinceSync.elapsed();
    m_syncTimer.start(static_cast<int>(std::max<qint64>(0, kRepaintIntervalMs - elapsed)));
}

void DialogView::ApplyVisibility() {
    const auto model = ModelOf(m_hDialog);
    if (!model || !model->Visible()) {
        hide();
        return;
    }
    const bool wasVisible = isVisible();
    if (!wasVisible) {
        // Opens centred over its owner and stays above it, else centred on the screen.
        if (m_owner != nullptr && m_owner->isVisible()) {
            winId(); // the native window must exist to name its transient parent
            if (QWindow* window = windowHandle(); window && m_owner->window()->windowHandle())
                window->setTransientParent(m_owner->window()->windowHandle());
            move(m_owner->geometry().center() - rect().center());
        } else if (const QScreen* screen = this->screen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
    }
    if (model->Minimized())
        showMinimized();
    else
        showNormal();
    if (!wasVisible)
        FocusFirstControl();
}

void DialogView::FocusFirstControl() {
    // The default button if there is one, else the first control that takes the focus.
    QWidget* first = nullptr;
    for (HWND child : ModelOf(m_hDialog) ? ModelOf(m_hDialog)->Children() : std::vector<HWND>{}) {
        const auto it = m_controls.find(child);
        if (it == m_controls.end() || it->second->focusPolicy() == Qt::NoFocus)
            continue;
        if (auto* button = qobject_cast<QPushButton*>(it->second); button && button->isDefault()) {
            first = button;
            break;
        }
        if (first == nullptr)
            first = it->second;
    }
    if (first != nullptr)
        first->setFocus(Qt::OtherFocusReason);
}

HWND DialogView::ControlOf(const QWidget* widget) const {
    for (const auto& [hwnd, control] : m_controls) {
        if (control == widget)
            return hwnd;
    }
    return nullptr;
}

void DialogView::ApplyEnabled(bool enabled) {
    // A disabled dialog keeps its look, as on the platform, but nothing reaches it.
    m_bInputEnabled = enabled;
    for (const auto& [hwnd, widget] : m_controls)
        widget->setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
    if (!enabled && focusWidget() != nullptr)
        focusWidget()->clearFocus();
}

void DialogView::Forward(HWND hwnd, UINT message, WPARAM wParam) {
    if (!m_bInputEnabled || IsWindowEnabled(m_hDialog) == FALSE)
        return;
    try {
        SendMessage(hwnd, message, wParam, 0);
    } catch (...) {
        // A handler that throws has failed its own work; the view carries on.
    }
}

void DialogView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The model decides what Enter presses; it needs to know where the focus is.
        ::SetFocus(ControlOf(focusWidget()));
        Forward(m_hDialog, WM_KEYDOWN, VK_RETURN);
        break;
    case Qt::Key_Escape:
        Forward(m_hDialog, WM_KEYDOWN, VK_ESCAPE);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool DialogView::eventFilter(QObject* watched, QEvent* event) {
    // Enter and Esc belong to the dialog, whichever control has the focus.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DialogView::closeEvent(QCloseEvent* event) {
    // The window goes when the model destroys or hides it; the close box only asks.
    event->ignore();
    if (m_hDialog != nullptr && m_bHasCloseBox)
        Forward(m_hDialog, WM_CLOSE, 0);
}

void DialogView::contextMenuEvent(QContextMenuEvent* event) {
    const auto model = ModelOf(m_hDialog);
    if (!model || model->SystemMenu().empty()) {
        QWidget::contextMenuEvent(event);
        return;
    }
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("systemMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const win::MenuItem& item : model->SystemMenu()) {
        if (item.separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(ToQt(item.text));
        action->setObjectName(QStringLiteral("sysmenu_%1").arg(item.id));
        // Posted: the command (a modal about box) runs from the window's loop, not from
        // inside this Qt event. It is the window's own menu, so a disabled dialog gets it too.
        const HWND dialog = m_hDialog;
        const WPARAM id = item.id;
        connect(action, &QAction::triggered, this,
                [dialog, id] { PostMessage(dialog, WM_SYSCOMMAND, id, 0); });
    }
    menu->popup(event->globalPos());
    event->accept();
}

void DialogView::OnTextChanged(HWND, std::string_view) {
    ScheduleSync();
}

void DialogView::OnVisibilityChanged(HWND hwnd, bool, bool) {
    if (hwnd == m_hDialog)
        ApplyVisibility();
    else
        ScheduleSync();
}

void DialogView::OnEnabledChanged(HWND hwnd, bool enabled) {
    // Input must stop at once; the look can wait for the next repaint.
    if (hwnd == m_hDialog)
        ApplyEnabled(enabled);
    else if (const auto it = m_controls.find(hwnd); it != m_controls.end())
        it->second->setEnabled(enabled);
}

void DialogView::OnProgressChanged(HWND, int, int, int) {
    ScheduleSync();
}

void DialogView::OnIconChanged(HWND, int) {
    ScheduleSync();
}

void DialogView::OnUpdate(HWND) {
    Sync();
    repaint();
}

void DialogView::OnDestroyed(HWND hwnd) {
    if (hwnd != m_hDialog) {
        if (const auto it = m_controls.find(hwnd); it != m_controls.end()) {
            it->second->hide();
            m_controls.erase(it);
        }
        return;
    }
    m_hDialog = nullptr;
    m_syncTimer.stop();
    hide();
}

} // namespace vortan::gui
