#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "automation/ArgumentFrame.h"
#include "automation/dbus/BusContract.h"
#include "vortan/com/UniqueBstr.h"
#include "vortan/com/UniqueVariant.h"

using vortan::automation::ArgumentFrame;
using vortan::automation::FindMethod;
using vortan::automation::MethodInfo;
using vortan::com::UniqueBstr;
using vortan::com::UniqueVariant;

namespace {

std::vector<VARIANT> Shallow(const std::vector<UniqueVariant>& values) {
    std::vector<VARIANT> args;
    for (const UniqueVariant& value : values)
        args.push_back(value.Get());
    return args;
}

} // namespace

TEST(ArgumentFrame, CoercesArgumentsAsTheDispatchDoes) {
    // Format2: selector (in/out I2), three texts, option, result (out I2), late-bound.
    const MethodInfo& format2 = *FindMethod(9);
    std::vector<UniqueVariant> values;
    values.push_back(UniqueVariant::FromUtf8(" 7 ")); // text to I2
    values.push_back(UniqueVariant::FromI4(12));      // number to BSTR
    values.push_back(UniqueVariant::FromUtf8("p.ini"));
    values.push_back(UniqueVariant::FromUtf8("S"));
    values.push_back(UniqueVariant::FromI4(1)); // number to BOOL
    values.push_back(UniqueVariant::FromI2(5)); // initial value of the result
    const std::vector<VARIANT> args = Shallow(values);

    ArgumentFrame frame;
    std::string error;
    UINT argError = 99;
    ASSERT_EQ(frame.Load(format2, args, true, error, argError), S_OK) << error;
    EXPECT_EQ(*frame.ShortOut(0), 7);
    EXPECT_STREQ(frame.Text(1), "12");
    EXPECT_STREQ(frame.Text(2), "p.ini");
    EXPECT_NE(frame.Bool(4), VARIANT_FALSE);
    EXPECT_EQ(*frame.ShortOut(5), 5);

    *frame.ShortOut(0) = 1;
    *frame.ShortOut(5) = 2;
    const std::vector<UniqueVariant> outs = frame.Outputs();
    ASSERT_EQ(outs.size(), 2u);
    EXPECT_EQ(outs[0].Type(), VT_I2);
    EXPECT_EQ(outs[0].Get().iVal, 1);
    EXPECT_EQ(outs[1].Get().iVal, 2);
}

TEST(ArgumentFrame, RefusesWrongCountsAndTypesSayingWhich) {
    struct Case {
        const char* method;
        std::vector<UniqueVariant> (*args)();
        HRESULT hr;
        const char* error;
        UINT argError;
    };
    const Case cases[] = {
        {"ReadFile",
         [] {
             std::vector<UniqueVariant> v;
             v.push_back(UniqueVariant::FromUtf8("a"));
             return v;
         },
         DISP_E_BADPARAMCOUNT, "ReadFile takes 5 arguments, 1 given", 0},
        {"ShowFileSelectDialog",
         [] {
             std::vector<UniqueVariant> v;
             for (int i = 0; i < 3; ++i)
                 v.push_back(UniqueVariant::FromUtf8("a"));
             v.push_back(UniqueVariant::FromUtf8("0x10"));
             v.push_back(UniqueVariant::FromI4(0));
             return v;
         },
         DISP_E_TYPEMISMATCH,
         "argument 4 (openFileFlags) of ShowFileSelectDialog: cannot convert VT_BSTR to VT_I4", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        const std::vector<UniqueVariant> values = c.args();
        const std::vector<VARIANT> args = Shallow(values);
        ArgumentFrame frame;
        std::string error;
        UINT argError = 99;
        EXPECT_EQ(frame.Load(*FindMethod(c.method), args, false, error, argError), c.hr);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(argError, c.argError);
    }
}

TEST(AutomationMethods, IntrospectionDescribesEveryMethodAndTheSignal) {
    const std::string xml = vortan::automation::ApplicationInterfaceXml();
    for (const MethodInfo& method : vortan::automation::Methods())
        EXPECT_NE(xml.find("<method name=\"" + std::string(method.name) + "\">"), std::string::npos)
            << method.name;
    // WriteFile2 (s s s s b) -> (i n), in order.
    EXPECT_NE(xml.find("      <arg name=\"fileList\" type=\"s\" direction=\"in\"/>\n"
                       "      <arg name=\"option\" type=\"b\" direction=\"in\"/>\n"
                       "      <arg name=\"returnCode\" type=\"i\" direction=\"out\"/>\n"
                       "      <arg name=\"result\" type=\"n\" direction=\"out\"/>\n"),
              std::string::npos);
    EXPECT_NE(xml.find("<method name=\"Release\"/>"), std::string::npos);
    EXPECT_NE(xml.find("<signal name=\"Progress\">"), std::string::npos);
}

TEST(BusContract, BusNamePrefixesElementsThatBeginWithADigit) {
    EXPECT_EQ(vortan::automation::BusNameFromProgId("ZEPH.VORTAN.Application.7"),
              "ZEPH.VORTAN.Application._7");
    EXPECT_EQ(vortan::automation::BusNameFromProgId("1a.b2.3c"), "_1a.b2._3c");
}
