#pragma once
// ingame_round_handler_t, "ui.handler.ingame.round" ("/ui/ground.esc", game/round): a
// round's result and statistics, over the held hunt. Escape or "ok" (100) goes on:
// the window hides; then, on a slow machine (under 19 frames a second), the tip to
// lower the picture settings opens instead, at most once a run and twice in all
// (g_performance_tipped), and goes on itself when it closes; otherwise
// round_result_continue.
#include <cstdint>

#include "game/ui/basehdl.h"

namespace quarn {

// What follows a round's result: in party play the next turn; after a lost round the
// retry offer (game/hub); after a won round the bonus choice (game/bonus) when the
// next round unlocks a bonus, else the next round. Nothing without a running hunt,
// whose statistics tell how the round ended.
void round_result_continue();

// The tip was offered since the program started (at most once a run).
extern bool performance_tip_offered;

class ingame_round_handler_t : public base_handler_t {
public:
    enum item_t : int32_t {
        ITEM_ACCURACY = 10,
        ITEM_KILLS = 20,
        ITEM_TROPHY_KILLS = 21,
        ITEM_DANGEROUS_KILLS = 22,
        ITEM_PROTECTED_KILLS = 23,
        ITEM_AMBIENT_KILLS = 24,
        ITEM_ROUND_SCORE = 30,
        ITEM_TROPHY_POINTS = 31,
        ITEM_VITAL_HITS = 32,
        ITEM_SNIPER_SHOTS = 33,
        ITEM_SKILL_SHOTS = 34,
        ITEM_PENALTY_POINTS = 35,
        ITEM_TIME_BONUS = 36,
        ITEM_SHOT_POINTS = 37,
        ITEM_TOTAL_SCORE = 40,
        ITEM_CAPTION = 50,
        ITEM_ROUND_END = 52,
        BUTTON_OK = 100,
    };
    static constexpr float SLOW_FPS = 19.0f;
    static constexpr int32_t TIPS_IN_ALL = 2;

    void on_wshow() override;
    void on_whide() override { hide_in_game(); }
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;

    // Hides the window, then the tip or round_result_continue.
    void continue_game();
    // The tip is due: a measured rate under SLOW_FPS, fewer than TIPS_IN_ALL tips in
    // all and none in this run.
    static bool tip_due();
};

}  // namespace quarn
