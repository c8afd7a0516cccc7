#include "game/ai/mind/ai_script.h"

#include <cstring>
#include <strings.h>

#include "game/ai/mind/ai_animal.h"
#include "game/ai/mind/ai_world.h"
#include "outside/qrnshared/def_obj.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr const char *slot_names[ai_factors_t::SLOTS] = {"enemy", "prey", "mate", "partner", "rival", "pain", "call"};
constexpr const char *need_keys[AI_CONDITION_NEEDS] = {"val_hunger", "val_thirst", "val_tiredness", "val_aggression",
                                                       "val_sex",    "val_danger", "val_mate"};

void read_scaled(const def_obj_t &block, const char *key, float scale, float &out) {
    float v = 0.0f;
    out = block.get_real(key, v) ? v * scale : AI_UNSET;
}

void replace_if_set(float value, float &target) {
    if (value != AI_UNSET) target = value;
}

// The command number of a child name "cmdNN": decimal digits only ("cmd08" is 8).
// -1 for any other name.
int32_t command_number(const char *name) {
    if (strncmp(name, "cmd", 3) != 0 || !name[3]) return -1;
    int32_t n = 0;
    for (const char *p = name + 3; *p; ++p) {
        if (*p < '0' || *p > '9') return -1;
        if (n < 1000000) n = n * 10 + (*p - '0');
    }
    return n;
}

}  // namespace

void ai_factors_t::reset() {
    for (uint32_t i = 0; i < SLOTS; ++i) fades[i] = facts[i] = perceptions[i] = AI_UNSET;
    status_stress = AI_UNSET;
}

void ai_factors_t::read(const def_obj_t &block) {
    char key[64];
    for (uint32_t i = 0; i < SLOTS; ++i) {
        if (i + 1 < SLOTS) {
            snprintf(key, sizeof key, "fade_%s", slot_names[i]);
            read_scaled(block, key, 0.1f, fades[i]);
            snprintf(key, sizeof key, "fact_%s", slot_names[i]);
            read_scaled(block, key, 0.1f, facts[i]);
        } else {
            fades[i] = facts[i] = AI_UNSET;
        }
        snprintf(key, sizeof key, "fact_%s_perception", slot_names[i]);
        read_scaled(block, key, 2.0f, perceptions[i]);
    }
    read_scaled(block, "status_stress", 1.0f, status_stress);
}

void ai_factors_t::apply_to(ai_factors_t &target) const {
    for (uint32_t i = 0; i < SLOTS; ++i) {
        replace_if_set(fades[i], target.fades[i]);
        replace_if_set(facts[i], target.facts[i]);
        replace_if_set(perceptions[i], target.perceptions[i]);
    }
    replace_if_set(status_stress, target.status_stress);
}

void ai_exit_conditions_t::reset() {
    for (float &n : needs) n = AI_UNSET;
    navigation = AI_NAVIGATION_UNSET;
    time = total_time = AI_UNSET;
    hit = alert = AI_UNSET_INT;
}

void ai_exit_conditions_t::read(const def_obj_t &block) {
    reset();
    for (uint32_t i = 0; i < AI_CONDITION_NEEDS; ++i) read_scaled(block, need_keys[i], 1.0f, needs[i]);
    if (!block.get_int("navigation", navigation)) navigation = AI_NAVIGATION_UNSET;
    read_scaled(block, "time", 1.0f, time);
    read_scaled(block, "total_time", 1.0f, total_time);
    if (!block.get_int("hit", hit)) hit = AI_UNSET_INT;
    if (!block.get_int("alert", alert)) alert = AI_UNSET_INT;
}

bool ai_exit_met(const ai_exit_conditions_t &c, const ai_exit_state_t &s) {
    if (s.urges)
        for (uint32_t i = 0; i < AI_CONDITION_NEEDS; ++i)
            if (c.needs[i] != AI_UNSET && c.needs[i] < s.urges[ai_condition_urge[i]]) return true;
    if (c.time != AI_UNSET && c.time < s.command_time) return true;
    if (c.total_time != AI_UNSET && c.total_time < s.script_time) return true;
    if (c.navigation != AI_NAVIGATION_UNSET && s.navigation >= c.navigation) return true;
    if (c.alert == 1 && s.alerted) return true;
    if (c.hit == 1 && s.hit) return true;
    return false;
}

bool ai_script_t::read_command(const def_obj_t &block, ai_script_host_t &host, ai_script_command_t &out) const {
    out = ai_script_command_t();
    if (const def_obj_t *c = block.find("conditions")) out.conditions.read(*c);
    if (const def_obj_t *f = block.find("factors")) out.factors.read(*f);
    const char *action = block.get_value("action");
    if (!action) {
        error("[ai] MISSION SCRIPT: Command section not found!");
        return false;
    }
    const int32_t kind = ai_command_from_script(action);
    if (kind < 0) {
        error("[ai] MISSION SCRIPT: Unknown command (%s)!", action);
        return false;
    }
    ai_command_t &cmd = out.command;
    cmd.kind = kind;
    cmd.phase = AI_PHASE_NEW;
    cmd.argument = 0;
    cmd.target = nullptr;
    ai_world_t *world = host.get_world();
    if (const char *param = block.get_value("param")) {
        switch (kind) {
            case AI_CMD_MOVE:
            case AI_CMD_WANDER:
                cmd.argument = world ? world->find_script_point(param) : -1;
                if (cmd.argument < 0) {
                    error("[ai] MISSION SCRIPT: Unknown script point (%s)!", param);
                    return false;
                }
                break;
            case AI_CMD_APPETITE:
                if (strcasecmp(param, "food appetite") == 0) {
                    cmd.argument = AI_APPETITE_FOOD;
                } else if (strcasecmp(param, "sexual appetite") == 0) {
                    cmd.argument = AI_APPETITE_SEXUAL;
                } else {
                    error("[ai] MISSION SCRIPT: Unknown appetite (%s)!", param);
                    return false;
                }
                break;
            case AI_CMD_PURSUE_ANIMAL:
            case AI_CMD_SEX:
            case AI_CMD_FLEE:
            case AI_CMD_FIGHT_ANIMAL:
                cmd.argument = world ? world->find_animal(param) : -1;
                if (cmd.argument < 0) {
                    error("[ai] MISSION SCRIPT: Unknown animal (%s)!", param);
                    return false;
                }
                cmd.target = world->get_animal(uint32_t(cmd.argument));
                break;
            case AI_CMD_PLAY_BEHAVIOR:
                cmd.argument = host.find_behavior(param);
                if (cmd.argument < 0) {
                    error("[ai] MISSION SCRIPT: Unknown behavior (%s)!", param);
                    return false;
                }
                break;
            default:
                break;
        }
    }
    if (kind == AI_CMD_SEARCH_MATE && !host.has_leader()) {
        warning("[ai] 'search mate' script command specified, but this animal has no mate");
        cmd.kind = AI_CMD_UNDEFINED;
    }
    return true;
}

void ai_script_t::load_script(const def_obj_t &script, ai_script_host_t &host) {
    m_commands.clear();
    m_active = false;
    m_current = 0;
    m_start_pending = true;
    m_default_factors.reset();
    m_exit.reset();
    const ai_script_t *leader = host.get_leader_script();
    if (leader) {
        for (uint32_t i = 0; i < leader->m_commands.get_count(); ++i)
            if (!m_commands.append(leader->m_commands[i])) v_abort_fail("Failed to append_block_copy array.", __FILE__, __LINE__, __func__);
    }
    for (const def_obj_t *c = script.get_first_child(); c; c = c->get_next()) {
        const char *name = c->get_name();
        if (strcmp(name, "exit_conditions") == 0 || strcmp(name, "exit_factors") == 0) continue;
        const int32_t number = command_number(name);
        if (number < 0) {
            error("[ai] Bad script command name.");
            continue;
        }
        if (number >= int32_t(MAX_COMMANDS)) {
            error("[ai] Too many script commands.");
            continue;
        }
        ai_script_command_t command;
        if (!read_command(*c, host, command)) continue;
        if (uint32_t(number) < m_commands.get_count())
            m_commands[uint32_t(number)] = command;
        else
            m_commands.append(command);
    }
    if (const def_obj_t *e = script.find("exit_conditions"))
        m_exit.read(*e);
    else if (leader && leader->m_active)
        m_exit = leader->m_exit;
    if (const def_obj_t *f = script.find("exit_factors"))
        m_default_factors.read(*f);
    else if (leader && leader->m_active)
        m_default_factors = leader->m_default_factors;
    if (m_commands.get_count()) {
        m_active = true;
        m_current = next_runnable(0);
        m_command_start = m_script_start = host.get_scene_time();
    }
}

uint32_t ai_script_t::next_runnable(uint32_t from) const {
    uint32_t i = from;
    while (i < m_commands.get_count() && m_commands[i].command.kind == AI_CMD_UNDEFINED) ++i;
    return i;
}

void ai_script_t::restart_script(ai_script_host_t &host) {
    m_current = next_runnable(0);
    m_start_pending = true;
    m_command_start = m_script_start = host.get_scene_time();
    m_active = m_commands.get_count() > 0;
}

void ai_script_t::apply(const ai_factors_t &factors, ai_script_host_t &host) const {
    factors.apply_to(host.get_factors());
    if (factors.status_stress != AI_UNSET) host.set_stress(factors.status_stress);
}

void ai_script_t::stop(ai_script_host_t &host) {
    m_active = false;
    apply(m_default_factors, host);
}

bool ai_script_t::script_step(ai_command_t &command, ai_script_host_t &host) {
    if (!m_active) return false;
    const float now = host.get_scene_time();
    if (!m_start_pending) {
        ai_exit_state_t state;
        state.urges = host.get_urges();
        state.command_time = now - m_command_start;
        state.script_time = now - m_script_start;
        state.navigation = host.get_navigation_state();
        state.alerted = m_alerted;
        state.hit = m_hit;
        if (ai_exit_met(m_exit, state)) {
            stop(host);
            return false;
        }
        if (command.phase == AI_PHASE_FORCED || ai_exit_met(m_commands[m_current].conditions, state)) {
            m_current = next_runnable(m_current + 1);
            m_start_pending = true;
        }
    }
    if (m_current >= m_commands.get_count()) {
        stop(host);
        return false;
    }
    if (!m_start_pending) return true;
    command.phase = AI_PHASE_ENDING;
    host.dispatch(command);
    const ai_command_t &next = m_commands[m_current].command;
    command.kind = next.kind;
    command.phase = next.phase;
    command.argument = next.argument;
    command.target = next.target;
    m_command_start = now;
    apply(m_commands[m_current].factors, host);
    m_start_pending = false;
    return true;
}

}  // namespace quarn
