#include "platform/profile/ProfileCache.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/fs/UniqueFd.h"
#include "platform/profile/ProfileIndex.h"
#include "platform/profile/ProfileScanner.h"
#include "platform/profile/ProfileValue.h"

namespace vortan::profile {

namespace {

// A server sees one or two profile files; more are somebody else's, and memory is bounded.
constexpr std::size_t kMaxEntries = 8;

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

std::int64_t Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

// How far back a file's time stamp can lag the change it records: a clock tick on file systems
// with fine stamps, two seconds on those that keep whole seconds only.
std::int64_t StampGranularity(std::int64_t modified, std::int64_t changed) {
    constexpr std::int64_t kSecond = 1'000'000'000;
    const bool wholeSeconds = modified % kSecond == 0 && changed % kSecond == 0;
    return wholeSeconds ? 2 * kSecond : 20'000'000;
}

} // namespace

ProfileCache::ProfileCache(FileReader reader) : m_reader(std::move(reader)) {}

ProfileCache::~ProfileCache() = default;

ProfileCache& ProfileCache::Process() {
    static ProfileCache cache;
    return cache;
}

std::optional<std::string> ProfileCache::ReadFile(const char* path) {
    const fs::UniqueFd fd = fs::OpenRegularFile(path);
    struct stat st {};
    if (!fd || fstat(fd.Get(), &st) != 0)
        return std::nullopt;
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size())
            bytes.resize(have + 4096); // the file grew meanwhile
        const ssize_t n = read(fd.Get(), bytes.data() + have, bytes.size() - have);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        have += static_cast<std::size_t>(n);
        if (have > kMaxCachedBytes)
            return std::nullopt;
    }
    bytes.resize(have);
    return bytes;
}

std::optional<ProfileCache::Stamp> ProfileCache::StampOf(const char* path) {
    struct stat st {};
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return Stamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                 static_cast<std::int64_t>(st.st_size), Nanoseconds(st.st_mtim),
                 Nanoseconds(st.st_ctim)};
}

std::shared_ptr<const ProfileIndex> ProfileCache::IndexOf(const char* path) {
    const std::lock_guard lock(m_mutex);
    const auto known = m_entries.find(path);
    const std::uint64_t run = m_nOpenRuns > 0 ? m_nRun : 0;
    if (known != m_entries.end() && run != 0 && known->second.checkedInRun == run)
        return known->second.index;
    const std::optional<Stamp> stamp = StampOf(path);
    if (!stamp || static_cast<std::uint64_t>(stamp->size) > kMaxCachedBytes) {
        if (known != m_entries.end())
            m_entries.erase(known);
        return nullptr;
    }
    if (known != m_entries.end() && known->second.trusted && known->second.stamp == *stamp) {
        known->second.checkedInRun = run;
        return known->second.index;
    }

    // Taken before the read: a change after it carries a later stamp than this, less the lag.
    const std::int64_t readAt = Now();
    std::optional<std::string> bytes = m_reader(path);
    if (!bytes) {
        if (known != m_entries.end())
            m_entries.erase(known);
        return nullptr;
    }
    auto index = std::make_shared<const ProfileIndex>(*bytes);
    const std::int64_t lag = StampGranularity(stamp->modified, stamp->changed);
    // Only the modification time decides: the change time cannot be set back, so a file whose
    // modification time was would never count as settled. Both are compared, though.
    const bool trusted = stamp->modified < readAt - lag;
    if (known == m_entries.end() && m_entries.size() >= kMaxEntries)
        m_entries.clear();
    m_entries.insert_or_assign(path, Entry{*stamp, trusted, run, index});
    return index;
}

DWORD ProfileCache::Read(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                         LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (lpReturnedString == nullptr || nSize == 0)
        return 0;
    const std::string_view fallback = lpDefault != nullptr ? lpDefault : "";
    // An empty name is no file: nothing is opened for it.
    if (lpAppName == nullptr || lpKeyName == nullptr || lpFileName == nullptr ||
        *lpFileName == '\0')
        return ProfileValue::CopyCut(fallback, lpReturnedString, nSize);

    const std::shared_ptr<const ProfileIndex> index = IndexOf(lpFileName);
    if (!index)
        return ProfileScanner::Read(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize,
                                    lpFileName);
    const std::optional<std::string_view> value = index->Find(lpAppName, lpKeyName, nSize);
    return ProfileValue::CopyCut(value ? *value : fallback, lpReturnedString, nSize);
}

void ProfileCache::BeginRun() {
    const std::lock_guard lock(m_mutex);
    if (m_nOpenRuns++ == 0)
        ++m_nRun;
}

void ProfileCache::EndRun() {
    const std::lock_guard lock(m_mutex);
    if (m_nOpenRuns > 0)
        --m_nOpenRuns;
}

ProfileCache::FileReader ProfileCache::ExchangeReader(FileReader reader) {
    const std::lock_guard lock(m_mutex);
    m_entries.clear();
    return std::exchange(m_reader, std::move(reader));
}

} // namespace vortan::profile
