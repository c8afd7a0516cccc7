#pragma once
// ingame_hud_handler_t, "ui.handler.ingame.hud" ("/ui/ghud.esc", game/hud): the HUD of
// a round (docs/ui-ingame.md). It is the hunt's hunt_hud_t: the hunt, the weapons and
// the bonuses call its operations, and every frame it reads the running hunt (kills
// against the kill limit, the round clock with its last-second beeps, the fever's
// clock, the fever bar, the bonus bars, the danger markers). It carries the in-game
// menu (Escape or Pause), which holds the game while it is open, and the fever key
// (Space).
#include <cstdint>

#include "game/hunt/hunt_hud.h"
#include "game/ui/basehdl.h"
#include "outside/qrnshared/c_item.h"

namespace quarn {

class expire_timer_t;

class ingame_hud_handler_t : public base_handler_t, public hunt_hud_t {
public:
    enum item_t : int32_t {
        ITEM_TIMER = 10,
        ITEM_AMMO = 20,
        ITEM_AMMO_RELOAD = 21,
        ITEM_REMAINING = 30,
        ITEM_FEVER_FILL = 40,
        GROUP_MENU = 50,
        ITEM_SCORE = 60,
        ITEM_FEVER_TIMER = 70,
        ITEM_FEVER_MULTIPLIER = 71,
        ITEM_FEVER_MULTIPLIER_FX = 72,
        ITEM_FEVER_FRAME = 73,
        ITEM_FEVER_INFO_FX = 74,
        ITEM_CROSSHAIR = 80,
        ITEM_ROUND = 85,
        ITEM_DANGER_LEFT = 86,
        ITEM_DANGER_RIGHT = 87,
        ITEM_PARTY_PLAYER = 88,
        BUTTON_RETURN = 100,
        BUTTON_EXIT_GAME = 110,
        BUTTON_OPTIONS = 120,
        BUTTON_EXIT_DESKTOP = 130,
        ITEM_SCORE_POINTS = 200,
        ITEM_FLAG_FIRST = 205,  // 205, 206, 207
        ITEM_MESSAGE = 210,
        ITEM_SCORE_BONUS = 220,
        ITEM_GIFT_MESSAGE = 230,
        GROUP_BONUS_UI = 240,
    };

    // One row of the bonus-slot table.
    struct bonus_slot_t {
        int32_t icon, bar, background;
        const char *announcement;
        const char *default_icon;
    };
    static constexpr uint32_t BONUS_SLOTS = 4;
    static const bonus_slot_t bonus_slots[BONUS_SLOTS];

    static constexpr uint32_t FLAG_ITEMS = 3;
    static constexpr float DANGER_HOLD = 1.0f;
    static constexpr float ROUND_RED_BELOW = 10.0f;
    static constexpr int32_t FEVER_MESSAGE_PRIORITY = 999;
    static constexpr const char *BEEP_SOUND = "/sound/ui/beep.ogg";
    static constexpr const char *BEEP_END_SOUND = "/sound/ui/beep_end.ogg";
    static constexpr const char *TIMER_ZERO = "00:00|00";
    // The ammunition row shows at most this many glyphs of each kind: a clip of a
    // broken weapon file must not make a text of gigabytes.
    static constexpr uint32_t AMMO_GLYPHS_MAX = 256;

    ~ingame_hud_handler_t() override;

    // ---- the framework's operations ----
    void on_wcreate() override;
    void on_wdestroy() override;
    void on_wshow() override;
    void handler() override;
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
    void on_effect_done(int32_t id) override;

    // ---- hunt_hud_t ----
    void show_penalty(uint32_t points) override;
    void pulse_fever() override { pulse_fever_bar(); }
    void show_fever_enabled() override;
    void show_shot_score(uint32_t points, uint32_t flags) override;
    // Dropped when empty, or below the priority of a message still showing.
    void show_message(const char *text, int32_t priority) override;
    void show_gift_received(const char *gift_name, const char *sender_name) override;
    // Nothing while the reload effect runs.
    void show_reload() override;
    // DANGER_LEFT and DANGER_RIGHT light their marker for DANGER_HOLD seconds; other
    // sides (ahead among them) show nothing.
    void show_danger(int32_t side) override;
    // The first character of glyph, loaded times, then capacity - loaded more of it
    // dimmed.
    void set_ammo(const char *glyph, uint32_t loaded, uint32_t capacity) override;
    // A slot of 4 or more is refused, logged.
    void set_bonus(uint32_t slot, bool on, const expire_timer_t *timer, const char *label) override;
    void set_fever(const expire_timer_t *timer) override;
    void show_crosshair(bool visible) override;

    // ---- its own ----
    void pulse_fever_bar();
    // The in-game menu: shown, the game is held (paused, sound tag 20, pointer shown,
    // impulses off); hidden, given back. Nothing when it is already so, so the holds
    // stay paired.
    void set_menu_visible(bool visible);
    bool is_menu_visible();
    // The clock of the item from time_left (not below 0): "MM:SS|hh", red ("\r" before
    // both parts) while the value before was below red_below; when beeps are given
    // and the whole second dropped, the entry equal to the new second beeps (the last
    // entry with the end beep). last becomes the time.
    void update_timer(int32_t item, float &last, float time_left, float red_below, const uint32_t *beeps,
                      uint32_t beep_count);
    // The fever bar toward the fever level: step 0 jumps, else it moves by step.
    void update_fever_bar(float step);
    void refresh_score();

    // ---- state read by tests ----
    float get_fever_fill() const { return m_fever_fill; }
    float get_danger_countdown(uint32_t side) const { return m_danger_countdown[side & 1]; }
    const expire_timer_t *get_bonus_timer(uint32_t slot) const { return slot < BONUS_SLOTS ? m_bonus[slot] : nullptr; }
    bool is_message_showing() const { return m_message_showing; }
    bool is_reload_running() const { return m_reload_running; }
    bool holds_forfeit_dialog() const { return bool(m_forfeit_dialog); }

private:
    void update_bonus_bars();
    void update_dangers(float dt);
    void update_kills();

    uint32_t m_shown_score = 0;
    float m_round_timer = 0.0f;
    float m_fever_timer = 0.0f;
    float m_fever_fill = 0.0f;
    int64_t m_shown_kills = -1;
    bool m_reload_running = false;
    bool m_message_showing = false;
    int32_t m_message_priority = 0;
    const expire_timer_t *m_fever = nullptr;
    float m_danger_countdown[2] = {0.0f, 0.0f};  // left, right
    const expire_timer_t *m_bonus[BONUS_SLOTS] = {};
    c_item_ptr_t m_forfeit_dialog;
};

}  // namespace quarn
