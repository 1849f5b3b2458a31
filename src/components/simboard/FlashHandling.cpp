#include "components/simboard/FlashHandling.h"

#include <functional>
#include <new>
#include <string>

#include "components/simboard/ISimController.h"
#include "vortan/com/UniqueBstr.h"

namespace vortan::simboard {
namespace {

VARIANT I4(std::uint64_t value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = static_cast<LONG>(std::min<std::uint64_t>(value, 0x7FFFFFFF));
    return v;
}

VARIANT I2(SHORT value) {
    VARIANT v;
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

std::string Utf8(BSTR text) {
    return com::UniqueBstr::Copy(text).ToUtf8();
}

} // namespace

DISPID FailureEvent(BoardErrorCode code) noexcept {
    switch (code) {
    case BoardErrorCode::NotConnected:
    case BoardErrorCode::ForeignController:
    case BoardErrorCode::BoardGone:
    case BoardErrorCode::InvalidArgument:
        return DISPID_FLASH_FAILURE_10; // the connection
    case BoardErrorCode::LocalSourceMissing:
    case BoardErrorCode::LocalSourceNotAFile:
    case BoardErrorCode::LocalTargetUnwritable:
    case BoardErrorCode::LocalIoError:
        return DISPID_FLASH_FAILURE_11; // the local file
    case BoardErrorCode::InvalidMemoryName:
    case BoardErrorCode::NoSuchMemoryFile:
        return DISPID_FLASH_FAILURE_12; // the name in the memory
    case BoardErrorCode::CapacityExceeded:
    case BoardErrorCode::FileCountExceeded:
        return DISPID_FLASH_FAILURE_13; // the memory is full
    default:
        return DISPID_FLASH_FAILURE_16; // the board itself
    }
}

com::BroadcastGroup& FlashHandling::Events() noexcept {
    // One group for the process: the program watches one instance and works on another.
    static com::BroadcastGroup group;
    return group;
}

HRESULT FlashHandling::Create(REFIID iid, void** object) {
    auto* created = new (std::nothrow) FlashHandling();
    if (created == nullptr)
        return E_OUTOFMEMORY;
    const auto owner = com::ComPtr<IFlashHandling>::Attach(created);
    return created->QueryInterface(iid, object);
}

void* FlashHandling::FindInterface(REFIID iid) noexcept {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IFlashHandling)
        return static_cast<IFlashHandling*>(this);
    if (iid == IID_IConnectionPointContainer)
        return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
}

BoardError FlashHandling::Resolve(IController* controller, Connection& connection) noexcept {
    if (controller == nullptr)
        return Fail(BoardErrorCode::InvalidArgument);
    if (FAILED(controller->QueryInterface(IID_ISimController, connection.controller.OutVoid())))
        return Fail(BoardErrorCode::ForeignController);
    connection.board = connection.controller->Board();
    if (!connection.board)
        return Fail(BoardErrorCode::NotConnected);
    return {};
}

void FlashHandling::Finish(const Connection& connection, const BoardError& error, DISPID end,
                           std::span<const VARIANT> endArgs, VARIANT_BOOL* outcome) noexcept {
    if (connection.controller)
        connection.controller->SetLastError(error);
    // The outcome is final before the end event: its handler may end the program's run.
    *outcome = error ? VARIANT_FALSE : VARIANT_TRUE;
    if (error)
        Events().Fire(FailureEvent(error.code));
    else
        Events().Fire(end, endArgs);
}

HRESULT
FlashHandling::RunItem(IController* controller, ItemEvents events, VARIANT_BOOL* outcome,
                       const std::function<BoardError(SimBoard&, const ProgressFn&)>& work) {
    if (outcome == nullptr)
        return E_POINTER;
    // Held for the item, so a handler that releases everything cannot pull it away.
    const com::ComPtr<IFlashHandling> self(this);
    Connection connection;
    BoardError error;
    Events().Fire(events.begin);
    try {
        error = Resolve(controller, connection);
        if (!error)
            error = work(*connection.board, [&events](std::uint64_t done, std::uint64_t size) {
                const VARIANT args[] = {I4(done), I4(size)};
                Events().Fire(events.progress, args);
            });
    } catch (...) {
        error = Fail(BoardErrorCode::BoardIoError, ENOMEM);
    }
    Finish(connection, error, events.end, {}, outcome);
    return S_OK;
}

HRESULT FlashHandling::WriteToMemory(IController* controller, BSTR localPath, BSTR memoryName,
                                     VARIANT_BOOL /*option*/, VARIANT_BOOL* outcome) {
    return RunItem(controller,
                   {DISPID_FLASH_WRITE_BEGIN, DISPID_FLASH_WRITE_PROGRESS, DISPID_FLASH_WRITE_END},
                   outcome, [&](SimBoard& board, const ProgressFn& progress) {
                       return board.Write(Utf8(localPath), Utf8(memoryName), progress);
                   });
}

HRESULT FlashHandling::ReadFromMemory(IController* controller, BSTR localPath, BSTR memoryName,
                                      VARIANT_BOOL /*option*/, VARIANT_BOOL* outcome) {
    return RunItem(controller,
                   {DISPID_FLASH_READ_BEGIN, DISPID_FLASH_READ_PROGRESS, DISPID_FLASH_READ_END},
                   outcome, [&](SimBoard& board, const ProgressFn& progress) {
                       return board.Read(Utf8(memoryName), Utf8(localPath), progress);
                   });
}

HRESULT FlashHandling::RemoveFromMemory(IController* controller, BSTR memoryName,
                                        VARIANT_BOOL /*option*/, VARIANT_BOOL* outcome) {
    return RunItem(
        controller,
        {DISPID_FLASH_REMOVE_BEGIN, DISPID_FLASH_REMOVE_PROGRESS, DISPID_FLASH_REMOVE_FILE_DONE},
        outcome, [&](SimBoard& board, const ProgressFn& progress) {
            return board.Remove(Utf8(memoryName), progress);
        });
}

HRESULT FlashHandling::FormatMemory(IController* controller, SHORT /*selector*/,
                                    VARIANT_BOOL /*option*/, VARIANT_BOOL* outcome) {
    if (outcome == nullptr)
        return E_POINTER;
    const com::ComPtr<IFlashHandling> self(this);
    Connection connection;
    BoardError error = Resolve(controller, connection);
    const SHORT number = connection.board ? connection.board->Number() : 0;
    const VARIANT numberArg[] = {I2(number)};
    Events().Fire(DISPID_FLASH_FORMAT_BEGIN, numberArg);
    try {
        if (!error)
            error = connection.board->Format([number](std::uint64_t done, std::uint64_t total) {
                // A format of an empty memory reports 1 of 1: the bar still reaches its end.
                const VARIANT args[] = {I4(total == 0 ? 1 : done), I4(total == 0 ? 1 : total),
                                        I2(number)};
                Events().Fire(DISPID_FLASH_FORMAT_PROGRESS, args);
            });
    } catch (...) {
        error = Fail(BoardErrorCode::BoardIoError, ENOMEM);
    }
    Finish(connection, error, DISPID_FLASH_FORMAT_END, numberArg, outcome);
    return S_OK;
}

HRESULT FlashHandling::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr)
        *points = nullptr;
    return E_NOTIMPL;
}

HRESULT FlashHandling::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    return m_events.Find(iid, point);
}

} // namespace vortan::simboard
