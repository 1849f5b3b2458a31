#include "app/ClientLease.h"

namespace vortan::app {

ClientLease::ClientLease(std::chrono::milliseconds grace, Hooks hooks)
    : m_grace(grace), m_hooks(std::move(hooks)), m_lastCall(m_hooks.now()) {}

bool ClientLease::NoteClient(const std::string& client) {
    m_lastCall = m_hooks.now();
    m_hooks.disarm();
    if (m_bReleased || client.empty())
        return false;
    return m_clients.insert(client).second;
}

void ClientLease::ClientLeft(const std::string& client) {
    if (m_clients.erase(client) != 0 && m_clients.empty())
        ReleaseWhenIdle();
}

void ClientLease::GraceOver() {
    if (m_clients.empty())
        ReleaseWhenIdle();
}

void ClientLease::CallEnded() {
    --m_nCallDepth;
    m_lastCall = m_hooks.now();
    if (m_bReleasePending && m_nCallDepth == 0)
        Release();
}

void ClientLease::ReleaseWhenIdle() {
    if (m_bReleased)
        return;
    const auto idle =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_hooks.now() - m_lastCall);
    if (idle >= m_grace)
        Release();
    else // a call that ended meanwhile counts: the grace runs from its end
        m_hooks.arm(m_grace - idle);
}

void ClientLease::Release() {
    if (m_bReleased)
        return;
    if (m_nCallDepth > 0) {
        m_bReleasePending = true;
        return;
    }
    m_bReleasePending = false;
    m_bReleased = true;
    m_clients.clear();
    m_hooks.disarm();
    m_hooks.release();
}

} // namespace vortan::app
