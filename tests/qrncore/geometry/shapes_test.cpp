// plane_t, sphere_t, aabox_t and bsphere_t.
#include <gtest/gtest.h>

#include <cfloat>

#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/bsphere.h"
#include "qrncore/geometry/plane.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/math/scalar.h"
#include "support/math_compare.h"

namespace quarn {
namespace {

using test::TOL_UNIT;
using test::vec_near;

TEST(plane_shape, construction_and_queries) {
    const plane_t def;
    EXPECT_TRUE(vec_near(def.as_vec4(), {0, 1, 0, 0}, 0.0f));
    const plane_t p({0, 2, 0}, {1, 2, 0}, {0, 2, -1});  // y = 2 facing up
    EXPECT_TRUE(vec_near(p.as_vec4(), {0, 1, 0, -2}, 0.0f));
    // Too small a cross product stays unnormalised.
    const plane_t tiny({0, 0, 0}, {0.001f, 0, 0}, {0, 0, -0.001f});
    EXPECT_NEAR(tiny.b, 0.000001f, 1e-9f);
    const plane_t unit(unit_normal, {0, 0, 1}, {5, 5, 3});
    EXPECT_TRUE(vec_near(unit.as_vec4(), {0, 0, 1, -3}, 0.0f));
    const plane_t renorm(renormalize_normal, {0, 0, 4}, {5, 5, 3});
    EXPECT_TRUE(vec_near(renorm.as_vec4(), {0, 0, 1, -3}, 0.0f));

    plane_t r{0, 0, 2, -6};
    EXPECT_TRUE(r.renormalize());
    EXPECT_TRUE(vec_near(r.as_vec4(), {0, 0, 1, -3}, 0.0f));
    plane_t flat{0.001f, 0, 0, 7};
    EXPECT_FALSE(flat.renormalize());
    EXPECT_EQ(flat.d, 7.0f);

    EXPECT_EQ(p.get_signed_distance({9, -1, 9}), -3.0f);
    EXPECT_EQ(p.get_distance({9, -1, 9}), 3.0f);
    EXPECT_TRUE(vec_near(p.project({9, -1, 9}), {9, 2, 9}, 0.0f));
    const struct {
        plane_t plane;
        unsigned octant;
    } octants[] = {{{1, 1, 1, 0}, 7}, {{-1, 1, 0, 0}, 2}, {{0.5f, -1, 0.1f, 0}, 5}, {{0, 0, 0, 0}, 0}};
    for (const auto &o : octants) EXPECT_EQ(o.plane.get_normal_octant(), o.octant);
}

TEST(plane_shape, segment_crossing_table) {
    const plane_t ground;
    const vec3_t untouched{9, 9, 9};
    const struct {
        const char *name;
        vec3_t a, b;
        bool hit;
        vec3_t out;
    } cases[] = {
        {"both in front", {0, 1, 0}, {0, 2, 0}, false, untouched},
        {"both behind", {0, -1, 0}, {0, -2, 0}, false, untouched},
        {"a on the plane", {1, 0, 1}, {0, 2, 0}, true, {1, 0, 1}},
        {"b on the plane", {0, 2, 0}, {3, 0, 3}, true, {3, 0, 3}},
        {"crossing down", {0, 3, 0}, {0, -1, 0}, true, {0, 0, 0}},
        {"crossing up", {4, -1, 0}, {0, 3, 0}, true, {3, 0, 0}},
        {"distances too close", {0, 0.000001f, 0}, {0, -0.000001f, 0}, false, untouched},
    };
    for (const auto &c : cases) {
        vec3_t out = untouched;
        EXPECT_EQ(ground.intersection(&out, c.a, c.b), c.hit) << c.name;
        EXPECT_TRUE(vec_near(out, c.out, TOL_UNIT)) << c.name;
    }
}

TEST(sphere_shape, touching_and_segments) {
    const sphere_t s{{0, 0, 0}, 2};
    EXPECT_FALSE(s.contains({2, 0, 0}));  // on the surface
    EXPECT_TRUE(s.contains({1.99f, 0, 0}));
    EXPECT_FALSE(s.intersects(sphere_t{{3, 0, 0}, 1}));  // touching
    EXPECT_TRUE(s.intersects(sphere_t{{2.99f, 0, 0}, 1}));
    const struct {
        const char *name;
        vec3_t a, b;
        bool hit;
    } segments[] = {
        {"through", {-5, 0, 0}, {5, 0, 0}, true},
        {"starting inside", {0.5f, 0, 0}, {9, 9, 9}, true},
        {"starting on the surface", {0, 2, 0}, {0, 9, 0}, true},
        {"ending inside", {5, 0, 0}, {1, 0, 0}, true},
        {"tangent", {-5, 2, 0}, {5, 2, 0}, true},
        {"stopping short", {5, 0, 0}, {3, 0, 0}, false},
        {"pointing away", {3, 0, 0}, {5, 0, 0}, false},
        {"passing by", {-5, 3, 0}, {5, 3, 0}, false},
        {"a point outside", {3, 3, 3}, {3, 3, 3}, false},
    };
    for (const auto &c : segments) EXPECT_EQ(s.intersects(c.a, c.b), c.hit) << c.name;

    sphere_t moved = s;
    moved.translate({1, 1, 1});
    moved.scale(2);
    EXPECT_TRUE(vec_near(moved.center, {1, 1, 1}, 0.0f));
    EXPECT_EQ(moved.radius, 4.0f);
    EXPECT_EQ(sphere_t{}.radius, 1.0f);
}

TEST(sphere_shape, enlarge_cases) {
    const struct {
        const char *name;
        sphere_t a, b, out;
    } cases[] = {
        {"inside", {{0, 0, 0}, 5}, {{1, 0, 0}, 2}, {{0, 0, 0}, 5}},
        {"equal", {{0, 0, 0}, 5}, {{0, 0, 0}, 5}, {{0, 0, 0}, 5}},
        {"holding this one", {{1, 0, 0}, 2}, {{0, 0, 0}, 5}, {{0, 0, 0}, 5}},
        {"apart", {{0, 0, 0}, 1}, {{4, 0, 0}, 1}, {{2, 0, 0}, 3}},
        {"overlapping", {{0, 0, 0}, 2}, {{0, 2, 0}, 1}, {{0, 0.5f, 0}, 2.5f}},
    };
    for (const auto &c : cases) {
        sphere_t s = c.a;
        s.enlarge(c.b);
        EXPECT_TRUE(vec_near(s.center, c.out.center, TOL_UNIT)) << c.name;
        EXPECT_NEAR(s.radius, c.out.radius, TOL_UNIT) << c.name;
    }
}

TEST(aabox, corners_containment_and_touching) {
    const aabox_t box{{0, 0, 0}, {1, 2, 3}};
    EXPECT_TRUE(vec_near(box.get_corner(5), {1, 0, 3}, 0.0f));
    EXPECT_TRUE(vec_near(box.get_corner(2), {0, 2, 0}, 0.0f));
    EXPECT_TRUE(vec_near(box.get_center(), {0.5f, 1, 1.5f}, 0.0f));
    EXPECT_TRUE(box.contains(vec3_t{1, 2, 3}));  // inclusive
    EXPECT_FALSE(box.contains(vec3_t{1, 2, 3.001f}));
    EXPECT_TRUE(box.contains(aabox_t{{0, 0, 0}, {1, 1, 1}}));  // faces touching
    EXPECT_FALSE(box.contains(aabox_t{{0, 0, 0}, {1.5f, 1, 1}}));

    const struct {
        const char *name;
        aabox_t other;
        bool hit;
    } boxes[] = {
        {"sharing a face", {{1, 0, 0}, {2, 2, 3}}, true},
        {"sharing an edge", {{1, 2, 0}, {2, 3, 1}}, true},
        {"overlapping", {{0.5f, 0.5f, 0.5f}, {5, 5, 5}}, true},
        {"apart on y", {{0, 2.01f, 0}, {1, 3, 3}}, false},
        {"apart on z", {{0, 0, -2}, {1, 2, -0.01f}}, false},
    };
    for (const auto &c : boxes) {
        EXPECT_EQ(box.intersects(c.other), c.hit) << c.name;
        EXPECT_EQ(c.other.intersects(box), c.hit) << c.name;
    }
    const struct {
        const char *name;
        sphere_t sphere;
        bool hit;
    } spheres[] = {
        {"surface touching a face", {{2, 1, 1}, 1}, false},
        {"crossing a face", {{1.9f, 1, 1}, 1}, true},
        {"inside", {{0.5f, 1, 1}, 0.1f}, true},
        // The sphere's bounding cube reaches the corner region: conservative.
        {"near a corner", {{1.6f, 2.6f, 1}, 0.7f}, true},
    };
    for (const auto &c : spheres) EXPECT_EQ(box.intersects(c.sphere), c.hit) << c.name;
}

TEST(aabox, void_enlarge_and_transform) {
    aabox_t empty{{1, 1, 1}, {2, 2, 2}};
    empty.encapsulate(0, nullptr);
    EXPECT_TRUE(empty.is_void());
    EXPECT_TRUE(vec_near(empty.min, {FLT_MAX, FLT_MAX, FLT_MAX}, 0.0f));
    EXPECT_TRUE(vec_near(empty.max, {-FLT_MAX, -FLT_MAX, -FLT_MAX}, 0.0f));
    EXPECT_FALSE(aabox_t{}.is_void());  // the default box is the zero box

    const vec3_t points[3] = {{1, -1, 0}, {-2, 4, 0.5f}, {0, 0, -3}};
    aabox_t b;
    b.encapsulate(3, points);
    EXPECT_TRUE(vec_near(b.min, {-2, -1, -3}, 0.0f));
    EXPECT_TRUE(vec_near(b.max, {1, 4, 0.5f}, 0.0f));
    aabox_t grown;
    grown.set_void();
    grown.enlarge(vec3_t{5, 5, 5});
    grown.enlarge(b);
    EXPECT_TRUE(vec_near(grown.min, {-2, -1, -3}, 0.0f));
    EXPECT_TRUE(vec_near(grown.max, {5, 5, 5}, 0.0f));

    aabox_t s{{1, 2, 3}, {2, 3, 4}};
    s.scale(2.0f);
    s.translate({1, 0, 0});
    EXPECT_TRUE(vec_near(s.min, {3, 4, 6}, 0.0f));
    s.scale(vec3_t{1, 0.5f, 1});
    EXPECT_TRUE(vec_near(s.max, {5, 3, 8}, 0.0f));

    // A quarter turn about Y: x to -z.
    quat_t q;
    q.set_axis_angle({0, 1, 0}, HALF_PI_F);
    aabox_t r{{1, 0, 0}, {3, 1, 1}};
    r.rotate(q);
    EXPECT_TRUE(vec_near(r.min, {0, 0, -3}, TOL_UNIT));
    EXPECT_TRUE(vec_near(r.max, {1, 1, -1}, TOL_UNIT));
    aabox_t local{{1, 0, 0}, {3, 1, 1}};
    local.rotate_local(q);  // about its centre (2, 0.5, 0.5)
    EXPECT_TRUE(vec_near(local.min, {1.5f, 0, -0.5f}, TOL_UNIT));
    EXPECT_TRUE(vec_near(local.max, {2.5f, 1, 1.5f}, TOL_UNIT));
    // The projective divide applies.
    mat4_t half = mat4_t::identity();
    half.m[15] = 2.0f;
    aabox_t t{{2, 2, 2}, {4, 4, 4}};
    t.transform(half);
    EXPECT_TRUE(vec_near(t.min, {1, 1, 1}, 0.0f));
    EXPECT_TRUE(vec_near(t.max, {2, 2, 2}, 0.0f));
}

TEST(bsphere, grow_expand_and_overlap) {
    bsphere_t s;
    s.set({0, 0, 0}, 10);
    s.expand();
    EXPECT_NEAR(s.radius, 10.1f, TOL_UNIT);
    EXPECT_NEAR(s.radius2, 102.01f, 1e-4f);

    bsphere_t b;
    b.set({0, 0, 0}, 1);
    b.resize(vec3_t{0.5f, 0, 0});  // inside: unchanged
    EXPECT_TRUE(vec_near(b.center, {0, 0, 0}, 0.0f));
    EXPECT_EQ(b.radius, 1.0f);
    b.resize(vec3_t{3, 0, 0});  // spans from -1 to 3
    EXPECT_TRUE(vec_near(b.center, {1, 0, 0}, TOL_UNIT));
    EXPECT_NEAR(b.radius, 2.0f, TOL_UNIT);
    EXPECT_NEAR(b.radius2, 4.0f, TOL_UNIT);

    const struct {
        const char *name;
        vec3_t c2;
        float r2;
        vec3_t center;
        float radius;
    } cases[] = {
        {"inside", {0.5f, 0, 0}, 0.5f, {0, 0, 0}, 1},
        {"holding it", {0, 0, 0}, 3, {0, 0, 0}, 3},
        {"apart", {4, 0, 0}, 1, {2, 0, 0}, 3},
    };
    for (const auto &c : cases) {
        bsphere_t g;
        g.set({0, 0, 0}, 1);
        g.resize(c.c2, c.r2);
        EXPECT_TRUE(vec_near(g.center, c.center, TOL_UNIT)) << c.name;
        EXPECT_NEAR(g.radius, c.radius, TOL_UNIT) << c.name;
        EXPECT_NEAR(g.radius2, c.radius * c.radius, TOL_UNIT) << c.name;
    }

    bsphere_t a, o;
    a.set({0, 0, 0}, 1);
    o.set({0, 0, 0}, 1);
    mat4_t move;
    fptr_matrix_set_translate(&move, {2, 0, 0});
    o.transform(move);
    EXPECT_TRUE(vec_near(o.transformed_center, {2, 0, 0}, 0.0f));
    EXPECT_TRUE(a.overlap(o));  // touching counts
    fptr_matrix_set_translate(&move, {2.01f, 0, 0});
    o.transform(move);
    EXPECT_FALSE(a.overlap(o));
}

}  // namespace
}  // namespace quarn
