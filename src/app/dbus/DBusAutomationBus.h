#pragma once

// The session bus as the program's object-activation mechanism: the class factory object,
// the single-use rule, the automation object's lifetime and the end of the process when the
// bus goes away.

#include <memory>

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include "app/IAutomationHost.h"

namespace vortan::app {

class DBusApplicationObject;
class DBusClassFactory;
class LoopCallQueue;

class DBusAutomationBus final : public QObject, public IAutomationHost {
public:
    DBusAutomationBus();
    ~DBusAutomationBus() override;

    bool Initialize() override;
    void RegisterClassObjects(CVORTANApp& app) override;
    // The service file and the ProgID entry; the bus then reads its service files again.
    void WriteRegistration(const std::filesystem::path& program) override;

    // Non-zero when the process ended because the bus went away or no client came.
    int ExitCode() const { return m_nExitCode; }
    // Blocks until everything sent so far has left: the last reply before the process exits.
    void Flush();

private:
    void CreateInstance(const class QDBusMessage& message);
    void Quit(int exitCode);

    QDBusConnection m_connection;
    CVORTANApp* m_pApp = nullptr;
    std::unique_ptr<LoopCallQueue> m_queue; // outlives the objects that post into it
    std::unique_ptr<DBusClassFactory> m_factory;
    std::unique_ptr<DBusApplicationObject> m_object;
    QTimer m_activationTimer;
    QTimer m_connectionTimer;
    bool m_bServed = false;
    int m_nExitCode = 0;
};

} // namespace vortan::app
