#pragma once
// world_u (unit type "world"): the loaded map's ground and everything standing on it
// (docs/world.md, "The world"). The scene root makes one per scene (by type name),
// asks it to load a map folder, updates and draws it every frame and keeps it in its
// shot target list. The world owns:
// - its physics server and scene (20 steps a second, gravity, the collision-group
//   table and the frictions of the scene materials, see setup_physics);
// - the terrain (landscape_u), whose chunks hold the map's bodies and plants;
// - the map's game units ("landscape.game.unit" then "landscape.trail.unit") and,
//   taken out of them, the attraction areas the animals read.
// It answers the ground and segment queries of the game (world_queries.cpp) and
// reacts to bullets that strike the terrain, water, a map object or a loose body
// (world_impacts.cpp).
//
// Each world owns its server: while one controller hands over to the next two
// worlds live at once, and the server's global pointer and "phys_info" follow the
// live servers (physics_server.h), so nothing dangles when the older world goes.
#include <cstdint>
#include <memory>

#include "game/hit_receiver.h"
#include "game/scene/updatable.h"
#include "game/visuals/physics/physics_server.h"
#include "game/visuals/physics/physics_types.h"
#include "game/world/attract_area.h"
#include "game/world/map_scene.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class body_inst_u;
class landscape_u;
class physics_server_t;
class physics_scene_t;
struct unit_descriptor_t;

// What lies under a point (get_ground_probe). The water fields and the colour are
// written only when found: the caller presets them.
struct ground_probe_t {
    float water_height = 0.0f;  // height of the water surface over the ground point
    float water_depth = 0.0f;   // water_height - ground_height
    float ground_height = 0.0f;
    int32_t surface_kind = 0;  // the substance of the terrain piece under the point
    vec3_t position;           // the probe point
    uint8_t ground_colour[4] = {0, 0, 0, 0};  // red, green, blue, alpha of the terrain
    physics_ray_hit_t ground_hit;
    physics_ray_hit_t water_hit;
    int32_t triangle = -1;  // the terrain triangle found under the point, -1 for none
};

// What a bullet impact does besides pushing bodies: the world calls it, the default
// sends everything to the running scene (the emitter templates of the scene, its
// one-shot sounds, its decals). Tests put their own in.
class world_impact_sink_t {
public:
    virtual ~world_impact_sink_t() = default;
    // Clones and starts the named emitter at the placement; false when there is none.
    virtual bool trigger_emitter(const char *name, const placement_t &placement) = 0;
    // A one-shot sound at the position (tag 10, rate bent by slow motion, gain 0.9).
    virtual void play_sound(const char *path, const vec3_t &position) = 0;
    // A decal of the kind "bullet_mark" at the position facing along the normal.
    virtual void add_mark(const vec3_t &position, const vec3_t &normal) = 0;
};

// The scene's own impacts (see world_impact_sink_t).
world_impact_sink_t &world_scene_impacts();

class world_u : public unit_t, public updatable_t, public hit_receiver_t, public world_link_t {
    QRN_UNIT_CLASS(world_u, unit_t);

public:
    // Collision groups of the world's shapes and the masks of its rays.
    static constexpr int GROUP_TERRAIN = 0;
    static constexpr int GROUP_WATER = 1;
    static constexpr int GROUP_OBJECTS = 2;
    static constexpr int GROUP_BODIES = 3;
    static constexpr int MASK_SHOT = 7;
    static constexpr int MASK_TERRAIN = 10;
    static constexpr int MASK_WATER = 11;
    // The substance of water: the landscape keeps its pieces out of the triangle heap
    // and no grass grows on it.
    static constexpr int32_t WATER_SUBSTANCE = 16;
    static constexpr uint32_t STEPS_PER_SECOND = 20;
    static constexpr float GRAVITY = 9.81f;
    // g_colbox draws the collision shapes within this distance of the camera.
    static constexpr float COLBOX_RADIUS = 30.0f;
    // Friction of the scene materials 0 to 5.
    static constexpr float FRICTIONS[6] = {10.0f, 1.0f, 50.0f, 100.0f, 0.0f, 0.0f};

    ~world_u() override;

    // The physics set-up, in order: a server (a new one replacing the old), its scene
    // at scale 1, 20 steps a second, origin 0, gravity -9.81 along y, debug draw mode
    // 1, the collision-group table, the frictions of materials 0 to 5.
    void setup_physics();

    // Loads a map folder (path ending in "/"): the terrain of "landscape.lnd", then
    // the game units of "landscape.game.unit" (the attraction areas taken out) and
    // "landscape.trail.unit", their init, and the bodies put into their chunks. A
    // missing unit file ends the load silently; a unit file that does not load, and
    // units whose init fails, are logged.
    void load(const char *folder);

    // updatable_t: the landscape's activation around the viewer, then the physics
    // step; the landscape's draw, then (g_colbox) the shapes near the camera.
    void update(float dt) override;
    void draw() override;

    // world_link_t.
    physics_scene_t *get_physics_scene() override { return m_scene; }
    landscape_u *get_landscape() override { return m_landscape.get(); }
    physics_server_t *get_physics_server() const { return m_server.get(); }

    // The map's units and attraction areas.
    uint32_t get_game_unit_count() const { return m_game_units.get_count(); }
    unit_base_t *get_game_unit(uint32_t i) const { return m_game_units[i].get(); }
    attract_area_list_t &get_attract_areas() { return m_attract_areas; }

    // init_unit of every game unit (game_unit_u or game_unit_base_u) in order, up to
    // the first that fails; cleanup_unit of every one.
    bool init_units();
    void cleanup_units();
    // Every body and plant into the chunk that holds its position (warned when none
    // does), then the chunk index rebuilt.
    void place_bodies_in_chunks();
    // The ground lighting of a body or plant standing at its position: the ground's
    // red under it (127 where the terrain has no colour) and the sun on the ground,
    // brightened by BODY_LIGHT, or TALL_PLANT_LIGHT for tall plants.
    void update_light(body_inst_u &body);
    static constexpr float BODY_LIGHT = 0.3f;
    static constexpr float TALL_PLANT_LIGHT = 0.6f;

    // ---- queries (world_queries.cpp); none logs, each readies the terrain first ----
    // The ground below (or above) p seen by the mask: rays straight down from 50, 100,
    // 200, 400, 800 above p, each reaching as far below p; false after the fifth miss.
    bool find_ground(physics_ray_hit_t &hit, const vec3_t &p, int mask);
    // The first hit on the segment p0-p1; false for a segment of no length.
    bool trace_segment(physics_ray_hit_t &hit, const vec3_t &p0, const vec3_t &p1, int mask);
    // The same, where a hit on a body counts only when the body's own model is hit.
    bool trace_segment_filtered(physics_ray_hit_t &hit, const vec3_t &p0, const vec3_t &p1, int mask);
    // Ground height, surface, colour and triangle under p, and the water over it; false
    // when there is no ground.
    bool get_ground_probe(ground_probe_t &probe, const vec3_t &p);

    // ---- hit_receiver_t ----
    // The shot from the placement's position to end with the shot mask (filtered
    // trace): the hit point, and the record's position, normal and distance.
    bool intersect(shot_record_t &record, vec3_t &hit_point, const placement_t &shot, const vec3_t &end) override;
    // The impact of the last shot's hit (world_impacts.cpp).
    void on_hit(const vec3_t &hit_point, projectile_u *projectile, shot_record_t &record, const placement_t &shot,
                const vec3_t &end) override;
    const hit_target_info_t *get_target_info() override;

    // ---- impacts (world_impacts.cpp), through the impact sink ----
    // The throw-up emitter of the substance ("emitter.throw.<substance>") at the
    // position, turned onto the normal; false for a substance without one.
    bool spawn_throw_emitter(const vec3_t &position, const vec3_t &normal, int32_t substance);
    // The impact sound of the substance; draws sys_rand first (the ricochets' choice).
    void play_bullet_hit_sound(const vec3_t &position, int32_t substance);
    // A bullet mark, except on substances 0, 1 and 16.
    void add_bullet_mark(const vec3_t &position, const vec3_t &normal, int32_t substance);
    // Every loose body hit gets this sound.
    static constexpr const char *BODY_HIT_SOUND = "/sound/weapon/pro_bullet_wood.ogg";
    static constexpr const char *WATER_EMITTER = "emitter.throw.water";
    // Substances the world gives hits on map objects: plants are wood, the rest metal.
    static constexpr int32_t PLANT_SUBSTANCE = 8;
    static constexpr int32_t OBJECT_SUBSTANCE = 15;
    // A push on a loose body is at most PUSH_LIMIT × sqrt(mass) / mass long.
    static constexpr float PUSH_LIMIT = 600.0f;
    const physics_ray_hit_t &get_last_shot_hit() const { return m_last_shot_hit; }
    void set_last_shot_hit(const physics_ray_hit_t &hit) { m_last_shot_hit = hit; }

    // Where impacts go (the scene's by default; null restores it).
    void set_impact_sink(world_impact_sink_t *sink) { m_impacts = sink; }
    world_impact_sink_t &get_impact_sink() { return m_impacts ? *m_impacts : world_scene_impacts(); }

    // The record a shot into the world carries between intersect and on_hit.
    struct shot_hit_t {
        vec3_t position;
        vec3_t normal;
        float distance = 0.0f;
    };
    static shot_hit_t read_shot_record(const shot_record_t &record);
    static void write_shot_record(shot_record_t &record, const shot_hit_t &hit);

protected:
    void on_construct();
    void on_destroy();

private:
    void teardown();
    void release_units();

    int32_t m_physics_server_choice = 0;
    owner_ptr_t<landscape_u> m_landscape;
    std::unique_ptr<physics_server_t> m_server;
    physics_scene_t *m_scene = nullptr;  // owned
    array_dyn_t<owner_ptr_t<unit_base_t>> m_game_units;
    physics_ray_hit_t m_last_shot_hit;
    attract_area_list_t m_attract_areas;
    world_impact_sink_t *m_impacts = nullptr;
};

// The tables of the impacts: the emitter of a substance (null for none), its sound
// (random in [0, 1) picks between the two ricochets) and whether it takes a mark.
const char *throw_emitter_name(int32_t substance);
const char *bullet_hit_sound(int32_t substance, float random);
bool takes_bullet_mark(int32_t substance);

// The start points of "/map/<map>/landscape.start.unit" into out (emptied first), in
// file order; the file's other units are released. False when the file is missing
// (silent) or does not load ("Failed to load start positions.").
bool load_start_points(array_dyn_t<owner_ptr_t<unit_base_t>> &out, const char *map_name);

// Moves every unit of the type (or a type derived from it) from source to the end of
// dest; both keep the order of what they hold.
void extract_units_of_type(array_dyn_t<owner_ptr_t<unit_base_t>> &dest, array_dyn_t<owner_ptr_t<unit_base_t>> &source,
                           const unit_descriptor_t &type);

}  // namespace quarn
