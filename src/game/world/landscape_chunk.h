#pragma once
// landscape_chunk_u (unit type "landscape_chunk"): one chunk of the terrain. It holds
// the chunk's model split into pieces (landscape_chunk_piece_u), its collision model
// and, while it is active, the physics shapes made from it; it puts its triangles into
// the landscape's triangle heap while the viewer is near, and retires everything after
// an idle delay (docs/world.md, "Terrain").
//
// States: inactive (no shapes, not in the heap) -> active (in range or asked for by a
// query: collision shapes, in the heap) -> idle (left range: out of the heap at once,
// the idle clock runs; body shapes disabled after 1 s, everything released after 5 s)
// -> inactive. Coming back in range while idle makes it active again at once.
//
// The bodies and plants standing on the chunk (not owned: the world holds them) get
// their physics shapes made when the chunk first becomes active for a mask that sees
// map objects, enabled in at most three regions around what asked, disabled after
// 1 s idle and deleted with the chunk's collision. They are drawn as merged models
// built on the chunk's first draw.
#include <cstdint>

#include "game/visuals/effects/merged_model.h"
#include "game/visuals/models/model_coll.h"
#include "game/visuals/models/model_lib.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/shaders/fw_packets.h"
#include "game/world/landscape_chunk_piece.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class body_inst_u;
class decal_mesh_t;
class landscape_folder_u;
class landscape_u;
class plant_inst_u;
class model_coll_u;
class model_object_u;
class physics_scene_t;
class physics_shape_t;
class triangle_heap_t;

// Scene materials and collision groups of the terrain's shapes, by the physics
// material the collision model gives them.
struct landscape_shape_class_t {
    int material;
    int group;
};
landscape_shape_class_t landscape_shape_class(uint32_t collision_material);

class landscape_chunk_u : public unit_t {
    QRN_UNIT_CLASS(landscape_chunk_u, unit_t);

public:
    ~landscape_chunk_u() override;

    // Seconds a chunk stays idle before it lets go of everything it made.
    static constexpr float RELEASE_DELAY = 5.0f;
    // Seconds before the body shapes of an idle chunk are disabled.
    static constexpr float DISABLE_DELAY = 1.0f;
    // Seconds a chunk out of the viewer's range stays in the heap after a query last
    // needed it (the ground probes of far animals ask every frame).
    static constexpr float HEAP_KEEP_DELAY = 1.0f;
    // Regions in which a chunk enables body shapes at most.
    static constexpr uint32_t MAX_REGIONS = 3;

    // Takes chunk `index` of the folder: its box, model (split into pieces that read
    // their slot records) and collision model. Packets: the scene's camera, fog and
    // light with the chunk's own model packet, and each piece's texture transform.
    void build(int32_t index, landscape_folder_u *folder, const aabox_t &box, physics_scene_t *scene);

    // Makes the chunk active for a box: terrain collision when the mask collides with
    // the terrain group (and the chunk has a collision model), then the bodies' shapes
    // when it collides with the map-object group.
    void activate(physics_scene_t *scene, const aabox_t &box, int mask);
    // Timed: the idle clock starts (or runs on) and everything goes once it passes the
    // release delay; untimed: everything goes at once.
    void deactivate(physics_scene_t *scene, bool timed);
    // Appends the triangles of every piece that is not water to the heap under the
    // chunk's index (once). A heap that refuses a piece leaves the whole chunk out
    // (logged).
    void add_to_heap(triangle_heap_t &heap);
    void remove_from_heap(triangle_heap_t &heap);
    // A query needed the chunk's triangles: it keeps them in the heap for
    // HEAP_KEEP_DELAY after.
    void mark_queried() { m_heap_idle_time = 0.0f; }
    // True while a query needed the chunk within HEAP_KEEP_DELAY.
    bool is_queried() const { return m_heap_idle_time < HEAP_KEEP_DELAY; }
    // The idle clock runs while it is not -1; the heap's clock always runs.
    void update_timers(float dt);
    // Queues the chunk's model, then the merged models of its bodies and plants and the
    // plants' ground shadows (built on the first draw; the shadows are cut out of the
    // owner's terrain, none without it).
    void draw(landscape_u *owner = nullptr);

    // A plant goes to the plants, any other body to the bodies.
    void add_unit(body_inst_u *unit);
    // Deactivated at once, then its bodies, plants and merged models dropped.
    void forget_units(physics_scene_t *scene);
    // The chunk's box enlarged by the world boxes of its bodies and plants.
    void recompute_box();
    uint32_t get_body_count() const { return m_bodies.get_count(); }
    body_inst_u *get_body(uint32_t i) const { return m_bodies[i]; }
    uint32_t get_plant_count() const { return m_plants.get_count(); }
    plant_inst_u *get_plant(uint32_t i) const { return m_plants[i]; }
    uint32_t get_merged_model_count() const { return m_merged_models.get_count(); }
    merged_model_u *get_merged_model(uint32_t i) const { return m_merged_models[i].get(); }
    uint32_t get_shadow_count() const { return m_shadows.get_count(); }
    decal_mesh_t *get_shadow(uint32_t i) const { return m_shadows[i]; }
    const aabox_t &get_region(uint32_t i) const { return m_regions[i]; }

    int32_t get_index() const { return m_index; }
    const aabox_t &get_box() const { return m_box; }
    const aabox_t &get_current_box() const { return m_current_box; }
    model_object_u *get_model() const { return m_model.get(); }
    model_coll_u *get_collision() const { return m_collision.get(); }
    uint32_t get_piece_count() const { return m_pieces.get_count(); }
    landscape_chunk_piece_u *get_piece(uint32_t n) const { return m_pieces[n].get(); }
    uint32_t get_shape_count() const { return m_collision_shapes.get_count(); }
    physics_shape_t *get_shape(uint32_t n) const { return m_collision_shapes[n]; }
    bool is_collision_ready() const { return m_collision_ready; }
    bool is_bodies_ready() const { return m_bodies_ready; }
    bool is_in_heap() const { return m_in_heap; }
    float get_idle_time() const { return m_idle_time; }
    uint32_t get_region_count() const { return m_region_count; }
    fw4pp_model_u *get_own_packet() const { return m_own_packet.get(); }

protected:
    void on_construct();
    void on_destroy();

private:
    void release_collision();
    void release_bodies();
    // Every body and plant, in that order.
    template <class F>
    void for_each_body(F f);
    void build_merged_models(landscape_u *owner);
    void release_shadows();
    void teardown();

    owner_ptr_t<model_object_u> m_model;
    array_dyn_t<owner_ptr_t<landscape_chunk_piece_u>> m_pieces;
    model_ref_t<model_coll_u> m_collision;
    array_dyn_t<physics_shape_t *> m_collision_shapes;
    physics_scene_t *m_shape_scene = nullptr;
    int32_t m_index = -1;
    aabox_t m_box;
    aabox_t m_current_box;
    bool m_bodies_ready = false;
    bool m_collision_ready = false;
    float m_idle_time = -1.0f;
    aabox_t m_regions[MAX_REGIONS];
    uint32_t m_region_count = 0;
    bool m_in_heap = false;
    // Seconds since a query last needed the triangles (never: past the keep delay).
    float m_heap_idle_time = HEAP_KEEP_DELAY;
    owner_ptr_t<fw4pp_model_u> m_own_packet;
    bool m_holds_texture_table = false;
    array_dyn_t<body_inst_u *> m_bodies;
    array_dyn_t<plant_inst_u *> m_plants;
    array_dyn_t<owner_ptr_t<merged_model_u>> m_merged_models;
    array_dyn_t<decal_mesh_t *> m_shadows;  // owned
    bool m_merged = false;
};

}  // namespace quarn
