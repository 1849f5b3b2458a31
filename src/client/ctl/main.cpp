// vortanctl: the VORTAN automation object from the command line, one call per run (and the
// controller's last error after a failed run).

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "client/ctl/CtlCommand.h"
#include "client/ctl/CtlOutcome.h"
#include "client/ctl/TerminalProgress.h"
#include "vortan/AutomationClient.h"
#include "vortan/ContractIds.h"

namespace {

using namespace vortan;

client::CallResult Call(client::DispatchObject& object, const ctl::CtlCommand& command) {
    DISPID dispid = 0;
    const std::string& m = command.method;
    const auto [end, ec] = std::from_chars(m.data(), m.data() + m.size(), dispid);
    if (ec == std::errc() && end == m.data() + m.size())
        return object.Invoke(dispid, command.args);
    return object.Invoke(std::string_view(m), command.args);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::error_code ec;
    const std::string cwd = std::filesystem::current_path(ec).string();
    if (ec) {
        std::fprintf(stderr, "vortanctl: the current directory is unknown: %s\n",
                     ec.message().c_str());
        return ctl::kExitFailed;
    }

    ctl::CtlCommand command;
    std::string error;
    if (!ctl::ParseCommandLine(args, cwd, command, error)) {
        std::fprintf(stderr, "vortanctl: %s\nTry 'vortanctl --help'.\n", error.c_str());
        return ctl::kExitUsage;
    }
    if (command.help) {
        std::fputs(ctl::UsageText().c_str(), stdout);
        return ctl::kExitOk;
    }
    if (command.version) {
        std::printf("vortanctl %s\n", VORTAN_VERSION);
        return ctl::kExitOk;
    }

    ctl::CtlOutcome outcome{command.verb, command.method, {}};
    {
        std::unique_ptr<client::DispatchObject> object;
        const HRESULT hr = client::CreateObject(kVortanApplicationProgId, object, &error);
        if (FAILED(hr)) {
            outcome.call.hr = hr;
            outcome.call.error = error.empty() ? "the server could not be started" : error;
        } else {
            ctl::TerminalProgress bar(stdout, !command.quiet && isatty(STDOUT_FILENO) == 1);
            if (!command.quiet && isatty(STDOUT_FILENO) == 1)
                object->SetProgressHandler([&bar](const client::Progress& progress) {
                    bar.Show(progress.status.empty() ? progress.caption : progress.status,
                             progress.percent);
                });
            outcome.call = Call(*object, command);
            object->SetProgressHandler({});
            bar.Finish();
            // The server of a failed run is still there and knows the controller's error.
            if (ctl::WantsLastError(outcome)) {
                const std::vector<client::Value> outs = {std::int32_t{0}, std::int16_t{0},
                                                         std::int16_t{0}, std::int16_t{0}};
                outcome.lastError = object->Invoke(std::string_view("GetLastErrorCode"), outs);
            }
            // Done with it: the server ends now instead of after the grace period. One that
            // ended with its run has nothing to release.
            object->Release();
        }
    }

    if (command.json) {
        std::printf("%s\n", ctl::FormatJson(outcome).c_str());
    } else {
        std::printf("%s\n", ctl::FormatLine(outcome).c_str());
        if (!outcome.call.error.empty())
            std::fprintf(stderr, "vortanctl: %s\n", outcome.call.error.c_str());
    }
    return ctl::ExitCode(outcome);
}
