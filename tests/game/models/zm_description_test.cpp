// Model descriptions (tools/zmgen): what a description states reads back through the
// four readers, primitives are wound outwards, and a broken description is refused
// with the file and line of the fault.
#include "zm_description.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <fstream>
#include <sstream>

#include "game/models/model_fixtures.h"
#include "game/visuals/models/model_anim_view.h"
#include "game/visuals/models/model_coll_view.h"
#include "game/visuals/models/model_desc_view.h"
#include "game/visuals/models/model_geom_view.h"
#include "qrncore/math/ypr.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/strings/string_dyn.h"
#include "support/message_capture.h"
#include "support/model_walk.h"
#include "support/test_paths.h"
#include "zm_shapes.h"

namespace quarn {
namespace {

using bytes_t = std::vector<uint8_t>;

uint64_t token(const char *name) {
    uint64_t t = 0;
    EXPECT_TRUE(string_to_token(t, name));
    return t;
}

const char *const description = R"(
def model {
    materials: "skin eyes"
    tangents: "yes"
    further: "yes"
    def bones {
        def root { translation: "0 1 0" }
        def neck { parent: "root" translation: "0 0.5 -0.5" ypr: "0 30 0" }
        def head { parent: "neck" translation: "0 0.2 -0.1" }
    }
    def parts {
        def body {
            def hide { material: "skin" def trunk { shape: "box" size: "1 2 4" position: "0 1 0" } }
        }
        def head {
            bone: "head"
            def face {
                material: "eyes"
                further: "ff102030"
                def ball { shape: "sphere" radius: "0.5" space: "head" segments: "6" rings: "4" }
            }
            def jaw {
                material: "skin"
                def bit {
                    shape: "vertices"
                    positions: "0 0 0, 1 0 0, 0 1 0, 1 1 0"
                    triangles: "0 1 2  2 1 3"
                    colors: "ff000000 ff00ff00 ff0000ff ffffffff"
                    vertex_weights: "root 1 | neck 0.5 head 0.5 | head 1 | head 1"
                }
            }
        }
    }
    def attributes {
        def head { visible: "int 1"  hit: "string skull bone"  weight: "real 2.5" }
    }
    def looks {
        def default { skin: "skin.mat"  eyes: "/material/eyes.mat" }
        def winter { skin: "winter.mat"  eyes: "/material/eyes.mat" }
    }
    def variants {
        def default {}
        def hidden { def head { visible: "0"  weight: "-1.5" } }
    }
    def collision {
        materials: "flesh bone"
        def material_sets {
            def default { flesh: "1"  bone: "2" }
            def frozen { flesh: "3"  bone: "4" }
        }
        def sets {
            def body {
                def trunk { shape: "box" size: "1 2 4" position: "0 1 0" material: "flesh" mass: "0.7" }
                def skull { shape: "sphere" radius: "0.25" space: "head" material: "bone" }
                def leg { shape: "capsule" radius: "0.1" length: "0.8" ypr: "0 90 0" material: "flesh" }
                def ground { shape: "plane" plane: "0 1 0 0" material: "flesh" }
                def rock { shape: "mesh" positions: "0 0 0, 1 0 0, 0 0 -1" triangles: "0 1 2" material: "bone" }
            }
            def none {}
        }
    }
    def animations {
        def idle { tracks: "all" def pose {} }
        def walk {
            loop: "yes"
            frame_time: "0.25"
            move: "0 0 -0.5"
            def a { def neck { ypr: "0 10 0" } }
            def b { duration: "0.5" move: "0 0 -1" def neck { ypr: "0 -10 0" } def head { translation: "0 0.3 -0.1" } }
        }
        def death {
            def a {}
            def b { turn_ypr: "0 0 90" }
            def c {}
        }
    }
}
)";

struct model_files_t {
    explicit model_files_t(const zmgen::zm_model_t &m, const char *dir = "/model/test/")
        : geom(test::write_geometry(m.geometry), (std::string(dir) + "thing.zmg").c_str()),
          desc(test::write_descriptor(m.descriptor), (std::string(dir) + "thing.zmd").c_str()),
          coll(m.collision ? test::write_collision(*m.collision) : bytes_t()) {}
    test::opened_t<model_geom_view_t> geom;
    test::opened_t<model_desc_view_t> desc;
    test::opened_t<model_coll_view_t> coll;
};

TEST(zm_description, reads_back_through_the_readers) {
    zmgen::zm_model_t model;
    ASSERT_TRUE(zmgen::zm_read_description_text(description, "thing.def", model));
    const model_files_t f(model);
    ASSERT_TRUE(f.geom.ok && f.desc.ok && f.coll.ok);
    const model_geom_view_t &g = f.geom.view;
    EXPECT_TRUE(test::walk_model(g));
    EXPECT_TRUE(test::walk_model(f.desc.view));
    EXPECT_TRUE(test::walk_model(f.coll.view));

    // Bones: names, parents, and bind matrices down the chain.
    ASSERT_EQ(g.get_bone_count(), 3u);
    EXPECT_EQ(g.get_bone(2).name, token("head"));
    EXPECT_EQ(g.get_bone_parent(0), 255);
    EXPECT_EQ(g.get_bone_parent(2), 1);
    const mat4_t neck = g.get_bone(1).bind, head = g.get_bone(2).bind;
    EXPECT_NEAR(neck.m[3], 0.0f, 1e-6f);
    EXPECT_NEAR(neck.m[7], 1.5f, 1e-6f);
    EXPECT_NEAR(neck.m[11], -0.5f, 1e-6f);
    quat_t pitch;
    pitch.set(ypr_t(0, 30, 0));
    const vec3_t offset = pitch.rotate({0, 0.2f, -0.1f});
    EXPECT_NEAR(head.m[7], 1.5f + offset.y, 1e-5f);
    EXPECT_NEAR(head.m[11], -0.5f + offset.z, 1e-5f);

    // Parts and pieces.
    ASSERT_EQ(g.get_part_count(), 2u);
    ASSERT_EQ(g.get_piece_count(), 3u);
    EXPECT_EQ(g.find_part("head"), 1);
    EXPECT_EQ(g.get_part_first_piece(1), 1u);
    EXPECT_EQ(g.get_part_piece_count(1), 2u);
    EXPECT_EQ(g.get_material_slot(0), 0u);
    EXPECT_EQ(g.get_material_slot(1), 1u);
    EXPECT_EQ(g.get_material_slot(2), 0u);
    for (uint32_t p = 0; p < 3; ++p) EXPECT_TRUE(g.has_tangents(p) && g.has_further(p));

    // The box: 24 vertices, 12 triangles, its bounds; bound to bone 0 by default.
    EXPECT_EQ(g.get_vertex_count(0), 24u);
    EXPECT_EQ(g.get_index_count(0), 36u);
    EXPECT_EQ(g.get_bounding_box(0).min, (vec3_t{-0.5f, 0, -2}));
    EXPECT_EQ(g.get_bounding_box(0).max, (vec3_t{0.5f, 2, 2}));
    EXPECT_FLOAT_EQ(g.get_bounding_sphere(0).radius, std::sqrt(0.25f + 1 + 4));
    EXPECT_EQ(g.get_skin_group_size(0), 1u);
    EXPECT_EQ(g.get_skin_bones(0)[0], 0);
    EXPECT_EQ(g.get_further(0)[0], 0xFFFFFFFFu);

    // The sphere in the head's space, bound to the head through its part, with the
    // piece's further colour: 5 rings of 7 vertices, 36 triangles.
    EXPECT_EQ(g.get_vertex_count(1), 35u);
    EXPECT_EQ(g.get_index_count(1), 108u);
    const sphere_t ball = g.get_bounding_sphere(1);
    EXPECT_NEAR(ball.center.y, head.m[7], 1e-5f);
    EXPECT_NEAR(ball.center.z, head.m[11], 1e-5f);
    EXPECT_NEAR(ball.radius, 0.5f, 1e-5f);
    EXPECT_EQ(g.get_skin_bones(1)[0], 2);
    EXPECT_EQ(g.get_further(1)[5], 0xFF102030u);

    // The vertex list: colours as given, weights in bytes, one skin group per distinct
    // influence list, vertices in runs of their group.
    EXPECT_EQ(g.get_vertex_count(2), 4u);
    EXPECT_EQ(g.get_colors(2)[1], 0xFF00FF00u);
    EXPECT_EQ(g.get_skin_group_size(2), 2u);
    const uint16_t groups[] = {0, 1, 2, 2};
    EXPECT_EQ(memcmp(g.get_skin_groups(2), groups, sizeof groups), 0);
    const uint8_t bones[] = {0, 0, 1, 2, 2, 0}, weights[] = {255, 0, 128, 128, 255, 0};
    EXPECT_EQ(memcmp(g.get_skin_bones(2), bones, sizeof bones), 0);
    EXPECT_EQ(memcmp(g.get_skin_weights(2), weights, sizeof weights), 0);
    EXPECT_EQ(g.get_normals(2)[0], (vec3_t{0, 0, 1}));  // made from the triangles
    EXPECT_EQ(g.get_tangents(2)[0], (vec4_t{1, 0, 0, 1}));

    // Descriptor: looks, variants, attributes.
    const model_desc_view_t &d = f.desc.view;
    EXPECT_EQ(d.get_material_count(), 2u);
    EXPECT_EQ(d.get_part_count(), 2u);
    EXPECT_EQ(d.get_look_name(1), token("winter"));
    EXPECT_EQ(d.get_variant_name(1), token("hidden"));
    mstring_dyn_t path;
    ASSERT_TRUE(d.get_material_path(1, 0, path));
    EXPECT_STREQ(path.c_str(), "/model/test/winter.mat");
    EXPECT_STREQ(d.get_material_path(0, 1), "/material/eyes.mat");
    uint32_t value = 0;
    EXPECT_TRUE(d.get_attribute(1, "visible", 0, value) && value == 1);
    EXPECT_TRUE(d.get_attribute(1, "visible", 1, value) && value == 0);
    EXPECT_TRUE(d.get_attribute(1, "weight", 0, value) && std::bit_cast<float>(value) == 2.5f);
    EXPECT_TRUE(d.get_attribute(1, "weight", 1, value) && std::bit_cast<float>(value) == -1.5f);
    EXPECT_STREQ(d.get_string_attribute(1, "hit"), "skull bone");
    EXPECT_FALSE(d.get_attribute(0, "visible", 0, value));

    // Collision: both rows, every kind, the sphere placed at the head.
    struct seen_t : model_coll_visitor_t {
        bool box(const model_coll_prim_t &p) override { return all.push_back(p), true; }
        bool capsule(const model_coll_prim_t &p) override { return all.push_back(p), true; }
        bool sphere(const model_coll_prim_t &p) override { return all.push_back(p), true; }
        bool plane(const model_coll_prim_t &p) override { return all.push_back(p), true; }
        bool mesh(const model_coll_prim_t &p) override { return all.push_back(p), true; }
        std::vector<model_coll_prim_t> all;
    } seen;
    const model_coll_view_t &c = f.coll.view;
    EXPECT_EQ(c.get_material_count(), 2u);
    ASSERT_TRUE(c.walk(0, 1, seen));
    ASSERT_EQ(seen.all.size(), 5u);
    EXPECT_EQ(seen.all[0].type, 1u);
    EXPECT_EQ(seen.all[0].material, 3u);
    EXPECT_EQ(seen.all[0].mass, 0.7f);
    EXPECT_EQ(seen.all[0].sizes, (vec3_t{1, 2, 4}));
    EXPECT_EQ(seen.all[1].material, 4u);
    EXPECT_NEAR(seen.all[1].position.y, head.m[7], 1e-5f);
    EXPECT_EQ(seen.all[1].name, token("skull"));
    EXPECT_EQ(seen.all[2].length, 0.8f);
    EXPECT_NEAR(seen.all[2].rotation.w, std::cos(float(M_PI) / 4), 1e-6f);
    EXPECT_EQ(seen.all[3].plane, (vec4_t{0, 1, 0, 0}));
    EXPECT_EQ(seen.all[4].vertex_count, 3u);
    seen.all.clear();
    EXPECT_TRUE(c.walk(1, 0, seen));
    EXPECT_TRUE(seen.all.empty());

    // Animations, each in its own file.
    ASSERT_EQ(model.animations.size(), 3u);
    std::vector<test::opened_t<model_anim_view_t>> anims;
    for (const auto &a : model.animations) anims.emplace_back(test::write_animation(a));
    for (const auto &a : anims) {
        ASSERT_TRUE(a.ok);
        EXPECT_TRUE(test::walk_model(a.view));
    }
    const model_anim_view_t &idle = anims[0].view, &walk = anims[1].view, &death = anims[2].view;
    // A one-frame pose of every bone at rest.
    EXPECT_EQ(idle.get_name(), token("idle"));
    EXPECT_EQ(idle.get_frame_count(), 1u);
    EXPECT_EQ(idle.get_track_count(), 3u);
    EXPECT_EQ(idle.get_flags(), 0);
    EXPECT_EQ(idle.get_length(), 0.1f);
    EXPECT_EQ(idle.get_key(0, 1).translation, (vec3_t{0, 0.5f, -0.5f}));
    // A loop: its last frame repeats the first and lasts as long; the root moves of
    // the frames land one entry on.
    ASSERT_EQ(walk.get_frame_count(), 3u);
    ASSERT_EQ(walk.get_track_count(), 2u);  // the bones the frames name, in bone order
    EXPECT_EQ(walk.get_track_map()[0], 1);
    EXPECT_EQ(walk.get_track_map()[1], 2);
    EXPECT_EQ(memcmp(walk.get_keys(), walk.get_keys() + 2 * 2 * 14, 2 * 56), 0);
    EXPECT_EQ(walk.get_key(0, 1).translation, (vec3_t{0, 0.2f, -0.1f}));  // the head at rest
    EXPECT_EQ(walk.get_key(1, 1).translation, (vec3_t{0, 0.3f, -0.1f}));
    EXPECT_EQ(walk.get_durations()[0], 0.25f);
    EXPECT_EQ(walk.get_durations()[1], 0.5f);
    EXPECT_EQ(walk.get_durations()[2], 0.25f);
    EXPECT_EQ(walk.get_length(), 0.75f);
    EXPECT_EQ(walk.get_flags(), 2);
    EXPECT_EQ(walk.get_root_translation()[0], (vec3_t{0, 0, 0}));
    EXPECT_EQ(walk.get_root_translation()[1], (vec3_t{0, 0, -0.5f}));
    EXPECT_EQ(walk.get_root_translation()[2], (vec3_t{0, 0, -1}));
    // No loop: three frames, a turn from frame 1 to frame 2, no tracks.
    EXPECT_EQ(death.get_frame_count(), 3u);
    EXPECT_EQ(death.get_track_count(), 0u);
    EXPECT_EQ(death.get_flags(), 4);
    EXPECT_FLOAT_EQ(death.get_length(), 0.2f);
    EXPECT_TRUE(death.get_root_rotation()[1].is_identity());
    EXPECT_NEAR(death.get_root_rotation()[2].z, std::sin(float(M_PI) / 4), 1e-6f);
}

// The model's scale multiplies every length: bones, shapes, collision and root moves.
TEST(zm_description, scale_multiplies_lengths) {
    const char *text = R"(
def model {
    scale: "2"
    materials: "a"
    def bones { def root { translation: "0 1 0" } }
    def parts { def body { def p { def s { shape: "box" size: "1 1 1" position: "0 1 0" } } } }
    def looks { def default { a: "a.mat" } }
    def collision {
        materials: "m"
        def material_sets { def default { m: "0" } }
        def sets { def s { def c { shape: "capsule" radius: "0.5" length: "1" position: "1 0 0" } } }
    }
    def animations { def go { move: "0 0 -1" def a { def root { translation: "0 2 0" } } def b {} } }
})";
    zmgen::zm_model_t m;
    ASSERT_TRUE(zmgen::zm_read_description_text(text, "scaled.def", m));
    EXPECT_EQ(m.geometry.bones[0].translation, (vec3_t{0, 2, 0}));
    EXPECT_EQ(zmgen::zm_piece_box(m.geometry.pieces[0]).max, (vec3_t{1, 3, 1}));
    const zmgen::zm_primitive_t &capsule = m.collision->sets[0][0];
    EXPECT_EQ(capsule.radius, 1.0f);
    EXPECT_EQ(capsule.length, 2.0f);
    EXPECT_EQ(capsule.position, (vec3_t{2, 0, 0}));
    EXPECT_EQ(m.animations[0].frames[0].keys[0].translation, (vec3_t{0, 4, 0}));
    EXPECT_EQ(m.animations[0].frames[1].keys[0].translation, (vec3_t{0, 2, 0}));
    EXPECT_EQ(m.animations[0].frames[1].move, (vec3_t{0, 0, -2}));
}

// A shape's "uv" rectangle takes in the texture coordinates it would have had (0..1):
// the quad's corners land on its corners, a rectangle given backwards flips them, and
// the coordinates a vertex list gives are mapped alike.
TEST(zm_description, uv_maps_a_shape_into_its_rectangle) {
    const char *text = R"(
def model {
    materials: "a"
    def parts {
        def body {
            def p {
                def whole { shape: "quad" size: "1 1" }
                def part { shape: "quad" size: "1 1" uv: "0.5 0.25 1 0.5" }
                def flipped { shape: "quad" size: "1 1" uv: "0 1 1 0.5" }
                def listed { shape: "vertices" positions: "0 0 0 1 0 0 0 1 0" uvs: "0 0 1 0 0.5 1" triangles: "0 1 2"
                             uv: "0 0 2 4" }
            }
        }
    }
    def looks { def default { a: "a.mat" } }
})";
    zmgen::zm_model_t m;
    ASSERT_TRUE(zmgen::zm_read_description_text(text, "uv.def", m));
    const std::vector<zmgen::zm_vertex_t> &v = m.geometry.pieces[0].vertices;
    ASSERT_EQ(v.size(), 15u);
    const vec2_t expected[15] = {{0, 1},    {1, 1},     {1, 0},    {0, 0},      // whole: as the quad makes them
                                 {0.5f, 0.5f}, {1, 0.5f}, {1, 0.25f}, {0.5f, 0.25f},  // part
                                 {0, 0.5f}, {1, 0.5f},  {1, 1},    {0, 1},      // flipped: v runs the other way
                                 {0, 0},    {2, 0},     {1, 4}};                 // listed
    for (size_t i = 0; i < 15; ++i) EXPECT_EQ(v[i].uv, expected[i]) << i;
}

// Closed primitives face out: every triangle's cross(v1 - v0, v2 - v0) and every
// normal point away from the shape's centre; a shape marked inside faces in.
TEST(zm_description, primitives_are_wound_outwards) {
    struct shape_t {
        const char *name;
        std::function<void(zmgen::zm_piece_t &, const zmgen::zm_shape_t &)> add;
    };
    const shape_t shapes[] = {
        {"box",
         [](auto &p, auto &s) {
             zmgen::zm_add_box(p, s, {1, 2, 3});
         }},
        {"sphere", [](auto &p, auto &s) { zmgen::zm_add_sphere(p, s, 1, 8, 5); }},
        {"capsule", [](auto &p, auto &s) { zmgen::zm_add_capsule(p, s, 0.5f, 2, 8, 3); }},
        {"cylinder", [](auto &p, auto &s) { zmgen::zm_add_cylinder(p, s, 0.5f, 2, 8); }},
        {"cone", [](auto &p, auto &s) { zmgen::zm_add_frustum(p, s, 0.5f, 0.0f, 2, 8); }},
        {"frustum", [](auto &p, auto &s) { zmgen::zm_add_frustum(p, s, 0.8f, 0.3f, 2, 8); }},
    };
    const vec3_t centre{1, 2, 3};
    for (const shape_t &shape : shapes)
        for (bool inside : {false, true}) {
            SCOPED_TRACE(std::string(shape.name) + (inside ? " inside" : ""));
            zmgen::zm_shape_t s;
            quat_t turn;
            turn.set(ypr_t(30, 40, 50));
            turn.get_matrix(&s.frame);
            s.frame.m[3] = centre.x, s.frame.m[7] = centre.y, s.frame.m[11] = centre.z;
            s.inside = inside;
            zmgen::zm_piece_t p;
            shape.add(p, s);
            ASSERT_EQ(p.indices.size() % 3, 0u);
            const float sign = inside ? -1.0f : 1.0f;
            int wrong = 0;
            for (size_t i = 0; i < p.indices.size(); i += 3) {
                const vec3_t &a = p.vertices[p.indices[i]].position, &b = p.vertices[p.indices[i + 1]].position,
                             &c = p.vertices[p.indices[i + 2]].position;
                const vec3_t n = cross(b - a, c - a);
                wrong += !(sign * dot(n, (a + b + c) / 3.0f - centre) > 0.0f) || length(n) < 1e-6f;
            }
            for (const auto &v : p.vertices) wrong += !(sign * dot(v.normal, v.position - centre) > 0.0f);
            EXPECT_EQ(wrong, 0);
        }
    // The quad faces +z (the camera, which looks along -z).
    zmgen::zm_piece_t quad;
    zmgen::zm_add_quad(quad, {}, {2, 1});
    ASSERT_EQ(quad.indices.size(), 6u);
    const vec3_t n = cross(quad.vertices[quad.indices[1]].position - quad.vertices[quad.indices[0]].position,
                           quad.vertices[quad.indices[2]].position - quad.vertices[quad.indices[0]].position);
    EXPECT_GT(n.z, 0.0f);
    EXPECT_EQ(quad.vertices[0].normal, (vec3_t{0, 0, 1}));
    EXPECT_EQ(zmgen::zm_piece_box(quad).max, (vec3_t{1, 0.5f, 0}));
}

// A cylinder's `top` narrows its high end (scaled with the model); 0 makes a cone whose
// point is one place on the axis.
TEST(zm_description, a_cylinder_narrows_to_its_top) {
    const char *text = R"(def model {
    scale: "2"
    materials: "a"
    def parts { def tree {
        def p { def cone { shape: "cylinder" radius: "1" top: "0" length: "2" segments: "6" } }
        def q { def cut { shape: "cylinder" radius: "1" top: "0.5" length: "2" segments: "6" } }
    } }
    def looks { def default { a: "a.mat" } }
})";
    zmgen::zm_model_t m;
    ASSERT_TRUE(zmgen::zm_read_description_text(text, "cone.def", m));
    ASSERT_EQ(m.geometry.pieces.size(), 2u);
    for (const zmgen::zm_vertex_t &v : m.geometry.pieces[0].vertices) {
        if (v.position.z > 1.99f) {
            EXPECT_LT(std::hypot(v.position.x, v.position.y), 1e-5f);
        }
    }
    EXPECT_EQ(zmgen::zm_piece_box(m.geometry.pieces[0]).max.z, 2.0f);
    float top = 0.0f;
    for (const zmgen::zm_vertex_t &v : m.geometry.pieces[1].vertices)
        if (v.position.z > 1.99f) top = std::fmax(top, std::hypot(v.position.x, v.position.y));
    EXPECT_NEAR(top, 1.0f, 1e-5f);
    EXPECT_NEAR(zmgen::zm_piece_box(m.geometry.pieces[1]).max.x, 2.0f, 1e-5f);
}

// The example of docs/formats/model-description.md builds.
TEST(zm_description, documented_example_builds) {
    std::ifstream doc(test::test_source_dir() + "/docs/formats/model-description.md");
    std::stringstream text;
    text << doc.rdbuf();
    const std::string all = text.str();
    const size_t start = all.find("```\ndef model");
    ASSERT_NE(start, std::string::npos);
    const size_t end = all.find("```", start + 3);
    zmgen::zm_model_t m;
    ASSERT_TRUE(zmgen::zm_read_description_text(all.substr(start + 4, end - start - 4), "example.def", m));
    EXPECT_EQ(m.geometry.bones.size(), 2u);
    EXPECT_EQ(m.descriptor.variants.size(), 2u);
    ASSERT_EQ(m.animations.size(), 1u);
    EXPECT_EQ(m.animations[0].frames.size(), 3u);
}

// A broken description is refused with "[zmgen] file:line: what is wrong".
TEST(zm_description, refuses_broken_descriptions) {
    // Line 1 is "def model {"; slot, bones, piece and looks take one line each.
    const std::string slot = "materials: \"a\"\n";
    const std::string bones = "def bones { def root {} def tip { parent: \"root\" } }\n";
    const std::string piece = "def parts { def body { def p { def s { shape: \"box\" size: \"1 1 1\" } } } }\n";
    const std::string looks = "def looks { def default { a: \"a.mat\" } }\n";
    auto model = [](const std::string &inside) { return "def model {\n" + inside + "}\n"; };
    auto shape = [](const std::string &keys) { return "def parts { def b { def p { def s { " + keys + " } } } }\n"; };
    struct case_t {
        const char *name;
        std::string text;
        const char *error;
    };
    const case_t cases[] = {
        {"no model block", "def other {}\n", "[zmgen] bad.def:1: unknown block 'other'"},
        {"unknown key", model(slot + "colour: \"red\"\n"), "[zmgen] bad.def:3: unknown key 'colour' in 'model'"},
        {"unknown block", model("def bone {}\n"), "bad.def:2: unknown block 'bone' in 'model'"},
        {"parent given later", model("def bones { def a { parent: \"b\" } def b {} }\n"),
         "bad.def:2: the parent 'b' is not a bone given before 'a'"},
        {"bone name not a token", model("def bones { def a_very_long_bone {} }\n"),
         "bad.def:2: the bone name 'a_very_long_bone' makes no name token"},
        {"two bones of one token", model("def bones { def Root {} def root {} }\n"), "bone 'root' is named twice"},
        {"unknown shape", model(slot + shape("shape: \"cone\"")), "bad.def:3: unknown shape 'cone'"},
        {"shape key of another kind", model(slot + shape("shape: \"box\" radius: \"1\"")),
         "bad.def:3: unknown key 'radius' for a box"},
        {"box without a size", model(slot + shape("shape: \"box\"")), "a box needs 'size'"},
        {"zero radius", model(slot + shape("shape: \"sphere\" radius: \"0\"")), "'radius' must be above 0"},
        {"texture rectangle of three numbers", model(slot + shape("shape: \"quad\" size: \"1 1\" uv: \"0 0 1\"")),
         "bad.def:3: 'uv' needs 4 numbers"},
        {"negative top", model(slot + shape("shape: \"cylinder\" radius: \"1\" length: \"1\" top: \"-1\"")),
         "'top' must not be below 0"},
        {"material not a slot", model(slot + "def parts { def b { def p { material: \"z\" } } }\n"),
         "bad.def:3: 'z' is not one of the material slots"},
        {"look missing a slot", model(slot + piece + "def looks { def default {} }\n"),
         "bad.def:4: look 'default' gives no path for slot 'a'"},
        {"no looks", model(slot + piece), "no \"looks\" block"},
        {"bone of a model without bones",
         model(slot + "def parts { def b { bone: \"x\" def p { def s { shape: \"box\" size: \"1 1 1\" } } } }\n"),
         "bad.def:3: the model has no bones to bind to"},
        {"unknown bone",
         model(slot + bones +
               "def parts { def b { bone: \"x\" def p { def s { shape: \"box\" size: \"1 1 1\" } } } }\n"),
         "bad.def:4: 'x' is not a bone of the model"},
        {"zero weight",
         model(slot + bones +
               "def parts { def b { weights: \"root 1 tip 0.001\" def p { def s { shape: \"box\" size: \"1 1 1\" } } } "
               "}\n"),
         "the weight of bone 'tip' is 0"},
        {"triangle past the vertices",
         model(slot + shape("shape: \"vertices\" positions: \"0 0 0 1 0 0 0 1 0\" triangles: \"0 1 3\"")),
         "'3' is not a vertex number below 3"},
        {"number that is not one", model("def bones { def a { translation: \"0 x 0\" } }\n"),
         "bad.def:2: 'x' is not a number"},
        {"not a unit quaternion", model("def bones { def a { rotation: \"1 1 0 0\" } }\n"),
         "'rotation' is not a unit quaternion"},
        {"string attribute set per variant",
         model(slot + piece + looks + "def attributes { def body { s: \"string x\" } }\n" +
               "def variants { def v { def body { s: \"y\" } } }\n"),
         "bad.def:6: string attributes are the same for every variant"},
        {"undeclared attribute",
         model(slot + piece + looks + "def variants { def v { def body { hidden: \"1\" } } }\n"),
         "part 'body' declares no attribute 'hidden'"},
        {"attribute of no part", model(slot + piece + looks + "def attributes { def legs { visible: \"int 1\" } }\n"),
         "'legs' is not a part of the model"},
        {"bad attribute type", model(slot + piece + looks + "def attributes { def body { visible: \"bool 1\" } }\n"),
         "'bool' is no attribute type"},
        {"physics material above 31",
         model("def collision { materials: \"m\" def material_sets { def d { m: \"32\" } } }\n"),
         "bad.def:2: 'm' needs a whole number from 0 to 31"},
        {"row without a material",
         model("def collision { materials: \"m n\" def material_sets { def d { m: \"1\" } } }\n"),
         "material set 'd' gives no physics material for 'n'"},
        {"primitive of an unknown material",
         model("def collision { materials: \"m\" def material_sets { def d { m: \"1\" } }\n"
               "def sets { def s { def p { shape: \"sphere\" radius: \"1\" material: \"q\" } } } }\n"),
         "bad.def:3: 'q' is not a collision material"},
        {"frame bone not tracked",
         model(bones + "def animations { def a { tracks: \"root\" def f { def tip {} } } }\n"),
         "bone 'tip' is not among the tracks of 'a'"},
        {"frame of no time", model(bones + "def animations { def a { def f { duration: \"0\" } } }\n"),
         "bad.def:3: 'duration' must be above 0"},
        {"animation without frames", model("def animations { def a {} }\n"), "animation 'a' has no frames"},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        test::message_capture_t capture;
        zmgen::zm_model_t m;
        EXPECT_FALSE(zmgen::zm_read_description_text(c.text, "bad.def", m));
        EXPECT_TRUE(capture.contains(c.error)) << (capture.entries().empty() ? "" : capture.entries()[0].text);
    }
}

}  // namespace
}  // namespace quarn
