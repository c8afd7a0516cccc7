#include "game/scene/base_ctrl.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "game/ai/antlers/antler_cache.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/scene/updatable.h"
#include "game/session/front_end_session.h"
#include "game/ui/effects/uifx_view.h"
#include "game/visuals/effects/bits.h"
#include "game/visuals/fader.h"
#include "game/world/environment.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "kernel/gfx/gfx.h"
#include "kernel/input/input.h"
#include "kernel/sys.h"
#include "outside/qrnshared/ui/ui.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(base_ctrl_u, "base_ctrl");

namespace {

// The reseed spreads the kernel's random value over 0..99999.
constexpr float RESEED_RANGE = 100000.0f;

constinit const char *hookup_folder_override = nullptr;

// Whether the virtual file system is started (a scene of a test may run without it).
bool have_files() { return fs_get_device(FS_REALM_VIRTUAL) != nullptr; }

}  // namespace

void scene_set_hookup_folder(const char *folder) { hookup_folder_override = folder; }

scene_root_t::scene_root_t(unit_system_t *system) : unit_t(system) {
    create_packets();
    create_scene_unit(m_world, "world");
    // The environment's type is made in code, not read from files: it is never
    // registered, so it is made by its class.
    adopt_scene_unit(m_environment, environment_u::create(get_system()), "environment");
    create_scene_parts();
    load_hookup_units();
    m_random.seed = uint32_t(sys_rand() * RESEED_RANGE);
}

scene_root_t::~scene_root_t() {
    release_objects();
    release_scene_parts();
}

void scene_root_t::create_scene_parts() {
    // Without the graphics front-end or the definition file (a scene of a test; the
    // archive stored in the program always has the file) the scene has no decal or
    // trail kinds.
    const bool kinds = gfx_get_default_buffer() && have_files() && fs_file_exists(BITS_FILE, FS_REALM_VIRTUAL);
    m_bits = new bits_t(kinds ? BITS_FILE : nullptr);
    m_bits->set_scene_packets(&m_packet_sets[SHARED_PACKET_SET]);
    add_list_object(&m_bits_part);
    m_ai_world = new ai_world_t(*this);
    add_list_object(&m_ai_part);
    m_antler_cache = new antler_cache_t();
    antler_set_packet_provider(this);
    m_flasher = std::make_unique<color_flasher_t>();
    add_list_object(m_flasher.get());
}

void scene_root_t::release_scene_parts() {
    if (antler_get_packet_provider() == static_cast<antler_packet_provider_t *>(this))
        antler_set_packet_provider(nullptr);
    delete m_ai_world;
    m_ai_world = nullptr;
    delete m_antler_cache;
    m_antler_cache = nullptr;
    delete m_bits;
    m_bits = nullptr;
    m_flasher.reset();
}

void scene_root_t::load_hookup_units() {
    // No folder, no hookup units (a scene without the game's data).
    const char *folder = hookup_folder_override ? hookup_folder_override : HOOKUP_FOLDER;
    if (!*folder || !have_files() || !fs_directory_exists(folder, FS_REALM_VIRTUAL)) return;
    auto_ptr_t<fs_dirlist_t> listing(fs_read_dir(folder, false, FS_REALM_VIRTUAL));
    if (!listing) return;
    static constexpr char SUFFIX[] = ".unit";
    constexpr size_t SUFFIX_LENGTH = sizeof SUFFIX - 1;
    array_dyn_t<mstring_dyn_t> names;
    for (const fs_direntry_t &entry : *listing) {
        if (entry.type != FS_TYPE_FILE) continue;
        const char *name = entry.name.c_str();
        const size_t length = strlen(name);
        // "a.unit.bak" and "unit" are no hookup files.
        if (length < SUFFIX_LENGTH || memcmp(name + length - SUFFIX_LENGTH, SUFFIX, SUFFIX_LENGTH) != 0) continue;
        names.append(entry.name);
    }
    std::sort(names.begin(), names.end(),
              [](const mstring_dyn_t &a, const mstring_dyn_t &b) { return strcmp(a.c_str(), b.c_str()) < 0; });
    for (const mstring_dyn_t &name : names) {
        mstring_dyn_t path;
        path.printf("%s/%s", folder, name.c_str());
        load_hookup_file(path.c_str());
    }
}

void scene_root_t::load_world(const char *map_folder) {
    world_u *world = get_world();
    if (world) world->load(map_folder);
    if (m_ai_world) {
        m_ai_world->load_navigation(map_folder);
        m_ai_world->set_world_link(world ? &world->get_attract_areas() : nullptr);
    }
}

bool scene_root_t::load_hookup_file(const char *path) {
    unit_system_t *system = unit_system_t::get_default();
    auto_ptr_t<file_t> file(have_files() ? fs_open(path, FS_REALM_VIRTUAL) : nullptr);
    if (file && system) {
        unit_load_t loader(*file, *system, nullptr, path);
        if (loader.load()) {
            for (uint32_t i = 0; i < loader.get_root_count(); ++i) m_hookup_units.append(loader.take_root(i));
            return true;
        }
    }
    error("[game] Failed to load hookup units '%s'", path);
    return false;
}

void scene_root_t::register_animal(ai_animal_t &animal) {
    if (auto *object = dynamic_cast<updatable_t *>(&animal)) add_list_object(object);
}

const r_parameter_array_t *scene_root_t::get_shared_packets() { return &m_packet_sets[SHARED_PACKET_SET]; }

void scene_root_t::bits_part_t::update(float dt) {
    if (bits_t *bits = m_scene.get_bits()) bits->update(dt);
}

void scene_root_t::bits_part_t::draw() {
    if (bits_t *bits = m_scene.get_bits()) {
        bits->prepare_parameters();
        bits->render();
    }
}

void scene_root_t::ai_part_t::update(float dt) {
    ai_world_t *ai = m_scene.get_ai_navigation();
    if (!ai) return;
    if (environment_u *environment = m_scene.get_environment()) ai->set_light_factor(environment->get_brightness());
    ai->update(dt);
}

void scene_root_t::ai_part_t::draw() {
    ai_world_t *ai = m_scene.get_ai_navigation();
    if (!ai) return;
    scene_view_t *view = m_scene.get_view();
    ai->debug_draw(view ? view->get_frustum() : nullptr);
}

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
    // Destroyed before they are released: their names are free at once, so the next
    // controller can load the same files in the same pass.
    for (auto &unit : m_hookup_units) unit.reset();
    m_hookup_units.clear();
    // The lists hold no object: nothing may point at the world, the environment, the
    // animals or the bits once they are gone.
    m_pending_adds.clear();
    m_pending_removes.clear();
    m_update_list.clear();
    m_targets.clear();
    m_world.reset();
    m_environment.reset();
    release_scene_parts();
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

void scene_root_t::activate() {
    if (ui_pinsert(POINTER_WINDOW) >= 0) ui_pshow(0);
    apply_list_changes();
    inp_reset_keycode_queue();
}

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

void scene_root_t::close_windows() {
    ui_premove(0);
    if (front_end_session_t *session = get_front_end_session()) session->close_all_windows();
    // An effect left running in a window that is neither the session's nor the
    // pointer's (however long it would have run) must not keep the scene waiting.
    uifx_text_view_t::end_holds(this);
}

}  // namespace quarn
