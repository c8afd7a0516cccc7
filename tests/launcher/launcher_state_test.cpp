#include <gtest/gtest.h>

#include <string>

#include "launcher_world.h"
#include "platform/settings_store.h"
#include "tools/kickup/src/exceptions.h"

namespace quarn::kickup {
namespace {

using fakes::launcher_world_t;

constexpr const char *KEY = "Software\\TZK Software\\Fernwold";

std::string joined(const std::vector<std::string> &v) {
    std::string out;
    for (const std::string &s : v) out += (out.empty() ? "" : " | ") + s;
    return out;
}

TEST(launcher_state, finds_the_game_beside_the_launcher_or_where_install_path_says) {
    launcher_world_t world;
    auto state = world.state();
    EXPECT_EQ(state->game_folder(), world.game_folder());
    EXPECT_EQ(state->game_executable(), world.game_folder() + "fernwold");
    EXPECT_EQ(state->user_folder(), world.user_folder());
    EXPECT_EQ(state->config_path(), world.user_folder() + "config.cfg");
    EXPECT_EQ(state->launcher_path(), world.game_folder() + "launcher");

    // Started elsewhere: InstallPath names the folder with its "/"; without it, the
    // folder above is searched.
    const std::string elsewhere = world.dir.file("elsewhere/launcher");
    ASSERT_TRUE(platform::settings_write_string(KEY, "InstallPath", world.game_folder().c_str()));
    EXPECT_EQ(launcher_state_t(elsewhere, world.machine, world.spawner).game_folder(), world.game_folder());
    const std::string no_slash = world.dir.file("game");
    ASSERT_TRUE(platform::settings_write_string(KEY, "InstallPath", no_slash.c_str()));
    try {
        launcher_state_t(elsewhere, world.machine, world.spawner);
        ADD_FAILURE() << "found a game in the folder above";
    } catch (const base_exception_t &e) {
        EXPECT_EQ(e.type_name(), "exception");
        EXPECT_EQ(e.source(), "kickup");
        EXPECT_EQ(e.message(), "Quarn executable was not found:  [" + world.dir.path() + "/fernwold]");
    }
    // Without any InstallPath the text names "./fernwold".
    ASSERT_TRUE(platform::settings_delete_value(KEY, "InstallPath"));
    try {
        launcher_state_t(elsewhere, world.machine, world.spawner);
        ADD_FAILURE();
    } catch (const base_exception_t &e) {
        EXPECT_EQ(e.message(), "Quarn executable was not found:  [./fernwold]");
    }
}

TEST(launcher_state, the_game_gets_its_log_or_runs_as_screensaver) {
    launcher_world_t world;
    const std::string log = world.user_folder() + "quarn3d.log";
    const struct {
        bool limit_set;
        uint32_t limit;
        bool screensaver;
        std::string argv;
    } cases[] = {
        {false, 0, false, world.game_folder() + "fernwold | -log | " + log + " | 300000"},
        {true, 0, false, world.game_folder() + "fernwold | -log | " + log},
        {true, 0xFFFFFFFFu, false, world.game_folder() + "fernwold | -log | " + log},
        {true, 1234, true, world.game_folder() + "fernwold | -screensaver"},
    };
    for (const auto &c : cases) {
        if (c.limit_set) {
            ASSERT_TRUE(platform::settings_write_number(KEY, "LogLimit", c.limit));
        }
        auto state = world.state();
        state->set_screensaver_mode(c.screensaver);
        world.spawner.started.clear();
        state->start_game();
        ASSERT_EQ(world.spawner.started.size(), 1u);
        EXPECT_EQ(joined(world.spawner.started[0].argv), c.argv);
        EXPECT_EQ(world.spawner.started[0].folder, world.game_folder());
        EXPECT_EQ(world.spawner.started[0].wait, c.screensaver);
    }
    // A start that fails is silent.
    world.spawner.succeed = false;
    EXPECT_NO_THROW(world.state()->start_game());
}

TEST(launcher_state, configuration_is_read_into_the_spec_record) {
    launcher_world_t world;
    const struct {
        const char *what;
        std::string config;
        std::string expected;  // device path mode fullscreen sound acceleration rate quality
    } cases[] = {
        {"no file: as built", "", "gl 10 1024x768x32x0 1 1 0 44100 1"},
        {"every variable",
         "uset r_device \"gl\"\nuset r_path \"6\"\nuset r_mode \"800x600x32x60\"\nuset r_fullscreen \"0\"\n"
         "uset s_device \"\"\nuset s_acceleration \"1\"\nuset s_mix_rate \"22050\"\nuset g_quality \"-1\"\n",
         "gl 6 800x600x32x60 0 0 1 22050 -1"},
        {"the game's own defaults",
         "uset r_device \"\"\nuset r_path \"3\"\nuset r_mode \"1024x768x32x0\"\nuset r_fullscreen \"1\"\n"
         "uset s_device \"snddev\"\nuset s_acceleration \"0\"\nuset s_mix_rate \"44100\"\nuset g_quality \"2\"\n",
         "gl 3 1024x768x32x0 1 1 0 44100 2"},
        {"a path not offered ends the seven, g_quality is still read",
         "uset r_path \"12\"\nuset r_mode \"800x600x32x60\"\nuset g_quality \"0\"\n", "gl 10 1024x768x32x0 1 1 0 44100 0"},
        {"a missing variable keeps the record's value and reading goes on",
         "uset r_path \"3\"\nuset s_mix_rate \"22050\"\n", "gl 3 1024x768x32x0 1 1 0 22050 1"},
        {"a device not offered", "uset r_device \"d3d\"\nuset r_path \"3\"\n", "gl 10 1024x768x32x0 1 1 0 44100 1"},
        {"a quality level the dialog cannot show", "uset g_quality \"3\"\n", "gl 10 1024x768x32x0 1 1 0 44100 1"},
    };
    for (const auto &c : cases) {
        if (c.config.empty()) std::remove((world.user_folder() + "config.cfg").c_str());
        else world.write_config(c.config);
        auto state = world.state();
        state->create_specs();
        const device_specs_t &s = *state->specs();
        const std::string got = s.current_device().device_name() + " " + std::to_string(s.current_path_id()) + " " +
                                display_mode_text(s.current_mode()) + " " + std::to_string(s.fullscreen()) + " " +
                                std::to_string(s.sound_enabled()) + " " + std::to_string(s.sound_acceleration()) + " " +
                                std::to_string(s.mix_rate()) + " " + std::to_string(s.quality_level());
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST(launcher_state, saving_merges_the_preset_and_writes_the_seven_variables) {
    launcher_world_t world;
    world.write_config("# quarn3d variable config data\r\n\r\nuset g_player_name \"Red Fox\"\r\nuset r_device \"gl\"\r\n"
                       "uset g_zclip \"0.9\"\r\n");
    auto state = world.state();
    state->create_specs();
    state->specs()->select_path(6);
    state->specs()->set_quality_level(2);
    state->specs()->set_sound_enabled(false);
    state->save_config_cvars();
    EXPECT_EQ(world.config_text(),
              "uset g_player_name \"Red Fox\"\r\nuset r_device \"gl\"\r\nuset g_zclip \"0.7\"\r\n"
              "uset g_quality \"2\"\r\nuset r_path \"6\"\r\nuset r_mode \"1024x768x32x0\"\r\nuset r_fullscreen \"1\"\r\n"
              "uset s_device \"\"\r\nuset s_acceleration \"0\"\r\nuset s_mix_rate \"44100\"\r\n");

    // The custom level writes g_quality "-1" and merges no preset.
    state->create_specs();
    state->specs()->set_quality_level(QUALITY_CUSTOM);
    state->save_config_cvars();
    const std::string custom = world.config_text();
    EXPECT_NE(custom.find("uset g_quality \"-1\"\r\n"), std::string::npos) << custom;
    EXPECT_NE(custom.find("uset g_zclip \"0.7\"\r\n"), std::string::npos) << custom;  // as the file had it
    EXPECT_NE(custom.find("uset s_device \"\"\r\n"), std::string::npos);

    // A preset that cannot be opened reaches the caller and the file stays.
    std::remove((world.game_folder() + "quality0.cfg").c_str());
    state->specs()->set_quality_level(0);
    try {
        state->save_config_cvars();
        ADD_FAILURE();
    } catch (const config_file_open_exception_t &e) {
        EXPECT_EQ(e.message(), world.game_folder() + "quality0.cfg");
    }
    EXPECT_EQ(world.config_text(), custom);
}

TEST(launcher_state, the_default_configuration_for_a_machine_that_cannot_be_probed) {
    launcher_world_t world;
    world.write_config("uset g_player_name \"Red Fox\"\nuset r_mode \"1600x1200x32x0\"\n");
    auto state = world.state();
    state->load_config_cvars();  // no spec record yet: the file alone is read
    state->write_default_config();
    EXPECT_EQ(world.config_text(),
              "uset g_player_name \"Red Fox\"\r\nuset r_mode \"800x600x16x0\"\r\nuset g_quality \"0\"\r\n"
              "uset g_zclip \"0.5\"\r\nuset r_device \"gl\"\r\nuset r_path \"3\"\r\nuset r_fullscreen \"1\"\r\n"
              "uset s_device \"snddev\"\r\nuset s_acceleration \"0\"\r\nuset s_mix_rate \"44100\"\r\n");
}

TEST(launcher_state, a_failed_probe_keeps_the_earlier_record) {
    launcher_world_t world;
    auto state = world.state();
    state->create_specs();
    device_specs_t *first = state->specs();
    world.write("game/specs.settings", "\"opengl\" {\n");
    EXPECT_THROW(state->create_specs(), settings_read_exception_t);
    EXPECT_EQ(state->specs(), first);
}

}  // namespace
}  // namespace quarn::kickup
