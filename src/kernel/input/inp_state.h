#pragma once
// The input front-end's state, shared by its parts (input.cpp: frame, events,
// devices, mouse, joysticks; inp_bindings.cpp: names, bindings, layers, commands).
// It rests on the tables alone (inp_types.h), not on the front-end's interface.
// Made at boot in host memory and freed at shutdown; null outside that time, when
// every input function answers as for nothing.
#include <cstdint>

#include "kernel/input/inp_types.h"
#include "outside/qrnshared/vprocess.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/collections/vptrhash.h"
#include "qrncore/system/host_object.h"

namespace quarn {

struct inp_state_t : host_object_t {
    inp_trigger_t triggers[INP_TRIGGER_COUNT];
    inp_impulse_t impulses[INP_IMPULSE_COUNT];
    inp_joy_state_t joysticks[INP_MAX_JOYSTICKS];
    // Lower-cased names: trigger names → trigger, impulse names → the impulse of the
    // lowest code with that name.
    vptrhash_t trigger_names;
    vptrhash_t impulse_names;

    inp_event_t events[INP_MAX_EVENTS];
    uint32_t event_count = 0;
    array_dyn_t<inp_keycode_t> keycodes;
    uint32_t keycode_read = 0;

    inp_device_t *device = nullptr;
    vprocess_t *process = nullptr;
    bool active = false;
    int32_t impulse_handling = 0;
    bool mouse_delta = false;
    bool capture_pending = false;  // a delta change waits for the next inp_set_active
    bool captured = false;         // the front-end holds a capture of the main window
    uint32_t frame = 1;            // never 0, so a stamp of 0 is no press
    float cursor_x = 0.0f, cursor_y = 0.0f;
    float sensitivity = 0.33f;
    bool invert = false;
    bool filter = false;
    bool have_previous = false;
    float previous_dx = 0.0f, previous_dy = 0.0f;
    int joystick_count = 0;
    int selected[2] = {-1, -1};  // joystick indices of joystick 1 and 2
    bool frozen_active = false, frozen_delta = false;
};

// The state between inp_start and inp_stop, else null.
extern inp_state_t *inp_state;

// Whether the impulses are handled now.
inline bool inp_impulses_handled() { return inp_state->impulse_handling > 0; }
// Down, handled, suppressed, release pending and the value cleared.
void inp_clear_trigger_state(inp_trigger_t *trigger);

}  // namespace quarn
