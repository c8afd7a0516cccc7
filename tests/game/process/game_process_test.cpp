// The game process without a program around it: its commands against a controller of
// the test's own, the frame rate before any hunt, the random missions, and the menu
// controller's steps.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <vector>
#include <string>

#include "game/ctrl/menu_ctrl.h"
#include "game/game_data.h"
#include "game/process/game_process.h"
#include "game/round/round_logic.h"
#include "game/round/round_progression.h"
#include "game/round/trail_use.h"
#include "game/scene/current_ctrl.h"
#include "game/session/score.h"
#include "game/ui/menu_ctrl_link.h"
#include "game/ui/screen_ctrl.h"
#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "kernel/hw_devices.h"
#include "kernel/recording_sound_device.h"
#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"
#include "kernel/sys.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/cvar.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/sonbase/sonbase.h"
#include "outside/visbase/render.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "game/scene/scene_fixture.h"
#include "support/fake_clock.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn::test {

// The hunt as "init_round" installs it, here a scene of the test's own.
class round_test_hunt_u : public test_ctrl_u {
    QRN_UNIT_CLASS(round_test_hunt_u, test_ctrl_u);
};
QRN_UNIT_DEFINE(round_test_hunt_u, "hunt_ctrl");

// What the rounds' trail uses name (in the game, an animal description).
class round_test_desc_u : public unit_t {
    QRN_UNIT_CLASS(round_test_desc_u, unit_t);
};
QRN_UNIT_DEFINE(round_test_desc_u, "round_test_desc");

namespace {

class game_process_alone : public scene_fixture_t {
protected:
    void SetUp() override {
        scene_fixture_t::SetUp();
        ASSERT_TRUE(score_u::register_class(bank));
        ASSERT_TRUE(test_ctrl_u::register_class(bank));
        ASSERT_TRUE(menu_ctrl_u::register_class(bank));
        data = new game_data_t;
        set_game_data(data);
        process = new game_process_t;
        process->register_console();
        fs_startup();
        mount = ufs_mount(FS_DEVICE_DIRECTORY, folder.path().c_str(), "/home", false, 0);
        ASSERT_NE(mount, nullptr);
        menu_ctrl_u::set_first_start(true);
    }
    void TearDown() override {
        set_current_ctrl(nullptr);
        delete process;
        set_game_data(nullptr);
        delete data;
        if (mount) ufs_unmount(mount);
        fs_shutdown();
        menu_ctrl_u::set_first_start(true);
        // The menus' windows brought the UI up.
        ui_shutdown();
        scene_fixture_t::TearDown();
    }

    // A controller of the test's own becomes current.
    test_ctrl_u *install_test_ctrl() {
        owner_ptr_ret_t<test_ctrl_u> ctrl = test_ctrl_u::create();
        test_ctrl_u *raw = ctrl.get();
        set_current_ctrl(std::move(ctrl));
        return raw;
    }

    std::string read_home(const char *name) { return read_file(folder.file(name)); }

    temp_dir_t folder;
    fs_device_t *mount = nullptr;
    game_data_t *data = nullptr;
    game_process_t *process = nullptr;
    message_capture_t log;
};

// The screens reach the process and the menu controller only through what the process
// installs; without it pausing, the splash and the menu steps would quietly do nothing.
TEST_F(game_process_alone, the_screens_reach_the_process_and_the_menu_controller) {
    EXPECT_EQ(get_screen_process(), static_cast<screen_process_t *>(process));
    screens_set_paused(true);
    EXPECT_TRUE(process->is_paused());
    EXPECT_TRUE(screens_is_paused());
    EXPECT_NE(cmd_get("profiler"), nullptr);

    owner_ptr_ret_t<menu_ctrl_u> menu = menu_ctrl_u::create();
    ASSERT_TRUE(menu);
    menu_ctrl_u *raw = menu.get();
    set_current_ctrl(std::move(menu));
    menu_set_scene_visible(true);
    menu_set_pending_step(menu_ctrl_u::STEP_AFTER_SPLASH);
    EXPECT_TRUE(raw->scene_visible);
    EXPECT_EQ(raw->pending_step, menu_ctrl_u::STEP_AFTER_SPLASH);
    set_current_ctrl(nullptr);

    delete process;
    process = nullptr;
    EXPECT_EQ(get_screen_process(), nullptr);
    EXPECT_EQ(get_menu_ctrl_access(), nullptr);
    EXPECT_EQ(cmd_get("profiler"), nullptr);
}

TEST_F(game_process_alone, the_average_frame_rate_is_10_before_any_hunt_frame) {
    EXPECT_FLOAT_EQ(process->get_average_fps(), 10.0f);
    EXPECT_FALSE(process->is_paused());
    process->set_paused(true);
    EXPECT_TRUE(process->is_paused());
}

// "r_path" names a valid path the context offers; else 3 when offered, else 1.
TEST_F(game_process_alone, the_render_path_falls_back_to_3_then_to_1) {
    const struct {
        const char *r_path;
        std::vector<int32_t> offered;
        int32_t chosen;
    } cases[] = {
        {"5", {1, 3, 5}, 5}, {"6", {1, 3, 5}, 3}, {"7", {1, 3, 5}, 3}, {"x", {1, 3, 5}, 3},
        {"5", {1, 2}, 1},    {"3", {}, 1},        {"14", {14}, 14},
    };
    for (const auto &c : cases) {
        r_context_t context(nullptr);
        for (int32_t p : c.offered) context.paths.append(p);
        ASSERT_TRUE(cvar_get("r_path")->set(c.r_path));
        EXPECT_EQ(game_process_t::choose_gfx_path(&context), c.chosen) << c.r_path;
    }
}

// A bad round id changes nothing: the controller stays, and so do the running scores.
TEST_F(game_process_alone, a_round_that_does_not_exist_keeps_the_controller_and_the_scores) {
    test_ctrl_u *ctrl = install_test_ctrl();
    score_u *running = data->get_running_score();
    ASSERT_NE(running, nullptr);
    data->start_round(7);  // the game data's own request, as a menu screen makes it
    for (const char *line : {"init_round 0", "init_round 1", "init_round 7", "init_round -1", "init_round 2x"}) {
        EXPECT_EQ(cmd_run_line(line, -1), cmd_t::DONE) << line;
        EXPECT_EQ(get_current_ctrl(), ctrl) << line;
        EXPECT_EQ(data->get_running_score(), running) << line;
    }
    EXPECT_TRUE(log.contains("Tried to start round (7), which does not exist."));
    EXPECT_FALSE(data->take_round_start_pending()) << "the refused command took the request";
}

// The commands that write or read the program's own files say so when they cannot:
// the mission of "map" and "screensaver" without a home to write it to, the
// screensaver's mission that does not read back, and a round progression that has
// lost its rounds (or the round asked for) since the start counted them.
TEST_F(game_process_alone, commands_say_when_their_files_fail) {
    ASSERT_TRUE(round_progression_u::register_class(bank));
    ASSERT_TRUE(round_logic_u::register_class(bank));
    ASSERT_TRUE(round_test_hunt_u::register_class(bank));
    temp_dir_t rounds;
    fs_device_t *script = ufs_mount(FS_DEVICE_DIRECTORY, rounds.path().c_str(), "/script/round", false, 0);
    ASSERT_NE(script, nullptr);
    auto progression = [&](const char *body) {
        ASSERT_TRUE(write_file(rounds.file("rounds.unit"),
                               std::string("RozErere\n{\nround_progression : .p\n{\n") + body + "}\n}\n"));
    };
    progression("rounds: 2\nrounds[0]: null\nrounds[1]: null\n");
    process->count_rounds();
    ASSERT_EQ(process->get_round_count(), 2u);

    ufs_unmount(mount);
    mount = nullptr;
    struct row_t {
        const char *line;
        const char *said;
    };
    const row_t homeless[] = {
        {"map valley", "[game_process_t] cannot save /home/tmp_mission.def"},
        {"screensaver", "Failed to generate mission"},
    };
    for (const row_t &row : homeless) {
        log.clear();
        EXPECT_EQ(cmd_run_line(row.line, -1), cmd_t::DONE) << row.line;
        EXPECT_TRUE(log.contains(row.said)) << row.line;
    }
    mount = ufs_mount(FS_DEVICE_DIRECTORY, folder.path().c_str(), "/home", false, 0);
    ASSERT_NE(mount, nullptr);
    const row_t rows[] = {
        // The mission is written but is no resource here: it does not read back.
        {"screensaver", "Mission (/home/tmp_mission.def) does not exist."},
        {"init_round 2", "Round (2) does not exist"},
    };
    for (const row_t &row : rows) {
        log.clear();
        EXPECT_EQ(cmd_run_line(row.line, -1), cmd_t::DONE) << row.line;
        EXPECT_TRUE(log.contains(row.said)) << row.line;
    }
    progression("rounds: 0\n");
    log.clear();
    EXPECT_EQ(cmd_run_line("init_round 1", -1), cmd_t::DONE);
    EXPECT_TRUE(log.contains("round_progression has no rounds"));
    set_current_ctrl(nullptr);
    ufs_unmount(script);
}

// Once a command has let the controller go, a round or a mission that does not start
// leads to the menu: the loading screen goes and the menu controller runs, so the
// player never faces a black screen without a window.
TEST_F(game_process_alone, a_round_or_a_mission_that_does_not_start_leads_to_the_menu) {
    for (const unit_descriptor_t *d : {&round_progression_u::unit_descriptor, &round_logic_u::unit_descriptor,
                                       &trail_use_u::unit_descriptor, &round_test_desc_u::unit_descriptor,
                                       &round_test_hunt_u::unit_descriptor})
        ASSERT_TRUE(bank.register_class(d));
    owner_ptr_t<round_test_desc_u> desc(round_test_desc_u::create());
    ASSERT_TRUE(desc->set_name("test.desc"));
    temp_dir_t rounds;
    fs_device_t *script = ufs_mount(FS_DEVICE_DIRECTORY, rounds.path().c_str(), "/script/round", false, 0);
    ASSERT_NE(script, nullptr);
    // Round 1 loads (the hunt here takes none), round 2 is missing.
    ASSERT_TRUE(write_file(rounds.file("rounds.unit"),
                           "RozErere\n{\nround_progression : .p\n{\nrounds: 2\nrounds[0]: .r1\nrounds[1]: null\n}\n"
                           "trail_use : .t1 { trail_name: \"t\" scorings_supported: 1 scorings_supported[0]: test.desc }\n"
                           "round_logic : .r1 { map_name: \"valley\" time_limit: 60 target_count: 1 "
                           "scoring_occurence: 1 trails: 1 trails[0]: .t1 }\n}\n"));
    process->count_rounds();
    ASSERT_EQ(process->get_round_count(), 2u);
    menu_ctrl_u::set_first_start(false);

    const struct {
        const char *line;
        const char *said;
    } cases[] = {
        {"start /home/none.def", "Mission (/home/none.def) does not exist."},
        {"init_round 2", "Round (2) does not exist"},
        {"init_round 1", "The hunt does not take round 1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        install_test_ctrl();
        process->set_controller_running(true);
        log.clear();
        EXPECT_EQ(cmd_run_line(c.line, -1), cmd_t::DONE);
        EXPECT_TRUE(log.contains(c.said));
        menu_ctrl_u *menu = unit_cast<menu_ctrl_u>(get_current_ctrl());
        ASSERT_NE(menu, nullptr) << "the menu takes the controller's place";
        EXPECT_EQ(menu->pending_step, menu_ctrl_u::STEP_LOADING) << "activated: the menu loads its scene next";
        EXPECT_TRUE(process->is_controller_running());
        EXPECT_EQ(process->get_loading_window(), nullptr);
    }
    set_current_ctrl(nullptr);
    ufs_unmount(script);
}

// An hour or a mode line that does not read is refused with the usage message, as a
// missing one is: "g_time abc" would otherwise set midnight.
TEST_F(game_process_alone, g_time_and_g_mode_refuse_what_does_not_read) {
    const char *time_usage = "Unable to change game-time - not enough parameters - usage: g_time <hour>";
    const char *mode_usage = "Unable to change mode - not enough params - usage: g_mode driver device modeline "
                             "fullscreen.";
    const struct {
        const char *line;
        int result;
        const char *said;
    } cases[] = {
        {"g_time abc", cmd_t::FAILED, time_usage},
        {"g_time 12abc", cmd_t::FAILED, time_usage},
        {"g_time nan", cmd_t::FAILED, time_usage},
        {"g_time 1e39", cmd_t::FAILED, time_usage},
        {"g_mode gl dev 640by480 1", cmd_t::FAILED, mode_usage},
        // A number of hours passes: here no scene has an environment to take it.
        {"g_time -1.5", cmd_t::DONE, "g_time: the scene has no environment"},
    };
    for (const auto &c : cases) {
        log.clear();
        EXPECT_EQ(cmd_run_line(c.line, -1), c.result) << c.line;
        EXPECT_TRUE(log.contains(c.said)) << c.line;
    }
    EXPECT_FALSE(process->is_mode_switch_requested());
}

// The screens ask which rounds are played on a map: their numbers in the progression,
// by the exact map name. A progression that does not load says why and has none.
TEST_F(game_process_alone, the_rounds_of_a_map_by_number) {
    for (const unit_descriptor_t *d : {&round_progression_u::unit_descriptor, &round_logic_u::unit_descriptor,
                                       &trail_use_u::unit_descriptor, &round_test_desc_u::unit_descriptor})
        ASSERT_TRUE(bank.register_class(d));
    owner_ptr_t<round_test_desc_u> desc(round_test_desc_u::create());
    ASSERT_TRUE(desc->set_name("test.desc"));
    temp_dir_t rounds;
    fs_device_t *script = ufs_mount(FS_DEVICE_DIRECTORY, rounds.path().c_str(), "/script/round", false, 0);
    ASSERT_NE(script, nullptr);
    std::string text = "RozErere\n{\nround_progression : .p\n{\nrounds: 3\n";
    for (int i = 1; i <= 3; ++i) text += "rounds[" + std::to_string(i - 1) + "]: .r" + std::to_string(i) + "\n";
    text += "}\n";
    int n = 0;
    for (const char *map : {"valley", "cross", "valley"}) {
        const std::string r = std::to_string(++n);
        text += "trail_use : .t" + r + " { trail_name: \"t\" scorings_supported: 1 scorings_supported[0]: test.desc }\n";
        text += "round_logic : .r" + r + " { map_name: \"" + map +
                "\" time_limit: 60 target_count: 1 scoring_occurence: 1 trails: 1 trails[0]: .t" + r + " }\n";
    }
    ASSERT_TRUE(write_file(rounds.file("rounds.unit"), text + "}\n"));
    const struct {
        const char *map;
        std::vector<uint32_t> numbers;
    } cases[] = {{"valley", {1, 3}}, {"cross", {2}}, {"Valley", {}}, {"peaks", {}}};
    for (const auto &c : cases) {
        array_dyn_t<uint32_t> found;
        EXPECT_TRUE(process->find_rounds_on_map(c.map, found)) << c.map;
        EXPECT_EQ(std::vector<uint32_t>(found.begin(), found.end()), c.numbers) << c.map;
    }
    const struct {
        const char *file;  // null: none
        const char *said;
    } broken[] = {
        {"RozErere\n{\nround_progression : .p { rounds: 1 rounds[0]: .none }\n}\n",
         "load_unit_tree() - Failed to load unit tree from file (/script/round/rounds.unit)"},
        {nullptr, "load_unit_tree() - Failed to open file (/script/round/rounds.unit)"},
    };
    for (const auto &b : broken) {
        if (b.file) ASSERT_TRUE(write_file(rounds.file("rounds.unit"), b.file));
        else ASSERT_EQ(std::remove(rounds.file("rounds.unit").c_str()), 0);
        log.clear();
        array_dyn_t<uint32_t> found;
        EXPECT_FALSE(process->find_rounds_on_map("valley", found)) << b.said;
        EXPECT_EQ(found.get_count(), 0u);
        EXPECT_TRUE(log.contains(b.said)) << b.said;
    }
    ufs_unmount(script);
}

// While UI effects hold the controller, a command that must replace it closes its
// windows and asks to run again; once free, it runs.
TEST_F(game_process_alone, a_busy_controller_makes_the_command_wait) {
    test_ctrl_u *ctrl = install_test_ctrl();
    ctrl->raise_busy_count();
    // Every command that replaces the controller, or ends the game, waits.
    int closed = test_ctrl_u::windows_closed;
    for (const char *line : {"menu", "start /home/m.def", "screensaver", "quit"}) {
        EXPECT_EQ(cmd_run_line(line, -1), 0) << line;
        EXPECT_EQ(test_ctrl_u::windows_closed, ++closed) << line;
        EXPECT_EQ(get_current_ctrl(), ctrl) << line;
    }
    EXPECT_FALSE(process->is_controller_running());
    EXPECT_EQ(read_home("tmp_mission.def"), "") << "no screensaver mission while the scene is busy";
    ctrl->lower_busy_count();
    EXPECT_EQ(cmd_run_line("menu", -1), cmd_t::DONE);
    ASSERT_NE(get_current_ctrl(), nullptr);
    EXPECT_NE(unit_cast<menu_ctrl_u>(get_current_ctrl()), nullptr);
    EXPECT_TRUE(process->is_controller_running());
}

// A controller that closing its windows frees (every effect that held it was in them)
// is let go at once: the command does not wait a pass for nothing.
TEST_F(game_process_alone, a_controller_freed_by_closing_its_windows_is_let_go_at_once) {
    test_ctrl_u *ctrl = install_test_ctrl();
    ctrl->raise_busy_count();
    ctrl->raise_busy_count();
    ctrl->frees_at_close = true;
    const int closed = test_ctrl_u::windows_closed;
    EXPECT_EQ(cmd_run_line("menu", -1), cmd_t::DONE);
    EXPECT_GT(test_ctrl_u::windows_closed, closed);
    EXPECT_NE(unit_cast<menu_ctrl_u>(get_current_ctrl()), nullptr);
}

// "map" during a busy scene waits too, and writes its mission only once the scene
// has gone: the map, time 10 and clear weather.
TEST_F(game_process_alone, a_map_waits_for_the_busy_controller_then_writes_its_mission) {
    test_ctrl_u *ctrl = install_test_ctrl();
    ctrl->raise_busy_count();
    EXPECT_EQ(cmd_run_line("map valley", -1), 0);
    EXPECT_EQ(get_current_ctrl(), ctrl);
    EXPECT_EQ(read_home("tmp_mission.def"), "") << "nothing written while the scene is busy";
    ctrl->lower_busy_count();
    EXPECT_EQ(cmd_run_line("map valley", -1), cmd_t::DONE);
    EXPECT_EQ(get_current_ctrl(), nullptr);
    const std::string mission = read_home("tmp_mission.def");
    for (const char *part : {"def animals {", "area: \"valley\"", "time: \"10\"", "weather: \"clear\""})
        EXPECT_NE(mission.find(part), std::string::npos) << part << "\n" << mission;
    EXPECT_EQ(mission.find("start_id"), std::string::npos);
}

TEST_F(game_process_alone, menu_kinds_by_the_start_screen) {
    const struct {
        const char *line;
        int32_t kind;
    } cases[] = {{"menu", menu_ctrl_u::MENU_MAIN},
                 {"menu highscore", menu_ctrl_u::MENU_HIGHSCORE},
                 {"menu party", menu_ctrl_u::MENU_PARTY},
                 {"menu other", menu_ctrl_u::MENU_MAIN}};
    for (const auto &c : cases) {
        EXPECT_EQ(cmd_run_line(c.line, -1), cmd_t::DONE) << c.line;
        menu_ctrl_u *menu = unit_cast<menu_ctrl_u>(get_current_ctrl());
        ASSERT_NE(menu, nullptr) << c.line;
        EXPECT_EQ(menu->menu_kind, c.kind) << c.line;
    }
}

// The start splash comes only with the first menu of the run; every later menu asks
// for the loading screen. Without the splash's window the menu comes at once.
TEST_F(game_process_alone, the_start_splash_comes_once) {
    ASSERT_EQ(cmd_run_line("menu", -1), cmd_t::DONE);
    menu_ctrl_u *first = unit_cast<menu_ctrl_u>(get_current_ctrl());
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(menu_ctrl_u::is_first_start());
    EXPECT_EQ(first->pending_step, menu_ctrl_u::STEP_AFTER_SPLASH);
    ASSERT_EQ(cmd_run_line("menu", -1), cmd_t::DONE);
    menu_ctrl_u *second = unit_cast<menu_ctrl_u>(get_current_ctrl());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->pending_step, menu_ctrl_u::STEP_LOADING);
}

// The background mission that cannot start leaves a menu without a scene; "menu
// party" keeps the party players, any other menu clears them; with scene_visible
// false the scene is neither updated nor drawn.
TEST_F(game_process_alone, the_menu_steps_party_and_hidden_scene) {
    sonbase_init(dl_lib_t::get_main_handle());
    snd_start(&bank, system);
    recording_sound_device_t device{"snddev"};
    hw_device_insert(&device);
    ASSERT_TRUE(snd_init_devices());
    const char *const players[] = {"Ann", "Bo"};
    const struct {
        const char *line;
        uint32_t players_left;
    } cases[] = {{"menu party", 2}, {"menu", 0}, {"menu highscore", 0}};
    for (const auto &c : cases) {
        data->set_party_players(players, 2);
        ASSERT_EQ(cmd_run_line(c.line, -1), cmd_t::DONE) << c.line;
        menu_ctrl_u *menu = unit_cast<menu_ctrl_u>(get_current_ctrl());
        ASSERT_NE(menu, nullptr);
        menu->update(0.1f);
        EXPECT_EQ(menu->pending_step, menu_ctrl_u::STEP_NONE) << c.line;
        EXPECT_EQ(data->get_party_player_count(), c.players_left) << c.line;
        EXPECT_FALSE(menu->mission_loaded) << "the mission is no resource here";
        EXPECT_TRUE(log.contains("Mission (/home/tmp_mission.def) does not exist.")) << c.line;
        EXPECT_EQ(menu->get_frame_count(), 0u) << "no scene, no update";
        // The music plays in the menus' tag, looping, at 0.9.
        const sound_u *music = menu->get_music();
        ASSERT_NE(music, nullptr) << c.line;
        EXPECT_STREQ(music->resource_name.c_str(), "/sound/music/track1.ogg");
        EXPECT_FLOAT_EQ(music->attributes.volume, 0.9f);
        EXPECT_EQ(music->tag, 20);
        EXPECT_TRUE(music->has_flag(sound_u::KEEP));
        EXPECT_TRUE(music->has_flag(sound_u::PLAY_REQUESTED));
    }
    menu_ctrl_u *menu = unit_cast<menu_ctrl_u>(get_current_ctrl());
    // The listener stands away from the menu's camera until the scene is shown.
    const placement_t away({500.0f, 20.0f, -300.0f}, quat_t());
    snd_listener(&away, nullptr);
    snd_update_state();
    ASSERT_NE(menu->get_view(), nullptr);
    const vec3_t camera = menu->get_view()->get_placement().position;
    ASSERT_GT(length(camera - away.position), 1.0f);

    menu->mission_loaded = true;
    menu->scene_visible = false;
    menu->update(0.1f);
    menu->draw();
    snd_update_state();
    EXPECT_EQ(menu->get_frame_count(), 0u);
    EXPECT_FALSE(menu->grass_primed) << "not drawn";
    EXPECT_EQ(device.get_listener().placement.position, away.position) << "the listener stays";
    menu->scene_visible = true;
    menu->update(0.1f);
    menu->draw();
    snd_update_state();  // the frame's sound update hands the device the listener
    EXPECT_EQ(menu->get_frame_count(), 1u);
    EXPECT_TRUE(menu->grass_primed);
    EXPECT_EQ(device.get_listener().placement.position, camera) << "the listener goes with the camera";
    set_current_ctrl(nullptr);
    snd_shutdown_devices();
    snd_stop();
    hw_device_remove(&device);
    sonbase_shutdown();
}

// The same kernel random sequence gives the same mission; the areas and weathers come
// from their lists, peaks never has the violet dusk, and every mission is at 11.
TEST_F(game_process_alone, random_missions_follow_the_kernel_random_sequence) {
    fake_clock_t clock;
    clock.cycles = 12345;
    sys_reset_random();
    ASSERT_TRUE(process->generate_random_mission("/home/a.def", true));
    sys_reset_random();
    ASSERT_TRUE(process->generate_random_mission("/home/b.def", true));
    clock.cycles_per_usec = 7;
    EXPECT_EQ(read_home("a.def"), read_home("b.def"));

    std::set<std::string> areas, weathers;
    for (int i = 0; i < 60; ++i) {
        clock.usec += 1013;  // each mission at another cycle count
        ASSERT_TRUE(process->generate_random_mission("/home/m.def", i % 2 == 0));
        const std::string m = read_home("m.def");
        EXPECT_NE(m.find("time: \"11\""), std::string::npos) << m;
        EXPECT_NE(m.find("def animals {"), std::string::npos) << m;
        std::string area;
        for (const char *a : {"valley", "cross", "peaks"})
            if (m.find(std::string("area: \"") + a + "\"") != std::string::npos) area = a;
        ASSERT_FALSE(area.empty()) << m;
        areas.insert(area);
        std::string weather;
        for (const char *w : {"clear", "rain", "sunset", "violet"})
            if (m.find(std::string("weather: \"") + w + "\"") != std::string::npos) weather = w;
        ASSERT_FALSE(weather.empty()) << m;
        if (i % 2 == 1) {
            EXPECT_EQ(weather, "clear") << "without weather";
        }
        if (area == "peaks") {
            EXPECT_NE(weather, "violet");
        }
        weathers.insert(weather);
    }
    EXPECT_EQ(areas.size(), 3u);
    EXPECT_EQ(weathers.size(), 4u);
    EXPECT_FALSE(process->generate_random_mission("/nowhere/m.def", true));
}

}  // namespace
}  // namespace quarn::test
