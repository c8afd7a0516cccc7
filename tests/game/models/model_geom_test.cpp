// The geometry reader: what a written geometry reads back as, the skin-group rules,
// and the load-time checks that refuse a file whose offsets or counts reach outside.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "game/models/model_fixtures.h"
#include "game/visuals/models/model_geom_view.h"
#include "game/visuals/models/model_layout.h"
#include "qrncore/math/matrix.h"
#include "qrncore/strings/name_token.h"
#include "support/message_capture.h"
#include "support/model_walk.h"

namespace quarn {
namespace {

using bytes_t = std::vector<uint8_t>;
using geom_t = test::opened_t<model_geom_view_t>;

uint64_t token(const char *name) {
    uint64_t t = 0;
    EXPECT_TRUE(string_to_token(t, name));
    return t;
}

TEST(model_geometry, reads_back_what_was_written) {
    const zmgen::zm_geometry_t g = test::fixture_geometry();
    const geom_t m(test::write_geometry(g));
    ASSERT_TRUE(m.ok);
    const model_geom_view_t &v = m.view;
    EXPECT_TRUE(test::walk_model(v));
    EXPECT_EQ(v.get_piece_count(), 2u);
    EXPECT_EQ(v.get_part_count(), 1u);
    EXPECT_EQ(v.get_bone_count(), 2u);

    // Bones: names, parents, rest poses and the bind matrices down the chain.
    const std::vector<mat4_t> bind = zmgen::zm_bind_matrices(g.bones);
    for (uint32_t b = 0; b < 2; ++b) {
        const model_bone_t bone = v.get_bone(b);
        EXPECT_EQ(bone.name, token(g.bones[b].name.c_str()));
        EXPECT_EQ(bone.parent, g.bones[b].parent);
        EXPECT_EQ(bone.translation, g.bones[b].translation);
        EXPECT_EQ(bone.bind, bind[b]);
        mat4_t product;
        mult_matrix_matrix(&product, bone.bind, bone.bind_inverse);
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(product.m[i], mat4_t::identity().m[i], 1e-6f);
    }
    EXPECT_EQ(v.get_bone(1).bind.m[7], 1.0f);    // the tip sits at (0, 1, -1)
    EXPECT_EQ(v.get_bone(1).bind.m[11], -1.0f);  // in model space
    EXPECT_EQ(v.find_bone("tip"), 1);
    EXPECT_EQ(v.find_bone("nose"), -1);

    // Parts: found by token, whatever the case of the name.
    EXPECT_EQ(v.find_part("body"), 0);
    EXPECT_EQ(v.find_part("BODY"), 0);
    EXPECT_EQ(v.find_part("legs"), -1);
    EXPECT_EQ(v.find_part("not a token"), -1);
    EXPECT_EQ(v.get_part_name(0), token("body"));
    EXPECT_EQ(v.get_part_first_piece(0), 0u);
    EXPECT_EQ(v.get_part_piece_count(0), 2u);

    // Pieces: every stream as given, bounds computed from the positions.
    for (uint32_t p = 0; p < 2; ++p) {
        SCOPED_TRACE(p);
        const zmgen::zm_piece_t &piece = g.pieces[p];
        ASSERT_EQ(v.get_vertex_count(p), 3u);
        ASSERT_EQ(v.get_index_count(p), 3u);
        EXPECT_EQ(v.get_material_slot(p), piece.material);
        EXPECT_TRUE(v.has_tangents(p));
        EXPECT_TRUE(v.has_further(p));
        for (uint32_t i = 0; i < 3; ++i) {
            const zmgen::zm_vertex_t &x = piece.vertices[i];
            EXPECT_EQ(v.get_positions(p)[i], x.position);
            EXPECT_EQ(v.get_normals(p)[i], x.normal);
            EXPECT_EQ(v.get_texcoords(p)[i], x.uv);
            EXPECT_EQ(v.get_colors(p)[i], x.color);
            EXPECT_EQ(v.get_further(p)[i], x.further);
            EXPECT_EQ(v.get_tangents(p)[i], x.tangent);
            EXPECT_EQ(v.get_indices(p)[i], piece.indices[i]);
        }
        const aabox_t box = v.get_bounding_box(int32_t(p));
        EXPECT_EQ(box.min, (vec3_t{0, 0, 0}));
        EXPECT_EQ(box.max, (vec3_t{1, 1, 0}));
        EXPECT_FLOAT_EQ(v.get_bounding_sphere(int32_t(p)).radius, std::sqrt(0.5f));
    }
    EXPECT_EQ(v.get_bounding_box(-1).max, (vec3_t{1, 1, 0}));

    // Skin groups: equal influence lists share a group; groups are as long as the
    // longest list, shorter ones end with a zero weight.
    ASSERT_EQ(v.get_skin_group_size(0), 2u);
    const uint16_t groups0[] = {0, 1, 2};
    const uint8_t bones0[] = {0, 0, 0, 1, 1, 0}, weights0[] = {255, 0, 128, 127, 255, 0};
    EXPECT_EQ(memcmp(v.get_skin_groups(0), groups0, sizeof groups0), 0);
    EXPECT_EQ(memcmp(v.get_skin_bones(0), bones0, sizeof bones0), 0);
    EXPECT_EQ(memcmp(v.get_skin_weights(0), weights0, sizeof weights0), 0);
    ASSERT_EQ(v.get_skin_group_size(1), 1u);
    const uint16_t groups1[] = {0, 0, 1};
    const uint8_t bones1[] = {1, 0}, weights1[] = {255, 255};
    EXPECT_EQ(memcmp(v.get_skin_groups(1), groups1, sizeof groups1), 0);
    EXPECT_EQ(memcmp(v.get_skin_bones(1), bones1, sizeof bones1), 0);
    EXPECT_EQ(memcmp(v.get_skin_weights(1), weights1, sizeof weights1), 0);

    // The blocks: every stream inside the vertex block, every index array inside the
    // index block, the streams skinning copies first.
    const uint8_t *block = v.get_vertex_block();
    EXPECT_EQ(reinterpret_cast<const uint8_t *>(v.get_positions(0)), block);
    EXPECT_LT(reinterpret_cast<const uint8_t *>(v.get_tangents(1)),
              reinterpret_cast<const uint8_t *>(v.get_texcoords(0)));
    EXPECT_EQ(reinterpret_cast<const uint8_t *>(v.get_indices(0)), v.get_index_block());
    EXPECT_EQ(v.get_index_block_size(), 16u);  // two arrays of 6 bytes, each padded to 8
}

// Influences are read up to the group size or the first weight of 0: a full group
// names bones to its end, a group that starts with a zero weight names none.
TEST(model_geometry, skin_group_rules) {
    struct case_t {
        const char *name;
        std::vector<zmgen::zm_influence_t> influences;
        bool loads;
    };
    const case_t cases[] = {
        {"full group", {{0, 10}, {1, 20}, {1, 30}}, true},
        {"full group naming a missing bone last", {{0, 10}, {1, 20}, {2, 30}}, false},
        {"zero first weight, bones past the count", {{200, 0}, {201, 9}, {202, 9}}, true},
        {"zero weight ending the group early", {{1, 50}, {7, 0}, {9, 9}}, true},
        {"zero weight after a missing bone", {{7, 50}, {1, 0}}, false},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        zmgen::zm_geometry_t g = test::fixture_geometry();
        for (auto &p : g.pieces) p.skin_group_size = 3;
        g.pieces[0].vertices[2].influences = c.influences;
        test::message_capture_t capture;
        const geom_t m(test::write_geometry(g));
        EXPECT_EQ(m.ok, c.loads);
        if (!m.ok) {
            EXPECT_TRUE(capture.contains("names bone"));
            continue;
        }
        EXPECT_TRUE(test::walk_model(m.view));
        const uint16_t group = m.view.get_skin_groups(0)[2];
        EXPECT_EQ(m.view.get_skin_weights(0)[group * 3], c.influences[0].weight);
        EXPECT_EQ(m.view.get_skin_bones(0)[group * 3], c.influences[0].bone);
    }
}

// A broken geometry is refused with the malformed message and a line naming the check
// and the offset of the field that failed.
TEST(model_geometry, refuses_what_reaches_outside) {
    const bytes_t good = test::write_geometry(test::fixture_geometry());
    const uint32_t size = uint32_t(good.size());
    auto u32 = [&](uint64_t at) { return zmgen::zm_read_u32(good, at); };
    const uint64_t bones = u32(zm::GEOM_BONES), parts = u32(zm::GEOM_PARTS), pieces = u32(zm::GEOM_PIECES);
    const uint64_t piece0 = pieces, piece1 = pieces + zm::PIECE_SIZE;
    const uint64_t index0 = u32(piece0 + zm::PIECE_INDICES), groups0 = u32(piece0 + zm::PIECE_SKIN_GROUPS);
    const uint64_t skin_bones1 = u32(piece1 + zm::PIECE_SKIN_BONES);

    struct case_t {
        const char *name;
        uint64_t field;  // the offset the message names
        std::function<void(bytes_t &)> patch;
        const char *what;
    };
    auto set32 = [](uint64_t at, uint32_t value) { return [=](bytes_t &b) { zmgen::zm_patch_u32(b, at, value); }; };
    auto set8 = [](uint64_t at, uint8_t value) { return [=](bytes_t &b) { zmgen::zm_patch_u8(b, at, value); }; };
    auto set16 = [](uint64_t at, uint16_t value) { return [=](bytes_t &b) { zmgen::zm_patch_u16(b, at, value); }; };
    const case_t cases[] = {
        {"more than 255 bones", zm::GEOM_BONE_COUNT, set32(zm::GEOM_BONE_COUNT, 256), "256 bones, more than 255"},
        {"bone table past the end", zm::GEOM_BONES, set32(zm::GEOM_BONES, size - 100), "the bone table"},
        {"bone whose parent follows it", bones + zm::BONE_PARENT, set8(bones + zm::BONE_PARENT, 1),
         "bone 0 has parent 1"},
        {"bone that is its own parent", bones + zm::BONE_SIZE + zm::BONE_PARENT,
         set8(bones + zm::BONE_SIZE + zm::BONE_PARENT, 1), "bone 1 has parent 1"},
        {"part table past the end", zm::GEOM_PARTS, set32(zm::GEOM_PARTS, size), "the part table"},
        {"piece table past the end", zm::GEOM_PIECES, set32(zm::GEOM_PIECES, size - 95), "the piece table"},
        {"part beyond the pieces", parts + zm::PART_FIRST_PIECE, set32(parts + zm::PART_FIRST_PIECE, 1),
         "part 0 covers pieces 1 to 3 of 2"},
        {"part range over 32 bits", parts + zm::PART_FIRST_PIECE, set32(parts + zm::PART_FIRST_PIECE, 0xFFFFFFFF),
         "part 0 covers pieces"},
        {"vertex block past the end", zm::GEOM_VERTEX_BLOCK, set32(zm::GEOM_VERTEX_SIZE_2, 0xFFFFFFFF),
         "the vertex block"},
        {"index block past the end", zm::GEOM_INDEX_BLOCK, set32(zm::GEOM_INDEX_SIZE, size), "the index block"},
        {"positions outside the vertex block", piece0 + zm::PIECE_POSITIONS,
         set32(piece0 + zm::PIECE_POSITIONS, uint32_t(index0)), "piece 0: the positions"},
        {"unaligned normals", piece1 + zm::PIECE_NORMALS,
         set32(piece1 + zm::PIECE_NORMALS, u32(piece1 + zm::PIECE_NORMALS) + 2), "normals are not 4-byte aligned"},
        {"a piece without the tangents of piece 0", piece1 + zm::PIECE_TANGENTS,
         set32(piece1 + zm::PIECE_TANGENTS, zm::NO_STREAM), "disagree on having the tangents"},
        {"a piece with a further stream piece 0 lacks", piece1 + zm::PIECE_FURTHER,
         [&](bytes_t &b) { zmgen::zm_patch_u32(b, piece0 + zm::PIECE_FURTHER, zm::NO_STREAM); },
         "piece 1 and piece 0 disagree on having the further stream"},
        {"vertex count past the block", piece0 + zm::PIECE_POSITIONS,
         set32(piece0 + zm::PIECE_VERTEX_COUNT, 0x40000000), "lie outside the vertex block"},
        {"indices not whole triangles", piece0 + zm::PIECE_INDEX_COUNT, set32(piece0 + zm::PIECE_INDEX_COUNT, 2),
         "not whole triangles"},
        {"index array outside the index block", piece1 + zm::PIECE_INDICES,
         set32(piece1 + zm::PIECE_INDICES, u32(zm::GEOM_VERTEX_BLOCK)), "lies outside the index block"},
        {"index count past the block", piece1 + zm::PIECE_INDICES, set32(piece1 + zm::PIECE_INDEX_COUNT, 0xFFFFFFF0),
         "lies outside the index block"},
        {"index past the vertex count", index0, set16(index0, 3), "index 0 is 3, not below the vertex count 3"},
        {"skin group past the tables", groups0, set16(groups0, 0xFFFF), "skin group 65535 of vertex 0"},
        {"skin group naming a missing bone", skin_bones1, set8(skin_bones1, 2), "names bone 2 of 2"},
        {"skin group indices past the end", piece0 + zm::PIECE_SKIN_GROUPS,
         set32(piece0 + zm::PIECE_SKIN_GROUPS, size - 2), "the skin group indices"},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        bytes_t b = good;
        c.patch(b);
        test::message_capture_t capture;
        const geom_t m(b, "/model/x/broken.zmg");
        EXPECT_FALSE(m.ok);
        EXPECT_FALSE(m.view.is_open());
        const std::vector<std::string> errors = capture.texts(message_t::ERROR);
        ASSERT_EQ(errors.size(), 2u);
        EXPECT_EQ(errors[0], "[model] Model geometry '/model/x/broken.zmg' is malformed.");
        char field[64];
        snprintf(field, sizeof field, "(field at offset 0x%llx).", (unsigned long long)c.field);
        EXPECT_NE(errors[1].find(c.what), std::string::npos) << errors[1];
        EXPECT_NE(errors[1].find(field), std::string::npos) << errors[1];
    }
    // The untouched file loads.
    EXPECT_TRUE(geom_t(good).ok);
}

}  // namespace
}  // namespace quarn
