#pragma once
// Projected decals: a mesh cut out of a triangle heap by a box and textured by
// projecting along the box's local y axis (shadows of plants and animals, marks on
// the terrain). docs/effects.md.
//
// decal_mesh_t holds the cut triangles (positions and texture coordinates, 16-bit
// indices), one colour for all vertices, a material and a render prototype with one
// vertex packet (R_PACKET_PST: positions, the single colour, texture coordinates)
// and one index packet. Its owner gives it a material and a parameter packet array
// and queues it each frame.
//
// projected_decal_builder_t: setup() places the box (its frame turns about y only:
// the yaw of the given rotation) and bounds it in world space; build() walks the
// heap's tree and clips every triangle of the leaves the box may touch against the
// box's six planes, appending each clipped polygon as a fan.
#include <cstdint>

#include "outside/qrnshared/r_proto.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

class c_item_t;
class triangle_heap_t;
struct kdop_node_t;
struct r_parameter_array_t;

class decal_mesh_t {
public:
    // Allocates the prototype and its two packets; colour 255, 255, 255, 255.
    decal_mesh_t();
    // Releases them and the material.
    ~decal_mesh_t();
    decal_mesh_t(const decal_mesh_t &) = delete;
    decal_mesh_t &operator=(const decal_mesh_t &) = delete;

    // Appends a vertex (its index is the count before); false without memory.
    bool add_vertex(const vec3_t &position, const vec2_t &uv);
    bool add_index(uint16_t index);
    // Empties the vertices and indices (the memory is kept).
    void clear();

    uint32_t get_vertex_count() const { return m_positions.get_count(); }
    uint32_t get_index_count() const { return m_indices.get_count(); }
    const vec3_t &get_position(uint32_t v) const { return m_positions[v]; }
    const vec2_t &get_uv(uint32_t v) const { return m_uvs[v]; }
    uint16_t get_index(uint32_t i) const { return m_indices[i]; }

    // The material by path (get_material; counted while the mesh holds it). False,
    // and no material, when it cannot be had; null or "" drops the material.
    bool set_material(const char *path);
    // A material item the caller has (counted by the mesh; null drops it).
    void set_material_item(c_item_t *item);
    c_item_t *get_material() const { return m_material; }

    // The colour of every vertex, 32 bits with red in the lowest byte (the bytes
    // 0xAABBGGRR as given).
    uint32_t colour = 0xFFFFFFFFu;

    // The array the prototype is drawn with (not counted: it must outlive the mesh or
    // the next call).
    void set_parameters(r_parameter_array_t *array);
    // The prototype, its packets pointing at the mesh's arrays as they are now.
    r_proto_t *get_proto();
    // Queues the prototype (gfx_queue_proto) when the mesh holds a triangle; false
    // when nothing was queued (no triangle, no material or no pass).
    bool queue();

private:
    array_dyn_t<vec3_t> m_positions;
    array_dyn_t<vec2_t> m_uvs;
    array_dyn_t<uint16_t> m_indices;
    r_geometry_t m_geometry{};
    r_proto_t *m_proto = nullptr;
    r_packet_t *m_vertex_packet = nullptr;
    r_packet_t *m_index_packet = nullptr;
    c_item_t *m_material = nullptr;
};

// Where a decal goes: its centre, half sizes along its local axes and rotation.
struct decal_desc_t {
    vec3_t position;
    vec3_t half_size{1.0f, 1.0f, 1.0f};
    quat_t rotation;
};

class projected_decal_builder_t {
public:
    // Mesh vertices at most: indices are 16 bits and 0xFFFF is kept free.
    static constexpr uint32_t MAX_VERTICES = 0xFFFE;

    // Mode 0: the box is centred on the position; mode 1: it reaches back from the
    // position along its local -z by twice the z half size (the frame moves back by
    // one half size). The world bounds hold the box's corners in the description's
    // full rotation and in the frame's. Other modes give empty bounds (nothing is
    // cut). Half sizes that are not finite numbers above 0 are refused (logged,
    // false): such a builder cuts nothing.
    bool setup(const decal_desc_t &desc, int mode);
    // Cuts the box out of the heap's triangles into mesh (appending); builds the heap's
    // tree first when it has none or is marked changed. True when the mesh holds any
    // index. A polygon that would take the mesh past MAX_VERTICES logs
    // "[projected_decal_builder_t::operator()] Decal index overflow!" and ends the
    // build with what it has.
    bool build(decal_mesh_t &mesh, triangle_heap_t &heap);

    const aabox_t &get_bounds() const { return m_bounds; }
    const placement_t &get_frame() const { return m_frame; }
    const vec3_t &get_half_size() const { return m_half; }
    bool is_set_up() const { return m_valid; }

    // One triangle (world corners) clipped into mesh. False only on overflow.
    bool add_triangle(decal_mesh_t &mesh, const vec3_t corners[3]);

private:
    static bool visit_leaf(const kdop_node_t *leaf, void *data);

    placement_t m_frame;
    vec3_t m_half{1.0f, 1.0f, 1.0f};
    vec3_t m_inverse_half{1.0f, 1.0f, 1.0f};
    aabox_t m_bounds;
    bool m_valid = false;
    // While building.
    decal_mesh_t *m_mesh = nullptr;
    const triangle_heap_t *m_heap = nullptr;
};

}  // namespace quarn
