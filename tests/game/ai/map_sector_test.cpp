// The navigation meshes the build writes into "base.tzk" for the game's maps, read
// as the game reads them: through the virtual tree.
#include <gtest/gtest.h>

#include <string>

#include "game/ai/nav/ai_navigation.h"
#include "game/ai/nav_mesh.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/message_capture.h"
#include "support/test_paths.h"

namespace quarn {
namespace {

class map_sector_fixture : public ::testing::Test {
protected:
    void SetUp() override {
        fs_startup();
        previous = fs_set_archive_factory(zip_device_create);
        base = ufs_mount(FS_DEVICE_ZIP, (test::test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(base, nullptr);
    }
    void TearDown() override {
        if (base) ufs_unmount(base);
        fs_set_archive_factory(previous);
        fs_shutdown();
    }

    fs_archive_factory_t previous = nullptr;
    fs_device_t *base = nullptr;
};

TEST_F(map_sector_fixture, every_map_has_a_mesh_covering_its_centre) {
    const struct {
        const char *map;
        uint32_t cells;
    } maps[] = {{"valley", 32 * 32}, {"peaks", 16 * 16}, {"cross", 16 * 16}};
    for (const auto &m : maps) {
        ai_navigation_t nav;
        const std::string path = std::string("/map/") + m.map + "/sector.ai";
        ASSERT_TRUE(nav.load(0, path.c_str())) << path;
        EXPECT_EQ(nav.get_sector().get_cell_count(), m.cells) << path;
        // The mesh spans the map's 512 x 512 units around the origin.
        uint32_t cell = 0;
        bool inside = false;
        for (const vec3_t &corner : {vec3_t{-256, 0, -256}, vec3_t{256, 0, 256}, vec3_t{0, 0, 0}}) {
            ASSERT_TRUE(nav.locate(corner, 0, &cell, &inside));
            EXPECT_TRUE(inside) << path << " at " << corner.x << ", " << corner.z;
        }
    }
}

// An animal of the normal mode crosses the valley from the forest in the north-west
// to the meadow beyond the river, around the lake, on ground it may walk.
TEST_F(map_sector_fixture, valley_is_crossed_around_the_lake) {
    ai_navigation_t nav;
    ASSERT_TRUE(nav.load(0, "/map/valley/sector.ai"));
    const vec3_t from{-200, 0, -150}, to{100, 0, 200};
    uint32_t start = 0;
    bool inside = false;
    ASSERT_TRUE(nav.locate(from, 1, &start, &inside));
    ASSERT_TRUE(inside);
    ai_nav_path_t path;
    ASSERT_TRUE(path.reset(128, start));
    path.set_current_waypoint(from);
    ai_nav_request_t request;
    request.point = to;
    randomizer_t random(1);
    ASSERT_EQ(nav.find_path(path, request, 1, random), ai_navigation_t::PATH_REACHED);
    EXPECT_TRUE(nav.contains(to, request.cell));
    for (uint32_t i = 0; i < path.get_count(); ++i) {
        const uint32_t kind = nav.get_sector().get_cell(path.get_step(i).cell).kind;
        EXPECT_TRUE(ai_nav_kind_allowed(kind, 1)) << "step " << i;
    }
    EXPECT_TRUE(test::no_visited_marks(nav));
}

TEST_F(map_sector_fixture, missing_sector_file_is_reported) {
    test::message_capture_t log;
    ai_navigation_t nav;
    EXPECT_FALSE(nav.load(0, "/map/nowhere/sector.ai"));
    EXPECT_TRUE(log.contains("cannot load sector (0) file (/map/nowhere/sector.ai)"));
}

}  // namespace
}  // namespace quarn
