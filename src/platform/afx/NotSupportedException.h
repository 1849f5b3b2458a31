#pragma once

#include <stdexcept>

// The framework's exception for a request an object cannot carry out in its state (a dialog
// item that cannot be taken over, for instance).
class CNotSupportedException final : public std::logic_error {
public:
    CNotSupportedException();
};

[[noreturn]] void AfxThrowNotSupportedException();
