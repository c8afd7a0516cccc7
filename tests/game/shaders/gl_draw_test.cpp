// What "lib/gl" draws, read back pixel by pixel off-screen: the game's effects through
// their programs on every render path, depth, fog, the terrain's layers, the UI's
// glyph runs, and a program that does not build.
#include <gtest/gtest.h>

#include <cmath>

#include "gl_fixture.h"
#include "kernel/gfx/gfx.h"
#include "outside/qrnshared/effect_registry.h"
#include "outside/visbase/queue_render.h"
#include "qrncore/qrnutils/ufs/fs.h"

namespace quarn::test {
namespace {

using gl_draw = gl_fixture_t;

#define SKIP_WITHOUT_GL() \
    if (!drawing()) GTEST_SKIP() << "no OpenGL here: the renderer records only"

// A quad of the lit, textured effect, and the colour it takes: the texture times
// ambient plus diffuse by the angle to the light, on every path (path 1 dims the light
// colours by FW_PATH1_LIGHT_SCALE, 0.8), with the light in front of the quad and
// behind it.
TEST_F(gl_draw, a_lit_textured_quad_takes_its_colour_on_every_render_path) {
    SKIP_WITHOUT_GL();
    solid_texture("bark.tga", 200, 100, 40);
    c_item_t *bark = material("bark.mat", "/effect/fw4/fw_dif", "    def textures {\n        texture_sampler: \"/t/bark.tga\"\n    }\n");
    ASSERT_NE(bark, nullptr);
    test_packets_t packets;
    look(packets);
    packets.light->ambient = {0.2f, 0.2f, 0.2f, 0.0f};
    packets.light->diffuse = {0.6f, 0.6f, 0.6f, 0.0f};
    const struct {
        int32_t path;
        float travel_z;  // the light's way in the camera's frame
        float light;
    } cases[] = {
        {14, -1.0f, 0.8f}, {8, -1.0f, 0.8f}, {6, -1.0f, 0.8f}, {3, -1.0f, 0.8f}, {1, -1.0f, 0.64f},
        {14, 1.0f, 0.2f},  {3, 1.0f, 0.2f},  {1, 1.0f, 0.16f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("path " + std::to_string(c.path) + ", light travelling z " + std::to_string(c.travel_z));
        r_effect_set_path(c.path);
        packets.light->es_direction = {0.0f, 0.0f, c.travel_z, 0.0f};
        gl_quad_t quad(bark, &packets.array, -2.0f);
        ASSERT_TRUE(gfx_queue_proto(&quad.proto.proto));
        frame();
        const rgb_t lit{int(std::lround(200 * c.light)), int(std::lround(100 * c.light)), int(std::lround(40 * c.light))};
        for (int32_t x : {20, 32, 44})
            for (int32_t y : {20, 32, 44}) EXPECT_TRUE(near_colour(pixel(x, y), lit)) << x << ", " << y;
        EXPECT_EQ(pixel(1, 1), (rgb_t{0, 0, 0})) << "the clear colour beside the quad";
    }
    EXPECT_FALSE(messages.contains("does not build"));
}

// Two overlapping quads: the nearer one covers the farther wherever both are, in
// either order of drawing; the farther one shows around it.
TEST_F(gl_draw, the_nearer_of_two_quads_wins_in_either_order) {
    SKIP_WITHOUT_GL();
    c_item_t *flat = dry("flat.mat", 0x1);
    ASSERT_NE(flat, nullptr);
    test_packets_t packets;
    look(packets);
    for (bool near_first : {false, true}) {
        SCOPED_TRACE(near_first ? "near first" : "far first");
        gl_quad_t far_quad(flat, &packets.array, -4.0f, 2.0f), near_quad(flat, &packets.array, -2.0f, 0.5f);
        far_quad.colours(0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu);
        near_quad.colours(0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u);
        gl_quad_t *order[2] = {&far_quad, &near_quad};
        if (near_first) std::swap(order[0], order[1]);
        for (gl_quad_t *q : order) ASSERT_TRUE(gfx_queue_proto(&q->proto.proto));
        frame();
        EXPECT_EQ(pixel(32, 32), (rgb_t{0, 255, 0}));
        EXPECT_EQ(pixel(12, 32), (rgb_t{255, 0, 0}));
    }
}

// Fog takes a far surface toward the fog's colour by exp(-(density x distance)^2),
// through the program's fog on the programmable paths and the context's fog state on
// the fixed ones.
TEST_F(gl_draw, fog_moves_a_far_surface_toward_the_fog_colour) {
    SKIP_WITHOUT_GL();
    solid_texture("white.tga", 255, 255, 255);
    c_item_t *white = material("white.mat", "/effect/fw4/fw_dif", "    def textures {\n        texture_sampler: \"/t/white.tga\"\n    }\n");
    ASSERT_NE(white, nullptr);
    test_packets_t packets;
    look(packets);
    packets.light->ambient = {0.0f, 0.0f, 0.0f, 0.0f};
    packets.light->diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    const float density = 0.05f, distance = 20.0f;
    const float kept = std::exp(-(density * distance) * (density * distance));
    for (int32_t path : {14, 3}) {
        SCOPED_TRACE("path " + std::to_string(path));
        r_effect_set_path(path);
        for (float d : {0.0f, density}) {
            packets.fog->colour = {0.0f, 0.0f, 1.0f, d};
            gl_quad_t quad(white, &packets.array, -distance, 10.0f);
            ASSERT_TRUE(gfx_queue_proto(&quad.proto.proto));
            frame();
            const int grey = d == 0.0f ? 255 : int(std::lround(255 * kept));
            // Near the middle the distance is the quad's, within a step.
            EXPECT_TRUE(near_colour(pixel(32, 32), rgb_t{grey, grey, 255}, 4)) << "density " << d;
        }
    }
}

// A terrain piece of two layers: layer 1 over layer 0 by the alpha of the colour
// stream, from none at the left edge to all at the right.
TEST_F(gl_draw, a_terrain_piece_of_two_layers_blends_them_by_the_vertex_weights) {
    SKIP_WITHOUT_GL();
    solid_texture("grass.tga", 255, 0, 0);
    solid_texture("rock.tga", 0, 0, 255);
    c_item_t *ground = material("ground.mat", "/effect/fw4/fw_terrain",
                               "    pass: \"single_2l\"\n    def textures {\n"
                               "        def a {\n            sampler: \"texture_sampler[0]\"\n            file: \"/t/grass.tga\"\n        }\n"
                               "        def b {\n            sampler: \"texture_sampler[1]\"\n            file: \"/t/rock.tga\"\n        }\n"
                               "    }\n");
    ASSERT_NE(ground, nullptr);
    test_packets_t packets;
    look(packets);
    packets.light->ambient = {0.0f, 0.0f, 0.0f, 0.0f};
    packets.light->diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    for (int l = 0; l < 3; ++l) {
        packets.terrain->columns[l][0] = {1.0f, 0.0f, 0.0f, 0.0f};
        packets.terrain->columns[l][1] = {0.0f, 1.0f, 0.0f, 0.0f};
    }
    packets.array.set(FW_SLOT_TERRAIN_UV, packets.terrain.get());
    for (int32_t path : {14, 3}) {
        SCOPED_TRACE("path " + std::to_string(path));
        r_effect_set_path(path);
        // Grey 128 tints by 2 x 128 / 255: the layers keep their colour.
        gl_quad_t quad(ground, &packets.array, -2.0f);
        quad.colours(0x00808080u, 0x00808080u, 0xFF808080u, 0xFF808080u);
        ASSERT_TRUE(gfx_queue_proto(&quad.proto.proto));
        frame();
        const rgb_t left = pixel(6, 32), middle = pixel(32, 32), right = pixel(57, 32);
        EXPECT_GT(left.r, 230);
        EXPECT_LT(left.b, 25);
        EXPECT_GT(right.b, 230);
        EXPECT_LT(right.r, 25);
        EXPECT_TRUE(near_colour(middle, rgb_t{128, 0, 128}, 8));
    }
}

// A UI glyph run draws one box a character inside its rectangle (reference units over
// the view) and nothing outside it; spaces leave their cell empty.
TEST_F(gl_draw, a_glyph_run_covers_pixels_inside_its_rectangle_and_none_outside) {
    SKIP_WITHOUT_GL();
    r_queue_t *queue = gfx_queue_alloc();
    ASSERT_NE(queue, nullptr);
    r_ui_record_t run;
    run.kind = r_ui_record_t::GLYPHS;
    run.source = "/system/font/default.font";
    // x 16 to 48 and y 16 to 48 of the 64 pixels: four cells of 8 pixels.
    run.left = 256.0f;
    run.right = 768.0f;
    run.bottom = 192.0f;
    run.top = 576.0f;
    run.glyph_width = 128.0f;
    run.text = "AB D";
    run.tint = 0xFFFFFFFFu;
    ASSERT_TRUE(gfx_queue_ui(queue, run));
    gfx_begin_frame(device);
    r_view_t view;
    view.width = view.height = float(SIZE);
    gfx_clear(gl_context, view, 0xFF000000u);
    gfx_queue_render(gl_context, queue);
    gfx_end_frame(device);
    ASSERT_TRUE(device->read_pixels(frame_pixels, r_rect_t{0, 0, SIZE, SIZE}));
    gfx_queue_flush(queue);
    gfx_queue_free(queue);
    int inside = 0, third_cell = 0;
    for (int32_t y = 0; y < SIZE; ++y)
        for (int32_t x = 0; x < SIZE; ++x) {
            const bool lit = pixel(x, y).r > 0;
            if (x < 16 || x >= 48 || y < 16 || y >= 48) {
                EXPECT_FALSE(lit) << "outside the run at " << x << ", " << y;
                continue;
            }
            inside += lit;
            if (x >= 32 && x < 40) third_cell += lit;
        }
    EXPECT_GT(inside, 3 * 16) << "three boxes, each an outline of some pixels";
    EXPECT_EQ(third_cell, 0) << "the space draws nothing";
}

// A program that does not build is logged once with its info log; its prototypes are
// skipped, the others drawn, and frames go on.
TEST_F(gl_draw, a_program_that_does_not_build_is_logged_once_and_the_frame_completes) {
    SKIP_WITHOUT_GL();
    put("shader/fw_dif.glsl", "this is no GLSL;\n");
    fs_device_t *broken = ufs_mount(FS_DEVICE_DIRECTORY, dir.file("shader").c_str(), "/shader", true, 100);
    ASSERT_NE(broken, nullptr);
    solid_texture("white.tga", 255, 255, 255);
    c_item_t *lit = material("lit.mat", "/effect/fw4/fw_dif", "    def textures {\n        texture_sampler: \"/t/white.tga\"\n    }\n");
    c_item_t *flat = dry("flat.mat", 0x1);
    ASSERT_TRUE(lit && flat);
    test_packets_t packets;
    look(packets);
    for (int f = 0; f < 2; ++f) {
        gl_quad_t failing(lit, &packets.array, -2.0f, 0.5f), drawn(flat, &packets.array, -2.0f, 0.5f);
        failing.move(-0.5f, 0.0f);
        drawn.move(0.5f, 0.0f);
        drawn.colours(0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u);
        ASSERT_TRUE(gfx_queue_proto(&failing.proto.proto));
        ASSERT_TRUE(gfx_queue_proto(&drawn.proto.proto));
        frame();
        EXPECT_EQ(pixel(40, 32), (rgb_t{0, 255, 0})) << "the other prototype is drawn";
        EXPECT_EQ(pixel(24, 32), (rgb_t{0, 0, 0})) << "the failing one is skipped";
    }
    int told = 0;
    for (const auto &e : messages.entries())
        told += e.text.find("[gl] The program for 'fw_dif' pass 'default' on render path 14 does not build") !=
                std::string::npos;
    EXPECT_EQ(told, 1);
    ufs_unmount(broken);
}

}  // namespace
}  // namespace quarn::test
