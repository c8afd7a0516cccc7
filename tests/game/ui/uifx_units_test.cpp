// The effect classes stepped frame by frame: rectangles and tints read back from
// their working copies and from the records they draw.
#include <gtest/gtest.h>

#include "kernel/sys.h"
#include "support/fake_clock.h"
#include "uifx_fixture.h"

namespace quarn::test {
namespace {

using uifx_units = uifx_fixture_t;

// One item of 40 x 16 at 100..140 x 124..140: centre (120, 132).
zml_buffer_t one_item() {
    zml_buffer_t b;
    add_item(b, 100, 140, 140, 124);
    return b;
}

// Two items side by side: 64..128 and 128..192, 124..140.
zml_buffer_t two_items() {
    zml_buffer_t b;
    add_item(b, 64, 128, 140, 124);
    add_item(b, 128, 192, 140, 124);
    return b;
}

TEST_F(uifx_units, a_scale_runs_its_segments_and_keeps_what_a_long_step_leaves) {
    ASSERT_TRUE(load(R"(
uifx_scale : uifx.scale.two { color: 2 color[0]: (1, 1, 1, 1) color[1]: (1, 1, 1, 1) scale: 2 scale[0]: 1 scale[1]: 1 time: 2 time[0]: 1.0 time[1]: 1.0 }
uifx_scale : uifx.scale.three { color: 3 color[0]: (1, 1, 1, 1) color[1]: (1, 1, 1, 1) color[2]: (1, 1, 1, 1)
    scale: 3 scale[0]: 1 scale[1]: 1 scale[2]: 1 time: 3 time[0]: 0.1 time[1]: 0.5 time[2]: 1.0 }
uifx_scale : uifx.scale.grow { color: 4 color[0]: (1, 0, 0, 1) color[1]: (0, 0, 1, 0) color[2]: (1, 1, 1, 1) color[3]: (1, 1, 1, 1)
    scale: 4 scale[0]: 1 scale[1]: 2 scale[2]: 1 scale[3]: 1 time: 4 time[0]: 0.25 time[1]: 0.25 time[2]: 0.25 time[3]: 1 }
)")) << (log.entries().empty() ? "" : log.entries().back().text);
    const zml_buffer_t b = one_item();
    // (1.0, 1.0): one segment of 1.0 s; the last time is not a duration.
    uifx_scale_u *two = clone_of<uifx_scale_u>("uifx.scale.two");
    two->start(b);
    for (int i = 0; i < 3; ++i) two->update(0.25f, b);
    EXPECT_FALSE(two->is_finished());
    two->update(0.25f, b);
    EXPECT_TRUE(two->is_finished());
    EXPECT_EQ(drawn(two), "") << "a finished scale draws nothing";
    // (0.1, 0.5, 1.0): 0.6 s.
    uifx_scale_u *three = clone_of<uifx_scale_u>("uifx.scale.three");
    three->start(b);
    three->update(0.1f, b);
    EXPECT_EQ(three->get_segment(), 1u);
    three->update(0.25f, b);
    EXPECT_FALSE(three->is_finished());
    three->update(0.25f, b);
    EXPECT_TRUE(three->is_finished());
    // One step of 0.625 s passes two segments of 0.25 and keeps 0.125 of the third.
    uifx_scale_u *grow = clone_of<uifx_scale_u>("uifx.scale.grow");
    grow->start(b);
    EXPECT_EQ(rect_text(grow->get_work().rect(0)), "100 140 140 124");
    EXPECT_EQ(drawn(grow), "100 140 140 124@ff0000ff");
    grow->update(0.125f, b);
    // Halfway from 1 to 2: 1.5 about (120, 132); halfway from red to transparent blue.
    EXPECT_EQ(rect_text(grow->get_work().rect(0)), "90 150 144 120");
    EXPECT_EQ(drawn(grow), "90 150 144 120@7f7f007f");
    grow->start(b);
    grow->update(0.625f, b);
    EXPECT_EQ(grow->get_segment(), 2u);
    EXPECT_EQ(grow->get_elapsed(), 0.125f);
    EXPECT_FALSE(grow->is_finished());
}

TEST_F(uifx_units, a_looping_scale_starts_again_and_a_huge_step_ends_quickly) {
    ASSERT_TRUE(load(R"(
uifx_scale : uifx.scale.pulse { loop: true color: 2 color[0]: (1, 1, 1, 1) color[1]: (1, 1, 1, 1) scale: 2 scale[0]: 1 scale[1]: 3
    time: 2 time[0]: 0.5 time[1]: 1 }
)"));
    const zml_buffer_t b = one_item();
    uifx_scale_u *pulse = clone_of<uifx_scale_u>("uifx.scale.pulse");
    pulse->start(b);
    pulse->update(0.75f, b);
    EXPECT_EQ(pulse->get_segment(), 0u);
    EXPECT_EQ(pulse->get_elapsed(), 0.25f);
    EXPECT_EQ(rect_text(pulse->get_work().rect(0)), "80 160 148 116") << "scale 2 about (120, 132)";
    pulse->update(1e30f, b);
    EXPECT_FALSE(pulse->is_finished());
    EXPECT_LT(pulse->get_elapsed(), 0.5f);
}

TEST_F(uifx_units, a_composite_runs_parallel_entries_beside_its_sequence) {
    ASSERT_TRUE(load(R"(
uifx_scale : _nameless.red { color: 2 color[0]: (1, 0, 0, 1) color[1]: (1, 0, 0, 1) scale: 2 scale[0]: 1 scale[1]: 1 time: 2 time[0]: 1 time[1]: 1 }
uifx_scale : _nameless.green { color: 2 color[0]: (0, 1, 0, 1) color[1]: (0, 1, 0, 1) scale: 2 scale[0]: 1 scale[1]: 1 time: 2 time[0]: 0.5 time[1]: 1 }
uifx_composite : uifx.composite.pair { fx: 2 fx[0]: _nameless.red fx[1]: _nameless.green blocking: 2 blocking[0]: false blocking[1]: true }
uifx_composite : uifx.composite.again { loop: true fx: 1 fx[0]: _nameless.green blocking: 1 blocking[0]: true }
uifx_nop : uifx.nop.forever { delay: 999999 }
uifx_composite : uifx.composite.wait { fx: 2 fx[0]: _nameless.green fx[1]: uifx.nop.forever blocking: 2 blocking[0]: true blocking[1]: true }
)")) << (log.entries().empty() ? "" : log.entries().back().text);
    const zml_buffer_t b = one_item();
    uifx_composite_u *pair = clone_of<uifx_composite_u>("uifx.composite.pair");
    ASSERT_EQ(pair->get_clone_count(), 2u) << "a clone builds clones of its own";
    pair->start(b);
    EXPECT_EQ(drawn(pair), "100 140 140 124@ff0000ff");
    // The non-blocking entry moves the sequence on in the same frame.
    pair->update(0.25f, b);
    EXPECT_EQ(pair->get_current(), 1u);
    EXPECT_EQ(pair->get_running_count(), 1u);
    EXPECT_EQ(drawn(pair), "100 140 140 124@ff00ff00 | 100 140 140 124@ff0000ff") << "sequence first, then the parallel";
    pair->update(0.5f, b);  // green: 0.5 s passed, the sequence ends; red runs on
    EXPECT_EQ(pair->get_current(), 2u);
    EXPECT_FALSE(pair->is_finished());
    EXPECT_EQ(drawn(pair), "100 140 140 124@ff0000ff");
    pair->update(0.25f, b);  // red: 1.0 s
    EXPECT_TRUE(pair->is_finished());
    EXPECT_EQ(drawn(pair), "");
    // loop: back to entry 0 whenever the sequence passes its end.
    uifx_composite_u *again = clone_of<uifx_composite_u>("uifx.composite.again");
    again->start(b);
    for (int i = 0; i < 10; ++i) again->update(0.25f, b);
    EXPECT_EQ(again->get_current(), 0u);
    EXPECT_FALSE(again->is_finished());
    // uifx.nop.forever holds a sequence for good.
    uifx_composite_u *wait = clone_of<uifx_composite_u>("uifx.composite.wait");
    wait->start(b);
    for (int i = 0; i < 100; ++i) wait->update(0.1f, b);
    EXPECT_EQ(wait->get_current(), 1u);
    EXPECT_FALSE(wait->is_finished());
    EXPECT_EQ(drawn(wait), "100 140 140 124@ffffffff") << "a nop shows the text untinted";
}

TEST_F(uifx_units, scroll_phases_turn_the_items_over_at_the_screen_edges) {
    ASSERT_TRUE(load(R"(
uifx_scroll : uifx.scroll { color: (1, 1, 1, 1) }
)"));
    const zml_buffer_t b = two_items();
    uifx_scroll_u *s = clone_of<uifx_scroll_u>("uifx.scroll");
    s->start(b);
    const struct {
        int32_t phase;
        float progress;
        const char *work;
        const char *drawn;
    } cases[] = {
        // In: 192 units to the left at 0, upside down.
        {0, 0.0f, "-128 -64 124 140 | -64 0 124 140", "-128 -64 124 140@00ffffff | -64 0 124 140@00ffffff"},
        // Crossing the left edge: partly turned (o = 0.625 and 0.75), alpha 0.75.
        {0, 0.75f, "16 80 134 130 | 80 144 136 128", "16 80 134 130@bfffffff | 80 144 136 128@bfffffff"},
        {0, 1.0f, "64 128 140 124 | 128 192 140 124", "64 128 140 124@ffffffff | 128 192 140 124@ffffffff"},
        // Out: halfway the first item lies flat where the room to the edge is halved.
        {2, 0.5f, nullptr, nullptr},
        {2, 0.0f, "64 128 140 124 | 128 192 140 124", "64 128 140 124@ffffffff | 128 192 140 124@ffffffff"},
        {3, 0.0f, nullptr, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.phase << " " << c.progress);
        s->set_state(c.phase, c.progress);
        if (c.work) {
            EXPECT_EQ(rects(s->get_work()), c.work);
        }
        if (c.drawn) {
            EXPECT_EQ(drawn(s), c.drawn);
        }
    }
    s->set_state(2, 0.5f);
    EXPECT_EQ(rect_text(s->get_work().rect(0)), "544 608 132 132");
    // Stepped: 1 s in, 2 s held, 1 s out.
    s->start(b);
    s->update(1.0f, b);
    EXPECT_EQ(s->get_phase(), 1);
    s->update(2.0f, b);
    EXPECT_EQ(s->get_phase(), 2);
    s->update(0.5f, b);
    EXPECT_FALSE(s->is_finished());
    s->update(0.5f, b);
    EXPECT_TRUE(s->is_finished());
}

TEST_F(uifx_units, scroll_items_without_room_stand_upright) {
    ASSERT_TRUE(load("uifx_scroll : uifx.scroll { }"));
    // An item whose right edge is 0 (phase 0) and one that ends at the right edge of
    // the screen (phase 2) would divide by 0.
    zml_buffer_t left, right;
    add_item(left, -16, 0, 140, 124);
    add_item(left, 0, 64, 140, 124);
    add_item(right, 1000, 1024, 140, 124);
    uifx_scroll_u *s = clone_of<uifx_scroll_u>("uifx.scroll");
    s->start(left);
    s->set_state(0, 0.5f);
    EXPECT_EQ(rects(s->get_work()), "-48 -32 140 124 | -32 32 132 132");
    s->start(right);
    s->set_state(2, 0.5f);
    EXPECT_EQ(rects(s->get_work()), "1012 1036 140 124");
}

TEST_F(uifx_units, a_score_zooms_about_its_last_item_and_flies_from_its_first) {
    ASSERT_TRUE(load(R"(
uifx_score : uifx.score.normal { start_scale: 10 }
uifx_score : uifx.score.red { color: (1, 0, 0, 1) }
)"));
    const zml_buffer_t b = two_items();
    uifx_score_u *s = clone_of<uifx_score_u>("uifx.score.normal");
    s->start(b);
    const struct {
        int32_t phase;
        float progress;
        const char *work;
    } cases[] = {
        // Ten times as large about (128, 124), the last item's lower-left corner.
        {0, 0.0f, "-512 128 284 124 | 128 768 284 124"},
        {0, 1.0f, "64 128 140 124 | 128 192 140 124"},
        {1, 0.5f, "64 128 140 124 | 128 192 140 124"},
        // Halfway from (64, 124) to (1024, 768).
        {2, 0.5f, "544 608 462 446 | 608 672 462 446"},
        {2, 1.0f, "1024 1088 784 768 | 1088 1152 784 768"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.phase << " " << c.progress);
        s->set_state(c.phase, c.progress);
        EXPECT_EQ(rects(s->get_work()), c.work);
    }
    s->set_state(2, 0.5f);
    EXPECT_EQ(drawn(s), "544 608 462 446@7fffffff | 608 672 462 446@7fffffff");
    // Stepped: 0.3 + 1.5 + 0.5 s.
    s->start(b);
    s->update(0.3f, b);
    EXPECT_EQ(s->get_phase(), 1);
    // An empty text has no corner: nothing is laid out or drawn.
    uifx_score_u *red = clone_of<uifx_score_u>("uifx.score.red");
    red->start(zml_buffer_t());
    red->update(0.1f, zml_buffer_t());
    EXPECT_EQ(drawn(red), "");
}

TEST_F(uifx_units, smoke_is_born_once_per_update_and_tinted_by_age) {
    ASSERT_TRUE(load(R"(
uifx_smoke : uifx.smoke.none { spawn_delay: 0.1 displacement: (0, 0, 0) x_wave_max: 0 y_speed: 100 }
uifx_smoke : uifx.smoke.one { colors: 1 colors[0]: (0, 0, 1, 1) spawn_delay: 0.1 displacement: (0, 0, 0) x_wave_max: 0 }
uifx_smoke : uifx.smoke.three { colors: 3 colors[0]: (1, 0, 0, 1) colors[1]: (0, 1, 0, 1) colors[2]: (0, 0, 1, 1)
    spawn_delay: 1 live_time: 2 displacement: (0, 0, 0) x_wave_max: 0 y_speed: 8 }
)"));
    const zml_buffer_t b = one_item();
    uifx_smoke_u *none = clone_of<uifx_smoke_u>("uifx.smoke.none");
    none->start(b);
    // A step of five spawn delays still gives one particle.
    none->update(0.5f, b);
    EXPECT_EQ(none->get_particle_count(), 1u);
    none->update(0.25f, b);
    EXPECT_EQ(none->get_particle_count(), 2u);
    EXPECT_FALSE(none->is_finished());
    // Spawn order is draw order: the older one has risen further; no colours, no tint.
    EXPECT_EQ(drawn(none), "100 140 215 199@ffffffff | 100 140 165 149@ffffffff");
    none->update(0.5f, b);  // the first dies at age 1.25
    EXPECT_EQ(none->get_particle_count(), 2u);
    uifx_smoke_u *one = clone_of<uifx_smoke_u>("uifx.smoke.one");
    one->start(b);
    one->update(0.5f, b);
    EXPECT_EQ(drawn(one), "100 140 190 174@ffff0000");
    // Three colours over a life of 2 s: at age 0.25 halfway from red to green, at
    // 0.75 halfway from green to blue; a particle ages in the update it is born in.
    uifx_smoke_u *three = clone_of<uifx_smoke_u>("uifx.smoke.three");
    three->start(b);
    three->update(0.5f, b);
    EXPECT_EQ(drawn(three), "100 140 144 128@ff007f7f");
    three->update(1.0f, b);
    EXPECT_EQ(drawn(three), "100 140 152 136@ff7f7f00 | 100 140 148 132@ff00ff00");
}

TEST_F(uifx_units, smoke_draws_its_places_from_the_kernels_random_sequence) {
    fake_clock_t clock;
    clock.cycles = 1000;
    sys_reset_random();
    // The documented sequence: seed = ((cycles * 27) ^ seed + 29573) mod 65535.
    uint32_t seed = 189472384u;
    auto next = [&] {
        seed = ((1000u * 27u) ^ seed) + 29573u;
        seed %= 65535u;
        return float(seed) * (1.0f / 65535.0f);
    };
    const float phase = next() * 0.0f, x_base = 20.0f / 2.0f - next() * 20.0f, y = 10.0f / 2.0f - next() * 10.0f;
    (void)phase;
    ASSERT_TRUE(load("uifx_smoke : uifx.smoke.drawn { displacement: (20, 10, 0) x_wave_max: 0 y_speed: 0 }"));
    const zml_buffer_t b = one_item();
    uifx_smoke_u *s = clone_of<uifx_smoke_u>("uifx.smoke.drawn");
    s->start(b);
    s->update(0.1f, b);
    ASSERT_EQ(s->get_particle_count(), 1u);
    EXPECT_EQ(s->get_particle(0).x, x_base);
    EXPECT_EQ(s->get_particle(0).y, y);
    sys_reset_random();
}

TEST_F(uifx_units, a_button_focus_burst_moves_three_copies_apart) {
    ASSERT_TRUE(load("uifx_button_focus : uifx.button.focus { extent: 10 }"));
    const zml_buffer_t b = one_item();
    uifx_button_focus_u *f = clone_of<uifx_button_focus_u>("uifx.button.focus");
    f->start(b);
    f->update(0.125f, b);
    EXPECT_EQ(f->get_progress(), 0.25f);
    // d = 2.5; alpha (1 - 0.25) * 255 = 191.
    EXPECT_EQ(drawn(f), "100 140 142.5 126.5@bfffffff | 97.5 137.5 137.5 121.5@bfffffff | 102.5 142.5 137.5 121.5@bfffffff");
    f->update(0.375f, b);
    EXPECT_TRUE(f->is_finished());
    EXPECT_EQ(drawn(f), "");
}

TEST_F(uifx_units, post_load_checks_refuse_what_could_never_run) {
    const struct {
        const char *units;
        const char *message;
    } cases[] = {
        {"uifx_composite : uifx.composite.empty { }", "at least one entry"},
        {"uifx_nop : uifx.nop.1 { }\n"
         "uifx_composite : uifx.composite.c { fx: 1 fx[0]: uifx.nop.1 blocking: 2 blocking[0]: true blocking[1]: true }",
         "as many entries"},
        {"uifx_composite : uifx.composite.c { fx: 1 fx[0]: null blocking: 1 blocking[0]: true }", "is not an effect"},
        {"uifx_composite : uifx.composite.self { fx: 1 fx[0]: uifx.composite.self blocking: 1 blocking[0]: true }",
         "lead back"},
        {"uifx_composite : uifx.composite.a { fx: 1 fx[0]: uifx.composite.b blocking: 1 blocking[0]: true }\n"
         "uifx_composite : uifx.composite.b { fx: 1 fx[0]: uifx.composite.a blocking: 1 blocking[0]: false }",
         "lead back"},
        {"uifx_scale : uifx.scale.s { color: 1 color[0]: (1, 1, 1, 1) scale: 2 scale[0]: 1 scale[1]: 1 time: 2 time[0]: 1 "
         "time[1]: 1 }",
         "as many entries"},
        {"uifx_scale : uifx.scale.s { color: 1 color[0]: (1, 1, 1, 1) scale: 1 scale[0]: 1 time: 1 time[0]: 1 }",
         "at least two keyframes"},
        {"uifx_scale : uifx.scale.s { color: 2 color[0]: (1, 1, 1, 1) color[1]: (1, 1, 1, 1) scale: 2 scale[0]: 1 scale[1]: 1 "
         "time: 2 time[0]: 0 time[1]: 1 }",
         "greater than 0"},
        {"uifx_scale : uifx.scale.s { color: 2 color[0]: (1, 1, 1, 1) color[1]: (1, 1, 1, 1) scale: 2 scale[0]: 1 scale[1]: 1 "
         "time: 2 time[0]: 1 time[1]: -1 }",
         "greater than 0"},
        {"uifx_smoke : uifx.smoke.s { live_time: 0 }", "'live_time'"},
        {"uifx_scale : uifx.scale.s { color: 2 color[0]: (1, 1, 1, 1) color[1]: (1, 1, 1, 1) scale: 2 scale[0]: &7fc00000 "
         "scale[1]: 1 time: 2 time[0]: 1 time[1]: 1 }",
         "not a finite number"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.units);
        log.clear();
        EXPECT_FALSE(load(c.units));
        EXPECT_TRUE(log.contains(c.message)) << (log.entries().empty() ? "" : log.entries().front().text);
    }
}

}  // namespace
}  // namespace quarn::test
