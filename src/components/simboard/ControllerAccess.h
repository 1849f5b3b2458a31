#pragma once

// The controller access class of the simulated board. The controller name is the board
// name; Connect answers later, from the message loop: a message-only window of the object
// receives the posted request, opens (and locks) the board and fires event 1 (connected) or
// 16 (refused; GetErrorInfo says why). Disconnect closes the board and fires nothing.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "components/simboard/ISimController.h"
#include "components/simboard/ModuleLock.h"
#include "components/simboard/SimBoard.h"
#include "vortan/ComponentContract.h"
#include "vortan/com/ComObject.h"

namespace vortan::simboard {

class ControllerAccess final
    : public com::ComObject<ControllerAccess, com::Lifetime::DeleteOnLastRelease, IController,
                            IConnectionPointContainer, ISimController> {
public:
    // S_OK with `object` holding one reference, or the failure (no window for the answers).
    static HRESULT Create(REFIID iid, void** object);

    ControllerAccess(const ControllerAccess&) = delete;
    ControllerAccess& operator=(const ControllerAccess&) = delete;

    void* FindInterface(REFIID iid) noexcept;

    HRESULT Connect(BSTR name, BSTR options) override;
    HRESULT GetConnectionName(BSTR* name) override;
    HRESULT Disconnect() override;
    HRESULT GetErrorInfo(ControllerErrorInfo* info) override;
    HRESULT UpdateInfo(LONG what, SHORT* status) override;
    HRESULT IsConnected(VARIANT_BOOL* connected) override;
    HRESULT HasFileDirectory(VARIANT_BOOL* readable) override;
    HRESULT GetMemoryInfo(MemoryInfo* info) override;
    HRESULT GetFileEntry(LONG index, FileEntryInfo* entry, SHORT* status) override;

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    std::shared_ptr<SimBoard> Board() noexcept override { return m_board; }
    void SetLastError(const BoardError& error) noexcept override { m_lastError = error; }

private:
    friend com::ComObject<ControllerAccess, com::Lifetime::DeleteOnLastRelease, IController,
                          IConnectionPointContainer, ISimController>;
    ControllerAccess() = default;
    ~ControllerAccess();

    // The posted Connect request, handled on the loop's turn.
    void AnswerConnect() noexcept;
    // Reads the memory's directory into m_files (what GetFileEntry hands out by index).
    bool TakeSnapshot() noexcept;

    HWND m_hAnswerWnd = nullptr;
    std::deque<std::string> m_pending; // names of Connect calls not answered yet
    std::shared_ptr<SimBoard> m_board;
    std::vector<MemoryFile> m_files;
    // Set by the refresh that precedes GetMemoryInfo, which then needs no listing of its own.
    bool m_bSnapshotFresh = false;
    BoardError m_lastError;
    com::ConnectionPoint m_events{*this, DIID_IControllerEvents};
    ModuleLock m_module;
};

} // namespace vortan::simboard
