#include "game/round/trail_use.h"

#include "game/game_module.h"
#include "game/round/target_spawners.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/target.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(trail_use_u, "trail_use",
                QRN_ATTR(trail_name, UNIT_ATTR_STRING, "trail_name"),
                QRN_ATTR(decoys_supported, UNIT_ATTR_REF_ARRAY, "decoys_supported"),
                QRN_ATTR(scorings_supported, UNIT_ATTR_REF_ARRAY, "scorings_supported"),
                QRN_ATTR(dangerous_supported, UNIT_ATTR_REF_ARRAY, "dangerous_supported"),
                QRN_ATTR(ambients_supported, UNIT_ATTR_REF_ARRAY, "ambients_supported"));

namespace {

// The scene's list of what a shot can hit; null between scenes.
target_list_t *scene_targets() {
    base_ctrl_u *ctrl = get_current_ctrl();
    return ctrl ? &ctrl->get_targets() : nullptr;
}

void leave_target_list(target_u *target) {
    if (target_list_t *targets = scene_targets()) targets->remove(target);
}

}  // namespace

bool trail_use_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    if (decoys_supported.is_empty() && scorings_supported.is_empty() && dangerous_supported.is_empty() &&
        ambients_supported.is_empty()) {
        error("[game] Trail use is not able to spawn ANY target!");
        return false;
    }
    return true;
}

void trail_use_u::on_destroy() {
    release_targets(m_animals);
    release_targets(m_gifts);
    m_trail.reset();
}

void trail_use_u::release_targets(array_dyn_t<owner_ptr_t<target_u>> &targets) {
    for (owner_ptr_t<target_u> &target : targets)
        if (target) leave_target_list(target.get());
    targets.clear();
}

bool trail_use_u::resolve_trail() {
    trail_u *trail = round_find_trail(trail_name.c_str());
    if (!trail) {
        error("[game] Trail (%s) does not exist", trail_name.c_str());
        m_trail.reset();
        return false;
    }
    m_trail = trail;
    return true;
}

const array_dyn_t<ref_ptr_t<unit_base_t>> &trail_use_u::get_supported(uint32_t kind) const {
    switch (kind) {
        case SPAWN_SCORING: return scorings_supported;
        case SPAWN_DANGEROUS: return dangerous_supported;
        case SPAWN_AMBIENT: return ambients_supported;
        default: return decoys_supported;
    }
}

bool trail_use_u::hold(array_dyn_t<owner_ptr_t<target_u>> &targets, owner_ptr_ret_t<target_u> &&target) {
    // A target that is not alive is disposed of by its carrier.
    if (!target || !target->is_alive()) return false;
    target_u *made = target.get();
    if (!targets.append(owner_ptr_t<target_u>(static_cast<owner_ptr_ret_t<target_u> &&>(target)))) {
        // The slot's owner destroyed it: it must not stay where shots look.
        leave_target_list(made);
        return false;
    }
    return true;
}

bool trail_use_u::spawn_animal(uint32_t kind, const char *name, uint32_t random_value) {
    const array_dyn_t<ref_ptr_t<unit_base_t>> &supported = get_supported(kind);
    if (supported.is_empty() || !m_trail || !m_trail->is_alive()) return false;
    auto *spawn = game_module_factory<animal_target_spawn_fn_t>(ANIMAL_TARGET_SPAWNER);
    if (!spawn) return false;
    randomizer_t choice(random_value + 111u);
    unit_base_t *description = supported[choice.rand_u(supported.get_count())].get();
    if (!description) return false;
    return hold(m_animals, spawn(description, m_trail.get(), name ? name : "", random_value));
}

bool trail_use_u::spawn_gift(const char *name, uint32_t random_value) {
    if (!m_trail || !m_trail->is_alive()) return false;
    auto *spawn = game_module_factory<gift_target_spawn_fn_t>(GIFT_TARGET_SPAWNER);
    if (!spawn) return false;
    owner_ptr_ret_t<target_u> gift = spawn(m_trail.get(), name ? name : "", random_value);
    if (!gift || !gift->is_alive()) return false;
    target_list_t *targets = scene_targets();
    if (targets && !targets->add(gift.get())) {
        error("[game] The scene's target list takes no more targets: gift '%s' is not spawned", name ? name : "");
        return false;
    }
    return hold(m_gifts, static_cast<owner_ptr_ret_t<target_u> &&>(gift));
}

void trail_use_u::update_targets(array_dyn_t<owner_ptr_t<target_u>> &targets, float dt) {
    uint32_t i = 0;
    while (i < targets.get_count()) {
        target_u *target = targets[i].get();
        if (target && target->is_alive()) target->update(dt);
        // A target destroyed elsewhere goes too.
        if (target && target->is_alive() && !target->is_finished()) {
            ++i;
            continue;
        }
        if (target) leave_target_list(target);
        targets.remove(i);  // the owner destroys it; the next target moves into slot i
    }
}

void trail_use_u::update(float dt, float speed_factor) {
    update_targets(m_animals, dt * speed_factor);
    update_targets(m_gifts, dt);
}

void trail_use_u::draw() {
    for (owner_ptr_t<target_u> &animal : m_animals)
        if (animal && animal->is_alive()) animal->draw();
    for (owner_ptr_t<target_u> &gift : m_gifts)
        if (gift && gift->is_alive()) gift->draw();
    if (m_trail && m_trail->is_alive()) round_draw_trail(m_trail.get());
}

void trail_use_u::close_windows() {
    for (owner_ptr_t<target_u> &animal : m_animals)
        if (animal && animal->is_alive()) animal->close_windows();
    for (owner_ptr_t<target_u> &gift : m_gifts)
        if (gift && gift->is_alive()) gift->close_windows();
}

}  // namespace quarn
