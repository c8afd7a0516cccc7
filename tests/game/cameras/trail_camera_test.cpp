// The round's intro flight: along the trail, the glide to the hunter's eye, the jump on
// a key, and the intro screen it opens and lets go.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "camera_fixture.h"
#include "game/world/trail.h"
#include "qrncore/math/ypr.h"

namespace quarn::test {
namespace {

class trail_camera : public camera_fixture_t {
protected:
    void SetUp() override {
        camera_fixture_t::SetUp();
        start_scene(flat_map());
        ctrl->player.eye = placement_t({20, 3, 30}, quat_from({90, -10, 0}));
    }
    static quat_t quat_from(const ypr_t &ypr) {
        quat_t q;
        q.set(ypr);
        return q;
    }
    // A camera on a straight trail of 10 along x at height 2 (the flight covers 10 a
    // second at speed 1), attached.
    std::unique_ptr<trail_camera_t> attached_camera() {
        auto camera = trail_camera_t::create(make_trail({{0, 2, 0}, {10, 2, 0}}), screen_of);
        EXPECT_NE(camera, nullptr);
        if (camera) camera->on_attached();
        return camera;
    }
    bool has_call(const std::string &call) const { return std::count(ui.calls.begin(), ui.calls.end(), call) == 1; }
};

void expect_near(const vec3_t &a, const vec3_t &b, float tolerance = 1e-3f) {
    EXPECT_LT(length(a - b), tolerance) << a.x << " " << a.y << " " << a.z << " / " << b.x << " " << b.y << " " << b.z;
}

TEST_F(trail_camera, flies_the_trail_then_glides_to_the_eye_and_finishes) {
    auto camera = attached_camera();
    ASSERT_NE(camera, nullptr);
    expect_near(camera->get_placement().position, {0, 2, 0});
    EXPECT_TRUE(has_call("insert game/start_round 0 /ui/gstart.esc"));
    EXPECT_TRUE(has_call("show game/start_round 0"));
    EXPECT_EQ(screen.camera, camera.get());

    // Along the trail: the camera eases after the follower, never past it.
    float last_x = 0.0f;
    int steps = 0;
    while (!camera->is_finishing() && steps < 100) {
        camera->update(0.125f);
        ++steps;
        const vec3_t p = camera->get_placement().position;
        EXPECT_GE(p.x, last_x);
        EXPECT_LE(p.x, camera->get_follower()->get_placement().position.x + 1e-4f);
        EXPECT_NEAR(p.y, 2.0f, 1e-4f);
        last_x = p.x;
    }
    // 10 units at 10 a second: the follower stands on the end after 8 steps and knows
    // it is there at the step after.
    EXPECT_GE(steps, 8);
    EXPECT_LE(steps, 9);
    EXPECT_TRUE(camera->get_follower()->is_at_end());
    EXPECT_EQ(camera->get_blend(), 0.0f);
    const placement_t from = camera->get_placement();

    // The glide: 0.3 a second, the position along a smoothstep of the blend.
    const placement_t eye = ctrl->player.eye;
    steps = 0;
    while (!camera->is_finished() && steps < 1000) {
        camera->update(0.1f);
        ++steps;
        const float b = camera->get_blend();
        const float w = b * b * (3 - 2 * b);
        expect_near(camera->get_placement().position, lerp(from.position, eye.position, w));
        if (!camera->is_finished()) {
            EXPECT_NE(camera->get_start_window(), nullptr);
        }
    }
    EXPECT_NEAR(steps * 0.1f, 1.0f / 0.3f, 0.1f) << "1 / 0.3 seconds";
    expect_near(camera->get_placement().position, eye.position);
    EXPECT_NEAR(std::fabs(camera->get_placement().rotation.dot(eye.rotation)), 1.0f, 1e-5f);
    // The end lets the screen go: it forgets the camera, the window is hidden and no
    // longer held.
    EXPECT_EQ(screen.calls, (std::vector<std::string>{"camera", "none"}));
    EXPECT_EQ(screen.camera, nullptr);
    EXPECT_TRUE(has_call("hide game/start_round"));
    EXPECT_EQ(camera->get_start_window(), nullptr);
    camera->update(0.1f);
    EXPECT_TRUE(has_call("hide game/start_round")) << "hidden once";
}

TEST_F(trail_camera, a_key_jumps_to_the_eye_and_the_next_update_finishes) {
    auto camera = attached_camera();
    ASSERT_NE(camera, nullptr);
    for (int i = 0; i < 4; ++i) camera->update(0.1f);
    const placement_t mid = camera->get_placement();

    camera->reset_interpolation();
    EXPECT_FALSE(camera->is_finished()) << "not before the update";
    expect_near(camera->get_placement().position, mid.position);
    camera->update(0.1f);
    EXPECT_TRUE(camera->is_finished());
    expect_near(camera->get_placement().position, ctrl->player.eye.position);
    EXPECT_TRUE(has_call("hide game/start_round"));
    EXPECT_EQ(screen.camera, nullptr);

    // Only the first call counts; the camera stays with the eye as it moves.
    camera->reset_interpolation();
    ctrl->player.eye.position = {21, 3, 30};
    camera->update(0.1f);
    EXPECT_TRUE(camera->is_finished());
    expect_near(camera->get_placement().position, {21, 3, 30});
}

TEST_F(trail_camera, a_key_during_the_glide_jumps_as_well) {
    auto camera = attached_camera();
    ASSERT_NE(camera, nullptr);
    for (int i = 0; i < 15; ++i) camera->update(0.1f);
    ASSERT_TRUE(camera->is_finishing());
    ASSERT_GT(camera->get_blend(), 0.0f);
    camera->reset_interpolation();
    camera->update(0.1f);
    EXPECT_TRUE(camera->is_finished());
    expect_near(camera->get_placement().position, ctrl->player.eye.position);
}

TEST_F(trail_camera, a_trail_without_a_segment_gives_no_camera) {
    EXPECT_EQ(trail_camera_t::create(make_trail({{1, 2, 3}}), screen_of), nullptr);
    EXPECT_EQ(trail_camera_t::create(nullptr, screen_of), nullptr);
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(trail_camera, a_camera_deleted_in_flight_lets_the_screen_go) {
    auto camera = attached_camera();
    ASSERT_NE(camera, nullptr);
    camera->update(0.1f);
    camera.reset();
    EXPECT_EQ(screen.camera, nullptr);
    EXPECT_TRUE(has_call("hide game/start_round"));
}

TEST_F(trail_camera, without_a_screen_the_camera_flies_all_the_same) {
    current_screen = nullptr;  // the window's handler is no intro screen
    auto camera = attached_camera();
    ASSERT_NE(camera, nullptr);
    EXPECT_TRUE(has_call("show game/start_round 0"));
    ui.refuse = true;  // and no window at all
    session->close_all_windows();
    auto second = trail_camera_t::create(make_trail({{0, 2, 0}, {10, 2, 0}}), screen_of);
    ASSERT_NE(second, nullptr);
    second->on_attached();
    EXPECT_EQ(second->get_start_window(), nullptr);
    for (int i = 0; i < 50 && !second->is_finished(); ++i) second->update(0.1f);
    EXPECT_TRUE(second->is_finished());
    expect_near(second->get_placement().position, ctrl->player.eye.position);
}

}  // namespace
}  // namespace quarn::test
