// The base screen handler: the idle timer, captions, sounds, pointer shapes, the
// in-game hold of the hunt, effect ids and the item lookup.
#include <gtest/gtest.h>

#include "game/scene/current_ctrl.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/controls/list_control.h"
#include "game/ui/controls/text_control.h"
#include "game/ui/effects/uifx_view.h"
#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"
#include "outside/qrnshared/ui/ui.h"
#include "screens_fixture.h"

namespace quarn::test {
namespace {

class base_handler : public screens_fixture_t {
protected:
    // The window "t"/"w": a caption line, a text with a caption, three buttons.
    void open_standard(int cache = 2) {
        open_screen(
            uifx_cache(cache) + "entity ui.comp.common.text { id: \"999\" coords: \"0 0 1024 20\" }\n"
            "entity ui.test.text { id: \"5\" coords: \"10 700 200 720\" caption: \"Hello\" }\n"
            "entity ui.comp.button { id: \"1\" coords: \"10 600 100 630\" n_zml: \"one\" }\n"
            "entity ui.comp.button { id: \"2\" coords: \"10 550 100 580\" n_zml: \"two\" }\n"
            "entity ui.comp.button { id: \"3\" coords: \"10 500 100 530\" n_zml: \"three\" }\n");
        ASSERT_NE(screen, nullptr);
    }
    // Hands the action straight to the handler, as the window does.
    bool act(uint32_t type, int32_t id = -1, ui_act_param_t p = {}) {
        ui_view_t *view = id == -1 ? window : get<ui_view_t>(id);
        return screen->handle(view, type, &p);
    }
    static ui_act_param_t at(float x, float y) {
        ui_act_param_t p;
        p.x = x;
        p.y = y;
        return p;
    }
    std::string caption() {
        auto *line = get<ui_common_text_t>(999);
        return line ? line->value.c_str() : "<none>";
    }
};

TEST_F(base_handler, the_idle_timer_counts_frames_and_restarts_on_use) {
    open_standard();
    EXPECT_FLOAT_EQ(screen->get_idle_time(), base_handler_t::IDLE_AT_SHOW) << "shown at insert";
    step(5);
    EXPECT_NEAR(screen->get_idle_time(), 1.01f + 5 * FRAME, 1e-5f);

    struct move_t {
        float x, y;
        bool resets;
    };
    // The first move only marks where the pointer is; a move counts once the way from
    // that mark is more than 10 units (|dx| + |dy|), and the mark starts anew there.
    const move_t moves[] = {{100.0f, 100.0f, false}, {105.0f, 105.0f, false}, {95.0f, 100.0f, false},
                            {105.01f, 105.0f, true}, {110.0f, 110.0f, false}, {100.0f, 100.0f, true}};
    for (const move_t &m : moves) {
        step();
        const float before = screen->get_idle_time();
        ASSERT_GT(before, 0.0f);
        act(UI_ACT_POINTER_MOVE, -1, at(m.x, m.y));
        if (m.resets) EXPECT_EQ(screen->get_idle_time(), 0.0f) << m.x << " " << m.y;
        else EXPECT_EQ(screen->get_idle_time(), before) << m.x << " " << m.y;
    }

    for (uint32_t type : {uint32_t(UI_ACT_KEY_UP), uint32_t(UI_ACT_BUTTON_UP)}) {
        step();
        act(type);
        EXPECT_EQ(screen->get_idle_time(), 0.0f) << type;
    }
    // Presses are no use yet: only releases count.
    step();
    act(UI_ACT_KEY_DOWN);
    act(UI_ACT_BUTTON_DOWN);
    EXPECT_NEAR(screen->get_idle_time(), FRAME, 1e-6f);

    ui_whide(window_item);
    act(UI_ACT_KEY_UP);
    EXPECT_NEAR(screen->get_idle_time(), FRAME, 1e-6f) << "a hidden window hears nothing";
    ui_wshow(window_item);
    EXPECT_FLOAT_EQ(screen->get_idle_time(), 1.01f);
}

TEST_F(base_handler, captions_follow_the_pointer_over_views_and_list_items) {
    open_screen(
        "entity ui.comp.common.text { id: \"999\" coords: \"0 0 1024 20\" }\n"
        "entity ui.test.text { id: \"5\" coords: \"10 700 200 720\" caption: \"Hello\" }\n"
        "entity ui.test.text { id: \"6\" coords: \"10 600 200 620\" }\n"
        "entity ui.test.text { id: \"7\" coords: \"10 500 200 520\" }\n");
    EXPECT_EQ(caption(), " ") << "the window starts with a blank caption";

    act(UI_ACT_POINTER_ENTER, 5);
    EXPECT_EQ(caption(), " ") << "written by the next frame";
    step();
    EXPECT_EQ(caption(), "Hello");
    act(UI_ACT_POINTER_ENTER, 6);
    act(UI_ACT_POINTER_LEAVE, 6);
    step();
    EXPECT_EQ(caption(), "Hello") << "a view without caption leaves the line alone";
    act(UI_ACT_POINTER_LEAVE, 5);
    EXPECT_EQ(caption(), " ");

    // List items: the handler tells their captions.
    ui_list_item_t row;
    row.text = "Row three";
    ui_act_param_t p;
    p.item = &row;
    act(UI_ACT_LIST_ENTER, 7, p);
    step();
    EXPECT_EQ(caption(), "Row three");
    act(UI_ACT_LIST_LEAVE, 6, p);
    EXPECT_EQ(caption(), "Row three") << "another view's leave";
    act(UI_ACT_LIST_LEAVE, 7, p);
    EXPECT_EQ(caption(), " ");
    row.text = "";
    act(UI_ACT_LIST_ENTER, 7, p);
    step();
    EXPECT_EQ(caption(), " ") << "no caption for that item";
}

TEST_F(base_handler, a_screen_without_caption_line_shows_none_and_logs_nothing) {
    open_screen("entity ui.test.text { id: \"5\" coords: \"10 700 200 720\" caption: \"Hello\" }\n");
    act(UI_ACT_POINTER_ENTER, 5);
    step(2);
    EXPECT_STREQ(screen->get_caption_text(), "Hello");
    act(UI_ACT_POINTER_LEAVE, 5);
    step();
    // The fixture's tear-down checks that no error was logged.
}

TEST_F(base_handler, clicks_sound_unless_silent_and_sounding_ids_sound_again) {
    open_standard();
    EXPECT_EQ(sounds(), "");
    screen->add_silent_id(2);
    screen->add_silent_id(3);
    screen->add_sounding_id(3);
    screen->add_silent_id(3);  // stays sounding
    for (int32_t id : {1, 2, 3}) act(UI_ACT_ACTIVATE, id);
    EXPECT_EQ(sounds(), "/sound/ui/accept.ogg 0.5 | /sound/ui/accept.ogg 0.5") << "1 and 3, not 2";
    EXPECT_TRUE(screen->is_silent_id(3));
    EXPECT_TRUE(screen->is_sounding_id(3));

    act(UI_ACT_LIST_SELECT, 2);
    EXPECT_EQ(sounds(), "/sound/ui/accept.ogg 0.5") << "a list choice always sounds";

    act(UI_ACT_POINTER_ENTER, 5);
    EXPECT_EQ(sounds(), "") << "no button";
    act(UI_ACT_POINTER_ENTER, 1);
    EXPECT_EQ(sounds(), "/sound/ui/focus.ogg 0.5");
}

TEST_F(base_handler, a_sound_that_cannot_be_made_is_skipped) {
    open_standard();
    snd_stop();  // no unit system for sounds: the one-shot is null
    messages.clear();
    act(UI_ACT_ACTIVATE, 1);
    ASSERT_FALSE(messages.entries().empty());
    errors_expected = true;
    snd_start(&unit_system_t::get_default()->get_bank(), unit_system_t::get_default());
    ASSERT_TRUE(snd_init_devices());
}

TEST_F(base_handler, the_pointer_shape_shows_its_group_once_a_pointer_layer_exists) {
    layout("/ui/pointer/test.esc",
           "entity ui.window { coords: \"0 0 32 32\"\n"
           "  entity ui.comp.group { id: \"1\" entity ui.test.text { id: \"11\" coords: \"0 0 32 32\" } }\n"
           "  entity ui.comp.group { id: \"2\" entity ui.test.text { id: \"12\" coords: \"0 0 32 32\" } }\n"
           "  entity ui.comp.group { id: \"3\" entity ui.test.text { id: \"13\" coords: \"0 0 32 32\" } }\n"
           "}\n");
    open_standard();
    step();
    EXPECT_EQ(screen->get_pointer_state(), base_handler_t::POINTER_NORMAL) << "no pointer layer: kept";

    ASSERT_EQ(ui_pinsert("/ui/pointer/test.esc"), 0);
    ui_view_t *pointer = ui_view_of(ui_pget(0));
    auto group = [&](int32_t id) { return ui_view_of(find_item_by_id(pointer, id)); };
    auto shown = [&]() {
        std::string s;
        for (int32_t i = 1; i <= 3; ++i) s += group(i)->visible ? "1" : "0";
        return s;
    };
    step();
    EXPECT_EQ(shown(), "100");
    EXPECT_EQ(screen->get_pointer_state(), base_handler_t::POINTER_NONE) << "applied once";

    act(UI_ACT_POINTER_ENTER, 1);
    EXPECT_EQ(screen->get_pointer_state(), base_handler_t::POINTER_ACTIVE);
    step();
    EXPECT_EQ(shown(), "010");
    screen->set_pointer_state(base_handler_t::POINTER_LINK);
    step();
    EXPECT_EQ(shown(), "001");
    act(UI_ACT_POINTER_LEAVE, 5);
    step();
    EXPECT_EQ(shown(), "001") << "leaving a view that is no button keeps the shape";
    act(UI_ACT_POINTER_LEAVE, 1);
    step();
    EXPECT_EQ(shown(), "100");
    sounds();
}

TEST_F(base_handler, a_pointer_layer_without_its_groups_keeps_the_state_and_the_frame_waits) {
    layout("/ui/pointer/test.esc",
           "entity ui.window { coords: \"0 0 32 32\"\n"
           "  entity ui.comp.group { id: \"1\" }\n"
           "  entity ui.comp.group { id: \"3\" }\n"
           "}\n");
    ASSERT_EQ(ui_pinsert("/ui/pointer/test.esc"), 0);
    open_standard();
    const float idle = screen->get_idle_time();
    step(3);
    EXPECT_EQ(screen->get_pointer_state(), base_handler_t::POINTER_NORMAL) << "tried again every frame";
    EXPECT_EQ(screen->get_idle_time(), idle) << "the rest of the frame is skipped";
    ui_view_t *pointer = ui_view_of(ui_pget(0));
    EXPECT_TRUE(ui_view_of(find_item_by_id(pointer, 3))->visible) << "nothing half done";
}

TEST_F(base_handler, in_game_dialogs_hold_a_hunt_and_give_it_back) {
    layout("/ui/pointer/test.esc", "entity ui.window { coords: \"0 0 32 32\" }\n");
    ASSERT_EQ(ui_pinsert("/ui/pointer/test.esc"), 0);
    sound_u *game_sound = _snd_create("/sound/test/loop.ogg", 0, base_handler_t::SOUND_TAG_GAME);
    ASSERT_NE(game_sound, nullptr);
    snd_set_current_tag(base_handler_t::SOUND_TAG_GAME);
    const int32_t impulses = impulse_counter();

    struct case_t {
        ctrl_kind_t kind;
        bool holds;
    };
    for (const case_t &c : {case_t{ctrl_kind_t::HUNT, true}, case_t{ctrl_kind_t::MENU, false},
                            case_t{ctrl_kind_t::OTHER, false}}) {
        install_ctrl(c.kind);
        process.calls.clear();
        open_standard();
        ui_whide(window_item);
        screen->show_in_game();
        EXPECT_EQ(screen->holds_game(), c.holds);
        EXPECT_FLOAT_EQ(screen->get_idle_time(), 1.01f) << "the base show ran";
        EXPECT_EQ(process.paused, c.holds);
        EXPECT_EQ(game_sound->has_flag(sound_u::MUTED), c.holds) << "sound tag 20 while held";
        EXPECT_EQ(ui_pindex(), c.holds ? 0 : -1);
        EXPECT_EQ(impulse_counter(), impulses - (c.holds ? 1 : 0));
        screen->show_in_game();
        EXPECT_EQ(impulse_counter(), impulses - (c.holds ? 1 : 0)) << "a second show takes nothing more";

        screen->hide_in_game();
        EXPECT_FALSE(process.paused);
        EXPECT_FALSE(game_sound->has_flag(sound_u::MUTED));
        EXPECT_EQ(ui_pindex(), -1);
        EXPECT_EQ(impulse_counter(), impulses);
        screen->hide_in_game();
        EXPECT_EQ(impulse_counter(), impulses) << "a second hide gives nothing back";
        const std::vector<std::string> held = {"pause", "resume"};
        EXPECT_EQ(process.calls, c.holds ? held : std::vector<std::string>());
        ui_wremove(window_item);
    }

    // The hunt ends while the dialog is up: the hide still gives back what it took.
    install_ctrl(ctrl_kind_t::HUNT);
    open_standard();
    screen->show_in_game();
    install_ctrl(ctrl_kind_t::MENU);
    screen->hide_in_game();
    EXPECT_EQ(impulse_counter(), impulses);
    EXPECT_FALSE(process.paused);
    game_sound->destroy();
}

TEST_F(base_handler, effect_ends_report_the_callers_id) {
    open_screen(
        "entity ui.test.text { id: \"10000\" coords: \"0 0 10 10\" }\n"
        "entity ui.test.text { id: \"10005\" coords: \"0 0 10 10\" }\n"
        "entity ui.test.text { id: \"7\" coords: \"0 0 10 10\" }\n"
        "entity ui.test.text { id: \"4294967295\" coords: \"0 0 10 10\" }\n"
        "entity ui.test.text { id: \"20000\" coords: \"0 0 10 10\" }\n");
    ASSERT_NE(screen, nullptr);
    auto *group = ui_as_group(window);
    for (uint32_t i = 0; i < group->child_count(); ++i) {
        ui_view_t *view = ui_view_of(group->child_item(i));
        ui_act_param_t p;
        view->action(view, UI_ACT_EFFECT_DONE, &p);
    }
    // Effects of the cache carry 10000 + the caller's id: 10000 is the caller's 0.
    // Views a layout places keep their own small ids; -1 is never reported.
    EXPECT_EQ(test_screen_handler_t::effects_done, (std::vector<int32_t>{0, 5, 7, 10000}));
}

// The state of a cache view: "id layer effect_name" while it has work, "-" idle.
std::string cache_view(base_handler_t *screen, uifx_text_view_t *v) {
    (void)screen;
    if (v->is_idle()) return "-";
    return std::to_string(v->id) + " " + std::to_string(v->layer) + " " + v->effect_name.c_str();
}

TEST_F(base_handler, effects_run_in_the_first_idle_cache_view_and_report_the_callers_id) {
    load_effects();
    open_screen(uifx_cache(2) + "entity ui.test.text { id: \"5\" coords: \"10 700 200 720\" }\n");
    ASSERT_EQ(screen->get_uifx_cache_size(), 2u);
    uifx_text_view_t *a = get<uifx_text_view_t>(9000), *b = get<uifx_text_view_t>(9001);
    EXPECT_TRUE(screen->uifx_idle());

    const ui_rect_t r{10.0f, 200.0f, 720.0f, 700.0f};
    screen->run_uifx(r, "Hi", "uifx.test.short", 3, 0);
    screen->run_uifx(r, "Ho", "uifx.test.short", 4, 6);
    EXPECT_EQ(cache_view(screen, a), "10000 3 uifx.test.short") << "id 0 carries 10000";
    EXPECT_EQ(cache_view(screen, b), "10006 4 uifx.test.short") << "the first view's start is pending";
    EXPECT_TRUE(a->rect == r);
    EXPECT_STREQ(b->text.c_str(), "Ho");
    screen->run_uifx(r, "Full", "uifx.test.short", 5, 7);
    EXPECT_STREQ(b->text.c_str(), "Ho") << "a full cache drops the request";
    EXPECT_FALSE(screen->uifx_idle());

    step(10);
    EXPECT_TRUE(screen->uifx_idle());
    EXPECT_EQ(test_screen_handler_t::effects_done, (std::vector<int32_t>{0, 6}));
    step();
    EXPECT_TRUE(a->rect == ui_rect_t{}) << "idle views are parked";

    // No id: the end is not reported; a stop ends only the views of its id.
    test_screen_handler_t::effects_done.clear();
    screen->run_uifx(r, "x", "uifx.test.short", 1, -1);
    screen->run_uifx(r, "y", "uifx.test.short", 1, 2);
    EXPECT_EQ(a->id, -1);
    step();
    screen->stop_uifx(2);
    EXPECT_TRUE(b->is_idle());
    EXPECT_FALSE(a->is_idle());
    step(10);
    EXPECT_TRUE(test_screen_handler_t::effects_done.empty());
    screen->run_uifx(r, "x", "uifx.test.short", 1, 8);
    screen->run_uifx(r, "y", "uifx.test.short", 1, 9);
    screen->stop_uifx(-1);
    EXPECT_TRUE(screen->uifx_idle());
}

TEST_F(base_handler, without_a_cache_effects_are_logged_and_the_screen_works_on) {
    load_effects();
    open_standard(0);
    EXPECT_EQ(screen->get_uifx_cache_size(), 0u);
    errors_expected = true;
    messages.clear();
    screen->run_uifx(ui_rect_t{}, "x", "uifx.test.short", 0, 1);
    ASSERT_EQ(messages.entries().size(), 1u);
    EXPECT_NE(messages.entries()[0].text.find("UIFX not available - missing UIFX cache (9999)"), std::string::npos)
        << messages.entries()[0].text;
    EXPECT_TRUE(screen->uifx_idle());
}

TEST_F(base_handler, a_button_under_the_pointer_gets_the_focus_effect_of_its_look) {
    load_effects();
    open_screen(uifx_cache(1) +
                "entity ui.comp.button { id: \"1\" layer: \"4\" coords: \"10 600 100 630\" n_zml: \"one\" p_zml: \"ONE\" }\n"
                "entity ui.comp.button { id: \"2\" coords: \"10 550 100 580\" n_zml: \"two\" p_zml: \"TWO\"\n"
                "  button_type: \"check\" }\n");
    uifx_text_view_t *fx = get<uifx_text_view_t>(9000);
    act(UI_ACT_POINTER_ENTER, 1);
    EXPECT_EQ(cache_view(screen, fx), "-1 3 uifx.button.focus");
    EXPECT_STREQ(fx->text.c_str(), "one");
    EXPECT_TRUE(fx->rect == get<ui_view_t>(1)->rect);
    screen->stop_uifx(-1);
    get<ui_button_t>(2)->down = true;
    act(UI_ACT_POINTER_ENTER, 2);
    EXPECT_STREQ(fx->text.c_str(), "TWO") << "a check button that is down shows its pressed look";
    step(40);
    EXPECT_TRUE(test_screen_handler_t::effects_done.empty());
    sounds();
}

TEST_F(base_handler, each_pointer_shape_runs_its_own_effect) {
    load_effects();
    std::string groups;
    for (int i = 1; i <= 3; ++i)
        groups += "  entity ui.comp.group { id: \"" + std::to_string(i) + "\" }\n  entity ui.comp.uifx.text { id: \"" +
                  std::to_string(100 + i) + "\" coords: \"0 0 32 32\" text: \"*\" effect_name: \"uifx.button.focus\" }\n";
    layout("/ui/pointer/test.esc", "entity ui.window { coords: \"0 0 32 32\"\n" + groups + "}\n");
    ASSERT_EQ(ui_pinsert("/ui/pointer/test.esc"), 0);
    open_standard();
    ui_view_t *pointer = ui_view_of(ui_pget(0));
    auto running = [&]() {
        std::string s;
        for (int32_t i = 1; i <= 3; ++i)
            s += dynamic_cast<uifx_text_view_t *>(ui_view_of(find_item_by_id(pointer, 100 + i)))->is_idle() ? "0" : "1";
        return s;
    };
    step();
    EXPECT_EQ(running(), "100");
    act(UI_ACT_POINTER_ENTER, 1);
    step();
    EXPECT_EQ(running(), "010");
    screen->set_pointer_state(base_handler_t::POINTER_LINK);
    step();
    EXPECT_EQ(running(), "001");
    sounds();
}

TEST_F(base_handler, a_missing_item_is_logged_once_and_skipped) {
    open_standard();
    errors_expected = true;
    messages.clear();
    EXPECT_EQ(screen->ui_item(42), nullptr);
    EXPECT_EQ(screen->ui_item(42), nullptr);
    EXPECT_FALSE(screen->show_item(42, true));
    EXPECT_FALSE(screen->set_item_value(43, "value", "x"));
    EXPECT_EQ(screen->ui_get<ui_list_t>(1), nullptr) << "a button is no list";
    EXPECT_NE(screen->ui_get<ui_button_t>(1), nullptr);
    std::vector<std::string> errors;
    for (const auto &e : messages.entries())
        if (e.type == message_t::ERROR) errors.push_back(e.text);
    EXPECT_EQ(errors, (std::vector<std::string>{"[ui] '/ui/w.esc': no item 42 for ui.test.screen",
                                                "[ui] '/ui/w.esc': no item 43 for ui.test.screen",
                                                "[ui] '/ui/w.esc': item 1 for ui.test.screen is of another class"}));
    EXPECT_STREQ(screen->get_name(), "w") << "named after its window";
}

TEST_F(base_handler, a_handler_without_window_answers_false) {
    test_screen_handler_t loose;
    ui_act_param_t p;
    EXPECT_FALSE(loose.handle(nullptr, UI_ACT_KEY_UP, &p));
    EXPECT_EQ(loose.get_idle_time(), base_handler_t::IDLE_AT_CONSTRUCTION);
    errors_expected = true;
    EXPECT_EQ(loose.ui_item(3), nullptr);
}

}  // namespace
}  // namespace quarn::test
