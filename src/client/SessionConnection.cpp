#include "client/SessionConnection.h"

#include <cstring>
#include <utility>

#include "automation/dbus/BusContract.h"

namespace vortan::client {

namespace {

constexpr const char* kErrorDisconnected = "org.freedesktop.DBus.Error.Disconnected";
constexpr const char* kErrorNoReply = "org.freedesktop.DBus.Error.NoReply";

struct PendingUnref {
    void operator()(DBusPendingCall* pending) const { dbus_pending_call_unref(pending); }
};
using PendingPtr = std::unique_ptr<DBusPendingCall, PendingUnref>;

BusReply Failure(const char* name, std::string text) {
    return BusReply{nullptr, name, std::move(text)};
}

// A method's return, or the error it got.
BusReply Answer(MessagePtr reply) {
    if (dbus_message_get_type(reply.get()) != DBUS_MESSAGE_TYPE_ERROR)
        return BusReply{std::move(reply), {}, {}};
    const char* text = nullptr;
    if (!dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_STRING, &text, DBUS_TYPE_INVALID))
        text = "";
    return Failure(dbus_message_get_error_name(reply.get()), text);
}

bool IsFrom(DBusMessage* message, const std::string& sender) {
    const char* from = dbus_message_get_sender(message);
    return from != nullptr && sender == from;
}

} // namespace

std::unique_ptr<SessionConnection> SessionConnection::Open(std::string& error) {
    DBusError failure;
    dbus_error_init(&failure);
    DBusConnection* connection = dbus_bus_get_private(DBUS_BUS_SESSION, &failure);
    if (connection == nullptr) {
        error = failure.message != nullptr ? failure.message : "no session bus";
        dbus_error_free(&failure);
        return nullptr;
    }
    // A lost bus is an answer for the caller, not the end of the process.
    dbus_connection_set_exit_on_disconnect(connection, FALSE);
    std::unique_ptr<SessionConnection> self(new SessionConnection(connection));
    self->m_filtered = dbus_connection_add_filter(connection, &Filter, self.get(), nullptr);
    if (!self->m_filtered) {
        error = "out of memory";
        return nullptr;
    }
    return self;
}

SessionConnection::~SessionConnection() {
    if (m_ownerCheck != nullptr) {
        dbus_pending_call_cancel(m_ownerCheck);
        dbus_pending_call_unref(m_ownerCheck);
    }
    if (m_filtered)
        dbus_connection_remove_filter(m_connection, &Filter, this);
    dbus_connection_close(m_connection);
    dbus_connection_unref(m_connection);
}

bool SessionConnection::Connected() const {
    return dbus_connection_get_is_connected(m_connection);
}

BusReply SessionConnection::Call(DBusMessage* call) {
    DBusPendingCall* sent = nullptr;
    if (!dbus_connection_send_with_reply(m_connection, call, &sent, DBUS_TIMEOUT_INFINITE))
        return Failure(DBUS_ERROR_NO_MEMORY, "out of memory");
    PendingPtr pending(sent); // null when the connection was closed already
    // One message is dispatched at a time, in the order of arrival: an answer the server sent
    // before it left completes the call before its leaving is seen.
    while (pending && !dbus_pending_call_get_completed(pending.get()) && !m_serverGone) {
        const bool more = dbus_connection_read_write_dispatch(m_connection, -1);
        TakeOwnerCheck();
        DeliverProgress();
        if (!more)
            break;
    }
    if (pending && dbus_pending_call_get_completed(pending.get())) {
        MessagePtr reply(dbus_pending_call_steal_reply(pending.get()));
        // A connection that closes answers its open calls itself (NoReply, without a sender);
        // that is told below for what it is.
        if (reply && (dbus_message_get_sender(reply.get()) != nullptr || Connected()))
            return Answer(std::move(reply));
    } else if (pending) {
        dbus_pending_call_cancel(pending.get());
    }
    if (!Connected())
        return Failure(kErrorDisconnected,
                       "the connection to the session bus was closed during the call");
    return Failure(kErrorNoReply, "the server " + m_server + " left the bus without answering");
}

void SessionConnection::WatchServer(const std::string& server) {
    m_server = server;
    const std::string rule = "type='signal',sender='" DBUS_SERVICE_DBUS
                             "',interface='" DBUS_INTERFACE_DBUS
                             "',member='NameOwnerChanged',arg0='" +
                             server + "'";
    // Not waited for: the bus handles the rule before the question below.
    dbus_bus_add_match(m_connection, rule.c_str(), nullptr);
    // The server may have left before the rule was in place. The answer is taken in the next
    // call's wait, so the question costs no round trip of its own.
    MessagePtr ask(dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS,
                                                DBUS_INTERFACE_DBUS, "NameHasOwner"));
    const char* name = m_server.c_str();
    if (ask && dbus_message_append_args(ask.get(), DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID))
        dbus_connection_send_with_reply(m_connection, ask.get(), &m_ownerCheck,
                                        DBUS_TIMEOUT_INFINITE);
}

std::string SessionConnection::ProgressRule() const {
    return "type='signal',sender='" + m_server + "',path='" + automation::kApplicationPath +
           "',interface='" + automation::kApplicationInterface + "',member='Progress'";
}

void SessionConnection::SetProgressHandler(std::function<void(const Progress&)> handler) {
    const bool had = static_cast<bool>(m_progress);
    m_progress = std::move(handler);
    if (had == static_cast<bool>(m_progress))
        return;
    if (m_progress) {
        dbus_bus_add_match(m_connection, ProgressRule().c_str(), nullptr);
    } else {
        dbus_bus_remove_match(m_connection, ProgressRule().c_str(), nullptr);
        m_received.clear();
    }
}

DBusHandlerResult SessionConnection::Filter(DBusConnection*, DBusMessage* message, void* self) {
    if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_SIGNAL) {
        try {
            static_cast<SessionConnection*>(self)->OnSignal(message);
        } catch (...) {
            // Out of memory for a progress report: it is skipped, the call goes on.
        }
    }
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
}

void SessionConnection::OnSignal(DBusMessage* message) {
    if (dbus_message_is_signal(message, DBUS_INTERFACE_DBUS, "NameOwnerChanged")) {
        const char* name = nullptr;
        const char* oldOwner = nullptr;
        const char* newOwner = nullptr;
        if (IsFrom(message, DBUS_SERVICE_DBUS) &&
            dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING,
                                  &oldOwner, DBUS_TYPE_STRING, &newOwner, DBUS_TYPE_INVALID) &&
            !m_server.empty() && m_server == name && *newOwner == '\0')
            m_serverGone = true;
        return;
    }
    if (m_progress &&
        dbus_message_is_signal(message, automation::kApplicationInterface, "Progress") &&
        IsFrom(message, m_server) && dbus_message_has_path(message, automation::kApplicationPath)) {
        const char* caption = nullptr;
        const char* status = nullptr;
        dbus_int32_t percent = 0;
        if (dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &caption, DBUS_TYPE_STRING,
                                  &status, DBUS_TYPE_INT32, &percent, DBUS_TYPE_INVALID))
            m_received.push_back(Progress{caption, status, percent});
    }
}

void SessionConnection::TakeOwnerCheck() {
    if (m_ownerCheck == nullptr || !dbus_pending_call_get_completed(m_ownerCheck))
        return;
    PendingPtr done(std::exchange(m_ownerCheck, nullptr));
    const MessagePtr reply(dbus_pending_call_steal_reply(done.get()));
    dbus_bool_t owned = TRUE;
    if (dbus_message_get_type(reply.get()) == DBUS_MESSAGE_TYPE_METHOD_RETURN &&
        dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_BOOLEAN, &owned, DBUS_TYPE_INVALID) &&
        !owned)
        m_serverGone = true;
}

void SessionConnection::DeliverProgress() {
    while (!m_received.empty() && m_progress) {
        const Progress report = std::move(m_received.front());
        m_received.pop_front();
        // A copy: the handler may replace itself.
        const auto handler = m_progress;
        handler(report);
    }
}

} // namespace vortan::client
