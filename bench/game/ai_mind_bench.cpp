// Decision steps of animal minds in a herd, as the AI world runs them (two a frame):
// each step senses every other animal within 200 units, so its cost grows with the
// herd. Rates are steps per second, for herds of 8, 64 and 256 animals on a square
// of 300 units (most of them in range of each other), half of them of a species the
// deer flee from. No outside peer does this work.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/ai/mind/ai_animal.h"
#include "game/ai/mind/ai_command.h"
#include "game/ai/nav/ai_nav_path.h"
#include "game/ai/mind/ai_simple.h"
#include "game/ai/mind/ai_world.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"

namespace {

using namespace quarn;

class scene_t : public ai_scene_link_t {
public:
    float get_scene_time() const override { return time; }
    randomizer_t &get_random() override { return random; }
    void register_animal(ai_animal_t &) override {}
    float time = 0.0f;
    randomizer_t random{11};
};

// Senses fall off with distance; commands end at once, so that every step decides.
class animal_t : public ai_animal_t {
public:
    void set_name(const char *) override {}
    bool setup(const ai_animal_setup_t &) override { return true; }
    void start() override {}
    void load_mission_script(const def_obj_t &) override {}
    const char *get_name() const override { return "a"; }
    int32_t get_species_index() const override { return species; }
    int32_t get_gender_index() const override { return gender; }
    bool is_removed() const override { return false; }
    void set_removed() override {}
    vec3_t get_position() const override { return position; }
    quat_t get_rotation() const override { return quat_t(); }
    vec3_t get_head_offset(vec3_t *head) const override { return *head = position; }
    vec3_t get_facing() const override { return {0, 0, -1}; }
    vec3_t get_heading() const override { return {0, 0, -1}; }
    void set_heading(const vec3_t &) override {}
    float get_urgency() const override { return 0; }
    void set_urgency(float) override {}
    float get_speed_factor() const override { return 1; }
    void set_speed_factor(float) override {}
    uint32_t get_movement_mode() const override { return 1; }
    ai_nav_path_t &get_path() override { return path; }
    void reevaluate_movement() override {}
    void update_navigation() override {}
    ai_animal_t *get_leader() const override { return nullptr; }
    void on_group_event(const ai_group_event_t &, float, float) override {}
    float sight_test(const vec3_t &p, float, float far) const override { return falloff(p, far); }
    float smell_test(const vec3_t &p, float range) const override { return falloff(p, range); }
    const ai_reaction_t &get_reaction(const ai_item_t &) override { return none; }
    void hear(const vec3_t &, float, float) override {}
    void on_attack(ai_animal_t *, bool, bool) override {}
    void on_mate(ai_animal_t *, bool) override {}
    bool cancel() override { return false; }
    void decision_step() override { mind->step(); }
    ai_mind_t *get_mind() override { return mind.get(); }
    float hearing_test(const vec3_t &p, float, float far) const override { return falloff(p, far); }
    int32_t direction_sector(const vec3_t &, int32_t base) const override { return base; }
    float get_species_relation(int32_t s) const override { return s == species ? 0.0f : -0.8f; }
    float get_score_ratio() const override { return 0.5f; }
    float get_scale() const override { return 1.0f; }
    float get_pain() const override { return 0.0f; }
    bool is_mortally_wounded() const override { return false; }
    int32_t get_navigation_state() const override { return 3; }
    void on_appetite_reaction() override {}
    void command_move(ai_command_t &c) override { done(c); }
    void command_wander(ai_command_t &c) override { done(c); }
    void command_feed(ai_command_t &c) override { done(c); }
    void command_drink(ai_command_t &c) override { done(c); }
    void command_appetite(ai_command_t &c) override { done(c); }
    void command_scrape(ai_command_t &c) override { done(c); }
    void command_rest(ai_command_t &c) override { done(c); }
    void command_search_mate(ai_command_t &c) override { done(c); }
    void command_flee(ai_command_t &c) override { done(c); }
    void command_fight_animal(ai_command_t &c) override { done(c); }
    void command_fight_tree(ai_command_t &c) override { done(c); }
    void command_pursue_animal(ai_command_t &c) override { done(c); }
    void command_hide(ai_command_t &c) override { done(c); }
    void command_sex(ai_command_t &c) override { done(c); }
    void command_serious_injury(ai_command_t &c) override { done(c); }
    void command_play_behavior(ai_command_t &c) override { done(c); }
    void command_restart_script(ai_command_t &c) override { done(c); }

    vec3_t position;
    int32_t species = 3, gender = 0;
    std::unique_ptr<ai_mind_t> mind;

private:
    float falloff(const vec3_t &p, float far) const {
        const float d = length(p - position);
        return d >= far ? 0.0f : 1.0f - d / far;
    }
    static void done(ai_command_t &c) { c.phase = AI_PHASE_FORCED; }
    ai_nav_path_t path;
    ai_reaction_t none;
};

ai_animal_t *make_animal(const char *) { return new animal_t; }

const char *const definitions = R"(
def species { def deer {
    def ai_presets { def default {
        val_hunger: "0.5" val_thirst: "0.4" val_tiredness: "0.3" val_aggression: "0.1" val_sex: "0.2"
        val_stress: "0.3" val_attack_probability: "0.2"
        fade_enemy: "2" fade_prey: "2" fade_mate: "2" fade_partner: "2" fade_rival: "2" fade_pain: "2"
        fact_enemy: "5" fact_prey: "5" fact_mate: "5" fact_partner: "5" fact_rival: "5" fact_pain: "5"
        fact_enemy_perception: "0.4" fact_prey_perception: "0.4" fact_mate_perception: "0.4"
        fact_partner_perception: "0.4" fact_rival_perception: "0.4" fact_pain_perception: "0.4"
        fact_call_perception: "0.4"
    } }
    def male {
        type: "deer"
        fact_hunger: "8" fade_hunger: "4" fact_thirst: "6" fade_thirst: "3" fact_tiredness: "10"
        fade_tiredness: "5" fact_aggression: "12" fade_aggression: "6" fact_sex: "20" fade_sex: "10"
        fact_stress: "2" fade_stress: "1" fact_fatigue: "16" fade_fatigue: "8" calls_w_time: "30"
        calls_w_length: "10" calls_w_call: "60" call_back: "0.3" calls_ideal: "2" calls_maximal: "4"
    }
} }
)";

// A herd of n minds on a 300 × 300 square; the world runs their steps.
struct herd_t {
    explicit herd_t(uint32_t n) : world(scene) {
        std::string text = std::string(definitions) + "def animals {\n";
        for (uint32_t i = 0; i < n; ++i) text += "def a" + std::to_string(i) + " { species: \"deer\" type: \"male\" }\n";
        text += "}\n";
        game.read_text(text.data(), text.size(), "/mission.def");
        ai_set_animal_factory(make_animal);
        world.create_animals(game.find("animals"), &game);
        ai_set_animal_factory(nullptr);
        randomizer_t dice(5);
        ai_animal_setup_t setup;
        setup.species = game.find("species.deer");
        setup.gender = game.find("species.deer.male");
        for (uint32_t i = 0; i < world.get_animal_count(); ++i) {
            auto *a = static_cast<animal_t *>(world.get_animal(i));
            a->position = {dice.rand() * 300.0f, 0.0f, dice.rand() * 300.0f};
            a->species = i % 2 ? 3 : 7;
            a->gender = int32_t(i % 3);
            a->mind = std::make_unique<ai_mind_t>(*a, world);
            if (!a->mind->init(setup)) std::abort();
            a->mind->start();
        }
    }

    scene_t scene;
    def_pool_t game;
    ai_world_t world;
};

void BM_ai_mind_step(benchmark::State &state) {
    herd_t herd(uint32_t(state.range(0)));
    for (auto _ : state) {
        herd.scene.time += 0.02f;
        herd.world.update(0.02f);  // two steps
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_ai_mind_step)->Arg(8)->Arg(64)->Arg(256);

}  // namespace
