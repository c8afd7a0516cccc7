#include <gtest/gtest.h>

#include "qrncore/units/unit_map.h"

namespace quarn {
namespace {

unit_base_t *key(uintptr_t v) { return reinterpret_cast<unit_base_t *>(v * 16); }

TEST(unit_map, insert_get_and_duplicates) {
    unit_map_t map;
    EXPECT_EQ(map.get(key(1)), nullptr);
    EXPECT_EQ(map.index_of(key(1)), -1);
    EXPECT_TRUE(map.insert(key(1), 10));
    EXPECT_FALSE(map.insert(key(1), 11));
    EXPECT_EQ(map.get_count(), 1u);
    ASSERT_NE(map.get(key(1)), nullptr);
    EXPECT_EQ(*map.get(key(1)), 10u);
    EXPECT_TRUE(map.set(key(1), 12));
    EXPECT_FALSE(map.set(key(2), 12));
    EXPECT_EQ(*map.get(key(1)), 12u);
    EXPECT_TRUE(map.contains(key(1)));
    EXPECT_FALSE(map.contains(key(2)));
}

TEST(unit_map, remove_keeps_the_order_and_clear_keeps_the_storage) {
    map_t<uintptr_t, uint32_t> map;  // pointer-width keys
    for (uintptr_t k : {uintptr_t(1) << 40, uintptr_t(2), uintptr_t(3)}) EXPECT_TRUE(map.insert(k, uint32_t(k & 0xFF)));
    EXPECT_TRUE(map.remove(uintptr_t(1) << 40));
    EXPECT_FALSE(map.remove(uintptr_t(1) << 40));
    EXPECT_EQ(map.index_of(2), 0);
    EXPECT_EQ(map.index_of(3), 1);
    EXPECT_EQ(*map.get(3), 3u);
    const uintptr_t *storage = map.get_keys().get_data();
    map.clear();
    EXPECT_EQ(map.get(2), nullptr);
    EXPECT_TRUE(map.insert(9, 9));
    EXPECT_EQ(map.get_keys().get_data(), storage);
}

}  // namespace
}  // namespace quarn
