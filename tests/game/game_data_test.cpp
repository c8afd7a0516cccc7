// The game data's view settings: what a new game starts with, how a frustum takes
// them, and the zoom factor of a view.
#include <gtest/gtest.h>

#include "game/game_data.h"

namespace quarn::test {
namespace {

TEST(game_data, a_frustum_takes_the_view_settings_and_the_zoom_is_one_at_sixty_degrees) {
    game_data_t data;
    EXPECT_EQ(data.mode, game_data_t::MODE_IDLE);
    EXPECT_EQ(data.round_index, 1u);
    EXPECT_FALSE(data.expert);
    EXPECT_EQ(data.look_sensitivity, 1.0f);
    EXPECT_EQ(data.first_person_fov, 60.0f);

    frustum_t frustum;
    data.apply_view(frustum);
    EXPECT_EQ(frustum.get_fov(), 60.0f);
    EXPECT_EQ(frustum.get_near_plane(), 0.1f);
    EXPECT_EQ(frustum.get_far_plane(), 1000.0f);
    EXPECT_FLOAT_EQ(game_data_t::camera_zoom_factor(frustum), 1.0f);

    data.fov = 90.0f;
    data.near_plane = 0.5f;
    data.far_plane = 400.0f;
    data.apply_view(frustum);
    EXPECT_EQ(frustum.get_fov(), 90.0f);
    EXPECT_EQ(frustum.get_near_plane(), 0.5f);
    EXPECT_EQ(frustum.get_far_plane(), 400.0f);
    EXPECT_NEAR(game_data_t::camera_zoom_factor(frustum), 0.57735f, 1e-5f);  // tan 30° / tan 45°
    frustum.set_fov(30.0f);
    EXPECT_NEAR(game_data_t::camera_zoom_factor(frustum), 2.1547f, 1e-4f);  // zoomed in
}

TEST(game_data, the_session_data_is_what_was_set_last) {
    EXPECT_EQ(get_game_data(), nullptr);
    game_data_t data;
    set_game_data(&data);
    EXPECT_EQ(get_game_data(), &data);
    set_game_data(nullptr);
    EXPECT_EQ(get_game_data(), nullptr);
}

}  // namespace
}  // namespace quarn::test
