#pragma once

// The automation object as the session bus sees it: names, D-Bus types of the dispatch
// table's parameters, the introspection data and the error names. Server and clients share
// it; plain C++, no bus library.

#include <string>
#include <string_view>

#include "automation/AutomationMethods.h"
#include "vortan/com/HResult.h"

namespace vortan::automation {

inline constexpr const char* kBusName = "ZEPH.VORTAN.Application._7";
inline constexpr const char* kApplicationPath = "/ZEPH/VORTAN/Application";
inline constexpr const char* kApplicationInterface = "ZEPH.VORTAN.Application";
inline constexpr const char* kClassFactoryPath = "/ZEPH/VORTAN/ClassFactory";
inline constexpr const char* kClassFactoryInterface = "ZEPH.VORTAN.ClassFactory";
// A second CreateInstance on a server that has served its one client.
inline constexpr const char* kErrorSingleUse = "ZEPH.VORTAN.Error.SingleUse";

// The bus name of a ProgID: every element that begins with a digit gets a leading '_'
// ("ZEPH.VORTAN.Application.7" -> "ZEPH.VORTAN.Application._7").
std::string BusNameFromProgId(std::string_view progId);

// The D-Bus type code of a parameter kind ("s", "i", "b", "n").
std::string_view DBusType(ParamKind kind);
// The D-Bus input and output signatures of the named method; outputs start with the "i" of
// the return code.
std::string InputSignature(const MethodInfo& method);
std::string OutputSignature(const MethodInfo& method);

// The interface description of the automation object (the <interface> element) for
// introspection: every named method, GetIDsOfNames, Invoke, Release and the Progress signal.
std::string ApplicationInterfaceXml();
// The same for the class factory's CreateInstance.
std::string ClassFactoryInterfaceXml();

// D-Bus error names for dispatch failures ("ZEPH.VORTAN.Error.TypeMismatch", ...).
std::string_view DispatchErrorName(HRESULT hr);

} // namespace vortan::automation
