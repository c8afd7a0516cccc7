#include "game/scene/base_ctrl.h"

#include <cmath>
#include <utility>

#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/scene/updatable.h"
#include "game/visuals/fader.h"
#include "game/world/environment.h"
#include "kernel/sys.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(base_ctrl_u, "base_ctrl");

namespace {

// The reseed spreads the kernel's random value over 0..99999.
constexpr float RESEED_RANGE = 100000.0f;

}  // namespace

scene_root_t::scene_root_t(unit_system_t *system) : unit_t(system) {
    create_packets();
    create_scene_unit(m_world, "world");
    // The environment's type is made in code, not read from files: it is never
    // registered, so it is made by its class.
    adopt_scene_unit(m_environment, environment_u::create(get_system()), "environment");
    m_flasher = std::make_unique<color_flasher_t>();
    add_list_object(m_flasher.get());
    m_random.seed = uint32_t(sys_rand() * RESEED_RANGE);
}

scene_root_t::~scene_root_t() { release_objects(); }

void scene_root_t::create_packets() {
    unit_system_t *system = get_system();
    for (auto &light : m_lights) light = fw4pp_light_u::create(system);
    m_fog = pp_fog_u::create(system);
    for (auto &camera : m_cameras) camera = pp_camera_u::create(system);
    m_model = fw4pp_model_u::create(system);

    const vec4_t black{0.0f, 0.0f, 0.0f, 1.0f};
    // The flat light (light 2) and the lit-colour light (light 8) are ambient only.
    if (fw4pp_light_u *flat = m_lights[1].get()) {
        flat->diffuse = black;
        flat->specular = black;
    }
    if (fw4pp_light_u *lit = m_lights[7].get()) {
        lit->ambient = {1.0f, 1.0f, 1.0f, 1.0f};
        lit->diffuse = black;
        lit->specular = black;
    }

    // Per set: the camera and the light (1-based numbers 5/2, 1/3, 1/5, 1/4).
    static constexpr uint32_t set_camera[PACKET_SETS] = {4, 0, 0, 0};
    static constexpr uint32_t set_light[PACKET_SETS] = {1, 2, 4, 3};
    for (uint32_t i = 0; i < PACKET_SETS; ++i) {
        r_parameter_array_t &set = m_packet_sets[i];
        set.set(FW_SLOT_CAMERA, m_cameras[set_camera[i]].get());
        set.set(FW_SLOT_MODEL, m_model.get());
        set.set(FW_SLOT_FOG, m_fog.get());
        set.set(FW_SLOT_LIGHT, m_lights[set_light[i]].get());
    }
}

void scene_root_t::create_scene_unit(owner_ptr_t<unit_t> &slot, const char *type_name) {
    owner_ptr_ret_t<unit_base_t> unit(unit_system_t::create_unit_in(get_system(), type_name));
    if (!unit) return;  // the type is not registered (yet): the slot stays empty
    adopt_scene_unit(slot, std::move(unit), type_name);
}

void scene_root_t::adopt_scene_unit(owner_ptr_t<unit_t> &slot, owner_ptr_ret_t<unit_base_t> unit,
                                    const char *type_name) {
    slot = unit_cast<unit_t>(std::move(unit));
    if (!slot) return;
    auto *part = dynamic_cast<updatable_t *>(slot.get());
    if (!part) {
        error("[game] The unit type '%s' is not a scene object: the scene does not keep it", type_name);
        slot.reset();
        return;
    }
    add_list_object(part);
}

void scene_root_t::release_objects() {
    while (!m_objects.is_empty()) m_objects.take_first()->release_owned();
}

void scene_root_t::destroy() {
    if (is_alive()) teardown_scene();
    unit_t::destroy();
}

void scene_root_t::teardown_scene() {
    for (auto &set : m_packet_sets) set.clear();
    for (auto &light : m_lights) light.reset();
    m_fog.reset();
    for (auto &camera : m_cameras) camera.reset();
    m_model.reset();
    release_objects();
    // The lists hold no object: nothing may point at the world or the environment once
    // they are gone.
    m_pending_adds.clear();
    m_pending_removes.clear();
    m_update_list.clear();
    m_targets.clear();
    m_world.reset();
    m_environment.reset();
    m_flasher.reset();
    close_windows();
}

void scene_root_t::flash_color(uint32_t colour, float fade_in, float fade_out) {
    if (m_flasher) m_flasher->flash(colour, fade_in, fade_out);
}

bool scene_root_t::set_time_factor(float factor) {
    if (!std::isfinite(factor)) {
        warning("[game] Time factor %g refused: not a finite number", double(factor));
        return false;
    }
    m_time_factor = factor < MIN_TIME_FACTOR ? MIN_TIME_FACTOR : factor;
    return true;
}

float scene_root_t::get_sound_time_scale(float x) const {
    return x * (m_time_factor + (1.0f - m_time_factor) * 0.5f);
}

void scene_root_t::lower_busy_count() {
    if (m_busy_count <= 0) {
        error("[game] The scene's busy count is lowered more often than raised");
        return;
    }
    --m_busy_count;
}

fw4pp_light_u *scene_root_t::get_light_packet(uint32_t index) const {
    return index < LIGHT_PACKETS ? m_lights[index].get() : nullptr;
}

pp_camera_u *scene_root_t::get_camera_packet(uint32_t index) const {
    return index < CAMERA_PACKETS ? m_cameras[index].get() : nullptr;
}

r_parameter_array_t *scene_root_t::get_packet_set(uint32_t index) {
    return index < PACKET_SETS ? &m_packet_sets[index] : nullptr;
}

bool scene_root_t::add_list_object(updatable_t *object) { return m_pending_adds.append(object) != nullptr; }

bool scene_root_t::remove_list_object(updatable_t *object) { return m_pending_removes.append(object) != nullptr; }

bool scene_root_t::add_object(owner_ptr_ret_t<unit_base_t> unit) {
    if (!unit || !m_objects.append(unit.get())) return false;  // the carrier disposes of the unit
    unit.take()->take_owned();
    return true;
}

void scene_root_t::remove_object(unit_base_t *unit) {
    if (unit && m_objects.remove(unit)) unit->release_owned();
}

void scene_root_t::apply_list_changes() {
    while (!m_pending_adds.is_empty()) {
        updatable_t *object = m_pending_adds.take_first();
        if (!m_update_list.append(object)) error("[game] No node for a scene object: it is not updated");
        object->on_attached();
    }
    while (!m_pending_removes.is_empty()) m_update_list.remove(m_pending_removes.take_first());
}

vec4_t scene_root_t::get_fog_color() const { return {0.0f, 0.0f, 0.0f, 0.0f}; }

void scene_root_t::update_camera_and_lights() {}

void scene_root_t::activate() { apply_list_changes(); }

void scene_root_t::update(float dt) {
    ++m_frame_count;
    m_scene_time += dt;
    apply_list_changes();
    const float scaled = dt * m_time_factor;
    for (updatable_t *object : m_update_list) object->update(scaled);
}

void scene_root_t::draw() {
    if (!m_draw_enabled) return;
    apply_list_changes();
    for (updatable_t *object : m_update_list) object->draw();
}

bool scene_root_t::has_overlay_pass() const { return false; }

void scene_root_t::draw_overlay() {}

void scene_root_t::close_windows() {}

}  // namespace quarn
