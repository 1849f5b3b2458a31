#pragma once

#include <memory>

#include "platform/win/ILoopBackend.h"

namespace vortan::win {

// Makes `backend` the message loop's backend for the scope's life, then puts the previous one
// back. A program installs its toolkit's backend once, at start, on the window thread, before
// any loop runs.
class LoopBackendScope final {
public:
    explicit LoopBackendScope(std::unique_ptr<ILoopBackend> backend);
    ~LoopBackendScope();

    LoopBackendScope(const LoopBackendScope&) = delete;
    LoopBackendScope& operator=(const LoopBackendScope&) = delete;

private:
    std::unique_ptr<ILoopBackend> m_previous;
};

} // namespace vortan::win
