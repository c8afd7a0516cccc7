#pragma once
// A machine and a file system for the launcher's logic: a game folder holding the
// launcher, the game, a small database and the quality presets; documents and config
// folders of the test's own; a fake machine; a spawner that records what it would
// have started.
#include <memory>
#include <string>
#include <vector>

#include "launcher_fakes.h"
#include "support/env_guard.h"
#include "support/temp_dir.h"
#include "tools/kickup/src/launcher_state.h"

namespace quarn::kickup::fakes {

class recording_spawner_t : public spawner_t {
public:
    struct started_t {
        std::vector<std::string> argv;
        std::string folder;
        bool wait;
    };
    std::vector<started_t> started;
    bool succeed = true;

    bool spawn(const std::vector<std::string> &argv, const std::string &folder, bool wait) override {
        started.push_back({argv, folder, wait});
        return succeed;
    }
};

// Paths 3, 6 and 10 (10 the default), card levels by renderer name, recommended modes
// per level, quality_count 3 with the custom level.
inline const char *TEST_DATABASE =
    "\"ratings\" {\n\"quality_count\" : \"3\"\n\"use_custom\" : \"1\"\n}\n"
    "\"cpu_ratings\" {\n\"a\" : \"0\"\n\"b\" : \"1000\"\n\"c\" : \"2000\"\n}\n"
    "\"mem_ratings\" {\n\"a\" : \"0\"\n\"b\" : \"512\"\n\"c\" : \"2048\"\n}\n"
    "\"opengl\" {\n"
    "\"minimum_display_mode\" : \"640x480x16x0\"\n"
    "\"recommended_display_modes\" {\n\"0\" : \"800x600x32x0\"\n\"1\" : \"1024x768x32x0\"\n\"2\" : \"1280x1024x32x0\"\n}\n"
    "\"card_ratings\" {\n\"low\" {\n\"Slow Card\"\n}\n\"mid\" {\n\"Fake\"\n}\n\"high\" {\n\"Fast Card\"\n}\n}\n"
    "\"problematic_drivers\" {\n\"2.1 Broken\" : \"1\"\n}\n"
    "\"path\" {\n\"render_paths\" {\n"
    "\"basic\" {\n\"path_id\" : \"3\"\n\"description_id\" : \"520\"\n}\n"
    "\"better\" {\n\"path_id\" : \"6\"\n\"description_id\" : \"522\"\n}\n"
    "\"best\" {\n\"path_id\" : \"10\"\n\"description_id\" : \"524\"\n}\n"
    "}\n}\n}\n";

class launcher_world_t {
public:
    launcher_world_t() : m_docs("XDG_DOCUMENTS_DIR"), m_config("XDG_CONFIG_HOME"), m_home("HOME") {
        setenv("XDG_DOCUMENTS_DIR", dir.file("docs").c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
        setenv("HOME", dir.path().c_str(), 1);
        write("docs/.keep", "");
        write("game/fernwold", "#!/bin/sh\n");
        write("game/specs.settings", TEST_DATABASE);
        for (int level = 0; level < 3; ++level)
            write("game/quality" + std::to_string(level) + ".cfg",
                  "# preset\r\nuset g_quality \"" + std::to_string(level) + "\"\r\nuset g_zclip \"0." +
                      std::to_string(level + 5) + "\"\r\n");
        machine.processor = cpu_info_t("GenuineIntel", "Fake", 1500);  // level 1
        machine.memory_bytes = 1024u << 20;                            // level 1
        machine.gl_connector.driver.renderer = "Fake Renderer";      // level 1
        machine.screen.listed = {mode(640, 480, 32, 60),  mode(800, 600, 32, 60),   mode(1024, 768, 32, 60),
                                 mode(1024, 768, 32, 75), mode(1280, 960, 32, 60),  mode(1280, 1024, 32, 60),
                                 mode(1600, 1200, 32, 60)};
        machine.screen.desktop = mode(1280, 1024, 32, 60);
    }

    std::string game_folder() const { return dir.file("game/"); }
    std::string user_folder() const { return dir.file("docs/Fernwold/"); }
    std::string config_text() const { return test::read_file(user_folder() + "config.cfg"); }
    void write(const std::string &name, const std::string &text) const { test::write_file(dir.file(name), text); }
    void write_config(const std::string &text) const { test::write_file(user_folder() + "config.cfg", text); }

    // A fresh state of a launcher in the game folder.
    std::unique_ptr<launcher_state_t> state() {
        return std::make_unique<launcher_state_t>(game_folder() + "launcher", machine, spawner);
    }

    test::temp_dir_t dir;
    fake_machine_t machine;
    recording_spawner_t spawner;

private:
    test::env_guard_t m_docs, m_config, m_home;
};

}  // namespace quarn::kickup::fakes
