#pragma once
// The input device's joysticks: a table of at most ten records, each with its device,
// seven axis records, its force-feedback abilities and 64 effect slots. The table sets
// the joysticks up when the device starts, reads their items every frame and answers
// the kernel's joystick and force-feedback requests.
//
// What outlives a shutdown: each effect slot's type code and last parameters, and each
// axis's stored dead zone. The next set-up makes the effects again in their slots and
// applies the stored dead zones, so a suspend and revive loses neither.
#include <cstdint>

#include "plugins/inpdev/input_api.h"
#include "plugins/kernel_links.h"

namespace quarn::inpdev {

constexpr int JOYSTICK_MAX = 10;
constexpr int JOY_AXES = 7;
constexpr int EFFECT_SLOTS = 64;
constexpr int EFFECT_WORDS = 10;
constexpr uint32_t JOY_BUTTON_MAX = 32;
constexpr uint32_t JOY_BUFFER_ITEMS = 512;
constexpr uint32_t NAME_CHARS = 128;

// Effect-type bits of a joystick.
enum force_type_t : uint32_t {
    FORCE_CONSTANT = 2,
    FORCE_RAMP = 4,
    FORCE_PERIODIC = 8,
    FORCE_CONDITION = 16,
};

struct joy_axis_t {
    // Where the axis's items arrive (fixed per record) and the kind it takes.
    uint32_t data_offset = 0;
    axis_kind_t kind = AXIS_OTHER;
    uint32_t object_type = 0;
    uint32_t object_offset = 0;
    bool present = false;
    char name[NAME_CHARS] = {};
    // The dead zone asked to be kept; 1.0 means none.
    float stored_dead_zone = 1.0f;
    bool actuator = false;
};

struct effect_slot_t {
    // Null: the slot is free.
    auto_ptr_t<effect_i> effect;
    // The type code the slot was last made with; 0 when never used.
    int32_t type = 0;
    int32_t parameters[EFFECT_WORDS] = {};
};

struct joystick_t {
    auto_ptr_t<device_i> device;
    char product[NAME_CHARS] = {};
    capabilities_t caps;
    uint32_t axis_count = 0;
    uint32_t force_axis_count = 0;
    joy_axis_t axes[JOY_AXES];
    bool force_feedback = false;
    uint32_t force_types = 0;
    effect_slot_t slots[EFFECT_SLOTS];

    // Empties the record for a newly enumerated joystick, keeping what outlives a
    // shutdown (effect types and parameters, stored dead zones).
    void clear();
    // Starts every effect that exists once.
    void start_effects();
    // Stops and releases every effect, then the device.
    void release();
};

class joystick_table_t {
public:
    explicit joystick_table_t(const plugin::kernel_links_t &kernel) : m_kernel(kernel) {}

    // Empties the table, enumerates the attached joysticks (the first ten) and sets
    // each up; failures are logged and leave that joystick without a device.
    void setup(input_system_i &system, void *window);
    // Releases every joystick's effects and device; the records stay.
    void shutdown();
    // Acquires (starting every effect once) or unacquires every joystick.
    void set_active(bool active);
    // Reads every joystick's items and posts them as events.
    void poll();

    int count() const { return int(m_count); }
    bool get_name(int joystick, char *buffer, uint32_t size) const;
    bool get_axis_name(int joystick, int axis, char *buffer, uint32_t size) const;
    bool set_dead_zone(int joystick, float value, int axis, bool store);
    float get_dead_zone(int joystick, int axis);
    bool has_force_feedback(int joystick) const;
    uint32_t get_force_types(int joystick) const;

    int force_create(int joystick, int type);
    void force_destroy(int joystick, int slot);
    bool force_change(int joystick, int slot, const void *parameters);
    bool force_play(int joystick, int slot, uint32_t iterations, bool solo);
    bool force_stop(int joystick, int slot);

    // The record, for tests; null for a bad index.
    const joystick_t *record(int joystick) const;

private:
    bool valid(int joystick) const { return joystick >= 0 && joystick < int(m_count); }
    // The slot of a joystick with a device and force feedback; null when refused.
    effect_slot_t *effect_slot(int joystick, int slot);
    void add_joystick(input_system_i &system, const joystick_info_t &info);
    void setup_device(joystick_t &joy, void *window);
    void find_axes(joystick_t &joy);
    void find_effects(joystick_t &joy);
    // Makes the effect of the slot's type again, in that slot.
    bool create_in_slot(int joystick, int slot, int type);
    void poll_one(int index, joystick_t &joy);

    const plugin::kernel_links_t &m_kernel;
    joystick_t m_records[JOYSTICK_MAX];
    uint32_t m_count = 0;
};

// The effect kind and the type-specific block of a type code (2 constant, 4 ramp,
// 65-69 periodic waves, 70-73 conditions; any other code a constant force without a
// block), and the words of the block filled from a parameter record.
effect_kind_t effect_kind_of(int32_t type);
uint32_t effect_block_words(int32_t type);
void effect_block_from(int32_t type, const int32_t parameters[EFFECT_WORDS], effect_desc_t &desc);

}  // namespace quarn::inpdev
