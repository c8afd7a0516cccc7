#include <gtest/gtest.h>

#include <cstdint>

#include "qrncore/collections/data_cache.h"

namespace quarn::test {
namespace {

TEST(data_cache, hands_out_aligned_blocks_and_keeps_its_chunks_over_free_all) {
    data_cache_t cache(256);
    uint8_t *a = static_cast<uint8_t *>(cache.alloc(3));
    uint8_t *b = static_cast<uint8_t *>(cache.alloc(20));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
    EXPECT_EQ(b, a + 16);
    EXPECT_EQ(cache.get_used(), 48u);
    // Larger than a chunk: a chunk of its own size.
    void *big = cache.alloc(1000);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(cache.get_chunk_count(), 2u);
    cache.free_all();
    EXPECT_EQ(cache.get_used(), 0u);
    EXPECT_EQ(cache.alloc(3), a) << "the first chunk serves again";
    EXPECT_EQ(cache.alloc(600), big) << "a kept chunk that holds it";
    EXPECT_EQ(cache.get_chunk_count(), 2u);
    EXPECT_EQ(cache.alloc(SIZE_MAX), nullptr);
}

}  // namespace
}  // namespace quarn::test
