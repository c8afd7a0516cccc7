#pragma once
// trail_use_u (unit type "trail_use"): one trail of a round. It names a trail of the
// map, lists the animal model descriptions it may carry as decoys, scoring,
// dangerous and ambient animals, and owns the targets spawned on it until they are
// done. A round's trails are resolved against the loaded map before the round runs.
//
// After load at least one supported array must be non-empty. The arrays reference
// units of any class: the spawner checks what it is given.
#include <cstdint>

#include "game/round/spawn_entry.h"
#include "game/scene/target.h"
#include "game/world/trail.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class trail_use_u : public unit_t {
    QRN_UNIT_CLASS(trail_use_u, unit_t);

public:
    bool _call_post_load() override;

    // Looks the trail up among the live units by trail_name and holds it. False, with
    // "Trail (%s) does not exist" logged, when no live trail has that name.
    bool resolve_trail();
    trail_u *get_trail() const { return m_trail.get(); }

    // The supported array of a kind: 0 decoys, 1 scoring, 2 dangerous, 3 ambients;
    // any other kind gives the decoys.
    const array_dyn_t<ref_ptr_t<unit_base_t>> &get_supported(uint32_t kind) const;

    // Spawns an animal of the kind through the animal spawner: the description is
    // drawn from the kind's supported array by a generator seeded with
    // random_value + 111, name is the bonus it carries. True when a live target was
    // made and is now held. False (nothing held) for an empty array, an unresolved
    // trail, a missing spawner or a spawner that made no live target.
    bool spawn_animal(uint32_t kind, const char *name, uint32_t random_value);
    // Spawns the named party gift through the gift spawner, adds it to the scene's
    // target list and holds it. False as above, or when the target list takes no more.
    bool spawn_gift(const char *name, uint32_t random_value);

    // Animals first, in order: update with dt × speed_factor, then, when finished,
    // out of the scene's target list and destroyed (the walk goes on with the next
    // one). Then the gifts in the same way, with dt as it is.
    void update(float dt, float speed_factor);
    // Each animal, each gift, then the trail's own debug drawing.
    void draw();
    // The scene closes its windows: each animal's and each gift's close_windows.
    void close_windows();

    uint32_t get_animal_count() const { return m_animals.get_count(); }
    uint32_t get_gift_count() const { return m_gifts.get_count(); }
    target_u *get_animal(uint32_t i) const { return i < m_animals.get_count() ? m_animals[i].get() : nullptr; }
    target_u *get_gift(uint32_t i) const { return i < m_gifts.get_count() ? m_gifts[i].get() : nullptr; }

    // Attributes.
    mstring_dyn_t trail_name;
    array_dyn_t<ref_ptr_t<unit_base_t>> decoys_supported;
    array_dyn_t<ref_ptr_t<unit_base_t>> scorings_supported;
    array_dyn_t<ref_ptr_t<unit_base_t>> dangerous_supported;
    array_dyn_t<ref_ptr_t<unit_base_t>> ambients_supported;

private:
    // Takes the targets out of the scene's target list, destroys them and lets the
    // trail go.
    void on_destroy();
    bool hold(array_dyn_t<owner_ptr_t<target_u>> &targets, owner_ptr_ret_t<target_u> &&target);
    static void update_targets(array_dyn_t<owner_ptr_t<target_u>> &targets, float dt);
    static void release_targets(array_dyn_t<owner_ptr_t<target_u>> &targets);

    ref_ptr_t<trail_u> m_trail;
    array_dyn_t<owner_ptr_t<target_u>> m_animals;
    array_dyn_t<owner_ptr_t<target_u>> m_gifts;
};

// The live trail of the map with that name, or null (no unit of that name, or one of
// another class).
trail_u *round_find_trail(const char *name);
// The trail's debug drawing (under g_ai_debug).
void round_draw_trail(const trail_u *trail);

}  // namespace quarn
