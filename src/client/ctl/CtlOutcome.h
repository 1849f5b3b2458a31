#pragma once

// How vortanctl reports a call: `key=value` words a shell can `eval`, or one JSON object, and
// the exit code that sums it up.

#include "vortan/AutomationClient.h"

#include <string>
#include <string_view>

namespace vortan::ctl {

struct CtlOutcome {
    std::string verb;
    std::string method; // as the server knows it, for the output's names
    client::CallResult call;
};

// 0 when the code is S_OK and a result flag, where the method has one, is 1; 3 when that
// flag is 2 (the user cancelled); 1 otherwise.
int ExitCode(const CtlOutcome& outcome);

// code=0x00000000 result=1 ... on one line; values with blanks or quotes are single-quoted.
std::string FormatLine(const CtlOutcome& outcome);
// {"verb":"write","method":"WriteFile2","code":"0x00000000","ok":true,"result":1,...}
std::string FormatJson(const CtlOutcome& outcome);

// A value quoted for a POSIX shell when it needs to be.
std::string ShellQuote(std::string_view value);

} // namespace vortan::ctl
