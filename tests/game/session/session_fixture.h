#pragma once
// A world for the session: a unit system over a bank with the session's classes, a
// temporary home folder at "/home" (through a device that can be made to fail the
// writes of temporary files), the shipped defaults at "/script", a settings store in
// the temporary folder, the variable g_player_name, recording "init_round" and "menu"
// commands, a recording window table and a fixed savegame binding.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/session/front_end_session.h"
#include "game/session/savegame.h"
#include "game/session/session_ui.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/cvar.h"
#include "qrncore/qrnutils/ufs/fs_device.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "support/env_guard.h"
#include "support/fake_item.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn::test {

// Records what the session asks of the window table, as lines "insert game/finished
// 0 /ui/gfinished.esc", "show game/finished 0", "hide game/finished", "remove
// game/finished". Like the real table it holds one reference on every window it has
// inserted until it removes it.
class recording_ui_t : public session_ui_t {
public:
    struct window_t : fake_item_t {
        std::string group, name;
    };

    c_item_t *insert_window(const char *group, const char *name, uint32_t flags, const char *layout) override;
    void show_window(c_item_t *window, uint32_t flags) override;
    void hide_window(c_item_t *window) override;
    void remove_window(c_item_t *window) override;

    std::vector<std::string> calls;
    std::vector<std::unique_ptr<window_t>> windows;  // every window ever inserted
    bool refuse = false;                             // insert_window gives null
};

// The directory device of a folder, whose files named "*.tmp" fail every write past
// write_limit bytes while it is not negative.
class failing_dir_t : public fs_device_t {
public:
    explicit failing_dir_t(const std::string &path);
    ~failing_dir_t() override;

    auto_ptr_t<file_t>::ret_t open(const string &path) override;
    auto_ptr_t<file_t>::ret_t create(const string &path) override;
    auto_ptr_t<file_t>::ret_t append(const string &path) override;
    bool remove(const string &path) override;
    bool stat(const string &path, fs_stat_t *out) override;
    bool get_system_path(mstring_t &out, const string &path) override;
    bool mkdir(const string &path) override;
    auto_ptr_t<fs_dirlist_t>::ret_t read_dir(const string &path, bool full_paths) override;

    int64_t write_limit = -1;

private:
    fs_device_t *m_inner;
};

class session_fixture_t : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

public:
    // The session over the recording table (a new one each call; the old one goes first).
    front_end_session_t &start_session();
    void end_session() { session.reset(); }
    game_data_t &data() { return session->get_game_data(); }

    // Files of the home folder, in the operating system.
    std::string home_file(const std::string &name) const { return dir.file("home/" + name); }
    std::vector<std::string> home_listing() const;

    // Replaces the defaults at "/script" by a folder holding only this scores.unit.
    void use_defaults(const std::string &text);

    void set_player_name(const char *name) { player_name.set(name); }

    // Recorded commands ("init_round 1", "menu party"), with the round-start flag as
    // it was when "init_round" ran ("init_round 1 pending").
    static inline std::vector<std::string> commands;
    static inline game_data_t *recorded_data = nullptr;

    temp_dir_t dir;
    env_guard_t config_home{"XDG_CONFIG_HOME"};
    message_capture_t log;
    unit_bank_t bank;
    unit_system_t *system = nullptr;
    failing_dir_t *home = nullptr;
    fs_device_t *defaults = nullptr;
    recording_ui_t ui;
    std::unique_ptr<front_end_session_t> session;
    cvar_t player_name{"g_player_name", "Hunter"};
    cmd_t init_round{"init_round", &record_init_round};
    cmd_t menu{"menu", &record_menu};
    uint32_t live_before = 0;

    // The binding the savegame sees: a user name and the next values handed out.
    static inline std::string user = "ranger";
    static inline uint32_t next_value = 0xbeef0001;

private:
    static int record_init_round(const cmd_context_t *c);
    static int record_menu(const cmd_context_t *c);
    static bool fixed_user_name(char *out, size_t size);
    static uint32_t counting_value();
};

}  // namespace quarn::test
