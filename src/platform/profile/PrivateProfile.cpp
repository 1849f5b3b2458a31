#include "platform/profile/PrivateProfile.h"

#include "platform/profile/ProfileCache.h"

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    return vortan::profile::ProfileCache::Process().Read(lpAppName, lpKeyName, lpDefault,
                                                         lpReturnedString, nSize, lpFileName);
}
