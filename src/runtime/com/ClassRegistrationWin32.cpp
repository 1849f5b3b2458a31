#include <memory>
#include <string_view>
#include <type_traits>

#include "vortan/com/ClassRegistration.h"
#include "vortan/text/Utf.h"

namespace vortan::com {

namespace {

struct KeyCloser {
    void operator()(HKEY key) const noexcept { ::RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// The W calls (OLECHAR is wchar_t here): program strings are UTF-8, and paths need not fit
// the ANSI code page.
std::wstring Wide(std::string_view utf8) {
    return text::Utf8ToUtf16(utf8);
}

HKEY Root(RegistryScope scope) {
    return scope == RegistryScope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::wstring ClassPath(const CLSID& clsid) {
    return L"Software\\Classes\\CLSID\\" + Wide(FormatGuid(clsid));
}

std::wstring InterfacePath(const IID& iid) {
    return L"Software\\Classes\\Interface\\" + Wide(FormatGuid(iid));
}

std::wstring ProgIdPath(const std::string& progId) {
    return L"Software\\Classes\\" + Wide(progId);
}

// A ProgID is one key name: empty or with a separator it would name another key (the
// classes root itself, say), which must never be written or deleted.
bool ValidProgId(const std::string& progId) {
    return progId.find('\\') == std::string::npos;
}

LONG CreateKey(HKEY parent, const std::wstring& path, UniqueKey& key) {
    HKEY raw = nullptr;
    const LONG error = ::RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_WRITE, nullptr, &raw, nullptr);
    key.reset(raw);
    return error;
}

// `name` null: the key's default value.
LONG SetText(HKEY key, const wchar_t* name, std::string_view value) {
    const std::wstring wide = Wide(value);
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                            static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

// Writes `value` as the default value of `parent`\`path`.
LONG CreateWithText(HKEY parent, const std::wstring& path, std::string_view value, UniqueKey& key) {
    const LONG error = CreateKey(parent, path, key);
    return error != ERROR_SUCCESS ? error : SetText(key.get(), nullptr, value);
}

LONG DeleteTree(HKEY root, const std::wstring& path) {
    const LONG error = ::RegDeleteTreeW(root, path.c_str());
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

// The class a ProgID key names; empty when it names none (or does not exist).
std::wstring ProgIdClass(HKEY root, const std::wstring& progIdPath) {
    wchar_t buffer[64] = {};
    DWORD size = sizeof(buffer);
    const LONG error = ::RegGetValueW(root, (progIdPath + L"\\CLSID").c_str(), nullptr,
                                      RRF_RT_REG_SZ, nullptr, buffer, &size);
    return error == ERROR_SUCCESS ? std::wstring(buffer) : std::wstring();
}

LONG RemoveUnder(RegistryScope scope, const CLSID& clsid, const std::string& progId) {
    const HKEY root = Root(scope);
    LONG first = DeleteTree(root, ClassPath(clsid));
    if (progId.empty())
        return first;
    // A ProgID that another class has taken over since stays that class's.
    const std::wstring named = ProgIdClass(root, ProgIdPath(progId));
    if (!named.empty() && ::CompareStringOrdinal(named.c_str(), -1, Wide(FormatGuid(clsid)).c_str(),
                                                 -1, TRUE) != CSTR_EQUAL)
        return first;
    const LONG error = DeleteTree(root, ProgIdPath(progId));
    return first != ERROR_SUCCESS ? first : error;
}

LONG WriteUnder(RegistryScope scope, const ClassRegistration& r) {
    const HKEY root = Root(scope);
    // What an earlier registration left (the other server kind, say) goes first.
    LONG error = RemoveUnder(scope, r.clsid, r.progId);
    UniqueKey classKey;
    if (error == ERROR_SUCCESS)
        error = CreateWithText(root, ClassPath(r.clsid), r.description, classKey);
    UniqueKey serverKey;
    if (error == ERROR_SUCCESS)
        error = CreateWithText(
            classKey.get(), r.kind == ServerKind::InProcess ? L"InprocServer32" : L"LocalServer32",
            r.server, serverKey);
    if (error == ERROR_SUCCESS && r.kind == ServerKind::InProcess && !r.threadingModel.empty())
        error = SetText(serverKey.get(), L"ThreadingModel", r.threadingModel);
    if (error != ERROR_SUCCESS || r.progId.empty())
        return error;

    UniqueKey key;
    error = CreateWithText(classKey.get(), L"ProgID", r.progId, key);
    if (error == ERROR_SUCCESS)
        error = CreateWithText(root, ProgIdPath(r.progId), r.description, key);
    UniqueKey clsidKey;
    if (error == ERROR_SUCCESS)
        error = CreateWithText(key.get(), L"CLSID", FormatGuid(r.clsid), clsidKey);
    return error;
}

// The machine's classes when this process may create keys there (an administrator, or no
// access control at all), else the user's.
RegistryScope WritableScope() {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, KEY_CREATE_SUB_KEY, &raw) !=
        ERROR_SUCCESS)
        return RegistryScope::User;
    ::RegCloseKey(raw);
    return RegistryScope::Machine;
}

LONG WriteInterfaceUnder(RegistryScope scope, const IID& iid, const std::string& name) {
    // PSDispatch: oleaut32's proxy/stub for interfaces that are IDispatch on the wire.
    constexpr const char* kDispatchMarshaler = "{00020420-0000-0000-C000-000000000046}";
    UniqueKey key;
    LONG error = CreateWithText(Root(scope), InterfacePath(iid), name, key);
    UniqueKey proxyStub;
    for (const wchar_t* subkey : {L"ProxyStubClsid", L"ProxyStubClsid32"}) {
        if (error == ERROR_SUCCESS)
            error = CreateWithText(key.get(), subkey, kDispatchMarshaler, proxyStub);
    }
    return error;
}

} // namespace

const char* RegistryScopeName(RegistryScope scope) {
    return scope == RegistryScope::Machine ? "HKEY_LOCAL_MACHINE\\Software\\Classes"
                                           : "HKEY_CURRENT_USER\\Software\\Classes";
}

HRESULT WriteClassRegistration(const ClassRegistration& registration, RegistryScope& scope) {
    if (!ValidProgId(registration.progId))
        return E_INVALIDARG;
    try {
        scope = WritableScope();
        LONG error = WriteUnder(scope, registration);
        // Windows merges the user's classes over the machine's: a stale copy there would win.
        if (error == ERROR_SUCCESS && scope == RegistryScope::Machine)
            error = RemoveUnder(RegistryScope::User, registration.clsid, registration.progId);
        return HRESULT_FROM_WIN32(error);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT RemoveClassRegistration(const CLSID& clsid, const std::string& progId) {
    if (!ValidProgId(progId))
        return E_INVALIDARG;
    try {
        const LONG machine = RemoveUnder(RegistryScope::Machine, clsid, progId);
        const LONG user = RemoveUnder(RegistryScope::User, clsid, progId);
        return HRESULT_FROM_WIN32(machine != ERROR_SUCCESS ? machine : user);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT WriteDispatchInterfaceRegistration(const IID& iid, const std::string& name,
                                           RegistryScope& scope) {
    try {
        scope = WritableScope();
        LONG error = WriteInterfaceUnder(scope, iid, name);
        if (error == ERROR_SUCCESS && scope == RegistryScope::Machine)
            error = DeleteTree(HKEY_CURRENT_USER, InterfacePath(iid));
        return HRESULT_FROM_WIN32(error);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT RemoveDispatchInterfaceRegistration(const IID& iid) {
    try {
        const LONG machine = DeleteTree(HKEY_LOCAL_MACHINE, InterfacePath(iid));
        const LONG user = DeleteTree(HKEY_CURRENT_USER, InterfacePath(iid));
        return HRESULT_FROM_WIN32(machine != ERROR_SUCCESS ? machine : user);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace vortan::com
