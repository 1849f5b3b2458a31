#include "gui/FileEditView.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>
#include <QUrl>

#include "platform/ui/CommCtrl.h"
#include "platform/ui/ShellApi.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"
#include "platform/win/WindowTable.h"
#include "selection/FileEditCtrl.h"

namespace vortan::gui {
namespace {

QString ToQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

LPARAM PackPoint(POINT point) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(point.x)),
                      static_cast<WORD>(static_cast<short>(point.y)));
}

// The local files of a drop from a file manager, in its order; none for anything else.
std::vector<std::string> LocalFiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files.push_back(url.toLocalFile().toStdString());
    }
    return files;
}

void SyncModifiers(Qt::KeyboardModifiers modifiers) {
    win::SetKeyState(VK_CONTROL, modifiers.testFlag(Qt::ControlModifier));
    win::SetKeyState(VK_SHIFT, modifiers.testFlag(Qt::ShiftModifier));
}

} // namespace

FileEditView::FileEditView(HWND edit, QWidget* parent)
    : QLineEdit(parent), m_hWnd(edit), m_hParent(GetParent(edit)), m_dc([this] { update(); }) {
    setObjectName(QStringLiteral("fileedit"));
    setMouseTracking(true);
    setAcceptDrops(true);
    setText(ToQt(win::GetWindowTextString(edit)));
    setReadOnly(win::IsEditReadOnly(edit));
    setEnabled(IsWindowEnabled(edit) != FALSE);
    PainterDeviceContext::SetSysColors(palette());
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_hWnd != nullptr)
            SetWindowText(m_hWnd, text.toUtf8().constData());
    });
    win::AddWindowObserver(edit, this);
    ui::SetWindowDeviceContext(edit, &m_dc);
    UpdateMargins();
}

FileEditView::~FileEditView() {
    if (m_hWnd != nullptr) {
        ui::SetWindowDeviceContext(m_hWnd, nullptr);
        win::RemoveWindowObserver(m_hWnd, this);
    }
}

QRect FileEditView::ButtonRect() const {
    const CFileEditCtrl* control = m_hWnd != nullptr ? CFileEditCtrl::FromHandle(m_hWnd) : nullptr;
    if (control == nullptr)
        return {};
    const RECT& button = control->GetButtonRect();
    return {static_cast<int>(button.left) + Inset(), static_cast<int>(button.top) + Inset(),
            static_cast<int>(button.right - button.left),
            static_cast<int>(button.bottom - button.top)};
}

int FileEditView::Inset() const {
    if (!hasFrame())
        return 0;
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
}

bool FileEditView::Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (m_hWnd == nullptr || IsWindow(m_hWnd) == FALSE)
        return false;
    try {
        const LRESULT answer = SendMessage(m_hWnd, message, wParam, lParam);
        if (result != nullptr)
            *result = answer;
    } catch (...) {
        // A handler that throws has failed its own work; the view carries on.
    }
    return true;
}

void FileEditView::SyncGeometry() {
    if (m_hWnd == nullptr)
        return;
    const int inset = Inset();
    const QPoint origin = mapToGlobal(QPoint(inset, inset));
    const int cx = std::max(0, width() - 2 * inset);
    const int cy = std::max(0, height() - 2 * inset);
    RECT current;
    if (GetWindowRect(m_hWnd, &current) && current.left == origin.x() &&
        current.top == origin.y() && current.right - current.left == cx &&
        current.bottom - current.top == cy)
        return;
    try {
        SetWindowPos(m_hWnd, nullptr, origin.x(), origin.y(), cx, cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } catch (...) {
        // The control keeps its old frame.
    }
    UpdateMargins();
}

void FileEditView::UpdateMargins() {
    // The text stays out of the button: the margins are what the model left of the window
    // beside its client area.
    RECT window;
    if (m_hWnd == nullptr || !GetWindowRect(m_hWnd, &window) || IsRectEmpty(&window)) {
        setTextMargins(0, 0, 0, 0);
        return;
    }
    const RECT client = win::GetClientAreaInWindow(m_hWnd);
    const int left = std::max(0, static_cast<int>(client.left));
    const int right = std::max(0, static_cast<int>((window.right - window.left) - client.right));
    if (textMargins() != QMargins(left, 0, right, 0))
        setTextMargins(left, 0, right, 0);
}

POINT FileEditView::ToScreen(QPoint point) const {
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    return {window.left + point.x() - Inset(), window.top + point.y() - Inset()};
}

POINT FileEditView::ToClient(QPoint point) const {
    POINT screen = ToScreen(point);
    ScreenToClient(m_hWnd, &screen);
    return screen;
}

bool FileEditView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QLineEdit::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    QRect area;
    const std::string text = ToolText(help->pos(), area);
    if (text.empty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), ToQt(text), this, area);
    }
    return true;
}

std::string FileEditView::ToolText(QPoint point, QRect& area) {
    const CFileEditCtrl* control = m_hWnd != nullptr ? CFileEditCtrl::FromHandle(m_hWnd) : nullptr;
    if (control == nullptr || !control->HasTooltip())
        return {};
    const POINT client = ToClient(point);
    const RECT clientArea = win::GetClientAreaInWindow(m_hWnd);
    for (UINT_PTR tool : {UINT_PTR{1}, UINT_PTR{2}}) {
        const RECT rect = control->GetToolRect(tool);
        if (PtInRect(&rect, client) == FALSE)
            continue;
        NMTTDISPINFOA info;
        info.hdr.hwndFrom = m_hWnd;
        info.hdr.idFrom = tool;
        info.hdr.code = TTN_NEEDTEXTA;
        if (!Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info)))
            return {};
        area = QRect(static_cast<int>(rect.left + clientArea.left) + Inset(),
                     static_cast<int>(rect.top + clientArea.top) + Inset(),
                     static_cast<int>(rect.right - rect.left),
                     static_cast<int>(rect.bottom - rect.top));
        if (info.lpszText != nullptr && info.lpszText != LPSTR_TEXTCALLBACKA)
            return info.lpszText;
        return std::string(info.szText, strnlen(info.szText, sizeof info.szText));
    }
    return {};
}

void FileEditView::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    if (m_hWnd == nullptr)
        return;
    QPainter painter(this);
    m_dc.Begin(&painter, QPoint(Inset(), Inset()), palette());
    Send(WM_NCPAINT, 1, 0); // the control draws its button in the state it keeps
    m_dc.End();
}

void FileEditView::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    SyncGeometry();
}

void FileEditView::moveEvent(QMoveEvent* event) {
    QLineEdit::moveEvent(event);
    SyncGeometry();
}

void FileEditView::showEvent(QShowEvent* event) {
    QLineEdit::showEvent(event);
    SyncGeometry();
}

void FileEditView::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        PainterDeviceContext::SetSysColors(palette());
    if (event->type() == QEvent::StyleChange)
        SyncGeometry();
}

void FileEditView::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // The control selects its whole text when it gets the focus.
    if (m_hWnd != nullptr && GetFocus() != m_hWnd && IsWindow(m_hWnd)) {
        try {
            SetFocus(m_hWnd);
        } catch (...) {
        }
        const auto [start, end] = win::GetEditSelection(m_hWnd);
        if (start == 0 && end >= static_cast<int>(win::GetWindowTextString(m_hWnd).size()) &&
            end > 0 && event->reason() != Qt::MouseFocusReason)
            selectAll();
    }
}

bool FileEditView::PressOnButton(QMouseEvent* event, UINT message) {
    if (event->button() != Qt::LeftButton || m_hWnd == nullptr)
        return false;
    SyncModifiers(event->modifiers());
    const LPARAM point = PackPoint(ToScreen(event->position().toPoint()));
    LRESULT hit = HTNOWHERE;
    if (!Send(WM_NCHITTEST, 0, point, &hit) || hit == HTCLIENT || hit == HTNOWHERE)
        return false;
    const QPointer<FileEditView> self(this);
    Send(message, static_cast<WPARAM>(hit), point);
    if (self && GetCapture() == m_hWnd && focusPolicy() != Qt::NoFocus)
        setFocus(Qt::MouseFocusReason);
    event->accept();
    return true;
}

void FileEditView::mousePressEvent(QMouseEvent* event) {
    if (!PressOnButton(event, WM_NCLBUTTONDOWN))
        QLineEdit::mousePressEvent(event);
}

void FileEditView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!PressOnButton(event, WM_NCLBUTTONDBLCLK))
        QLineEdit::mouseDoubleClickEvent(event);
}

void FileEditView::mouseMoveEvent(QMouseEvent* event) {
    if (m_hWnd != nullptr && GetCapture() == m_hWnd) {
        Send(WM_MOUSEMOVE, 0, PackPoint(ToClient(event->position().toPoint())));
        event->accept();
        return;
    }
    // The button is no text: the arrow over it, the text cursor elsewhere.
    setCursor(ButtonRect().contains(event->position().toPoint()) ? Qt::ArrowCursor
                                                                 : Qt::IBeamCursor);
    QLineEdit::mouseMoveEvent(event);
}

void FileEditView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_hWnd != nullptr && GetCapture() == m_hWnd) {
        SyncModifiers(event->modifiers());
        event->accept();
        // May browse: a modal dialog runs inside.
        Send(WM_LBUTTONUP, 0, PackPoint(ToClient(event->position().toPoint())));
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void FileEditView::keyPressEvent(QKeyEvent* event) {
    SyncModifiers(event->modifiers());
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    WPARAM key = 0;
    if (event->key() == Qt::Key_Period)
        key = keypad ? VK_DECIMAL : VK_OEM_PERIOD;
    else if (event->key() == Qt::Key_Comma && keypad)
        key = VK_DECIMAL; // the keypad's separator key on layouts with a decimal comma
    if (key != 0 && m_hWnd != nullptr) {
        const QPointer<FileEditView> self(this);
        const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
        Send(WM_KEYDOWN, key, 0); // with Ctrl the control browses
        if (ctrl || !self) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void FileEditView::keyReleaseEvent(QKeyEvent* event) {
    SyncModifiers(event->modifiers());
    QLineEdit::keyReleaseEvent(event);
}

void FileEditView::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).empty() && m_hWnd != nullptr)
        event->acceptProposedAction();
    else
        QLineEdit::dragEnterEvent(event);
}

void FileEditView::dragMoveEvent(QDragMoveEvent* event) {
    if (!LocalFiles(event->mimeData()).empty() && m_hWnd != nullptr)
        event->acceptProposedAction();
    else
        QLineEdit::dragMoveEvent(event);
}

void FileEditView::dropEvent(QDropEvent* event) {
    const std::vector<std::string> files = LocalFiles(event->mimeData());
    if (files.empty() || m_hWnd == nullptr) {
        QLineEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    const HDROP drop = ui::CreateDrop(files);
    if (!Send(WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0))
        DragFinish(drop); // nobody took it over
}

template <typename Change>
void FileEditView::TellParent(Change&& change) const {
    if (m_hParent != nullptr)
        win::WindowTable::Instance().Notify(m_hParent, change);
}

void FileEditView::OnTextChanged(HWND hwnd, std::string_view text) {
    if (hwnd == m_hWnd) {
        const QString shown = ToQt(text);
        if (this->text() != shown)
            setText(shown);
    }
    TellParent([&](win::IWindowObserver& next) { next.OnTextChanged(hwnd, text); });
}

void FileEditView::OnVisibilityChanged(HWND hwnd, bool visible, bool minimized) {
    TellParent(
        [&](win::IWindowObserver& next) { next.OnVisibilityChanged(hwnd, visible, minimized); });
}

void FileEditView::OnEnabledChanged(HWND hwnd, bool enabled) {
    if (hwnd == m_hWnd)
        setEnabled(enabled);
    TellParent([&](win::IWindowObserver& next) { next.OnEnabledChanged(hwnd, enabled); });
}

void FileEditView::OnProgressChanged(HWND hwnd, int lower, int upper, int position) {
    TellParent(
        [&](win::IWindowObserver& next) { next.OnProgressChanged(hwnd, lower, upper, position); });
}

void FileEditView::OnIconChanged(HWND hwnd, int iconId) {
    TellParent([&](win::IWindowObserver& next) { next.OnIconChanged(hwnd, iconId); });
}

void FileEditView::OnUpdate(HWND hwnd) {
    repaint();
    TellParent([&](win::IWindowObserver& next) { next.OnUpdate(hwnd); });
}

void FileEditView::OnFrameChanged(HWND hwnd) {
    if (hwnd == m_hWnd) {
        UpdateMargins();
        update();
    }
    TellParent([&](win::IWindowObserver& next) { next.OnFrameChanged(hwnd); });
}

void FileEditView::OnDestroyed(HWND hwnd) {
    if (hwnd == m_hWnd) {
        ui::SetWindowDeviceContext(m_hWnd, nullptr);
        m_hWnd = nullptr;
        update();
    }
    TellParent([&](win::IWindowObserver& next) { next.OnDestroyed(hwnd); });
}

} // namespace vortan::gui
