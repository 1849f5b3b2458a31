#include "vortan/com/HResult.h"

#include <cstdio>

std::string FormatHResult(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}
