#pragma once

#include <deque>
#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include "gui/QtDialogService.h"
#include "platform/ui/IDialogService.h"

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

// The visible top-level window named `name`.
template <typename T = QWidget>
T* Shown(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(name) && widget->isVisible())
            return qobject_cast<T*>(widget);
    }
    return nullptr;
}

// Plays the user while a modal window runs: each step is tried from the loop until it finds
// what it needs on the screen and returns true. A step that never can shuts the windows, so
// that a broken view fails the test instead of hanging it.
class User final {
public:
    explicit User(std::deque<std::function<bool()>> steps) : m_steps(std::move(steps)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(5);
    }
    bool Done() const { return m_steps.empty(); }

private:
    void Poll() {
        if (m_steps.empty())
            return;
        if (m_steps.front()()) {
            m_steps.pop_front();
            m_tries = 0;
        } else if (++m_tries > 2000) {
            ADD_FAILURE() << "a step never found its window";
            m_steps.clear();
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                    dialog->reject();
        }
    }
    std::deque<std::function<bool()>> m_steps;
    QTimer m_timer;
    int m_tries = 0;
};

// Clicks from the loop rather than from the step: the click may open a nested modal window,
// which the next steps must be able to answer.
inline void ClickLater(QAbstractButton* button) {
    QTimer::singleShot(0, button, [button] { button->click(); });
}

} // namespace vortan::test
