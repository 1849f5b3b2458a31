#pragma once

// The automation object as COM sees it: IDispatch over the dispatch map of
// automation/AutomationMethods, with the dispatch interface's IID answered beside IDispatch
// and IUnknown. There is no type library: clients bind by name or by DISPID.

#include <memory>

#include "app/com/IDispatchTarget.h"
#include "vortan/com/ComObject.h"
#include "vortan/com/IDispatch.h"

namespace vortan::app {

class ComApplicationObject final
    : public com::ComObject<ComApplicationObject, com::Lifetime::DeleteOnLastRelease, IDispatch> {
public:
    // Created with one reference, the creator's. The last Release ends the object and with it
    // `target`; a call that runs keeps both until it has returned, since a nested loop inside
    // it may bring the client's release.
    explicit ComApplicationObject(std::unique_ptr<IDispatchTarget> target) noexcept;

    void* FindInterface(REFIID iid) noexcept;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    // By method name, without regard to ASCII case. Names of parameters are not known (the
    // methods take no named arguments).
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* dispids) override;
    // DISPATCH_METHOD, alone or with DISPATCH_PROPERTYGET as scripts send it. Out-parameters
    // come by reference, typed (VT_BYREF|VT_I2, ...) or as VT_BYREF|VT_VARIANT, and are
    // written back; given by value (JScript has no references) the call runs and the output
    // is dropped. The return code goes to `result` as VT_I4.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override;

private:
    friend class com::ComObject<ComApplicationObject, com::Lifetime::DeleteOnLastRelease,
                                IDispatch>;
    ~ComApplicationObject();

    HRESULT Call(DISPID dispid, WORD flags, DISPPARAMS& params, VARIANT* result, UINT* argError);

    std::unique_ptr<IDispatchTarget> m_target;
};

} // namespace vortan::app
