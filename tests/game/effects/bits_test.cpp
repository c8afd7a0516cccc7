// Bits: decal kinds as rings of world-space quads, trails choosing their steps by
// pattern, the definition file's refusals and caps, quads oriented, mirrored and
// spun, model bits animated and drawn, and "/def/bits.def" as the game ships it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../models/model_lib_fixture.h"
#include "game/visuals/effects/bits.h"
#include "kernel/gfx/gfx.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "support/message_capture.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

float spin_value = 0.0f;
float injected_random() { return spin_value; }

class bits_test : public model_lib_fixture_t {
protected:
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        put("mat/mark.mat", "def material {\n    effect: \"/effect/generic/dry\"\n    flags: \"0x2\"\n}\n");
        spin_value = 0.0f;
    }
    void TearDown() override {
        bits.reset();
        model_lib_fixture_t::TearDown();
    }

    // Makes the bits of a definition text written as "/t/def/bits.def".
    bits_t &make(const std::string &text) {
        put("def/bits.def", text);
        bits = std::make_unique<bits_t>("/t/def/bits.def", &injected_random);
        return *bits;
    }

    static std::string decal(const char *name, const char *limit, const char *size = "0.5") {
        return std::string("def ") + name + " {\n type: \"decal\"\n limit: \"" + limit + "\"\n size: \"" + size +
               "\"\n material: \"/t/mat/mark.mat\"\n}\n";
    }

    std::unique_ptr<bits_t> bits;
};

// The four corners a quad was written with, from its six vertices.
struct quad_t {
    quad_t(const bits_t::decal_kind_t &k, uint32_t mark) {
        const vec3_t *v = &k.positions[mark * bits_t::QUAD_VERTICES];
        a = v[0], b = v[1], c = v[2], d = v[5];
    }
    vec3_t a, b, c, d;  // (-s,-s), (-s,+s), (+s,+s), (+s,-s)
};

TEST(bits_without_graphics, no_kinds_are_made_and_the_reason_is_logged) {
    // The front-end's record pools exist only while it runs: making a kind before its
    // start would write through them.
    ASSERT_EQ(gfx_get_default_buffer(), nullptr);
    unit_bank_t bank;
    unit_system_t system(bank);
    unit_system_t *previous = unit_system_t::get_default();
    system.set_default();
    {
        message_capture_t log;
        bits_t bits("/def/bits.def");
        EXPECT_EQ(bits.get_kind_count(), 0u);
        EXPECT_EQ(log.texts(message_t::ERROR),
                  std::vector<std::string>{
                      "[bits] The graphics front-end is not running: no decal or trail kinds from '/def/bits.def'"});
    }
    unit_system_t::clean_garbage();
    if (previous) previous->set_default();
}

TEST_F(bits_test, a_decal_kind_keeps_its_marks_in_a_ring) {
    bits_t &b = make(decal("bullet_hole", "64", "0.06"));
    const int32_t kind = b.find_decal_kind("bullet_hole");
    ASSERT_EQ(kind, 0);
    const vec3_t up{0, 1, 0}, north{0, 0, -1};
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(b.add_decal(kind, {float(i), 0, 0}, up, &north, 1.0f, false));
    const bits_t::decal_kind_t &k = b.get_kind(0);
    EXPECT_EQ(k.positions.get_count(), 384u);
    EXPECT_NEAR(quad_t(k, 0).a.x, -0.06f, 1e-6f);
    // The 65th overwrites the first; the ring stays at 64 quads.
    ASSERT_TRUE(b.add_decal(kind, {100, 0, 0}, up, &north, 1.0f, false));
    EXPECT_EQ(k.positions.get_count(), 384u);
    EXPECT_NEAR(quad_t(k, 0).a.x, 100.0f - 0.06f, 1e-5f);
    EXPECT_NEAR(quad_t(k, 1).a.x, 1.0f - 0.06f, 1e-6f) << "the second stays";
    ASSERT_TRUE(b.add_decal(kind, {200, 0, 0}, up, &north, 1.0f, false));
    EXPECT_NEAR(quad_t(k, 1).a.x, 200.0f - 0.06f, 1e-5f);
    EXPECT_EQ(k.count, 66u);
}

TEST_F(bits_test, trails_choose_their_step_by_the_pattern) {
    bits_t &b = make("def t {\n type: \"trail\"\n pattern: \"1:3:9\"\n limits: \"10:10:10\"\n size: \"0.2\"\n"
                     " material: \"/t/mat/mark.mat\"\n}\n");
    const int32_t trail = b.find_trail("t");
    ASSERT_EQ(trail, 0);
    ASSERT_EQ(b.get_trail(0).steps.get_count(), 3u);
    EXPECT_EQ(b.find_decal_kind("t0"), 0);
    EXPECT_EQ(b.find_decal_kind("t2"), 2);
    const vec3_t up{0, 1, 0};
    // Count 0 takes the last step; every 9th mark the last, every other 3rd the
    // middle one, the first otherwise.
    const uint32_t expected[10] = {2, 0, 0, 1, 0, 0, 1, 0, 0, 2};
    for (uint32_t i = 0; i < 10; ++i) {
        uint64_t before[3];
        for (uint32_t s = 0; s < 3; ++s) before[s] = b.get_kind(s).count;
        ASSERT_TRUE(b.add_trail_mark(trail, true, {float(i), 0, 0}, up, nullptr, 1.0f, -1)) << i;
        for (uint32_t s = 0; s < 3; ++s) EXPECT_EQ(b.get_kind(s).count - before[s], s == expected[i] ? 1u : 0u) << i;
    }
    // A forced step; a step past the last counts as none.
    ASSERT_TRUE(b.add_trail_mark(trail, true, {0, 0, 0}, up, nullptr, 1.0f, 1));
    EXPECT_EQ(b.get_kind(1).count, 3u);
    ASSERT_TRUE(b.add_trail_mark(trail, true, {0, 0, 0}, up, nullptr, 1.0f, 7));  // count 11: the first step
    EXPECT_EQ(b.get_kind(0).count, 7u);
    // Unknown trails (-1 from a name lookup) and kinds out of range are refused.
    EXPECT_EQ(b.find_trail("deer"), -1);
    EXPECT_FALSE(b.add_trail_mark(-1, true, {0, 0, 0}, up, nullptr, 1.0f, -1));
    EXPECT_FALSE(b.add_trail_mark(1, true, {0, 0, 0}, up, nullptr, 1.0f, -1));
    EXPECT_FALSE(b.add_decal(-1, {0, 0, 0}, up, nullptr, 1.0f, false));
    EXPECT_FALSE(b.add_decal(3, {0, 0, 0}, up, nullptr, 1.0f, false));
}

TEST_F(bits_test, definitions_are_read_refused_and_capped) {
    const struct {
        const char *name;
        std::string text;
        uint32_t kinds, trails;
        uint32_t limit0;  // the first kind's limit
        const char *message;
    } cases[] = {
        {"a limit of 0 acts as 1", decal("d", "0"), 1, 0, 1, nullptr},
        {"no limit acts as 1", "def d {\n type: \"decal\"\n size: \"1\"\n}\n", 1, 0, 1, nullptr},
        {"a huge limit is cut", decal("d", "1000000000"), 1, 0, bits_t::MAX_LIMIT,
         "[bits] The limit 1000000000 of 'd' is cut to 65536 marks"},
        {"a negative limit is cut", decal("d", "-1"), 1, 0, bits_t::MAX_LIMIT, "The limit -1 of 'd' is cut"},
        {"mismatched lists", "def t {\n type: \"trail\"\n pattern: \"1:2\"\n limits: \"1:2:3\"\n}\n" + decal("d", "5"), 1,
         0, 5, "patterns count doesn't match limits count (t)"},
        {"huge trail limits, hex and zero periods",
         "def t {\n type: \"blood\"\n pattern: \"0x2:0\"\n limits: \"0:99999999\"\n}\n", 2, 1, 1,
         "The limit 99999999 of 't1' is cut"},
        {"an unknown type", "def x {\n type: \"sparkle\"\n}\n" + decal("d", "2"), 1, 0, 2,
         "[bits] The bit 'x' has the unknown type 'sparkle'"},
        {"a model that does not load", "def m {\n type: \"model\"\n model: \"/t/none.zmd\"\n}\n", 0, 0, 0,
         "error loading model description for bit 'm'"},
    };
    for (const auto &c : cases) {
        log.clear();
        bits_t &b = make(c.text);
        EXPECT_EQ(b.get_kind_count(), c.kinds) << c.name;
        EXPECT_EQ(b.get_trail_count(), c.trails) << c.name;
        if (c.kinds) {
            EXPECT_EQ(b.get_kind(0).limit, c.limit0) << c.name;
            EXPECT_EQ(b.get_kind(0).uvs.get_count(), 6 * c.limit0) << c.name;
        }
        if (c.message) {
            EXPECT_TRUE(log.contains(c.message)) << c.name;
        }
    }
    // Periods: "0x2" is 2, "0" is 1.
    make("def t {\n type: \"blood\"\n pattern: \"0x2:0\"\n limits: \"3:3\"\n}\n");
    EXPECT_EQ(bits->get_trail(0).steps[0].period, 2u);
    EXPECT_EQ(bits->get_trail(0).steps[1].period, 1u);
}

TEST_F(bits_test, quads_face_along_the_normal_oriented_mirrored_or_spun) {
    bits_t &b = make("def t {\n type: \"trail\"\n pattern: \"1\"\n limits: \"4\"\n size: \"0.2\"\n"
                     " material: \"/t/mat/mark.mat\"\n}\n");
    const vec3_t at{5, 1, 5}, up{0, 1, 0}, north{0, 0, -1};
    // The foot that is not full size: 0.8 × 0.2 = 0.16 and mirrored (x negated).
    ASSERT_TRUE(b.add_trail_mark(0, false, at, up, &north, 1.0f, -1));
    ASSERT_TRUE(b.add_trail_mark(0, true, at, up, &north, 1.0f, -1));
    const quad_t small(b.get_kind(0), 0), full(b.get_kind(0), 1);
    // x = normalise(north × up) = (1, 0, 0); y = up × x = (0, 0, -1).
    const vec3_t x{1, 0, 0}, y{0, 0, -1};
    const struct {
        const char *name;
        const quad_t &q;
        float s;
        vec3_t x;
    } cases[] = {{"mirrored, 0.8 × size", small, 0.16f, -x}, {"full size", full, 0.2f, x}};
    for (const auto &c : cases) {
        const vec3_t corners[4] = {c.q.a, c.q.b, c.q.c, c.q.d};
        const vec2_t local[4] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        for (int i = 0; i < 4; ++i) {
            const vec3_t e = at + c.x * (local[i].x * c.s) + y * (local[i].y * c.s);
            EXPECT_NEAR(length(corners[i] - e), 0.0f, 1e-5f) << c.name << " corner " << i;
        }
    }
    // Refused: a zero or broken normal. An orientation along the normal turns at
    // random instead of giving NaN.
    EXPECT_FALSE(b.add_decal(0, at, {0, 0, 0}, &north, 1.0f, false));
    EXPECT_FALSE(b.add_decal(0, at, {0, NAN, 0}, &north, 1.0f, false));
    const vec3_t along{0, 3, 0};
    ASSERT_TRUE(b.add_decal(0, at, up, &along, 1.0f, false));
    const quad_t parallel(b.get_kind(0), 2);
    for (const vec3_t &p : {parallel.a, parallel.b, parallel.c, parallel.d}) {
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.z));
        EXPECT_NEAR(p.y, 1.0f, 1e-5f);
        EXPECT_NEAR(length(p - at), 0.2f * std::sqrt(2.0f), 1e-5f);
    }
}

TEST_F(bits_test, unoriented_quads_turn_by_the_injected_random_value) {
    bits_t &b = make(decal("d", "8", "1"));
    const vec3_t at{0, 0, 0}, up{0, 1, 0};
    // 0, a quarter turn and a half turn about the normal.
    const float values[3] = {0.0f, 0.25f, 0.5f};
    for (float v : values) {
        spin_value = v;
        ASSERT_TRUE(b.add_decal(0, at, up, nullptr, 2.0f, true));
    }
    const quad_t q0(b.get_kind(0), 0), q1(b.get_kind(0), 1), q2(b.get_kind(0), 2);
    auto turned = [&](const vec3_t &p, float degrees) {
        quat_t r;
        r.set_axis_angle(up, degrees * 0.017453292f);
        return r.rotate(p);
    };
    const vec3_t corners0[4] = {q0.a, q0.b, q0.c, q0.d};
    for (const vec3_t &p : corners0) {
        EXPECT_NEAR(p.y, 0.0f, 1e-5f) << "in the plane across the normal";
        EXPECT_NEAR(length(p), 2.0f * std::sqrt(2.0f), 1e-5f) << "scaled by 2";
    }
    // A quarter of the random range turns the quad by 90° about the normal (in one
    // sense or the other), half of it by 180°.
    const vec3_t corners1[4] = {q1.a, q1.b, q1.c, q1.d};
    const vec3_t corners2[4] = {q2.a, q2.b, q2.c, q2.d};
    for (int i = 0; i < 4; ++i) {
        const float plus = length(corners1[i] - turned(corners0[i], 90)),
                    minus = length(corners1[i] - turned(corners0[i], -90));
        EXPECT_LT(std::fmin(plus, minus), 1e-4f) << i;
        EXPECT_NEAR(length(corners2[i] - turned(corners0[i], 180)), 0.0f, 1e-4f) << i;
    }
}

TEST_F(bits_test, prototypes_draw_with_the_scenes_packets_once_they_hold_marks) {
    bits_t &b = make(decal("a", "4") + decal("b", "4"));
    b.set_scene_packets(&packets->array);
    b.prepare_parameters();
    r_parameter_array_t &shared = b.get_packets();
    EXPECT_EQ(shared.get(0), packets->array.get(0));
    EXPECT_EQ(shared.get(2), packets->array.get(2));
    EXPECT_EQ(shared.get(3), packets->array.get(3));
    ASSERT_NE(shared.get(1), nullptr);
    EXPECT_NE(shared.get(1), packets->array.get(1)) << "the bits' own identity model packet";

    context.begin_frame();
    b.render();
    shaderlib_queue_render_and_flush(&context);
    EXPECT_EQ(context.get_draw_log().draw_count(), 0u) << "no marks, nothing drawn";

    const vec3_t up{0, 1, 0};
    ASSERT_TRUE(b.add_decal(1, {0, 0, 0}, up, nullptr, 1.0f, false));
    ASSERT_TRUE(b.add_decal(1, {1, 0, 0}, up, nullptr, 1.0f, false));
    context.begin_frame();
    b.render();
    shaderlib_queue_render_and_flush(&context);
    const r_draw_log_t &drawn = context.get_draw_log();
    ASSERT_EQ(drawn.draw_count(), 1u);
    EXPECT_STREQ(drawn.draw(0).material.c_str(), "/t/mat/mark.mat");
    ASSERT_EQ(drawn.draw(0).packets.get_count(), 1u);
    EXPECT_EQ(drawn.draw(0).packets[0].type, uint32_t(R_PACKET_PT));
    EXPECT_EQ(drawn.draw(0).packets[0].count, 12u);
    EXPECT_STREQ(drawn.draw(0).slots[1].c_str(), "fw4pp_model");
}

TEST_F(bits_test, a_model_bit_is_animated_and_drawn) {
    write_fixture_models();
    zmgen::zm_model_t rig = rig_model();
    rig.animations.push_back(rig_animation("wave", 2, true));
    write_model(rig, "model/rig", "rig");
    bits_t &b = make("def flag {\n type: \"model\"\n model: \"/t/model/rig/rig.zmd\"\n animation: "
                     "\"/t/model/rig/wave.zma\"\n limit: \"2\"\n}\n" +
                     decal("d", "1"));
    ASSERT_EQ(b.get_kind_count(), 2u);
    const bits_t::decal_kind_t &k = b.get_kind(0);
    ASSERT_TRUE(k.model);
    ASSERT_TRUE(k.instance);
    ASSERT_EQ(k.instance->get_active_count(), 1u);
    const uint32_t channel = k.instance->get_active(0);
    b.update(0.1f);
    EXPECT_NEAR(k.instance->get_channel(channel).animation_time, 0.1f, 1e-6f);
    EXPECT_FALSE(b.add_decal(0, {0, 0, 0}, {0, 1, 0}, nullptr, 1.0f, false)) << "no quads for a model bit";
    EXPECT_FALSE(b.add_model_bit(1, placement_t())) << "no copies of a decal kind";

    b.set_scene_packets(&packets->array);
    b.prepare_parameters();
    for (float x : {1.0f, 2.0f, 3.0f}) ASSERT_TRUE(b.add_model_bit(0, placement_t({x, 0, 0}, quat_t())));
    EXPECT_EQ(k.placed.get_count(), 2u) << "the third took the first's place";
    context.begin_frame();
    b.render();
    shaderlib_queue_render_and_flush(&context);
    // Both copies draw the rig's three pieces.
    EXPECT_EQ(context.get_draw_log().draw_count(), 6u);
}

// "/def/bits.def" from the archive stored in the program, its materials from base.
class bits_content : public bits_test {
protected:
    void SetUp() override {
        bits_test::SetUp();
        builtin = ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/builtin").c_str(), "/", true, 0);
        base = ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/base").c_str(), "/", true, 0);
        ASSERT_NE(builtin, nullptr);
        ASSERT_NE(base, nullptr);
    }
    void TearDown() override {
        bits.reset();
        unit_system_t::clean_garbage();
        if (base) ufs_unmount(base);
        if (builtin) ufs_unmount(builtin);
        bits_test::TearDown();
    }
    fs_device_t *builtin = nullptr;
    fs_device_t *base = nullptr;
};

TEST_F(bits_content, the_shipped_kinds_and_trails) {
    bits = std::make_unique<bits_t>();
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());
    EXPECT_TRUE(log.texts(message_t::WARNING).empty());
    const struct {
        const char *name;
        uint32_t limit;
        float size;
    } kinds[] = {
        {"bullet_hole", 64, 0.06f},        {"bullet_mark", 64, 0.06f},       {"blood_trail0", 50, 0.17f},
        {"blood_trail1", 200, 0.25f},      {"blood_trail2", 400, 0.16f},     {"nogore_blood_trail0", 50, 0.17f},
        {"nogore_blood_trail2", 400, 0.16f}, {"wtail_trail0", 300, 0.12f},   {"wtail_trail2", 600, 0.12f},
        {"grizzly_trail1", 300, 0.30f},    {"moose_trail2", 600, 0.26f},
    };
    for (const auto &k : kinds) {
        const int32_t i = bits->find_decal_kind(k.name);
        ASSERT_GE(i, 0) << k.name;
        EXPECT_EQ(bits->get_kind(uint32_t(i)).limit, k.limit) << k.name;
        EXPECT_FLOAT_EQ(bits->get_kind(uint32_t(i)).size, k.size) << k.name;
        EXPECT_NE(bits->get_kind(uint32_t(i)).material, nullptr) << k.name;
    }
    EXPECT_EQ(bits->get_kind_count(), 17u);
    const struct {
        const char *name;
        uint32_t periods[3];
    } trails[] = {{"blood_trail", {1, 2, 3}},
                  {"nogore_blood_trail", {1, 2, 3}},
                  {"wtail_trail", {1, 3, 9}},
                  {"grizzly_trail", {1, 3, 9}},
                  {"moose_trail", {1, 3, 9}}};
    for (const auto &t : trails) {
        const int32_t i = bits->find_trail(t.name);
        ASSERT_GE(i, 0) << t.name;
        ASSERT_EQ(bits->get_trail(uint32_t(i)).steps.get_count(), 3u) << t.name;
        for (uint32_t s = 0; s < 3; ++s) EXPECT_EQ(bits->get_trail(uint32_t(i)).steps[s].period, t.periods[s]) << t.name;
    }
    EXPECT_EQ(bits->get_trail_count(), 5u);
    EXPECT_EQ(bits->find_trail("trail_base"), -1) << "the included base is no trail";
    // The shadow materials load too.
    for (const char *path : {"/material/decal/simple.mat", "/material/decal/animal_shadow.mat"}) {
        c_item_t *m = get_material(path);
        EXPECT_NE(material_pass(m), nullptr) << path;
        if (m) m->release_ref();
    }
}

}  // namespace
}  // namespace quarn::test
