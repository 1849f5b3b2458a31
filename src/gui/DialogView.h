#pragma once

#include <map>

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "platform/WinDef.h"
#include "platform/win/IWindowObserver.h"

class QCloseEvent;
class QContextMenuEvent;
class QEvent;
class QKeyEvent;
class QPixmap;

namespace vortan::gui {

// Draws one dialog of the window model and forwards the user's input into it. It holds no state
// of its own: it reads the model when it repaints, and every click, key and close box becomes
// the message the model expects (BM_CLICK, WM_KEYDOWN, WM_CLOSE), so decisions stay in the
// dialog's handlers. Texts and progress are repainted at most every 20 ms, always ending on
// the latest state; UpdateWindow repaints at once, for when no loop runs to do it (the
// progress window asks so, at most every 20 ms, while a component call holds the loop).
// The window's system menu (GetSystemMenu) is its context menu: a right click anywhere on the
// window, reachable even while the dialog is disabled, as the title bar's menu is.
class DialogView final : public QWidget, private win::IWindowObserver {
public:
    // Builds the widgets from the model's dialog and attaches itself as its observer. The view
    // stays above `owner` (the view of the dialog's parent window) and opens centred over it.
    explicit DialogView(HWND dialog, QWidget* owner = nullptr);
    ~DialogView() override;
    DialogView(const DialogView&) = delete;
    DialogView& operator=(const DialogView&) = delete;

    HWND Dialog() const { return m_hDialog; }
    // Dialog units of the view's font to pixels.
    int PixelsX(int dialogUnits) const { return dialogUnits * m_nAvgWidth / 4; }
    int PixelsY(int dialogUnits) const { return dialogUnits * m_nHeight / 8; }
    // Brings the widgets in line with the model now.
    void Sync();
    // False while the model's dialog is disabled: clicks, keys and the close box are dropped.
    bool AcceptsInput() const { return m_bInputEnabled; }

    // Icons by resource id: the system warning icon from the style, ours from the resources.
    static QPixmap IconPixmap(int iconId, int size);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnTextChanged(HWND hwnd, std::string_view text) override;
    void OnVisibilityChanged(HWND hwnd, bool visible, bool minimized) override;
    void OnEnabledChanged(HWND hwnd, bool enabled) override;
    void OnProgressChanged(HWND hwnd, int lower, int upper, int position) override;
    void OnIconChanged(HWND hwnd, int iconId) override;
    void OnUpdate(HWND hwnd) override;
    void OnDestroyed(HWND hwnd) override;

    void BuildControls();
    void ScheduleSync();
    void ApplyVisibility();
    void ApplyEnabled(bool enabled);
    void FocusFirstControl();
    // The model's control behind a widget of this view; null for none.
    HWND ControlOf(const QWidget* widget) const;
    // Sends a message to the model from a Qt event; nothing may escape into Qt.
    void Forward(HWND hwnd, UINT message, WPARAM wParam);

    HWND m_hDialog = nullptr;
    QPointer<QWidget> m_owner;
    std::map<HWND, QWidget*> m_controls; // children of this widget, in tab order
    int m_nAvgWidth = 0;
    int m_nHeight = 0;
    bool m_bHasCloseBox = false;
    bool m_bInputEnabled = true;
    QTimer m_syncTimer;
    QElapsedTimer m_sinceSync;
};

} // namespace vortan::gui
