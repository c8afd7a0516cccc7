#include "gl_fixture.h"

#include <cstdlib>
#include <ostream>
#include <vector>

#include "embedded_archive.h"
#include "game/visuals/shaders/shaderlib.h"
#include "kernel/gfx/gfx.h"
#include "kernel/plugins.h"
#include "outside/qrnshared/ui/zml.h"
#include "outside/visbase/visbase.h"
#include "qrncore/geometry/projection.h"
#include "qrncore/qrnutils/hbmp/tga.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/system/dl_lib.h"
#include "support/test_paths.h"

namespace quarn::test {

std::ostream &operator<<(std::ostream &out, const rgb_t &c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

::testing::AssertionResult near_colour(const rgb_t &got, const rgb_t &want, int tolerance) {
    if (std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
        std::abs(got.b - want.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << got.r << ", " << got.g << ", " << got.b << "), want (" << want.r
                                         << ", " << want.g << ", " << want.b << ") within " << tolerance;
}

gl_quad_t::gl_quad_t(c_item_t *material, r_parameter_array_t *array, float z, float h) : proto(material, array) {
    // Bottom left, top left, top right, bottom right.
    const float p[12] = {-h, -h, z, -h, h, z, h, h, z, h, -h, z};
    const float t[8] = {0, 1, 0, 0, 1, 0, 1, 1};
    for (int i = 0; i < 12; ++i) positions[i] = p[i];
    for (int i = 0; i < 4; ++i) {
        normals[i * 3] = normals[i * 3 + 1] = 0.0f;
        normals[i * 3 + 2] = 1.0f;
        vertex_colours[i] = 0xFFFFFFFFu;
    }
    for (int i = 0; i < 8; ++i) texcoords[i] = t[i];
    r_geometry_t &g = proto.geometry;
    g.positions = positions;
    g.normals = normals;
    g.colours = vertex_colours;
    g.texcoords = texcoords;
    g.indices = indices;
    g.vertex_count = 4;
    g.index_count = 6;
}

void gl_quad_t::colours(uint32_t bl, uint32_t tl, uint32_t tr, uint32_t br) {
    vertex_colours[0] = bl;
    vertex_colours[1] = tl;
    vertex_colours[2] = tr;
    vertex_colours[3] = br;
}

void gl_fixture_t::SetUp() {
    shader_fixture_t::SetUp();
    previous_factory = fs_set_archive_factory(zip_device_create);
    builtin = ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
    ASSERT_NE(builtin, nullptr);
    visbase_init(dl_lib_t::get_main_handle());
    gfx_start();
    ASSERT_NE(dll_register((test_bin_dir() + "/lib/gl").c_str()), nullptr);
    device = gfx_device_enum(gfx_driver_enum("gl"), "gl");
    ASSERT_NE(device, nullptr);
    gfx_init_devices();
    ASSERT_TRUE(gfx_device_init(device));
    gfx_set_rendering_device(device);
    const r_mode_t mode{SIZE, SIZE, 32, 60, 0};
    ASSERT_TRUE(gfx_mode_init(device, &mode, nullptr, 0));
    drawable = gfx_drawable_create(device, nullptr, 0);
    ASSERT_NE(drawable, nullptr);
    gl_context = gfx_drawable_context(drawable);
    live = messages.contains("[gl] OpenGL");
    r_view_t view;
    view.width = view.height = float(SIZE);
    gfx_view_set(view);
}

void gl_fixture_t::TearDown() {
    if (drawable) gfx_drawable_destroy(drawable);
    gfx_shutdown_devices();
    gfx_set_rendering_device(nullptr);
    // The fonts the renderer asked the text layer for (glyph runs) are the kernel's
    // resources: they go before it.
    zml_shutdown();
    shader_fixture_t::TearDown();
    gfx_stop();
    visbase_shutdown();
    dll_table_forget();
    if (builtin) ufs_unmount(builtin);
    fs_set_archive_factory(previous_factory);
    gfx_view_set(r_view_t());
}

void gl_fixture_t::frame(uint32_t clear) {
    gfx_begin_frame(device);
    r_view_t view;
    view.width = view.height = float(SIZE);
    gfx_clear(gl_context, view, clear);
    shaderlib_queue_render_and_flush(gl_context);
    gfx_end_frame(device);
    EXPECT_TRUE(device->read_pixels(frame_pixels, r_rect_t{0, 0, SIZE, SIZE}));
    gfx_swapbuffers(gl_context);
}

rgb_t gl_fixture_t::pixel(int32_t x, int32_t y) {
    // The frame's rows come bottom first.
    const uint8_t *p = frame_pixels + (size_t(SIZE - 1 - y) * SIZE + size_t(x)) * 3;
    return {p[0], p[1], p[2]};
}

void gl_fixture_t::solid_texture(const std::string &name, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    std::vector<uint8_t> rgba(4 * 4 * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) rgba[i] = r, rgba[i + 1] = g, rgba[i + 2] = b, rgba[i + 3] = a;
    std::vector<uint8_t> file(tga_compress_size(4, 4, HBMP_RGBA));
    ASSERT_TRUE(tga_compress(file.data(), rgba.data(), 4, 4, HBMP_RGBA));
    put(name, std::string(file.begin(), file.end()));
}

void gl_fixture_t::look(test_packets_t &packets) {
    const rectangle_t<float> rect{0.0f, float(SIZE), float(SIZE), 0.0f};
    r_frustum_projection_matrix(&packets.camera->projection, rect, 0.5f, 100.0f, 60.0f, 0.0f);
    packets.camera->set_placement(placement_t());
}

}  // namespace quarn::test
