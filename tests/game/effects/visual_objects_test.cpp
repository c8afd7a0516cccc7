// The visual-object module: its rows register the unit types, the ".btr" loader and
// "p_profile_draws"; a tree in use holds the module's guard until it is released and
// drained; the last stage takes everything back. Also the tree leaf hookup and 3D
// text.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../game_rows_fixture.h"
#include "../models/model_lib_fixture.h"
#include "btr_writer.h"
#include "game/game_guard_proc.h"
#include "game/game_module.h"
#include "game/game_rows.h"
#include "game/visuals/effects/kdop_resource.h"
#include "game/visuals/effects/text_3d.h"
#include "game/visuals/effects/tree_leaf.h"
#include "game/visuals/effects/visual_objects.h"
#include "kernel/console/cvars.h"
#include "kernel/kernel_fixture.h"
#include "kernel/memory/m_server.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/visbase/camera.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/units/unit_system.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

class visual_objects_rows : public game_rows_fixture_t {
protected:
    visual_objects_rows() : game_rows_fixture_t("visual_objects") {}
    void before_module_unregister() override { visual_objects_unregister(); }

    static bool has_class(const char *name) {
        const unit_bank_t &bank = unit_system_t::get_default()->get_bank();
        for (uint32_t i = 0; i < bank.get_class_count(); ++i)
            if (bank.get_class_name(i) == name) return true;
        return false;
    }

};

TEST_F(visual_objects_rows, registered_then_taken_back_once_no_tree_is_used) {
    register_game_classes(table);
    EXPECT_TRUE(visual_objects_registered());
    for (const char *type : {"particle_gen", "particle_set", "tree_leaf_base", "merged_model"})
        EXPECT_TRUE(has_class(type)) << type;
    EXPECT_NE(cvar_get("p_profile_draws"), nullptr);
    game_guard_proc_t *guard = new game_guard_proc_t(nullptr, table);
    process_add(guard, 0);

    btr_writer_t w;
    w.leaf({0, 0, 0}, {1, 1, 1}, {1, 2});
    std::string path = dir.file("tree.btr");
    ASSERT_TRUE(write_file(path, w.bytes));
    c_item_t *tree = kdop_obtain("/t/tree.btr");
    ASSERT_NE(tree, nullptr) << "the loader knows '.btr'";

    process_terminate_all();
    for (int i = 0; i < 4; ++i) kernel_step();
    EXPECT_EQ(process_get("game_guard"), guard) << "the tree in use holds the guard";
    tree->release_ref();
    for (int i = 0; i < 6 && process_get("game_guard"); ++i) kernel_step();
    EXPECT_EQ(process_get("game_guard"), nullptr) << "the drain let the tree go";
    EXPECT_FALSE(visual_objects_registered()) << "the last stage took the module back";
    EXPECT_EQ(cvar_get("p_profile_draws"), nullptr);
    for (const char *type : {"particle_gen", "particle_set", "tree_leaf_base"}) EXPECT_FALSE(has_class(type)) << type;
    EXPECT_FALSE(btr_loader().registered);
    EXPECT_FALSE(log.contains("[game] step"));
}

// Records what the text asks of its font: glyphs of width 10.
struct recording_font_t : text_3d_font_t {
    struct glyph_t {
        char c;
        float x, y;
        uint32_t colour;
    };
    float glyph_width(uint8_t) override { return 10.0f; }
    void draw_glyph(uint8_t c, const mat4_t &m, float x, float y, uint32_t colour) override {
        glyphs.push_back({char(c), x, y, colour});
        matrix = m;
    }
    std::vector<glyph_t> glyphs;
    mat4_t matrix;
};

TEST(draw_text_3d, newlines_and_colour_codes) {
    const uint32_t given = 0x80123456u;
    const struct {
        const char *name;
        const char *text;
        std::vector<recording_font_t::glyph_t> expected;
    } cases[] = {
        {"a new line", "A\nB", {{'A', 0, 0, given}, {'B', 0, -14, given}}},
        {"advancing", "AB\n\nC", {{'A', 0, 0, given}, {'B', 10, 0, given}, {'C', 0, -28, given}}},
        {"red, green, blue",
         "\x01R\x02G\x03" "B",
         {{'R', 0, 0, 0x800000FFu}, {'G', 10, 0, 0x8000FF00u}, {'B', 20, 0, 0x80FF0000u}}},
        {"yellow, magenta, cyan, white",
         "\x04Y\x05M\x06" "C\x07W",
         {{'Y', 0, 0, 0x8000FFFFu}, {'M', 10, 0, 0x80FF00FFu}, {'C', 20, 0, 0x80FFFF00u}, {'W', 30, 0, 0x80FFFFFFu}}},
        {"back to the given colour", "\x01R\x08N", {{'R', 0, 0, 0x800000FFu}, {'N', 10, 0, given}}},
        {"other control characters are drawn", "\t", {{'\t', 0, 0, given}}},
    };
    for (const auto &c : cases) {
        recording_font_t font;
        draw_text_3d(font, 12.0f, given, c.text, {1, 2, 3});
        ASSERT_EQ(font.glyphs.size(), c.expected.size()) << c.name;
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(font.glyphs[i].c, c.expected[i].c) << c.name;
            EXPECT_EQ(font.glyphs[i].x, c.expected[i].x) << c.name << " " << i;
            EXPECT_EQ(font.glyphs[i].y, c.expected[i].y) << c.name << " " << i;
            EXPECT_EQ(font.glyphs[i].colour, c.expected[i].colour) << c.name << " " << i;
        }
    }
}

// The frame's pass runs its draws in the order added, each pair once; a full pass and
// a null draw are refused; removing keeps the order of the rest.
TEST(visual_objects_pass, runs_in_order_each_pair_once) {
    message_capture_t log;
    std::vector<int> ran;
    int a = 1, b = 2;
    const visual_objects_pass_t record = [](void *user) {
        auto *p = static_cast<std::pair<std::vector<int> *, int> *>(user);
        p->first->push_back(p->second);
    };
    std::pair<std::vector<int> *, int> first{&ran, a}, second{&ran, b};
    ASSERT_EQ(visual_objects_pass_count(), 0u);
    EXPECT_TRUE(visual_objects_add_pass(record, &first));
    EXPECT_TRUE(visual_objects_add_pass(record, &second));
    EXPECT_TRUE(visual_objects_add_pass(record, &first)) << "kept once";
    visual_objects_render();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));

    EXPECT_FALSE(visual_objects_add_pass(nullptr, &first));
    EXPECT_TRUE(log.contains("[effects] A visual-object draw without a function is not added"));
    std::vector<std::pair<std::vector<int> *, int>> more(VISUAL_OBJECTS_MAX_PASSES, {&ran, 0});
    for (uint32_t i = 2; i < VISUAL_OBJECTS_MAX_PASSES; ++i) EXPECT_TRUE(visual_objects_add_pass(record, &more[i]));
    EXPECT_FALSE(visual_objects_add_pass(record, &more[0]));
    EXPECT_TRUE(log.contains("[effects] The visual-object pass holds 16 draws already: one more is not added"));
    for (uint32_t i = 2; i < VISUAL_OBJECTS_MAX_PASSES; ++i) EXPECT_TRUE(visual_objects_remove_pass(record, &more[i]));

    EXPECT_TRUE(visual_objects_remove_pass(record, &first));
    EXPECT_FALSE(visual_objects_remove_pass(record, &first));
    ran.clear();
    visual_objects_render();
    EXPECT_EQ(ran, (std::vector<int>{2}));
    EXPECT_TRUE(visual_objects_remove_pass(record, &second));
    EXPECT_EQ(visual_objects_pass_count(), 0u);
}

class text_3d : public model_lib_fixture_t {};

TEST_F(text_3d, the_text_faces_the_camera_at_its_position) {
    // A camera turned 90° about y and scaled by 2: the text takes its rotation only.
    quat_t turn;
    turn.set_axis_angle({0, 1, 0}, 1.5707964f);
    const placement_scale_t scaled({5, 0, 0}, 2.0f, turn);
    packets->camera->camera = scaled.compute_matrix();
    packets->camera->view = scaled.compute_inverse_matrix();
    gfx_camera_load(*packets->camera);
    recording_font_t font;
    draw_text_3d(font, 12.0f, 0xFFFFFFFFu, "A", {1, 2, 3});
    ASSERT_EQ(font.glyphs.size(), 1u);
    mat4_t expected;
    turn.get_matrix(&expected);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(font.matrix.at(r, c), expected.at(r, c), 1e-5f) << r << c;
    EXPECT_EQ(font.matrix.at(0, 3), 1.0f);
    EXPECT_EQ(font.matrix.at(1, 3), 2.0f);
    EXPECT_EQ(font.matrix.at(2, 3), 3.0f);
}

class tree_leaf : public model_lib_fixture_t {};

TEST_F(tree_leaf, hangs_on_its_owner_with_a_phase_and_draws_its_model) {
    write_fixture_models();
    model_desc_u *rock = desc("/t/model/rock/rock.zmd");
    ASSERT_NE(rock, nullptr);
    model_packets_for_all_t all(&packets->array);
    owner_ptr_t<model_object_u> tree(rock->create_object(0, 0, &all));
    owner_ptr_t<tree_leaf_base> leaf(tree_leaf_base::create());
    ASSERT_TRUE(tree && leaf);
    owner_ptr_t<model_object_u> model(rock->create_object(0, 0, &all));
    model->set_packets(&packets->array, nullptr);
    leaf->m_model = owner_ptr_t<unit_base_t>(model.release());
    tree->set_placement(placement_t({10, 0, 0}, quat_t()));
    ASSERT_TRUE(leaf->attach(tree.get(), placement_t({0, 3, 0}, quat_t())));
    EXPECT_GE(leaf->get_phase(), 0.3f);
    EXPECT_LE(leaf->get_phase(), 1.3f);
    EXPECT_EQ(leaf->get_node().get_parent(), &tree->get_node());
    EXPECT_EQ(leaf->get_node().get_absolute().position, (vec3_t{10, 3, 0}));
    auto *hung = unit_cast<model_object_u>(leaf->get_model());
    ASSERT_NE(hung, nullptr);
    EXPECT_EQ(hung->get_node().get_absolute().position, (vec3_t{10, 3, 0})) << "the model follows the leaf";
    EXPECT_EQ(render({leaf.get()}).draw_count(), 1u);
    EXPECT_TRUE(leaf->detach());
    EXPECT_EQ(leaf->get_node().get_parent(), nullptr);
}

}  // namespace
}  // namespace quarn::test
