#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace vortan::fuzz {

// A file the parsers under test read by name, rewritten for every input. It lives in a
// directory of its own that is removed when the fuzzer exits.
class InputFile final {
public:
    explicit InputFile(const char* name) {
        char dir[] = "/tmp/vortan-fuzz.XXXXXX";
        if (mkdtemp(dir) == nullptr)
            std::abort();
        m_path = std::string(dir) + "/" + name;
    }
    ~InputFile() { std::filesystem::remove_all(std::filesystem::path(m_path).parent_path()); }

    const std::string& Write(std::string_view content) const {
        if (!std::ofstream(m_path, std::ios::binary)
                 .write(content.data(), static_cast<std::streamsize>(content.size())))
            std::abort();
        return m_path;
    }

private:
    std::string m_path;
};

// A broken property: libFuzzer keeps the input that shows it.
inline void Check(bool holds) {
    if (!holds)
        std::abort();
}

} // namespace vortan::fuzz
