#pragma once

#include <span>
#include <string>

namespace vortan::app {

// What the program was started for. The platform's embedding and automation switches start
// the server; a start without switches writes the registration and shows the window.
struct CommandLineInfo {
    enum class Action {
        Run,
        Register,
        Unregister,
        RegisterPlugin,   // --register-plugin PATH
        UnregisterPlugin, // --unregister-plugin PATH
        Help,
        Version,
        Error
    };

    Action action = Action::Run;
    bool bRunEmbedded = false;  // -Embedding, /Embedding (any case)
    bool bRunAutomated = false; // --automation, -Automation, /Automation (any case)
    std::string strPlugin;      // the PATH of --register-plugin, --unregister-plugin
    std::string strError;       // what was not understood, as a sentence for the user

    // argv without the program name.
    static CommandLineInfo Parse(std::span<const char* const> args);

    bool StartedByBus() const { return bRunEmbedded || bRunAutomated; }
};

} // namespace vortan::app
