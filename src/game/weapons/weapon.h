#pragma once
// The things the hunter holds (docs/weapons.md).
//
// item_u (unit type "item", abstract): display name, description, the field of view
// it is drawn with, and its state: 0 busy (an animation sequence runs), 1 ready,
// 2 lowered (not shown).
//
// weapon_u (unit type "weapon", abstract): a weapon drawn in first person from an
// animated model (a behaviour file with the behaviours "raise", "lower", "fire",
// "reload", "open", "close", "load", "special" and their "i_" variants used at the
// eye), with a clip of rounds, ammunition loaded from a unit file, the sway behind the
// turning view, and the fire and reload impulses. The model's animation instance
// reports to the weapon as its listener; the rifle (weapon_rifle.h) answers it.
//
// The player calls, each frame and in this order: update (dt), poll_input, set_aim
// (the aim input); draw while its camera is the controller's view; raise, lower and
// toggle when the weapon is taken out or put away.
#include <cstdint>

#include "game/ai/zba/zba_bind.h"
#include "game/ai/zba/zba_inst.h"
#include "game/visuals/shaders/fw_packets.h"
#include "game/weapons/weapon_host.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/math/vec.h"
#include "qrncore/math/ypr.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class projectile_u;

// Sees what a weapon starts: behaviours by slot, sounds by path.
class weapon_observer_t {
public:
    virtual void played(uint32_t slot) = 0;
    virtual void sounded(const char *path, float volume, float rate) = 0;

protected:
    ~weapon_observer_t() = default;
};

class item_u : public unit_t {
    QRN_UNIT_CLASS(item_u, unit_t);

public:
    static constexpr uint32_t STATE_BUSY = 0;
    static constexpr uint32_t STATE_READY = 1;
    static constexpr uint32_t STATE_LOWERED = 2;

    // The unit's post-load, then load.
    bool _call_post_load() override;

    virtual bool raise() {
        state = STATE_READY;
        return true;
    }
    virtual void lower() { state = STATE_LOWERED; }
    virtual void toggle() {}
    virtual void poll_input() {}
    virtual void set_input_disabled(bool) {}
    virtual void draw() {}
    virtual void update(float) {}
    virtual bool load() = 0;

    uint32_t get_state() const { return state; }

    mstring_dyn_t pretty_name;
    mstring_dyn_t description;
    float fov = 60.0f;

protected:
    uint32_t state = STATE_LOWERED;
};

class weapon_u : public item_u, public zba_listener_t {
    QRN_UNIT_CLASS(weapon_u, item_u);

public:
    // Behaviour slots, bound by name from the model's behaviour file.
    enum behavior_t : uint32_t {
        B_RAISE,
        B_LOWER,
        B_FIRE,
        B_RELOAD,
        B_OPEN,
        B_CLOSE,
        B_LOAD,
        B_SPECIAL,
        B_I_RAISE,
        B_I_LOWER,
        B_I_RELOAD,
        B_I_OPEN,
        B_I_CLOSE,
        B_I_FIRE,
        B_I_SPECIAL,
        BEHAVIOR_COUNT
    };
    static const char *const behavior_names[BEHAVIOR_COUNT];

    // special: what the last round or an empty clip does.
    static constexpr uint32_t SPECIAL_LAST_FIRE_AND_LOAD = 0;
    static constexpr uint32_t SPECIAL_DRYFIRE_ANIMATED = 1;
    static constexpr uint32_t SPECIAL_NONE = 2;

    // The kernel's impulses.
    static constexpr int IMPULSE_FIRE = 130;    // "weap_fire"
    static constexpr int IMPULSE_RELOAD = 131;  // "weap_reload"

    // The item's post-load (and so load), then offset_ypr from offset_rot and a full
    // clip. An ammo_max below 1 fails ("ammo_max must be > 0"): such a clip would be
    // counted down past the empty test and never run out.
    bool _call_post_load() override;

    bool raise() override;
    void lower() override;
    void toggle() override;
    void poll_input() override;
    void set_input_disabled(bool disabled) override;
    // The sway, then a pending lower and a pending reload.
    void update(float dt) override;
    // The animation instance, its packets, the behaviour names, the ammunition and the
    // specials; false (logged) when the model or the ammunition does not load.
    bool load() override;
    // The special's flags from `special` and the bound behaviours: a special whose
    // "special" or "i_special" is missing is switched off, with its message.
    void bind_specials();
    virtual void set_aim(bool) {}
    virtual void fire() {}
    virtual void reload();

    // The hunt's bonuses: rounds in the clip, and the clip's size (the rounds cut to
    // it); both refresh the HUD's ammunition row.
    void set_clip(int32_t rounds);
    void set_clip_size(int32_t size);

    // ---- calls out ----
    // A host of the weapon's own (null: the running hunt's, through the factory row).
    void set_host(weapon_host_t *host) { m_host = host; }
    weapon_host_t *get_host() const;
    // Told of every behaviour the weapon starts and every sound it plays (tests,
    // tools); null for none.
    void set_observer(weapon_observer_t *observer) { m_observer = observer; }

    // ---- reading ----
    int32_t get_ammo() const { return ammo_cur; }
    int32_t get_ammo_max() const { return ammo_max; }
    bool is_aiming() const { return m_aiming; }
    bool is_input_disabled() const { return m_input_disabled; }
    bool is_loaded() const { return m_loaded; }
    bool is_reload_requested() const { return m_reload_requested; }
    bool is_lower_requested() const { return m_lower_requested; }
    uint32_t get_pending_state() const { return m_pending_state; }
    const ypr_t &get_sway() const { return m_sway; }
    const ypr_t &get_offset_ypr() const { return m_offset_ypr; }
    int32_t get_behavior_index(uint32_t slot) const { return slot < BEHAVIOR_COUNT ? m_anim_index[slot] : -1; }
    // Tests bind slots by hand over a weapon without a model.
    void set_behavior_index(uint32_t slot, int32_t index) {
        if (slot < BEHAVIOR_COUNT) m_anim_index[slot] = index;
    }
    bool has_behavior(uint32_t slot) const { return get_behavior_index(slot) >= 0; }
    bool has_last_fire_and_load() const { return m_special_last_fire; }
    bool has_dryfire_animated() const { return m_special_dryfire; }
    int32_t get_flash_bone() const { return m_flash_bone; }
    projectile_u *get_projectile() const;
    // Tests and tools: ammunition made elsewhere, and a flash bone by hand.
    void set_projectile(owner_ptr_ret_t<unit_base_t> projectile) { m_projectile = std::move(projectile); }
    void set_flash_bone(int32_t bone) { m_flash_bone = bone; }
    c_item_t *get_animation() const { return m_zba_inst.get(); }
    fw4pp_model_u *get_model_packet() const { return m_model_packet.get(); }
    const r_parameter_array_t &get_packets() const { return m_packets; }

    // The sway's constants: from the hip, and at the eye.
    struct sway_constants_t {
        float follow;      // share of the view's turn the lag takes
        float return_rate; // degrees a second back toward 0
        float max_lag;     // degrees
    };
    static constexpr sway_constants_t SWAY_HIP{0.5f, 0.6f, 0.4f};
    static constexpr sway_constants_t SWAY_AIMED{0.2f, 0.2f, 0.12f};
    // One sway step toward the view's orientation over dt seconds (dt > 0): the lag
    // follows the view's turn, a turn faster than twice the return rate counts at that
    // rate, the lag returns toward 0 and is cut to the greatest lag.
    void step_sway(const ypr_t &view, float dt, const sway_constants_t &constants);

    // Attributes.
    mstring_dyn_t zba_filename;
    mstring_dyn_t zba_look;
    mstring_dyn_t zba_variant;
    mstring_dyn_t ammo_filename;
    mstring_dyn_t ammo_char;
    int32_t ammo_max = 0;
    int32_t ammo_cur = 0;
    mstring_dyn_t snd_fire;
    mstring_dyn_t snd_dryfire;
    vec3_t offset_pos{0.0f, 0.0f, 0.0f};
    vec3_t offset_rot{0.0f, 0.0f, 0.0f};
    uint32_t special = SPECIAL_NONE;
    float fov_modif = -25.0f;
    bool load_once = false;
    bool load_force = false;
    bool load_one_round = false;
    bool case_once = false;
    vec4_t recoil_setup{-0.02f, 0.03f, 1.0f, 0.3f};

protected:
    // Starts the behaviour of the slot on channel 0; false (nothing played) when the
    // model lacks it.
    bool play(uint32_t slot);
    // Sets the clip and refreshes the HUD's ammunition row.
    void set_ammo_count(int32_t rounds);
    void refresh_ammo_row();
    void show_crosshair(bool visible);
    // The sway step of update, with the player's orientation.
    void update_sway(float dt);
    // A one-shot sound at volume 0.6, with a rate; nothing for an empty name or a
    // sound that cannot be made.
    void play_sound(const char *path, float rate);

    void on_destroy();

    c_item_ptr_t m_zba_inst;
    r_parameter_array_t m_packets;
    owner_ptr_t<fw4pp_model_u> m_model_packet;
    owner_ptr_t<unit_base_t> m_projectile;  // projectile_u
    int32_t m_anim_index[BEHAVIOR_COUNT];
    ypr_t m_offset_ypr;
    ypr_t m_sway;
    ypr_t m_last_view_ypr;
    uint32_t m_pending_state = 0;
    int32_t m_flash_bone = -1;
    bool m_special_last_fire = false;
    bool m_special_dryfire = false;
    bool m_reload_requested = false;
    bool m_lower_requested = false;
    bool m_aiming = false;
    bool m_input_disabled = false;
    bool m_loaded = false;

private:
    void on_construct();

    weapon_host_t *m_host = nullptr;
    weapon_observer_t *m_observer = nullptr;
};

}  // namespace quarn
