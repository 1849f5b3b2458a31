#pragma once

// The one owner of a BSTR: frees it on destruction, moves but never copies.

#include <string>
#include <string_view>

#include "vortan/WinTypes.h"
#include "vortan/text/Utf.h"

namespace vortan::com {

class UniqueBstr final {
public:
    UniqueBstr() noexcept = default;
    // Takes ownership of an allocated BSTR.
    explicit UniqueBstr(BSTR owned) noexcept : m_bstr(owned) {}
    UniqueBstr(UniqueBstr&& other) noexcept;
    UniqueBstr& operator=(UniqueBstr&& other) noexcept;
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr();

    // Null when the BSTR could not be allocated (callers that must not go on check Get());
    // the conversion itself may throw std::bad_alloc.
    static UniqueBstr FromUtf8(std::string_view utf8);
    static UniqueBstr FromUtf16(text::OleStringView utf16);
    // A copy of another BSTR, keeping embedded NULs; null stays null.
    static UniqueBstr Copy(BSTR source);

    BSTR Get() const noexcept { return m_bstr; }
    UINT Length() const noexcept;
    text::OleStringView View() const noexcept;
    std::string ToUtf8() const;

    void Reset(BSTR owned = nullptr) noexcept;
    // Gives up ownership; the caller frees the result.
    BSTR Release() noexcept;
    // Frees the current string and hands out the slot for a callee's out-parameter.
    BSTR* OutParam() noexcept;

private:
    BSTR m_bstr = nullptr;
};

} // namespace vortan::com
