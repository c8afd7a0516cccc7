// The animal camera on a flat meadow: the zoom, the cuts and the sun behind the camera,
// riding shots, and spots picked where there is no ground.
#include <gtest/gtest.h>

#include <cmath>

#include "camera_fixture.h"
#include "game/cameras/animal_camera.h"
#include "game/game_data.h"
#include "game/scene/current_ctrl.h"
#include "game/world/environment.h"
#include "game/world/sun.h"
#include "kernel/sys.h"
#include "qrncore/math/ypr.h"

namespace quarn::test {
namespace {

// Counts its black flashes instead of painting them.
class counting_camera_t : public animal_camera_t {
public:
    int flashes = 0;

protected:
    void flash_cut() override { ++flashes; }
};

class animal_camera : public camera_fixture_t {
protected:
    void SetUp() override {
        camera_fixture_t::SetUp();
        start_scene(flat_map());
        deer = add_animals({"deer"}).at(0);
        deer->position = {32, 0, 32};
    }
    // The scene's next shot kind becomes the kind.
    void next_kind(uint32_t kind) {
        for (uint32_t seed = 0;; ++seed) {
            randomizer_t r{seed};
            if (r.rand_u(animal_camera_t::SHOT_KINDS) == kind) {
                ctrl->get_random().seed = seed;
                return;
            }
        }
    }
    // Follows the deer with a first shot of the kind.
    void follow(animal_camera_t &camera, uint32_t kind = animal_camera_t::SHOT_TRACKING) {
        next_kind(kind);
        camera.follow(deer, 1.0f);
        ASSERT_EQ(camera.get_shot_kind(), kind);
    }
    // Updates with the step until the camera cuts (the shot count grows); the number
    // of updates, or 0 after max_steps without a cut.
    static int steps_to_cut(animal_camera_t &camera, float dt, int max_steps) {
        const uint32_t shots = camera.get_shot_count();
        for (int i = 1; i <= max_steps; ++i) {
            camera.update(dt);
            if (camera.get_shot_count() != shots) return i;
        }
        return 0;
    }
    float sun_azimuth() const { return ctrl->get_environment()->get_sun()->get_azimuth(); }
    // The camera's yaw + 150, against the sun's azimuth (both modulo 360).
    void expect_sun_behind(const animal_camera_t &camera) const {
        const float expected = camera.get_placement().rotation.get_ypr().yaw + animal_camera_t::SUN_OFFSET;
        EXPECT_NEAR(std::remainder(sun_azimuth() - expected, 360.0f), 0.0f, 1e-3f);
    }

    fake_animal_t *deer = nullptr;
};

TEST_F(animal_camera, a_zooming_shot_closes_toward_45_degrees_and_gives_the_view_back) {
    game_data_t &data = session->get_game_data();
    const struct {
        float dt;
        int steps;
        float expected;
        float tolerance;
    } cases[] = {
        {1.0f / 30.0f, 30, 54.06f, 0.05f},  // 1 s at 30 frames a second
        {1.0f / 30.0f, 3000, 45.0f, 1e-3f},  // 100 s
        {0.0f, 1, 60.0f, 0.0f},              // no time, no zoom
        {5.0f, 1, 45.0f, 0.0f},              // a step longer than two seconds stops at 45
    };
    for (const auto &k : cases) {
        data.fov = 60.0f;
        counting_camera_t camera;
        camera.shot_min_time = camera.shot_max_time = 1000.0f;
        follow(camera, animal_camera_t::SHOT_ZOOMING);
        EXPECT_EQ(camera.get_zoom_fov(), 60.0f);
        float lowest = 60.0f;
        for (int i = 0; i < k.steps; ++i) {
            camera.update(k.dt);
            lowest = std::min(lowest, camera.get_zoom_fov());
        }
        EXPECT_NEAR(camera.get_zoom_fov(), k.expected, k.tolerance) << k.dt << " x " << k.steps;
        EXPECT_GE(lowest, 45.0f);
        EXPECT_EQ(data.fov, camera.get_zoom_fov()) << "the game's view zooms";
        EXPECT_EQ(camera.get_frustum()->get_fov(), data.fov);
        EXPECT_EQ(camera.get_shot_count(), 1u);
        camera.follow(nullptr, 0.0f);
        EXPECT_EQ(data.fov, 60.0f) << "given back";
    }
}

TEST_F(animal_camera, a_shot_of_another_kind_films_with_the_saved_view) {
    game_data_t &data = session->get_game_data();
    data.fov = 70.0f;
    counting_camera_t camera;
    follow(camera, animal_camera_t::SHOT_ZOOMING);
    for (int i = 0; i < 30; ++i) camera.update(0.1f);
    ASSERT_LT(data.fov, 70.0f);
    camera.begin_shot(animal_camera_t::SHOT_TRACKING, true);
    EXPECT_EQ(data.fov, 70.0f);
}

TEST_F(animal_camera, cuts_come_from_sight_length_and_nearness_with_the_sun_behind) {
    enum what_t { HIDDEN, SEEN, NEAR };
    const struct {
        const char *name;
        what_t what;
        float length;  // of every shot
        int cut_step;  // at 0.25 s a step
    } cases[] = {
        // The sight is tested every 0.5 s; hidden for more than 4 s cuts at 4.25 s.
        {"hidden", HIDDEN, 60.0f, 17},
        // A shot of 22 s ends at the first step past 22 s, with the animal in view.
        {"22 s in view", SEEN, 22.0f, 89},
        // Nearer than 0.9 × the minimum distance: the cut comes once the shot ran 4 s.
        {"near", NEAR, 60.0f, 16},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        deer->position = {32, k.what == HIDDEN ? -5.0f : 0.0f, 32};
        counting_camera_t camera;
        camera.shot_min_time = camera.shot_max_time = k.length;
        follow(camera);
        EXPECT_EQ(camera.get_shot_length(), k.length);
        EXPECT_EQ(camera.flashes, 0) << "the first shot starts without a flash";
        expect_sun_behind(camera);
        if (k.what == NEAR) {
            const vec3_t spot = camera.get_shot_position();
            deer->position = {spot.x + 1.0f, 0.0f, spot.z};
        }
        EXPECT_EQ(steps_to_cut(camera, 0.25f, 200), k.cut_step);
        EXPECT_EQ(camera.flashes, 1);
        EXPECT_EQ(camera.get_shot_time(), 0.0f);
        EXPECT_EQ(camera.get_hidden_time(), 0.0f);
        expect_sun_behind(camera);
        // A cut is a jump: the placement is the new shot's.
        const placement_t p = camera.get_placement();
        EXPECT_LT(length(p.position - camera.get_shot_position()), 0.2f) << "one smoothing step at most";
    }
}

TEST_F(animal_camera, the_sun_follows_every_cut) {
    counting_camera_t camera;
    camera.shot_min_time = camera.shot_max_time = 1.0f;
    follow(camera);
    for (int cut = 0; cut < 12; ++cut) {
        ASSERT_GT(steps_to_cut(camera, 0.25f, 10), 0);
        expect_sun_behind(camera);
    }
    EXPECT_EQ(camera.flashes, 12);
}

TEST_F(animal_camera, a_riding_shot_takes_its_side_and_offset_from_the_draws) {
    const struct {
        float draw;
        float side;
    } sides[] = {{0.0f, -1.0f}, {0.25f, -1.0f}, {0.4999f, -1.0f}, {0.5f, 0.0f}, {0.5001f, 1.0f}, {0.99f, 1.0f}};
    for (const auto &s : sides) EXPECT_EQ(animal_camera_t::ride_side(s.draw), s.side) << s.draw;

    counting_camera_t camera;
    follow(camera);
    for (int shot = 0; shot < 4; ++shot) {
        sys_reset_random();
        for (int skip = 0; skip < shot * 3; ++skip) sys_rand();
        const float side = animal_camera_t::ride_side(sys_rand());
        const float r1 = sys_rand(), r2 = sys_rand(), r3 = sys_rand();
        sys_reset_random();
        for (int skip = 0; skip < shot * 3; ++skip) sys_rand();
        camera.begin_shot(animal_camera_t::SHOT_RIDING, false);
        EXPECT_FLOAT_EQ(camera.get_ride_yaw(), r1 * 90.0f * side);
        EXPECT_FLOAT_EQ(camera.get_ride_distance(), 5.0f + r2 * 5.0f);
        EXPECT_FLOAT_EQ(camera.get_ride_height(), 1.0f + r3);
        const vec3_t offset = camera.get_shot_position() - deer->position;
        EXPECT_NEAR(offset.y, camera.get_ride_height(), 1e-3f) << "above the ground";
        EXPECT_NEAR(std::hypot(offset.x, offset.z), camera.get_ride_distance(), 1e-3f);
    }

    // The offset stays fixed in the world while the animal walks.
    const vec3_t offset = camera.get_shot_position() - deer->position;
    for (int i = 0; i < 10; ++i) {
        deer->position = deer->position + vec3_t{0.3f, 0.0f, 0.2f};
        camera.update(0.1f);
        const vec3_t now = camera.get_shot_position() - deer->position;
        EXPECT_NEAR(now.x, offset.x, 1e-3f);
        EXPECT_NEAR(now.z, offset.z, 1e-3f);
    }
}

TEST_F(animal_camera, with_no_ground_around_the_animal_the_spot_picking_ends) {
    // Beyond the map: no probe finds ground. The first shot stands over the animal.
    deer->position = {500, 3, 500};
    counting_camera_t camera;
    sys_reset_random();
    follow(camera);
    EXPECT_EQ(camera.get_shot_position(), (vec3_t{500, 4, 500}));
    // Two draws a try, then the shot's length: the picking stopped after its bound.
    const float after = sys_rand();
    sys_reset_random();
    for (int i = 0; i < 2 * animal_camera_t::SPOT_TRIES + 1; ++i) sys_rand();
    EXPECT_EQ(after, sys_rand());
    for (int i = 0; i < 20; ++i) camera.update(0.1f);
    const placement_t p = camera.get_placement();
    EXPECT_TRUE(std::isfinite(p.position.x) && std::isfinite(p.position.y) && std::isfinite(p.position.z));
    EXPECT_TRUE(std::isfinite(p.rotation.w));

    // Over ground first, then off the map: a later shot keeps the spot it had.
    deer->position = {32, 0, 32};
    counting_camera_t second;
    follow(second);
    const vec3_t spot = second.get_shot_position();
    EXPECT_GE(spot.y, 1.0f);
    deer->position = {500, 0, 500};
    second.begin_shot(animal_camera_t::SHOT_TRACKING, true);
    EXPECT_EQ(second.get_shot_position(), spot);
}

}  // namespace
}  // namespace quarn::test

namespace quarn::test {
namespace {

TEST(animal_head_point, without_a_head_bone_it_stands_ahead_and_above_turned_with_the_animal) {
    const struct {
        float yaw;
        float height;
        vec3_t expected;  // from the position (1, 2, 3)
    } cases[] = {
        {0.0f, 2.0f, {1.0f, 3.4f, 1.4f}},    // ahead is -z
        {90.0f, 2.0f, {-0.6f, 3.4f, 3.0f}},  // yaw 90 looks along -x
        {180.0f, 1.0f, {1.0f, 2.7f, 3.8f}},
        {0.0f, 0.0f, {1.0f, 2.0f, 3.0f}},
    };
    for (const auto &k : cases) {
        quat_t rotation;
        rotation.set(ypr_t(k.yaw, 0.0f, 0.0f));
        const vec3_t head = ai_animal_t::fallback_head_point({1, 2, 3}, rotation, k.height);
        EXPECT_LT(length(head - k.expected), 1e-4f) << k.yaw << " " << k.height;
    }
}

}  // namespace
}  // namespace quarn::test
