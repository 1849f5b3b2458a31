#pragma once

#include <atomic>
#include <memory>

#include "platform/win/ILoopBackend.h"
#include "platform/win/LoopBackendScope.h"

class QObject;

namespace vortan::win {

// The backend for the Qt program: while the message loop waits, Qt's own events (bus calls,
// input, paint, QTimers) are delivered on the same thread. A wake from another thread is a
// queued invocation, so it cannot be lost between the queue's look and the sleep.
class QtLoopBackend final : public ILoopBackend {
public:
    // Needs the QCoreApplication; lives on the thread that creates it.
    QtLoopBackend();
    ~QtLoopBackend() override;

    QtLoopBackend(const QtLoopBackend&) = delete;
    QtLoopBackend& operator=(const QtLoopBackend&) = delete;

    void Wait(std::optional<Clock::time_point> deadline) override;
    void Wake() override;

private:
    class Receiver;

    std::unique_ptr<Receiver> m_receiver;
    std::atomic<bool> m_wakePending = false;
};

// Program start, after the QApplication exists: the message loop runs on Qt until the
// returned scope ends.
[[nodiscard]] std::unique_ptr<LoopBackendScope> InstallQtLoopBackend();

} // namespace vortan::win
