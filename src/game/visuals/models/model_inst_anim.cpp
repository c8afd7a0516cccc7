// The animation channels of model_inst_u: play, advance, fades, stop frames and root
// motion (docs/models.md).
#include <cfloat>
#include <cmath>

#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_inst.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// A frame counter above this is brought back modulo the frame count, so it never
// wraps.
constexpr uint32_t COUNTER_LIMIT = 0x3FFFFFFF;
// Frames one advance may step through. A huge step over tiny frames (a frame of a
// microsecond, a paused clock handed over at once) would otherwise walk for ever; the
// rest of such a step is dropped.
constexpr uint32_t MAX_FRAME_STEPS = 1u << 16;

}  // namespace

void model_inst_u::free_all_channels() {
    for (model_anim_channel_t &c : m_channels)
        if (c.in_use) model_res_give_back(c.animation);
    m_channels.clear();
    m_active.clear();
}

int32_t model_inst_u::play_animation(model_anim_u *anim, uint32_t add, uint32_t clear, int32_t priority,
                                     float strength) {
    if (!anim) return -1;
    if (!is_loaded()) {
        error("[model] The animation '%s' can not be played on a model that is not loaded", anim->get_path());
        return -1;
    }
    const bool held = model_res_acquire(anim);
    if (!held || !anim->is_ready() || anim->get_frame_count() == 0) {
        if (held) model_res_give_back(anim);
        error("[model] The animation '%s' could not be loaded to play on '%s'", anim->get_path(), get_desc_path());
        return -1;
    }
    // A track moving a bone the skeleton does not have would write past the pose.
    const uint8_t *map = anim->get_track_map();
    for (uint32_t t = 0; t < anim->get_track_count(); ++t) {
        if (map[t] < m_bone_count) continue;
        error("[model] The animation '%s' moves bone %u, but the model '%s' has %u bones: it is not played",
              anim->get_path(), map[t], get_desc_path(), m_bone_count);
        model_res_give_back(anim);
        return -1;
    }

    uint32_t index = 0;
    while (index < m_channels.get_count() && m_channels[index].in_use) ++index;
    if (index == m_channels.get_count() && !m_channels.append(model_anim_channel_t{})) {
        error("[model] No memory for another animation channel of '%s'", get_desc_path());
        model_res_give_back(anim);
        return -1;
    }
    if (!m_active.request_capacity(m_active.get_count() + 1)) {
        error("[model] No memory for another animation channel of '%s'", get_desc_path());
        model_res_give_back(anim);
        return -1;
    }
    model_anim_channel_t &c = m_channels[index];
    c = model_anim_channel_t{};
    c.in_use = true;
    c.animation = anim;
    c.strength = strength;
    c.flags = (add | MODEL_CHANNEL_PLAY_DEFAULTS) & ~clear;
    c.weight = (clear & MODEL_CHANNEL_FADE_IN) ? 1.0f : 0.0f;
    c.priority = priority == -1 ? 0 : priority;

    uint32_t at = 0;
    while (at < m_active.get_count() && m_channels[m_active[at]].priority <= c.priority) ++at;
    if (at == m_active.get_count()) m_active.append(index);
    else m_active.insert(at, index);
    mark_pose_dirty();
    return int32_t(index);
}

bool model_inst_u::advance_animations(float seconds) {
    bool running = false;
    for (uint32_t i = 0; i < m_active.get_count();) {
        const uint32_t channel = m_active[i];
        if (!(m_channels[channel].flags & MODEL_CHANNEL_OWNER_ADVANCES) && advance_channel(channel, seconds))
            running = true;
        // A channel freed on its way out left the list: the next one moved into i.
        if (i < m_active.get_count() && m_active[i] == channel) ++i;
    }
    return running;
}

void model_inst_u::gather_root_motion(model_anim_channel_t &c, float fraction, float weight) {
    const model_anim_u *anim = c.animation;
    const uint16_t flags = anim->get_flags();
    if (!(flags & (MODEL_ANIM_ROOT_TRANSLATION | MODEL_ANIM_ROOT_ROTATION))) return;
    m_flags |= MODEL_INST_ROOT_PENDING;
    // Entry f + 1 is the motion from frame f to the next; from the last frame a loop
    // goes on to frame 1, whose entry is that motion (the last frame repeats frame 0).
    const uint32_t frames = anim->get_frame_count();
    const uint32_t entry = c.frame + 1 < frames ? c.frame + 1 : (frames > 1 ? 1 : 0);
    if (const vec3_t *t = anim->get_root_translation())
        c.root_translation = c.root_translation + t[entry] * (fraction * weight);
    if (const quat_t *r = anim->get_root_rotation()) {
        quat_t part;
        part.slerp_generic(quat_t(), r[entry], fraction);
        c.root_rotation = c.root_rotation * part;
    }
}

void model_inst_u::halt_channel(uint32_t channel) {
    m_channels[channel].flags |= MODEL_CHANNEL_STOPPED;
    if (m_channels[channel].flags & MODEL_CHANNEL_AUTO_FREE) free_channel(channel);
}

bool model_inst_u::advance_channel(uint32_t channel, float seconds) {
    model_anim_channel_t &c = m_channels[channel];
    if (!c.in_use || (c.flags & MODEL_CHANNEL_STOPPED)) return false;
    const model_anim_u *anim = c.animation;
    const uint32_t frames = anim->get_frame_count();
    const float *durations = anim->get_durations();
    const float length = anim->get_length();
    const float start_time = c.animation_time, start_in_frame = c.time_in_frame, start_weight = c.weight;
    const uint32_t start_frame = c.frame;
    c.pending += seconds;

    constexpr uint32_t STATES = MODEL_CHANNEL_PLAYING | MODEL_CHANNEL_FADING_IN | MODEL_CHANNEL_FADING_OUT;
    if (!(c.flags & STATES)) {
        if (c.flags & MODEL_CHANNEL_FADE_IN) c.flags |= MODEL_CHANNEL_FADING_IN;
        else if (c.flags & MODEL_CHANNEL_ADVANCE) c.flags |= MODEL_CHANNEL_PLAYING;
    }
    if ((c.flags & MODEL_CHANNEL_FADING_IN) && (c.flags & MODEL_CHANNEL_ADVANCE) &&
        !(c.flags & MODEL_CHANNEL_HOLD_FADING_IN))
        c.flags |= MODEL_CHANNEL_PLAYING;

    auto advance_time = [&](float dt) {
        c.animation_time += dt;
        if (length > FLT_EPSILON) c.animation_time = fmodf(c.animation_time, length);
    };
    // The result, and whether the channel is to be stopped with it.
    bool result = true, halt = false;
    for (;;) {
        if (c.flags & MODEL_CHANNEL_FADING_OUT) c.flags &= ~MODEL_CHANNEL_FADING_IN;

        if (c.flags & MODEL_CHANNEL_PLAYING) {
            const float slice = c.pending;
            bool end = false;
            if (c.flags & MODEL_CHANNEL_FROZEN) {
                c.pending = 0.0f;
            } else {
                for (uint32_t steps = 0;; ++steps) {
                    if (c.frame_counter == c.stop_frame) {
                        end = true;
                        break;
                    }
                    if (steps == MAX_FRAME_STEPS) {
                        c.pending = 0.0f;
                        break;
                    }
                    const float d = durations[c.frame];
                    if (c.pending + c.time_in_frame < d) {
                        if (c.pending != 0.0f) {
                            gather_root_motion(c, c.pending / d, c.weight);
                            c.time_in_frame += c.pending;
                            advance_time(c.pending);
                            c.pending = 0.0f;
                        }
                        break;
                    }
                    const float rest = d - c.time_in_frame;
                    gather_root_motion(c, rest / d, c.weight * c.weight);
                    c.pending -= rest;
                    advance_time(rest);
                    c.time_in_frame = 0.0f;
                    ++c.frame;
                    ++c.frame_counter;
                    if (c.frame >= frames) {
                        // Frame 0 is not played again: a loop goes on at frame 1 (the
                        // last frame repeats frame 0). A pose stays at its frame.
                        if (frames == 1) {
                            c.frame = 0;
                        } else {
                            c.frame = 1;
                            ++c.frame_counter;
                        }
                    }
                    if (c.frame_counter > COUNTER_LIMIT) c.frame_counter %= frames;
                }
            }
            const float consumed = slice - c.pending;
            if (c.flags & MODEL_CHANNEL_FADING_IN) {
                c.weight += consumed * c.fade_in_rate;
                if (c.weight >= c.target_weight) {
                    c.weight = c.target_weight;
                    c.flags &= ~MODEL_CHANNEL_FADING_IN;
                }
            }
            if (c.flags & MODEL_CHANNEL_FADING_OUT) {
                c.weight += consumed * c.fade_out_rate;
                if (c.weight <= 0.0f) {
                    c.weight = 0.0f;
                    result = false, halt = true;
                    break;
                }
            }
            if (!end) break;
            if (c.flags & MODEL_CHANNEL_FADING_OUT) {
                c.flags &= ~MODEL_CHANNEL_PLAYING;
                continue;
            }
            if (c.flags & MODEL_CHANNEL_FADE_AT_STOP) {
                c.flags = (c.flags & ~MODEL_CHANNEL_PLAYING) | MODEL_CHANNEL_FADING_OUT;
                continue;
            }
            if (c.flags & MODEL_CHANNEL_FADING_IN) {
                const float w = c.weight + c.pending * c.fade_in_rate;
                if (w < c.target_weight) {
                    c.weight = w;
                    c.pending = 0.0f;
                    break;
                }
                if (c.fade_in_rate > 0.0f) c.pending -= (c.target_weight - c.weight) / c.fade_in_rate;
                c.weight = c.target_weight;
                c.flags &= ~MODEL_CHANNEL_FADING_IN;
            }
            result = false, halt = true;
            break;
        }

        if (c.flags & MODEL_CHANNEL_FADING_OUT) {
            const float w = c.weight + c.pending * c.fade_out_rate;
            if (w >= 0.0f) {
                c.weight = w;
                c.pending = 0.0f;
                break;
            }
            if (c.fade_out_rate < 0.0f) c.pending -= -c.weight / c.fade_out_rate;
            c.weight = 0.0f;
            result = false, halt = true;
            break;
        }

        if (c.flags & MODEL_CHANNEL_FADING_IN) {
            const float w = c.weight + c.pending * c.fade_in_rate;
            if (w < c.target_weight) {
                c.weight = w;
                c.pending = 0.0f;
                break;
            }
            if (c.fade_in_rate > 0.0f) c.pending -= (c.target_weight - c.weight) / c.fade_in_rate;
            c.weight = c.target_weight;
            c.flags &= ~MODEL_CHANNEL_FADING_IN;
            if (c.flags & MODEL_CHANNEL_ADVANCE) {
                c.flags |= MODEL_CHANNEL_PLAYING;
                continue;
            }
            result = false, halt = true;
            break;
        }

        // No state: a channel that neither fades nor plays keeps its pose.
        c.pending = 0.0f;
        break;
    }

    if (c.animation_time != start_time || c.time_in_frame != start_in_frame || c.frame != start_frame ||
        c.weight != start_weight)
        mark_pose_dirty();
    if (halt) halt_channel(channel);
    return result;
}

uint32_t model_inst_u::set_channel_flags(uint32_t channel, uint32_t bits) { return m_channels[channel].flags |= bits; }

uint32_t model_inst_u::clear_channel_flags(uint32_t channel, uint32_t bits) {
    return m_channels[channel].flags &= ~bits;
}

void model_inst_u::stop_channel(uint32_t channel) {
    V_ASSERT(channel < m_channels.get_count());
    halt_channel(channel);
}

void model_inst_u::resume_channel(uint32_t channel) { m_channels[channel].flags &= ~MODEL_CHANNEL_STOPPED; }

void model_inst_u::free_channel(uint32_t channel) {
    model_anim_channel_t &c = m_channels[channel];
    if (!c.in_use) return;
    mark_pose_dirty();
    hand_over_root_motion();
    model_res_give_back(c.animation);
    c = model_anim_channel_t{};
    for (uint32_t i = 0; i < m_active.get_count(); ++i) {
        if (m_active[i] != channel) continue;
        m_active.remove(i);
        break;
    }
}

void model_inst_u::set_channel_weight(uint32_t channel, float weight) {
    m_channels[channel].weight = weight;
    mark_pose_dirty();
}

void model_inst_u::set_channel_fade_out_rate(uint32_t channel, float rate) { m_channels[channel].fade_out_rate = rate; }

uint32_t model_inst_u::set_channel_stop_frame(uint32_t channel, int32_t frame) {
    model_anim_channel_t &c = m_channels[channel];
    if (frame >= 0 || !c.in_use) {
        c.stop_frame = uint32_t(frame);
        return c.stop_frame;
    }
    const int64_t frames = c.animation->get_frame_count();
    const int64_t counter = c.frame_counter;
    int64_t stop = int64_t(frame) + counter + frames - counter % frames;
    if (stop < counter) stop += frames;
    c.stop_frame = uint32_t(stop);
    return c.stop_frame;
}

void model_inst_u::hand_over_root_motion() {
    if (!(m_flags & MODEL_INST_ROOT_PENDING)) return;
    vec3_t translation;
    quat_t rotation;
    for (uint32_t i = 0; i < m_active.get_count(); ++i) {
        model_anim_channel_t &c = m_channels[m_active[i]];
        const float a = c.weight * c.strength;
        const uint16_t flags = c.animation->get_flags();
        if (flags & MODEL_ANIM_ROOT_TRANSLATION) {
            translation = translation * (1.0f - a) + c.root_translation * a;
            c.root_translation = {};
        }
        if (flags & MODEL_ANIM_ROOT_ROTATION) {
            quat_t blended;
            blended.slerp_generic(rotation, c.root_rotation, a);
            rotation = blended;
            c.root_rotation = quat_t();
        }
    }
    m_root_translation = m_root_translation + translation;
    m_root_rotation = m_root_rotation * rotation;
    m_flags &= ~MODEL_INST_ROOT_PENDING;
}

void model_inst_u::take_root_motion(vec3_t *translation, quat_t *rotation) {
    hand_over_root_motion();
    if (translation) *translation = m_root_translation;
    if (rotation) *rotation = m_root_rotation;
    m_root_translation = {};
    m_root_rotation = quat_t();
}

}  // namespace quarn
