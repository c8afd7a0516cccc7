// The landscape file: its checks at load (the version, short files, tables and counts
// past the end, boxes that are no numbers), records of any slot count, chunk file
// names, and the "landscape_folder" resource: one unit per path while held, handed
// over with its reference, freed when unreferenced.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "game/world/landscape_file.h"
#include "game/world/landscape_folder.h"
#include "game/game_rows.h"
#include "kernel/memory/m_server.h"
#include "map_landscape_file.h"
#include "qrncore/spatial/le_bytes.h"
#include "support/message_capture.h"
#include "world_fixture.h"

namespace quarn::test {
namespace {

using mapgen::lnd_chunk_t;
using mapgen::lnd_file_t;
using mapgen::lnd_slot_t;
using mapgen::lnd_write;

lnd_chunk_t chunk(float x, uint8_t collision, uint8_t model, uint32_t slots) {
    lnd_chunk_t c;
    c.box_min = {x, -1, 0};
    c.box_max = {x + 8, 3, 8};
    c.has_collision = collision;
    c.has_model = model;
    for (uint32_t s = 0; s < slots; ++s) {
        lnd_slot_t slot;
        for (int l = 0; l < 3; ++l) slot.layers[l][0] = float(10 * s + l + 1);
        slot.layers[2][2] = x;
        c.slots.push_back(slot);
    }
    return c;
}

TEST(landscape_file, records_of_any_slot_count) {
    for (uint32_t slots : {0u, 1u, 3u}) {
        lnd_file_t f;
        f.chunks = {chunk(0, 1, 1, slots), chunk(8, 0, 0, slots), chunk(16, 1, 0, slots)};
        const std::vector<uint8_t> bytes = lnd_write(f);
        EXPECT_EQ(bytes.size(), 16 + 3 * (26 + 36 * slots));
        landscape_file_view_t v;
        ASSERT_TRUE(v.open(bytes.data(), bytes.size(), "/map/t/landscape.lnd"));
        EXPECT_EQ(v.get_chunk_count(), 3u);
        EXPECT_EQ(v.get_slot_count(), slots);
        EXPECT_EQ(v.get_record_size(), 26u + 36 * slots);
        const aabox_t box = v.get_chunk_box(2);
        EXPECT_EQ(box.min, (vec3_t{16, -1, 0}));
        EXPECT_EQ(box.max, (vec3_t{24, 3, 8}));
        // Both flags 0: a box alone.
        EXPECT_FALSE(v.has_collision(1));
        EXPECT_FALSE(v.has_model(1));
        EXPECT_EQ(v.get_chunk_box(1).min.x, 8.0f);
        EXPECT_TRUE(v.has_collision(2));
        EXPECT_FALSE(v.has_model(2));
        float layer[3];
        for (uint32_t s = 0; s < slots; ++s) {
            ASSERT_TRUE(v.get_slot_layer(1, s, 2, layer));
            EXPECT_EQ(layer[0], float(10 * s + 3));
            EXPECT_EQ(layer[2], 8.0f);
        }
        // A slot at or beyond the count: the identity, and false.
        EXPECT_FALSE(v.get_slot_layer(1, slots, 0, layer));
        EXPECT_EQ(layer[0], 1.0f);
        EXPECT_EQ(layer[1], 0.0f);
        EXPECT_EQ(layer[2], 0.0f);
    }
}

TEST(landscape_file, bad_files_are_refused) {
    lnd_file_t good;
    good.chunks = {chunk(0, 1, 1, 2), chunk(8, 1, 1, 2)};
    const std::vector<uint8_t> bytes = lnd_write(good);
    auto with = [&](auto change) {
        lnd_file_t f = good;
        change(f);
        return lnd_write(f);
    };
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> b = bytes;
        le_bytes::put_u32(&b[at], value);
        return b;
    };
    auto cut = [&](size_t n) { return std::vector<uint8_t>(bytes.begin(), bytes.begin() + ptrdiff_t(n)); };
    const struct {
        const char *name;
        std::vector<uint8_t> file;
        const char *message;
    } cases[] = {
        {"version", with([](lnd_file_t &f) { f.version = 4; }),
         "[model] Landscape '/map/t/landscape.lnd' has incorrect file version 4 - expected version 5"},
        {"empty", {}, "is malformed: the file is shorter than its version"},
        {"header", cut(12), "is malformed: the file is shorter than its 16-byte header"},
        {"short by one", cut(bytes.size() - 1), "2 chunks of 98 bytes run past the end of the file (211 bytes)"},
        {"table past the end", patched(12, 4096), "the chunk table starts outside"},
        {"table in the header", patched(12, 8), "the chunk table starts outside"},
        {"count", with([](lnd_file_t &f) { f.chunk_count = 3; }), "3 chunks of 98 bytes run past the end"},
        {"count overflowing 32 bits", with([](lnd_file_t &f) { f.chunk_count = 0xFFFFFFFFu; }),
         "4294967295 chunks of 98 bytes"},
        // 26 + 36 × 0x8000000 passes 32 bits; one record of it would wrap to a few bytes.
        {"record size overflowing 32 bits", with([](lnd_file_t &f) { f.slot_count = 0x8000000u; }),
         "2 chunks of 4831838234 bytes"},
        {"slot count huge", with([](lnd_file_t &f) { f.slot_count = 0xFFFFFFFFu; }), "run past the end"},
        {"nan box", with([](lnd_file_t &f) { f.chunks[1].box_max.y = std::nanf(""); }),
         "is malformed: the box of chunk 1 is not finite"},
        {"infinite box",
         with([](lnd_file_t &f) { f.chunks[0].box_min.x = -std::numeric_limits<float>::infinity(); }),
         "the box of chunk 0 is not finite"},
    };
    for (const auto &c : cases) {
        message_capture_t log;
        landscape_file_view_t v;
        EXPECT_FALSE(v.open(c.file.data(), c.file.size(), "/map/t/landscape.lnd")) << c.name;
        EXPECT_FALSE(v.is_open()) << c.name;
        EXPECT_TRUE(log.contains(c.message)) << c.name << "\nlogged: "
                                             << (log.entries().empty() ? "" : log.entries().back().text);
    }
    // No chunks at all is a landscape too.
    lnd_file_t none;
    const std::vector<uint8_t> empty = lnd_write(none);
    landscape_file_view_t v;
    EXPECT_TRUE(v.open(empty.data(), empty.size(), "none"));
    EXPECT_EQ(v.get_chunk_count(), 0u);
}

TEST(landscape_file, chunk_file_names) {
    const struct {
        const char *path;
        uint32_t index;
        const char *extension;
        const char *expected;
    } cases[] = {
        {"a/b/c.lnd", 0, ".zmd", "a/b/c_0000.zmd"},
        {"a/b/c.lnd", 0, ".zmc", "a/b/c_0000.zmc"},
        {"a/b/c.lnd", 1, ".zmd", "a/b/c_0001.zmd"},
        {"a/b/c.lnd", 10000, ".zmc", "a/b/c_10000.zmc"},
        {"/map/valley/landscape.lnd", 7, ".zmd", "/map/valley/landscape_0007.zmd"},
        {"/map/x.y/terrain", 12, ".zmd", "/map/x.y/terrain_0012.zmd"},
    };
    for (const auto &c : cases) {
        mstring_dyn_t out;
        ASSERT_TRUE(landscape_chunk_path(c.path, c.index, c.extension, out));
        EXPECT_EQ(std::string(out.c_str()), c.expected);
        // The writer names them alike.
        EXPECT_EQ(mapgen::lnd_chunk_path(c.path, c.index, c.extension), c.expected);
    }
}

class landscape_folder_test : public world_fixture_t {};

TEST_F(landscape_folder_test, one_unit_per_path_while_held) {
    lnd_file_t f;
    f.chunks = {chunk(0, 1, 1, 1), chunk(8, 0, 0, 1)};
    put_map_file("a/landscape.lnd", lnd_write(f));
    {
        landscape_folder_ref_t one = landscape_folder_u::obtain("/map/a/landscape.lnd");
        ASSERT_TRUE(one);
        // The caller holds the only reference: the folder was handed over, not left
        // at 0 while it went out.
        EXPECT_EQ(one.get_item()->ref_count, 1u);
        EXPECT_STREQ(one->get_path(), "/map/a/landscape.lnd");
        landscape_folder_ref_t two = landscape_folder_u::obtain("/map/a/landscape.lnd");
        EXPECT_EQ(one.get(), two.get());
        EXPECT_EQ(one.get_item()->ref_count, 2u);
        EXPECT_EQ(one->get_chunk_count(), 2u);
        EXPECT_EQ(one->get_slot_count(), 1u);
        aabox_t box;
        ASSERT_TRUE(one->get_chunk_box(box, 1));
        EXPECT_EQ(box.min.x, 8.0f);
        EXPECT_FALSE(one->get_chunk_box(box, 2));
        EXPECT_TRUE(box.is_void());
        EXPECT_TRUE(one->has_chunk_model(0));
        EXPECT_TRUE(one->has_chunk_collision(0));
        EXPECT_FALSE(one->has_chunk_model(1));
        EXPECT_FALSE(one->has_chunk_collision(1));
        mstring_dyn_t path;
        ASSERT_TRUE(one->get_chunk_path(1, ".zmc", path));
        EXPECT_EQ(path, "/map/a/landscape_0001.zmc");
        // Reads lock the item only while they run.
        EXPECT_EQ(one.get_item()->lock_count, 0u);
        EXPECT_EQ(one.get_item()->fix_count, 0u);
    }
    // Unreferenced folders stay cached until the drain removes them.
    const uint64_t live = unit_base_t::get_live_count();
    landscape_folder_free_unreferenced();
    unit_system_t::clean_garbage();
    EXPECT_LT(unit_base_t::get_live_count(), live);
    landscape_folder_ref_t again = landscape_folder_u::obtain("/map/a/landscape.lnd");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->get_chunk_count(), 2u);
}

TEST_F(landscape_folder_test, bound_folders_hold_the_module_until_the_drain) {
    static int holds = 0;
    set_gamesup_lock_hooks([] { ++holds; }, [](unit_base_t *) { --holds; });
    lnd_file_t f;
    f.chunks = {chunk(0, 0, 0, 0)};
    put_map_file("d/landscape.lnd", lnd_write(f));
    landscape_folder_u::obtain("/map/d/landscape.lnd").release();
    EXPECT_EQ(holds, 1);  // unreferenced, but cached and bound
    game_row_table_t::linked().run_step(game_step_t::DRAIN_GAMESUP, game_row_args_t{});
    EXPECT_EQ(holds, 0);
    set_gamesup_lock_hooks(nullptr, nullptr);
}

TEST_F(landscape_folder_test, a_bad_file_does_not_load) {
    lnd_file_t f;
    f.version = 6;
    f.chunks = {chunk(0, 1, 1, 1)};
    put_map_file("b/landscape.lnd", lnd_write(f));
    message_capture_t log;
    EXPECT_FALSE(landscape_folder_u::obtain("/map/b/landscape.lnd"));
    EXPECT_TRUE(log.contains("[model] Landscape '/map/b/landscape.lnd' has incorrect file version 6 - expected version 5"));
    EXPECT_FALSE(landscape_folder_u::obtain("/map/b/missing.lnd"));
    // A resource of another class under the path is not taken for a folder.
    c_item_t *plain = mm_obtain_resource(MM_NAMED_REF, "/map/c/landscape.lnd", nullptr, 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(landscape_folder_u::obtain("/map/c/landscape.lnd"));
    plain->release_ref();
}

}  // namespace
}  // namespace quarn::test
