// The descriptor reader: looks, variants, material paths and per-part attributes, and
// the load-time checks of its tables and strings.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "game/models/model_fixtures.h"
#include "game/visuals/models/model_desc_view.h"
#include "game/visuals/models/model_layout.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/strings/string_dyn.h"
#include "support/message_capture.h"
#include "support/model_walk.h"

namespace quarn {
namespace {

using bytes_t = std::vector<uint8_t>;
using desc_t = test::opened_t<model_desc_view_t>;

uint64_t token(const char *name) {
    uint64_t t = 0;
    EXPECT_TRUE(string_to_token(t, name));
    return t;
}

TEST(model_descriptor, reads_back_looks_variants_and_attributes) {
    const desc_t m(test::write_descriptor(test::fixture_descriptor()), "/model/rock/rock.zmd");
    ASSERT_TRUE(m.ok);
    const model_desc_view_t &v = m.view;
    EXPECT_TRUE(test::walk_model(v));
    EXPECT_EQ(v.get_material_count(), 2u);
    EXPECT_EQ(v.get_look_count(), 2u);
    EXPECT_EQ(v.get_variant_count(), 2u);
    EXPECT_EQ(v.get_part_count(), 1u);
    EXPECT_STREQ(v.get_directory(), "/model/rock");
    EXPECT_EQ(v.get_look_name(1), token("winter"));
    EXPECT_EQ(v.get_variant_name(1), token("hidden"));

    // Lookups by name and token; a name that makes no token is -1 without a message.
    test::message_capture_t capture;
    EXPECT_EQ(v.find_look("winter"), 1);
    EXPECT_EQ(v.find_look(token("default")), 0);
    EXPECT_EQ(v.find_variant("HIDDEN"), 1);
    EXPECT_TRUE(capture.entries().empty());
    EXPECT_EQ(v.find_look("summer"), -1);
    EXPECT_EQ(v.find_variant(token("spotted")), -1);
    EXPECT_EQ(v.find_look("no such look"), -1);
    EXPECT_EQ(capture.texts(message_t::ERROR),
              (std::vector<std::string>{"[model] Unknown look name 'summer' on model '/model/rock/rock.zmd'",
                                        "[model] Unknown variant name 'spotted' on model '/model/rock/rock.zmd'"}));

    // Material paths: a relative path joins the descriptor's folder, an absolute one
    // stands.
    mstring_dyn_t path;
    EXPECT_STREQ(v.get_material_path(0, 0), "hide.mat");
    ASSERT_TRUE(v.get_material_path(0, 0, path));
    EXPECT_STREQ(path.c_str(), "/model/rock/hide.mat");
    ASSERT_TRUE(v.get_material_path(1, 0, path));
    EXPECT_STREQ(path.c_str(), "/model/rock/winter.mat");
    ASSERT_TRUE(v.get_material_path(1, 1, path));
    EXPECT_STREQ(path.c_str(), "/material/eye.mat");

    // Attributes: types 0 and 1 per variant, type 5 one string; neither is found as
    // the other.
    uint32_t value = 7;
    ASSERT_TRUE(v.get_attribute(0, "visible", 0, value));
    EXPECT_EQ(value, 1u);
    ASSERT_TRUE(v.get_attribute(0, token("visible"), 1, value));
    EXPECT_EQ(value, 0u);
    ASSERT_TRUE(v.get_attribute(0, "weight", 1, value));
    EXPECT_EQ(std::bit_cast<float>(value), -1.5f);
    EXPECT_STREQ(v.get_string_attribute(0, "sound"), "hit_body");
    value = 7;
    EXPECT_FALSE(v.get_attribute(0, "sound", 0, value));
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(v.get_string_attribute(0, "visible"), nullptr);
    EXPECT_EQ(v.get_string_attribute(0, "weight"), nullptr);
    EXPECT_FALSE(v.get_attribute(0, "missing", 0, value));
    EXPECT_EQ(v.get_string_attribute(0, "missing"), nullptr);
}

TEST(model_descriptor, material_path_joining) {
    struct case_t {
        const char *descriptor, *stored, *joined;
    };
    const case_t cases[] = {
        {"/model/rock/rock.zmd", "rock.mat", "/model/rock/rock.mat"},
        {"/model/rock/rock.zmd", "/material/stone.mat", "/material/stone.mat"},
        {"/model/rock/rock.zmd", "moss/green.mat", "/model/rock/moss/green.mat"},
        {"/rock.zmd", "rock.mat", "/rock.mat"},
    };
    for (const case_t &c : cases) {
        zmgen::zm_descriptor_t d;
        d.material_count = 1;
        d.looks = {{"default", {c.stored}}};
        d.variants = {"default"};
        const desc_t m(test::write_descriptor(d), c.descriptor);
        ASSERT_TRUE(m.ok);
        mstring_dyn_t path;
        ASSERT_TRUE(m.view.get_material_path(0, 0, path));
        EXPECT_STREQ(path.c_str(), c.joined) << c.descriptor << " + " << c.stored;
    }
}

TEST(model_descriptor, refuses_what_reaches_outside) {
    const bytes_t good = test::write_descriptor(test::fixture_descriptor());
    const uint32_t size = uint32_t(good.size());
    auto u32 = [&](uint64_t at) { return zmgen::zm_read_u32(good, at); };
    const uint64_t ranges = u32(zm::DESC_PART_RANGES), attributes = u32(zm::DESC_ATTRIBUTES);
    const uint64_t paths = u32(zm::DESC_MATERIALS);
    const uint64_t sound = attributes + 2 * zm::ATTR_SIZE;  // the string attribute

    struct case_t {
        const char *name;
        uint64_t field;
        uint64_t at;
        uint32_t value;
        const char *what;
    };
    const case_t cases[] = {
        {"short header", 0, zm::DESC_MATERIALS, 0, nullptr},
        {"look table past the end", zm::DESC_LOOKS, zm::DESC_LOOK_COUNT, 0x20000000, "the look table"},
        {"variant table past the end", zm::DESC_VARIANTS, zm::DESC_VARIANTS, size - 8, "the variant table"},
        {"value blocks past the end", zm::DESC_VALUES, zm::DESC_VALUE_BLOCK_SIZE, 0xFFFFFFFF, "the value blocks"},
        {"part ranges past the end", zm::DESC_PART_RANGES, zm::DESC_PART_COUNT, 1000, "the part attribute ranges"},
        {"range running backwards", ranges, ranges, 4, "runs backwards"},
        {"range past the definitions", ranges + 4, ranges + 4, 0x10000000, "the attribute definitions"},
        {"value position past the block", attributes + zm::ATTR_VALUE, attributes + zm::ATTR_VALUE, 8,
         "value position 8 lies outside the 8-byte value block"},
        {"value position wrapping", attributes + zm::ATTR_VALUE, attributes + zm::ATTR_VALUE, 0xFFFFFFFE,
         "lies outside"},
        {"string past the end", sound + zm::ATTR_VALUE, sound + zm::ATTR_VALUE, size, "a string attribute"},
        {"material path table past the end", zm::DESC_MATERIALS, zm::DESC_MATERIAL_COUNT, 0x7FFFFFFF,
         "the material path table"},
        {"material path past the end", paths + 4, paths + 4, 0xFFFFFFFF, "a material path"},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        bytes_t b = good;
        if (c.what)
            zmgen::zm_patch_u32(b, c.at, c.value);
        else
            b.resize(c.at);
        test::message_capture_t capture;
        const desc_t m(b, "/model/x/broken.zmd");
        EXPECT_FALSE(m.ok);
        const std::vector<std::string> errors = capture.texts(message_t::ERROR);
        ASSERT_EQ(errors.size(), 2u);
        EXPECT_EQ(errors[0], "[model] Model descriptor '/model/x/broken.zmd' is malformed.");
        char field[64];
        snprintf(field, sizeof field, "(field at offset 0x%llx).", (unsigned long long)c.field);
        EXPECT_NE(errors[1].find(c.what ? c.what : "shorter than the 60-byte header"), std::string::npos) << errors[1];
        EXPECT_NE(errors[1].find(field), std::string::npos) << errors[1];
    }
    // A string whose terminating zero lies past the end: the file cut inside its last
    // string.
    bytes_t cut = good;
    while (cut.back() == 0) cut.pop_back();
    test::message_capture_t capture;
    EXPECT_FALSE(desc_t(cut).ok);
    EXPECT_TRUE(capture.contains("does not end inside the file"));
}

}  // namespace
}  // namespace quarn
