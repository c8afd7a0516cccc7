#include "qrncore/math/matrix.h"

#include <gtest/gtest.h>

#include <cmath>

#include "qrncore/math/matrix_table.h"
#include "qrncore/system/cpu.h"
#include "support/math_compare.h"

namespace quarn {
namespace {

using test::mat_near;
using test::TOL_UNIT;
using test::vec_near;

mat4_t rotation(float yaw, float pitch, float roll) {
    mat4_t m;
    fptr_matrix_set_rotate(&m, ypr_t{yaw, pitch, roll});
    return m;
}

mat4_t translation(const vec3_t &v) {
    mat4_t m;
    fptr_matrix_set_translate(&m, v);
    return m;
}

vec3_t transform_point(const mat4_t &m, const vec3_t &p) {
    vec3_t out;
    fptr_mult_point_matrix(&out, &p, m, 1, sizeof(vec3_t), sizeof(vec3_t));
    return out;
}

// A general affine matrix: rotation, non-uniform scale and translation.
mat4_t sample_affine() {
    mat4_t m = rotation(30, -20, 10);
    matrix_scale_left(&m, {2.0f, 0.5f, 3.0f});
    matrix_translate_right(&m, {1.0f, -2.0f, 4.0f});
    return m;
}

TEST(matrix, first_operand_acts_first) {
    // T(v) then R: the origin moves to v, then turns with R.
    const vec3_t v{1.0f, 2.0f, 3.0f};
    const mat4_t r = rotation(90, 0, 0);
    mat4_t m;
    mult_matrix_matrix(&m, translation(v), r);
    vec3_t origin_image;
    mult_zero_matrix(&origin_image, m);
    EXPECT_TRUE(vec_near(origin_image, transform_point(r, v), TOL_UNIT));
    // Yaw 90 turns +X to -Z: (1, 2, 3) becomes (3, 2, -1).
    EXPECT_TRUE(vec_near(origin_image, {3.0f, 2.0f, -1.0f}, TOL_UNIT));
}

TEST(matrix, products_honour_their_aliasing_rules) {
    const mat4_t a = sample_affine(), b = rotation(45, 10, 0);
    mat4_t expected;
    fptr_mult_matrix_matrix_no(&expected, &a, &b);
    // b·a by hand.
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float s = 0;
            for (int k = 0; k < 4; ++k) s += b.m[r * 4 + k] * a.m[k * 4 + c];
            EXPECT_NEAR(expected.m[r * 4 + c], s, TOL_UNIT);
        }
    mat4_t rb = b;
    fptr_mult_matrix_matrix_ro(&rb, &a, &rb);
    EXPECT_TRUE(mat_near(rb, expected, 0.0f));
    mat4_t la = a;
    fptr_mult_matrix_matrix_lo(&la, &la, &b);
    EXPECT_TRUE(mat_near(la, expected, 0.0f));
    mat4_t both = a;
    mult_matrix_matrix(&both, both, both);
    mat4_t sq;
    fptr_mult_matrix_matrix_no(&sq, &a, &a);
    EXPECT_TRUE(mat_near(both, sq, 0.0f));
}

TEST(matrix, left_and_right_helpers_match_products) {
    const mat4_t base = sample_affine();
    struct case_t {
        const char *name;
        void (*apply)(mat4_t *);
        mat4_t op;
        bool op_first;
    } cases[] = {
        {"rotate_left", [](mat4_t *m) { matrix_rotate_left(m, {20, 30, 40}); }, rotation(20, 30, 40), true},
        {"rotate_right", [](mat4_t *m) { matrix_rotate_right(m, {20, 30, 40}); }, rotation(20, 30, 40), false},
        {"translate_left", [](mat4_t *m) { matrix_translate_left(m, {1, 2, 3}); }, translation({1, 2, 3}), true},
        {"translate_right", [](mat4_t *m) { matrix_translate_right(m, {1, 2, 3}); }, translation({1, 2, 3}), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        mat4_t got = base, expected;
        c.apply(&got);
        if (c.op_first) mult_matrix_matrix(&expected, c.op, base);
        else mult_matrix_matrix(&expected, base, c.op);
        EXPECT_TRUE(mat_near(got, expected, TOL_UNIT));
    }
    mat4_t s;
    fptr_matrix_set_scale(&s, {2, 3, 4});
    mat4_t left = base, right = base, expected_left, expected_right;
    matrix_scale_left(&left, {2, 3, 4});
    matrix_scale_right(&right, {2, 3, 4});
    mult_matrix_matrix(&expected_left, s, base);
    mult_matrix_matrix(&expected_right, base, s);
    EXPECT_TRUE(mat_near(left, expected_left, TOL_UNIT));
    EXPECT_TRUE(mat_near(right, expected_right, TOL_UNIT));
}

TEST(matrix, inverse_and_singular) {
    const mat4_t m = sample_affine();
    mat4_t inv, product;
    ASSERT_TRUE(fptr_matrix_get_inverse(&inv, &m));
    mult_matrix_matrix(&product, m, inv);
    EXPECT_TRUE(mat_near(product, mat4_t::identity(), TOL_UNIT));
    // A projective matrix inverts too.
    mat4_t p = m;
    p.m[12] = 0.1f, p.m[14] = -0.3f;
    ASSERT_TRUE(fptr_matrix_get_inverse(&inv, &p));
    mult_matrix_matrix(&product, inv, p);
    EXPECT_TRUE(mat_near(product, mat4_t::identity(), TOL_UNIT));

    mat4_t flat;
    fptr_matrix_set_scale(&flat, {1.0f, 0.0f, 1.0f});
    mat4_t untouched = mat4_t::identity();
    untouched.m[3] = 42.0f;
    const mat4_t before = untouched;
    EXPECT_FALSE(fptr_matrix_get_inverse(&untouched, &flat));
    EXPECT_TRUE(mat_near(untouched, before, 0.0f));
}

TEST(matrix, setters) {
    mat4_t m;
    fptr_matrix_set_translate_inv(&m, {1, 2, 3});
    EXPECT_TRUE(vec_near(transform_point(m, {0, 0, 0}), {-1, -2, -3}, 0.0f));
    fptr_matrix_set_const_scale(&m, 2.0f);
    EXPECT_TRUE(vec_near(transform_point(m, {1, 2, 3}), {2, 4, 6}, 0.0f));
    EXPECT_EQ(m.m[15], 1.0f);
    // Reflection in y = 2: the plane (0, 1, 0, -2).
    fptr_matrix_set_mirror(&m, {0.0f, 1.0f, 0.0f, -2.0f});
    EXPECT_TRUE(vec_near(transform_point(m, {5, 3, -1}), {5, 1, -1}, TOL_UNIT));
    mat4_t r, ri, product;
    fptr_matrix_set_rotate(&r, {10, 20, 30});
    fptr_matrix_set_rotate_inv(&ri, {10, 20, 30});
    mult_matrix_matrix(&product, r, ri);
    EXPECT_TRUE(mat_near(product, mat4_t::identity(), TOL_UNIT));
    mat4_t t = r;
    fptr_matrix_transpose(&t);
    EXPECT_TRUE(mat_near(t, ri, TOL_UNIT));
    fptr_matrix_transpose2(&t, &t);
    EXPECT_TRUE(mat_near(t, r, 0.0f));
}

TEST(matrix, array_routines_use_strides_and_divide) {
    // Positions interleaved with a colour that must not be touched.
    struct vertex_t {
        vec3_t pos;
        vec3_t colour;
    };
    vertex_t v[2] = {{{1, 0, 0}, {7, 7, 7}}, {{0, 2, 0}, {8, 8, 8}}};
    const mat4_t t = translation({0, 0, 5});
    fptr_mult_point_matrix_fast(&v[0].pos, &v[0].pos, t, 2, sizeof(vertex_t), sizeof(vertex_t));
    EXPECT_TRUE(vec_near(v[0].pos, {1, 0, 5}, 0.0f));
    EXPECT_TRUE(vec_near(v[1].pos, {0, 2, 5}, 0.0f));
    EXPECT_TRUE(vec_near(v[1].colour, {8, 8, 8}, 0.0f));

    mat4_t proj = mat4_t::identity();
    proj.m[15] = 2.0f;  // w = 2: every point halves
    EXPECT_TRUE(vec_near(transform_point(proj, {2, 4, 6}), {1, 2, 3}, 0.0f));
    proj.m[15] = 0.0f;  // w = 0: left undivided
    EXPECT_TRUE(vec_near(transform_point(proj, {2, 4, 6}), {2, 4, 6}, 0.0f));

    const vec3_t dir{0, 0, 2};
    vec3_t out;
    mat4_t n = mat4_t::identity();
    n.m[14] = 0.5f;  // m14·z = 1: no visible divide; then 2
    fptr_mult_normal_matrix(&out, &dir, n, 1, 12, 12);
    EXPECT_TRUE(vec_near(out, {0, 0, 2}, 0.0f));
    n.m[14] = 2.0f;
    fptr_mult_normal_matrix(&out, &dir, n, 1, 12, 12);
    EXPECT_TRUE(vec_near(out, {0, 0, 0.5f}, 0.0f));
    fptr_mult_normal_matrix_fast(&out, &dir, translation({9, 9, 9}), 1, 12, 12);
    EXPECT_TRUE(vec_near(out, dir, 0.0f));

    float z = 0;
    const vec3_t p{1, 1, 1};
    fptr_mult_point_matrix_z(&z, &p, translation({0, 0, -3}), 1, sizeof(float), 12);
    EXPECT_EQ(z, -2.0f);

    const vec4_t h{1, 2, 3, 0};
    vec4_t hr;
    fptr_mult_vector_matrix(&hr, &h, translation({5, 5, 5}), 1, 16, 16);
    EXPECT_TRUE(vec_near(hr, h, 0.0f));  // w = 0: a direction ignores translation
}

TEST(matrix, pairs_and_small_helpers) {
    mat4_t m, inv, product;
    matrix_pair_set_scale(&m, &inv, {2, 4, 8});
    mult_matrix_matrix(&product, m, inv);
    EXPECT_TRUE(mat_near(product, mat4_t::identity(), 0.0f));
    matrix_pair_set_const_scale(&m, &inv, 4.0f);
    EXPECT_EQ(inv.m[0], 0.25f);
    matrix_pair_set_rotate(&m, &inv, {30, 40, 50});
    mult_matrix_matrix(&product, m, inv);
    EXPECT_TRUE(mat_near(product, mat4_t::identity(), TOL_UNIT));
    // Either side of a translation pair may be left out.
    mat4_t only = mat4_t{};
    matrix_pair_set_translate(nullptr, &only, {1, 2, 3});
    EXPECT_TRUE(vec_near(transform_point(only, {}), {-1, -2, -3}, 0.0f));
    matrix_pair_set_translate(&only, nullptr, {1, 2, 3});
    EXPECT_TRUE(vec_near(transform_point(only, {}), {1, 2, 3}, 0.0f));

    struct zero_case_t {
        float m15;
        vec3_t expected;
    } zero_cases[] = {{1.0f, {2, 4, 6}}, {0.0f, {2, 4, 6}}, {2.0f, {1, 2, 3}}};
    for (const auto &c : zero_cases) {
        mat4_t t = translation({2, 4, 6});
        t.m[15] = c.m15;
        vec3_t out;
        mult_zero_matrix(&out, t);
        EXPECT_TRUE(vec_near(out, c.expected, 0.0f)) << "m15 " << c.m15;
    }

    const mat4_t base = map_to_orthonormal_base({1, 0, 0}, {0, 0, -1}, {0, 1, 0});
    // Columns are the images of the axes.
    EXPECT_TRUE(vec_near(transform_point(base, {0, 1, 0}), {0, 0, -1}, 0.0f));
    EXPECT_TRUE(vec_near(transform_point(base, {0, 0, 1}), {0, 1, 0}, 0.0f));
}

TEST(matrix, weighted_arrays_blend_and_stop_at_a_zero_weight) {
    const mat4_t mats[3] = {translation({10, 0, 0}), translation({0, 10, 0}), rotation(90, 0, 0)};
    const vec3_t src[2] = {{1, 0, 0}, {1, 0, 0}};
    // Vertex 0: half of each translation; its third pair is skipped after the 0.
    // Vertex 1: its own pairs, read from offset 3 in both arrays.
    const float weights[6] = {0.5f, 0.5f, 0.0f, 1.0f, 0.0f, 0.75f};
    const uint8_t indices[6] = {0, 1, 2, 2, 0, 1};
    vec3_t dst[2];
    mult_weighted_parray(dst, src, weights, indices, mats, 3, 2);
    EXPECT_TRUE(vec_near(dst[0], {6, 5, 0}, TOL_UNIT));
    EXPECT_TRUE(vec_near(dst[1], {0, 0, -1}, TOL_UNIT));

    mult_weighted_narray(dst, src, weights, indices, mats, 3, 2);
    EXPECT_TRUE(vec_near(dst[0], {1, 0, 0}, TOL_UNIT));  // translations do not move normals
    EXPECT_TRUE(vec_near(dst[1], {0, 0, -1}, TOL_UNIT));

    const vec4_t tangents[2] = {{1, 0, 0, -1}, {1, 0, 0, 1}};
    vec4_t tout[2];
    mult_weighted_tarray(tout, tangents, weights, indices, mats, 3, 2);
    EXPECT_TRUE(vec_near(tout[0], {1, 0, 0, -1}, TOL_UNIT));
    EXPECT_TRUE(vec_near(tout[1], {0, 0, -1, 1}, TOL_UNIT));
}

TEST(matrix, cpu_startup_fills_the_table) {
    auto *saved = fptr_matrix_get_inverse;
    fptr_matrix_get_inverse = [](mat4_t *, const mat4_t *) { return false; };
    cpu_startup(false);
    mat4_t inv;
    const mat4_t id = mat4_t::identity();
    EXPECT_TRUE(fptr_matrix_get_inverse(&inv, &id));
    EXPECT_EQ(fptr_matrix_get_inverse, saved);
}

}  // namespace
}  // namespace quarn
