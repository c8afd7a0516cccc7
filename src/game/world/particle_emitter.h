#pragma once
// particle_emitter_u (unit type "particle_emitter"): a particle effect placed on the
// map (a waterfall's spray) or kept as a template that impacts and animals fire
// (trigger_emitter). At load it copies the particle set its hookup names; started, it
// joins the scene's update list and runs its list of emit and pause durations.
//
// Start (discard_when_done: a fired copy the scene owns until its list runs out):
// with hack_rotation (the default) the rotation is taken out of the placement and
// turned into the generators' flow and its acceleration, the set standing unturned
// at the position; otherwise the set takes the placement as it is. An emitter with
// an empty list places its particles and never runs.
//
// Update: the first after the start runs the set ahead by init_time in steps of
// 0.05 s, emitting (⌈init_time / 0.05⌉ steps, a rest below a millionth of a step not
// counted, so 0.15 s is three steps and not four); then phases: emit_stop_times[0] emitting, [1] pausing, [2]
// emitting ..., a 0 entry skipping its phase; at the end of the list it starts again
// with loop, else it leaves the update list (and a fired copy the scene).
#include <cstdint>

#include "game/game_unit.h"
#include "game/scene/updatable.h"
#include "game/visuals/effects/particle_set.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {


class particle_emitter_u : public game_unit_u, public updatable_t {
    QRN_UNIT_CLASS(particle_emitter_u, game_unit_u);

public:
    static constexpr float PRE_RUN_STEP = 0.05f;
    enum state_t : int32_t { STATE_IDLE = 0, STATE_STARTED = 1, STATE_RUNNING = 2 };

    // Places the set and joins the scene's update list (see above); false without a
    // set or a current scene, or when the list has no node for it.
    bool start(bool discard_when_done);
    void update(float dt) override;
    void draw() override;

    particle_set_u *get_particle_set() const { return m_particle_set.get(); }
    int32_t get_state() const { return m_state; }
    uint32_t get_phase() const { return m_phase; }
    float get_remaining() const { return m_remaining; }
    float get_current_duration() const { return m_current_duration; }
    bool is_discarded_when_done() const { return m_discard_when_done; }
    bool is_in_scene() const { return m_in_list; }
    // The pre-run steps of the last start's first update.
    uint32_t get_prerun_steps() const { return m_prerun_steps; }

    // The hookup's copy; false (logged) for an empty hookup or one that names no live
    // particle set. Autostart starts the emitter (warned, and left idle, without a
    // current scene).
    bool _call_post_load() override;

    // Attributes.
    mstring_dyn_t m_hookup;
    float m_init_time = 0.0f;  // 0..60
    array_dyn_t<float> m_emit_stop_times;
    bool m_autostart = false;
    bool m_loop = false;
    bool m_hack_rotation = true;
    placement_scale_t m_placement;

protected:
    bool _clone_finish(unit_base_t *target);
    void on_destroy();

private:
    // Leaves the update list, and a fired copy the scene's object list (which lets it
    // go: nothing of the emitter may be touched after this).
    void finish();

    owner_ptr_t<particle_set_u> m_particle_set;
    int32_t m_state = STATE_IDLE;
    float m_current_duration = 0.0f;
    float m_remaining = 0.0f;
    uint32_t m_phase = 0;
    uint32_t m_prerun_steps = 0;
    bool m_discard_when_done = false;
    bool m_in_list = false;
};

// Fires a copy of the live emitter of that name at the placement (position and
// rotation, scale 1), which the scene keeps until its list runs out (for ever with
// loop). False, logging nothing, for an unknown name, a unit no longer alive or of
// another type; false too without a current scene or when the copy cannot be made or
// kept. A template with an empty list places a copy's particles and lets it go at
// once (true).
bool trigger_emitter(const char *name, const placement_t &placement);

}  // namespace quarn
