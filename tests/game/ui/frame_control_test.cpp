// Frames: the five parts in order with their places and colour, which parts a size
// leaves out, moving without building again, and the common frame's template.
#include <gtest/gtest.h>

#include "controls_fixture.h"
#include "game/ui/controls/frame_control.h"
#include "outside/qrnshared/r_queue.h"

namespace quarn::test {
namespace {

class frame_control : public controls_fixture_t {};

TEST_F(frame_control, the_blue_panel_draws_its_parts_in_order) {
    ASSERT_NE(open("entity ui.comp.common.frame { id: \"1\" coords: \"100 100 164 148\" look: \"0\" }"), nullptr);
    step();
    ui_frame_t *f = get<ui_frame_t>(1);
    EXPECT_EQ(f->color, 0x7700a2ffu);
    EXPECT_EQ(f->built_parts(), 15u) << "corners, inside and both edges; no text";
    const std::string q = "ui image queue " + std::to_string(ui_queue()->id) + " \"/system/ui/default/frame_";
    const std::string tint = " tint 77ffa200\n";  // blue: alpha blue green red in markup
    EXPECT_EQ(dump(), q + "corner.mat\" rect 100 132 116 148 uv 0.5 1 0.5 1" + tint +
                          q + "corner.mat\" rect 100 100 116 116 uv 0.5 1 0 0.5" + tint +
                          q + "corner.mat\" rect 148 132 164 148 uv 0 0.5 0.5 1" + tint +
                          q + "corner.mat\" rect 148 100 164 116 uv 0 0.5 0 0.5" + tint +
                          q + "inside.mat\" rect 108 108 156 140 uv 0 1 0 1" + tint +
                          q + "hline.mat\" rect 116 140 148 148 uv 0 1 0.5 1" + tint +
                          q + "hline.mat\" rect 116 100 148 108 uv 0 1 0 0.5" + tint +
                          q + "vline.mat\" rect 100 116 108 132 uv 0.5 1 0 1" + tint +
                          q + "vline.mat\" rect 156 116 164 132 uv 0 0.5 0 1" + tint);
}

TEST_F(frame_control, the_parts_a_size_leaves_out) {
    // Corners 16 x 16, edges 8 thick, the inside inset by 8.
    ASSERT_NE(open("entity ui.comp.common.frame { id: \"1\" coords: \"100 100 164 148\" look: \"0\" value: \"T\" }"), nullptr);
    ui_common_frame_t *f = get<ui_common_frame_t>(1);
    f->set_value("text", "T");
    using P = ui_frame_t::part_t;
    const struct {
        float width, height;
        bool inset;
        uint32_t parts;
    } cases[] = {
        {33, 33, true, P::PART_CORNERS | P::PART_INSIDE | P::PART_HORIZONTAL | P::PART_VERTICAL | P::PART_TEXT},
        {32, 32, true, P::PART_CORNERS | P::PART_INSIDE | P::PART_TEXT},
        {31, 40, true, P::PART_CORNERS | P::PART_INSIDE | P::PART_VERTICAL | P::PART_TEXT},
        {16, 16, true, P::PART_CORNERS | P::PART_TEXT},
        {17, 17, true, P::PART_CORNERS | P::PART_INSIDE | P::PART_TEXT},
        {16, 16, false, P::PART_CORNERS | P::PART_INSIDE | P::PART_TEXT},
        {10, 40, true, P::PART_CORNERS | P::PART_VERTICAL | P::PART_TEXT},
    };
    for (const auto &c : cases) {
        f->inside_inset = c.inset;
        f->rect = {100, 100 + c.width, 100 + c.height, 100};
        f->changed(UI_CHANGED_SIZE);
        step();
        EXPECT_EQ(f->built_parts(), c.parts) << c.width << " x " << c.height << (c.inset ? " inset" : "");
    }
    EXPECT_NE(texts().find("T"), std::string::npos);
}

TEST_F(frame_control, a_built_frame_moves_without_building) {
    ASSERT_NE(open("entity ui.comp.common.frame { id: \"1\" coords: \"100 100 164 148\" look: \"2\" value: \"Title\" }"),
              nullptr);
    step();
    ui_frame_t *f = get<ui_frame_t>(1);
    EXPECT_EQ(f->built_parts(), 29u) << "no inside";
    const uint32_t builds = f->build_count();
    ui_rect_t before, after;
    ASSERT_TRUE(f->get_buffer().get_bounds(before));
    f->move_to(300, 200);
    step();
    EXPECT_EQ(f->build_count(), builds);
    ASSERT_TRUE(f->get_buffer().get_bounds(after));
    before.move(200, 100);
    EXPECT_EQ(after, before);
    EXPECT_NE(dump().find("\"/system/ui/default/frame_corner.mat\" rect 300 232 316 248"), std::string::npos) << dump();
    // A new size or content builds again.
    f->set_value("color", "0xff0000ff");
    step();
    EXPECT_EQ(f->build_count(), builds + 1);
    EXPECT_NE(dump().find("tint ffff0000"), std::string::npos) << "blue";
}

TEST_F(frame_control, long_paths_and_texts_are_built_whole) {
    ASSERT_NE(open("entity ui.comp.common.frame { id: \"1\" coords: \"0 0 200 200\" look: \"999\" }"), nullptr);
    ui_frame_t *f = get<ui_frame_t>(1);
    // The corners name their material four times: well over a kilobyte here.
    std::string folders;
    for (int i = 0; i < 40; ++i) folders += "long_folder_name/";
    put(folders + "corner.mat", "def material { effect: \"/effect/ui/ui_flat\" size: \"32 32\" }\n");
    const std::string corner = "/t/" + folders + "corner.mat";
    std::string text(3000, 'x');
    text += "<color value=ff0000ff>END</color>";
    f->set_value("corner", corner.c_str());
    f->set_value("text", text.c_str());
    step();
    const std::string log = dump();
    size_t corners = 0;
    for (size_t at = log.find(corner); at != std::string::npos; at = log.find(corner, at + 1)) ++corners;
    EXPECT_EQ(corners, 4u);
    EXPECT_NE(log.find(" rect 184 0 200 16 uv 0 0.5 0 0.5"), std::string::npos) << "the last corner, in its place";
    EXPECT_NE(texts().find("END"), std::string::npos) << "the whole text, its closing tags too";
    EXPECT_EQ(f->color, 0xFFFFFFFFu) << "look 999 leaves the colour";
}

}  // namespace
}  // namespace quarn::test
