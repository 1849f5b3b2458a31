#pragma once

// IController: the controller access component's interface. VORTAN calls it through its
// method table, so every method must sit at its slot; the comment after each method gives
// it. Slots VORTAN never calls are filler methods that answer E_NOTIMPL unless a component
// overrides them; a component implements the pure methods (and IUnknown, IDispatch).

#include "vortan/ComponentDispatch.h"
#include "vortan/ContractRecords.h"

namespace vortan {

class IController : public ComponentDispatch {
public:
    // Opens the connection to the controller `name`; `options` is always empty. The outcome
    // is reported by an answer event (ContractIds.h), not by the result.
    virtual HRESULT Connect(BSTR name, BSTR options) = 0; // slot 7
    // Null or empty: no connection open. The caller frees the name.
    virtual HRESULT GetConnectionName(BSTR* name) = 0; // slot 8
    virtual HRESULT Disconnect() = 0;                  // slot 9

    virtual HRESULT Reserved10() { return E_NOTIMPL; }
    virtual HRESULT Reserved11() { return E_NOTIMPL; }
    virtual HRESULT Reserved12() { return E_NOTIMPL; }
    virtual HRESULT Reserved13() { return E_NOTIMPL; }
    virtual HRESULT Reserved14() { return E_NOTIMPL; }
    virtual HRESULT Reserved15() { return E_NOTIMPL; }
    virtual HRESULT Reserved16() { return E_NOTIMPL; }
    virtual HRESULT Reserved17() { return E_NOTIMPL; }
    virtual HRESULT Reserved18() { return E_NOTIMPL; }
    virtual HRESULT Reserved19() { return E_NOTIMPL; }
    virtual HRESULT Reserved20() { return E_NOTIMPL; }
    virtual HRESULT Reserved21() { return E_NOTIMPL; }
    virtual HRESULT Reserved22() { return E_NOTIMPL; }
    virtual HRESULT Reserved23() { return E_NOTIMPL; }
    virtual HRESULT Reserved24() { return E_NOTIMPL; }
    virtual HRESULT Reserved25() { return E_NOTIMPL; }
    virtual HRESULT Reserved26() { return E_NOTIMPL; }
    virtual HRESULT Reserved27() { return E_NOTIMPL; }

    // The controller's last error; the caller zeroed the record.
    virtual HRESULT GetErrorInfo(ControllerErrorInfo* info) = 0; // slot 28

    virtual HRESULT Reserved29() { return E_NOTIMPL; }
    virtual HRESULT Reserved30() { return E_NOTIMPL; }
    virtual HRESULT Reserved31() { return E_NOTIMPL; }

    // Refreshes what GetMemoryInfo reports; VORTAN passes 256 and ignores `status`.
    virtual HRESULT UpdateInfo(LONG what, SHORT* status) = 0; // slot 32
    // Nonzero (VARIANT_TRUE): connected.
    virtual HRESULT IsConnected(VARIANT_BOOL* connected) = 0; // slot 33

    virtual HRESULT Reserved34() { return E_NOTIMPL; }
    virtual HRESULT Reserved35() { return E_NOTIMPL; }
    virtual HRESULT Reserved36() { return E_NOTIMPL; }
    virtual HRESULT Reserved37() { return E_NOTIMPL; }
    virtual HRESULT Reserved38() { return E_NOTIMPL; }
    virtual HRESULT Reserved39() { return E_NOTIMPL; }
    virtual HRESULT Reserved40() { return E_NOTIMPL; }
    virtual HRESULT Reserved41() { return E_NOTIMPL; }

    // Nonzero: the memory's file directory can be read.
    virtual HRESULT HasFileDirectory(VARIANT_BOOL* readable) = 0; // slot 42

    virtual HRESULT Reserved43() { return E_NOTIMPL; }
    virtual HRESULT Reserved44() { return E_NOTIMPL; }
    virtual HRESULT Reserved45() { return E_NOTIMPL; }
    virtual HRESULT Reserved46() { return E_NOTIMPL; }
    virtual HRESULT Reserved47() { return E_NOTIMPL; }
    virtual HRESULT Reserved48() { return E_NOTIMPL; }
    virtual HRESULT Reserved49() { return E_NOTIMPL; }
    virtual HRESULT Reserved50() { return E_NOTIMPL; }
    virtual HRESULT Reserved51() { return E_NOTIMPL; }
    virtual HRESULT Reserved52() { return E_NOTIMPL; }

    // The caller zeroed the record; VORTAN reads the file count.
    virtual HRESULT GetMemoryInfo(MemoryInfo* info) = 0; // slot 53
    // Entry `index` (from 0) of the file directory; `status` below 0 means no such entry.
    virtual HRESULT GetFileEntry(LONG index, FileEntryInfo* entry, SHORT* status) = 0; // slot 54

protected:
    IController() = default;
    IController(const IController&) = default;
    IController& operator=(const IController&) = default;
    ~IController() = default;
};

} // namespace vortan
