#pragma once

// What one vortanctl invocation asks for, parsed from its command line: the verb, the method
// it calls and that method's arguments, ready for a late-bound call.

#include <string>
#include <vector>

#include "vortan/AutomationClient.h"

namespace vortan::ctl {

// Exit codes a script can rely on.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitCancelled = 3;

struct CtlCommand {
    std::string verb;                // "write", ..., "call"; empty with help or version
    std::string method;              // the method's name, or the DISPID in decimal for `call 10`
    std::vector<client::Value> args; // every parameter in order, out-parameters included
    bool json = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Parses the arguments after the program name. Local paths (the files to write, the directory
// to read into, the profile file, the initial directory of a selection) become absolute
// against `cwd`; names in the memory are left as they are. On a usage error returns false
// and says why in `error`.
bool ParseCommandLine(const std::vector<std::string>& argv, const std::string& cwd,
                      CtlCommand& command, std::string& error);

// The text of --help.
std::string UsageText();

} // namespace vortan::ctl
