#pragma once
// weapon_rifle_u (unit type "weapon_rifle"): the hunter's rifle (docs/weapons.md).
// Over the weapon it runs the action states of firing, cycling, reloading, the
// specials and aiming, casts the shot through the scene's targets, drops the casing,
// draws the rifle and its muzzle flash and starts the muzzle smoke.
//
// Action states (0 when no sequence runs); "end" is the end of the behaviour the
// animation instance reports:
//   1  "fire"/"i_fire" plays            end: 2
//   2  shot done                        next update: 4
//   4  cycle the action                 update: "reload"/"i_reload" and 5, or ready
//                                       at once when the model has none
//   5  cycling plays                    end: ready
//   6  refill asked                     next update: "open"/"i_open", 7
//   7  magazine open, loading           end: the load step
//   8  closing                          end: ready (the crosshair back from the hip)
//   9  "special"/"i_special" plays      end: last-fire-and-load: ready, clip full;
//                                       dry-fire: 4
//   10 "i_raise" plays                  end: ready at the eye
//   11 "i_lower" plays                  end: ready at the hip
#include <cstdint>

#include "game/weapons/weapon.h"
#include "qrncore/geometry/placement.h"

namespace quarn {

class model_object_u;

class weapon_rifle_u : public weapon_u {
    QRN_UNIT_CLASS(weapon_rifle_u, weapon_u);

public:
    static constexpr float FLASH_TIME = 0.06f;
    static constexpr float SHOT_LENGTH = 1000.0f;
    // The ground the casing falls on.
    static constexpr int CASING_GROUND_MASK = 9;

    bool raise() override;
    void lower() override;
    void poll_input() override;
    void set_input_disabled(bool disabled) override;
    void draw() override;
    void update(float dt) override;
    // The weapon's load, then the flash model ("flash_model not found") and its
    // packets.
    bool load() override;
    void set_aim(bool aim) override;
    void fire() override;
    void reload() override;
    void notify(uint32_t kind, zba_value_t value, uint32_t channel) override;

    // ---- reading ----
    uint32_t get_action() const { return m_action; }
    uint32_t get_queued_aim() const { return m_queued_aim; }
    float get_fov_offset() const { return m_fov_offset; }
    float get_flash_time() const { return m_flash_time; }
    bool is_drawn() const { return m_drawn; }
    bool is_crosshair_held() const { return m_crosshair_held; }
    model_object_u *get_flash_model() const;
    // Where the last shot went: its start, its end, the hit point (the origin when
    // nothing was hit) and whether a receiver took it.
    const placement_t &get_last_shot() const { return m_last_shot; }
    const vec3_t &get_last_shot_end() const { return m_last_shot_end; }
    const vec3_t &get_last_hit_point() const { return m_last_hit_point; }
    bool last_shot_hit() const { return m_last_shot_hit; }
    // Tests and tools: an animation instance made elsewhere (create_on) takes the
    // place of the model's.
    void adopt_animation(c_item_ptr_t item) { m_zba_inst = std::move(item); }

    owner_ptr_t<unit_base_t> flash_model;  // model_object_u

private:
    void on_destroy();
    // End of an animation in action 7 ("open"/"i_open" and every "load").
    void load_step();
    void end_of_behavior();
    void cast_shot();
    void eject_casing(const placement_t &view);
    void start_muzzle_smoke(const placement_t &view);
    void set_action_ready() {
        state = STATE_READY;
        m_action = 0;
    }

    uint32_t m_action = 0;
    uint32_t m_queued_aim = 0;
    float m_fov_offset = 0.0f;
    bool m_crosshair_held = false;
    bool m_drawn = false;
    float m_flash_time = -1.0f;
    r_parameter_array_t m_flash_packets;
    owner_ptr_t<fw4pp_model_u> m_flash_packet;
    placement_t m_last_shot;
    vec3_t m_last_shot_end{0.0f, 0.0f, 0.0f};
    vec3_t m_last_hit_point{0.0f, 0.0f, 0.0f};
    bool m_last_shot_hit = false;
};

}  // namespace quarn
