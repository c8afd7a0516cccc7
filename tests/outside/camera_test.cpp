// The renderer's current camera: which spheres and boxes its view volume sees.
#include <gtest/gtest.h>

#include "outside/visbase/camera.h"
#include "qrncore/geometry/projection.h"
#include "render_fixture.h"

namespace quarn::test {
namespace {

class camera_test : public render_fixture_t {};

TEST_F(camera_test, boxes_and_spheres_in_view) {
    // At the origin looking along -z: 90° wide, near 1, far 100.
    owner_ptr_t<pp_camera_u> camera(pp_camera_u::create());
    ASSERT_TRUE(camera);
    camera->set_placement(placement_t());
    r_frustum_projection_matrix(&camera->projection, {-1, 1, 1, -1}, 1, 100, 90, 1);
    gfx_camera_load(*camera);
    const struct {
        const char *name;
        aabox_t box;
        bool seen;
    } cases[] = {
        {"ahead", {{-1, -1, -11}, {1, 1, -9}}, true},
        {"behind", {{-1, -1, 9}, {1, 1, 11}}, false},
        {"far left", {{-60, -1, -11}, {-50, 1, -9}}, false},
        {"across the left plane", {{-12, -1, -11}, {-9, 1, -9}}, true},
        {"beyond the far plane", {{-1, -1, -120}, {1, 1, -110}}, false},
        {"around the camera", {{-5, -5, -5}, {5, 5, 5}}, true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(gfx_box_visible(c.box), c.seen) << c.name;
        // The box's bounding sphere agrees where the box lies clear of the planes.
        const vec3_t half = (c.box.max - c.box.min) * 0.5f;
        EXPECT_EQ(gfx_sphere_visible(sphere_t(c.box.get_center(), length(half)), mat4_t::identity()), c.seen)
            << c.name;
    }
}

}  // namespace
}  // namespace quarn::test
