#pragma once
// quarn::string: a read-only view of a NUL-terminated byte string. It never owns or
// frees what it points at; a null pointer reads as the empty text.
#include <cstddef>
#include <cstring>

#include "qrncore/api.h"

namespace quarn {

class QRNCORE_API string {
public:
    constexpr string() : m_str("") {}
    constexpr string(const char *s) : m_str(s ? s : "") {}

    const char *c_str() const { return m_str; }
    operator const char *() const { return m_str; }
    size_t length() const { return strlen(m_str); }
    bool is_empty() const { return m_str[0] == 0; }
    char operator[](size_t i) const { return m_str[i]; }

    bool operator==(const string &o) const { return strcmp(m_str, o.m_str) == 0; }
    bool operator!=(const string &o) const { return !(*this == o); }

    static const string EMPTY;

private:
    const char *m_str;
};

}  // namespace quarn
