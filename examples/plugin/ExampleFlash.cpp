#include "ExampleFlash.h"

#include <algorithm>
#include <new>
#include <string>

#include "BoardFiles.h"

namespace example_board {
namespace {

VARIANT I2(SHORT value) {
    VARIANT v;
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

VARIANT I4(std::uint64_t value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = static_cast<LONG>(std::min<std::uint64_t>(value, 0x7FFFFFFF));
    return v;
}

std::string Utf8(BSTR text) {
    return vortan::com::UniqueBstr::Copy(text).ToUtf8();
}

// VORTAN names a mutex after this number while a format runs, so that other programs can see
// it; the example has nothing to tell boards apart by, so every format says 1.
const VARIANT kFormatNumber[] = {I2(1)};

DISPID FailureEvent(ErrorCode code) {
    switch (code) {
    case ErrorCode::NotConnected:
        return vortan::DISPID_FLASH_FAILURE_10; // the connection
    case ErrorCode::LocalFile:
        return vortan::DISPID_FLASH_FAILURE_11; // the local file
    case ErrorCode::MemoryName:
        return vortan::DISPID_FLASH_FAILURE_12; // the name in the memory
    default:
        return vortan::DISPID_FLASH_FAILURE_16; // the board itself (13 would be "memory full")
    }
}

} // namespace

vortan::com::BroadcastGroup& ExampleFlash::Events() noexcept {
    static vortan::com::BroadcastGroup group;
    return group;
}

HRESULT ExampleFlash::Create(REFIID iid, void** object) {
    auto* created = new (std::nothrow) ExampleFlash();
    if (created == nullptr)
        return E_OUTOFMEMORY;
    const auto owner = vortan::com::ComPtr<vortan::IFlashHandling>::Attach(created);
    return created->QueryInterface(iid, object);
}

void* ExampleFlash::FindInterface(REFIID iid) noexcept {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == vortan::IID_IFlashHandling)
        return static_cast<vortan::IFlashHandling*>(this);
    if (iid == IID_IConnectionPointContainer)
        return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
}

HRESULT ExampleFlash::RunItem(vortan::IController* controller, const Item& item,
                              VARIANT_BOOL* outcome, const Work& work) {
    if (controller == nullptr || outcome == nullptr)
        return E_POINTER;
    // VORTAN may release everything from its handler of the end event: stay alive until then.
    const vortan::com::ComPtr<vortan::IFlashHandling> self(this);
    Events().Fire(item.begin, item.args);

    vortan::com::ComPtr<IExampleController> ours;
    ItemError error{ErrorCode::NotConnected};
    try {
        // Only our own controller knows where its board is; any other is refused.
        if (SUCCEEDED(controller->QueryInterface(IID_IExampleController, ours.OutVoid()))) {
            const std::filesystem::path board = ours->BoardDirectory();
            if (!board.empty())
                error = work(board);
        }
    } catch (const std::filesystem::filesystem_error& e) {
        error = {ErrorCode::BoardIo, e.code().value()};
    } catch (...) {
        error = {ErrorCode::BoardIo, ENOMEM};
    }
    if (ours)
        ours->SetLastError(error);

    // Settled before the end event: VORTAN's handler of the last item's end event finishes
    // its run, and it takes the outcome as it is then.
    const bool ok = error.code == ErrorCode::None;
    *outcome = ok ? VARIANT_TRUE : VARIANT_FALSE;
    if (ok)
        Events().Fire(item.end, item.args);
    else
        Events().Fire(FailureEvent(error.code));
    return S_OK;
}

HRESULT ExampleFlash::WriteToMemory(vortan::IController* controller, BSTR localPath,
                                    BSTR memoryName, VARIANT_BOOL /*option*/,
                                    VARIANT_BOOL* outcome) {
    const Item item{vortan::DISPID_FLASH_WRITE_BEGIN, vortan::DISPID_FLASH_WRITE_END, {}};
    return RunItem(controller, item, outcome, [&](const std::filesystem::path& board) {
        const std::string name = Utf8(memoryName);
        if (!IsPlainName(name))
            return ItemError{ErrorCode::MemoryName};
        const CopyError copy =
            CopyAtomically(Utf8(localPath), board / name, [](auto done, auto total) {
                const VARIANT args[] = {I4(done), I4(total)};
                Events().Fire(vortan::DISPID_FLASH_WRITE_PROGRESS, args);
            });
        if (copy.sysError == 0)
            return ItemError{};
        return ItemError{copy.atSource ? ErrorCode::LocalFile : ErrorCode::BoardIo, copy.sysError};
    });
}

HRESULT ExampleFlash::ReadFromMemory(vortan::IController* controller, BSTR localPath,
                                     BSTR memoryName, VARIANT_BOOL /*option*/,
                                     VARIANT_BOOL* outcome) {
    const Item item{vortan::DISPID_FLASH_READ_BEGIN, vortan::DISPID_FLASH_READ_END, {}};
    return RunItem(controller, item, outcome, [&](const std::filesystem::path& board) {
        const std::string name = Utf8(memoryName);
        if (!IsPlainName(name))
            return ItemError{ErrorCode::MemoryName};
        const CopyError copy =
            CopyAtomically(board / name, Utf8(localPath), [](auto done, auto total) {
                const VARIANT args[] = {I4(done), I4(total)};
                Events().Fire(vortan::DISPID_FLASH_READ_PROGRESS, args);
            });
        if (copy.sysError == 0)
            return ItemError{};
        if (!copy.atSource)
            return ItemError{ErrorCode::LocalFile, copy.sysError};
        return ItemError{copy.sysError == ENOENT ? ErrorCode::MemoryName : ErrorCode::BoardIo,
                         copy.sysError};
    });
}

HRESULT ExampleFlash::RemoveFromMemory(vortan::IController* controller, BSTR memoryName,
                                       VARIANT_BOOL /*option*/, VARIANT_BOOL* outcome) {
    const Item item{vortan::DISPID_FLASH_REMOVE_BEGIN, vortan::DISPID_FLASH_REMOVE_FILE_DONE, {}};
    return RunItem(controller, item, outcome, [&](const std::filesystem::path& board) {
        const std::string name = Utf8(memoryName);
        std::error_code error;
        const std::uintmax_t size =
            IsPlainName(name) ? std::filesystem::file_size(board / name, error) : 0;
        if (!IsPlainName(name) || error)
            return ItemError{ErrorCode::MemoryName, error.value()};
        const VARIANT before[] = {I4(0), I4(size)};
        Events().Fire(vortan::DISPID_FLASH_REMOVE_PROGRESS, before);
        if (!std::filesystem::remove(board / name, error))
            return ItemError{ErrorCode::BoardIo, error.value()};
        const VARIANT after[] = {I4(size), I4(size)};
        Events().Fire(vortan::DISPID_FLASH_REMOVE_PROGRESS, after);
        return ItemError{};
    });
}

HRESULT ExampleFlash::FormatMemory(vortan::IController* controller, SHORT /*selector*/,
                                   VARIANT_BOOL /*option*/, VARIANT_BOOL* outcome) {
    const Item item{vortan::DISPID_FLASH_FORMAT_BEGIN, vortan::DISPID_FLASH_FORMAT_END,
                    kFormatNumber};
    return RunItem(controller, item, outcome, [](const std::filesystem::path& board) {
        const std::vector<MemoryFile> files = ListFiles(board);
        for (std::size_t i = 0; i < files.size(); ++i) {
            std::error_code error;
            if (!std::filesystem::remove(board / files[i].name, error))
                return ItemError{ErrorCode::BoardIo, error.value()};
            const VARIANT args[] = {I4(i + 1), I4(files.size()), kFormatNumber[0]};
            Events().Fire(vortan::DISPID_FLASH_FORMAT_PROGRESS, args);
        }
        return ItemError{};
    });
}

HRESULT ExampleFlash::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr)
        *points = nullptr;
    return E_NOTIMPL; // VORTAN only looks its event interface up by id
}

HRESULT ExampleFlash::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    return m_events.Find(iid, point);
}

} // namespace example_board
