#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vortan::test {

// A fresh directory (0700) under the system's temporary directory ($TMPDIR, else /tmp), removed
// with everything in it at the end.
class TempDir final {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Absolute path without a trailing separator.
    const std::string& Path() const { return m_strPath; }
    // Path() + "/" + relative.
    std::string operator/(std::string_view relative) const;

    // Creates (or replaces) the file `relative` with exactly `bytes`; returns its path.
    std::string WriteFile(std::string_view relative, std::string_view bytes) const;
    // Creates the directory `relative`; returns its path.
    std::string MakeDir(std::string_view relative) const;

private:
    std::string m_strPath;
};

// The lines of the text file `path`, without their line ends; none if it cannot be read.
std::vector<std::string> ReadLines(const std::string& path);

// Makes `path` the current directory until the end of the scope.
class ScopedCurrentDir final {
public:
    explicit ScopedCurrentDir(const std::string& path);
    ~ScopedCurrentDir();
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

private:
    std::string m_strPrevious;
};

} // namespace vortan::test
