#include "platform/com/PluginCache.h"

#include <dlfcn.h>

#include "vortan/com/IClassFactory.h"

namespace vortan::com {
namespace {

// Owns a handle from dlopen until it is either cached for good or closed.
class LibraryHandle final {
public:
    explicit LibraryHandle(void* handle) noexcept : m_handle(handle) {}
    LibraryHandle(const LibraryHandle&) = delete;
    LibraryHandle& operator=(const LibraryHandle&) = delete;
    ~LibraryHandle() {
        if (m_handle != nullptr)
            ::dlclose(m_handle);
    }
    void* Get() const noexcept { return m_handle; }
    void Keep() noexcept { m_handle = nullptr; }

private:
    void* m_handle;
};

} // namespace

PluginCache& PluginCache::Instance() {
    static PluginCache cache;
    return cache;
}

std::string PluginCache::LastLoadError() const {
    std::lock_guard lock(m_mutex);
    return m_lastError;
}

HRESULT PluginCache::Load(const std::filesystem::path& plugin, EntryPoint*& entry) {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::canonical(plugin, ec);
    if (ec || !std::filesystem::is_regular_file(canonical, ec)) {
        m_lastError = plugin.string() + ": no such file";
        return CO_E_DLLNOTFOUND;
    }
    const std::string key = canonical.string();
    if (auto it = m_loaded.find(key); it != m_loaded.end()) {
        entry = it->second;
        return S_OK;
    }

    ::dlerror();
    LibraryHandle library(::dlopen(key.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (library.Get() == nullptr) {
        const char* error = ::dlerror();
        m_lastError = error != nullptr ? error : key + ": cannot be loaded";
        return CO_E_ERRORINDLL;
    }
    void* symbol = ::dlsym(library.Get(), kDllGetClassObjectSymbol);
    if (symbol == nullptr) {
        m_lastError = key + ": no " + kDllGetClassObjectSymbol;
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    }
    // The only portable way from a dlsym result to a function pointer.
    entry = reinterpret_cast<EntryPoint*>(reinterpret_cast<std::uintptr_t>(symbol));
    m_loaded.emplace(key, entry);
    library.Keep();
    return S_OK;
}

HRESULT PluginCache::GetClassObject(const std::filesystem::path& plugin, REFCLSID clsid, REFIID iid,
                                    void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    EntryPoint* entry = nullptr;
    try {
        std::lock_guard lock(m_mutex);
        const HRESULT hr = Load(plugin, entry);
        if (FAILED(hr))
            return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // Called outside the lock: a plug-in may itself create objects of other plug-ins.
    try {
        return entry(clsid, iid, object);
    } catch (...) {
        *object = nullptr;
        return E_UNEXPECTED; // a plug-in must not throw across its entry point
    }
}

} // namespace vortan::com
