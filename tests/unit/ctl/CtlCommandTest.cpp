#include "client/ctl/CtlCommand.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vortan::ctl {
namespace {

using client::Value;
using Args = std::vector<std::string>;

CtlCommand Parse(const Args& argv) {
    CtlCommand command;
    std::string error;
    EXPECT_TRUE(ParseCommandLine(argv, "/home/u/work", command, error)) << error;
    return command;
}

TEST(CtlCommand, VerbsBuildTheirMethodCallsWithAbsoluteLocalPaths) {
    const std::int16_t zero = 0;
    struct Case {
        Args argv;
        std::string method;
        std::vector<Value> args;
    };
    const Case cases[] = {
        {{"-c", "DEMO", "write", "a.ini", "../b.ini", "/etc/c.ini"},
         "WriteFile2",
         {"DEMO", "", "", "/home/u/work/a.ini;/home/u/work/../b.ini;/etc/c.ini", false, zero}},
        {{"--controller=PLC", "--profile", "texts.ini", "--section", "S", "--option", "write",
          "./x/y.ini"},
         "WriteFile2",
         {"PLC", "/home/u/work/texts.ini", "S", "/home/u/work/x/y.ini", true, zero}},
        {{"-c", "DEMO", "read", "a.ini", "sub/b.ini"},
         "ReadFile2",
         {"DEMO", "", "", "/home/u/work", "a.ini;sub/b.ini", false, zero}},
        {{"select-files"}, "ShowFileSelectDialog", {"", "", "", 0, 0x203, "", zero}},
        {{"--open-flags", "0x2802", "--control-flags", "1", "select-files", "cfg"},
         "ShowFileSelectDialog",
         {"", "", "/home/u/work/cfg", 0x2802, 1, "", zero}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argv.back());
        const CtlCommand command = Parse(c.argv);
        EXPECT_EQ(c.method, command.method);
        EXPECT_EQ(c.args, command.args);
    }
}

TEST(CtlCommand, CallTypesArgumentsBySignatureAndFillsOutputs) {
    const std::int16_t zero = 0;
    struct Case {
        Args argv;
        std::string method;
        std::vector<Value> args;
    };
    const Case cases[] = {
        {{"call", "9", "-7", "DEMO", "p", "s", "0"},
         "9",
         {std::int16_t{-7}, "DEMO", "p", "s", false, zero}},
        {{"call", "ShowFileSelectDialog", "p", "s", "d", "0xFFFFFFFF", "-1"},
         "ShowFileSelectDialog",
         {"p", "s", "d", -1, -1, "", zero}},
        {{"call", "6"}, "6", {0, zero, zero, zero}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argv[1]);
        const CtlCommand command = Parse(c.argv);
        EXPECT_EQ("call", command.verb);
        EXPECT_EQ(c.method, command.method);
        EXPECT_EQ(c.args, command.args);
    }
}

TEST(CtlCommand, UsageErrorsSayWhatIsWrong) {
    const std::pair<Args, std::string> cases[] = {
        {{}, "no verb given"},
        {{"copy"}, "unknown verb copy"},
        {{"--force", "close"}, "unknown option --force"},
        {{"write", "a.ini"}, "write needs the controller (-c NAME)"},
        {{"-c", "DEMO", "write"}, "write needs at least one local file"},
        {{"-c", "DEMO", "read"}, "read needs at least one name in the memory"},
        {{"-c", "DEMO", "format", "x"}, "format takes no arguments"},
        {{"last-error"},
         "last-error is gone: each run has a server of its own, and a failed run prints the "
         "controller's last error itself (error= value1= value2= value3=)"},
        {{"-c"}, "-c needs a value"},
        {{"--json=1", "close"}, "--json takes no value"},
        {{"--open-flags", "many", "select-files"}, "--open-flags: \"many\" is no 32-bit integer"},
        {{"call"}, "call needs a method name or DISPID"},
        {{"call", "13"}, "no method 13 (names and DISPIDs: see --help)"},
        {{"call", "Frobnicate"}, "no method Frobnicate (names and DISPIDs: see --help)"},
        {{"call", "RemoveFiles", "DEMO"}, "RemoveFiles takes 4 arguments, 1 given"},
        {{"call", "Format", "70000", "D", "p", "s"}, "selector: \"70000\" is no 16-bit integer"},
        {{"call", "WriteFile2", "D", "p", "s", "a", "maybe"},
         "option: \"maybe\" is neither true nor false"},
    };
    for (const auto& [argv, message] : cases) {
        CtlCommand command;
        std::string error;
        EXPECT_FALSE(ParseCommandLine(argv, "/w", command, error)) << message;
        EXPECT_EQ(message, error);
    }
}

TEST(CtlCommand, HelpNeedsNoVerbAndHasAnExampleOfEveryVerb) {
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"--version"}).version);
    const std::string usage = UsageText();
    for (const char* verb : {" write ", " read ", " remove ", " format", " select-files ",
                             " select-dir ", " close", " call WriteFile2 "}) {
        const auto examples = usage.find("Examples:");
        ASSERT_NE(std::string::npos, examples);
        EXPECT_NE(std::string::npos, usage.find(verb, examples)) << verb;
    }
}

} // namespace
} // namespace vortan::ctl
