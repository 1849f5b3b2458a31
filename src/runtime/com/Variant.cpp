#include "vortan/com/Variant.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

#include "vortan/com/IUnknown.h"
#include "vortan/com/SysString.h"

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

std::u16string_view Trimmed(BSTR text) {
    std::u16string_view s(text == nullptr ? u"" : text, SysStringLen(text));
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view lowerB) {
    if (a.size() != lowerB.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t c = a[i];
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != lowerB[i])
            return false;
    }
    return true;
}

// A decimal integer with an optional sign; anything else is a type mismatch. Values beyond
// 64 bits are reported as overflow, like any other value too large for the target.
HRESULT ParseInteger(std::u16string_view s, std::int64_t& value) {
    std::string ascii;
    for (char16_t c : s) {
        if (c > 0x7F)
            return DISP_E_TYPEMISMATCH;
        ascii.push_back(static_cast<char>(c));
    }
    std::size_t start = (!ascii.empty() && ascii[0] == '+') ? 1 : 0;
    if (start == 1 && ascii.size() > 1 && ascii[1] == '-')
        return DISP_E_TYPEMISMATCH;
    const char* first = ascii.data() + start;
    const char* last = ascii.data() + ascii.size();
    if (first == last)
        return DISP_E_TYPEMISMATCH;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ptr != last)
        return DISP_E_TYPEMISMATCH;
    if (ec == std::errc::result_out_of_range)
        return DISP_E_OVERFLOW;
    if (ec != std::errc())
        return DISP_E_TYPEMISMATCH;
    return S_OK;
}

// The source value after reading through BYREF, as an integer; texts are parsed.
HRESULT ToInteger(const VARIANT& src, std::int64_t& value) {
    switch (src.vt) {
    case VT_EMPTY:
        value = 0;
        return S_OK;
    case VT_I2:
        value = src.iVal;
        return S_OK;
    case VT_I4:
        value = src.lVal;
        return S_OK;
    case VT_BOOL:
        value = src.boolVal;
        return S_OK;
    case VT_BSTR: {
        const std::u16string_view s = Trimmed(src.bstrVal);
        if (EqualsNoCase(s, u"true")) {
            value = VARIANT_TRUE;
            return S_OK;
        }
        if (EqualsNoCase(s, u"false")) {
            value = VARIANT_FALSE;
            return S_OK;
        }
        return ParseInteger(s, value);
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

// Reads BYREF forms through to the value they point at (one level, or VARIANT by reference).
HRESULT Dereference(const VARIANT& src, VARIANT& value) {
    if ((src.vt & VT_BYREF) == 0) {
        value = src; // shallow view, not owned
        return S_OK;
    }
    if (src.byref == nullptr)
        return E_INVALIDARG;
    value = VARIANT{};
    switch (src.vt & ~VT_BYREF) {
    case VT_I2:
        value.vt = VT_I2;
        value.iVal = *src.piVal;
        return S_OK;
    case VT_I4:
        value.vt = VT_I4;
        value.lVal = *src.plVal;
        return S_OK;
    case VT_BOOL:
        value.vt = VT_BOOL;
        value.boolVal = *src.pboolVal;
        return S_OK;
    case VT_BSTR:
        value.vt = VT_BSTR;
        value.bstrVal = *src.pbstrVal;
        return S_OK;
    case VT_VARIANT:
        if ((src.pvarVal->vt & VT_BYREF) != 0)
            return DISP_E_TYPEMISMATCH; // a reference to a reference is not a value
        value = *src.pvarVal;
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

BSTR AllocAscii(const std::string& text) {
    std::u16string wide(text.begin(), text.end());
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

bool IsKnownType(VARTYPE vt) {
    switch (vt & ~VT_BYREF) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
        return true;
    case VT_VARIANT:
        return (vt & VT_BYREF) != 0;
    default:
        return false;
    }
}

// ToInteger, then the range of T: a value that does not fit is DISP_E_OVERFLOW.
template <typename T>
HRESULT ToIntegerOf(const VARIANT& src, T& value) {
    std::int64_t n = 0;
    const HRESULT hr = ToInteger(src, n);
    if (FAILED(hr))
        return hr;
    if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max())
        return DISP_E_OVERFLOW;
    value = static_cast<T>(n);
    return S_OK;
}

} // namespace

HRESULT VariantClear(VARIANT* v) noexcept {
    if (v == nullptr)
        return E_INVALIDARG;
    if (!IsKnownType(v->vt))
        return DISP_E_BADVARTYPE;
    switch (v->vt) {
    case VT_BSTR:
        SysFreeString(v->bstrVal);
        break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        // IDispatch derives from IUnknown with the same address, so one path serves both.
        if (v->punkVal != nullptr)
            v->punkVal->Release();
        break;
    default:
        break;
    }
    *v = VARIANT{};
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) noexcept {
    if (dest == nullptr || src == nullptr)
        return E_INVALIDARG;
    if (!IsKnownType(src->vt))
        return DISP_E_BADVARTYPE;
    if (dest == src)
        return S_OK;
    VARIANT copy = *src;
    if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
        copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (copy.bstrVal == nullptr) {
            VariantClear(dest);
            return E_OUTOFMEMORY;
        }
    }
    if ((src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) && src->punkVal != nullptr)
        src->punkVal->AddRef();
    const HRESULT hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *dest = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT, VARTYPE type) noexcept {
    if (dest == nullptr || src == nullptr)
        return E_INVALIDARG;
    try {
        if (type == src->vt)
            return VariantCopy(dest, src);

        VARIANT value;
        HRESULT hr = Dereference(*src, value);
        if (FAILED(hr))
            return hr;

        VARIANT result;
        std::int64_t n = 0;
        switch (type) {
        case VT_I4:
            result.vt = VT_I4;
            hr = ToIntegerOf(value, result.lVal);
            break;
        case VT_I2:
            result.vt = VT_I2;
            hr = ToIntegerOf(value, result.iVal);
            break;
        case VT_BOOL:
            hr = ToInteger(value, n);
            result.vt = VT_BOOL;
            result.boolVal = n != 0 ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_BSTR:
            result.vt = VT_BSTR;
            if (value.vt == VT_BSTR) {
                result.bstrVal = SysAllocStringLen(value.bstrVal, SysStringLen(value.bstrVal));
            } else {
                hr = ToInteger(value, n);
                if (SUCCEEDED(hr))
                    result.bstrVal =
                        value.vt == VT_EMPTY ? SysAllocString(u"") : AllocAscii(std::to_string(n));
            }
            if (SUCCEEDED(hr) && result.bstrVal == nullptr)
                hr = E_OUTOFMEMORY;
            break;
        default:
            hr = DISP_E_TYPEMISMATCH;
            break;
        }
        if (FAILED(hr)) {
            if (result.vt == VT_BSTR)
                SysFreeString(result.bstrVal);
            return hr;
        }
        // Clearing dest may free src's own content when both are one VARIANT; the result no
        // longer needs it.
        VariantClear(dest);
        *dest = result;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY; // only the text buffers can throw
    }
}
