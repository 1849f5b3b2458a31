#pragma once

// Conversion between D-Bus values (as QtDBus hands them over) and the VARIANTs of the
// dispatch. D-Bus s, i, n and b become VT_BSTR, VT_I4, VT_I2 and VT_BOOL; the other integer
// types become VT_I4 when they fit.

#include <string>

#include <QList>
#include <QVariant>

#include "vortan/com/HResult.h"
#include "vortan/com/UniqueVariant.h"

namespace vortan::app::dbus {

// A message argument or the content of a `v`. Failures: DISP_E_OVERFLOW (an integer beyond
// 32 bits), DISP_E_BADVARTYPE (a type with no VARIANT here: doubles, arrays, structs, ...);
// `error` then names the D-Bus type.
HRESULT ToVariant(const QVariant& value, com::UniqueVariant& out, std::string& error);

// The D-Bus value of a result: VT_I2 as n, VT_I4 as i, VT_BOOL as b, VT_BSTR as s.
QVariant FromVariant(const VARIANT& value);

// The elements of an `av` argument, each unwrapped from its variant; false if `arg` is none.
bool UnpackVariantArray(const QVariant& arg, QList<QVariant>& values);

} // namespace vortan::app::dbus
