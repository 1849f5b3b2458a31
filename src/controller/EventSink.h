#pragma once

// What the two event sinks share: a dispinterface object that answers IUnknown, IDispatch and
// its own event interface, counts references without ever deleting itself (its owner deletes
// it after Unadvise) and hands each accepted event to the derived class.

#include "controller/INotifyTarget.h"
#include "vortan/com/IDispatch.h"

namespace vortan::controller {

class EventSink : public IDispatch {
public:
    EventSink(const EventSink&) = delete;
    EventSink& operator=(const EventSink&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    // Never deletes, also at 0.
    ULONG Release() override;

    // No type information: E_NOTIMPL with the out-parameters cleared (count 0, null info,
    // every id DISPID_UNKNOWN).
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                          DISPID* dispids) override;

    // A non-null iid: DISP_E_UNKNOWNINTERFACE; a DISPID out of range: DISP_E_MEMBERNOTFOUND;
    // an event whose arguments are missing or of the wrong kind: DISP_E_BADPARAMCOUNT or
    // DISP_E_TYPEMISMATCH, nothing delivered; else S_OK. Nothing escapes as an exception.
    // Locale, flags, result, exception record and argError are neither used nor written.
    HRESULT Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

    // The handler of an accepted event (`params` may be null: no arguments). Its result
    // tells what happened; Invoke passes failures on and turns successes into S_OK.
    virtual HRESULT OnEvent(DISPID dispid, const DISPPARAMS* params) = 0;

    ULONG RefCount() const noexcept { return m_dwRef; }

protected:
    EventSink(INotifyTarget* owner, REFIID eventIid, DISPID lastDispid) noexcept
        : m_pOwner(owner), m_eventIid(eventIid), m_lastDispid(lastDispid) {}
    ~EventSink() = default;

    INotifyTarget* Owner() const noexcept { return m_pOwner; }

private:
    ULONG m_dwRef = 0;             // plain count: the sink lives on the one UI thread
    INotifyTarget* const m_pOwner; // not owning; may be null
    const IID m_eventIid;
    const DISPID m_lastDispid; // events are numbered 1 to this
};

} // namespace vortan::controller
