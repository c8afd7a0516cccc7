#include "game/game_unit_order.h"

#include <cstring>

namespace quarn {

// Map objects and the world first, then what they are made of, then the hunt and
// its rules, the animals, gifts and bonuses, UI effects and ragdolls.
const char *const game_unit_order[GAME_UNIT_TYPE_COUNT] = {
    "world",
    "landscape",
    "body_desc",
    "body_inst",
    "body_actor_desc",
    "body_actor_inst",
    "flagpole_inst",
    "attract_area",
    "sound_loop",
    "start_point",
    "particle_emitter",
    "trail",
    "environment_preset",
    "sun",
    "fog",
    "temperature",
    "wind",
    "grass_property",
    "grass_set",
    "grass_cell",
    "grass",
    "antler_factory",
    "antler_part",
    "antler_part_simple",
    "antler_desc",
    "antler_score",
    "antler_pair_score",
    "plant_desc",
    "plant_inst",
    "casing",
    "pellet",
    "projectile",
    "item",
    "weapon",
    "weapon_rifle",
    "merged_model",
    "voiceover",
    "voiceover_table",
    "screensaver_ctrl",
    "hunt_ctrl",
    "menu_ctrl",
    "score",
    "score_table",
    "round_logic",
    "round_progression",
    "trail_use",
    "savegame",
    "animal_part",
    "animal_model_desc",
    "animal_model_inst",
    "animal_target",
    "animal_antler",
    "animal_runtime",
    "headstand_gift",
    "handswap_gift",
    "cloak_gift",
    "speed_gift",
    "shake_gift",
    "annoy_gift",
    "sunglasses_bonus",
    "fever_bonus",
    "extended_clip_bonus",
    "weapon_3030_bonus",
    "weapon_7mm_bonus",
    "quick_shooter_bonus",
    "uifx_score",
    "uifx_button_focus",
    "uifx_smoke",
    "uifx_scale",
    "uifx_scroll",
    "uifx_nop",
    "uifx_composite",
    "ragdoll",
    "ragdoll_joint",
    "ragdoll_joint_root",
    "ragdoll_joint_hinge",
    "ragdoll_joint_universal",
    "ragdoll_part",
    "ragdoll_part_box",
    "ragdoll_part_sphere",
    "ragdoll_part_capsule",
};

const char *const game_abstract_units[GAME_ABSTRACT_UNIT_COUNT] = {
    "game_unit_base", "game_unit", "target", "party_gift", "hunt_bonus", "weapon_bonus", "game_ctrl", "zml_effect",
};

int32_t game_unit_order_index(const char *type_name) {
    if (!type_name) return -1;
    for (uint32_t i = 0; i < GAME_UNIT_TYPE_COUNT; ++i)
        if (strcmp(game_unit_order[i], type_name) == 0) return int32_t(i);
    return -1;
}

bool game_unit_is_abstract_base(const char *type_name) {
    if (!type_name) return false;
    for (const char *name : game_abstract_units)
        if (strcmp(name, type_name) == 0) return true;
    return false;
}

}  // namespace quarn
