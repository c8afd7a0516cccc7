// find_item_by_id over a window's tree: nested public groups, private children, the
// first match in child order.
#include <gtest/gtest.h>

#include "game/ui/controls/find_item.h"
#include "outside/qrnshared/ui/ui_item.h"
#include "ui_fixture.h"

namespace quarn::test {
namespace {

class find_item : public ui_fixture_t {
protected:
    void SetUp() override {
        ui_fixture_t::SetUp();
        layout("/ui/find.esc",
               "entity ui.window { id: \"100\"\n"
               "  entity ui.test.text { id: \"1\" name: \"first\" }\n"
               "  entity ui.comp.group { id: \"10\" name: \"outer\"\n"
               "    entity ui.comp.group { id: \"20\" name: \"inner\"\n"
               "      entity ui.test.text { id: \"2\" name: \"deep\" }\n"
               "      entity ui.test.text { id: \"1\" name: \"second\" }\n"
               "    }\n"
               "  }\n"
               "  entity ui.test.text { id: \"3\" name: \"later\" }\n"
               "  entity ui.test.text { id: \"2\" name: \"shadowed\" }\n"
               "}\n");
        window_item = insert("t", "find", "/ui/find.esc");
        ASSERT_NE(window_item, nullptr);
        window = ui_window_of(window_item);
    }
    std::string name_of(c_item_t *item) {
        ui_view_t *v = ui_view_of(item);
        return v ? v->get_name() : "none";
    }

    c_item_t *window_item = nullptr;
    ui_window_t *window = nullptr;
};

TEST_F(find_item, finds_through_nested_public_groups_and_the_first_match_wins) {
    EXPECT_EQ(find_item_by_id(window, 100), window_item) << "the group's own id";
    EXPECT_EQ(name_of(find_item_by_id(window, 1)), "first");
    EXPECT_EQ(name_of(find_item_by_id(window, 2)), "deep") << "the nested match comes first in child order";
    EXPECT_EQ(name_of(find_item_by_id(window, 20)), "inner");
    EXPECT_EQ(name_of(find_item_by_id(window, 3)), "later");
    EXPECT_EQ(find_item_by_id(window, 4), nullptr);
    // Below a group only its own subtree is searched.
    ui_view_t *outer = ui_view_of(find_item_by_id(window, 10));
    EXPECT_EQ(name_of(find_item_by_id(outer, 1)), "second");
    EXPECT_EQ(find_item_by_id(outer, 3), nullptr);
    EXPECT_EQ(find_item_by_id(nullptr, 1), nullptr);
}

TEST_F(find_item, a_spawned_private_child_is_found_only_when_private_ones_are_asked_for) {
    ui_group_t *inner = ui_as_group(ui_view_of(find_item_by_id(window, 20)));
    ASSERT_NE(inner, nullptr);
    c_item_t *item = ui_spawn_ci("ui.test.text");
    ASSERT_NE(item, nullptr);
    ui_view_of(item)->id = 7;
    ui_view_of(item)->set_name("spawned");
    ASSERT_TRUE(inner->add_child(item, false));
    item->release_ref();
    EXPECT_EQ(find_item_by_id(window, 7), nullptr);
    EXPECT_EQ(find_item_by_id(inner, 7), nullptr);
    EXPECT_EQ(name_of(find_item_by_id(inner, 7, false)), "spawned");
    // The outer search asks its own group: the private child is no component of it.
    EXPECT_EQ(find_item_by_id(window, 7, false), nullptr);
    // A spawned group hides what lies inside it too.
    c_item_t *group = ui_spawn_ci("ui.comp.group");
    ASSERT_NE(group, nullptr);
    ASSERT_TRUE(window->add_child(group, false));
    group->release_ref();
    c_item_t *in_group = ui_spawn_ci("ui.test.text");
    ui_view_of(in_group)->id = 8;
    ASSERT_TRUE(ui_as_group(ui_view_of(group))->add_child(in_group, true));
    in_group->release_ref();
    EXPECT_EQ(find_item_by_id(window, 8), nullptr);
    // Nothing stays locked by a search.
    EXPECT_EQ(item->fix_count, 1u);
    EXPECT_EQ(item->ref_count, 1u);
}

}  // namespace
}  // namespace quarn::test
