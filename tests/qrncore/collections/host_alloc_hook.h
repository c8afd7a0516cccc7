#pragma once
// Stands in for the host's vector allocation functions while it exists: records every
// request and can refuse those of at least a given size, so tests can watch when a
// container goes to the host and what it does when the host has no memory.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "qrncore/system/host_alloc.h"

namespace quarn::test {

class host_alloc_hook_t {
public:
    explicit host_alloc_hook_t(size_t refuse_from = SIZE_MAX) : m_refuse_from(refuse_from) {
        m_saved_new = qrncore_system_new_vector;
        m_saved_delete = qrncore_system_delete_vector;
        s_active = this;
        qrncore_system_new_vector = hook_new;
        qrncore_system_delete_vector = hook_delete;
    }
    ~host_alloc_hook_t() {
        qrncore_system_new_vector = m_saved_new;
        qrncore_system_delete_vector = m_saved_delete;
        s_active = nullptr;
    }
    host_alloc_hook_t(const host_alloc_hook_t &) = delete;
    host_alloc_hook_t &operator=(const host_alloc_hook_t &) = delete;

    // Requests of at least this many bytes get null from now on.
    void refuse_from(size_t bytes) { m_refuse_from = bytes; }
    // Sizes of every request, refused ones included.
    const std::vector<size_t> &requests() const { return m_requests; }
    size_t frees() const { return m_frees; }
    void reset() {
        m_requests.clear();
        m_frees = 0;
    }

private:
    // Memory is the C runtime's either way, so blocks taken before or after the hook
    // may be freed on either side of it.
    static void *hook_new(size_t bytes) {
        s_active->m_requests.push_back(bytes);
        if (bytes >= s_active->m_refuse_from) return nullptr;
        return malloc(bytes ? bytes : 1);
    }
    static void hook_delete(void *memory) {
        if (memory) ++s_active->m_frees;
        free(memory);
    }

    static inline host_alloc_hook_t *s_active = nullptr;
    host_new_t m_saved_new;
    host_delete_t m_saved_delete;
    size_t m_refuse_from;
    std::vector<size_t> m_requests;
    size_t m_frees = 0;
};

}  // namespace quarn::test
