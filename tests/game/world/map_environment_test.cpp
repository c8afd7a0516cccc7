// The map description's `environment` section: its checks, the preset files mapgen
// writes from it, and a written preset read back as the game reads it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "env_fixture.h"
#include "game/world/environment_preset.h"
#include "map_environment.h"
#include "map_fixtures.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

using namespace mapgen;

const char *const FOG_PRESET = R"(
def environment {
    def fog {
        sun: "sun.sui"
        skybox: "flat_f"
        fog_visibility: "110"
        fog_colour: "0.762 0.793 0.77"
        fog_dims_sun: "yes"
        temperature: "11 26"
        wind: "0.1"
    }
    def storm {
        pretty_name: "@@storm@@"
        sun: "sun_rain.sui"
        weather_cond: "0.95"
        skybox: "flat_c"
        fog_intensity: "0.9"
        temperature: "-4 2.5"
        wind: "6"
        sun_name: "north"
    }
}
)";

TEST(map_environment, presets_are_checked_and_faults_name_file_and_line) {
    const std::string head = map_pond_text() + "def environment {\n def p {\n";
    const std::string good = " sun: \"sun.sui\"\n skybox: \"flat\"\n fog_intensity: \"0.8\"\n temperature: \"20 36\"\n";
    const struct {
        std::string lines;
        const char *message;
    } cases[] = {
        {good, "has no 'wind'"},
        {good + " wind: \"-1\"\n", "'wind' must be a speed of 0 or more"},
        {good + " wind: \"1\"\n colour: \"1 1 1\"\n", "unknown key 'colour' in 'p'"},
        {good + " wind: \"1\"\n fog_visibility: \"100\"\n", "needs one of 'fog_intensity' and 'fog_visibility'"},
        {" sun: \"sun.sui\"\n skybox: \"flat\"\n temperature: \"20 36\"\n wind: \"1\"\n",
         "needs one of 'fog_intensity' and 'fog_visibility'"},
        {" sun: \"../sun.sui\"\n skybox: \"flat\"\n fog_intensity: \"0.8\"\n temperature: \"20 36\"\n wind: \"1\"\n",
         "'sun' names a sun table of \"/map/common/\""},
        {" sun: \"sun.txt\"\n skybox: \"flat\"\n fog_intensity: \"0.8\"\n temperature: \"20 36\"\n wind: \"1\"\n",
         "'sun' names a sun table"},
        {" sun: \"sun.sui\"\n skybox: \"flat\"\n fog_intensity: \"1.5\"\n temperature: \"20 36\"\n wind: \"1\"\n",
         "'fog_intensity' must lie above 0 and at most 1"},
        {" sun: \"sun.sui\"\n skybox: \"flat\"\n fog_visibility: \"0\"\n temperature: \"20 36\"\n wind: \"1\"\n",
         "'fog_visibility' must be a distance above 0"},
        {good + " wind: \"1\"\n fog_colour: \"1 2 0\"\n", "'fog_colour' needs three values in 0..1"},
        {" sun: \"sun.sui\"\n skybox: \"flat\"\n fog_intensity: \"0.8\"\n temperature: \"36 20\"\n wind: \"1\"\n",
         "'temperature' needs the lowest and the highest degrees, lowest first"},
        {good + " wind: \"1\"\n weather_cond: \"1.2\"\n", "'weather_cond' must lie in 0..1"},
        {good + " wind: \"1\"\n pretty_name: \"a \\\\ b\"\n", "'pretty_name' may not hold quotes"},
        {" sun: \"sun.sui\"\n skybox: \"flat c\"\n fog_intensity: \"0.8\"\n temperature: \"20 36\"\n wind: \"1\"\n",
         "'skybox' needs a look name"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        message_capture_t log;
        map_source_t source;
        EXPECT_FALSE(map_read_description_text(head + c.lines + " }\n}\n", "t.def", source));
        EXPECT_TRUE(log.contains(std::string("[mapgen] t.def:")));
        EXPECT_TRUE(log.contains(c.message)) << (log.entries().empty() ? "" : log.entries().back().text);
    }
    message_capture_t log;
    map_source_t source;
    EXPECT_FALSE(map_read_description_text(map_pond_text() +
                                               "def environment {\n def bad-name { }\n}\n",
                                           "t.def", source));
    EXPECT_TRUE(log.contains("t.def:"));
}

TEST(map_environment, each_preset_becomes_a_unit_file_of_the_map_folder) {
    temp_dir_t dir;
    map_source_t source;
    ASSERT_TRUE(map_read_description_text(map_pond_text() + FOG_PRESET, "moor.def", source));
    ASSERT_TRUE(map_write_folder(source, dir.file("map/moor")));
    EXPECT_EQ(read_file(dir.file("map/moor/environment/fog.unit")),
              "RozErere\n{\n"
              "# Written by mapgen: the \"fog\" weather of the map \"moor\".\n"
              "sun : .sun {\n@include \"/map/common/sun.sui\"\n}\n"
              "fog : .fog {\n max_visibility: 110\n color: (0.762, 0.793, 0.77)\n affects_sunlight: true\n}\n"
              "temperature : .temperature {\n@include \"/map/common/temperature.sui\"\n"
              " min_temperature: 11\n max_temperature: 26\n}\n"
              "wind : .wind {\n wind_speed: 0.1\n}\n"
              "environment_preset : .preset {\n@include \"/map/common/environment_preset.sui\"\n"
              " pretty_name: \"@@df_weather_fog@@\"\n"
              " sun: .sun\n fog: .fog\n temperature: .temperature\n wind: .wind\n"
              " skybox_name: \"flat_f\"\n sun_name: \"moor\"\n"
              "}\n}\n");
    const std::string storm = read_file(dir.file("map/moor/environment/storm.unit"));
    for (const char *line : {" max_intensity: 0.9\n", " color: (0.5, 0.5, 0.5)\n", " min_temperature: -4\n",
                             " max_temperature: 2.5\n", " wind_speed: 6\n", " pretty_name: \"@@storm@@\"\n",
                             " sun_name: \"north\"\n", " weather_cond: 0.95\n", "sun_rain.sui"})
        EXPECT_NE(storm.find(line), std::string::npos) << line;
    EXPECT_EQ(storm.find("affects_sunlight"), std::string::npos);
}

// A written preset, its includes given as text, reads back into the weather's classes.
class map_environment_units : public env_fixture_t {};

TEST_F(map_environment_units, a_written_preset_reads_back) {
    map_t map;
    map.name = "moor";
    map_weather_t w;
    w.name = "dusk";
    w.pretty_name = "@@dusk@@";
    w.sun = "sun.sui";
    w.has_cond = true;
    w.cond = 0.3f;
    w.skybox = "flat_violet";
    w.fog = 0.7f;
    w.fog_colour = {0.1f, 0.2f, 0.3f};
    w.min_temperature = -5.5f;
    w.max_temperature = 4.0f;
    w.wind = 1.25f;
    w.sun_name = "moor";
    std::string text = map_weather_text(w);
    // The includes in place, as the game's file system would give them.
    std::string rows;
    for (int h = 0; h < 24; ++h)
        rows += " ambient_levels[]: (1, 2, 3, 255) diffuse_levels[]: (4, 5, 6, 255) specular_levels[]: (7, 8, 9, 255)\n";
    const std::pair<const char *, std::string> includes[] = {
        {"@include \"/map/common/sun.sui\"\n", rows},
        {"@include \"/map/common/temperature.sui\"\n", " change_speed: 15\n"},
        {"@include \"/map/common/environment_preset.sui\"\n",
         " weather_cond_variability: 0.2\n weather_cond_change_speed: 2.0\n"},
    };
    for (const auto &[line, body] : includes) text.replace(text.find(line), strlen(line), body);
    environment_preset_u::register_class(m_bank);
    memory_file_t file(text, "/map/moor/environment/dusk.unit");
    unit_load_t loader(file, *m_system);
    owner_ptr_t<environment_preset_u> p(unit_cast<environment_preset_u>(loader.load_tree_generic()));
    ASSERT_TRUE(p);
    EXPECT_STREQ(p->get_pretty_name(), "@@dusk@@");
    EXPECT_STREQ(p->get_skybox_name(), "flat_violet");
    EXPECT_STREQ(p->get_sun_name(), "moor");
    EXPECT_EQ(p->get_weather_cond(), 0.3f);
    EXPECT_EQ(p->get_weather_cond_variability(), 0.2f);
    ASSERT_TRUE(p->get_sun() && p->get_fog() && p->get_temperature() && p->get_wind());
    EXPECT_EQ(p->get_temperature()->get_min_temperature(), -5.5f);
    EXPECT_EQ(p->get_wind()->get_speed(), 1.25f);
    EXPECT_EQ(p->get_fog()->get_color(), (vec3_t{0.1f, 0.2f, 0.3f}));
    EXPECT_NEAR(p->get_fog()->get_base_density(), std::sqrt(-std::log(0.3f)) / 1000.0f, 1e-7f);
}

}  // namespace
}  // namespace quarn::test
