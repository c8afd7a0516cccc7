#include <gtest/gtest.h>

#include <string>

#include "launcher_fakes.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"
#include "tools/kickup/src/device_specs.h"
#include "tools/kickup/src/exceptions.h"

namespace quarn::kickup {
namespace {

using fakes::mode;

// Paths 3, 6 and 10 with no queries (path 10 last, the device's default), and what a
// test adds to the "opengl" section and to the top.
std::string database(const std::string &opengl_extra, const std::string &top = "",
                     const std::string &paths = "\"a\" {\n\"path_id\" : \"3\"\n}\n\"b\" {\n\"path_id\" : \"6\"\n}\n"
                                                "\"c\" {\n\"path_id\" : \"10\"\n}\n") {
    return top + "\"opengl\" {\n" + opengl_extra + "\"path\" {\n\"render_paths\" {\n" + paths + "}\n}\n}\n";
}

const std::string RATINGS =
    "\"ratings\" {\n\"quality_count\" : \"3\"\n\"use_custom\" : \"0\"\n}\n"
    "\"cpu_ratings\" {\n\"a\" : \"0\"\n\"b\" : \"800\"\n\"c\" : \"1500\"\n}\n"
    "\"mem_ratings\" {\n\"a\" : \"0\"\n\"b\" : \"256\"\n\"c\" : \"512\"\n}\n";

const std::string CARDS =
    "\"card_ratings\" {\n"
    "\"low\" {\n\"fake\"\n\"llvmpipe\"\n}\n"
    "\"mid\" {\n\"Fake Rend\"\n}\n"
    "\"high\" {\n\"FAKE RENDERER X\"\n\"fake renderer\"\n}\n"
    "}\n"
    "\"recommended_display_modes\" {\n\"0\" : \"640x480x32x0\"\n\"1\" : \"800x600x32x0\"\n\"2\" : \"1024x768x32x0\"\n}\n"
    "\"problematic_drivers\" {\n\"2.1 Broken\" : \"1\"\n\"2.1 Fine\" : \"0\"\n}\n";

class launcher_specs : public ::testing::Test {
protected:
    launcher_specs() {
        machine.screen.listed = {mode(640, 480, 32, 60), mode(800, 600, 32, 0), mode(800, 600, 32, 60),
                                 mode(1024, 768, 32, 60), mode(1280, 1024, 32, 60)};
        machine.screen.desktop = mode(1280, 1024, 32, 60);
    }
    std::unique_ptr<device_specs_t> build(const std::string &db) {
        test::write_file(dir.file("specs.settings"), db);
        return device_spec_build(machine, dir.file("specs.settings"));
    }

    test::temp_dir_t dir;
    fakes::fake_machine_t machine;
};

TEST_F(launcher_specs, the_machine_is_rated_and_given_a_path_a_mode_and_a_quality) {
    machine.processor = cpu_info_t("GenuineIntel", "Fake", 1200);  // 1
    machine.memory_bytes = 510u << 20;                           // 512: 2
    machine.gl_connector.driver.renderer = "Fake Renderer X 9000";  // 2, by its longest key
    const auto specs = build(database(CARDS, RATINGS));
    EXPECT_EQ(specs->rating(RATING_CPU), 1);
    EXPECT_EQ(specs->rating(RATING_MEMORY), 2);
    EXPECT_EQ(specs->rating(RATING_CARD), 2);
    EXPECT_EQ(specs->average_rating(), 1);  // 5 thirds, truncated
    EXPECT_EQ(specs->quality_level(), 1);
    EXPECT_EQ(specs->quality_count(), 3u);
    EXPECT_FALSE(specs->use_custom());
    EXPECT_EQ(specs->device_type(), 1);
    EXPECT_EQ(specs->current_device().device_name(), "gl");
    EXPECT_EQ(specs->current_path_id(), 10);
    EXPECT_TRUE(specs->path_chosen_automatically());
    // Card level 2 recommends 1024x768x32, smaller than the desktop.
    EXPECT_EQ(display_mode_text(specs->current_mode()), "1024x768x32x0");
    EXPECT_TRUE(specs->fullscreen());
    EXPECT_TRUE(specs->sound_enabled());
    EXPECT_FALSE(specs->sound_acceleration());
    EXPECT_EQ(specs->mix_rate(), 44100);
    EXPECT_EQ(machine.gl_connector.open_contexts, 0);
}

// Against the shipped database: memory beyond 4 GiB rates by its size, so a fast
// machine with 16 GiB and a high card is proposed the high preset ("Hoch").
TEST_F(launcher_specs, a_large_machine_is_proposed_the_high_preset_of_the_shipped_database) {
    machine.processor = cpu_info_t("GenuineIntel", "Fake", 3000);
    machine.gl_connector.driver.renderer = "NVIDIA GeForce RTX 4070/PCIe/SSE2";
    const struct {
        uint64_t bytes;
        int32_t memory_rating, quality;
    } cases[] = {
        {uint64_t(16) << 30, 2, 2},
        {uint64_t(8) << 30, 2, 2},                          // rated 8196: "large" (8192)
        {(uint64_t(8) << 30) - (uint64_t(8) << 20), 1, 1},  // rated 8188: "medium"
        {uint64_t(4) << 30, 1, 1},
        {uint64_t(1) << 40, 2, 2},
    };
    for (const auto &c : cases) {
        machine.memory_bytes = c.bytes;
        const auto specs = device_spec_build(machine, test::test_bin_dir() + "/specs.settings");
        EXPECT_EQ(specs->rating(RATING_CPU), 2);
        EXPECT_EQ(specs->rating(RATING_CARD), 2);
        EXPECT_EQ(specs->rating(RATING_MEMORY), c.memory_rating) << c.bytes;
        EXPECT_EQ(specs->quality_level(), c.quality) << c.bytes;
    }
}

TEST_F(launcher_specs, cards_rate_by_their_longest_key_ignoring_case) {
    const struct {
        const char *renderer;
        int32_t rating;
    } cases[] = {
        {"Fake Renderer X 9000", 2},     // "FAKE RENDERER X" (15 letters) beats "fake renderer" (13)
        {"fake renderer 2", 2},          // "fake renderer" in level 2 beats "Fake Rend" in level 1
        {"FAKE REND 1", 1},
        {"Fakeish", 0},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", 0},
        {"Unknown Card", 1},             // the middle of three levels
        {"", 1},
    };
    for (const auto &c : cases) {
        machine.gl_connector.driver.renderer = c.renderer;
        EXPECT_EQ(build(database(CARDS, RATINGS))->rating(RATING_CARD), c.rating) << c.renderer;
    }
    // Equal lengths: the earlier level wins.
    machine.gl_connector.driver.renderer = "abcdef";
    EXPECT_EQ(build(database("\"card_ratings\" {\n\"x\" {\n\"abc\"\n}\n\"y\" {\n\"ABC\"\n}\n}\n"))->rating(RATING_CARD), 0);
}

TEST_F(launcher_specs, ratings_below_every_level_or_without_levels_are_zero_and_quality_stays_offered) {
    machine.processor = cpu_info_t("v", "n", 0);  // speed not measured
    const std::string high_minimums =
        "\"ratings\" {\n\"quality_count\" : \"9\"\n}\n"
        "\"cpu_ratings\" {\n\"a\" : \"100\"\n\"b\" : \"200\"\n}\n\"mem_ratings\" {\n}\n";
    const auto specs = build(database("", high_minimums));
    EXPECT_EQ(specs->rating(RATING_CPU), 0);
    EXPECT_EQ(specs->rating(RATING_MEMORY), 0);
    EXPECT_EQ(specs->quality_count(), 5u);  // five levels exist at most
    EXPECT_TRUE(specs->use_custom());

    // A database without ratings: five levels; the mean of 2, 2, 2 stays a level.
    machine.processor = cpu_info_t("v", "n", 5000);
    machine.memory_bytes = 0xFFFFFFFFu;
    const std::string three_levels =
        "\"cpu_ratings\" {\n\"a\" : \"0\"\n\"b\" : \"1\"\n\"c\" : \"2\"\n}\n"
        "\"mem_ratings\" {\n\"a\" : \"0\"\n\"b\" : \"1\"\n\"c\" : \"2\"\n}\n";
    machine.gl_connector.driver.renderer = "fake renderer";
    auto rated = build(database(CARDS, three_levels));
    EXPECT_EQ(rated->quality_count(), 5u);
    EXPECT_EQ(rated->quality_level(), 2);
    // Quality counts of 1 keep every rating at level 0.
    rated = build(database(CARDS, three_levels + "\"ratings\" {\n\"quality_count\" : \"0\"\n}\n"));
    EXPECT_EQ(rated->quality_count(), 1u);
    EXPECT_EQ(rated->average_rating(), 2);
    EXPECT_EQ(rated->quality_level(), 0);
}

TEST_F(launcher_specs, the_automatic_path_follows_the_card) {
    const std::string paths_3_6_10 =
        "\"a\" {\n\"path_id\" : \"3\"\n}\n\"b\" {\n\"path_id\" : \"6\"\n}\n\"c\" {\n\"path_id\" : \"10\"\n}\n";
    const std::string paths_2_5 = "\"a\" {\n\"path_id\" : \"2\"\n}\n\"b\" {\n\"path_id\" : \"5\"\n}\n";
    const std::string paths_2_7 = "\"a\" {\n\"path_id\" : \"7\"\n}\n\"b\" {\n\"path_id\" : \"2\"\n}\n";
    const std::string paths_1_2 = "\"a\" {\n\"path_id\" : \"1\"\n}\n\"b\" {\n\"path_id\" : \"2\"\n}\n";
    const struct {
        const char *renderer;  // "fake renderer" rates 2, "Fake Rend" 1
        std::string paths;
        int32_t chosen;
    } cases[] = {
        {"fake renderer", paths_3_6_10, 10}, {"Fake Rend", paths_3_6_10, 6}, {"fake renderer", paths_2_5, 5},
        {"Fake Rend", paths_2_5, 5},  // neither 6, 3 nor 1: the device's default stays
        {"Fake Rend", paths_2_7, 2},  {"Fake Rend", paths_1_2, 1},
    };
    for (const auto &c : cases) {
        machine.gl_connector.driver.renderer = c.renderer;
        const auto specs = build(database(CARDS, "", c.paths));
        specs->choose_path_automatically();
        EXPECT_EQ(specs->current_path_id(), c.chosen) << c.renderer << " " << c.paths;
        EXPECT_FALSE(specs->path_chosen_automatically());
    }
}

TEST_F(launcher_specs, explicit_choices_take_only_what_the_device_offers) {
    const auto specs = build(database(CARDS));
    const auto rejected = [&](auto &&choose) -> std::string {
        try {
            choose();
        } catch (const bad_spec_exception_t &e) {
            return e.message();
        }
        return "";
    };
    EXPECT_EQ(rejected([&] { specs->select_path(6); }), "");
    EXPECT_EQ(specs->current_path_id(), 6);
    EXPECT_FALSE(specs->path_chosen_automatically());
    EXPECT_EQ(rejected([&] { specs->select_path(12); }), "Path id not valid:  [12]");
    EXPECT_EQ(specs->current_path_id(), 6);
    EXPECT_EQ(rejected([&] { specs->select_mode("800x600x32x60"); }), "");
    EXPECT_EQ(specs->current_mode().number, 2);
    EXPECT_EQ(rejected([&] { specs->select_mode("800x600x16x60"); }), "Display mode not valid:  [800x600x16x60]");
    EXPECT_EQ(display_mode_text(specs->current_mode()), "800x600x32x60");
    EXPECT_EQ(rejected([&] { specs->select_device("gl"); }), "");
    EXPECT_EQ(rejected([&] { specs->select_device("d3d"); }), "Render device not valid:  [d3d]");
    EXPECT_EQ(rejected([&] { specs->select_device(""); }), "Render device not valid:  []");
}

TEST_F(launcher_specs, problematic_drivers_by_their_exact_version_text) {
    for (const auto &[version, problematic] : {std::pair<const char *, bool>{"2.1 Broken", true},
                                               {"2.1 Fine", false},
                                               {"2.1 broken", false},
                                               {"2.1 Broken ", false}}) {
        machine.gl_connector.driver.version = version;
        EXPECT_EQ(build(database(CARDS))->has_problematic_driver(), problematic) << version;
    }
}

TEST_F(launcher_specs, the_default_mode_is_found_in_the_list_or_the_first_is_taken) {
    machine.gl_connector.driver.renderer = "llvmpipe";  // level 0 recommends 640x480x32
    EXPECT_EQ(display_mode_text(build(database(CARDS))->current_mode()), "640x480x32x0");
    // A recommendation at least the desktop's size gives the desktop's mode.
    machine.screen.desktop = mode(640, 480, 32, 60);
    EXPECT_EQ(display_mode_text(build(database(CARDS))->current_mode()), "640x480x32x60");
    // Nothing in the list equals it: the first entry.
    machine.screen.desktop = mode(640, 480, 32, 85);
    EXPECT_EQ(display_mode_text(build(database(CARDS))->current_mode()), "640x480x32x0");
}

TEST_F(launcher_specs, database_and_probe_failures_reach_the_caller) {
    try {
        device_spec_build(machine, dir.file("missing.settings"));
        ADD_FAILURE();
    } catch (const settings_file_exception_t &e) {
        EXPECT_EQ(e.message(), "Failed to open file:  [" + dir.file("missing.settings") + "]");
    }
    EXPECT_THROW(build(database("", "", "")), render_device_init_exception_t);
    EXPECT_THROW(build("\"opengl\" {\n"), settings_read_exception_t);
    EXPECT_EQ(machine.gl_connector.open_contexts, 0);
}

}  // namespace
}  // namespace quarn::kickup
