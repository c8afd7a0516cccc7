// A bullet that strikes the world: dust or spray thrown up by the surface's substance,
// a hit or ricochet sound, a bullet mark, and a push on loose bodies.
#include <cmath>

#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/effects/bits.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/world/landscape.h"
#include "game/world/particle_emitter.h"
#include "game/world/plant.h"
#include "game/world/world.h"
#include "game/one_shot_sound.h"
#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"
#include "kernel/sys.h"

namespace quarn {

namespace {

constexpr const char *SOUND_WOOD = "/sound/weapon/pro_bullet_wood.ogg";
constexpr const char *SOUND_HIT = "/sound/weapon/pro_bullet_hit.ogg";
constexpr const char *SOUND_RICOCHET_2 = "/sound/weapon/pro_bullet_ricochet_v2.ogg";
constexpr const char *SOUND_RICOCHET_4 = "/sound/weapon/pro_bullet_ricochet_v4.ogg";
constexpr const char *MARK_KIND = "bullet_mark";
// Sound flags and tag of the impact one-shots, and their gain.
constexpr uint32_t SOUND_FLAGS = 1;
constexpr int32_t SOUND_TAG = 10;
constexpr float SOUND_GAIN = 0.9f;
// The point query of a terrain hit widens the point by this on every slab.
constexpr float TERRAIN_MARGIN = 0.1f;

// Sends impacts to the running scene.
class scene_impacts_t : public world_impact_sink_t {
public:
    bool trigger_emitter(const char *name, const placement_t &placement) override;
    void play_sound(const char *path, const vec3_t &position) override {
        base_ctrl_u *ctrl = get_current_ctrl();
        play_one_shot_sound(path, {.flags = SOUND_FLAGS,
                                   .tag = SOUND_TAG,
                                   .volume = SOUND_GAIN,
                                   .rate = ctrl ? ctrl->get_sound_time_scale(1.0f) : 1.0f,
                                   .position = position});
    }
    void add_mark(const vec3_t &position, const vec3_t &normal) override {
        base_ctrl_u *ctrl = get_current_ctrl();
        bits_t *bits = ctrl ? ctrl->get_bits() : nullptr;
        if (!bits) return;
        const int32_t kind = bits->find_decal_kind(MARK_KIND);
        if (kind >= 0) bits->add_decal(kind, position, normal, nullptr, 1.0f, false);
    }
};

bool scene_impacts_t::trigger_emitter(const char *name, const placement_t &placement) {
    return quarn::trigger_emitter(name, placement);
}

}  // namespace

world_impact_sink_t &world_scene_impacts() {
    static scene_impacts_t impacts;
    return impacts;
}

const char *throw_emitter_name(int32_t substance) {
    switch (substance) {
    case 3: return "emitter.throw.snow";
    case 4: return "emitter.throw.meadow";
    case 5: return "emitter.throw.grass";
    case 7: return "emitter.throw.leaves";
    case 9:
    case 11: return "emitter.throw.dirt";
    case 10: return "emitter.throw.sand";
    case 12: return "emitter.throw.mud_dry";
    case 13: return "emitter.throw.gravel";
    case 14: return "emitter.throw.rock";
    case 15: return "emitter.throw.metal";
    case 16: return "emitter.throw.water";
    default: return nullptr;
    }
}

const char *bullet_hit_sound(int32_t substance, float random) {
    switch (substance) {
    case 13:
    case 14:
    case 15: return random > 0.5f ? SOUND_RICOCHET_2 : SOUND_RICOCHET_4;
    case 3:
    case 4:
    case 5:
    case 7:
    case 9:
    case 10:
    case 11:
    case 12: return SOUND_HIT;
    default: return SOUND_WOOD;  // below 3, above 15, 6 and 8
    }
}

bool takes_bullet_mark(int32_t substance) { return substance != 0 && substance != 1 && substance != 16; }

bool world_u::spawn_throw_emitter(const vec3_t &position, const vec3_t &normal, int32_t substance) {
    const char *name = throw_emitter_name(substance);
    if (!name) return false;
    placement_t placement;
    placement.position = position;
    placement.rotation = quat_t();
    placement.rotation.set_cartes(normal);
    return get_impact_sink().trigger_emitter(name, placement);
}

void world_u::play_bullet_hit_sound(const vec3_t &position, int32_t substance) {
    const float random = sys_rand();
    get_impact_sink().play_sound(bullet_hit_sound(substance, random), position);
}

void world_u::add_bullet_mark(const vec3_t &position, const vec3_t &normal, int32_t substance) {
    if (takes_bullet_mark(substance)) get_impact_sink().add_mark(position, normal);
}

void world_u::on_hit(const vec3_t &h, projectile_u *, shot_record_t &record, const placement_t &shot, const vec3_t &) {
    // Without a stored hit there is nothing to react to.
    physics_shape_t *shape = m_last_shot_hit.shape;
    if (!shape) return;
    const int group = shape->get_collision_group();
    const vec3_t o = shot.position;

    if (group == GROUP_BODIES) {
        // A push along the shot, shortened for heavy bodies; a shape of no body has no
        // mass to push.
        if (physics_body_t *body = shape->get_owner()) {
            const float m = body->get_mass();
            vec3_t dir = h - o;
            const float len = length(dir);
            if (len > 0.0f && m > 0.0f) {
                dir = dir / len;
                const float limit = PUSH_LIMIT * std::sqrt(m);
                if (m * length(dir) > limit) dir = dir / length(dir) * (limit / m);
                body->add_force_at_position(dir, h);
            }
        }
    }

    switch (group) {
    case GROUP_TERRAIN: {
        landscape_triangle_query_t query;
        query.point = h;
        m_landscape->query_triangles_point(query, landscape_volume_t::of_point(h, TERRAIN_MARGIN));
        // Without a triangle the query keeps substance 0 and the normal (0, 1, 0).
        add_bullet_mark(h, query.normal, query.surface_kind);
        spawn_throw_emitter(h, query.normal, query.surface_kind);
        play_bullet_hit_sound(h, query.surface_kind);
        break;
    }
    case GROUP_WATER: {
        placement_t placement;
        placement.position = h;
        placement.rotation = quat_t();
        placement.rotation.set_cartes(m_last_shot_hit.normal);
        get_impact_sink().trigger_emitter(WATER_EMITTER, placement);
        break;
    }
    case GROUP_OBJECTS: {
        auto *unit = static_cast<unit_base_t *>(shape->get_user_data());
        const int32_t s = unit && unit_cast<plant_inst_u>(unit) ? PLANT_SUBSTANCE : OBJECT_SUBSTANCE;
        add_bullet_mark(h, read_shot_record(record).normal, s);
        spawn_throw_emitter(h, m_last_shot_hit.normal, s);
        play_bullet_hit_sound(h, s);
        break;
    }
    case GROUP_BODIES:
        get_impact_sink().play_sound(BODY_HIT_SOUND, h);
        break;
    default:
        break;
    }
}

}  // namespace quarn
