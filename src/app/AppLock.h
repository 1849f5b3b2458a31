#pragma once

#include <functional>

// The application's object lock: the server stays up while automation objects exist. When
// the last lock of a server started by automation goes, the framework asks the main window
// to close; the window decides whether it does. Process-wide, as the framework's is.
void AfxOleLockApp();
void AfxOleUnlockApp();

namespace vortan::app {

// What the last unlock does; set once at start (none: nothing happens, as in tests).
void SetLastUnlockAction(std::function<void()> action);
int LockCount();

} // namespace vortan::app
