#include "game/ai/animals/animal_model_inst.h"

#include "game/ai/antlers/antler_units.h"
#include "game/ai/animals/ragdoll.h"
#include "game/ai/zba/zba_inst.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_view.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/world/particle_emitter.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "kernel/sys.h"
#include "outside/visbase/camera.h"
#include "qrncore/math/matrix.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load_tree.h"

namespace quarn {

namespace {

// The antler set an animal carries is drawn from its seed plus this.
constexpr uint32_t ANTLER_SEED_OFFSET = 222;
constexpr uint32_t SHADOW_COLOUR = 0xFFFFFFFFu;

physics_scene_t *fallback_scene = nullptr;


int32_t root_bone_of(model_object_u *model) {
    model_geom_u *geom = model ? model->get_geom() : nullptr;
    const model_bone_t *bones = geom ? geom->get_bones() : nullptr;
    if (!bones) return -1;
    for (uint32_t b = 0; b < model->get_bone_count(); ++b)
        if (bones[b].parent == 255) return int32_t(b);
    return -1;
}

}  // namespace

QRN_UNIT_DEFINE(animal_model_inst_u, "animal_model_inst");

void animal_model_inst_u::on_construct() {
    m_model_packet = fw4pp_model_u::create(get_system());
    m_tint_packet = fw4pp_light_modulator_u::create(get_system());
}

void animal_model_inst_u::on_destroy() {
    if (m_ragdoll_active) {
        if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) hunt->remove_ragdoll(uint32_t(m_ragdoll_level));
        m_ragdoll_active = false;
    }
    if (ragdoll_u *ragdoll = get_ragdoll()) ragdoll->release();
    m_ragdoll.reset();
    m_antlers.clear();
    m_zba.release();
    m_packets.clear();
    m_tint_packet.reset();
    m_model_packet.reset();
    m_desc.reset();
}

// A copy would share the original's animation instance and ragdoll: instances are
// made by create only.
bool animal_model_inst_u::_clone_finish(unit_base_t *) {
    error("[animal] An animal model instance cannot be copied; make another with its description");
    return false;
}

owner_ptr_ret_t<animal_model_inst_u> animal_model_inst_u::create(animal_model_desc_u *desc, float scale,
                                                                 uint32_t seed, zba_listener_t *listener) {
    owner_ptr_ret_t<animal_model_inst_u> inst = animal_model_inst_u::create(unit_system_t::get_default());
    if (!inst) return {};
    if (!desc || !inst->build(desc, scale, seed, listener)) return {};
    return inst;
}

bool animal_model_inst_u::build(animal_model_desc_u *desc, float scale, uint32_t seed, zba_listener_t *listener) {
    m_desc = desc;
    m_scale = scale * desc->scale;
    m_zba = desc->create_zba_inst(listener);
    model_object_u *model = get_model();
    if (!m_zba || !model || !m_model_packet || !m_tint_packet) {
        error("Failed to load ZBA model");
        return false;
    }
    antler_fill_packets(m_packets, m_model_packet.get(), m_tint_packet.get());
    model_packets_for_all_t all(&m_packets);
    model->apply_materials(&all);
    model->set_packets(&m_packets, m_model_packet.get());
    model->set_placement_mode(MODEL_PLACE_BY_MATRIX);

    const sphere_t sphere = model->get_geom()->get_bounding_sphere(-1);
    m_scaled_radius = m_scale * sphere.radius;
    m_sphere = sphere_t(sphere.center, sphere.radius * SPHERE_MARGIN);
    const int32_t root = root_bone_of(model);
    if (root >= 0) {
        const model_bone_t &bone = model->get_geom()->get_bones()[root];
        m_root_centre = placement_t(bone.translation, bone.rotation).to_local_space(sphere.center);
    } else {
        m_root_centre = sphere.center;
    }

    if (desc->has_antlers && desc->get_antler_count() > 0) {
        randomizer_t random(seed + ANTLER_SEED_OFFSET);
        animal_antler_u *set = desc->get_antler(random.rand_u(desc->get_antler_count()));
        m_trophy_score = 0;
        for (int side = 0; side < 2 && set; ++side) {
            owner_ptr_t<unit_base_t> antler(set->create_model_instance());
            if (!antler) continue;
            m_trophy_score += unit_cast<animal_antler_u>(antler.get())->score_reward;
            m_antlers.append(std::move(antler));
        }
    } else {
        m_trophy_score = desc->score_reward;
    }
    if (!desc->spawn_voiceover.is_empty())
        if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) hunt->play_voiceover_named(desc->spawn_voiceover.c_str(), true);
    return true;
}

int32_t animal_model_inst_u::play_behavior(uint32_t code, bool force, uint32_t channel) {
    return play_behavior_index(m_desc->get_behavior_index(code), force, channel);
}

int32_t animal_model_inst_u::play_behavior_index(int32_t behavior, bool force, uint32_t channel) {
    zba_inst_t *inst = get_zba();
    return inst ? inst->play_behavior(behavior, channel, force) : ZBA_ERR_BEHAVIOR;
}

void animal_model_inst_u::draw(float tint) {
    model_object_u *model = get_model();
    const placement_scale_t place(m_placement.position, m_scale, m_placement.rotation);
    m_world_sphere = sphere_t(place.from_local_space(m_sphere.center), m_sphere.radius * m_scale);
    base_ctrl_u *ctrl = get_current_ctrl();
    scene_view_t *view = ctrl ? ctrl->get_view() : nullptr;
    const frustum_t *frustum = view ? view->get_frustum() : nullptr;
    m_visible = model && (frustum ? frustum->intersects(m_world_sphere)
                                  : gfx_sphere_visible(m_world_sphere, mat4_t::identity()));
    if (!m_visible) return;
    const mat4_t matrix = place.compute_matrix();
    model->set_draw_matrix(matrix);
    m_tint_packet->modulator = {tint, tint, tint, 1.0f};
    get_zba()->submit_model();
    animal_model_desc_u *desc = get_desc();
    for (uint32_t i = 0; i < m_antlers.get_count(); ++i) {
        const int32_t bone = i < desc->get_antler_bone_count() ? desc->get_antler_bone(i) : -1;
        if (animal_antler_u *antler = get_antler(i)) antler->draw_at_bone(model, bone, matrix, tint);
    }
}

void animal_model_inst_u::animate(float seconds) {
    if (ragdoll_u *ragdoll = get_ragdoll(); ragdoll && m_ragdoll_active) ragdoll->update(seconds);
    if (m_zba) zba_inst_update_item(m_zba.get(), seconds * (m_desc ? m_desc->animation_speed : 1.0f));
    model_object_u *model = get_model();
    const int32_t root = root_bone_of(model);
    mat4_t m;
    if (root >= 0 && model->get_bone_matrix(uint32_t(root), &m))
        m_sphere.center = placement_t::from_matrix(m).from_local_space(m_root_centre);
}

float animal_model_inst_u::take_root_motion() {
    model_object_u *model = get_model();
    if (!model) return 0.0f;
    vec3_t translation;
    quat_t rotation;
    model->take_root_motion(&translation, &rotation);
    return translation.z * m_scale;
}

bool animal_model_inst_u::intersect(model_hit_t &hit, const placement_t &placement, const vec3_t &start,
                                    const vec3_t &end) {
    hit.reset();
    model_object_u *model = get_model();
    if (!model) return false;
    const placement_scale_t place(placement.position, m_scale, placement.rotation);
    const vec3_t a = place.to_local_space(start);
    const vec3_t b = place.to_local_space(end);
    if (!m_sphere.intersects(a, b)) return false;
    bool any = false;
    const uint32_t pieces = model->get_geom()->get_piece_count();
    for (uint32_t piece = 0; piece < pieces; ++piece) any |= model->intersect_piece(a, b, piece, hit);
    return any;
}

animal_part_u *animal_model_inst_u::find_hit_zone(const vec3_t &local_start, const vec3_t &local_end) {
    model_object_u *model = get_model();
    animal_model_desc_u *desc = get_desc();
    if (!model || !desc) return nullptr;
    const model_geom_view_t &g = model->get_geom()->view();
    animal_part_u *chosen = nullptr;
    float chosen_distance = FLT_MAX;
    for (uint32_t i = 0; i < desc->get_part_count(); ++i) {
        animal_part_u *part = desc->get_part(i);
        if (!part || part->get_piece_index() < 0 || uint32_t(part->get_piece_index()) >= g.get_part_count()) continue;
        const uint32_t zone = uint32_t(part->get_piece_index());
        model_hit_t hit;
        bool met = false;
        const uint32_t first = g.get_part_first_piece(zone);
        for (uint32_t p = first; p < first + g.get_part_piece_count(zone); ++p)
            met |= model->intersect_piece(local_start, local_end, p, hit);
        if (!met) continue;
        const uint32_t fever = chosen ? chosen->fever_reward : 0;
        if (part->fever_reward >= fever && hit.distance < chosen_distance) {
            chosen = part;
            chosen_distance = hit.distance;
        }
    }
    return chosen;
}

void animal_model_inst_u::draw_shadow(const placement_t &placement) {
    hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    if (!hunt || !m_desc) return;
    placement_scale_t at(placement.position, 1.0f, placement.rotation);
    if (ragdoll_u *ragdoll = get_ragdoll(); ragdoll && m_ragdoll_active) {
        placement_t root;
        world_u *world = hunt->get_world();
        physics_ray_hit_t ground;
        if (!ragdoll->get_root_placement(root) || !world ||
            !world->find_ground(ground, root.position, world_u::MASK_TERRAIN))
            return;
        at.position = ground.position;
    }
    hunt->add_shadow_quad(at, m_desc->shadow_dimensions.x * m_scale, m_desc->shadow_dimensions.y * m_scale,
                          SHADOW_COLOUR);
}

void animal_model_inst_u::set_fallback_physics_scene(physics_scene_t *scene) { fallback_scene = scene; }

int32_t animal_model_inst_u::pick_ragdoll_file(const array_dyn_t<mstring_dyn_t> &names, uint32_t level) {
    const uint32_t n = names.get_count();
    if (n == 0) return -1;
    const uint32_t at = level < n ? level : n - 1;
    if (!names[at].is_empty()) return int32_t(at);
    for (uint32_t i = at + 1; i < n; ++i)
        if (!names[i].is_empty()) return int32_t(i);
    for (uint32_t i = at; i-- > 0;)
        if (!names[i].is_empty()) return int32_t(i);
    return -1;
}

bool animal_model_inst_u::ragdoll_on() {
    hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    ragdoll_u *ragdoll = get_ragdoll();
    if (!ragdoll || !ragdoll->is_fitted()) {
        const uint32_t level = hunt ? hunt->pick_ragdoll_level() : 0;
        const int32_t file = pick_ragdoll_file(m_desc->ragdoll_lod_filename, level);
        if (file < 0) {
            error("[animal] '%s' names no ragdoll file: the animal keeps its animation", m_desc->filename.c_str());
            return false;
        }
        const char *path = m_desc->ragdoll_lod_filename[uint32_t(file)].c_str();
        if (!ragdoll) {
            m_ragdoll = load_unit_tree<ragdoll_u>(path);
            ragdoll = get_ragdoll();
        }
        world_u *world = hunt ? hunt->get_world() : nullptr;
        physics_scene_t *scene = world ? world->get_physics_scene() : fallback_scene;
        if (!ragdoll || !ragdoll->fit(get_model(), m_placement, m_scale, scene)) {
            error("[animal] The ragdoll '%s' could not be set up: the animal keeps its animation", path);
            m_ragdoll.reset();
            return false;
        }
        m_ragdoll_level = file;
    }
    if (ragdoll->get_total_mass() > CONTACT_MASS) ragdoll->set_contact_handler(this);
    ragdoll->activate();
    m_ragdoll_active = true;
    if (hunt) hunt->add_ragdoll(uint32_t(m_ragdoll_level));
    return true;
}

bool animal_model_inst_u::set_ragdoll(bool active) {
    if (active == m_ragdoll_active) return true;
    if (active) return m_desc && ragdoll_on();
    if (ragdoll_u *ragdoll = get_ragdoll()) ragdoll->deactivate();
    m_ragdoll_active = false;
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) hunt->remove_ragdoll(uint32_t(m_ragdoll_level));
    return true;
}

animal_model_desc_u *animal_model_inst_u::get_desc() const { return m_desc.get(); }

ragdoll_u *animal_model_inst_u::get_ragdoll() const { return unit_cast<ragdoll_u>(m_ragdoll.get()); }

bool animal_model_inst_u::has_monster_trophy() const {
    const animal_antler_u *first = get_antler(0);
    return first && first->monster_trophy;
}

zba_inst_t *animal_model_inst_u::get_zba() const { return m_zba ? zba_inst_t::of(m_zba.get()) : nullptr; }

model_object_u *animal_model_inst_u::get_model() const {
    zba_inst_t *inst = get_zba();
    return inst ? inst->get_model() : nullptr;
}

animal_antler_u *animal_model_inst_u::get_antler(uint32_t index) const {
    return index < m_antlers.get_count() ? unit_cast<animal_antler_u>(m_antlers[index].get()) : nullptr;
}

void animal_model_inst_u::on_contact(physics_shape_t *self, physics_shape_t *other, const vec3_t &position,
                                     const vec3_t &normal) {
    const double now = sys_get_time();
    if (now - m_last_effect < CONTACT_EFFECT_PAUSE) return;
    if (m_effect_count >= MAX_CONTACT_EFFECTS) return;
    if (self->get_collision_group() != 0 && other->get_collision_group() != 0) return;
    const bool self_is_ragdoll = self->get_collision_group() == RAGDOLL_COLLISION_GROUP;
    physics_shape_t *mine = self_is_ragdoll ? self : other;
    physics_body_t *body = mine->get_owner();
    if (!body) return;
    const vec3_t v = body->get_world_linear_velocity();
    if (dot(v, v) < CONTACT_SPEED2) return;
    placement_t at;
    at.position = position;
    at.rotation.set_cartes(self_is_ragdoll ? normal : -normal);
    trigger_emitter(CONTACT_EMITTER, at);
    ++m_effect_count;
    m_last_effect = now;
}

}  // namespace quarn
