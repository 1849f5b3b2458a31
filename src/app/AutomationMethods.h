#pragma once

// The dispatch map of the automation object: twelve methods, DISPIDs 1 to 12, with the
// parameter kinds clients bind to. The D-Bus adaptor, the introspection data and the client
// library are all derived from this one table.

#include "platform/WinDef.h"
#include "vortan/com/HResult.h"
#include "vortan/com/UniqueBstr.h"
#include "vortan/com/UniqueVariant.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vortan::app {

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
// The D-Bus type code of a parameter kind ("s", "i", "b", "n").
std::string_view DBusType(ParamKind kind);
// The D-Bus input and output signatures of the named method; outputs start with the "i" of
// the return code.
std::string InputSignature(const MethodInfo& method);
std::string OutputSignature(const MethodInfo& method);

// One call's arguments, held in the types the methods take. Load coerces client values as the
// platform's dispatch does (VariantChangeType); the methods then read and write through the
// typed accessors, and Outputs() hands back what they wrote, in declaration order.
class ArgumentFrame final {
public:
    // `args` are in declaration order. With `outputsGiven` (a late-bound Invoke) every
    // parameter has a value, out-parameters included, whose initial value the method sees;
    // otherwise (a named call) only the inputs are given and outputs start as 0 or "".
    // Failures: DISP_E_BADPARAMCOUNT, DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW,
    // DISP_E_BADVARTYPE; `error` then says which argument and why, and `argError` is its
    // position.
    HRESULT Load(const MethodInfo& method, std::span<const VARIANT> args, bool outputsGiven,
                 std::string& error, UINT& argError);

    const char* Text(std::size_t index) const { return m_texts[index].c_str(); }
    LONG Long(std::size_t index) const { return m_longs[index]; }
    VARIANT_BOOL Bool(std::size_t index) const { return m_bools[index]; }
    SHORT* ShortOut(std::size_t index) { return &m_shorts[index]; }
    LONG* LongOut(std::size_t index) { return &m_longs[index]; }
    BSTR* BstrOut(std::size_t index) { return m_bstrs[index].OutParam(); }

    // The values of the out- and in/out parameters, in declaration order.
    std::vector<com::UniqueVariant> Outputs() const;

private:
    const MethodInfo* m_method = nullptr;
    std::vector<std::string> m_texts;
    std::vector<LONG> m_longs;
    std::vector<SHORT> m_shorts;
    std::vector<VARIANT_BOOL> m_bools;
    std::vector<com::UniqueBstr> m_bstrs;
};

// The interface description of the automation object (the <interface> element) for
// introspection: every named method, GetIDsOfNames, Invoke, Release and the Progress signal.
std::string ApplicationInterfaceXml();
// The same for the class factory's CreateInstance.
std::string ClassFactoryInterfaceXml();

// D-Bus error names for dispatch failures ("ZEPH.VORTAN.Error.TypeMismatch", ...).
std::string_view DispatchErrorName(HRESULT hr);

inline constexpr const char* kBusName = "ZEPH.VORTAN.Application._7";
inline constexpr const char* kApplicationPath = "/ZEPH/VORTAN/Application";
inline constexpr const char* kApplicationInterface = "ZEPH.VORTAN.Application";
inline constexpr const char* kClassFactoryPath = "/ZEPH/VORTAN/ClassFactory";
inline constexpr const char* kClassFactoryInterface = "ZEPH.VORTAN.ClassFactory";
// A second CreateInstance on a server that has served its one client.
inline constexpr const char* kErrorSingleUse = "ZEPH.VORTAN.Error.SingleUse";

} // namespace vortan::app
