#include "app/PluginRegistration.h"

#include <array>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/com/ClassRegistry.h"
#include "platform/com/PluginCache.h"
#include "vortan/ContractIds.h"
#include "vortan/com/ComPtr.h"
#include "vortan/com/IClassFactory.h"

namespace vortan::app {

namespace {

struct ComponentClass {
    const CLSID& clsid;
    const char* name;
};

const std::array<ComponentClass, 2> kClasses{{
    {CLSID_ControllerAccess, "controller access"},
    {CLSID_FlashHandling, "flash handling"},
}};

std::string Describe(REFCLSID clsid) {
    for (const ComponentClass& known : kClasses) {
        if (known.clsid == clsid)
            return std::string("the ") + known.name + " class " + com::FormatGuid(clsid);
    }
    return "the class " + com::FormatGuid(clsid);
}

// Why the library itself is no plug-in; empty if the failure is the class's alone.
std::string LoadFailure(HRESULT hr) {
    if (hr == CO_E_DLLNOTFOUND)
        return "no such file";
    if (hr == CO_E_ERRORINDLL)
        return "the library cannot be loaded: " + com::PluginCache::Instance().LastLoadError();
    if (hr == HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND))
        return "it exports no DllGetClassObject, so it is no VORTAN component plug-in";
    return {};
}

} // namespace

int RegisterPlugin(const std::filesystem::path& plugin, std::ostream& out, std::ostream& err) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(plugin, ec).lexically_normal();
    if (plugin.empty() || ec) {
        err << "vortan: cannot register '" << plugin.string() << "': not a path\n";
        return 1;
    }
    if (std::filesystem::exists(absolute, ec) && !std::filesystem::is_regular_file(absolute, ec)) {
        err << "vortan: cannot register " << absolute.string() << ": not a file\n";
        return 1;
    }

    std::vector<CLSID> answered;
    std::vector<std::pair<CLSID, HRESULT>> refused;
    for (const ComponentClass& component : kClasses) {
        com::ComPtr<IClassFactory> factory;
        HRESULT hr = com::PluginCache::Instance().GetClassObject(
            absolute, component.clsid, IID_IClassFactory, factory.OutVoid());
        if (const std::string failure = LoadFailure(hr); !failure.empty()) {
            err << "vortan: cannot register " << absolute.string() << ": " << failure << '\n';
            return 1;
        }
        if (SUCCEEDED(hr) && !factory)
            hr = E_NOINTERFACE;
        if (SUCCEEDED(hr))
            answered.push_back(component.clsid);
        else
            refused.emplace_back(component.clsid, hr);
    }
    if (answered.empty()) {
        err << "vortan: cannot register " << absolute.string()
            << ": it provides neither component class\n";
        for (const auto& [clsid, hr] : refused)
            err << "  " << Describe(clsid) << ": " << FormatHResult(hr) << '\n';
        err << "nothing registered\n";
        return 1;
    }

    com::ClassRegistry registry(com::ClassRegistry::DefaultPath());
    if (const HRESULT hr = registry.RegisterClassPath(answered, absolute); FAILED(hr)) {
        err << "vortan: cannot write " << registry.Path().string() << " (" << FormatHResult(hr)
            << "); nothing registered\n";
        return 1;
    }
    out << "registered " << absolute.string() << " in " << registry.Path().string() << " for\n";
    for (const CLSID& clsid : answered)
        out << "  " << Describe(clsid) << '\n';
    for (const auto& [clsid, hr] : refused)
        out << "not for " << Describe(clsid) << ", which it does not provide (" << FormatHResult(hr)
            << ")\n";
    return 0;
}

int UnregisterPlugin(const std::filesystem::path& plugin, std::ostream& out, std::ostream& err) {
    com::ClassRegistry registry(com::ClassRegistry::DefaultPath());
    std::vector<CLSID> removed;
    const HRESULT hr = registry.UnregisterClassPath(plugin, removed);
    if (hr == E_INVALIDARG) {
        err << "vortan: cannot unregister '" << plugin.string() << "': not a path\n";
        return 1;
    }
    if (FAILED(hr)) {
        err << "vortan: cannot write " << registry.Path().string() << " (" << FormatHResult(hr)
            << "); nothing removed\n";
        return 1;
    }
    std::error_code ec;
    const std::string name = std::filesystem::absolute(plugin, ec).lexically_normal().string();
    if (removed.empty()) {
        out << name << " is not registered in " << registry.Path().string()
            << "; nothing removed\n";
        return 0;
    }
    out << "removed " << name << " from " << registry.Path().string() << " for\n";
    for (const CLSID& clsid : removed)
        out << "  " << Describe(clsid) << '\n';
    return 0;
}

} // namespace vortan::app
