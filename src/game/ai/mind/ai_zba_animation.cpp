#include "game/ai/mind/ai_zba_animation.h"

#include "game/ai/zba/zba_inst.h"

namespace quarn {

// The presentation reads the instance's answers and events by these numbers.
static_assert(AI_ANIM_OK == ZBA_OK && AI_ANIM_BAD_BEHAVIOR == ZBA_ERR_BEHAVIOR && AI_ANIM_BUSY == ZBA_ERR_BUSY &&
              AI_ANIM_FEATURES == ZBA_ERR_FEATURES && AI_ANIM_CHANNEL_OFF == ZBA_ERR_CHANNEL);
static_assert(int32_t(AI_ANIM_ENDED) == int32_t(ZBA_NOTICE_ENDED) &&
              int32_t(AI_ANIM_TRANSITION_DONE) == int32_t(ZBA_NOTICE_TRANSITION_END) &&
              int32_t(AI_ANIM_RELEASED) == int32_t(ZBA_NOTICE_RELEASED) &&
              int32_t(AI_ANIM_OVERLAY_ENDED) == int32_t(ZBA_NOTICE_OVERLAY_ENDED) &&
              int32_t(AI_ANIM_SOUND) == int32_t(ZBA_NOTICE_SOUND) && int32_t(AI_ANIM_INFO) == int32_t(ZBA_NOTICE_INFO));

namespace {

// The item locked for one call, and its instance (null when it holds none).
struct locked_t {
    explicit locked_t(c_item_t *item) : lock(item), inst(item ? zba_inst_t::of(item) : nullptr) {}
    c_item_lock_t lock;
    zba_inst_t *inst;
};

}  // namespace

zba_info_t ai_zba_animation_t::get_info() const {
    const locked_t l(m_instance.get());
    return l.inst ? l.inst->get_info() : zba_info_t();
}

int32_t ai_zba_animation_t::play_behavior(int32_t behavior, uint32_t channel, bool force) {
    const locked_t l(m_instance.get());
    return l.inst ? l.inst->play_behavior(behavior, channel, force) : AI_ANIM_BAD_BEHAVIOR;
}

int32_t ai_zba_animation_t::add_behavior(int32_t behavior, uint32_t channel) {
    const locked_t l(m_instance.get());
    return l.inst ? l.inst->add_behavior(behavior, channel) : AI_ANIM_BAD_BEHAVIOR;
}

int32_t ai_zba_animation_t::switch_behavior(int32_t behavior, uint32_t channel) {
    const locked_t l(m_instance.get());
    return l.inst ? l.inst->switch_behavior(behavior, channel, 0.0f) : AI_ANIM_BAD_BEHAVIOR;
}

void ai_zba_animation_t::clear_channel(uint32_t channel) {
    const locked_t l(m_instance.get());
    if (l.inst) l.inst->clear_channel(channel);
}

uint8_t ai_zba_animation_t::get_feature_state(uint32_t channel, uint32_t feature) const {
    const locked_t l(m_instance.get());
    return l.inst && l.inst->has_features(channel) ? l.inst->get_feature_state(channel, feature)
                                                   : zba_layout::NO_STATE;
}

}  // namespace quarn
