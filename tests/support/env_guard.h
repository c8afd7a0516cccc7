#pragma once
// Restores an environment variable when the test ends: to its value at construction,
// or unset when it had none.
#include <cstdlib>
#include <string>

namespace quarn::test {

class env_guard_t {
public:
    explicit env_guard_t(const char *name) : m_name(name) {
        const char *v = getenv(name);
        m_had = v != nullptr;
        if (v) m_value = v;
    }
    ~env_guard_t() {
        if (m_had) setenv(m_name.c_str(), m_value.c_str(), 1);
        else unsetenv(m_name.c_str());
    }
    env_guard_t(const env_guard_t &) = delete;
    env_guard_t &operator=(const env_guard_t &) = delete;

private:
    std::string m_name;
    bool m_had;
    std::string m_value;
};

}  // namespace quarn::test
