#pragma once
// The base of the input layers' keyboards and mice (and of joysticks, which override
// what they have): it accepts every set-up, keeps whether it is acquired, and answers
// as a device without axes, dead zones or force feedback.
#include "plugins/inpdev/input_api.h"

namespace quarn::inpdev {

class plain_device_t : public device_i {
public:
    result_t set_data_format() override { return RESULT_OK; }
    result_t set_cooperative_level(void *, uint32_t) override { return RESULT_OK; }
    result_t set_buffer_size(uint32_t) override { return RESULT_OK; }
    result_t poll() override { return m_acquired ? RESULT_OK : ERR_NOT_ACQUIRED; }
    result_t get_capabilities(capabilities_t *caps) override {
        if (!caps) return ERR_INVALID_PARAM;
        *caps = capabilities_t();
        return RESULT_OK;
    }
    result_t enum_axes(enum_axis_fn, void *) override { return RESULT_OK; }
    result_t set_range(uint32_t, int32_t, int32_t) override { return ERR_UNSUPPORTED; }
    result_t set_dead_zone(uint32_t, uint32_t) override { return ERR_UNSUPPORTED; }
    result_t get_dead_zone(uint32_t, uint32_t *) override { return ERR_UNSUPPORTED; }
    result_t set_auto_center(bool) override { return ERR_UNSUPPORTED; }
    result_t set_absolute_axes() override { return ERR_UNSUPPORTED; }
    result_t enum_effects(enum_effect_fn, void *) override { return RESULT_OK; }
    result_t create_effect(effect_kind_t, const effect_desc_t &, auto_ptr_t<effect_i> &) override {
        return ERR_UNSUPPORTED;
    }

protected:
    bool m_acquired = false;
};

}  // namespace quarn::inpdev
