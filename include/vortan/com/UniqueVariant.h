#pragma once

// The one owner of a VARIANT's content: cleared on destruction, moves but never copies.

#include <string_view>

#include "vortan/com/Variant.h"

namespace vortan::com {

class UniqueVariant final {
public:
    UniqueVariant() noexcept = default;
    // Takes over the content of `owned`, which is left VT_EMPTY.
    explicit UniqueVariant(VARIANT& owned) noexcept;
    UniqueVariant(UniqueVariant&& other) noexcept;
    UniqueVariant& operator=(UniqueVariant&& other) noexcept;
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant();

    static UniqueVariant FromI2(SHORT value) noexcept;
    static UniqueVariant FromI4(LONG value) noexcept;
    static UniqueVariant FromBool(bool value) noexcept;
    // VT_BSTR; the BSTR is null if the allocation failed.
    static UniqueVariant FromUtf8(std::string_view utf8);

    const VARIANT& Get() const noexcept { return m_value; }
    VARIANT& Get() noexcept { return m_value; }
    VARTYPE Type() const noexcept { return m_value.vt; }

    // A deep copy, so the caller owns both; failures are VariantCopy's.
    HRESULT CopyFrom(const VARIANT& source) noexcept;
    void Clear() noexcept;
    // Hands the content over to the caller (e.g. into an out-parameter) and becomes empty.
    VARIANT Release() noexcept;

private:
    VARIANT m_value{};
};

} // namespace vortan::com
