#pragma once

// A minimal IUnknown that only counts references, for tests of the owners of references
// (ComPtr, VARIANT, registrations). It is owned by the test, never deleted by Release.

#include "vortan/com/ComObject.h"

namespace vortan::test {

class CountedObject final
    : public com::ComObject<CountedObject, com::Lifetime::OwnedElsewhere, IUnknown> {
public:
    void* FindInterface(REFIID iid) noexcept {
        return iid == IID_IUnknown ? static_cast<IUnknown*>(this) : nullptr;
    }
};

} // namespace vortan::test
