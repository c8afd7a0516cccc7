// The terrain: loading a map's landscape into chunks and pieces (boxes, layers,
// texture transforms, packets), activation around the viewer and for queries, the
// idle delay, the shapes' classes, drawing, and teardown.
#include <gtest/gtest.h>

#include <cmath>

#include "game/visuals/physics/physics_shape.h"
#include "game/world/landscape.h"
#include "game/world/texture_substance.h"
#include "kernel/console/cvars.h"
#include "landscape_fixture.h"
#include "map_landscape_file.h"
#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/material.h"
#include "qrncore/qrnutils/substance/substance_db.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

class landscape_test : public landscape_fixture_t {};

TEST_F(landscape_test, loads_chunks_pieces_and_packets) {
    chunks_variable.set("1");
    message_capture_t log;
    landscape_u *l = load_map(map_slope_text(), "slope");
    EXPECT_TRUE(log.contains("Loading landscape [/map/slope/landscape.lnd]"));
    EXPECT_TRUE(log.contains("Loaded 4 landscape chunks"));
    ASSERT_EQ(l->get_chunk_count(), 4u);
    // Boxes: the file's, top raised by 50; the total box their union.
    const landscape_chunk_u *c1 = l->get_chunk(1);
    EXPECT_EQ(c1->get_index(), 1);
    EXPECT_EQ(c1->get_box().min, (vec3_t{8, 2, 0}));
    EXPECT_EQ(c1->get_box().max, (vec3_t{16, 54, 8}));
    EXPECT_EQ(c1->get_current_box().max, c1->get_box().max);
    EXPECT_EQ(l->get_total_box().min, (vec3_t{0, 0, 0}));
    EXPECT_EQ(l->get_total_box().max, (vec3_t{16, 54, 16}));
    EXPECT_EQ(l->get_sort_timer(), 10.0f);

    // One piece of "meadow": grass, dirt, rock.
    ASSERT_EQ(c1->get_piece_count(), 1u);
    const landscape_chunk_piece_u *p = c1->get_piece(0);
    EXPECT_EQ(p->get_piece(), 0);
    EXPECT_EQ(p->get_model(), c1->get_model());
    EXPECT_EQ(p->get_layer_count(), 3u);
    EXPECT_EQ(p->get_layer_substance(0), 5u);
    EXPECT_EQ(p->get_layer_substance(1), 9u);
    EXPECT_EQ(p->get_layer_substance(2), 14u);
    EXPECT_EQ(p->get_high_substance(), 14u);
    EXPECT_EQ(p->get_low_substance(), 5u);
    // Texture transforms from the chunk's slot record: layer 0 (grass, scale 4) of a
    // chunk at x 8: (0.25, 0, 0, frac(8/4)), (0, 0.25, 0, 0).
    const fw4pp_terrain_uv_u *uv = p->get_uv_packet();
    ASSERT_NE(uv, nullptr);
    EXPECT_EQ(uv->columns[0][0], (vec4_t{0.25f, 0, 0, 0}));
    EXPECT_EQ(uv->columns[0][1], (vec4_t{0, 0.25f, 0, 0}));
    EXPECT_EQ(uv->columns[2][0], (vec4_t{0.125f, 0, 0, 0}));
    const fw4pp_terrain_uv_u *uv2 = l->get_chunk(2)->get_piece(0)->get_uv_packet();
    EXPECT_EQ(uv2->columns[0][1], (vec4_t{0, 0.25f, 0, 0}));
    EXPECT_EQ(uv2->columns[2][1], (vec4_t{0, 0.125f, 0, 0}));

    // Packets: the scene's camera, fog and light, the chunk's model packet, the
    // piece's transforms; every prototype draws with its piece's array.
    landscape_chunk_piece_u *piece = l->get_chunk(0)->get_piece(0);
    r_parameter_array_t &a = piece->get_packets();
    EXPECT_EQ(a.get(FW_SLOT_CAMERA), ctrl()->get_camera_packet(0));
    EXPECT_EQ(a.get(FW_SLOT_FOG), ctrl()->get_fog_packet());
    EXPECT_EQ(a.get(FW_SLOT_LIGHT), ctrl()->get_light_packet(0));
    EXPECT_EQ(a.get(FW_SLOT_MODEL), l->get_chunk(0)->get_own_packet());
    EXPECT_EQ(a.get(FW_SLOT_TERRAIN_UV), piece->get_uv_packet());
    EXPECT_EQ(l->get_chunk(0)->get_model()->get_proto(0)->parameters, &a);
    EXPECT_EQ(l->get_packets().get(FW_SLOT_CAMERA), ctrl()->get_camera_packet(0));
    EXPECT_NE(l->get_packets().get(FW_SLOT_MODEL), nullptr);
}

TEST_F(landscape_test, layers_and_their_substances) {
    effect_u *terrain = r_effect_get("/effect/fw4/fw_terrain");
    ASSERT_NE(terrain, nullptr);
    const struct {
        std::vector<const char *> textures;  // sampler 0, 1, 2 (null: not set)
        uint32_t count, high, low;
    } cases[] = {
        {{"/t/tex/leaves.tga", "/t/tex/meadow.tga"}, 2, 7, 4},
        {{"/t/tex/meadow.tga", "/t/tex/leaves.tga"}, 2, 7, 4},
        {{"/t/tex/rock.tga"}, 1, 14, 14},
        {{"/t/tex/sand.tga", nullptr, "/t/tex/grass.tga"}, 2, 10, 5},
        {{"/t/tex/meadow.tga", "/t/tex/rock.tga", "/t/tex/leaves.tga"}, 3, 14, 4},
        {{}, 0, 0, 0},
    };
    put_texture_table("/t/tex/leaves: leaves\n/t/tex/meadow: meadow\n/t/tex/rock: rock\n/t/tex/sand: sand\n"
                      "/t/tex/grass: grass\n");
    texture_db_request();
    owner_ptr_t<landscape_chunk_piece_u> p(landscape_chunk_piece_u::create());
    for (const auto &c : cases) {
        material_t m;
        m.effect = terrain;
        const char *samplers[] = {"texture_sampler[0]", "texture_sampler[1]", "texture_sampler[2]"};
        for (size_t k = 0; k < c.textures.size(); ++k)
            if (c.textures[k]) m.textures.append({samplers[k], c.textures[k]});
        p->set_layers(&m);
        EXPECT_EQ(p->get_layer_count(), c.count);
        EXPECT_EQ(p->get_high_substance(), c.high);
        EXPECT_EQ(p->get_low_substance(), c.low);
    }
    // Another effect has no layers.
    material_t water;
    water.effect = r_effect_get("/effect/fw4/fw_water");
    water.textures.append({"texture_sampler[0]", "/t/tex/rock.tga"});
    p->set_layers(&water);
    EXPECT_EQ(p->get_layer_count(), 0u);
    EXPECT_EQ(p->get_high_substance(), 0u);
    texture_db_release();
}

TEST_F(landscape_test, one_texture_table_for_all_chunks) {
    landscape_u *l = load_map(map_slope_text(), "slope");
    ASSERT_EQ(l->get_chunk_count(), 4u);
    EXPECT_EQ(texture_db_use_count(), 4u);
    EXPECT_TRUE(texture_db_exists());
    landscape.reset();
    EXPECT_EQ(texture_db_use_count(), 0u);
    EXPECT_FALSE(texture_db_exists());
}

TEST_F(landscape_test, missing_or_bad_folders_give_no_chunks) {
    message_capture_t log;
    landscape = landscape_u::create();
    landscape->load("/map/none/landscape.lnd", scene);
    EXPECT_TRUE(log.contains("Loading landscape [/map/none/landscape.lnd]"));
    EXPECT_EQ(landscape->get_chunk_count(), 0u);
    landscape->update(0.1f);
    landscape->draw();
    landscape->prepare_region(aabox_t({-1, -1, -1}, {1, 1, 1}), 6);
    landscape_triangle_query_t q;
    EXPECT_FALSE(landscape->query_triangles_box(q, landscape_volume_t::of_point({0, 0, 0}, 1)));
    EXPECT_EQ(landscape->build_projected_mesh({0, 0, 0}, {1, 1, 1}, quat_t()), nullptr);

    // Chunks without model or collision keep their boxes; a piece whose slot the file
    // has no record for takes the identity with a warning.
    mapgen::lnd_file_t f;
    mapgen::lnd_chunk_t bare;
    bare.box_min = {0, 0, 0};
    bare.box_max = {8, 1, 8};
    f.chunks = {bare};
    put_map_file("bare/landscape.lnd", mapgen::lnd_write(f));
    landscape->load("/map/bare/landscape.lnd", scene);
    ASSERT_EQ(landscape->get_chunk_count(), 1u);
    EXPECT_EQ(landscape->get_chunk(0)->get_model(), nullptr);
    EXPECT_EQ(landscape->get_chunk(0)->get_collision(), nullptr);
    EXPECT_EQ(landscape->get_chunk(0)->get_box().max.y, 51.0f);
}

TEST_F(landscape_test, slots_beyond_the_file_take_the_identity) {
    // The slope's chunk files with a landscape file that holds no slot records.
    ASSERT_TRUE(put_map(map_slope_text(), "slope"));
    mapgen::map_source_t source = read_map(map_slope_text(), "slope");
    mapgen::map_build_t build;
    ASSERT_TRUE(mapgen::map_build(source.map, build));
    build.landscape.slot_count = 0;
    put_map_file("slope/landscape.lnd", mapgen::lnd_write(build.landscape));
    message_capture_t log;
    landscape = landscape_u::create();
    landscape->load("/map/slope/landscape.lnd", scene);
    ASSERT_EQ(landscape->get_chunk_count(), 4u);
    const fw4pp_terrain_uv_u *uv = landscape->get_chunk(3)->get_piece(0)->get_uv_packet();
    EXPECT_EQ(uv->columns[1][0], (vec4_t{1, 0, 0, 0}));
    EXPECT_EQ(uv->columns[1][1], (vec4_t{0, 1, 0, 0}));
    EXPECT_TRUE(log.contains("piece 0 uses material slot 0, beyond the file's 0 slots"));
}

}  // namespace
}  // namespace quarn::test
