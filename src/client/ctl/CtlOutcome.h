#pragma once

// How vortanctl reports a call: `key=value` words a shell can `eval`, or one JSON object, and
// the exit code that sums it up.

#include <optional>
#include <string>
#include <string_view>

#include "vortan/AutomationClient.h"

namespace vortan::ctl {

struct CtlOutcome {
    std::string verb;
    std::string method; // as the server knows it, for the output's names
    client::CallResult call;
    // GetLastErrorCode of the same object after a run that did not succeed (its outputs:
    // code, value1, value2, value3), when the server could still tell.
    std::optional<client::CallResult> lastError = std::nullopt;
};

// 0 when the code is S_OK and a result flag, where the method has one, is 1; 3 when that
// flag is 2 (the user cancelled); 1 otherwise.
int ExitCode(const CtlOutcome& outcome);

// A transfer or format went through to the server and failed: the controller's last error
// may say why.
bool WantsLastError(const CtlOutcome& outcome);

// code=0x00000000 result=1 ... on one line; values with blanks or quotes are single-quoted.
// The last error follows as error=... value1=... value2=... value3=...
std::string FormatLine(const CtlOutcome& outcome);
// {"verb":"write","method":"WriteFile2","code":"0x00000000","ok":true,"result":1,...}, the
// last error as "lastError":{"error":...,"value1":...,"value2":...,"value3":...}
std::string FormatJson(const CtlOutcome& outcome);

// A value quoted for a POSIX shell when it needs to be.
std::string ShellQuote(std::string_view value);

} // namespace vortan::ctl
