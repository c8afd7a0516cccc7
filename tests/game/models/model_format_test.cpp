// The check words of the four model files, and golden bytes of one small file of each
// format, which pin the layout the readers and the writer share.
#include <gtest/gtest.h>

#include <bit>
#include <functional>

#include "game/models/model_fixtures.h"
#include "game/visuals/models/model_anim_view.h"
#include "game/visuals/models/model_coll_view.h"
#include "game/visuals/models/model_desc_view.h"
#include "game/visuals/models/model_geom_view.h"
#include "qrncore/strings/name_token.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

using bytes_t = std::vector<uint8_t>;

// ---- check words ----

struct check_word_case_t {
    const char *name;
    std::function<bytes_t()> make;
    std::function<bool(const bytes_t &)> open;
    const char *message;  // the one error logged, or null when the file loads
};

template <class V>
bool open_as(const bytes_t &b, const char *path) {
    test::exact_image_t image(b);
    V view;
    return view.open(image.data(), image.size(), path);
}

bytes_t with_word(bytes_t b, uint32_t word) {
    zmgen::zm_patch_u32(b, 0, word);
    return b;
}

TEST(model_files, check_words) {
    const bytes_t empty_geometry = test::write_geometry({});
    const check_word_case_t cases[] = {
        {"geometry of 116 bytes", [&] { return empty_geometry; },
         [](const bytes_t &b) { return open_as<model_geom_view_t>(b, "/m/a.zmg"); }, nullptr},
        {"geometry of 115 bytes", [&] { return bytes_t(empty_geometry.begin(), empty_geometry.end() - 1); },
         [](const bytes_t &b) { return open_as<model_geom_view_t>(b, "/m/a.zmg"); },
         "[model] Model geometry '/m/a.zmg' is malformed."},
        {"geometry version 0x10", [&] { return with_word(empty_geometry, 0x5A6D6710); },
         [](const bytes_t &b) { return open_as<model_geom_view_t>(b, "/m/a.zmg"); },
         "[model] Model geometry '/m/a.zmg' has incorrect file magic/version 5a6d6710 - expected magic/version "
         "5a6d6711"},
        {"descriptor version 3", [] { return with_word(test::write_descriptor({}), 3); },
         [](const bytes_t &b) { return open_as<model_desc_view_t>(b, "/m/a.zmd"); },
         "[model] Model descriptor '/m/a.zmd' has incorrect file version 3 - expected version 4"},
        {"descriptor version 5", [] { return with_word(test::write_descriptor({}), 5); },
         [](const bytes_t &b) { return open_as<model_desc_view_t>(b, "/m/a.zmd"); },
         "[model] Model descriptor '/m/a.zmd' has incorrect file version 5 - expected version 4"},
        {"collision version 4", [] { return with_word(test::write_collision({}), 4); },
         [](const bytes_t &b) { return open_as<model_coll_view_t>(b, "/m/a.zmc"); },
         "[model] Model collision '/m/a.zmc' has incorrect file version 4 - expected version 5"},
        {"animation version 2", [] { return with_word(test::write_animation(test::fixture_animation()), 2); },
         [](const bytes_t &b) { return open_as<model_anim_view_t>(b, "/m/a.zma"); },
         "[model] Model animation '/m/a.zma' has incorrect file version 2 - expected version 3"},
    };
    EXPECT_EQ(empty_geometry.size(), 116u);
    for (const check_word_case_t &c : cases) {
        SCOPED_TRACE(c.name);
        test::message_capture_t capture;
        const bool ok = c.open(c.make());
        EXPECT_EQ(ok, c.message == nullptr);
        const std::vector<std::string> errors = capture.texts(message_t::ERROR);
        if (c.message) {
            ASSERT_FALSE(errors.empty());
            EXPECT_EQ(errors[0], c.message);
        } else {
            EXPECT_TRUE(errors.empty());
        }
    }
    // The correct words themselves load.
    EXPECT_TRUE(open_as<model_desc_view_t>(test::write_descriptor({}), "/m/a.zmd"));
    EXPECT_TRUE(open_as<model_coll_view_t>(test::write_collision({}), "/m/a.zmc"));
    EXPECT_TRUE(open_as<model_anim_view_t>(test::write_animation(test::fixture_animation()), "/m/a.zma"));
}

// ---- golden bytes ----

// Expected file contents, written word by word in file order.
class words_t {
public:
    words_t &w(std::initializer_list<uint32_t> words) {
        for (uint32_t x : words) put(x);
        return *this;
    }
    words_t &f(std::initializer_list<float> floats) {
        for (float x : floats) put(std::bit_cast<uint32_t>(x));
        return *this;
    }
    words_t &token(const char *name) {
        uint64_t t = 0;
        EXPECT_TRUE(string_to_token(t, name));
        return w({uint32_t(t), uint32_t(t >> 32)});
    }
    words_t &identity() { return f({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}); }
    // Bytes, padded with zeros to a whole word.
    words_t &b(std::initializer_list<uint8_t> bytes) {
        for (uint8_t x : bytes) m_bytes.push_back(x);
        while (m_bytes.size() % 4) m_bytes.push_back(0);
        return *this;
    }
    words_t &text(const char *s) {
        for (; *s; ++s) m_bytes.push_back(uint8_t(*s));
        m_bytes.push_back(0);
        return *this;
    }
    words_t &pad() { return b({}); }
    const bytes_t &bytes() const { return m_bytes; }

private:
    void put(uint32_t x) {
        for (int i = 0; i < 4; ++i) m_bytes.push_back(uint8_t(x >> (8 * i)));
    }
    bytes_t m_bytes;
};

// Compares word by word so a failure names the offset.
void expect_bytes(const bytes_t &actual, const bytes_t &expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); i += 4) {
        uint32_t a = 0, e = 0;
        for (size_t k = 0; k < 4 && i + k < actual.size(); ++k)
            a |= uint32_t(actual[i + k]) << (8 * k), e |= uint32_t(expected[i + k]) << (8 * k);
        EXPECT_EQ(a, e) << "at offset " << i;
    }
}

TEST(model_files, golden_geometry) {
    zmgen::zm_geometry_t g;
    g.bones = {test::fixture_bone("root", 255, {0, 1, 0})};
    g.pieces = {test::fixture_triangle(0, {{{0, 255}}, {{0, 255}}, {{0, 255}}})};
    g.parts = {{"body", 0, 1}};
    const float r = std::sqrt(0.5f);
    words_t x;
    // Header: magic, counts, a word not read, the sphere and box of the model, tables.
    x.w({0x5A6D6711, 1, 1, 1, 0}).f({0.5f, 0.5f, 0, r}).f({0, 0, 0, 1, 1, 0});
    x.w({116, 316, 0, 340, 0, 0, 0, 0, 436, 72, 0, 36, 544, 8});
    // Bone "root": bind matrix (translation 0, 1, 0 in the last column), its inverse,
    // stretch, rotation, translation, scale, scale sign, parent 255.
    x.token("root").f({1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1});
    x.f({1, 0, 0, 0, 0, 1, 0, -1, 0, 0, 1, 0, 0, 0, 0, 1});
    x.f({1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 1, 1, 1}).b({255});
    // Part "body": one piece from piece 0, eight bytes not read.
    x.token("body").w({1, 0, 0, 0});
    // Piece: 3 indices, 3 vertices, group size 1, slot 0, sphere, box, stream offsets
    // (no further stream, no tangents), index array, skin tables.
    x.w({3, 3, 1, 0}).f({0.5f, 0.5f, 0, r}).f({0, 0, 0, 1, 1, 0});
    x.w({436, 472, 508, 532, 0xFFFFFFFF, 0xFFFFFFFF, 544, 552, 560, 564});
    // Vertex block: positions and normals (first size term), then texture coordinates
    // and colours (second).
    x.f({0, 0, 0, 1, 0, 0, 0, 1, 0}).f({0, 0, 1, 0, 0, 1, 0, 0, 1});
    x.f({0, 0, 1, 0, 0, 1}).w({0xFF000000, 0xFF000001, 0xFF000002});
    // Index block, padded; skin group of each vertex; the one group's bone and weight.
    x.b({0, 0, 1, 0, 2, 0}).b({0, 0, 0, 0, 0, 0}).b({0}).b({255});
    expect_bytes(test::write_geometry(g), x.bytes());
}

TEST(model_files, golden_descriptor) {
    zmgen::zm_descriptor_t d;
    d.material_count = 1;
    d.looks = {{"default", {"body.mat"}}};
    d.variants = {"default"};
    d.parts = {{{"visible", 0, {1}, ""}, {"sound", 5, {}, "hit"}}};
    words_t x;
    // Header: version, material, look, variant and part counts, value block size, the
    // offsets of the look, variant, range, value, attribute and material tables.
    x.w({4, 1, 1, 0, 1, 1, 0, 4, 0, 60, 68, 76, 84, 88, 120});
    x.token("default").token("default");
    x.w({0, 2});  // part 0's attributes: definitions 0 and 1
    x.w({1});     // variant 0's value block: "visible" = 1
    x.token("visible").w({0, 0}).token("sound").w({5, 124});
    x.w({128});  // look 0, slot 0
    x.text("hit").text("body.mat").pad();
    expect_bytes(test::write_descriptor(d), x.bytes());
}

TEST(model_files, golden_collision) {
    zmgen::zm_collision_t c;
    c.material_count = 1;
    c.material_map = {{3}};
    c.meshes = {{{{0, 0, 0}, {1, 0, 0}, {0, 0, -1}}, {0, 1, 2}}};
    zmgen::zm_primitive_t sphere, mesh;
    sphere.type = 2, sphere.name = "head", sphere.position = {0, 1, 0}, sphere.radius = 0.5f, sphere.mass = 0.25f;
    mesh.type = 5;
    c.sets = {{sphere, mesh}};
    words_t x;
    // Header: version, words not read, material count, words not read, the material
    // map, mesh table and set table.
    x.w({5, 0, 0, 1, 0, 0, 0, 40, 44, 60});
    x.w({3});                                                     // row 0
    x.w({3, 3, 132, 168});                                        // mesh 0
    x.w({64});                                                    // set 0
    x.w({2, 40, 0}).f({0.25f}).token("head").f({0, 1, 0, 0.5f});  // sphere
    x.w({5, 20, 0}).f({1}).w({0});                                // mesh
    x.w({6, 0});                                                  // end of the set
    x.f({0, 0, 0, 1, 0, 0, 0, 0, -1}).b({0, 0, 1, 0, 2, 0});
    expect_bytes(test::write_collision(c), x.bytes());
}

TEST(model_files, golden_animation) {
    zmgen::zm_animation_t a;
    a.name = "walk";
    a.tracks = {0};
    a.frames.resize(2);
    a.frames[0].duration = 0.25f, a.frames[1].duration = 0.5f;
    a.frames[0].keys = a.frames[1].keys = {zmgen::zm_key_t()};
    a.frames[1].keys[0].translation = {0, 0, -1};
    a.frames[1].move = {0, 0, -0.25f};
    a.root_translation = true;
    a.length = 0.25f;
    words_t x;
    // Header: version, name, frame count 2 and flags 2 (one word), track count,
    // length, the durations, track map, keys and root translation, no rotation.
    x.w({3}).token("walk").w({2 | 2 << 16, 1}).f({0.25f}).w({44, 52, 56, 168, 0});
    x.f({0.25f, 0.5f}).b({0});
    x.f({1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1});   // frame 0: the identity key
    x.f({1, 0, 0, 0, 1, 0, 0, 0, 0, 0, -1, 1, 1, 1});  // frame 1
    x.f({0, 0, 0, 0, 0, -0.25f});
    expect_bytes(test::write_animation(a), x.bytes());
}

}  // namespace
}  // namespace quarn
