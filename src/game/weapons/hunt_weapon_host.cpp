#include "game/weapons/hunt_weapon_host.h"

#include "game/hunt/hunt_ctrl.h"
#include "game/hunt/hunt_hud.h"
#include "game/hunt/hunter.h"

namespace quarn {

namespace {

// The HUD through the hunt's window, the prompt and the count through the hunt, the
// kick through its hunter.
class hunt_host_t : public weapon_host_t {
public:
    void set_ammo(const char *glyph, uint32_t loaded, uint32_t capacity) override {
        if (hunt_hud_t *hud = hunt ? hunt->get_hud() : nullptr) hud->set_ammo(glyph, loaded, capacity);
    }
    void show_crosshair(bool visible) override {
        if (hunt_hud_t *hud = hunt ? hunt->get_hud() : nullptr) hud->show_crosshair(visible);
    }
    void show_reload_prompt() override {
        if (hunt) hunt->show_reload_prompt();
    }
    void after_shot() override {
        if (hunt) hunt->after_shot();
    }
    // The setup as it is: eye drop (x), back (y), kick angle in degrees (z), time (w).
    void apply_recoil(const vec4_t &setup) override {
        if (hunter_t *hunter = hunt ? hunt->get_hunter() : nullptr)
            hunter->apply_recoil(setup.x, setup.y, setup.z, setup.w);
    }

    hunt_ctrl_u *hunt = nullptr;
};

hunt_host_t the_host;

}  // namespace

weapon_host_t *hunt_weapon_host(base_ctrl_u *ctrl) {
    hunt_ctrl_u *hunt = unit_cast<hunt_ctrl_u>(ctrl);
    if (!hunt) return nullptr;
    the_host.hunt = hunt;
    return &the_host;
}

}  // namespace quarn
