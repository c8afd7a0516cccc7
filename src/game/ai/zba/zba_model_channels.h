#pragma once
// The behaviour machine's channels (zba_channels.h) over a model instance or object of
// the model library; an animation instance gives its host the channels of its model
// object. (The behaviour files reach the model library through zba_model_link.h.)
#include "game/ai/zba/zba_channels.h"

namespace quarn {

class model_inst_u;

class zba_model_channels_t : public zba_channels_t {
public:
    // The instance is not owned; it must outlive the channels or be taken away first.
    explicit zba_model_channels_t(model_inst_u *inst = nullptr) : m_inst(inst) {}

    void set_model(model_inst_u *inst) { m_inst = inst; }
    model_inst_u *get_model() const { return m_inst; }

    // True while an instance is given and its model is set.
    bool is_loaded() const override;
    // Obtains the animation by its path and plays it; the channel holds the animation
    // while it plays. -1 when the animation cannot be had or the model refuses it
    // (both logged by the model library).
    int32_t play(const zba_animation_t &animation, uint32_t add, uint32_t clear, int32_t priority,
                 float strength) override;
    void set_weight(int32_t channel, float weight) override;
    void advance(int32_t channel, float seconds) override;
    void set_stop_frame(int32_t channel, int32_t frame) override;
    void stop(int32_t channel) override;
    void resume(int32_t channel) override;
    void free(int32_t channel) override;
    void set_flags(int32_t channel, uint32_t bits) override;

private:
    model_inst_u *m_inst;
};

}  // namespace quarn
