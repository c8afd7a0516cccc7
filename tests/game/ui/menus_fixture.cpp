#include "menus_fixture.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "game/game_data.h"
#include "game/game_module.h"
#include "game/scene/current_ctrl.h"
#include "game/session/savegame.h"
#include "game/session/score.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/menu_ctrl_link.h"
#include "game/ui/menus/confirmhdl.h"
#include "game/ui/menuhdl.h"
#include "game/ui/menus/mmainhdl.h"
#include "game/ui/menus/mpartymodehdl.h"
#include "game/ui/controls/text_control.h"
#include "game/ui/effects/uifx_hookup.h"
#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "outside/qrnshared/ui/ui.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "uifx_fixture.h"

namespace quarn::test {

namespace {

// "quit" notes whether the savegame was there when it ran.
void note_savegame(std::string &line) {
    if (line == "quit" && savegame_exists()) line += " saved";
}

bool menu_fields(base_ctrl_u &ctrl, menu_ctrl_fields_t &out) {
    auto *menu = dynamic_cast<screens_menu_ctrl_u *>(&ctrl);
    if (!menu) return false;
    out.scene_visible = &menu->scene_visible;
    out.pending_step = &menu->pending_step;
    return true;
}

bool fixed_user(char *out, size_t size) {
    if (size < 7) return false;
    memcpy(out, "ranger", 7);
    return true;
}

uint32_t fixed_value() { return 0xbeef0001u; }

}  // namespace

void menus_fixture_t::SetUp() {
    screens_fixture_t::SetUp();
    static const savegame_binding_t binding = {&fixed_user, &fixed_value};
    savegame_set_binding(&binding);
    setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    unit_bank_t &bank = unit_system_t::get_default()->get_bank();
    ASSERT_TRUE(score_u::register_class(bank));
    ASSERT_TRUE(score_table_u::register_class(bank));
    ASSERT_TRUE(savegame_u::register_class(bank));
    ASSERT_TRUE(register_uifx_classes(bank));
    ASSERT_TRUE(uifx_load_hookup());
    // The variables the menus use, with their defaults; the kernel's own are kept.
    ASSERT_TRUE(console.set_up({{"g_run_flags", ""},
                                {"g_player_name", ""},
                                {"g_lang", "en_us"},
                                {"g_quality", "2"},
                                {"g_grass_density", "0.5"},
                                {"g_splash_index", "0"},
                                {"r_gamma", "0.83"},
                                {"r_fullscreen", "1"},
                                {"s_sfx_enabled", "1"},
                                {"s_sfx_volume", "1.0"},
                                {"m_sensitivity", "0.33"},
                                {"m_invert", "0"},
                                {"m_filter", "0"},
                                {"r_texture_detail", "0"},
                                {"r_anisotropy_factor", "0.25"}},
                               dir.file("home")));
    screen_console_t::annotate = &note_savegame;
    ASSERT_TRUE(localise());
    // The pointer, so that screens showing and hiding it can be seen.
    ASSERT_EQ(ui_pinsert("/ui/pointer/main.esc"), 0);
    session = std::make_unique<front_end_session_t>();
    ASSERT_NE(session->get_high_scores(), nullptr);
    // The shipped progression's rounds, which a save must name to be offered.
    session->get_game_data().round_count = 30;
    set_menu_ctrl_access(&menu_fields);
    menu_attract_mode = false;
    menu_party_easy = true;
    menu_party_location = 0;
    menu_party_names.clear();
    confirm_result = false;
}

void menus_fixture_t::TearDown() {
    set_menu_ctrl_access(nullptr);
    session.reset();
    ui_shutdown();
    game_module_uifx_hookup().clear();
    console.tear_down();
    savegame_set_binding(nullptr);
    screens_fixture_t::TearDown();
}

c_item_t *menus_fixture_t::menu_screen_open(const window_desc_t &row) { return menu_screen_handler_t::open(row); }

std::string menus_fixture_t::shown_windows() {
    std::string out;
    for (uint32_t i = 0; i < ui_window_count(); ++i) {
        const ui_window_t *w = ui_window_of(ui_window_get(i));
        if (!w || !w->shown) continue;
        out += (out.empty() ? "" : " ") + std::string(w->group_name.c_str()) + "/" + w->window_name.c_str();
    }
    return out;
}

bool menus_fixture_t::act(uint32_t type, int32_t id, uint32_t word0) {
    ui_view_t *view = id == -1 ? static_cast<ui_view_t *>(window) : get<ui_view_t>(id);
    EXPECT_NE(view, nullptr) << "no item " << id;
    if (!view) return false;
    ui_act_param_t p;
    p.word0 = word0;
    c_item_ptr_t hold(window_item);
    return view->action(view, type, &p);
}

std::string menus_fixture_t::shown(int32_t id) {
    if (auto *t = get<ui_common_text_t>(id)) return t->value.c_str();
    if (auto *b = get<ui_common_button_t>(id)) return b->value.c_str();
    if (auto *t = get<ui_text_t>(id)) return t->text.c_str();
    return "<none>";
}

void menus_fixture_t::table_of(std::initializer_list<std::pair<uint32_t, uint32_t>> entries) {
    score_table_u *table = session->get_high_scores();
    table->scores.clear();
    uint32_t n = 0;
    for (auto [score, round] : entries) {
        owner_ptr_ret_t<score_u> s = score_u::create();
        s->score = score;
        s->round = round;
        s->player_name = ("P" + std::to_string(++n)).c_str();
        table->scores.append(owner_ptr_t<unit_base_t>(std::move(s)));
    }
}

cvar_t *menus_fixture_t::var(const char *name) {
    cvar_t *v = cvar_get(name);
    EXPECT_NE(v, nullptr) << name;
    return v;
}

}  // namespace quarn::test
