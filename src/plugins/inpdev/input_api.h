#pragma once
// The input layer under the input device: a small interface in the manner of a
// buffered-input system. A system makes devices (the keyboard, the mouse and each
// attached joystick); a device is configured (data format, cooperative level, buffer
// size and other properties), acquired, polled and read as buffered items, and
// joysticks make force-feedback effects. Every operation answers with a result code.
//
// The device of this plug-in is written against this interface only. It is
// implemented over SDL2 (sdl_input.h) and, in the tests, by a scripted fake.
#include <cstdint>

#include "qrncore/system/auto_ptr.h"
#include "qrncore/system/host_object.h"

namespace quarn::inpdev {

// Result codes: 0 is success, codes with the top bit set are failures.
using result_t = uint32_t;
constexpr result_t RESULT_OK = 0;
constexpr result_t ERR_GENERIC = 0x80040001u;
constexpr result_t ERR_INPUT_LOST = 0x80040002u;     // the device lost its input: acquire it again
constexpr result_t ERR_NOT_ACQUIRED = 0x80040003u;   // the operation needs an acquired device
constexpr result_t ERR_INVALID_PARAM = 0x80040004u;
constexpr result_t ERR_UNSUPPORTED = 0x80040005u;    // the device does not have that (effect, property)
constexpr result_t ERR_NOT_FOUND = 0x80040006u;      // no such device or object
constexpr result_t ERR_OUT_OF_MEMORY = 0x80040007u;

inline bool failed(result_t r) { return (r & 0x80000000u) != 0; }
// The two results after which a device is acquired again and the read tried once more.
inline bool needs_acquire(result_t r) { return r == ERR_INPUT_LOST || r == ERR_NOT_ACQUIRED; }

// One buffered item: where in the device's data block it changed, and the new value.
//   keyboard  offset = the scan code, data bit 0x80 = pressed
//   mouse     offsets 0, 4, 8 = X, Y and wheel movement (data signed, wheel 120 a
//             notch, positive away from the user); 12-15 = buttons 0-3 (bit 0x80)
//   joystick  offsets 0-20 = X, Y, Z, X, Y and Z rotation, 24 and 28 = sliders
//             (data signed, in the range set), 32-44 = hats 0-3 (hundredths of a
//             degree, 0xFFFFFFFF centred), 48-175 = buttons 0-127 (bit 0x80)
struct input_item_t {
    uint32_t offset = 0;
    uint32_t data = 0;
};

constexpr uint32_t MOUSE_X = 0, MOUSE_Y = 4, MOUSE_WHEEL = 8, MOUSE_BUTTON_0 = 12;
constexpr uint32_t JOY_AXIS_0 = 0, JOY_HAT_0 = 32, JOY_BUTTON_0 = 48;
constexpr uint32_t HAT_CENTRED = 0xFFFFFFFFu;
constexpr uint32_t ITEM_PRESSED = 0x80;

enum device_kind_t : int { DEVICE_KEYBOARD, DEVICE_MOUSE, DEVICE_JOYSTICK };

// The cooperative levels a device asks for (bits).
enum cooperation_t : uint32_t {
    COOP_EXCLUSIVE = 0x1,
    COOP_NONEXCLUSIVE = 0x2,
    COOP_FOREGROUND = 0x4,
    COOP_NO_WINDOWS_KEY = 0x8,
};

// The kind of an axis: where it goes in the joystick's data block.
enum axis_kind_t : int { AXIS_X, AXIS_Y, AXIS_Z, AXIS_RX, AXIS_RY, AXIS_RZ, AXIS_SLIDER, AXIS_OTHER };

struct axis_object_t {
    axis_kind_t kind = AXIS_OTHER;
    // The object's identity for properties (range, dead zone).
    uint32_t object_type = 0;
    // Where its items appear.
    uint32_t offset = 0;
    const char *name = "";
    // The axis can exert force.
    bool actuator = false;
};

// The object_type that names the whole device in dead-zone properties.
constexpr uint32_t WHOLE_DEVICE = 0;

struct capabilities_t {
    uint32_t axes = 0;
    uint32_t buttons = 0;
    uint32_t hats = 0;
    bool force_feedback = false;
};

enum effect_kind_t : int {
    EFFECT_CONSTANT,
    EFFECT_RAMP,
    EFFECT_SQUARE,
    EFFECT_SINE,
    EFFECT_TRIANGLE,
    EFFECT_SAWTOOTH_UP,
    EFFECT_SAWTOOTH_DOWN,
    EFFECT_SPRING,
    EFFECT_DAMPER,
    EFFECT_INERTIA,
    EFFECT_FRICTION,
};

// Durations in microseconds; this one means "until stopped".
constexpr uint32_t INFINITE_DURATION = 0xFFFFFFFFu;
// Iterations of an effect played until stopped.
constexpr uint32_t INFINITE_ITERATIONS = 0xFFFFFFFFu;

// An effect's description. Magnitudes, offsets and coefficients run -10000..10000,
// saturations, dead bands and gains 0..10000, phases in hundredths of a degree,
// periods in microseconds. The type-specific block holds, in this order:
//   constant   magnitude
//   ramp       start, end
//   periodic   magnitude, offset, phase, period
//   condition  offset, positive coefficient, negative coefficient, positive
//              saturation, negative saturation, dead band
struct effect_desc_t {
    uint32_t duration = 0;
    uint32_t sample_period = 0;
    uint32_t gain = 10000;
    uint32_t trigger_button = 0xFFFFFFFFu;  // none
    uint32_t trigger_repeat = 0;
    uint32_t start_delay = 0;
    // The axes the force acts on, by item offset, and the Cartesian direction.
    uint32_t axis_count = 0;
    uint32_t axes[2] = {0, 0};
    int32_t directions[2] = {0, 0};
    // Words of the type-specific block in use (0: none).
    uint32_t type_words = 0;
    int32_t type_block[6] = {0, 0, 0, 0, 0, 0};
};

// What set_parameters changes (bits).
enum effect_update_t : uint32_t {
    UPDATE_DURATION = 0x1,
    UPDATE_GAIN = 0x2,
    UPDATE_DIRECTION = 0x4,
    UPDATE_TYPE_PARAMS = 0x8,
};

class effect_i : public host_object_t {
public:
    virtual ~effect_i() = default;
    virtual result_t set_parameters(const effect_desc_t &desc, uint32_t what) = 0;
    // Plays the effect `iterations` times; solo stops the device's other effects.
    virtual result_t start(uint32_t iterations, bool solo) = 0;
    virtual result_t stop() = 0;
};

// Receivers of the enumerations; false stops the enumeration.
using enum_axis_fn = bool (*)(const axis_object_t &axis, void *context);
using enum_effect_fn = bool (*)(effect_kind_t kind, void *context);

class device_i : public host_object_t {
public:
    virtual ~device_i() = default;

    // The standard layout of the device's kind (keyboard, mouse or joystick).
    virtual result_t set_data_format() = 0;
    // window: the window the device works with (may be null).
    virtual result_t set_cooperative_level(void *window, uint32_t cooperation) = 0;
    // How many items the device keeps between reads.
    virtual result_t set_buffer_size(uint32_t items) = 0;
    virtual result_t acquire() = 0;
    virtual result_t unacquire() = 0;
    // Brings the device's state up to date (joysticks).
    virtual result_t poll() = 0;
    // Takes up to *count items, oldest first; *count becomes the number taken. Items
    // that do not fit stay for the next read.
    virtual result_t read_buffered(input_item_t *items, uint32_t *count) = 0;
    virtual result_t get_capabilities(capabilities_t *caps) = 0;

    // Joystick properties.
    virtual result_t enum_axes(enum_axis_fn receiver, void *context) = 0;
    virtual result_t set_range(uint32_t object_type, int32_t minimum, int32_t maximum) = 0;
    // Dead zone in ten-thousandths of the range; object WHOLE_DEVICE: every axis.
    virtual result_t set_dead_zone(uint32_t object_type, uint32_t dead_zone) = 0;
    virtual result_t get_dead_zone(uint32_t object_type, uint32_t *dead_zone) = 0;
    virtual result_t set_auto_center(bool on) = 0;
    virtual result_t set_absolute_axes() = 0;

    // Force feedback.
    virtual result_t enum_effects(enum_effect_fn receiver, void *context) = 0;
    virtual result_t create_effect(effect_kind_t kind, const effect_desc_t &desc, auto_ptr_t<effect_i> &out) = 0;
};

// One attached game controller, as enumerated.
struct joystick_info_t {
    uint32_t id = 0;  // what create_device takes
    const char *product_name = "";
};

using enum_joystick_fn = bool (*)(const joystick_info_t &joystick, void *context);

class input_system_i : public host_object_t {
public:
    virtual ~input_system_i() = default;
    // The system's keyboard or mouse (id unused), or the joystick of that id.
    virtual result_t create_device(device_kind_t kind, uint32_t id, auto_ptr_t<device_i> &out) = 0;
    virtual result_t enum_joysticks(enum_joystick_fn receiver, void *context) = 0;
};

// Makes the input system; instance is the program's module handle.
using input_system_factory_t = result_t (*)(void *instance, auto_ptr_t<input_system_i> &out);

}  // namespace quarn::inpdev
