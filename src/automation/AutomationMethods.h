#pragma once

// The dispatch map of the automation object: twelve methods, DISPIDs 1 to 12, with the
// parameter kinds clients bind to. The server's dispatch, the bus interface (BusContract) and
// the clients are all derived from this one table, which knows nothing of any bus.

#include <span>
#include <string_view>
#include <vector>

#include "vortan/WinTypes.h"
#include "vortan/com/Variant.h"

namespace vortan::automation {

enum class ParamKind {
    Bstr,    // VTS_BSTR: text in
    I4,      // VTS_I4: 32-bit in
    Bool,    // VTS_BOOL: VARIANT_BOOL in
    OutI2,   // VTS_PI2 filled by the method
    InOutI2, // VTS_PI2 read and written (the format selector)
    OutI4,   // VTS_PI4 filled by the method
    OutBstr, // VTS_PBSTR filled by the method
};

struct ParamInfo {
    ParamKind kind;
    std::string_view name;
};

struct MethodInfo {
    DISPID dispid;
    std::string_view name;
    std::vector<ParamInfo> params;
};

// The twelve methods in DISPID order.
std::span<const MethodInfo> Methods();
// By DISPID, or null.
const MethodInfo* FindMethod(DISPID dispid);
// By name without regard to ASCII case, as GetIDsOfNames matches; null if unknown.
const MethodInfo* FindMethod(std::string_view name);

bool IsInput(ParamKind kind);  // appears among the named method's arguments
bool IsOutput(ParamKind kind); // appears among its results
// The VARIANT type a parameter kind is held in (VT_BSTR, VT_I4, VT_BOOL, VT_I2).
VARTYPE ValueType(ParamKind kind);

} // namespace vortan::automation
