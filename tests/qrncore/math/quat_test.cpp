#include "qrncore/math/quat.h"

#include <gtest/gtest.h>

#include <cmath>

#include "qrncore/math/attitude.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/math/scalar.h"
#include "qrncore/math/ypr.h"
#include "support/math_compare.h"

namespace quarn {
namespace {

using test::axis_angle;
using test::quat_near;
using test::same_rotation;
using test::TOL_DEGREES;
using test::TOL_TRIG;
using test::TOL_ULPS;
using test::TOL_UNIT;
using test::vec_near;

TEST(quat, hamilton_product_and_order) {
    const quat_t i{0, 1, 0, 0}, j{0, 0, 1, 0}, k{0, 0, 0, 1};
    EXPECT_TRUE(quat_near(i * j, k, 0.0f));
    EXPECT_TRUE(quat_near(j * i, quat_t{0, 0, 0, -1}, 0.0f));
    EXPECT_TRUE(quat_near(i * i, quat_t{-1, 0, 0, 0}, 0.0f));
    // In a ⊗ b, b acts first: pitch 90 then yaw 90 sends -Z up, then it stays up.
    const quat_t yaw = axis_angle({0, 1, 0}, 90), pitch = axis_angle({1, 0, 0}, 90);
    EXPECT_TRUE(vec_near((yaw * pitch).rotate({0, 0, -1}), {0, 1, 0}, TOL_UNIT));
    EXPECT_TRUE(vec_near((pitch * yaw).rotate({0, 0, -1}), {-1, 0, 0}, TOL_UNIT));
    quat_t acc = yaw;
    acc *= pitch;
    EXPECT_TRUE(quat_near(acc, yaw * pitch, 0.0f));
}

TEST(quat, identity_and_simple_queries) {
    const quat_t id;
    EXPECT_TRUE(vec_near(id.get_cartes(), {0, 0, -1}, 0.0f));
    EXPECT_TRUE(quat_t(1, 5, 5, 5).is_identity());  // only w is looked at
    EXPECT_FALSE(quat_t(0.99999f, 0, 0, 0).is_identity());
    quat_t zero{0, 0, 0, 0};
    zero.normalize();
    EXPECT_TRUE(quat_near(zero, quat_t{0, 0, 0, 0}, 0.0f));
    quat_t q{2, 0, 0, 0};
    q.normalize();
    EXPECT_TRUE(quat_near(q, quat_t{}, 0.0f));
    // A w rounded past 1 still has angle 0 rather than NaN.
    EXPECT_EQ(quat_t(1.0000001f, 0, 0, 0).get_rotation_angle(), 0.0f);
    EXPECT_NEAR(axis_angle({0, 0, 2}, 60).get_rotation_angle(), 60 * DEG_TO_RAD, TOL_UNIT);
    // The axis is normalised by set_axis_angle and returned as stored.
    EXPECT_TRUE(vec_near(axis_angle({0, 0, 2}, 180).get_rotation_axis(), {0, 0, 1}, TOL_ULPS));
    quat_t c = axis_angle({1, 2, 3}, 40);
    const quat_t orig = c;
    c.conjugate();
    c.invert();
    EXPECT_TRUE(quat_near(c, orig, 0.0f));
    c.negate();
    EXPECT_EQ(c.dot(orig), -orig.dot(orig));
}

TEST(quat, rotate_agrees_with_the_matrix_and_inverts) {
    const quat_t q = axis_angle({1, -2, 0.5f}, 73);
    mat4_t m;
    q.get_matrix(&m);
    const vec3_t v{0.3f, -4, 2};
    vec3_t by_matrix;
    fptr_mult_normal_matrix_fast(&by_matrix, &v, m, 1, 12, 12);
    EXPECT_TRUE(vec_near(q.rotate(v), by_matrix, TOL_TRIG));
    EXPECT_TRUE(vec_near(q.inverse_rotate(q.rotate(v)), v, TOL_TRIG));
    mat4_t inv, pair_m, pair_inv;
    q.get_inverse_matrix(&inv);
    q.get_matrix_pair(&pair_m, &pair_inv);
    EXPECT_TRUE(test::mat_near(pair_m, m, 0.0f));
    EXPECT_TRUE(test::mat_near(pair_inv, inv, 0.0f));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(inv.m[r * 4 + c], m.m[c * 4 + r]);
    const quat_t q2 = axis_angle({0, 1, 0}, 20);
    EXPECT_TRUE(quat_near(q.get_delta(q2) * q, q2, TOL_UNIT));
}

TEST(quat, set_matrix_covers_all_four_trace_branches) {
    // Small angle: trace > 0. Near 180° about mostly x, y or z: trace < 0 with m0, m5
    // or m10 the largest diagonal element.
    const struct {
        const char *name;
        quat_t q;
    } cases[] = {
        {"trace positive", axis_angle({1, 2, 3}, 30)},
        {"x largest", axis_angle({1, 0.2f, 0.1f}, 170)},
        {"y largest", axis_angle({0.2f, 1, -0.1f}, 170)},
        {"z largest", axis_angle({-0.1f, 0.2f, 1}, 170)},
        {"exact 180 about z", axis_angle({0, 0, 1}, 180)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        mat4_t m;
        c.q.get_matrix(&m);
        quat_t back{0, 0, 0, 0};
        back.set_matrix(m);
        EXPECT_TRUE(same_rotation(back, c.q, TOL_UNIT));
    }
}

TEST(quat, slerp_and_lerp) {
    const quat_t a = axis_angle({0, 1, 0}, 10);
    quat_t neg = a;
    neg.negate();
    for (float t : {0.0f, 0.25f, 0.5f, 1.0f}) {
        quat_t r;
        r.slerp_generic(a, neg, t);
        EXPECT_TRUE(quat_near(r, a, TOL_ULPS)) << "t " << t;
    }
    const quat_t b = axis_angle({0, 1, 0}, 90);
    quat_t half;
    half.slerp_generic(quat_t{}, b, 0.5f);
    EXPECT_TRUE(quat_near(half, axis_angle({0, 1, 0}, 45), TOL_UNIT));
    // Pure slerp does not take the short way: identity to -identity passes 180°.
    quat_t pure;
    pure.slerp_pure(quat_t{}, axis_angle({0, 1, 0}, 300), 0.5f);
    EXPECT_TRUE(same_rotation(pure, axis_angle({0, 1, 0}, 150), TOL_UNIT));

    // Dot 0.99995: linear weights, exactly what lerp_pure gives.
    const float c = 0.99995f, s = std::sqrt(1.0f - c * c);
    const quat_t near_a{1, 0, 0, 0}, near_b{c, 0, s, 0};
    ASSERT_GT(near_a.dot(near_b), 0.9999f);
    quat_t sl, li;
    sl.slerp_pure(near_a, near_b, 0.3f);
    li.lerp_pure(near_a, near_b, 0.3f);
    EXPECT_TRUE(quat_near(sl, li, 0.0f));

    // -(120° about Y): the generic lerp flips it back and meets 120° halfway, at 60°.
    quat_t far = axis_angle({0, 1, 0}, 120);
    far.negate();
    quat_t lg;
    lg.lerp_generic(quat_t{}, far, 0.5f);
    EXPECT_NEAR(lg.dot(lg), 1.0f, TOL_ULPS);
    EXPECT_TRUE(quat_near(lg, axis_angle({0, 1, 0}, 60), TOL_UNIT));
    quat_t alias = a;
    alias.slerp_generic(alias, b, 1.0f);
    EXPECT_TRUE(quat_near(alias, b, TOL_ULPS));
}

TEST(ypr, set_direction_table) {
    const struct {
        vec3_t dir;
        float yaw, pitch;
    } cases[] = {
        {{-1, 0, 0}, 90, 0}, {{1, 0, 0}, 270, 0}, {{0, 0, 1}, 180, 0},  {{0, 0, -1}, 0, 0},
        {{0, 1, 0}, 0, 90},  {{0, -2, 0}, 0, -90}, {{-1, 0, -1}, 45, 0}, {{1, 0, -1}, 315, 0},
        {{1, 0, 1}, 225, 0}, {{0, 1, -1}, 0, 45}, {{0, 0, 0}, 0, 0},     {{0, 0, 1e-6f}, 0, 0},
    };
    for (const auto &c : cases) {
        ypr_t ypr{1, 2, 3};
        ypr.set_direction(c.dir);
        SCOPED_TRACE(testing::Message() << c.dir.x << "," << c.dir.y << "," << c.dir.z);
        EXPECT_NEAR(ypr.yaw, c.yaw, TOL_DEGREES);
        EXPECT_NEAR(ypr.pitch, c.pitch, TOL_DEGREES);
        EXPECT_EQ(ypr.roll, 0.0f);
        EXPECT_GE(ypr.yaw, 0.0f);
        EXPECT_LT(ypr.yaw, 360.0f);
        if (length(c.dir) > 0.001f) {
            // The angles look where the direction points.
            EXPECT_TRUE(vec_near(ypr.get_direction(), normalized(c.dir), TOL_TRIG));
            quat_t q;
            q.set_cartes(c.dir);
            EXPECT_TRUE(vec_near(q.get_cartes(), normalized(c.dir), TOL_TRIG));
        }
    }
}

TEST(ypr, round_trips_hold_only_without_both_pitch_and_roll) {
    const struct {
        ypr_t in;
        bool returns;
    } cases[] = {
        {{30, 0, 20}, true}, {{30, 10, 0}, true}, {{-120, 0, -45}, true},
        {{0, 0, 0}, true},   {{30, 10, 20}, false},
    };
    for (const auto &c : cases) {
        quat_t q;
        q.set(c.in);
        const ypr_t out = q.get_ypr();
        const bool same = std::fabs(out.yaw - c.in.yaw) < TOL_DEGREES && std::fabs(out.pitch - c.in.pitch) < TOL_DEGREES &&
                          std::fabs(out.roll - c.in.roll) < TOL_DEGREES;
        EXPECT_EQ(same, c.returns) << c.in.yaw << " " << c.in.pitch << " " << c.in.roll << " -> " << out.yaw << " "
                                   << out.pitch << " " << out.roll;
    }
}

TEST(ypr, readback_never_gives_nan_when_rounding_passes_one) {
    // 2·(w·z) rounds to just above 1 for this slightly long quaternion.
    const quat_t q{0.7071068f, 0, 0, 0.7071068f};
    mat4_t m;
    q.get_matrix(&m);
    ASSERT_GT(m.m[4], 1.0f);
    const ypr_t ypr = q.get_ypr();
    EXPECT_NEAR(ypr.roll, 90.0f, TOL_DEGREES);
    attitude_t att;
    att.set(q);
    EXPECT_NEAR(att.roll, HALF_PI_F, TOL_UNIT);
}

TEST(attitude, normalize_table) {
    const struct {
        attitude_t in, out;
    } cases[] = {
        {{0, 2, 0}, {PI_F, PI_F - 2, -PI_F}},
        {{0, -2, 0}, {PI_F, -PI_F + 2, -PI_F}},
        {{-1, 0.5f, 4}, {TWO_PI_F - 1, 0.5f, 4 - TWO_PI_F}},
        {{7, 0, 0}, {7 - TWO_PI_F, 0, 0}},
        {{0, 0, PI_F}, {0, 0, -PI_F}},
    };
    for (const auto &c : cases) {
        attitude_t a = c.in;
        a.normalize();
        EXPECT_TRUE(vec_near(vec3_t{a.heading, a.pitch, a.roll}, {c.out.heading, c.out.pitch, c.out.roll}, TOL_TRIG))
            << c.in.heading << " " << c.in.pitch << " " << c.in.roll;
        // Still the same rotation.
        EXPECT_TRUE(same_rotation(a.get_quaternion(), c.in.get_quaternion(), TOL_TRIG));
    }
}

TEST(attitude, conversions) {
    const attitude_t a{0.4f, 0.3f, 0.0f};
    const vec3_t forward = a.rotate({0, 0, -1});
    EXPECT_TRUE(vec_near(a.get_direction(), forward, TOL_UNIT));
    EXPECT_TRUE(vec_near(a.get_horizontal_direction(), normalized(vec3_t{forward.x, 0, forward.z}), TOL_UNIT));
    mat4_t m, mq;
    a.get_matrix(&m);
    a.get_quaternion().get_matrix(&mq);
    EXPECT_TRUE(test::mat_near(m, mq, 0.0f));

    attitude_t back;
    back.set(a.get_quaternion());
    EXPECT_TRUE(vec_near(vec3_t{back.heading, back.pitch, back.roll}, {0.4f, 0.3f, 0.0f}, TOL_UNIT));

    attitude_t from_dir{1, 1, 1};
    from_dir.set(vec3_t{1, 0, 0});
    EXPECT_NEAR(from_dir.heading, 3 * HALF_PI_F, TOL_UNIT);
    from_dir.set(forward);
    EXPECT_NEAR(from_dir.heading, 0.4f, TOL_UNIT);
    EXPECT_NEAR(from_dir.pitch, 0.3f, TOL_UNIT);
    from_dir.set(vec3_t{});
    EXPECT_TRUE(from_dir.is_identity());
    from_dir = {1, 0, 0};
    from_dir.reset();
    EXPECT_TRUE(from_dir.is_identity());
}

}  // namespace
}  // namespace quarn
