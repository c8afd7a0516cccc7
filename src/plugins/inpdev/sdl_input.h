#pragma once
// The input layer over SDL2. Keyboard and mouse items come from SDL's event queue,
// taken by event type (the kernel's window pump leaves them there while a device is
// in use); joystick items from SDL's joystick events, sorted to the joystick they
// belong to; force feedback through SDL's haptic devices. Joysticks attached while
// running wait for the next start of the system.
#include <cstdint>

#include "plugins/inpdev/input_api.h"

namespace quarn::inpdev {

// Starts SDL's joystick, haptic and event parts; ERR_GENERIC when the events or the
// joysticks cannot be started.
result_t sdl_input_system_create(void *instance, auto_ptr_t<input_system_i> &out);

// The keyboard's raw scan code of an SDL scan code (PC set 1, 0x80 for extended keys,
// with Num Lock 69, Pause 197 and SysRq 183); 0 for keys without one.
uint32_t sdl_raw_scan_code(int sdl_scancode);
// A joystick axis's SDL value (-32768..32767) in the range minimum..maximum, with the
// dead zone (ten-thousandths of the way to either end) cut out: 0 inside it, the rest
// stretched over the whole range.
int32_t sdl_axis_value(int raw, int32_t minimum, int32_t maximum, uint32_t dead_zone);
// An SDL hat position in hundredths of a degree clockwise from up; HAT_CENTRED.
uint32_t sdl_hat_value(unsigned hat);

}  // namespace quarn::inpdev
