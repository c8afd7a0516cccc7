#include "game/ai/zba/zba_model_channels.h"

#include "game/ai/zba/zba_info.h"
#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_inst.h"
#include "game/visuals/models/model_lib.h"

namespace quarn {

bool zba_model_channels_t::is_loaded() const { return m_inst && m_inst->is_loaded(); }

int32_t zba_model_channels_t::play(const zba_animation_t &animation, uint32_t add, uint32_t clear, int32_t priority,
                                   float strength) {
    if (!is_loaded()) return -1;
    // The channel takes its own hold on the animation; this count only bridges the call.
    const model_ref_t<model_anim_u> anim(model_anim_u_obtain(animation.path()));
    if (!anim) return -1;
    return m_inst->play_animation(anim.get(), add, clear, priority, strength);
}

// Every other call names a channel that play gave: a bad index is a caller's error,
// and the model's channel array stops the program on it.
void zba_model_channels_t::set_weight(int32_t channel, float weight) {
    if (m_inst) m_inst->set_channel_weight(uint32_t(channel), weight);
}

void zba_model_channels_t::advance(int32_t channel, float seconds) {
    if (m_inst) m_inst->advance_channel(uint32_t(channel), seconds);
}

void zba_model_channels_t::set_stop_frame(int32_t channel, int32_t frame) {
    if (m_inst) m_inst->set_channel_stop_frame(uint32_t(channel), frame);
}

void zba_model_channels_t::stop(int32_t channel) {
    if (m_inst) m_inst->stop_channel(uint32_t(channel));
}

void zba_model_channels_t::resume(int32_t channel) {
    if (m_inst) m_inst->resume_channel(uint32_t(channel));
}

void zba_model_channels_t::free(int32_t channel) {
    if (m_inst) m_inst->free_channel(uint32_t(channel));
}

void zba_model_channels_t::set_flags(int32_t channel, uint32_t bits) {
    if (m_inst) m_inst->set_channel_flags(uint32_t(channel), bits);
}

}  // namespace quarn
