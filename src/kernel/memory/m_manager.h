#pragma once
// m_manager: the kernel's memory manager. All resource data lives in memory pools that
// the manager cuts into blocks: a best-fit allocator over the distinct sizes of the
// free blocks, with same-size chains so that equal blocks cost one step. Blocks owned
// by resource items can be moved (defragmentation) and their items pushed out of
// memory in least-recently-used order (the memory-LRU) when space runs short; raw
// blocks and fixed items stay where they are.
//
// The manager also keeps the resource items: named and anonymous records in 103
// chains, made from two record pools, their resource units made by the engine's unit
// system from a given type or one guessed by the registered resource loaders.
#include <cstddef>
#include <cstdint>

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/resource_loader.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

class unit_system_t;

// The header at the start of every block, directly followed by the block's data. A
// free block reuses its owner word and its first two data words as the links of the
// free-block index.
struct m_block_t {
    m_block_t *prev;   // lower address; null for the first block of a pool
    m_block_t *next;   // higher address; null for the last
    size_t size_word;  // data bytes; bit 0 set while the block is in use
    void *owner_word;  // in use: the owning item, or null for a raw block

    size_t size() const { return size_word & ~size_t(1); }
    bool in_use() const { return (size_word & 1) != 0; }
    uint8_t *data() { return reinterpret_cast<uint8_t *>(this) + sizeof(m_block_t); }
    c_item_t *owner() const { return in_use() ? static_cast<c_item_t *>(owner_word) : nullptr; }
};

// Sizes from the 64-bit layout: the header is four words; data is aligned to 16 bytes, so block sizes are
// multiples of 16; a free block needs two data words for its links, so the least
// block is 16 bytes.
inline constexpr size_t M_BLOCK_HEADER = sizeof(m_block_t);
inline constexpr size_t M_BLOCK_ALIGN = 16;
inline constexpr size_t M_BLOCK_MIN = 16;
// A free block is split when the rest would hold a header and the least block;
// smaller rests stay with the used block.
inline constexpr size_t M_SPLIT_REST = M_BLOCK_HEADER + M_BLOCK_MIN;
static_assert(M_BLOCK_HEADER % M_BLOCK_ALIGN == 0, "block data must stay aligned");
static_assert(M_BLOCK_MIN >= 2 * sizeof(void *), "a free block holds two link words");

// Free blocks below this size are kept in one chain per exact size (found through a
// bitmap); larger ones in one list of distinct sizes. The block picked is the same as
// walking one list of all distinct sizes: the smallest size that fits.
inline constexpr size_t M_SMALL_BINS = 4096;
inline constexpr size_t M_SMALL_LIMIT = M_SMALL_BINS * M_BLOCK_ALIGN;

// A region registered as a pool.
struct m_pool_t {
    uint8_t *start;
    size_t size;  // rounded down to a multiple of M_BLOCK_ALIGN
};

// Refresh codes of items (mm_refresh_resource, mm_warn_refresh).
enum refresh_result_t : int {
    REFRESH_DONE = 0,
    REFRESH_ANONYMOUS = 1,
    REFRESH_ALIAS = 2,
    REFRESH_UNSUPPORTED = 3,
    REFRESH_LOCKED = 4,
    REFRESH_FIXED = 5,
    REFRESH_CHANGED_TOO_MUCH = 6,
    REFRESH_FAILED = 7,  // any other code: could not be refreshed
};

// Request types of obtain: anonymous (0, 4) or named; after finding or making the
// item nothing more (0, 1, 4, 5), load its memory and only warn (2, 6), or load it and
// fail (3, 7); the caller keeps the reference obtain takes (4-7) or gets the item
// without one (0-3).
enum mm_request_t : int {
    MM_ANONYMOUS = 0,
    MM_NAMED = 1,
    MM_NAMED_CACHE = 2,
    MM_NAMED_LOAD = 3,
    MM_ANONYMOUS_REF = 4,
    MM_NAMED_REF = 5,
    MM_NAMED_CACHE_REF = 6,
    MM_NAMED_LOAD_REF = 7,
};

// Dump modes of log_dump.
enum mm_dump_t : int { MM_DUMP_ITEMS = 0, MM_DUMP_MLRU = 1, MM_DUMP_BLOCKS = 2 };

class m_manager;

// The kernel's anonymous item record.
class mm_item_t : public c_item_t {
public:
    ~mm_item_t() override;
    const char *get_name() const override;
    bool is_named() const override;
    void mlru_enter() override;
    void mlru_leave() override;
    void touch() override;
    void last_reference_gone() override;
    void destroy() override;
    void set_alias_target(c_item_t *target) override;
    c_item_t *resolve() override;
    int refresh() override;
    void reserved(void *argument) override;
    void debug_break() override;

protected:
    m_manager &owner_manager() const;
};

// The named record: the name's hash and an owned copy of the name.
class mm_named_item_t : public mm_item_t {
public:
    // name is copied; get_name() is "" when the copy could not be had.
    explicit mm_named_item_t(const char *name);
    ~mm_named_item_t() override;
    const char *get_name() const override;
    bool is_named() const override;
    int refresh() override;

    uint32_t name_hash = 0;
    char *name = nullptr;
};

// Records of one class, made in chunks of 256 with a free list through them. Chunks
// are freed only with the pool.
class m_record_pool_t {
public:
    static constexpr uint32_t RECORDS_PER_CHUNK = 256;

    explicit m_record_pool_t(size_t record_size);
    ~m_record_pool_t();
    m_record_pool_t(const m_record_pool_t &) = delete;
    m_record_pool_t &operator=(const m_record_pool_t &) = delete;

    // Memory for one record; null when no chunk can be had.
    void *alloc();
    void free(void *record);

private:
    size_t m_record_size;
    void *m_chunks = nullptr;
    void *m_free = nullptr;
};

class m_manager : public c_item_manager_t {
public:
    static constexpr uint32_t MAX_LOADERS = 64;
    static constexpr uint32_t NAMED_CHAINS = 101;
    static constexpr uint32_t PRIVATE_CHAIN = 101;
    static constexpr uint32_t ANONYMOUS_CHAIN = 102;
    static constexpr uint32_t CHAIN_COUNT = 103;

    // Resource units are made in system (the engine's unit system).
    explicit m_manager(unit_system_t *system);
    // Frees the record chunks and the pool table; the pools' regions are the caller's.
    ~m_manager() override;
    m_manager(const m_manager &) = delete;
    m_manager &operator=(const m_manager &) = delete;

    // The unit system new resource units are made in.
    void set_unit_system(unit_system_t *system) { m_system = system; }

    // ---- the interface of items and resource units ----
    void *allocate_item_memory(c_item_t *item, size_t bytes) override;
    void free_item_memory(c_item_t *item) override;
    void attach_child(c_item_t *parent, c_item_t *child) override;
    void detach_child(c_item_t *child) override;

    // ---- pools ----
    // Registers a region (start aligned to 16 bytes) as one free block. False, with
    // "[mem] Failed to add memory pool.", when the pool table cannot grow or the
    // region is too small for a block.
    bool add_pool(void *start, size_t bytes);
    // Unregisters the pool at start when it is one single free block. Otherwise the
    // blocks dump runs (what still holds memory is listed) and the pool stays; an
    // unknown start logs "[mem] Tried to remove unregistered memory pool.". True when
    // removed.
    bool remove_pool(void *start);
    uint32_t get_pool_count() const { return m_pools.get_count(); }
    const m_pool_t &get_pool(uint32_t i) const { return m_pools[i]; }

    // ---- blocks ----
    // A block of at least bytes bytes (rounded up to 16, at least 16), owned by owner
    // or raw (null): evicts, then defragments when no free block is large enough, and
    // ends the program when even that fails. A block larger than every pool is null
    // (logged) at once. Item memory comes from the lower end of a free block, raw
    // memory from the upper end.
    void *alloc(size_t bytes, c_item_t *owner);
    // Frees a block from alloc (raw or item-owned), merging it with free neighbours.
    void free(void *data);
    // One eviction step from the oldest end of the memory-LRU; false when nothing
    // could be evicted.
    bool evict_step();
    // Moves item data into free space, pool by pool from the low end, until a free
    // block of target bytes exists; SIZE_MAX for a full pass.
    void defragment(size_t target);
    // Walks every pool checking the block links and that the blocks cover it; logs
    // the result. False on a broken link or uncounted memory.
    bool check_integrity();
    // The items (MM_DUMP_ITEMS), memory-LRU or blocks dump; children shown on request.
    void log_dump(int mode, bool children);

    // Size of the largest free block (0 when there is none) and the free-block count.
    size_t get_largest_free() const;
    uint32_t get_free_block_count() const { return m_free_blocks; }
    // The data size rounded as alloc rounds it.
    static size_t round_size(size_t bytes);
    static m_block_t *block_of(void *data) {
        return reinterpret_cast<m_block_t *>(static_cast<uint8_t *>(data) - M_BLOCK_HEADER);
    }

    // ---- items ----
    // Finds or makes the item of name (see mm_request_t). flags: MLRU_DISALLOWED,
    // DESTROY_IMMEDIATELY, PRIVATE. Null (logged) when no record or unit can be had,
    // no loader gives a type, a found item is of another class than d, or a load of
    // type 3 or 7 fails.
    c_item_t *obtain(int type, const char *name, const unit_descriptor_t *d, uint32_t flags);
    // The shared named item of that name, or null.
    c_item_t *find(const char *name) const;
    // Refresh of the shared named item of that name; REFRESH_FAILED when there is none.
    int refresh_resource(const char *name);
    bool register_loader(resource_loader_t *loader);
    void unregister_loader(resource_loader_t *loader);
    uint32_t get_loader_count() const { return m_loader_count; }

    // Bulk operations over the items whose hardware key is key (-1: any) and whose
    // unit class is d or derives from it (null: any); busy items are never touched.
    void hw_free_unreferenced(int key, const unit_descriptor_t *d);
    void mem_free_unreferenced(int key, const unit_descriptor_t *d);
    void hw_free_all(int key, const unit_descriptor_t *d);
    void mem_free_all(int key, const unit_descriptor_t *d);
    void remove_unreferenced(int key, const unit_descriptor_t *d);

    // Takes the item out of every table and returns its record: the unit is unbound,
    // destroyed and released.
    void remove_item(c_item_t *item);

    // The memory-LRU, for the items' operations and for tests.
    void mlru_push_newest(c_item_t *item);
    void mlru_unlink(c_item_t *item);
    c_item_t *get_mlru_newest() const { return m_mlru_newest; }
    c_item_t *get_mlru_oldest() const { return m_mlru_oldest; }
    c_item_t *get_chain(uint32_t i) const { return m_chains[i]; }
    uint32_t get_item_count() const;

    // h = t + (t >> 16) with t = h * 29 + byte, over the bytes as signed values.
    static uint32_t name_hash(const char *name);

private:
    enum bulk_t { HW_FREE_UNREFERENCED, MEM_FREE_UNREFERENCED, HW_FREE_ALL, MEM_FREE_ALL, REMOVE_UNREFERENCED };

    // The free-block index.
    void index_insert(m_block_t *b);
    void index_remove(m_block_t *b);
    m_block_t *take_best_fit(size_t n);
    int find_bin_from(size_t index) const;
    // Frees b and merges it; returns the free block that holds it afterwards.
    m_block_t *free_block(m_block_t *b);
    void move_item_data(c_item_t *item, uint8_t *from, uint8_t *to);
    void defragment_pool(const m_pool_t &pool, size_t target, bool *done);

    void bulk(bulk_t op, int key, const unit_descriptor_t *d);
    const unit_descriptor_t *guess_type(const char *name);
    c_item_t *make_item(bool named, const char *name, uint32_t flags, const unit_descriptor_t *d);
    uint32_t chain_of(const c_item_t *item) const;
    void chain_push(c_item_t *item);
    void chain_unlink(c_item_t *item);

    void dump_item_line(c_item_t *item, bool mlru_form, size_t *bytes);
    void dump_children(c_item_t *item, bool mlru_form, size_t *bytes);

    resource_loader_t *m_loaders[MAX_LOADERS] = {};
    uint32_t m_loader_count = 0;
    array_dyn_t<m_pool_t> m_pools;
    m_record_pool_t m_anonymous_records;
    m_record_pool_t m_named_records;
    c_item_t *m_chains[CHAIN_COUNT] = {};
    // The large free blocks: distinct sizes, largest first; each heads a chain of the
    // other free blocks of its size.
    m_block_t *m_large_head = nullptr;
    m_block_t *m_large_tail = nullptr;
    // The small free blocks: one chain per size / 16, and which chains are not empty.
    m_block_t *m_bins[M_SMALL_BINS] = {};
    uint64_t m_bin_bits[M_SMALL_BINS / 64] = {};
    uint64_t m_bin_summary = 0;
    uint32_t m_free_blocks = 0;
    c_item_t *m_mlru_newest = nullptr;
    c_item_t *m_mlru_oldest = nullptr;
    unit_system_t *m_system;
};

}  // namespace quarn
