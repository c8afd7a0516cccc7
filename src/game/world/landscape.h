#pragma once
// landscape_u (unit type "landscape"): the terrain of the loaded map (docs/world.md,
// "Terrain"). It turns the map's landscape file into one landscape_chunk_u per chunk,
// finds the chunks that meet a box through a spatial hash of their boxes, makes the
// chunks near the viewer active every frame and retires the others after their idle
// delay, draws the chunks in view, walks the triangles of the active chunks for the
// world's ground queries and cuts projected meshes (marks, shadows) out of them.
//
// The world makes it and calls load, update, draw and the queries; every query first
// readies the chunks around its box (prepare_region).
#include <cstdint>
#include <functional>
#include <memory>

#include "game/visuals/shaders/fw_packets.h"
#include "game/world/landscape_chunk.h"
#include "game/world/landscape_folder.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/math/quat.h"
#include "qrncore/spatial/spatialhash.h"
#include "qrncore/spatial/triangle_heap.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class body_inst_u;
class decal_mesh_t;
class physics_scene_t;

// A query volume: minimum and maximum on the five axes x, y, z, (x + z)/2 and
// (x - z)/2, as the nodes of the triangle heap's tree have them.
struct landscape_volume_t {
    float min[5];
    float max[5];

    // The volume of a box (corners in any order).
    static landscape_volume_t of_box(const vec3_t &a, const vec3_t &b);
    // The volume of one point, every slab widened by margin on both sides.
    static landscape_volume_t of_point(const vec3_t &p, float margin);
    void widen(float margin);
};

// What a triangle walk found: the piece's surface (its highest layer substance), the
// triangle's normal (its corners in order, facing out of the ground) and number, and
// the piece (counted). Point queries set the point.
struct landscape_triangle_query_t {
    int32_t surface_kind = 0;
    vec3_t normal{0.0f, 1.0f, 0.0f};
    int32_t triangle = -1;
    ref_ptr_t<landscape_chunk_piece_u> piece;
    vec3_t point;
};

// One triangle of a full walk: the piece, the triangle's number in it, its corners in
// order (first, second, third) and their normal, facing out of the ground.
struct landscape_walk_triangle_t {
    landscape_chunk_piece_u *piece = nullptr;
    int32_t triangle = -1;
    vec3_t corners[3];
    vec3_t normal;
};
using landscape_triangle_visit_t = void (*)(void *context, const landscape_walk_triangle_t &triangle);

class landscape_u : public unit_t {
    QRN_UNIT_CLASS(landscape_u, unit_t);

public:
    ~landscape_u() override;

    // Distance from the viewer within which a chunk is active (its box's centre).
    static constexpr float ACTIVE_RANGE = 50.0f;
    // Seconds between two front-to-back sorts of the chunks.
    static constexpr float SORT_INTERVAL = 10.0f;
    // Raise of every chunk box's top (room for what stands on the ground).
    static constexpr float BOX_TOP_MARGIN = 50.0f;
    // Collision mask of the viewer's activation.
    static constexpr int ACTIVATION_MASK = 6;

    // Loads the landscape file at path and builds every chunk; logs "Loading
    // landscape [%s]". A folder that does not load leaves the landscape without
    // chunks.
    void load(const char *path, physics_scene_t *scene);
    // Chunks near the viewer active and in the heap, the others retired.
    void update(float dt);
    // Draws the chunks in the camera's view (front to back, sorted every 10 s).
    void draw();
    // Readies every chunk whose box meets the box for a query with the mask.
    void prepare_region(const aabox_t &box, int mask);

    // Gives the body or plant to the first chunk (of those the hash answers for its
    // position) whose current box holds its position; false when none does.
    bool add_unit_to_chunk(body_inst_u *unit);
    // Recomputes every chunk's current box (its bodies' boxes included) and rebuilds
    // the spatial hash over them, has light set the lighting of every body and plant,
    // then retires every chunk at once.
    void rebuild_chunk_index(const std::function<void(body_inst_u &)> &light);
    // Every chunk retired at once and its bodies and plants forgotten (before the
    // units that hold them go).
    void release_units();

    // Walks the triangles of the chunks that meet the volume: the first triangle
    // containing the query's point (projected along its flattest axis) / the first
    // triangle reached. True when one was found (the query record holds it).
    bool query_triangles_point(landscape_triangle_query_t &query, const landscape_volume_t &volume);
    bool query_triangles_box(landscape_triangle_query_t &query, const landscape_volume_t &volume);
    // Walks every triangle of the chunks that meet the volume, in the tree nodes the
    // volume meets, to the end (visit is called for each); returns how many it met.
    uint32_t walk_triangles(const landscape_volume_t &volume, landscape_triangle_visit_t visit, void *context);

    // A decal mesh of the terrain's triangles in the box centre ± half_size turned by
    // rotation, drawn with the landscape's packets; null when no triangle meets it.
    std::unique_ptr<decal_mesh_t> build_projected_mesh(const vec3_t &centre, const vec3_t &half_size,
                                                       const quat_t &rotation);

    uint32_t get_chunk_count() const { return m_chunks.get_count(); }
    // Chunk i in file order / in drawing order (front to back as of the last sort).
    landscape_chunk_u *get_chunk(uint32_t i) const { return m_chunks[i].get(); }
    landscape_chunk_u *get_drawn_chunk(uint32_t i) const { return m_draw_order[i]; }
    const aabox_t &get_total_box() const { return m_total_box; }
    landscape_folder_u *get_folder() const { return m_folder.get(); }
    triangle_heap_t &get_triangle_heap() { return m_heap; }
    r_parameter_array_t &get_packets() { return m_packets; }
    float get_sort_timer() const { return m_sort_timer; }
    physics_scene_t *get_scene() const { return m_scene; }
    // The chunks whose boxes meet the box (the spatial hash's answer), in file order.
    uint32_t find_chunks(const aabox_t &box, array_dyn_t<landscape_chunk_u *> &out);

protected:
    void on_destroy();

private:
    void teardown();
    // Adds the triangles of the chunks meeting the volume to the heap and builds its
    // tree when needed; false when the heap holds nothing to walk.
    bool ready_heap(const landscape_volume_t &volume);
    // The chunks meeting the box, in the kept scratch storage (taken: see m_found).
    array_dyn_t<landscape_chunk_u *> take_chunks(const aabox_t &box);
    void give_back(array_dyn_t<landscape_chunk_u *> &&found);

    landscape_folder_ref_t m_folder;
    std::unique_ptr<spatialhash_t> m_chunk_index;
    // In file order; m_draw_order holds them sorted front to back.
    array_dyn_t<owner_ptr_t<landscape_chunk_u>> m_chunks;
    array_dyn_t<landscape_chunk_u *> m_draw_order;
    float m_sort_timer = 0.0f;
    r_parameter_array_t m_packets;
    owner_ptr_t<fw4pp_model_u> m_own_packet;
    aabox_t m_total_box;
    triangle_heap_t m_heap;
    physics_scene_t *m_scene = nullptr;
    // Storage for the chunks a ground or triangle query meets, kept from query to
    // query: every walking animal asks several a frame, each would otherwise allocate
    // and grow an array. A query takes it and gives it back, so that a query made
    // while another holds it gets storage of its own.
    array_dyn_t<landscape_chunk_u *> m_found;
};

}  // namespace quarn
