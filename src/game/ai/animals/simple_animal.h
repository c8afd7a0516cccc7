#pragma once
// simple_animal_t: a live animal that carries out its mind's commands (docs/animal-ai.md,
// "Commands"). Each handler gets the command record: phase 0 starts it (the path is
// reset), 1 and 2 are its running states, 3 finished (the mind then decides anew),
// and 4 tells it to end (dispatched once). A handler sets the movement target, the
// processor ("manner": 0 rest, 1 eat, 2 drink, 3 move, 4 attack, 5 run_away, 6
// scrape, 7 injury) and the mind's processor value (the speed its state graph picks
// a gait by), and polls the movement to move on. Flight and pursuit are in
// simple_animal_chase.cpp.
#include "game/ai/animals/animal.h"

namespace quarn {

class simple_animal_t : public animal_t {
public:
    // Processors the handlers switch to.
    static constexpr uint32_t REST = 0, EAT = 1, DRINK = 2, MOVE = 3, ATTACK = 4, RUN_AWAY = 5, SCRAPE = 6,
                              INJURY = 7;
    // The radius animals rest, scrape and wander in around their own position.
    static constexpr float HOME_RADIUS = 30.0f;
    // Goals farther than this are out of reach.
    static constexpr float FAR = 500.0f;
    // Gaits as processor values of the "move" graph: a walk, a trot.
    static constexpr float WALK_SPEED = 0.3f;
    static constexpr float TROT_SPEED = 0.5f;
    static constexpr float HURRY_SPEED = 0.8f;
    // The flee alarm: below it a fleeing animal turns to its threat and walks; a rise
    // of more than FLEE_RENEW above where it calmed sends it running again.
    static constexpr float FLEE_ALARM = 0.5f;
    static constexpr float FLEE_RENEW = 0.2f;
    // A threat farther than this (squared) is left behind.
    static constexpr float FLEE_SAFE2 = 250000.0f;
    // Flight points: this far (times 1 to 2) from the animal, up to 45° off straight away.
    static constexpr float FLEE_DISTANCE = 50.0f;
    static constexpr float FLEE_SPREAD = 90.0f;
    // Pursuit: the stalk is planned anew every so many polls; a prey nearer than the
    // stalk distance is charged, one beyond the give-up distance left.
    static constexpr uint32_t STALK_POLLS = 20;
    static constexpr float STALK_DISTANCE = 75.0f;
    static constexpr float GIVE_UP_DISTANCE = 300.0f;
    // A prey's relation from which the attacker's charge kills.
    static constexpr float KILL_RELATION = 0.3f;
    // Courtship: rises this much a second within reach of the partner; done at 0.8.
    static constexpr float COURTSHIP_RATE = 0.1f;
    static constexpr float COURTSHIP_DONE = 0.8f;
    // Manners played by number: "food_appetite", "attack_hunter", the looks (50 + the
    // sector of the threat).
    static constexpr int32_t MANNER_FOOD_APPETITE = 41;
    static constexpr int32_t MANNER_ATTACK = 42;
    static constexpr int32_t MANNER_LOOK = 50;
    // Appetite: its goal is reached within 2, near within 10; roaming around it, 30.
    static constexpr float APPETITE_ARRIVE = 2.0f;
    static constexpr float APPETITE_RADIUS = 10.0f;
    // The need a satisfied food appetite takes away.
    static constexpr float APPETITE_SATISFIED = 0.2f;

    void command_move(ai_command_t &command) override;
    void command_wander(ai_command_t &command) override { command_rest(command); }
    void command_feed(ai_command_t &command) override { feed_or_drink(command, false); }
    void command_drink(ai_command_t &command) override { feed_or_drink(command, true); }
    void command_appetite(ai_command_t &command) override;
    void command_scrape(ai_command_t &command) override { stay(command, SCRAPE); }
    void command_rest(ai_command_t &command) override { stay(command, REST); }
    void command_search_mate(ai_command_t &command) override;
    void command_flee(ai_command_t &command) override;
    void command_fight_animal(ai_command_t &command) override { command_rest(command); }
    void command_fight_tree(ai_command_t &command) override { command_rest(command); }
    void command_pursue_animal(ai_command_t &command) override;
    void command_hide(ai_command_t &command) override { command_rest(command); }
    void command_sex(ai_command_t &command) override;
    void command_serious_injury(ai_command_t &command) override;
    void command_play_behavior(ai_command_t &command) override;
    void command_restart_script(ai_command_t &command) override;

    // Where a flight from the threat leads: straight away turned by (r - 0.5) × 90°,
    // (r' + 1) × 50 from the animal.
    vec3_t pick_flee_point(const vec3_t &threat);
    float get_courtship() const { return m_courtship; }
    bool is_injured() const { return m_injured; }

protected:
    // Roams around its own position in the processor's manner.
    void stay(ai_command_t &command, uint32_t processor);
    void feed_or_drink(ai_command_t &command, bool drink);
    // The flight's poll (running or calmed).
    void flee_step(ai_command_t &command, const ai_animal_t &threat);
    // Whether the animal, wounded, flees first from whatever its command is about.
    bool flees_first() const { return m_wounded; }
    // Ends a command: phase 3.
    static void finish(ai_command_t &command) { command.phase = AI_PHASE_FORCED; }

    // Flight: calmed (turned to its threat and walking), and the alarm when it calmed.
    bool m_flee_calm = false;
    float m_flee_calm_alarm = 0.0f;
    float m_courtship = 0.0f;
    bool m_injured = false;
    // Polls of the pursuit's stalk.
    uint32_t m_stalk_polls = 0;
};

}  // namespace quarn
