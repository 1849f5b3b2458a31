#!/usr/bin/python3
"""Writes local files into a controller's memory through VORTAN and reads them back.

    examples/round_trip.py BOARD DIR FILE...

FILEs are names in DIR. They are written into BOARD, read back into DIR/back and compared.
Needs python3-dbus and VORTAN registered on the session bus (vortan --register).
"""
import filecmp
import os
import random
import sys
import time

import dbus

BUS_NAME = "ZEPH.VORTAN.Application._7"
FACTORY_PATH, FACTORY_IFACE = "/ZEPH/VORTAN/ClassFactory", "ZEPH.VORTAN.ClassFactory"
APP_IFACE = "ZEPH.VORTAN.Application"

# Answers met while creating the object that only say "not this server": it has served its
# client or is just ending, or the name is between two owners. Try again.
TRANSIENT = {
    "ZEPH.VORTAN.Error.SingleUse",
    "org.freedesktop.DBus.Error.NameHasNoOwner",
    "org.freedesktop.DBus.Error.ServiceUnknown",
    "org.freedesktop.DBus.Error.NoReply",
    "org.freedesktop.DBus.Error.UnknownObject",
}
# Answers of a release whose server has already ended (after a completed run).
GONE = TRANSIENT - {"ZEPH.VORTAN.Error.SingleUse"}
CREATE_DEADLINE = 60.0  # seconds

# A call may wait for a person (an overwrite question), so it must not time out. dbus-python
# takes seconds; this many is libdbus's "no timeout" (INT_MAX milliseconds).
NO_TIMEOUT = 0x7FFFFFFF / 1000.0


def create_object(bus):
    """Starts a server of our own and creates its object; returns (server's unique name, path).

    Each server serves one client: it gives up its well-known name when an object is created
    on it. So ask the bus to start one, talk to its unique name, and start another if it was
    taken meanwhile, after a random pause that grows with each try (clients that start
    together would otherwise meet again), until the deadline.
    """
    driver = dbus.Interface(bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"),
                            "org.freedesktop.DBus")
    if BUS_NAME not in driver.ListActivatableNames():
        raise RuntimeError("VORTAN is not registered on this bus (vortan --register)")
    deadline = time.monotonic() + CREATE_DEADLINE
    pause = 0.02
    while True:
        try:
            driver.StartServiceByName(BUS_NAME, dbus.UInt32(0), timeout=NO_TIMEOUT)
            server = driver.GetNameOwner(BUS_NAME)
            factory = bus.get_object(server, FACTORY_PATH, introspect=False)
            path = factory.CreateInstance(dbus_interface=FACTORY_IFACE, timeout=NO_TIMEOUT)
            return server, path
        except dbus.DBusException as error:
            if error.get_dbus_name() not in TRANSIENT or time.monotonic() >= deadline:
                raise
        time.sleep(min(random.uniform(pause / 2, pause * 1.5),
                       max(0.0, deadline - time.monotonic())))
        pause = min(pause * 2, 1.0)


def call(bus, method, *args):
    """One method on a fresh server (it ends after one transfer); returns its outputs."""
    server, path = create_object(bus)
    app = dbus.Interface(bus.get_object(server, path, introspect=False), APP_IFACE)
    try:
        # Every method returns the 32-bit return code first, then its out-parameters.
        return getattr(app, method)(*args, timeout=NO_TIMEOUT)
    finally:
        # Give the object back: a server whose run did not end it ends now, instead of
        # holding the board for the grace period. One that has ended already is no error.
        try:
            app.Release(timeout=NO_TIMEOUT)
        except dbus.DBusException as error:
            if error.get_dbus_name() not in GONE:
                raise


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    board, directory, names = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3:]
    bus = dbus.SessionBus()

    # WriteFile2(controller, profile file, section, files joined by ";", option) -> (i code, n result)
    # Local paths go absolute: the server does not run in our directory.
    files = ";".join(os.path.join(directory, name) for name in names)
    code, result = call(bus, "WriteFile2", board, "", "", files, False)
    print(f"WriteFile2: code=0x{code & 0xFFFFFFFF:08X} result={result}")
    if code != 0 or result != 1:
        return 1

    # ReadFile2(controller, profile, section, local directory, names, option) -> (i code, n result)
    back = os.path.join(directory, "back")
    os.makedirs(back, exist_ok=True)
    code, result = call(bus, "ReadFile2", board, "", "", back, ";".join(names), False)
    print(f"ReadFile2: code=0x{code & 0xFFFFFFFF:08X} result={result}")
    if code != 0 or result != 1:
        return 1

    for name in names:
        if not filecmp.cmp(os.path.join(directory, name), os.path.join(back, name), shallow=False):
            print(f"{name} differs")
            return 1
    print(f"{len(names)} files came back identical")
    return 0


if __name__ == "__main__":
    sys.exit(main())
