#pragma once

// The COM error exception: what the call wrappers raise for a failed HRESULT. It carries the
// code and the interface whose call failed; callers that must not throw catch it and turn it
// back into the HRESULT.

#include <exception>

#include "vortan/com/Guid.h"
#include "vortan/com/HResult.h"

class IUnknown;

class _com_error final : public std::exception {
public:
    explicit _com_error(HRESULT hr, const IID& iid = IID_NULL) noexcept : m_hr(hr), m_iid(iid) {}

    HRESULT Error() const noexcept { return m_hr; }
    const IID& InterfaceId() const noexcept { return m_iid; }
    // "COM error 0x80004005"
    const char* what() const noexcept override;

private:
    HRESULT m_hr;
    IID m_iid;
    mutable char m_text[24] = {};
};

// Raise the exception for `hr` (the platform's names for it).
[[noreturn]] void _com_issue_error(HRESULT hr);
[[noreturn]] void _com_issue_errorex(HRESULT hr, IUnknown* object, REFIID iid);

namespace vortan::com {

// Raises `hr` as _com_error when it is a failure; returns it otherwise.
inline HRESULT ThrowIfFailed(HRESULT hr, REFIID iid = IID_NULL) {
    if (FAILED(hr))
        _com_issue_errorex(hr, nullptr, iid);
    return hr;
}

} // namespace vortan::com
