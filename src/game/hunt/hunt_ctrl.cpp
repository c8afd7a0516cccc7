#include "game/hunt/hunt_ctrl.h"

#include <strings.h>

#include <algorithm>
#include <cmath>

#include "game/game_data.h"
#include "game/game_module.h"
#include "game/cameras/trail_camera.h"
#include "game/hunt/hunt_bonus.h"
#include "game/hunt/hunt_hud.h"
#include "game/hunt/hunter.h"
#include "game/round/round_logic.h"
#include "game/scene/current_ctrl.h"
#include "game/session/front_end_session.h"
#include "game/session/score.h"
#include "game/session/window_desc.h"
#include "game/visuals/effects/simple_shadow.h"
#include "game/visuals/shaders/dry.h"
#include "game/voiceover/voiceover.h"
#include "game/world/landscape.h"
#include "game/world/environment.h"
#include "game/world/grass.h"
#include "game/world/start_point.h"
#include "game/world/sun.h"
#include "game/world/trail.h"
#include "game/world/world.h"
#include "game/one_shot_sound.h"
#include "kernel/console/cvars.h"
#include "kernel/gfx/gfx.h"
#include "kernel/input/input.h"
#include "kernel/sound/sound.h"
#include "outside/qrnshared/ui/ui.h"
#include "qrncore/system/cpu.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

QRN_UNIT_DEFINE(hunt_ctrl_u, "hunt_ctrl");

namespace {

// Sound kinds of the front-end's creators: a plain effect, and one that keeps its
// play request while it is not heard (a loop).
constexpr uint32_t SOUND_PLAIN = 0;
constexpr uint32_t SOUND_LOOP = sound_u::KEEP;
// The probe masks: the start point's drop to the ground, and the hunter's.
constexpr int START_GROUND_MASK = 9;
constexpr int HUNTER_GROUND_MASK = 10;
constexpr float HUNTER_EYE_LIFT = 0.5f;
constexpr uint32_t BLACK = 0xff000000u;
constexpr float AMBIENT_RETURN_RATE = 0.1f;
constexpr float AMBIENT_DAMPING = 0.9f;
constexpr float AUDIBLE_VOLUME = 0.01f;
constexpr float NOON = 12.0f;
// The set whose camera and fog packets the shadows take (camera 1, fog).
constexpr uint32_t SHADOW_PACKET_SET = 1;

sound_u *sound_of(const owner_ptr_t<unit_base_t> &held) { return static_cast<sound_u *>(held.get()); }

void set_volume(sound_u *sound, float volume) {
    if (!sound) return;
    sound->attributes.volume = volume;
    sound->set_flag(sound_u::CHANGED, true);
}

void stop_sound(sound_u *sound) {
    if (!sound || !sound->has_flag(sound_u::PLAY_REQUESTED)) return;
    sound->set_flag(sound_u::PLAY_REQUESTED, false);
    sound->set_flag(sound_u::CHANGED, true);
}

}  // namespace

void hunt_ctrl_u::intro_deleter_t::operator()(trail_camera_t *view) const { delete view; }
void hunt_ctrl_u::hunter_deleter_t::operator()(hunter_t *hunter) const { delete hunter; }

uint32_t hunt_ctrl_u::ragdoll_base_for(unsigned mhz) {
    const uint32_t base = mhz / RAGDOLL_MHZ;
    return base ? base : 1;
}

void hunt_ctrl_u::on_construct() {
    m_round = round_logic_u::create();
    m_round_score = score_u::create();
    if (auto *make = game_module_factory<hunter_factory_fn_t>(HUNTER_FACTORY)) m_player.reset(make(*this));
    if (!m_player) {
        error("[game] The hunt has no hunter: no '%s' row makes one", HUNTER_FACTORY);
        m_no_player_logged = true;
    }

    if (m_player) {
        if (world_u *world = get_world()) m_player->attach_to_scene(world->get_physics_scene());
        add_list_object(m_player.get());
        push_view(m_player.get());
    }
    m_danger_sound.reset(_snd_create(DANGER_SOUND, SOUND_PLAIN, SOUND_TAG));
    set_volume(sound_of(m_danger_sound), 0.0f);

    if (score_u *score = get_round_score()) {
        if (const game_data_t *data = get_game_data())
            score->round = data->is_party_mode() ? data->party_round : data->round_index;
    }
    set_ragdoll_base(ragdoll_base_for(cpu_get_cpu_speed()));
}

void hunt_ctrl_u::teardown_scene() {
    // The round's targets leave the target list with the round, before the scene's
    // lists go.
    m_round.reset();
    m_bonuses.clear();
    m_fever_bonus = nullptr;
    m_gift.reset();
    m_danger_sound.reset();
    m_ambient_loop.reset();
    m_shadow_batch.reset();
    m_pending_voice.reset();
    m_round_score.reset();
    // The hunter's avatar leaves the world's physics scene before the world goes.
    if (m_player) m_player->attach_to_scene(nullptr);
    game_ctrl_u::teardown_scene();
    // The lists no longer hold them.
    m_intro_view.reset();
    m_retired_intro.reset();
    m_player.reset();
    if (m_impulses_on) {
        inp_handle_impulses(false);
        m_impulses_on = false;
    }
}

hunt_ctrl_u *hunt_ctrl_u::current() { return unit_cast<hunt_ctrl_u>(get_current_ctrl()); }

bool hunt_ctrl_u::is_expert() const {
    const game_data_t *data = get_game_data();
    return data && data->expert;
}

bool hunt_ctrl_u::is_party() const {
    const game_data_t *data = get_game_data();
    return data && data->is_party_mode();
}

round_logic_u *hunt_ctrl_u::get_round() const { return unit_cast<round_logic_u>(m_round.get()); }
score_u *hunt_ctrl_u::get_round_score() const { return unit_cast<score_u>(m_round_score.get()); }
sound_u *hunt_ctrl_u::get_danger_sound() const { return sound_of(m_danger_sound); }
party_gift_u *hunt_ctrl_u::get_gift() const { return unit_cast<party_gift_u>(m_gift.get()); }
voiceover_u *hunt_ctrl_u::get_pending_voice() const {
    return unit_cast<voiceover_u>(m_pending_voice.get());
}
simple_shadow_u *hunt_ctrl_u::get_shadow_batch() const { return unit_cast<simple_shadow_u>(m_shadow_batch.get()); }
hunt_bonus_u *hunt_ctrl_u::get_bonus(uint32_t i) const {
    return i < m_bonuses.get_count() ? unit_cast<hunt_bonus_u>(m_bonuses[i].get()) : nullptr;
}

scene_object_t *hunt_ctrl_u::get_player() { return m_player.get(); }

uint32_t hunt_ctrl_u::get_kill_limit() const {
    const round_logic_u *round = get_round();
    return round ? round->kill_limit : 0;
}

// ---- the round ----

const score_table_u *hunt_ctrl_u::get_high_score_table() const {
    const front_end_session_t *session = get_front_end_session();
    return session ? session->get_high_scores() : nullptr;
}

bool hunt_ctrl_u::load_round(owner_ptr_ret_t<round_logic_u> taken) {
    m_round = std::move(taken);
    round_logic_u *round = get_round();
    if (!round) {
        error("[game] The hunt was given no round");
        return false;
    }
    const char *map_name = round->map_name.c_str();
    mstring_dyn_t folder;
    if (!front_end_session_t::make_map_dir(folder, map_name)) {
        error("[game] The round's map name '%s' makes no map folder", map_name);
        return false;
    }
    load_world(folder.c_str());
    if (game_data_t *data = get_game_data()) data->map_name = round->map_name;
    if (!round->resolve_trails()) return false;

    flash_color(BLACK, -1.0f, 1.0f);

    if (environment_u *environment = get_environment()) {
        environment->apply_view_distance(false);
        apply_weather(map_name, round->weather_name.c_str());
        environment->set_time_of_day(NOON);
        // The round is played at noon: the clock stands still while it runs.
        environment->freeze_time();
        if (sun_u *sun = environment->get_sun()) sun->set_azimuth(round->sun_azimuth);
    }

    if (!round->ambient_loop.is_empty()) {
        m_ambient_loop.reset(_snd_create(round->ambient_loop.c_str(), SOUND_LOOP, SOUND_TAG));
        if (sound_u *loop = sound_of(m_ambient_loop)) {
            set_volume(loop, 0.0f);
            loop->play();
        }
        m_ambient_gain = 1.0f;
    }

    array_dyn_t<owner_ptr_t<unit_base_t>> starts;
    if (!load_start_points(starts, map_name)) {
        error("[game] Failed to load start points");
        return false;
    }
    if (starts.is_empty()) {
        error("[game] Missing start points");
        return false;
    }
    // A start point that is not found leaves the hunter where it is; the clock and
    // the intro are still set, so the round can end.
    place_at_start(starts, round->start_point_name.c_str());

    m_time_limit = m_time_left = is_party() ? PARTY_TIME_LIMIT : float(round->time_limit);

    if (!round->cameras.is_empty()) start_intro();
    return true;
}

void hunt_ctrl_u::place_at_start(const array_dyn_t<owner_ptr_t<unit_base_t>> &starts, const char *start_name) {
    const start_point_u *start = nullptr;
    for (const owner_ptr_t<unit_base_t> &unit : starts) {
        auto *point = unit_cast<start_point_u>(unit.get());
        mstring_dyn_t name;
        if (point && point->get_name(name) && strcasecmp(name.c_str(), start_name) == 0) {
            start = point;
            break;
        }
    }
    if (!start) {
        error("[game] Start point (%s) not found", start_name);
        return;
    }
    placement_scale_t placement = start->get_placement();
    if (world_u *world = get_world()) {
        physics_ray_hit_t hit;
        if (world->find_ground(hit, placement.position, START_GROUND_MASK)) placement.position = hit.position;
    }
    if (!m_player) return;
    m_player->set_position(placement.position);
    m_player->set_rotation(placement.rotation);
    m_player->set_yaw_range(start);
}

void hunt_ctrl_u::start_intro() {
    round_logic_u *round = get_round();
    const uint32_t pick = get_random().rand_u(round->cameras.get_count());
    const char *name = round->cameras[pick].c_str();
    trail_u *trail = unit_cast<trail_u>(unit_system_t::find_unit(name));
    if (!trail || !trail->is_alive()) {
        error("[game] Invalid camera trail name %s.", name);
        return;
    }
    // A trail the camera cannot fly (fewer than two nodes) skips the intro.
    m_intro_view.reset(trail_camera_t::create(trail).release());
    if (!m_intro_view) return;
    add_list_object(m_intro_view.get());
    push_view(m_intro_view.get());
}

void hunt_ctrl_u::end_intro() {
    pop_view(m_intro_view.get());
    remove_list_object(m_intro_view.get());
    // The update list lets go of it at its next change; until then it must live.
    m_retired_intro = std::move(m_intro_view);
    flash_color(BLACK, -1.0f, 0.5f);
    inp_reset_keycode_queue();
}

void hunt_ctrl_u::activate() {
    load_hookup_file(ITEMS_PATH);
    game_ctrl_u::activate();
    snd_set_current_tag(SOUND_TAG);
    // The hunter's look and trigger are impulses; outside a hunt (the menus) keys
    // stay keys.
    if (!m_impulses_on) {
        inp_handle_impulses(true);
        m_impulses_on = true;
    }

    world_u *world = get_world();
    if (m_player && world) {
        physics_ray_hit_t hit;
        vec3_t probe = m_player->get_position();
        if (world->find_ground(hit, probe, HUNTER_GROUND_MASK)) {
            m_player->set_position(hit.position + vec3_t{0.0f, HUNTER_EYE_LIFT, 0.0f});
        } else {
            m_player->set_position({0.0f, 100.0f, 0.0f});
            probe = {0.1f, 100.0f, 0.1f};
            if (world->find_ground(hit, probe, HUNTER_GROUND_MASK))
                m_player->set_position(hit.position + vec3_t{0.0f, HUNTER_EYE_LIFT, 0.0f});
        }
    }
    // The grass around the hunter is there from the first frame.
    const environment_u *environment = get_environment();
    grass_u *grass = environment ? environment->get_grass() : nullptr;
    if (grass && m_player) grass->update_cells(m_player->get_position());

    const game_data_t *data = get_game_data();
    const uint32_t round_index = data ? (data->is_party_mode() ? data->party_round : data->round_index) : 1;
    if (round_logic_u *round = get_round()) round->build_spawn_schedule(round_index);
    message("[game] Round %u initialized", round_index);

    // The batch's packets come from the graphics front-end; without it (a scene of a
    // test) the round has no blob shadows.
    if (gfx_get_default_buffer()) m_shadow_batch = simple_shadow_u::create();
    if (simple_shadow_u *batch = get_shadow_batch()) {
        batch->set_scene_packets(get_packet_set(SHADOW_PACKET_SET));
    } else {
        m_shadow_batch.reset();
    }

    if (hunt_hud_t *hud = get_hud()) hud->pulse_fever();
    if (sound_u *danger = get_danger_sound()) {
        set_volume(danger, 0.0f);
        danger->play();
    }
    if (is_party()) build_gift_schedule();
}

void hunt_ctrl_u::build_gift_schedule() {
    m_gift_schedule.clear();
    const game_data_t *data = get_game_data();
    if (!data) return;
    const uint32_t round_index = data->party_round;
    const uint32_t current = data->get_current_player();
    const array_t<gift_hit_t> &log = data->get_gift_log();
    for (uint32_t i = 0; i < log.get_count(); ++i) {
        const gift_hit_t &hit = log[i];
        // A gift reaches each other player once: in the first later round it arrives
        // in, not again in every round after.
        if (hit.round == round_index || hit.sender == current || hit.was_delivered_to(current)) continue;
        gift_entry_t entry;
        entry.log_index = i;
        entry.gift_name = hit.gift_name;
        entry.sender_name = hit.sender_name;
        entry.sender = hit.sender;
        entry.time = hit.time;
        entry.round = hit.round;
        m_gift_schedule.append(std::move(entry));
    }
    std::stable_sort(m_gift_schedule.begin(), m_gift_schedule.end(),
                     [](const gift_entry_t &a, const gift_entry_t &b) { return a.time < b.time; });
}

void hunt_ctrl_u::update(float dt) {
    if (m_state >= STATE_FINISHED) return;
    game_ctrl_u::update(dt);
    m_retired_intro.reset();

    if (sound_u *loop = sound_of(m_ambient_loop)) {
        m_ambient_gain = std::fmin(m_ambient_gain + AMBIENT_RETURN_RATE * dt, 1.0f);
        set_volume(loop, (m_ambient_gain * dt + (1.0f - dt) * loop->attributes.volume) * AMBIENT_DAMPING);
        loop->set_rate(get_sound_time_scale(1.0f));
    }

    if (m_intro_view) {
        if (!m_intro_view->is_finished()) return;
        end_intro();
    }

    m_danger_level = 0.0f;
    m_danger_position = {-FAR_AWAY, -FAR_AWAY, -FAR_AWAY};

    if (round_logic_u *round = get_round()) {
        round->set_intro_running(m_intro_view != nullptr);
        round->update(dt * get_time_factor(), m_target_speed_factor);
    }

    if (m_state == STATE_WON) {
        m_close_left -= dt;
        if (m_close_left <= 0.0f) round_end(STATE_FINISHED);
        return;
    }
    if (m_state != STATE_RUNNING) return;

    step_bonuses(dt);
    step_sounds(dt);
    m_time_left -= get_time_factor() * dt;
    m_danger_cooldown -= dt;
    step_voice(dt);
    step_gifts();
    if (m_time_left <= 0.0f) round_end(is_party() ? STATE_FINISHED : STATE_TIME_OVER);
}

void hunt_ctrl_u::step_bonuses(float dt) {
    for (uint32_t i = 0; i < m_bonuses.get_count();) {
        hunt_bonus_u *bonus = get_bonus(i);
        bonus->update(dt);
        if (bonus->is_finished()) {
            finish_bonus(i);
        } else {
            ++i;
        }
    }
    if (party_gift_u *gift = get_gift()) {
        gift->update(dt);
        if (gift->is_finished()) {
            gift->remove();
            m_gift.reset();
        }
    }
    game_data_t *data = get_game_data();
    if (m_fever_bonus && data && data->get_fever_level() >= FEVER_THRESHOLD) {
        m_fever_bonus->extend(FEVER_EXTENSION);
        data->clear_fever();
    }
}

void hunt_ctrl_u::finish_bonus(uint32_t i) {
    hunt_bonus_u *bonus = get_bonus(i);
    m_active_kinds &= ~bonus->get_kind_bits();
    m_blocked_kinds &= ~bonus->get_blocked_bits();
    bonus->remove();
    if (m_fever_bonus == bonus) m_fever_bonus = nullptr;
    // remove may have changed the list (a nested end); find the bonus again.
    for (uint32_t k = 0; k < m_bonuses.get_count(); ++k) {
        if (m_bonuses[k].get() == bonus) {
            m_bonuses.remove(k);
            break;
        }
    }
}

void hunt_ctrl_u::step_sounds(float dt) {
    sound_u *danger = get_danger_sound();
    if (!danger) return;
    const float previous = danger->attributes.volume;
    set_volume(danger, dt * m_danger_level + (1.0f - dt) * previous);
    if (m_danger_level != 0.0f || previous >= AUDIBLE_VOLUME) {
        danger->play();
    } else {
        stop_sound(danger);
    }
}

void hunt_ctrl_u::step_voice(float dt) {
    m_voice_countdown -= dt;
    if (m_voice_countdown > 0.0f) return;
    m_voice_countdown = m_voice_delay;
    voiceover_u *voice = get_pending_voice();
    if (voice && !voice->sound_file.is_empty()) {
        const cvar_t *language = cvar_get("g_lang");
        mstring_dyn_t path;
        path.printf("/l10n/%s/%s", language ? language->get_text() : "en_us", voice->sound_file.c_str());
        play_sound_once(path.c_str(), 1.0f);
    }
    m_pending_voice.reset();
    m_pending_priority = 0;
}

void hunt_ctrl_u::step_gifts() {
    if (get_gift() || m_gift_schedule.is_empty()) return;
    const gift_entry_t &next = m_gift_schedule[0];
    const float round_time = m_time_limit - std::fmax(m_time_left, 0.0f);
    if (next.time > round_time) return;
    if (!give_gift(next.sender, next.sender_name.c_str(), next.gift_name.c_str())) return;
    if (game_data_t *data = get_game_data()) data->note_gift_delivered(next.log_index, data->get_current_player());
    m_gift_schedule.remove(0);
}

void hunt_ctrl_u::play_sound_once(const char *path, float volume) {
    play_one_shot_sound(path, {.flags = SOUND_PLAIN, .tag = SOUND_TAG, .volume = volume, .mark_changed = true});
}

void hunt_ctrl_u::round_end(int32_t result) {
    if (result == STATE_WON) {
        m_state = STATE_WON;
        if (m_player) m_player->drop_weapons();
        m_close_delay = m_close_left = CLOSE_DELAY;
        play_sound_once(ROUND_SOUND, ROUND_SOUND_VOLUME);
        return;
    }
    // The round's record joins the running score once: a round that has ended already
    // keeps its result.
    if (m_state >= STATE_FINISHED) return;
    const game_data_t *data = get_game_data();
    score_u *running = data ? data->get_running_score() : nullptr;
    if (running && get_round_score()) running->add(*get_round_score());
    m_state = result;
    m_stats.end_reason = uint32_t(result);
    if (result != STATE_FINISHED) play_sound_once(ROUND_SOUND, ROUND_SOUND_VOLUME);
    if (front_end_session_t *session = get_front_end_session()) session->show_window(WINDOW_GAME_ROUND);
}

// ---- per frame ----

void hunt_ctrl_u::update_camera_and_lights() {
    game_ctrl_u::update_camera_and_lights();
    for (uint32_t i = 0; i < m_bonuses.get_count(); ++i) get_bonus(i)->adjust_scene();
    if (party_gift_u *gift = get_gift()) gift->adjust_scene();
}

void hunt_ctrl_u::draw() {
    simple_shadow_u *batch = get_shadow_batch();
    if (batch) batch->reset();
    game_ctrl_u::draw();
    if (round_logic_u *round = get_round()) round->draw();
    if (batch && batch->get_vertex_count() > 0) {
        batch->prepare_parameters();
        batch->queue_render();
    }
}

bool hunt_ctrl_u::has_overlay_pass() const {
    const party_gift_u *gift = get_gift();
    return gift && gift->has_overlay_pass();
}

void hunt_ctrl_u::draw_overlay() {
    if (party_gift_u *gift = get_gift()) gift->draw_overlay();
}

void hunt_ctrl_u::close_windows() {
    m_hud_window.release();
    // The animals' markers are windows of the UI layer, not the session's.
    if (round_logic_u *round = get_round()) round->close_windows();
    game_ctrl_u::close_windows();
}

// ---- for the others ----

bool hunt_ctrl_u::add_shadow_quad(const placement_scale_t &placement, float a, float b, uint32_t colour) {
    simple_shadow_u *batch = get_shadow_batch();
    return batch && batch->add_quad(placement, a, b, colour);
}

void hunt_ctrl_u::show_hud() {
    c_item_t *window = nullptr;
    if (front_end_session_t *session = get_front_end_session()) {
        window = session->show_window(WINDOW_GAME_HUD);
    } else if (ui_is_running()) {
        window = ui_wget(WINDOW_GAME_HUD.group, WINDOW_GAME_HUD.name);
        if (!window)
            window = ui_winsert(WINDOW_GAME_HUD.group, WINDOW_GAME_HUD.name, WINDOW_GAME_HUD.insert_flags,
                                WINDOW_GAME_HUD.layout);
        if (window) ui_wshow(window, WINDOW_GAME_HUD.show_flags);
    }
    m_hud_window = window;
}

hunt_hud_t *hunt_ctrl_u::get_hud() const { return hunt_hud_of(m_hud_window.get()); }

void hunt_ctrl_u::show_reload_prompt() {
    if (hunt_hud_t *hud = get_hud()) hud->show_reload();
}

// ---- ragdolls ----

uint32_t hunt_ctrl_u::ragdoll_limit(uint32_t base, uint32_t level) {
    return uint32_t(std::floor(std::pow(double(1.3f), double(level)) * double(base)));
}

void hunt_ctrl_u::set_ragdoll_base(uint32_t base) {
    m_ragdoll_base = base ? base : 1;
    m_ragdoll_total_limit = 0;
    for (uint32_t level = 0; level < RAGDOLL_LEVELS; ++level) m_ragdoll_total_limit += get_ragdoll_limit(level);
}

uint32_t hunt_ctrl_u::pick_ragdoll_level() const {
    for (uint32_t level = 0; level < RAGDOLL_LEVELS; ++level)
        if (m_ragdolls_by_level[level] < get_ragdoll_limit(level)) return level;
    return RAGDOLL_LEVELS - 1;
}

void hunt_ctrl_u::add_ragdoll(uint32_t level) {
    ++m_ragdolls_by_level[level < RAGDOLL_LEVELS ? level : RAGDOLL_LEVELS - 1];
    ++m_ragdolls_alive;
}

void hunt_ctrl_u::remove_ragdoll(uint32_t level) {
    uint32_t &count = m_ragdolls_by_level[level < RAGDOLL_LEVELS ? level : RAGDOLL_LEVELS - 1];
    // A removal without its addition would wrap the counts.
    if (count == 0 || m_ragdolls_alive == 0) {
        warning("[game] A ragdoll of level %u left that was never counted", level);
        return;
    }
    --count;
    --m_ragdolls_alive;
}

void hunt_ctrl_u::print_ragdoll_info() const {
    verbose("\\yRagdolls:");
    verbose("%-5s %-5s %-5s", "level", "limit", "count");
    for (uint32_t level = 0; level < RAGDOLL_LEVELS; ++level)
        verbose("%-5u %-5u %-5u", level, get_ragdoll_limit(level), m_ragdolls_by_level[level]);
}

}  // namespace quarn
