#include "qrncore/collections/bmem_manager.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "abort_fixture.h"
#include "host_alloc_hook.h"

namespace quarn {
namespace {

bool aligned(const void *p) { return reinterpret_cast<uintptr_t>(p) % bmem_manager_t::BLOCK_ALIGN == 0; }

TEST(bmem_manager, block_size_holds_the_link_and_keeps_the_alignment) {
    // Blocks are rounded to the 16-byte alignment that also holds the free-list link
    // (the word-sized rounding gave 1 -> 4, 4 -> 4, 13 -> 16): 1 and 16 share the
    // smallest block and one byte more takes the next step.
    struct {
        size_t asked, block;
    } const cases[] = {{0, 16}, {1, 16}, {13, 16}, {16, 16}, {17, 32}, {24, 32}, {48, 48}, {49, 64}};
    for (const auto &c : cases) {
        bmem_manager_t pool;
        pool.set_pars(c.asked, 3);
        EXPECT_EQ(pool.get_block_size(), c.block) << c.asked;
        EXPECT_EQ(pool.get_blocks_per_chunk(), 3u);
    }
}

TEST(bmem_manager, chunks_come_from_the_host_and_blocks_are_reused_last_in_first_out) {
    test::host_alloc_hook_t host;
    {
        bmem_manager_t pool;
        pool.set_pars(20, 4);
        EXPECT_TRUE(host.requests().empty());

        void *blocks[5];
        for (int i = 0; i < 4; ++i) blocks[i] = pool.alloc();
        ASSERT_EQ(host.requests().size(), 1u);
        EXPECT_EQ(host.requests()[0], bmem_manager_t::CHUNK_HEADER + 4 * 32);
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(aligned(blocks[i]));
            // Blocks of a chunk are handed out in address order.
            if (i > 0) {
                EXPECT_EQ(static_cast<char *>(blocks[i]), static_cast<char *>(blocks[i - 1]) + 32);
            }
        }
        blocks[4] = pool.alloc();
        EXPECT_EQ(host.requests().size(), 2u);
        EXPECT_TRUE(aligned(blocks[4]));

        pool.free(blocks[1]);
        pool.free(blocks[3]);
        EXPECT_EQ(pool.alloc(), blocks[3]);
        EXPECT_EQ(pool.alloc(), blocks[1]);
        EXPECT_EQ(host.requests().size(), 2u);
        EXPECT_EQ(host.frees(), 0u);
    }
    EXPECT_EQ(host.frees(), 2u);
}

using bmem_manager_death = test::abort_fixture_t;

TEST_F(bmem_manager_death, host_out_of_memory_aborts_with_a_message) {
    auto run = [] {
        test::host_alloc_hook_t host(0);
        bmem_manager_t pool;
        pool.set_pars(8, 16);
        pool.alloc();
    };
    EXPECT_DEATH(run(), R"(Block pool out of memory \(chunk of 272 bytes\)\.)");
}

TEST_F(bmem_manager_death, block_size_cannot_change_once_chunks_exist) {
    auto run = [] {
        bmem_manager_t pool;
        pool.set_pars(8, 2);
        pool.alloc();
        pool.set_pars(8, 4);  // same block size: allowed
        pool.set_pars(40, 4);
    };
    EXPECT_DEATH(run(), "Block size of a pool changed after its first allocation");
}

}  // namespace
}  // namespace quarn
