#pragma once

#include <filesystem>

class CVORTANApp;

// The object-activation mechanism the application registers with: the session bus in the
// program, a fake in tests. Calls come on the program's one thread.
class IAutomationHost {
public:
    // The platform's OLE initialisation: FALSE when the bus cannot be reached.
    virtual bool Initialize() = 0;
    // Makes the class object available to the waiting client: objects first, then the name.
    // Creation requests are served by the main window's loop, from `app`'s main window.
    virtual void RegisterClassObjects(CVORTANApp& app) = 0;
    // Writes what lets the mechanism start `program` for a client; failures are not reported,
    // the window comes up either way.
    virtual void WriteRegistration(const std::filesystem::path& program) = 0;

protected:
    IAutomationHost() = default;
    IAutomationHost(const IAutomationHost&) = default;
    IAutomationHost& operator=(const IAutomationHost&) = default;
    ~IAutomationHost() = default;
};
