#pragma once
// Stand-ins for what the AI world reads of the scene, the map and the animals: a
// scene with a fixed clock and seed, attraction areas, and a small animal that
// records what the world asks of it. Definition texts are read from memory.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/ai/mind/ai_animal.h"
#include "game/ai/mind/ai_command.h"
#include "game/ai/mind/ai_attract_area.h"
#include "game/ai/mind/ai_item.h"
#include "game/ai/nav/ai_nav_path.h"
#include "game/ai/mind/ai_world.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"

namespace quarn::test {

// A pool read from the text; fails the test when it does not read.
inline std::unique_ptr<def_pool_t> def_text(const std::string &text) {
    auto pool = std::make_unique<def_pool_t>();
    EXPECT_TRUE(pool->read_text(text.data(), text.size(), "/test.def")) << text;
    return pool;
}

class fake_scene_t : public ai_scene_link_t {
public:
    float get_scene_time() const override { return time; }
    randomizer_t &get_random() override { return random; }
    void register_animal(ai_animal_t &animal) override { registered.push_back(&animal); }

    float time = 0.0f;
    randomizer_t random{12345};
    std::vector<ai_animal_t *> registered;
};

class fake_area_t : public ai_attract_area_t {
public:
    fake_area_t(vec3_t c, float r, int32_t type, int32_t category = ANY_CATEGORY, uint32_t colour = 0xff00ff00u)
        : centre(c), radius(r), resource(type), places(category), debug_colour(colour) {}
    vec3_t get_centre() const override { return centre; }
    float get_radius() const override { return radius; }
    int32_t get_resource_type() const override { return resource; }
    int32_t get_category() const override { return places; }
    uint32_t get_debug_color() const override { return debug_colour; }

    vec3_t centre;
    float radius;
    int32_t resource;
    int32_t places;
    uint32_t debug_colour;
};

class fake_area_list_t : public ai_attract_area_list_t {
public:
    uint32_t get_area_count() const override { return uint32_t(areas.size()); }
    const ai_attract_area_t *get_area(uint32_t i) const override { return i < areas.size() ? &areas[i] : nullptr; }
    std::vector<fake_area_t> areas;
};

// What the fake animals of a test share: names whose set-up fails, and a journal.
struct fake_animals_t {
    std::set<std::string> failing;
    std::vector<std::string> journal;
    std::vector<class fake_animal_t *> made;
};
inline fake_animals_t *fake_animals = nullptr;

class fake_animal_t : public ai_animal_t {
public:
    explicit fake_animal_t(const char *t = "deer") : type(t) {
        if (fake_animals) fake_animals->made.push_back(this);
    }
    ~fake_animal_t() override {
        if (fake_animals) fake_animals->journal.push_back("delete " + name);
    }

    void set_name(const char *n) override { name = n; }
    bool setup(const ai_animal_setup_t &s) override {
        index = s.index;
        species_name = s.species_name;
        gender_name = s.gender_name;
        entry = s.entry;
        if (fake_animals) fake_animals->journal.push_back("setup " + name);
        return !(fake_animals && fake_animals->failing.count(name));
    }
    void start() override {
        if (fake_animals) fake_animals->journal.push_back("start " + name);
    }
    void load_mission_script(const def_obj_t &e) override { script_entry = &e; }

    const char *get_name() const override { return name.c_str(); }
    int32_t get_species_index() const override { return species; }
    int32_t get_gender_index() const override { return gender; }
    bool is_removed() const override { return removed; }
    void set_removed() override { removed = true; }

    vec3_t get_position() const override { return position; }
    quat_t get_rotation() const override { return quat_t(); }
    vec3_t get_head_offset(vec3_t *head) const override {
        *head = position;
        return position;
    }
    vec3_t get_facing() const override { return facing; }
    vec3_t get_heading() const override { return heading; }
    void set_heading(const vec3_t &h) override { heading = h; }
    float get_urgency() const override { return urgency; }
    void set_urgency(float u) override { urgency = u; }
    float get_speed_factor() const override { return speed_factor; }
    void set_speed_factor(float f) override { speed_factor = f; }
    uint32_t get_movement_mode() const override { return mode; }
    ai_nav_path_t &get_path() override { return path; }
    void reevaluate_movement() override { ++reevaluations; }
    void update_navigation() override { ++navigation_updates; }

    ai_animal_t *get_leader() const override { return leader; }
    void on_group_event(const ai_group_event_t &event, float a, float b) override {
        group_events.push_back({event.source, event.position, a, b});
    }

    // Sight and smell: 1 within the range, 0 beyond.
    float sight_test(const vec3_t &p, float, float far_distance) const override {
        return length(p - position) <= far_distance ? 1.0f : 0.0f;
    }
    float smell_test(const vec3_t &p, float range) const override { return length(p - position) <= range ? 1.0f : 0.0f; }
    const ai_reaction_t &get_reaction(const ai_item_t &item) override {
        ++reaction_queries;
        return reactions.get(item, species, gender);
    }

    void hear(const vec3_t &, float, float) override {}
    void on_attack(ai_animal_t *, bool, bool) override {}
    void on_mate(ai_animal_t *, bool) override {}
    bool cancel() override { return false; }

    void decision_step() override {
        ++decisions;
        if (fake_animals) fake_animals->journal.push_back("decide " + name);
    }

    ai_mind_t *get_mind() override { return mind; }
    float hearing_test(const vec3_t &p, float, float far_distance) const override {
        return length(p - position) <= far_distance ? 1.0f : 0.0f;
    }
    // Ahead within 45 degrees of the facing is base; otherwise base + 1 to the left
    // (x below 0), base + 2 to the right.
    int32_t direction_sector(const vec3_t &p, int32_t base) const override {
        const vec3_t d = p - position;
        if (dot(d, facing) >= 0.7071f * length(d)) return base;
        return d.x < 0.0f ? base + 1 : base + 2;
    }
    float get_species_relation(int32_t species_index) const override {
        auto it = relations.find(species_index);
        return it == relations.end() ? 0.0f : it->second;
    }
    float get_score_ratio() const override { return score_ratio; }
    float get_scale() const override { return scale; }
    float get_pain() const override { return pain; }
    bool is_mortally_wounded() const override { return mortal; }
    int32_t get_navigation_state() const override { return navigation_state; }
    void on_appetite_reaction() override { ++appetite_reactions; }

    // Every handler notes the kind and phase it was given.
    void command_move(ai_command_t &c) override { handled(c); }
    void command_wander(ai_command_t &c) override { handled(c); }
    void command_feed(ai_command_t &c) override { handled(c); }
    void command_drink(ai_command_t &c) override { handled(c); }
    void command_appetite(ai_command_t &c) override { handled(c); }
    void command_scrape(ai_command_t &c) override { handled(c); }
    void command_rest(ai_command_t &c) override { handled(c); }
    void command_search_mate(ai_command_t &c) override { handled(c); }
    void command_flee(ai_command_t &c) override { handled(c); }
    void command_fight_animal(ai_command_t &c) override { handled(c); }
    void command_fight_tree(ai_command_t &c) override { handled(c); }
    void command_pursue_animal(ai_command_t &c) override { handled(c); }
    void command_hide(ai_command_t &c) override { handled(c); }
    void command_sex(ai_command_t &c) override { handled(c); }
    void command_serious_injury(ai_command_t &c) override { handled(c); }
    void command_play_behavior(ai_command_t &c) override { handled(c); }
    void command_restart_script(ai_command_t &c) override { handled(c); }

    struct handled_t {
        int32_t kind, phase, argument;
        ai_animal_t *target;
    };
    void handled(const ai_command_t &c) { commands.push_back({c.kind, c.phase, c.argument, c.target}); }

    struct group_event_t {
        ai_animal_t *source;
        vec3_t position;
        float a, b;
    };

    std::string type, name = "unnamed", species_name, gender_name;
    uint32_t index = 0;
    const def_obj_t *entry = nullptr;
    const def_obj_t *script_entry = nullptr;
    int32_t species = 3, gender = 0;
    bool removed = false;
    vec3_t position, facing{0, 0, -1}, heading{0, 0, -1};
    float urgency = 0.0f, speed_factor = 1.0f;
    uint32_t mode = 1;
    ai_nav_path_t path;
    ai_animal_t *leader = nullptr;
    int reevaluations = 0, navigation_updates = 0, decisions = 0, reaction_queries = 0;
    std::vector<group_event_t> group_events;
    ai_reaction_table_t reactions;

    ai_mind_t *mind = nullptr;
    std::map<int32_t, float> relations;  // by species index
    float score_ratio = 0.5f, scale = 1.0f, pain = 0.0f;
    bool mortal = false;
    int32_t navigation_state = 3;
    int appetite_reactions = 0;
    std::vector<handled_t> commands;
};

inline ai_animal_t *make_fake_animal(const char *type) { return new fake_animal_t(type); }

// A game definition with the species the tests name: whitetail (index 3, male,
// female, young) and grizzly (index 7, male).
inline const char *const game_def_text = R"(
def species {
    def whitetail {
        index: "3"
        def male { type: "deer" gender: "1" }
        def female { type: "deer" gender: "2" }
        def young { type: "deer" gender: "3" }
        def broken { gender: "1" }
        def nogender { type: "deer" }
    }
    def grizzly {
        index: "7"
        def male { type: "bear" gender: "1" }
    }
}
)";

// Installs the fake factory and journal for a test, and takes them back after it.
class ai_world_fixture_t : public ::testing::Test {
protected:
    void SetUp() override {
        fake_animals = &animals;
        ai_set_animal_factory(make_fake_animal);
    }
    void TearDown() override {
        world.reset();
        ai_set_animal_factory(nullptr);
        fake_animals = nullptr;
    }
    // Creates one animal per name through a mission (all whitetail males unless the
    // text says otherwise) and returns the fakes in creation order.
    std::vector<fake_animal_t *> create(const std::vector<std::string> &names) {
        std::string mission = "def animals {\n";
        for (const std::string &n : names) mission += "def " + n + " { species: \"whitetail\" type: \"male\" }\n";
        mission += "}\n";
        missions.push_back(def_text(mission));
        const size_t before = animals.made.size();
        world->create_animals(missions.back()->find("animals"), game.get());
        return std::vector<fake_animal_t *>(animals.made.begin() + long(before), animals.made.end());
    }

    fake_animals_t animals;
    fake_scene_t scene;
    std::unique_ptr<ai_world_t> world = std::make_unique<ai_world_t>(scene);
    std::vector<std::unique_ptr<def_pool_t>> missions;
    std::unique_ptr<def_pool_t> game = def_text(game_def_text);
};

}  // namespace quarn::test
