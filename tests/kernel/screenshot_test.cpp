// Numbered PNG screenshots, read back through libpng, and the debug line cache. The
// last test drives the renderer plug-in "lib/gl" itself from loading to a screenshot
// of what it drew.
#include <gtest/gtest.h>

#include <cstring>
#include <png.h>

#include <string>
#include <vector>

#include "kernel/gfx/debug_lines.h"
#include "kernel/gfx/gfx.h"
#include "kernel/kernel_fixture.h"
#include "kernel/plugins.h"
#include "kernel/gfx/screenshot.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/visbase/visbase.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/dl_lib.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

// A home folder of its own at "/home", with "screenshots" in it.
class home_mount_t {
public:
    home_mount_t() {
        fs_startup();
        m_mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/home", false, 0);
        EXPECT_NE(m_mount, nullptr);
        EXPECT_TRUE(fs_mkdir("/home/screenshots", FS_REALM_VIRTUAL));
    }
    ~home_mount_t() {
        ufs_unmount(m_mount);
        fs_shutdown();
    }
    std::string shot(unsigned n) const {
        char name[64];
        snprintf(name, sizeof name, "screenshots/fernwold_%05u.png", n);
        return dir.file(name);
    }

    temp_dir_t dir;

private:
    fs_device_t *m_mount = nullptr;
};

// An image whose every pixel differs from its neighbours.
struct test_image_t {
    test_image_t(uint16_t w, uint16_t h) : pixels(size_t(w) * h * 3) {
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 13 + i / 7);
        image.width = w;
        image.height = h;
        image.format = r_image_t::FORMAT_RGB;
        image.pixels = pixels.data();
    }
    std::vector<uint8_t> pixels;
    r_image_t image;
};

// The RGB pixels of a PNG file; empty when libpng cannot read it.
std::vector<uint8_t> read_png(const std::string &path, uint32_t *width, uint32_t *height) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return {};
    png.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) return {};
    *width = png.width;
    *height = png.height;
    return pixels;
}

class screenshots : public ::testing::Test {
protected:
    void SetUp() override { screenshot_set_counter(0); }
    void TearDown() override { screenshot_set_counter(0); }

    home_mount_t home;
    message_capture_t log;
};

TEST_F(screenshots, the_png_reads_back_as_the_captured_image) {
    test_image_t shot(37, 5);
    ASSERT_TRUE(screenshot_save(&shot.image, SCREENSHOT_PATTERN));
    EXPECT_TRUE(log.contains("Screenshot written: '/home/screenshots/fernwold_00000.png'."));
    uint32_t w = 0, h = 0;
    const std::vector<uint8_t> back = read_png(home.shot(0), &w, &h);
    EXPECT_EQ(w, 37u);
    EXPECT_EQ(h, 5u);
    EXPECT_EQ(back, shot.pixels);
}

TEST_F(screenshots, numbering_skips_existing_files_and_goes_on_from_the_last) {
    for (unsigned n : {0, 1, 2}) ASSERT_TRUE(write_file(home.shot(n), "taken"));
    test_image_t shot(2, 2);
    ASSERT_TRUE(screenshot_save(&shot.image, SCREENSHOT_PATTERN));
    EXPECT_TRUE(log.contains("fernwold_00003.png"));
    EXPECT_EQ(screenshot_counter(), 4u);
    std::remove(home.shot(1).c_str());
    ASSERT_TRUE(screenshot_save(&shot.image, SCREENSHOT_PATTERN));
    EXPECT_TRUE(log.contains("fernwold_00004.png")) << "deleted numbers are not reused";
}

TEST_F(screenshots, the_numbers_stop_at_100000) {
    test_image_t shot(1, 1);
    screenshot_set_counter(SCREENSHOT_LIMIT - 1);
    ASSERT_TRUE(screenshot_save(&shot.image, SCREENSHOT_PATTERN));
    EXPECT_TRUE(log.contains("fernwold_99999.png"));
    EXPECT_FALSE(screenshot_save(&shot.image, SCREENSHOT_PATTERN));
    EXPECT_TRUE(log.contains("Refusing to create more screenshot images. (100000 limit exceeded)"));
}

TEST_F(screenshots, failures_are_reported) {
    test_image_t shot(1, 1);
    temp_dir_t locked;
    fs_device_t *ro = ufs_mount(FS_DEVICE_DIRECTORY, locked.path().c_str(), "/ro", true, 0);
    EXPECT_FALSE(screenshot_save(&shot.image, "/ro/shot_%u.png"));
    EXPECT_TRUE(log.contains("Unable to create screenshot file '/ro/shot_0.png'."));
    ufs_unmount(ro);
    r_image_t empty{};
    EXPECT_FALSE(screenshot_save(&empty, SCREENSHOT_PATTERN));
    EXPECT_TRUE(log.contains("Error writing screenshot image '/home/screenshots/fernwold_00001.png'."));
    EXPECT_FALSE(screenshot_save(&shot.image, "/home/screenshots/%s.png"));
}

TEST(screenshot_name, fills_the_one_number_of_the_pattern) {
    const struct {
        const char *pattern;
        uint32_t n;
        const char *expected;
    } cases[] = {
        {"/s/f_%05u.png", 42, "/s/f_00042.png"}, {"%u", 123456, "123456"}, {"a%%b%3u", 7, "a%b  7"},
        {"%d", 1, nullptr}, {"%u%u", 1, nullptr}, {"%", 1, nullptr},
    };
    for (const auto &c : cases) {
        char out[32];
        const bool ok = screenshot_name(out, sizeof out, c.pattern, c.n);
        EXPECT_EQ(ok, c.expected != nullptr) << c.pattern;
        if (ok) {
            EXPECT_STREQ(out, c.expected);
        }
    }
    char tiny[4];
    EXPECT_FALSE(screenshot_name(tiny, sizeof tiny, "%05u", 1));
}

// A context that records the strips it is asked to draw.
class line_context_t : public r_context_t {
public:
    line_context_t() : r_context_t(nullptr) {}
    void line_strip(const float *points, uint32_t count, uint32_t colour, const float *matrix) override {
        EXPECT_EQ(matrix, nullptr);
        strips.emplace_back(points, points + 3 * count);
        colours.push_back(colour);
    }
    std::vector<std::vector<float>> strips;
    std::vector<uint32_t> colours;
};

TEST(debug_lines, a_box_is_a_strip_of_ten_corners_and_three_lines) {
    line_context_t context;
    debug_lines_flush(&context);
    EXPECT_TRUE(context.strips.empty()) << "nothing queued: nothing drawn";

    const vec3_t centre{0, 0, 0}, size{2, 2, 2};
    debug_lines_add_box(&centre, &size, 0xffff0000);
    EXPECT_EQ(debug_lines_count(), 4u);
    debug_lines_flush(&context);
    EXPECT_EQ(debug_lines_count(), 0u);
    ASSERT_EQ(context.strips.size(), 4u);
    auto corner = [](int k) {
        return std::vector<float>{(k & 1) ? 1.0f : -1.0f, (k & 2) ? 1.0f : -1.0f, (k & 4) ? 1.0f : -1.0f};
    };
    auto points = [&](std::initializer_list<int> ks) {
        std::vector<float> out;
        for (int k : ks) {
            const std::vector<float> c = corner(k);
            out.insert(out.end(), c.begin(), c.end());
        }
        return out;
    };
    EXPECT_EQ(context.strips[0], points({0, 1, 3, 2, 0, 4, 5, 7, 6, 4}));
    EXPECT_EQ(context.strips[1], points({1, 5}));
    EXPECT_EQ(context.strips[2], points({2, 6}));
    EXPECT_EQ(context.strips[3], points({3, 7}));
    EXPECT_EQ(context.colours, (std::vector<uint32_t>(4, 0xffff0000)));
}

TEST(debug_lines, strips_take_their_matrix_or_the_world_matrix) {
    float shift[16] = {1, 0, 0, 10, 0, 1, 0, 20, 0, 0, 1, 30, 0, 0, 0, 1};
    const vec3_t a{1, 2, 3}, b{0, 0, 0};
    gfx_set_world_matrix(shift);
    debug_lines_add_line(&a, &b, 1, nullptr);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    gfx_set_world_matrix(identity);
    const mat4_t twice = [] {
        mat4_t m = mat4_t::identity();
        m[0] = m[5] = m[10] = 2;
        return m;
    }();
    debug_lines_add_strip(&a, 1, 2, &twice);
    line_context_t context;
    debug_lines_flush(&context);
    ASSERT_EQ(context.strips.size(), 2u);
    EXPECT_EQ(context.strips[0], (std::vector<float>{11, 22, 33, 10, 20, 30}));
    EXPECT_EQ(context.strips[1], (std::vector<float>{2, 4, 6}));
}

// The renderer plug-in as the program loads it, bound to this test program.
class gl_renderer : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        dll_table_forget();
        qrnshared_init(dl_lib_t::get_main_handle());
        visbase_init(dl_lib_t::get_main_handle());
        gfx_start();
        screenshot_set_counter(0);
    }
    void TearDown() override {
        kernel_fixture_t::TearDown();  // the plug-in's process goes, and the plug-in with it
        EXPECT_EQ(gfx_driver_count(), 0);
        gfx_stop();
        visbase_shutdown();
        qrnshared_shutdown();
        dll_table_forget();
    }

    home_mount_t home;
    message_capture_t log;
};

void save_shot(const r_image_t *image) { screenshot_save(image, SCREENSHOT_PATTERN); }

uint32_t fills = 0;
void count_fill(r_buffer_t *b, void *memory) {
    memset(memory, 0x5A, b->size);
    ++fills;
}

// From loading to a screenshot: the device draws off-screen (no display here) into a
// frame of the mode's size, reads it back, and the screenshot shows it upright (the
// corner cleared at the view's top left lies at the image's top left). A render buffer
// is made and filled at its first draw, not when its fill is set, with a context or
// without (the scenario tests' pictures show buffers filled when drawn).
TEST_F(gl_renderer, draws_off_screen_reads_its_frame_and_takes_upright_screenshots) {
    ASSERT_NE(dll_register((test_bin_dir() + "/lib/gl").c_str()), nullptr);
    EXPECT_TRUE(log.contains("[gl] renderer registered"));
    r_driver_t *driver = gfx_driver_enum("gl");
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(gfx_device_count(driver), 1);
    r_device_t *device = gfx_device_enum(driver, "gl");
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->device_class, hw_device_t::GRAPHICS);
    gfx_init_devices();
    EXPECT_NE(process_get("__rend_proc"), nullptr);
    ASSERT_TRUE(gfx_device_init(device));
    gfx_set_rendering_device(device);
    fills = 0;
    r_buffer_t *buffer = gfx_alloc_buffer(3, 256);
    gfx_buffer_set_fill(buffer, count_fill, nullptr);
    EXPECT_EQ(fills, 0u) << "no context yet: the buffer is made when it can be";

    ASSERT_GE(gfx_mode_count(device), 1);
    r_mode_t mode;
    ASSERT_TRUE(gfx_mode_get(device, 0, &mode));
    EXPECT_GT(mode.width, 0);
    const r_mode_t wanted{40, 30, 32, 60, 0};
    ASSERT_TRUE(gfx_mode_init(device, &wanted, nullptr, 0));
    r_drawable_t *drawable = gfx_drawable_create(device, nullptr, 0);
    ASSERT_NE(drawable, nullptr);
    int w = 0, h = 0;
    ASSERT_TRUE(gfx_drawable_get_size(drawable, &w, &h));
    EXPECT_EQ(w, 40) << "the mode gives the frame's size";
    EXPECT_EQ(h, 30);
    r_context_t *context = gfx_drawable_context(drawable);
    if (!log.contains("[gl] OpenGL ")) {
        EXPECT_TRUE(log.contains("[gl] No OpenGL ("));
        gfx_drawable_destroy(drawable);
        gfx_free_buffer(buffer);
        gfx_shutdown_devices();
        GTEST_SKIP() << "no OpenGL here: the renderer records only";
    }
    EXPECT_TRUE(log.contains("off-screen"));
    gfx_buffer_set_fill(buffer, count_fill, nullptr);
    EXPECT_EQ(fills, 0u) << "with a context too, the store waits for the buffer's first draw";

    gfx_begin_frame(device);
    r_view_t whole;
    whole.width = 40.0f;
    whole.height = 30.0f;
    gfx_clear(context, whole, 0xFF0000FFu);
    r_view_t corner;
    corner.width = 10.0f;
    corner.height = 5.0f;
    gfx_clear(context, corner, 0xFF00FF00u);
    gfx_end_frame(device);
    gfx_screen_capture(save_shot);
    gfx_try_capture(context);
    EXPECT_EQ(gfx_swapbuffers(context), 1);
    uint32_t pw = 0, ph = 0;
    const std::vector<uint8_t> back = read_png(home.shot(0), &pw, &ph);
    ASSERT_EQ(pw, 40u);
    ASSERT_EQ(ph, 30u);
    for (uint32_t y = 0; y < ph; ++y)
        for (uint32_t x = 0; x < pw; ++x) {
            const uint8_t *p = &back[(y * pw + x) * 3];
            const bool green = x < 10 && y < 5;
            ASSERT_EQ(p[0], green ? 0 : 255) << x << ", " << y;
            ASSERT_EQ(p[1], green ? 255 : 0) << x << ", " << y;
            ASSERT_EQ(p[2], 0) << x << ", " << y;
        }
    gfx_drawable_destroy(drawable);
    gfx_free_buffer(buffer);
    gfx_shutdown_devices();
    EXPECT_EQ(device->state, hw_device_t::SHUT_DOWN);
}

}  // namespace
}  // namespace quarn::test
