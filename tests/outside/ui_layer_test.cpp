// The window table: building layouts (and refusing broken ones), routing keys and the
// pointer, the draw cache and drawing order, pointer layers and entity attributes.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "outside/qrnshared/r_queue.h"
#include "outside/qrnshared/ui/ui_item.h"
#include "ui_outside_fixture.h"

namespace quarn::test {
namespace {

std::map<std::string, std::string> layouts;

const char *layout_source(const char *path) {
    auto f = layouts.find(path);
    return f == layouts.end() ? nullptr : f->second.c_str();
}

class ui_layer : public ui_outside_fixture_t {
protected:
    void SetUp() override {
        ui_outside_fixture_t::SetUp();
        layouts.clear();
        ui_set_layout_source(&layout_source);
    }

    // The texts of the frame's glyph records, in drawing order, parted by ",".
    std::string drawn() const {
        std::string out;
        const r_draw_log_t &log = context.get_draw_log();
        for (uint32_t i = 0; i < log.ui_count(); ++i) {
            const r_draw_record_t &r = log.ui(i);
            if (r.ui.kind != 0) continue;
            out += (out.empty() ? "" : ",") + std::string(r.ui.text.c_str());
        }
        return out;
    }

    c_item_t *menu(const char *group = "menu", const char *name = "main", uint32_t flags = 0) {
        return insert(group, name,
                      "entity ui.window {\n"
                      "    coords: \"0 0 1024 768\"\n"
                      "    entity ui.test.button { name: \"b1\" id: \"1\" coords: \"100 100 200 150\" }\n"
                      "    entity ui.test.stop { id: \"5\"\n"
                      "        entity ui.test.button { name: \"b2\" id: \"2\" coords: \"300 100 400 150\" }\n"
                      "    }\n"
                      "    entity ui.test.text { name: \"t\" id: \"3\" coords: \"0 700 1024 768\" text: \"Menu\" }\n"
                      "}\n"
                      "entity ui.test.handler { name: \"menu\" }\n",
                      flags);
    }
    // A full-screen window showing its name, with a handler of that name.
    c_item_t *plain(const char *name, uint32_t flags = 0, const char *extra = "") {
        std::string text = std::string("entity ui.window { ") + extra +
                           " entity ui.test.text { coords: \"0 0 1024 20\" text: \"" + name +
                           "\" } }\nentity ui.test.handler { name: \"" + name + "\" }\n";
        return insert("test", name, text, flags);
    }
    void pointer(float x, float y) {
        ui_event_t e;
        e.type = ui_event_t::POINTER_MOVE;
        e.x = x;
        e.y = y;
        ui_inject_event(e);
    }
    void button(bool down) {
        ui_event_t e;
        e.type = down ? ui_event_t::BUTTON_DOWN : ui_event_t::BUTTON_UP;
        e.buttons = 1;
        ui_inject_event(e);
    }
};

TEST_F(ui_layer, broken_layouts_leave_no_window_item_or_handler) {
    layouts["/ui/cycle_a.esc"] = "entity ui.test.text { }\ninclude \"cycle_b.esc\"";
    layouts["/ui/cycle_b.esc"] = "include \"cycle_a.esc\"";
    const struct {
        const char *text;
        const char *message;
    } cases[] = {
        {"", "/t/layout.esc:1: the layout holds no entity"},
        {"entity ui.window {\n  entity ui.nothing { }\n}", "/t/layout.esc:2: unknown class 'ui.nothing'"},
        {"entity ui.window {\n entity ui.test.text {\n  colour: \"1\" } }", "/t/layout.esc:3: 'ui.test.text' has no attribute 'colour'"},
        {"entity ui.window { entity ui.test.button { id: \"x\" } }",
         "/t/layout.esc:1: bad value \"x\" for the attribute 'id' of 'ui.test.button'"},
        {"entity ui.window { coords: \"1 2 3\" }", "/t/layout.esc:1: bad value \"1 2 3\" for the attribute 'coords' of 'ui.window'"},
        {"entity ui.window { entity ui.test.text { visible: \"maybe\" } }", "/t/layout.esc:1: bad value \"maybe\" for the attribute 'visible'"},
        {"entity ui.test.handler { }", "/t/layout.esc:1: the first entity 'ui.test.handler' is no window class"},
        {"entity ui.window { }\nentity ui.test.text { }", "/t/layout.esc:2: the last entity 'ui.test.text' is no handler class"},
        {"entity ui.window { }\nentity ui.test.handler { }\nentity ui.test.handler { }",
         "/t/layout.esc:2: only a window and its handler stand at the top level"},
        {"entity ui.window { entity ui.test.handler { } }", "/t/layout.esc:1: 'ui.test.handler' is no view: it cannot stand inside a window"},
        {"entity ui.window { entity ui.window { } }", "/t/layout.esc:1: the window class 'ui.window' cannot stand inside a window"},
        {"entity ui.window { entity ui.test.text { entity ui.test.text { } } }", "/t/layout.esc:1: 'ui.test.text' holds entities but is no group"},
        {"entity ui.window { }\nentity ui.test.handler { entity ui.test.text { } }", "/t/layout.esc:2: the handler 'ui.test.handler' holds entities"},
        {"entity ui.window { include \"/ui/none.esc\" }", "/t/layout.esc:1: the include '/ui/none.esc' cannot be read"},
        {"entity ui.window { include \"/ui/cycle_a.esc\" }", "/ui/cycle_b.esc:1: the include '/ui/cycle_a.esc' is a cycle"},
        {"entity ui.window {\n entity ui.comp.group {\n  entity ui.test.failing { stage: \"1\" } } }",
         "/t/layout.esc:1: the window 'ui.window' failed to initialise (stage 1 answered 7)"},
        {"entity ui.window { id: \"1\" ", "/t/layout.esc:1: the block of 'ui.window' opened here is not closed"},
    };
    const size_t items_before = mm.live;
    for (const auto &c : cases) {
        messages.clear();
        ui_test_log_t::lines.clear();
        EXPECT_EQ(insert("test", "broken", c.text), nullptr) << c.text;
        EXPECT_TRUE(messages.contains(std::string("[ui] ") + c.message))
            << c.text << "\n logged: " << (messages.entries().empty() ? "" : messages.entries().front().text);
        EXPECT_TRUE(messages.contains("[ui] The window 'broken:test' could not be made from '/t/layout.esc'")) << c.text;
        EXPECT_EQ(ui_window_count(), 0u) << c.text;
        EXPECT_EQ(ui_wget("test", "broken"), nullptr);
        EXPECT_EQ(mm.live, items_before) << "an item of a broken layout stayed: " << c.text;
        EXPECT_EQ(ui_test_log_t::lines.end(),
                  std::find_if(ui_test_log_t::lines.begin(), ui_test_log_t::lines.end(),
                               [](const std::string &l) { return l.find("create") != std::string::npos; }))
            << "a handler of a broken layout heard of its window";
    }
    // The failed initialisation undid what it had begun.
    messages.clear();
    ui_test_log_t::lines.clear();
    EXPECT_EQ(insert("test", "broken", "entity ui.window { entity ui.test.failing { stage: \"0\" } }"), nullptr);
    EXPECT_EQ(ui_test_log_t::take(), "failing destroy 0 | failing destroy 1");
    // A file that is not there, and one read from the file system with an include.
    messages.clear();
    EXPECT_EQ(ui_winsert("test", "gone", 0, "/ui/gone.esc"), nullptr);
    EXPECT_TRUE(messages.contains("[ui] The layout '/ui/gone.esc' cannot be read"));
    put("ui/part.esc", "entity ui.test.text { id: \"7\" }");
    put("ui/whole.esc", "entity ui.window {\n  include \"part.esc\"\n}\n");
    c_item_t *w = ui_winsert("test", "whole", 0, "/ui/whole.esc");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ui_window_of(w)->child(0)->id, 7);
    EXPECT_EQ(ui_window_of(w)->get_handler(), nullptr) << "a layout without handler is fine";
}

TEST_F(ui_layer, the_table_inserts_always_finds_the_first_ignoring_case_and_removes) {
    c_item_t *a = plain("One");
    c_item_t *b = plain("One");
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_EQ(ui_wget("TEST", "one"), a);
    EXPECT_EQ(ui_window_count(), 2u);
    const size_t items = mm.live;
    ui_test_log_t::lines.clear();
    c_item_t *held = ui_wget("test", "one", true);
    ui_wremove(a);
    EXPECT_EQ(ui_test_log_t::take(), "One hide | One destroy");
    EXPECT_EQ(ui_wget("test", "one"), b);
    EXPECT_LT(mm.live, items + 1);
    // The caller's reference keeps the window's item, out of the table.
    EXPECT_EQ(ui_window_of(held)->window_name, "One");
    held->release_ref();
    EXPECT_EQ(mm.live, items - 3) << "window, text and handler went with the last reference";
    ui_wremove(a);  // no longer in the table: nothing
}

TEST_F(ui_layer, keys_go_to_the_focused_view_and_bubble_to_the_handler_until_a_hook_takes_them) {
    ASSERT_TRUE(menu());
    ui_test_log_t::lines.clear();
    // Without focus a key is the window's own action.
    key(30, true);
    frame();
    EXPECT_EQ(ui_test_log_t::take(), "menu focus | menu: 7 -1 30");
    // Tab gives the focus to the first focusable view; the action key clicks it.
    key(UI_KEY_TAB, true);
    key(UI_KEY_TAB, false);
    key(UI_KEY_ENTER, true, UI_MOD_LCTRL);
    frame();
    EXPECT_EQ(ui_test_log_t::take(), "menu: 8 b1 15 | menu: 2 b1 1");
    // Tab again: the view left hears 17; a key on b2 stops at the group's hook.
    key(UI_KEY_TAB, true);
    key(30, true, UI_MOD_RSHIFT);
    frame();
    EXPECT_EQ(ui_test_log_t::take(), "menu: 17 b1 0 | stop 7 from b2");
    // Shift+Tab goes back; the release of the action key reaches the handler with
    // its modifiers.
    key(UI_KEY_TAB, true, UI_MOD_LSHIFT);
    key(UI_KEY_ENTER, false, UI_MOD_LCTRL);
    frame();
    EXPECT_EQ(ui_test_log_t::take(), "menu: 17 b2 0 | menu: 8 b1 " + std::to_string(UI_KEY_ENTER | UI_MOD_LCTRL << 16));
}

TEST_F(ui_layer, a_view_that_uses_a_key_raises_no_action) {
    ASSERT_TRUE(insert("t", "eat", "entity ui.window { entity ui.test.eater { } }\nentity ui.test.handler { }"));
    key(UI_KEY_TAB, true);
    key(44, true);
    frame();
    EXPECT_EQ(ui_test_log_t::take(), "h create | h show | h focus | eat 44");
}

TEST_F(ui_layer, keys_go_to_the_top_window_that_takes_input) {
    ASSERT_TRUE(plain("below"));
    ASSERT_TRUE(plain("top"));
    ASSERT_TRUE(plain("system", UI_WINSERT_SYSTEM | UI_WINSERT_HIDDEN));
    ASSERT_TRUE(plain("passive", UI_WINSERT_PASSIVE | UI_WINSERT_SYSTEM));
    ASSERT_TRUE(plain("beneath", UI_WINSERT_BENEATH));
    ASSERT_TRUE(plain("child", UI_WINSERT_CHILD));
    ui_test_log_t::lines.clear();
    auto key_goes_to = [&] {
        key(30, true);
        frame();
        std::string to;
        for (const std::string &l : ui_test_log_t::lines)
            if (l.find(": 7 ") != std::string::npos) to = l.substr(0, l.find(':'));
        ui_test_log_t::lines.clear();
        return to;
    };
    EXPECT_EQ(key_goes_to(), "top") << "the later ordinary window; passive and child windows take none";
    ui_wshow(ui_wget("test", "system"));
    EXPECT_EQ(key_goes_to(), "system") << "the system band lies above every ordinary window";
    ui_whide(ui_wget("test", "system"));
    ui_whide(ui_wget("test", "top"));
    EXPECT_EQ(key_goes_to(), "below");
    ui_whide(ui_wget("test", "below"));
    EXPECT_EQ(key_goes_to(), "beneath");
    // Drawing: by band (beneath, ordinary, system), then insertion order; hidden and
    // child windows are not drawn.
    ui_wshow(ui_wget("test", "below"));
    ui_wshow(ui_wget("test", "top"));
    ui_wshow(ui_wget("test", "system"));
    frame();
    EXPECT_EQ(drawn(), "beneath,below,top,system,passive");
}

TEST_F(ui_layer, a_child_window_is_drawn_and_fed_by_its_owner_which_hears_what_its_handler_leaves) {
    c_item_t *main = menu();
    ui_window_t *child = ui_window_of(plain("child", UI_WINSERT_CHILD));
    ASSERT_TRUE(main && child);
    child->owner = ui_window_of(main)->child(1);  // the group that stops key actions
    frame();
    EXPECT_EQ(drawn(), "Menu") << "the table does not draw a child window";
    ui_test_log_t::lines.clear();
    ui_event_t e;
    e.type = ui_event_t::KEY_DOWN;
    e.code = 30;
    child->feed(&e);
    EXPECT_EQ(ui_test_log_t::take(), "child: 7 -1 30 | stop 7 from -1");
    r_queue_t *queue = gfx_queue_alloc();
    child->draw_window(queue);
    ASSERT_EQ(queue->ui_records.get_count(), 1u);
    EXPECT_STREQ(queue->ui_records[0].text, "child");
    gfx_queue_free(queue);
}

TEST_F(ui_layer, a_splash_alone_is_drawn_and_fed_with_the_pointer) {
    ASSERT_TRUE(plain("menu"));
    c_item_t *splash = plain("splash", UI_WINSERT_BENEATH);
    put("ui/pointer.esc", "entity ui.window { coords: \"0 0 16 16\" entity ui.test.text { coords: \"0 0 16 16\" text: \"^\" } }");
    ASSERT_EQ(ui_pinsert("/ui/pointer.esc"), 0);
    ui_pshow(0);
    ui_set_splash(splash);
    ui_test_log_t::lines.clear();
    key(30, true);
    frame();
    EXPECT_EQ(drawn(), "splash,^");
    EXPECT_EQ(ui_test_log_t::take(), "splash focus | splash: 7 -1 30");
    ui_set_splash(nullptr);
    key(30, true);
    frame();
    EXPECT_EQ(drawn(), "splash,menu,^");
    EXPECT_EQ(ui_test_log_t::take(), "splash unfocus | menu focus | menu: 7 -1 30");
}

TEST_F(ui_layer, the_pointer_enters_leaves_moves_and_clicks_views) {
    ASSERT_TRUE(menu());
    ASSERT_TRUE(plain("hud", UI_WINSERT_PASSIVE | UI_WINSERT_SYSTEM));
    ui_test_log_t::lines.clear();
    pointer(150, 120);
    button(true);
    frame();
    EXPECT_EQ(ui_test_log_t::take(), "menu: 0 b1 @150,120 | menu: 15 b1 @150,120 | menu: 12 b1 1")
        << "a passive window above takes no pointer; a press focuses the view";
    EXPECT_TRUE(ui_view_of(ui_window_of(ui_wget("menu", "main"))->child_item(0))->is_focused());
    pointer(350, 120);
    button(false);
    frame();
    EXPECT_EQ(ui_test_log_t::take(), "menu: 1 b1 @350,120 | menu: 0 b2 @350,120 | menu: 15 b2 @350,120 | menu: 13 b2 1");
    // Through the kernel's cursor (-1..1, y upward).
    cursor_x = 0.5f;
    cursor_y = -0.5f;
    frame();
    float x, y;
    ui_pointer_position(&x, &y);
    EXPECT_EQ(x, 768.0f);
    EXPECT_EQ(y, 192.0f);
    EXPECT_EQ(ui_test_log_t::take(), "menu: 1 b2 @768,192 | menu: 15 -1 @768,192");
    // Kernel button records: pressed, "0, 1 << button, modifiers".
    keys.push_back(qs_keycode_t{1, 1, {0, 2, 0}});
    frame();
    EXPECT_EQ(ui_test_log_t::take(), "menu: 12 -1 2");
}

// A plain group only holds views: the pointer passes through it to the views beneath
// (a screen's full-size group of effect views lies over its buttons), while its own
// children still take it.
TEST_F(ui_layer, a_plain_group_lets_the_pointer_through_to_what_lies_beneath) {
    ASSERT_TRUE(insert("menu", "main",
                       "entity ui.window {\n"
                       "    coords: \"0 0 1024 768\"\n"
                       "    entity ui.test.button { name: \"b1\" id: \"1\" coords: \"100 100 200 150\" }\n"
                       "    entity ui.comp.group { id: \"9\" coords: \"0 0 1024 768\"\n"
                       "        entity ui.test.button { name: \"b2\" id: \"2\" coords: \"300 100 400 150\" }\n"
                       "    }\n"
                       "}\n"
                       "entity ui.test.handler { name: \"menu\" }\n"));
    ui_test_log_t::lines.clear();
    pointer(150, 120);
    button(true);
    frame();
    EXPECT_EQ(ui_test_log_t::take(), "menu: 0 b1 @150,120 | menu: 15 b1 @150,120 | menu: 12 b1 1");
    pointer(350, 120);
    button(false);
    frame();
    EXPECT_EQ(ui_test_log_t::take(), "menu: 1 b1 @350,120 | menu: 0 b2 @350,120 | menu: 15 b2 @350,120 | menu: 13 b2 1");
    pointer(600, 600);
    frame();
    EXPECT_EQ(ui_test_log_t::take(), "menu: 1 b2 @600,600 | menu: 15 -1 @600,600") << "over nothing, the window";
}

TEST_F(ui_layer, a_stale_draw_shows_without_a_dirty_mark_and_ui_recache_mends_it) {
    c_item_t *w = menu();
    ASSERT_TRUE(w);
    frame();
    EXPECT_EQ(drawn(), "Menu");
    auto *text = static_cast<test_text_view_t *>(ui_window_of(w)->child(2));
    test_text_view_t::forget_dirty_mark = true;
    ASSERT_TRUE(text->set_value("text", "Quit"));
    frame();
    EXPECT_EQ(text->renders, 2) << "the view rendered the new text";
    EXPECT_EQ(drawn(), "Menu") << "but the window replays its cached records";
    ui_recache();
    frame();
    EXPECT_EQ(drawn(), "Quit");
    test_text_view_t::forget_dirty_mark = false;
    ASSERT_TRUE(text->set_value("text", "Back"));
    frame();
    EXPECT_EQ(drawn(), "Back");
}

TEST_F(ui_layer, views_draw_by_layer_then_tree_order_and_the_log_holds_every_record) {
    ASSERT_TRUE(insert("t", "w",
                       "entity ui.window {\n"
                       "  entity ui.test.text { coords: \"0 0 100 20\" layer: \"2\" text: \"last\" }\n"
                       "  entity ui.test.text { coords: \"0 20 100 40\" tint: \"2155905152\""
                       " text: \"<img src=/system/ui/default/uidefault.mat xscale=repeat><ret>\\rfirst\" }\n"
                       "  entity ui.test.text { coords: \"0 40 100 60\" visible: \"false\" text: \"hidden\" }\n"
                       "}\n"));
    frame();
    EXPECT_EQ(dump(),
              "ui image queue 0 \"/system/ui/default/uidefault.mat\" rect 0 8 100 40 uv 0 1.5625 0 1 tint 80808080\n"
              "ui glyphs queue 0 \"/system/font/default.font\" rect 0 -16 50 4 tint 80000080 \"first\"\n"
              "ui glyphs queue 0 \"/system/font/default.font\" rect 0 0 40 20 tint ffffffff \"last\"\n");
}

TEST_F(ui_layer, pointer_layers_show_alone_at_the_pointer) {
    put("ui/p1.esc", "entity ui.window { coords: \"0 0 10 20\" entity ui.test.text { coords: \"0 0 10 20\" text: \"1\" } }");
    put("ui/p2.esc", "entity ui.window { coords: \"0 0 10 20\" entity ui.test.text { coords: \"0 0 10 20\" text: \"2\" } }");
    EXPECT_EQ(ui_pinsert("/ui/p1.esc"), 0);
    EXPECT_EQ(ui_pinsert("/ui/p2.esc"), 1);
    EXPECT_EQ(ui_pinsert("/ui/none.esc"), -1);
    EXPECT_EQ(ui_pindex(), -1);
    frame();
    EXPECT_EQ(drawn(), "");
    ui_pshow(1);
    pointer(300, 200);
    frame();
    EXPECT_EQ(ui_pindex(), 1);
    EXPECT_EQ(dump(), "ui glyphs queue 0 \"/system/font/default.font\" rect 300 180 310 200 tint ffffffff \"2\"\n")
        << "the layer's top left corner at the pointer";
    ui_premove(0);
    EXPECT_EQ(ui_pindex(), 0);
    EXPECT_NE(ui_pget(0), nullptr);
    EXPECT_EQ(ui_pget(1), nullptr);
    ui_pshow(-1);
    frame();
    EXPECT_EQ(drawn(), "");
}

TEST_F(ui_layer, handlers_run_every_frame_for_every_window) {
    c_item_t *a = plain("a");
    c_item_t *b = plain("b", UI_WINSERT_HIDDEN);
    frame();
    frame();
    EXPECT_EQ(static_cast<test_handler_t *>(ui_window_of(a)->get_handler())->frames, 2);
    EXPECT_EQ(static_cast<test_handler_t *>(ui_window_of(b)->get_handler())->frames, 2);
}

TEST_F(ui_layer, attributes_read_from_text_with_change_flags_and_tagged_errors) {
    c_item_t *w = menu();
    ASSERT_TRUE(w);
    ui_view_t *text = ui_window_of(w)->child(2);
    EXPECT_TRUE(text->set_value("id", "4294967295"));
    EXPECT_EQ(text->id, -1);
    EXPECT_TRUE(text->set_value("ID", "-2147483648"));
    EXPECT_EQ(text->id, INT32_MIN);
    EXPECT_FALSE(text->set_value("id", "4294967296"));
    EXPECT_FALSE(text->set_value("id", "010x"));
    EXPECT_TRUE(text->set_value("id", " 010 "));
    EXPECT_EQ(text->id, 10) << "decimal, never octal";
    text->clear_flags("text", 0xFF);
    EXPECT_TRUE(text->set_value("text", "Menu"));
    EXPECT_EQ(text->get_flags("text"), EVF_WRITTEN) << "written, not changed";
    EXPECT_TRUE(text->set_value("text", "Other"));
    EXPECT_EQ(text->get_flags("text"), EVF_WRITTEN | EVF_CHANGED);
    EXPECT_TRUE(text->set_value("coords", "1, 2, 3, 4"));
    EXPECT_EQ(text->rect, (ui_rect_t{1, 3, 4, 2}));
    EXPECT_TRUE(text->set_value("area", "0 0 5 5"));
    EXPECT_TRUE(text->has_area);
    messages.clear();
    EXPECT_FALSE(text->set_value("colour", "1"));
    EXPECT_TRUE(messages.contains("[ui.test.text:t] has no attribute 'colour'"));
    EXPECT_FALSE(text->set_value("visible", "2"));
    EXPECT_TRUE(messages.contains("[ui.test.text:t] bad value '2' for 'visible': true or false expected"));
}

TEST_F(ui_layer, a_class_name_registers_once) {
    static const entity_reg_t other = ui_test_reg<test_text_view_t>("ui.test.text");
    messages.clear();
    EXPECT_FALSE(entity_register(&other));
    EXPECT_TRUE(messages.contains("[ui] The entity class 'ui.test.text' is registered already"));
    EXPECT_TRUE(entity_register(&UI_TEST_REGS[0])) << "the same record again";
    static const entity_reg_t tiny = {"ui.test.tiny", {0, 0, 0, 0}, 1, &ui_test_factory<ui_view_t>, &ui_test_release};
    EXPECT_FALSE(entity_register(&tiny)) << "an object size below an entity's";
    EXPECT_EQ(ui_spawn_ci("ui.test.none"), nullptr);
    EXPECT_TRUE(messages.contains("[ui] No entity class 'ui.test.none' is registered"));
}

TEST_F(ui_layer, control_keys_read_as_the_callback_says) {
    const struct {
        uint32_t code;
        bool down;
        uint32_t expected;
    } cases[] = {
        {UI_KEY_ENTER, true, UI_CTRL_ACTION | UI_CTRL_PRESS},  {UI_KEY_PAD_ENTER, false, UI_CTRL_ACTION | UI_CTRL_RELEASE},
        {UI_KEY_UP, true, UI_CTRL_PREVIOUS | UI_CTRL_PRESS},   {UI_KEY_DOWN, true, UI_CTRL_NEXT | UI_CTRL_PRESS},
        {UI_KEY_RIGHT, true, UI_CTRL_INCREASE | UI_CTRL_PRESS}, {UI_KEY_LEFT, false, UI_CTRL_DECREASE | UI_CTRL_RELEASE},
        {UI_KEY_TAB, true, UI_CTRL_TAB | UI_CTRL_PRESS},       {30, true, UI_CTRL_NONE},
    };
    for (const auto &c : cases) {
        ui_event_t e;
        e.type = c.down ? ui_event_t::KEY_DOWN : ui_event_t::KEY_UP;
        e.code = c.code;
        EXPECT_EQ(ui_get_ctrlcallback(&e), c.expected) << c.code;
    }
    ui_event_t e;
    e.type = ui_event_t::BUTTON_DOWN;
    EXPECT_EQ(ui_get_ctrlcallback(&e), uint32_t(UI_CTRL_NONE));
}

}  // namespace
}  // namespace quarn::test
