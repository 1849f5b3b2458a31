#pragma once

// Windows: arguments of IDispatch::Invoke as clients build them.

#include <ole2.h>
#include <windows.h>

namespace vortan::test {

// A BSTR, freed by the VariantClear of whoever owns the argument.
inline VARIANT Text(const wchar_t* text) {
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(text);
    return v;
}
// A typed reference (VT_BYREF|vt), as compiled clients hand out-parameters.
inline VARIANT Ref(VARTYPE vt, void* target) {
    VARIANT v{};
    v.vt = VT_BYREF | vt;
    v.byref = target;
    return v;
}
inline VARIANT Value(VARTYPE vt, LONG value) {
    VARIANT v{};
    v.vt = vt;
    v.lVal = value; // I2 and BOOL read the low word
    return v;
}

} // namespace vortan::test
