#pragma once
// For tests of the presentation and the mind: an animation instance that records what
// it is asked and answers as the test says, behaviour files read from the game's data
// (the whitetail) or from text, and "/def/ai.def" as the game ships it.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "game/ai/mind/ai_animal_presentation.h"
#include "game/ai/mind/ai_animation.h"
#include "game/ai/zba/zba_info.h"
#include "game/ai/zba/zba_parse.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/message_capture.h"
#include "support/served_files.h"
#include "support/test_paths.h"

namespace quarn::test {

// Records every call; plays answer from the queues (0 when empty). A behaviour that
// starts sets the channel's feature states to its end states (its start states where
// it names no end), as the instance shows them while it runs.
class recording_animation_t : public ai_animation_t {
public:
    struct call_t {
        std::string op;  // "play", "add", "switch", "clear"
        int32_t behavior;
        uint32_t channel;
        bool force;
    };

    zba_info_t get_info() const override { return info; }
    int32_t play_behavior(int32_t behavior, uint32_t channel, bool force) override {
        calls.push_back({"play", behavior, channel, force});
        const int32_t r = next(play_results);
        if (r == 0) take_states(behavior, channel);
        return r;
    }
    int32_t add_behavior(int32_t behavior, uint32_t channel) override {
        calls.push_back({"add", behavior, channel, false});
        return next(add_results);
    }
    int32_t switch_behavior(int32_t behavior, uint32_t channel) override {
        calls.push_back({"switch", behavior, channel, false});
        take_states(behavior, channel);
        return 0;
    }
    void clear_channel(uint32_t channel) override {
        calls.push_back({"clear", -1, channel, false});
        for (uint8_t &s : states[channel]) s = zba_layout::NO_STATE;
    }
    uint8_t get_feature_state(uint32_t channel, uint32_t feature) const override { return states[channel][feature]; }

    // Behaviours played (op "play") on the channel, in order.
    std::vector<int32_t> played(uint32_t channel) const {
        std::vector<int32_t> out;
        for (const call_t &c : calls)
            if (c.op == "play" && c.channel == channel) out.push_back(c.behavior);
        return out;
    }
    std::vector<int32_t> added() const {
        std::vector<int32_t> out;
        for (const call_t &c : calls)
            if (c.op == "add") out.push_back(c.behavior);
        return out;
    }
    void set_state(uint32_t channel, uint32_t feature, uint8_t state) { states[channel][feature] = state; }

    zba_info_t info;
    std::vector<call_t> calls;
    std::deque<int32_t> play_results, add_results;
    uint8_t states[ai_presentation_t::CHANNELS][8] = {
        {255, 255, 255, 255, 255, 255, 255, 255}, {255, 255, 255, 255, 255, 255, 255, 255},
        {255, 255, 255, 255, 255, 255, 255, 255}, {255, 255, 255, 255, 255, 255, 255, 255},
        {255, 255, 255, 255, 255, 255, 255, 255}};

private:
    static int32_t next(std::deque<int32_t> &q) {
        if (q.empty()) return 0;
        const int32_t r = q.front();
        q.pop_front();
        return r;
    }
    void take_states(int32_t behavior, uint32_t channel) {
        if (behavior < 0 || uint32_t(behavior) >= info.behavior_count()) return;
        const zba_behavior_t b = info.behavior(uint32_t(behavior));
        for (uint32_t f = 0; f < info.feature_count() && f < 8; ++f) {
            const uint8_t end = b.end_state(f), start = b.start_state(f);
            if (end != zba_layout::NO_STATE)
                states[channel][f] = end;
            else if (start != zba_layout::NO_STATE)
                states[channel][f] = start;
        }
    }
};

// The game's data at "/" (the whitetail's behaviour file, "/def/ai.def") and files
// served from memory at "/zt".
class ai_data_mount_t {
public:
    ai_data_mount_t() {
        fs_startup();
        m_data = ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/builtin").c_str(), "/", true, 0);
        EXPECT_NE(m_data, nullptr);
        EXPECT_TRUE(ufs_mount_device(&files, "/zt", 1));
    }
    ~ai_data_mount_t() {
        ufs_unmount_device(&files);
        if (m_data) ufs_unmount(m_data);
        fs_shutdown();
    }
    ai_data_mount_t(const ai_data_mount_t &) = delete;
    ai_data_mount_t &operator=(const ai_data_mount_t &) = delete;

    served_files_t files;

private:
    fs_device_t *m_data = nullptr;
};

// The features every animal file has, for behaviour files written in tests.
inline const char *const animal_header = R"(
    features {
        "body" { "stand" "lay" "walk" "trott" "gallop" "ramp" "wound" }
        "head" { "left" "right" "up" "down" "lay" }
    }
    attributes { "script" : "string" { init : "" } }
    animations { "a" : "a.zma" }
)";

// One behaviour of the name with the given features block contents and attributes.
inline std::string behavior_text(const std::string &name, const std::string &features = "",
                                 const std::string &attributes = "") {
    std::string s = "\"" + name + "\" {";
    if (!attributes.empty()) s += " attributes { " + attributes + " }";
    if (!features.empty()) s += " features { " + features + " }";
    return s + " channels { \"c\" { 0 anim { anim : \"a\" } } } }\n";
}

// A behaviour file of an animal with these behaviours.
inline std::string animal_file(const std::string &behaviors, const std::string &header = animal_header) {
    return "\"fixture\" : \"f.zmd\" {\n" + header + "behaviors {\n" + behaviors + "}\n}\n";
}

class ai_presentation_fixture_t : public ::testing::Test {
protected:
    // Parses the whitetail's behaviour file into the double.
    void load_whitetail() {
        ASSERT_TRUE(parser.parse_file("/model/animal/whitetail/animal.zba"));
        animation.info = zba_info_t(parser.image());
    }
    // Parses a file written in the test into the double.
    void load_text(const std::string &text) {
        mount.files.files["/test.zba"] = text;
        ASSERT_TRUE(parser.parse_file("/zt/test.zba")) << text;
        animation.info = zba_info_t(parser.image());
    }
    // The behaviour of that name (the first), failing the test when absent.
    int32_t behavior(const char *name) {
        const int32_t b = animation.info.find_behavior(name);
        EXPECT_GE(b, 0) << name;
        return b;
    }
    // The game's "/def/ai.def".
    const def_pool_t &ai_def() {
        if (!m_ai_loaded) {
            EXPECT_TRUE(m_ai.read_from("/def/ai.def"));
            m_ai_loaded = true;
        }
        return m_ai;
    }

    ai_data_mount_t mount;
    zba_parser_t parser;
    recording_animation_t animation;
    randomizer_t random{4242};
    message_capture_t log;

private:
    def_pool_t m_ai;
    bool m_ai_loaded = false;
};

}  // namespace quarn::test
