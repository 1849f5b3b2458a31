#include "support/ScopedEnv.h"

#include <cstdlib>
#include <utility>

namespace vortan::test {

ScopedEnv::ScopedEnv(std::string name, const std::string& value) : m_strName(std::move(name)) {
    if (const char* old = std::getenv(m_strName.c_str()))
        m_previous = old;
    setenv(m_strName.c_str(), value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (m_previous)
        setenv(m_strName.c_str(), m_previous->c_str(), 1);
    else
        unsetenv(m_strName.c_str());
}

} // namespace vortan::test
