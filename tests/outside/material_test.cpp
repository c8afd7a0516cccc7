// Reading material files: every value, the defaults, inheritance, and the errors that
// fail a load.
#include "outside/qrnshared/material.h"

#include <gtest/gtest.h>

#include <string>

#include "outside/qrnshared/def_pool.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

bool parse(const std::string &text, material_t &out) {
    def_pool_t pool;
    if (!pool.read_text(text.data(), text.size(), "/m/test.mat")) return false;
    return material_parse(pool, "/m/test.mat", &out);
}

TEST(material_parse, every_value) {
    material_t m;
    ASSERT_TRUE(parse(R"(def material {
    effect: "/effect/fw4/fw_water"
    pass: "no_env"
    flags: "0x10012"
    order: "-3"
    ambient: "0.25 0.5 0.75 1"
    diffuse: "1, 0.5, 0.25, 0"
    specular: "0.5 0.5 0.5 1"
    specular_exponent: "32"
    reflection: "0.6 0.5"
    tile: "4 8"
    water_colour: "0.1 0.3 0.4 0.6"
    substance: "16"
    size: "64 32.5"
    def textures {
        texture_sampler: "/texture/water.tga"
        def layer0 { sampler: "texture_sampler[0]" file: "/texture/grass.tga" }
    }
    def render_state {
        blend: "add"
        depth_write: "off"
    }
}
)",
                      m));
    EXPECT_EQ(m.path, "/m/test.mat");
    EXPECT_EQ(m.effect_path, "/effect/fw4/fw_water");
    EXPECT_EQ(m.pass_name, "no_env");
    EXPECT_EQ(m.flags, 0x10012u);
    EXPECT_EQ(m.order, -3);
    EXPECT_EQ(m.ambient, (vec4_t{0.25f, 0.5f, 0.75f, 1}));
    EXPECT_EQ(m.diffuse, (vec4_t{1, 0.5f, 0.25f, 0}));
    EXPECT_EQ(m.specular, (vec4_t{0.5f, 0.5f, 0.5f, 1}));
    EXPECT_EQ(m.specular_exponent, 32.0f);
    EXPECT_EQ(m.reflection, (vec2_t{0.6f, 0.5f}));
    EXPECT_EQ(m.tile, (vec2_t{4, 8}));
    EXPECT_EQ(m.water_colour, (vec4_t{0.1f, 0.3f, 0.4f, 0.6f}));
    EXPECT_EQ(m.substance, 16u);
    EXPECT_EQ(m.size, (vec2_t{64, 32.5f}));
    EXPECT_STREQ(m.texture_for("texture_sampler"), "/texture/water.tga");
    EXPECT_STREQ(m.texture_for("texture_sampler[0]"), "/texture/grass.tga");
    EXPECT_EQ(m.texture_for("normal_sampler"), nullptr);
    ASSERT_EQ(m.render_state.get_count(), 2u);
    EXPECT_EQ(m.render_state[0].key, "blend");
    EXPECT_EQ(m.render_state[1].value, "off");
}

TEST(material_parse, defaults_and_a_base) {
    material_t m;
    ASSERT_TRUE(parse("def material { effect: \"/effect/generic/dry\" }\n", m));
    EXPECT_EQ(m.pass_name, "default");
    EXPECT_EQ(m.flags, 0u);
    EXPECT_EQ(m.order, 0);
    EXPECT_EQ(m.ambient, (vec4_t{1, 1, 1, 1}));
    EXPECT_EQ(m.specular_exponent, 1.0f);
    EXPECT_EQ(m.reflection, (vec2_t{0, 0}));
    EXPECT_EQ(m.tile, (vec2_t{1, 1}));
    EXPECT_EQ(m.water_colour, (vec4_t{0, 0, 0, 1}));
    EXPECT_EQ(m.substance, 0u);
    EXPECT_EQ(m.size, (vec2_t{0, 0}));
    EXPECT_EQ(m.textures.get_count(), 0u);

    // The base's keys come first; the block's own replace them.
    material_t d;
    ASSERT_TRUE(parse(R"(def base { effect: "/effect/fw4/fw_dif" order: "4" flags: "1" }
def material : base { order: "7" }
)",
                      d));
    EXPECT_EQ(d.effect_path, "/effect/fw4/fw_dif");
    EXPECT_EQ(d.order, 7);
    EXPECT_EQ(d.flags, 1u);

    // A later texture entry for the same sampler replaces the earlier one.
    material_t t;
    ASSERT_TRUE(parse(R"(def material { effect: "/e/x"
    def textures { texture: "/a.tga" def again { sampler: "texture" file: "/b.tga" } } }
)",
                      t));
    ASSERT_EQ(t.textures.get_count(), 1u);
    EXPECT_STREQ(t.texture_for("texture"), "/b.tga");
}

TEST(material_parse, bad_files_fail_with_their_line) {
    const struct {
        const char *text;
        const char *message;
    } cases[] = {
        {"def other { effect: \"/e/x\" }\n", "[material] /m/test.mat: no \"material\" block"},
        {"def material {\n pass: \"default\"\n}\n", "[material] /m/test.mat:1: no effect in 'material'"},
        {"def material { effect: \"/e/x\"\n colour: \"1 1 1 1\" }\n", "[material] /m/test.mat:2: unknown key 'colour'"},
        {"def material { effect: \"/e/x\"\n flags: \"0x1g\" }\n", "[def] /m/test.mat:2: 'flags' of 'material' is not an integer"},
        {"def material { effect: \"/e/x\"\n ambient: \"1 1 1\" }\n", "'ambient' of 'material' is not"},
        {"def material { effect: \"/e/x\"\n specular_exponent: \"many\" }\n", "'specular_exponent' of 'material' is not"},
        {"def material { effect: \"/e/x\"\n tile: \"4 0\" }\n", "[material] /m/test.mat:1: tile sizes must be above 0 in 'material'"},
        {"def material { effect: \"/e/x\"\n tile: \"-1 4\" }\n", "tile sizes must be above 0"},
        {"def material { effect: \"/e/x\"\n substance: \"256\" }\n", "[material] /m/test.mat:1: substance must be an index from 0 to 255"},
        {"def material { effect: \"/e/x\"\n substance: \"water\" }\n", "'substance' of 'material' is not an integer"},
        {"def material { effect: \"/e/x\"\n size: \"8 -1\" }\n", "the size must be two finite numbers of 0 or more"},
        {"def material { effect: \"/e/x\"\n size: \"8\" }\n", "size"},
        {"def material { effect: \"/e/x\"\n def textures {\n def a { sampler: \"s\" } } }\n",
         "[material] /m/test.mat:3: a texture needs \"sampler\" and \"file\": 'a'"},
        {"def material { effect: \"/e/x\"\n def shaders { } }\n", "[material] /m/test.mat:2: unknown block 'shaders'"},
    };
    for (const auto &c : cases) {
        message_capture_t log;
        material_t m;
        EXPECT_FALSE(parse(c.text, m)) << c.text;
        EXPECT_TRUE(log.contains(c.message)) << c.text << "\nlogged: "
                                             << (log.entries().empty() ? "" : log.entries().back().text);
    }
}

}  // namespace
}  // namespace quarn::test
