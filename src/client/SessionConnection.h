#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include <dbus/dbus.h>

#include "vortan/AutomationClient.h"

namespace vortan::client {

struct MessageUnref {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using MessagePtr = std::unique_ptr<DBusMessage, MessageUnref>;

// The answer to a call: the method's return, or the error the server, the bus or this side
// gave (then `message` is null).
struct BusReply {
    MessagePtr message;
    std::string errorName;
    std::string errorText;

    bool Failed() const { return !errorName.empty(); }
};

// One automation object's connection to the session bus. Private, so that other libdbus users
// of the process (QtDBus, a second object) neither see its messages nor share its fate; it is
// read only while one of its calls waits, and closed with it.
class SessionConnection final {
public:
    // Null if the bus cannot be reached; `error` says why.
    static std::unique_ptr<SessionConnection> Open(std::string& error);
    ~SessionConnection();
    SessionConnection(const SessionConnection&) = delete;
    SessionConnection& operator=(const SessionConnection&) = delete;

    bool Connected() const;

    // Sends `call` and waits for its answer without a time limit, but not beyond the end of the
    // connection or of the watched server: those end the wait with an error saying so.
    // Progress signals that arrive meanwhile go to the handler, in order.
    BusReply Call(DBusMessage* call);

    // From now on calls end when `server` (a unique name) leaves the bus.
    void WatchServer(const std::string& server);
    // `handler` gets the watched server's Progress signals while a call waits; empty stops it.
    void SetProgressHandler(std::function<void(const Progress&)> handler);

private:
    explicit SessionConnection(DBusConnection* connection) : m_connection(connection) {}
    static DBusHandlerResult Filter(DBusConnection* connection, DBusMessage* message, void* self);
    void OnSignal(DBusMessage* message);
    void TakeOwnerCheck();
    void DeliverProgress();
    std::string ProgressRule() const;

    DBusConnection* m_connection;
    bool m_filtered = false;
    std::string m_server;
    bool m_serverGone = false;
    // Whether the server was still there when its watch began; answered during a later call.
    DBusPendingCall* m_ownerCheck = nullptr;
    std::function<void(const Progress&)> m_progress;
    // Received during dispatch, handed on after it: a handler may call the object again.
    std::deque<Progress> m_received;
};

} // namespace vortan::client
