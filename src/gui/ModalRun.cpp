#include "gui/ModalRun.h"

#include <QDialog>

#include "platform/win/WinUser.h"
#include "platform/win/WindowTable.h"

namespace vortan::gui {

int RunModalDialog(QDialog& dialog, HWND owner) {
    // A control as owner stands for its window, as on the platform.
    HWND ownerWindow = owner;
    for (auto window = win::WindowTable::Instance().Find(ownerWindow);
         window && window->Kind() != win::WindowKind::Dialog;
         window = win::WindowTable::Instance().Find(window->Parent()))
        ownerWindow = window->Parent();
    const bool disableOwner = ownerWindow != nullptr && IsWindowEnabled(ownerWindow) != FALSE;
    if (disableOwner)
        EnableWindow(ownerWindow, FALSE);
    bool done = false;
    const QMetaObject::Connection finished =
        QObject::connect(&dialog, &QDialog::finished, &dialog, [&done] {
            done = true;
            PostMessage(nullptr, WM_NULL, 0, 0); // wakes the loop below
        });
    dialog.open();
    MSG msg;
    while (!done) {
        if (GetMessage(&msg, nullptr, 0, 0) == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // for the loop outside
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    QObject::disconnect(finished);
    if (disableOwner && IsWindow(ownerWindow))
        EnableWindow(ownerWindow, TRUE);
    if (!done) {
        dialog.hide();
        return -1;
    }
    return dialog.result();
}

} // namespace vortan::gui
