// Merged models: copies of a model's pieces baked into shared buffers, the vertex
// limit, colour factors, part lists, the buffers' content in part order, and the
// packet arrays the client gives by effect class.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../models/model_lib_fixture.h"
#include "game/visuals/effects/merged_model.h"
#include "outside/visbase/render.h"

namespace quarn::test {
namespace {

constexpr uint32_t COLOUR = 0x80C06030u;

// A piece of n vertices along x (n - 2 triangles as a fan).
zmgen::zm_piece_t piece_of(uint32_t n, float y) {
    zmgen::zm_piece_t p;
    p.tangents = true;
    for (uint32_t i = 0; i < n; ++i) {
        zmgen::zm_vertex_t v;
        v.position = {float(i), y, 0};
        v.normal = {0, 0, 1};
        v.uv = {float(i), y};
        v.color = COLOUR;
        v.tangent = {1, 0, 0, -1};
        p.vertices.push_back(v);
    }
    for (uint32_t i = 1; i + 1 < n; ++i)
        for (uint32_t k : {0u, i, i + 1}) p.indices.push_back(uint16_t(k));
    return p;
}

class merged_model : public model_lib_fixture_t {
protected:
    // Part "big": one piece of 1000 vertices; part "small": two pieces of 3 and 4.
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        zmgen::zm_model_t m;
        m.geometry.pieces = {piece_of(1000, 0), piece_of(3, 1), piece_of(4, 2)};
        m.geometry.parts = {{"big", 0, 1}, {"small", 1, 2}};
        m.descriptor.material_count = 1;
        m.descriptor.looks = {{"default", {"rock.mat"}}};
        m.descriptor.variants = {"default"};
        m.descriptor.parts = {{}, {}};
        write_model(m, "model/heap", "heap");
        write_material("model/heap/rock.mat");
        model_desc_u *d = desc("/t/model/heap/heap.zmd");
        ASSERT_NE(d, nullptr);
        model = d->create_default_template();
        ASSERT_TRUE(model && model->is_loaded());
        merged = merged_model_u::create();
        ASSERT_TRUE(merged);
    }
    void TearDown() override {
        merged.reset();
        model.reset();
        model_lib_fixture_t::TearDown();
    }

    owner_ptr_t<model_template_u> model;
    owner_ptr_t<merged_model_u> merged;
};

TEST_F(merged_model, a_piece_of_1000_vertices_merges_65_times) {
    ASSERT_TRUE(merged->set_model(model.get()));
    ASSERT_EQ(merged->get_part_count(), 3u);
    for (int i = 0; i < 65; ++i) ASSERT_TRUE(merged->merge_geometry(placement_scale_t({0, 0, float(i)}, 1, quat_t()), 1)) << i;
    EXPECT_FALSE(merged->merge_geometry(placement_scale_t(), 1)) << "65 000 + 1000 > 65 534";
    // Refused whole: every part holds 65 copies.
    EXPECT_EQ(merged->get_part(0).vertices.get_count(), 65000u);
    EXPECT_EQ(merged->get_part(1).vertices.get_count(), 65u * 3);
    EXPECT_EQ(merged->get_part(2).vertices.get_count(), 65u * 4);
    // Indices refer to the part's own vertices.
    const merged_model_u::part_t &small = merged->get_part(2);
    EXPECT_EQ(small.indices.get_count(), 65u * 6);
    EXPECT_EQ(small.indices[6], 4u) << "the second copy starts at vertex 4";
    EXPECT_EQ(small.indices[65 * 6 - 1], 65u * 4 - 1);
}

TEST_F(merged_model, vertices_are_placed_and_coloured_by_the_factor) {
    ASSERT_TRUE(merged->set_model(model.get()));
    const uint32_t c = model->get_piece(1).colours[0];
    const struct {
        float factor;
        uint32_t colour;
    } cases[] = {
        {0.0f, 0xFF000000u}, {1.0f, 0xFF000000u | (c & 0xFFFFFFu)}, {2.0f, 0xFF000000u | (c & 0xFFFFFFu)},
        {-1.0f, 0xFF000000u}, {NAN, 0xFF000000u},
    };
    quat_t turn;
    turn.set_axis_angle({0, 1, 0}, 1.5707964f);
    const placement_scale_t at({10, 0, 0}, 2, turn);
    for (const auto &k : cases) ASSERT_TRUE(merged->merge_geometry(at, k.factor)) << k.factor;
    const merged_model_u::part_t &p = merged->get_part(1);
    for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(p.vertices[3 * i].colour, cases[i].colour) << cases[i].factor;
    // A half factor halves each byte in integer steps.
    ASSERT_TRUE(merged->merge_geometry(at, 0.5f));
    const uint32_t half = p.vertices[15].colour;
    for (int shift = 0; shift < 24; shift += 8)
        EXPECT_EQ((half >> shift) & 0xFFu, ((c >> shift) & 0xFFu) * 127u / 255u) << shift;
    // Vertex (2, 1, 0) of the piece: scaled by 2, turned 90° about y, moved by 10 on x.
    const merged_model_u::vertex_t &v = p.vertices[2];
    EXPECT_NEAR(v.position.x, 10.0f, 1e-5f);
    EXPECT_NEAR(v.position.y, 2.0f, 1e-5f);
    EXPECT_NEAR(v.position.z, -4.0f, 1e-5f);
    EXPECT_NEAR(v.normal.x, 1.0f, 1e-5f) << "normals turn, they do not scale";
    EXPECT_NEAR(length(v.normal), 1.0f, 1e-5f);
    EXPECT_NEAR(v.tangent.z, -1.0f, 1e-5f);
    EXPECT_EQ(v.tangent_w, -1.0f);
    EXPECT_EQ(v.uv, (vec2_t{2, 1}));
}

TEST_F(merged_model, a_part_list_chooses_the_pieces) {
    const struct {
        const char *name;
        std::vector<uint32_t> parts;
        std::vector<uint32_t> pieces;
    } cases[] = {
        {"all", {}, {0, 1, 2}},
        {"small", {1}, {1, 2}},
        {"small, then big", {1, 0}, {1, 2, 0}},
        {"past the last part", {5, 0}, {0}},
    };
    for (const auto &c : cases) {
        log.clear();
        ASSERT_TRUE(merged->set_model(model.get(), c.parts.empty() ? nullptr : c.parts.data(), uint32_t(c.parts.size())))
            << c.name;
        ASSERT_EQ(merged->get_part_count(), c.pieces.size()) << c.name;
        for (uint32_t i = 0; i < c.pieces.size(); ++i) {
            EXPECT_EQ(merged->get_part(i).piece, c.pieces[i]) << c.name;
            EXPECT_EQ(merged->get_part(i).position, i) << c.name;
        }
    }
    EXPECT_TRUE(log.contains("[model] The merged model of '/t/model/heap/heap.zmd' skips part 5: the model has 2 parts"));
    EXPECT_FALSE(merged->set_model(nullptr));
    EXPECT_EQ(merged->get_part_count(), 0u);
}

TEST_F(merged_model, buffers_hold_the_parts_in_order_and_draw) {
    const uint32_t small[] = {1};
    ASSERT_TRUE(merged->set_model(model.get(), small, 1));
    ASSERT_TRUE(merged->merge_geometry(placement_scale_t({0, 5, 0}, 1, quat_t()), 1));
    ASSERT_TRUE(merged->merge_geometry(placement_scale_t({0, 9, 0}, 1, quat_t()), 1));
    model_packets_for_all_t all(&packets->array);
    merged->alloc_buffers(&all);
    ASSERT_TRUE(merged->is_built());
    r_buffer_t *vb = merged->get_vertex_buffer(), *ib = merged->get_index_buffer();
    ASSERT_NE(vb, nullptr);
    ASSERT_NE(ib, nullptr);
    EXPECT_EQ(vb->kind, 4);
    EXPECT_EQ(ib->kind, 8);
    EXPECT_EQ(vb->size, 52u * (6 + 8));
    EXPECT_EQ(ib->size, 2u * (6 + 12));
    std::vector<uint8_t> vertices(vb->size), indices(ib->size);
    ASSERT_NE(vb->fill, nullptr);
    vb->fill(vb, vertices.data());
    ib->fill(ib, indices.data());
    // Part 0 (3 vertices a copy, 6 in all) first: its positions, then the rest of its
    // streams; part 1 (8 vertices) from byte 52 × 6.
    auto position_at = [&](uint64_t offset) {
        vec3_t p;
        memcpy(&p, vertices.data() + offset, sizeof p);
        return p;
    };
    EXPECT_EQ(position_at(0), (vec3_t{0, 6, 0}));
    EXPECT_EQ(position_at(12 * 3), (vec3_t{0, 10, 0})) << "the second copy of part 0";
    EXPECT_EQ(position_at(52 * 6), (vec3_t{0, 7, 0})) << "part 1 follows part 0";
    uint32_t colour;
    memcpy(&colour, vertices.data() + 40 * 6, 4);
    EXPECT_EQ(colour, merged->get_part(0).vertices[0].colour) << "part 0's colours after its tangents";
    uint16_t index;
    memcpy(&index, indices.data() + 2 * 6, 2);
    EXPECT_EQ(index, 0u) << "part 1's indices follow part 0's";

    // A merge after the buffers changes only the arrays.
    ASSERT_TRUE(merged->merge_geometry(placement_scale_t(), 1));
    context.begin_frame();
    merged->queue_render();
    shaderlib_queue_render_and_flush(&context);
    const r_draw_log_t &drawn = context.get_draw_log();
    ASSERT_EQ(drawn.draw_count(), 2u);
    EXPECT_EQ(drawn.draw(0).packets[0].type, uint32_t(R_PACKET_MODEL_TAN));
    EXPECT_EQ(drawn.draw(0).packets[0].count, 6u);
    EXPECT_EQ(drawn.draw(0).packets[1].count, 6u);
    EXPECT_EQ(drawn.draw(1).packets[0].count, 8u);
    EXPECT_EQ(drawn.draw(1).packets[1].count, 12u);
}

// Answers only the classes it was given.
struct class_client_t : model_packet_provider_t {
    r_parameter_array_t *get_packets(const unit_descriptor_t *d) override {
        asked.push_back(d);
        return d == answered ? array : nullptr;
    }
    const unit_descriptor_t *answered = nullptr;
    r_parameter_array_t *array = nullptr;
    std::vector<const unit_descriptor_t *> asked;
};

TEST_F(merged_model, parts_take_the_clients_packets_by_effect_class) {
    ASSERT_TRUE(merged->set_model(model.get()));
    ASSERT_TRUE(merged->merge_geometry(placement_scale_t(), 1));
    class_client_t client;
    client.array = &packets->array;
    client.answered = &effect_u::unit_descriptor;  // a parent of fw_dif's class
    merged->alloc_buffers(&client);
    for (uint32_t i = 0; i < merged->get_part_count(); ++i)
        EXPECT_EQ(merged->get_part(i).proto->parameters, &packets->array) << i;
    ASSERT_GE(client.asked.size(), 2u);
    EXPECT_STREQ(client.asked[0]->class_name->c_str(), "fw_dif") << "the effect's own class first";

    class_client_t none;
    merged->alloc_buffers(&none);
    EXPECT_EQ(none.asked.back(), nullptr) << "the default is asked last";
    EXPECT_TRUE(log.contains(
        "[model] Client failed to provide the parameter packet array for use with effect class 'fw_dif'."));
    EXPECT_EQ(merged->get_part(0).proto->parameters, nullptr);
}

TEST_F(merged_model, nothing_merged_draws_nothing) {
    ASSERT_TRUE(merged->set_model(model.get()));
    merged->alloc_buffers(nullptr);
    EXPECT_TRUE(merged->is_built());
    EXPECT_EQ(merged->get_vertex_buffer(), nullptr);
    context.begin_frame();
    merged->queue_render();
    shaderlib_queue_render_and_flush(&context);
    EXPECT_EQ(context.get_draw_log().draw_count(), 0u);
}

}  // namespace
}  // namespace quarn::test
