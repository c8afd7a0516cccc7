#pragma once
// A weapon host that writes down what the weapon asks of it.
#include <string>
#include <vector>

#include "game/weapons/weapon_host.h"

namespace quarn::test {

class recording_weapon_host_t : public weapon_host_t {
public:
    void set_ammo(const char *glyph, uint32_t loaded, uint32_t capacity) override {
        ammo_row = std::string(glyph) + " " + std::to_string(loaded) + "/" + std::to_string(capacity);
        ++ammo_rows;
    }
    void show_crosshair(bool visible) override { crosshair = visible; }
    void show_reload_prompt() override { ++reload_prompts; }
    void after_shot() override { ++shots; }
    void apply_recoil(const vec4_t &setup) override {
        ++recoils;
        last_recoil = setup;
    }

    std::string ammo_row;
    int ammo_rows = 0;
    bool crosshair = false;
    int reload_prompts = 0;
    int shots = 0;
    int recoils = 0;
    vec4_t last_recoil{0, 0, 0, 0};
};

}  // namespace quarn::test
