#include "vortan/com/UniqueBstr.h"

#include <limits>
#include <utility>

#include "vortan/com/SysString.h"
#include "vortan/text/Utf.h"

namespace vortan::com {

UniqueBstr::UniqueBstr(UniqueBstr&& other) noexcept : m_bstr(other.Release()) {}

UniqueBstr& UniqueBstr::operator=(UniqueBstr&& other) noexcept {
    if (this != &other)
        Reset(other.Release());
    return *this;
}

UniqueBstr::~UniqueBstr() {
    SysFreeString(m_bstr);
}

UniqueBstr UniqueBstr::FromUtf8(std::string_view utf8) {
    return FromUtf16(text::Utf8ToUtf16(utf8));
}

UniqueBstr UniqueBstr::FromUtf16(text::OleStringView utf16) {
    if (utf16.size() > std::numeric_limits<UINT>::max())
        return UniqueBstr();
    return UniqueBstr(SysAllocStringLen(utf16.data(), static_cast<UINT>(utf16.size())));
}

UniqueBstr UniqueBstr::Copy(BSTR source) {
    if (source == nullptr)
        return UniqueBstr();
    return UniqueBstr(SysAllocStringLen(source, SysStringLen(source)));
}

UINT UniqueBstr::Length() const noexcept {
    return SysStringLen(m_bstr);
}

text::OleStringView UniqueBstr::View() const noexcept {
    if (m_bstr == nullptr)
        return {};
    return {m_bstr, SysStringLen(m_bstr)};
}

std::string UniqueBstr::ToUtf8() const {
    return text::Utf16ToUtf8(View());
}

void UniqueBstr::Reset(BSTR owned) noexcept {
    BSTR old = std::exchange(m_bstr, owned);
    if (old != owned)
        SysFreeString(old);
}

BSTR UniqueBstr::Release() noexcept {
    return std::exchange(m_bstr, nullptr);
}

BSTR* UniqueBstr::OutParam() noexcept {
    Reset();
    return &m_bstr;
}

} // namespace vortan::com
