#include "game/ai/mind/ai_world.h"

#include <cmath>
#include <cstring>
#include <strings.h>

#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/math/scalar.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The vertical component of a × b.
float cross_y(const vec3_t &a, const vec3_t &b) { return a.z * b.x - a.x * b.z; }

// The block's child of that plain name (a dotted name would reach deeper).
const def_obj_t *child(const def_obj_t *block, const char *name) {
    if (!block || !name || !*name || strchr(name, '.')) return nullptr;
    return block->find(name);
}

}  // namespace

ai_world_t::ai_world_t(ai_scene_link_t &scene) : m_scene(scene) {}

ai_world_t::~ai_world_t() {
    m_points.clear();
    m_marks.clear();
    m_stimuli.clear();
    for (uint32_t i = 0; i < m_animals.get_count(); ++i) delete m_animals[i];
    m_animals.clear();
}

bool ai_world_t::load_navigation(const char *map_folder) {
    mstring_dyn_t path(map_folder ? map_folder : "");
    path.append("sector.ai");
    return m_navigation.load(0, path);
}

void ai_world_t::load_script_points(const def_obj_t *points) {
    if (!points) return;
    for (const def_obj_t *p = points->get_first_child(); p; p = p->get_next()) {
        ai_script_point_t point;
        if (!p->get_point("position", point.position) || !p->get_real("radius", point.radius)) {
            error("[ai] script point (%s) needs a position and a radius: left out", p->get_name());
            continue;
        }
        if (p->get_point("orientation", point.orientation)) {
            if (length_squared(point.orientation) > vec_traits_t<float>::EPSILON) normalize(point.orientation);
        } else {
            point.orientation = vec3_t{0.0f, 0.0f, 0.0f};
        }
        point.name = p->get_name();
        m_points.append(std::move(point));
    }
}

void ai_world_t::create_animals(const def_obj_t *animals, const def_pool_t *game) {
    if (!animals) {
        error("[ai] error creating animals");
        return;
    }
    const ai_animal_factory_t factory = ai_get_animal_factory();
    if (!factory) {
        error("[ai] no animal factory is registered: the mission's animals are not created");
        return;
    }
    const def_obj_t *species_block = game ? game->find("species") : nullptr;
    // Each animal remembers the entry it was made from, for its mission script.
    array_dyn_t<const def_obj_t *> entries;
    for (const def_obj_t *entry = animals->get_first_child(); entry; entry = entry->get_next()) {
        const char *species_name = entry->get_dvalue("species", "");
        const def_obj_t *species = child(species_block, species_name);
        if (!species) {
            error("[ai] invalid animal species (%s)", species_name);
            continue;
        }
        const char *gender_name = entry->get_dvalue("type", "");
        const def_obj_t *gender = child(species, gender_name);
        if (!gender) {
            error("[ai] invalid animal gender (%s.%s)", species_name, gender_name);
            continue;
        }
        const char *type = gender->get_value("type");
        if (!type) {
            error("[ai] cannot get animal (%s.%s) type", species_name, gender_name);
            continue;
        }
        ai_animal_t *animal = factory(type);
        if (!animal) {
            error("[ai] cannot make an animal of type (%s) for (%s)", type, entry->get_name());
            continue;
        }
        // Animals and marks always have the same count; a failed append takes back
        // whatever this entry added.
        const uint32_t count = m_animals.get_count();
        if (!m_animals.append(animal) || !m_marks.append(ai_mark_t()) || !entries.append(entry)) {
            error("[ai] no memory for animal (%s)", entry->get_name());
            if (m_animals.get_count() > count) m_animals.remove(count);
            if (m_marks.get_count() > count) m_marks.remove(count);
            delete animal;
            continue;
        }
        m_scene.register_animal(*animal);
        animal->set_name(entry->get_name());
        message("[ai] animal (%s - %s.%s) created", entry->get_name(), species_name, gender_name);
        ai_animal_setup_t setup;
        setup.index = m_animals.get_count() - 1;
        setup.name = entry->get_name();
        setup.species_name = species_name;
        setup.gender_name = gender_name;
        setup.entry = entry;
        setup.species = species;
        setup.gender = gender;
        setup.game = game;
        setup.world = this;
        if (animal->setup(setup)) {
            animal->start();
        } else {
            error("[ai] cannot initialize animal (%s)!", entry->get_name());
            animal->set_removed();
        }
    }
    // Scripts name other animals, so they are read once all exist; each animal reads
    // the entry it was made from. Only the animals of this pass are counted.
    const uint32_t first = m_animals.get_count() - entries.get_count();
    for (uint32_t i = 0; i < entries.get_count(); ++i) {
        ai_animal_t *animal = m_animals[first + i];
        if (!animal->is_removed()) animal->load_mission_script(*entries[i]);
    }
}

void ai_world_t::update(float dt) {
    for (auto it = m_stimuli.begin(); it != m_stimuli.end();) {
        ai_stimulus_t &s = *it;
        if (s.timed) {
            s.remaining -= dt;
            if (s.remaining < 0.0f) {
                it = m_stimuli.erase(it);
                continue;
            }
            s.intensity = s.duration > 0.0f ? s.remaining * (s.strength / s.duration) : 0.0f;
        }
        ++it;
    }
    if (m_pending_marks > 0) {
        m_mark_clock += dt;
        for (uint32_t i = 0; i < m_marks.get_count() && m_pending_marks > 0; ++i) {
            ai_mark_t &m = m_marks[i];
            if (m.level < m_mark_level && m.time < m_mark_clock + m_mark_level) {
                m.level = m_mark_level;
                --m_pending_marks;
            }
        }
    }
    const uint32_t count = m_animals.get_count();
    if (!count) return;
    for (uint32_t d = 0; d < DECISIONS_PER_FRAME; ++d) {
        // The next animal that is not removed; none when all are.
        for (uint32_t tries = 0; tries < count; ++tries) {
            m_round_robin = int32_t((uint32_t(m_round_robin) + 1) % count);
            ai_animal_t *animal = m_animals[uint32_t(m_round_robin)];
            if (animal->is_removed()) continue;
            animal->decision_step();
            break;
        }
    }
}

int32_t ai_world_t::find_animal(const char *name) const {
    if (!name) return -1;
    for (uint32_t i = 0; i < m_animals.get_count(); ++i)
        if (strcmp(m_animals[i]->get_name(), name) == 0) return int32_t(i);
    return -1;
}

ai_stimulus_t *ai_world_t::add_stimulus(int32_t kind, const ai_item_t *source) {
    auto *node = m_stimuli.insert(m_stimuli.begin(), ai_stimulus_t());
    if (!node) return nullptr;
    node->element.kind = kind;
    node->element.source = source;
    return &node->element;
}

void ai_world_t::remove_stimuli_of(const ai_item_t *source) {
    for (auto it = m_stimuli.begin(); it != m_stimuli.end();) {
        if (it->source == source)
            it = m_stimuli.erase(it);
        else
            ++it;
    }
}

bool ai_world_t::sense_stimuli(ai_animal_t &animal, ai_sensed_t &out) {
    bool any = false;
    float best[2] = {0.0f, 0.0f};
    bool found[2] = {false, false};
    vec3_t strongest[2];
    float sum[2] = {0.0f, 0.0f};
    for (const ai_stimulus_t &s : m_stimuli) {
        if (!s.source) continue;
        const ai_reaction_t &r = animal.get_reaction(*s.source);
        if (!r.reacts) continue;
        const float f = s.sensing == ai_stimulus_t::SIGHT ? animal.sight_test(s.position, s.range * 0.5f, s.range)
                                                          : animal.smell_test(s.position, s.range);
        const float d = f * s.intensity;
        for (int c = 0; c < 2; ++c) {
            if (!r.channel[c]) continue;
            const float g = d * r.value[c];
            if (!found[c]) {
                sum[c] = g;
                best[c] = g;
                strongest[c] = s.position;
                found[c] = true;
            } else {
                sum[c] += g;
                if (g > best[c]) {
                    best[c] = g;
                    strongest[c] = s.position;
                }
            }
            any = true;
        }
    }
    for (int c = 0; c < 2; ++c) {
        out.found[c] = found[c];
        out.sum[c] = any ? sum[c] : 0.0f;
        if (found[c]) out.strongest[c] = strongest[c];
    }
    return any;
}

void ai_world_t::steer_animal(ai_animal_t &animal) {
    vec3_t direction = animal.get_heading();
    float speed = animal.get_speed_factor();
    if (!m_navigation.steer(animal.get_path(), animal.get_position(), animal.get_heading(), animal.get_movement_mode(),
                            &direction, &speed))
        return;
    animal.set_heading(direction);
    animal.set_speed_factor(speed);
    animal.update_navigation();
}

bool ai_world_t::get_path_point(const ai_nav_path_t &path, vec3_t *out) const {
    if (path.get_count() < 2) return false;
    *out = path.current_waypoint();
    return true;
}

bool ai_world_t::path_step(const ai_nav_path_t &path, const vec3_t &position, const vec3_t &fallback,
                           vec3_t *target) const {
    if (path.get_count() <= 1) return false;
    const ai_nav_step_t &head = path.head_step();
    const ai_sector_t &sector = m_navigation.get_sector();
    if (head.cell >= sector.get_cell_count() || head.exit_edge >= sector.get_cell(head.cell).link_count) return false;
    vec3_t a, b;
    sector.edge_points(head.cell, head.exit_edge, &a, &b);
    const ai_nav_crossing_t span = m_navigation.edge_crossing(head.cell, head.exit_edge, PATH_HALF_WIDTH, position);
    vec3_t next;
    const vec3_t travel = path.next_waypoint(&next) ? next - position : fallback;
    // The crossing of position + t travel with a + s (b - a) in x and z. A turn of
    // the plane would not move the crossing, so an edge along z needs no turn here:
    // the solution divides by the cross product, which only parallel lines zero.
    const vec3_t edge = b - a;
    const float denominator = cross_y(travel, edge);
    if (denominator == 0.0f) return false;
    const vec3_t to_a = a - position;
    const float t = cross_y(to_a, edge) / denominator;
    const float s = cross_y(to_a, travel) / denominator;
    const vec3_t crossing = a + edge * s;
    const float along = dot(span.direction, crossing);
    vec3_t point;
    if (along < span.start)
        point = t >= 0.0f ? a + span.start_offset : b + span.end_offset;
    else if (along > span.end)
        point = t >= 0.0f ? b + span.end_offset : a + span.start_offset;
    else
        point = crossing;
    *target = point + (point - position) * 0.1f;
    return true;
}

void ai_world_t::avoid_neighbours(ai_animal_t &animal) {
    const vec3_t position = animal.get_position();
    ai_animal_t *nearest = nullptr;
    float nearest_d2 = 400.0f;
    vec3_t offset;
    for (uint32_t i = 0; i < m_animals.get_count(); ++i) {
        ai_animal_t *other = m_animals[i];
        if (other == &animal || other->is_removed()) continue;
        const vec3_t d = other->get_position() - position;
        const float d2 = length_squared(d);
        if (d2 <= nearest_d2 && (!nearest || d2 < nearest_d2)) {
            nearest = other;
            nearest_d2 = d2;
            offset = d;
        }
    }
    if (!nearest) return;
    const float r = std::sqrt(nearest_d2);
    if (dot(offset, animal.get_facing()) <= 0.0f && r >= 3.0f) return;
    const vec3_t heading = animal.get_heading();
    const float side = cross_y(offset, heading);
    const float k = 1.0f - 0.05f * r;
    const float degrees = k * k * 99.6f * (side > 0.0f ? 1.0f : -1.0f);
    const float angle = degrees * float(M_PI) / 180.0f;
    const vec3_t flat{offset.x, 0.0f, offset.z};
    // A turn about the vertical axis (right-handed about +y).
    const float c = std::cos(angle), s = std::sin(angle);
    const vec3_t turned{flat.x * c + flat.z * s, 0.0f, -flat.x * s + flat.z * c};
    const float turned_side = cross_y(turned, heading);
    if ((side > 0.0f) != (turned_side > 0.0f)) {
        animal.set_heading(normalized(turned));
        const float urgency = clamp01(1.0f - (r - 3.0f) / 12.0f);
        if (urgency > animal.get_urgency()) animal.set_urgency(urgency);
    }
    animal.reevaluate_movement();
}

uint32_t ai_world_t::notify_group(ai_animal_t &animal, float a, float b) {
    ai_group_event_t event;
    event.source = &animal;
    event.position = animal.get_position();
    uint32_t told = 0;
    ai_animal_t *leader = animal.get_leader();
    if (leader && !leader->is_removed()) {
        leader->on_group_event(event, a, b);
        ++told;
    }
    for (uint32_t i = 0; i < m_animals.get_count(); ++i) {
        ai_animal_t *other = m_animals[i];
        if (other == &animal || other->is_removed() || other->get_leader() != &animal) continue;
        other->on_group_event(event, a, b);
        ++told;
    }
    return told;
}

int32_t ai_world_t::find_script_point(const char *name) const {
    if (!name) return -1;
    for (uint32_t i = 0; i < m_points.get_count(); ++i)
        if (strcasecmp(m_points[i].name.c_str(), name) == 0) return int32_t(i);
    return -1;
}

bool ai_world_t::get_script_point_target(int32_t index, ai_move_target_t &target) const {
    if (index < 0 || uint32_t(index) >= m_points.get_count()) return false;
    const ai_script_point_t &p = m_points[uint32_t(index)];
    target.point = p.position;
    target.radius = p.radius;
    target.orientation = p.orientation;
    target.has_orientation = p.orientation.x != 0.0f || p.orientation.y != 0.0f || p.orientation.z != 0.0f;
    return true;
}

float ai_world_t::rate_attract_area(const ai_attract_area_t &area, const ai_need_t &need) {
    const int32_t category = area.get_category();
    if (category != ai_attract_area_t::ANY_CATEGORY && category != need.category) return 0.0f;
    const int32_t type = area.get_resource_type();
    float score = 0.0f;
    bool eligible = false;
    if (type == ai_attract_area_t::FOOD && need.hungry) {
        score += need.hunger * 50.0f;
        eligible = true;
    }
    if (type == ai_attract_area_t::WATER && need.thirsty) {
        score += need.thirst * 50.0f;
        eligible = true;
    }
    if (!eligible) return 0.0f;
    const float distance = length(area.get_centre() - need.position) - area.get_radius();
    return score / (distance > 10.0f ? distance : 10.0f);
}

int32_t ai_world_t::find_best_attract_area(const ai_need_t &need) const {
    if (!m_areas) return -1;
    int32_t best = -1;
    float best_score = 0.0f;
    for (uint32_t i = 0; i < m_areas->get_area_count(); ++i) {
        const ai_attract_area_t *area = m_areas->get_area(i);
        if (!area) continue;
        const float score = rate_attract_area(*area, need);
        if (score > best_score) {
            best = int32_t(i);
            best_score = score;
        }
    }
    return best;
}

bool ai_world_t::get_attract_area_target(int32_t index, ai_move_target_t &target) const {
    const ai_attract_area_t *area = m_areas && index >= 0 ? m_areas->get_area(uint32_t(index)) : nullptr;
    if (!area) return false;
    target.point = area->get_centre();
    target.radius = area->get_radius();
    return true;
}

}  // namespace quarn
