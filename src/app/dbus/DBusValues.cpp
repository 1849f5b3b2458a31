#include "app/dbus/DBusValues.h"

#include <limits>

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QMetaType>

#include "vortan/com/UniqueBstr.h"

namespace vortan::app::dbus {

namespace {

template <typename T>
HRESULT FromInteger(T value, const char* type, com::UniqueVariant& out, std::string& error) {
    if (value > std::numeric_limits<LONG>::max() ||
        (std::numeric_limits<T>::is_signed &&
         static_cast<long long>(value) < std::numeric_limits<LONG>::min())) {
        error = std::string("the ") + type + " value " + std::to_string(value) +
                " does not fit a 32-bit integer";
        return DISP_E_OVERFLOW;
    }
    out = com::UniqueVariant::FromI4(static_cast<LONG>(value));
    return S_OK;
}

} // namespace

HRESULT ToVariant(const QVariant& value, com::UniqueVariant& out, std::string& error) {
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return ToVariant(value.value<QDBusVariant>().variant(), out, error);
    switch (value.metaType().id()) {
    case QMetaType::QString:
        out = com::UniqueVariant::FromUtf8(value.toString().toStdString());
        return S_OK;
    case QMetaType::Int:
        out = com::UniqueVariant::FromI4(value.toInt());
        return S_OK;
    case QMetaType::Short:
        out = com::UniqueVariant::FromI2(static_cast<SHORT>(value.value<short>()));
        return S_OK;
    case QMetaType::Bool:
        out = com::UniqueVariant::FromBool(value.toBool());
        return S_OK;
    case QMetaType::UChar:
        return FromInteger(value.value<uchar>(), "y", out, error);
    case QMetaType::UShort:
        return FromInteger(value.value<ushort>(), "q", out, error);
    case QMetaType::UInt:
        return FromInteger(value.value<uint>(), "u", out, error);
    case QMetaType::LongLong:
        return FromInteger(value.value<qlonglong>(), "x", out, error);
    case QMetaType::ULongLong:
        return FromInteger(value.value<qulonglong>(), "t", out, error);
    default:
        break;
    }
    const char* signature = QDBusMetaType::typeToSignature(value.metaType());
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        signature = nullptr;
    error =
        std::string("the D-Bus type ") +
        (signature != nullptr ? std::string("'") + signature + "'" : std::string("of this value")) +
        " has no automation type";
    return DISP_E_BADVARTYPE;
}

QVariant FromVariant(const VARIANT& value) {
    switch (value.vt) {
    case VT_I2:
        return QVariant::fromValue<short>(value.iVal);
    case VT_I4:
        return QVariant::fromValue<int>(value.lVal);
    case VT_BOOL:
        return QVariant::fromValue<bool>(value.boolVal != VARIANT_FALSE);
    case VT_BSTR:
        return QString::fromStdString(com::UniqueBstr::Copy(value.bstrVal).ToUtf8());
    default:
        return QVariant::fromValue<int>(0);
    }
}

bool UnpackVariantArray(const QVariant& arg, QList<QVariant>& values) {
    values.clear();
    if (arg.metaType() == QMetaType::fromType<QVariantList>()) {
        for (const QVariant& item : arg.toList())
            values.push_back(item.metaType() == QMetaType::fromType<QDBusVariant>()
                                 ? item.value<QDBusVariant>().variant()
                                 : item);
        return true;
    }
    if (arg.metaType() != QMetaType::fromType<QDBusArgument>())
        return false;
    const QDBusArgument array = arg.value<QDBusArgument>();
    if (array.currentSignature() != QLatin1String("av"))
        return false;
    array.beginArray();
    while (!array.atEnd()) {
        QDBusVariant item;
        array >> item;
        values.push_back(item.variant());
    }
    array.endArray();
    return true;
}

} // namespace vortan::app::dbus
