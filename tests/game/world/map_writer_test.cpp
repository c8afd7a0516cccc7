// The map writer: the landscape file's bytes and chunk names, the description's errors,
// and what the small maps become (chunk grids, heights, winding, texture transforms
// that run on across chunk edges, layer weights, zones, water and its collision).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "game/visuals/models/model_coll_view.h"
#include "game/visuals/models/model_desc_view.h"
#include "game/visuals/models/model_geom_view.h"
#include "map_fixtures.h"
#include "map_terrain.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/material.h"
#include "qrncore/spatial/le_bytes.h"
#include "support/message_capture.h"
#include "zm_writer.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

using namespace mapgen;
namespace le = quarn::le_bytes;

TEST(map_landscape_file, layout) {
    lnd_file_t f;
    lnd_chunk_t a;
    a.box_min = {-1, -2, -3};
    a.box_max = {4, 5, 6};
    a.has_collision = 1;
    a.has_model = 0;
    lnd_slot_t s;
    s.layers[1][0] = 0.25f;
    s.layers[2][2] = 0.5f;
    a.slots = {s, lnd_slot_t{}};
    lnd_chunk_t b;  // fewer slots: filled with identity records
    f.chunks = {a, b};
    const lnd_bytes_t bytes = lnd_write(f);
    ASSERT_EQ(bytes.size(), 16u + 2 * (26 + 2 * 36));
    EXPECT_EQ(le::get_u32(&bytes[0]), 5u);
    EXPECT_EQ(le::get_u32(&bytes[4]), 2u);
    EXPECT_EQ(le::get_u32(&bytes[8]), 2u);
    EXPECT_EQ(le::get_u32(&bytes[12]), 16u);
    EXPECT_EQ(le::get_f32(&bytes[16]), -1.0f);
    EXPECT_EQ(le::get_f32(&bytes[16 + 20]), 6.0f);
    EXPECT_EQ(bytes[16 + 24], 1);
    EXPECT_EQ(bytes[16 + 25], 0);
    // Slot 0, layer 1 scale; layer 2 v offset; the second chunk's first slot.
    EXPECT_EQ(le::get_f32(&bytes[16 + 26 + 12]), 0.25f);
    EXPECT_EQ(le::get_f32(&bytes[16 + 26 + 32]), 0.5f);
    const size_t second = 16 + 26 + 72;
    EXPECT_EQ(le::get_f32(&bytes[second + 26]), 1.0f);
    EXPECT_EQ(le::get_f32(&bytes[second + 26 + 4]), 0.0f);

    // Slot count 0: records of 26 bytes; a table offset of one's own.
    lnd_file_t z;
    z.chunks = {a, b};
    z.slot_count = 0;
    z.table_offset = 40;
    const lnd_bytes_t zb = lnd_write(z);
    EXPECT_EQ(zb.size(), 40u + 2 * 26);
    EXPECT_EQ(le::get_u32(&zb[8]), 0u);
    EXPECT_EQ(le::get_f32(&zb[40 + 26 + 12]), 0.0f);
}

TEST(map_landscape_file, chunk_paths) {
    const struct {
        const char *path;
        uint32_t index;
        const char *extension;
        const char *expected;
    } cases[] = {
        {"a/b/c.lnd", 0, ".zmd", "a/b/c_0000.zmd"},
        {"a/b/c.lnd", 1, ".zmc", "a/b/c_0001.zmc"},
        {"a/b/c.lnd", 10000, ".zmc", "a/b/c_10000.zmc"},
        {"/map/valley/landscape.lnd", 7, ".zmd", "/map/valley/landscape_0007.zmd"},
        {"plain", 3, ".zmd", "plain_0003.zmd"},
        {"a.b/c", 3, ".zmd", "a.b/c_0003.zmd"},
    };
    for (const auto &c : cases) EXPECT_EQ(lnd_chunk_path(c.path, c.index, c.extension), c.expected) << c.path;
}

TEST(map_description, faults_name_file_and_line) {
    const std::string landscape = "def landscape {\n area: \"0 0 16 16\"\n material: \"meadow\"\n";
    const struct {
        std::string text;
        const char *message;
    } cases[] = {
        {"def forest { }\n", "[mapgen] t.def:1: unknown block 'forest'"},
        {"def textures {\n def a {\n file: \"/a.tga\"\n } }\n", "[mapgen] t.def:2: texture 'a' has no 'substance'"},
        {"def textures {\n def a {\n file: \"a.tga\"\n substance: \"rock\" } }\n", "t.def:3: 'file' needs a path"},
        {"def textures {\n def a {\n file: \"/a.tga\"\n substance: \"rock\"\n scale: \"0\" } }\n",
         "t.def:5: 'scale' must be above 0"},
        {"def materials {\n def m {\n layers: \"grass\" } }\n", "t.def:3: no texture 'grass'"},
        {std::string(MAP_TERRAIN) + "def materials { def n { layers: \"grass dirt rock sand\" } }\n",
         "a terrain material needs 1 to 3 'layers'"},
        {std::string(MAP_TERRAIN) + "def materials { def n { kind: \"lava\" } }\n", "'kind' needs terrain or water"},
        {std::string(MAP_TERRAIN) + "def materials { def n { layers: \"rock\" tile: \"1 1\" } }\n",
         "'tile' belongs to water materials"},
        {std::string(MAP_TERRAIN) + "def landscape {\n area: \"0 0 16 16\" }\n", "'landscape' has no 'material'"},
        {std::string(MAP_TERRAIN) + landscape + " material: \"lake\" }\n", "'lake' is not a terrain material"},
        {std::string(MAP_TERRAIN) + landscape + " colour: \"1\" }\n", "unknown key 'colour' in 'landscape'"},
        {std::string(MAP_TERRAIN) + "def landscape {\n area: \"0 0 -16 16\"\n material: \"meadow\" }\n",
         "'area' needs x0 z0 x1 z1 with x1 > x0"},
        {std::string(MAP_TERRAIN) + landscape + " spacing: \"3\" }\n", "the chunk size 16 is not a whole number"},
        {std::string(MAP_TERRAIN) + landscape + " spacing: \"0.01\" }\n", "needs more than 65535 vertices"},
        {std::string(MAP_TERRAIN) + landscape + " chunks: \"0 2\" }\n", "'chunks' needs two whole numbers"},
        {std::string(MAP_TERRAIN) + landscape + " def heights { def h {\n kind: \"dune\" } } }\n",
         "unknown height feature kind \"dune\""},
        {std::string(MAP_TERRAIN) + landscape + " def heights { def h {\n kind: \"hill\"\n radius: \"0\" } } }\n",
         "a hill needs a 'radius'"},
        {std::string(MAP_TERRAIN) + landscape +
             " def heights { def g {\n kind: \"grid\"\n counts: \"2 2\"\n row0: \"1 2\"\n row1: \"1\" } } }\n",
         "t.def:22: 'row1' needs 2 heights, not 1"},
        {std::string(MAP_TERRAIN) + landscape +
             " def heights { def g {\n kind: \"grid\"\n counts: \"2 1\"\n row0: \"1 2\"\n row1: \"1 2\" } } }\n",
         "unknown key 'row1' in grid 'g'"},
        {std::string(MAP_TERRAIN) + landscape + " def heights { def g {\n kind: \"grid\"\n counts: \"2 2\"\n row0: \"1 2\" } } }\n",
         "grid 'g' has no 'row1'"},
        {std::string(MAP_TERRAIN) + landscape + " def layers { def layer3 { } } }\n", "unknown block 'layer3' in 'layers'"},
        {std::string(MAP_TERRAIN) + landscape + " def layers { def layer1 {\n noise: \"1 2\" } } }\n",
         "'noise' needs a seed"},
        {std::string(MAP_TERRAIN) + landscape + " def water { def w {\n area: \"0 0 4 4\"\n material: \"lake\" } } }\n",
         "'w' has no 'level'"},
        {std::string(MAP_TERRAIN) + landscape +
             " def zones { def z {\n area: \"0 0 4 4\"\n material: \"forest\" } } }\n",
         "t.def:20: no material 'forest'"},
    };
    for (const auto &c : cases) {
        message_capture_t log;
        map_source_t source;
        EXPECT_FALSE(map_read_description_text(c.text, "t.def", source)) << c.text;
        EXPECT_TRUE(log.contains(c.message)) << c.text << "\nlogged: "
                                             << (log.entries().empty() ? "" : log.entries().back().text);
    }
}

// Every vertex of the chunk's terrain piece (slot 0), by position.
const zmgen::zm_vertex_t *vertex_at(const map_chunk_t &c, float x, float z) {
    for (const zmgen::zm_vertex_t &v : c.model.geometry.pieces[0].vertices)
        if (v.position.x == x && v.position.z == z) return &v;
    return nullptr;
}

TEST(map_builder, slope_in_four_chunks) {
    const map_source_t source = read_map(map_slope_text(), "slope.def");
    EXPECT_EQ(source.map.name, "slope");
    map_build_t build;
    ASSERT_TRUE(map_build(source.map, build));
    ASSERT_EQ(build.chunks.size(), 4u);
    // Row by row from the lowest z.
    EXPECT_EQ(build.chunks[1].lo, (vec2_t{8, 0}));
    EXPECT_EQ(build.chunks[2].lo, (vec2_t{0, 8}));
    for (const map_chunk_t &c : build.chunks) {
        const zmgen::zm_piece_t &p = c.model.geometry.pieces.at(0);
        EXPECT_EQ(c.model.geometry.pieces.size(), 1u);
        EXPECT_EQ(p.vertices.size(), 9u);
        EXPECT_EQ(p.indices.size(), 2u * 2 * 2 * 3);
        EXPECT_TRUE(p.further);
        for (const zmgen::zm_vertex_t &v : p.vertices) {
            EXPECT_FLOAT_EQ(v.position.y, v.position.x / 4) << v.position.x;
            EXPECT_NEAR(v.normal.x, -0.2425f, 1e-3f);
            EXPECT_EQ(v.uv, (vec2_t{v.position.x - c.lo.x, v.position.z - c.lo.y}));
            // Rock from height 2 on: the further stream's alpha.
            EXPECT_EQ(v.further >> 24, v.position.y >= 2 ? 255u : 0u) << v.position.x;
            EXPECT_EQ(v.color >> 24, 0u);
        }
        for (size_t t = 0; t < p.indices.size(); t += 3) {
            const vec3_t &a = p.vertices[p.indices[t]].position, &b = p.vertices[p.indices[t + 1]].position,
                         &d = p.vertices[p.indices[t + 2]].position;
            EXPECT_GT(cross(b - a, d - a).y, 0.0f);
        }
        EXPECT_EQ(c.record.box_min, (vec3_t{c.lo.x, c.lo.x / 4, c.lo.y}));
        EXPECT_EQ(c.record.box_max, (vec3_t{c.hi.x, c.hi.x / 4, c.hi.y}));
        EXPECT_EQ(c.record.has_model, 1);
        EXPECT_EQ(c.record.has_collision, 1);
        ASSERT_EQ(c.record.slots.size(), 1u);
        EXPECT_EQ(c.model.descriptor.looks.at(0).materials, (std::vector<std::string>{"/material/map/meadow.mat"}));
        EXPECT_EQ(c.model.geometry.parts.size(), 1u);
    }
    // Neighbours agree on their shared edge, and the texture transforms continue:
    // the transformed coordinate at x = 8 is the same from both sides.
    const map_chunk_t &left = build.chunks[0], &right = build.chunks[1];
    for (float z : {0.0f, 4.0f, 8.0f}) {
        const zmgen::zm_vertex_t *a = vertex_at(left, 8, z), *b = vertex_at(right, 8, z);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->position, b->position);
        EXPECT_EQ(a->normal, b->normal);
        for (int layer = 0; layer < 3; ++layer) {
            const float *l = left.record.slots[0].layers[layer], *r = right.record.slots[0].layers[layer];
            EXPECT_EQ(l[0], r[0]);
            const float ul = l[0] * a->uv.x + l[1], ur = r[0] * b->uv.x + r[1];
            EXPECT_NEAR(ul - std::floor(ul), ur - std::floor(ur), 1e-5f) << layer;
        }
    }
    // Scales are 1 / the textures' scales (grass 4, dirt 2, rock 8).
    EXPECT_EQ(right.record.slots[0].layers[0][0], 0.25f);
    EXPECT_EQ(right.record.slots[0].layers[1][0], 0.5f);
    EXPECT_EQ(right.record.slots[0].layers[2][0], 0.125f);
    EXPECT_EQ(right.record.slots[0].layers[2][1], 0.0f);  // frac(8 × 0.125)
    EXPECT_EQ(right.record.slots[0].layers[0][1], 0.0f);
    EXPECT_EQ(build.landscape.chunks.size(), 4u);
}

TEST(map_builder, pond_water_and_its_collision) {
    const map_source_t source = read_map(map_pond_text(), "pond.def");
    map_build_t build;
    ASSERT_TRUE(map_build(source.map, build));
    ASSERT_EQ(build.chunks.size(), 1u);
    const map_chunk_t &c = build.chunks[0];
    ASSERT_EQ(c.model.geometry.pieces.size(), 2u);
    const zmgen::zm_piece_t &water = c.model.geometry.pieces[1];
    EXPECT_EQ(water.material, 1u);
    EXPECT_EQ(c.model.descriptor.looks[0].materials[1], "/material/map/lake.mat");
    ASSERT_FALSE(water.indices.empty());
    for (const zmgen::zm_vertex_t &v : water.vertices) {
        EXPECT_EQ(v.position.y, -1.0f);
        EXPECT_EQ(v.normal, (vec3_t{0, 1, 0}));
        // Water only near the basin (radius 6 around (8, 8)).
        EXPECT_LE(std::fabs(v.position.x - 8), 6.0f);
        EXPECT_LE(std::fabs(v.position.z - 8), 6.0f);
    }
    // Every water cell has a corner below the level.
    for (size_t t = 0; t < water.indices.size(); t += 6) {
        float lowest = 1e9f;
        for (size_t k = t; k < t + 6; ++k) {
            const vec3_t &p = water.vertices[water.indices[k]].position;
            lowest = std::min(lowest, source.map.height_at(p.x, p.z));
        }
        EXPECT_LT(lowest, -1.0f);
    }
    EXPECT_EQ(c.record.box_min.y, source.map.height_at(8, 8));
    EXPECT_EQ(c.record.slots[1].layers[0][0], 1.0f);  // water slots are identity

    // The collision model: terrain mesh (physics material 1), water mesh (16).
    ASSERT_TRUE(c.model.collision.has_value());
    zmgen::bytes_t bytes;
    ASSERT_TRUE(zmgen::zm_write_collision(*c.model.collision, bytes));
    model_coll_view_t view;
    ASSERT_TRUE(view.open(bytes.data(), bytes.size(), "pond.zmc"));
    struct visitor_t : model_coll_visitor_t {
        bool box(const model_coll_prim_t &) override { return false; }
        bool capsule(const model_coll_prim_t &) override { return false; }
        bool sphere(const model_coll_prim_t &) override { return false; }
        bool plane(const model_coll_prim_t &) override { return false; }
        bool mesh(const model_coll_prim_t &p) override {
            materials.push_back(p.material);
            triangles.push_back(p.index_count / 3);
            return true;
        }
        std::vector<uint32_t> materials, triangles;
    } visitor;
    ASSERT_TRUE(view.walk(0, 0, visitor));
    EXPECT_EQ(visitor.materials, (std::vector<uint32_t>{1, 16}));
    EXPECT_EQ(visitor.triangles[0], 8u * 8 * 2);
    EXPECT_EQ(visitor.triangles[1], water.indices.size() / 3);
}

TEST(map_builder, zones_step_and_no_collision) {
    std::string text = map_step_text();
    text.insert(text.rfind('}'), R"(    collision: "no"
    def zones { def cliff { area: "6 0 8 8" material: "bare" } }
)");
    const map_source_t source = read_map(text, "step.def");
    map_build_t build;
    ASSERT_TRUE(map_build(source.map, build));
    ASSERT_EQ(build.chunks.size(), 2u);
    const map_chunk_t &c = build.chunks[0];
    EXPECT_EQ(source.map.height_at(6, 3), 0.0f);
    EXPECT_EQ(source.map.height_at(8, 3), 5.0f);
    // The cliff column (x 6..8) takes "bare": a second slot and piece.
    ASSERT_EQ(c.model.geometry.pieces.size(), 2u);
    EXPECT_EQ(c.model.descriptor.looks[0].materials[1], "/material/map/bare.mat");
    EXPECT_EQ(c.model.geometry.pieces[1].indices.size(), 4u * 2 * 3);
    EXPECT_EQ(c.record.slots[1].layers[0][0], 0.125f);
    EXPECT_EQ(c.record.slots[1].layers[1][0], 1.0f);  // one layer: the rest identity
    EXPECT_FALSE(c.model.collision.has_value());
    EXPECT_EQ(c.record.has_collision, 0);
    EXPECT_EQ(build.chunks[1].model.geometry.pieces.size(), 1u);
    EXPECT_EQ(build.chunks[1].record.box_min.y, 5.0f);
}

// Zones by the face's slope and the centre's height: the step's face (rising 5 over 2)
// is the steep one; the high ground beyond it, and nothing of the face, lies above 4.
TEST(map_builder, zones_by_slope_and_height) {
    std::string text = map_step_text();
    text.insert(text.rfind('}'), R"(    def zones {
        def face { slope: "0.5 1" material: "bare" }
        def top { height: "4" material: "bank" }
    }
)");
    const map_source_t source = read_map(text, "step.def");
    map_build_t build;
    ASSERT_TRUE(map_build(source.map, build));
    const map_chunk_t &low = build.chunks[0], &high = build.chunks[1];
    ASSERT_EQ(low.model.geometry.pieces.size(), 2u);
    EXPECT_EQ(low.model.descriptor.looks[0].materials[1], "/material/map/bare.mat");
    EXPECT_EQ(low.model.geometry.pieces[1].indices.size(), 4u * 2 * 3);
    ASSERT_EQ(high.model.geometry.pieces.size(), 1u);
    EXPECT_EQ(high.model.descriptor.looks[0].materials[0], "/material/map/bank.mat");

    // A round zone holds the ellipse within its area, not the area's corners.
    map_zone_t round;
    round.lo = {0, 0};
    round.hi = {16, 8};
    round.round = true;
    EXPECT_TRUE(round.holds({8, 4}, 0, 0));
    EXPECT_TRUE(round.holds({15.5f, 4}, 0, 0));
    EXPECT_FALSE(round.holds({15, 7.5f}, 0, 0));

    // A zone needs somewhere to be, and a range its least end first.
    for (const auto &c : {std::pair<const char *, const char *>{"def z { material: \"bare\" }", "needs an 'area'"},
                          {"def z { slope: \"0.5 0.2\" material: \"bare\" }", "'slope' needs the least value"},
                          {"def z { round: \"yes\" height: \"1\" material: \"bare\" }", "'round' needs an 'area'"}}) {
        message_capture_t log;
        std::string broken = map_step_text();
        broken.insert(broken.rfind('}'), std::string("def zones { ") + c.first + " }\n");
        map_source_t out;
        EXPECT_FALSE(map_read_description_text(broken, "step.def", out));
        EXPECT_TRUE(log.contains(c.second)) << (log.entries().empty() ? "" : log.entries().back().text);
    }
}

TEST(map_terrain, features_and_weights) {
    map_feature_t flat;
    flat.kind = map_feature_t::FLATTEN;
    flat.centre = {0, 0};
    flat.radius = {10, 10};
    flat.blend = 10;
    flat.height = 3;
    EXPECT_EQ(map_apply_feature(flat, 5, 0, 9), 3.0f);
    EXPECT_EQ(map_apply_feature(flat, 25, 0, 9), 9.0f);
    EXPECT_FLOAT_EQ(map_apply_feature(flat, 15, 0, 9), 6.0f);

    map_feature_t line;
    line.kind = map_feature_t::LINE;
    line.from = {0, 0};
    line.to = {0, 100};
    line.radius = {4, 4};
    line.height = -2;
    EXPECT_EQ(map_apply_feature(line, 0, 50, 1), -1.0f);
    EXPECT_EQ(map_apply_feature(line, 4, 50, 1), 1.0f);
    EXPECT_EQ(map_apply_feature(line, 0, 103, 1), 1.0f - 2.0f * (1 - 9.0f / 16) * (1 - 9.0f / 16));

    map_feature_t ramp;
    ramp.kind = map_feature_t::RAMP;
    ramp.from = {0, 0};
    ramp.to = {10, 0};
    ramp.height = 4;
    EXPECT_EQ(map_apply_feature(ramp, -5, 0, 0), 0.0f);
    EXPECT_EQ(map_apply_feature(ramp, 5, 0, 0), 2.0f);
    EXPECT_EQ(map_apply_feature(ramp, 50, 7, 0), 4.0f);

    // Noise stays within its amplitude and gives the same values every time.
    for (int i = 0; i < 200; ++i) {
        const float n = map_fractal_noise(9, float(i) * 3.7f, float(i) * -1.3f, 20, 4, 0.5f);
        EXPECT_LE(std::fabs(n), 1.0f);
        EXPECT_EQ(n, map_fractal_noise(9, float(i) * 3.7f, float(i) * -1.3f, 20, 4, 0.5f));
    }

    map_layer_rule_t rule;
    rule.slope = {true, 0.2f, 0.4f};
    rule.height = {true, 10, 0};  // descending: full weight at 0 and below
    EXPECT_FLOAT_EQ(map_layer_weight(rule, 0, 0, 20, {0, 1, 0}), 0.0f);
    EXPECT_FLOAT_EQ(map_layer_weight(rule, 0, 0, 20, {0, 0.7f, 0}), 0.5f);
    EXPECT_FLOAT_EQ(map_layer_weight(rule, 0, 0, 2.5f, {0, 1, 0}), 0.75f);
    EXPECT_FLOAT_EQ(map_layer_weight(rule, 0, 0, -3, {0, 0, 1}), 1.0f);
}

TEST(map_writer, materials_and_texture_table) {
    const map_source_t source = read_map(map_pond_text(), "pond.def");
    EXPECT_EQ(map_texture_table(source.map),
              "/t/tex/grass: grass\n/t/tex/dirt: dirt\n/t/tex/rock: rock\n/t/tex/sand: sand\n/t/tex/water: water\n");

    // The material texts read as materials.
    const struct {
        const char *name;
        const char *effect;
        const char *pass;
        uint32_t substance;
        const char *sampler;
        const char *file;
    } cases[] = {
        {"meadow", "/effect/fw4/fw_terrain", "single_3l", 0, "texture_sampler[2]", "/t/tex/rock.tga"},
        {"bank", "/effect/fw4/fw_terrain", "single_2l", 0, "texture_sampler[1]", "/t/tex/dirt.tga"},
        {"lake", "/effect/fw4/fw_water", "default", 16, "normal_sampler", "/procedural/water_noise.tobj"},
    };
    for (const auto &c : cases) {
        const uint32_t index = source.map.find_material(c.name);
        ASSERT_NE(index, MAP_NONE);
        const std::string text = map_material_text(source.map, source.map.materials[index]);
        def_pool_t pool;
        ASSERT_TRUE(pool.read_text(text.data(), text.size(), c.name));
        material_t m;
        ASSERT_TRUE(material_parse(pool, c.name, &m)) << text;
        EXPECT_EQ(m.effect_path, c.effect);
        EXPECT_EQ(m.pass_name, c.pass);
        EXPECT_EQ(m.substance, c.substance);
        EXPECT_STREQ(m.texture_for(c.sampler), c.file) << text;
    }

    // Written files: the same bytes from the same description.
    temp_dir_t one, two;
    ASSERT_TRUE(write_map(map_pond_text(), "pond", one.path()));
    ASSERT_TRUE(write_map(map_pond_text(), "pond", two.path()));
    for (const char *file : {"/map/pond/landscape.lnd", "/map/pond/landscape_0000.zmd", "/map/pond/landscape_0000.zmg",
                             "/map/pond/landscape_0000.zmc", "/material/map/texture.db", "/material/map/lake.mat"}) {
        const std::string a = read_file(one.path() + file);
        EXPECT_FALSE(a.empty()) << file;
        EXPECT_EQ(a, read_file(two.path() + file)) << file;
    }
    // The chunk's descriptor and geometry open with the model readers.
    const std::string zmg = read_file(one.path() + "/map/pond/landscape_0000.zmg");
    const std::string zmd = read_file(one.path() + "/map/pond/landscape_0000.zmd");
    model_geom_view_t geom;
    model_desc_view_t desc;
    ASSERT_TRUE(geom.open(zmg.data(), zmg.size(), "pond.zmg"));
    ASSERT_TRUE(desc.open(zmd.data(), zmd.size(), "pond.zmd"));
    EXPECT_EQ(geom.get_piece_count(), 2u);
    EXPECT_EQ(desc.get_material_count(), 2u);
    EXPECT_NE(geom.get_further(1), nullptr);
}

}  // namespace
}  // namespace quarn::test
