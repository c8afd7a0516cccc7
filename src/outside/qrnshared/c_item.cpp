#include "outside/qrnshared/c_item.h"

#include "outside/qrnshared/resource_unit.h"
#include "qrncore/system/messages.h"

namespace quarn {

c_item_manager_t::~c_item_manager_t() = default;

c_item_t::~c_item_t() = default;

resource_unit_u *c_item_t::get_unit() const { return unit.get(); }

void c_item_t::release_ref() {
    V_ASSERT(ref_count > 0);
    if (--ref_count == 0) last_reference_gone();
}

void c_item_t::fix() {
    ++fix_count;
    if (fix_forward) ++*fix_forward;
}

void *c_item_t::lock() {
    if (!has(MEMORY_VALID)) {
        resource_unit_u *u = get_unit();
        if (!u || !u->load_memory() || !has(MEMORY_VALID)) return nullptr;
    } else if (has(IN_MLRU)) {
        touch();
    }
    fix();
    return data;
}

void c_item_t::unlock() {
    V_ASSERT(fix_count > 0);
    if (--fix_count == 0 && !has(IN_MLRU | MLRU_DISALLOWED) && lock_count == 0) mlru_enter();
    if (fix_forward) --*fix_forward;
}

void *c_item_t::lock_entry(size_t bytes) {
    if (!manager || !manager->allocate_item_memory(this, bytes)) return nullptr;
    if (!has(MEMORY_VALID)) {
        resource_unit_u *u = get_unit();
        if (!u || !u->load_memory() || !has(MEMORY_VALID)) return nullptr;
    }
    fix();
    return data;
}

void c_item_lock_t::set(c_item_t *item) {
    release();
    if (!item) return;
    m_item = item;
    item->add_ref();
    // lock() fixes the data, or changes no count when it cannot be loaded.
    m_data = item->lock();
}

void c_item_lock_t::release() {
    c_item_t *item = m_item;
    if (!item) return;
    if (m_data) item->unlock();
    m_item = nullptr;
    m_data = nullptr;
    item->release_ref();
}

}  // namespace quarn
