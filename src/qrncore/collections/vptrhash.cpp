#include "qrncore/collections/vptrhash.h"

#include <algorithm>

namespace quarn {

bmem_manager_t &vptrhash_t::value_pool() {
    struct value_pool_t : bmem_manager_t {
        value_pool_t() { set_pars(sizeof(vptrlist_node_t), 4); }
    };
    static value_pool_t pool;
    return pool;
}

vptrhash_t::vptrhash_t() { m_values.set_pool(&value_pool()); }

// Everything goes at once: the values here, the entries, buckets and keys in the
// base. Taking the entries out one by one (clear) would also re-link the key store's
// free regions for each key, all for a table about to vanish.
vptrhash_t::~vptrhash_t() { m_values.remove_all(); }

bool vptrhash_t::put(const void *key, size_t length, void *p) {
    bool added;
    vdatalist_node_t *entry = put_entry(key, length, added);
    if (!entry) return false;
    if (added)
        record(entry)->value_node = m_values.append(p);
    else
        static_cast<vptrlist_node_t *>(record(entry)->value_node)->data = p;
    return true;
}

void *vptrhash_t::find(const void *key, size_t length) const {
    vdatalist_node_t *entry = find_entry(key, length);
    return entry ? entry2ptr(entry) : nullptr;
}

void *vptrhash_t::remove_key(const void *key, size_t length) {
    vdatalist_node_t *entry = find_entry(key, length);
    if (!entry) return nullptr;
    void *p = entry2ptr(entry);
    remove_entry(entry);
    return p;
}

vdatalist_node_t *vptrhash_t::find_ptr_entry(const void *p) const {
    for (vdatalist_node_t *entry = get_entries().get_first(); entry; entry = entry->next)
        if (entry2ptr(entry) == p) return entry;
    return nullptr;
}

bool vptrhash_t::remove_ptr(const void *p) {
    vdatalist_node_t *entry = find_ptr_entry(p);
    if (!entry) return false;
    remove_entry(entry);
    return true;
}

bool vptrhash_t::ptr2key(const void *p, void *buffer, size_t &length) const {
    vdatalist_node_t *entry = find_ptr_entry(p);
    if (!entry) return false;
    const vhash_entry_t *rec = entry_record(entry);
    const size_t n = std::min(length, size_t(rec->key_length));
    if (n) memcpy(buffer, rec->key, n);
    length = n;
    return true;
}

void vptrhash_t::remove_value(vhash_entry_t *entry) {
    m_values.remove_pos(static_cast<vptrlist_node_t *>(entry->value_node));
    entry->value_node = nullptr;
}

}  // namespace quarn
