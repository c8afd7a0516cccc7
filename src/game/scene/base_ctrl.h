#pragma once
// base_ctrl_u (unit type "base_ctrl", abstract): the running scene. One controller
// derived from it (menu, hunt, screensaver) is current at a time (get_current_ctrl,
// current_ctrl.h); every part of the game reaches the scene through it:
// - the world (created by type name) and the environment (made by its class), queued
//   in the update list through their updatable_t part;
// - the update list (objects updated and drawn each frame) and the units the scene
//   owns for their lifetime;
// - the render parameter packets (eight lights, fog, five cameras, one model packet)
//   and the four packet sets the passes read;
// - the scene clock, the time factor (slow motion) and the scene's random source;
// - the target list a shot walks;
// - the operations the game process calls each frame (update, draw, the camera).
// docs/scene.md tells what to call and where each part of the scene is added.
//
// The unit kit gives a unit class neither a constructor body nor a destroy of its own,
// so the scene's construction and teardown live in the C++ base scene_root_t, and
// base_ctrl_u is the unit class over it. Callers use base_ctrl_u.
#include <cstdint>
#include <memory>

#include "game/ai/mind/ai_world.h"
#include "game/ai/antlers/antler_units.h"
#include "game/scene/scene_list.h"
#include "game/scene/target_list.h"
#include "game/scene/updatable.h"
#include "game/visuals/shaders/fw_packets.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/math/quat.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/vec.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class scene_view_t;
class scene_object_t;
class updatable_t;
class world_u;
class environment_u;
class ai_world_t;
class antler_cache_t;
class bits_t;
class color_flasher_t;

// Test hook: the folder the next scenes read their hookup units from (null: the
// game's HOOKUP_FOLDER; "": none), so a test of other parts may mount the game's
// files without the hookup classes.
void scene_set_hookup_folder(const char *folder);

class scene_root_t : public unit_t, private ai_scene_link_t, private antler_packet_provider_t {
public:
    static constexpr uint32_t LIGHT_PACKETS = 8;
    static constexpr uint32_t CAMERA_PACKETS = 5;
    static constexpr uint32_t PACKET_SETS = 4;
    static constexpr float MIN_TIME_FACTOR = 0.00001f;

    // Teardown (below), then the unit's own end.
    void destroy() override;

    // Where the hookup units are read from: every file of this folder whose name ends in
    // ".unit", in sorted order.
    static constexpr const char *HOOKUP_FOLDER = "/script/hookup";
    // The decals and trails.
    static constexpr const char *BITS_FILE = "/def/bits.def";
    // The pointer window that activate shows at pointer layer 0.
    static constexpr const char *POINTER_WINDOW = "/ui/pointer/main.esc";
    // The packet set the bits and the antler parts draw with (camera 1, fog, light 3).
    static constexpr uint32_t SHARED_PACKET_SET = 1;

    // The scene's objects. The world is null while its type is not registered.
    template <class W = world_u>
    W *get_world() const {
        return unit_cast<W>(m_world.get());
    }
    template <class E = environment_u>
    E *get_environment() const {
        return unit_cast<E>(m_environment.get());
    }
    unit_t *get_world_unit() const { return m_world.get(); }
    unit_t *get_environment_unit() const { return m_environment.get(); }
    ai_world_t *get_ai_navigation() const { return m_ai_world; }
    antler_cache_t *get_antler_cache() const { return m_antler_cache; }
    bits_t *get_bits() const { return m_bits; }
    // Loads a map folder ("/map/<area>/"): the world loads it, then the AI world loads
    // its "sector.ai" and is linked to the world's attraction areas, in that order.
    void load_world(const char *map_folder);
    // The units loaded from the hookup files, file by file in sorted name order.
    uint32_t get_hookup_count() const { return m_hookup_units.get_count(); }
    unit_base_t *get_hookup_unit(uint32_t index) const {
        return index < m_hookup_units.get_count() ? m_hookup_units[index].get() : nullptr;
    }
    // Loads a unit file into the default unit system and keeps its units with the
    // hookup units; false, logged "Failed to load hookup units '<path>'", when it
    // cannot.
    bool load_hookup_file(const char *path);
    // A full-screen colour flash (colour 0xAABBGGRR, fade times in seconds) through the
    // scene's colour flasher (visuals/fader.h), which is in the update list.
    void flash_color(uint32_t colour, float fade_in, float fade_out);
    color_flasher_t *get_flasher() const { return m_flasher.get(); }

    target_list_t &get_targets() { return m_targets; }

    // The clock: seconds of unscaled frame time since construction, and the number of
    // updates run.
    float get_scene_time() const override { return m_scene_time; }
    uint32_t get_frame_count() const { return m_frame_count; }
    // Slow motion: the update list gets the frame time times the factor.
    float get_time_factor() const { return m_time_factor; }
    // Stores the factor, at least MIN_TIME_FACTOR; a factor that is not a finite number
    // is refused (logged, false) and the old one kept.
    bool set_time_factor(float factor);
    // x × (1 + factor) / 2: sounds bend their rate only halfway in slow motion.
    float get_sound_time_scale(float x) const;
    // The scene's random source; every scene user draws from it with rand_u.
    randomizer_t &get_random() override { return m_random; }

    // UI effects hold the scene while they run; the game process lets a controller go
    // only at a count of 0. Lowering at 0 is refused (logged).
    void raise_busy_count() { ++m_busy_count; }
    void lower_busy_count();
    int32_t get_busy_count() const { return m_busy_count; }

    // Extra rotation of the camera (identity at construction).
    const quat_t &get_view_rotation() const { return m_view_rotation; }
    void set_view_rotation(const quat_t &rotation) { m_view_rotation = rotation; }
    // While false, draw does nothing (true at construction).
    void set_draw_enabled(bool enabled) { m_draw_enabled = enabled; }

    // The parameter packets. Lights are counted from 0: index 0 is light 1 (the sun),
    // 1 the flat light, 2 the time-of-day light ... 7 the lit-colour light; index i is
    // also "model parameter packet i" of the model users. Out of range: null.
    fw4pp_light_u *get_light_packet(uint32_t index) const;
    pp_fog_u *get_fog_packet() const { return m_fog.get(); }
    // Index 0 is camera 1 (the main camera) ... 4 is camera 5.
    pp_camera_u *get_camera_packet(uint32_t index) const;
    fw4pp_model_u *get_model_packet() const { return m_model.get(); }
    // Set i: slot 0 camera, 1 model, 2 fog, 3 light; slots 4-6 empty. Sets 0-3 use
    // camera 5 / 1 / 1 / 1 and light 2 / 3 / 5 / 4. Out of range: null.
    r_parameter_array_t *get_packet_set(uint32_t index);

    // The update list. Both queue the object for the next update or draw, which adds
    // every pending object (each gets on_attached) before it removes any; false when
    // no list node can be had (the object is then not queued). An object must stay
    // alive until the update or draw after its removal.
    bool add_list_object(updatable_t *object);
    bool remove_list_object(updatable_t *object);
    // The update list as it stands (pending changes not yet applied), in update order.
    const scene_list_t<updatable_t> &get_update_list() const { return m_update_list; }
    // Units the scene owns for its lifetime: takes the unit over; when no list node
    // can be had the unit is destroyed and released at once (false).
    bool add_object(owner_ptr_ret_t<unit_base_t> unit);
    // Destroys and releases the unit when the scene owns it; nothing otherwise.
    void remove_object(unit_base_t *unit);
    // Applies the pending adds, then the pending removes.
    void apply_list_changes();

    // The game process's operations, in the order it calls them each frame.
    // The active camera.
    virtual scene_view_t *get_view() = 0;
    // What stands for the player (the hunter in a hunt).
    virtual scene_object_t *get_player() = 0;
    // Zero by default.
    virtual vec4_t get_fog_color() const;
    // Fills the light, fog and camera packets for the frame from the active view (turned
    // by the view rotation), the environment's sun and fog, the game data's view
    // settings and the view the game process pushed, and loads camera 1 into the
    // renderer (scene_lights.cpp).
    virtual void update_camera_and_lights();
    // The share k of the sun's diffuse colour that the time-of-day light (light 3)
    // takes as ambient: 0.4 at noon, down to 0.2 six hours away and beyond.
    static float time_of_day_share(float hours);
    // Once, when the controller becomes current: inserts the pointer window at pointer
    // layer 0 and shows it, applies the list changes and empties the kernel's key-code
    // queue.
    virtual void activate();
    // Counts the frame, advances the clock by dt, applies the list changes and
    // updates the list with dt × the time factor.
    virtual void update(float dt);
    // Applies the list changes and draws the list (nothing while drawing is off).
    virtual void draw();
    virtual bool has_overlay_pass() const;
    virtual void draw_overlay();
    // Removes pointer layer 0, closes every window the front-end session holds open and
    // ends every UI effect still holding the scene, so that the busy count is 0 after
    // it. The game process calls it while the busy count holds the scene, and destroy
    // last.
    virtual void close_windows();

protected:
    // Construction: the packets and their sets, the world and the environment, the bits,
    // the AI world, the antler cache (and its packet provider), the hookup units, and
    // the random source (42, then reseeded from the kernel's random sequence).
    explicit scene_root_t(unit_system_t *system);
    ~scene_root_t() override;

    // The scene's teardown, run by destroy: the packet sets, the packets, the owned
    // units, the hookup units (each destroyed, so its name is free at once), the lists,
    // the world and the environment, the AI world, the antler cache and the bits, then
    // close_windows. A derived controller overrides it to let go of its own parts, then
    // calls this one.
    virtual void teardown_scene();

private:
    // The bits and the AI world in the update list.
    class bits_part_t : public updatable_t {
    public:
        explicit bits_part_t(scene_root_t &scene) : m_scene(scene) {}
        void update(float dt) override;
        void draw() override;

    private:
        scene_root_t &m_scene;
    };
    class ai_part_t : public updatable_t {
    public:
        explicit ai_part_t(scene_root_t &scene) : m_scene(scene) {}
        // The environment's brightness becomes the light factor, then the AI world's
        // frame.
        void update(float dt) override;
        // The AI world's debug view, culled by the active view's volume.
        void draw() override;

    private:
        scene_root_t &m_scene;
    };

    // ai_scene_link_t (the clock and the generator are the public accessors): an
    // animal joining the scene enters the update list when it is a scene object.
    void register_animal(ai_animal_t &animal) override;
    // antler_packet_provider_t: the shared packet set.
    const r_parameter_array_t *get_shared_packets() override;

    void create_packets();
    void create_scene_parts();
    void load_hookup_units();
    void release_scene_parts();
    void create_scene_unit(owner_ptr_t<unit_t> &slot, const char *type_name);
    // Holds the unit in the slot and queues it; one that is no scene object is refused.
    void adopt_scene_unit(owner_ptr_t<unit_t> &slot, owner_ptr_ret_t<unit_base_t> unit, const char *type_name);
    void release_objects();

    owner_ptr_t<fw4pp_light_u> m_lights[LIGHT_PACKETS];
    owner_ptr_t<pp_fog_u> m_fog;
    owner_ptr_t<pp_camera_u> m_cameras[CAMERA_PACKETS];
    owner_ptr_t<fw4pp_model_u> m_model;
    r_parameter_array_t m_packet_sets[PACKET_SETS];
    int32_t m_busy_count = 0;
    randomizer_t m_random{42};
    owner_ptr_t<unit_t> m_world;
    owner_ptr_t<unit_t> m_environment;
    std::unique_ptr<color_flasher_t> m_flasher;
    target_list_t m_targets;
    bool m_draw_enabled = true;
    scene_list_t<updatable_t> m_update_list;
    scene_list_t<updatable_t> m_pending_adds;
    scene_list_t<updatable_t> m_pending_removes;
    scene_list_t<unit_base_t> m_objects;  // each owned
    float m_scene_time = 0.0f;
    float m_time_factor = 1.0f;
    uint32_t m_frame_count = 0;
    quat_t m_view_rotation;
    ai_world_t *m_ai_world = nullptr;          // owned
    antler_cache_t *m_antler_cache = nullptr;  // owned
    bits_t *m_bits = nullptr;                  // owned
    bits_part_t m_bits_part{*this};
    ai_part_t m_ai_part{*this};
    array_dyn_t<owner_ptr_t<unit_base_t>> m_hookup_units;
};

class base_ctrl_u : public scene_root_t {
    QRN_UNIT_CLASS(base_ctrl_u, scene_root_t);
};

}  // namespace quarn
