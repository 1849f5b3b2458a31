#include "controller/ComponentCreation.h"

#include "platform/com/Activation.h"

namespace vortan::controller {
namespace {

// A component that lacks the interface is an answer the owner reports itself; every other
// failure is the creator's problem.
void RaiseUnlessNoInterface(HRESULT hr, REFIID iid) {
    if (FAILED(hr) && hr != E_NOINTERFACE)
        _com_issue_errorex(hr, nullptr, iid);
}

} // namespace

void CreateComponent(REFCLSID clsid, REFIID iid, void** object) {
    *object = nullptr;
    com::ComPtr<IUnknown> unknown;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.OutVoid());
    if (SUCCEEDED(hr))
        hr = OleRun(unknown.Get());
    if (SUCCEEDED(hr)) {
        hr = unknown->QueryInterface(iid, object);
        if (FAILED(hr))
            *object = nullptr;
    }
    RaiseUnlessNoInterface(hr, iid);
}

} // namespace vortan::controller
