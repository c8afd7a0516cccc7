// Effect views: starting (at once, pending, dropped), running on clones, the end's
// action 32, and the scene's busy count raised and lowered.
#include <gtest/gtest.h>

#include "controls_fixture.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_fixture.h"
#include "game/ui/effects/uifx_view.h"
#include "uifx_fixture.h"

namespace quarn::test {
namespace {

const char *const EFFECTS = R"(RozErere
{
uifx_scale : uifx.scale.fade { color: 2 color[0]: (1, 1, 1, 0) color[1]: (1, 1, 1, 1) scale: 2 scale[0]: 1 scale[1]: 1
    time: 2 time[0]: 0.1 time[1]: 1 }
uifx_smoke : uifx.smoke.up { spawn_delay: 0.05 }
}
)";

class uifx_views : public controls_fixture_t {
protected:
    void SetUp() override {
        controls_fixture_t::SetUp();
        system = new unit_system_t(bank);
        system->set_default();
        ASSERT_TRUE(register_hookup_classes(bank));
        file = std::make_unique<memory_file_t>(EFFECTS, "/t/fx.unit");
        loader = std::make_unique<unit_load_t>(*file, *system);
        ASSERT_TRUE(loader->load());
    }
    void TearDown() override {
        controls_fixture_t::TearDown();
        set_current_ctrl(nullptr);
        loader.reset();
        unit_system_t::clean_garbage();
        delete system;
    }
    base_ctrl_u *install_ctrl() {
        set_current_ctrl(nullptr);  // its hookup units' names are free again
        set_current_ctrl(test_ctrl_u::create(system));
        return get_current_ctrl();
    }
    bool heard_end() { return heard().find(": 32 ") != std::string::npos; }

    unit_bank_t bank;
    unit_system_t *system = nullptr;
    std::unique_ptr<memory_file_t> file;
    std::unique_ptr<unit_load_t> loader;
};

TEST_F(uifx_views, an_auto_started_view_runs_its_effect_from_the_first_frame_to_its_end) {
    base_ctrl_u *ctrl = install_ctrl();
    ASSERT_NE(open("entity ui.comp.uifx.text { id: \"1\" coords: \"100 100 300 140\" text: \"Hi\"\n"
                   "  effect_name: \"uifx.scale.fade\" auto_start: \"true\" }"),
              nullptr);
    uifx_text_view_t *v = get<uifx_text_view_t>(1);
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(v->is_start_pending());
    step();
    ASSERT_NE(v->get_effect(), nullptr);
    EXPECT_NE(v->get_effect(), unit_system_t::find_unit("uifx.scale.fade")) << "a clone runs, not the instance";
    EXPECT_EQ(ctrl->get_busy_count(), 1);
    EXPECT_EQ(texts(), "Hi");
    // Writing the text while it runs does not start it again.
    zml_effect_u *running = v->get_effect();
    v->set_value("text", "Bye");
    step();
    EXPECT_EQ(v->get_effect(), running);
    step(10);
    EXPECT_TRUE(heard_end());
    EXPECT_TRUE(v->is_idle());
    EXPECT_EQ(ctrl->get_busy_count(), 0);
    EXPECT_EQ(texts(), "") << "an idle effect view shows nothing";
    // The next start takes the new text.
    v->start();
    step();
    EXPECT_EQ(texts(), "Bye");
    // Stopping and destroying give the count back.
    v->stop();
    EXPECT_EQ(ctrl->get_busy_count(), 0);
    v->start();
    step();
    EXPECT_EQ(ctrl->get_busy_count(), 1);
    ui_wremove(window_item);
    EXPECT_EQ(ctrl->get_busy_count(), 0);
}

TEST_F(uifx_views, smoke_never_ends_and_unknown_names_are_dropped_silently) {
    base_ctrl_u *ctrl = install_ctrl();
    ASSERT_NE(open("entity ui.comp.uifx.text { id: \"1\" coords: \"100 100 300 140\" text: \"Up\" effect_name: \"uifx.smoke.up\" }\n"
                   "entity ui.comp.uifx.text { id: \"2\" coords: \"100 200 300 240\" text: \"No\" effect_name: \"uifx.none\" }"),
              nullptr);
    uifx_text_view_t *smoke = get<uifx_text_view_t>(1), *none = get<uifx_text_view_t>(2);
    step();
    EXPECT_EQ(smoke->get_effect(), nullptr) << "no auto_start";
    smoke->start();
    none->start();
    step(100);
    EXPECT_FALSE(heard_end());
    EXPECT_NE(smoke->get_effect(), nullptr);
    EXPECT_TRUE(none->is_idle());
    EXPECT_EQ(ctrl->get_busy_count(), 1);
    // An unknown name leaves a running effect running.
    zml_effect_u *running = smoke->get_effect();
    smoke->set_value("effect_name", "uifx.nothing");
    smoke->start();
    step();
    EXPECT_EQ(smoke->get_effect(), running);
    smoke->stop();
    EXPECT_EQ(ctrl->get_busy_count(), 0);
}

TEST_F(uifx_views, a_view_counts_on_the_controller_it_raised_and_none_without_one) {
    ASSERT_NE(open("entity ui.comp.uifx.text { id: \"1\" coords: \"100 100 300 140\" text: \"Hi\" effect_name: \"uifx.smoke.up\"\n"
                   "  auto_start: \"true\" }"),
              nullptr);
    uifx_text_view_t *v = get<uifx_text_view_t>(1);
    step();
    EXPECT_NE(v->get_effect(), nullptr) << "between two controllers the effect runs uncounted";
    EXPECT_FALSE(v->is_counted());
    v->stop();
    base_ctrl_u *first = install_ctrl();
    v->start();
    step();
    EXPECT_EQ(first->get_busy_count(), 1);
    // Another controller comes: the view's stop is not the new one's business.
    base_ctrl_u *second = install_ctrl();
    v->stop();
    EXPECT_EQ(second->get_busy_count(), 0);
    EXPECT_FALSE(messages.contains("lowered more often"));
}

// An effect holds the scene only while its window shows, however long it runs: hiding
// the window gives the count back at once (the effect runs on), showing it again takes
// it on the controller current then, and a start in a hidden window holds nothing.
TEST_F(uifx_views, a_hidden_window_gives_the_count_back_and_takes_it_again_when_shown) {
    base_ctrl_u *first = install_ctrl();
    ASSERT_NE(open("entity ui.comp.uifx.text { id: \"1\" coords: \"100 100 300 140\" text: \"Up\" effect_name: \"uifx.smoke.up\"\n"
                   "  auto_start: \"true\" }"),
              nullptr);
    uifx_text_view_t *v = get<uifx_text_view_t>(1);
    step();
    EXPECT_EQ(first->get_busy_count(), 1);
    ui_whide(window_item);
    EXPECT_EQ(first->get_busy_count(), 0) << "a smoke never ends: the hide gives its count back";
    EXPECT_FALSE(v->is_counted());
    step(5);
    EXPECT_NE(v->get_effect(), nullptr) << "the effect runs on";
    EXPECT_EQ(first->get_busy_count(), 0);
    ui_wshow(window_item);
    EXPECT_EQ(first->get_busy_count(), 1);
    step();
    EXPECT_EQ(first->get_busy_count(), 1) << "taken once";

    // Shown again under another controller: that one is held.
    ui_whide(window_item);
    base_ctrl_u *second = install_ctrl();
    ui_wshow(window_item);
    EXPECT_EQ(second->get_busy_count(), 1);
    ui_whide(window_item);
    EXPECT_EQ(second->get_busy_count(), 0);

    // Started while hidden: it runs uncounted until the window shows.
    v->stop();
    v->start();
    step();
    EXPECT_NE(v->get_effect(), nullptr);
    EXPECT_EQ(second->get_busy_count(), 0);
    ui_wshow(window_item);
    EXPECT_EQ(second->get_busy_count(), 1);
    ui_wremove(window_item);
    EXPECT_EQ(second->get_busy_count(), 0);
    EXPECT_FALSE(messages.contains("lowered more often"));
}

// A scene that goes ends every effect still holding it, in whatever window: nothing
// it shows can keep it waiting. Effects holding another scene run on.
TEST_F(uifx_views, a_going_scene_ends_the_effects_that_hold_it_and_no_others) {
    base_ctrl_u *ctrl = install_ctrl();
    ASSERT_NE(open("entity ui.comp.uifx.text { id: \"1\" coords: \"100 100 300 140\" text: \"A\" effect_name: \"uifx.smoke.up\"\n"
                   "  auto_start: \"true\" }\n"
                   "entity ui.comp.uifx.text { id: \"2\" coords: \"100 200 300 240\" text: \"B\" effect_name: \"uifx.smoke.up\"\n"
                   "  auto_start: \"true\" }"),
              nullptr);
    uifx_text_view_t *a = get<uifx_text_view_t>(1), *b = get<uifx_text_view_t>(2);
    step();
    EXPECT_EQ(ctrl->get_busy_count(), 2);
    EXPECT_TRUE(a->holds(ctrl));
    uifx_text_view_t::end_holds(nullptr);
    EXPECT_EQ(ctrl->get_busy_count(), 2) << "no scene: nothing ends";
    uifx_text_view_t::end_holds(ctrl);
    EXPECT_EQ(ctrl->get_busy_count(), 0);
    EXPECT_TRUE(a->is_idle() && b->is_idle());
    EXPECT_FALSE(heard_end()) << "ended, not finished: no action 32";

    // Held by an earlier scene, a view is not the new one's to end.
    a->start();
    step();
    base_ctrl_u *next = install_ctrl();
    b->start();
    step();
    uifx_text_view_t::end_holds(next);
    EXPECT_TRUE(b->is_idle());
    EXPECT_FALSE(a->is_idle());
    EXPECT_FALSE(a->holds(next));
}

TEST_F(uifx_views, a_common_effect_text_fills_its_template_or_shows_the_fallback) {
    ASSERT_NE(open("entity ui.comp.uifx.common.text { id: \"1\" coords: \"100 100 300 140\" look: \"3\" value: \"Go\" }\n"
                   "entity ui.comp.uifx.common.text { id: \"2\" coords: \"100 200 300 240\" look: \"999\" value: \"Lost\" }"),
              nullptr);
    uifx_common_text_view_t *titled = get<uifx_common_text_view_t>(1), *lost = get<uifx_common_text_view_t>(2);
    EXPECT_EQ(titled->text, "<align hstyle=center vstyle=center>\\yGo</align>");
    EXPECT_EQ(lost->text, "<img src=/system/ui/default/uidefault.mat xscale=repeat yscale=repeat color=30ffffff><ret>"
                          "<align hstyle=center vstyle=center>\\yLost</align>");
    titled->set_value("value", "Again");
    ui_rect_t b;
    ASSERT_TRUE(titled->get_text_bounds(b));
    EXPECT_EQ(titled->text, "<align hstyle=center vstyle=center>\\yAgain</align>");
    // A laid-out text moves with the view without being laid out again.
    titled->move_to(200, 100);
    ui_rect_t moved;
    ASSERT_TRUE(titled->get_text_bounds(moved));
    EXPECT_EQ(moved.left, b.left + 100);
    titled->move_to(250, 100);
    ASSERT_TRUE(titled->get_text_bounds(moved));
    EXPECT_EQ(moved.left, b.left + 150) << "moves add up";
}

}  // namespace
}  // namespace quarn::test
