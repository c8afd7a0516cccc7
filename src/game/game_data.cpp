#include "game/game_data.h"

#include <cmath>
#include <numbers>

namespace quarn {

namespace {

constinit game_data_t *session_data = nullptr;

}  // namespace

void game_data_t::apply_view(frustum_t &frustum) const {
    frustum.set_fov(fov);
    frustum.set_far_plane(far_plane);
    frustum.set_near_plane(near_plane);
}

float game_data_t::camera_zoom_factor(const frustum_t &view) {
    constexpr float degrees = std::numbers::pi_v<float> / 180.0f;
    return std::tan(30.0f * degrees) / std::tan(view.get_fov() * 0.5f * degrees);
}

game_data_t *get_game_data() { return session_data; }

void set_game_data(game_data_t *data) { session_data = data; }

}  // namespace quarn
