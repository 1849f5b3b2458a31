#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/WinDef.h"

namespace vortan::profile {

class ProfileIndex;

// Profile files read once and kept as an index, keyed by path and checked against the file's
// identity, size and change times, so that an edited file is read again. Outside a run every
// lookup checks; within a run (ProfileRun) the first lookup of a file does, and the run sees
// that version to its end. A file changed so recently that a further change could keep its
// time stamp is read again at its next check. Files beyond kMaxCachedBytes are scanned at each
// lookup.
class ProfileCache final {
public:
    // Reads a whole regular file; empty when it cannot be read. Tests replace it to count reads.
    using FileReader = std::function<std::optional<std::string>(const char* path)>;

    static constexpr std::uint64_t kMaxCachedBytes = 16u << 20;

    explicit ProfileCache(FileReader reader = ReadFile);
    ~ProfileCache();
    ProfileCache(const ProfileCache&) = delete;
    ProfileCache& operator=(const ProfileCache&) = delete;

    // The cache behind GetPrivateProfileStringA.
    static ProfileCache& Process();
    static std::optional<std::string> ReadFile(const char* path);

    // Arguments and result as GetPrivateProfileStringA.
    DWORD Read(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
               DWORD nSize, LPCSTR lpFileName);

    // Puts `reader` in place and answers the previous one.
    FileReader ExchangeReader(FileReader reader);

    // Runs nest; files are checked again in the next outermost run.
    void BeginRun();
    void EndRun();

private:
    struct Stamp {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modified = 0; // ns
        std::int64_t changed = 0;  // ns
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        Stamp stamp;
        bool trusted = false; // the stamp would show any later change
        std::uint64_t checkedInRun = 0;
        std::shared_ptr<const ProfileIndex> index;
    };

    static std::optional<Stamp> StampOf(const char* path);
    // The index of the file; null when it is to be scanned instead (missing, no regular file,
    // too large, unreadable).
    std::shared_ptr<const ProfileIndex> IndexOf(const char* path);

    std::mutex m_mutex;
    FileReader m_reader;
    std::map<std::string, Entry> m_entries;
    std::uint64_t m_nRun = 0; // the current run, counted from 1
    int m_nOpenRuns = 0;
};

} // namespace vortan::profile
