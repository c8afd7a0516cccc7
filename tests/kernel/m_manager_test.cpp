// The pool and its blocks: sizes, best fit, splitting, merging, eviction,
// defragmentation, the integrity check and the dumps.
#include <gtest/gtest.h>

#include <cstring>

#include "mm_fixture.h"
#include "qrncore/system/crash_log.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

using pool_test = mm_fixture_t;

TEST_F(pool_test, the_block_layout_follows_from_the_header) {
    // Four words of header, 16-byte data, two link words in the least block.
    EXPECT_EQ(M_BLOCK_HEADER, 4 * sizeof(void *));
    EXPECT_EQ(M_BLOCK_HEADER % 16, 0u);
    EXPECT_EQ(M_SPLIT_REST, M_BLOCK_HEADER + M_BLOCK_MIN);
    // A new pool is one free block over all of it.
    EXPECT_EQ(manager.get_free_block_count(), 1u);
    EXPECT_EQ(manager.get_largest_free(), POOL - M_BLOCK_HEADER);
    EXPECT_FALSE(first_block()->in_use());
}

TEST_F(pool_test, requests_are_rounded_to_whole_aligned_blocks) {
    // Block sizes in 16-byte units.
    const struct {
        size_t request, taken;
    } cases[] = {{0, 16}, {1, 16}, {16, 16}, {17, 32}, {100, 112}, {4096, 4096}};
    for (const auto &c : cases) {
        void *p = manager.alloc(c.request, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
        EXPECT_EQ(m_manager::block_of(p)->size(), c.taken) << c.request;
        manager.free(p);
    }
    EXPECT_EQ(manager.get_free_block_count(), 1u);
}

TEST_F(pool_test, raw_memory_comes_from_the_top_and_item_memory_from_the_bottom) {
    fake_item_t owner;
    void *raw = manager.alloc(64, nullptr);
    void *owned = manager.alloc(64, &owner);
    EXPECT_EQ(static_cast<uint8_t *>(raw), pool + POOL - 64);
    EXPECT_EQ(static_cast<uint8_t *>(owned), pool + M_BLOCK_HEADER);
    EXPECT_EQ(m_manager::block_of(owned)->owner(), &owner);
    EXPECT_EQ(m_manager::block_of(raw)->owner(), nullptr);
    manager.free(raw);
    manager.free(owned);
}

// A free block of exactly size bytes between two raw blocks; returns its data.
uint8_t *free_gap(m_manager &m, size_t size, void **guards) {
    guards[0] = m.alloc(16, nullptr);
    void *gap = m.alloc(size, nullptr);
    guards[1] = m.alloc(16, nullptr);
    m.free(gap);
    return static_cast<uint8_t *>(gap);
}

TEST_F(pool_test, a_block_is_split_when_the_rest_holds_a_header_and_a_least_block) {
    // An 80-byte block: 48 bytes used whole (rest 32 < 48), 32 split into 32 used, a
    // header and a 16-byte free block.
    fake_item_t owner;
    void *guards[2];
    uint8_t *gap = free_gap(manager, 80, guards);

    void *whole = manager.alloc(48, &owner);
    EXPECT_EQ(whole, gap) << "the smallest free block that fits";
    EXPECT_EQ(m_manager::block_of(whole)->size(), 80u);
    manager.free(whole);

    void *split = manager.alloc(32, &owner);
    EXPECT_EQ(split, gap);
    EXPECT_EQ(m_manager::block_of(split)->size(), 32u);
    m_block_t *rest = m_manager::block_of(split)->next;
    EXPECT_FALSE(rest->in_use());
    EXPECT_EQ(rest->size(), 16u);
    EXPECT_EQ(32 + M_BLOCK_HEADER + rest->size(), 80u);
    manager.free(split);
    manager.free(guards[0]);
    manager.free(guards[1]);
    EXPECT_EQ(manager.get_free_block_count(), 1u);
}

TEST_F(pool_test, best_fit_takes_the_smallest_fitting_size_and_a_follower_first) {
    // Free blocks of 512, 96, 96 and 64 bytes between raw guards.
    std::vector<void *> guards{manager.alloc(16, nullptr)};
    std::vector<uint8_t *> gaps;
    for (size_t size : {512, 96, 96, 64}) {
        gaps.push_back(static_cast<uint8_t *>(manager.alloc(size, nullptr)));
        guards.push_back(manager.alloc(16, nullptr));
    }
    for (uint8_t *g : gaps) manager.free(g);
    uint8_t *large = gaps[0], *exact_a = gaps[1], *exact_b = gaps[2];
    // 96 twice: the block freed first heads the size, the later one follows it.
    void *p = manager.alloc(80, nullptr);
    EXPECT_EQ(static_cast<uint8_t *>(p), exact_b) << "the follower, used whole (rest 16)";
    void *q = manager.alloc(80, nullptr);
    EXPECT_EQ(static_cast<uint8_t *>(q), exact_a);
    void *r = manager.alloc(70, nullptr);
    EXPECT_EQ(static_cast<uint8_t *>(r), large + 512 - 80) << "64 is too small; 512 is split, raw at its top";
    for (void *b : {p, q, r}) manager.free(b);
    for (void *g : guards) manager.free(g);
    EXPECT_EQ(manager.get_free_block_count(), 1u);
    EXPECT_TRUE(manager.check_integrity());
}

TEST_F(pool_test, freeing_merges_with_free_neighbours_on_either_side) {
    // Three raw blocks in a row at the top (a above b above c); c's lower neighbour
    // is the rest of the pool.
    void *a = manager.alloc(64, nullptr);
    void *b = manager.alloc(64, nullptr);
    void *c = manager.alloc(64, nullptr);
    void *guard = manager.alloc(64, nullptr);  // keeps c apart from the big free block
    manager.free(a);
    manager.free(c);
    EXPECT_EQ(manager.get_free_block_count(), 3u);
    manager.free(b);  // between two free blocks: one block covers all three
    EXPECT_EQ(manager.get_free_block_count(), 2u);
    m_block_t *merged = m_manager::block_of(c);
    EXPECT_FALSE(merged->in_use());
    EXPECT_EQ(merged->size(), 3 * 64 + 2 * M_BLOCK_HEADER);
    EXPECT_EQ(merged->next, nullptr);
    manager.free(guard);
    EXPECT_EQ(manager.get_free_block_count(), 1u);
    EXPECT_EQ(manager.get_largest_free(), POOL - M_BLOCK_HEADER);
}

TEST_F(pool_test, large_free_blocks_keep_their_order_through_splits_and_merges) {
    // Sizes above the exact-size chains go into the list of distinct sizes.
    std::vector<void *> raw;
    std::vector<void *> gaps;
    for (size_t k : {3, 1, 4, 1, 2}) {
        raw.push_back(manager.alloc(16, nullptr));
        gaps.push_back(manager.alloc(k * M_SMALL_LIMIT, nullptr));
    }
    raw.push_back(manager.alloc(16, nullptr));
    for (void *g : gaps) manager.free(g);
    for (size_t k : {1, 1, 2, 4}) {
        void *p = manager.alloc(k * M_SMALL_LIMIT - 100, nullptr);
        EXPECT_EQ(m_manager::block_of(p)->size(), k * M_SMALL_LIMIT - 96) << "an exact fit is taken, or split";
        gaps.push_back(p);
    }
    for (size_t i = 5; i < gaps.size(); ++i) manager.free(gaps[i]);
    for (void *r : raw) manager.free(r);
    EXPECT_EQ(manager.get_free_block_count(), 1u);
    EXPECT_TRUE(manager.check_integrity());
}

using eviction_test = mm_fixture_t;

TEST_F(eviction_test, passes_over_busy_locked_and_fixed_items_oldest_first) {
    // Into the memory-LRU in this order, oldest first.
    c_item_t *busy = loaded("busy", 64);
    c_item_t *locked = loaded("locked", 64);
    c_item_t *fixed = loaded("fixed", 64);
    c_item_t *cached = loaded("cached", 64);
    c_item_t *held = loaded("held", 64);
    for (c_item_t *i : {busy, locked, fixed, cached}) i->release_ref();  // cached without references
    busy->flags |= c_item_t::BUSY;
    locked->lock_count = 1;
    fixed->fix_count = 1;

    script.events.clear();
    ASSERT_TRUE(manager.evict_step());
    // The locked and fixed items leave the memory-LRU; the unreferenced one goes.
    EXPECT_FALSE(locked->has(c_item_t::IN_MLRU));
    EXPECT_FALSE(fixed->has(c_item_t::IN_MLRU));
    EXPECT_TRUE(busy->has(c_item_t::IN_MLRU));
    EXPECT_EQ(manager.find("cached"), nullptr);
    EXPECT_EQ(script.events, (std::vector<std::string>{"unload cached"}));

    // The referenced one keeps its record and loses its memory.
    ASSERT_TRUE(manager.evict_step());
    EXPECT_EQ(manager.find("held"), held);
    EXPECT_FALSE(held->has(c_item_t::MEMORY_VALID));
    EXPECT_FALSE(held->has(c_item_t::IN_MLRU));

    EXPECT_FALSE(manager.evict_step()) << "only the busy item is left";
    EXPECT_EQ(manager.get_mlru_oldest(), busy);

    busy->flags &= ~uint32_t(c_item_t::BUSY);
    locked->lock_count = 0;
    fixed->fix_count = 0;
    held->release_ref();
}

TEST_F(eviction_test, an_allocation_that_does_not_fit_evicts_the_oldest_items) {
    // Fill the pool with cached items, then ask for more than is free.
    std::vector<std::string> names;
    const size_t each = POOL / 8;
    for (int i = 0; i < 7; ++i) names.push_back("fill" + std::to_string(i));
    for (const std::string &n : names) loaded(n.c_str(), each)->release_ref();
    ASSERT_LT(manager.get_largest_free(), 2 * each);
    void *raw = manager.alloc(2 * each, nullptr);
    ASSERT_NE(raw, nullptr);
    // The two oldest went; the rest stay.
    EXPECT_EQ(manager.find("fill0"), nullptr);
    EXPECT_EQ(manager.find("fill1"), nullptr);
    EXPECT_NE(manager.find("fill2"), nullptr);
    manager.free(raw);
}

TEST_F(eviction_test, a_block_larger_than_the_pool_fails_at_once) {
    message_capture_t log;
    c_item_t *cached = loaded("cached", 64);
    cached->release_ref();
    EXPECT_EQ(manager.alloc(POOL, nullptr), nullptr);
    EXPECT_TRUE(log.contains("[mem] A block of 1048576 bytes is larger than every memory pool."));
    EXPECT_NE(manager.find("cached"), nullptr) << "nothing was evicted for it";
}

TEST_F(eviction_test, a_pool_that_cannot_give_the_block_ends_the_program) {
    // Two thirds free, but cut in two by a raw block that never moves.
    void *top = manager.alloc(POOL / 3, nullptr);
    void *middle = manager.alloc(POOL / 3, nullptr);
    manager.free(top);
    temp_dir_t dir;
    dumper_set_file_name(dir.file("abort.crash").c_str());
    EXPECT_DEATH(
        {
            message_stdio_t out;  // the abort's message goes to standard error
            manager.alloc(POOL / 2, nullptr);
        },
        "unable to get an empty memory block");
    dumper_set_file_name(nullptr);
    manager.free(middle);
}

using defrag_test = mm_fixture_t;

TEST_F(defrag_test, item_data_slides_down_into_free_space) {
    c_item_t *a = loaded("a", 200);
    c_item_t *b = loaded("b", 300);
    c_item_t *c = loaded("c", 100);
    void *raw = manager.alloc(50, nullptr);
    memset(raw, 0x5a, 50);
    a->release_ref();
    manager.mem_free_unreferenced(-1, &test_resource_u::unit_descriptor);  // "a" leaves a hole at the bottom
    ASSERT_EQ(manager.find("a"), nullptr);

    script.events.clear();
    manager.defragment(SIZE_MAX);
    EXPECT_EQ(b->data, pool + M_BLOCK_HEADER);
    EXPECT_EQ(static_cast<uint8_t *>(c->data), pool + 2 * M_BLOCK_HEADER + 304);
    EXPECT_TRUE(holds_pattern(b));
    EXPECT_TRUE(holds_pattern(c));
    EXPECT_EQ(script.events, (std::vector<std::string>{"move b", "move c"}));
    // The raw block stays; all free space is one block between.
    EXPECT_EQ(raw, pool + POOL - 64);
    EXPECT_EQ(static_cast<uint8_t *>(raw)[49], 0x5a);
    EXPECT_EQ(manager.get_free_block_count(), 1u);
    EXPECT_TRUE(manager.check_integrity());
    manager.free(raw);
    b->release_ref();
    c->release_ref();
}

TEST_F(defrag_test, fixed_blocks_stay_and_later_data_moves_into_an_earlier_hole) {
    c_item_t *a = loaded("a", 256);
    c_item_t *fixed = loaded("fixed", 64);
    c_item_t *d = loaded("d", 128);
    c_item_t *e = loaded("e", 64);
    void *fixed_data = fixed->lock();
    void *d_place = d->data;
    uint8_t *hole = static_cast<uint8_t *>(a->data);
    a->release_ref();
    manager.mem_free_unreferenced(-1, &test_resource_u::unit_descriptor);  // "a" leaves a 256-byte hole

    manager.defragment(SIZE_MAX);
    EXPECT_EQ(fixed->data, fixed_data);
    // d (128) cannot slide (the fixed block is before it): it goes into the hole,
    // which is split. e then slides down into the place d left.
    EXPECT_EQ(static_cast<uint8_t *>(d->data), hole);
    EXPECT_EQ(e->data, d_place);
    EXPECT_EQ(manager.get_free_block_count(), 2u) << "the hole's rest and the top";
    EXPECT_TRUE(holds_pattern(d));
    EXPECT_TRUE(holds_pattern(e));
    EXPECT_TRUE(manager.check_integrity());
    fixed->unlock();
    for (c_item_t *i : {fixed, d, e}) i->release_ref();
}

TEST_F(defrag_test, a_target_stops_the_pass_once_a_free_block_is_large_enough) {
    c_item_t *a = loaded("a", 1024);
    c_item_t *b = loaded("b", 1024);
    a->release_ref();
    manager.mem_free_unreferenced(-1, &test_resource_u::unit_descriptor);
    void *b_data = b->data;
    manager.defragment(512);  // the hole already holds 1024 bytes
    EXPECT_EQ(b->data, b_data);
    b->release_ref();
}

using check_test = mm_fixture_t;

TEST_F(check_test, a_good_pool_passes_and_a_broken_link_is_reported) {
    message_capture_t log;
    void *a = manager.alloc(100, nullptr);
    void *b = manager.alloc(100, nullptr);
    EXPECT_TRUE(manager.check_integrity());
    EXPECT_TRUE(log.contains("[mem] integrity check passed!"));

    m_block_t *block = m_manager::block_of(a);
    m_block_t *saved = block->prev;
    block->prev = block;  // points back at itself
    log.clear();
    EXPECT_FALSE(manager.check_integrity());
    char expected[64];
    snprintf(expected, sizeof expected, "corrupted after %p", static_cast<void *>(m_manager::block_of(b)));
    EXPECT_TRUE(log.contains(expected)) << expected;
    block->prev = saved;

    m_block_t *below = m_manager::block_of(b);
    saved = below->next;
    below->next = nullptr;  // the pool ends early: the last block is not counted
    log.clear();
    EXPECT_FALSE(manager.check_integrity());
    EXPECT_TRUE(log.contains("[mem] There is some uncounted memory"));
    below->next = saved;
    manager.free(a);
    manager.free(b);
}

using dump_test = mm_fixture_t;

TEST_F(dump_test, the_items_dump_lists_names_types_counts_and_flags) {
    message_capture_t log;
    c_item_t *item = loaded(std::string(60, 'n').c_str(), 20000);
    manager.log_dump(MM_DUMP_ITEMS, false);
    const std::vector<std::string> lines = log.texts(message_t::MESSAGE);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].substr(0, 4), "Name");
    EXPECT_NE(lines[1].find("Pos/Offs"), std::string::npos);
    // Long names keep their end; sizes above 10239 bytes in K.
    EXPECT_EQ(lines[2].substr(0, 50), "..." + std::string(47, 'n'));
    EXPECT_NE(lines[2].find(" test_resource  "), std::string::npos);
    EXPECT_NE(lines[2].find("     19K "), std::string::npos);
    EXPECT_EQ(lines[2].substr(lines[2].size() - 23), "  1   0   0  m   M sr  ");
    EXPECT_EQ(lines[3], "1 entries, 20000 bytes occupied");

    log.clear();
    manager.log_dump(MM_DUMP_MLRU, false);
    EXPECT_TRUE(log.contains("Memory LRU contains 1 entries, 20000 bytes occupied"));
    log.clear();
    manager.log_dump(MM_DUMP_BLOCKS, false);
    EXPECT_TRUE(log.contains("---- memory pool 0 (memory"));
    EXPECT_TRUE(log.contains("1 entries, 20000 bytes occupied"));
    log.clear();
    manager.log_dump(7, false);
    EXPECT_TRUE(log.contains("[mem] Unknown log_dump mode 7"));
    item->release_ref();
}

}  // namespace
}  // namespace quarn::test
