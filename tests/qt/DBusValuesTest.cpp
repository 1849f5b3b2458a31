#include "app/dbus/DBusValues.h"

#include <QDBusVariant>
#include <gtest/gtest.h>

#include "vortan/com/UniqueBstr.h"

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
