#include "vortan/com/UniqueVariant.h"

#include <utility>

#include "vortan/com/UniqueBstr.h"

namespace vortan::com {

UniqueVariant::UniqueVariant(VARIANT& owned) noexcept : m_value(std::exchange(owned, VARIANT{})) {}

UniqueVariant::UniqueVariant(UniqueVariant&& other) noexcept : m_value(other.Release()) {}

UniqueVariant& UniqueVariant::operator=(UniqueVariant&& other) noexcept {
    if (this != &other) {
        Clear();
        m_value = other.Release();
    }
    return *this;
}

UniqueVariant::~UniqueVariant() {
    Clear();
}

UniqueVariant UniqueVariant::FromI2(SHORT value) noexcept {
    UniqueVariant v;
    v.m_value.vt = VT_I2;
    v.m_value.iVal = value;
    return v;
}

UniqueVariant UniqueVariant::FromI4(LONG value) noexcept {
    UniqueVariant v;
    v.m_value.vt = VT_I4;
    v.m_value.lVal = value;
    return v;
}

UniqueVariant UniqueVariant::FromBool(bool value) noexcept {
    UniqueVariant v;
    v.m_value.vt = VT_BOOL;
    v.m_value.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

UniqueVariant UniqueVariant::FromUtf8(std::string_view utf8) {
    UniqueVariant v;
    v.m_value.vt = VT_BSTR;
    v.m_value.bstrVal = UniqueBstr::FromUtf8(utf8).Release();
    return v;
}

HRESULT UniqueVariant::CopyFrom(const VARIANT& source) noexcept {
    return VariantCopy(&m_value, const_cast<VARIANT*>(&source)); // read only
}

void UniqueVariant::Clear() noexcept {
    if (FAILED(VariantClear(&m_value)))
        m_value = VARIANT{}; // an unknown type owns nothing we could free
}

VARIANT UniqueVariant::Release() noexcept {
    return std::exchange(m_value, VARIANT{});
}

} // namespace vortan::com
