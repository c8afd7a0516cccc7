#pragma once
// quarn::string_dyn_t: the heap form of the owned text. Buffers come from the host's
// vector allocator and grow to exactly the size an operation asks for: no rounding,
// no doubling. The empty state holds no buffer: its data is string::NUL_CHAR and its
// capacity 0, so empty texts cost no allocation.
#include <cstdint>
#include <cstring>
#include <utility>

#include "qrncore/strings/mstring.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

struct default_mstring_allocator_t {
    static char *allocate(uint32_t bytes) { return static_cast<char *>(qrncore_system_new_vector(bytes)); }
    static void release(char *p) { qrncore_system_delete_vector(p); }
};

template <class A = default_mstring_allocator_t>
class string_dyn_t : public mstring_t {
public:
    string_dyn_t() : mstring_t(string::NUL_CHAR) {}
    // Allocates exactly strlen + 1 bytes; the empty text allocates nothing. A failed
    // allocation leaves the empty state.
    string_dyn_t(const string &s) : mstring_t(string::NUL_CHAR) { assign_exact(s.c_str()); }
    string_dyn_t(const char *s) : mstring_t(string::NUL_CHAR) { assign_exact(s ? s : ""); }
    string_dyn_t(const string_dyn_t &o) : mstring_t(string::NUL_CHAR) { assign_exact(o.c_str()); }
    string_dyn_t(const mstring_t &o) : mstring_t(string::NUL_CHAR) { assign_exact(o.c_str()); }
    // Takes the buffer and capacity; the source is left empty.
    string_dyn_t(string_dyn_t &&o) noexcept : mstring_t(string::NUL_CHAR) { take(o); }
    ~string_dyn_t() override { release(); }

    string_dyn_t &operator=(const string_dyn_t &o) {
        copy(o.c_str());
        return *this;
    }
    string_dyn_t &operator=(const mstring_t &o) {
        copy(o.c_str());
        return *this;
    }
    string_dyn_t &operator=(const string &s) {
        copy(s);
        return *this;
    }
    string_dyn_t &operator=(const char *s) {
        copy(string(s));
        return *this;
    }
    // Hands the buffer over; this text's old buffer is freed and the source left empty.
    string_dyn_t &operator=(string_dyn_t &&o) noexcept {
        if (this != &o) {
            release();
            take(o);
        }
        return *this;
    }

    bool is_resizable() const override { return true; }

    bool request_capacity(uint32_t n) override {
        if (n <= m_capacity) return true;
        char *p = A::allocate(n);
        if (!p) return false;
        if (m_capacity) {
            memcpy(p, m_data, m_capacity);
            A::release(m_data);
        } else {
            p[0] = 0;
        }
        m_data = p;
        m_capacity = n;
        return true;
    }

    uint32_t get_capacity() const override { return m_capacity; }

private:
    void assign_exact(const char *s) {
        size_t n = strlen(s) + 1;
        if (n == 1 || n > UINT32_MAX) return;
        char *p = A::allocate(uint32_t(n));
        if (!p) return;
        memcpy(p, s, n);
        m_data = p;
        m_capacity = uint32_t(n);
    }
    void release() {
        if (m_capacity) A::release(m_data);
        m_data = string::NUL_CHAR;
        m_capacity = 0;
    }
    void take(string_dyn_t &o) {
        m_data = std::exchange(o.m_data, string::NUL_CHAR);
        m_capacity = std::exchange(o.m_capacity, 0u);
    }

    uint32_t m_capacity = 0;
};

// The heap text as the rest of the system uses it.
using mstring_dyn_t = string_dyn_t<default_mstring_allocator_t>;

}  // namespace quarn
