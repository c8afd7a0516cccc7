#include "qrncore/collections/vhash_base.h"

#include <cstring>

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr int32_t SIZES = vhash_base_t::MAX_SIZE_INDEX + 1;

// Reciprocals for the remainder by each bucket count without a division:
// a % d == ((M * a mod 2^64) * d) >> 64 with M = floor((2^64 - 1) / d) + 1, exact for
// every 32-bit a and d.
struct reciprocals_t {
    uint64_t m[SIZES];
    constexpr reciprocals_t() : m() {
        for (int32_t i = 0; i < SIZES; ++i) m[i] = UINT64_MAX / vhash_base_t::BUCKET_COUNTS[i] + 1;
    }
};
constexpr reciprocals_t RECIPROCALS;

inline uint32_t fast_mod(uint32_t a, int32_t size_index) {
    const uint64_t low = RECIPROCALS.m[size_index] * a;
    return uint32_t((static_cast<unsigned __int128>(low) * vhash_base_t::BUCKET_COUNTS[size_index]) >> 64);
}

inline uint32_t signed_byte(unsigned char b) { return uint32_t(int32_t(int8_t(b))); }

// h = h * 2 + byte over the key, four bytes a step: the four terms are summed apart
// from h so that the chain through h is one shift and one add per step.
inline uint32_t hash_bytes(const unsigned char *bytes, size_t length) {
    uint32_t h = 0;
    size_t i = 0;
    for (; i + 4 <= length; i += 4)
        h = (h << 4) + ((signed_byte(bytes[i]) << 3) + (signed_byte(bytes[i + 1]) << 2) +
                        (signed_byte(bytes[i + 2]) << 1) + signed_byte(bytes[i + 3]));
    for (; i < length; ++i) h = h * 2 + signed_byte(bytes[i]);
    return h;
}

// Each key's hash is stored after its bytes in the key store, at its length taken up
// to the region alignment, so growing the table does not hash every key again.
inline size_t hash_offset(size_t length) {
    return (length + chunk_space_t::REGION_ALIGN - 1) & ~(chunk_space_t::REGION_ALIGN - 1);
}

inline uint32_t stored_hash(const vhash_entry_t *rec) {
    uint32_t h;
    memcpy(&h, rec->key + hash_offset(rec->key_length), sizeof h);
    return h;
}

}  // namespace

bmem_manager_t &vhash_base_t::entry_pool() {
    struct entry_pool_t : bmem_manager_t {
        entry_pool_t() { set_pars(vdatalist_node_t::DATA_OFFSET + sizeof(vhash_entry_t), 4); }
    };
    static entry_pool_t pool;
    return pool;
}

vhash_base_t::vhash_base_t() {
    m_entries.set_pool(&entry_pool());
    // Growing by a quarter would copy every key some five times over a table's filling
    // (and refresh every entry's key address as often); doubling copies them about
    // twice.
    m_keys.set_doubling(true);
}

vhash_base_t::~vhash_base_t() {
    // The derived tables have given their values back; the entries and keys go at
    // once (the key store's regions with the store), not one by one as clear takes
    // them out.
    m_entries.remove_all();
    if (m_buckets) qrncore_system_delete_vector(m_buckets);
    m_buckets = nullptr;
}

uint32_t vhash_base_t::hash(const void *key, size_t length) {
    return hash_bytes(static_cast<const unsigned char *>(key), length);
}

uint32_t vhash_base_t::bucket_of(uint32_t h) const { return fast_mod(h, m_size_index); }

bool vhash_base_t::entry2key(const vdatalist_node_t *entry, void *buffer, size_t &length) {
    const vhash_entry_t *rec = entry_record(entry);
    if (length < rec->key_length) return false;
    if (rec->key_length) memcpy(buffer, rec->key, rec->key_length);
    length = rec->key_length;
    return true;
}

vdatalist_node_t *vhash_base_t::find_entry(const void *key, size_t length) const {
    if (!m_buckets) return nullptr;
    return find_entry(key, length, hash_bytes(static_cast<const unsigned char *>(key), length));
}

vdatalist_node_t *vhash_base_t::find_entry(const void *key, size_t length, uint32_t h) const {
    uint32_t chain;
    return find_entry(key, length, h, bucket_of(h), chain);
}

// Walks the bucket's chain for the key; when it is not there, chain holds the
// chain's length (the new key's growth test needs it, so put walks once).
vdatalist_node_t *vhash_base_t::find_entry(const void *key, size_t length, uint32_t h, uint32_t bucket,
                                           uint32_t &chain) const {
    chain = 0;
    for (vdatalist_node_t *entry = m_buckets[bucket]; entry; entry = entry->next, ++chain) {
        const vhash_entry_t *rec = entry_record(entry);
        if (rec->bucket != bucket) break;
        if (rec->key_length == length && stored_hash(rec) == h && (length == 0 || memcmp(rec->key, key, length) == 0))
            return entry;
    }
    return nullptr;
}

vdatalist_node_t *vhash_base_t::put_entry(const void *key, size_t length, bool &added) {
    added = false;
    if (length > MAX_KEY_LENGTH) {
        error("[vhash] key of %zu bytes is too long", length);
        return nullptr;
    }
    if (!m_buckets && !grow()) return nullptr;
    const uint32_t h = hash_bytes(static_cast<const unsigned char *>(key), length);
    uint32_t bucket = bucket_of(h);
    uint32_t chain;
    if (vdatalist_node_t *entry = find_entry(key, length, h, bucket, chain)) return entry;

    if (chain >= CHAIN_LIMIT) {
        grow();
        bucket = bucket_of(h);
    }
    // The key is stored before the entry is linked, so a key store that cannot grow
    // leaves the table as it was instead of with an entry that has no key.
    const char *buffer = m_keys.get_buffer();
    vdatalist_node_t *region = m_keys.insert(key, length, &h, sizeof h);
    if (!region) return nullptr;
    if (m_keys.get_buffer() != buffer) refresh_keys();
    // Before the bucket's first entry; an empty bucket's entry goes to the list's end.
    vdatalist_node_t *entry = m_entries.insert(m_buckets[bucket]);
    *record(entry) = vhash_entry_t{region, chunk_space_t::data_of(region), uint32_t(length), bucket, nullptr};
    m_buckets[bucket] = entry;
    added = true;
    return entry;
}

void vhash_base_t::refresh_keys() {
    for (vdatalist_node_t *entry = m_entries.get_first(); entry; entry = entry->next)
        record(entry)->key = chunk_space_t::data_of(record(entry)->key_region);
}

void vhash_base_t::remove_entry(vdatalist_node_t *entry) {
    vhash_entry_t *rec = record(entry);
    if (m_buckets[rec->bucket] == entry) {
        vdatalist_node_t *next = entry->next;
        m_buckets[rec->bucket] = next && record(next)->bucket == rec->bucket ? next : nullptr;
    }
    if (rec->value_node) remove_value(rec);
    m_keys.remove(rec->key_region);
    m_entries.remove_pos(entry);
}

void vhash_base_t::clear() {
    if (!m_buckets) return;
    const uint32_t count = BUCKET_COUNTS[m_size_index];
    for (uint32_t i = 0; i < count; ++i) m_buckets[i] = nullptr;
    while (vdatalist_node_t *entry = m_entries.get_first()) remove_entry(entry);
}

bool vhash_base_t::grow() {
    if (m_size_index >= MAX_SIZE_INDEX) return true;
    const uint32_t count = BUCKET_COUNTS[m_size_index + 1];
    // The new array is taken before the old one is freed, so a failure leaves a
    // working table whose chains merely grow longer.
    auto **buckets = static_cast<vdatalist_node_t **>(qrncore_system_new_vector(count * sizeof(vdatalist_node_t *)));
    if (!buckets) {
        error("[vhash] cannot allocate %u buckets", count);
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) buckets[i] = nullptr;
    if (m_buckets) qrncore_system_delete_vector(m_buckets);
    m_buckets = buckets;
    ++m_size_index;

    // Entries are relinked in place: no node, key or value moves in memory. Each
    // entry goes in front of its bucket's first entry, so a bucket's entries end up
    // adjacent, the latest placed first.
    vdatalist_node_t *entry = m_entries.get_first();
    while (entry) {
        vdatalist_node_t *next = entry->next;
        vhash_entry_t *rec = record(entry);
        const uint32_t bucket = bucket_of(stored_hash(rec));
        rec->bucket = bucket;
        if (vdatalist_node_t *head = m_buckets[bucket]) {
            m_entries.tremove_pos(entry);
            m_entries.tinsert(head, entry);
        }
        m_buckets[bucket] = entry;
        entry = next;
    }
    return true;
}

}  // namespace quarn
