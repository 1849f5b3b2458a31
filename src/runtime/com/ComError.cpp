#include "vortan/com/ComError.h"

#include <cstdio>

const char* _com_error::what() const noexcept {
    std::snprintf(m_text, sizeof m_text, "COM error 0x%08X", static_cast<unsigned>(m_hr));
    return m_text;
}

void _com_issue_error(HRESULT hr) {
    throw _com_error(hr);
}

void _com_issue_errorex(HRESULT hr, IUnknown* /*object*/, REFIID iid) {
    throw _com_error(hr, iid);
}
