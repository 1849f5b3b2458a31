#include "app/AppLock.h"

#include <utility>

namespace {

// One thread runs every object of the program, so the count needs no lock.
int g_nLockCount = 0;

std::function<void()>& LastUnlockAction() {
    static std::function<void()> action;
    return action;
}

} // namespace

void AfxOleLockApp() {
    ++g_nLockCount;
}

void AfxOleUnlockApp() {
    if (g_nLockCount == 0)
        return;
    if (--g_nLockCount == 0 && LastUnlockAction())
        LastUnlockAction()();
}

namespace vortan::app {

void SetLastUnlockAction(std::function<void()> action) {
    LastUnlockAction() = std::move(action);
}

int LockCount() {
    return g_nLockCount;
}

} // namespace vortan::app
