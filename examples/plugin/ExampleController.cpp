#include "ExampleController.h"

#include <algorithm>
#include <limits>
#include <new>

namespace example_board {
namespace {

// The message our window gets for a queued Connect.
constexpr UINT kAnswerConnect = WM_USER + 1;

LONG ToLong(std::uint64_t value) {
    return static_cast<LONG>(std::min<std::uint64_t>(value, std::numeric_limits<LONG>::max()));
}

} // namespace

HRESULT ExampleController::Create(REFIID iid, void** object) {
    auto* created = new (std::nothrow) ExampleController();
    if (created == nullptr)
        return E_OUTOFMEMORY;
    // Owns the object's first reference: it ends here unless QueryInterface hands one out.
    const auto owner = vortan::com::ComPtr<vortan::IController>::Attach(created);
    // The window dies with the object (destructor), so the handler never outlives it.
    created->m_hAnswerWnd =
        vortan::win::CreateMessageWindow([created](HWND, UINT message, WPARAM, LPARAM) {
            if (message == kAnswerConnect)
                created->AnswerConnect();
            return LRESULT{0};
        });
    if (created->m_hAnswerWnd == nullptr)
        return E_FAIL; // no message loop in this process: we could never answer
    return created->QueryInterface(iid, object);
}

ExampleController::~ExampleController() {
    if (m_hAnswerWnd != nullptr)
        DestroyWindow(m_hAnswerWnd);
}

void* ExampleController::FindInterface(REFIID iid) noexcept {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == vortan::IID_IController)
        return static_cast<vortan::IController*>(this);
    if (iid == IID_IConnectionPointContainer)
        return static_cast<IConnectionPointContainer*>(this);
    if (iid == IID_IExampleController)
        return static_cast<IExampleController*>(this);
    return nullptr;
}

HRESULT ExampleController::Connect(BSTR name, BSTR /*options*/) {
    try {
        m_pending.push_back(vortan::com::UniqueBstr::Copy(name).ToUtf8());
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    if (!PostMessage(m_hAnswerWnd, kAnswerConnect, 0, 0)) {
        m_pending.pop_back();
        return E_FAIL;
    }
    return S_OK;
}

void ExampleController::AnswerConnect() noexcept {
    if (m_pending.empty())
        return;
    // VORTAN may release this object from its handler of the event.
    const vortan::com::ComPtr<vortan::IController> self(this);
    const std::string name = std::move(m_pending.front());
    m_pending.pop_front();

    // A new Connect replaces the open connection. A real board would also lock it here
    // against other processes (each VORTAN client has a process of its own).
    m_board.clear();
    m_files.clear();
    m_lastError = {ErrorCode::NoSuchBoard};
    try {
        std::error_code error;
        if (IsPlainName(name) && std::filesystem::is_directory(BoardsRoot() / name, error)) {
            m_board = BoardsRoot() / name;
            m_lastError = {};
        }
    } catch (...) {
        m_lastError = {ErrorCode::BoardIo, ENOMEM};
    }
    m_events.Fire(m_board.empty() ? vortan::DISPID_CONTROLLER_CONNECT_FAILED
                                  : vortan::DISPID_CONTROLLER_CONNECTED);
}

HRESULT ExampleController::GetConnectionName(BSTR* name) {
    if (name == nullptr)
        return E_POINTER;
    *name = nullptr;
    if (m_board.empty())
        return S_OK;
    try {
        *name = vortan::com::UniqueBstr::FromUtf8(m_board.filename().string()).Release();
    } catch (...) {
    }
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT ExampleController::Disconnect() {
    // No event: a queued one could be taken for the answer to a later Connect.
    m_board.clear();
    m_files.clear();
    return S_OK;
}

HRESULT ExampleController::GetErrorInfo(vortan::ControllerErrorInfo* info) {
    if (info == nullptr)
        return E_POINTER;
    info->lCode = static_cast<LONG>(m_lastError.code);
    info->nValue1 = static_cast<SHORT>(m_lastError.sysError);
    return S_OK;
}

HRESULT ExampleController::UpdateInfo(LONG /*what*/, SHORT* status) {
    if (status == nullptr)
        return E_POINTER;
    // Nothing to refresh: GetMemoryInfo reads the directory anew.
    *status = m_board.empty() ? -1 : 0;
    return S_OK;
}

HRESULT ExampleController::IsConnected(VARIANT_BOOL* connected) {
    if (connected == nullptr)
        return E_POINTER;
    std::error_code error;
    *connected = !m_board.empty() && std::filesystem::is_directory(m_board, error) ? VARIANT_TRUE
                                                                                   : VARIANT_FALSE;
    return S_OK;
}

HRESULT ExampleController::HasFileDirectory(VARIANT_BOOL* readable) {
    return IsConnected(readable);
}

HRESULT ExampleController::GetMemoryInfo(vortan::MemoryInfo* info) {
    if (info == nullptr)
        return E_POINTER;
    if (m_board.empty())
        return E_FAIL;
    // GetFileEntry hands out this snapshot by index: a listing per call could shift under it.
    try {
        m_files = ListFiles(m_board);
    } catch (const std::filesystem::filesystem_error& e) {
        m_files.clear();
        m_lastError = {ErrorCode::BoardIo, e.code().value()};
        return E_FAIL;
    } catch (...) {
        m_files.clear();
        return E_OUTOFMEMORY;
    }
    std::uint64_t used = 0;
    for (const MemoryFile& file : m_files)
        used += file.size;
    info->lUsed = ToLong(used);
    info->nFileCount = static_cast<SHORT>(std::min<std::size_t>(m_files.size(), 0x7FFF));
    return S_OK;
}

HRESULT ExampleController::GetFileEntry(LONG index, vortan::FileEntryInfo* entry, SHORT* status) {
    if (entry == nullptr || status == nullptr)
        return E_POINTER;
    *status = -1;
    if (index < 0 || static_cast<std::size_t>(index) >= m_files.size())
        return S_OK;
    const MemoryFile& file = m_files[static_cast<std::size_t>(index)];
    try {
        entry->bstrName = vortan::com::UniqueBstr::FromUtf8(file.name).Release();
    } catch (...) {
    }
    if (entry->bstrName == nullptr)
        return E_OUTOFMEMORY;
    entry->lSize = ToLong(file.size);
    *status = 0;
    return S_OK;
}

HRESULT ExampleController::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr)
        *points = nullptr;
    return E_NOTIMPL; // VORTAN only looks its event interface up by id
}

HRESULT ExampleController::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    return m_events.Find(iid, point);
}

} // namespace example_board
