#pragma once

// The platform's half of vortan-board: where its help says things are, and how the plug-in's
// classes are registered (PluginRegistration.cpp: the class registry file; Win32: the
// Windows registry, as the DLL's own DllRegisterServer does it).

#include <filesystem>
#include <string>

#include "vortan/WinTypes.h"

namespace vortan::simboard {

// The help's lines on where boards and registrations live.
const char* StorageHelp() noexcept;
// The plug-in installed with this tool.
std::filesystem::path DefaultPlugin();
// Registers both classes of the board with `plugin` (an absolute path); `where` names what was
// written (or could not be).
HRESULT RegisterPlugin(const std::filesystem::path& plugin, std::string& where);

} // namespace vortan::simboard
