#include "game/world/grass.h"

#include <cmath>

#include "game/game_rows.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/models/model_template.h"
#include "game/world/landscape.h"
#include "game/world/landscape_scene.h"
#include "game/world/map_scene.h"
#include "kernel/console/cvars.h"
#include "outside/qrnshared/cvar.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constinit const unit_attr_t<UNIT_ATTR_OWNER_ARRAY> set_domain{{&grass_set_u::unit_descriptor, 0}};
constinit const unit_attr_t<UNIT_ATTR_OWNER_ARRAY> model_domain{{&model_template_u::unit_descriptor, 0}};

bool density_changed = false;

// Viewers beyond this on x or z have no cell index an int32 holds.
constexpr float VIEWER_LIMIT = 1073741824.0f;

// The squared xz distance from v to the centre of cell (x, z).
float centre_distance_squared(const vec3_t &v, int32_t x, int32_t z) {
    const float dx = v.x - float(x) * float(grass_u::CELL_SIZE), dz = v.z - float(z) * float(grass_u::CELL_SIZE);
    return dx * dx + dz * dz;
}

// Calls f(x, z) for every cell within range of the viewer, row by row.
template <class F>
void for_cells_around(const vec3_t &v, F f) {
    const int32_t cx = grass_u::cell_index(v.x), cz = grass_u::cell_index(v.z);
    for (int32_t x = cx - grass_u::CELL_RANGE; x <= cx + grass_u::CELL_RANGE; ++x)
        for (int32_t z = cz - grass_u::CELL_RANGE; z <= cz + grass_u::CELL_RANGE; ++z)
            if (centre_distance_squared(v, x, z) <= grass_u::REACH * grass_u::REACH) f(x, z);
}

}  // namespace

QRN_UNIT_DEFINE(grass_cell_u, "grass_cell");
QRN_UNIT_DEFINE(grass_u, "grass", QRN_ATTR(m_sets, UNIT_ATTR_OWNER_ARRAY, "sets", &set_domain),
                QRN_ATTR(m_models, UNIT_ATTR_OWNER_ARRAY, "models", &model_domain));

GAME_MODULE_ROWS(grass, game_class_row(grass_property_u::unit_descriptor),
                 game_class_row(grass_set_u::unit_descriptor), game_class_row(grass_cell_u::unit_descriptor),
                 game_class_row(grass_u::unit_descriptor));

void grass_set_density_changed() { density_changed = true; }

bool grass_density_change_pending() { return density_changed; }

float grass_density() {
    const cvar_t *v = cvar_get("g_grass_density");
    const float d = v ? v->get_float() : 0.0f;
    return std::isnan(d) ? 0.0f : d;
}

// ---- grid ----

int32_t grass_u::cell_index(float coordinate, int32_t size, int32_t offset) {
    // Truncating division: index 0 reaches from -29 up to 30.
    return (int32_t(std::floor(coordinate)) + offset) / size;
}

aabox_t grass_u::cell_box(int32_t x, int32_t z) {
    const vec3_t centre{float(x) * float(CELL_SIZE), 0.0f, float(z) * float(CELL_SIZE)};
    const vec3_t half{0.5f * float(CELL_SIZE), 0.5f * float(CELL_HEIGHT), 0.5f * float(CELL_SIZE)};
    return aabox_t(centre - half, centre + half);
}

bool grass_u::viewer_usable(const vec3_t &v) {
    return std::isfinite(v.y) && std::fabs(v.x) < VIEWER_LIMIT && std::fabs(v.z) < VIEWER_LIMIT;
}

// ---- life ----

grass_u::~grass_u() { teardown(); }

void grass_u::on_construct() {
    // No set for any substance until the load (a copy keeps none either).
    for (int32_t &s : m_substance_to_set) s = -1;
}

void grass_u::on_destroy() { teardown(); }

void grass_u::teardown() {
    if (m_listed) {
        if (base_ctrl_u *ctrl = get_current_ctrl()) ctrl->remove_list_object(this);
        m_listed = false;
    }
    release_cells();
    m_scratch_vertices = array_dyn_t<grass_cell_u::vertex_t>();
    m_scratch_indices = array_dyn_t<uint16_t>();
    m_own_packet.reset();
    m_packets.clear();
}

bool grass_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    for (int32_t &s : m_substance_to_set) s = -1;
    for (uint32_t i = 0; i < m_sets.get_count(); ++i) {
        grass_set_u *set = get_set(i);
        if (!set) continue;
        // An unknown name fails the set's own load, which reports it.
        const int32_t substance = set->resolve_substance();
        if (substance < 0) continue;
        if (substance < GAME_SUBSTANCE_COUNT) m_substance_to_set[substance] = int32_t(i);
        else warning("[grass_u] invalid substance index for '%s'", set->m_substance.c_str());
    }
    base_ctrl_u *ctrl = get_current_ctrl();
    if (ctrl && !m_listed) m_listed = ctrl->add_list_object(this);
    m_own_packet = create_fw4pp_model_unit();
    landscape_fill_scene_slots(m_packets);
    // The second light, not the sun: the grass is lit by the scene's ground light.
    m_packets.set(FW_SLOT_LIGHT, ctrl ? ctrl->get_light_packet(1) : nullptr);
    m_packets.set(FW_SLOT_MODEL, m_own_packet.get());
    return true;
}

grass_set_u *grass_u::get_set(uint32_t i) const { return unit_cast<grass_set_u>(m_sets[i].get()); }

grass_set_u *grass_u::set_for(int32_t substance) const {
    if (substance < 0 || substance >= GAME_SUBSTANCE_COUNT || m_substance_to_set[substance] < 0) return nullptr;
    return get_set(uint32_t(m_substance_to_set[substance]));
}

landscape_u *grass_u::get_landscape() const {
    if (m_landscape) return m_landscape;
    world_link_t *world = map_current_world();
    return world ? world->get_landscape() : nullptr;
}

// ---- cells ----

grass_cell_u *grass_u::find_cell(int32_t x, int32_t z) const {
    for (uint32_t i = m_cells.get_count(); i-- > 0;) {
        grass_cell_u *c = m_cells[i].get();
        if (c && c->get_x() == x && c->get_z() == z) return c;
    }
    return nullptr;
}

void grass_u::release_cells() { m_cells.clear(); }

grass_cell_u *grass_u::obtain_cell(landscape_u &landscape, int32_t x, int32_t z) {
    for (uint32_t i = m_cells.get_count(); i-- > 0;) {
        grass_cell_u *c = m_cells[i].get();
        if (!c || c->get_x() != x || c->get_z() != z) continue;
        // Most recently used: to the end.
        owner_ptr_t<grass_cell_u> held = std::move(m_cells[i]);
        m_cells.remove(i);
        if (held->is_alive()) {
            grass_cell_u *kept = held.get();
            if (m_cells.append(std::move(held))) return kept;
            return nullptr;
        }
        break;  // a dead cell is made anew
    }
    const aabox_t box = cell_box(x, z);
    m_obstacles.collect(landscape, box);
    if (m_cells.get_count() >= MAX_CELLS) m_cells.remove(0);
    owner_ptr_t<grass_cell_u> cell(grass_cell_u::create());
    if (!cell || !cell->generate(*this, landscape, x, z, m_obstacles)) return nullptr;
    grass_cell_u *made = cell.get();
    if (!m_cells.append(std::move(cell))) return nullptr;
    return made;
}

void grass_u::update_cells(const vec3_t &viewer) {
    if (!(grass_density() > 0.0f) || !viewer_usable(viewer)) return;
    landscape_u *landscape = get_landscape();
    if (!landscape) return;
    m_viewer = viewer;
    m_has_viewer = true;
    for_cells_around(viewer, [&](int32_t x, int32_t z) {
        if (!obtain_cell(*landscape, x, z)) error("[game] unable to generate vegetation block");
    });
}

void grass_u::update(float) {}

void grass_u::draw() {
    for (owner_ptr_t<grass_cell_u> &c : m_cells) c->set_drawn(false);
    if (density_changed) {
        // Thrown away even while grass is off, so that nothing made for the old
        // setting lingers.
        density_changed = false;
        release_cells();
        if (m_has_viewer) update_cells(m_viewer);
    }
    if (!(grass_density() > 0.0f) || m_cells.is_empty()) return;
    vec3_t camera;
    if (!landscape_camera_position(camera) || !viewer_usable(camera)) return;
    for_cells_around(camera, [&](int32_t x, int32_t z) {
        grass_cell_u *cell = find_cell(x, z);
        if (!cell || !cell->is_alive() || !map_sphere_in_view(cell->get_sphere())) return;
        cell->set_drawn(true);
        cell->queue_render();
    });
}

}  // namespace quarn
