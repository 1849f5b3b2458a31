#pragma once

// What the main dialog knows of the automation object that drives it: enough to cut the
// object's pointer back to the dialog when the dialog goes first.
class IAutomationLink {
public:
    virtual void DetachDialog() = 0;

protected:
    ~IAutomationLink() = default;
};
