#pragma once
// vhash_base_t: the keys, buckets and entries shared by the hash tables. Keys are raw
// byte strings (a pointer and a length; text keys without their terminating zero).
// Every entry is a node of one entry list; all entries of a bucket are adjacent in
// it and the bucket points to the first of them, so a bucket's chain is the run of
// entries from there whose bucket index is that bucket. Key bytes live packed in the
// table's own chunk space, each followed by its hash; entry nodes come from one pool
// that all tables share.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/bmem_manager.h"
#include "qrncore/collections/chunk_space.h"
#include "qrncore/collections/vdatalist.h"

namespace quarn {

// The data of an entry node.
struct vhash_entry_t {
    // The key's region in the table's key store.
    vdatalist_node_t *key_region;
    // The region's bytes, kept here so a lookup reaches them without visiting the
    // region; the table refreshes it whenever its key store is re-laid out.
    const char *key;
    uint32_t key_length;
    uint32_t bucket;
    // The node of the entry's value in the derived table's value list.
    void *value_node;
};

class QRNCORE_API vhash_base_t {
public:
    // Bucket counts by size index; 65537 buckets is the largest table.
    static constexpr uint32_t BUCKET_COUNTS[] = {17,   31,   61,    127,   257,   509,  1021,
                                                 2053, 4093, 8191, 16381, 32771, 65537};
    static constexpr int32_t MAX_SIZE_INDEX = 12;
    // A new key that would join a chain of this many entries grows the table first.
    static constexpr uint32_t CHAIN_LIMIT = 4;
    // Longest key a table takes; the entry keeps the length in 32 bits.
    static constexpr size_t MAX_KEY_LENGTH = UINT32_MAX;

    virtual ~vhash_base_t();
    vhash_base_t(const vhash_base_t &) = delete;
    vhash_base_t &operator=(const vhash_base_t &) = delete;

    // Removes every key and value; the bucket array keeps its size. Nothing for a
    // table that never had a key.
    void clear();

    // The hash of a key: each byte taken as a signed value, h = h * 2 + byte with
    // 32-bit wrap-around. The empty key hashes to 0, the single byte 0xFF to
    // 4294967295.
    static uint32_t hash(const void *key, size_t length);

    // Copies the entry's whole key into buffer and stores its length; false, with
    // nothing copied, when length is below the key's length.
    static bool entry2key(const vdatalist_node_t *entry, void *buffer, size_t &length);
    static const vhash_entry_t *entry_record(const vdatalist_node_t *entry) {
        return entry->data_as<vhash_entry_t>();
    }

    // The entry of a key, or null (also for a table without buckets).
    vdatalist_node_t *find_entry(const void *key, size_t length) const;
    // All entries, grouped by bucket (not in insertion order).
    const vdatalist_t &get_entries() const { return m_entries; }
    uint32_t get_count() const { return m_entries.get_count(); }
    // 0 until the first put.
    uint32_t get_bucket_count() const { return m_buckets ? BUCKET_COUNTS[m_size_index] : 0; }
    int32_t get_size_index() const { return m_size_index; }
    const chunk_space_t &get_key_store() const { return m_keys; }

    // The pool of entry nodes that all tables share.
    static bmem_manager_t &entry_pool();

protected:
    vhash_base_t();

    // Gives back the value node of an entry that is being removed.
    virtual void remove_value(vhash_entry_t *entry) = 0;

    // The entry of a key, added with no value node when new (`added` tells which).
    // Null, with the reason logged and the table unchanged, when memory for the
    // buckets or the key is not to be had.
    vdatalist_node_t *put_entry(const void *key, size_t length, bool &added);
    // Unlinks an entry from its bucket and gives back its value, key and node.
    void remove_entry(vdatalist_node_t *entry);

    static vhash_entry_t *record(vdatalist_node_t *entry) { return entry->data_as<vhash_entry_t>(); }

private:
    // Internal helpers stay out of the export table, so lookups call them directly.
    [[gnu::visibility("hidden")]] vdatalist_node_t *find_entry(const void *key, size_t length, uint32_t h) const;
    [[gnu::visibility("hidden")]] vdatalist_node_t *find_entry(const void *key, size_t length, uint32_t h,
                                                               uint32_t bucket, uint32_t &chain) const;
    [[gnu::visibility("hidden")]] uint32_t bucket_of(uint32_t h) const;
    [[gnu::visibility("hidden")]] bool grow();
    [[gnu::visibility("hidden")]] void refresh_keys();

    vdatalist_t m_entries;
    // Index into BUCKET_COUNTS; -1 while there is no bucket array.
    int32_t m_size_index = -1;
    chunk_space_t m_keys;
    // First entry of each bucket, or null.
    vdatalist_node_t **m_buckets = nullptr;
};

}  // namespace quarn
