#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "launcher_world.h"
#include "tools/kickup/src/dialog_presenter.h"
#include "tools/kickup/src/exceptions.h"
#include "tools/kickup/src/string_table.h"

namespace quarn::kickup {
namespace {

using fakes::launcher_world_t;
using fakes::mode;
using fakes::recording_host_t;

const std::string ERROR_112 = load_resource_string(112);

class launcher_dialog : public ::testing::Test {
protected:
    dialog_presenter_t &open() {
        state = world.state();
        presenter = std::make_unique<dialog_presenter_t>(*state);
        EXPECT_TRUE(presenter->open());
        return *presenter;
    }
    std::string entries(int id) const {
        std::string out;
        for (const std::string &e : presenter->control(id).entries) out += e + "|";
        return out;
    }
    std::string selected(int id) const {
        const control_t &c = presenter->control(id);
        return c.selection < 0 ? "<none>" : c.entries.at(size_t(c.selection));
    }
    // Which of the quality buttons are shown, and which is checked.
    std::string quality_buttons() const {
        std::string out;
        for (int id = ID_QUALITY_0; id <= ID_QUALITY_CUSTOM; ++id) {
            const control_t &c = presenter->control(id);
            if (c.shown) out += c.text + (c.checked ? "*" : "") + (c.enabled ? "" : "(off)") + " ";
        }
        return out;
    }

    launcher_world_t world;
    recording_host_t host;
    std::unique_ptr<launcher_state_t> state;
    std::unique_ptr<dialog_presenter_t> presenter;
};

TEST_F(launcher_dialog, opening_failures_are_shown_and_end_with_cancel) {
    const struct {
        std::function<void()> fail;
        std::string shown;
    } cases[] = {
        {[] { throw opengl_context_exception_t("opengl_context", 1, "eglInitialize() failed"); },
         ERROR_112 + "\n\nError was:  [eglInitialize() failed]"},
        {[] { throw device_init_exception_t("device_specs", 1, "No render devices found!"); }, load_resource_string(108)},
        {[] { throw registry_read_exception_t("registry", 1, "Software"); }, ERROR_112},
        {[] { throw std::runtime_error("odd"); }, ERROR_112},
    };
    auto s = world.state();
    s->create_specs();  // a record of an earlier dialog does not keep a failing one open
    for (const auto &c : cases) {
        world.machine.gl_connector.fail = c.fail;
        dialog_presenter_t p(*s);
        host.shown.clear();
        EXPECT_FALSE(p.open());
        EXPECT_EQ(p.result(), DIALOG_CANCEL);
        ASSERT_EQ(host.shown.size(), 1u);
        EXPECT_EQ(host.shown[0].text, c.shown);
        EXPECT_EQ(host.shown[0].caption, "Harlstock 3D");
        EXPECT_EQ(host.shown[0].icon, MESSAGE_ERROR);
    }
}

TEST_F(launcher_dialog, the_overview_shows_the_record_after_the_automatic_path_choice) {
    world.write_config("uset s_device \"\"\nuset s_mix_rate \"22050\"\n");
    dialog_presenter_t &p = open();
    EXPECT_EQ(p.title(), "Harlstock 3D - Launcher Anwendung");
    EXPECT_EQ(p.current_tab(), 0);
    EXPECT_EQ(entries(ID_TABS), "\xC3\x9C" "berblick|Konfiguration|");
    EXPECT_FALSE(p.control(ID_SUPPRESS_SETUP).shown);
    EXPECT_EQ(p.control(ID_OK).text, "Harlstock 3D starten");
    EXPECT_EQ(p.control(ID_CANCEL).text, "B&eenden");
    EXPECT_EQ(p.control(ID_OVERVIEW_RENDERER).text, "OpenGL");
    EXPECT_EQ(p.control(ID_OVERVIEW_DEVICE).text, "Fake Renderer");
    EXPECT_EQ(p.control(ID_OVERVIEW_DEVICE).label, "Ger\xC3\xA4t:");
    // Card level 1 chooses path 6 of 3, 6 and 10.
    EXPECT_EQ(p.control(ID_OVERVIEW_DETAILS).text, "[ better ]    Besser");
    EXPECT_EQ(p.control(ID_OVERVIEW_RESOLUTION).text, "1024 x 768 x 32 bit Standard Wiederholungsrate - Vollbild");
    EXPECT_EQ(p.control(ID_OVERVIEW_SOUND).text, "Nein");
    EXPECT_EQ(p.control(ID_OVERVIEW_QUALITY).text, "Normal");
    EXPECT_EQ(p.control(ID_OVERVIEW_SOUND_RATE).text, "22050Hz");
    EXPECT_EQ(state->specs()->current_path_id(), 6);

    // Windowed, with the custom level, as the overview words them.
    state->specs()->set_fullscreen(false);
    state->specs()->set_quality_level(QUALITY_CUSTOM);
    state->specs()->set_current_mode(mode(800, 600, 32, 60));
    p.select_tab(0);
    EXPECT_EQ(p.control(ID_OVERVIEW_RESOLUTION).text, "800 x 600 - Fenster");
    EXPECT_EQ(p.control(ID_OVERVIEW_QUALITY).text, "Benutzer");
}

TEST_F(launcher_dialog, the_configuration_page) {
    dialog_presenter_t &p = open();
    p.select_tab(1);
    EXPECT_EQ(p.current_tab(), 1);
    EXPECT_TRUE(p.control(ID_SUPPRESS_SETUP).shown);
    // quality_count 3 with the custom level: levels 3 and 4 stay hidden; the custom
    // button is shown but cannot be chosen.
    EXPECT_EQ(quality_buttons(), "Niedrig Normal* Hoch Benutzer(off) ");
    EXPECT_TRUE(p.control(ID_OPENGL).checked);
    EXPECT_TRUE(p.control(ID_OPENGL).enabled);
    EXPECT_FALSE(p.control(ID_DIRECTX).shown);
    EXPECT_FALSE(p.control(ID_DIRECTX).enabled);
    EXPECT_EQ(entries(ID_DEVICES), "Fake Renderer|");
    EXPECT_EQ(entries(ID_PATHS), "[ best ]    Hoch|[ better ]    Besser|[ basic ]    Standard|");
    EXPECT_EQ(selected(ID_PATHS), "[ better ]    Besser");
    EXPECT_TRUE(p.control(ID_FULLSCREEN).checked);
    EXPECT_FALSE(p.control(ID_WINDOWED).checked);
    EXPECT_EQ(p.control(ID_MODES).entries.size(), 13u);  // seven sizes at their rates and at 0
    EXPECT_EQ(p.control(ID_MODES).entries[1], "640 x 480 x 32 bit 60Hz Bild-Wiederholungsrate");
    EXPECT_EQ(selected(ID_MODES), "1024 x 768 x 32 bit Standard Wiederholungsrate");
    EXPECT_TRUE(p.control(ID_SOUND).checked);
    EXPECT_TRUE(p.control(ID_SOUND_RATES).enabled);
    EXPECT_FALSE(p.control(ID_ACCELERATION).checked);
    EXPECT_EQ(selected(ID_SOUND_RATES), "44100");
    EXPECT_EQ(p.control(ID_PATHS).label, "Qualit\xC3\xA4t:");
}

TEST_F(launcher_dialog, choices_change_the_record) {
    dialog_presenter_t &p = open();
    p.select_tab(1);
    device_specs_t &s = *state->specs();

    p.react([&] { p.choose_path(0); });
    EXPECT_EQ(s.current_path_id(), 10);
    p.react([&] { p.choose_mode(3); });
    EXPECT_EQ(display_mode_text(s.current_mode()), "800x600x32x60");

    // A window must be narrower than the 1280 x 1024 desktop and at most as high: each
    // size once; the current size stays selected.
    p.react([&] { p.choose_fullscreen(false); });
    EXPECT_FALSE(s.fullscreen());
    EXPECT_TRUE(p.control(ID_WINDOWED).checked);
    EXPECT_EQ(entries(ID_MODES), "640 x 480|800 x 600|1024 x 768|");
    EXPECT_EQ(selected(ID_MODES), "800 x 600");
    EXPECT_EQ(display_mode_text(s.current_mode()), "800x600x32x0");
    p.react([&] { p.choose_mode(2); });
    EXPECT_EQ(display_mode_text(s.current_mode()), "1024x768x32x0");
    p.react([&] { p.choose_fullscreen(true); });
    EXPECT_EQ(selected(ID_MODES), "1024 x 768 x 32 bit Standard Wiederholungsrate");

    p.react([&] { p.choose_sound(false); });
    EXPECT_FALSE(s.sound_enabled());
    EXPECT_FALSE(p.control(ID_SOUND_RATES).enabled);
    EXPECT_FALSE(p.control(ID_ACCELERATION).enabled);
    p.react([&] { p.choose_sound(true); });
    p.react([&] { p.choose_acceleration(true); });
    EXPECT_TRUE(s.sound_acceleration());
    p.react([&] { p.choose_rate(0); });
    EXPECT_EQ(s.mix_rate(), 22050);
    p.react([&] { p.choose_quality(2); });
    EXPECT_EQ(s.quality_level(), 2);
    EXPECT_EQ(quality_buttons(), "Niedrig Normal Hoch* Benutzer(off) ");
    p.react([&] { p.choose_quality(3); });  // hidden: nothing
    EXPECT_EQ(s.quality_level(), 2);
    EXPECT_TRUE(host.shown.empty());

    p.select_tab(0);
    EXPECT_EQ(p.control(ID_OVERVIEW_DETAILS).text, "[ best ]    Hoch");
    EXPECT_EQ(p.control(ID_OVERVIEW_RESOLUTION).text,
              "1024 x 768 x 32 bit Standard Wiederholungsrate - Vollbild");
    EXPECT_EQ(p.control(ID_OVERVIEW_QUALITY).text, "Hoch");
    EXPECT_FALSE(p.control(ID_SUPPRESS_SETUP).shown);
}

// A desktop whose every mode is as wide as the screen offers no mode that fits a
// window: the window takes common sizes that fit, and the choice is written and read
// back at the next start.
TEST_F(launcher_dialog, a_window_is_offered_sizes_that_fit_where_every_mode_fills_the_desktop) {
    world.machine.screen.listed = {mode(1920, 1080, 32, 60), mode(1920, 1080, 32, 50)};
    world.machine.screen.desktop = mode(1920, 1080, 32, 60);
    dialog_presenter_t &p = open();
    p.select_tab(1);
    p.react([&] { p.choose_fullscreen(false); });
    EXPECT_EQ(entries(ID_MODES), "640 x 480|800 x 600|1024 x 768|1152 x 864|1280 x 720|1280 x 800|1280 x 960|"
                                 "1280 x 1024|1366 x 768|1440 x 900|1600 x 900|1680 x 1050|");
    EXPECT_EQ(selected(ID_MODES), "640 x 480");
    p.react([&] { p.choose_mode(4); });
    p.select_tab(0);
    EXPECT_EQ(p.control(ID_OVERVIEW_RESOLUTION).text, "1280 x 720 - Fenster");

    state->save_config_cvars();
    EXPECT_NE(world.config_text().find("uset r_mode \"1280x720x32x0\""), std::string::npos) << world.config_text();
    dialog_presenter_t &again = open();
    EXPECT_EQ(again.control(ID_OVERVIEW_RESOLUTION).text, "1280 x 720 - Fenster");
    again.select_tab(1);
    EXPECT_EQ(selected(ID_MODES), "1280 x 720");
}

TEST_F(launcher_dialog, leaving_the_custom_level_asks_first) {
    world.write_config("uset g_quality \"-1\"\n");
    dialog_presenter_t &p = open();
    p.select_tab(1);
    EXPECT_EQ(quality_buttons(), "Niedrig Normal Hoch Benutzer*(off) ");
    host.answers = {false};
    p.react([&] { p.choose_quality(1); });
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].text, load_resource_string(136));
    EXPECT_EQ(host.shown[0].caption, "Harlstock 3D");
    EXPECT_EQ(host.shown[0].icon, MESSAGE_QUESTION);
    EXPECT_EQ(state->specs()->quality_level(), QUALITY_CUSTOM);
    EXPECT_EQ(quality_buttons(), "Niedrig Normal Hoch Benutzer*(off) ");
    EXPECT_EQ(p.focus(), ID_PATHS);

    host.answers = {true};
    p.react([&] { p.choose_quality(1); });
    EXPECT_EQ(host.shown.size(), 2u);
    EXPECT_EQ(state->specs()->quality_level(), 1);
    EXPECT_EQ(quality_buttons(), "Niedrig Normal* Hoch Benutzer(off) ");
    EXPECT_EQ(p.focus(), 0);
    p.react([&] { p.choose_quality(0); });  // no longer custom: no question
    EXPECT_EQ(host.shown.size(), 2u);
}

TEST_F(launcher_dialog, choosing_the_device_rates_the_card_again_and_warns_of_a_bad_driver) {
    world.machine.gl_connector.driver.version = "2.1 Broken";
    world.write_config("uset g_quality \"0\"\nuset r_path \"3\"\n");
    dialog_presenter_t &p = open();
    p.select_tab(1);
    EXPECT_EQ(state->specs()->quality_level(), 0);
    p.react([&] { p.choose_renderer(1); });
    EXPECT_EQ(selected(ID_DEVICES), "Fake Renderer");
    EXPECT_EQ(selected(ID_PATHS), "[ best ]    Hoch");  // the first path
    EXPECT_EQ(state->specs()->current_path_id(), 10);
    EXPECT_EQ(state->specs()->quality_level(), 1);  // rated again
    EXPECT_EQ(quality_buttons(), "Niedrig Normal* Hoch Benutzer(off) ");
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].text, load_resource_string(132));
    EXPECT_EQ(host.shown[0].caption, "Harlstock 3D - Warning!");
    EXPECT_EQ(host.shown[0].icon, MESSAGE_INFORMATION);
}

TEST_F(launcher_dialog, screensaver_settings_buttons_and_ok) {
    state = world.state();
    state->set_screensaver_mode(true);
    state->registry().suppress_setup = true;
    dialog_presenter_t p(*state);
    ASSERT_TRUE(p.open());
    EXPECT_EQ(p.control(ID_OK).text, "OK");
    EXPECT_EQ(p.control(ID_CANCEL).text, "Abbrechen");
    EXPECT_TRUE(p.control(ID_SUPPRESS_SETUP).checked);
    p.choose_suppress_setup(false);
    EXPECT_TRUE(state->registry().suppress_setup);  // taken on OK only
    p.ok();
    EXPECT_EQ(p.result(), DIALOG_OK);
    EXPECT_FALSE(state->registry().suppress_setup);

    dialog_presenter_t other(*state);
    ASSERT_TRUE(other.open());
    other.cancel();
    EXPECT_EQ(other.result(), DIALOG_CANCEL);
}

TEST_F(launcher_dialog, a_failing_choice_is_shown_and_the_dialog_stays_open) {
    dialog_presenter_t &p = open();
    p.react([] { throw bad_spec_exception_t("device_specs", 7, "Path id not valid:  [12]"); });
    p.react([] { throw std::logic_error("odd"); });
    ASSERT_EQ(host.shown.size(), 2u);
    EXPECT_EQ(host.shown[0].text, ERROR_112 + "\n\nError was:  [Path id not valid:  [12]]");
    EXPECT_EQ(host.shown[1].text, ERROR_112 + "\nUnknown Error");
    EXPECT_EQ(p.result(), DIALOG_OPEN);
}

}  // namespace
}  // namespace quarn::kickup
