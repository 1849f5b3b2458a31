#include "vortan/com/SysString.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

using Prefix = std::uint32_t;

Prefix* PrefixOf(BSTR text) noexcept {
    return reinterpret_cast<Prefix*>(reinterpret_cast<unsigned char*>(text) - sizeof(Prefix));
}

} // namespace

BSTR SysAllocString(const OLECHAR* text) noexcept {
    if (text == nullptr)
        return nullptr;
    std::size_t length = 0;
    while (text[length] != 0)
        ++length;
    if (length > std::numeric_limits<UINT>::max())
        return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(length));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) noexcept {
    // The byte length must fit the 32-bit prefix.
    constexpr std::size_t kMaxLength = (std::numeric_limits<Prefix>::max() - 16) / sizeof(OLECHAR);
    if (length > kMaxLength)
        return nullptr;
    const std::size_t bytes = std::size_t{length} * sizeof(OLECHAR);
    void* block = std::malloc(sizeof(Prefix) + bytes + sizeof(OLECHAR));
    if (block == nullptr)
        return nullptr;
    auto* prefix = static_cast<Prefix*>(block);
    *prefix = static_cast<Prefix>(bytes);
    auto* chars = reinterpret_cast<OLECHAR*>(prefix + 1);
    if (text != nullptr)
        std::memcpy(chars, text, bytes);
    else
        std::memset(chars, 0, bytes);
    chars[length] = 0;
    return chars;
}

void SysFreeString(BSTR text) noexcept {
    if (text != nullptr)
        std::free(PrefixOf(text));
}

UINT SysStringLen(BSTR text) noexcept {
    return text == nullptr ? 0 : static_cast<UINT>(*PrefixOf(text) / sizeof(OLECHAR));
}
