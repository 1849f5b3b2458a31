#include "platform/afx/NotSupportedException.h"

CNotSupportedException::CNotSupportedException() : std::logic_error("Not supported") {}

void AfxThrowNotSupportedException() {
    throw CNotSupportedException();
}
