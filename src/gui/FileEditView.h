#pragma once

#include <string>

#include <QLineEdit>

#include "gui/PainterDeviceContext.h"
#include "platform/WinDef.h"
#include "platform/win/IWindowObserver.h"

namespace vortan::gui {

// Shows the window of a file edit control (CFileEditCtrl): its text both ways, and the browse
// button the control paints into its frame. The view keeps no button state: it tells the model
// its size (SetWindowPos, which places the button), replays the control's drawing calls onto
// its painter, and hands the mouse over the button, Ctrl with the full stop, dropped files and
// tooltip requests to the control as the platform's messages. The model window is the area
// inside the line edit's frame, so the button sits within the frame as on the platform.
// It observes its own window and passes what it hears on to the view of the parent window.
class FileEditView final : public QLineEdit, private win::IWindowObserver {
public:
    explicit FileEditView(HWND edit, QWidget* parent = nullptr);
    ~FileEditView() override;
    FileEditView(const FileEditView&) = delete;
    FileEditView& operator=(const FileEditView&) = delete;

    HWND Window() const { return m_hWnd; }
    // The browse button in widget coordinates; empty while the model has placed none.
    QRect ButtonRect() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnTextChanged(HWND hwnd, std::string_view text) override;
    void OnVisibilityChanged(HWND hwnd, bool visible, bool minimized) override;
    void OnEnabledChanged(HWND hwnd, bool enabled) override;
    void OnProgressChanged(HWND hwnd, int lower, int upper, int position) override;
    void OnIconChanged(HWND hwnd, int iconId) override;
    void OnUpdate(HWND hwnd) override;
    void OnFrameChanged(HWND hwnd) override;
    void OnDestroyed(HWND hwnd) override;
    // Passes a change on to the observers of the dialog the control sits in.
    template <typename Change>
    void TellParent(Change&& change) const;

    int Inset() const;
    void SyncGeometry();
    void UpdateMargins();
    POINT ToScreen(QPoint point) const;
    POINT ToClient(QPoint point) const;
    // Sends to the control; nothing may escape into Qt. False when the window is gone.
    bool Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr);
    bool PressOnButton(QMouseEvent* event, UINT message);
    std::string ToolText(QPoint point, QRect& area);

    HWND m_hWnd = nullptr;
    HWND m_hParent = nullptr;
    PainterDeviceContext m_dc;
};

} // namespace vortan::gui
