// The hunt's shot outcomes, danger warnings, voice cues, bonuses and gifts.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "game/game_data.h"
#include "game/hunt/hunt_bonus.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/hunt/hunt_hud.h"
#include "game/hunt/hunter.h"
#include "game/hunt/vital_part.h"
#include "game/round/round_logic.h"
#include "game/scene/target.h"
#include "game/session/score.h"
#include "game/voiceover/voiceover.h"
#include "kernel/sound/sound_unit.h"
#include "qrncore/geometry/frustum.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

constexpr float FRONT_CONE = 0.7f;
constexpr float DANGER_FLOOR = 0.4f;

}  // namespace

// ---- shots ----

void hunt_ctrl_u::on_bad_shot(const shot_record_t *, unit_t *) {
    if (score_u *score = get_round_score()) ++score->hits;
    play_cue("vo.bad_shot");
    m_shot_hit = true;
    m_kill_chain = 0;
}

void hunt_ctrl_u::on_hit(const shot_record_t *, unit_t *) {
    if (score_u *score = get_round_score()) ++score->hits;
    play_cue("vo.hit");
    m_shot_hit = true;
    m_kill_chain = 0;
}

void hunt_ctrl_u::on_illegal_shot(const shot_record_t *) {
    const uint32_t base = is_expert() ? ILLEGAL_PENALTY_EXPERT : ILLEGAL_PENALTY;
    if (hunt_hud_t *hud = get_hud()) hud->show_penalty(base);
    score_u *score = get_round_score();
    const uint64_t penalty = uint64_t(base) * m_multiplier;
    const uint32_t taken = score ? uint32_t(std::min<uint64_t>(penalty, score->score)) : 0;
    m_stats.penalty_points = score_add_capped(m_stats.penalty_points, taken);
    ++m_stats.protected_kills;
    if (score) {
        score->score -= taken;
        ++score->hits;
        ++score->kills;
    }
    play_cue("vo.illegal_shot");
    m_shot_hit = true;
    m_kill_chain = 0;
}

void hunt_ctrl_u::on_kill(target_u *target, vital_part_t *vital, bool skill_shot, float distance) {
    const bool expert = is_expert();
    const uint32_t shot_bonus = expert ? SHOT_BONUS_EXPERT : SHOT_BONUS;
    const uint32_t target_points = target ? target->get_points() : 0;
    const uint32_t points = expert ? score_add_capped(target_points, target_points) : target_points;
    uint32_t bonus = 0;
    uint32_t flags = 0;
    const bool dangerous = target && target->is_dangerous();

    if (dangerous) {
        ++m_stats.dangerous_kills;
    } else if (target && target->is_ambient()) {
        ++m_stats.ambient_kills;
    } else {
        ++m_stats.trophy_kills;
    }

    if (distance >= LONG_SHOT_DISTANCE) {
        flags = hunt_hud_t::SCORE_LONG_SHOT;
        bonus = shot_bonus;
        ++m_stats.sniper_shots;
    }

    game_data_t *data = get_game_data();
    if (vital) {
        bonus += shot_bonus;
        flags |= hunt_hud_t::SCORE_VITAL;
        ++m_stats.vital_hits;
        score_u *running = data ? data->get_running_score() : nullptr;
        if (!is_party() && running) {
            const bool below = data->get_fever_level() < FEVER_THRESHOLD;
            running->fever_points = score_add_capped(running->fever_points, vital->get_fever_reward());
            hunt_hud_t *hud = get_hud();
            if (hud) hud->pulse_fever();
            if (below && data->get_fever_level() >= FEVER_THRESHOLD && hud) hud->show_fever_enabled();
        }
        voiceover_table_u *table = vital->get_voice_table();
        if (table && table->is_alive()) play_voiceover(table, true);
    }

    if (skill_shot) {
        bonus += shot_bonus;
        ++m_stats.skill_shots;
        flags |= hunt_hud_t::SCORE_SKILL_SHOT;
        play_cue("vo.skillshot");
    }

    if (dangerous && distance < RELIEF_DISTANCE) play_cue("vo.relief");
    play_cue(target && target->has_trophy() ? "vo.trophy_buck" : "vo.good_shot");

    if (hunt_hud_t *hud = get_hud()) hud->show_shot_score(points + bonus, flags);

    m_stats.trophy_points = score_add_capped(m_stats.trophy_points, uint64_t(m_multiplier) * points);
    m_stats.shot_points = score_add_capped(m_stats.shot_points, uint64_t(m_multiplier) * bonus);

    score_u *score = get_round_score();
    if (score) {
        // The record to beat is the best entry of the table; without one there is none.
        const score_table_u *table = get_high_score_table();
        const score_u *best_entry = table && table->get_count() > 0 ? table->get_entry(0) : nullptr;
        const score_u *running = data ? data->get_running_score() : nullptr;
        const uint64_t before = uint64_t(score->score) + (running ? running->score : 0);
        score->score = score_add_capped(score->score, uint64_t(m_multiplier) * (uint64_t(points) + bonus));
        const uint64_t after = uint64_t(score->score) + (running ? running->score : 0);
        if (best_entry && before < best_entry->score && after >= best_entry->score) play_cue("vo.new_record");

        ++score->valid_kills;
        ++score->hits;
        ++score->kills;

        if (!is_party() && score->valid_kills == get_kill_limit()) {
            const uint32_t per_second = expert ? TIME_BONUS_PER_SECOND_EXPERT : TIME_BONUS_PER_SECOND;
            const float seconds = std::floor(std::fmax(m_time_left, 0.0f));
            const uint32_t time_bonus =
                seconds >= float(UINT32_MAX / per_second) ? UINT32_MAX : uint32_t(seconds) * per_second;
            m_stats.time_bonus = time_bonus;
            score->score = score_add_capped(score->score, time_bonus);
            round_end(STATE_WON);
        }
    }

    m_shot_hit = true;
    if (++m_kill_chain >= KILL_CHAIN_LENGTH) {
        m_kill_chain = 0;
        play_cue("vo.kill.chain");
    }
}

void hunt_ctrl_u::after_shot() {
    if (score_u *score = get_round_score()) ++score->shots;
    m_ambient_gain = 0.0f;
    if (m_ambient_loop) {
        auto *loop = static_cast<sound_u *>(m_ambient_loop.get());
        loop->attributes.volume = 0.0f;
        loop->set_flag(sound_u::CHANGED, true);
    }
    if (!m_shot_hit) {
        play_cue("vo.missed");
        m_kill_chain = 0;
    }
    m_shot_hit = false;
}

// ---- danger ----

void hunt_ctrl_u::warn_danger(float x, float y, float z, bool attacking) {
    if (m_intro_view || m_state == STATE_FINISHED || !m_player) return;
    const vec3_t position{x, y, z};
    const vec3_t eye = m_player->get_position();
    const float d = length(position - eye);
    const float d_prev = length(m_danger_position - eye);
    // Only the nearest report of a tick counts.
    if (d_prev < d) return;
    m_danger_position = position;

    const quat_t rotation = m_player->get_rotation();
    const vec3_t right = rotation.rotate(vec3_t{1.0f, 0.0f, 0.0f});
    const bool right_side = dot(position - eye, right) > 0.0f;
    if (m_danger_cooldown <= 0.0f && d_prev > DANGER_CUE_DISTANCE && d < DANGER_CUE_DISTANCE) {
        vec3_t towards = position - eye;
        normalize(towards);
        const vec3_t forward = rotation.rotate(vec3_t{0.0f, 0.0f, -1.0f});
        const char *cue = dot(forward, towards) > FRONT_CONE ? "vo.danger"
                          : right_side                        ? "vo.danger.right"
                                                              : "vo.danger.left";
        play_voiceover_named(cue, false);
        m_danger_cooldown = DANGER_COOLDOWN;
    }

    if (hunt_hud_t *hud = get_hud()) {
        const frustum_t *frustum = m_player->get_frustum();
        if (frustum && frustum->contains(position)) {
            hud->show_danger(hunt_hud_t::DANGER_AHEAD);
        } else {
            hud->show_danger(right_side ? hunt_hud_t::DANGER_RIGHT : hunt_hud_t::DANGER_LEFT);
        }
    }

    if (d < DANGER_SOUND_RANGE) {
        const float share = d / DANGER_SOUND_RANGE;
        m_danger_level = (1.0f - share) + DANGER_FLOOR * share;
    } else {
        m_danger_level = DANGER_FLOOR;
    }

    if (attacking && d < FATAL_ATTACK_DISTANCE) kill_hunter();
}

void hunt_ctrl_u::kill_hunter() {
    // The death sequence runs once; the hunter ends the round when it is over.
    if (m_player && m_player->get_state() == hunter_t::STATE_NORMAL) m_player->start_death();
}

bool hunt_ctrl_u::try_fever() {
    game_data_t *data = get_game_data();
    if (!data || data->get_fever_level() < FEVER_THRESHOLD) return false;
    // The points stay when the bonus is refused (a blocking bonus runs).
    if (!give_bonus("fever")) return false;
    data->clear_fever();
    return true;
}

// ---- bonuses and gifts ----

namespace {

// A new unit of the concrete class "<name><suffix>", or null (abstract classes, which
// cannot be made, and unknown names alike).
unit_base_t *make_by_name(const char *name, const char *suffix) {
    unit_system_t *system = unit_system_t::get_default();
    if (!system || !name) return nullptr;
    mstring_dyn_t type_name;
    type_name.printf("%s%s", name, suffix);
    const unit_descriptor_t *type = system->find_unit_type(type_name);
    if (!type || !type->create) return nullptr;
    return system->create_unit(*type);
}

}  // namespace

bool hunt_ctrl_u::give_bonus(const char *name) {
    owner_ptr_t<unit_base_t> made(make_by_name(name, "_bonus"));
    hunt_bonus_u *bonus = unit_cast<hunt_bonus_u>(made.get());
    if (!bonus || !bonus->is_alive() || (bonus->get_kind_bits() & m_blocked_kinds) != 0) {
        // The owner destroys what was made.
        return false;
    }
    end_bonuses_of_kind(bonus->get_kind_bits());
    m_active_kinds |= bonus->get_kind_bits();
    m_blocked_kinds |= bonus->get_blocked_bits();
    bonus->apply();
    if (strcmp(bonus->get_descriptor()->class_name->c_str(), "fever_bonus") == 0) m_fever_bonus = bonus;
    m_bonuses.append(std::move(made));
    return true;
}

void hunt_ctrl_u::end_bonuses_of_kind(uint32_t mask) {
    if (m_ending_bonuses) {
        m_deferred_end_kinds |= mask;
        return;
    }
    m_ending_bonuses = true;
    while (mask != 0) {
        for (uint32_t i = 0; i < m_bonuses.get_count();) {
            hunt_bonus_u *bonus = get_bonus(i);
            if ((bonus->get_kind_bits() & mask) == 0) {
                ++i;
                continue;
            }
            finish_bonus(i);
        }
        mask = m_deferred_end_kinds;
        m_deferred_end_kinds = 0;
    }
    m_ending_bonuses = false;
}

bool hunt_ctrl_u::give_gift(uint32_t, const char *sender_name, const char *gift_name) {
    if (get_gift()) return false;
    owner_ptr_t<unit_base_t> made(make_by_name(gift_name, "_gift"));
    party_gift_u *gift = unit_cast<party_gift_u>(made.get());
    if (!gift || !gift->is_alive()) return false;
    m_gift = std::move(made);
    gift->apply();
    if (hunt_hud_t *hud = get_hud()) hud->show_gift_received(gift_name, sender_name);
    return true;
}

// ---- voice ----

void hunt_ctrl_u::play_voiceover(voiceover_table_u *table, bool delayed) {
    if (!table || (m_player && m_player->get_state() != hunter_t::STATE_NORMAL)) return;
    owner_ptr_t<voiceover_u> line(table->pick(get_random()));
    if (!line) return;
    const int32_t priority = int32_t(table->priority);
    if (hunt_hud_t *hud = get_hud()) hud->show_message(line->text.c_str(), priority);
    if (m_pending_voice && m_pending_priority > priority) return;
    m_pending_voice = std::move(line);
    m_pending_priority = priority;
    m_voice_countdown = delayed ? m_voice_delay : 0.0f;
}

void hunt_ctrl_u::play_voiceover_named(const char *name, bool delayed) {
    voiceover_table_u *table = name ? unit_cast<voiceover_table_u>(unit_system_t::find_unit(name)) : nullptr;
    if (table && table->is_alive()) play_voiceover(table, delayed);
}

}  // namespace quarn
