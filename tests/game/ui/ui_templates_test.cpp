// Templates of the common controls: filling markers with the parts of a value, the
// stores loaded by the first control of a class and released by the last, the name
// table, and the fallbacks of a missing file, template or entry.
#include <gtest/gtest.h>

#include <string>

#include "controls_fixture.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/controls/text_control.h"
#include "game/ui/ui_templates.h"
#include "outside/qrnshared/def_obj.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn::test {
namespace {

std::string fill(const std::string &text, const char *value) {
    mstring_dyn_t out;
    EXPECT_TRUE(ui_template_fill(text.c_str(), value, out));
    return out.c_str();
}

std::string parts(int n) {
    std::string v;
    for (int i = 0; i < n; ++i) v += (i ? "|" : "") + std::string(1, char('a' + i));
    return v;
}

TEST(ui_template_fill, markers_take_the_parts_of_the_value) {
    const std::string p11 = parts(11), p12 = parts(12), p17 = parts(17);
    const struct {
        const char *text;
        const char *value;
        const char *expected;
    } cases[] = {
        {"top=%0 bottom=%1", "0.000|0.086", "top=0.000 bottom=0.086"},
        {"a=%0 b=%1", "x", "a=x b=%1"},             // fewer parts: the surplus marker stays
        {"%0-%0", "y", "y-y"},                      // one marker twice
        {"[%0]", "", "[%0]"},                       // an empty value has no parts
        {"[%0]", nullptr, "[%0]"},                  // no value: the text as it is
        {"[%0][%1][%2]", "a||c", "[a][][c]"},       // two bars give an empty part
        {"%0", "%0%0", "%0%0"},                     // inserted text is not scanned again
        {"%0", "%1|q", "q"},                        // ... but the next part's pass sees it
        {"%A%B", p12.c_str(), "kl"},          // markers are hexadecimal
        {"%a", p11.c_str(), "%a"},            // upper case only
        {"%1 %10", p17.c_str(), "b b0"},      // seventeen parts: "%1" is found in "%10"
        {"100%", "5", "100%"},
    };
    for (const auto &c : cases) EXPECT_EQ(fill(c.text, c.value), c.expected) << c.text << " with " << (c.value ? c.value : "null");
}

TEST(ui_template_fill, texts_are_cut_at_8191_characters) {
    EXPECT_EQ(fill(std::string(9000, 'x'), nullptr).size(), 8191u);
    const std::string filled = fill(std::string(8000, 'x') + "%0!", std::string(500, 'y').c_str());
    EXPECT_EQ(filled.size(), 8191u);
    EXPECT_EQ(filled.substr(8000, 3), "yyy");
    EXPECT_EQ(filled.back(), 'y') << "the tail after the cut is gone";
}

class ui_templates : public controls_fixture_t {
protected:
    // A template file in the temporary folder, "/t/<name>".
    std::string file(const std::string &name, const std::string &text) {
        put(name, text);
        return "/t/" + name;
    }
};

TEST_F(ui_templates, the_main_menu_strip_fills_all_five_looks) {
    ASSERT_NE(open("entity ui.comp.common.button { id: \"1\" coords: \"10 10 266 54\" look: \"3\" value: \"0.000|0.086\" }"),
              nullptr);
    ui_common_button_t *b = get<ui_common_button_t>(1);
    ASSERT_NE(b, nullptr);
    for (int32_t look = 0; look < ui_button_t::LOOK_COUNT; ++look) {
        const std::string markup = b->look_text(look).c_str();
        EXPECT_NE(markup.find("<img src=/system/ui/menu/mainmenu.mat top=0.000 bottom=0.086 "), std::string::npos)
            << look << ": " << markup;
    }
    step();
    EXPECT_NE(dump().find("\"/system/ui/menu/mainmenu.mat\" rect 10 "), std::string::npos) << dump();
    EXPECT_NE(dump().find(" uv 0 1 0 0.086 tint c0ffffff"), std::string::npos) << dump();
    for (const auto &e : messages.entries()) EXPECT_NE(e.type, message_t::ERROR) << e.text;
}

TEST_F(ui_templates, a_missing_file_template_or_entry_answers_none) {
    errors_expected = true;  // the missing file
    const std::string path = file("x.def",
                                  "def template00 { name: \"Only\" text: \"<%0>\" }\n"
                                  "def template01 { name: \"Second\" }\n");
    ui_def_templates_t store;
    mstring_dyn_t out;
    out.copy("untouched");
    EXPECT_FALSE(store.expand(0, "text", "v", out)) << "nothing loaded";
    EXPECT_FALSE(store.load("/t/none.def"));
    EXPECT_FALSE(store.is_loaded());
    EXPECT_STREQ(store.names()[0].name, "");
    EXPECT_EQ(store.names()[0].number, -1);
    ASSERT_TRUE(store.load(path.c_str()));
    EXPECT_EQ(store.count(), 2u);
    const struct {
        int32_t look;
        const char *key;
        bool found;
    } cases[] = {{0, "text", true}, {1, "text", false}, {2, "text", false}, {-1, "text", false}, {0, "n_zml", false}};
    for (const auto &c : cases) {
        out.copy("untouched");
        EXPECT_EQ(store.expand(c.look, c.key, "v", out), c.found) << c.look << " " << c.key;
        EXPECT_EQ(out, c.found ? "<v>" : "untouched");
    }
    store.release();
    EXPECT_FALSE(store.is_loaded());
    EXPECT_EQ(store.find(0), nullptr);
}

TEST_F(ui_templates, the_name_table_lists_the_templates_up_to_the_first_gap) {
    const std::string long_name(80, 'n');
    const std::string path = file("names.def", "def template00 { name: \"First\" }\n"
                                               "def template01 { name: \"" + long_name + "\" }\n"
                                               "def template02 { }\n"
                                               "def template04 { name: \"After the gap\" }\n");
    ui_def_templates_t store;
    ASSERT_TRUE(store.load(path.c_str()));
    ASSERT_EQ(store.count(), 3u);
    const ui_template_name_t *n = store.names();
    EXPECT_STREQ(n[0].name, "First");
    EXPECT_EQ(std::string(n[1].name), long_name.substr(0, 63));
    EXPECT_STREQ(n[2].name, "");
    EXPECT_EQ(n[2].number, 2);
    EXPECT_EQ(n[3].number, -1) << "the end entry";
    EXPECT_NE(store.find(4), nullptr) << "not in the table, but a layout may still name it";
    store.release();
}

TEST_F(ui_templates, controls_fall_back_to_the_default_panel) {
    ASSERT_NE(open("entity ui.comp.common.text { id: \"1\" coords: \"0 0 200 40\" look: \"999\" value: \"Hi\" }\n"
                   "entity ui.comp.common.text { id: \"2\" coords: \"0 40 200 80\" look: \"10\" value: \"Spare\" }\n"
                   "entity ui.comp.common.button { id: \"3\" coords: \"0 80 200 120\" look: \"999\" value: \"A\" value2: \"B\" }\n"
                   "entity ui.comp.common.button { id: \"4\" coords: \"0 80 200 120\" look: \"999\" value: \"A\" value2: \"B\" button_type: \"check\" }\n"
                   "entity ui.comp.common.button { id: \"5\" coords: \"0 80 200 120\" look: \"999\" value: \"A\" value2: \"B\" button_type: \"radio\" }"),
              nullptr);
    const std::string panel = "<img src=/system/ui/default/uidefault.mat xscale=repeat yscale=repeat color=";
    const std::string centre = "><ret><align hstyle=center vstyle=center>";
    EXPECT_EQ(get<ui_common_text_t>(1)->text, (panel + "30ffffff" + centre + "\\yHi</align>").c_str()) << "no template";
    EXPECT_EQ(get<ui_common_text_t>(2)->text, (panel + "30ffffff" + centre + "\\ySpare</align>").c_str())
        << "a template without the entry";
    const struct {
        int32_t id;
        int32_t look;
        const char *colour;
        const char *parameter;
    } looks[] = {
        {3, ui_button_t::LOOK_NORMAL, "30ffffff", "A"},   {3, ui_button_t::LOOK_SELECTED, "3000ffff", "A"},
        {3, ui_button_t::LOOK_DISABLED, "30404040", "A"}, {3, ui_button_t::LOOK_DOWN, "3000ff00", "A"},
        {4, ui_button_t::LOOK_DOWN, "3000ff00", "B"},     {4, ui_button_t::LOOK_SELECTED_DOWN, "3000ffff", "B"},
        {5, ui_button_t::LOOK_DOWN, "3000ff00", "A"},     {5, ui_button_t::LOOK_SELECTED_DOWN, "3000ffff", "A"},
    };
    for (const auto &l : looks)
        EXPECT_EQ(get<ui_common_button_t>(l.id)->look_text(l.look), (panel + l.colour + centre + l.parameter + "</align>").c_str())
            << l.id << " look " << l.look;
    step();
    EXPECT_NE(dump().find("tint ff00ffff \"Hi\""), std::string::npos) << "the text's value in yellow";
}

TEST_F(ui_templates, a_store_loads_with_the_first_control_and_goes_with_the_last) {
    ui_template_class_t &buttons = ui_template_class(ui_template_kind_t::BUTTON);
    const uint32_t loads = buttons.loads();
    const std::string one = "entity ui.comp.common.button { id: \"1\" look: \"0\" value: \"x\" }";
    c_item_t *a = open(one, "a");
    c_item_t *b = open(one, "b");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(buttons.users(), 2u);
    EXPECT_EQ(buttons.loads(), loads + 1);
    ui_wremove(a);
    c_item_t *c = open(one, "c");
    EXPECT_EQ(buttons.loads(), loads + 1) << "one button lived on: no reload";
    EXPECT_TRUE(buttons.templates().is_loaded());
    ui_wremove(b);
    ui_wremove(c);
    EXPECT_EQ(buttons.users(), 0u);
    EXPECT_FALSE(buttons.templates().is_loaded()) << "released with the last";
    ASSERT_NE(open(one, "d"), nullptr);
    EXPECT_EQ(buttons.loads(), loads + 2) << "the count reached 0: loaded again";
    EXPECT_EQ(ui_template_class(ui_template_kind_t::TEXT).users(), 0u) << "each class has its own store";
}

}  // namespace
}  // namespace quarn::test
