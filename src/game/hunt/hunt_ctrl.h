#pragma once
// hunt_ctrl_u (unit type "hunt_ctrl"): the controller of one round of the hunt
// (docs/hunt.md). It loads the round's map, weather and start point, flies the intro
// camera, keeps the round clock and the kill limit, holds the HUD window, turns shots
// into score, statistics, voice cues and HUD feedback (hunt_scoring.cpp), announces
// dangerous animals, runs bonuses and party gifts, keeps the ragdoll budget and
// decides when the round ends.
//
// Round states: 0 running -> 1 won (a closing countdown of 3 s real time) -> 2
// finished; 0 -> 3 time over (2 in party play); 0 -> 4 the hunter was killed. From
// state 2 on update does nothing: the round-result window decides what follows.
#include <cstdint>
#include <memory>

#include "game/hit_receiver.h"
#include "game/scene/game_ctrl.h"
#include "game/scene/scene_view.h"
#include "game/scene/updatable.h"
#include "outside/qrnshared/c_item.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/vec.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class c_item_t;
class hunt_bonus_u;
class hunt_hud_t;
class hunter_t;
class party_gift_u;
class round_logic_u;
class score_table_u;
class score_u;
class scene_view_t;
class simple_shadow_u;
class sound_u;
class target_u;
class trail_camera_t;
class unit_t;
class vital_part_t;
class voiceover_table_u;
class voiceover_u;

class hunt_ctrl_u : public game_ctrl_u {
    QRN_UNIT_CLASS(hunt_ctrl_u, game_ctrl_u);

public:
    enum state_t : int32_t {
        STATE_RUNNING = 0,
        STATE_WON = 1,
        STATE_FINISHED = 2,
        STATE_TIME_OVER = 3,
        STATE_KILLED = 4,
    };

    // The round's statistics, read by the round-result screen (get_kill_stats). The
    // last word is why the round ended (2, 3 or 4), set by round_end.
    struct kill_stats_t {
        uint32_t trophy_kills = 0;
        uint32_t protected_kills = 0;
        uint32_t dangerous_kills = 0;
        uint32_t ambient_kills = 0;
        uint32_t trophy_points = 0;
        uint32_t penalty_points = 0;
        uint32_t time_bonus = 0;
        uint32_t shot_points = 0;
        uint32_t vital_hits = 0;
        uint32_t sniper_shots = 0;
        uint32_t skill_shots = 0;
        uint32_t end_reason = 0;
    };

    // ---- scoring constants ----
    static constexpr float LONG_SHOT_DISTANCE = 100.0f;
    static constexpr uint32_t SHOT_BONUS = 10;
    static constexpr uint32_t SHOT_BONUS_EXPERT = 20;
    static constexpr uint32_t ILLEGAL_PENALTY = 50;
    static constexpr uint32_t ILLEGAL_PENALTY_EXPERT = 100;
    static constexpr uint32_t TIME_BONUS_PER_SECOND = 2;
    static constexpr uint32_t TIME_BONUS_PER_SECOND_EXPERT = 5;
    static constexpr uint32_t KILL_CHAIN_LENGTH = 5;
    static constexpr float RELIEF_DISTANCE = 15.0f;
    static constexpr float DANGER_CUE_DISTANCE = 40.0f;
    static constexpr float DANGER_COOLDOWN = 5.0f;
    static constexpr float DANGER_SOUND_RANGE = 60.0f;
    static constexpr float FATAL_ATTACK_DISTANCE = 9.0f;
    static constexpr float FEVER_THRESHOLD = 1.0f;
    static constexpr float FEVER_EXTENSION = 5.0f;
    // ---- round constants ----
    static constexpr float FAR_AWAY = 3.4028235e38f;
    static constexpr float PARTY_TIME_LIMIT = 60.0f;
    static constexpr float CLOSE_DELAY = 3.0f;
    static constexpr float VOICE_DELAY = 0.5f;
    static constexpr float ROUND_SOUND_VOLUME = 0.9f;
    static constexpr int32_t SOUND_TAG = 10;
    static constexpr uint32_t RAGDOLL_LEVELS = 3;
    static constexpr unsigned RAGDOLL_MHZ = 450;
    static constexpr const char *DANGER_SOUND = "/sound/game/danger.ogg";
    static constexpr const char *ROUND_SOUND = "/sound/game/round.ogg";
    static constexpr const char *ITEMS_PATH = "/script/item/items.unit";

    // The current controller when it is a hunt, or null.
    static hunt_ctrl_u *current();

    // ---- the controller's operations ----
    scene_object_t *get_player() override;
    // The scene's camera and lights, then every active bonus's and the gift's
    // adjust_scene.
    void update_camera_and_lights() override;
    void activate() override;
    void update(float dt) override;
    // The blob shadows of the frame: emptied, filled while the scene draws, queued.
    void draw() override;
    bool has_overlay_pass() const override;
    void draw_overlay() override;
    // Lets go of the HUD window, then the base's.
    void close_windows() override;

    // ---- the round ----
    // Takes the round and sets the scene up for it (docs/hunt.md); false, logged, on
    // the first step that fails (the round is still held).
    bool load_round(owner_ptr_ret_t<round_logic_u> round);
    // 1: won (closing countdown); anything else ends the round with that reason.
    void round_end(int32_t result);

    // ---- shots (hunt_scoring.cpp) ----
    // record: the shot record the animal filled; part: the hit part (either may be
    // null).
    void on_bad_shot(const shot_record_t *record, unit_t *part);
    void on_hit(const shot_record_t *record, unit_t *part);
    void on_illegal_shot(const shot_record_t *record);
    // vital: the part when it scored as vital, else null.
    void on_kill(target_u *target, vital_part_t *vital, bool skill_shot, float distance);
    // Every shot, after its hit (if any) was reported.
    void after_shot();
    // A dangerous animal approaching (each tick); attacking: its attack on the hunter.
    void warn_danger(float x, float y, float z, bool attacking);
    // The fever bonus when the fever level allows it; true when it was given.
    bool try_fever();

    // ---- bonuses and gifts ----
    bool give_bonus(const char *name);
    // A party gift from another player (sender's entry index and name); false while
    // a gift acts or when no gift of that name can be made.
    bool give_gift(uint32_t sender, const char *sender_name, const char *gift_name);
    void end_bonuses_of_kind(uint32_t mask);

    // ---- voice ----
    // A line of the table at its priority: its caption goes to the HUD; it waits
    // (delayed: VOICE_DELAY, else until the next update) unless a line of higher
    // priority waits already. Nothing while the hunter is not in its normal state.
    void play_voiceover(voiceover_table_u *table, bool delayed);
    // The same with the live table of that unit name; nothing without one.
    void play_voiceover_named(const char *name, bool delayed);

    // ---- ragdolls ----
    // The base of a processor speed: mhz / 450, at least 1.
    static uint32_t ragdoll_base_for(unsigned mhz);
    // floor(1.3^level × base), 1.3 as stored in single precision.
    static uint32_t ragdoll_limit(uint32_t base, uint32_t level);
    // The budget of another base (the processor's at construction); the counts stay.
    void set_ragdoll_base(uint32_t base);
    uint32_t get_ragdoll_base() const { return m_ragdoll_base; }
    uint32_t get_ragdoll_limit(uint32_t level) const { return ragdoll_limit(m_ragdoll_base, level); }
    uint32_t get_ragdoll_total_limit() const { return m_ragdoll_total_limit; }
    uint32_t get_ragdolls_alive() const { return m_ragdolls_alive; }
    uint32_t get_ragdoll_count(uint32_t level) const { return m_ragdolls_by_level[level < 2 ? level : 2]; }
    uint32_t pick_ragdoll_level() const;
    void add_ragdoll(uint32_t level);
    void remove_ragdoll(uint32_t level);
    void print_ragdoll_info() const;

    // ---- for the others ----
    // One blob-shadow quad for this frame (false without a batch or when it is full).
    bool add_shadow_quad(const placement_scale_t &placement, float a, float b, uint32_t colour);
    const kill_stats_t *get_kill_stats() const { return &m_stats; }
    uint32_t get_kill_limit() const;
    bool is_intro_over() const { return m_intro_view == nullptr; }
    // Opens and shows the HUD window and holds it.
    void show_hud();
    void show_reload_prompt();
    // The HUD of the held window, or null.
    hunt_hud_t *get_hud() const;
    // The held HUD window (null before show_hud): the player view shows and hides it.
    c_item_t *get_hud_window() const { return m_hud_window.get(); }
    hunter_t *get_hunter() const { return m_player.get(); }

    // ---- state ----
    int32_t get_state() const { return m_state; }
    float get_time_left() const { return m_time_left; }
    // Sets the round's clock; a run that directs the hunt (tests) brings a round to
    // its end by time this way, and the clock runs out by the hunt's own update.
    void set_time_left(float seconds) { m_time_left = seconds; }
    float get_time_limit() const { return m_time_limit; }
    float get_close_left() const { return m_close_left; }
    round_logic_u *get_round() const;
    score_u *get_round_score() const;
    // How fast the round's animals walk (1; a party gift may change it).
    float get_target_speed_factor() const { return m_target_speed_factor; }
    void set_target_speed_factor(float factor) { m_target_speed_factor = factor; }
    uint32_t get_multiplier() const { return m_multiplier; }
    void set_multiplier(uint32_t multiplier) { m_multiplier = multiplier; }
    uint32_t get_kill_chain() const { return m_kill_chain; }
    float get_danger_level() const { return m_danger_level; }
    float get_danger_cooldown() const { return m_danger_cooldown; }
    sound_u *get_danger_sound() const;
    float get_ambient_gain() const { return m_ambient_gain; }
    uint32_t get_bonus_count() const { return m_bonuses.get_count(); }
    hunt_bonus_u *get_bonus(uint32_t i) const;
    uint32_t get_active_kinds() const { return m_active_kinds; }
    uint32_t get_blocked_kinds() const { return m_blocked_kinds; }
    hunt_bonus_u *get_fever_bonus() const { return m_fever_bonus; }
    party_gift_u *get_gift() const;
    uint32_t get_gift_schedule_count() const { return m_gift_schedule.get_count(); }
    // The pending voice line (null: none) and its priority.
    voiceover_u *get_pending_voice() const;
    int32_t get_pending_priority() const { return m_pending_priority; }
    float get_voice_countdown() const { return m_voice_countdown; }
    simple_shadow_u *get_shadow_batch() const;
    trail_camera_t *get_intro_view() const { return m_intro_view.get(); }

protected:
    void teardown_scene() override;
    // The high-score table whose first entry is the record to beat (the session's).
    virtual const score_table_u *get_high_score_table() const;

private:
    struct gift_entry_t {
        uint32_t log_index = 0;  // in the game data's gift log
        mstring_dyn_t gift_name;
        mstring_dyn_t sender_name;
        uint32_t sender = 0;
        float time = 0.0f;
        uint32_t round = 0;
    };
    struct intro_deleter_t {
        void operator()(trail_camera_t *view) const;
    };
    struct hunter_deleter_t {
        void operator()(hunter_t *hunter) const;
    };

    void on_construct();
    bool is_expert() const;
    bool is_party() const;
    void kill_hunter();
    void place_at_start(const array_dyn_t<owner_ptr_t<unit_base_t>> &starts, const char *start_name);
    void start_intro();
    void end_intro();
    void step_bonuses(float dt);
    void step_sounds(float dt);
    void step_voice(float dt);
    void step_gifts();
    void build_gift_schedule();
    // Erases the bonus at index i after remove (the bits and the fever link first).
    void finish_bonus(uint32_t i);
    void play_sound_once(const char *path, float volume);
    void play_cue(const char *name) { play_voiceover_named(name, true); }

    owner_ptr_t<unit_base_t> m_round;        // round_logic_u
    owner_ptr_t<unit_base_t> m_round_score;  // score_u
    kill_stats_t m_stats;
    int32_t m_state = STATE_RUNNING;
    std::unique_ptr<hunter_t, hunter_deleter_t> m_player;
    std::unique_ptr<trail_camera_t, intro_deleter_t> m_intro_view;
    std::unique_ptr<trail_camera_t, intro_deleter_t> m_retired_intro;
    c_item_ptr_t m_hud_window;
    float m_time_limit = FAR_AWAY;
    float m_time_left = FAR_AWAY;
    float m_close_delay = 0.0f;
    float m_close_left = 0.0f;
    hunt_bonus_u *m_fever_bonus = nullptr;  // one of m_bonuses
    array_dyn_t<owner_ptr_t<unit_base_t>> m_bonuses;  // hunt_bonus_u
    uint32_t m_active_kinds = 0;
    uint32_t m_blocked_kinds = 0;
    uint32_t m_deferred_end_kinds = 0;
    bool m_ending_bonuses = false;
    owner_ptr_t<unit_base_t> m_gift;  // party_gift_u
    vec3_t m_danger_position{-FAR_AWAY, -FAR_AWAY, -FAR_AWAY};
    float m_danger_level = 0.0f;
    owner_ptr_t<unit_base_t> m_danger_sound;  // sound_u
    float m_danger_cooldown = 0.0f;
    float m_ambient_gain = 1.0f;
    owner_ptr_t<unit_base_t> m_ambient_loop;  // sound_u
    uint32_t m_multiplier = 1;
    float m_target_speed_factor = 1.0f;
    owner_ptr_t<unit_base_t> m_shadow_batch;  // simple_shadow_u
    owner_ptr_t<unit_base_t> m_pending_voice;  // voiceover_u
    int32_t m_pending_priority = 0;
    float m_voice_delay = VOICE_DELAY;
    float m_voice_countdown = VOICE_DELAY;
    bool m_shot_hit = false;
    uint32_t m_kill_chain = 0;
    uint32_t m_ragdoll_base = 1;
    uint32_t m_ragdoll_total_limit = 0;
    uint32_t m_ragdolls_alive = 0;
    uint32_t m_ragdolls_by_level[RAGDOLL_LEVELS] = {0, 0, 0};
    array_dyn_t<gift_entry_t> m_gift_schedule;
    bool m_no_player_logged = false;
    // The game's impulses are on while the hunt runs (raised once by activate, given
    // back by the teardown); its dialogs take them off and give them back in pairs.
    bool m_impulses_on = false;
};

}  // namespace quarn
