#include "platform/win/WinBase.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "platform/win/Event.h"
#include "platform/win/HandleTable.h"
#include "platform/win/NamedMutex.h"

using vortan::win::Event;
using vortan::win::HandleTable;

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

std::shared_ptr<Event> FindEvent(HANDLE handle) {
    auto event = std::dynamic_pointer_cast<Event>(HandleTable::Instance().Find(handle));
    if (!event)
        SetLastError(ERROR_INVALID_HANDLE);
    return event;
}

} // namespace

DWORD GetLastError() {
    return t_lastError;
}

void SetLastError(DWORD error) {
    t_lastError = error;
}

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, const char* name) {
    if (name != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return HandleTable::Instance().Add(
        std::make_shared<Event>(manualReset != FALSE, initialState != FALSE));
}

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, const char* name) {
    if (name == nullptr || *name == '\0' || std::strchr(name, '/') != nullptr) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    auto mutex = std::make_shared<vortan::win::NamedMutex>(name);
    if (!mutex->Valid()) {
        SetLastError(static_cast<DWORD>(errno));
        return nullptr;
    }
    // Held elsewhere means it existed; a free one counts as new, as the platform cannot tell a
    // mutex nobody holds from one that was never made.
    const bool taken = mutex->TryAcquire();
    if (!initialOwner && taken)
        mutex->Release();
    HANDLE handle = HandleTable::Instance().Add(std::move(mutex));
    SetLastError(taken ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    return handle;
}

BOOL ReleaseMutex(HANDLE handle) {
    auto mutex =
        std::dynamic_pointer_cast<vortan::win::NamedMutex>(HandleTable::Instance().Find(handle));
    if (!mutex) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mutex->Owned()) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    mutex->Release();
    return TRUE;
}

BOOL SetEvent(HANDLE event) {
    const auto object = FindEvent(event);
    if (!object)
        return FALSE;
    object->Set();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    const auto object = HandleTable::Instance().Find(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->Wait(milliseconds);
}

BOOL CloseHandle(HANDLE handle) {
    if (!HandleTable::Instance().Remove(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD GetTickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}
