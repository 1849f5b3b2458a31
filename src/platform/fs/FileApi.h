#pragma once

#include "platform/WinDef.h"

#ifndef _WIN32
// On Windows GetFileAttributesA and its flags are the system's own, from <windows.h>.

// File attributes as the platform reports them. Only the distinction the program needs is
// made: a directory, or anything else that exists.
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL for an existing path (symbolic links
// followed), INVALID_FILE_ATTRIBUTES for a missing one, a null path or one of PATH_MAX bytes
// or more.
DWORD GetFileAttributesA(LPCSTR lpFileName);

#endif
