#include "platform/com/ClassRegistry.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/com/IniDocument.h"
#include "platform/text/Ascii.h"

namespace vortan::com {
using vortan::text::EqualsNoCase;

namespace {

constexpr std::string_view kClassSection = "CLSID";
constexpr std::string_view kProgIdSection = "ProgID";

bool FitsInLine(std::string_view text) {
    return !text.empty() && text.find_first_of("\r\n") == std::string_view::npos &&
           text.front() != ' ' && text.back() != ' ';
}

HRESULT FromErrno(int error) {
    return (error == EACCES || error == EPERM || error == EROFS) ? E_ACCESSDENIED : E_FAIL;
}

// Closes the descriptor (and with it the lock) on every path out.
class FileDescriptor final {
public:
    explicit FileDescriptor(int fd) noexcept : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int Get() const noexcept { return m_fd; }
    int Release() noexcept { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

HRESULT WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return S_OK;
}

HRESULT ReadAll(const std::filesystem::path& file, std::string& text) {
    text.clear();
    FileDescriptor in(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Get() < 0)
        return errno == ENOENT ? S_OK : FromErrno(errno);
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(in.Get(), buffer, sizeof buffer);
        if (n == 0)
            return S_OK;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FromErrno(errno);
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace

std::filesystem::path ClassRegistry::DefaultPath() {
    if (const char* explicitPath = std::getenv("VORTAN_CLASSES"); explicitPath && *explicitPath)
        return explicitPath;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::filesystem::path(config) / "vortan" / "classes.ini";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "") / ".config" / "vortan" /
           "classes.ini";
}

std::vector<std::filesystem::path> ClassRegistry::SearchPath() {
    if (const char* explicitPath = std::getenv("VORTAN_CLASSES"); explicitPath && *explicitPath)
        return {explicitPath};
    std::vector<std::filesystem::path> files{DefaultPath()};
    const char* configDirs = std::getenv("XDG_CONFIG_DIRS");
    std::string_view dirs = configDirs != nullptr && *configDirs ? configDirs : "/etc/xdg";
    while (!dirs.empty()) {
        const std::size_t end = std::min(dirs.find(':'), dirs.size());
        const std::string_view dir = dirs.substr(0, end);
        // Relative entries mean nothing here; the base directory rules say to ignore them.
        if (dir.starts_with('/'))
            files.push_back(std::filesystem::path(dir) / "vortan" / "classes.ini");
        dirs.remove_prefix(std::min(end + 1, dirs.size()));
    }
    return files;
}

std::optional<std::filesystem::path> ClassRegistry::LookUpClass(REFCLSID clsid) {
    for (const std::filesystem::path& file : SearchPath()) {
        if (auto plugin = ClassRegistry(file).FindClassPath(clsid))
            return plugin;
    }
    return std::nullopt;
}

std::optional<CLSID> ClassRegistry::LookUpProgId(std::string_view progId) {
    for (const std::filesystem::path& file : SearchPath()) {
        if (auto clsid = ClassRegistry(file).FindProgId(progId))
            return clsid;
    }
    return std::nullopt;
}

std::optional<IniDocument> ClassRegistry::Read() const {
    std::string text;
    if (FAILED(ReadAll(m_file, text)))
        return std::nullopt;
    return IniDocument::Parse(text);
}

std::optional<std::filesystem::path> ClassRegistry::FindClassPath(REFCLSID clsid) const {
    const std::optional<IniDocument> doc = Read();
    if (!doc)
        return std::nullopt;
    for (const IniDocument::Entry& entry : doc->Entries(kClassSection)) {
        const std::optional<GUID> key = ParseGuid(entry.key);
        if (!key || !(*key == clsid) || entry.value.empty())
            continue;
        return Resolve(entry.value);
    }
    return std::nullopt;
}

std::filesystem::path ClassRegistry::Resolve(std::string_view entry) const {
    std::filesystem::path plugin(entry);
    if (plugin.is_relative())
        plugin = std::filesystem::absolute(m_file).parent_path() / plugin;
    return plugin.lexically_normal();
}

std::optional<CLSID> ClassRegistry::FindProgId(std::string_view progId) const {
    const std::optional<IniDocument> doc = Read();
    if (!doc)
        return std::nullopt;
    for (const IniDocument::Entry& entry : doc->Entries(kProgIdSection)) {
        if (EqualsNoCase(entry.key, progId))
            return ParseGuid(entry.value);
    }
    return std::nullopt;
}

HRESULT ClassRegistry::RegisterClassPath(REFCLSID clsid, const std::filesystem::path& plugin) {
    return RegisterClassPath(std::span<const CLSID>(&clsid, 1), plugin);
}

HRESULT ClassRegistry::RegisterClassPath(std::span<const CLSID> classes,
                                         const std::filesystem::path& plugin) {
    const std::string value = plugin.string();
    if (!FitsInLine(value))
        return E_INVALIDARG;
    return Update([&](IniDocument& doc) {
        for (const CLSID& clsid : classes) {
            doc.RemoveIf(kClassSection, [&](std::string_view key) {
                const std::optional<GUID> g = ParseGuid(key);
                return g && *g == clsid;
            });
            doc.Append(kClassSection, FormatGuid(clsid), value);
        }
        return !classes.empty();
    });
}

HRESULT ClassRegistry::UnregisterClassPath(const std::filesystem::path& plugin,
                                           std::vector<CLSID>& removed) {
    removed.clear();
    std::error_code ec;
    const std::filesystem::path wanted = std::filesystem::absolute(plugin, ec).lexically_normal();
    if (plugin.empty() || ec)
        return E_INVALIDARG;
    const auto names = [&wanted](const std::filesystem::path& entry) {
        std::error_code unused;
        // A plug-in already deleted can only be recognised by its name.
        return entry == wanted || std::filesystem::equivalent(entry, wanted, unused);
    };
    const HRESULT hr = Update([&](IniDocument& doc) {
        std::vector<std::string> keys;
        for (const IniDocument::Entry& entry : doc.Entries(kClassSection)) {
            const std::optional<GUID> clsid = ParseGuid(entry.key);
            if (clsid && !entry.value.empty() && names(Resolve(entry.value))) {
                keys.push_back(entry.key);
                removed.push_back(*clsid);
            }
        }
        return doc.RemoveIf(kClassSection, [&](std::string_view key) {
            return std::find(keys.begin(), keys.end(), key) != keys.end();
        }) > 0;
    });
    if (FAILED(hr))
        removed.clear();
    return hr;
}

HRESULT ClassRegistry::RegisterProgId(std::string_view progId, REFCLSID clsid) {
    if (!FitsInLine(progId) || progId.find('=') != std::string_view::npos ||
        progId.front() == '[' || progId.front() == ';' || progId.front() == '#')
        return E_INVALIDARG;
    return Update([&](IniDocument& doc) {
        doc.RemoveIf(kProgIdSection,
                     [&](std::string_view key) { return EqualsNoCase(key, progId); });
        doc.Append(kProgIdSection, progId, FormatGuid(clsid));
        return true;
    });
}

HRESULT ClassRegistry::UnregisterProgId(std::string_view progId) {
    return Update([&](IniDocument& doc) {
        return doc.RemoveIf(kProgIdSection,
                            [&](std::string_view key) { return EqualsNoCase(key, progId); }) > 0;
    });
}

HRESULT ClassRegistry::Update(const std::function<bool(IniDocument&)>& change) {
    try {
        std::error_code ec;
        const std::filesystem::path dir = std::filesystem::absolute(m_file).parent_path();
        std::filesystem::create_directories(dir, ec);
        if (ec)
            return FromErrno(ec.value());

        const std::string lockPath = m_file.string() + ".lock";
        FileDescriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
        if (lock.Get() < 0)
            return FromErrno(errno);
        while (::flock(lock.Get(), LOCK_EX) != 0) {
            if (errno != EINTR)
                return FromErrno(errno);
        }

        // A missing file is an empty registry; an unreadable one must not be overwritten.
        std::string text;
        if (const HRESULT hr = ReadAll(m_file, text); FAILED(hr))
            return hr;
        IniDocument doc = IniDocument::Parse(text);
        if (!change(doc))
            return S_FALSE;

        std::string temp = m_file.string() + ".XXXXXX";
        FileDescriptor out(::mkstemp(temp.data()));
        if (out.Get() < 0)
            return FromErrno(errno);
        HRESULT hr = WriteAll(out.Get(), doc.Text());
        if (SUCCEEDED(hr) && ::fchmod(out.Get(), 0644) != 0)
            hr = FromErrno(errno);
        if (SUCCEEDED(hr) && ::fsync(out.Get()) != 0)
            hr = FromErrno(errno);
        if (SUCCEEDED(hr) && ::close(out.Release()) != 0)
            hr = FromErrno(errno);
        if (SUCCEEDED(hr) && ::rename(temp.c_str(), m_file.c_str()) != 0)
            hr = FromErrno(errno);
        if (FAILED(hr))
            ::unlink(temp.c_str());
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

} // namespace vortan::com
