#include "game/ai/zba/zba_program_cache.h"

#include "outside/qrnshared/c_item.h"
#include "qrncore/spatial/le_bytes.h"

namespace quarn {

namespace {

struct pair_key_t {
    uint8_t bytes[8];
    pair_key_t(int32_t from, int32_t to) {
        le_bytes::put_u32(bytes, uint32_t(from));
        le_bytes::put_u32(bytes + 4, uint32_t(to));
    }
};

struct one_key_t {
    uint8_t bytes[4];
    explicit one_key_t(int32_t behavior) { le_bytes::put_u32(bytes, uint32_t(behavior)); }
};

}  // namespace

c_item_t *zba_program_cache_t::find_behavior(int32_t behavior) const {
    const one_key_t key(behavior);
    return static_cast<c_item_t *>(m_table.find(key.bytes, sizeof key.bytes));
}

c_item_t *zba_program_cache_t::find_transition(int32_t from, int32_t to) const {
    const pair_key_t key(from, to);
    return static_cast<c_item_t *>(m_table.find(key.bytes, sizeof key.bytes));
}

bool zba_program_cache_t::put_behavior(int32_t behavior, c_item_t *program) {
    const one_key_t key(behavior);
    return put(key.bytes, sizeof key.bytes, program);
}

bool zba_program_cache_t::put_transition(int32_t from, int32_t to, c_item_t *program) {
    const pair_key_t key(from, to);
    return put(key.bytes, sizeof key.bytes, program);
}

bool zba_program_cache_t::put(const void *key, size_t length, c_item_t *program) {
    if (!program) return false;
    c_item_t *old = static_cast<c_item_t *>(m_table.find(key, length));
    if (old == program) return true;
    if (!m_table.put(key, length, program)) return false;
    program->add_ref();
    if (old) old->release_ref();
    return true;
}

void zba_program_cache_t::clear() {
    // Each item leaves the table before it is released: a release may destroy the
    // item, and nothing may find it here by then.
    while (const vdatalist_node_t *e = m_table.get_entries().get_first()) {
        c_item_t *program = static_cast<c_item_t *>(vptrhash_t::entry2ptr(e));
        m_table.remove_ptr(program);
        program->release_ref();
    }
    m_table.clear();
}

}  // namespace quarn
