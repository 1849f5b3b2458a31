#pragma once

// The private side of this plug-in's controller: the flash handling class asks an IController
// for it to reach the open board. A controller of another component does not answer it, and
// is refused.

#include <memory>

#include "components/simboard/BoardError.h"
#include "vortan/com/IUnknown.h"

namespace vortan::simboard {

class SimBoard;

// {7A3C52E1-4B0D-4F6E-9C1A-2D8E5B6F0A17}
inline constexpr IID IID_ISimController{
    0x7A3C52E1, 0x4B0D, 0x4F6E, {0x9C, 0x1A, 0x2D, 0x8E, 0x5B, 0x6F, 0x0A, 0x17}};

class ISimController : public IUnknown {
public:
    // The open board, or null when not connected. Shared, so that an item keeps its board
    // even if an event handler disconnects meanwhile.
    virtual std::shared_ptr<SimBoard> Board() noexcept = 0;
    // What GetErrorInfo reports from now on.
    virtual void SetLastError(const BoardError& error) noexcept = 0;

protected:
    ISimController() = default;
    ISimController(const ISimController&) = default;
    ISimController& operator=(const ISimController&) = default;
    ~ISimController() = default;
};

} // namespace vortan::simboard
