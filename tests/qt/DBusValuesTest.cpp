#include "app/DBusValues.h"

#include "platform/com/UniqueBstr.h"

#include <QDBusVariant>

#include <gtest/gtest.h>

using vortan::com::UniqueBstr;
using vortan::com::UniqueVariant;
namespace dbus = vortan::app::dbus;

TEST(DBusValues, BusTypesBecomeTheirAutomationTypes) {
    struct Row {
        QVariant value;
        VARTYPE vt;
        LONG number;
        const char* text;
    };
    const Row rows[] = {
        {QVariant::fromValue(QStringLiteral("Grüße")), VT_BSTR, 0, "Grüße"},
        {QVariant::fromValue<int>(-5), VT_I4, -5, nullptr},
        {QVariant::fromValue<short>(-2), VT_I2, -2, nullptr},
        {QVariant::fromValue<bool>(true), VT_BOOL, VARIANT_TRUE, nullptr},
        {QVariant::fromValue<uchar>(200), VT_I4, 200, nullptr},
        {QVariant::fromValue<uint>(2147483647u), VT_I4, 2147483647, nullptr},
        {QVariant::fromValue<qlonglong>(-2147483648LL), VT_I4, -2147483647 - 1, nullptr},
        {QVariant::fromValue(QDBusVariant(QVariant::fromValue<short>(9))), VT_I2, 9, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value.typeName());
        UniqueVariant out;
        std::string error;
        ASSERT_EQ(dbus::ToVariant(row.value, out, error), S_OK) << error;
        EXPECT_EQ(out.Type(), row.vt);
        if (row.vt == VT_BSTR)
            EXPECT_EQ(UniqueBstr::Copy(out.Get().bstrVal).ToUtf8(), row.text);
        else if (row.vt == VT_I2)
            EXPECT_EQ(out.Get().iVal, row.number);
        else if (row.vt == VT_BOOL)
            EXPECT_EQ(out.Get().boolVal, row.number);
        else
            EXPECT_EQ(out.Get().lVal, row.number);
    }
}

TEST(DBusValues, RefusesValuesWithoutAutomationTypeSayingWhich) {
    struct Row {
        QVariant value;
        HRESULT hr;
        const char* error;
    };
    const Row rows[] = {
        {QVariant::fromValue<uint>(3000000000u), DISP_E_OVERFLOW,
         "the u value 3000000000 does not fit a 32-bit integer"},
        {QVariant::fromValue<qlonglong>(-3000000000LL), DISP_E_OVERFLOW,
         "the x value -3000000000 does not fit a 32-bit integer"},
        {QVariant::fromValue<double>(1.5), DISP_E_BADVARTYPE,
         "the D-Bus type 'd' has no automation type"},
        {QVariant::fromValue(QStringList{QStringLiteral("a")}), DISP_E_BADVARTYPE,
         "the D-Bus type 'as' has no automation type"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error);
        UniqueVariant out;
        std::string error;
        EXPECT_EQ(dbus::ToVariant(row.value, out, error), row.hr);
        EXPECT_EQ(error, row.error);
    }
}

TEST(DBusValues, ResultsKeepTheirBusTypes) {
    const UniqueVariant i2 = UniqueVariant::FromI2(-1);
    const UniqueVariant i4 = UniqueVariant::FromI4(0x7FFFFFFF);
    const UniqueVariant flag = UniqueVariant::FromBool(true);
    const UniqueVariant text = UniqueVariant::FromUtf8("/a/ß");
    EXPECT_EQ(dbus::FromVariant(i2.Get()).metaType().id(), QMetaType::Short);
    EXPECT_EQ(dbus::FromVariant(i2.Get()).value<short>(), -1);
    EXPECT_EQ(dbus::FromVariant(i4.Get()).toInt(), 0x7FFFFFFF);
    EXPECT_EQ(dbus::FromVariant(flag.Get()).metaType().id(), QMetaType::Bool);
    EXPECT_EQ(dbus::FromVariant(text.Get()).toString(), QStringLiteral("/a/ß"));

    QList<QVariant> values;
    EXPECT_TRUE(dbus::UnpackVariantArray(
        QVariantList{QVariant::fromValue(QDBusVariant(QVariant::fromValue<int>(3))),
                     QVariant::fromValue(QStringLiteral("x"))},
        values));
    ASSERT_EQ(values.size(), 2);
    EXPECT_EQ(values[0].toInt(), 3);
    EXPECT_EQ(values[1].toString(), QStringLiteral("x"));
    EXPECT_FALSE(dbus::UnpackVariantArray(QVariant::fromValue<int>(1), values));
}
