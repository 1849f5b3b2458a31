#pragma once

// Kernel services of the platform: the thread's last error, and event objects with the
// handle calls that wait on and close them. Handles are entries of a process-wide table, so a
// closed or made-up handle fails with ERROR_INVALID_HANDLE instead of touching freed memory.

#include "platform/WinDef.h"

#ifndef _WIN32

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_INVALID_NAME = 123;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_NOT_OWNER = 288;
inline constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
inline constexpr DWORD ERROR_CONTROL_ID_NOT_FOUND = 1421;
inline constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

// Security attributes are accepted for the platform's signature only; nothing reads them.
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

DWORD GetLastError();
void SetLastError(DWORD error);

// Creates an unnamed event. Named events are not needed by this program: a name is refused
// with ERROR_INVALID_PARAMETER so that nobody relies on sharing that does not happen.
HANDLE CreateEvent(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                   const char* name);
BOOL SetEvent(HANDLE event);

// Creates or opens the named mutex `name`, seen by every process of the user (a lock file in
// $XDG_RUNTIME_DIR, else /tmp). With `initialOwner` the new handle takes the mutex. When
// another handle, in this process or another, holds it already, the handle is still returned,
// without ownership, and the last error is ERROR_ALREADY_EXISTS; else ERROR_SUCCESS. Closing
// the handle releases the mutex; so does the end of the holding process. A null or empty
// name, or one with '/', is refused (null handle, ERROR_INVALID_NAME); the lock file that
// cannot be opened gives null with the system's error.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, const char* name);
// Gives up ownership taken by CreateMutexA or a wait; ERROR_NOT_OWNER when not held.
BOOL ReleaseMutex(HANDLE mutex);

// Waits until the object is signalled or `milliseconds` passed (0 tests, INFINITE waits for
// ever). Returns WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED (last error set).
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);

// Milliseconds since an arbitrary start, wrapping like the platform's tick count.
DWORD GetTickCount();

#endif
