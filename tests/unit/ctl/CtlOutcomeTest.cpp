#include "client/ctl/CtlOutcome.h"

#include <gtest/gtest.h>

#include "client/ctl/CtlCommand.h"
#include "client/ctl/TerminalProgress.h"

namespace vortan::ctl {
namespace {

using client::CallResult;

CtlOutcome Outcome(std::string verb, std::string method, HRESULT hr,
                   std::vector<client::Value> outs, std::string error = {}) {
    return CtlOutcome{std::move(verb), std::move(method),
                      CallResult{hr, std::move(outs), std::move(error)}};
}

TEST(CtlOutcome, ExitCodeFollowsCodeAndResultFlag) {
    const std::int16_t one = 1;
    const struct {
        CtlOutcome outcome;
        int exit;
    } cases[] = {
        {Outcome("read", "ReadFile2", E_FAIL, {one}), kExitFailed},
        {Outcome("format", "Format2", S_OK, {std::int16_t{2}, std::int16_t{0}}), kExitFailed},
        {Outcome("select-dir", "ShowDirectorySelectDialog", S_OK, {"/x", std::int16_t{2}}),
         kExitCancelled},
        {Outcome("select-files", "ShowFileSelectDialog", S_OK, {"", std::int16_t{-1}}),
         kExitFailed},
        {Outcome("last-error", "GetLastErrorCode", S_OK, {7, std::int16_t{2}, one, one}), kExitOk},
        {Outcome("call", "12", S_OK, {std::int16_t{2}}), kExitCancelled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outcome.method);
        EXPECT_EQ(c.exit, ExitCode(c.outcome));
    }
}

TEST(CtlOutcome, LineAndJsonNameEveryOutput) {
    const std::int16_t one = 1;
    const struct {
        CtlOutcome outcome;
        std::string line;
        std::string json;
    } cases[] = {
        {Outcome("format", "9", E_INVALIDARG, {one, std::int16_t{0}}),
         "code=0x80070057 selector=1 result=0",
         R"({"verb":"format","method":"Format2","code":"0x80070057","exit":1,"ok":false,"selector":1,"result":0})"},
        {Outcome("select-files", "ShowFileSelectDialog", S_OK, {"/a b/x.ini;/c/it's.ini", one}),
         R"(code=0x00000000 files='/a b/x.ini;/c/it'\''s.ini' result=1)",
         R"({"verb":"select-files","method":"ShowFileSelectDialog","code":"0x00000000","exit":0,"ok":true,"files":"/a b/x.ini;/c/it's.ini","result":1})"},
        {Outcome("read", "ReadFile2", static_cast<HRESULT>(0x80010108), {},
                 "org.freedesktop.DBus.Error.NoReply: \"gone\"\n"),
         "code=0x80010108",
         R"({"verb":"read","method":"ReadFile2","code":"0x80010108","exit":1,"ok":false,"error":"org.freedesktop.DBus.Error.NoReply: \"gone\"\n"})"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.line, FormatLine(c.outcome));
        EXPECT_EQ(c.json, FormatJson(c.outcome));
    }
}

TEST(TerminalProgress, LineFitsTheTerminal) {
    EXPECT_EQ("[###############---------------]  50%  Schreibe a.ini",
              TerminalProgress::Line("Schreibe a.ini", 50, 80));
    EXPECT_EQ("[------------------------------]   0%", TerminalProgress::Line("x", -5, 37));
    EXPECT_EQ("[##############################] 100%  Lösc",
              TerminalProgress::Line("Lösche b.ini", 140, 44));
}

} // namespace
} // namespace vortan::ctl
