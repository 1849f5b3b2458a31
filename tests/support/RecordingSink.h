#pragma once

// An event sink that records every Invoke (DISPID and a deep copy of the arguments, in
// rgvarg order) and can run a hook inside the call, e.g. to unadvise itself. It counts its
// references but is owned by the test, so a test can check the count after Unadvise.

#include <functional>
#include <vector>

#include "vortan/com/IDispatch.h"
#include "vortan/com/UniqueVariant.h"

namespace vortan::test {

class RecordingSink final : public IDispatch {
public:
    struct Call {
        DISPID dispid = 0;
        std::vector<com::UniqueVariant> args; // args[0] is rgvarg[0], the last argument
    };

    explicit RecordingSink(const IID& eventIid = IID_NULL) : m_eventIid(eventIid) {}
    RecordingSink(const RecordingSink&) = delete;
    RecordingSink& operator=(const RecordingSink&) = delete;
    ~RecordingSink() = default;

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch ||
            (m_eventIid == iid && !(iid == IID_NULL))) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override { return --m_refs; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                   UINT*) override {
        Call call;
        call.dispid = dispid;
        for (UINT i = 0; params != nullptr && i < params->cArgs; ++i) {
            com::UniqueVariant copy;
            copy.CopyFrom(params->rgvarg[i]);
            call.args.push_back(std::move(copy));
        }
        calls.push_back(std::move(call));
        if (onInvoke)
            onInvoke(dispid);
        return S_OK;
    }

    ULONG RefCount() const noexcept { return m_refs; }

    std::vector<Call> calls;
    std::function<void(DISPID)> onInvoke;

private:
    IID m_eventIid;
    ULONG m_refs = 0;
};

} // namespace vortan::test
