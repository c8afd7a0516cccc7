#include <gtest/gtest.h>

#include <string>

#include "launcher_fakes.h"
#include "tools/kickup/src/exceptions.h"
#include "tools/kickup/src/opengl_device.h"
#include "tools/kickup/src/settings.h"

namespace quarn::kickup {
namespace {

using fakes::fake_display_t;
using fakes::fake_gl_connector_t;
using fakes::mode;

// The "opengl" section of a database; paths is the body of "path".
std::unique_ptr<settings_file_t> opengl_db(const std::string &paths, const std::string &extra = "") {
    return settings_parse("\"opengl\" {\n\"minimum_display_mode\" : \"640x480x16x0\"\n" + extra + "\"path\" {\n" + paths +
                              "}\n}\n",
                          "db");
}

// Render paths a, b and c (ids 3, 6, 10): b asks for an extension, c for four texture
// units; fb1 and fb2 (ids 1, 2) are fallbacks.
const std::string PATHS =
    "\"hw_query_ids\" {\n\"units\" : \"84E2\"\n}\n"
    "\"hw_queries\" {\n"
    "\"cube\" {\n\"type\" : \"presence\"\n\"query_id\" : \"GL_ARB_texture_cube_map\"\n}\n"
    "\"units\" {\n\"type\" : \"int\"\n\"query_id\" : \"units\"\n}\n"
    "\"odd\" {\n\"type\" : \"funny\"\n}\n"
    "}\n"
    "\"render_paths\" {\n"
    "\"fb1\" {\n\"path_id\" : \"1\"\n\"fallback\" : \"1\"\n}\n"
    "\"a\" {\n\"path_id\" : \"3\"\n\"description_id\" : \"520\"\n}\n"
    "\"b\" {\n\"path_id\" : \"6\"\n\"description_id\" : \"522\"\n\"queries\" {\n\"cube\" : \"0\"\n}\n}\n"
    "\"c\" {\n\"path_id\" : \"10\"\n\"description_id\" : \"999\"\n\"queries\" {\n\"cube\" : \"0\"\n\"units\" : \"4\"\n}\n}\n"
    "\"fb2\" {\n\"path_id\" : \"2\"\n\"fallback\" : \"1\"\n}\n"
    "}\n";

class launcher_opengl : public ::testing::Test {
protected:
    launcher_opengl() { display.listed = {mode(800, 600, 32, 60)}; }

    std::unique_ptr<opengl_device_t> probe(const settings_file_t &db) {
        return opengl_device_t::probe(gl, display, db.get_section("opengl"));
    }
    // The probe's failure text, or "" when it succeeds.
    std::string probe_failure(const settings_file_t &db) {
        try {
            probe(db);
        } catch (const base_exception_t &e) {
            return e.type_name() + ": " + e.message();
        }
        return "";
    }
    static std::string ids(const render_device_t &d) {
        std::string out;
        for (const render_path_t *p : d.paths_by_priority()) out += (out.empty() ? "" : " ") + std::to_string(p->id);
        return out + " default " + (d.default_path() ? std::to_string(d.default_path()->id) : "none");
    }

    fake_gl_connector_t gl;
    fake_display_t display;
};

TEST_F(launcher_opengl, the_probe_reads_the_driver_and_releases_its_context) {
    gl.driver.integers[0x84E2] = 4;
    gl.driver.extensions = "  GL_ARB_texture_cube_map\tGL_EXT_abgr \n GL_ARB_multitexture ";
    const auto device = probe(*opengl_db(PATHS));
    EXPECT_EQ(gl.open_contexts, 0);
    EXPECT_EQ(device->vendor(), "Fake Vendor");
    EXPECT_EQ(device->renderer_name(), "Fake Renderer");
    EXPECT_EQ(device->driver_version(), "2.1 Fake");
    EXPECT_EQ(device->device_name(), "gl");
    EXPECT_EQ(device->device_type(), 1);
    EXPECT_EQ(device->extensions(), (std::set<std::string>{"GL_ARB_texture_cube_map", "GL_EXT_abgr", "GL_ARB_multitexture"}));
    // Every path qualifies: the list runs from the last in the file to the first, and
    // the last is the default. Fallbacks stay aside.
    EXPECT_EQ(ids(*device), "10 6 3 default 10");
    EXPECT_EQ(device->find_path(6)->name, "b");
    EXPECT_EQ(device->find_path(6)->description, "Besser");
    EXPECT_EQ(device->find_path(10)->description, "[999] resource id");
    EXPECT_EQ(device->find_path(1), nullptr);
}

TEST_F(launcher_opengl, paths_qualify_by_their_queries) {
    const std::string preselect_b = "\"preselections\" {\n\"Fake Renderer\" : \"b\"\n}\n";
    const std::string preselect_c = "\"preselections\" {\n\"Fake Renderer\" : \"c\"\n}\n";
    const std::string preselect_other = "\"preselections\" {\n\"Fake Renderer 2\" : \"a\"\n}\n";
    const std::string only_fallbacks =
        "\"render_paths\" {\n\"x\" {\n\"path_id\" : \"1\"\n\"fallback\" : \"1\"\n}\n\"y\" {\n\"path_id\" : \"2\"\n"
        "\"fallback\" : \"1\"\n}\n\"z\" {\n\"path_id\" : \"3\"\n\"queries\" {\n\"cube\" : \"0\"\n}\n}\n}\n";
    const struct {
        const char *what;
        std::string extensions;
        int32_t units;
        std::string paths;
        std::string expected;
    } cases[] = {
        {"too few units for c", "GL_ARB_texture_cube_map", 3, PATHS, "6 3 default 6"},
        {"an int answer below zero", "GL_ARB_texture_cube_map", -4, PATHS, "6 3 default 6"},
        {"no cube maps", "", 8, PATHS, "3 default 3"},
        {"preselected b", "GL_ARB_texture_cube_map", 8, PATHS + preselect_b, "10 6 3 default 6"},
        {"preselected c, which does not qualify", "GL_ARB_texture_cube_map", 2, PATHS + preselect_c, "6 3 default 6"},
        {"a preselection of another renderer", "GL_ARB_texture_cube_map", 8, PATHS + preselect_other, "10 6 3 default 10"},
        {"only fallbacks qualify", "", 0, only_fallbacks, "2 1 default 2"},
    };
    for (const auto &c : cases) {
        gl.driver.extensions = c.extensions;
        gl.driver.integers[0x84E2] = c.units;
        const std::string paths = c.paths.find("hw_queries") == std::string::npos
                                      ? PATHS.substr(0, PATHS.find("\"render_paths\"")) + c.paths
                                      : c.paths;
        EXPECT_EQ(ids(*probe(*opengl_db(paths))), c.expected) << c.what;
    }
}

TEST_F(launcher_opengl, failures_leave_no_device_and_no_context) {
    const std::string odd_path =
        PATHS.substr(0, PATHS.find("\"render_paths\"")) +
        "\"render_paths\" {\n\"o\" {\n\"path_id\" : \"3\"\n\"queries\" {\n\"odd\" : \"0\"\n}\n}\n}\n";
    const std::string untyped =
        "\"render_paths\" {\n\"o\" {\n\"path_id\" : \"3\"\n\"queries\" {\n\"nowhere\" : \"0\"\n}\n}\n}\n";
    const std::string bad_id = "\"render_paths\" {\n\"o\" {\n\"path_id\" : \"three\"\n}\n}\n";
    EXPECT_EQ(probe_failure(*opengl_db(odd_path)), "render_device_init_exception_t: Query type unknown [funny]");
    EXPECT_EQ(probe_failure(*opengl_db(untyped)), "render_device_init_exception_t: Query type unknown []");
    EXPECT_EQ(probe_failure(*opengl_db("")), "render_device_init_exception_t: No render paths detected.");
    EXPECT_EQ(probe_failure(*opengl_db(bad_id)),
              "settings_fetch_exception_t: invalid unsigned value for key [path_id] in section [o]");
    display.listed = {mode(320, 200, 32, 60), mode(640, 480, 8, 60)};
    EXPECT_EQ(probe_failure(*opengl_db(PATHS)), "render_device_init_exception_t: No display modes detected.");
    EXPECT_EQ(gl.open_contexts, 0);
}

std::string mode_texts(const render_device_t &d) {
    std::string out;
    for (const display_mode_t &m : d.modes()) out += (out.empty() ? "" : " ") + display_mode_text(m);
    return out;
}

TEST_F(launcher_opengl, each_size_and_depth_is_offered_at_the_default_rate_first) {
    display.listed = {mode(640, 480, 16, 60), mode(640, 480, 16, 75), mode(800, 600, 16, 60)};
    auto device = probe(*opengl_db(PATHS));
    EXPECT_EQ(mode_texts(*device), "640x480x16x0 640x480x16x60 640x480x16x75 800x600x16x0 800x600x16x60");
    EXPECT_EQ(device->modes()[2].number, 1);  // the display's own numbering
    EXPECT_EQ(device->modes()[3].number, 0);

    // Below the minimum is dropped; a listed default rate is offered once.
    display.listed = {mode(1024, 768, 32, 0), mode(1024, 768, 32, 60), mode(512, 384, 32, 60), mode(640, 480, 8, 60),
                      mode(640, 480, 32, 0)};
    device = probe(*opengl_db(PATHS));
    EXPECT_EQ(mode_texts(*device), "1024x768x32x0 1024x768x32x60 640x480x32x0");
}

TEST_F(launcher_opengl, recommended_and_default_modes) {
    const std::string three = "\"recommended_display_modes\" {\n\"0\" : \"800x600x32x0\"\n\"1\" : \"1024x768x32x0\"\n\"x\" : \"1\"\n}\n";
    const auto device = probe(*opengl_db(PATHS, three));
    ASSERT_EQ(device->recommended_mode_count(), 3u);
    EXPECT_EQ(display_mode_text(device->recommended_mode(1)), "1024x768x32x0");
    EXPECT_EQ(display_mode_text(device->recommended_mode(2)), "800x600x32x0");  // key "2" missing
    EXPECT_EQ(display_mode_text(device->recommended_mode(7)), "800x600x32x0");  // beyond the last: the last
    EXPECT_EQ(display_mode_text(device->minimum_mode()), "640x480x16x0");
    const auto none = probe(*opengl_db(PATHS));
    EXPECT_EQ(display_mode_text(none->recommended_mode(1)), "800x600x32x0");

    // Smaller than the desktop in any way: the recommended mode; else the desktop's.
    display.desktop = mode(1024, 768, 32, 75);
    EXPECT_EQ(display_mode_text(device->default_mode(display, 0)), "800x600x32x0");
    EXPECT_EQ(display_mode_text(device->default_mode(display, 1)), "1024x768x32x75");
    display.desktop = mode(1024, 768, 16, 60);
    EXPECT_EQ(display_mode_text(device->default_mode(display, 1)), "1024x768x16x60");
    display.has_desktop = false;
    EXPECT_EQ(display_mode_text(device->default_mode(display, 1)), "1024x768x32x0");
}

TEST(launcher_display_modes, text_forms) {
    const struct {
        const char *text, *read;
    } cases[] = {
        {"800x600x32x0", "800x600x32x0"},
        {"1024,768,16,75", "1024x768x16x75"},  // any separator
        {"640x480", "640x480x0x0"},            // short: the rest is 0
        {"", "0x0x0x0"},
        {"1280x1024xbadx60", "1280x1024x0x0"},  // reading stops at the first bad number
        {" 800x 600x32x0", "800x600x32x0"},
    };
    for (const auto &c : cases) EXPECT_EQ(display_mode_text(display_mode_from_text(c.text)), c.read) << c.text;
}

}  // namespace
}  // namespace quarn::kickup
