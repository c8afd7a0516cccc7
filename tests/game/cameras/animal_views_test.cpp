// The menu and screensaver views: the animal each starts its camera on, the warning
// without one, the 30-second shots, and the camera in the scene's update list.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "camera_fixture.h"
#include "game/cameras/animal_views.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

class animal_views : public camera_fixture_t {
protected:
    // The view queued and updated once, as the scene does it.
    void start(animal_view_t &view) {
        view.on_attached();
        ctrl->apply_list_changes();
        view.update(0.1f);
    }
    bool queued(const updatable_t *object) const {
        for (const updatable_t *o : ctrl->get_update_list())
            if (o == object) return true;
        return false;
    }
};

TEST_F(animal_views, each_view_follows_its_animal_or_none) {
    enum view_kind_t { MENU, SCREENSAVER };
    const struct {
        const char *name;
        view_kind_t view;
        int animals;
        int removed;   // this animal has left the scene (-1: none)
        int expected;  // the index followed among the live animals; -1 none
        bool warned;
    } cases[] = {
        {"menu draws", MENU, 4, -1, -2, false},  // -2: the seeded generator's draw
        {"menu without animals", MENU, 0, -1, -1, false},
        {"screensaver takes the first", SCREENSAVER, 3, -1, 0, false},
        {"screensaver skips a removed first", SCREENSAVER, 3, 0, 0, false},
        {"screensaver without animals", SCREENSAVER, 0, -1, -1, true},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        start_scene(flat_map());
        std::vector<std::string> names;
        for (int i = 0; i < k.animals; ++i) names.push_back("a" + std::to_string(i));
        std::vector<fake_animal_t *> made = names.empty() ? std::vector<fake_animal_t *>() : add_animals(names);
        std::vector<fake_animal_t *> live;
        for (int i = 0; i < int(made.size()); ++i) {
            made[size_t(i)]->position = {10.0f + 10.0f * float(i), 0.0f, 32.0f};
            if (i == k.removed) made[size_t(i)]->set_removed();
            else live.push_back(made[size_t(i)]);
        }
        ctrl->get_random().seed = 4321;
        int expected = k.expected;
        if (expected == -2) {
            randomizer_t r{4321};
            expected = int(r.rand_u(uint32_t(live.size())));
        }

        message_capture_t log;
        std::unique_ptr<animal_view_t> view;
        if (k.view == MENU) view = std::make_unique<menu_view_t>();
        else view = std::make_unique<screensaver_view_t>();
        start(*view);
        EXPECT_TRUE(queued(&view->get_camera())) << "the camera is in the update list";
        EXPECT_TRUE(view->is_started());
        if (expected < 0) EXPECT_EQ(view->get_camera().get_target(), nullptr);
        else EXPECT_EQ(view->get_camera().get_target(), live[size_t(expected)]);
        EXPECT_EQ(log.contains("Unable to find requested animal."), k.warned);

        // Only the first update chooses.
        if (!live.empty()) {
            ctrl->get_random().seed = 99;
            view->update(0.1f);
            EXPECT_EQ(view->get_camera().get_target(), live[size_t(expected)]);
        }
        // A view that goes takes its camera out of the list.
        const updatable_t *camera = &view->get_camera();
        view.reset();
        ctrl->apply_list_changes();
        EXPECT_FALSE(queued(camera));
    }
}

TEST_F(animal_views, the_views_hold_every_shot_for_30_seconds_and_show_the_camera) {
    for (int screensaver = 0; screensaver < 2; ++screensaver) {
        start_scene(flat_map());
        add_animals({"deer"}).at(0)->position = {32, 0, 32};
        std::unique_ptr<animal_view_t> view;
        if (screensaver) view = std::make_unique<screensaver_view_t>();
        else view = std::make_unique<menu_view_t>();
        start(*view);
        animal_camera_t &camera = view->get_camera();
        ASSERT_NE(camera.get_target(), nullptr);
        for (int shot = 0; shot < 3; ++shot) {
            EXPECT_EQ(camera.get_shot_length(), 30.0f);
            const uint32_t shots = camera.get_shot_count();
            int steps = 0;
            while (camera.get_shot_count() == shots && steps < 1000) {
                camera.update(0.25f);
                ++steps;
            }
            EXPECT_EQ(steps, 121) << "the first step past 30 s";
        }
        // The view is the camera.
        EXPECT_EQ(view->get_placement().position, camera.get_placement().position);
        EXPECT_NEAR(std::fabs(view->get_rotation().dot(camera.get_placement().rotation)), 1.0f, 1e-6f);
        EXPECT_EQ(view->get_frustum(), camera.get_frustum());
        const float distance = length(camera.get_shot_position() - camera.get_target()->get_position());
        if (camera.get_shot_kind() != animal_camera_t::SHOT_RIDING) {
            EXPECT_GE(distance, 8.0f - 1e-3f);
        }
    }
}

}  // namespace
}  // namespace quarn::test
