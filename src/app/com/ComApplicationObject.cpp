#include "app/com/ComApplicationObject.h"

#include <exception>
#include <new>
#include <string>
#include <vector>

#include "vortan/ContractIds.h"
#include "vortan/com/UniqueBstr.h"
#include "vortan/com/UniqueVariant.h"
#include "vortan/text/Utf.h"

namespace vortan::app {

namespace {

using automation::ParamKind;

constexpr VARTYPE kVariantRef = VT_BYREF | VT_VARIANT;

// The variant a VT_BYREF|VT_VARIANT leads to (a script's variable), through at most two such
// steps; null when a pointer is missing.
VARIANT* Referenced(VARIANT* arg) {
    for (int step = 0; arg != nullptr && arg->vt == kVariantRef && step < 2; ++step)
        arg = arg->pvarVal;
    return arg;
}

// An out-parameter must come by value, or by a reference the output can be written through.
bool CanTakeOutput(const VARIANT& arg, ParamKind kind) {
    if ((arg.vt & VT_BYREF) == 0)
        return true;
    if (arg.vt == kVariantRef)
        return Referenced(const_cast<VARIANT*>(&arg)) != nullptr;
    return arg.vt == (VT_BYREF | automation::ValueType(kind)) && arg.byref != nullptr;
}

// The argument's value, references followed; its own copy, so coercion cannot touch the
// client's.
HRESULT ValueOf(const VARIANT& arg, com::UniqueVariant& value) {
    VARIANT* source = Referenced(const_cast<VARIANT*>(&arg));
    if (source == nullptr || ((source->vt & VT_BYREF) != 0 && source->byref == nullptr))
        return DISP_E_TYPEMISMATCH;
    VARIANT copy{};
    const HRESULT hr = ::VariantCopyInd(&copy, source);
    if (FAILED(hr))
        return hr == DISP_E_BADVARTYPE || hr == E_OUTOFMEMORY ? hr : DISP_E_TYPEMISMATCH;
    value = com::UniqueVariant(copy);
    return S_OK;
}

// Writes `output` (VT_I2, VT_I4 or VT_BSTR, taken over) through the reference `arg`.
void WriteBack(VARIANT& arg, com::UniqueVariant output) {
    if ((arg.vt & VT_BYREF) == 0)
        return;
    if (arg.vt == kVariantRef) {
        VARIANT* variable = Referenced(&arg);
        if (variable->vt == (VT_BYREF | output.Type())) {
            WriteBack(*variable, std::move(output));
            return;
        }
        ::VariantClear(variable); // frees what the variable held, a BSTR say
        *variable = output.Release();
        return;
    }
    switch (arg.vt & VT_TYPEMASK) {
    case VT_I2:
        *arg.piVal = output.Get().iVal;
        break;
    case VT_I4:
        *arg.plVal = output.Get().lVal;
        break;
    case VT_BSTR:
        ::SysFreeString(*arg.pbstrVal);
        *arg.pbstrVal = output.Release().bstrVal;
        break;
    default:
        break;
    }
}

// The failure of a call as a script shows it: DISP_E_EXCEPTION with the text.
HRESULT Raise(EXCEPINFO* exception, HRESULT code, const char* text) {
    if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->scode = code;
        exception->bstrSource = com::UniqueBstr::FromUtf8(kVortanApplicationProgId).Release();
        exception->bstrDescription = com::UniqueBstr::FromUtf8(text).Release();
    }
    return DISP_E_EXCEPTION;
}

} // namespace

ComApplicationObject::ComApplicationObject(std::unique_ptr<IDispatchTarget> target) noexcept
    : m_target(std::move(target)) {}

ComApplicationObject::~ComApplicationObject() = default;

void* ComApplicationObject::FindInterface(REFIID iid) noexcept {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_IVortanApplication)
        return static_cast<IDispatch*>(this);
    return nullptr;
}

HRESULT ComApplicationObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT ComApplicationObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT ComApplicationObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* dispids) {
    if (iid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if ((names == nullptr || dispids == nullptr) && count != 0)
        return E_POINTER;
    try {
        for (UINT i = 0; i < count; ++i)
            dispids[i] = DISPID_UNKNOWN;
        if (count == 0)
            return S_OK;
        const automation::MethodInfo* method =
            names[0] != nullptr ? automation::FindMethod(text::Utf16ToUtf8(names[0])) : nullptr;
        if (method != nullptr)
            dispids[0] = method->dispid;
        return method != nullptr && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ComApplicationObject::Invoke(DISPID dispid, REFIID iid, LCID, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) {
    if (iid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (params == nullptr)
        return E_INVALIDARG;
    // The client's release may come inside the call (a nested loop serves it): the object and
    // its target stay until the call has returned.
    AddRef();
    HRESULT hr = S_OK;
    try {
        hr = Call(dispid, flags, *params, result, argError);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (const std::exception& error) {
        hr = Raise(exception, E_FAIL, error.what());
    } catch (...) {
        hr = Raise(exception, E_FAIL, "the call failed");
    }
    Release();
    return hr;
}

HRESULT ComApplicationObject::Call(DISPID dispid, WORD flags, DISPPARAMS& params, VARIANT* result,
                                   UINT* argError) {
    const automation::MethodInfo* method = automation::FindMethod(dispid);
    if (method == nullptr || (flags & DISPATCH_METHOD) == 0 ||
        (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0)
        return DISP_E_MEMBERNOTFOUND;
    if (params.cNamedArgs != 0)
        return DISP_E_NONAMEDARGS;
    const UINT count = params.cArgs;
    if (count != method->params.size())
        return DISP_E_BADPARAMCOUNT;
    if (count != 0 && params.rgvarg == nullptr)
        return E_INVALIDARG;
    // rgvarg holds the arguments last first; `arg(i)` is the i-th declared.
    const auto arg = [&](std::size_t i) -> VARIANT& { return params.rgvarg[count - 1 - i]; };
    const auto fail = [&](HRESULT hr, std::size_t i) {
        if (argError != nullptr)
            *argError = static_cast<UINT>(count - 1 - i);
        return hr;
    };

    std::vector<com::UniqueVariant> values(count);
    std::vector<VARIANT> args(count);
    for (std::size_t i = 0; i < count; ++i) {
        const ParamKind kind = method->params[i].kind;
        if (automation::IsOutput(kind) && !CanTakeOutput(arg(i), kind))
            return fail(DISP_E_TYPEMISMATCH, i);
        const HRESULT hr = ValueOf(arg(i), values[i]);
        if (FAILED(hr))
            return fail(hr, i);
        args[i] = values[i].Get(); // shallow: `values` keeps the content
    }

    automation::ArgumentFrame frame;
    std::string error;
    UINT position = 0;
    const HRESULT hrLoad = frame.Load(*method, args, true, error, position);
    if (FAILED(hrLoad))
        return hrLoad == DISP_E_BADPARAMCOUNT ? hrLoad : fail(hrLoad, position);

    const LONG code = m_target->Invoke(*method, frame);

    std::vector<com::UniqueVariant> outputs = frame.Outputs();
    std::size_t next = 0;
    for (std::size_t i = 0; i < count && next < outputs.size(); ++i) {
        if (automation::IsOutput(method->params[i].kind))
            WriteBack(arg(i), std::move(outputs[next++]));
    }
    if (result != nullptr) {
        ::VariantInit(result);
        result->vt = VT_I4;
        result->lVal = code;
    }
    return S_OK;
}

} // namespace vortan::app
