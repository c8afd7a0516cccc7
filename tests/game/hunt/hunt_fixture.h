#pragma once
// The hunt as a round runs it, without a map: the UI fixture (kernel on an injected
// clock, the UI layer) with
// - the sound front-end over a recording device, so a test reads what played;
// - a recording hunter installed as the module's factory row;
// - "ui.test.hud", a recording HUD handler, laid out as "/ui/ghud.esc";
// - test bonuses and gifts registered by the names the hunt makes them by;
// - voice tables made on request ("vo.hit" ... one line each, the caption its name);
// - game data of the test's own, and a high-score table the hunt reads its record
//   from (test_hunt_ctrl_u);
// - a folder mounted at "/map/hunt" for the round's start points.
#include <memory>
#include <string>
#include <vector>

#include "../ui/ui_fixture.h"
#include "game/game_data.h"
#include "game/game_rows.h"
#include "game/hunt/hunt_bonus.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/hunt/hunt_hud.h"
#include "game/hunt/hunter.h"
#include "game/hunt/vital_part.h"
#include "game/round/round_logic.h"
#include "game/scene/target.h"
#include "game/session/score.h"
#include "game/world/trail.h"
#include "kernel/recording_sound_device.h"
#include "outside/qrnshared/ui/ui_handler.h"

namespace quarn::test {

// Every call of the recording parts, in order.
inline std::vector<std::string> hunt_journal;
// The journal joined by " | ", then emptied.
std::string take_journal();

class recording_hunter_t : public hunter_t {
public:
    void update(float) override {}
    placement_t get_placement() const override { return {position, rotation}; }
    vec3_t get_position() const override { return position; }
    quat_t get_rotation() const override { return rotation; }
    void set_position(const vec3_t &p) override { position = p; }
    void set_rotation(const quat_t &q) override { rotation = q; }
    const frustum_t *get_frustum() const override { return has_frustum ? &frustum : nullptr; }
    void set_yaw_range(const start_point_u *start) override;
    void drop_weapons() override { hunt_journal.push_back("hunter.drop_weapons"); }
    void start_death() override {
        hunt_journal.push_back("hunter.start_death");
        state = 1;
    }
    int32_t get_state() const override { return state; }
    void apply_recoil(float, float, float, float) override {}

    vec3_t position{0.0f, 0.0f, 0.0f};
    quat_t rotation;
    int32_t state = STATE_NORMAL;
    bool has_frustum = false;
    frustum_t frustum;
};

class recording_hud_t : public ui_handler_t, public hunt_hud_t {
public:
    void show_penalty(uint32_t points) override;
    void pulse_fever() override { hunt_journal.push_back("hud.pulse_fever"); }
    void show_fever_enabled() override { hunt_journal.push_back("hud.fever_enabled"); }
    void show_shot_score(uint32_t points, uint32_t flags) override;
    void show_message(const char *text, int32_t priority) override;
    void show_gift_received(const char *gift_name, const char *sender_name) override;
    void show_reload() override { hunt_journal.push_back("hud.reload"); }
    void show_danger(int32_t side) override;
    void set_ammo(const char *, uint32_t, uint32_t) override {}
    void set_bonus(uint32_t, bool, const expire_timer_t *, const char *) override {}
    void set_fever(const expire_timer_t *) override {}
    void show_crosshair(bool) override {}
};

// A bonus of the test: kind and blocked bits by its type, 10 s long.
class test_bonus_u : public hunt_bonus_u {
    QRN_UNIT_CLASS(test_bonus_u, hunt_bonus_u);

public:
    bool is_finished() const override { return remaining <= 0.0f; }
    void update(float dt) override { remaining -= dt; }
    void apply() override;
    void remove() override;
    void adjust_scene() override {}
    uint32_t get_kind_bits() const override;
    uint32_t get_blocked_bits() const override;
    void extend(float seconds) override { remaining += seconds; }
    const char *type_name() const { return get_descriptor()->class_name->c_str(); }

    float remaining = 10.0f;
};
// Kind 1.
class sunglasses_bonus_u : public test_bonus_u {
    QRN_UNIT_CLASS(sunglasses_bonus_u, test_bonus_u);
};
// Kind 1 too: replaces the sunglasses.
class goggles_bonus_u : public test_bonus_u {
    QRN_UNIT_CLASS(goggles_bonus_u, test_bonus_u);
};
// Kind 2.
class fever_bonus_u : public test_bonus_u {
    QRN_UNIT_CLASS(fever_bonus_u, test_bonus_u);
};
// Kind 4, blocks kinds 2 and 8.
class blocker_bonus_u : public test_bonus_u {
    QRN_UNIT_CLASS(blocker_bonus_u, test_bonus_u);
};
// Kind 8; its remove ends every bonus of kind 1 (a nested end).
class chain_bonus_u : public test_bonus_u {
    QRN_UNIT_CLASS(chain_bonus_u, test_bonus_u);
};

// A gift of the test, 3 s long.
class speed_gift_u : public party_gift_u {
    QRN_UNIT_CLASS(speed_gift_u, party_gift_u);

public:
    bool is_finished() const override { return remaining <= 0.0f; }
    void update(float dt) override { remaining -= dt; }
    void apply() override { hunt_journal.push_back("gift.apply"); }
    void remove() override { hunt_journal.push_back("gift.remove"); }
    void adjust_scene() override {}
    bool has_overlay_pass() const override { return false; }
    void draw_overlay() override {}
    float remaining = 3.0f;
};

// A target that answers what the test set.
class test_target_u : public target_u {
    QRN_UNIT_CLASS(test_target_u, target_u);

public:
    placement_t get_placement() const override { return {}; }
    uint32_t get_points() const override { return points; }
    bool is_dangerous() const override { return dangerous; }
    bool is_ambient() const override { return ambient; }
    bool has_trophy() const override { return trophy; }
    // A dangerous one warns the hunt from its update, as the animals do.
    void update(float) override;
    void draw() override {}
    bool is_finished() const override { return false; }
    bool intersect(shot_record_t &, vec3_t &, const placement_t &, const vec3_t &) override { return false; }

    bool warns = false;
    vec3_t warn_position{0.0f, 0.0f, 0.0f};
    static inline bool warnings_on = true;
    uint32_t points = 30;
    bool dangerous = false;
    bool ambient = false;
    bool trophy = false;
};

class test_vital_part_t : public vital_part_t {
public:
    uint32_t get_fever_reward() const override { return reward; }
    voiceover_table_u *get_voice_table() const override { return table; }
    uint32_t reward = 1;
    voiceover_table_u *table = nullptr;
};

// The hunt with the test's high-score table.
class test_hunt_ctrl_u : public hunt_ctrl_u {
    QRN_UNIT_CLASS(test_hunt_ctrl_u, hunt_ctrl_u);

public:
    static inline const score_table_u *table = nullptr;

protected:
    const score_table_u *get_high_score_table() const override { return table; }
};

class hunt_fixture_t : public ui_fixture_t {
protected:
    void SetUp() override;
    void TearDown() override;

    // Installs the hunter's factory row (or none) and, when asked, an animal spawner
    // whose targets warn the hunt of a danger 30 ahead each update (while
    // test_target_u::warnings_on).
    void install_rows(bool hunter = true, bool animals = false);
    // A live trail named so along the nodes, held until the end.
    trail_u *make_trail(const std::string &name, const std::vector<vec3_t> &nodes);
    // A new hunt made current, activated (when asked) and its HUD shown.
    test_hunt_ctrl_u *start_hunt(bool activate = true);
    // A voice table named so with one line (caption: the name; sound:
    // "sound/<name>.ogg"), held until the end.
    voiceover_table_u *make_voice(const std::string &name, uint32_t priority = 1);
    // The tables of every cue the hunt plays, priority 1.
    void make_all_voices();
    // A high-score table whose best entry has that score (held until the end).
    void set_best_score(uint32_t best);
    // "/map/hunt/landscape.start.unit" with these units (unit text lines).
    void put_start_points(const std::string &units);
    // A round of the map "hunt" made in code.
    owner_ptr_ret_t<round_logic_u> make_round(uint32_t time_limit = 100, uint32_t kill_limit = 20);
    // n fixed frames of dt seconds through the hunt's update.
    void run(float dt, int n = 1);

    // The sounds that started since the last call, "path volume" joined by " | ".
    std::string sounds();

    std::unique_ptr<game_data_t> data;
    test_hunt_ctrl_u *hunt = nullptr;
    recording_sound_device_t sound_device{"snddev"};
    std::vector<owner_ptr_t<unit_base_t>> held;
    std::vector<game_row_t> rows;
    game_row_list_t rows_list{};
    game_row_table_t rows_table;
    temp_dir_t maps_dir;
    fs_device_t *maps = nullptr;

private:
    size_t m_sound_calls = 0;
};

}  // namespace quarn::test
