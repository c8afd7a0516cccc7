// Built antlers as the renderer sees them: the steps of a piece applied in order to
// the caller's matrix, the part's model and tint packets, and the scene's shared
// packets when a provider gives them.
#include <gtest/gtest.h>

#include <string>

#include "antler_fixture.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/matrix.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/units/unit_load_tree.h"

namespace quarn::test {
namespace {

mat4_t translation(const vec3_t &v) {
    mat4_t m = mat4_t::identity();
    matrix_pair_set_translate(&m, nullptr, v);
    return m;
}

// a·b: b acts first.
mat4_t times(const mat4_t &a, const mat4_t &b) {
    mat4_t r;
    mult_matrix_matrix(&r, b, a);
    return r;
}

void expect_matrix(const float *got, const mat4_t &want) {
    ASSERT_NE(got, nullptr);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], 1e-5f) << "element " << i;
}

class antler_pieces : public antler_fixture_t {
protected:
    owner_ptr_ret_t<antler_factory_u> load_factory() {
        put("antlers/two.unit", factory_text({ROCK, RIG}));
        return load_unit_tree<antler_factory_u>("/t/antlers/two.unit");
    }
};

TEST_F(antler_pieces, a_piece_draws_its_part_scaled_at_the_callers_matrix_with_its_tint) {
    owner_ptr_t<antler_factory_u> factory(load_factory());
    ASSERT_TRUE(factory);
    antler_piece_t piece;
    ASSERT_TRUE(factory->build(piece, 1, 0, 0.5f));
    ASSERT_EQ(piece.get_step_count(), 2u);
    ASSERT_EQ(piece.get_part(), factory->get_part(0));
    const antler_desc_u *desc = piece.get_desc();
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(desc->side, 1);
    EXPECT_EQ(desc->score_type, 0);
    EXPECT_EQ(desc->main_beam_index, 0);
    EXPECT_EQ(desc->main_beam, "simple_beam_part0");
    EXPECT_EQ(desc->scale, 0.5f);

    // A bone turned a quarter about y, 5 along x: the scale acts in the bone's frame.
    quat_t quarter;
    quarter.set_axis_angle({0, 1, 0}, 1.5707964f);
    const mat4_t bone = placement_scale_t({5, 0, 0}, 1.0f, quarter).compute_matrix();
    const r_draw_log_t &log1 = frame([&] { piece.draw(bone, 0.25f); });
    ASSERT_EQ(log1.draw_count(), 1u);
    const r_draw_record_t &r = log1.draw(0);
    const mat4_t want = times(bone, placement_scale_t({0, 0, 0}, 0.5f, quat_t()).compute_matrix());
    expect_matrix(r.value("transform.mv"), want);  // the camera is the identity without the scene's packets
    EXPECT_EQ(r.slots[FW_SLOT_MODEL], "fw4pp_model");
    EXPECT_EQ(r.slots[FW_SLOT_LIGHT_MODULATOR], "fw4pp_light_modulator");
    for (uint32_t slot : {FW_SLOT_CAMERA, FW_SLOT_FOG, FW_SLOT_LIGHT}) EXPECT_EQ(r.slots[slot], "") << slot;
    const antler_part_simple_u *part = piece.get_part();
    expect_matrix(part->get_model_packet()->matrix.m, want);
    mat4_t inverse;
    ASSERT_TRUE(fptr_matrix_get_inverse(&inverse, &want));
    expect_matrix(part->get_model_packet()->matrix_inv.m, inverse);
    EXPECT_EQ(part->get_tint_packet()->modulator, (vec4_t{0.25f, 0.25f, 0.25f, 1.0f}));

    // The tint scales the light the pass gives the model.
    const float *dim = r.value("light.diffuse");
    ASSERT_NE(dim, nullptr);
    const float dim_red = dim[0];
    const r_draw_log_t &log2 = frame([&] { piece.draw(bone, 1.0f); });
    ASSERT_EQ(log2.draw_count(), 1u);
    const float *full = log2.draw(0).value("light.diffuse");
    ASSERT_NE(full, nullptr);
    EXPECT_GT(full[0], 0.0f);
    EXPECT_NEAR(dim_red, full[0] * 0.25f, 1e-6f);
}

TEST_F(antler_pieces, steps_apply_in_order_each_acting_inside_the_running_frame) {
    owner_ptr_t<antler_factory_u> factory(load_factory());
    ASSERT_TRUE(factory);
    antler_part_simple_u *rock = factory->get_part(0);
    // Moved one along x, then doubled: the double acts first, the model's origin lands at (1, 0, 3).
    antler_step_t *steps[3] = {new antler_step_matrix_t(translation({1, 0, 0})),
                               new antler_step_matrix_t(placement_scale_t({0, 0, 0}, 2.0f, quat_t()).compute_matrix()),
                               new antler_step_target_t(rock)};
    antler_piece_t piece;
    ASSERT_TRUE(piece.set(steps, 3, rock, nullptr));
    EXPECT_EQ(piece.get_desc(), nullptr);
    const r_draw_log_t &log1 = frame([&] { piece.draw(translation({0, 0, 3}), 1.0f); });
    ASSERT_EQ(log1.draw_count(), 1u);
    const float *mv = log1.draw(0).value("transform.mv");
    ASSERT_NE(mv, nullptr);
    EXPECT_EQ((vec3_t{mv[3], mv[7], mv[11]}), (vec3_t{1, 0, 3}));
    EXPECT_EQ((vec3_t{mv[0], mv[5], mv[10]}), (vec3_t{2, 2, 2}));

    // Two targets queue the part twice; the queue reads its one model packet when it
    // renders, so both stand where the last step put the frame.
    antler_step_t *twice[3] = {new antler_step_target_t(rock), new antler_step_matrix_t(translation({0, 4, 0})),
                               new antler_step_target_t(rock)};
    ASSERT_TRUE(piece.set(twice, 3, rock, nullptr));
    EXPECT_EQ(piece.get_step_count(), 3u);
    const r_draw_log_t &log2 = frame([&] { piece.draw(mat4_t::identity(), 1.0f); });
    ASSERT_EQ(log2.draw_count(), 2u);
    for (uint32_t i = 0; i < 2; ++i) {
        const float *at = log2.draw(i).value("transform.mv");
        ASSERT_NE(at, nullptr);
        EXPECT_EQ((vec3_t{at[3], at[7], at[11]}), (vec3_t{0, 4, 0}));
    }
    piece.reset();
    EXPECT_TRUE(piece.is_empty());
    EXPECT_EQ(frame([&] { piece.draw(mat4_t::identity(), 1.0f); }).draw_count(), 0u);
}

TEST_F(antler_pieces, the_scenes_packets_come_through_the_provider) {
    struct provider_t : antler_packet_provider_t {
        const r_parameter_array_t *get_shared_packets() override { return array; }
        const r_parameter_array_t *array = nullptr;
    } provider;
    provider.array = &packets->array;  // camera, model, fog and light
    antler_set_packet_provider(&provider);
    packets->camera->view = translation({0, -10, 0});
    owner_ptr_t<antler_factory_u> factory(load_factory());
    ASSERT_TRUE(factory);
    const antler_part_simple_u *part = factory->get_part(0);
    EXPECT_EQ(part->get_packets().get(FW_SLOT_CAMERA), packets->camera.get());
    EXPECT_EQ(part->get_packets().get(FW_SLOT_MODEL), part->get_model_packet()) << "its own model packet";
    antler_piece_t piece;
    ASSERT_TRUE(factory->build(piece, 0, 0, 1.0f));
    const r_draw_log_t &log1 = frame([&] { piece.draw(translation({2, 0, 0}), 1.0f); });
    ASSERT_EQ(log1.draw_count(), 1u);
    const r_draw_record_t &r = log1.draw(0);
    EXPECT_EQ(r.slots[FW_SLOT_CAMERA], "pp_camera");
    EXPECT_EQ(r.slots[FW_SLOT_FOG], "pp_fog");
    EXPECT_EQ(r.slots[FW_SLOT_LIGHT], "fw4pp_light");
    const float *mv = r.value("transform.mv");
    ASSERT_NE(mv, nullptr);
    EXPECT_EQ((vec3_t{mv[3], mv[7], mv[11]}), (vec3_t{2, -10, 0})) << "placed, then seen by the scene's camera";
    EXPECT_EQ(packets->model->matrix, mat4_t::identity()) << "the scene's model packet is not touched";
}

}  // namespace
}  // namespace quarn::test
