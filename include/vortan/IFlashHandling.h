#pragma once

// IFlashHandling: the flash handling component's interface, called through its method table
// like IController (the comment after each method gives its slot). Every operation gets the
// connection as an IController, then its own arguments, then the caller's option flag
// (VARIANT_TRUE or VARIANT_FALSE, passed through unchanged) and reports in `outcome`
// whether the item succeeded (VARIANT_TRUE). Progress and the end of each operation are
// reported by events (ContractIds.h) while the call runs.

#include "vortan/ComponentDispatch.h"
#include "vortan/IController.h"

namespace vortan {

class IFlashHandling : public ComponentDispatch {
public:
    virtual HRESULT Reserved7() { return E_NOTIMPL; }
    virtual HRESULT Reserved8() { return E_NOTIMPL; }
    virtual HRESULT Reserved9() { return E_NOTIMPL; }
    virtual HRESULT Reserved10() { return E_NOTIMPL; }
    virtual HRESULT Reserved11() { return E_NOTIMPL; }

    // `selector` is always 1.
    virtual HRESULT FormatMemory(IController* controller, SHORT selector, VARIANT_BOOL option,
                                 VARIANT_BOOL* outcome) = 0; // slot 12
    // Copies `memoryName` from the memory to the local file `localPath`.
    virtual HRESULT ReadFromMemory(IController* controller, BSTR localPath, BSTR memoryName,
                                   VARIANT_BOOL option, VARIANT_BOOL* outcome) = 0; // slot 13
    // Copies the local file `localPath` into the memory as `memoryName`.
    virtual HRESULT WriteToMemory(IController* controller, BSTR localPath, BSTR memoryName,
                                  VARIANT_BOOL option, VARIANT_BOOL* outcome) = 0; // slot 14
    virtual HRESULT RemoveFromMemory(IController* controller, BSTR memoryName, VARIANT_BOOL option,
                                     VARIANT_BOOL* outcome) = 0; // slot 15

protected:
    IFlashHandling() = default;
    IFlashHandling(const IFlashHandling&) = default;
    IFlashHandling& operator=(const IFlashHandling&) = default;
    ~IFlashHandling() = default;
};

} // namespace vortan
