#include "components/simboard/BoardError.h"

namespace vortan::simboard {

const char* Describe(BoardErrorCode code) noexcept {
    switch (code) {
    case BoardErrorCode::None:
        return "no error";
    case BoardErrorCode::InvalidBoardName:
        return "not a valid board name";
    case BoardErrorCode::NoSuchBoard:
        return "no such board";
    case BoardErrorCode::BoardBusy:
        return "board is in use by another process";
    case BoardErrorCode::BoardConfigInvalid:
        return "board.ini holds an invalid value";
    case BoardErrorCode::NotConnected:
        return "not connected";
    case BoardErrorCode::ForeignController:
        return "controller of another component";
    case BoardErrorCode::InvalidMemoryName:
        return "not a valid file name for the memory";
    case BoardErrorCode::NoSuchMemoryFile:
        return "no such file in the memory";
    case BoardErrorCode::LocalSourceMissing:
        return "local file not found";
    case BoardErrorCode::LocalSourceNotAFile:
        return "local source is not a regular file";
    case BoardErrorCode::LocalTargetUnwritable:
        return "local file cannot be written";
    case BoardErrorCode::CapacityExceeded:
        return "memory capacity exceeded";
    case BoardErrorCode::FileCountExceeded:
        return "maximum number of files reached";
    case BoardErrorCode::BoardGone:
        return "board directory has disappeared";
    case BoardErrorCode::BoardReadOnly:
        return "board is read-only";
    case BoardErrorCode::InjectedFault:
        return "injected fault";
    case BoardErrorCode::BoardIoError:
        return "board I/O error";
    case BoardErrorCode::LocalIoError:
        return "local I/O error";
    case BoardErrorCode::InvalidArgument:
        return "invalid argument";
    case BoardErrorCode::BoardExists:
        return "board already exists";
    }
    return "unknown error";
}

} // namespace vortan::simboard
