#include "platform/afx/InvalidArgException.h"

CInvalidArgException::CInvalidArgException() : std::invalid_argument("Invalid argument") {}

void AfxThrowInvalidArgException() {
    throw CInvalidArgException();
}
