#include "platform/win/qt/QtLoopBackend.h"

#include <chrono>

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <QTimerEvent>

namespace vortan::win {

// Receives the wake invocations and owns the deadline timer; a plain QObject, no signals.
class QtLoopBackend::Receiver final : public QObject {
public:
    int m_deadlineTimer = 0;

protected:
    void timerEvent(QTimerEvent* event) override {
        // One shot: the event itself made processEvents return, which is all it is for.
        if (event->timerId() == m_deadlineTimer) {
            killTimer(m_deadlineTimer);
            m_deadlineTimer = 0;
        }
    }
};

QtLoopBackend::QtLoopBackend() : m_receiver(std::make_unique<Receiver>()) {}

QtLoopBackend::~QtLoopBackend() = default;

void QtLoopBackend::Wait(std::optional<Clock::time_point> deadline) {
    if (m_wakePending.load()) {
        // A wake is on its way; deliver what is there without sleeping.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    if (deadline) {
        const auto remaining =
            std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
        if (remaining.count() <= 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            return;
        }
        if (m_receiver->m_deadlineTimer != 0)
            m_receiver->killTimer(m_receiver->m_deadlineTimer);
        m_receiver->m_deadlineTimer = m_receiver->startTimer(remaining, Qt::PreciseTimer);
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (m_receiver->m_deadlineTimer != 0) {
        m_receiver->killTimer(m_receiver->m_deadlineTimer);
        m_receiver->m_deadlineTimer = 0;
    }
}

void QtLoopBackend::Wake() {
    // One invocation in flight is enough; it is cleared on the window thread when delivered.
    if (m_wakePending.exchange(true))
        return;
    QMetaObject::invokeMethod(
        m_receiver.get(), [this] { m_wakePending.store(false); }, Qt::QueuedConnection);
}

std::unique_ptr<LoopBackendScope> InstallQtLoopBackend() {
    return std::make_unique<LoopBackendScope>(std::make_unique<QtLoopBackend>());
}

} // namespace vortan::win
