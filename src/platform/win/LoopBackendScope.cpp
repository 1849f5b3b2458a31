#include "platform/win/LoopBackendScope.h"

#include "platform/win/MessageQueue.h"

namespace vortan::win {

LoopBackendScope::LoopBackendScope(std::unique_ptr<ILoopBackend> backend)
    : m_previous(MessageQueue::Instance().SetBackend(std::move(backend))) {}

LoopBackendScope::~LoopBackendScope() {
    // The replaced backend is destroyed here, on the window thread that created it.
    MessageQueue::Instance().SetBackend(std::move(m_previous));
}

} // namespace vortan::win
