#include "qrncore/collections/vdatahash.h"

#include "qrncore/system/messages.h"

namespace quarn {

vdatahash_t::vdatahash_t(size_t value_size, uint32_t values_per_chunk, bmem_manager_t *pool) {
    init_values(value_size, values_per_chunk, pool);
}

// Everything goes at once, as for the pointer tables: the values here, the entries,
// buckets and keys in the base.
vdatahash_t::~vdatahash_t() {
    if (m_values.get_pool()) m_values.remove_all();
}

void *vdatahash_t::put(const void *key, size_t length) {
    if (!m_values.get_pool()) V_ABORT("Value pool of a data hash table not set.");
    bool added;
    vdatalist_node_t *entry = put_entry(key, length, added);
    if (!entry) return nullptr;
    if (added) record(entry)->value_node = m_values.append();
    return entry2data(entry);
}

void *vdatahash_t::find(const void *key, size_t length) const {
    vdatalist_node_t *entry = find_entry(key, length);
    return entry ? entry2data(entry) : nullptr;
}

bool vdatahash_t::remove_key(const void *key, size_t length) {
    vdatalist_node_t *entry = find_entry(key, length);
    if (!entry) return false;
    remove_entry(entry);
    return true;
}

void vdatahash_t::remove_value(vhash_entry_t *entry) {
    m_values.remove_pos(static_cast<vdatalist_node_t *>(entry->value_node));
    entry->value_node = nullptr;
}

}  // namespace quarn
