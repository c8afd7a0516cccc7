#pragma once
// ai_zba_animation_t: the presentation's seam (ai_animation_t) over a real animation
// instance. It holds the instance's zba_inst_u item (counted) and forwards every call
// to the instance, locking the item for the call. The instance's listener is the
// owner's (the animal): it hands kind 0 to ai_presentation_t::on_behavior_end and
// kind 3 to on_overlay_done. docs/zba-instances.md.
#include "game/ai/mind/ai_animation.h"
#include "outside/qrnshared/c_item.h"

namespace quarn {

class ai_zba_animation_t : public ai_animation_t {
public:
    ai_zba_animation_t() = default;
    // Over the instance of the item (a zba_inst_u item; held while the adapter is).
    explicit ai_zba_animation_t(c_item_t *instance) : m_instance(instance) {}

    // Another instance, or none (null): calls then answer AI_ANIM_BAD_BEHAVIOR and a
    // null info.
    void set_instance(c_item_t *instance) { m_instance = instance; }
    c_item_t *get_instance() const { return m_instance.get(); }

    zba_info_t get_info() const override;
    int32_t play_behavior(int32_t behavior, uint32_t channel, bool force) override;
    int32_t add_behavior(int32_t behavior, uint32_t channel) override;
    // Replaces the channel's behaviour at once (no crossfade).
    int32_t switch_behavior(int32_t behavior, uint32_t channel) override;
    void clear_channel(uint32_t channel) override;
    // NO_STATE while the channel has played nothing since it was made or cleared.
    uint8_t get_feature_state(uint32_t channel, uint32_t feature) const override;

private:
    c_item_ptr_t m_instance;
};

}  // namespace quarn
