// The savegame: bound to the player name, the user and a value in the settings store,
// scrambled on disk, resumed once, and written so that a failed save keeps the one
// before it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "game/session/session_fixture.h"
#include "platform/files.h"
#include "platform/settings_store.h"
#include "qrncore/qrnutils/ufs/cfile.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

class savegame : public session_fixture_t {
protected:
    void SetUp() override {
        session_fixture_t::SetUp();
        start_session();
        data().round_count = 30;
        data().start_game(4, true);
        data().get_running_score()->score = 1234;
        data().get_checkpoint_score()->score = 1000;
        data().get_checkpoint_score()->continue_coins = 2;
        commands.clear();
    }

public:
    // The save's file, its temporary file and the stored value ("<none>" for each
    // missing), as a program that ended at some step leaves them.
    struct state_t {
        std::string file, temp, value;
    };
    state_t state() const {
        auto bytes = [&](const char *name) {
            return std::filesystem::exists(home_file(name)) ? read_file(home_file(name)) : std::string("<none>");
        };
        return {bytes("savegame"), bytes("savegame.tmp"), stored()};
    }
    void set_state(const state_t &s) {
        const std::pair<const char *, const std::string *> files[] = {{"savegame", &s.file},
                                                                       {"savegame.tmp", &s.temp}};
        for (const auto &[name, bytes] : files) {
            std::filesystem::remove(home_file(name));
            if (*bytes != "<none>") {
                ASSERT_TRUE(write_file(home_file(name), *bytes));
            }
        }
        if (s.value == "<none>") {
            ASSERT_TRUE(platform::settings_delete_value(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE));
        } else {
            ASSERT_TRUE(platform::settings_write_string(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE, s.value.c_str()));
        }
    }
    static std::string stored() {
        char value[64] = "";
        if (!platform::settings_read_string(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE, value, sizeof value))
            return "<none>";
        return value;
    }
    std::string save_bytes() const { return read_file(home_file("savegame")); }
    // The save's text as the game reads it.
    static std::string plain_text() {
        auto_ptr_t<file_t> file = fs_open("/home/savegame", FS_REALM_VIRTUAL);
        if (!file) return "";
        cfile_t plain(file);
        std::string text(size_t(plain.size()), '\0');
        if (!plain.read(text.data(), uint32_t(text.size()))) return "";
        return text;
    }
    // Puts a save of this text in place, scrambled as the game writes it.
    static void write_plain(const std::string &text) {
        auto_ptr_t<file_t> file = fs_create("/home/savegame", FS_REALM_VIRTUAL);
        ASSERT_TRUE(file);
        cfile_t scrambled(file);
        ASSERT_TRUE(scrambled.write(text.data(), uint32_t(text.size())));
    }
};

TEST_F(savegame, a_save_loads_only_while_its_binding_holds) {
    struct case_t {
        const char *what;
        std::function<void(savegame &)> change;
        bool loads;
        std::function<void(savegame &)> undo;
    } cases[] = {
        {"as saved", [](savegame &) {}, true, nullptr},
        {"another player name hides it, the name back shows it",
         [](savegame &t) { t.set_player_name("Someone Else"); }, false,
         [](savegame &t) { t.set_player_name("Hunter"); }},
        {"another user hides it", [](savegame &) { user = "intruder"; }, false, [](savegame &) { user = "ranger"; }},
        {"a changed stored value hides it",
         [](savegame &) { platform::settings_write_string(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE, "1234"); },
         false, nullptr},
        {"a removed stored value hides it",
         [](savegame &) { platform::settings_delete_value(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE); }, false,
         nullptr},
        {"a stored number is no value",
         [](savegame &) {
             platform::settings_write_number(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE, 0xbeef0001);
         },
         false, nullptr},
        {"a second save makes the first invalid",
         [](savegame &t) {
             const std::string first = t.save_bytes();
             ASSERT_TRUE(savegame_write());
             EXPECT_TRUE(savegame_exists());
             ASSERT_TRUE(write_file(t.home_file("savegame"), first));
         },
         false, nullptr},
        {"two security entries are no save",
         [](savegame &) {
             write_plain("RozErere\n{\nsavegame : .s { security: 2 security[0]: Hunter security[1]: ranger score: .c "
                         "round_id: 4 }\nscore : .c { }\n}\n");
         },
         false, nullptr},
        {"a save without a score is no save",
         [](savegame &) {
             write_plain("RozErere\n{\nsavegame : .s { security: 3 security[0]: Hunter security[1]: ranger "
                         "security[2]: beef0001 }\n}\n");
             platform::settings_write_string(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE, "beef0001");
         },
         false, nullptr},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        next_value = 0xbeef0001;
        ASSERT_TRUE(savegame_write());
        ASSERT_TRUE(savegame_exists());
        c.change(*this);
        EXPECT_EQ(savegame_exists(), c.loads);
        if (c.undo) {
            c.undo(*this);
            EXPECT_TRUE(savegame_exists());
        }
    }
    EXPECT_TRUE(log.contains("[savegame_u] Invalid savegame [all]."));
    EXPECT_TRUE(log.contains("[savegame_u] Invalid savegame [score]."));
}

TEST_F(savegame, the_file_is_scrambled_unit_text_of_the_checkpoint) {
    ASSERT_TRUE(savegame_write());
    EXPECT_EQ(stored(), "beef0001");
    const std::string bytes = save_bytes();
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.find("RozErere"), std::string::npos);
    EXPECT_EQ(bytes.find("savegame"), std::string::npos);
    const std::string text = plain_text();
    EXPECT_EQ(text.rfind("RozErere", 0), 0u) << text;
    for (const char *line : {"security[0]: Hunter", "security[1]: ranger", "security[2]: beef0001", "round_id: 4",
                             "expert_mode: true", "score: 1000", "continue_coins: 2"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    EXPECT_EQ(home_listing(), (std::vector<std::string>{"savegame", "scores.unit"}));
}

TEST_F(savegame, resuming_restores_the_game_once_and_leaves_neither_file_nor_value) {
    ASSERT_TRUE(savegame_write());
    data().start_game(1, false);  // another game meanwhile
    commands.clear();

    ASSERT_TRUE(savegame_resume());
    EXPECT_EQ(commands, std::vector<std::string>{"init_round 4 pending"});
    EXPECT_EQ(data().round_index, 4u);
    EXPECT_TRUE(data().expert);
    EXPECT_EQ(data().get_running_score()->score, 1000u);
    EXPECT_EQ(data().get_checkpoint_score()->score, 1000u);
    EXPECT_EQ(data().get_continue_coins(), 2u);
    EXPECT_NE(data().get_running_score(), data().get_checkpoint_score());

    EXPECT_EQ(home_listing(), std::vector<std::string>{"scores.unit"});
    EXPECT_EQ(stored(), "<none>");
    EXPECT_FALSE(savegame_exists());
    EXPECT_FALSE(savegame_resume());
}

TEST_F(savegame, a_save_that_fails_part_way_keeps_the_earlier_save_loadable) {
    ASSERT_TRUE(savegame_write());
    const std::string before = save_bytes();
    data().round_index = 9;

    home->write_limit = 10;
    EXPECT_FALSE(savegame_write());
    EXPECT_EQ(save_bytes(), before);
    EXPECT_EQ(home_listing(), (std::vector<std::string>{"savegame", "scores.unit"})) << "no temporary file left";
    EXPECT_EQ(stored(), "beef0001") << "the earlier value is back";
    home->write_limit = -1;
    EXPECT_TRUE(savegame_exists());

    // A settings store that cannot be written refuses the binding: nothing is saved.
    const std::string not_a_folder = dir.file("config-file");
    ASSERT_TRUE(write_file(not_a_folder, "x"));
    setenv("XDG_CONFIG_HOME", not_a_folder.c_str(), 1);
    static std::vector<std::string> store_warnings;
    platform::settings_store_set_warning_sink([](const char *text) { store_warnings.push_back(text); });
    EXPECT_FALSE(savegame_write());
    platform::settings_store_set_warning_sink(nullptr);
    EXPECT_EQ(store_warnings.size(), 1u);
    EXPECT_TRUE(log.contains("[savegame_u] The settings store refused SaveMeasure"));
    EXPECT_EQ(save_bytes(), before);
    EXPECT_EQ(home_listing(), (std::vector<std::string>{"savegame", "scores.unit"}));
    setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    EXPECT_TRUE(savegame_exists());

    // The first save of all, failing, leaves no value behind.
    ASSERT_TRUE(platform::settings_delete_value(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE));
    ASSERT_TRUE(fs_remove("/home/savegame", FS_REALM_VIRTUAL));
    home->write_limit = 10;
    EXPECT_FALSE(savegame_write());
    EXPECT_EQ(stored(), "<none>");
    EXPECT_EQ(home_listing(), std::vector<std::string>{"scores.unit"});
}

// The new file takes the old one's place in one move, never by being copied over
// it: when the move fails, the earlier save keeps its bytes and its value and still
// loads, and no temporary file is left.
TEST_F(savegame, a_save_whose_file_cannot_be_moved_keeps_the_earlier_one) {
    ASSERT_TRUE(savegame_write());
    const std::string before = save_bytes();
    data().round_index = 9;
    platform::file_set_rename([](const char *, const char *) { return -1; });
    EXPECT_FALSE(savegame_write());
    platform::file_set_rename(nullptr);
    EXPECT_TRUE(log.contains("could not take the place of '/home/savegame': the old file is kept."));
    EXPECT_EQ(save_bytes(), before);
    EXPECT_EQ(stored(), "beef0001");
    EXPECT_EQ(home_listing(), (std::vector<std::string>{"savegame", "scores.unit"}));
    ASSERT_TRUE(savegame_resume());
    EXPECT_EQ(data().round_index, 4u);
}

// A save stopped part way, as when the program ends between its steps, still leaves
// one save that loads with its value: before the value is stored, the earlier one;
// from then on the new one, whose file is put in place when the save is looked for.
TEST_F(savegame, a_save_stopped_between_its_steps_leaves_a_save_with_its_value) {
    ASSERT_TRUE(savegame_write());  // round 4, value beef0001
    // The files and the value as the new file is about to take the old one's place,
    // and just after.
    static savegame *self = nullptr;
    static state_t before_move, after_move;
    self = this;
    platform::file_set_rename([](const char *from, const char *to) {
        const bool save = std::string(to).ends_with("/savegame");
        if (save) before_move = self->state();
        const int moved = ::rename(from, to);
        if (save) after_move = self->state();
        return moved;
    });
    data().round_index = 9;
    ASSERT_TRUE(savegame_write());  // round 9, value beef0002
    platform::file_set_rename(nullptr);
    ASSERT_NE(before_move.temp, "<none>");
    ASSERT_EQ(after_move.temp, "<none>");

    state_t unbound = before_move;
    unbound.value = "beef0001";
    const struct {
        const char *stopped;
        state_t state;
        uint32_t round;
    } cases[] = {
        {"before its value was stored", unbound, 4},
        {"after its value was stored", before_move, 9},
        {"after its file was moved", after_move, 9},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stopped);
        set_state(c.state);
        EXPECT_TRUE(savegame_exists());
        ASSERT_TRUE(savegame_resume());
        EXPECT_EQ(data().round_index, c.round);
        EXPECT_EQ(home_listing(), std::vector<std::string>{"scores.unit"});
        EXPECT_EQ(stored(), "<none>");
    }
}

// A save naming a round the progression no longer has could never be resumed: it is
// not offered, and resuming it changes nothing, the save included.
TEST_F(savegame, a_save_of_a_round_that_does_not_exist_is_not_offered_and_stays) {
    ASSERT_TRUE(savegame_write());
    data().round_count = 3;
    EXPECT_FALSE(savegame_exists());
    EXPECT_TRUE(log.contains("[savegame_u] The savegame names round 4, which does not exist."));
    EXPECT_FALSE(savegame_resume());
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(home_listing(), (std::vector<std::string>{"savegame", "scores.unit"}));
    EXPECT_EQ(stored(), "beef0001");
    data().round_count = 30;
    EXPECT_TRUE(savegame_exists());
}

TEST_F(savegame, the_binding_is_the_users_login_and_a_random_hexadecimal_value) {
    savegame_set_binding(nullptr);
    ASSERT_TRUE(savegame_write());
    const std::string value = stored();
    ASSERT_FALSE(value.empty());
    EXPECT_EQ(value.find_first_not_of("0123456789abcdef"), std::string::npos) << value;
    EXPECT_TRUE(value == "0" || value[0] != '0') << value;
    EXPECT_NE(plain_text().find("security[2]: " + value), std::string::npos);
    EXPECT_TRUE(savegame_exists());
}

TEST_F(savegame, without_a_game_there_is_nothing_to_save_or_resume_into) {
    ASSERT_TRUE(savegame_write());
    end_session();
    EXPECT_FALSE(savegame_write());
    EXPECT_FALSE(savegame_resume());
    EXPECT_TRUE(log.contains("[savegame_u] There is no game to save."));
    EXPECT_EQ(stored(), "beef0001") << "the save is still there to resume";
}

}  // namespace
}  // namespace quarn::test
