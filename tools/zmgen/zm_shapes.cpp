#include "zm_shapes.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "qrncore/math/matrix_table.h"

namespace zmgen {

namespace {

// Appends a vertex made from the shape's base at a local position and normal.
void emit(zm_piece_t &piece, const zm_shape_t &shape, const vec3_t &p, const vec3_t &n, const vec2_t &uv) {
    zm_vertex_t v = shape.base;
    quarn::fptr_mult_point_matrix_fast(&v.position, &p, shape.frame, 1, 12, 12);
    quarn::fptr_mult_normal_matrix_fast(&v.normal, &n, shape.frame, 1, 12, 12);
    quarn::normalize(v.normal);
    if (shape.inside) v.normal = -v.normal;
    v.uv = uv;
    piece.vertices.push_back(v);
}

// Appends the triangle (a, b, c), wound for the outside unless the shape is inside out.
void triangle(zm_piece_t &piece, const zm_shape_t &shape, size_t a, size_t b, size_t c) {
    piece.indices.push_back(uint16_t(a));
    piece.indices.push_back(uint16_t(shape.inside ? c : b));
    piece.indices.push_back(uint16_t(shape.inside ? b : c));
}

// A point of a surface of revolution about the z axis: radius and height, and the
// normal's radial and height parts.
struct profile_t {
    float r, z, nr, nz;
};

// Sweeps a profile (from bottom to top) around the z axis. Quads between profile
// points at the same place (a pole, or a rim where the normal turns) have no area and
// are left out.
void lathe(zm_piece_t &piece, const zm_shape_t &shape, const std::vector<profile_t> &profile, uint32_t segments) {
    const size_t first = piece.vertices.size();
    const size_t columns = segments + 1;
    for (size_t k = 0; k < profile.size(); ++k) {
        const profile_t &q = profile[k];
        for (size_t j = 0; j < columns; ++j) {
            const float a = 2.0f * std::numbers::pi_v<float> * float(j % segments) / float(segments);
            const float c = std::cos(a), s = std::sin(a);
            emit(piece, shape, {q.r * c, q.r * s, q.z}, {q.nr * c, q.nr * s, q.nz},
                 {float(j) / float(segments), 1.0f - float(k) / float(profile.size() - 1)});
        }
    }
    for (size_t k = 0; k + 1 < profile.size(); ++k) {
        const profile_t &lo = profile[k], &hi = profile[k + 1];
        if (lo.r == hi.r && lo.z == hi.z) continue;
        for (size_t j = 0; j < segments; ++j) {
            const size_t a = first + k * columns + j, b = a + 1, d = a + columns, c = d + 1;
            // Going round (a to b) and up (a to d) gives the outward normal.
            if (lo.r > 0.0f) triangle(piece, shape, a, b, c);
            if (hi.r > 0.0f) triangle(piece, shape, a, c, d);
        }
    }
}

// Half a sphere's profile: latitude from a to b (radians), centred at height z.
void arc(std::vector<profile_t> &profile, float radius, float z, float a, float b, uint32_t steps) {
    for (uint32_t i = 0; i <= steps; ++i) {
        const float t = a + (b - a) * float(i) / float(steps);
        const float c = std::cos(t), s = std::sin(t);
        profile.push_back({radius * c, z + radius * s, c, s});
    }
    // The pole's radius is exactly 0 so its degenerate triangles are left out.
    if (a <= -std::numbers::pi_v<float> / 2) profile[profile.size() - steps - 1].r = 0.0f;
    if (b >= std::numbers::pi_v<float> / 2) profile.back().r = 0.0f;
}

}  // namespace

void zm_add_box(zm_piece_t &piece, const zm_shape_t &shape, const vec3_t &size) {
    // Each face: its normal and two axes u, v with cross(u, v) = normal.
    struct face_t {
        vec3_t n, u, v;
    };
    static const face_t faces[6] = {
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
    };
    const vec3_t h = size * 0.5f;
    for (const face_t &f : faces) {
        const size_t first = piece.vertices.size();
        const vec3_t centre = quarn::mul(f.n, h);
        const vec3_t u = quarn::mul(f.u, h), v = quarn::mul(f.v, h);
        emit(piece, shape, centre - u - v, f.n, {0, 1});
        emit(piece, shape, centre + u - v, f.n, {1, 1});
        emit(piece, shape, centre + u + v, f.n, {1, 0});
        emit(piece, shape, centre - u + v, f.n, {0, 0});
        triangle(piece, shape, first, first + 1, first + 2);
        triangle(piece, shape, first, first + 2, first + 3);
    }
}

void zm_add_sphere(zm_piece_t &piece, const zm_shape_t &shape, float radius, uint32_t segments, uint32_t rings) {
    std::vector<profile_t> profile;
    const float half = std::numbers::pi_v<float> / 2;
    arc(profile, radius, 0.0f, -half, half, std::max(rings, 2u));
    lathe(piece, shape, profile, std::max(segments, 3u));
}

void zm_add_capsule(zm_piece_t &piece, const zm_shape_t &shape, float radius, float length, uint32_t segments,
                    uint32_t rings) {
    std::vector<profile_t> profile;
    const float half = std::numbers::pi_v<float> / 2;
    rings = std::max(rings, 1u);
    arc(profile, radius, -length / 2, -half, 0.0f, rings);
    arc(profile, radius, length / 2, 0.0f, half, rings);
    lathe(piece, shape, profile, std::max(segments, 3u));
}

void zm_add_cylinder(zm_piece_t &piece, const zm_shape_t &shape, float radius, float length, uint32_t segments) {
    zm_add_frustum(piece, shape, radius, radius, length, segments);
}

void zm_add_frustum(zm_piece_t &piece, const zm_shape_t &shape, float radius, float top, float length,
                    uint32_t segments) {
    const float h = length / 2;
    // The side's normal leans up by as much as the side narrows over its length.
    const float slant = std::hypot(length, radius - top);
    const float nr = length / slant, nz = (radius - top) / slant;
    std::vector<profile_t> profile = {{0, -h, 0, -1}, {radius, -h, 0, -1}, {radius, -h, nr, nz}, {top, h, nr, nz}};
    // A point needs no cap; its ring of one place has no area and makes no triangles.
    if (top > 0.0f) profile.insert(profile.end(), {{top, h, 0, 1}, {0, h, 0, 1}});
    lathe(piece, shape, profile, std::max(segments, 3u));
}

void zm_add_quad(zm_piece_t &piece, const zm_shape_t &shape, const vec2_t &size) {
    const size_t first = piece.vertices.size();
    const float x = size.x / 2, y = size.y / 2;
    const vec3_t n{0, 0, 1};
    emit(piece, shape, {-x, -y, 0}, n, {0, 1});
    emit(piece, shape, {x, -y, 0}, n, {1, 1});
    emit(piece, shape, {x, y, 0}, n, {1, 0});
    emit(piece, shape, {-x, y, 0}, n, {0, 0});
    triangle(piece, shape, first, first + 1, first + 2);
    triangle(piece, shape, first, first + 2, first + 3);
}

void zm_compute_normals(zm_piece_t &piece, size_t first, size_t first_index) {
    for (size_t i = first; i < piece.vertices.size(); ++i) piece.vertices[i].normal = {};
    for (size_t i = first_index; i + 2 < piece.indices.size(); i += 3) {
        zm_vertex_t &a = piece.vertices[piece.indices[i]];
        zm_vertex_t &b = piece.vertices[piece.indices[i + 1]];
        zm_vertex_t &c = piece.vertices[piece.indices[i + 2]];
        // The cross product's length is twice the area: larger faces weigh more.
        const vec3_t n = quarn::cross(b.position - a.position, c.position - a.position);
        a.normal += n, b.normal += n, c.normal += n;
    }
    for (size_t i = first; i < piece.vertices.size(); ++i) quarn::normalize(piece.vertices[i].normal);
}

void zm_compute_tangents(zm_piece_t &piece) {
    std::vector<vec3_t> tan(piece.vertices.size()), bitan(piece.vertices.size());
    for (size_t i = 0; i + 2 < piece.indices.size(); i += 3) {
        const uint16_t ia = piece.indices[i], ib = piece.indices[i + 1], ic = piece.indices[i + 2];
        const zm_vertex_t &a = piece.vertices[ia], &b = piece.vertices[ib], &c = piece.vertices[ic];
        const vec3_t e1 = b.position - a.position, e2 = c.position - a.position;
        const vec2_t d1 = b.uv - a.uv, d2 = c.uv - a.uv;
        const float det = d1.x * d2.y - d2.x * d1.y;
        if (det == 0.0f) continue;
        const float r = 1.0f / det;
        const vec3_t t = (e1 * d2.y - e2 * d1.y) * r;
        const vec3_t s = (e2 * d1.x - e1 * d2.x) * r;
        for (uint16_t k : {ia, ib, ic}) tan[k] += t, bitan[k] += s;
    }
    for (size_t i = 0; i < piece.vertices.size(); ++i) {
        zm_vertex_t &v = piece.vertices[i];
        vec3_t t = tan[i] - v.normal * quarn::dot(v.normal, tan[i]);
        if (quarn::length_squared(t) < 1e-12f) {
            // No usable texture direction: any direction across the normal.
            t = std::fabs(v.normal.x) < 0.9f ? quarn::cross(vec3_t{1, 0, 0}, v.normal)
                                             : quarn::cross(vec3_t{0, 1, 0}, v.normal);
            t = quarn::cross(v.normal, t);
        }
        quarn::normalize(t);
        const float w = quarn::dot(quarn::cross(v.normal, t), bitan[i]) < 0.0f ? -1.0f : 1.0f;
        v.tangent = {t.x, t.y, t.z, w};
    }
}

void zm_sort_by_skin_group(zm_piece_t &piece) {
    // Rank each vertex by its group's first appearance; a stable sort keeps the
    // vertices of one group in their order.
    std::map<std::vector<std::pair<uint8_t, uint8_t>>, size_t> first_seen;
    std::vector<size_t> rank(piece.vertices.size());
    for (size_t i = 0; i < piece.vertices.size(); ++i) {
        std::vector<std::pair<uint8_t, uint8_t>> key;
        for (const zm_influence_t &inf : piece.vertices[i].influences) key.emplace_back(inf.bone, inf.weight);
        rank[i] = first_seen.emplace(key, first_seen.size()).first->second;
    }
    std::vector<size_t> order(piece.vertices.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return rank[a] < rank[b]; });
    std::vector<uint16_t> new_index(order.size());
    std::vector<zm_vertex_t> sorted;
    sorted.reserve(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        new_index[order[i]] = uint16_t(i);
        sorted.push_back(std::move(piece.vertices[order[i]]));
    }
    piece.vertices = std::move(sorted);
    for (uint16_t &index : piece.indices)
        if (index < new_index.size()) index = new_index[index];
}

uint8_t zm_weight_byte(float weight) {
    const float b = std::round(weight * 255.0f);
    return uint8_t(std::clamp(b, 0.0f, 255.0f));
}

}  // namespace zmgen
