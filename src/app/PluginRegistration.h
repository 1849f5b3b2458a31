#pragma once

// Entering a component plug-in in the class registry (`vortan --register-plugin`) and taking
// it out again (`--unregister-plugin`). On Linux the plug-in is asked which of the two
// component classes it provides and only those are entered in the user's registry, under its
// absolute path. On Windows a plug-in is an in-process COM server that writes its own entries:
// these call its DllRegisterServer and DllUnregisterServer, with the same exit codes.

#include <filesystem>
#include <ostream>

namespace vortan::app {

// Loads `plugin`, asks its DllGetClassObject for the controller access and the flash
// handling class, and registers it for the classes it answers, in one write. Reports to `out`;
// a path that does not exist or cannot be loaded, a library without DllGetClassObject or one
// that answers neither class is refused on `err`, and nothing is written. Returns the exit
// code: 0 registered, 1 refused or not written.
int RegisterPlugin(const std::filesystem::path& plugin, std::ostream& out, std::ostream& err);

// Removes the [CLSID] entries of the user's registry that name `plugin` and says which; none
// is no failure. Returns 0, or 1 when the registry could not be rewritten.
int UnregisterPlugin(const std::filesystem::path& plugin, std::ostream& out, std::ostream& err);

} // namespace vortan::app
