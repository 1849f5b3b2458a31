#pragma once

#include <functional>

#include "vortan/com/ComObject.h"
#include "vortan/com/IClassFactory.h"

namespace vortan::app {

// The class object the server registers for single use: it makes one object, for the client
// whose activation started this process. COM hides a single-use class object once a client
// has it; a second creation that slipped in is refused all the same, as the server can serve
// one client only. Owned by the server; COM's references are only counted.
class ComClassFactory final
    : public com::ComObject<ComClassFactory, com::Lifetime::OwnedElsewhere, IClassFactory> {
public:
    struct Hooks {
        // Makes the object and answers `iid` on it.
        std::function<HRESULT(REFIID iid, void** object)> create;
        // IClassFactory::LockServer: the server stays up while a client holds a lock.
        std::function<void(bool lock)> lock;
    };

    explicit ComClassFactory(Hooks hooks);
    ~ComClassFactory() = default;

    void* FindInterface(REFIID iid) noexcept;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

    // An object was made: no further one will be.
    bool Served() const { return m_bServed; }

private:
    Hooks m_hooks;
    bool m_bServed = false;
};

} // namespace vortan::app
