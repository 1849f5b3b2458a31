#pragma once

#include <stdexcept>

// The framework's exception for an argument outside the range an operation accepts (a negative
// index, for instance). Callers that pass valid arguments never see it.
class CInvalidArgException final : public std::invalid_argument {
public:
    CInvalidArgException();
};

[[noreturn]] void AfxThrowInvalidArgException();
