#pragma once

#include <string>
#include <string_view>

namespace vortan::ui {

// The transcript file of an unattended run: one line per event, appended. Each line is written
// with one write call on a file opened for appending, so lines of several processes sharing
// the file never interleave. The file is opened per line and never held.
class Transcript final {
public:
    Transcript() = default; // writes nothing
    explicit Transcript(std::string path) : m_strPath(std::move(path)) {}

    bool Enabled() const { return !m_strPath.empty(); }
    // Appends `line` and a newline; false when there is no file or it could not be written.
    bool Append(std::string_view line) const;

private:
    std::string m_strPath;
};

} // namespace vortan::ui
