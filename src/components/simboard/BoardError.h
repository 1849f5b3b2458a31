#pragma once

// What went wrong with a board or an item, as the controller reports it in GetErrorInfo.
// The numbers are part of what clients see (README.md has the table); never renumber.

#include <cstdint>

namespace vortan::simboard {

enum class BoardErrorCode : std::int32_t {
    None = 0,
    InvalidBoardName = 1,       // not a plain name
    NoSuchBoard = 2,            // no board directory (or no flash/ in it)
    BoardBusy = 3,              // another process holds the board
    BoardConfigInvalid = 4,     // board.ini has a value that is no number
    NotConnected = 5,           // operation without an open connection
    ForeignController = 6,      // the IController handed in is not this plug-in's
    InvalidMemoryName = 7,      // not a plain name of at most 64 bytes
    NoSuchMemoryFile = 8,       // read or remove of a name the memory does not hold
    LocalSourceMissing = 9,     // the local file to write does not exist
    LocalSourceNotAFile = 10,   // the local source is a directory or a device
    LocalTargetUnwritable = 11, // the local file of a read cannot be created
    CapacityExceeded = 12,      // the file does not fit into the memory
    FileCountExceeded = 13,     // the memory holds its maximum number of files
    BoardGone = 14,             // the board directory vanished while connected
    BoardReadOnly = 15,         // board.ini marks the board read-only
    InjectedFault = 16,         // a fault switch of board.ini fired
    BoardIoError = 17,          // the board's files could not be read or written
    LocalIoError = 18,          // the local file could not be read or written
    InvalidArgument = 19,       // a null pointer where a value is needed
    BoardExists = 20,           // creating a board whose directory exists
};

struct BoardError {
    BoardErrorCode code = BoardErrorCode::None;
    int sysError = 0; // errno of the failed system call, 0 if none

    explicit operator bool() const noexcept { return code != BoardErrorCode::None; }
};

inline BoardError Fail(BoardErrorCode code, int sysError = 0) noexcept {
    return BoardError{code, sysError};
}

// A short English text for the tool's messages.
const char* Describe(BoardErrorCode code) noexcept;

} // namespace vortan::simboard
