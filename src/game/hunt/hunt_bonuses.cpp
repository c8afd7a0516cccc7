#include "game/hunt/hunt_bonuses.h"

#include "game/game_data.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/hunt/hunt_hud.h"
#include "game/player/player.h"
#include "game/weapons/weapon.h"
#include "game/world/environment.h"
#include "game/world/fog.h"

namespace quarn {

QRN_UNIT_DEFINE(quick_shooter_bonus_u, "quick_shooter_bonus");
QRN_UNIT_DEFINE_ABSTRACT(weapon_bonus_u, "weapon_bonus");
QRN_UNIT_DEFINE(weapon_3030_bonus_u, "weapon_3030_bonus");
QRN_UNIT_DEFINE(weapon_7mm_bonus_u, "weapon_7mm_bonus");
QRN_UNIT_DEFINE(extended_clip_bonus_u, "extended_clip_bonus");
QRN_UNIT_DEFINE(sunglasses_bonus_u, "sunglasses_bonus");

namespace {

constexpr float BASE_FOV = 60.0f;
// The light packets whose every row the tint darkens, and the one whose first row it
// brightens.
constexpr uint32_t TINTED_LIGHTS[] = {0, 1, 2, 3, 4, 7};
constexpr uint32_t HIGHLIGHT_LIGHT = 5;

void tint_row(vec4_t &row, float red_green, float blue) {
    row.x *= red_green;
    row.y *= red_green;
    row.z *= blue;
}

void announce(const char *voice) {
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) hunt->play_voiceover_named(voice, true);
}

void show_slot(uint32_t slot, const expire_timer_t *timer, const char *label = nullptr) {
    if (hunt_hud_t *hud = running_hud()) hud->set_bonus(slot, timer != nullptr, timer, label);
}

void set_fov(float fov) {
    if (game_data_t *data = running_game_data()) data->fov = fov;
}

}  // namespace

void tint_scene(const scene_tint_t &tint) {
    hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    if (!hunt) return;
    for (uint32_t index : TINTED_LIGHTS) {
        fw4pp_light_u *light = hunt->get_light_packet(index);
        if (!light) continue;
        tint_row(light->ambient, tint.red_green, tint.blue);
        tint_row(light->diffuse, tint.red_green, tint.blue);
        tint_row(light->specular, tint.red_green, tint.blue);
    }
    if (fw4pp_light_u *light = hunt->get_light_packet(HIGHLIGHT_LIGHT))
        tint_row(light->ambient, tint.highlight, tint.highlight);
    pp_fog_u *packet = hunt->get_fog_packet();
    const environment_u *environment = hunt->get_environment();
    const fog_u *fog = environment ? environment->get_fog() : nullptr;
    if (!packet || !fog) return;
    const vec3_t &colour = fog->get_color();
    packet->set_colour({colour.x * tint.red_green, colour.y * tint.red_green, colour.z * tint.blue});
    if (tint.fog_intensity >= 0.0f) packet->set_intensity(fog->get_intensity() * tint.fog_intensity);
}

// ---- quick shooter ----

void quick_shooter_bonus_u::apply() {
    m_timer.start();
    show_slot(hunt_hud_t::SLOT_QUICK_SHOOTER, &m_timer);
    announce(VOICE);
}

void quick_shooter_bonus_u::update(float dt) {
    m_timer.step(dt);
    m_strength = m_timer.strength();
    if (player_t *player = running_player()) player->set_weapon_time_scale(1.0f + m_strength);
}

void quick_shooter_bonus_u::remove() {
    if (player_t *player = running_player()) player->set_weapon_time_scale(1.0f);
    show_slot(hunt_hud_t::SLOT_QUICK_SHOOTER, nullptr);
}

// ---- weapons ----

void weapon_bonus_u::apply() {
    m_timer.start();
    if (player_t *player = running_player()) player->set_next_weapon(get_weapon_name());
    show_slot(hunt_hud_t::SLOT_WEAPON, &m_timer, get_bonus_name());
    announce(VOICE);
}

void weapon_bonus_u::remove() {
    // An empty name is the player's default rifle.
    if (player_t *player = running_player()) player->set_next_weapon("");
    show_slot(hunt_hud_t::SLOT_WEAPON, nullptr);
}

// ---- extended clip ----

void extended_clip_bonus_u::apply() {
    m_timer.start();
    show_slot(hunt_hud_t::SLOT_EXTENDED_CLIP, &m_timer);
    announce(VOICE);
}

void extended_clip_bonus_u::give_back() {
    if (weapon_u *weapon = m_weapon.get()) weapon->set_clip_size(m_saved_clip_size);
    m_weapon.reset();
}

void extended_clip_bonus_u::update(float dt) {
    if (!m_timer.step(dt)) return;
    weapon_u *held = running_weapon();
    if (held == m_weapon.get()) return;
    give_back();
    // Without a rifle in hand there is nothing to enlarge until one is taken.
    if (!held) return;
    m_weapon = held;
    m_saved_clip_size = held->get_ammo_max();
    held->set_clip_size(2 * m_saved_clip_size);
    held->set_clip(2 * m_saved_clip_size);
}

void extended_clip_bonus_u::remove() {
    give_back();
    show_slot(hunt_hud_t::SLOT_EXTENDED_CLIP, nullptr);
}

void extended_clip_bonus_u::on_destroy() { m_weapon.reset(); }

weapon_u *extended_clip_bonus_u::get_weapon() const { return m_weapon.get(); }

// ---- sunglasses ----

void sunglasses_bonus_u::apply() {
    m_applied = true;
    m_timer.start();
    show_slot(hunt_hud_t::SLOT_SUNGLASSES, &m_timer);
    announce(VOICE);
}

void sunglasses_bonus_u::update(float dt) {
    if (!m_timer.step(dt)) return;
    m_strength = m_timer.strength();
    set_fov(BASE_FOV * (1.0f - m_strength) + ZOOMED_FOV * m_strength);
}

void sunglasses_bonus_u::remove() {
    m_applied = false;
    set_fov(BASE_FOV);
    show_slot(hunt_hud_t::SLOT_SUNGLASSES, nullptr);
}

void sunglasses_bonus_u::on_destroy() {
    if (m_applied) remove();
}

void sunglasses_bonus_u::adjust_scene() {
    const float s = m_strength;
    scene_tint_t tint;
    tint.red_green = 1.0f - s * 0.5f;
    tint.blue = 1.0f - s;
    tint.highlight = 1.0f + s * 0.5f;
    tint.fog_intensity = 1.0f - 0.3f * s;
    tint_scene(tint);
}

}  // namespace quarn
