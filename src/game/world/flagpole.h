#pragma once
// flagpole_inst_u (unit type "flagpole_inst"): a flag on a pole that turns into the
// wind and plays a wind animation or a calm one (no map of ours places one).
//
// After load it holds its model object (with a model packet of its own over the
// scene's packet set 1), its collision model, its world box and the two looping
// animations (each an animation base name, its extension replaced by ".zma"; a
// missing one is none). init_unit plays the calm animation and queues the pole for
// updates. Each update advances the animation and, while the wind blows (strength
// class above 0), turns the pole to look along the wind's horizontal direction; every
// 5 s, and only while its box is out of view, it switches to the animation that fits
// the wind, so the change is never seen. draw draws it while its box is in view.
#include <cstdint>

#include "game/game_unit.h"
#include "game/scene/updatable.h"
#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_coll.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_object.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class flagpole_inst_u : public game_unit_base_u, public updatable_t {
    QRN_UNIT_CLASS(flagpole_inst_u, game_unit_base_u);

public:
    static constexpr float CHECK_INTERVAL = 5.0f;
    enum animation_t : int32_t { ANIMATION_NONE = -1, ANIMATION_CALM = 0, ANIMATION_WIND = 1 };

    bool init_unit() override;
    void cleanup_unit() override;
    void update(float dt) override;
    void draw() override;

    const placement_scale_t &get_placement() const { return m_placement; }
    const aabox_t &get_world_box() const { return m_world_box; }
    model_object_u *get_object() const { return m_object.get(); }
    // ANIMATION_CALM, ANIMATION_WIND or ANIMATION_NONE.
    int32_t get_current_animation() const { return m_current; }
    float get_check_timer() const { return m_check_timer; }

    // The load described above; false (warned) for a missing model, object or
    // collision model.
    bool _call_post_load() override;

    // Attributes.
    placement_scale_t m_placement;
    mstring_dyn_t m_model_file;
    mstring_dyn_t m_look;
    mstring_dyn_t m_variant;
    mstring_dyn_t m_no_wind_animation;
    mstring_dyn_t m_wind_animation;

protected:
    void on_destroy();

private:
    // Plays the animation (a no-op when it plays already or is missing).
    void switch_to(int32_t animation);
    void leave_scene();

    model_ref_t<model_desc_u> m_model;
    model_ref_t<model_coll_u> m_collision;
    model_ref_t<model_anim_u> m_animations[2];
    owner_ptr_t<model_object_u> m_object;
    aabox_t m_world_box;
    int32_t m_current = ANIMATION_NONE;
    int32_t m_channel = -1;
    float m_check_timer = CHECK_INTERVAL;
    bool m_queued = false;
};

}  // namespace quarn
