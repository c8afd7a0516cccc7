#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "abort_fixture.h"
#include "host_alloc_hook.h"
#include "qrncore/collections/vdatahash.h"
#include "qrncore/collections/vptrhash.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

void *ptr(intptr_t v) { return reinterpret_cast<void *>(v); }

bool put(vptrhash_t &t, const std::string &key, intptr_t v) { return t.put(key.data(), key.size(), ptr(v)); }
void *find(const vptrhash_t &t, const std::string &key) { return t.find(key.data(), key.size()); }

std::string key_of(const vdatalist_node_t *entry) {
    const vhash_entry_t *rec = vhash_base_t::entry_record(entry);
    return std::string(chunk_space_t::data_of(rec->key_region), rec->key_length);
}

uint32_t bucket_of(const vhash_base_t &t, const std::string &key) {
    return vhash_base_t::entry_record(t.find_entry(key.data(), key.size()))->bucket;
}

// Every entry sits in the bucket its key hashes to, the entries of a bucket form one
// run of the entry list, and every key is found again as its own entry (which fails
// when a bucket does not point to the start of its run).
void expect_grouped(const vhash_base_t &t) {
    std::set<uint32_t> seen;
    uint32_t current = UINT32_MAX;
    uint32_t entries = 0;
    for (const vdatalist_node_t *e = t.get_entries().get_first(); e; e = e->next, ++entries) {
        const vhash_entry_t *rec = vhash_base_t::entry_record(e);
        const std::string key = key_of(e);
        EXPECT_EQ(rec->bucket, vhash_base_t::hash(key.data(), key.size()) % t.get_bucket_count());
        if (rec->bucket != current) {
            EXPECT_TRUE(seen.insert(rec->bucket).second) << "bucket " << rec->bucket << " split";
            current = rec->bucket;
        }
        EXPECT_EQ(t.find_entry(key.data(), key.size()), e);
    }
    EXPECT_EQ(entries, t.get_count());
}

// Gives the shared pools free nodes, so that tests which refuse host memory do not
// reach the host for pool chunks.
void warm_shared_pools() {
    vptrhash_t t;
    for (int i = 0; i < 200; ++i) put(t, "warm-up key " + std::to_string(i), i + 1);
}

// Keys that hash to the same value at every table size: leading zero bytes add
// nothing to the hash.
std::string same_hash_key(int n) { return std::string(size_t(n), '\0') + "\x02"; }

TEST(vhash, hash_takes_bytes_as_signed) {
    struct {
        std::string key;
        uint32_t hash;
    } const cases[] = {
        {"", 0},
        {"\xFF", 4294967295u},
        {"\x80", 0xFFFFFF80u},
        {"ab", 97 * 2 + 98},
        {"\xFF\xFF\xFF\xFF", 0xFFFFFFF1u},
        {"\x80" "abc\xFF", 0xFFFFFD55u},
        {"textures/terrain/\xE9t\xE9_01.tga", 0x83DDBBBFu},
        {std::string(33, '\x01'), 0xFFFFFFFFu},  // 2^33 - 1 wraps
        {same_hash_key(40), 2},
    };
    for (const auto &c : cases) EXPECT_EQ(vhash_base_t::hash(c.key.data(), c.key.size()), c.hash) << c.key.size();
}

TEST(vhash, buckets_appear_at_the_first_put_only) {
    test::host_alloc_hook_t host;
    vptrhash_t t;
    EXPECT_EQ(t.find("anything"), nullptr);
    EXPECT_EQ(t.find("", 0), nullptr);
    EXPECT_EQ(t.remove_key("x", 1), nullptr);
    EXPECT_FALSE(t.remove_ptr(ptr(1)));
    t.clear();
    EXPECT_TRUE(host.requests().empty());
    EXPECT_EQ(t.get_bucket_count(), 0u);
    EXPECT_EQ(t.get_size_index(), -1);

    EXPECT_TRUE(put(t, "deer", 1));
    EXPECT_EQ(t.get_bucket_count(), 17u);
    EXPECT_EQ(t.get_size_index(), 0);
    EXPECT_EQ(host.requests()[0], 17 * sizeof(void *));
    EXPECT_EQ(t.find("deer"), ptr(1));
}

TEST(vhash, a_fifth_key_in_a_bucket_grows_the_table) {
    vptrhash_t t;
    // Single bytes 1, 18, 35, 52 and 69 all hash to bucket 1 of 17.
    const std::string keys[] = {"\x01", "\x12", "\x23", "\x34", "\x45"};
    for (int i = 0; i < 4; ++i) put(t, keys[i], i + 1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bucket_of(t, keys[i]), 1u);
    put(t, "\x02", 99);  // another bucket: no growth
    EXPECT_EQ(t.get_bucket_count(), 17u);
    expect_grouped(t);

    put(t, keys[4], 5);
    EXPECT_EQ(t.get_bucket_count(), 31u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(find(t, keys[i]), ptr(i + 1));
    EXPECT_EQ(find(t, "\x02"), ptr(99));
    EXPECT_EQ(t.get_count(), 6u);
    expect_grouped(t);
}

TEST(vhash, growth_stops_at_65537_buckets) {
    vptrhash_t t;
    for (int n = 0; n < 30; ++n) {
        put(t, same_hash_key(n), n + 1);
        // From the fifth colliding key on, every new key grows the table once.
        EXPECT_EQ(t.get_size_index(), std::min(std::max(n - 3, 0), vhash_base_t::MAX_SIZE_INDEX)) << n;
    }
    EXPECT_EQ(t.get_bucket_count(), 65537u);
    put(t, "\xFF", 1000);
    EXPECT_EQ(bucket_of(t, "\xFF"), 0u);
    for (int n = 0; n < 30; ++n) EXPECT_EQ(find(t, same_hash_key(n)), ptr(n + 1));
    expect_grouped(t);
}

TEST(vhash, keys_are_raw_bytes_with_their_length) {
    vptrhash_t t;
    const std::string keys[] = {"", std::string(1, '\0'), "ab", std::string("ab\0", 3), "\xFF", "\x11", "a"};
    for (size_t i = 0; i < std::size(keys); ++i) put(t, keys[i], intptr_t(i + 1));
    EXPECT_EQ(t.get_count(), std::size(keys));
    for (size_t i = 0; i < std::size(keys); ++i) EXPECT_EQ(find(t, keys[i]), ptr(intptr_t(i + 1))) << i;
    EXPECT_EQ(bucket_of(t, ""), 0u);
    // 4294967295 = 3 * 5 * 17 * 257 * 65537: bucket 0 at 17, 257 and 65537 buckets.
    EXPECT_EQ(bucket_of(t, "\xFF"), 0u);
    EXPECT_EQ(bucket_of(t, "\x11"), 0u);
    EXPECT_EQ(find(t, std::string(2, '\0')), nullptr);
    EXPECT_EQ(find(t, "b"), nullptr);
    // The C-string form stops at the terminator.
    EXPECT_EQ(t.find("ab"), ptr(3));
    expect_grouped(t);

    // A length beyond what an entry records is refused before the key is read.
    test::message_capture_t log;
    EXPECT_FALSE(t.put("x", size_t(UINT32_MAX) + 1, ptr(1)));
    EXPECT_TRUE(log.contains("[vhash] key of 4294967296 bytes is too long"));
    EXPECT_EQ(t.get_count(), std::size(keys));
}

TEST(vhash, put_replaces_and_removal_returns_the_pointer) {
    vptrhash_t t;
    put(t, "rifle", 1);
    put(t, "rifle", 2);
    EXPECT_EQ(t.get_count(), 1u);
    EXPECT_EQ(t.find("rifle"), ptr(2));
    // A stored null reads like a missing key but is still an entry.
    put(t, "empty", 0);
    EXPECT_EQ(t.find("empty"), nullptr);
    EXPECT_EQ(t.get_count(), 2u);
    EXPECT_EQ(t.remove_key("rifle", 5), ptr(2));
    EXPECT_EQ(t.remove_key("rifle", 5), nullptr);
    EXPECT_EQ(t.find("rifle"), nullptr);
    EXPECT_EQ(t.get_count(), 1u);
}

TEST(vhash, remove_ptr_and_key_copies) {
    vptrhash_t t;
    put(t, "alpha", 7);
    put(t, "beta", 8);
    put(t, "gamma", 7);
    const std::string first_holder = [&] {
        for (const vdatalist_node_t *e = t.get_entries().get_first(); e; e = e->next)
            if (vptrhash_t::entry2ptr(e) == ptr(7)) return key_of(e);
        return std::string();
    }();
    EXPECT_TRUE(t.remove_ptr(ptr(7)));
    EXPECT_EQ(t.get_count(), 2u);
    EXPECT_EQ(find(t, first_holder), nullptr);
    EXPECT_EQ(find(t, first_holder == "alpha" ? "gamma" : "alpha"), ptr(7));
    EXPECT_TRUE(t.remove_ptr(ptr(7)));
    EXPECT_FALSE(t.remove_ptr(ptr(7)));
    put(t, "gamma", 7);

    char buffer[8] = {};
    size_t length = 3;
    EXPECT_TRUE(t.ptr2key(ptr(7), buffer, length));
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(std::string(buffer, 3), "gam");
    EXPECT_FALSE(t.ptr2key(ptr(9), buffer, length));

    const vdatalist_node_t *entry = t.find_entry("gamma", 5);
    char untouched[8] = "-------";
    length = 3;
    EXPECT_FALSE(vhash_base_t::entry2key(entry, untouched, length));
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(std::string(untouched), "-------");
    length = sizeof(untouched);
    EXPECT_TRUE(vhash_base_t::entry2key(entry, untouched, length));
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(std::string(untouched, 5), "gamma");
}

TEST(vhash, clear_keeps_the_bucket_array) {
    vptrhash_t t;
    for (int n = 0; n < 5; ++n) put(t, same_hash_key(n), n + 1);
    ASSERT_EQ(t.get_bucket_count(), 31u);
    t.clear();
    EXPECT_EQ(t.get_count(), 0u);
    EXPECT_EQ(t.get_bucket_count(), 31u);
    EXPECT_EQ(find(t, same_hash_key(0)), nullptr);
    test::host_alloc_hook_t host;
    put(t, "fawn", 3);
    EXPECT_TRUE(host.requests().empty());
    EXPECT_EQ(t.find("fawn"), ptr(3));
    EXPECT_EQ(t.get_bucket_count(), 31u);
}

// Removing entries, bucket heads included, keeps every bucket's run intact.
TEST(vhash, removals_keep_the_buckets_consistent) {
    vptrhash_t t;
    std::vector<std::string> keys;
    for (int i = 0; i < 400; ++i) keys.push_back("models/animals/deer_" + std::to_string(i) + ".mdl");
    for (size_t i = 0; i < keys.size(); ++i) put(t, keys[i], intptr_t(i + 1));
    expect_grouped(t);
    const uint32_t buckets = t.get_bucket_count();
    for (size_t i = 0; i < keys.size(); i += 3) EXPECT_EQ(t.remove_key(keys[i].data(), keys[i].size()), ptr(intptr_t(i + 1)));
    expect_grouped(t);
    for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(find(t, keys[i]), i % 3 ? ptr(intptr_t(i + 1)) : nullptr);
    for (size_t i = 0; i < keys.size(); i += 3) put(t, keys[i], intptr_t(i + 1000));
    expect_grouped(t);
    EXPECT_EQ(t.get_count(), keys.size());
    EXPECT_GE(t.get_bucket_count(), buckets);
}

TEST(vhash, a_key_from_the_tables_own_key_store) {
    vptrhash_t t;
    put(t, "abcdefgh", 1);
    ASSERT_LT(t.get_key_store().get_free_bytes(), 8u);
    // The new key's bytes lie in the key store that grows to take them.
    const char *stored = chunk_space_t::data_of(vhash_base_t::entry_record(t.find_entry("abcdefgh", 8))->key_region);
    EXPECT_TRUE(t.put(stored, 6, ptr(2)));
    EXPECT_EQ(t.find("abcdef"), ptr(2));
    EXPECT_EQ(t.find("abcdefgh"), ptr(1));
}

TEST(vhash, memory_failures_leave_the_table_working) {
    warm_shared_pools();
    test::message_capture_t log;
    {
        vptrhash_t t;
        test::host_alloc_hook_t host(17 * sizeof(void *));
        EXPECT_FALSE(put(t, "deer", 1));
        EXPECT_EQ(t.get_bucket_count(), 0u);
        EXPECT_TRUE(log.contains("[vhash] cannot allocate 17 buckets"));
    }
    {
        vptrhash_t t;
        put(t, "deer", 1);
        test::host_alloc_hook_t host(1000);
        EXPECT_FALSE(put(t, std::string(1000, 'k'), 2));
        EXPECT_EQ(t.get_count(), 1u);
        EXPECT_EQ(t.find("deer"), ptr(1));
        EXPECT_TRUE(log.contains("[chunk_space] cannot allocate enough memory"));
    }
    {
        vptrhash_t t;
        for (int n = 0; n < 4; ++n) put(t, same_hash_key(n), n + 1);
        test::host_alloc_hook_t host(31 * sizeof(void *));
        // Growth fails; the key still goes into the longer chain.
        EXPECT_TRUE(put(t, same_hash_key(4), 5));
        EXPECT_EQ(t.get_bucket_count(), 17u);
        EXPECT_TRUE(log.contains("[vhash] cannot allocate 31 buckets"));
        for (int n = 0; n < 5; ++n) EXPECT_EQ(find(t, same_hash_key(n)), ptr(n + 1));
        expect_grouped(t);
    }
}

struct record_t {
    char name[24];
    uint64_t id;
};

TEST(vdatahash, value_blocks_stay_put_and_keep_their_contents) {
    bmem_manager_t pool;
    vdatahash_t t(sizeof(record_t), 8, &pool);
    EXPECT_EQ(pool.get_block_size(), 48u);  // 16 bytes of links + 32 of value
    std::vector<void *> blocks;
    for (int n = 0; n < 12; ++n) {
        const std::string key = same_hash_key(n);
        auto *r = static_cast<record_t *>(t.put(key.data(), key.size()));
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(r) % 16, 0u);
        snprintf(r->name, sizeof(r->name), "record %d", n);
        r->id = uint64_t(n);
        blocks.push_back(r);
    }
    EXPECT_GT(t.get_bucket_count(), 17u);
    for (int n = 0; n < 12; ++n) {
        const std::string key = same_hash_key(n);
        EXPECT_EQ(t.find(key.data(), key.size()), blocks[size_t(n)]);
        // Putting an existing key hands back its block unchanged.
        auto *r = static_cast<record_t *>(t.put(key.data(), key.size()));
        EXPECT_EQ(r, blocks[size_t(n)]);
        EXPECT_EQ(r->id, uint64_t(n));
        EXPECT_EQ(std::string(r->name), "record " + std::to_string(n));
    }
    for (const vdatalist_node_t *e = t.get_entries().get_first(); e; e = e->next) {
        const std::string key = key_of(e);
        EXPECT_EQ(vdatahash_t::entry2data(e), t.find(key.data(), key.size()));
    }
    const std::string gone = same_hash_key(3);
    EXPECT_TRUE(t.remove_key(gone.data(), gone.size()));
    EXPECT_FALSE(t.remove_key(gone.data(), gone.size()));
    EXPECT_EQ(t.find(gone.data(), gone.size()), nullptr);
    EXPECT_EQ(t.get_count(), 11u);
    expect_grouped(t);
    t.clear();
    EXPECT_EQ(t.get_count(), 0u);
}

using vdatahash_death = test::abort_fixture_t;

TEST_F(vdatahash_death, put_without_a_value_pool_aborts) {
    auto run = [] {
        vdatahash_t t;
        t.put("key", 3);
    };
    EXPECT_DEATH(run(), "Value pool of a data hash table not set");
}

}  // namespace
}  // namespace quarn
