// "/def/game.def" as the game ships it: every species kind and gender holds what the
// animals, the AI, the herd writer and the draws read, each live kind has state graphs
// whose manners its behaviour file plays, and its carcass is a valid attractant item.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "ai_fakes.h"
#include "game/ai/mind/ai_processor.h"
#include "game/ai/animals/species.h"
#include "game/ai/zba/zba_info.h"
#include "game/ai/zba/zba_parse.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/message_capture.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

class species_content : public ::testing::Test {
protected:
    species_content() {
        fs_startup();
        m_mount = ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/builtin").c_str(), "/", true, 0);
        EXPECT_NE(m_mount, nullptr);
        EXPECT_TRUE(game.read_from("/def/game.def"));
        EXPECT_TRUE(ai.read_from("/def/ai.def"));
        EXPECT_TRUE(local.read_from("/l10n/en_us/local0.def"));
    }
    ~species_content() override {
        if (m_mount) ufs_unmount(m_mount);
        fs_shutdown();
    }

    // The sounds the build generates: every list of data/sounds/.
    static std::string sound_list() {
        std::stringstream text;
        for (const auto &entry : std::filesystem::directory_iterator(test_source_dir() + "/data/sounds"))
            if (entry.path().extension() == ".list") {
                std::ifstream in(entry.path());
                text << in.rdbuf();
            }
        return text.str();
    }

    fs_device_t *m_mount = nullptr;
    def_pool_t game, ai, local;
    message_capture_t log;
};

const char *const KINDS[] = {"whitetail", "moose", "grizzly", "squirrel"};
const char *const SOUND_KEYS[] = {"s_dirt1", "s_dirt2", "s_grass1", "s_grass2", "s_lvs1",  "s_lvs2",    "s_snow1",
                                  "s_snow2", "s_water1", "s_water2", "s_drop1", "s_drop2", "s_specific"};
const char *const TYPE_AI_KEYS[] = {"fact_hunger", "fade_hunger", "fact_thirst", "fade_thirst", "fact_tiredness",
                                    "fade_tiredness", "fact_aggression", "fade_aggression", "fact_sex", "fade_sex",
                                    "fact_stress", "fade_stress", "fact_fatigue", "fade_fatigue", "calls_w_time",
                                    "calls_w_length", "calls_w_call", "call_back", "calls_ideal", "calls_maximal"};
const char *const PRESET_KEYS[] = {"val_hunger",    "val_thirst", "val_tiredness",         "val_aggression",
                                   "val_sex",       "val_stress", "val_attack_probability"};

TEST_F(species_content, places_categories_are_the_five_of_the_maps) {
    const def_obj_t *places = game.find("places_categories");
    ASSERT_NE(places, nullptr);
    std::vector<std::pair<std::string, int32_t>> found;
    for (const def_obj_t *p = places->get_first_child(); p; p = p->get_next()) {
        int32_t index = -1;
        EXPECT_TRUE(p->get_int("index", index));
        EXPECT_EQ(p->get_base(), game.find("places_category"));
        found.emplace_back(p->get_dvalue("name", ""), index);
    }
    EXPECT_EQ(found, (std::vector<std::pair<std::string, int32_t>>{
                         {"deer", 1}, {"bear", 2}, {"elk", 3}, {"goat", 4}, {"buffalo", 5}}));
}

TEST_F(species_content, every_kind_and_gender_holds_what_is_read_of_it) {
    const def_obj_t *species = game.find("species");
    ASSERT_NE(species, nullptr);
    const std::string sounds = sound_list();
    std::set<int32_t> indices;
    std::set<std::string> kinds;
    for (const def_obj_t *kind = species->get_first_child(); kind; kind = kind->get_next()) {
        const std::string k = kind->get_name();
        SCOPED_TRACE(k);
        kinds.insert(k);
        EXPECT_EQ(kind->get_base(), game.find("species_kind"));
        int32_t index = -1;
        ASSERT_TRUE(kind->get_int("index", index));
        EXPECT_TRUE(indices.insert(index).second) << "indices are unique";
        float score_max = 0.0f;
        EXPECT_TRUE(kind->get_real("score_max", score_max) && score_max > 0.0f);
        float spoor = 0.0f;
        EXPECT_TRUE(kind->get_real("spoor_dist", spoor) && spoor > 0.0f);
        if (k != "squirrel") {
            EXPECT_STRNE(kind->get_dvalue("trail_type", ""), "");
        }
        // One whole number per species index, 0 to 9.
        std::stringstream fields(kind->get_dvalue("species_interaction", ""));
        std::string field;
        int n = 0;
        for (; std::getline(fields, field, ','); ++n) {
            char *end = nullptr;
            strtol(field.c_str(), &end, 10);
            EXPECT_TRUE(!field.empty() && *end == 0) << field;
        }
        EXPECT_EQ(n, 10);
        for (const char *key : SOUND_KEYS) {
            const char *path = kind->get_value(key);
            ASSERT_NE(path, nullptr) << key;
            EXPECT_NE(sounds.find(std::string(path) + " "), std::string::npos) << path << " is generated";
        }
        for (const char *key : {"name", "desc0", "desc1"}) {
            const std::string text = kind->get_dvalue(key, "");
            ASSERT_GT(text.size(), 4u) << key;
            ASSERT_EQ(text.substr(0, 2), "@@");
            EXPECT_NE(local.find("translate")->get_value(text.substr(2, text.size() - 4).c_str()), nullptr) << text;
        }

        uint32_t genders = 0;
        for (const def_obj_t *g = kind->get_first_child(); g; g = g->get_next()) {
            int32_t gender = 0;
            if (!g->get_value("gender")) continue;  // the carcass
            ++genders;
            SCOPED_TRACE(g->get_name());
            ASSERT_TRUE(g->get_int("gender", gender));
            EXPECT_TRUE(gender >= 1 && gender <= 3);
            const char *model = g->get_dvalue("model", "");
            EXPECT_TRUE(fs_file_exists(model, FS_REALM_VIRTUAL)) << model;
            EXPECT_NE(game.find("places_categories")->find(g->get_dvalue("places_category", "")), nullptr);
            const std::string nav = g->get_dvalue("navigation_category", "");
            EXPECT_TRUE(nav == "anywhere" || nav == "normal" || nav == "mountain") << nav;
            EXPECT_STRNE(g->get_dvalue("type", ""), "");
            bool dangerous = false;
            EXPECT_TRUE(g->get_bool("dangerous", dangerous));
            EXPECT_EQ(dangerous, k == "grizzly");
            for (const char *key : TYPE_AI_KEYS) {
                float v = 0.0f;
                EXPECT_TRUE(g->get_real(key, v) && v > 0.0f) << key;
            }
            const def_obj_t *presets = g->find("ai_presets");
            ASSERT_NE(presets, nullptr);
            ASSERT_NE(presets->find("default"), nullptr);
            for (const def_obj_t *p = presets->get_first_child(); p; p = p->get_next()) {
                EXPECT_EQ(p->get_base(), game.find("ai_type")) << p->get_name();
                for (const char *key : PRESET_KEYS) {
                    float v = -1.0f;
                    EXPECT_TRUE(p->get_real(key, v) && v >= 0.0f && v <= 1.0f) << p->get_name() << " " << key;
                }
            }
            // The herd writer's draws at the sizes it gives, without a message.
            randomizer_t random(11);
            for (float size : {0.8f, 1.0f, 1.2f}) {
                EXPECT_GE(animal_compute_score(*g, size, &random), 0.0f);
                EXPECT_GT(animal_compute_weight(*g, size, &random), 0.0f);
            }
            const std::string scoring = g->get_dvalue("scoring_type", "");
            EXPECT_TRUE(scoring == "size" || scoring == "antlers" || scoring == "none") << scoring;
            if (scoring == "antlers") {
                EXPECT_TRUE(fs_file_exists(g->get_dvalue("antlers", ""), FS_REALM_VIRTUAL));
            }
        }
        EXPECT_GE(genders, 1u);
        EXPECT_TRUE(log.entries().empty()) << log.entries()[0].text;
    }
    EXPECT_EQ(kinds, (std::set<std::string>{KINDS[0], KINDS[1], KINDS[2], KINDS[3]}));
    int32_t grizzly = 0;
    game.find("species.grizzly")->get_int("index", grizzly);
    EXPECT_EQ(grizzly, 7) << "a predator's index";
}

TEST_F(species_content, carcasses_are_attractant_items) {
    fake_scene_t scene;
    ai_world_t world(scene);
    for (const char *k : KINDS) {
        SCOPED_TRACE(k);
        const def_obj_t *carcass = game.find((std::string("species.") + k + ".carcass").c_str());
        ASSERT_NE(carcass, nullptr);
        ai_item_t item;
        EXPECT_TRUE(item.load(*carcass, &game, world));
    }
    EXPECT_TRUE(log.entries().empty()) << log.entries()[0].text;
}

TEST_F(species_content, every_kind_shows_the_manners_of_its_graphs) {
    for (const char *k : KINDS) {
        SCOPED_TRACE(k);
        const def_obj_t *graphs = ai.find((std::string("ai.") + k).c_str());
        ASSERT_NE(graphs, nullptr);
        const def_obj_t *male = game.find((std::string("species.") + k + ".male").c_str());
        ASSERT_NE(male, nullptr);
        zba_parser_t parser;
        ASSERT_TRUE(parser.parse_file(male->get_dvalue("model", "")));
        zba_info_t info(parser.image());
        ASSERT_EQ(info.feature_count(), 2u);
        EXPECT_STREQ(info.feature(0).name(), "body");
        EXPECT_STREQ(info.feature(1).name(), "head");
        EXPECT_GE(info.find_behavior("sstand"), 0);
        for (const char *required : {"walk", "gallop", "gallop_leap", "attack_hunter", "headshot", "heartshot",
                                     "lungshot", "hit"})
            EXPECT_GE(info.find_behavior(required), 0) << required;
        for (const def_obj_t *block = graphs->get_first_child(); block; block = block->get_next()) {
            ai_processor_t p;
            ASSERT_TRUE(p.load(*block)) << block->get_name();
            for (uint32_t s = 0; s < p.get_state_count(); ++s) {
                const char *manner = ai_manner_name(p.get_state(s).manner);
                ASSERT_NE(manner, nullptr);
                EXPECT_GE(info.find_behavior(manner), 0) << block->get_name() << ": " << manner;
            }
        }
    }
    EXPECT_TRUE(log.texts(message_t::ERROR).empty()) << log.texts(message_t::ERROR)[0];
}

}  // namespace
}  // namespace quarn::test
