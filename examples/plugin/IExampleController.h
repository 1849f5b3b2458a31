#pragma once

// What the flash handling class needs from a controller: the directory of the board it is
// connected to. The flash class asks for it with QueryInterface, so a controller of another
// plug-in (which does not know this interface) is refused instead of being cast blindly.

#include <filesystem>

#include "vortan/ComponentContract.h"

namespace example_board {

// {58BEB837-9D79-4B62-BCE7-5963DA62CEF9}, made up for this plug-in; make up your own.
inline constexpr IID IID_IExampleController{
    0x58BEB837, 0x9D79, 0x4B62, {0xBC, 0xE7, 0x59, 0x63, 0xDA, 0x62, 0xCE, 0xF9}};

// What GetErrorInfo reports: the code in lCode, the system's errno in nValue1.
enum class ErrorCode : LONG {
    None = 0,
    NoSuchBoard = 1,  // Connect: no board directory of that name
    NotConnected = 2, // an item on a controller that is not connected (or not ours)
    LocalFile = 3,    // the local file could not be read or written
    MemoryName = 4,   // not a plain name, or no such file in the memory
    BoardIo = 5,      // the board's directory failed us
};

struct ItemError {
    ErrorCode code = ErrorCode::None;
    int sysError = 0;
};

class IExampleController : public IUnknown {
public:
    // The connected board's directory; empty when not connected.
    virtual std::filesystem::path BoardDirectory() const = 0;
    // What GetErrorInfo reports from now on.
    virtual void SetLastError(const ItemError& error) noexcept = 0;

protected:
    IExampleController() = default;
    IExampleController(const IExampleController&) = default;
    IExampleController& operator=(const IExampleController&) = default;
    ~IExampleController() = default;
};

} // namespace example_board
