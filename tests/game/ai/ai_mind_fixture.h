#pragma once
// A mind on the first of a few fake animals of an AI world with a fixed clock and a
// seeded generator, initialised from a small game definition whose keys a test may
// drop or change.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/ai/ai_fakes.h"
#include "game/ai/mind/ai_simple.h"
#include "support/message_capture.h"

namespace quarn::test {

// The preset's keys and values: needs, attack probability and factors, each factor
// slot its own value (fades 1..6, facts 11..16, perceptions 0.1..0.7).
inline std::vector<std::pair<std::string, std::string>> mind_preset_keys() {
    std::vector<std::pair<std::string, std::string>> keys = {
        {"val_hunger", "0.5"}, {"val_thirst", "0.4"}, {"val_tiredness", "0.35"}, {"val_aggression", "0.1"},
        {"val_sex", "0.2"},    {"val_stress", "0.3"}, {"val_attack_probability", "0.25"}};
    const char *slots[] = {"enemy", "prey", "mate", "partner", "rival", "pain"};
    for (int i = 0; i < 6; ++i) {
        keys.push_back({std::string("fade_") + slots[i], std::to_string(i + 1)});
        keys.push_back({std::string("fact_") + slots[i], std::to_string(i + 11)});
        keys.push_back({std::string("fact_") + slots[i] + "_perception", "0." + std::to_string(i + 1)});
    }
    keys.push_back({"fact_call_perception", "0.7"});
    return keys;
}

// The gender's rates and calls.
inline std::vector<std::pair<std::string, std::string>> mind_species_keys() {
    return {{"fact_hunger", "8"},      {"fade_hunger", "4"},       {"fact_thirst", "6"},      {"fade_thirst", "3"},
            {"fact_tiredness", "10"},  {"fade_tiredness", "5"},    {"fact_aggression", "12"}, {"fade_aggression", "6"},
            {"fact_sex", "20"},        {"fade_sex", "10"},         {"fact_stress", "2"},      {"fade_stress", "1"},
            {"fact_fatigue", "16"},    {"fade_fatigue", "8"},      {"calls_w_time", "30"},    {"calls_w_length", "10"},
            {"calls_w_call", "60"},    {"call_back", "0.3"},       {"calls_ideal", "2"},      {"calls_maximal", "4"}};
}

// Keys to write differently: a value, or "" to leave the key out.
using key_changes_t = std::map<std::string, std::string>;

inline std::string key_lines(const std::vector<std::pair<std::string, std::string>> &keys,
                             const key_changes_t &changes) {
    std::string out;
    for (const auto &[key, value] : keys) {
        auto it = changes.find(key);
        if (it != changes.end() && it->second.empty()) continue;
        out += "    " + key + ": \"" + (it != changes.end() ? it->second : value) + "\"\n";
    }
    return out;
}

// Species "whitetail" with presets "default" and "shy" (stress 0.6) for its genders;
// species "moose" with presets of its own and of its male.
inline std::string mind_game_def(const key_changes_t &preset = {}, const key_changes_t &species = {}) {
    const std::string defaults = key_lines(mind_preset_keys(), preset);
    key_changes_t shy_changes = preset;
    shy_changes["val_stress"] = "0.6";
    const std::string shy = key_lines(mind_preset_keys(), shy_changes);
    const std::string rates = key_lines(mind_species_keys(), species);
    key_changes_t moose_changes = preset;
    moose_changes["val_hunger"] = "0.7";
    return "def species {\n def whitetail {\n  def ai_presets {\n   def default {\n" + defaults + "   }\n   def shy {\n" +
           shy + "   }\n  }\n  def male {\n" + rates + "  }\n }\n def moose {\n  def ai_presets {\n   def default {\n" +
           defaults + "   }\n  }\n  def male {\n" + rates + "   def ai_presets {\n    def default {\n" +
           key_lines(mind_preset_keys(), moose_changes) + "    }\n   }\n  }\n }\n}\n";
}

class ai_mind_fixture_t : public ai_world_fixture_t {
protected:
    void SetUp() override {
        ai_world_fixture_t::SetUp();
        made = create({"buck", "doe", "fawn", "other"});
        self = made[0];
        mind = std::make_unique<ai_mind_t>(*self, *world);
        self->mind = mind.get();
        ASSERT_TRUE(init());
    }

    // Initialises the mind as a whitetail male (or the species) whose instance holds
    // the extra keys.
    bool init(const key_changes_t &preset = {}, const key_changes_t &species = {}, const std::string &instance = "",
              const char *species_name = "whitetail") {
        pools.push_back(def_text(mind_game_def(preset, species) + "def entry {\n" + instance + "\n}\n"));
        const def_pool_t &pool = *pools.back();
        ai_animal_setup_t setup;
        setup.name = "buck";
        setup.species_name = species_name;
        setup.gender_name = "male";
        setup.entry = pool.find("entry");
        setup.species = pool.find((std::string("species.") + species_name).c_str());
        setup.gender = pool.find((std::string("species.") + species_name + ".male").c_str());
        setup.game = &pool;
        setup.world = world.get();
        return mind->init(setup);
    }

    // The generator as it stands: the draws the mind will make next.
    randomizer_t draws() const { return scene.random; }

    std::vector<fake_animal_t *> made;
    fake_animal_t *self = nullptr;
    std::unique_ptr<ai_mind_t> mind;
    std::vector<std::unique_ptr<def_pool_t>> pools;
};

}  // namespace quarn::test
