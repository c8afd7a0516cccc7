#pragma once
// The shader library drawing through the renderer plug-in "lib/gl" off-screen (EGL on
// Mesa's software rasteriser): the shader fixture, the graphics front-end, the
// archive stored in the program (the programs' sources, "/shader/"), and the
// plug-in's device in a small mode whose pixels the tests read back. A machine
// without OpenGL skips the tests that need pixels.
#include <cstdint>
#include <string>

#include "outside/qrnshared/r_queue.h"
#include "shader_fixture.h"
#include "support/message_capture.h"

namespace quarn::test {

struct rgb_t {
    int r = 0, g = 0, b = 0;
    bool operator==(const rgb_t &o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream &operator<<(std::ostream &out, const rgb_t &c);
// Equal within tolerance a channel: rasterisers may differ by a step or two.
::testing::AssertionResult near_colour(const rgb_t &got, const rgb_t &want, int tolerance = 3);

// A quad of four vertices (two triangles) at depth z, facing the camera (+z),
// x and y from -h to h, white, texture coordinates 0..1 (v 0 at the top).
struct gl_quad_t {
    gl_quad_t(c_item_t *material, r_parameter_array_t *array, float z, float h = 1.0f);
    // Every vertex's colour (0xAABBGGRR); per corner: bottom left, top left, top right,
    // bottom right.
    void colours(uint32_t bl, uint32_t tl, uint32_t tr, uint32_t br);
    void move(float dx, float dy) {
        for (int i = 0; i < 4; ++i) positions[i * 3] += dx, positions[i * 3 + 1] += dy;
    }

    float positions[12];
    float normals[12];
    uint32_t vertex_colours[4];
    float texcoords[8];
    uint16_t indices[6] = {0, 2, 1, 0, 3, 2};
    test_proto_t proto;
};

class gl_fixture_t : public shader_fixture_t {
protected:
    static constexpr int32_t SIZE = 64;

    void SetUp() override;
    void TearDown() override;

    // The plug-in drew: false (and the test skipped) without OpenGL.
    bool drawing() const { return live; }
    // A frame: begun, cleared to the colour, the queued prototypes drawn, ended.
    void frame(uint32_t clear = 0xFF000000u);
    // The pixel at x from the left, y from the top of the last frame.
    rgb_t pixel(int32_t x, int32_t y);
    // Writes a TGA of one colour ("/t/<name>").
    void solid_texture(const std::string &name, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
    // The camera packets look down -z from the origin, 60 degrees wide.
    void look(test_packets_t &packets);

    fs_device_t *builtin = nullptr;
    fs_archive_factory_t previous_factory = nullptr;
    r_device_t *device = nullptr;
    r_drawable_t *drawable = nullptr;
    r_context_t *gl_context = nullptr;
    bool live = false;
    uint8_t frame_pixels[SIZE * SIZE * 3] = {};
    message_capture_t messages;
};

}  // namespace quarn::test
