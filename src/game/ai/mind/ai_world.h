#pragma once
// ai_world_t: the animal side of a hunting scene. It owns the scene's animals, the
// live stimuli (smells and sights that items such as carcasses leave), the map's
// script points and navigation mesh, and a per-animal table of marks. Once per frame
// it fades the stimuli and runs the decision step of two animals in turn; between
// frames it answers the animals' spatial questions. docs/animal-ai.md.
//
// The scene supplies the clock, the random generator and the animal registration
// (ai_scene_link_t) and sets the light factor each frame, so the world needs
// nothing of the scene root and runs in tests with a fixed clock and seed.
#include <cstdint>

#include "game/ai/mind/ai_animal.h"
#include "game/ai/mind/ai_attract_area.h"
#include "game/ai/nav/ai_navigation.h"
#include "game/game_alloc.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/collections/list_dyn.h"
#include "qrncore/math/vec.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class ai_item_t;
class def_obj_t;
class def_pool_t;
class frustum_t;

// What the scene gives its AI world.
class ai_scene_link_t {
public:
    virtual ~ai_scene_link_t() = default;
    // The scene clock in seconds.
    virtual float get_scene_time() const = 0;
    // The generator of every uniform random draw of the AI.
    virtual randomizer_t &get_random() = 0;
    // A new animal joins the scene (before its set-up).
    virtual void register_animal(ai_animal_t &animal) = 0;
};

// A stimulus in the world: payload of a node of the world's stimulus list.
struct ai_stimulus_t {
    static constexpr int32_t SIGHT = 0;
    static constexpr int32_t SMELL = 1;

    int32_t sensing = SIGHT;
    bool timed = false;       // fades and expires
    float range = 0.0f;       // effect range
    float intensity = 0.0f;   // current strength
    float strength = 0.0f;    // at creation
    float remaining = 0.0f;   // seconds
    float duration = 0.0f;    // seconds
    vec3_t position;
    int32_t kind = 0;                  // id of the item that left it
    const ai_item_t *source = nullptr;  // that item; not owned
};

struct ai_script_point_t {
    vec3_t position;
    float radius = 0.0f;
    vec3_t orientation;  // unit vector, or (0, 0, 0) when the map gives none
    mstring_dyn_t name;
};

// Where an animal is to go: the point, how near counts as there, and the facing
// wanted on arrival.
struct ai_move_target_t {
    vec3_t point;
    float radius = 0.0f;
    vec3_t orientation;
    bool has_orientation = false;
};

// What an animal needs of an attraction area.
struct ai_need_t {
    vec3_t position;  // the animal's
    bool hungry = false;
    bool thirsty = false;
    float hunger = 0.0f;
    float thirst = 0.0f;
    int32_t category = 0;  // places category
};

// One animal's pending mark.
struct ai_mark_t {
    float time = 0.0f;
    float level = 0.0f;
};

// What sense_stimuli finds, per channel (0 food, 1 sexual).
struct ai_sensed_t {
    float sum[2] = {0.0f, 0.0f};
    bool found[2] = {false, false};
    vec3_t strongest[2];
};

class ai_world_t : public game_alloc_t {
public:
    static constexpr uint32_t STIMULUS_NODES_PER_BLOCK = 256;
    // Decision steps per frame.
    static constexpr uint32_t DECISIONS_PER_FRAME = 2;
    // Half the width of an animal passing an edge of the navigation mesh.
    static constexpr float PATH_HALF_WIDTH = 0.5f;

    explicit ai_world_t(ai_scene_link_t &scene);
    virtual ~ai_world_t();
    ai_world_t(const ai_world_t &) = delete;
    ai_world_t &operator=(const ai_world_t &) = delete;

    // ---- map start-up, in this order ----
    void set_world_link(const ai_attract_area_list_t *areas) { m_areas = areas; }
    // Loads "<folder>sector.ai" as sector 0 of the navigation.
    bool load_navigation(const char *map_folder);
    void load_script_points(const def_obj_t *points);
    void set_dangerous_animals(bool on) { m_dangerous = on; }
    bool get_dangerous_animals() const { return m_dangerous; }
    // Creates an animal for each entry of the mission's animal list, through the
    // registered factory; see docs/animal-ai.md.
    void create_animals(const def_obj_t *animals, const def_pool_t *game);

    // ---- every frame ----
    virtual void update(float dt);
    // Debug view after "g_ai_debug": areas inside the frustum (all, when null), and
    // at 2 the navigation too.
    virtual void debug_draw(const frustum_t *frustum);
    void set_light_factor(float f) { m_light_factor = f; }
    float get_light_factor() const { return m_light_factor; }

    // ---- the scene's inputs, for the animals ----
    float get_scene_time() const { return m_scene.get_scene_time(); }
    randomizer_t &get_random() { return m_scene.get_random(); }

    // ---- animals ----
    uint32_t get_animal_count() const { return m_animals.get_count(); }
    ai_animal_t *get_animal(uint32_t index) const { return index < m_animals.get_count() ? m_animals[index] : nullptr; }
    // Index of the first animal of that name (exact), or -1.
    int32_t find_animal(const char *name) const;
    // The animal whose decision step ran last.
    int32_t get_round_robin() const { return m_round_robin; }

    // ---- stimuli ----
    // A zeroed stimulus of the item at the head of the list, for the caller to fill;
    // null when no node can be had.
    ai_stimulus_t *add_stimulus(int32_t kind, const ai_item_t *source);
    // Drops every stimulus the item left (before the item goes away).
    void remove_stimuli_of(const ai_item_t *source);
    uint32_t get_stimulus_count() const { return m_stimuli.get_count(); }
    const list_dyn_t<ai_stimulus_t> &get_stimuli() const { return m_stimuli; }
    // What the animal senses of the stimuli; true when anything contributed.
    bool sense_stimuli(ai_animal_t &animal, ai_sensed_t &out);
    int32_t next_item_id() { return m_item_counter++; }

    // ---- marks ----
    ai_mark_t &get_mark(uint32_t index) { return m_marks[index]; }
    void set_marks(float level, int32_t pending) {
        m_mark_level = level;
        m_pending_marks = pending;
    }
    int32_t get_pending_marks() const { return m_pending_marks; }
    float get_mark_clock() const { return m_mark_clock; }

    // ---- movement ----
    ai_navigation_t &get_navigation() { return m_navigation; }
    // Keeps the animal on the mesh: when the navigation steers, the animal takes the
    // new heading and speed factor and updates its navigation.
    void steer_animal(ai_animal_t &animal);
    // The waypoint of the path's current step; false for a path of fewer than 2 steps.
    bool get_path_point(const ai_nav_path_t &path, vec3_t *out) const;
    // The steering point across the exit edge of the path's head cell; false for a
    // path of one step, or parallel lines.
    bool path_step(const ai_nav_path_t &path, const vec3_t &position, const vec3_t &fallback_direction,
                   vec3_t *target) const;
    // Herd spacing: turns the animal away from its nearest neighbour.
    void avoid_neighbours(ai_animal_t &animal);
    // Tells the animal's leader and its followers where it is; the number told.
    uint32_t notify_group(ai_animal_t &animal, float a, float b);

    // ---- script points and attraction areas ----
    uint32_t get_script_point_count() const { return m_points.get_count(); }
    const ai_script_point_t &get_script_point(uint32_t index) const { return m_points[index]; }
    // Index of the first point of that name (without regard to case), or -1.
    int32_t find_script_point(const char *name) const;
    bool get_script_point_target(int32_t index, ai_move_target_t &target) const;
    // The rating of the area for the need; 0 when the area is not eligible.
    static float rate_attract_area(const ai_attract_area_t &area, const ai_need_t &need);
    // The area that rates best (first of equals), or -1.
    int32_t find_best_attract_area(const ai_need_t &need) const;
    bool get_attract_area_target(int32_t index, ai_move_target_t &target) const;

private:
    void draw_navigation(const frustum_t *frustum) const;

    ai_scene_link_t &m_scene;
    array_dyn_t<ai_animal_t *> m_animals;  // owned
    array_dyn_t<ai_mark_t> m_marks;
    int32_t m_pending_marks = 0;
    float m_mark_level = 0.0f;
    float m_mark_clock = 0.0f;
    list_dyn_t<ai_stimulus_t> m_stimuli{STIMULUS_NODES_PER_BLOCK};
    int32_t m_round_robin = 0;
    const ai_attract_area_list_t *m_areas = nullptr;
    array_dyn_t<ai_script_point_t> m_points;
    ai_navigation_t m_navigation;
    int32_t m_item_counter = 0;
    float m_light_factor = 1.0f;
    bool m_dangerous = false;
};

}  // namespace quarn
