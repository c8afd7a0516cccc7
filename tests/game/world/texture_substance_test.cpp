// The texture table: pairs however they are parted, keys without a folder, unknown
// substance names dropped with the rest still read, misses, and one table for all
// users, loaded with the first request and freed with the last release.
#include <gtest/gtest.h>

#include "game/world/texture_substance.h"
#include "support/message_capture.h"
#include "world_fixture.h"

namespace quarn::test {
namespace {

class texture_substance_test : public world_fixture_t {
protected:
    void TearDown() override {
        while (texture_db_use_count() > 0) texture_db_release();
        world_fixture_t::TearDown();
    }
};

TEST_F(texture_substance_test, pairs_keys_and_misses) {
    put_texture_table(
        "/texture/map/grass: grass\n"
        "/texture/map/rock rock\r\n"
        "/texture/map/odd:\tlava\n"
        "pebbles:gravel\n"
        "/texture/map/grass: sand\n"
        "/texture/map/last");
    message_capture_t log;
    texture_db_request();
    ASSERT_TRUE(texture_db_exists());
    EXPECT_TRUE(log.contains("substance name lava cannot be matched with registered ones"));
    // Colon and blank, blank only: entries alike; the unknown name is dropped and the
    // pairs after it still load; a key without a name is ignored.
    ASSERT_EQ(texture_db_entry_count(), 4u);
    EXPECT_EQ(texture_db_entry(0).key, "/texture/map/grass");
    EXPECT_EQ(texture_db_entry(0).substance, 5u);
    EXPECT_EQ(texture_db_entry(1).key, "/texture/map/rock");
    EXPECT_EQ(texture_db_entry(1).substance, 14u);
    EXPECT_EQ(texture_db_entry(2).key, "pebbles");
    uint32_t h = 0;
    for (const char *s = "/texture/map/rock"; *s; ++s) h = h * 31u + uint8_t(*s);
    EXPECT_EQ(texture_db_entry(1).key_hash, h);

    const struct {
        const char *path;
        uint32_t substance;
    } lookups[] = {
        {"/texture/map/grass.tga", 5},   // the first entry of a key wins
        {"/texture/map/grass.png", 5},   // the extension does not count
        {"/texture/map/rock", 14},
        {"/texture/map/Rock.tga", 0},    // case counts
        {"/texture/grass.tga", 0},
    };
    for (const auto &l : lookups) EXPECT_EQ(substance_for_texture(l.path), l.substance) << l.path;
    log.clear();
    EXPECT_EQ(substance_for_texture("/texture/map/moss.tga"), 0u);
    EXPECT_TRUE(log.contains("cannot find substance for /texture/map/moss.tga"));

    // A path without a folder makes a key of a slash and its name.
    mstring_dyn_t key;
    texture_key("pebbles.tga", key);
    EXPECT_EQ(key, "/pebbles");
    texture_db_load_text("/pebbles: gravel\n", 16, "text");
    EXPECT_EQ(substance_for_texture("pebbles.tga"), 13u);
    EXPECT_EQ(substance_for_texture("/pebbles.dds"), 13u);
}

TEST_F(texture_substance_test, one_table_for_all_users) {
    put_texture_table("/texture/a: dirt\n");
    texture_db_request();
    const texture_substance_t *first = &texture_db_entry(0);
    put_texture_table("/texture/a: sand\n");
    texture_db_request();
    texture_db_request();
    EXPECT_EQ(texture_db_use_count(), 3u);
    // Loaded once: the second file was never read.
    EXPECT_EQ(&texture_db_entry(0), first);
    EXPECT_EQ(substance_for_texture("/texture/a.tga"), 9u);
    texture_db_release();
    texture_db_release();
    EXPECT_TRUE(texture_db_exists());
    texture_db_release();
    EXPECT_FALSE(texture_db_exists());
    EXPECT_EQ(substance_for_texture("/texture/a.tga"), 0u);
    // The next first request reads the file again.
    texture_db_request();
    EXPECT_EQ(substance_for_texture("/texture/a.tga"), 10u);
    texture_db_release();

    message_capture_t log;
    texture_db_release();
    EXPECT_TRUE(log.contains("texture_db_release without a request"));
    EXPECT_EQ(texture_db_use_count(), 0u);
}

TEST_F(texture_substance_test, a_missing_file_gives_an_empty_table) {
    message_capture_t log;
    texture_db_request();
    EXPECT_TRUE(log.contains("can't read file /material/map/texture.db"));
    EXPECT_TRUE(texture_db_exists());
    EXPECT_EQ(texture_db_entry_count(), 0u);
    EXPECT_EQ(substance_for_texture("/texture/map/grass.tga"), 0u);
}

}  // namespace
}  // namespace quarn::test
