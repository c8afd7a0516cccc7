// The game's behaviour files load, and hold every behaviour, feature and state that
// the animals, their AI and the round targets ask for by name.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/ai/zba/zba_info.h"
#include "game/ai/zba/zba_model_source.h"
#include "game/ai/zba/zba_parse.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/message_capture.h"
#include "support/test_paths.h"
#include "zba_fixture.h"

namespace quarn::test {
namespace {

// The AI's manners: each groups the behaviours of its name.
const char *const manners[] = {
    "stand",        "walk",       "gallop",     "trott",      "lay",       "stand_look", "walk_look",
    "lay_look",     "stand_graze", "stand_sniff", "walk_graze", "gallop_leap", "stand_scrape", "stand_graze_scrape",
    "ramp",         "ramp_walk",  "wound",      "wound_look", "eyes",      "ears",       "shake",
    "head_ex",      "chew",       "sniff",      "tail_flip",  "tail_up",   "headshot",   "heartshot",
    "lungshot",     "spineshot",  "wound2dead", "trophy0",    "trophy1",   "trophy2",    "trophy3",
    "call",         "food_appetite", "attack_hunter", "kill_hunter", "hit", "sstand",    "look",
    "look_nw",      "look_ne",    "look_sw",    "look_se",    "alert",     "alert_nw",   "alert_ne",
    "alert_sw",     "alert_se",   "limp_lf",    "limp_rf",    "limp_lr",   "limp_rr",
};
// The behaviours an animal description requires, by their code.
const char *const required[] = {"walk",     "gallop",    "gallop_leap", "attack_hunter",
                                "headshot", "heartshot", "lungshot",    "hit"};

class zba_content : public ::testing::Test {
protected:
    zba_content() {
        fs_startup();
        m_mount = ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/builtin").c_str(), "/", true, 0);
        EXPECT_NE(m_mount, nullptr);
    }
    ~zba_content() override {
        if (m_mount) ufs_unmount(m_mount);
        fs_shutdown();
    }

    fs_device_t *m_mount = nullptr;
    message_capture_t log;
};

std::vector<std::string> states_of(const zba_feature_t &f) {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < f.state_count(); ++i) out.push_back(f.state_name(i));
    return out;
}

TEST_F(zba_content, the_whitetail_holds_every_name_the_animals_use) {
    zba_parser_t parser;
    ASSERT_TRUE(parser.parse_file("/model/animal/whitetail/animal.zba"));
    EXPECT_TRUE(log.texts(message_t::ERROR).empty()) << log.texts(message_t::ERROR)[0];
    zba_info_t info(parser.image());
    info.compute_durations();
    EXPECT_STREQ(info.model_path(), "/model/animal/whitetail/animal.zmd");

    ASSERT_EQ(info.feature_count(), 2u);
    EXPECT_STREQ(info.feature(0).name(), "body");
    EXPECT_EQ(states_of(info.feature(0)),
              (std::vector<std::string>{"stand", "lay", "walk", "trott", "gallop", "ramp", "wound"}));
    EXPECT_STREQ(info.feature(1).name(), "head");
    EXPECT_EQ(states_of(info.feature(1)), (std::vector<std::string>{"left", "right", "up", "down", "lay"}));
    ASSERT_GE(info.attribute_count(), 2u);
    EXPECT_STREQ(info.attribute(0).name(), "script");
    EXPECT_STREQ(info.attribute(1).name(), "sysname");

    // One or two behaviours per manner, side by side, and none outside the manners;
    // the AI maps at most 100.
    std::map<std::string, uint32_t> count;
    std::set<std::string> closed;
    std::string previous;
    for (uint32_t i = 0; i < info.behavior_count(); ++i) {
        const std::string name = info.behavior(i).name();
        if (name != previous) {
            EXPECT_EQ(closed.count(name), 0u) << name << " is not beside the others of its manner";
            closed.insert(previous);
            previous = name;
        }
        ++count[name];
        EXPECT_GT(info.behavior(i).duration(), 0.0f) << name;
    }
    EXPECT_LE(info.behavior_count(), 100u);
    for (const char *m : manners) {
        EXPECT_GE(count[m], 1u) << m;
        EXPECT_LE(count[m], 2u) << m;
    }
    EXPECT_EQ(count.size(), sizeof manners / sizeof manners[0]) << "every behaviour belongs to a manner";
    for (const char *r : required) EXPECT_GE(info.find_behavior(r), 0) << r;

    // The info items the animals react to.
    std::set<std::string> infos;
    for (uint32_t b = 0; b < info.behavior_count() + info.complex_count(); ++b) {
        const zba_behavior_t behavior =
            b < info.behavior_count() ? info.behavior(b) : info.complex_transition(b - info.behavior_count());
        for (uint32_t c = 0; c < behavior.channel_count(); ++c) {
            zba_item_t item = behavior.channel(c).first_item();
            for (uint32_t i = 0; i < behavior.channel(c).item_count(); ++i, item = item.next())
                if (item.kind() == zba_layout::ITEM_INFO) infos.insert(item.text());
        }
    }
    EXPECT_EQ(infos, (std::set<std::string>{"footstep", "drop", "animal", "skill_start", "skill_end"}));

    // Every state can be reached, and one complex transition lays the animal down.
    for (uint32_t f = 0; f < info.feature_count(); ++f)
        for (uint32_t s = 0; s < info.feature(f).state_count(); ++s)
            EXPECT_GE(info.feature(f).simple_transition(s), 0) << info.feature(f).name() << " " << s;
    ASSERT_EQ(info.complex_count(), 1u);
    EXPECT_STREQ(info.complex_transition(0).name(), "stand_to_lay");

    for (uint32_t a = 0; a < info.animation_count(); ++a)
        EXPECT_EQ(std::string(info.animation(a).path()).rfind("/model/animal/whitetail/", 0), 0u)
            << info.animation(a).path();
}

// With the packed models: every animation each behaviour file names is a model file,
// and the lengths come from them.
TEST_F(zba_content, every_behaviour_file_initialises_with_its_packed_model) {
    const fs_archive_factory_t previous = fs_set_archive_factory(zip_device_create);
    fs_device_t *base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
    ASSERT_NE(base, nullptr);
    for (const char *file : {"/model/animal/whitetail/animal.zba", "/model/animal/moose/animal.zba",
                             "/model/animal/grizzly/animal.zba", "/model/ambient/squirrel/ambient.zba"}) {
        SCOPED_TRACE(file);
        zba_parser_t parser;
        ASSERT_TRUE(parser.parse_file(file));
        zba_runtime_t runtime;
        zba_info_t info(parser.image(), &runtime);
        packed_models_t models;
        EXPECT_TRUE(info.init(&models));
        EXPECT_TRUE(log.texts(message_t::ERROR).empty()) << log.texts(message_t::ERROR)[0];
        EXPECT_EQ(runtime.model.get(), &models.descriptor);
        const std::string folder = std::string(file).substr(0, std::string(file).rfind('/') + 1);
        for (uint32_t a = 0; a < info.animation_count(); ++a)
            EXPECT_EQ(std::string(info.animation(a).path()).rfind(folder, 0), 0u) << info.animation(a).path();
        for (uint32_t b = 0; b < info.behavior_count(); ++b)
            EXPECT_GT(info.behavior(b).duration(), 0.0f) << info.behavior(b).name();
        if (std::string(file) == "/model/animal/whitetail/animal.zba") {
            std::map<std::string, float> lengths;
            for (uint32_t a = 0; a < info.animation_count(); ++a)
                lengths[info.animation(a).name()] = info.animation(a).length();
            EXPECT_EQ(lengths["walk"], 1.0f);
            EXPECT_EQ(lengths["trot"], 0.8f);
            EXPECT_EQ(lengths["gallop"], 0.6f);
            EXPECT_EQ(lengths["lay_down"], 1.5f);
            const zba_behavior_t walk = info.behavior(uint32_t(info.find_behavior("walk")));
            EXPECT_EQ(walk.duration(), 1.0f) << "one proportional cycle";
        }
        info.unload();
    }
    ufs_unmount(base);
    fs_set_archive_factory(previous);
}

}  // namespace
}  // namespace quarn::test
