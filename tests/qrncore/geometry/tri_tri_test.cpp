#include "qrncore/geometry/tri_tri.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>

namespace quarn {
namespace {

using tri_t = std::array<vec3_t, 3>;

bool float_test(const tri_t &a, const tri_t &b) {
    return triangle_triangle_intersection(a[0], a[1], a[2], b[0], b[1], b[2]);
}

TEST(tri_tri, cases) {
    const struct {
        const char *name;
        tri_t a, b;
        bool hit;
    } cases[] = {
        {"coplanar, sharing an edge",
         {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, {{{1, 0, 0}, {0, 1, 0}, {1, 1, 0}}}, true},
        {"coplanar, one inside the other",
         {{{-5, -5, 0}, {5, -5, 0}, {0, 5, 0}}}, {{{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}}}, true},
        {"coplanar, the other inside this one",
         {{{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}}}, {{{-5, -5, 0}, {5, -5, 0}, {0, 5, 0}}}, true},
        {"coplanar, apart",
         {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, {{{2, 2, 0}, {3, 2, 0}, {2, 3, 0}}}, false},
        {"coplanar, crossing edges",
         {{{0, 0, 0}, {4, 0, 0}, {2, 4, 0}}}, {{{0, 2, 0}, {4, 2, 0}, {2, -2, 0}}}, true},
        {"parallel planes",
         {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, {{{0, 0, 1}, {1, 0, 1}, {0, 1, 1}}}, false},
        {"piercing",
         {{{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}}}, {{{0, 0, -1}, {0, 0, 1}, {0, 5, 0}}}, true},
        {"vertex touching the face",
         {{{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}}}, {{{0, 0, 0}, {0, 1, 2}, {1, 0, 2}}}, true},
        {"crossing the plane beside the triangle",
         {{{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}}}, {{{5, 0, -1}, {5, 0, 1}, {6, 1, 0}}}, false},
        {"identical", {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(float_test(c.a, c.b), c.hit) << c.name;
        EXPECT_EQ(float_test(c.b, c.a), c.hit) << c.name << " (swapped)";
    }
}

// ---- a slow exact test on integer coordinates ----

using wide_t = __int128;
struct ivec_t {
    int64_t x, y, z;
};
using itri_t = std::array<ivec_t, 3>;

ivec_t sub(const ivec_t &a, const ivec_t &b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// Sign of det[b - a, c - a, d - a]: which side of the plane abc d lies on.
int orient3d(const ivec_t &a, const ivec_t &b, const ivec_t &c, const ivec_t &d) {
    const ivec_t u = sub(b, a), v = sub(c, a), w = sub(d, a);
    const wide_t det = wide_t(u.x) * (wide_t(v.y) * w.z - wide_t(v.z) * w.y) -
                       wide_t(u.y) * (wide_t(v.x) * w.z - wide_t(v.z) * w.x) +
                       wide_t(u.z) * (wide_t(v.x) * w.y - wide_t(v.y) * w.x);
    return det > 0 ? 1 : (det < 0 ? -1 : 0);
}

struct i2_t {
    int64_t u, v;
};
int orient2d(const i2_t &a, const i2_t &b, const i2_t &c) {
    const wide_t det = wide_t(b.u - a.u) * (c.v - a.v) - wide_t(b.v - a.v) * (c.u - a.u);
    return det > 0 ? 1 : (det < 0 ? -1 : 0);
}
bool between(const i2_t &a, const i2_t &b, const i2_t &p) {  // p collinear with ab
    return std::min(a.u, b.u) <= p.u && p.u <= std::max(a.u, b.u) && std::min(a.v, b.v) <= p.v &&
           p.v <= std::max(a.v, b.v);
}
bool segments_2d(const i2_t &p, const i2_t &q, const i2_t &a, const i2_t &b) {
    const int o1 = orient2d(p, q, a), o2 = orient2d(p, q, b), o3 = orient2d(a, b, p), o4 = orient2d(a, b, q);
    if (o1 * o2 < 0 && o3 * o4 < 0) return true;
    return (o1 == 0 && between(p, q, a)) || (o2 == 0 && between(p, q, b)) || (o3 == 0 && between(a, b, p)) ||
           (o4 == 0 && between(a, b, q));
}
bool inside_2d(const i2_t &p, const i2_t &a, const i2_t &b, const i2_t &c) {
    const int s1 = orient2d(a, b, p), s2 = orient2d(b, c, p), s3 = orient2d(c, a, p);
    return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
}

// The axis to drop so that the triangle keeps its area in the projection.
int drop_axis(const itri_t &t) {
    const ivec_t u = sub(t[1], t[0]), v = sub(t[2], t[0]);
    const wide_t n[3] = {wide_t(u.y) * v.z - wide_t(u.z) * v.y, wide_t(u.z) * v.x - wide_t(u.x) * v.z,
                         wide_t(u.x) * v.y - wide_t(u.y) * v.x};
    int best = 0;
    for (int k = 1; k < 3; ++k)
        if ((n[k] < 0 ? -n[k] : n[k]) > (n[best] < 0 ? -n[best] : n[best])) best = k;
    return best;
}
i2_t project(const ivec_t &p, int drop) {
    if (drop == 0) return {p.y, p.z};
    if (drop == 1) return {p.x, p.z};
    return {p.x, p.y};
}

// Closed triangles in one plane.
bool coplanar_exact(const itri_t &a, const itri_t &b) {
    const int drop = drop_axis(a);
    i2_t pa[3], pb[3];
    for (int k = 0; k < 3; ++k) pa[k] = project(a[k], drop), pb[k] = project(b[k], drop);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (segments_2d(pa[i], pa[(i + 1) % 3], pb[j], pb[(j + 1) % 3])) return true;
    return inside_2d(pa[0], pb[0], pb[1], pb[2]) || inside_2d(pb[0], pa[0], pa[1], pa[2]);
}

// The closed segment pq against the closed triangle t.
bool segment_triangle_exact(const ivec_t &p, const ivec_t &q, const itri_t &t) {
    const int op = orient3d(t[0], t[1], t[2], p), oq = orient3d(t[0], t[1], t[2], q);
    if (op * oq > 0) return false;
    if (op == 0 && oq == 0) {
        const int drop = drop_axis(t);
        const i2_t a = project(t[0], drop), b = project(t[1], drop), c = project(t[2], drop);
        const i2_t pp = project(p, drop), pq = project(q, drop);
        return inside_2d(pp, a, b, c) || inside_2d(pq, a, b, c) || segments_2d(pp, pq, a, b) ||
               segments_2d(pp, pq, b, c) || segments_2d(pp, pq, c, a);
    }
    const int s1 = orient3d(p, q, t[0], t[1]), s2 = orient3d(p, q, t[1], t[2]), s3 = orient3d(p, q, t[2], t[0]);
    return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
}

// Two closed triangles in space meet exactly when an edge of one meets the other, or
// (in one plane) when one lies in the other.
bool exact_test(const itri_t &a, const itri_t &b) {
    if (orient3d(a[0], a[1], a[2], b[0]) == 0 && orient3d(a[0], a[1], a[2], b[1]) == 0 &&
        orient3d(a[0], a[1], a[2], b[2]) == 0)
        return coplanar_exact(a, b);
    for (int k = 0; k < 3; ++k)
        if (segment_triangle_exact(a[k], a[(k + 1) % 3], b) || segment_triangle_exact(b[k], b[(k + 1) % 3], a))
            return true;
    return false;
}

// The triangle scaled about its centroid by (1000 + grow)/1000, in coordinates ×3000
// so that the result stays integral.
itri_t scaled(const std::array<std::array<int64_t, 3>, 3> &t, int grow) {
    itri_t out;
    for (int k = 0; k < 3; ++k) {
        int64_t c[3];
        for (int axis = 0; axis < 3; ++axis) {
            const int64_t sum = t[0][axis] + t[1][axis] + t[2][axis];
            c[axis] = 1000 * sum + (3 * t[k][axis] - sum) * (1000 + grow);
        }
        out[k] = {c[0], c[1], c[2]};
    }
    return out;
}

bool degenerate(const std::array<std::array<int64_t, 3>, 3> &t) {
    const itri_t s = scaled(t, 0);
    const ivec_t u = sub(s[1], s[0]), v = sub(s[2], s[0]);
    return wide_t(u.y) * v.z - wide_t(u.z) * v.y == 0 && wide_t(u.z) * v.x - wide_t(u.x) * v.z == 0 &&
           wide_t(u.x) * v.y - wide_t(u.y) * v.x == 0;
}

TEST(tri_tri, agrees_with_an_exact_test_on_random_triangles) {
    using itri3_t = std::array<std::array<int64_t, 3>, 3>;
    std::mt19937 rng(20240611u);
    auto uniform = [&rng](int lo, int hi) { return lo + int(rng() % uint32_t(hi - lo + 1)); };
    // General triangles, small and large; coplanar pairs on an axis plane and on a
    // slanted plane spanned by integer vectors.
    auto general = [&](int range) {
        itri3_t t;
        for (auto &p : t)
            for (auto &c : p) c = uniform(-range, range);
        return t;
    };
    auto on_plane = [&](const std::array<int64_t, 3> &o, const std::array<int64_t, 3> &u,
                        const std::array<int64_t, 3> &v) {
        itri3_t t;
        for (auto &p : t) {
            const int i = uniform(-4, 4), j = uniform(-4, 4);
            for (int axis = 0; axis < 3; ++axis) p[axis] = o[axis] + i * u[axis] + j * v[axis];
        }
        return t;
    };
    int decided_hits = 0, decided_misses = 0, coplanar_hits = 0;
    for (int round = 0; round < 20000; ++round) {
        itri3_t a, b;
        const int family = round % 4;
        if (family == 0) {
            a = general(20), b = general(20);
        } else if (family == 1) {
            a = general(1000), b = general(1000);
        } else {
            std::array<int64_t, 3> o{uniform(-5, 5), uniform(-5, 5), uniform(-5, 5)}, u{1, 0, 0}, v{0, 1, 0};
            if (family == 3) {
                for (auto &c : u) c = uniform(-3, 3);
                for (auto &c : v) c = uniform(-3, 3);
            }
            a = on_plane(o, u, v), b = on_plane(o, u, v);
        }
        if (degenerate(a) || degenerate(b)) continue;
        // Only pairs whose answer survives shrinking and growing both triangles by
        // 0.1% are compared: touching cases are for the exact branches above.
        const bool shrunk = exact_test(scaled(a, -1), scaled(b, -1));
        const bool grown = exact_test(scaled(a, 1), scaled(b, 1));
        if (shrunk != grown) continue;
        tri_t fa, fb;
        for (int k = 0; k < 3; ++k) {
            fa[k] = {float(a[k][0]), float(a[k][1]), float(a[k][2])};
            fb[k] = {float(b[k][0]), float(b[k][1]), float(b[k][2])};
        }
        ASSERT_EQ(float_test(fa, fb), shrunk) << "round " << round;
        (shrunk ? decided_hits : decided_misses) += 1;
        if (shrunk && family >= 2) ++coplanar_hits;
    }
    // The generator must exercise both answers and the coplanar branch.
    EXPECT_GT(decided_hits, 1000);
    EXPECT_GT(decided_misses, 1000);
    EXPECT_GT(coplanar_hits, 500);
}

}  // namespace
}  // namespace quarn
