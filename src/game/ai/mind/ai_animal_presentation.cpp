#include "game/ai/mind/ai_animal_presentation.h"

#include <cstring>

#include "game/ai/mind/ai_animation.h"
#include "kernel/memory/m_server.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/def_resource.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

using zba_layout::NO_STATE;

constexpr const char *body_state_names[ai_presentation_t::BODY_STATES] = {"stand",  "lay",  "walk", "trott",
                                                                          "gallop", "ramp", "wound"};
constexpr const char *head_state_names[ai_presentation_t::HEAD_STATES] = {"left", "right", "up", "down", "lay"};

// The death manner for the kind of the part hit, the rows of the live animal's part
// table: 4 lungs; 11 head and 14 brain; 13 spine; 0 to 2 (the hulls) and 12 heart.
int32_t death_manner(int32_t kind) {
    switch (kind) {
        case 4: return AI_MANNER_LUNGSHOT;
        case 11:
        case 14: return AI_MANNER_HEADSHOT;
        case 13: return AI_MANNER_SPINESHOT;
        case 0:
        case 1:
        case 2:
        case 12: return AI_MANNER_HEARTSHOT;
        default:
            error("[ai] Undefined death animation for part (%i)!", kind);
            return AI_MANNER_HEARTSHOT;
    }
}

}  // namespace

ai_presentation_t::ai_presentation_t(randomizer_t &random) : m_random(random) { reset(); }

ai_presentation_t::~ai_presentation_t() {
    for (ai_processor_t *&p : m_processors) {
        delete p;
        p = nullptr;
    }
}

void ai_presentation_t::reset() {
    for (channel_t &c : m_channels) c = channel_t();
    for (group_t &g : m_groups) g = group_t();
    for (addon_slot_t &a : m_addons) a = addon_slot_t();
    m_behaviors.clear();
    m_has_attributes = false;
    m_body_feature = m_head_feature = -1;
    memset(m_body_states, NO_STATE, sizeof m_body_states);
    memset(m_head_states, NO_STATE, sizeof m_head_states);
    m_last_manner = m_last_behavior = -1;
    m_repeat_count = 0;
}

// ---- set-up ----

bool ai_presentation_t::load_processors(const char *species) {
    c_item_lock_t file(mm_obtain_resource(MM_NAMED_LOAD, "/def/ai.def"));
    return load_processors(def_resource_u::pool_of(file.get_data()), species);
}

bool ai_presentation_t::load_processors(const def_pool_t *ai, const char *species) {
    const def_obj_t *all = ai ? ai->find("ai") : nullptr;
    // A dotted species name would reach into a species' processors.
    const def_obj_t *block = all && species && *species && !strchr(species, '.') ? all->find(species) : nullptr;
    if (!block) {
        error("[ai] error loading ai processors for species (%s)", species ? species : "");
        return false;
    }
    for (uint32_t i = 0; i < AI_PROCESSOR_COUNT; ++i) {
        const char *name = ai_processor_name(i);
        const def_obj_t *p = block->find(name);
        if (!p && strcmp(name, "run_away") == 0) p = block->find("attack");
        if (!p) {
            if (i != AI_PROCESSOR_UNDEFINED) warning("[ai] processor (%s) not defined !", name);
            continue;
        }
        ai_processor_t *processor = new ai_processor_t;
        if (!processor) {
            error("[ai] no memory for processor (%s)", name);
            return false;
        }
        processor->load(*p);
        delete m_processors[i];
        m_processors[i] = processor;
    }
    return true;
}

bool ai_presentation_t::bind(ai_animation_t *animation) {
    reset();
    m_animation = nullptr;
    if (!animation) {
        error("[ai] cannot obtain zba_inst");
        return false;
    }
    const zba_info_t info = animation->get_info();
    if (info.is_null()) {
        error("[ai] cannot obtain zba_info");
        return false;
    }
    const int32_t body = info.find_feature("body");
    const int32_t head = info.find_feature("head");
    const struct {
        const char *name;
        int32_t feature;
        const char *const *states;
        uint32_t count;
        uint8_t *ids;
    } features[] = {{"body", body, body_state_names, BODY_STATES, m_body_states},
                    {"head", head, head_state_names, HEAD_STATES, m_head_states}};
    for (const auto &f : features) {
        if (f.feature < 0) {
            error("[ai] cannot identify '%s' feature", f.name);
            return false;
        }
        const zba_feature_t feature = info.feature(uint32_t(f.feature));
        for (uint32_t s = 0; s < f.count; ++s) {
            const int32_t id = feature.find_state(f.states[s]);
            if (id < 0) {
                error("[ai] cannot identify '%s' state '%s'", f.name, f.states[s]);
                return false;
            }
            f.ids[s] = uint8_t(id);
        }
    }
    m_body_feature = body;
    m_head_feature = head;

    // One record per behaviour of the file, however many it holds.
    const uint32_t count = info.behavior_count();
    if (!m_behaviors.set_size(count)) {
        error("[ai] no memory for the manners of %u behaviors", count);
        return false;
    }
    m_has_attributes = info.attribute_count() > 0 && info.attribute(0).type() == 2;
    int32_t previous = -1;
    for (uint32_t b = 0; b < count; ++b) {
        const zba_behavior_t behavior = info.behavior(b);
        behavior_t &record = m_behaviors[b];
        record = behavior_t();
        record.body = behavior.start_state(uint32_t(body));
        const uint8_t head_end = behavior.end_state(uint32_t(head));
        record.head = head_end != NO_STATE ? head_end : behavior.start_state(uint32_t(head));
        record.c_script = m_has_attributes && behavior.attribute_text(0)[0] == 'C';

        const char *name = behavior.name();
        const int32_t manner = ai_manner_id(name);
        if (manner < 0) {
            warning("[ai] Manner group for behavior (%s) not found.", name);
            previous = -1;
            continue;
        }
        record.manner = manner;
        group_t &group = m_groups[manner];
        if (manner == previous) {
            ++group.count;
        } else {
            if (group.count)
                error("[ai] behavior (%s) from manner (%s) is not together with others in ZBA file. Behaviors are badly "
                      "sorted.",
                      name, ai_manner_name(manner));
            group.first = int32_t(b);
            group.count = 1;
        }
        previous = manner;
    }
    m_animation = animation;
    return true;
}

// ---- manners and behaviours ----

int32_t ai_presentation_t::random_behavior(int32_t manner) {
    if (manner < 0 || manner >= AI_MANNER_LIMIT) return -1;
    const group_t &g = m_groups[manner];
    if (g.count <= 0) return -1;
    if (g.count == 1) return g.first;
    return g.first + int32_t(m_random.rand() * float(g.count));
}

int32_t ai_presentation_t::manner_of(int32_t behavior) const {
    if (behavior < 0 || uint32_t(behavior) >= m_behaviors.get_count()) return -1;
    return m_behaviors[uint32_t(behavior)].manner;
}

const ai_presentation_t::group_t &ai_presentation_t::get_group(int32_t manner) const {
    static const group_t none;
    return manner >= 0 && manner < AI_MANNER_LIMIT ? m_groups[manner] : none;
}

const ai_presentation_t::addon_slot_t &ai_presentation_t::get_addon_slot(int32_t manner) const {
    static const addon_slot_t none;
    return manner >= 0 && manner < AI_MANNER_LIMIT ? m_addons[manner] : none;
}

int32_t ai_presentation_t::find_behavior(const char *name) const {
    if (!m_animation || !name) return -1;
    const int32_t b = m_animation->get_info().find_behavior(name);
    return b < 0 ? -1 : b;
}

bool ai_presentation_t::behavior_is_c(int32_t behavior) const {
    if (behavior < 0 || uint32_t(behavior) >= m_behaviors.get_count()) {
        error("[ai] missing behavior (%u)", uint32_t(behavior));
        return false;
    }
    if (!m_has_attributes) {
        error("[ai] behavior (%u) missing attributes", uint32_t(behavior));
        return false;
    }
    return m_behaviors[uint32_t(behavior)].c_script;
}

// ---- processors ----

int32_t ai_presentation_t::body_manner() const { return manner_of(m_channels[BODY_CHANNEL].current); }

bool ai_presentation_t::force_processor(uint32_t index, float value) {
    ai_processor_t *p = m_processors[index];
    if (!p) {
        error("[ai] cannot change to no existing processor (%s)", ai_processor_name(index));
        return false;
    }
    m_current_processor = index;
    p->force(value, body_manner());
    return true;
}

bool ai_presentation_t::change_processor(uint32_t index, float value) {
    if (index == m_current_processor) return true;
    if (index >= AI_PROCESSOR_COUNT) {
        error("[ai] invalid processor %u", index);
        return false;
    }
    return force_processor(index, value);
}

bool ai_presentation_t::back_to_rest(float value) {
    if (m_current_processor == 0) return true;
    return force_processor(0, value);
}

int32_t ai_presentation_t::start_command_behavior(float value, bool soft) {
    ai_processor_t *p = m_processors[m_current_processor];
    const int32_t manner = p ? p->step(value, body_manner(), m_random) : -1;
    const int32_t r = soft ? play_manner_soft(manner, BODY_CHANNEL) : play_manner(manner, BODY_CHANNEL, false);
    if (r < 0) error("[ai] Error in behavior starting!");
    return r;
}

// ---- playing ----

int32_t ai_presentation_t::pick(int32_t manner) {
    // Against monotony: the same behaviour again, less likely with every repeat.
    if (manner == m_last_manner && m_random.rand() * float(m_repeat_count) < REPEAT_CHANCE) {
        ++m_repeat_count;
        return m_last_behavior;
    }
    m_last_manner = manner;
    m_last_behavior = random_behavior(manner);
    m_repeat_count = 1;
    return m_last_behavior;
}

int32_t ai_presentation_t::play_manner(int32_t manner, uint32_t channel, bool forced) {
    return play(pick(manner), channel, forced);
}

int32_t ai_presentation_t::play_manner_soft(int32_t manner, uint32_t channel) {
    return play_soft(pick(manner), channel);
}

uint8_t ai_presentation_t::body_state() const {
    if (!m_animation || m_body_feature < 0) return NO_STATE;
    return m_animation->get_feature_state(BODY_CHANNEL, uint32_t(m_body_feature));
}

bool ai_presentation_t::needs_intermediate(int32_t behavior) const {
    if (behavior < 0 || uint32_t(behavior) >= m_behaviors.get_count()) return false;
    const uint8_t from = body_state();
    const uint8_t to = m_behaviors[uint32_t(behavior)].body;
    // Without a posture on either side there is nothing to stand up through.
    if (from == NO_STATE || to == NO_STATE || from == to) return false;
    const uint8_t stand = m_body_states[BODY_STAND], lay = m_body_states[BODY_LAY], ramp = m_body_states[BODY_RAMP];
    if (from == stand || to == stand) return false;
    return from == lay || from == ramp || to == lay || to == ramp || to == m_body_states[BODY_WOUND];
}

void ai_presentation_t::clear(uint32_t channel) { m_channels[channel] = channel_t(); }

int32_t ai_presentation_t::start_current(uint32_t channel, bool forced) {
    channel_t &c = m_channels[channel];
    const int32_t r = m_animation->play_behavior(c.current, channel, forced);
    if (r == AI_ANIM_BUSY) {
        clear(channel);
        return -1;
    }
    if (r == AI_ANIM_BAD_BEHAVIOR) {
        if (channel == BODY_CHANNEL) {
            const int32_t stand = random_behavior(AI_MANNER_SSTAND);
            if (stand >= 0) {
                c.current = stand;
                const int32_t again = m_animation->play_behavior(stand, channel, forced);
                if (again >= 0) return again;
            }
        }
        clear(channel);
        return -1;
    }
    return r;
}

int32_t ai_presentation_t::play(int32_t behavior, uint32_t channel, bool forced) {
    if (behavior == -1) return 0;
    if (channel >= CHANNELS || !m_animation) return -1;
    if (channel == ALERT_CHANNEL && behavior_is_c(behavior)) channel = BODY_CHANNEL;
    channel_t &c = m_channels[channel];
    if (c.current != -1) {
        if (c.queued != -1) return -1;
        c.queued = behavior;
        return 1;
    }
    const int32_t stand = channel == BODY_CHANNEL && needs_intermediate(behavior) ? random_behavior(AI_MANNER_SSTAND) : -1;
    if (stand >= 0) {
        c.current = stand;
        c.queued = behavior;
    } else {
        c.current = behavior;
    }
    return start_current(channel, forced);
}

int32_t ai_presentation_t::play_soft(int32_t behavior, uint32_t channel) {
    if (behavior == -1) return 0;
    if (channel >= CHANNELS || !m_animation) return -1;
    if (channel == ALERT_CHANNEL && behavior_is_c(behavior)) channel = BODY_CHANNEL;
    channel_t &c = m_channels[channel];
    if (is_sstand(c.current)) {
        c.queued = behavior;
        return 0;
    }
    return play(behavior, channel, true);
}

int32_t ai_presentation_t::add_overlay(int32_t behavior, uint32_t channel) {
    if (behavior == -1 || !m_animation) return -1;
    return m_animation->add_behavior(behavior, channel);
}

int32_t ai_presentation_t::play_death(int32_t part_kind) {
    const uint8_t state = body_state();
    const int32_t manner =
        state != NO_STATE && state == m_body_states[BODY_WOUND] ? AI_MANNER_WOUND2DEAD : death_manner(part_kind);
    return play_manner(manner, DEATH_CHANNEL, true);
}

// ---- events ----

bool ai_presentation_t::on_behavior_end(uint32_t channel) {
    if (channel >= CHANNELS) return false;
    const int32_t next = m_channels[channel].queued;
    clear(channel);
    if (next == -1 || !m_animation) return false;
    // Through play, so that a posture change waiting in the queue stands up first.
    return play(next, channel, false) >= 0;
}

void ai_presentation_t::on_overlay_done(int32_t behavior) {
    const int32_t manner = manner_of(behavior);
    if (manner < 0) return;
    addon_slot_t &s = slot(manner);
    if (s.accumulator >= 1.0f) {
        s.playing = add_overlay(random_behavior(manner), BODY_CHANNEL) == AI_ANIM_OK;
        s.accumulator -= 1.0f;
    } else {
        s.playing = false;
    }
}

void ai_presentation_t::update_addons(float dt, float value) {
    const ai_processor_t *p = m_processors[m_current_processor];
    if (!p) return;
    const uint32_t mask = p->current_addon_mask();
    for (uint32_t group = 0; group < AI_ADDON_GROUP_COUNT; ++group) {
        if (!(mask & (1u << group))) continue;
        if (!p->get_addon(group).defined) {
            warning("[ai] trying to play not well defined addon group %s", ai_addon_group_name(group));
            continue;
        }
        const float rate = p->addon_rate(group, value);
        const int32_t manner = AI_MANNER_ADDON_FIRST + int32_t(group);
        addon_slot_t &s = slot(manner);
        s.accumulator += (m_random.rand() + 1.0f) * rate * 0.5f * dt;
        if (s.accumulator >= 1.0f && !s.playing) {
            // add_behavior answers 0 when the overlay started.
            s.playing = add_overlay(random_behavior(manner), BODY_CHANNEL) == AI_ANIM_OK;
            s.accumulator -= 1.0f;
        }
    }
}

// ---- what the body shows ----

vec3_t ai_presentation_t::head_direction() const {
    const channel_t &c = m_channels[BODY_CHANNEL];
    const int32_t b = c.queued != -1 ? c.queued : c.current;
    const uint8_t head = b >= 0 && uint32_t(b) < m_behaviors.get_count() ? m_behaviors[uint32_t(b)].head : NO_STATE;
    if (head != NO_STATE && head == m_head_states[HEAD_LEFT]) return {-1.0f, 0.0f, 0.0f};
    if (head != NO_STATE && head == m_head_states[HEAD_RIGHT]) return {1.0f, 0.0f, 0.0f};
    return {0.0f, 0.0f, -1.0f};
}

bool ai_presentation_t::is_galloping() const {
    const int32_t manner = body_manner();
    return manner == AI_MANNER_GALLOP || manner == AI_MANNER_TROTT;
}

}  // namespace quarn
