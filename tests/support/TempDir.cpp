#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace vortan::test {

TempDir::TempDir() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto path = base / ("vortan-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path)) { // else somebody else's
            std::filesystem::permissions(path, std::filesystem::perms::owner_all);
            m_strPath = std::filesystem::canonical(path).string();
            return;
        }
    }
    throw std::runtime_error("no fresh directory under " + base.string());
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_strPath, ignored);
}

std::string TempDir::operator/(std::string_view relative) const {
    return m_strPath + "/" + std::string(relative);
}

std::string TempDir::WriteFile(std::string_view relative, std::string_view bytes) const {
    const std::string path = *this / relative;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::string TempDir::MakeDir(std::string_view relative) const {
    const std::string path = *this / relative;
    std::filesystem::create_directories(path);
    return path;
}

ScopedCurrentDir::ScopedCurrentDir(const std::string& path)
    : m_strPrevious(std::filesystem::current_path().string()) {
    std::filesystem::current_path(path);
}

ScopedCurrentDir::~ScopedCurrentDir() {
    std::error_code ignored;
    std::filesystem::current_path(m_strPrevious, ignored);
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

} // namespace vortan::test
