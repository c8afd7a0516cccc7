// Score records and the high-score table: adding a round's record, where a finished
// game enters the table, the shipped defaults, and the token for the online page.
#include <gtest/gtest.h>

#include <string>

#include "game/session/session_fixture.h"
#include "game/unit_tree_file.h"
#include "outside/qrnshared/score_cipher.h"

namespace quarn::test {
namespace {

class score : public session_fixture_t {
protected:
    owner_ptr_ret_t<score_u> record(uint32_t points, const char *name = "") {
        owner_ptr_ret_t<score_u> r = score_u::create();
        r->score = points;
        r->player_name = name;
        return r;
    }
    // A table of these scores, best first.
    owner_ptr_ret_t<score_table_u> table_of(std::initializer_list<uint32_t> points) {
        owner_ptr_ret_t<score_table_u> t = score_table_u::create();
        for (uint32_t p : points) EXPECT_TRUE(t->scores.append(owner_ptr_t<unit_base_t>(record(p))));
        return t;
    }
    static std::vector<uint32_t> scores_of(const score_table_u &t) {
        std::vector<uint32_t> v;
        for (uint32_t i = 0; i < t.get_count(); ++i) v.push_back(t.get_entry(i)->score);
        return v;
    }
    // The token's letters back to bytes, deciphered.
    static std::string decipher(const std::string &token) {
        std::string bytes;
        for (size_t i = 0; i + 1 < token.size(); i += 2)
            bytes += char((token[i] - 'a') | (token[i + 1] - 'a') << 4);
        cipher_key_t *key = cipher_key_gen(CIPHER_KEY_SCORE_UPLOAD);
        cipher_buffer_t *plain = decipher_buf(bytes.data(), uint32_t(bytes.size()), key);
        std::string text(reinterpret_cast<char *>(plain->data), plain->size);
        cipher_buf_free(plain);
        cipher_key_free(key);
        return text;
    }
};

TEST_F(score, a_round_record_adds_its_counters_and_keeps_the_higher_round) {
    owner_ptr_t<score_u> running(record(1000, "Red Fox"));
    running->round = 5;
    running->shots = 10, running->hits = 6, running->kills = 4, running->valid_kills = 3;
    running->fever_points = 7, running->continue_coins = 2;
    owner_ptr_t<score_u> round(record(250, "someone else"));
    round->round = 4;
    round->shots = 3, round->hits = 2, round->kills = 2, round->valid_kills = 1;
    round->fever_points = 9, round->continue_coins = 0;

    running->add(*round);
    EXPECT_EQ(running->round, 5u);
    EXPECT_EQ(running->score, 1250u);
    EXPECT_EQ(running->shots, 13u);
    EXPECT_EQ(running->hits, 8u);
    EXPECT_EQ(running->kills, 6u);
    EXPECT_EQ(running->valid_kills, 4u);
    EXPECT_EQ(running->fever_points, 7u);
    EXPECT_EQ(running->continue_coins, 2u);
    EXPECT_STREQ(running->player_name.c_str(), "Red Fox");

    round->round = 6;
    round->score = UINT32_MAX;  // a sum past the largest value stops there
    running->add(*round);
    EXPECT_EQ(running->round, 6u);
    EXPECT_EQ(running->score, UINT32_MAX);
}

TEST_F(score, a_finished_game_enters_before_the_first_lower_entry_and_the_last_entry_drops) {
    const std::initializer_list<uint32_t> defaults = {40000, 35000, 30000, 25000, 22000, 20000, 18000, 16000,
                                                      14000, 12000, 10000, 8000,  5000,  3000,  1000};
    struct case_t {
        const char *what;
        std::initializer_list<uint32_t> table;
        uint32_t score;
        int32_t place;
        std::vector<uint32_t> after;
    } cases[] = {
        {"equal to the 15th gets no place", defaults, 1000, -1,
         {40000, 35000, 30000, 25000, 22000, 20000, 18000, 16000, 14000, 12000, 10000, 8000, 5000, 3000, 1000}},
        {"one point more replaces the 15th", defaults, 1001, 14,
         {40000, 35000, 30000, 25000, 22000, 20000, 18000, 16000, 14000, 12000, 10000, 8000, 5000, 3000, 1001}},
        {"beating the first becomes entry 1", defaults, 50000, 0,
         {50000, 40000, 35000, 30000, 25000, 22000, 20000, 18000, 16000, 14000, 12000, 10000, 8000, 5000, 3000}},
        {"equal to an entry goes after it", defaults, 22000, 5,
         {40000, 35000, 30000, 25000, 22000, 22000, 20000, 18000, 16000, 14000, 12000, 10000, 8000, 5000, 3000}},
        {"equal scores filling the table leave no place", {500, 500, 500}, 500, -1, {500, 500, 500}},
        {"an empty table gets no place", {}, 99999, -1, {}},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        owner_ptr_t<score_table_u> table(table_of(c.table));
        owner_ptr_t<score_u> game(record(c.score, "Red Fox"));
        EXPECT_EQ(table->find_place(c.score), c.place);
        EXPECT_EQ(table->insert(*game), c.place);
        EXPECT_EQ(scores_of(*table), c.after);
        if (c.place >= 0) {
            score_u *entry = table->get_entry(uint32_t(c.place));
            EXPECT_NE(entry, game.get()) << "the table keeps a copy";
            EXPECT_STREQ(entry->player_name.c_str(), "Red Fox");
        }
    }
}

TEST_F(score, the_shipped_table_holds_fifteen_named_entries_best_first) {
    owner_ptr_t<score_table_u> table(load_unit_tree<score_table_u>("/script/scores.unit"));
    ASSERT_TRUE(table);
    EXPECT_EQ(scores_of(*table), (std::vector<uint32_t>{40000, 35000, 30000, 25000, 22000, 20000, 18000, 16000, 14000,
                                                        12000, 10000, 8000, 5000, 3000, 1000}));
    for (uint32_t i = 0; i < 15; ++i) {
        const score_u *e = table->get_entry(i);
        EXPECT_EQ(e->round, 0u);
        EXPECT_EQ(e->player_name, ("<color value=@@rgb_ibtn@@>@@hs_rating_" + std::to_string(i / 3 + 1) + "@@").c_str());
    }
}

TEST_F(score, a_table_whose_entries_are_not_all_score_records_does_not_load) {
    for (const char *entry : {"null", ".other"}) {
        SCOPED_TRACE(entry);
        use_defaults(std::string("RozErere\n{\nscore_table : .t { scores: 2 scores[0]: .a scores[1]: ") + entry +
                     " }\nscore : .a { score: 5 }\nscore_table : .other { }\n}\n");
        EXPECT_FALSE(load_unit_tree<score_table_u>("/script/scores.unit"));
        EXPECT_TRUE(log.contains("[game] Entry 1 of the high-score table is no score record."));
        log.clear();
    }
}

TEST_F(score, the_token_is_the_enciphered_text_with_its_zero_two_letters_a_byte) {
    mstring_dyn_t letters;
    const uint8_t bytes[] = {0x3C, 0x00, 0xFF, 0xA5};
    score_token_letters(letters, bytes, 4);
    EXPECT_STREQ(letters.c_str(), "mdaappfk");

    owner_ptr_t<score_u> r(record(12345, "<color value=x>Stored"));
    r->round = 7;
    mstring_dyn_t token;
    ASSERT_TRUE(r->make_submit_token("Red Fox", token));
    EXPECT_EQ(token.length(), 2u * sizeof "Red Fox,12345,7");
    EXPECT_EQ(decipher(token.c_str()), std::string("Red Fox,12345,7", sizeof "Red Fox,12345,7"));

    // An empty name takes the record's own.
    ASSERT_TRUE(r->make_submit_token("", token));
    EXPECT_EQ(decipher(token.c_str()), std::string("<color value=x>Stored,12345,7", sizeof "<color value=x>Stored,12345,7"));
    ASSERT_TRUE(r->make_submit_token(nullptr, token));
    EXPECT_EQ(decipher(token.c_str()).substr(0, 21), "<color value=x>Stored");
}

TEST_F(score, a_failing_cipher_gives_an_empty_token_and_says_why) {
    static const score_cipher_ops_t no_key = {[](uint32_t) -> cipher_key_t * { return nullptr; }, &cipher_buf,
                                              &cipher_key_free, &cipher_buf_free};
    static int keys_freed = 0;
    static const score_cipher_ops_t no_buffer = {
        &cipher_key_gen, [](const void *, uint32_t, const cipher_key_t *) -> cipher_buffer_t * { return nullptr; },
        [](cipher_key_t *k) {
            ++keys_freed;
            cipher_key_free(k);
        },
        &cipher_buf_free};
    owner_ptr_t<score_u> r(record(10, "Red Fox"));
    mstring_dyn_t token("left over");

    score_set_cipher_ops(&no_key);
    EXPECT_FALSE(r->make_submit_token("x", token));
    EXPECT_TRUE(token.is_empty());
    EXPECT_TRUE(log.contains("[game] The score token cannot be made: the cipher gave no key."));

    score_set_cipher_ops(&no_buffer);
    token = "left over";
    EXPECT_FALSE(r->make_submit_token("x", token));
    EXPECT_TRUE(token.is_empty());
    EXPECT_EQ(keys_freed, 1) << "the key goes back even when enciphering fails";
    EXPECT_TRUE(log.contains("[game] The score token cannot be made: the text could not be enciphered."));
}

TEST_F(score, the_cipher_turns_back_only_with_its_key_and_refuses_what_it_cannot_take) {
    const char text[] = "Red Fox,40000,15";
    cipher_key_t *key = cipher_key_gen(CIPHER_KEY_SCORE_UPLOAD);
    cipher_key_t *other = cipher_key_gen(2);
    ASSERT_TRUE(key && other);
    cipher_buffer_t *sealed = cipher_buf(text, sizeof text, key);
    ASSERT_NE(sealed, nullptr);
    EXPECT_EQ(sealed->size, sizeof text);
    EXPECT_NE(std::string(reinterpret_cast<char *>(sealed->data), sealed->size), std::string(text, sizeof text));
    cipher_buffer_t *wrong = decipher_buf(sealed->data, sealed->size, other);
    cipher_buffer_t *right = decipher_buf(sealed->data, sealed->size, key);
    EXPECT_NE(std::string(reinterpret_cast<char *>(wrong->data), wrong->size), std::string(text, sizeof text));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(right->data), right->size), std::string(text, sizeof text));
    for (cipher_buffer_t *b : {sealed, wrong, right}) cipher_buf_free(b);

    EXPECT_EQ(cipher_key_gen(0), nullptr);
    EXPECT_EQ(cipher_key_gen(256), nullptr);
    EXPECT_EQ(cipher_buf(text, 0, key), nullptr);
    EXPECT_EQ(cipher_buf(nullptr, 4, key), nullptr);
    EXPECT_EQ(cipher_buf(text, sizeof text, nullptr), nullptr);
    EXPECT_EQ(cipher_buf(text, CIPHER_MAX_BYTES + 1, key), nullptr);
    EXPECT_TRUE(log.contains("[cipher] There is no key number 256."));
    cipher_key_free(key);
    cipher_key_free(other);
    cipher_key_free(nullptr);
    cipher_buf_free(nullptr);
}

}  // namespace
}  // namespace quarn::test
