#include "scripted_input.h"

#include <algorithm>

namespace quarn::test {

namespace {

input_script_t script;

class scripted_effect_i : public effect_i {
public:
    explicit scripted_effect_i(size_t index, std::string device) : m_index(index), m_name(device) {}
    ~scripted_effect_i() override {
        script.answer(m_name + ".release");
        script.effects[m_index].alive = false;
    }
    result_t set_parameters(const effect_desc_t &desc, uint32_t what) override {
        const result_t r = script.answer(m_name + ".set_parameters");
        // The description is taken even when the change fails, so tests see what
        // was asked.
        script.effects[m_index].desc = desc;
        script.effects[m_index].last_update = what;
        return r;
    }
    result_t start(uint32_t, bool) override {
        const result_t r = script.answer(m_name + ".start");
        if (!failed(r)) ++script.effects[m_index].starts;
        return r;
    }
    result_t stop() override { return script.answer(m_name + ".stop"); }

private:
    size_t m_index;
    std::string m_name;
};

class scripted_device_t : public device_i {
public:
    scripted_device_t(device_kind_t kind, int joystick) : m_kind(kind), m_joystick(joystick) {
        m_name = kind == DEVICE_KEYBOARD ? "keyboard" : kind == DEVICE_MOUSE ? "mouse" : "joy" + std::to_string(joystick);
    }
    ~scripted_device_t() override { script.answer(m_name + ".release"); }

    result_t set_data_format() override { return call("set_data_format"); }
    result_t set_cooperative_level(void *, uint32_t) override { return call("set_cooperative_level"); }
    result_t set_buffer_size(uint32_t) override { return call("set_buffer_size"); }
    result_t acquire() override {
        const result_t r = call("acquire");
        if (!failed(r)) acquired() = true;
        return r;
    }
    result_t unacquire() override {
        const result_t r = call("unacquire");
        if (!failed(r)) acquired() = false;
        return r;
    }
    result_t poll() override { return call("poll"); }
    result_t read_buffered(input_item_t *items, uint32_t *count) override {
        const result_t r = call("read");
        if (failed(r)) return r;
        std::deque<input_item_t> &queue = m_kind == DEVICE_KEYBOARD ? script.keyboard_items
                                          : m_kind == DEVICE_MOUSE  ? script.mouse_items
                                                                    : joy().items;
        uint32_t n = 0;
        while (n < *count && !queue.empty()) {
            items[n++] = queue.front();
            queue.pop_front();
        }
        *count = n;
        return r;
    }
    result_t get_capabilities(capabilities_t *caps) override {
        const result_t r = call("get_capabilities");
        if (failed(r)) return r;
        *caps = capabilities_t();
        if (m_kind == DEVICE_JOYSTICK) {
            caps->axes = uint32_t(joy().axes.size());
            caps->buttons = joy().buttons;
            caps->force_feedback = !joy().effect_kinds.empty();
        }
        return r;
    }
    result_t enum_axes(enum_axis_fn receiver, void *context) override {
        const result_t r = call("enum_axes");
        if (failed(r) || m_kind != DEVICE_JOYSTICK) return r;
        for (size_t i = 0; i < joy().axes.size(); ++i) {
            const scripted_axis_t &a = joy().axes[i];
            axis_object_t object;
            object.kind = a.kind;
            object.object_type = object_type(i);
            object.offset = uint32_t(4 * i);
            object.name = a.name.c_str();
            object.actuator = a.actuator;
            if (!receiver(object, context)) break;
        }
        return r;
    }
    result_t set_range(uint32_t object, int32_t, int32_t) override {
        return call("set_range" + std::to_string(object - object_type(0)));
    }
    result_t set_dead_zone(uint32_t object, uint32_t value) override {
        const result_t r = call("set_dead_zone");
        if (failed(r)) return r;
        if (object == WHOLE_DEVICE) joy().whole_dead_zone = int(value);
        else joy().dead_zones[object] = value;
        return r;
    }
    result_t get_dead_zone(uint32_t object, uint32_t *value) override {
        const result_t r = call("get_dead_zone");
        if (failed(r)) return r;
        *value = joy().dead_zones[object];
        return r;
    }
    result_t set_auto_center(bool) override { return call("set_auto_center"); }
    result_t set_absolute_axes() override { return call("set_absolute_axes"); }
    result_t enum_effects(enum_effect_fn receiver, void *context) override {
        const result_t r = call("enum_effects");
        if (failed(r) || m_kind != DEVICE_JOYSTICK) return r;
        for (effect_kind_t k : joy().effect_kinds)
            if (!receiver(k, context)) break;
        return r;
    }
    result_t create_effect(effect_kind_t kind, const effect_desc_t &desc, auto_ptr_t<effect_i> &out) override {
        const result_t r = call("create_effect");
        if (failed(r)) return r;
        if (std::find(joy().effect_kinds.begin(), joy().effect_kinds.end(), kind) == joy().effect_kinds.end())
            return ERR_UNSUPPORTED;
        script.effects.push_back(scripted_effect_t{kind, desc});
        const size_t index = script.effects.size() - 1;
        out.reset(new scripted_effect_i(index, m_name + ".effect" + std::to_string(index)));
        return r;
    }

    static uint32_t object_type(size_t axis) { return 0x10 + uint32_t(axis); }

private:
    result_t call(const std::string &operation) { return script.answer(m_name + "." + operation); }
    scripted_joystick_t &joy() { return script.joysticks[size_t(m_joystick)]; }
    bool &acquired() {
        return m_kind == DEVICE_KEYBOARD ? script.keyboard_acquired
               : m_kind == DEVICE_MOUSE  ? script.mouse_acquired
                                         : joy().acquired;
    }

    device_kind_t m_kind;
    int m_joystick;
    std::string m_name;
};

class scripted_system_t : public input_system_i {
public:
    ~scripted_system_t() override { script.answer("system.release"); }
    result_t create_device(device_kind_t kind, uint32_t id, auto_ptr_t<device_i> &out) override {
        const std::string name =
            kind == DEVICE_KEYBOARD ? "keyboard" : kind == DEVICE_MOUSE ? "mouse" : "joy" + std::to_string(id);
        const result_t r = script.answer("system.create_" + name);
        if (failed(r)) return r;
        out.reset(new scripted_device_t(kind, int(id)));
        return r;
    }
    result_t enum_joysticks(enum_joystick_fn receiver, void *context) override {
        const result_t r = script.answer("system.enum_joysticks");
        if (failed(r)) return r;
        for (size_t i = 0; i < script.joysticks.size(); ++i) {
            joystick_info_t info;
            info.id = uint32_t(i);
            info.product_name = script.joysticks[i].name.c_str();
            if (!receiver(info, context)) break;
        }
        return r;
    }
};

}  // namespace

result_t input_script_t::answer(const std::string &operation) {
    calls.push_back(operation);
    auto n = next.find(operation);
    if (n != next.end() && !n->second.empty()) {
        const result_t r = n->second.front();
        n->second.pop_front();
        return r;
    }
    auto a = always.find(operation);
    return a != always.end() ? a->second : RESULT_OK;
}

int input_script_t::count(const std::string &operation) const {
    return int(std::count(calls.begin(), calls.end(), operation));
}

input_script_t &input_script() { return script; }

void reset_input_script() { script = input_script_t(); }

result_t scripted_input_create(void *, auto_ptr_t<input_system_i> &out) {
    const result_t r = script.answer("system.create");
    if (failed(r)) return r;
    out.reset(new scripted_system_t);
    return r;
}

scripted_joystick_t full_joystick(const std::string &name) {
    scripted_joystick_t j;
    j.name = name;
    j.axes = {{AXIS_X, "Stick X", true}, {AXIS_Y, "Stick Y", true}, {AXIS_Z, "Throttle"}, {AXIS_RX, "Rx"},
              {AXIS_RY, "Ry"},           {AXIS_RZ, "Rudder"},        {AXIS_SLIDER, "Slider"}};
    j.effect_kinds = {EFFECT_CONSTANT, EFFECT_RAMP,          EFFECT_SQUARE, EFFECT_SINE,    EFFECT_TRIANGLE,
                      EFFECT_SAWTOOTH_UP, EFFECT_SAWTOOTH_DOWN, EFFECT_SPRING, EFFECT_DAMPER, EFFECT_INERTIA,
                      EFFECT_FRICTION};
    return j;
}

}  // namespace quarn::test
