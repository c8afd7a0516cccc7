#include "game/hunt/party_gifts.h"

#include <cmath>

#include "game/hunt/hunt_ctrl.h"
#include "game/player/player.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "kernel/console/cvars.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

QRN_UNIT_DEFINE(shake_gift_u, "shake_gift");
QRN_UNIT_DEFINE(speed_gift_u, "speed_gift");
QRN_UNIT_DEFINE(cloak_gift_u, "cloak_gift");
QRN_UNIT_DEFINE(handswap_gift_u, "handswap_gift");
QRN_UNIT_DEFINE(headstand_gift_u, "headstand_gift");

namespace {

constexpr float PI = 3.14159265f;
// The light whose rows the cloak fades, and the sun's, which it fades toward.
constexpr uint32_t CLOAKED_LIGHT = 5;
constexpr uint32_t SUN_LIGHT = 0;
constexpr float CLOAK_DIMMING = 0.3f;

void set_look_flags(bool swap_x, bool invert_y) {
    if (player_t *player = running_player()) {
        player->set_invert_x(swap_x);
        player->set_invert_y(invert_y);
    }
}

void set_gravity(float y) {
    hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    world_u *world = hunt ? hunt->get_world() : nullptr;
    if (physics_scene_t *scene = world ? world->get_physics_scene() : nullptr) scene->set_gravity({0.0f, y, 0.0f});
}

void set_view_roll(float radians) {
    hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    if (!hunt) return;
    quat_t rotation;
    rotation.set_axis_angle({0.0f, 0.0f, 1.0f}, radians);
    hunt->set_view_rotation(rotation);
}

}  // namespace

// ---- shake ----

void shake_gift_u::apply() {
    m_timer.start();
    m_next_beat = 0.0f;
}

void shake_gift_u::update(float dt) {
    if (!m_timer.step(dt)) return;
    m_next_beat -= dt;
    if (m_next_beat > 0.0f) return;
    play_effect_sound(BEAT_SOUND, GIFT_SOUND_VOLUME);
    if (player_t *player = running_player()) player->start_shake();
    m_next_beat = BEAT_INTERVAL;
}

// ---- speed ----

float speed_gift_u::speed_factor(float strength, float elapsed) {
    const float swing = (std::sin(2.0f * PI * elapsed) + 1.0f) * 0.5f;
    const float factor = 1.0f + 2.0f * strength * swing;
    return factor > LEAST_FACTOR ? factor : LEAST_FACTOR;
}

void speed_gift_u::update(float dt) {
    if (!m_timer.step(dt)) return;
    const float left = m_timer.remaining > 0.0f ? m_timer.remaining : 0.0f;
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current())
        hunt->set_target_speed_factor(speed_factor(m_timer.strength(), m_timer.total - left));
}

void speed_gift_u::remove() {
    m_timer.remaining = 0.0f;
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) hunt->set_target_speed_factor(1.0f);
}

// ---- cloak ----

void cloak_gift_u::update(float dt) {
    if (!m_timer.step(dt)) return;
    m_strength = m_timer.strength();
}

void cloak_gift_u::adjust_scene() {
    hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    fw4pp_light_u *light = hunt ? hunt->get_light_packet(CLOAKED_LIGHT) : nullptr;
    const fw4pp_light_u *sun = hunt ? hunt->get_light_packet(SUN_LIGHT) : nullptr;
    if (!light || !sun) return;
    const float s = m_strength;
    const float dim = 1.0f - CLOAK_DIMMING * s;
    const vec4_t &target = sun->ambient;
    vec4_t &row = light->ambient;
    row.x = (s * target.x + (1.0f - s) * row.x) * dim;
    row.y = (1.0f - s) * row.y + s * target.y;
    row.z = dim * ((1.0f - s) * row.z + s * target.z);
    row.w = (1.0f - s) * row.w + s * target.w;
    light->diffuse.x *= 1.0f - s;
    light->diffuse.y *= 1.0f - s;
    light->diffuse.z *= 1.0f - s;
}

// ---- hand swap ----

void handswap_gift_u::apply() {
    m_timer.start();
    set_look_flags(true, false);
    const cvar_t *language = cvar_get("g_lang");
    mstring_dyn_t path;
    path.printf(VOICE_FORMAT, language ? language->get_text() : "en_us");
    play_effect_sound(path.c_str(), GIFT_SOUND_VOLUME);
}

void handswap_gift_u::remove() {
    set_look_flags(false, false);
    m_timer.remaining = 0.0f;
}

// ---- headstand ----

void headstand_gift_u::apply() {
    m_timer.start();
    m_phase = PHASE_NONE;
}

void headstand_gift_u::update(float dt) {
    if (!m_timer.step(dt)) return;
    const float left = m_timer.remaining > 0.0f ? m_timer.remaining : 0.0f;
    const float gone = m_timer.total - left;
    if (gone < TURN_TIME) {
        const float turn = 2.0f * gone;
        set_view_roll(turn * turn * PI);
        if (m_phase != PHASE_TURNING) play_effect_sound(START_SOUND, GIFT_SOUND_VOLUME);
        m_phase = PHASE_TURNING;
    } else if (left >= TURN_TIME) {
        if (m_phase == PHASE_UPSIDE_DOWN) return;
        set_view_roll(PI);
        set_look_flags(true, true);
        set_gravity(UPSIDE_DOWN_GRAVITY);
        m_phase = PHASE_UPSIDE_DOWN;
    } else {
        const float turn = 2.0f * left;
        set_view_roll(2.0f * PI - turn * turn * PI);
        if (m_phase != PHASE_RETURNING) play_effect_sound(END_SOUND, GIFT_SOUND_VOLUME);
        m_phase = PHASE_RETURNING;
    }
}

void headstand_gift_u::remove() {
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) hunt->set_view_rotation(quat_t());
    set_look_flags(false, false);
    set_gravity(NORMAL_GRAVITY);
    m_timer.remaining = 0.0f;
}

}  // namespace quarn
