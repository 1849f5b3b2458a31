#pragma once

#include "platform/WinDef.h"

#ifndef _WIN32
// On Windows GetPrivateProfileStringA is the system's own, from <windows.h>; the notes below
// describe this stand-in, which follows it.

// Reads the value of `lpKeyName` in section `lpAppName` of the profile (INI) file
// `lpFileName` into `lpReturnedString`, or `lpDefault` (null: empty) when the file has no
// such key. Sections and keys match without regard to ASCII case; blanks around keys and
// values are dropped and so is one pair of matching quotes (' or ") around a value; the first
// occurrence in the file wins. The text is cut to nSize - 1 bytes, never inside a UTF-8
// character, and zero-terminated. Returns the number of bytes copied, without the zero.
// A missing or unreadable file is no error, nor is a binary one, a pipe or a device: the key
// is simply not found. A relative file name is taken from the current directory.
// Null section or key (enumeration) is not supported and finds nothing. An empty file name
// names no file and opens nothing. A file is read once and kept in memory until it changes
// (vortan::profile::ProfileCache), so a lookup costs a stat, not a read of the file.
DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);

#endif
