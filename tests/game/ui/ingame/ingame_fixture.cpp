#include "ingame_fixture.h"

#include <filesystem>

#include "../uifx_fixture.h"
#include "game/game_module.h"
#include "game/scene/current_ctrl.h"
#include "game/session/score.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/menus/confirmhdl.h"
#include "game/ui/ingame/groundhdl.h"
#include "game/ui/controls/text_control.h"
#include "game/ui/effects/uifx_hookup.h"
#include "game/ui/effects/uifx_view.h"
#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "kernel/input/inp_state.h"
#include "kernel/input/input.h"
#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"
#include "outside/qrnshared/ui/ui.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/units/unit_system.h"
#include "support/ufs_read.h"

namespace quarn::test {

void ingame_fixture_t::SetUp() {
    hunt_fixture_t::SetUp();
    unit_bank_t &bank = unit_system_t::get_default()->get_bank();
    // Screens tell a hunt by the registered "hunt_ctrl".
    ASSERT_TRUE(hunt_ctrl_u::register_class(bank));
    ASSERT_TRUE(score_u::register_class(bank));
    ASSERT_TRUE(score_table_u::register_class(bank));
    ASSERT_TRUE(register_hookup_classes(bank));
    ASSERT_TRUE(uifx_load_hookup());
    ASSERT_TRUE(console.set_up(
        {{"g_performance_tipped", "0"}, {"g_player_name", ""}, {"g_lang", "en_us"}, {"g_run_flags", ""}},
        dir.file("home")));
    ASSERT_TRUE(localise());
    ASSERT_EQ(ui_pinsert("/ui/pointer/main.esc"), 0);
    // The shipped HUD in place of the hunt fixture's recording one.
    layout("/ui/ghud.esc", read_virtual("/ui/ghud.esc"));
    session = std::make_unique<front_end_session_t>();
    game().round_count = 15;
    set_screen_process(&process);
    m_game_sound = _snd_create("/sound/test/loop.ogg", 0, base_handler_t::SOUND_TAG_GAME);
    snd_set_current_tag(base_handler_t::SOUND_TAG_GAME);
    confirm_result = false;
    show_confirm_stripes = true;
    performance_tip_offered = false;
    put_start_points("start_point : start.a { }\n");
}

void ingame_fixture_t::TearDown() {
    // The windows go while the hunt is still current: their hides give it back.
    session.reset();
    ui_shutdown();
    set_screen_process(nullptr);
    game_module_uifx_hookup().clear();
    console.tear_down();
    if (!errors_expected) {
        for (const auto &e : messages.entries()) EXPECT_NE(e.type, message_t::ERROR) << e.text;
    }
    hunt_fixture_t::TearDown();
}

ingame_hud_handler_t *ingame_fixture_t::start_round(uint32_t time_limit, uint32_t kill_limit, const char *camera) {
    set_current_ctrl(test_hunt_ctrl_u::create());
    hunt = unit_cast<test_hunt_ctrl_u>(get_current_ctrl());
    if (!hunt) return nullptr;
    owner_ptr_ret_t<round_logic_u> round = make_round(time_limit, kill_limit);
    if (camera) round->cameras.append(mstring_dyn_t(camera));
    EXPECT_TRUE(hunt->load_round(std::move(round)));
    hunt->activate();
    // The test's map is a folder of start points: what the round misses of a real map
    // is logged above, and not what the screens are tested for.
    messages.clear();
    hunt->show_hud();
    return hud();
}

void ingame_fixture_t::end_round(int32_t reason) {
    session->close_all_windows();
    start_round();
    hunt->round_end(reason);
    step();
}

ingame_hud_handler_t *ingame_fixture_t::hud() const { return handler_of<ingame_hud_handler_t>(WINDOW_GAME_HUD); }

c_item_t *ingame_fixture_t::window_of(const window_desc_t &row) {
    front_end_session_t *s = get_front_end_session();
    return s ? s->find_window(row) : nullptr;
}

std::string ingame_fixture_t::shown(const window_desc_t &row, int32_t id) {
    if (auto *t = view<ui_common_text_t>(row, id)) return t->value.c_str();
    if (auto *t = view<uifx_common_text_view_t>(row, id)) return t->value.c_str();
    if (auto *b = view<ui_common_button_t>(row, id)) return b->value.c_str();
    if (auto *t = view<ui_text_t>(row, id)) return t->text.c_str();
    if (auto *t = view<uifx_text_view_t>(row, id)) return t->text.c_str();
    return "<none>";
}

bool ingame_fixture_t::visible(const window_desc_t &row, int32_t id) {
    const ui_view_t *v = view<ui_view_t>(row, id);
    EXPECT_NE(v, nullptr) << "no item " << id;
    return v && v->visible;
}

bool ingame_fixture_t::effect_running(const window_desc_t &row, int32_t id) {
    const auto *v = view<uifx_text_view_t>(row, id);
    EXPECT_NE(v, nullptr) << "no effect view " << id;
    return v && !v->is_idle();
}

bool ingame_fixture_t::act(const window_desc_t &row, uint32_t type, int32_t id, uint32_t word0) {
    c_item_t *w = window_of(row);
    ui_view_t *v = id == -1 ? ui_view_of(w) : ui_view_of(find_item_by_id(ui_view_of(w), id, false));
    EXPECT_NE(v, nullptr) << "no item " << id << " in " << row.group << "/" << row.name;
    if (!v) return false;
    ui_act_param_t p;
    p.word0 = word0;
    c_item_ptr_t hold(w);
    return v->action(v, type, &p);
}

void ingame_fixture_t::click_at(const window_desc_t &row, int32_t id) {
    const ui_view_t *v = view<ui_view_t>(row, id);
    ASSERT_NE(v, nullptr) << "no item " << id;
    ui_fixture_t::click((v->rect.left + v->rect.right) / 2, (v->rect.top + v->rect.bottom) / 2);
    step();
}

std::string ingame_fixture_t::shown_windows() {
    std::string out;
    for (uint32_t i = 0; i < ui_window_count(); ++i) {
        const ui_window_t *w = ui_window_of(ui_window_get(i));
        if (!w || !w->shown) continue;
        out += (out.empty() ? "" : " ") + std::string(w->group_name.c_str()) + "/" + w->window_name.c_str();
    }
    return out;
}

std::string ingame_fixture_t::shown_screens() {
    std::string out;
    for (std::string left = shown_windows(); !left.empty();) {
        const size_t end = left.find(' ');
        const std::string name = left.substr(0, end);
        left = end == std::string::npos ? "" : left.substr(end + 1);
        if (name != "game/hud" && name != "system/flasher") out += (out.empty() ? "" : " ") + name;
    }
    return out;
}

int32_t ingame_fixture_t::impulse_counter() { return inp_state ? inp_state->impulse_handling : 0; }

}  // namespace quarn::test
