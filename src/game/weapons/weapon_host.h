#pragma once
// weapon_host_t: what a held weapon calls outside itself (docs/weapons.md): the HUD's
// ammunition row and crosshair, the reload prompt, the count of shots and the kick
// given to the player. The running hunt supplies it through the factory row
// WEAPON_HOST_FACTORY; a weapon given a host of its own (set_host: tests, tools) uses
// that one. Without either, the weapon's calls out go nowhere.
#include <cstdint>

#include "qrncore/math/vec.h"

namespace quarn {

class base_ctrl_u;

class weapon_host_t {
public:
    // The ammunition row: the round's glyph (one character), rounds loaded and the
    // clip's capacity.
    virtual void set_ammo(const char *glyph, uint32_t loaded, uint32_t capacity) = 0;
    virtual void show_crosshair(bool visible) = 0;
    // The clip is empty and the trigger was pulled.
    virtual void show_reload_prompt() = 0;
    // Every shot, after the target list reported its hit (if any).
    virtual void after_shot() = 0;
    // The weapon's recoil setup (x eye drop, y back, z kick angle in degrees, w time),
    // handed to the player at every shot.
    virtual void apply_recoil(const vec4_t &setup) = 0;

protected:
    ~weapon_host_t() = default;
};

// The factory row's name and signature: the host of the controller (the running hunt
// answers for itself), or null when the controller is none it serves.
inline constexpr const char WEAPON_HOST_FACTORY[] = "weapon_host.of_ctrl";
using weapon_host_factory_fn_t = weapon_host_t *(base_ctrl_u *ctrl);

}  // namespace quarn
