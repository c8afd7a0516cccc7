#pragma once
// quarn::string_fixed_t<N>: an owned text in an N-byte buffer inside the object, for
// short-lived texts built without allocation (paths inside the file system, plug-in
// names). It never grows: what does not fit is cut and reported as false.
#include <cstdint>

#include "qrncore/strings/mstring.h"

namespace quarn {

template <uint32_t N>
class string_fixed_t : public mstring_t {
    static_assert(N > 0, "a fixed text needs room for its terminator");

public:
    string_fixed_t() : mstring_t(m_buffer) { m_buffer[0] = 0; }
    string_fixed_t(const string &s) : string_fixed_t() { copy(s); }
    string_fixed_t(const char *s) : string_fixed_t() { copy(string(s)); }
    string_fixed_t(const string_fixed_t &o) : string_fixed_t() { copy(o.c_str()); }
    string_fixed_t(const mstring_t &o) : string_fixed_t() { copy(o.c_str()); }

    string_fixed_t &operator=(const string_fixed_t &o) {
        copy(o.c_str());
        return *this;
    }
    string_fixed_t &operator=(const mstring_t &o) {
        copy(o.c_str());
        return *this;
    }
    string_fixed_t &operator=(const string &s) {
        copy(s);
        return *this;
    }
    string_fixed_t &operator=(const char *s) {
        copy(string(s));
        return *this;
    }

    bool is_resizable() const override { return false; }
    bool request_capacity(uint32_t n) override { return n <= N; }
    uint32_t get_capacity() const override { return N; }

private:
    char m_buffer[N];
};

}  // namespace quarn
