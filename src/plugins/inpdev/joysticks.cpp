#include "plugins/inpdev/joysticks.h"

#include <cstring>

#include "qrncore/system/messages.h"

namespace quarn::inpdev {

namespace {

constexpr axis_kind_t AXIS_KINDS[JOY_AXES] = {AXIS_X, AXIS_Y, AXIS_Z, AXIS_RX, AXIS_RY, AXIS_RZ, AXIS_SLIDER};

// Copies text into a buffer of size bytes, cut to size - 1 characters; a buffer of
// size 0 gets nothing.
void copy_cut(char *buffer, uint32_t size, const char *text) {
    if (!buffer || size == 0) return;
    const size_t length = strnlen(text, size - 1);
    memcpy(buffer, text, length);
    buffer[length] = 0;
}

bool is_periodic(int32_t type) { return type >= 65 && type <= 69; }
bool is_condition(int32_t type) { return type >= 70 && type <= 73; }
bool is_known_type(int32_t type) { return type == 2 || type == 4 || is_periodic(type) || is_condition(type); }

// The description every effect of the joystick starts from: Cartesian directions on
// at most the X and Y axes, no duration, full gain, no trigger, an empty type block.
effect_desc_t base_desc(const joystick_t &joy, int32_t type) {
    effect_desc_t desc;
    desc.duration = 0;
    desc.sample_period = 0;
    desc.gain = 10000;
    desc.trigger_button = 0xFFFFFFFFu;
    desc.trigger_repeat = 0;
    desc.start_delay = 0;
    // Forces act on X and Y only, whatever further axes can exert force.
    desc.axis_count = joy.force_axis_count < 2 ? joy.force_axis_count : 2;
    desc.axes[0] = JOY_AXIS_0;
    desc.axes[1] = JOY_AXIS_0 + 4;
    desc.type_words = effect_block_words(type);
    return desc;
}

}  // namespace

effect_kind_t effect_kind_of(int32_t type) {
    static constexpr effect_kind_t PERIODIC[] = {EFFECT_SQUARE, EFFECT_SINE, EFFECT_TRIANGLE, EFFECT_SAWTOOTH_UP,
                                                 EFFECT_SAWTOOTH_DOWN};
    static constexpr effect_kind_t CONDITION[] = {EFFECT_SPRING, EFFECT_DAMPER, EFFECT_INERTIA, EFFECT_FRICTION};
    if (type == 4) return EFFECT_RAMP;
    if (is_periodic(type)) return PERIODIC[type - 65];
    if (is_condition(type)) return CONDITION[type - 70];
    return EFFECT_CONSTANT;
}

uint32_t effect_block_words(int32_t type) {
    if (type == 2) return 1;
    if (type == 4) return 2;
    if (is_periodic(type)) return 4;
    if (is_condition(type)) return 6;
    return 0;
}

void effect_block_from(int32_t type, const int32_t w[EFFECT_WORDS], effect_desc_t &desc) {
    int32_t *b = desc.type_block;
    desc.type_words = effect_block_words(type);
    if (type == 2) {
        b[0] = w[3];
    } else if (type == 4) {
        b[0] = w[5];
        b[1] = w[6];
    } else if (is_periodic(type)) {
        // magnitude, offset, phase, period
        b[0] = w[3];
        b[1] = w[4];
        b[2] = w[6];
        b[3] = w[5];
    } else if (is_condition(type)) {
        // offset, positive and negative coefficient, positive and negative
        // saturation, dead band
        b[0] = w[4];
        b[1] = w[6];
        b[2] = w[5];
        b[3] = w[7];
        b[4] = w[8];
        b[5] = w[9];
    }
}

// ---- records ----

void joystick_t::clear() {
    // Effects go before the device they belong to.
    for (effect_slot_t &slot : slots) slot.effect.reset();
    device.reset();
    product[0] = 0;
    caps = capabilities_t();
    axis_count = force_axis_count = 0;
    for (joy_axis_t &axis : axes) {
        const float kept = axis.stored_dead_zone;
        axis = joy_axis_t();
        axis.stored_dead_zone = kept;
    }
    force_feedback = false;
    force_types = 0;
}

void joystick_t::start_effects() {
    for (effect_slot_t &slot : slots)
        if (slot.effect) slot.effect->start(1, false);
}

void joystick_t::release() {
    for (effect_slot_t &slot : slots) {
        if (!slot.effect) continue;
        slot.effect->stop();
        slot.effect.reset();
    }
    if (device) device->unacquire();
    device.reset();
}

// ---- set-up ----

void joystick_table_t::setup(input_system_i &system, void *window) {
    for (uint32_t i = 0; i < m_count; ++i) m_records[i].release();
    m_count = 0;
    struct context_t {
        joystick_table_t *table;
        input_system_i *system;
    } context{this, &system};
    const result_t r = system.enum_joysticks(
        [](const joystick_info_t &info, void *c) {
            auto *ctx = static_cast<context_t *>(c);
            ctx->table->add_joystick(*ctx->system, info);
            return true;
        },
        &context);
    if (failed(r)) error("[inpdev] Can not enumerate joysticks (error code: 0x%x).", r);

    for (uint32_t i = 0; i < m_count; ++i) {
        joystick_t &joy = m_records[i];
        if (!joy.device) continue;
        setup_device(joy, window);
        if (!joy.device) continue;
        find_axes(joy);
        find_effects(joy);
        // Every axis found starts with a wide dead zone; absent axes refuse it.
        for (uint32_t a = 0; a < joy.axis_count && a < JOY_AXES; ++a) set_dead_zone(int(i), 0.9f, int(a), false);
    }

    // What outlives a shutdown comes back: the stored dead zones, and every effect
    // ever made, in its own slot with its last parameters (also one destroyed since).
    for (uint32_t i = 0; i < m_count; ++i) {
        joystick_t &joy = m_records[i];
        for (effect_slot_t &slot : joy.slots) slot.effect.reset();
        for (int a = 0; a < JOY_AXES; ++a)
            if (joy.axes[a].stored_dead_zone != 1.0f) set_dead_zone(int(i), joy.axes[a].stored_dead_zone, a, true);
        for (int s = 0; s < EFFECT_SLOTS; ++s) {
            if (joy.slots[s].type == 0) continue;
            if (!create_in_slot(int(i), s, joy.slots[s].type)) continue;
            int32_t parameters[EFFECT_WORDS];
            memcpy(parameters, joy.slots[s].parameters, sizeof parameters);
            force_change(int(i), s, parameters);
        }
    }
}

void joystick_table_t::add_joystick(input_system_i &system, const joystick_info_t &info) {
    auto_ptr_t<device_i> device;
    const result_t r = system.create_device(DEVICE_JOYSTICK, info.id, device);
    if (failed(r) || !device) {
        error("[inpdev] Can not create joystick input device (error code: 0x%x).", r);
        return;
    }
    // A joystick beyond the table's ten is released here.
    if (m_count >= uint32_t(JOYSTICK_MAX)) return;
    joystick_t &joy = m_records[m_count++];
    joy.clear();
    joy.device = static_cast<auto_ptr_t<device_i> &&>(device);
    copy_cut(joy.product, sizeof joy.product, info.product_name ? info.product_name : "");
    message("[inpdev] Joystick/GamePad device: \\b%s", joy.product);
    const result_t c = joy.device->get_capabilities(&joy.caps);
    if (failed(c)) {
        error("[inpdev] Can not read joystick capabilities (error code: 0x%x).", c);
        joy.caps = capabilities_t();
    }
    if (joy.caps.buttons > JOY_BUTTON_MAX) joy.caps.buttons = JOY_BUTTON_MAX;
}

void joystick_table_t::setup_device(joystick_t &joy, void *window) {
    device_i &d = *joy.device;
    result_t r = d.set_data_format();
    if (failed(r)) {
        error("[inpdev] Can not set joystick data format (error code: 0x%x).", r);
        joy.device.reset();
        return;
    }
    r = d.set_cooperative_level(window, COOP_EXCLUSIVE | COOP_FOREGROUND);
    if (failed(r)) {
        error("[inpdev] Can not set joystick cooperative level (error code: 0x%x).", r);
        joy.device.reset();
        return;
    }
    r = d.set_buffer_size(JOY_BUFFER_ITEMS);
    if (failed(r)) {
        error("[inpdev] Can set joystick buffered input (error code: 0x%x).", r);
        joy.device.reset();
        return;
    }
    r = d.set_auto_center(false);
    if (failed(r)) warning("[inpdev] Error disabling joystick autocenter (error code: 0x%x).", r);
    r = d.set_absolute_axes();
    if (failed(r)) warning("[inpdev] Error setting joystick axis mode (error code: 0x%x).", r);
    if (!failed(d.acquire())) joy.start_effects();
    d.poll();
}

void joystick_table_t::find_axes(joystick_t &joy) {
    for (int a = 0; a < JOY_AXES; ++a) {
        joy_axis_t &axis = joy.axes[a];
        axis.data_offset = JOY_AXIS_0 + 4 * uint32_t(a);
        axis.kind = AXIS_KINDS[a];
        axis.present = false;
    }
    joy.axis_count = 0;
    joy.force_axis_count = 0;
    const result_t r = joy.device->enum_axes(
        [](const axis_object_t &object, void *j) {
            joystick_t &joy = *static_cast<joystick_t *>(j);
            if (failed(joy.device->set_range(object.object_type, -65535, 65535))) return true;
            if (joy.axis_count >= uint32_t(JOY_AXES)) return false;
            // A second object of a kind (a second slider) takes the record over.
            for (joy_axis_t &axis : joy.axes) {
                if (axis.kind != object.kind) continue;
                axis.present = true;
                axis.object_type = object.object_type;
                axis.object_offset = object.offset;
                copy_cut(axis.name, sizeof axis.name, object.name ? object.name : "");
                axis.actuator = object.actuator;
                if (object.actuator) ++joy.force_axis_count;
                ++joy.axis_count;
                break;
            }
            return true;
        },
        &joy);
    if (failed(r)) error("[inpdev] Can not enumerate joystick axes (error code: 0x%x).", r);
}

void joystick_table_t::find_effects(joystick_t &joy) {
    joy.force_feedback = false;
    joy.force_types = 0;
    const result_t r = joy.device->enum_effects(
        [](effect_kind_t kind, void *j) {
            joystick_t &joy = *static_cast<joystick_t *>(j);
            uint32_t bit = 0;
            switch (kind) {
                case EFFECT_CONSTANT: bit = FORCE_CONSTANT; break;
                case EFFECT_RAMP: bit = FORCE_RAMP; break;
                case EFFECT_SQUARE:
                case EFFECT_SINE:
                case EFFECT_TRIANGLE:
                case EFFECT_SAWTOOTH_UP:
                case EFFECT_SAWTOOTH_DOWN: bit = FORCE_PERIODIC; break;
                case EFFECT_SPRING:
                case EFFECT_DAMPER:
                case EFFECT_INERTIA:
                case EFFECT_FRICTION: bit = FORCE_CONDITION; break;
            }
            if (bit) {
                joy.force_feedback = true;
                joy.force_types |= bit;
            }
            return true;
        },
        &joy);
    if (failed(r)) error("[inpdev] Can not enumerate force-feedback effects (error code: 0x%x).", r);
}

void joystick_table_t::shutdown() {
    for (uint32_t i = 0; i < m_count; ++i) m_records[i].release();
}

void joystick_table_t::set_active(bool active) {
    for (uint32_t i = 0; i < m_count; ++i) {
        joystick_t &joy = m_records[i];
        if (!joy.device) continue;
        if (!active) {
            joy.device->unacquire();
        } else if (!failed(joy.device->acquire())) {
            joy.start_effects();
        }
    }
}

// ---- input ----

void joystick_table_t::poll() {
    for (uint32_t i = 0; i < m_count; ++i)
        if (m_records[i].device) poll_one(int(i), m_records[i]);
}

void joystick_table_t::poll_one(int index, joystick_t &joy) {
    result_t r = joy.device->poll();
    if (needs_acquire(r)) {
        if (!failed(joy.device->acquire())) joy.start_effects();
        if (needs_acquire(joy.device->poll())) return;
    }
    input_item_t items[JOY_BUFFER_ITEMS];
    uint32_t count = JOY_BUFFER_ITEMS;
    r = joy.device->read_buffered(items, &count);
    if (failed(r)) return;
    for (uint32_t n = 0; n < count && n < JOY_BUFFER_ITEMS; ++n) {
        const input_item_t &item = items[n];
        inp_event_t e;
        e.data[3] = index;
        e.data[4] = -1;
        if (item.offset >= JOY_BUTTON_0 && item.offset < JOY_BUTTON_0 + JOY_BUTTON_MAX) {
            e.type = (item.data & ITEM_PRESSED) ? inp_event_t::JOY_BUTTON_DOWN : inp_event_t::JOY_BUTTON_UP;
            e.data[2] = int32_t(item.offset - JOY_BUTTON_0);
        } else if (item.offset == JOY_HAT_0) {
            e.type = inp_event_t::JOY_AXIS;
            e.data[1] = int32_t(item.data);
        } else {
            int axis = -1;
            for (int a = 0; a < JOY_AXES && axis < 0; ++a)
                if (joy.axes[a].data_offset == item.offset) axis = a;
            // Further hats, buttons beyond 32 and unknown offsets are not reported.
            if (axis < 0) continue;
            e.type = inp_event_t::JOY_AXIS;
            e.set_float(0, float(int32_t(item.data)));
            e.data[4] = axis;
        }
        m_kernel.inp_event(&e);
    }
}

// ---- names and dead zones ----

const joystick_t *joystick_table_t::record(int joystick) const { return valid(joystick) ? &m_records[joystick] : nullptr; }

bool joystick_table_t::get_name(int joystick, char *buffer, uint32_t size) const {
    if (!valid(joystick)) return false;
    copy_cut(buffer, size, m_records[joystick].product);
    return true;
}

bool joystick_table_t::get_axis_name(int joystick, int axis, char *buffer, uint32_t size) const {
    if (!valid(joystick) || axis < 0 || axis >= JOY_AXES) {
        copy_cut(buffer, size, "no axis");
        return false;
    }
    const char *name = m_records[joystick].axes[axis].name;
    copy_cut(buffer, size, name[0] ? name : "Unknown axis");
    return true;
}

bool joystick_table_t::set_dead_zone(int joystick, float value, int axis, bool store) {
    if (!valid(joystick) || axis < -1 || axis >= JOY_AXES) return false;
    joystick_t &joy = m_records[joystick];
    if (!joy.device) return false;
    if (axis >= 0 && !joy.axes[axis].present) return false;
    // The property takes ten-thousandths of the range, 0 to 10000: a fraction outside
    // 0..1 is clamped rather than wrapped into a 16-bit number.
    const float fraction = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
    const uint32_t dead_zone = uint16_t(fraction * 10000.0f);
    const uint32_t object = axis < 0 ? WHOLE_DEVICE : joy.axes[axis].object_type;
    if (store && axis >= 0) joy.axes[axis].stored_dead_zone = value;
    const result_t r = joy.device->set_dead_zone(object, dead_zone);
    if (failed(r)) {
        error("[inpdev] Error setting deadzone (error code: 0x%x).", r);
        return false;
    }
    return true;
}

float joystick_table_t::get_dead_zone(int joystick, int axis) {
    if (!valid(joystick) || axis < 0 || axis >= JOY_AXES) return 0.0f;
    joystick_t &joy = m_records[joystick];
    if (!joy.device || !joy.axes[axis].present) return 0.0f;
    uint32_t dead_zone = 0;
    const result_t r = joy.device->get_dead_zone(joy.axes[axis].object_type, &dead_zone);
    if (failed(r)) {
        error("[inpdev] Error getting deadzone (error code: 0x%x).", r);
        return 0.0f;
    }
    return float(dead_zone) * 0.0001f;
}

bool joystick_table_t::has_force_feedback(int joystick) const {
    return valid(joystick) && m_records[joystick].force_feedback;
}

uint32_t joystick_table_t::get_force_types(int joystick) const {
    return valid(joystick) ? m_records[joystick].force_types : 0;
}

// ---- force feedback ----

effect_slot_t *joystick_table_t::effect_slot(int joystick, int slot) {
    // A negative slot (the -1 of a failed create) would index before the table.
    if (!valid(joystick) || slot < 0 || slot >= EFFECT_SLOTS) return nullptr;
    joystick_t &joy = m_records[joystick];
    if (!joy.device) return nullptr;
    return &joy.slots[slot];
}

int joystick_table_t::force_create(int joystick, int type) {
    if (!valid(joystick)) return -1;
    joystick_t &joy = m_records[joystick];
    if (!joy.device || !joy.force_feedback) return -1;
    for (int s = 0; s < EFFECT_SLOTS; ++s) {
        if (joy.slots[s].effect) continue;
        return create_in_slot(joystick, s, type) ? s : -1;
    }
    error("[inpdev] Can not create force-feedback effect - queue is full.");
    return -1;
}

bool joystick_table_t::create_in_slot(int joystick, int slot, int type) {
    effect_slot_t *s = effect_slot(joystick, slot);
    if (!s || !m_records[joystick].force_feedback) return false;
    joystick_t &joy = m_records[joystick];
    const effect_desc_t desc = base_desc(joy, type);
    s->effect.reset();
    const result_t r = joy.device->create_effect(effect_kind_of(type), desc, s->effect);
    if (failed(r) || !s->effect) {
        error("[inpdev] Can not create force-feedback effect type %d on joystick %u (error code: 0x%x).", type,
              uint32_t(joystick), r);
        s->effect.reset();
        return false;
    }
    s->type = type;
    return true;
}

void joystick_table_t::force_destroy(int joystick, int slot) {
    // The slot keeps its type and parameters: the next set-up makes it again.
    if (effect_slot_t *s = effect_slot(joystick, slot)) s->effect.reset();
}

bool joystick_table_t::force_change(int joystick, int slot, const void *parameters) {
    effect_slot_t *s = effect_slot(joystick, slot);
    if (!s || !s->effect || !parameters || !m_records[joystick].force_feedback) return false;
    int32_t w[EFFECT_WORDS];
    memcpy(w, parameters, sizeof w);
    effect_desc_t desc = base_desc(m_records[joystick], s->type);
    desc.directions[0] = w[0];
    desc.directions[1] = w[1];
    desc.duration = w[2] ? uint32_t(w[2]) : INFINITE_DURATION;
    effect_block_from(s->type, w, desc);
    // Kept whatever the device answers: the next set-up applies them again.
    memcpy(s->parameters, w, sizeof w);
    uint32_t what = 0;
    if (is_condition(s->type)) what = UPDATE_DURATION | UPDATE_GAIN | UPDATE_TYPE_PARAMS;
    else if (is_known_type(s->type)) what = UPDATE_DURATION | UPDATE_GAIN | UPDATE_DIRECTION | UPDATE_TYPE_PARAMS;
    if (!what) return true;
    const result_t r = s->effect->set_parameters(desc, what);
    if (failed(r)) {
        error("[inpdev] Can not change force-feedback effect %d on joystick %u (error code: 0x%x).", slot,
              uint32_t(joystick), r);
        return false;
    }
    return true;
}

bool joystick_table_t::force_play(int joystick, int slot, uint32_t iterations, bool solo) {
    effect_slot_t *s = effect_slot(joystick, slot);
    return s && s->effect && !failed(s->effect->start(iterations, solo));
}

bool joystick_table_t::force_stop(int joystick, int slot) {
    effect_slot_t *s = effect_slot(joystick, slot);
    return s && s->effect && !failed(s->effect->stop());
}

}  // namespace quarn::inpdev
