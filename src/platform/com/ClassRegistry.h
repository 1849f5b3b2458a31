#pragma once

// The class registry: INI files that tell activation where a component lives.
//
//   [CLSID]
//   {01000039-2409-43F1-8BAC-7D0643B6159E}=/usr/lib/vortan/libsimboard.so
//   [ProgID]
//   ZEPH.VORTAN.Application.7={0100003B-2409-43F1-8BAC-7D0643B6159E}
//
// Relative plug-in paths are relative to the directory of the registry file. Lookups read the
// user's file first, then the system-wide ones (SearchPath()); writers change one file only,
// the user's, replacing it atomically (temporary file, then rename) and leaving every other
// entry as it was; concurrent writers are serialised by a lock file beside it.

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

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
    // The files lookups read, in order: $VORTAN_CLASSES alone if set and not empty (a private
    // registry); else DefaultPath(), then vortan/classes.ini under each absolute directory of
    // $XDG_CONFIG_DIRS (/etc/xdg if unset or empty).
    static std::vector<std::filesystem::path> SearchPath();
    // The first answer along SearchPath(): a user's entry overrides a system-wide one.
    static std::optional<std::filesystem::path> LookUpClass(REFCLSID clsid);
    static std::optional<CLSID> LookUpProgId(std::string_view progId);

    const std::filesystem::path& Path() const noexcept { return m_file; }

    // The plug-in of a class, made absolute; nothing if the class has no entry or the file
    // cannot be read.
    std::optional<std::filesystem::path> FindClassPath(REFCLSID clsid) const;
    // ProgIDs compare without regard to case; an entry whose value is no GUID is ignored.
    std::optional<CLSID> FindProgId(std::string_view progId) const;

    // Failures: E_INVALIDARG (a text that cannot stand in the file: empty, line breaks, '='
    // in a ProgID), E_ACCESSDENIED, E_FAIL (other file errors), E_OUTOFMEMORY.
    HRESULT RegisterClassPath(REFCLSID clsid, const std::filesystem::path& plugin);
    // Several classes of one plug-in in one write: all entries or none.
    HRESULT RegisterClassPath(std::span<const CLSID> classes, const std::filesystem::path& plugin);
    // Removes every [CLSID] entry that names `plugin` (the same file, however the entry spells
    // it); `removed` gets their classes. S_OK when an entry was removed, S_FALSE when none.
    HRESULT UnregisterClassPath(const std::filesystem::path& plugin, std::vector<CLSID>& removed);
    HRESULT RegisterProgId(std::string_view progId, REFCLSID clsid);
    // S_OK when an entry was removed, S_FALSE when there was none.
    HRESULT UnregisterProgId(std::string_view progId);

private:
    std::optional<IniDocument> Read() const;
    std::filesystem::path Resolve(std::string_view entry) const;
    HRESULT Update(const std::function<bool(IniDocument&)>& change);

    std::filesystem::path m_file;
};

} // namespace vortan::com
