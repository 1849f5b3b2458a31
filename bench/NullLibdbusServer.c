/* The smallest libdbus server: the lower yardstick of bench_activation. Like the Qt one it
 * claims its name, answers CreateInstance with an object path and every other call with an
 * int32 0, and ends after CloseServer. */

#include <stdio.h>
#include <string.h>

#include <dbus/dbus.h>

static int g_quit = 0;

static DBusHandlerResult Handle(DBusConnection* connection, DBusMessage* message, void* data) {
    (void)data;
    if (dbus_message_get_type(message) != DBUS_MESSAGE_TYPE_METHOD_CALL)
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    DBusMessage* reply = dbus_message_new_method_return(message);
    if (reply == NULL)
        return DBUS_HANDLER_RESULT_NEED_MEMORY;
    const char* member = dbus_message_get_member(message);
    if (member != NULL && strcmp(member, "CreateInstance") == 0) {
        const char* path = "/Null/Object";
        dbus_message_append_args(reply, DBUS_TYPE_OBJECT_PATH, &path, DBUS_TYPE_INVALID);
    } else {
        dbus_int32_t zero = 0;
        dbus_message_append_args(reply, DBUS_TYPE_INT32, &zero, DBUS_TYPE_INVALID);
        if (member != NULL && strcmp(member, "CloseServer") == 0)
            g_quit = 1;
    }
    dbus_connection_send(connection, reply, NULL);
    dbus_message_unref(reply);
    return DBUS_HANDLER_RESULT_HANDLED;
}

int main(int argc, char** argv) {
    const char* name = argc > 1 ? argv[1] : "org.example.CNullServer";
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* connection = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
    if (connection == NULL) {
        fprintf(stderr, "no session bus: %s\n", error.message);
        return 1;
    }
    static const DBusObjectPathVTable vtable = {NULL, Handle, NULL, NULL, NULL, NULL};
    dbus_connection_register_fallback(connection, "/Null", &vtable, NULL);
    if (dbus_bus_request_name(connection, name, DBUS_NAME_FLAG_DO_NOT_QUEUE, &error) !=
        DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER)
        return 1;
    while (!g_quit && dbus_connection_read_write_dispatch(connection, -1)) {
    }
    dbus_connection_flush(connection);
    dbus_connection_close(connection);
    dbus_connection_unref(connection);
    return 0;
}
