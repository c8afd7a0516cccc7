// The generic effect "dry": what its flags bind on each render path and where they
// queue, its matrices, fog colours, planar texture coordinates and render state.
#include <gtest/gtest.h>

#include <string>

#include "outside/qrnshared/effect_registry.h"
#include "qrncore/math/matrix.h"
#include "shader_fixture.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

using dry_effect = shader_fixture_t;

TEST_F(dry_effect, flags_and_path_choose_queue_and_inputs) {
    const struct {
        uint32_t flags;
        gfx_path_t path;
        int32_t queue;
        const char *inputs;
    } cases[] = {
        {0x0, 14, 0, "v.position | transform.mvp_matrix |  | "},
        {0x3, 14, 0, "v.position v.color v.tex_coord_0 | transform.mvp_matrix |  | texture"},
        {0x3, 1, 0, "v.position v.color v.tex_coord_0 | transform.p_matrix transform.mv_matrix |  | texture"},
        {0x12, 14, 0, "v.position v.tex_coord_0 | transform.mvp_matrix transform.mv_matrix | fog_color | texture"},
        {0x12, 8, 0, "v.position v.tex_coord_0 | transform.mvp_matrix transform.mv_matrix | fog_color | texture"},
        {0x12, 6, 0, "v.position v.tex_coord_0 | transform.p_matrix transform.mv_matrix |  | texture"},
        {0x32, 14, 0, "v.position v.tex_coord_0 | transform.mvp_matrix transform.mv_matrix | fog_color | texture"},
        {0x1002, 14, 0, "v.position | transform.mvp_matrix texgen_0.gen_x texgen_0.gen_y |  | texture"},
        {0x2002, 14, 0, "v.position | transform.mvp_matrix transform.mv_matrix texgen_0.gen_matrix |  | texture"},
        {0x2002, 3, 0, "v.position | transform.p_matrix transform.mv_matrix texgen_0.gen_matrix |  | texture"},
        {0x100, 14, 1, "v.position | transform.mvp_matrix |  | "},
        {0x10000, 14, 6, "v.position | transform.mvp_matrix |  | "},
        {0x10000 | (3u << 20), 14, 7, "v.position | transform.mvp_matrix |  | "},
        {0x10000 | (4u << 20), 14, 8, "v.position | transform.mvp_matrix |  | "},
        {0x10100, 14, 2, "v.position | transform.mvp_matrix |  | "},
        {0x10100 | (3u << 20), 14, 3, "v.position | transform.mvp_matrix |  | "},
        {0x10100 | (4u << 20), 14, 4, "v.position | transform.mvp_matrix |  | "},
        {0x10100 | (5u << 20), 14, 2, "v.position | transform.mvp_matrix |  | "},
    };
    test_packets_t packets;
    int n = 0;
    for (const auto &c : cases) {
        r_effect_set_path(c.path);
        c_item_t *m = dry("case" + std::to_string(n++) + ".mat", c.flags);
        const r_draw_record_t &r = draw_one(m, packets);
        EXPECT_EQ(r.queue, c.queue) << std::hex << c.flags << " on " << std::dec << c.path;
        EXPECT_EQ(bindings_of(r), c.inputs) << std::hex << c.flags << " on " << std::dec << c.path;
        EXPECT_EQ(r.effect, "dry");
    }
    // The fog colour comes from the fog packet in mode 0 and from the pass otherwise.
    r_effect_set_path(14);
    EXPECT_EQ(draw_one(dry("fog0.mat", 0x10), packets).find("fog_color")->slot, int32_t(FW_SLOT_FOG));
    EXPECT_EQ(draw_one(dry("fog2.mat", 0x30), packets).find("fog_color")->slot, -1);
}

TEST_F(dry_effect, only_the_default_pass) {
    owner_ptr_t<dry_u> effect(dry_u::create());
    owner_ptr_t<effect_pass_u> pass(effect->create_pass("default"));
    ASSERT_TRUE(pass);
    EXPECT_TRUE(pass->is_kind_of(dry_pass_u::unit_descriptor));
    EXPECT_FALSE(effect->create_pass("shiny"));
    EXPECT_FALSE(effect->create_pass(nullptr));
}

TEST_F(dry_effect, model_view_and_projection_from_the_packets) {
    test_packets_t packets;
    packets.camera->set_placement(placement_t({10, 0, 0}, quat_t()));
    packets.camera->projection = mat4_t::identity();
    packets.camera->projection.at(0, 0) = 2.0f;
    packets.camera->projection.at(3, 2) = -1.0f;
    packets.model->set_matrix_and_inverse(placement_scale_t({0, 5, 0}, 1.0f, quat_t()));

    const r_draw_record_t &r = draw_one(dry("mv.mat", DRY_FOG), packets);
    const float *mv = r.value("transform.mv_matrix");
    const float *mvp = r.value("transform.mvp_matrix");
    ASSERT_TRUE(mv && mvp);
    // The model moves up by 5, the view takes the camera's 10 along x off.
    EXPECT_EQ(mv[3], -10.0f);
    EXPECT_EQ(mv[7], 5.0f);
    EXPECT_EQ(mv[0], 1.0f);
    mat4_t expected;
    mult_matrix_matrix(&expected, packets.model->matrix, packets.camera->view);
    mult_matrix_matrix(&expected, expected, packets.camera->projection);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(mvp[i], expected.m[i]) << i;
    EXPECT_EQ(mvp[3], -20.0f) << "the projection scales x by 2 after the view";
    EXPECT_EQ(mvp[14], -1.0f);

    // An empty model slot draws the object untransformed.
    packets.array.set(FW_SLOT_MODEL, nullptr);
    EXPECT_EQ(draw_one(dry("mv2.mat", DRY_FOG), packets).value("transform.mv_matrix")[7], 0.0f);
}

TEST_F(dry_effect, fog_colour_modes) {
    test_packets_t packets;
    packets.fog->colour = {0.1f, 0.2f, 0.3f, 0.8f};
    dry_set_fog_colour({0.5f, 0.625f, 0.75f});
    const struct {
        uint32_t mode;
        vec4_t colour;
    } cases[] = {
        {0x00, {0.1f, 0.2f, 0.3f, 0.8f}},
        {0x20, {0.5f, 0.625f, 0.75f, 0.8f}},
        {0x40, {0.5f, 0.625f, 0.75f, 0.8f * 0.75f}},
        {0x60, {0.5f, 0.625f, 0.75f, 0.8f * 0.25f}},
    };
    int n = 0;
    for (const auto &c : cases) {
        // Programmable: the fragment uniform.
        r_effect_set_path(14);
        const float *v = draw_one(dry("p" + std::to_string(n) + ".mat", DRY_FOG | c.mode), packets).value("fog_color");
        ASSERT_NE(v, nullptr);
        EXPECT_EQ((vec4_t{v[0], v[1], v[2], v[3]}), c.colour) << c.mode;
        // Fixed fog: the context's fog.
        r_effect_set_path(6);
        const r_draw_record_t &r = draw_one(dry("f" + std::to_string(n++) + ".mat", DRY_FOG | c.mode), packets);
        EXPECT_EQ(r.find("fog_color"), nullptr);
        char line[128];
        snprintf(line, sizeof line, "fog 2 (%g %g %g %g)", double(c.colour.x), double(c.colour.y), double(c.colour.z),
                 double(c.colour.w));
        EXPECT_TRUE(r.has_state(line)) << line;
    }
    EXPECT_TRUE(draw_one(dry("nofog.mat", 0), packets).has_state("fog off"));
    r_effect_set_path(14);
    EXPECT_TRUE(draw_one(dry("nofog14.mat", 0), packets).states.is_empty()) << "programmable fog sets no state";
}

TEST_F(dry_effect, planar_texture_coordinates_stay_small_near_the_camera) {
    test_packets_t packets;
    packets.camera->set_placement(placement_t({1234.5f, 0, -77}, quat_t()));
    c_item_t *m = material("planar.mat", "/effect/generic/dry", "    flags: \"0x1002\"\n    tile: \"4 4\"\n");
    const r_draw_record_t &r = draw_one(m, packets);
    const float *x = r.value("texgen_0.gen_x"), *y = r.value("texgen_0.gen_y");
    ASSERT_TRUE(x && y);
    EXPECT_EQ((vec4_t{x[0], x[1], x[2], x[3]}), (vec4_t{0.25f, 0, 0, -308.0f}));
    // fmod keeps the sign: -77 - fmod(-77, 4) = -76.
    EXPECT_EQ((vec4_t{y[0], y[1], y[2], y[3]}), (vec4_t{0, 0, 0.25f, 19.0f}));
    // The texture the material names for the sampler.
    EXPECT_EQ(r.find("texture")->texture, "");
}

TEST_F(dry_effect, projected_texture_and_extra_render_state) {
    test_packets_t packets;
    packets.projection->gen_matrix.at(0, 3) = 3.0f;
    packets.array.set(FW_SLOT_LIGHT, packets.projection.get());
    c_item_t *m = material("proj.mat", "/effect/generic/dry",
                           "    flags: \"0x22002\"\n"
                           "    def textures { texture: \"/texture/shadow.tga\" }\n"
                           "    def render_state { blend: \"add\" depth_write: \"off\" }\n");
    const r_draw_record_t &r = draw_one(m, packets);
    EXPECT_EQ(r.value("texgen_0.gen_matrix")[3], 3.0f);
    EXPECT_EQ(r.find("texture")->texture, "/texture/shadow.tga");
    ASSERT_EQ(r.states.get_count(), 2u);
    EXPECT_EQ(r.states[0], "render_state blend=add");
    EXPECT_EQ(r.states[1], "render_state depth_write=off");
    // Without the projection packet: the identity.
    packets.array.set(FW_SLOT_LIGHT, packets.light.get());
    const r_draw_record_t &absent = draw_one(m, packets);
    EXPECT_TRUE(absent.find("texgen_0.gen_matrix")->absent);
    EXPECT_EQ(absent.value("texgen_0.gen_matrix")[3], 0.0f);
    EXPECT_EQ(absent.value("texgen_0.gen_matrix")[0], 1.0f);
}

}  // namespace
}  // namespace quarn::test
