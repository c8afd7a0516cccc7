#include "game/session/score.h"

#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(score_u, "score",
                QRN_ATTR(player_name, UNIT_ATTR_STRING, "player_name"),
                QRN_ATTR(fever_points, UNIT_ATTR_UINT32, "fever_points"),
                QRN_ATTR(continue_coins, UNIT_ATTR_UINT32, "continue_coins"),
                QRN_ATTR(score, UNIT_ATTR_UINT32, "score"),
                QRN_ATTR(round, UNIT_ATTR_UINT32, "round"),
                QRN_ATTR(shots, UNIT_ATTR_UINT32, "shots"),
                QRN_ATTR(hits, UNIT_ATTR_UINT32, "hits"),
                QRN_ATTR(kills, UNIT_ATTR_UINT32, "kills"),
                QRN_ATTR(valid_kills, UNIT_ATTR_UINT32, "valid_kills"));

QRN_UNIT_DEFINE(score_table_u, "score_table", QRN_ATTR(scores, UNIT_ATTR_OWNER_ARRAY, "scores"));

namespace {

constexpr score_cipher_ops_t shared_layer_cipher = {&cipher_key_gen, &cipher_buf, &cipher_key_free, &cipher_buf_free};
constinit const score_cipher_ops_t *cipher_ops = &shared_layer_cipher;

}  // namespace

uint32_t score_add_capped(uint32_t a, uint64_t b) {
    const uint64_t sum = uint64_t(a) + b;
    return sum > UINT32_MAX ? UINT32_MAX : uint32_t(sum);
}

void score_set_cipher_ops(const score_cipher_ops_t *ops) { cipher_ops = ops ? ops : &shared_layer_cipher; }

void score_u::add(const score_u &round_record) {
    score = score_add_capped(score, round_record.score);
    shots = score_add_capped(shots, round_record.shots);
    hits = score_add_capped(hits, round_record.hits);
    kills = score_add_capped(kills, round_record.kills);
    valid_kills = score_add_capped(valid_kills, round_record.valid_kills);
    if (round_record.round > round) round = round_record.round;
}

void score_token_letters(mstring_t &out, const uint8_t *bytes, uint32_t size) {
    for (uint32_t i = 0; i < size; ++i) {
        out.append(char('a' + (bytes[i] & 0x0F)));
        out.append(char('a' + (bytes[i] >> 4)));
    }
}

bool score_u::make_submit_token(const char *name, mstring_t &out) const {
    out.copy(string::EMPTY);
    mstring_dyn_t text;
    if (!text.printf("%s,%u,%u", name && *name ? name : player_name.c_str(), score, round)) {
        error("[game] The score token cannot be made: no memory for its text.");
        return false;
    }
    cipher_key_t *key = cipher_ops->key_gen(CIPHER_KEY_SCORE_UPLOAD);
    if (!key) {
        error("[game] The score token cannot be made: the cipher gave no key.");
        return false;
    }
    // The terminating zero is enciphered with the text.
    cipher_buffer_t *bytes = cipher_ops->encipher(text.c_str(), text.length() + 1, key);
    cipher_ops->key_free(key);
    if (!bytes) {
        error("[game] The score token cannot be made: the text could not be enciphered.");
        return false;
    }
    const bool fits = out.request_capacity(bytes->size * 2 + 1);
    if (fits) score_token_letters(out, bytes->data, bytes->size);
    cipher_ops->buffer_free(bytes);
    if (!fits) {
        out.copy(string::EMPTY);
        error("[game] The score token cannot be made: no memory for its letters.");
    }
    return fits;
}

score_u *score_table_u::get_entry(uint32_t index) const {
    return index < scores.get_count() ? unit_cast<score_u>(scores[index].get()) : nullptr;
}

bool score_table_u::_call_post_load() {
    if (!unit_base_t::_call_post_load()) return false;
    for (uint32_t i = 0; i < scores.get_count(); ++i) {
        if (get_entry(i)) continue;
        error("[game] Entry %u of the high-score table is no score record.", i);
        return false;
    }
    return true;
}

int32_t score_table_u::find_place(uint32_t new_score) const {
    for (uint32_t i = 0; i < scores.get_count(); ++i) {
        const score_u *entry = get_entry(i);
        if (entry && entry->score < new_score) return int32_t(i);
    }
    return NO_PLACE;
}

int32_t score_table_u::insert(score_u &record) {
    const int32_t place = find_place(record.score);
    if (place == NO_PLACE) return NO_PLACE;
    owner_ptr_t<unit_base_t> copy(record.clone());
    if (!copy) {
        error("[game] The score could not be copied into the high-score table.");
        return NO_PLACE;
    }
    // The last entry leaves first, so the table never grows (and so the insert below
    // cannot fail for want of room).
    scores.remove(scores.get_count() - 1);
    if (uint32_t(place) < scores.get_count()) scores.insert(uint32_t(place), std::move(copy));
    else scores.append(std::move(copy));
    return place;
}

}  // namespace quarn
