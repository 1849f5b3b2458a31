#pragma once

// The IDispatch part (slots 3 to 6) of both component interfaces. VORTAN calls the components
// through their method tables only, never by name, so a component without type information
// keeps these answers and implements just the contract's methods.

#include "vortan/com/IDispatch.h"

namespace vortan {

class ComponentDispatch : public IDispatch {
public:
    HRESULT GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

protected:
    ComponentDispatch() = default;
    ComponentDispatch(const ComponentDispatch&) = default;
    ComponentDispatch& operator=(const ComponentDispatch&) = default;
    ~ComponentDispatch() = default;
};

} // namespace vortan
