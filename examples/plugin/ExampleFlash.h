#pragma once

// The flash handling class. Each method is one item on the board of the controller it is
// handed, with these events (arguments in declared order):
//
//   write   4, then 6 (bytes done, item size) per chunk, then 5
//   read    7, then 9 (bytes done, item size) per chunk, then 8
//   remove  14, then 17 (part done, item size) before and after, then 15
//   format  1 (1), then 3 (files done, files in all, 1) per file, then 2 (1)
//
// A failed item fires one failure event (10 to 13 or 16) instead of the end event.

#include <filesystem>
#include <functional>
#include <span>

#include "IExampleController.h"
#include "vortan/ComponentContract.h"
#include "vortan/com/ComObject.h"

namespace example_board {

class ExampleFlash final
    : public vortan::com::ComObject<ExampleFlash, vortan::com::Lifetime::DeleteOnLastRelease,
                                    vortan::IFlashHandling, IConnectionPointContainer> {
public:
    static HRESULT Create(REFIID iid, void** object);

    // The interface an IID asks for (ComObject answers QueryInterface with it).
    void* FindInterface(REFIID iid) noexcept;

    HRESULT FormatMemory(vortan::IController* controller, SHORT selector, VARIANT_BOOL option,
                         VARIANT_BOOL* outcome) override;
    HRESULT ReadFromMemory(vortan::IController* controller, BSTR localPath, BSTR memoryName,
                           VARIANT_BOOL option, VARIANT_BOOL* outcome) override;
    HRESULT WriteToMemory(vortan::IController* controller, BSTR localPath, BSTR memoryName,
                          VARIANT_BOOL option, VARIANT_BOOL* outcome) override;
    HRESULT RemoveFromMemory(vortan::IController* controller, BSTR memoryName, VARIANT_BOOL option,
                             VARIANT_BOOL* outcome) override;

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

private:
    friend vortan::com::ComObject<ExampleFlash, vortan::com::Lifetime::DeleteOnLastRelease,
                                  vortan::IFlashHandling, IConnectionPointContainer>;
    ExampleFlash() = default;
    ~ExampleFlash() = default;

    struct Item {
        DISPID begin;
        DISPID end;
        std::span<const VARIANT> args; // of the begin and the end event
    };
    using Work = std::function<ItemError(const std::filesystem::path& board)>;
    // One item: the begin event, `work` on the controller's board (firing its progress), the
    // outcome, then the end event or a failure event.
    HRESULT RunItem(vortan::IController* controller, const Item& item, VARIANT_BOOL* outcome,
                    const Work& work);

    // The one group of the class's connection points in the process: VORTAN advises its sink
    // on one instance and runs the items on another, and the events must reach it all the same.
    static vortan::com::BroadcastGroup& Events() noexcept;

    vortan::com::ConnectionPoint m_events{*this, vortan::DIID_IFlashHandlingEvents, &Events()};
};

} // namespace example_board
