// The shipped screens over a running hunt: every button a screen shows is what the
// pointer finds at its middle, so a player (and the headless run driving the game by
// input) can click it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "game/ui/controls/button_control.h"
#include "ingame_fixture.h"
#include "outside/qrnshared/ui/ui_group.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

class layout_pointer : public ingame_fixture_t {};

// Every visible button below the view, depth first.
void visible_buttons(ui_view_t *view, std::vector<ui_view_t *> &out) {
    if (!view || !view->is_visible()) return;
    if (view->view_flags & UI_VIEW_BUTTON) out.push_back(view);
    if (ui_group_t *group = ui_as_group(view))
        for (uint32_t i = 0; i < group->child_count(); ++i) visible_buttons(group->child(i), out);
}

TEST_F(layout_pointer, every_shown_button_takes_the_pointer) {
    start_round();
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(test_source_dir() + "/data/builtin/ui"))
        if (entry.path().extension() == ".esc") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_GT(names.size(), 20u);
    uint32_t checked = 0;
    for (const std::string &name : names) {
        c_item_t *item = insert("t", name.c_str(), "/ui/" + name);
        ASSERT_NE(item, nullptr) << name;
        ui_wshow(item);
        ui_window_t *window = ui_window_of(item);
        std::vector<ui_view_t *> buttons;
        visible_buttons(window, buttons);
        for (ui_view_t *button : buttons) {
            const float x = (button->rect.left + button->rect.right) / 2, y = (button->rect.top + button->rect.bottom) / 2;
            EXPECT_EQ(window->view_at(x, y), button) << name << ": button " << button->id << " '" << button->get_name() << "'";
            ++checked;
        }
        ui_wremove(item);
    }
    EXPECT_GT(checked, 30u);
}

}  // namespace
}  // namespace quarn::test
