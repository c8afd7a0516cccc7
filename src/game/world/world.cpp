#include "game/world/world.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "game/game_rows.h"
#include "game/game_unit.h"
#include "game/visuals/physics/ode_physics_server.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/world/body.h"
#include "game/world/environment.h"
#include "game/world/landscape.h"
#include "game/world/landscape_scene.h"
#include "game/world/plant.h"
#include "game/world/start_point.h"
#include "kernel/console/cvars.h"
#include "outside/qrnshared/cvar.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load.h"

namespace quarn {

QRN_UNIT_DEFINE(world_u, "world");

GAME_MODULE_ROWS(world, game_class_row(world_u::unit_descriptor));

namespace {

using unit_array_t = array_dyn_t<owner_ptr_t<unit_base_t>>;

// Loads every unit of the file into the default unit system, appended to out. 0: the
// file is missing; -1: it does not load; 1: loaded.
int load_unit_file(const std::string &path, unit_array_t &out) {
    // A missing file is no fault: ask before opening (which would log it).
    if (!fs_stat(path.c_str(), nullptr, FS_REALM_VIRTUAL)) return 0;
    auto_ptr_t<file_t> file = fs_open(path.c_str(), FS_REALM_VIRTUAL);
    if (!file) return 0;
    unit_load_t loader(*file, *unit_system_t::get_default(), nullptr, path.c_str());
    if (!loader.load()) return -1;
    for (uint32_t i = 0; i < loader.get_root_count(); ++i) out.append(owner_ptr_t<unit_base_t>(loader.take_root(i)));
    return 1;
}

bool colbox_enabled() {
    const cvar_t *v = cvar_get("g_colbox");
    return v && v->get_int() != 0;
}

}  // namespace

// ---- life ----

void world_u::on_construct() {
    m_landscape = landscape_u::create(get_system());
    m_physics_server_choice = 0;
    setup_physics();
}

world_u::~world_u() { teardown(); }

void world_u::on_destroy() { teardown(); }

void world_u::teardown() {
    // The chunks forget the bodies (and delete their shapes) before the bodies go.
    if (m_landscape) m_landscape->release_units();
    release_units();
    m_landscape.reset();
    m_attract_areas.clear();
    delete m_scene;
    m_scene = nullptr;
    m_server.reset();
}

void world_u::release_units() {
    cleanup_units();
    m_game_units.clear();
}

void world_u::setup_physics() {
    if (m_physics_server_choice != 0)
        v_abort_fail("Invalid physics server specified", ".\\world\\world", __LINE__, __func__);
    // The old scene goes before its server (a server logs the scenes left to it).
    delete m_scene;
    m_scene = nullptr;
    m_server = std::make_unique<ode_physics_server_t>();
    m_scene = m_server->create_scene(1.0f);
    if (!m_scene) return;
    m_scene->set_steps_per_second(STEPS_PER_SECOND);
    m_scene->set_origin({0.0f, 0.0f, 0.0f});
    const float s = m_scene->get_scale();
    m_scene->set_gravity({0.0f * s, -GRAVITY * s, 0.0f * s});
    m_scene->set_debug_draw_mode(1);

    // Collision groups: 0 terrain, 1 water, 2 map objects, 3 loose bodies. Rays of
    // mask 10 see only the terrain, of mask 11 only water.
    static const int cleared[][2] = {{1, 3}, {1, 4}, {1, 5}, {8, 1}, {7, 4}, {9, 1}, {9, 4}};
    for (const auto &pair : cleared) m_scene->set_pair_collides(pair[0], pair[1], false);
    m_scene->set_group_collides(MASK_TERRAIN, false);
    m_scene->set_pair_collides(MASK_TERRAIN, GROUP_TERRAIN, true);
    m_scene->set_group_collides(MASK_WATER, false);
    m_scene->set_pair_collides(MASK_WATER, GROUP_WATER, true);
    m_scene->set_pair_collides(5, 5, false);

    // Only the frictions are the world's; bounce and the third value stay the scene's.
    for (int m = 0; m < 6; ++m) {
        physics_material_t material = *m_scene->get_material(m);
        material.friction = FRICTIONS[m];
        m_scene->set_material(m, material);
    }
}

// ---- loading ----

void world_u::load(const char *folder) {
    const std::string base = folder ? folder : "";
    // A second load replaces what the first one brought (its bodies would otherwise
    // stand twice on the new chunks, its areas twice in the list).
    m_landscape->release_units();
    release_units();
    m_attract_areas.clear();
    m_landscape->load((base + "landscape.lnd").c_str(), m_scene);

    unit_array_t loaded;
    const int game = load_unit_file(base + "landscape.game.unit", loaded);
    if (game == 0) return;
    if (game < 0) {
        error("[game] Failed to load game units.");
        return;
    }
    for (owner_ptr_t<unit_base_t> &u : loaded) m_game_units.append(std::move(u));
    unit_array_t areas;
    extract_units_of_type(areas, m_game_units, attract_area_u::unit_descriptor);
    for (owner_ptr_t<unit_base_t> &u : areas) m_attract_areas.add(unit_cast<attract_area_u>(u.release()));

    loaded.clear();
    const int trails = load_unit_file(base + "landscape.trail.unit", loaded);
    if (trails == 0) return;
    if (trails < 0) {
        error("[game] Failed to load trail units.");
        return;
    }
    for (owner_ptr_t<unit_base_t> &u : loaded) m_game_units.append(std::move(u));

    if (!init_units()) {
        release_units();
        error("[game] Failed to initialize world units.");
    }
    place_bodies_in_chunks();
}

bool world_u::init_units() {
    for (owner_ptr_t<unit_base_t> &u : m_game_units) {
        if (auto *g = unit_cast<game_unit_u>(u.get())) {
            if (!g->init_unit()) return false;
        } else if (auto *b = unit_cast<game_unit_base_u>(u.get())) {
            if (!b->init_unit()) return false;
        }
    }
    return true;
}

void world_u::cleanup_units() {
    for (owner_ptr_t<unit_base_t> &u : m_game_units) {
        if (auto *g = unit_cast<game_unit_u>(u.get()))
            g->cleanup_unit();
        else if (auto *b = unit_cast<game_unit_base_u>(u.get()))
            b->cleanup_unit();
    }
}

void world_u::place_bodies_in_chunks() {
    for (owner_ptr_t<unit_base_t> &u : m_game_units) {
        auto *body = unit_cast<body_inst_u>(u.get());
        if (!body) continue;
        if (!m_landscape->add_unit_to_chunk(body))
            warning("[game] failed to add unit (%s) to any chunk", body->name_text().c_str());
    }
    m_landscape->rebuild_chunk_index([this](body_inst_u &body) { update_light(body); });
}

void world_u::update_light(body_inst_u &body) {
    ground_probe_t probe;
    probe.water_height = probe.water_depth = probe.ground_height = -3.4e38f;
    probe.ground_colour[0] = probe.ground_colour[1] = probe.ground_colour[2] = 127;
    probe.ground_colour[3] = 255;
    probe.ground_hit.normal = {0.0f, 1.0f, 0.0f};
    get_ground_probe(probe, body.get_placement().position);
    const float a = compute_sun_light_factor(probe.ground_hit.normal, 1.0f);
    const float c = landscape_chunk_piece_u::light_share(probe.ground_colour[0]);
    const float d = (std::min(a, c) + 0.2f) * 0.8333333f;
    const plant_desc_u *plant = unit_cast<plant_desc_u>(body.get_desc());
    const float k = plant && plant->is_tall() ? TALL_PLANT_LIGHT : BODY_LIGHT;
    body.set_light(d + k * (1.0f - d));
}

// ---- frame ----

void world_u::update(float dt) {
    m_landscape->update(dt);
    if (m_server) m_server->step(dt);
}

void world_u::draw() {
    m_landscape->draw();
    vec3_t camera;
    if (m_server && colbox_enabled() && landscape_camera_position(camera)) m_server->draw_near(camera, COLBOX_RADIUS);
}

// ---- shots ----

world_u::shot_hit_t world_u::read_shot_record(const shot_record_t &record) {
    shot_hit_t hit;
    // After the three marker words.
    constexpr size_t at = 3 * sizeof(uint32_t);
    memcpy(&hit.position, record.bytes + at, sizeof(vec3_t));
    memcpy(&hit.normal, record.bytes + at + sizeof(vec3_t), sizeof(vec3_t));
    memcpy(&hit.distance, record.bytes + at + 2 * sizeof(vec3_t), sizeof(float));
    return hit;
}

void world_u::write_shot_record(shot_record_t &record, const shot_hit_t &hit) {
    constexpr size_t at = 3 * sizeof(uint32_t);
    memcpy(record.bytes + at, &hit.position, sizeof(vec3_t));
    memcpy(record.bytes + at + sizeof(vec3_t), &hit.normal, sizeof(vec3_t));
    memcpy(record.bytes + at + 2 * sizeof(vec3_t), &hit.distance, sizeof(float));
}

bool world_u::intersect(shot_record_t &record, vec3_t &hit_point, const placement_t &shot, const vec3_t &end) {
    physics_ray_hit_t hit;
    if (!trace_segment_filtered(hit, shot.position, end, MASK_SHOT)) return false;
    m_last_shot_hit = hit;
    hit_point = hit.position;
    write_shot_record(record, {hit.position, hit.normal, hit.depth});
    return true;
}

const hit_target_info_t *world_u::get_target_info() {
    // The world stands for no target.
    static const hit_target_info_t none;
    return &none;
}

// ---- free functions ----

bool load_start_points(array_dyn_t<owner_ptr_t<unit_base_t>> &out, const char *map_name) {
    out.clear();
    unit_array_t loaded;
    const int r = load_unit_file(std::string("/map/") + (map_name ? map_name : "") + "/landscape.start.unit", loaded);
    if (r == 0) return false;
    if (r < 0) {
        error("[game] Failed to load start positions.");
        return false;
    }
    extract_units_of_type(out, loaded, start_point_u::unit_descriptor);
    return true;
}

void extract_units_of_type(array_dyn_t<owner_ptr_t<unit_base_t>> &dest, array_dyn_t<owner_ptr_t<unit_base_t>> &source,
                           const unit_descriptor_t &type) {
    auto matches = [&](const owner_ptr_t<unit_base_t> &u) {
        return u && unit_system_t::inherits_from(u->get_descriptor(), &type);
    };
    uint32_t count = 0;
    for (const owner_ptr_t<unit_base_t> &u : source) count += matches(u) ? 1 : 0;
    if (count == 0) return;
    dest.request_capacity(dest.get_count() + count);
    uint32_t kept = 0;
    for (uint32_t i = 0; i < source.get_count(); ++i) {
        if (matches(source[i]))
            dest.append(std::move(source[i]));
        else if (kept != i)
            source[kept++] = std::move(source[i]);
        else
            ++kept;
    }
    source.set_size(kept);
}

}  // namespace quarn
