// Reads arbitrary bytes as a definition text and hands it to the AI as the AI reads
// definitions:
// - every object of the pool is loaded as a state graph, which is then forced and
//   walked with urge values drawn from a generator seeded by the input;
// - the pool is the game definition, "/def/ai.def" and the mission: "script_points"
//   are read, the "animals" object makes animals (small stand-ins) whose minds are
//   initialised from their entries and species (presets, rates, calls) with the
//   species' state graphs in their presentations, whose entries' "script" blocks are
//   read, and which then decide frame by frame with the clock running (an animal
//   whose mind does not initialise steps its script alone); every top-level object
//   is read as an attractant item, asked for the reaction of each species and
//   gender, and emitted into the world, which then fades its stimuli.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/ai/mind/ai_animal.h"
#include "game/ai/mind/ai_animal_presentation.h"
#include "game/ai/mind/ai_item.h"
#include "game/ai/mind/ai_processor.h"
#include "game/ai/mind/ai_script.h"
#include "game/ai/mind/ai_simple.h"
#include "game/ai/mind/ai_world.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "kernel/memory/m_server.h"
#include "qrncore/system/messages.h"

namespace {

using namespace quarn;

// Silences the log: errors are the expected answer to most inputs.
class quiet_t : public message_handler_t {
public:
    void process_message(const string &, message_t::type_t) override {}
};

class scene_t : public ai_scene_link_t {
public:
    float get_scene_time() const override { return time; }
    randomizer_t &get_random() override { return random; }
    void register_animal(ai_animal_t &) override {}
    float time = 0.0f;
    randomizer_t random{1};
};

float urges[7] = {0.1f, 0.9f, 0.3f, 0.0f, 0.5f, 0.2f, 0.7f};

// An animal with a mind and a presentation (without an animation instance) when its
// definitions give one, else with its script alone.
class animal_t : public ai_animal_t, public ai_script_host_t {
public:
    ~animal_t() override {
        delete mind;
        delete presentation;
    }
    void set_name(const char *n) override { strncpy(name, n, sizeof name - 1); }
    bool setup(const ai_animal_setup_t &s) override {
        world = s.world;
        int32_t g = 0;
        if (s.gender) s.gender->get_int("gender", g);
        gender = g - 1;
        if (s.species) s.species->get_int("index", species);
        // Spread out, so that they see each other.
        position = {float(s.index % 5) * 30.0f, 0.0f, float(s.index / 5) * 30.0f};
        presentation = new ai_presentation_t(world->get_random());
        presentation->load_processors(s.game, s.species_name);
        mind = new ai_mind_t(*this, *world);
        mind->set_presentation(presentation);
        minded = mind->init(s);
        return !s.entry->get_value("broken");
    }
    void start() override {
        if (minded) mind->start();
    }
    void load_mission_script(const def_obj_t &entry) override {
        const def_obj_t *s = entry.find("script");
        if (!s) return;
        if (minded)
            mind->load_script(*s);
        else
            script.load_script(*s, *this);
    }
    const char *get_name() const override { return name; }
    int32_t get_species_index() const override { return species; }
    int32_t get_gender_index() const override { return gender; }
    bool is_removed() const override { return removed; }
    void set_removed() override { removed = true; }
    vec3_t get_position() const override { return position; }
    quat_t get_rotation() const override { return quat_t(); }
    vec3_t get_head_offset(vec3_t *head) const override { return *head = vec3_t(); }
    vec3_t get_facing() const override { return {0, 0, -1}; }
    vec3_t get_heading() const override { return heading; }
    void set_heading(const vec3_t &h) override { heading = h; }
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
    float sight_test(const vec3_t &, float, float) const override { return 0.5f; }
    float smell_test(const vec3_t &, float) const override { return 0.5f; }
    const ai_reaction_t &get_reaction(const ai_item_t &item) override { return reactions.get(item, 3, gender); }
    void hear(const vec3_t &, float, float) override {}
    void on_attack(ai_animal_t *, bool, bool) override {}
    void on_mate(ai_animal_t *, bool) override {}
    bool cancel() override { return false; }
    void decision_step() override {
        if (!minded) {
            if (script.script_step(command, *this)) dispatch(command);
            return;
        }
        // The activity changes now and then, as the command handlers would change it.
        randomizer_t &r = world->get_random();
        if (r.rand() < 0.2f) presentation->change_processor(r.rand_u(10), mind->get_processor_value());
        mind->set_processor_value(r.rand());
        if (r.rand() < 0.1f) mind->on_alarm(r.rand() - 0.5f, r.rand() - 0.5f, {r.rand(), 0, r.rand()});
        if (r.rand() < 0.1f) mind->on_call(r.rand());
        mind->set_hold(r.rand() < 0.2f);
        mind->step();
        if (mind->flight_level() < 0.0f || mind->flight_level() > 1.0f) abort();
        for (uint32_t n = 0; n < AI_NEED_COUNT; ++n)
            if (!(mind->get_need(n) >= 0.0f && mind->get_need(n) <= 1.0f)) abort();
    }
    ai_mind_t *get_mind() override { return minded ? mind : nullptr; }
    float hearing_test(const vec3_t &, float, float) const override { return 0.5f; }
    int32_t direction_sector(const vec3_t &, int32_t base) const override { return base; }
    float get_species_relation(int32_t s) const override { return float(s % 5) * 0.4f - 0.8f; }
    float get_score_ratio() const override { return 0.5f; }
    float get_scale() const override { return 1.0f; }
    float get_pain() const override { return float(gender) * 0.25f; }
    bool is_mortally_wounded() const override { return false; }
    void on_appetite_reaction() override {}
    // Commands end at once, so that every step decides anew.
    void command_move(ai_command_t &c) override { dispatch(c); }
    void command_wander(ai_command_t &c) override { dispatch(c); }
    void command_feed(ai_command_t &c) override { dispatch(c); }
    void command_drink(ai_command_t &c) override { dispatch(c); }
    void command_appetite(ai_command_t &c) override { dispatch(c); }
    void command_scrape(ai_command_t &c) override { dispatch(c); }
    void command_rest(ai_command_t &c) override { dispatch(c); }
    void command_search_mate(ai_command_t &c) override { dispatch(c); }
    void command_flee(ai_command_t &c) override { dispatch(c); }
    void command_fight_animal(ai_command_t &c) override { dispatch(c); }
    void command_fight_tree(ai_command_t &c) override { dispatch(c); }
    void command_pursue_animal(ai_command_t &c) override { dispatch(c); }
    void command_hide(ai_command_t &c) override { dispatch(c); }
    void command_sex(ai_command_t &c) override { dispatch(c); }
    void command_serious_injury(ai_command_t &c) override { dispatch(c); }
    void command_play_behavior(ai_command_t &c) override { dispatch(c); }
    void command_restart_script(ai_command_t &c) override {
        if (minded) mind->get_script().restart_script(*mind);
        dispatch(c);
    }

    // The script's host.
    float get_scene_time() const override { return world ? world->get_scene_time() : 0.0f; }
    const float *get_urges() const override { return urges; }
    int32_t get_navigation_state() const override { return 3; }
    bool has_leader() const override { return false; }
    const ai_script_t *get_leader_script() const override { return nullptr; }
    int32_t find_behavior(const char *n) const override { return strlen(n) % 3 == 0 ? -1 : int32_t(strlen(n)); }
    ai_world_t *get_world() const override { return world; }
    ai_factors_t &get_factors() override { return factors; }
    void set_stress(float) override {}
    void dispatch(ai_command_t &c) override {
        if (c.kind == AI_CMD_RESTART_SCRIPT) script.restart_script(*this);
        c.phase = AI_PHASE_FORCED;
    }

    char name[64] = "unnamed";
    int32_t gender = 0;
    int32_t species = 3;
    vec3_t position;
    ai_presentation_t *presentation = nullptr;
    ai_mind_t *mind = nullptr;
    bool minded = false;
    bool removed = false;
    vec3_t heading{0, 0, -1};
    ai_nav_path_t path;
    ai_reaction_table_t reactions;
    ai_script_t script;
    ai_command_t command;
    ai_factors_t factors;
    ai_world_t *world = nullptr;
};

ai_animal_t *make_animal(const char *) { return new animal_t; }

void walk_graphs(const def_obj_t *o, randomizer_t &dice) {
    for (; o; o = o->get_next()) {
        ai_processor_t p;
        p.load(*o);
        p.force(dice.rand() * 1.2f - 0.1f, int32_t(dice.rand_u(70)) - 1);
        for (int i = 0; i < 64; ++i) {
            const int32_t m = p.step(dice.rand() * 1.2f - 0.1f, int32_t(dice.rand_u(70)) - 1, dice);
            if (m >= 0 && uint32_t(p.get_current_state()) >= p.get_state_count()) abort();
            p.addon_rate(dice.rand_u(9), dice.rand());
            p.current_addon_mask();
        }
        walk_graphs(o->get_first_child(), dice);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static quiet_t quiet;
    def_pool_t pool;
    if (!pool.read_text(reinterpret_cast<const char *>(data), size, "/fuzz.def")) return 0;
    randomizer_t dice{uint32_t(size)};
    walk_graphs(pool.get_first_object(), dice);

    scene_t scene;
    ai_set_animal_factory(make_animal);
    {
        ai_world_t world(scene);
        world.load_script_points(pool.find("script_points"));
        world.create_animals(pool.find("animals"), &pool);
        ai_item_t items[4];
        uint32_t n = 0;
        for (const def_obj_t *o = pool.get_first_object(); o && n < 4; o = o->get_next(), ++n) {
            items[n].load(*o, &pool, world);
            ai_reaction_t r;
            for (int32_t s = -1; s < 16; ++s)
                for (int32_t g = 0; g < 3; ++g) items[n].react(s, g, r);
            items[n].emit({float(n), 0, 0}, world);
        }
        for (int frame = 0; frame < 40; ++frame) {
            scene.time += 0.5f;
            world.update(0.5f);
            for (uint32_t a = 0; a < world.get_animal_count(); ++a) {
                ai_sensed_t sensed;
                world.sense_stimuli(*world.get_animal(a), sensed);
            }
        }
        for (uint32_t i = 0; i < n; ++i) world.remove_stimuli_of(&items[i]);
    }
    ai_set_animal_factory(nullptr);
    return 0;
}
