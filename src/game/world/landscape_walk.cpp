// The landscape's triangle walks (ground queries) and projected meshes.
#include <cmath>
#include <utility>

#include "game/visuals/effects/projected_decal.h"
#include "game/world/landscape.h"
#include "qrncore/geometry/intersection.h"
#include "qrncore/geometry/plane_equation.h"
#include "qrncore/math/axes.h"
#include "qrncore/spatial/kdop_node.h"

namespace quarn {

namespace {

// The three corners of a heap entry: for an indexed set the vertices at index
// positions e, e + 1, e + 2; for a strip vertices e, e + 1 + (e & 1), e + 1 + (1 - (e & 1)),
// so that every strip triangle keeps the winding of the first.
void corners_of(const triangle_set_t &set, uint32_t e, vec3_t out[3]) {
    if (!set.is_strip()) {
        for (uint32_t k = 0; k < 3; ++k) out[k] = set.get_vertex(set.indices[e + k]);
    } else {
        out[0] = set.get_vertex(e);
        out[1] = set.get_vertex(e + 1 + (e & 1));
        out[2] = set.get_vertex(e + 1 + (1 - (e & 1)));
    }
}

// The unit normal of the corners in their order, (0, 1, 0) for a degenerate triangle.
vec3_t normal_of(const vec3_t c[3]) {
    const vec3_t n = cross(c[1] - c[0], c[2] - c[0]);
    if (!(length_squared(n) > 0.0f)) return {0.0f, 1.0f, 0.0f};
    vec3_t unit;
    points_compute_normal(c[0], c[1], c[2], &unit);
    return unit;
}

struct walk_t {
    const triangle_heap_t &heap;
    const landscape_volume_t &volume;
    landscape_triangle_query_t &query;
    bool point_test;
    // A full walk: every triangle goes to visit and none ends the walk.
    landscape_triangle_visit_t visit = nullptr;
    void *context = nullptr;
    uint32_t visited = 0;

    // Takes the triangle into the record.
    void take(const triangle_set_t &set, uint32_t e, const vec3_t c[3]) {
        auto *piece = static_cast<landscape_chunk_piece_u *>(set.data);
        query.piece = piece;
        query.surface_kind = piece ? int32_t(piece->get_high_substance()) : 0;
        query.normal = normal_of(c);
        query.triangle = int32_t(e / 3);
    }

    // True when the walk ends here.
    bool test(uint32_t id) {
        const uint32_t slot = triangle_heap_t::get_slot(id), e = triangle_heap_t::get_number(id);
        if (slot >= heap.get_slot_count()) return false;
        const triangle_set_t &set = heap.get_set(slot);
        if (set.is_free()) return false;
        vec3_t c[3];
        corners_of(set, e, c);
        if (visit) {
            landscape_walk_triangle_t t;
            t.piece = static_cast<landscape_chunk_piece_u *>(set.data);
            t.triangle = int32_t(e / 3);
            for (int k = 0; k < 3; ++k) t.corners[k] = c[k];
            t.normal = normal_of(c);
            ++visited;
            visit(context, t);
            return false;
        }
        if (point_test) {
            // Projected onto the two axes along which the triangle extends most.
            const vec3_t lo = v_min(v_min(c[0], c[1]), c[2]), hi = v_max(v_max(c[0], c[1]), c[2]);
            int first = 0, second = 1, third = 2;
            axis_importance(hi - lo, &first, &second, &third);
            if (!point_inside_triangle(query.point, c[0], c[1], c[2], first, second)) return false;
        }
        take(set, e, c);
        return true;
    }

    // Left child first, the right one only when the left walk did not end.
    bool walk(const kdop_node_t *node, uint32_t depth) {
        if (!node || depth > KDOP_MAX_DEPTH || !node->overlaps(volume.min, volume.max)) return false;
        if (!node->is_leaf()) return walk(node->left, depth + 1) || walk(node->right, depth + 1);
        const uint32_t *ids = node->get_ids();
        for (uint32_t i = 0, n = node->get_count(); i < n; ++i)
            if (test(ids[i])) return true;
        return false;
    }
};

}  // namespace

bool landscape_u::ready_heap(const landscape_volume_t &volume) {
    // The chunks meeting the volume's x, y and z slabs.
    const aabox_t box({volume.min[0], volume.min[1], volume.min[2]}, {volume.max[0], volume.max[1], volume.max[2]});
    array_dyn_t<landscape_chunk_u *> found = take_chunks(box);
    for (landscape_chunk_u *c : found) {
        c->add_to_heap(m_heap);
        c->mark_queried();
    }
    give_back(std::move(found));
    if (!m_heap.get_root() || m_heap.is_dirty()) m_heap.build_root_tree();
    return m_heap.get_root() != nullptr;
}

bool landscape_u::query_triangles_point(landscape_triangle_query_t &query, const landscape_volume_t &volume) {
    if (!ready_heap(volume)) return false;
    return walk_t{m_heap, volume, query, true}.walk(m_heap.get_root(), 0);
}

bool landscape_u::query_triangles_box(landscape_triangle_query_t &query, const landscape_volume_t &volume) {
    if (!ready_heap(volume)) return false;
    return walk_t{m_heap, volume, query, false}.walk(m_heap.get_root(), 0);
}

uint32_t landscape_u::walk_triangles(const landscape_volume_t &volume, landscape_triangle_visit_t visit,
                                     void *context) {
    if (!visit || !ready_heap(volume)) return 0;
    landscape_triangle_query_t unused;
    walk_t w{m_heap, volume, unused, false, visit, context};
    w.walk(m_heap.get_root(), 0);
    return w.visited;
}

std::unique_ptr<decal_mesh_t> landscape_u::build_projected_mesh(const vec3_t &centre, const vec3_t &half_size,
                                                                const quat_t &rotation) {
    array_dyn_t<landscape_chunk_u *> found;
    find_chunks(aabox_t(centre - half_size, centre + half_size), found);
    for (landscape_chunk_u *c : found) c->add_to_heap(m_heap);
    decal_desc_t desc;
    desc.position = centre;
    desc.half_size = half_size;
    desc.rotation = rotation;
    projected_decal_builder_t builder;
    builder.setup(desc, 0);
    auto mesh = std::make_unique<decal_mesh_t>();
    if (!builder.build(*mesh, m_heap)) return nullptr;
    mesh->set_parameters(&m_packets);
    return mesh;
}

}  // namespace quarn
