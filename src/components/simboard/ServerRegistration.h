#pragma once

// Windows only: the board's two classes as an in-process server in the registry, written by
// the DLL's DllRegisterServer and by `vortan-board register`.

#include <string>

#include "vortan/WinTypes.h"

namespace vortan::simboard {

// Enters both classes with InprocServer32 = `dll` (ThreadingModel Apartment) under
// HKLM\Software\Classes where this process may write there, else under HKCU's. `where`
// names the key written to (or tried last).
HRESULT RegisterServer(const std::string& dll, std::string& where);
// Removes both classes' keys wherever this process may.
HRESULT UnregisterServer();

} // namespace vortan::simboard
