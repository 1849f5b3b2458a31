#pragma once

#include <optional>
#include <string>

namespace vortan::test {

// Sets an environment variable until the end of the scope, then restores the old state.
class ScopedEnv final {
public:
    ScopedEnv(std::string name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_strName;
    std::optional<std::string> m_previous;
};

} // namespace vortan::test
