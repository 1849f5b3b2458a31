#pragma once

// Creation of a component as both owners do it: CoCreateInstance (all contexts, IUnknown),
// OleRun, QueryInterface for the wanted interface, then the IUnknown is released.

#include "vortan/com/ComPtr.h"
#include "vortan/com/IUnknown.h"

namespace vortan::controller {

// Stores the interface `iid` of a new instance of `clsid` in `object`, or null when a step
// answered E_NOINTERFACE. Any other failure is raised as _com_error with that HRESULT and
// `iid`; `object` is null then.
void CreateComponent(REFCLSID clsid, REFIID iid, void** object);

// The same, typed: `T` is the interface named by `iid`.
template <typename T>
vortan::com::ComPtr<T> CreateComponentAs(REFCLSID clsid, REFIID iid) {
    vortan::com::ComPtr<T> component;
    CreateComponent(clsid, iid, component.OutVoid());
    return component;
}

} // namespace vortan::controller
