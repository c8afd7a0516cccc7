// The profiler view over a profiler of the test's own whose frame before the live one
// holds known times: frame texts, the three views' rows, drilling and the keys.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "../controls_fixture.h"
#include "game/ui/controls/list_control.h"
#include "game/ui/system/profiler_flat.h"
#include "game/ui/system/profilerhdl.h"
#include "game/ui/system/system_windows.h"
#include "game/ui/controls/text_control.h"
#include "kernel/console/commands.h"
#include "qrncore/profiler/profiler.h"

namespace quarn::test {
namespace {

using handler_t = system_profiler_handler_t;

// Sections and zones are told apart by address.
const char RENDER[] = "render", SKY[] = "draw_sky", LAND[] = "draw_land", PHYSICS[] = "physics";
const char GFX[] = "gfx", PHYS[] = "phys";

// Key codes of the rows' keys.
constexpr uint32_t KEY_0 = 11, KEY_1 = 2, KEY_2 = 3, KEY_F = 33;

class profiler_view : public controls_fixture_t {
protected:
    void SetUp() override {
        controls_fixture_t::SetUp();
        profiler = std::make_unique<profiler_initializer_t>();
        // root: physics (phys) { draw_land (gfx) }, render (gfx) { draw_land, draw_sky }
        {
            profiler_sample_t r(RENDER, GFX);
            { profiler_sample_t s(SKY, GFX); }
            { profiler_sample_t l(LAND, GFX); }
        }
        {
            profiler_sample_t p(PHYSICS, PHYS);
            profiler_sample_t l(LAND, GFX);
        }
        root = profiler_tree();
        ASSERT_NE(root, nullptr);
        physics = root->child;
        render = physics->sibling;
        ASSERT_STREQ(physics->name, PHYSICS);
        ASSERT_STREQ(render->name, RENDER);
        land = render->child;
        sky = land->sibling;
        ASSERT_STREQ(land->name, LAND);
        ASSERT_STREQ(sky->name, SKY);
        // Times in the frame before the live one (microseconds): a frame of 10 ms.
        const uint32_t slot = (profiler_pause().current + PROFILER_SLOTS - 1) % PROFILER_SLOTS;
        profiler_unpause();
        set(root, slot, 10000, 9000, 1);
        set(render, slot, 6000, 5000, 1);
        set(sky, slot, 2000, 0, 1);
        set(land, slot, 3000, 0, 3);
        set(physics, slot, 3000, 1000, 2);
        set(physics->child, slot, 1000, 0, 1);
    }
    void TearDown() override {
        ui_shutdown();
        profiler.reset();
        unregister_profiler_command();
        controls_fixture_t::TearDown();
    }
    static void set(profiler_node_t *n, uint32_t slot, uint64_t total, uint64_t child, uint32_t calls) {
        n->total_time[slot] = total;
        n->child_time[slot] = child;
        n->calls[slot] = calls;
    }
    // The view through its command, as F6 opens it.
    handler_t *open_view() {
        register_profiler_command();
        if (!cmd_execute("profiler")) return nullptr;
        window_item = ui_wget("system_07", "profiler");
        window = ui_window_of(window_item);
        return window ? dynamic_cast<handler_t *>(window->get_handler()) : nullptr;
    }
    void key_press(uint32_t code) {
        press(code);
        step();
    }
    static std::vector<std::string> rows(const handler_t *h) {
        std::vector<std::string> out;
        for (uint32_t i = 0; i < h->row_count(); ++i) out.emplace_back(h->row(i));
        return out;
    }
    std::string text_of(int32_t id) {
        auto *v = get<ui_common_text_t>(id);
        return v ? v->value.c_str() : "<none>";
    }

    std::unique_ptr<profiler_initializer_t> profiler;
    profiler_node_t *root = nullptr, *render = nullptr, *sky = nullptr, *land = nullptr, *physics = nullptr;
};

TEST_F(profiler_view, the_frame_text_follows_left_and_right_from_the_live_frame) {
    handler_t *h = open_view();
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(ui_wis_shown(window_item));
    EXPECT_STREQ(h->get_frame_text(), "\\gLIVE!");
    key_press(handler_t::KEY_LEFT);
    EXPECT_STREQ(h->get_frame_text(), "\\g-1");
    EXPECT_EQ(text_of(handler_t::FRAME_ITEM), "\\g-1");
    key_press(handler_t::KEY_RIGHT);
    EXPECT_STREQ(h->get_frame_text(), "\\gLIVE!");
    key_press(handler_t::KEY_RIGHT);
    EXPECT_STREQ(h->get_frame_text(), "\\g-63");
    // The command hides it again; the profiler records once more.
    EXPECT_TRUE(cmd_execute("profiler"));
    EXPECT_FALSE(ui_wis_shown(window_item));
    EXPECT_EQ(ui_wget("system_07", "profiler"), window_item) << "inserted once";
}

TEST_F(profiler_view, rows_and_sums_show_in_their_columns_and_keys_taken_are_not_consumed) {
    ASSERT_TRUE(localise());
    handler_t *h = open_view();
    ASSERT_NE(h, nullptr);
    key_press(handler_t::KEY_LEFT);
    const std::string t = texts();
    for (const char *shown : {"Profiler", "-1", ",+physics,", ",+render,", ",60.0,", "LEVEL", "TOTAL", "/PROFILED_CODE"})
        EXPECT_NE(t.find(shown), std::string::npos) << shown << " in " << t;
    EXPECT_EQ(t.find("@@"), std::string::npos) << t;
    for (size_t at = t.find('%'); at != std::string::npos; at = t.find('%', at + 1))
        EXPECT_FALSE(at + 1 < t.size() && isxdigit(static_cast<unsigned char>(t[at + 1])))
            << "a template marker left unfilled: " << t;
    ui_act_param_t param;
    param.word0 = handler_t::KEY_L;
    EXPECT_FALSE(h->handle(window, UI_ACT_KEY_DOWN, &param));
    EXPECT_EQ(h->get_mode(), handler_t::MODE_FLAT);
}

TEST_F(profiler_view, the_tree_rows_of_a_frame_and_drilling_in_and_up) {
    handler_t *h = open_view();
    ASSERT_NE(h, nullptr);
    key_press(handler_t::KEY_LEFT);
    EXPECT_EQ(rows(h), (std::vector<std::string>{"0|+physics|2.0|20.0|3.0|30.0|30.0|2|22.2",
                                                 "1|+render|1.0|10.0|6.0|60.0|60.0|1|11.1"}));
    EXPECT_EQ(text_of(handler_t::TREE_LEVEL), "LEVEL|1.0|10.0|10.0|100.0");
    EXPECT_EQ(text_of(handler_t::TREE_TOTAL), "TOTAL|1.0|10.0|10.0|100.0");
    EXPECT_EQ(text_of(handler_t::TREE_PATH), "/PROFILED_CODE");
    auto *list = get<ui_list_t>(handler_t::TREE_LIST);
    ASSERT_NE(list, nullptr);
    ui_list_item_t item;
    ASSERT_EQ(list->item_count(), 2u);
    ASSERT_TRUE(list->get_item(1, item));
    EXPECT_STREQ(item.zml, "1|+render|1.0|10.0|6.0|60.0|60.0|1|11.1");

    // A row key past the rows, and the key of nothing: nothing changes.
    key_press(KEY_F);
    EXPECT_EQ(h->get_current_node(), root);
    key_press(KEY_1);
    EXPECT_EQ(h->get_current_node(), render);
    EXPECT_EQ(rows(h), (std::vector<std::string>{"0| draw_land|3.0|30.0|3.0|30.0|50.0|3|33.3",
                                                 "1| draw_sky|2.0|20.0|2.0|20.0|33.3|1|11.1"}));
    EXPECT_EQ(text_of(handler_t::TREE_LEVEL), "LEVEL|1.0|10.0|6.0|60.0");
    EXPECT_EQ(text_of(handler_t::TREE_PATH), "/PROFILED_CODE/render");
    key_press(KEY_0);
    EXPECT_EQ(h->get_current_node(), render) << "a leaf is not drilled into";
    key_press(handler_t::KEY_U);
    EXPECT_EQ(h->get_current_node(), root);
    key_press(handler_t::KEY_U);
    EXPECT_EQ(h->get_current_node(), root) << "the root has no parent";
}

TEST_F(profiler_view, the_flat_view_puts_leaves_first_then_the_largest_totals) {
    handler_t *h = open_view();
    ASSERT_NE(h, nullptr);
    key_press(handler_t::KEY_LEFT);
    key_press(handler_t::KEY_L);
    EXPECT_EQ(h->get_mode(), handler_t::MODE_FLAT);
    EXPECT_FALSE(get<ui_view_t>(handler_t::TREE_GROUP)->visible);
    EXPECT_TRUE(get<ui_view_t>(handler_t::FLAT_GROUP)->visible);
    const std::vector<std::string> expected = {"0| draw_land|4.0|40.0|4.0|40.0|4|44.4",
                                               "1| draw_sky|2.0|20.0|2.0|20.0|1|11.1",
                                               "2|+render|1.0|10.0|6.0|60.0|1|11.1",
                                               "3|+physics|2.0|20.0|3.0|30.0|2|22.2"};
    EXPECT_EQ(rows(h), expected);
    EXPECT_EQ(text_of(handler_t::FLAT_TOTAL), "TOTAL|1.0|10.0|10.0|100.0");
    // Folding again starts the sums anew and makes no record twice.
    const uint32_t made = profiler_flat_t::get().records_made();
    key_press(handler_t::KEY_PAGE_DOWN);
    key_press(handler_t::KEY_PAGE_UP);
    EXPECT_EQ(rows(h), expected);
    EXPECT_EQ(profiler_flat_t::get().records_made(), made);
    key_press(KEY_1);
    EXPECT_EQ(h->get_current_node(), root) << "no drilling in the flat view";
}

TEST_F(profiler_view, the_zone_view_goes_through_zones_callers_and_chains_and_back) {
    handler_t *h = open_view();
    ASSERT_NE(h, nullptr);
    key_press(handler_t::KEY_LEFT);
    key_press(handler_t::KEY_Z);
    EXPECT_EQ(text_of(handler_t::ZONE_MODE), "(ZONES)");
    EXPECT_EQ(rows(h), (std::vector<std::string>{"0| ?|-|0.0|0.0|-|-|0|0.0", "1|+phys|-|2.0|20.0|-|-|2|22.2",
                                                 "2|+gfx|-|7.0|70.0|-|-|6|66.7"}));
    key_press(KEY_0);
    EXPECT_EQ(h->get_zone(), nullptr) << "a zone without sections is not drilled into";
    key_press(KEY_2);
    EXPECT_EQ(text_of(handler_t::ZONE_MODE), "(CALLERS)");
    EXPECT_EQ(text_of(handler_t::ZONE_PATH), "/gfx");
    EXPECT_EQ(rows(h), (std::vector<std::string>{"0| draw_land|4.0|-|-|-|-|4|44.4", "1| draw_sky|2.0|-|-|-|-|1|11.1",
                                                 "2| render|1.0|-|-|-|-|1|11.1"}));
    key_press(KEY_0);
    EXPECT_EQ(text_of(handler_t::ZONE_MODE), "(CHAINS)");
    EXPECT_EQ(text_of(handler_t::ZONE_PATH), "/gfx/draw_land");
    EXPECT_EQ(rows(h), (std::vector<std::string>{"0|+render|-|3.0|30.0|3.0|30.0|3|33.3",
                                                 "1|+physics|-|1.0|10.0|1.0|10.0|1|11.1"}));
    key_press(handler_t::KEY_U);
    EXPECT_EQ(text_of(handler_t::ZONE_MODE), "(CALLERS)");
    key_press(handler_t::KEY_U);
    EXPECT_EQ(text_of(handler_t::ZONE_MODE), "(ZONES)");
    EXPECT_EQ(text_of(handler_t::ZONE_PATH), "/");
}

TEST_F(profiler_view, pages_move_by_sixteen_rows_and_stop_at_the_ends) {
    // Twenty more sections under the root.
    static char names[20][16];
    for (int i = 0; i < 20; ++i) {
        snprintf(names[i], sizeof names[i], "s%02d", i);
        profiler_sample_t s(names[i]);
    }
    handler_t *h = open_view();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->row_count(), 16u);
    key_press(handler_t::KEY_PAGE_DOWN);
    EXPECT_EQ(h->get_offset(handler_t::MODE_TREE), 16u);
    EXPECT_EQ(h->row_count(), 6u);
    EXPECT_EQ(h->row(0)[0], '0') << "rows count from the first shown";
    key_press(handler_t::KEY_PAGE_DOWN);
    EXPECT_EQ(h->get_offset(handler_t::MODE_TREE), 21u) << "kept at the last row";
    h->set_offset(handler_t::MODE_TREE, 10);
    key_press(handler_t::KEY_PAGE_UP);
    EXPECT_EQ(h->get_offset(handler_t::MODE_TREE), 0u);
    EXPECT_EQ(h->row_count(), 16u);
}

TEST_F(profiler_view, an_empty_frame_shows_zero_shares_and_the_live_frame_refreshes_twice_a_second) {
    handler_t *h = open_view();
    ASSERT_NE(h, nullptr);
    // Two frames back nothing ran: every share is 0.0.
    key_press(handler_t::KEY_LEFT);
    key_press(handler_t::KEY_LEFT);
    for (uint32_t i = 0; i < h->row_count(); ++i) {
        EXPECT_EQ(std::string(h->row(i)).find("nan"), std::string::npos) << h->row(i);
        EXPECT_EQ(std::string(h->row(i)).find("inf"), std::string::npos) << h->row(i);
    }
    EXPECT_EQ(text_of(handler_t::TREE_TOTAL), "TOTAL|0.0|0.0|0.0|0.0");
    // An older frame is not refreshed: rows changed behind it stay as shown.
    const std::string shown = h->row(0);
    key_press(handler_t::KEY_RIGHT);
    key_press(handler_t::KEY_RIGHT);
    EXPECT_STREQ(h->get_frame_text(), "\\gLIVE!");
    const uint32_t live = profiler_pause().current;
    set(physics, live, 0, 0, 77);
    step(23);  // the key's frame and 23 more: 0.48 s, not yet
    EXPECT_EQ(std::string(h->row(0)).find("|77|"), std::string::npos) << h->row(0);
    step(2);
    EXPECT_NE(std::string(h->row(0)).find("|77|"), std::string::npos) << h->row(0);
}

}  // namespace
}  // namespace quarn::test
