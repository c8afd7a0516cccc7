#include "game/visuals/effects/projected_decal.h"

#include <cfloat>
#include <cmath>

#include "kernel/gfx/gfx.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/r_queue.h"
#include "qrncore/math/ypr.h"
#include "qrncore/spatial/kdop_query.h"
#include "qrncore/spatial/triangle_heap.h"
#include "qrncore/system/messages.h"

namespace quarn {

// ---- decal_mesh_t ----

decal_mesh_t::decal_mesh_t() {
    m_proto = gfx_alloc_proto();
    m_vertex_packet = gfx_alloc_packet();
    m_index_packet = gfx_alloc_packet();
    if (m_vertex_packet) m_vertex_packet->set_buffer(R_PACKET_PST, &m_geometry);
    if (m_index_packet) m_index_packet->set_buffer(R_PACKET_INDEX16, &m_geometry);
    if (m_proto) {
        m_proto->set_vpacket(0, m_vertex_packet);
        m_proto->set_ipacket(m_index_packet);
    }
}

decal_mesh_t::~decal_mesh_t() {
    if (m_proto) gfx_free_proto(m_proto);
    if (m_vertex_packet) m_vertex_packet->release();
    if (m_index_packet) m_index_packet->release();
    set_material_item(nullptr);
}

bool decal_mesh_t::add_vertex(const vec3_t &position, const vec2_t &uv) {
    if (!m_positions.append(position)) return false;
    if (!m_uvs.append(uv)) {
        m_positions.set_size(m_positions.get_count() - 1);
        return false;
    }
    return true;
}

bool decal_mesh_t::add_index(uint16_t index) { return m_indices.append(index) != nullptr; }

void decal_mesh_t::clear() {
    m_positions.clear();
    m_uvs.clear();
    m_indices.clear();
}

bool decal_mesh_t::set_material(const char *path) {
    if (!path || !*path) {
        set_material_item(nullptr);
        return true;
    }
    c_item_t *item = quarn::get_material(path);
    set_material_item(item);
    if (item) item->release_ref();  // the mesh counted it once itself
    return item != nullptr;
}

void decal_mesh_t::set_material_item(c_item_t *item) {
    if (item) item->add_ref();
    c_item_t *old = m_material;
    m_material = item;
    if (m_proto) m_proto->set_material(item);
    if (old) old->release_ref();
}

void decal_mesh_t::set_parameters(r_parameter_array_t *array) {
    if (m_proto) m_proto->parameters = array;
}

r_proto_t *decal_mesh_t::get_proto() {
    m_geometry.positions = m_positions.is_empty() ? nullptr : &m_positions[0].x;
    m_geometry.texcoords = m_uvs.is_empty() ? nullptr : &m_uvs[0].x;
    m_geometry.colours = &colour;
    m_geometry.indices = m_indices.is_empty() ? nullptr : &m_indices[0];
    m_geometry.vertex_count = m_positions.get_count();
    m_geometry.index_count = m_indices.get_count();
    return m_proto;
}

bool decal_mesh_t::queue() {
    if (!m_proto || m_indices.is_empty()) return false;
    return gfx_queue_proto(get_proto());
}

// ---- projected_decal_builder_t ----

namespace {

// A polygon in the frame's local space: a triangle gains at most one corner a plane.
struct polygon_t {
    static constexpr int MAX = 9;
    vec3_t p[MAX];
    int n = 0;
};

// Keeps the part of in where side · p[axis] <= limit, adding the crossings.
void clip(const polygon_t &in, polygon_t &out, int axis, float side, float limit) {
    out.n = 0;
    for (int i = 0; i < in.n; ++i) {
        const vec3_t &a = in.p[i], &b = in.p[(i + 1) % in.n];
        const float da = side * a[axis] - limit, db = side * b[axis] - limit;
        if (da <= 0.0f && out.n < polygon_t::MAX) out.p[out.n++] = a;
        if ((da < 0.0f && db > 0.0f) || (da > 0.0f && db < 0.0f)) {
            // An edge parallel to the plane within the float epsilon adds nothing.
            const float denominator = da - db;
            if (std::fabs(denominator) <= FLT_EPSILON) continue;
            const float t = da / denominator;
            if (t >= 0.0f && t <= 1.0f && out.n < polygon_t::MAX) out.p[out.n++] = a + (b - a) * t;
        }
    }
}

bool half_size_is_sound(float h) { return std::isfinite(h) && h > 0.0f; }

}  // namespace

bool projected_decal_builder_t::setup(const decal_desc_t &desc, int mode) {
    m_bounds.set_void();
    m_valid = false;
    const vec3_t &h = desc.half_size;
    if (!half_size_is_sound(h.x) || !half_size_is_sound(h.y) || !half_size_is_sound(h.z)) {
        error("[projected_decal_builder_t] A decal of half size (%g, %g, %g) is refused: every half size must be a "
              "number above 0",
              double(h.x), double(h.y), double(h.z));
        return false;
    }
    m_half = h;
    m_inverse_half = {1.0f / h.x, 1.0f / h.y, 1.0f / h.z};
    m_frame.position = desc.position;
    m_frame.rotation.set(ypr_t(desc.rotation.get_ypr().yaw, 0.0f, 0.0f));
    if (mode == 1) m_frame.translate_locally({0.0f, 0.0f, -h.z});
    m_valid = true;
    if (mode != 0 && mode != 1) return true;
    for (unsigned i = 0; i < 8; ++i) {
        const float x = (i & 1) ? h.x : -h.x, y = (i & 2) ? h.y : -h.y;
        const float z = mode == 0 ? ((i & 4) ? h.z : -h.z) : ((i & 4) ? 0.0f : -2.0f * h.z);
        m_bounds.enlarge(desc.position + desc.rotation.rotate({x, y, z}));
        // The frame turns about y only: with a pitched or rolled rotation its box
        // reaches where the rotated one does not, and its triangles must be cut too.
        m_bounds.enlarge(m_frame.from_local_space({x, y, (i & 4) ? h.z : -h.z}));
    }
    return true;
}

bool projected_decal_builder_t::add_triangle(decal_mesh_t &mesh, const vec3_t corners[3]) {
    polygon_t a, b;
    a.n = 3;
    for (int k = 0; k < 3; ++k) a.p[k] = m_frame.to_local_space(corners[k]);
    for (int axis = 0; axis < 3; ++axis) {
        clip(a, b, axis, -1.0f, m_half[axis]);
        clip(b, a, axis, 1.0f, m_half[axis]);
        if (a.n < 3) return true;
    }
    const uint32_t base = mesh.get_vertex_count();
    if (base + uint32_t(a.n) > MAX_VERTICES) {
        error("[projected_decal_builder_t::operator()] Decal index overflow!");
        return false;
    }
    for (int i = 0; i < a.n; ++i) {
        const vec3_t &l = a.p[i];
        if (!mesh.add_vertex(m_frame.from_local_space(l),
                             {0.5f * l.x * m_inverse_half.x + 0.5f, 0.5f * l.z * m_inverse_half.z + 0.5f}))
            return false;
    }
    for (int i = 2; i < a.n; ++i)
        if (!mesh.add_index(uint16_t(base)) || !mesh.add_index(uint16_t(base + uint32_t(i) - 1)) ||
            !mesh.add_index(uint16_t(base + uint32_t(i))))
            return false;
    return true;
}

bool projected_decal_builder_t::visit_leaf(const kdop_node_t *leaf, void *data) {
    auto *b = static_cast<projected_decal_builder_t *>(data);
    const uint32_t *ids = leaf->get_ids();
    for (uint32_t i = 0, n = leaf->get_count(); i < n; ++i) {
        vec3_t corners[3];
        b->m_heap->get_triangle(ids[i], corners);
        if (!b->add_triangle(*b->m_mesh, corners)) return false;
    }
    return true;
}

bool projected_decal_builder_t::build(decal_mesh_t &mesh, triangle_heap_t &heap) {
    if (!m_valid) return false;
    if (!heap.get_root() || heap.is_dirty()) heap.build_root_tree();
    if (heap.get_root() && !m_bounds.is_void()) {
        m_mesh = &mesh;
        m_heap = &heap;
        kdop_query_box(heap.get_root(), m_bounds.min, m_bounds.max, &visit_leaf, this);
        m_mesh = nullptr;
        m_heap = nullptr;
    }
    return mesh.get_index_count() > 0;
}

}  // namespace quarn
