#pragma once
// Mission scripts: a numbered list of commands a mission gives an animal ("move" to a
// script point, "flee" from an animal...), each running until its exit conditions
// are met and each able to override the animal's perception factors meanwhile.
// While a script runs it supplies the animal's command in place of the urge choice.
//
// ai_factors_t and ai_exit_conditions_t are the blocks a script reads; the mind of
// an animal reads its own factors with ai_factors_t too.
#include <cfloat>
#include <climits>
#include <cstdint>

#include "game/ai/mind/ai_command.h"
#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn {

class ai_script_t;
class ai_world_t;
class def_obj_t;

// A real value that a block left out.
constexpr float AI_UNSET = FLT_MAX;
// An integer value that a block left out.
constexpr int32_t AI_UNSET_INT = INT32_MAX;

// Perception factors. Slots 0-5: enemy, prey, mate, partner, rival, pain; slot 6
// (perceptions only): call.
struct ai_factors_t {
    static constexpr uint32_t SLOTS = 7;

    float fades[SLOTS];        // "fade_<slot>" × 0.1
    float facts[SLOTS];        // "fact_<slot>" × 0.1
    float perceptions[SLOTS];  // "fact_<slot>_perception" × 2
    float status_stress;       // "status_stress" × 1 (scripts only)

    ai_factors_t() { reset(); }
    // Every factor unset.
    void reset();
    // Each key present gives its value times its scale; each absent key the unset
    // value.
    void read(const def_obj_t &block);
    // Every factor of this block that is set replaces target's (status_stress too).
    void apply_to(ai_factors_t &target) const;
};

// Needs compared by exit conditions, in key order: "val_hunger", "val_thirst",
// "val_tiredness", "val_aggression", "val_sex", "val_danger", "val_mate".
constexpr uint32_t AI_CONDITION_NEEDS = 7;
// The urge each of them is compared with: hunger 0, thirst 1, tiredness 2, urge 3,
// sex 4, flight 6, mate 5.
constexpr uint32_t ai_condition_urge[AI_CONDITION_NEEDS] = {0, 1, 2, 3, 4, 6, 5};
// "navigation" left out.
constexpr int32_t AI_NAVIGATION_UNSET = 22;

struct ai_exit_conditions_t {
    float needs[AI_CONDITION_NEEDS];
    int32_t navigation = AI_NAVIGATION_UNSET;
    float time = AI_UNSET;        // seconds since the command started
    float total_time = AI_UNSET;  // seconds since the script started
    int32_t hit = AI_UNSET_INT;
    int32_t alert = AI_UNSET_INT;

    ai_exit_conditions_t() { reset(); }
    void reset();
    void read(const def_obj_t &block);
};

// What an exit test looks at.
struct ai_exit_state_t {
    const float *urges = nullptr;  // the seven urges
    float command_time = 0.0f;     // since the command started
    float script_time = 0.0f;      // since the script started
    int32_t navigation = 0;        // the animal's navigation state value
    bool alerted = false;
    bool hit = false;
};

// Met when any set need is below its urge, a set time or total time has passed, the
// navigation state reached a set value, or a set alert or hit (1) happened.
bool ai_exit_met(const ai_exit_conditions_t &conditions, const ai_exit_state_t &state);

struct ai_script_command_t {
    ai_command_t command;  // kind, phase and argument
    ai_exit_conditions_t conditions;
    ai_factors_t factors;
};

// What the script needs of the animal and its mind (the mind implements it).
class ai_script_host_t {
public:
    virtual ~ai_script_host_t() = default;
    virtual float get_scene_time() const = 0;
    // The seven urges of the last decision step.
    virtual const float *get_urges() const = 0;
    virtual int32_t get_navigation_state() const = 0;
    virtual bool has_leader() const = 0;
    // The leader's script, or null (no leader, or one without a mind).
    virtual const ai_script_t *get_leader_script() const = 0;
    // Index of the behaviour of that name in the animal's behaviour file, or -1.
    virtual int32_t find_behavior(const char *name) const = 0;
    virtual ai_world_t *get_world() const = 0;
    // The animal's factors, which applied factors replace, and its stress need.
    virtual ai_factors_t &get_factors() = 0;
    virtual void set_stress(float stress) = 0;
    // Runs the animal's operation for the command.
    virtual void dispatch(ai_command_t &command) = 0;
};

class ai_script_t {
public:
    static constexpr uint32_t MAX_COMMANDS = 20;

    // Reads the entry's "script" block: the leader's commands first, then every child
    // "cmdNN" (NN decimal, below 20) in file order, replacing command NN when there
    // is one, else appended; "exit_conditions" and "exit_factors". Rejected commands
    // are logged and skipped. The script is active when it holds a command.
    void load_script(const def_obj_t &script, ai_script_host_t &host);
    // Back to the first command that is not "undefined"; both clocks restart.
    void restart_script(ai_script_host_t &host);
    // From the decision step: true when the script supplies the command (new, or the
    // running one again); false lets the urge choice run.
    bool script_step(ai_command_t &command, ai_script_host_t &host);

    bool is_active() const { return m_active; }
    void set_alerted() { m_alerted = true; }
    bool is_alerted() const { return m_alerted; }
    void set_hit() { m_hit = true; }
    uint32_t get_command_count() const { return m_commands.get_count(); }
    const ai_script_command_t &get_command(uint32_t i) const { return m_commands[i]; }
    uint32_t get_current() const { return m_current; }
    bool is_start_pending() const { return m_start_pending; }
    const ai_exit_conditions_t &get_exit_conditions() const { return m_exit; }
    const ai_factors_t &get_default_factors() const { return m_default_factors; }

private:
    bool read_command(const def_obj_t &block, ai_script_host_t &host, ai_script_command_t &out) const;
    uint32_t next_runnable(uint32_t from) const;
    void apply(const ai_factors_t &factors, ai_script_host_t &host) const;
    void stop(ai_script_host_t &host);

    bool m_active = false;
    bool m_alerted = false;
    bool m_hit = false;
    bool m_start_pending = true;
    array_dyn_t<ai_script_command_t> m_commands;
    uint32_t m_current = 0;
    float m_command_start = 0.0f;
    float m_script_start = 0.0f;
    ai_factors_t m_default_factors;
    ai_exit_conditions_t m_exit;
};

}  // namespace quarn
