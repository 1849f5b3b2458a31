#include "components/simboard/ControllerAccess.h"

#include <limits>
#include <new>
#include <utility>

#include "components/simboard/BoardName.h"
#include "vortan/com/UniqueBstr.h"

namespace vortan::simboard {
namespace {

constexpr UINT kConnectRequest = WM_USER + 1;

LONG ClipToLong(std::uint64_t value) {
    return static_cast<LONG>(std::min<std::uint64_t>(value, std::numeric_limits<LONG>::max()));
}

SHORT ClipToShort(std::uint64_t value) {
    return static_cast<SHORT>(std::min<std::uint64_t>(value, std::numeric_limits<SHORT>::max()));
}

} // namespace

HRESULT ControllerAccess::Create(REFIID iid, void** object) {
    auto* created = new (std::nothrow) ControllerAccess();
    if (created == nullptr)
        return E_OUTOFMEMORY;
    const auto owner = com::ComPtr<IController>::Attach(created);
    // The handler only runs while the window lives, and the window dies with the object.
    created->m_hAnswerWnd = win::CreateMessageWindow([created](HWND, UINT message, WPARAM, LPARAM) {
        if (message == kConnectRequest)
            created->AnswerConnect();
        return LRESULT{0};
    });
    if (created->m_hAnswerWnd == nullptr)
        return E_FAIL;
    return created->QueryInterface(iid, object);
}

ControllerAccess::~ControllerAccess() {
    if (m_hAnswerWnd != nullptr)
        DestroyWindow(m_hAnswerWnd);
}

void* ControllerAccess::FindInterface(REFIID iid) noexcept {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IController)
        return static_cast<IController*>(this);
    if (iid == IID_IConnectionPointContainer)
        return static_cast<IConnectionPointContainer*>(this);
    if (iid == IID_ISimController)
        return static_cast<ISimController*>(this);
    return nullptr;
}

HRESULT ControllerAccess::Connect(BSTR name, BSTR /*options*/) {
    try {
        m_pending.push_back(com::UniqueBstr::Copy(name).ToUtf8());
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    if (!PostMessage(m_hAnswerWnd, kConnectRequest, 0, 0)) {
        m_pending.pop_back();
        return E_FAIL;
    }
    return S_OK;
}

void ControllerAccess::AnswerConnect() noexcept {
    if (m_pending.empty())
        return;
    // A sink may drop the last reference to this object while it handles the answer.
    const com::ComPtr<IController> self(this);
    const std::string name = std::move(m_pending.front());
    m_pending.pop_front();

    m_board.reset(); // a new Connect replaces the connection that was open
    m_files.clear();
    std::unique_ptr<SimBoard> board;
    try {
        m_lastError = SimBoard::Open(BoardsDirectory(), name, board);
    } catch (...) {
        m_lastError = Fail(BoardErrorCode::BoardIoError);
    }
    // A silent board plays a controller that never answers: no connection, no event.
    if (!m_lastError && board && board->Config().silent)
        return;
    if (!m_lastError && board)
        m_board = std::move(board);
    m_events.Fire(m_board ? DISPID_CONTROLLER_CONNECTED : DISPID_CONTROLLER_CONNECT_FAILED);
}

HRESULT ControllerAccess::GetConnectionName(BSTR* name) {
    if (name == nullptr)
        return E_POINTER;
    *name = nullptr;
    if (!m_board)
        return S_OK;
    try {
        *name = com::UniqueBstr::FromUtf8(m_board->Name()).Release();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT ControllerAccess::Disconnect() {
    m_board.reset(); // an item still running keeps its own share until it ends
    m_files.clear();
    return S_OK;
}

HRESULT ControllerAccess::GetErrorInfo(ControllerErrorInfo* info) {
    if (info == nullptr)
        return E_POINTER;
    info->lCode = static_cast<LONG>(m_lastError.code);
    info->nValue1 = ClipToShort(static_cast<std::uint64_t>(m_lastError.sysError));
    info->nValue2 = 0;
    info->nValue3 = 0;
    return S_OK;
}

HRESULT ControllerAccess::UpdateInfo(LONG what, SHORT* status) {
    if (status == nullptr)
        return E_POINTER;
    // 256 refreshes the memory's directory; no other code means anything here.
    m_bSnapshotFresh = what == 256 && TakeSnapshot();
    *status = m_bSnapshotFresh ? 0 : -1;
    return S_OK;
}

HRESULT ControllerAccess::IsConnected(VARIANT_BOOL* connected) {
    if (connected == nullptr)
        return E_POINTER;
    *connected = (m_board && m_board->Exists()) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT ControllerAccess::HasFileDirectory(VARIANT_BOOL* readable) {
    if (readable == nullptr)
        return E_POINTER;
    *readable = (m_board && !m_board->CheckDirectory()) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT ControllerAccess::GetMemoryInfo(MemoryInfo* info) {
    if (info == nullptr)
        return E_POINTER;
    if (!std::exchange(m_bSnapshotFresh, false) && !TakeSnapshot())
        return E_FAIL;
    std::uint64_t used = 0;
    for (const MemoryFile& file : m_files)
        used += file.size;
    const BoardConfig& config = m_board->Config();
    info->lCapacity = ClipToLong(config.capacity);
    info->lUsed = ClipToLong(used);
    info->lFree = ClipToLong(used < config.capacity ? config.capacity - used : 0);
    info->nFileCount = ClipToShort(m_files.size());
    info->nMaxFileCount = ClipToShort(config.maxFiles);
    info->lReserved = 0;
    return S_OK;
}

HRESULT ControllerAccess::GetFileEntry(LONG index, FileEntryInfo* entry, SHORT* status) {
    if (entry == nullptr || status == nullptr)
        return E_POINTER;
    *status = -1;
    if (m_files.empty() && m_board)
        TakeSnapshot();
    if (index < 0 || static_cast<std::size_t>(index) >= m_files.size())
        return S_OK;
    try {
        const MemoryFile& file = m_files[static_cast<std::size_t>(index)];
        BSTR name = com::UniqueBstr::FromUtf8(file.name).Release();
        if (name == nullptr)
            return E_OUTOFMEMORY;
        entry->bstrName = name;
        entry->lSize = ClipToLong(file.size);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    *status = 0;
    return S_OK;
}

bool ControllerAccess::TakeSnapshot() noexcept {
    m_files.clear();
    if (!m_board) {
        m_lastError = Fail(BoardErrorCode::NotConnected);
        return false;
    }
    try {
        if (const BoardError error = m_board->List(m_files)) {
            m_lastError = error;
            return false;
        }
    } catch (...) {
        m_lastError = Fail(BoardErrorCode::BoardIoError);
        return false;
    }
    return true;
}

HRESULT ControllerAccess::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr)
        *points = nullptr;
    return E_NOTIMPL;
}

HRESULT ControllerAccess::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    return m_events.Find(iid, point);
}

} // namespace vortan::simboard
