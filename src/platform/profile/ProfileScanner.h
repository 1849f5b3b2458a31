#pragma once

#include "platform/WinDef.h"

namespace vortan::profile {

// Reads one profile string straight from the file, in pieces, without keeping anything: the
// way for files too large to keep, and the reference the in-memory index must agree with.
// Arguments and result as GetPrivateProfileStringA.
class ProfileScanner final {
public:
    static DWORD Read(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                      DWORD nSize, LPCSTR lpFileName);
};

} // namespace vortan::profile
