#pragma once
// ai_item_t: an attractant item, such as a species' carcass, that leaves a smell or
// sight stimulus in the AI world. Per species and gender its entries attract (or,
// when none attracts, repel) through the food or the sexual channel.
#include <cstdint>

#include "game/ai/mind/ai_animal.h"
#include "game/game_alloc.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/vec.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class ai_world_t;
class def_obj_t;
class def_pool_t;

class ai_item_t : public game_alloc_t {
public:
    // Range of an item without "effect_range".
    static constexpr float DEFAULT_EFFECT_RANGE = 500.0f;

    struct entry_t {
        float value = 0.0f;
        int32_t species = -1;  // species index
        int32_t gender = -1;   // gender index (0 male, 1 female, 2 young)
        bool species_only = false;
        bool all = false;
        int32_t channel = 0;  // 0 food, 1 sexual
    };

    // Reads the item block (a species' "carcass" block, say) with the game definition
    // for the species and gender names; takes the world's next item id. Every
    // rejected entry is logged and skipped. False when the game definition is
    // missing or has no "species" (the item then stays empty).
    bool load(const def_obj_t &item, const def_pool_t *game, ai_world_t &world);

    // An animal's reaction: the matching attract entries add up per channel; with
    // none, the matching repell entries take away.
    void react(int32_t species_index, int32_t gender_index, ai_reaction_t &out) const;
    // Leaves a stimulus at the position: strength and intensity 1, and when timed,
    // the fade-out time as duration.
    void emit(const vec3_t &position, ai_world_t &world) const;

    int32_t get_id() const { return m_id; }
    bool is_timed() const { return m_timed; }
    float get_fadeout_time() const { return m_fadeout; }
    int32_t get_sensing_mode() const { return m_sensing; }
    float get_effect_range() const { return m_range; }
    const array_dyn_t<entry_t> &get_attract() const { return m_attract; }
    const array_dyn_t<entry_t> &get_repell() const { return m_repell; }

private:
    void read_entries(const def_obj_t &item, const def_obj_t &species, const char *key, array_dyn_t<entry_t> &out);
    bool read_entry(const def_obj_t &item, const def_obj_t &species, const char *text, entry_t &entry);

    int32_t m_id = -1;
    bool m_timed = false;
    float m_fadeout = 0.0f;
    int32_t m_sensing = 1;  // 0 sight, 1 smell
    float m_range = DEFAULT_EFFECT_RANGE;
    array_dyn_t<entry_t> m_attract;
    array_dyn_t<entry_t> m_repell;
};

}  // namespace quarn
