#pragma once

// What the Windows tests of the board share: a scratch directory whose boards/ is the boards
// directory of the process (VORTAN_BOARDS) while it lives, whole files, the programs built
// beside the test.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <windows.h>

namespace vortan::test {

class Win32TestWorld final {
public:
    Win32TestWorld() {
        std::filesystem::create_directories(m_root / "local");
        // _putenv_s also sets the process environment, which child processes inherit.
        _putenv_s("VORTAN_BOARDS", Boards().c_str());
    }
    ~Win32TestWorld() {
        _putenv_s("VORTAN_BOARDS", "");
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    Win32TestWorld(const Win32TestWorld&) = delete;
    Win32TestWorld& operator=(const Win32TestWorld&) = delete;

    std::string Boards() const { return (m_root / "boards").string(); }
    std::string Flash(const std::string& board, const std::string& file = "") const {
        return (m_root / "boards" / board / "flash" / file).string();
    }
    std::string Local(const std::string& name = "") const {
        return (m_root / "local" / name).string();
    }

    static std::string ReadAll(const std::string& path) {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }
    static void WriteAll(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    // Bytes in a cycle that does not divide the copy's 64 KiB steps.
    static std::string Pattern(std::size_t size, unsigned seed = 0) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 7 + seed) % 251);
        return bytes;
    }
    static std::string BesideTest(const char* name) {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        return (std::filesystem::path(path).parent_path() / name).string();
    }

private:
    std::filesystem::path m_root = std::filesystem::temp_directory_path() /
                                   ("vortan-board-" + std::to_string(GetCurrentProcessId()));
};

} // namespace vortan::test
