#include "app/com/ComServerRegistration.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

using vortan::app::RegistrationSwitch;

TEST(ComServerRegistration, FindsTheSetupSwitchesAndQuotesTheServer) {
    const struct {
        std::vector<const char*> args;
        RegistrationSwitch expected;
    } cases[] = {
        {{"/RegServer"}, RegistrationSwitch::Register},
        {{"-unregserver"}, RegistrationSwitch::Unregister},
        {{"/Automation", "-REGSERVER"}, RegistrationSwitch::Register},
        {{"/Automation", "-Embedding"}, RegistrationSwitch::None},
        {{"RegServer"}, RegistrationSwitch::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vortan::app::FindRegistrationSwitch(c.args), c.expected) << c.args.back();
    EXPECT_EQ(vortan::app::LocalServerCommand("C:\\Program Files\\VORTAN\\vortan.exe"),
              "\"C:\\Program Files\\VORTAN\\vortan.exe\" /Automation");
}

} // namespace
