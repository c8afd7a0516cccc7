// The game's maps as the build packs them into "base.tzk": each loads as a landscape
// of 4 × 4 chunks over -256..256 whose textures all have known substances, the
// ground is found everywhere, the valley is gentle where the player starts, and the
// water lies where the navigation cells say.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/ai/nav/ai_navigation.h"
#include "game/ai/nav/ai_sector.h"
#include "game/visuals/physics/physics_types.h"
#include "landscape_fixture.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/message_capture.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

class map_content_test : public landscape_fixture_t {
protected:
    void SetUp() override {
        landscape_fixture_t::SetUp();
        previous = fs_set_archive_factory(zip_device_create);
        archive = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(archive, nullptr);
    }
    void TearDown() override {
        landscape.reset();
        free_cached();
        if (archive) ufs_unmount(archive);
        fs_set_archive_factory(previous);
        landscape_fixture_t::TearDown();
    }

    // The ground height at (x, z), NaN when none: a terrain ray down through the
    // chunks' collision, as the world finds the ground, and the point walk at the hit
    // must find the triangle there.
    float ground(float x, float z) {
        landscape->prepare_region(aabox_t({x - 0.5f, -2000, z - 0.5f}, {x + 0.5f, 2000, z + 0.5f}), 10);
        physics_ray_hit_t hit;
        if (!scene->ray_first_hit_world(10, {x, 1000, z}, {0, -1, 0}, 2000, &hit)) return std::nanf("");
        landscape_triangle_query_t q;
        q.point = hit.position;
        if (!landscape->query_triangles_point(q, landscape_volume_t::of_point(q.point, 0.1f)) || !q.piece)
            return std::nanf("");
        return hit.position.y;
    }

    fs_archive_factory_t previous = nullptr;
    fs_device_t *archive = nullptr;
};

TEST_F(map_content_test, every_map_loads_whole) {
    for (const char *map : {"valley", "peaks", "cross"}) {
        message_capture_t log;
        landscape = landscape_u::create();
        landscape->load(("/map/" + std::string(map) + "/landscape.lnd").c_str(), scene);
        ASSERT_EQ(landscape->get_chunk_count(), 16u) << map;
        EXPECT_FALSE(log.contains("cannot")) << map << ": " << log.entries().back().text;
        const aabox_t &total = landscape->get_total_box();
        EXPECT_EQ(total.min.x, -256.0f) << map;
        EXPECT_EQ(total.max.z, 256.0f) << map;
        uint32_t water = 0;
        for (uint32_t c = 0; c < 16; ++c) {
            const landscape_chunk_u *chunk = landscape->get_chunk(c);
            ASSERT_NE(chunk->get_model(), nullptr) << map << " " << c;
            ASSERT_NE(chunk->get_collision(), nullptr) << map << " " << c;
            for (uint32_t p = 0; p < chunk->get_piece_count(); ++p) {
                const landscape_chunk_piece_u *piece = chunk->get_piece(p);
                if (piece->get_layer_count() == 0) {
                    ++water;
                    continue;
                }
                EXPECT_GE(piece->get_layer_count(), 1u) << map;
                EXPECT_NE(piece->get_high_substance(), 0u) << map;
            }
        }
        EXPECT_GT(water, 0u) << map << " has water";
        // The ground is found all over the map.
        for (float x = -250; x <= 250; x += 50)
            for (float z = -250; z <= 250; z += 50) EXPECT_FALSE(std::isnan(ground(x, z))) << map << " " << x << " " << z;
        landscape.reset();
        free_cached();
    }
}

TEST_F(map_content_test, the_valley_is_gentle_at_the_start_and_wet_where_its_cells_say) {
    landscape = landscape_u::create();
    landscape->load("/map/valley/landscape.lnd", scene);
    ASSERT_EQ(landscape->get_chunk_count(), 16u);
    // Flat around the centre, where the player starts.
    for (float x = -30; x <= 30; x += 5) {
        for (float z = -30; z <= 30; z += 5) {
            if (x * x + z * z <= 35 * 35) {
                EXPECT_NEAR(ground(x, z), 1.5f, 0.01f) << x << " " << z;
            }
        }
    }

    // Water cells of the navigation mesh lie below the water level (0), and every
    // water surface lies over a water cell.
    ai_navigation_t nav;
    ASSERT_TRUE(nav.load(0, "/map/valley/sector.ai"));
    const ai_sector_t &sector = nav.get_sector();
    uint32_t wet = 0;
    for (uint32_t c = 0; c < sector.get_cell_count(); ++c) {
        if (sector.get_cell(c).kind != 3) continue;
        const vec3_t centre = sector.get_cell(c).centre;
        EXPECT_LT(ground(centre.x, centre.z), 0.0f) << "water cell at " << centre.x << " " << centre.z;
        ++wet;
    }
    EXPECT_GT(wet, 40u);
    uint32_t surfaces = 0;
    for (uint32_t k = 0; k < landscape->get_chunk_count(); ++k) {
        const landscape_chunk_u *chunk = landscape->get_chunk(k);
        for (uint32_t n = 0; n < chunk->get_piece_count(); ++n) {
            if (chunk->get_piece(n)->get_layer_count() != 0) continue;
            const model_piece_t &p = chunk->get_model()->get_piece(n);
            for (uint32_t t = 0; t < p.index_count; t += 3) {
                const vec3_t centre = (p.positions[p.indices[t]] + p.positions[p.indices[t + 1]] +
                                       p.positions[p.indices[t + 2]]) / 3.0f;
                bool over_water = false;
                for (uint32_t c = 0; c < sector.get_cell_count() && !over_water; ++c)
                    over_water = sector.get_cell(c).kind == 3 && sector.contains(c, centre);
                EXPECT_TRUE(over_water) << "water at " << centre.x << " " << centre.z;
                ++surfaces;
            }
        }
    }
    EXPECT_GT(surfaces, 100u);
}

}  // namespace
}  // namespace quarn::test
