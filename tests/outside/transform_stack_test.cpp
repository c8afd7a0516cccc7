#include <gtest/gtest.h>

#include "outside/visbase/render.h"
#include "outside/visbase/transform_stack.h"
#include "qrncore/math/mat_sq.h"
#include "support/math_compare.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

vec3_t transform(const vec3_t &p) {
    const float *m = gfx_world_matrix();
    return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
            m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
}

// The transform given last acts first: scale, then rotate, then translate.
TEST(transform_stack, transforms_compose_on_the_right_and_pop_restores) {
    const mat4_t before = mat4_t::identity();
    gfx_set_world_matrix(before.m);
    gfx_push();
    gfx_translate({5, 0, 0});
    gfx_push_identity();
    EXPECT_EQ(gfx_transform_depth(), 2u);
    gfx_translate({1, 2, 3});
    gfx_qrotate(axis_angle({0, 0, 1}, 90));
    gfx_scale({2, 2, 2});
    EXPECT_TRUE(vec_near(transform({1, 0, 0}), {1, 4, 3}, TOL_UNIT));
    gfx_pop();
    EXPECT_TRUE(vec_near(transform({0, 0, 0}), {5, 0, 0}, TOL_UNIT));
    gfx_pop();
    EXPECT_EQ(gfx_transform_depth(), 0u);
    EXPECT_TRUE(*reinterpret_cast<const mat4_t *>(gfx_world_matrix()) == before);
}

// Too many pushes and a pop of nothing are logged; pushes and pops still pair up.
TEST(transform_stack, overflow_and_underflow_are_refused) {
    message_capture_t log;
    for (uint32_t i = 0; i < GFX_TRANSFORM_STACK_DEPTH + 2; ++i) gfx_push();
    EXPECT_TRUE(log.contains("[gfx] Transform stack overflow"));
    for (uint32_t i = 0; i < GFX_TRANSFORM_STACK_DEPTH + 2; ++i) gfx_pop();
    EXPECT_EQ(gfx_transform_depth(), 0u);
    EXPECT_FALSE(log.contains("underflow"));
    gfx_pop();
    EXPECT_TRUE(log.contains("[gfx] Transform stack underflow"));
}

}  // namespace
}  // namespace quarn::test
