#pragma once

// The controller access class. The controller name is the board's directory name.
// Connect only queues the request: the answer (event 1 connected, or 16 refused) is fired
// later from VORTAN's message loop, through a message-only window of this object, because
// VORTAN waits for that event and a real controller answers some time after being asked.

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "BoardFiles.h"
#include "IExampleController.h"
#include "vortan/ComponentContract.h"
#include "vortan/com/ComObject.h"

namespace example_board {

class ExampleController final
    : public vortan::com::ComObject<ExampleController, vortan::com::Lifetime::DeleteOnLastRelease,
                                    vortan::IController, IConnectionPointContainer,
                                    IExampleController> {
public:
    // The class factory's creation function: one new object, answering `iid`.
    static HRESULT Create(REFIID iid, void** object);

    // The interface an IID asks for (ComObject answers QueryInterface with it).
    void* FindInterface(REFIID iid) noexcept;

    HRESULT Connect(BSTR name, BSTR options) override;
    HRESULT GetConnectionName(BSTR* name) override;
    HRESULT Disconnect() override;
    HRESULT GetErrorInfo(vortan::ControllerErrorInfo* info) override;
    HRESULT UpdateInfo(LONG what, SHORT* status) override;
    HRESULT IsConnected(VARIANT_BOOL* connected) override;
    HRESULT HasFileDirectory(VARIANT_BOOL* readable) override;
    HRESULT GetMemoryInfo(vortan::MemoryInfo* info) override;
    HRESULT GetFileEntry(LONG index, vortan::FileEntryInfo* entry, SHORT* status) override;

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    std::filesystem::path BoardDirectory() const override { return m_board; }
    void SetLastError(const ItemError& error) noexcept override { m_lastError = error; }

private:
    friend vortan::com::ComObject<ExampleController, vortan::com::Lifetime::DeleteOnLastRelease,
                                  vortan::IController, IConnectionPointContainer,
                                  IExampleController>;
    ExampleController() = default;
    ~ExampleController();

    // Runs from the message loop for each Connect, in order.
    void AnswerConnect() noexcept;

    HWND m_hAnswerWnd = nullptr;
    std::deque<std::string> m_pending; // names of the Connect calls not answered yet
    std::filesystem::path m_board;     // empty: not connected
    std::vector<MemoryFile> m_files;   // the directory as of the last GetMemoryInfo
    ItemError m_lastError;
    vortan::com::ConnectionPoint m_events{*this, vortan::DIID_IControllerEvents};
};

} // namespace example_board
