#include "app/dbus/DBusProgressSignal.h"

#include <QDBusMessage>

#include "automation/dbus/BusContract.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"
#include "resources/ResourceIds.h"

namespace vortan::app {

namespace {

// The window changes far more often than a client can draw; ten reports a second are enough.
constexpr int kIntervalMs = 100;

int Percent(long long lower, long long upper, long long position) {
    return upper > lower ? static_cast<int>((position - lower) * 100 / (upper - lower)) : 0;
}

} // namespace

DBusProgressSignal::DBusProgressSignal(QDBusConnection connection, HWND window, QString target)
    : m_connection(std::move(connection)), m_strTarget(std::move(target)), m_hWindow(window),
      m_hStatus(::GetDlgItem(window, resources::IDC_STATUS)),
      m_hBar(::GetDlgItem(window, resources::IDC_PROGRESS)) {
    m_latest.caption = win::GetWindowTextString(m_hWindow);
    m_latest.status = win::GetWindowTextString(m_hStatus);
    m_latest.percent = Percent(::SendMessage(m_hBar, PBM_GETRANGE, TRUE, 0),
                               ::SendMessage(m_hBar, PBM_GETRANGE, FALSE, 0),
                               ::SendMessage(m_hBar, PBM_GETPOS, 0, 0));
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { Emit(); });
    m_relay = std::make_unique<ProgressRelay>(
        window, [this](const ProgressRelay::Change& change) { OnWindowChanged(change); });
}

void DBusProgressSignal::Flush() {
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    Emit();
}

void DBusProgressSignal::OnWindowChanged(const ProgressRelay::Change& change) {
    using Kind = ProgressRelay::Change::Kind;
    if (change.kind == Kind::Text && change.hwnd == m_hWindow)
        m_latest.caption = change.text;
    else if (change.kind == Kind::Text && change.hwnd == m_hStatus)
        m_latest.status = change.text;
    else if (change.kind == Kind::Progress && change.hwnd == m_hBar)
        m_latest.percent = Percent(change.lower, change.upper, change.position);
    else if (change.kind != Kind::Gone)
        return;
    if (m_latest == m_sent)
        return;
    if (change.kind == Kind::Gone ||
        std::chrono::steady_clock::now() - m_lastSent >= std::chrono::milliseconds(kIntervalMs)) {
        // Sent from the bus thread, so this reaches the client even while a component call
        // keeps the loop from running.
        Emit();
        return;
    }
    if (!m_timer.isActive())
        m_timer.start(kIntervalMs);
}

void DBusProgressSignal::Emit() {
    if (m_latest == m_sent)
        return;
    m_lastSent = std::chrono::steady_clock::now();
    m_sent = m_latest;
    QDBusMessage signal = QDBusMessage::createTargetedSignal(
        m_strTarget, QString::fromLatin1(automation::kApplicationPath),
        QString::fromLatin1(automation::kApplicationInterface), QStringLiteral("Progress"));
    signal << QString::fromStdString(m_sent.caption) << QString::fromStdString(m_sent.status)
           << m_sent.percent;
    m_connection.send(signal);
}

} // namespace vortan::app
