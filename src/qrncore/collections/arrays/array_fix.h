#pragma once
// quarn::array_fix_t<T, N>: the array with room for N elements inside the object, for
// small tables that should cost no heap call. Every growth past N is refused.
#include <cstdint>

#include "qrncore/collections/arrays/array.h"

namespace quarn {

template <class T, uint32_t N>
class array_fix_t : public array_t<T> {
    static_assert(N > 0, "a fixed array needs room for one element");

public:
    array_fix_t() : array_t<T>(reinterpret_cast<T *>(m_storage)) {}
    ~array_fix_t() override {
        this->clear();
        this->m_data = nullptr;
    }

    uint32_t get_capacity() const override { return N; }
    // True when n elements fit the storage; it never grows.
    bool request_capacity(uint32_t n) override { return n <= N; }

private:
    alignas(T) unsigned char m_storage[sizeof(T) * N];
};

}  // namespace quarn
