#pragma once
// The player view in a running hunt: the hunt's fixture (UI layer, recording sound
// device and HUD, start points at "/map/hunt") with
// - the world class registered, so the hunt's world brings a real physics scene, and
//   a flat map written by the map writer as "/map/hunt" (with the substance list
//   and the graphics front-end the landscape needs);
// - the module's real player row and the hunt's weapon host row;
// - rifles made in code under the content's names ("3006_bolt", "3030_lever"), with
//   every behaviour bound and the content's recoil; the ends of their animations are
//   told by the test (end_animation), and their draws are counted;
// - fixed frames: the injected clock moves dt, the kernel's timers take the step
//   (sys_get_lastdelta), then the hunt updates;
// - impulses set on the kernel's impulse table (impulse).
#include <string>
#include <vector>

#include "../hunt/hunt_fixture.h"
#include "outside/qrnshared/cvar.h"
#include "support/temp_dir.h"
#include "game/player/player.h"
#include "game/weapons/weapon_rifle.h"

namespace quarn::test {

// A content rifle without its model: draws are counted.
class counting_rifle_u : public weapon_rifle_u {
    QRN_UNIT_CLASS(counting_rifle_u, weapon_rifle_u);

public:
    void draw() override { ++draws; }
    int draws = 0;
};

// Writes down the behaviours the rifles start ("<rifle> <behaviour>").
class rifle_journal_t : public weapon_observer_t {
public:
    void played(uint32_t slot) override;
    void sounded(const char *, float, float) override {}
    std::string take();
    std::string owner;
    std::vector<std::string> lines;
};

class player_fixture_t : public hunt_fixture_t {
protected:
    void SetUp() override;
    void TearDown() override;

    // A rifle of that content name (recoil setup as given), held until the end.
    counting_rifle_u *make_rifle(const char *name, const vec4_t &recoil);
    // The hunt with the player, the start point "start.a" at the origin facing yaw
    // (view_limit as given, negative for none) and a round without intro; activated
    // and a first frame run so the player is attached.
    player_t *start(float yaw = 0.0f, float view_limit = -1.0f);
    // One fixed frame of dt seconds (the kernel's last step and the hunt's update).
    void frame(float dt = 0.02f);
    void frames(int n, float dt = 0.02f) {
        for (int i = 0; i < n; ++i) frame(dt);
    }
    // Sets an impulse's value on the kernel's table.
    static void impulse(int code, float value);
    // Tells the rifle that its running animation ended.
    static void end_animation(weapon_u *rifle);

    // A flat meadow of 32 × 32 at height 0 written by the map writer as "/map/hunt".
    static std::string flat_map();

    player_t *player = nullptr;
    temp_dir_t map_base;
    fs_device_t *map_mount = nullptr;
    fs_device_t *material_mount = nullptr;
    cvar_t chunks_variable{"g_chunks", "0"};
    counting_rifle_u *bolt = nullptr;
    counting_rifle_u *lever = nullptr;
    rifle_journal_t journal;
    std::vector<owner_ptr_t<unit_base_t>> rifles;
};

}  // namespace quarn::test
