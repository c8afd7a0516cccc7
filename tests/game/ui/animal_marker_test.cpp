// The animal marker over the shipped layout "/ui/ganimal.esc" and UI effects: the
// health bar by ratio, the delayed show of a marked animal, the projection onto the
// screen, and windows that are numbered once and go after their fade-out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_module.h"
#include "game/scene/base_ctrl.h"
#include "game/ui/controls/find_item.h"
#include "game/ui/ingame/animal_hud.h"
#include "game/ui/ingame/ganimalhdl.h"
#include "game/ui/controls/text_control.h"
#include "game/ui/effects/uifx_hookup.h"
#include "game/ui/effects/uifx_view.h"
#include "outside/qrnshared/parameter_packet.h"
#include "outside/qrnshared/ui/ui_group.h"
#include "qrncore/geometry/projection.h"
#include "ui_fixture.h"
#include "uifx_fixture.h"

namespace quarn::test {
namespace {

animal_hud_u::screen_t test_screen;
bool screen_known = true;

bool read_test_screen(animal_hud_u::screen_t &out) {
    out = test_screen;
    return screen_known;
}

class animal_marker : public ui_fixture_t {
protected:
    void SetUp() override {
        ui_fixture_t::SetUp();
        ASSERT_TRUE(register_uifx_classes(unit_system_t::get_default()->get_bank()));
        ASSERT_TRUE(uifx_load_hookup());
        test_screen = {};
        test_screen.viewport = {0.0f, 800.0f, 600.0f, 0.0f};
        test_screen.width = 800;
        test_screen.height = 600;
        screen_known = true;
        animal_hud_u::set_screen_source(&read_test_screen);
    }
    void TearDown() override {
        markers.clear();
        unit_system_t::clean_garbage();
        animal_hud_u::set_screen_source(nullptr);
        ui_shutdown();
        game_module_uifx_hookup().clear();
        unit_system_t::clean_garbage();
        ui_fixture_t::TearDown();
    }

    animal_hud_u *make() {
        markers.emplace_back(animal_hud_u::create());
        return markers.back().get();
    }
    static ingame_animal_handler_t *handler(animal_hud_u *m) { return m ? m->get_handler() : nullptr; }
    static ui_common_text_t *item(animal_hud_u *m, int32_t id) {
        return dynamic_cast<ui_common_text_t *>(ui_view_of(find_item_by_id(ui_view_of(m->get_window()), id)));
    }
    // The effects the marker's cache has work for, "effect@id" in cache order.
    static std::string effects(animal_hud_u *m) {
        std::string out;
        auto *cache = ui_as_group(ui_view_of(find_item_by_id(ui_view_of(m->get_window()), 9999)));
        if (!cache) return "no cache";
        for (uint32_t i = 0; i < cache->child_count(); ++i) {
            auto *v = dynamic_cast<uifx_text_view_t *>(ui_view_of(cache->child_item(i)));
            if (v && !v->is_idle()) out += (out.empty() ? "" : " ") + std::string(v->effect_name.c_str()) + "@" +
                                           std::to_string(v->id);
        }
        return out;
    }
    // Frames until the time has passed (FRAME steps).
    void run_for(double seconds) { step(int(seconds / FRAME + 0.5)); }

    std::vector<owner_ptr_t<animal_hud_u>> markers;
};

TEST_F(animal_marker, the_bar_shows_the_health_lost_and_turns_red_below_ninety_nine_percent) {
    const struct {
        uint32_t current, maximum;
        const char *bar;
        bool damaged;
    } cases[] = {
        {100, 100, "0.00|7000ff00", false},
        {99, 100, "0.01|7000ff00", false},  // exactly 0.99 is whole
        {98, 100, "0.01|700000ff", true},
        {1, 2, "0.31|700000ff", true},
        {0, 3, "0.62|700000ff", true},
        {5, 3, "0.00|7000ff00", false},  // more than the maximum: a full bar
        {0, 0, "0.00|7000ff00", false},  // no maximum: whole, no division
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.current) + "/" + std::to_string(c.maximum));
        animal_hud_u *m = make();
        ASSERT_NE(handler(m), nullptr);
        EXPECT_EQ(std::string(item(m, 10)->value.c_str()), "0.0|7000ff00") << "full and green at creation";
        EXPECT_FALSE(item(m, 10)->visible);
        EXPECT_FALSE(item(m, 20)->visible);
        m->set_health(c.current, c.maximum);
        EXPECT_EQ(std::string(item(m, 10)->value.c_str()), c.bar);
        EXPECT_EQ(handler(m)->is_damaged(), c.damaged);
        EXPECT_EQ(effects(m), c.damaged ? "uifx.scale.ghost@-1" : "") << "a ghost of the bar for a wound";
    }
    // Ratios outside 0..1 reach the handler only from callers of its own: held to the bar.
    ingame_animal_handler_t *h = handler(markers.front().get());
    h->set_health(-0.5f);
    EXPECT_EQ(std::string(item(markers.front().get(), 10)->value.c_str()), "0.62|700000ff");
    h->set_health(1.5f);
    EXPECT_EQ(std::string(item(markers.front().get(), 10)->value.c_str()), "0.00|7000ff00");
}

TEST_F(animal_marker, a_marked_animal_shows_its_bar_after_two_seconds_or_at_once_when_wounded) {
    animal_hud_u *whole = make();
    animal_hud_u *wounded = make();
    whole->set_bonus_text("sunglasses");
    whole->set_bonus_text("");  // changes nothing
    EXPECT_EQ(std::string(item(whole, 20)->value.c_str()), "sunglasses");
    wounded->set_health(1, 3);
    step();
    whole->set_bonus_marked(true);
    wounded->set_bonus_marked(true);
    whole->set_bonus_marked(true);  // the same state: nothing restarts
    EXPECT_TRUE(whole->is_bonus_marked());

    step();
    EXPECT_EQ(effects(wounded), "uifx.scale.ghost@-1 uifx.scale.fadein@10010") << "no delay when damaged";
    EXPECT_EQ(effects(whole), "");
    run_for(1.9);
    EXPECT_EQ(effects(whole), "") << "still waiting at 1.92 s";
    run_for(0.1);
    EXPECT_EQ(effects(whole), "uifx.composite.fadein.bonus@10020 uifx.scale.fadein@10010");
    EXPECT_FALSE(item(whole, 10)->visible);
    run_for(3.0);
    EXPECT_EQ(effects(whole), "uifx.composite.fadein.bonus@10020") << "the icon stays in its effect";
    EXPECT_TRUE(item(whole, 10)->visible) << "the bar's fade-in leaves it shown";
    EXPECT_TRUE(item(wounded, 10)->visible);

    // Unmarking hides both and fades them out: the icon only where there is a bonus.
    whole->set_bonus_marked(false);
    wounded->set_bonus_marked(false);
    EXPECT_FALSE(item(whole, 10)->visible);
    EXPECT_EQ(effects(whole), "uifx.scale.fadeout@-1 uifx.scale.fadeout@-1");
    EXPECT_EQ(effects(wounded), "uifx.scale.fadeout@-1");
    // Marking again before the delay is over, then unmarking: nothing shows.
    whole->set_bonus_marked(true);
    run_for(1.0);
    whole->set_bonus_marked(false);
    run_for(3.0);
    EXPECT_EQ(handler(whole)->get_show_timer(), 0.0f);
    EXPECT_FALSE(item(whole, 10)->visible);
}

TEST_F(animal_marker, the_window_follows_the_projection_on_whole_pixels_and_stays_when_it_cannot) {
    owner_ptr_t<pp_camera_u> camera(pp_camera_u::create());
    camera->set_placement(placement_t());  // at the origin, looking along -z
    r_frustum_projection_matrix(&camera->projection, test_screen.viewport, 0.1f, 1000.0f, 60.0f, 0.0f);
    const mat4_t &view = camera->view, &projection = camera->projection;

    float x = 7.0f, y = 7.0f;
    ASSERT_TRUE(animal_hud_u::place(x, y, {0.0f, 0.0f, -10.0f}, view, projection, 0.1f, test_screen));
    EXPECT_EQ(x, 0.0f) << "the centre of a full-screen viewport";
    EXPECT_EQ(y, 0.0f);
    // To the right and up; offsets are whole screen pixels (1024 / 800 units each).
    ASSERT_TRUE(animal_hud_u::place(x, y, {2.0f, 1.0f, -10.0f}, view, projection, 0.1f, test_screen));
    EXPECT_GT(x, 0.0f);
    EXPECT_GT(y, 0.0f);
    EXPECT_FLOAT_EQ(x / (1024.0f / 800.0f), std::round(x / (1024.0f / 800.0f)));
    EXPECT_FLOAT_EQ(y / (768.0f / 600.0f), std::round(y / (768.0f / 600.0f)));
    // A viewport in the right half of the screen moves the centre there.
    animal_hud_u::screen_t half = test_screen;
    half.viewport = {400.0f, 800.0f, 600.0f, 0.0f};
    ASSERT_TRUE(animal_hud_u::place(x, y, {0.0f, 0.0f, -10.0f}, view, projection, 0.1f, half));
    EXPECT_FLOAT_EQ(x, 256.0f);
    EXPECT_EQ(y, 0.0f);

    // Where the marker stays: x and y are not touched.
    animal_hud_u::screen_t no_mode = test_screen;
    no_mode.width = no_mode.height = 0;
    const struct {
        const char *what;
        vec3_t position;
        animal_hud_u::screen_t screen;
    } stays[] = {
        {"behind the camera", {0.0f, 0.0f, 10.0f}, test_screen},
        {"on the near plane", {0.0f, 0.0f, -0.1f}, test_screen},
        {"no graphics mode yet", {0.0f, 0.0f, -10.0f}, no_mode},
    };
    for (const auto &s : stays) {
        x = y = 7.0f;
        EXPECT_FALSE(animal_hud_u::place(x, y, s.position, view, projection, 0.1f, s.screen)) << s.what;
        EXPECT_EQ(x, 7.0f) << s.what;
        EXPECT_EQ(y, 7.0f) << s.what;
    }

    // The marker's window: moved for a visible point, left where it was otherwise.
    animal_hud_u *m = make();
    ui_view_t *window = ui_view_of(m->get_window());
    ASSERT_NE(window, nullptr);
    m->update_position({2.0f, 1.0f, -10.0f}, camera.get());
    const float left = window->rect.left, bottom = window->rect.bottom;
    EXPECT_GT(left, 0.0f);
    m->update_position({0.0f, 0.0f, 10.0f}, camera.get());
    EXPECT_EQ(window->rect.left, left) << "behind the camera";
    test_screen.width = test_screen.height = 0;
    m->update_position({0.0f, 0.0f, -10.0f}, camera.get());
    EXPECT_EQ(window->rect.left, left) << "no screen size";
    screen_known = false;
    m->update_position({0.0f, 0.0f, -10.0f}, camera.get());
    EXPECT_EQ(window->rect.bottom, bottom) << "no game process";
    test_screen.width = 800;
    test_screen.height = 600;
    screen_known = true;
    m->update_position({0.0f, 0.0f, -10.0f}, camera.get());
    EXPECT_EQ(window->rect.left, 0.0f) << "back at its layout place";
    EXPECT_EQ(window->rect.bottom, 0.0f);
    m->update_position({0.0f, 0.0f, -10.0f}, nullptr);  // no camera: nothing
}

// The scene that shows the markers closes its windows: a marker's window goes at once,
// with the bonus icon's effect that never ends; the marker does nothing more, and its
// own end opens nothing again.
TEST_F(animal_marker, a_marker_whose_scene_closes_its_windows_goes_at_once) {
    animal_hud_u *m = make();
    m->set_bonus_text("sunglasses");
    m->set_bonus_marked(true);
    run_for(3.0);
    EXPECT_EQ(effects(m), "uifx.composite.fadein.bonus@10020");
    const uint32_t windows = ui_window_count();
    m->close_window();
    EXPECT_EQ(ui_window_count(), windows - 1);
    EXPECT_EQ(m->get_window(), nullptr);
    EXPECT_EQ(m->get_handler(), nullptr);
    m->set_health(1, 2);
    m->set_bonus_marked(false);
    m->close_window();
    step();
    markers.clear();
    unit_system_t::clean_garbage();
    run_for(1.0);
    EXPECT_EQ(ui_window_count(), windows - 1);
}

TEST_F(animal_marker, windows_are_numbered_once_and_a_marker_let_go_leaves_after_its_fade) {
    animal_hud_u *a = make();
    animal_hud_u *b = make();
    ASSERT_TRUE(a->get_window() && b->get_window());
    const uint32_t first = a->get_number();
    EXPECT_EQ(b->get_number(), first + 1);
    auto name_of = [](animal_hud_u *m) {
        ui_window_t *w = ui_window_of(m->get_window());
        return std::string(w->group_name.c_str()) + "/" + w->window_name.c_str();
    };
    EXPECT_EQ(name_of(a), "game" + std::to_string(first) + "/animal" + std::to_string(first));
    EXPECT_TRUE(ui_wis_shown(a->get_window()));
    EXPECT_EQ(ui_window_of(a->get_window())->insert_flags, 52u);

    const uint32_t windows = ui_window_count();
    c_item_ptr_t kept(a->get_window());
    a->set_bonus_marked(true);
    markers.erase(markers.begin());  // a goes: unmarked, its bar fades out
    unit_system_t::clean_garbage();
    EXPECT_EQ(ui_window_count(), windows) << "the window stays while it fades";
    step();
    EXPECT_EQ(ui_window_count(), windows);
    run_for(3.0);
    EXPECT_EQ(ui_window_count(), windows - 1) << "and goes when the fade is over";
    EXPECT_EQ(ui_wget(("game" + std::to_string(first)).c_str(), ("animal" + std::to_string(first)).c_str()), nullptr);
    kept.release();

    animal_hud_u *c = make();
    EXPECT_EQ(c->get_number(), first + 2) << "a number is never given twice";
    EXPECT_NE(name_of(c), name_of(b));
}

}  // namespace
}  // namespace quarn::test
