#pragma once
// ai_animal_t: an animal as the AI world, the other animals and the cameras see it.
// The AI world holds its animals only through this interface, so that it builds and
// is tested without the animal classes; those classes implement it and register a
// factory that makes them. docs/animal-ai.md lists who calls what.
#include <cstdint>

#include "game/game_alloc.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

class ai_animal_t;
class ai_item_t;
class ai_mind_t;
struct ai_command_t;
class ai_nav_path_t;
class ai_world_t;
class def_obj_t;
class def_pool_t;

// How an animal reacts to the stimuli of one attractant item: per channel (0 food,
// 1 sexual) whether and how strongly.
struct ai_reaction_t {
    bool reacts = false;
    bool channel[2] = {false, false};
    float value[2] = {0.0f, 0.0f};
};

// An animal's reactions, one entry per item id, filled the first time the animal
// senses a stimulus of that item (the item decides by species and gender index).
class ai_reaction_table_t {
public:
    // The entry for the item, filled first when it is new. An entry that cannot be
    // stored (no memory) is answered as "does not react".
    const ai_reaction_t &get(const ai_item_t &item, int32_t species_index, int32_t gender_index);
    void clear() { m_entries.clear(); }

private:
    struct entry_t {
        bool known = false;
        ai_reaction_t reaction;
    };
    array_dyn_t<entry_t> m_entries;
    ai_reaction_t m_none;
};

// What a herd member hears when its leader or one of its followers calls the group
// (ai_world_t::notify_group): who called and where it stood.
struct ai_group_event_t {
    ai_animal_t *source = nullptr;
    vec3_t position;
};

// Everything an animal's set-up gets, from one entry of the mission's animal list.
struct ai_animal_setup_t {
    uint32_t index = 0;                  // the animal's id in the AI world
    const char *name = "";               // the entry's name
    const char *species_name = "";       // the entry's "species"
    const char *gender_name = "";        // the entry's "type"
    const def_obj_t *entry = nullptr;    // the instance definition (the entry itself)
    const def_obj_t *species = nullptr;  // game definition "species.<species>"
    const def_obj_t *gender = nullptr;   // "species.<species>.<type>"
    const def_pool_t *game = nullptr;    // the game definition
    ai_world_t *world = nullptr;
};

class ai_animal_t : public game_alloc_t {
public:
    virtual ~ai_animal_t() = default;

    // ---- creation (called by the AI world, in this order) ----
    // The animal's name becomes the entry's name before set-up.
    virtual void set_name(const char *name) = 0;
    // Body and AI set-up; false (logged) leaves the animal in the world as removed.
    virtual bool setup(const ai_animal_setup_t &setup) = 0;
    // The first AI step, after a successful set-up.
    virtual void start() = 0;
    // After every animal exists: reads the entry's "script" block, when it has one.
    virtual void load_mission_script(const def_obj_t &entry) = 0;

    // ---- identity ----
    virtual const char *get_name() const = 0;
    virtual int32_t get_species_index() const = 0;
    // 0 male, 1 female, 2 young.
    virtual int32_t get_gender_index() const = 0;
    // A removed animal takes part in nothing: every loop of the AI world skips it.
    virtual bool is_removed() const = 0;
    virtual void set_removed() = 0;

    // ---- body (also read by the cameras) ----
    virtual vec3_t get_position() const = 0;
    virtual quat_t get_rotation() const = 0;
    // Writes the head's world position; returns the animal's position. The head is the
    // "head" bone's origin scaled by the animal's scale; an animal without that bone
    // answers fallback_head_point.
    virtual vec3_t get_head_offset(vec3_t *head) const = 0;
    // The head of an animal of height h without a head bone: (0, 0.7 h, -0.8 h) in the
    // animal's frame (it faces -z), turned by its rotation and added to its position.
    static vec3_t fallback_head_point(const vec3_t &position, const quat_t &rotation, float height) {
        return position + rotation.rotate(vec3_t{0.0f, 0.7f * height, -0.8f * height});
    }
    // Where the body faces (horizontal unit vector).
    virtual vec3_t get_facing() const = 0;

    // ---- movement ----
    // The wanted facing (horizontal unit vector) and how urgently to turn to it.
    virtual vec3_t get_heading() const = 0;
    virtual void set_heading(const vec3_t &heading) = 0;
    virtual float get_urgency() const = 0;
    virtual void set_urgency(float urgency) = 0;
    // The navigation's brake on the speed, 1 for none.
    virtual float get_speed_factor() const = 0;
    virtual void set_speed_factor(float factor) = 0;
    // The navigation category: 0 anywhere, 1 normal, 2 mountain.
    virtual uint32_t get_movement_mode() const = 0;
    virtual ai_nav_path_t &get_path() = 0;
    // Recomputes the aim and heading from the movement target.
    virtual void reevaluate_movement() = 0;
    // Asks the navigation for a path to the target again.
    virtual void update_navigation() = 0;

    // ---- herd ----
    // The mate the animal follows (herd leader or mother), or null.
    virtual ai_animal_t *get_leader() const = 0;
    virtual void on_group_event(const ai_group_event_t &event, float a, float b) = 0;

    // ---- senses: how well the animal perceives the point, 0 to 1 ----
    virtual float sight_test(const vec3_t &point, float near_distance, float far_distance) const = 0;
    virtual float smell_test(const vec3_t &point, float range) const = 0;
    // The animal's reaction to the item's stimuli (an ai_reaction_table_t does it).
    virtual const ai_reaction_t &get_reaction(const ai_item_t &item) = 0;

    // ---- what other animals do to it (nothing for a removed animal) ----
    virtual void hear(const vec3_t &point, float a, float b) = 0;
    virtual void on_attack(ai_animal_t *other, bool begin, bool kill) = 0;
    virtual void on_mate(ai_animal_t *other, bool begin) = 0;
    // Sets a live animal's command to finished; answers whether it is dead.
    virtual bool cancel() = 0;

    // ---- AI ----
    // One decision step of the animal's mind; the AI world runs two per frame.
    virtual void decision_step() = 0;

    // ---- what a mind reads of its animal and of the others (docs/animal-ai.md) ----
    // The animal's mind, or null for one without.
    virtual ai_mind_t *get_mind() = 0;
    // How well the animal hears the point: 1 up to near, 0 from far on.
    virtual float hearing_test(const vec3_t &point, float near_distance, float far_distance) const = 0;
    // Where the point lies from the facing: base ahead, base + 1 / base + 2 ahead to
    // the left / right, base + 3 / base + 4 behind to the left / right.
    virtual int32_t direction_sector(const vec3_t &point, int32_t base) const = 0;
    // The animal's relation towards the species of that index ("species_interaction"):
    // below 0 the species threatens it, above 0 it is prey; near 0 neutral.
    virtual float get_species_relation(int32_t species_index) const = 0;
    // What the animal weighs as others see it: score ÷ the kind's top score, and size.
    virtual float get_score_ratio() const = 0;
    virtual float get_scale() const = 0;
    // The pain felt this step (0 for none), and whether a wound will kill it.
    virtual float get_pain() const = 0;
    virtual bool is_mortally_wounded() const = 0;
    // The movement state toward the target (1 out of reach, 3 on the way, 5 roaming,
    // 10 near, 20 arrived), which mission scripts test.
    virtual int32_t get_navigation_state() const = 0;
    // A sexual stimulus has worked on an animal whose command is "appetite".
    virtual void on_appetite_reaction() = 0;

    // ---- command handlers: the mind dispatches its command to the one of its kind
    // (docs/animal-ai.md lists them); a handler moves the command's phase along ----
    virtual void command_move(ai_command_t &command) = 0;
    virtual void command_wander(ai_command_t &command) = 0;
    virtual void command_feed(ai_command_t &command) = 0;
    virtual void command_drink(ai_command_t &command) = 0;
    virtual void command_appetite(ai_command_t &command) = 0;
    virtual void command_scrape(ai_command_t &command) = 0;
    virtual void command_rest(ai_command_t &command) = 0;
    virtual void command_search_mate(ai_command_t &command) = 0;
    virtual void command_flee(ai_command_t &command) = 0;
    virtual void command_fight_animal(ai_command_t &command) = 0;
    virtual void command_fight_tree(ai_command_t &command) = 0;
    virtual void command_pursue_animal(ai_command_t &command) = 0;
    virtual void command_hide(ai_command_t &command) = 0;
    virtual void command_sex(ai_command_t &command) = 0;
    virtual void command_serious_injury(ai_command_t &command) = 0;
    virtual void command_play_behavior(ai_command_t &command) = 0;
    virtual void command_restart_script(ai_command_t &command) = 0;
};

// Makes an animal for the gender's "type" ("deer", or any other text); null when it
// cannot. The animal classes register one when the game module starts.
using ai_animal_factory_t = ai_animal_t *(*)(const char *type);
void ai_set_animal_factory(ai_animal_factory_t factory);
ai_animal_factory_t ai_get_animal_factory();

}  // namespace quarn
