#pragma once

#include "gui/QtDialogService.h"
#include "platform/ui/IDialogService.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace vortan::test {

// Installs the Qt dialog service for one test.
class ViewsInstalled final {
public:
    ViewsInstalled() : m_previous(ui::SetDialogService(&service)) {}
    ~ViewsInstalled() { ui::SetDialogService(m_previous); }
    ViewsInstalled(const ViewsInstalled&) = delete;
    ViewsInstalled& operator=(const ViewsInstalled&) = delete;

    gui::QtDialogService service;

private:
    ui::IDialogService* m_previous;
};

// The widget of a dialog item.
template <typename T>
T* Find(QWidget* view, int id) {
    return view->findChild<T*>(QStringLiteral("dlgitem_%1").arg(id));
}

inline void SendKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

} // namespace vortan::test
