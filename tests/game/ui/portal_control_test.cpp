// Portals: the child window and its sliders for children that fit and overflow,
// scrolling and moving by whole pixels, events and drawing handed to the child, and a
// child layout that cannot be made.
#include <gtest/gtest.h>

#include "controls_fixture.h"
#include "game/ui/controls/portal_control.h"
#include "game/ui/controls/slider_control.h"

namespace quarn::test {
namespace {

class portal_control : public controls_fixture_t {
protected:
    // A portal of 300 x 500 at (100, 100) over the child layout, with a horizontal
    // slider (2) under it and a vertical one (3) beside it.
    ui_portal_t *portal(const char *child_coords, const char *child = "/ui/child.esc") {
        layout("/ui/child.esc", std::string("entity ui.window { coords: \"") + child_coords +
                                    "\"\n"
                                    "  entity ui.test.text { id: \"5\" name: \"top\" coords: \"0 0 100 1000\" text: \"Top\" }\n"
                                    "  entity ui.test.button { id: \"6\" name: \"inner\" coords: \"0 0 50 50\" }\n"
                                    "}\nentity ui.test.handler { name: \"child\" }\n");
        open(std::string("entity ui.comp.portal { id: \"1\" name: \"portal\" coords: \"100 100 400 600\" child: \"") + child +
             "\" hslider_id: \"2\" vslider_id: \"3\" }\n"
             "entity ui.comp.common.slider { id: \"2\" look: \"999\" coords: \"100 60 400 92\" }\n"
             "entity ui.comp.common.slider { id: \"3\" look: \"999\" coords: \"410 100 442 600\" }");
        step();
        heard();
        return get<ui_portal_t>(1);
    }
    ui_slider_t *slider(int id) { return get<ui_slider_t>(id); }
};

TEST_F(portal_control, a_child_that_overflows_sets_the_sliders_range) {
    ui_portal_t *p = portal("0 0 400 1000");
    ui_window_t *child = p->get_child();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->group_name, "ui_portal");
    EXPECT_EQ(child->window_name, "slave");
    EXPECT_EQ(child->insert_flags, uint32_t(UI_WINSERT_CHILD));
    EXPECT_EQ(child->owner, p);
    EXPECT_TRUE(slider(2)->is_active());
    EXPECT_EQ(slider(2)->get_maximum(), 100);
    EXPECT_TRUE(slider(3)->is_active());
    EXPECT_EQ(slider(3)->get_maximum(), 500);
    // Its top edge at the portal's top edge.
    EXPECT_EQ(child->rect, (ui_rect_t{100, 500, 600, -400}));
    EXPECT_NE(texts().find("Top"), std::string::npos);
    // Scrolled by its sliders.
    slider(3)->set_value(200, true);
    EXPECT_FLOAT_EQ(child->rect.bottom, 100 - 500 + 200);
    slider(2)->set_value(30, true);
    EXPECT_FLOAT_EQ(child->rect.left, 70);
    EXPECT_EQ(heard(), "") << "the portal takes its sliders' value actions";
    // Moved, the portal takes the child along and the sliders stay.
    p->move_to(0, 0);
    step();
    EXPECT_EQ(child->rect, (ui_rect_t{-30, 370, 700, -300}));
    EXPECT_EQ(slider(3)->get_value(), 200);
    EXPECT_EQ(slider(2)->get_value(), 30);
}

TEST_F(portal_control, a_child_that_fits_takes_both_sliders_out_of_use) {
    ui_portal_t *p = portal("0 0 300 300");
    EXPECT_FALSE(slider(2)->is_active());
    EXPECT_FALSE(slider(3)->is_active());
    EXPECT_EQ(p->get_child()->rect, (ui_rect_t{100, 400, 600, 300}));
    // An overflow that rounds to nothing: in use, with an empty range at its start.
    ui_portal_t *q = portal("0 0 300.3 500");
    EXPECT_TRUE(slider(2)->is_active());
    EXPECT_EQ(slider(2)->get_maximum(), 0);
    EXPECT_EQ(slider(2)->get_fraction(), 0.0f);
    EXPECT_EQ(slider(2)->get_value(), 0);
    EXPECT_FALSE(slider(3)->is_active());
    EXPECT_FLOAT_EQ(q->get_offset_x(), 0.0f);
}

TEST_F(portal_control, offsets_snap_to_whole_pixels) {
    screen(800, 600);  // 1.28 units a pixel either way
    ui_portal_t *p = portal("0 0 400 1000");
    EXPECT_FLOAT_EQ(p->get_offset_y(), -391 * 1.28f) << "-500 is 390.6 pixels";
    slider(2)->set_value(37, true);
    EXPECT_FLOAT_EQ(p->get_offset_x(), -29 * 1.28f) << "-37 is 28.9 pixels";
    EXPECT_FLOAT_EQ(p->get_child()->rect.left, 100 - 29 * 1.28f);
    screen(1024, 768);
    step();
    slider(2)->set_value(37, true);
    EXPECT_FLOAT_EQ(p->get_offset_x(), -37.0f);
}

TEST_F(portal_control, events_inside_and_drawing_go_to_the_child) {
    ui_portal_t *p = portal("0 0 300 500");
    // The child's button sits at the portal's bottom left.
    click(120, 120);
    step();
    EXPECT_EQ(heard(), "child: 12 inner 1 | h: 12 inner 1 | child: 13 inner 1 | h: 13 inner 1");
    press(UI_KEY_ENTER);
    step();
    EXPECT_EQ(heard(), "child: 2 inner 1 | h: 2 inner 1 | child: 8 inner 28 | h: 8 inner 28")
        << "the portal has the focus: keys go to the child";
    // Outside the portal the events are the window's.
    click(700, 700);
    step();
    EXPECT_EQ(heard(), "h: 12 -1 1 | h: 13 -1 1");
    p->show(false);
    step();
    EXPECT_EQ(texts().find("Top"), std::string::npos);
    p->show(true);
    step();
    EXPECT_NE(texts().find("Top"), std::string::npos);
}

TEST_F(portal_control, a_child_that_cannot_be_made_leaves_the_portal_empty) {
    errors_expected = true;
    ui_portal_t *p = portal("0 0 300 500", "/ui/none.esc");
    EXPECT_TRUE(messages.contains("[ui.comp.portal:portal] cannot spawn child '/ui/none.esc'"));
    EXPECT_EQ(p->get_child(), nullptr);
    click(120, 120);
    step();
    EXPECT_EQ(texts().find("Top"), std::string::npos);
    // A child named later is made then; the one before goes.
    p->set_value("child", "/ui/child.esc");
    step();
    ASSERT_NE(p->get_child(), nullptr);
    c_item_ptr_t first(p->get_child_item());
    ui_test_log_t::lines.clear();
    p->set_value("child", "/ui/child.esc");
    step();
    EXPECT_NE(p->get_child_item(), first.get());
    EXPECT_EQ(ui_window_of(first.get())->owner, nullptr);
    EXPECT_FALSE(ui_wis_shown(first.get()));
    EXPECT_NE(ui_test_log_t::take().find("child hide | child destroy | child create"), std::string::npos)
        << "the first child goes before the second comes";
}

}  // namespace
}  // namespace quarn::test
