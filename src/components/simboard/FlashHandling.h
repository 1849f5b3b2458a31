#pragma once

// The flash handling class of the simulated board. Each method is one item on the board of
// the controller it is handed (this plug-in's ControllerAccess only). Events go to the sinks
// of every instance in the process:
//
//   item       begin   progress                                   end    (after success only)
//   write      4       6 (bytes done, item size) per 64 KiB+end   5
//   read       7       9 (bytes done, item size) per 64 KiB+end   8
//   remove     14      17 (part done, item size) before and after 15
//   format     1 (n)   3 (files done, files in all, n) per file   2 (n)
//
// (arguments in declared order; n is the board's number.) A failed item fires its begin
// event, then one failure event instead of the end event, and reports VARIANT_FALSE.

#include <functional>
#include <memory>
#include <span>

#include "components/simboard/BoardError.h"
#include "components/simboard/ModuleLock.h"
#include "components/simboard/SimBoard.h"
#include "vortan/ComponentContract.h"
#include "vortan/com/ComObject.h"

namespace vortan::simboard {

class ISimController;

// The failure event for an error (10 to 13 or 16; README.md has the table).
DISPID FailureEvent(BoardErrorCode code) noexcept;

class FlashHandling final : public com::ComObject<FlashHandling, com::Lifetime::DeleteOnLastRelease,
                                                  IFlashHandling, IConnectionPointContainer> {
public:
    static HRESULT Create(REFIID iid, void** object);

    FlashHandling(const FlashHandling&) = delete;
    FlashHandling& operator=(const FlashHandling&) = delete;

    void* FindInterface(REFIID iid) noexcept;

    // `selector` and `option` are accepted as they come and change nothing.
    HRESULT FormatMemory(IController* controller, SHORT selector, VARIANT_BOOL option,
                         VARIANT_BOOL* outcome) override;
    HRESULT ReadFromMemory(IController* controller, BSTR localPath, BSTR memoryName,
                           VARIANT_BOOL option, VARIANT_BOOL* outcome) override;
    HRESULT WriteToMemory(IController* controller, BSTR localPath, BSTR memoryName,
                          VARIANT_BOOL option, VARIANT_BOOL* outcome) override;
    HRESULT RemoveFromMemory(IController* controller, BSTR memoryName, VARIANT_BOOL option,
                             VARIANT_BOOL* outcome) override;

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

private:
    friend com::ComObject<FlashHandling, com::Lifetime::DeleteOnLastRelease, IFlashHandling,
                          IConnectionPointContainer>;
    FlashHandling() = default;
    ~FlashHandling() = default;

    // The board behind the controller an item was handed.
    struct Connection {
        com::ComPtr<ISimController> controller;
        std::shared_ptr<SimBoard> board;
    };
    static BoardError Resolve(IController* controller, Connection& connection) noexcept;
    // Fires the end event with `endArgs` after success, else the failure event (and records
    // the error on the controller); sets the outcome.
    static void Finish(const Connection& connection, const BoardError& error, DISPID end,
                       std::span<const VARIANT> endArgs, VARIANT_BOOL* outcome) noexcept;
    static com::BroadcastGroup& Events() noexcept;

    struct ItemEvents {
        DISPID begin;
        DISPID progress;
        DISPID end;
    };
    // One item of a run: the begin event, `work` on the board with its progress events, then
    // the end event or a failure event.
    HRESULT RunItem(IController* controller, ItemEvents events, VARIANT_BOOL* outcome,
                    const std::function<BoardError(SimBoard&, const ProgressFn&)>& work);

    com::ConnectionPoint m_events{*this, DIID_IFlashHandlingEvents, &Events()};
    ModuleLock m_module;
};

} // namespace vortan::simboard
