#pragma once

// The class registry: an INI file that tells activation where a component lives.
//
//   [CLSID]
//   {01000039-2409-43F1-8BAC-7D0643B6159E}=/usr/lib/vortan/libsimboard.so
//   [ProgID]
//   ZEPH.VORTAN.Application.7={0100003B-2409-43F1-8BAC-7D0643B6159E}
//
// Relative plug-in paths are relative to the directory of the registry file. Writers replace
// the file atomically (temporary file, then rename) and leave every other entry as it was;
// concurrent writers are serialised by a lock file beside it.

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "vortan/com/Guid.h"
#include "vortan/com/HResult.h"

namespace vortan::com {

class IniDocument;

class ClassRegistry final {
public:
    explicit ClassRegistry(std::filesystem::path file) : m_file(std::move(file)) {}

    // $VORTAN_CLASSES if set and not empty, else $XDG_CONFIG_HOME/vortan/classes.ini, else
    // $HOME/.config/vortan/classes.ini.
    static std::filesystem::path DefaultPath();

    const std::filesystem::path& Path() const noexcept { return m_file; }

    // The plug-in of a class, made absolute; nothing if the class has no entry or the file
    // cannot be read.
    std::optional<std::filesystem::path> FindClassPath(REFCLSID clsid) const;
    // ProgIDs compare without regard to case; an entry whose value is no GUID is ignored.
    std::optional<CLSID> FindProgId(std::string_view progId) const;

    // Failures: E_INVALIDARG (a text that cannot stand in the file: empty, line breaks, '='
    // in a ProgID), E_ACCESSDENIED, E_FAIL (other file errors), E_OUTOFMEMORY.
    HRESULT RegisterClassPath(REFCLSID clsid, const std::filesystem::path& plugin);
    HRESULT RegisterProgId(std::string_view progId, REFCLSID clsid);
    // S_OK when an entry was removed, S_FALSE when there was none.
    HRESULT UnregisterProgId(std::string_view progId);

private:
    std::optional<IniDocument> Read() const;
    HRESULT Update(const std::function<bool(IniDocument&)>& change);

    std::filesystem::path m_file;
};

} // namespace vortan::com
