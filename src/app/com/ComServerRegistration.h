#pragma once

// The server's registration with COM, its only persistent state: the class id with the
// program as local server, the ProgID, and the dispatch interface with the automation
// marshaler (a client in another process may ask for it by its IID). No type library.

#include <filesystem>
#include <span>
#include <string>

#include "vortan/com/ClassRegistration.h"

namespace vortan::app {

// The LocalServer32 command line: the program's path, quoted, and /Automation. COM adds
// -Embedding when it starts the server.
std::string LocalServerCommand(const std::filesystem::path& program);

// Writes the class, its ProgID and its interface; `scope` tells where. The first failure is
// returned.
HRESULT WriteComRegistration(const std::filesystem::path& program, com::RegistryScope& scope);
// Removes them from the machine's and the user's classes; nothing there is no failure.
HRESULT RemoveComRegistration();

// The setup programs' switches /RegServer and /UnregServer (also with "-", any case).
enum class RegistrationSwitch { None, Register, Unregister };
// The first of them among `args` (without the program name).
RegistrationSwitch FindRegistrationSwitch(std::span<const char* const> args);

} // namespace vortan::app
