#pragma once
// quarn::array_dyn_t<T>: the array on the heap. Its storage is one block from the
// host's vector allocation functions; the capacity grows through the series
// c = 2c + 2 (0, 2, 6, 14, 30, ...), a larger request jumping straight to the first
// value of the series that holds it. Only shrink and the destructor give storage back.
#include <cstdint>
#include <utility>

#include "qrncore/collections/arrays/array.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

template <class T>
class array_dyn_t : public array_t<T> {
    // Host memory is aligned to 16 bytes, no more.
    static_assert(alignof(T) <= 16, "array elements must not need more than 16-byte alignment");

public:
    array_dyn_t() = default;
    // Takes the other array's storage; the other is left empty without storage.
    array_dyn_t(array_dyn_t &&other) noexcept { take(other); }
    array_dyn_t &operator=(array_dyn_t &&other) noexcept {
        if (this != &other) {
            release();
            take(other);
        }
        return *this;
    }
    ~array_dyn_t() override { release(); }

    // New storage of exactly count elements (none for an empty array); nothing
    // changes when the host has no memory.
    void shrink() override {
        if (m_capacity == this->m_count) return;
        if (this->m_count == 0) {
            qrncore_system_delete_vector(this->m_data);
            this->m_data = nullptr;
            m_capacity = 0;
            return;
        }
        move_to_new_storage(this->m_count);
    }

    uint32_t get_capacity() const override { return m_capacity; }

    // True when the capacity holds n; otherwise grows along the series to the first
    // capacity that does. False, with the array unchanged, when the host has no
    // memory.
    bool request_capacity(uint32_t n) override {
        if (n <= m_capacity) return true;
        uint64_t c = m_capacity;
        while (c < n) c = 2 * c + 2;
        // The series passes 2^32 - 1 only for requests near it; the count cannot
        // exceed that, so the largest capacity is enough.
        return move_to_new_storage(c > UINT32_MAX ? UINT32_MAX : uint32_t(c));
    }

private:
    bool move_to_new_storage(uint32_t capacity) {
        T *storage = static_cast<T *>(qrncore_system_new_vector(size_t(capacity) * sizeof(T)));
        if (!storage) return false;
        this->relocate_all_to(storage);
        if (this->m_data) qrncore_system_delete_vector(this->m_data);
        this->m_data = storage;
        m_capacity = capacity;
        return true;
    }
    void release() {
        this->clear();
        if (this->m_data) qrncore_system_delete_vector(this->m_data);
        this->m_data = nullptr;
        m_capacity = 0;
    }
    void take(array_dyn_t &other) {
        this->m_data = std::exchange(other.m_data, nullptr);
        this->m_count = std::exchange(other.m_count, 0u);
        m_capacity = std::exchange(other.m_capacity, 0u);
    }

    uint32_t m_capacity = 0;
};

}  // namespace quarn
