#pragma once

// The server's registration, its only persistent state: a D-Bus service file that lets the
// session bus start the server for a client, and the ProgID entry of the class registry.

#include <filesystem>
#include <string>

#include "vortan/com/HResult.h"

namespace vortan::app {

// $XDG_DATA_HOME/dbus-1/services/<bus name>.service (else ~/.local/share/...).
std::filesystem::path ServiceFilePath();

// The service file's text: the bus name and an Exec line that runs `program --automation`.
std::string ServiceFileText(const std::filesystem::path& program);

// Writes the service file (atomically) and the ProgID entry of the class registry
// (ClassRegistry::DefaultPath()). The first failure is returned; the start-up ignores it.
HRESULT WriteRegistration(const std::filesystem::path& program);
// Removes both; S_OK also when there was nothing to remove.
HRESULT RemoveRegistration();

} // namespace vortan::app
