#include "outside/ctlbase/inp_device.h"

namespace quarn {

namespace {

void fill(char *buffer, uint32_t size, const char *text) {
    if (!buffer || size == 0) return;
    uint32_t i = 0;
    for (; i + 1 < size && text[i]; ++i) buffer[i] = text[i];
    buffer[i] = 0;
}

}  // namespace

inp_device_t::inp_device_t(const char *device_name) : hw_device_t(INPUT, device_name) {}

inp_device_t::~inp_device_t() = default;

void inp_device_t::set_active(bool active) { m_active = active; }

void inp_device_t::read_input() {}

int inp_device_t::force_create(int, int) { return -1; }

void inp_device_t::force_destroy(int, int) {}

bool inp_device_t::force_change(int, int, const void *) { return false; }

bool inp_device_t::force_play(int, int, uint32_t, uint32_t) { return false; }

bool inp_device_t::force_stop(int, int) { return false; }

bool inp_device_t::joy_get_name(int, char *buffer, uint32_t size) {
    fill(buffer, size, "");
    return false;
}

bool inp_device_t::joy_get_axis_name(int, int, char *buffer, uint32_t size) {
    fill(buffer, size, "no axis");
    return false;
}

int inp_device_t::joy_get_count() { return 0; }

bool inp_device_t::joy_set_dead_zone(int, float, int, bool) { return false; }

float inp_device_t::joy_get_dead_zone(int, int) { return 0.0f; }

bool inp_device_t::joy_has_force_feedback(int) { return false; }

bool inp_device_t::trackir_init(void *) { return false; }

bool inp_device_t::trackir_is_present() { return false; }

bool inp_device_t::trackir_is_active() { return false; }

float inp_device_t::trackir_get_axis_data(int) { return 0.0f; }

bool inp_device_t::trackir_enable() { return false; }

bool inp_device_t::trackir_disable() { return false; }

bool inp_device_t::post_event(const inp_event_t *event) const {
    if (!event || !ctlbase_kernel().inp_event) return false;
    ctlbase_kernel().inp_event(event);
    return true;
}

}  // namespace quarn
