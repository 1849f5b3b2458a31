#pragma once

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
    // The registration was rewritten: the bus reads its service files again.
    virtual void RegistrationChanged() = 0;

protected:
    IAutomationHost() = default;
    IAutomationHost(const IAutomationHost&) = default;
    IAutomationHost& operator=(const IAutomationHost&) = default;
    ~IAutomationHost() = default;
};
