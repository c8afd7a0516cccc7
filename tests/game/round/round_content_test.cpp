// The shipped rounds and voice: "/script/round/rounds.unit" loads with the content's
// descriptions and lists 30 rounds in their tiers, each harder than the one before;
// "/script/hookup/voiceover.unit" holds the voice's tables with their sounds (packed
// into "base.tzk") and captions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>

#include "game/round/round_fixture.h"
#include "game/unit_tree_file.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/units/unit_load.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

// The text and generated content as the game mounts them: data/builtin (the archive
// in the program) and the built "base.tzk".
class round_content : public round_fixture_t {
protected:
    void SetUp() override {
        round_fixture_t::SetUp();
        fs_startup();
        previous = fs_set_archive_factory(zip_device_create);
        builtin = ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/builtin").c_str(), "/", true, 0);
        base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(builtin, nullptr);
        ASSERT_NE(base, nullptr);
    }
    void TearDown() override {
        if (base) ufs_unmount(base);
        if (builtin) ufs_unmount(builtin);
        fs_set_archive_factory(previous);
        fs_shutdown();
        round_fixture_t::TearDown();
    }
    static bool exists(const std::string &path) { return fs_stat(path.c_str(), nullptr, FS_REALM_VIRTUAL); }
    // The names the unit file defines for units of the type, lower case as names
    // are; false when the file is missing.
    static bool defined_names(const std::string &path, const std::string &type, std::set<std::string> &out) {
        auto_ptr_t<file_t> file(fs_open(path.c_str(), FS_REALM_VIRTUAL));
        if (!file) return false;
        std::string text(size_t(file->size()), '\0');
        if (!text.empty() && !file->block_read(text.data(), uint32_t(text.size()), 0)) return false;
        // "<type> : <name>" where a unit begins (after a blank, a brace or the start).
        auto name_char = [](char c) { return isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; };
        for (size_t at = text.find(type); at != std::string::npos; at = text.find(type, at + 1)) {
            if (at > 0 && !isspace(static_cast<unsigned char>(text[at - 1])) && text[at - 1] != '{' &&
                text[at - 1] != '}')
                continue;
            size_t p = at + type.size();
            while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
            if (p >= text.size() || text[p] != ':') continue;
            ++p;
            while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
            size_t end = p;
            while (end < text.size() && name_char(text[end])) ++end;
            if (end > p) out.insert(lower(text.substr(p, end - p).c_str()));
        }
        return true;
    }
    static std::string lower(const char *text) {
        std::string s(text);
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(tolower(c)); });
        return s;
    }

    fs_archive_factory_t previous = nullptr;
    fs_device_t *builtin = nullptr;
    fs_device_t *base = nullptr;
};

TEST_F(round_content, the_progression_lists_30_rounds_in_three_tiers) {
    make_content_descs();
    owner_ptr_t<round_progression_u> rounds(load_unit_tree<round_progression_u>(ROUND_PROGRESSION_PATH));
    ASSERT_TRUE(rounds);
    ASSERT_EQ(rounds->get_round_count(), 30u);
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());

    const char *const stages[] = {"valley.0", "cross.0", "valley.1", "cross.1", "peaks.0",
                                  "peaks.1",  "cross.2", "peaks.2",  "cross.3", "peaks.3"};
    const std::set<std::string> weathers = {"clear", "sunset", "rain", "violet"};
    for (uint32_t n = 1; n <= 30; ++n) {
        SCOPED_TRACE(n);
        round_logic_u *round = rounds->get_round(n);
        ASSERT_NE(round, nullptr);
        const std::string stage = stages[(n - 1) % 10];
        const std::string map = stage.substr(0, stage.find('.'));
        const std::string s = stage.substr(stage.find('.') + 1);
        EXPECT_EQ(round->map_name.c_str(), map);
        EXPECT_TRUE(weathers.count(round->weather_name.c_str())) << round->weather_name.c_str();
        EXPECT_TRUE(exists(("/map/" + map + "/environment/" + round->weather_name.c_str() + ".unit").c_str()))
            << "the map has the round's weather";
        EXPECT_EQ(round->start_point_name.c_str(), "PlayerStart.startPoint" + s);
        EXPECT_EQ(round->ambient_loop.c_str(), "/sound/environment/" + map + ".ogg");
        EXPECT_TRUE(exists(round->ambient_loop.c_str()));
        ASSERT_EQ(round->cameras.get_count(), 2u);
        EXPECT_EQ(round->get_trail_count(), 12u);
        EXPECT_TRUE(round->unit_t::is_nameless()) << "names stay in the file, so a second load never clashes";

        // Enough scoring animals to reach the kill limit twice over, and every
        // scheduled spawn finds a trail.
        round->build_spawn_schedule(n, spawn_setup_t{n, false, 0, nullptr});
        uint32_t scoring = 0;
        round->get_spawns().for_each_pending([&](const spawn_entry_t &e) { scoring += e.kind == SPAWN_SCORING; });
        EXPECT_GE(scoring, 2 * round->kill_limit);
        EXPECT_EQ(round->get_spawns().get_pending_count(), round->target_count);

        // Each tier is longer and harder than the one before at the same place.
        if (n > 10) {
            const round_logic_u *easier = rounds->get_round(n - 10);
            EXPECT_GT(round->time_limit, easier->time_limit);
            EXPECT_GT(round->kill_limit, easier->kill_limit);
            EXPECT_GT(round->target_count, easier->target_count);
            EXPECT_LE(round->decoy_occurence, easier->decoy_occurence);
        }
    }
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());

    // Round 1 as the hunt's first round is given.
    const round_logic_u *first = rounds->get_round(1);
    EXPECT_STREQ(first->weather_name.c_str(), "clear");
    EXPECT_EQ(first->sun_azimuth, -30.0f);
    EXPECT_EQ(first->time_limit, 120u);
    EXPECT_EQ(first->kill_limit, 6u);
    EXPECT_EQ(first->target_count, 55u);
    ASSERT_EQ(first->get_occurrence_count(), 3u);
    EXPECT_EQ(first->get_occurrence(0).period, 11.0f);
    EXPECT_EQ(first->get_occurrence(1).period, 2.5f);
    EXPECT_EQ(first->dangerous_occurence, 0.0f);
    for (uint32_t i = 0; i < 12; ++i) {
        const trail_use_u *trail = first->get_trail(i);
        const bool ambient = i >= 10;
        EXPECT_EQ(trail->scorings_supported.get_count(), ambient ? 0u : 1u) << i;
        EXPECT_EQ(trail->decoys_supported.get_count(), ambient ? 0u : 1u) << i;
        EXPECT_EQ(trail->ambients_supported.get_count(), ambient ? 1u : 0u) << i;
        EXPECT_TRUE(trail->dangerous_supported.is_empty()) << i;
        const char *expected = ambient ? "squirrel.male.animal.model.desc"
                                       : "whitetail.male.animal.model.desc";
        const unit_base_t *desc = ambient ? trail->ambients_supported[0].get() : trail->scorings_supported[0].get();
        EXPECT_STREQ(desc->name_text().c_str(), expected);
        if (!ambient) {
            EXPECT_STREQ(trail->decoys_supported[0]->name_text().c_str(), "whitetail.female.animal.model.desc");
        }
    }
}

TEST_F(round_content, every_round_names_trails_cameras_and_a_start_point_of_its_map) {
    make_content_descs();
    owner_ptr_t<round_progression_u> rounds(load_unit_tree<round_progression_u>(ROUND_PROGRESSION_PATH));
    ASSERT_TRUE(rounds);
    std::map<std::string, std::set<std::string>> trails, starts;
    for (const char *map : {"valley", "cross", "peaks"}) {
        const std::string folder = std::string("/map/") + map + "/";
        ASSERT_TRUE(defined_names(folder + "landscape.trail.unit", "trail", trails[map])) << map;
        ASSERT_TRUE(defined_names(folder + "landscape.start.unit", "start_point", starts[map])) << map;
    }
    for (uint32_t n = 1; n <= rounds->get_round_count(); ++n) {
        SCOPED_TRACE(n);
        const round_logic_u *round = rounds->get_round(n);
        const std::string map = round->map_name.c_str();
        EXPECT_TRUE(starts[map].count(lower(round->start_point_name.c_str()))) << round->start_point_name.c_str();
        for (uint32_t i = 0; i < round->get_trail_count(); ++i) {
            const char *name = round->get_trail(i)->trail_name.c_str();
            EXPECT_TRUE(trails[map].count(lower(name))) << name;
        }
        for (const mstring_dyn_t &camera : round->cameras) EXPECT_TRUE(trails[map].count(lower(camera.c_str()))) << camera.c_str();
    }
}

TEST_F(round_content, the_progression_needs_the_descriptions_it_names) {
    make_desc("whitetail.male.animal.model.desc");
    EXPECT_FALSE(load_unit_tree<round_progression_u>(ROUND_PROGRESSION_PATH));
    EXPECT_TRUE(log.contains("whitetail.female.animal.model.desc"));
}

TEST_F(round_content, the_voice_tables_have_their_lines_sounds_and_captions) {
    struct table_t {
        const char *name;
        uint32_t priority;
        uint32_t occurence;
        uint32_t lines;
        const char *caption;
    };
    const table_t tables[] = {
        {"vo.bad_shot", 0, 1, 9, "@@vo_bad_hit@@"},
        {"vo.breath.control", 500, 1, 2, "@@vo_breath_control@@"},
        {"vo.danger", 100, 1, 2, "@@vo_danger@@"},
        {"vo.danger.left", 100, 1, 4, "@@vo_danger_left@@"},
        {"vo.danger.right", 100, 1, 4, "@@vo_danger_right@@"},
        {"vo.death", 1000, 1, 7, "@@vo_death@@"},
        {"vo.extended.clip", 100, 1, 2, "@@vo_extended_clip@@"},
        {"vo.gift", 100, 1, 1, "@@vo_gift@@"},
        {"vo.good_shot", 5, 1, 12, "@@vo_good_shot@@"},
        {"vo.grizzly", 20, 1, 19, "@@vo_grizzly@@"},
        {"vo.head", 10, 1, 3, "@@vo_head@@"},
        {"vo.heart", 10, 1, 3, "@@vo_heart@@"},
        {"vo.hit", 2, 3, 9, "@@vo_hit@@"},
        {"vo.illegal_shot", 50, 1, 6, "@@vo_illegal_shot@@"},
        {"vo.kill.chain", 20, 1, 6, "@@vo_kill_chain@@"},
        {"vo.lungs", 10, 1, 10, "@@vo_lungs@@"},
        {"vo.missed", 0, 5, 5, "@@vo_missed@@"},
        {"vo.moose", 20, 1, 15, "@@vo_moose@@"},
        {"vo.new_record", 400, 1, 3, "@@vo_new_record@@"},
        {"vo.quick.shooter", 100, 1, 1, "@@vo_quick_shooter@@"},
        {"vo.relief", 20, 1, 8, "@@vo_relief@@"},
        {"vo.reload", 200, 1, 2, "@@vo_reload@@"},
        {"vo.skillshot", 20, 1, 6, "@@vo_skillshot@@"},
        {"vo.sunglasses", 100, 1, 3, "@@vo_sunglasses@@"},
        {"vo.trophy_buck", 5, 1, 9, "@@vo_trophy_buck@@"},
        {"vo.weapon.bonus", 100, 1, 1, "@@vo_weapon_bonus@@"},
    };
    auto_ptr_t<file_t> opened(fs_open("/script/hookup/voiceover.unit", FS_REALM_VIRTUAL));
    ASSERT_TRUE(opened);
    unit_load_t loader(*opened, *system, nullptr, "/script/hookup/voiceover.unit");
    ASSERT_TRUE(loader.load());
    EXPECT_EQ(loader.get_root_count(), sizeof tables / sizeof tables[0]) << "every table and nothing else";

    def_pool_t local;
    ASSERT_TRUE(local.read_from("/l10n/en_us/local0.def"));
    const def_obj_t *translate = local.find("translate");
    ASSERT_NE(translate, nullptr);
    for (const table_t &t : tables) {
        SCOPED_TRACE(t.name);
        auto *table = unit_cast<voiceover_table_u>(unit_system_t::find_unit(t.name));
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->priority, t.priority);
        EXPECT_EQ(table->occurence, t.occurence);
        ASSERT_EQ(table->get_line_count(), t.lines);
        for (uint32_t i = 0; i < t.lines; ++i) {
            auto *line = unit_cast<voiceover_u>(table->voiceovers[i].get());
            ASSERT_NE(line, nullptr);
            char suffix[16];
            snprintf(suffix, sizeof suffix, ".%02u", i + 1);
            EXPECT_EQ(std::string(line->name_text().c_str()), std::string(t.name) + suffix);
            EXPECT_TRUE(exists(std::string("/l10n/en_us/") + line->sound_file.c_str())) << line->sound_file.c_str();
            EXPECT_STREQ(line->text.c_str(), t.caption);
        }
        const std::string key = std::string(t.caption).substr(2, strlen(t.caption) - 4);
        const char *caption = translate->get_value(key.c_str());
        EXPECT_TRUE(caption && *caption) << key;
    }
}

}  // namespace
}  // namespace quarn::test
