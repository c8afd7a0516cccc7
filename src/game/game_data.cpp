#include "game/game_data.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "game/session/front_end_session.h"
#include "game/session/savegame.h"
#include "game/session/score.h"
#include "kernel/console/commands.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

constinit game_data_t *session_data = nullptr;

// A new record in the default unit system.
owner_ptr_ret_t<score_u> new_score() { return score_u::create(); }

// A copy of the record; null for none (or when it cannot be made, logged).
owner_ptr_ret_t<score_u> clone_score(score_u *record) {
    if (!record) return {};
    owner_ptr_ret_t<score_u> copy = unit_cast<score_u>(record->clone());
    if (!copy) error("[game] A score record could not be copied.");
    return copy;
}

void show_window(const window_desc_t &row) {
    front_end_session_t *session = get_front_end_session();
    if (session) session->show_window(row);
    else warning("[game] No session shows the window %s/%s.", row.group, row.name);
}

}  // namespace

game_data_t::game_data_t() {
    if (unit_system_t::get_default()) reset_scores();
}

void game_data_t::apply_view(frustum_t &frustum) const {
    frustum.set_fov(fov);
    frustum.set_far_plane(far_plane);
    frustum.set_near_plane(near_plane);
}

float game_data_t::camera_zoom_factor(const frustum_t &view) {
    constexpr float degrees = std::numbers::pi_v<float> / 180.0f;
    return std::tan(30.0f * degrees) / std::tan(view.get_fov() * 0.5f * degrees);
}

// ---- scores ----

void game_data_t::reset_scores() {
    running_score = new_score();
    checkpoint_score = new_score();
}

float game_data_t::get_fever_level() const { return running_score ? float(running_score->fever_points) * 0.2f : 0.0f; }

void game_data_t::clear_fever() {
    if (running_score) running_score->fever_points = 0;
}

void game_data_t::add_points(uint32_t points) {
    if (!running_score) return;
    running_score->score = score_add_capped(running_score->score, points);
}

uint32_t game_data_t::get_continue_coins() const { return running_score ? running_score->continue_coins : 0; }

// ---- rounds ----

void game_data_t::start_round(uint32_t index) {
    round_start_pending = true;
    string_fixed_t<32> line;
    line.printf("init_round %u", index);
    cmd_execute(line.c_str());
}

bool game_data_t::take_round_start_pending() {
    const bool pending = round_start_pending;
    round_start_pending = false;
    return pending;
}

void game_data_t::start_game(uint32_t round, bool expert_mode) {
    round_index = round;
    expert = expert_mode;
    if (is_party_mode()) {
        for (uint32_t i = 0; i < party_players.get_count(); ++i) {
            party_player_t &p = party_players[i];
            p.previous_rank = p.rank;
            owner_ptr_t<score_u> fresh(new_score());
            if (fresh && p.score) fresh->player_name = p.score->player_name;
            p.score = std::move(fresh);
        }
        party_round = 1;
        current_turn = 0;
        // A party game that ended at its standings left the flag set: the new game's
        // first round must still rank its players and show them.
        turn_order_ranked = false;
        select_player();
        gift_log.clear();
    } else {
        reset_scores();
    }
    start_round(round_index);
}

void game_data_t::next_round() {
    if (!is_party_mode()) {
        if (round_index == round_count) {
            show_window(WINDOW_GAME_FINISHED);
            return;
        }
        ++round_index;
        checkpoint_score = clone_score(running_score.get());
        start_round(round_index);
        return;
    }

    store_player();
    const uint32_t count = party_players.get_count();
    if (current_turn + 1 < count) {
        ++current_turn;
        select_player();
        start_round(round_index);
        return;
    }
    // Every player has had the turn: first the standings of the round, then (when the
    // match-round screen goes on) the end of the party game or its next round.
    if (!turn_order_ranked) {
        sort_turn_order();
        turn_order_ranked = true;
        rank_players(false);
        show_window(WINDOW_DIALOG_MATCHROUND);
        return;
    }
    if (party_round >= 3) {
        for (uint32_t i = 0; i < count; ++i) party_players[i].party_points += int32_t(count) - party_players[i].rank;
        rank_players(true);
        cmd_execute("menu party");
        return;
    }
    turn_order_ranked = false;
    current_turn = 0;
    ++party_round;
    select_player();
    start_round(round_index);
}

bool game_data_t::retry_round() {
    if (!checkpoint_score || checkpoint_score->continue_coins == 0) return false;
    --checkpoint_score->continue_coins;
    owner_ptr_t<score_u> again(clone_score(checkpoint_score.get()));
    if (!again) {
        ++checkpoint_score->continue_coins;
        return false;
    }
    running_score = std::move(again);
    start_round(round_index);
    return true;
}

// ---- savegame ----

bool game_data_t::resume(const savegame_u &save) {
    owner_ptr_t<score_u> running(clone_score(save.get_score()));
    owner_ptr_t<score_u> checkpoint(clone_score(running.get()));
    if (!running || !checkpoint) {
        error("[game] The saved game cannot be resumed: its score could not be copied.");
        return false;
    }
    running_score = std::move(running);
    checkpoint_score = std::move(checkpoint);
    expert = save.expert_mode;
    round_index = save.round_id;
    start_round(round_index);
    return true;
}

owner_ptr_ret_t<savegame_u> game_data_t::make_save() const {
    if (!checkpoint_score) return {};
    owner_ptr_t<unit_base_t> score(clone_score(checkpoint_score.get()));
    if (!score) return {};
    owner_ptr_ret_t<savegame_u> save = savegame_u::create(checkpoint_score->get_system());
    if (!save) return {};
    save->score = std::move(score);
    save->round_id = round_index;
    save->expert_mode = expert;
    return save;
}

// ---- party ----

void game_data_t::set_party_players(const char *const names[], uint32_t count) {
    clear_party();
    for (uint32_t i = 0; i < count; ++i) {
        party_player_t p;
        p.score = new_score();
        if (p.score) p.score->player_name = names[i] ? names[i] : "";
        if (!party_players.append(std::move(p)) || !turn_order.append(party_players.get_count() - 1)) {
            error("[game] No memory for the party's players.");
            clear_party();
            return;
        }
    }
}

void game_data_t::clear_party() {
    party_players.clear();
    turn_order.clear();
    gift_log.clear();
}

bool game_data_t::get_party_player(uint32_t index, mstring_t *name, party_standing_t *standing) const {
    if (index >= party_players.get_count()) return false;
    const party_player_t &p = party_players[index];
    if (name) name->copy(p.score ? string(p.score->player_name) : string::EMPTY);
    if (standing) {
        standing->score = p.score ? p.score->score : 0;
        standing->party_points = p.party_points;
        standing->rank = p.rank;
        standing->rank_change = p.previous_rank - p.rank;
    }
    return true;
}

void game_data_t::select_player() {
    if (current_turn >= turn_order.get_count()) return;
    current_player = turn_order[current_turn];
    if (current_player >= party_players.get_count()) return;
    running_score = clone_score(party_players[current_player].score.get());
    checkpoint_score = clone_score(running_score.get());
}

void game_data_t::store_player() {
    if (current_player >= party_players.get_count()) return;
    owner_ptr_t<score_u> copy(clone_score(running_score.get()));
    if (copy) party_players[current_player].score = std::move(copy);
}

void game_data_t::sort_turn_order() {
    auto score_of = [this](uint32_t entry) {
        const score_u *s = entry < party_players.get_count() ? party_players[entry].score.get() : nullptr;
        return s ? s->score : 0u;
    };
    uint32_t *first = turn_order.get_data();
    std::stable_sort(first, first + turn_order.get_count(), [&](uint32_t a, uint32_t b) {
        const uint32_t sa = score_of(a), sb = score_of(b);
        return sa != sb ? sa > sb : a < b;
    });
}

void game_data_t::rank_players(bool by_party_points) {
    const uint32_t count = party_players.get_count();
    auto value_of = [&](uint32_t i) -> int64_t {
        const party_player_t &p = party_players[i];
        if (by_party_points) return p.party_points;
        return p.score ? int64_t(p.score->score) : 0;
    };
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t own = value_of(i);
        // Distinct values above the player's own: each counted at its first holder.
        int32_t above = 0;
        for (uint32_t j = 0; j < count; ++j) {
            const int64_t v = value_of(j);
            if (v <= own) continue;
            bool seen = false;
            for (uint32_t k = 0; k < j && !seen; ++k) seen = value_of(k) == v;
            if (!seen) ++above;
        }
        party_players[i].rank = 1 + above;
    }
}

// ---- party gifts ----

void game_data_t::log_gift_hit(const char *gift_name, float round_time) {
    gift_hit_t hit;
    hit.gift_name = gift_name ? gift_name : "";
    hit.sender_name = running_score ? running_score->player_name.c_str() : "";
    hit.sender = current_player;
    hit.time = round_time;
    hit.round = is_party_mode() ? party_round : round_index;
    if (!gift_log.append(std::move(hit))) error("[game] No memory to log the party gift '%s'.", gift_name);
}

void game_data_t::note_gift_delivered(uint32_t index, uint32_t player) {
    if (index >= gift_log.get_count() || gift_log[index].was_delivered_to(player)) return;
    if (!gift_log[index].delivered_to.append(player))
        error("[game] No memory to note the party gift '%s' as delivered.", gift_log[index].gift_name.c_str());
}

bool gift_hit_t::was_delivered_to(uint32_t player) const {
    for (uint32_t p : delivered_to)
        if (p == player) return true;
    return false;
}

game_data_t *get_game_data() { return session_data; }

void set_game_data(game_data_t *data) { session_data = data; }

}  // namespace quarn
