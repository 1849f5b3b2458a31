#include "platform/profile/ProfileScanner.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/fs/UniqueFd.h"
#include "platform/profile/ProfileValue.h"
#include "platform/text/Ascii.h"

using vortan::profile::ProfileValue;
using vortan::text::EqualsNoCase;

namespace {

// Profile files are read in pieces of this size, so that a huge file costs no more memory
// than a small one.
constexpr std::size_t kChunkBytes = 64 * 1024;

using vortan::fs::OpenRegularFile;
using vortan::fs::UniqueFd;
constexpr auto IsBlank = ProfileValue::IsBlank;
constexpr auto IsLineEnd = ProfileValue::IsLineEnd;

// One field of a line (section name, key or value) with its leading blanks skipped. Only the
// first `limit` bytes are kept, however long the field is; its length without trailing blanks
// and its last non-blank byte are tracked for the whole field.
class BoundedField final {
public:
    void Reset(std::size_t limit) {
        m_text.clear();
        m_nLimit = limit;
        m_nLength = 0;
        m_nTrimmed = 0;
        m_chLast = '\0';
    }

    void Add(char c) {
        if (m_nLength == 0 && IsBlank(c))
            return;
        if (m_text.size() < m_nLimit)
            m_text.push_back(c);
        ++m_nLength;
        if (!IsBlank(c)) {
            m_nTrimmed = m_nLength;
            m_chLast = c;
        }
    }

    // Length of the whole field without trailing blanks.
    std::size_t TrimmedLength() const { return m_nTrimmed; }

    // The kept part of the field without trailing blanks.
    std::string_view Kept() const {
        return std::string_view(m_text).substr(0, std::min<std::size_t>(m_text.size(), m_nTrimmed));
    }

    char Last() const { return m_chLast; }

    bool Matches(std::string_view wanted) const {
        return m_nTrimmed == wanted.size() && EqualsNoCase(Kept(), wanted);
    }

private:
    std::string m_text;
    std::size_t m_nLimit = 0;
    std::size_t m_nLength = 0;
    std::size_t m_nTrimmed = 0;
    char m_chLast = '\0';
};

// Finds the first value of `key` in a section named `section`, fed the file byte by byte.
class StreamScanner final {
public:
    StreamScanner(std::string_view section, std::string_view key, std::size_t valueLimit)
        : m_section(section), m_key(key), m_nValueLimit(valueLimit) {}

    // Returns true once the value is complete; no further bytes are needed then.
    bool Feed(char c) {
        switch (m_state) {
        case State::LineStart:
            if (IsLineEnd(c) || IsBlank(c))
                return false;
            if (c == '[') {
                m_field.Reset(m_section.size());
                m_state = State::Section;
            } else if (c == ';' || !m_bInSection) {
                m_state = State::Skip;
            } else {
                m_field.Reset(m_key.size());
                m_field.Add(c);
                m_state = State::Key;
            }
            return false;
        case State::Section:
            if (IsLineEnd(c)) {
                // A '[' without ']' is no section header; the line is ignored.
                m_state = State::LineStart;
            } else if (c == ']') {
                m_bInSection = m_field.Matches(m_section);
                m_state = State::Skip;
            } else {
                m_field.Add(c);
            }
            return false;
        case State::Key:
            if (IsLineEnd(c)) {
                m_state = State::LineStart; // a line without '=' holds no key
            } else if (c == '=') {
                if (m_field.Matches(m_key)) {
                    m_field.Reset(m_nValueLimit);
                    m_state = State::Value;
                } else {
                    m_state = State::Skip;
                }
            } else {
                m_field.Add(c);
            }
            return false;
        case State::Value:
            if (IsLineEnd(c)) {
                m_state = State::Done;
                return true;
            }
            m_field.Add(c);
            return false;
        case State::Skip:
            if (IsLineEnd(c))
                m_state = State::LineStart;
            return false;
        case State::Done:
            return true;
        }
        return false;
    }

    // The value when one was found, as far as it was kept; called after the last byte.
    std::optional<std::string_view> Value() const {
        if (m_state != State::Value && m_state != State::Done)
            return std::nullopt;
        return ProfileValue::Unquote(m_field.Kept(), m_field.TrimmedLength(), m_field.Last());
    }

private:
    enum class State { LineStart, Section, Key, Value, Skip, Done };

    std::string_view m_section;
    std::string_view m_key;
    std::size_t m_nValueLimit;
    State m_state = State::LineStart;
    bool m_bInSection = false;
    BoundedField m_field;
};

// Reads up to `size` bytes; 0 at the end of the file or on an error.
std::size_t ReadSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = read(fd, buffer, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            return 0;
    }
}

} // namespace

namespace vortan::profile {

DWORD ProfileScanner::Read(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                           LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (lpReturnedString == nullptr || nSize == 0)
        return 0;
    const std::string_view fallback = lpDefault != nullptr ? lpDefault : "";
    if (lpAppName == nullptr || lpKeyName == nullptr || lpFileName == nullptr)
        return ProfileValue::CopyCut(fallback, lpReturnedString, nSize);

    const UniqueFd file = OpenRegularFile(lpFileName);
    if (file.Get() < 0)
        return ProfileValue::CopyCut(fallback, lpReturnedString, nSize);

    // Keep an opening quote and one byte past the cut, which tells whether the cut would
    // split a character.
    StreamScanner scanner(lpAppName, lpKeyName, std::size_t{nSize} + 2);
    std::vector<char> chunk(kChunkBytes);
    bool atStart = true;
    bool found = false;
    while (!found) {
        std::string_view bytes(chunk.data(), ReadSome(file.Get(), chunk.data(), chunk.size()));
        if (bytes.empty())
            break;
        if (atStart && bytes.starts_with("\xEF\xBB\xBF"))
            bytes.remove_prefix(3); // UTF-8 byte order mark
        atStart = false;
        for (const char c : bytes) {
            if (scanner.Feed(c)) {
                found = true;
                break;
            }
        }
    }
    const std::optional<std::string_view> value = scanner.Value();
    return ProfileValue::CopyCut(value ? *value : fallback, lpReturnedString, nSize);
}

} // namespace vortan::profile
