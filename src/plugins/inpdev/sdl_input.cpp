#include "plugins/inpdev/sdl_input.h"

#include <SDL.h>

#include <cmath>

#include "platform/window.h"
#include "plugins/inpdev/plain_device.h"
#include "plugins/inpdev/sdl_haptic.h"

namespace quarn::inpdev {

namespace {

// Keeps SDL from queueing events of some types while shut, so that input nobody
// reads does not pile up in the queue; gives the types their former state back at
// the end. Opening it drops what was queued before (events pushed by hand ignore
// the gate): an acquired device starts with an empty buffer.
class event_gate_t {
public:
    event_gate_t(const Uint32 *types, int count) : m_types(types), m_count(count) {
        for (int i = 0; i < count && i < MAX; ++i) m_saved[i] = SDL_EventState(types[i], SDL_QUERY);
        shut();
    }
    ~event_gate_t() {
        for (int i = 0; i < m_count && i < MAX; ++i) SDL_EventState(m_types[i], m_saved[i]);
    }
    event_gate_t(const event_gate_t &) = delete;
    event_gate_t &operator=(const event_gate_t &) = delete;

    void open() {
        for (int i = 0; i < m_count; ++i) {
            SDL_FlushEvent(m_types[i]);
            SDL_EventState(m_types[i], SDL_ENABLE);
        }
    }
    // Also drops what is queued of the types.
    void shut() {
        for (int i = 0; i < m_count; ++i) SDL_EventState(m_types[i], SDL_IGNORE);
    }

private:
    static constexpr int MAX = 8;
    const Uint32 *m_types;
    int m_count;
    Uint8 m_saved[MAX] = {};
};

constexpr Uint32 KEY_TYPES[] = {SDL_KEYDOWN, SDL_KEYUP};
// Text comes from the device's own key table; SDL's text events are not wanted.
constexpr Uint32 TEXT_TYPES[] = {SDL_TEXTEDITING, SDL_TEXTINPUT, SDL_TEXTEDITING_EXT};
constexpr Uint32 MOUSE_TYPES[] = {SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_MOUSEWHEEL};

// ---- keyboard ----

class sdl_keyboard_t : public plain_device_t {
public:
    sdl_keyboard_t() : m_keys(KEY_TYPES, 2), m_text(TEXT_TYPES, 3) {}

    result_t acquire() override {
        m_acquired = true;
        m_keys.open();
        return RESULT_OK;
    }
    result_t unacquire() override {
        m_acquired = false;
        m_keys.shut();
        return RESULT_OK;
    }
    result_t read_buffered(input_item_t *items, uint32_t *count) override {
        if (!items || !count) return ERR_INVALID_PARAM;
        if (!m_acquired) return ERR_NOT_ACQUIRED;
        const uint32_t room = *count;
        *count = 0;
        SDL_Event events[32];
        while (*count < room) {
            const uint32_t want = room - *count < 32 ? room - *count : 32;
            const int got = SDL_PeepEvents(events, int(want), SDL_GETEVENT, SDL_KEYDOWN, SDL_KEYUP);
            if (got <= 0) break;
            for (int i = 0; i < got; ++i) {
                const SDL_KeyboardEvent &k = events[i].key;
                // Held keys repeat in SDL; buffered input reports changes only.
                if (k.repeat) continue;
                const uint32_t scan = sdl_raw_scan_code(k.keysym.scancode);
                if (!scan) continue;
                items[(*count)++] = input_item_t{scan, k.type == SDL_KEYDOWN ? ITEM_PRESSED : 0u};
            }
        }
        // Text input that got past the gate (the video part opens it again when it
        // starts text input) is dropped with each read.
        for (Uint32 type : TEXT_TYPES) SDL_FlushEvent(type);
        return RESULT_OK;
    }

private:
    event_gate_t m_keys;
    event_gate_t m_text;
};

// ---- mouse ----

// The items an SDL mouse event gives (0, 1 or 2) and the items themselves.
uint32_t mouse_items(const SDL_Event &e, input_item_t out[2]) {
    uint32_t n = 0;
    switch (e.type) {
        case SDL_MOUSEMOTION:
            if (e.motion.which == SDL_TOUCH_MOUSEID) break;
            if (e.motion.xrel) out[n++] = input_item_t{MOUSE_X, uint32_t(e.motion.xrel)};
            if (e.motion.yrel) out[n++] = input_item_t{MOUSE_Y, uint32_t(e.motion.yrel)};
            break;
        case SDL_MOUSEWHEEL: {
            if (e.wheel.which == SDL_TOUCH_MOUSEID || e.wheel.y == 0) break;
            const int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            out[n++] = input_item_t{MOUSE_WHEEL, uint32_t(notches * 120)};
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (e.button.which == SDL_TOUCH_MOUSEID) break;
            int button = -1;
            switch (e.button.button) {
                case SDL_BUTTON_LEFT: button = 0; break;
                case SDL_BUTTON_RIGHT: button = 1; break;
                case SDL_BUTTON_MIDDLE: button = 2; break;
                case SDL_BUTTON_X1: button = 3; break;
                default: break;
            }
            if (button >= 0)
                out[n++] = input_item_t{MOUSE_BUTTON_0 + uint32_t(button),
                                        e.type == SDL_MOUSEBUTTONDOWN ? ITEM_PRESSED : 0u};
            break;
        }
        default: break;
    }
    return n;
}

class sdl_mouse_t : public plain_device_t {
public:
    sdl_mouse_t() : m_gate(MOUSE_TYPES, 4) {}
    ~sdl_mouse_t() override { relative(false); }

    // Relative mode where the video driver has it; the off-screen and dummy drivers
    // have none, and the mouse is acquired all the same.
    result_t acquire() override {
        m_acquired = true;
        m_gate.open();
        relative(true);
        return RESULT_OK;
    }
    result_t unacquire() override {
        m_acquired = false;
        m_gate.shut();
        relative(false);
        return RESULT_OK;
    }
    result_t read_buffered(input_item_t *items, uint32_t *count) override {
        if (!items || !count) return ERR_INVALID_PARAM;
        if (!m_acquired) return ERR_NOT_ACQUIRED;
        const uint32_t room = *count;
        *count = 0;
        SDL_Event e;
        // An event whose items do not all fit stays for the next read.
        while (SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_MOUSEMOTION, SDL_MOUSEWHEEL) == 1) {
            input_item_t out[2];
            const uint32_t n = mouse_items(e, out);
            if (*count + n > room) break;
            SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_MOUSEMOTION, SDL_MOUSEWHEEL);
            for (uint32_t i = 0; i < n; ++i) items[(*count)++] = out[i];
        }
        return RESULT_OK;
    }

private:
    void relative(bool on) {
        if (m_relative == on || !SDL_WasInit(SDL_INIT_VIDEO)) return;
        if (SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE) == 0 || !on) m_relative = on;
    }

    event_gate_t m_gate;
    bool m_relative = false;
};

// ---- joysticks ----

constexpr int SDL_AXES = 8;  // six axes and two sliders
constexpr uint32_t AXIS_OBJECT = 0x100;
constexpr uint32_t JOY_BUFFER_MAX = 1024;
const char *const AXIS_NAMES[SDL_AXES] = {"X Axis",     "Y Axis",     "Z Axis", "X Rotation",
                                          "Y Rotation", "Z Rotation", "Slider", "Slider 2"};
constexpr axis_kind_t SDL_AXIS_KINDS[SDL_AXES] = {AXIS_X,  AXIS_Y,  AXIS_Z,      AXIS_RX,
                                                  AXIS_RY, AXIS_RZ, AXIS_SLIDER, AXIS_SLIDER};

class sdl_joystick_t;

// The joysticks open now, to which their events are handed.
constexpr int OPEN_MAX = 32;
sdl_joystick_t *open_joysticks[OPEN_MAX] = {};

void sort_joystick_events();

class sdl_joystick_t : public plain_device_t {
public:
    explicit sdl_joystick_t(SDL_Joystick *joystick) : m_joystick(joystick) {
        m_instance = SDL_JoystickInstanceID(joystick);
        m_axes = SDL_JoystickNumAxes(joystick);
        if (m_axes > SDL_AXES) m_axes = SDL_AXES;
        if (m_axes < 0) m_axes = 0;
        if (SDL_JoystickIsHaptic(joystick) == 1) m_haptic = SDL_HapticOpenFromJoystick(joystick);
        for (auto &slot : open_joysticks) {
            if (slot) continue;
            slot = this;
            break;
        }
    }
    ~sdl_joystick_t() override {
        for (auto &slot : open_joysticks)
            if (slot == this) slot = nullptr;
        if (m_haptic) SDL_HapticClose(m_haptic);
        SDL_JoystickClose(m_joystick);
    }

    result_t set_buffer_size(uint32_t items) override {
        m_capacity = items < JOY_BUFFER_MAX ? items : JOY_BUFFER_MAX;
        m_count = m_first = 0;
        return RESULT_OK;
    }
    result_t acquire() override {
        if (!SDL_JoystickGetAttached(m_joystick)) return ERR_INPUT_LOST;
        m_acquired = true;
        m_count = m_first = 0;
        return RESULT_OK;
    }
    result_t unacquire() override {
        m_acquired = false;
        m_count = m_first = 0;
        return RESULT_OK;
    }
    result_t poll() override {
        if (!m_acquired) return ERR_NOT_ACQUIRED;
        if (!SDL_JoystickGetAttached(m_joystick)) {
            m_acquired = false;
            return ERR_INPUT_LOST;
        }
        SDL_JoystickUpdate();
        sort_joystick_events();
        return RESULT_OK;
    }
    result_t read_buffered(input_item_t *items, uint32_t *count) override {
        if (!items || !count) return ERR_INVALID_PARAM;
        if (!m_acquired) return ERR_NOT_ACQUIRED;
        sort_joystick_events();
        uint32_t n = 0;
        while (n < *count && m_count > 0) {
            items[n++] = m_buffer[m_first];
            m_first = (m_first + 1) % JOY_BUFFER_MAX;
            --m_count;
        }
        *count = n;
        return RESULT_OK;
    }
    result_t get_capabilities(capabilities_t *caps) override {
        if (!caps) return ERR_INVALID_PARAM;
        caps->axes = uint32_t(m_axes);
        const int buttons = SDL_JoystickNumButtons(m_joystick);
        caps->buttons = buttons > 0 ? uint32_t(buttons) : 0;
        const int hats = SDL_JoystickNumHats(m_joystick);
        caps->hats = hats > 0 ? uint32_t(hats) : 0;
        caps->force_feedback = force_kinds() != 0;
        return RESULT_OK;
    }
    result_t enum_axes(enum_axis_fn receiver, void *context) override {
        const int actuators = m_haptic ? SDL_HapticNumAxes(m_haptic) : 0;
        for (int a = 0; a < m_axes; ++a) {
            axis_object_t object;
            object.kind = SDL_AXIS_KINDS[a];
            object.object_type = AXIS_OBJECT + uint32_t(a);
            object.offset = JOY_AXIS_0 + 4 * uint32_t(a);
            object.name = AXIS_NAMES[a];
            object.actuator = a < actuators;
            if (!receiver(object, context)) break;
        }
        return RESULT_OK;
    }
    result_t set_range(uint32_t object_type, int32_t minimum, int32_t maximum) override {
        axis_t *axis = find_axis(object_type);
        if (!axis || minimum >= maximum) return ERR_INVALID_PARAM;
        axis->minimum = minimum;
        axis->maximum = maximum;
        return RESULT_OK;
    }
    result_t set_dead_zone(uint32_t object_type, uint32_t dead_zone) override {
        if (dead_zone > 10000) return ERR_INVALID_PARAM;
        if (object_type == WHOLE_DEVICE) {
            for (axis_t &axis : m_axis) axis.dead_zone = dead_zone;
            return RESULT_OK;
        }
        axis_t *axis = find_axis(object_type);
        if (!axis) return ERR_NOT_FOUND;
        axis->dead_zone = dead_zone;
        return RESULT_OK;
    }
    result_t get_dead_zone(uint32_t object_type, uint32_t *dead_zone) override {
        axis_t *axis = find_axis(object_type);
        if (!axis || !dead_zone) return ERR_NOT_FOUND;
        *dead_zone = axis->dead_zone;
        return RESULT_OK;
    }
    // SDL keeps no centring spring of its own and reports absolute axes.
    result_t set_auto_center(bool) override { return RESULT_OK; }
    result_t set_absolute_axes() override { return RESULT_OK; }

    result_t enum_effects(enum_effect_fn receiver, void *context) override {
        const unsigned query = force_kinds();
        for (int k = EFFECT_CONSTANT; k <= EFFECT_FRICTION; ++k)
            if (sdl_haptic_has(query, effect_kind_t(k)) && !receiver(effect_kind_t(k), context)) break;
        return RESULT_OK;
    }
    result_t create_effect(effect_kind_t kind, const effect_desc_t &desc, auto_ptr_t<effect_i> &out) override {
        SDL_HapticEffect effect;
        if (!m_haptic || !sdl_haptic_has(force_kinds(), kind) || !sdl_haptic_effect(kind, desc, &effect))
            return ERR_UNSUPPORTED;
        const int id = SDL_HapticNewEffect(m_haptic, &effect);
        if (id < 0) return ERR_GENERIC;
        out.reset(new sdl_effect_t(m_haptic, id, kind));
        if (!out) {
            SDL_HapticDestroyEffect(m_haptic, id);
            return ERR_OUT_OF_MEMORY;
        }
        return RESULT_OK;
    }

    // Takes one of SDL's joystick events, when it is this joystick's.
    bool take(const SDL_Event &e) {
        switch (e.type) {
            case SDL_JOYAXISMOTION:
                if (e.jaxis.which != m_instance) return false;
                if (e.jaxis.axis < m_axes) {
                    const axis_t &axis = m_axis[e.jaxis.axis];
                    push(JOY_AXIS_0 + 4u * e.jaxis.axis,
                         uint32_t(sdl_axis_value(e.jaxis.value, axis.minimum, axis.maximum, axis.dead_zone)));
                }
                return true;
            case SDL_JOYHATMOTION:
                if (e.jhat.which != m_instance) return false;
                if (e.jhat.hat < 4) push(JOY_HAT_0 + 4u * e.jhat.hat, sdl_hat_value(e.jhat.value));
                return true;
            case SDL_JOYBUTTONDOWN:
            case SDL_JOYBUTTONUP:
                if (e.jbutton.which != m_instance) return false;
                if (e.jbutton.button < 128)
                    push(JOY_BUTTON_0 + e.jbutton.button, e.type == SDL_JOYBUTTONDOWN ? ITEM_PRESSED : 0u);
                return true;
            default: return false;
        }
    }

private:
    struct axis_t {
        int32_t minimum = -32768;
        int32_t maximum = 32767;
        uint32_t dead_zone = 0;
    };

    axis_t *find_axis(uint32_t object_type) {
        const uint32_t a = object_type - AXIS_OBJECT;
        return object_type >= AXIS_OBJECT && a < uint32_t(m_axes) ? &m_axis[a] : nullptr;
    }
    unsigned force_kinds() const { return m_haptic ? SDL_HapticQuery(m_haptic) : 0u; }
    // Items of an unacquired joystick, and those beyond the buffer's size, are lost.
    void push(uint32_t offset, uint32_t data) {
        if (!m_acquired || m_count >= m_capacity) return;
        m_buffer[(m_first + m_count) % JOY_BUFFER_MAX] = input_item_t{offset, data};
        ++m_count;
    }

    SDL_Joystick *m_joystick;
    SDL_JoystickID m_instance = -1;
    SDL_Haptic *m_haptic = nullptr;
    int m_axes = 0;
    axis_t m_axis[SDL_AXES];
    input_item_t m_buffer[JOY_BUFFER_MAX];
    uint32_t m_capacity = 0, m_first = 0, m_count = 0;
};

// Hands every queued joystick event to its joystick; events of joysticks not open
// here, and attach and detach events, are dropped.
void sort_joystick_events() {
    SDL_Event events[64];
    int got;
    while ((got = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_JOYAXISMOTION, SDL_JOYBATTERYUPDATED)) > 0) {
        for (int i = 0; i < got; ++i)
            for (sdl_joystick_t *joystick : open_joysticks)
                if (joystick && joystick->take(events[i])) break;
    }
}

// ---- the system ----

class sdl_system_t : public input_system_i {
public:
    sdl_system_t() {
        m_started = SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_EVENTS) == 0;
        // Force feedback is optional: without it joysticks simply have none.
        m_haptic = m_started && SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
    }
    ~sdl_system_t() override {
        if (m_haptic) SDL_QuitSubSystem(SDL_INIT_HAPTIC);
        if (!m_started) return;
        SDL_FlushEvents(SDL_JOYAXISMOTION, SDL_JOYBATTERYUPDATED);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_EVENTS);
    }
    bool started() const { return m_started; }

    result_t create_device(device_kind_t kind, uint32_t id, auto_ptr_t<device_i> &out) override {
        switch (kind) {
            case DEVICE_KEYBOARD: out.reset(new sdl_keyboard_t); break;
            case DEVICE_MOUSE: out.reset(new sdl_mouse_t); break;
            case DEVICE_JOYSTICK: {
                if (id >= uint32_t(SDL_NumJoysticks())) return ERR_NOT_FOUND;
                SDL_Joystick *joystick = SDL_JoystickOpen(int(id));
                if (!joystick) return ERR_NOT_FOUND;
                out.reset(new sdl_joystick_t(joystick));
                if (!out) SDL_JoystickClose(joystick);
                break;
            }
        }
        return out ? RESULT_OK : ERR_OUT_OF_MEMORY;
    }
    result_t enum_joysticks(enum_joystick_fn receiver, void *context) override {
        const int count = SDL_NumJoysticks();
        for (int i = 0; i < count; ++i) {
            joystick_info_t info;
            info.id = uint32_t(i);
            const char *name = SDL_JoystickNameForIndex(i);
            info.product_name = name ? name : "";
            if (!receiver(info, context)) break;
        }
        return RESULT_OK;
    }

private:
    bool m_started = false;
    bool m_haptic = false;
};

}  // namespace

result_t sdl_input_system_create(void *, auto_ptr_t<input_system_i> &out) {
    auto_ptr_t<sdl_system_t> system(new sdl_system_t);
    if (!system) return ERR_OUT_OF_MEMORY;
    if (!system->started()) return ERR_GENERIC;
    out.reset(system.release());
    return RESULT_OK;
}

uint32_t sdl_raw_scan_code(int sdl_scancode) {
    bool extended = false;
    const int code = platform::keyboard_scan_code(sdl_scancode, &extended);
    if (code == 0) return 0;
    const uint32_t full = uint32_t(code) | (extended ? 0x80u : 0u);
    // The keyboard's own codes for the three keys the device's table swaps back.
    switch (full) {
        case 197: return 69;   // Num Lock
        case 69: return 197;   // Pause
        case 84: return 183;   // SysRq / Print Screen
        default: return full;
    }
}

int32_t sdl_axis_value(int raw, int32_t minimum, int32_t maximum, uint32_t dead_zone) {
    double n = raw < 0 ? raw / 32768.0 : raw / 32767.0;
    const double dz = dead_zone >= 10000 ? 1.0 : dead_zone / 10000.0;
    const double magnitude = std::fabs(n);
    if (magnitude <= dz) n = 0.0;
    else n = (n < 0 ? -1.0 : 1.0) * (magnitude - dz) / (1.0 - dz);
    const int64_t centre = (int64_t(minimum) + int64_t(maximum)) / 2;
    const int64_t span = n < 0 ? centre - minimum : maximum - centre;
    return int32_t(centre + std::llround(n * double(span)));
}

uint32_t sdl_hat_value(unsigned hat) {
    switch (hat) {
        case SDL_HAT_UP: return 0;
        case SDL_HAT_RIGHTUP: return 4500;
        case SDL_HAT_RIGHT: return 9000;
        case SDL_HAT_RIGHTDOWN: return 13500;
        case SDL_HAT_DOWN: return 18000;
        case SDL_HAT_LEFTDOWN: return 22500;
        case SDL_HAT_LEFT: return 27000;
        case SDL_HAT_LEFTUP: return 31500;
        default: return HAT_CENTRED;
    }
}

}  // namespace quarn::inpdev
