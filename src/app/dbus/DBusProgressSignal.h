#pragma once

// The Progress signal of the automation object: what the progress window shows (caption,
// status line, bar in percent), sent to one client. The window is read once; from then on a
// ProgressRelay hands over every change with its values. At most ten signals a second go
// out, and the last state always does, also when the window goes.

#include <chrono>
#include <memory>
#include <string>

#include <QDBusConnection>
#include <QString>
#include <QTimer>

#include "app/ProgressRelay.h"
#include "platform/WinDef.h"

namespace vortan::app {

class DBusProgressSignal final {
public:
    DBusProgressSignal(QDBusConnection connection, HWND window, QString target);
    DBusProgressSignal(const DBusProgressSignal&) = delete;
    DBusProgressSignal& operator=(const DBusProgressSignal&) = delete;

    // Who hears it: the client of the running call, else the latest one.
    void SetTarget(const QString& client) { m_strTarget = client; }
    // A change held back by the throttle goes now (the client hears it before its answer).
    void Flush();

private:
    void OnWindowChanged(const ProgressRelay::Change& change);
    void Emit();

    struct State {
        std::string caption;
        std::string status;
        int percent = -1;
        bool operator==(const State&) const = default;
    };

    QDBusConnection m_connection;
    QString m_strTarget;
    HWND m_hWindow;
    HWND m_hStatus;
    HWND m_hBar;
    State m_latest; // as the window shows it now
    State m_sent;   // as last reported
    std::chrono::steady_clock::time_point m_lastSent;
    QTimer m_timer; // the pending report of a throttled change
    std::unique_ptr<ProgressRelay> m_relay;
};

} // namespace vortan::app
