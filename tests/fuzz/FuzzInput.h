#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
        m_dir = dir;
        m_path = m_dir + "/" + name;
    }
    ~InputFile() {
        unlink(m_path.c_str());
        rmdir(m_dir.c_str());
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& Write(std::string_view content) const {
        std::FILE* file = std::fopen(m_path.c_str(), "wb");
        if (file == nullptr ||
            std::fwrite(content.data(), 1, content.size(), file) != content.size())
            std::abort();
        std::fclose(file);
        return m_path;
    }

private:
    std::string m_dir;
    std::string m_path;
};

// A broken property: libFuzzer keeps the input that shows it.
inline void Check(bool holds) {
    if (!holds)
        std::abort();
}

} // namespace vortan::fuzz
