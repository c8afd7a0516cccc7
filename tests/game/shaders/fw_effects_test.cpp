// The game's effect family "/effect/fw4": which pass each name gives and where it
// queues, what each pass binds on each render path, and the values it computes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "game/visuals/shaders/fw_families.h"
#include "kernel/memory/m_server.h"
#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/r_queue.h"
#include "qrncore/math/matrix.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_load.h"
#include "shader_fixture.h"
#include "embedded_archive.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/system/auto_ptr.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

using fw_effects = shader_fixture_t;

std::string pass_line(const char *pass) { return std::string("    pass: \"") + pass + "\"\n"; }

TEST_F(fw_effects, every_family_answers_its_pass_names) {
    const struct {
        const char *effect;
        const char *pass;
        const char *pass_class;  // null: no such pass
        int32_t queue;
    } cases[] = {
        {"fw_dif", "default", "fw_dif_pass", 0},
        {"fw_dif", "no_env", nullptr, 0},
        {"fw_dif_spec", "default", "fw_dif_spec_pass", 0},
        {"fw_dif_spec_env", "default", "fw_dif_spec_env_pass", 0},
        {"fw_dif_spec_env", "no_env", "fw_dif_spec_no_env_pass", 0},
        {"fw_dif_opac", "default", "fw_dif_opac_pass", 6},
        {"fw_dif_opac", "tm0", "fw_dif_opac_tm0_pass", 6},
        {"fw_dif_opac_attn", "default", "fw_dif_opac_attn_pass", 6},
        {"fw_dif_nm", "default", "fw_dif_nm_pass", 0},
        {"fw_dif_nm_offs", "default", "fw_dif_nm_offs_pass", 0},
        {"fw_dif_spec_nm", "default", "fw_dif_spec_nm_pass", 0},
        {"fw_dif_spec_nm_offs", "default", "fw_dif_spec_nm_offs_pass", 0},
        {"fw_dif_spec_nm_env", "default", "fw_dif_spec_nm_env_pass", 0},
        {"fw_dif_spec_nm_env", "no_env", nullptr, 0},
        {"fw_dif_spec_nm_offs_env", "default", "fw_dif_spec_nm_offs_env_pass", 0},
        {"fw_dif_spec_nm_offs_env", "no_env", "fw_dif_spec_nm_offs_no_env_pass", 0},
        {"fw_untextured", "default", "fw_untextured_pass", 0},
        {"fw_terrain", "single_1l", "fw_terrain_single_1l_pass", 0},
        {"fw_terrain", "single_2l", "fw_terrain_single_2l_pass", 0},
        {"fw_terrain", "single_3l", "fw_terrain_single_3l_pass", 0},
        {"fw_terrain", "multi_1p", "fw_terrain_multi_1p_pass", 0},
        {"fw_terrain", "multi_2p", "fw_terrain_multi_2p_pass", 0},
        {"fw_terrain", "multi_3p", "fw_terrain_multi_3p_pass", 0},
        {"fw_terrain", "default", nullptr, 0},
        {"fw_water", "default", "fw_water_pass", 6},
        {"fw_water", "tm0", nullptr, 0},
    };
    int n = 0;
    for (const auto &c : cases) {
        c_item_t *m = material("f" + std::to_string(n++) + ".mat", std::string("/effect/fw4/") + c.effect, pass_line(c.pass));
        ASSERT_NE(m, nullptr) << c.effect;
        effect_pass_u *pass = pass_of(m);
        if (!c.pass_class) {
            EXPECT_EQ(pass, nullptr) << c.effect << " " << c.pass;
            continue;
        }
        ASSERT_NE(pass, nullptr) << c.effect << " " << c.pass;
        EXPECT_EQ(*pass->get_descriptor()->class_name, c.pass_class);
        EXPECT_EQ(pass->config.queue, shaderlib_get_queue(uint32_t(c.queue))) << c.effect << " " << c.pass;
        EXPECT_EQ(*pass->get_effect()->get_descriptor()->class_name, c.effect);
    }
}

TEST_F(fw_effects, bindings_follow_the_render_path) {
    const struct {
        const char *effect;
        const char *pass;
        gfx_path_t path;
        const char *inputs;
    } cases[] = {
        {"fw_dif", "default", 14,
         "v.position v.normal v.color v.texcoord v.tangent | transform.mv transform.mvp transform.mv_inv es_light_direction | "
         "light.ambient light.diffuse light.specular fog_color | normcube texture_sampler"},
        {"fw_dif", "default", 8,
         "v.position v.normal v.color v.texcoord v.tangent | transform.mv transform.mvp transform.mv_inv es_light_direction | "
         "light.ambient light.diffuse light.specular fog_color | normcube texture_sampler"},
        {"fw_dif", "default", 1, "v.position v.normal v.color v.texcoord | transform.mv transform.p |  | texture_sampler"},
        {"fw_dif_spec_env", "default", 1, "v.position v.normal v.color v.texcoord | transform.mv transform.p |  | texture_sampler"},
        {"fw_dif_spec_env", "default", 3,
         "v.position v.normal v.color v.texcoord | transform.mv transform.p transform.v_rot_inv | environment_factor | "
         "reflection_sampler texture_sampler"},
        {"fw_dif_spec_env", "default", 14,
         "v.position v.normal v.color v.texcoord v.tangent | transform.mv transform.mvp transform.mv_inv es_light_direction "
         "transform.v_rot_inv | light.ambient light.diffuse light.specular environment_factor fog_color | normcube "
         "reflection_sampler texture_sampler"},
        {"fw_dif_spec_env", "no_env", 14,
         "v.position v.normal v.color v.texcoord v.tangent | transform.mv transform.mvp transform.mv_inv es_light_direction | "
         "light.ambient light.diffuse light.specular fog_color | normcube texture_sampler"},
        {"fw_dif_nm", "default", 14,
         "v.position v.normal v.color v.texcoord v.tangent | transform.mv transform.mvp transform.mv_inv es_light_direction | "
         "light.ambient light.diffuse light.specular fog_color | normcube normal_sampler texture_sampler"},
        {"fw_dif_nm", "default", 6, "v.position v.normal v.color v.texcoord | transform.mv transform.p |  | texture_sampler"},
        {"fw_dif_spec_nm_offs_env", "default", 8,
         "v.position v.normal v.color v.texcoord v.tangent | transform.mv transform.mvp transform.mv_inv es_light_direction "
         "transform.v_rot_inv | light.ambient light.diffuse light.specular environment_factor fog_color | normcube "
         "reflection_sampler normal_sampler texture_sampler"},
        {"fw_dif_opac", "tm0", 14,
         "v.position v.normal v.color v.texcoord v.tangent | transform.mv transform.mvp transform.mv_inv es_light_direction "
         "tmatrix | light.ambient light.diffuse light.specular fog_color | normcube texture_sampler"},
        {"fw_untextured", "default", 14,
         "v.position v.normal v.color v.tangent | transform.mv transform.mvp transform.mv_inv es_light_direction | "
         "light.ambient light.diffuse light.specular fog_color | normcube"},
        {"fw_dif_opac_attn", "default", 14,
         "v.position v.normal v.color v.texcoord v.tangent | transform.mv transform.mvp transform.mv_inv es_light_direction "
         "es_attenuation_texgen.s es_attenuation_texgen.t | light.ambient light.diffuse light.specular fog_color | "
         "normcube texture attenuation"},
        {"fw_water", "default", 14,
         "v.position v.normal v.color v.texcoord v.tangent | transform.mv transform.mvp es_light_direction light.ambient "
         "light.diffuse light.specular water.ws_eye_position water.water_color water.tex_coord_0_matrix_u "
         "water.tex_coord_0_matrix_v | fog_color base_opacity reflection_factor | normal_sampler reflection_sampler normcube"},
        {"fw_water", "default", 8,
         "v.position v.normal v.color v.texcoord v.tangent | transform.mv transform.mvp es_light_direction light.ambient "
         "light.diffuse light.specular water.ws_eye_position water.water_color water.tex_coord_0_matrix_u "
         "water.tex_coord_0_matrix_v | fog_color base_opacity reflection_factor | normal_sampler reflection_sampler"},
        {"fw_water", "default", 1,
         "v.position v.normal v.color v.texcoord | transform.mv transform.p water.ws_eye_position water.water_color "
         "water.tex_coord_0_matrix_u water.tex_coord_0_matrix_v | base_opacity reflection_factor | texture_sampler"},
        {"fw_water", "default", 6,
         "v.position v.normal v.color v.texcoord | transform.mv transform.p water.ws_eye_position water.water_color "
         "water.tex_coord_0_matrix_u water.tex_coord_0_matrix_v water.tex_coord_0_matrix water.fresnel_matrix | "
         "base_opacity reflection_factor | texture_sampler fresnel_sampler"},
        {"fw_terrain", "single_3l", 14,
         "v.position v.normal v.texcoord v.color0 v.color1 v.tangent | transform.mv transform.mvp transform.mv_inv "
         "es_light_direction layer_transform[0].column[0] layer_transform[0].column[1] layer_transform[1].column[0] "
         "layer_transform[1].column[1] layer_transform[2].column[0] layer_transform[2].column[1] | light.ambient "
         "light.diffuse light.specular fog_color | normcube texture_sampler[0] normal_sampler[0] texture_sampler[1] "
         "normal_sampler[1] texture_sampler[2] normal_sampler[2]"},
        {"fw_terrain", "multi_2p", 1,
         "v.position v.normal v.texcoord v.color0 | transform.mv transform.p layer_transform[0] |  | texture_sampler[0] "
         "normal_sampler[0]"},
    };
    test_packets_t packets;
    int n = 0;
    for (const auto &c : cases) {
        r_effect_set_path(c.path);
        c_item_t *m = material("b" + std::to_string(n++) + ".mat", std::string("/effect/fw4/") + c.effect, pass_line(c.pass));
        const r_draw_record_t &r = draw_one(m, packets);
        EXPECT_EQ(bindings_of(r), c.inputs) << c.effect << " " << c.pass << " on " << c.path;
    }
}

TEST_F(fw_effects, terrain_colour_slots) {
    const struct {
        const char *pass;
        uint32_t flags;
        int32_t slot;
    } cases[] = {
        {"single_1l", 0, 3}, {"single_1l", FW_TERRAIN_ALT_COLOUR, 4}, {"single_2l", FW_TERRAIN_ALT_COLOUR, 3},
        {"multi_3p", FW_TERRAIN_ALT_COLOUR, 4}, {"single_3l", FW_TERRAIN_ALT_COLOUR, 3},
    };
    test_packets_t packets;
    int n = 0;
    for (const auto &c : cases) {
        c_item_t *m = material("t" + std::to_string(n++) + ".mat", "/effect/fw4/fw_terrain",
                               pass_line(c.pass) + "    flags: \"" + std::to_string(c.flags) + "\"\n");
        EXPECT_EQ(draw_one(m, packets).find("v.color0")->slot, c.slot) << c.pass << " " << c.flags;
    }
}

vec4_t uniform(const r_draw_record_t &r, const char *name) {
    const float *v = r.value(name);
    EXPECT_NE(v, nullptr) << name;
    return v ? vec4_t{v[0], v[1], v[2], r.find(name)->value_count > 3 ? v[3] : 0.0f} : vec4_t{};
}

TEST_F(fw_effects, light_products) {
    test_packets_t packets;
    packets.light->ambient = {0.25f, 0.5f, 0.75f, 1};
    packets.light->diffuse = {1, 0.5f, 0.25f, 1};
    packets.light->specular = {0.5f, 0.25f, 1, 1};
    packets.light->es_direction = {0, -1, 0, 0};
    packets.modulator->modulator = {0.5f, 1, 2, 1};
    const std::string values = "    ambient: \"0.5 0.5 0.5 1\"\n    diffuse: \"1 0.75 0.5 1\"\n"
                               "    specular: \"0.25 0.5 1 1\"\n    specular_exponent: \"16\"\n";
    const vec4_t mat_ambient{0.5f, 0.5f, 0.5f, 1}, mat_diffuse{1, 0.75f, 0.5f, 1}, mat_specular{0.25f, 0.5f, 1, 1};
    int n = 0;
    for (bool modulated : {false, true}) {
        packets.array.set(FW_SLOT_LIGHT_MODULATOR, modulated ? packets.modulator.get() : nullptr);
        const vec4_t m = modulated ? packets.modulator->modulator : vec4_t{1, 1, 1, 1};
        for (gfx_path_t path : {14, 8}) {
            r_effect_set_path(path);
            const r_draw_record_t &r = draw_one(material("l" + std::to_string(n++) + ".mat", "/effect/fw4/fw_dif", values), packets);
            const vec4_t scale = path == 8 ? FW_PATH8_LIGHT_SCALE : vec4_t{1, 1, 1, 1};
            vec4_t specular = mul(mat_specular, packets.light->specular);
            specular.w = 16;
            EXPECT_EQ(uniform(r, "light.ambient"), mul(mul(mul(mat_ambient, packets.light->ambient), m), scale)) << path;
            EXPECT_EQ(uniform(r, "light.diffuse"), mul(mul(mul(mat_diffuse, packets.light->diffuse), m), scale)) << path;
            EXPECT_EQ(uniform(r, "light.specular"), mul(specular, scale)) << path << " (no modulator)";
        }
        // Fixed vertex processing: the context's light 0, the light's own colours.
        for (gfx_path_t path : {1, 3}) {
            r_effect_set_path(path);
            const r_draw_record_t &r = draw_one(material("l" + std::to_string(n++) + ".mat", "/effect/fw4/fw_dif", values), packets);
            const vec4_t scale = path == 1 ? FW_PATH1_LIGHT_SCALE : vec4_t{1, 1, 1, 1};
            const vec4_t a = mul(mul(packets.light->ambient, m), scale), d = mul(mul(packets.light->diffuse, m), scale);
            const vec4_t &s = packets.light->specular;
            char line[256];
            snprintf(line, sizeof line, "light 0 ambient (%g %g %g %g) diffuse (%g %g %g %g) specular (%g %g %g %g) direction (0 1 0 0)",
                     double(a.x), double(a.y), double(a.z), double(a.w), double(d.x), double(d.y), double(d.z), double(d.w),
                     double(s.x), double(s.y), double(s.z), double(s.w));
            EXPECT_TRUE(r.has_state(line)) << line;
            EXPECT_TRUE(r.has_state("lighting on"));
            EXPECT_EQ(r.find("light.ambient"), nullptr);
        }
    }
}

TEST_F(fw_effects, model_view_inverse_environment_and_fixed_fog) {
    test_packets_t packets;
    packets.camera->set_placement(placement_t({1, 2, 3}, quat_t()));
    packets.model->set_matrix_and_inverse(placement_scale_t({4, 0, 0}, 2.0f, quat_t()));
    packets.fog->colour = {0.5f, 0.25f, 0.125f, 1};
    const std::string env = pass_line("default") + "    reflection: \"0.5 0.25\"\n";
    const r_draw_record_t &r = draw_one(material("env.mat", "/effect/fw4/fw_dif_spec_env", env), packets);
    // The inverse model-view undoes the model-view.
    mat4_t mv, inv, product;
    memcpy(mv.m, r.value("transform.mv"), sizeof mv.m);
    memcpy(inv.m, r.value("transform.mv_inv"), sizeof inv.m);
    mult_matrix_matrix(&product, mv, inv);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(product.m[i], mat4_t::identity().m[i], 1e-5f) << i;
    EXPECT_EQ(uniform(r, "environment_factor"), (vec4_t{0.125f, 0.125f, 0.125f, 0.5f}));
    const float *rot = r.value("transform.v_rot_inv");
    EXPECT_EQ(rot[3], 0.0f);
    EXPECT_EQ(rot[7], 0.0f);
    EXPECT_EQ(rot[11], 0.0f);
    EXPECT_EQ(rot[0], 1.0f);
    EXPECT_EQ(uniform(r, "fog_color"), packets.fog->colour);

    // On path 3: fixed fog in the fog packet's colour and the reflection stages.
    r_effect_set_path(3);
    const r_draw_record_t &fixed = draw_one(material("env3.mat", "/effect/fw4/fw_dif_spec_env", env), packets);
    EXPECT_TRUE(fixed.has_state("fog 2 (0.5 0.25 0.125 1)"));
    EXPECT_TRUE(fixed.has_state("texture_stage 1 reflection"));
    EXPECT_EQ(fixed.states.get_count(), 6u) << "light, lighting, three stages, fog";
}

TEST_F(fw_effects, terrain_layers_come_from_slot_4) {
    test_packets_t packets;
    for (int l = 0; l < 3; ++l)
        for (int c = 0; c < 2; ++c) packets.terrain->columns[l][c] = {float(l), float(c), 0.5f, float(10 * l + c)};
    packets.array.set(FW_SLOT_TERRAIN_UV, packets.terrain.get());

    const r_draw_record_t &single = draw_one(material("s3.mat", "/effect/fw4/fw_terrain", pass_line("single_3l")), packets);
    for (int l = 0; l < 3; ++l)
        for (int c = 0; c < 2; ++c) {
            const std::string name = "layer_transform[" + std::to_string(l) + "].column[" + std::to_string(c) + "]";
            EXPECT_EQ(uniform(single, name.c_str()), packets.terrain->columns[l][c]) << name;
        }
    // A multi pass binds its own layer under index 0.
    const r_draw_record_t &multi = draw_one(material("m2.mat", "/effect/fw4/fw_terrain", pass_line("multi_2p")), packets);
    EXPECT_EQ(uniform(multi, "layer_transform[0].column[0]"), packets.terrain->columns[1][0]);
    EXPECT_EQ(uniform(multi, "layer_transform[0].column[1]"), packets.terrain->columns[1][1]);
    // Fixed vertex processing: one matrix whose first rows are the columns; no ambient
    // except on path 6.
    r_effect_set_path(1);
    const r_draw_record_t &fixed = draw_one(material("m2f.mat", "/effect/fw4/fw_terrain", pass_line("multi_2p")), packets);
    const float *m = fixed.value("layer_transform[0]");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ((vec4_t{m[0], m[1], m[2], m[3]}), packets.terrain->columns[1][0]);
    EXPECT_EQ((vec4_t{m[4], m[5], m[6], m[7]}), packets.terrain->columns[1][1]);
    EXPECT_EQ((vec4_t{m[8], m[9], m[10], m[11]}), (vec4_t{0, 0, 1, 0}));
    EXPECT_NE(std::string(fixed.states[0].c_str()).find("light 0 ambient (0 0 0 0)"), std::string::npos);
    packets.light->ambient = {0.5f, 0.5f, 0.5f, 1};
    r_effect_set_path(6);
    const r_draw_record_t &path6 = draw_one(material("m2g.mat", "/effect/fw4/fw_terrain", pass_line("multi_2p")), packets);
    EXPECT_NE(std::string(path6.states[0].c_str()).find("light 0 ambient (0.5 0.5 0.5 1)"), std::string::npos);

    // An empty slot 4: zero layers, never a read through null.
    r_effect_set_path(14);
    packets.array.set(FW_SLOT_TERRAIN_UV, nullptr);
    const r_draw_record_t &empty = draw_one(material("e3.mat", "/effect/fw4/fw_terrain", pass_line("single_3l")), packets);
    EXPECT_EQ(uniform(empty, "layer_transform[2].column[1]"), (vec4_t{0, 0, 0, 0}));
}

TEST_F(fw_effects, water_and_attenuation_values) {
    test_packets_t packets;
    packets.camera->set_placement(placement_t({100, 20, -30}, quat_t()));
    packets.light->specular = {0.5f, 1, 0.25f, 0};
    const std::string water = "    water_colour: \"0.1 0.3 0.4 0.6\"\n    tile: \"8 16\"\n    reflection: \"0.5 0.75\"\n"
                              "    def textures { normal_sampler: \"/procedural/water_noise.tobj\" }\n";
    const r_draw_record_t &r = draw_one(material("water.mat", "/effect/fw4/fw_water", water), packets);
    EXPECT_EQ(uniform(r, "water.ws_eye_position"), (vec4_t{100, 20, -30, 0}));
    EXPECT_EQ(uniform(r, "water.water_color"), (vec4_t{0.1f, 0.3f, 0.4f, 0}));
    EXPECT_EQ(uniform(r, "water.tex_coord_0_matrix_u"), (vec4_t{8, 0, 0, 0}));
    EXPECT_EQ(uniform(r, "water.tex_coord_0_matrix_v"), (vec4_t{0, 16, 0, 0}));
    EXPECT_EQ(uniform(r, "base_opacity"), (vec4_t{0.6f, 0.6f, 0.6f, 0.6f}));
    EXPECT_EQ(uniform(r, "reflection_factor"), (vec4_t{0.25f, 0.5f, 0.125f, 0.75f}));
    EXPECT_EQ(r.find("normal_sampler")->texture, "/procedural/water_noise.tobj");
    EXPECT_EQ(r.queue, 6);

    r_effect_set_path(6);
    const r_draw_record_t &fixed = draw_one(material("water6.mat", "/effect/fw4/fw_water", water), packets);
    EXPECT_TRUE(fixed.has_state("texture_constant (0.1 0.3 0.4 0.6)"));
    EXPECT_TRUE(fixed.has_state("texture_mode 14"));
    const float *tc = fixed.value("water.tex_coord_0_matrix");
    EXPECT_EQ(tc[0], 8.0f);
    EXPECT_EQ(tc[5], 16.0f);
    EXPECT_EQ(fixed.value("water.fresnel_matrix")[3], 0.0f) << "the camera's rotation alone";

    r_effect_set_path(14);
    const r_draw_record_t &attn = draw_one(material("attn.mat", "/effect/fw4/fw_dif_opac_attn"), packets);
    const float k = 0.5f / FW_ATTENUATION_RANGE;
    EXPECT_EQ(uniform(attn, "es_attenuation_texgen.s"), (vec4_t{k, 0, 0, 0.5f}));
    EXPECT_EQ(uniform(attn, "es_attenuation_texgen.t"), (vec4_t{0, 0, k, 0.5f}));
}

TEST_F(fw_effects, registration_order_and_packets) {
    uint32_t count = 0;
    const unit_descriptor_t *const *classes = fw_effects_classes(&count);
    ASSERT_EQ(count, 41u);
    const char *const packets[] = {"fw4pp_light", "fw4pp_model", "fw4pp_texture_transform", "fw4pp_terrain_uv",
                                   "fw4pp_light_modulator"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(*classes[i]->class_name, packets[i]);
    const char *const families[] = {"fw_dif",           "fw_dif_spec", "fw_dif_spec_env",     "fw_dif_opac",
                                    "fw_dif_opac_attn", "fw_dif_nm",   "fw_dif_nm_offs",      "fw_dif_spec_nm",
                                    "fw_dif_spec_nm_offs", "fw_dif_spec_nm_env", "fw_dif_spec_nm_offs_env",
                                    "fw_terrain",       "fw_untextured", "fw_water"};
    // Each family's effect, then its passes.
    uint32_t at = 5;
    for (const char *family : families) {
        ASSERT_LT(at, count);
        EXPECT_EQ(*classes[at]->class_name, family);
        EXPECT_TRUE(unit_system_t::inherits_from(classes[at], &fw_effect_u::unit_descriptor));
        ++at;
        while (at < count && unit_system_t::inherits_from(classes[at], &effect_pass_u::unit_descriptor)) ++at;
    }
    EXPECT_EQ(at, count);
    for (uint32_t i = 0; i < count; ++i)
        EXPECT_EQ(get_engine_ubank()->get_descriptor(*classes[i]->class_name), classes[i]) << i;

    owner_ptr_t<fw4pp_model_u> model(create_fw4pp_model_unit());
    ASSERT_TRUE(model);
    EXPECT_TRUE(model->is_alive());
    EXPECT_EQ(model->matrix, mat4_t::identity());
    model->set_matrix_and_inverse(placement_scale_t({1, 2, 3}, 2.0f, quat_t()));
    mat4_t product;
    mult_matrix_matrix(&product, model->matrix, model->matrix_inv);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(product.m[i], mat4_t::identity().m[i], 1e-6f);
}

TEST_F(fw_effects, the_default_packet_array) {
    const fs_archive_factory_t archives = fs_set_archive_factory(zip_device_create);
    fs_device_t *builtin =
        ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
    ASSERT_NE(builtin, nullptr);
    {
        auto_ptr_t<file_t> file(fs_open("/effect/fw4/defaults.unit", FS_REALM_VIRTUAL));
        ASSERT_TRUE(file);
        unit_load_t loader(*file, *unit_system_t::get_default(), nullptr, "/effect/fw4/defaults.unit");
        owner_ptr_t<parameter_packet_holder_u> holder(loader.load_tree<parameter_packet_holder_u>());
        ASSERT_TRUE(holder);
        ASSERT_EQ(holder->packets.get_count(), 7u);
        r_parameter_array_t array;
        array.fill_from(*holder);
        const char *const classes[7] = {"pp_camera", "fw4pp_model", "pp_fog", "fw4pp_light", nullptr, nullptr, nullptr};
        for (uint32_t i = 0; i < 7; ++i) {
            if (classes[i]) {
                ASSERT_NE(array.get(i), nullptr) << i;
                EXPECT_EQ(*array.get(i)->get_descriptor()->class_name, classes[i]);
            } else {
                EXPECT_EQ(array.get(i), nullptr) << i;
            }
        }
        // Drawn with it: the stand-in values of the empty slots.
        test_proto_t p(material("defaults.mat", "/effect/fw4/fw_dif_opac", pass_line("tm0")), &array);
        ASSERT_TRUE(gfx_queue_proto(&p.proto));
        context.begin_frame();
        shaderlib_queue_render_and_flush(&context);
        const r_draw_record_t &r = context.get_draw_log().draw(0);
        EXPECT_TRUE(r.find("tmatrix")->absent);
        EXPECT_EQ(r.value("tmatrix")[0], 1.0f);
        EXPECT_EQ(uniform(r, "light.diffuse"), (vec4_t{1, 1, 1, 0})) << "the light packet's initial colours";
        array.clear();
    }
    ufs_unmount(builtin);
    fs_set_archive_factory(archives);
}

}  // namespace
}  // namespace quarn::test
