#pragma once

#include "automation/ArgumentFrame.h"
#include "automation/AutomationMethods.h"

namespace vortan::app {

// What the COM object forwards a call to once its arguments are loaded: in the program the
// automation proxy on the main dialog, in tests a fake. Owned by the object, so it goes with
// the object's last reference.
class IDispatchTarget {
public:
    virtual ~IDispatchTarget() = default;
    // Runs one method of the dispatch map; the outputs are written into `frame`. Answers the
    // method's 32-bit return code.
    virtual LONG Invoke(const automation::MethodInfo& method, automation::ArgumentFrame& frame) = 0;

protected:
    IDispatchTarget() = default;
    IDispatchTarget(const IDispatchTarget&) = default;
    IDispatchTarget& operator=(const IDispatchTarget&) = default;
};

} // namespace vortan::app
