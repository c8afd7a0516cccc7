#pragma once
// target_u (unit type "target", abstract): the base of every shootable thing that is
// a unit, the animal targets and the party's gift targets. Its hit receiver part is
// what the scene's target list holds while the target lives; the round code that
// spawns targets updates and draws them each frame and removes them once is_finished
// answers true. Cloning a target aborts.
#include <cstdint>

#include "game/hit_receiver.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class target_u : public unit_t, public hit_receiver_t {
    QRN_UNIT_CLASS(target_u, unit_t);

public:
    virtual placement_t get_placement() const = 0;
    // What a kill of the target is worth before bonuses and multipliers.
    virtual uint32_t get_points() const = 0;
    // A dangerous animal (a kill counts as a dangerous kill).
    virtual bool is_dangerous() const = 0;
    // An ambient animal or object (no trophy, no kill limit).
    virtual bool is_ambient() const = 0;
    // Carries trophy antlers.
    virtual bool has_trophy() const = 0;

    // dt: the frame time in seconds as the owner hands it on.
    virtual void update(float dt) = 0;
    virtual void draw() = 0;
    // True once the target is done and its owner may remove and release it.
    virtual bool is_finished() const = 0;
    // The scene closes its windows (it is going): what the target shows of its own on
    // the screen goes at once (base: nothing).
    virtual void close_windows();

    // The target's position, from get_placement.
    const hit_target_info_t *get_target_info() override;

private:
    hit_target_info_t m_info;
};

}  // namespace quarn
