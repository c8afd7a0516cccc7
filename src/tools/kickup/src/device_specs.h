#pragma once
// The launcher's picture of the machine: processor, memory and render devices, their
// ratings against the hardware database, and the user's current choices (device,
// render path, display mode, quality level, sound). The configuration file is read
// into it and written from it; the dialog shows and changes it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hardware_parts.h"
#include "opengl_device.h"
#include "settings.h"

namespace quarn::kickup {

// Everything the launcher asks of the machine: the real one's, or fakes in tests.
class machine_t {
public:
    virtual ~machine_t() = default;
    virtual cpu_info_t cpu() const = 0;
    virtual memory_info_t memory() const = 0;
    virtual gl_connector_t &gl() = 0;
    virtual const display_answers_t &display() const = 0;
};

std::unique_ptr<machine_t> system_machine();

// Quality levels a database may offer: five level buttons and names exist.
constexpr uint32_t QUALITY_COUNT_MAX = 5;
// The quality level of the user's own settings.
constexpr int32_t QUALITY_CUSTOM = -1;

enum rating_index_t { RATING_CPU = 0, RATING_MEMORY = 1, RATING_CARD = 2 };

class device_specs_t;

// Probes the machine, loads the database at settings_path, rates the machine and
// proposes a path, a display mode and a quality level. Throws what the database and
// the probes throw, and device_init_exception_t without a render device.
std::unique_ptr<device_specs_t> device_spec_build(machine_t &machine, const std::string &settings_path);

class device_specs_t {
public:
    void rate_all();
    void rerate_card();
    // The three ratings' mean, truncated.
    int32_t average_rating() const;
    // The average kept within the quality levels the database offers.
    int32_t rated_quality_level() const;
    // The render path the card's rating suggests, among those the device offers; the
    // device's default path when it offers none of them.
    void choose_path_automatically();

    // Explicit choices against the current device; each throws bad_spec_exception_t
    // for what it does not offer, leaving the earlier choice in place.
    void select_device(const std::string &name);
    void select_path(int32_t id);
    void select_mode(const std::string &text);

    bool has_problematic_driver() const;

    const cpu_info_t &cpu() const { return m_cpu; }
    const memory_info_t &memory() const { return m_memory; }
    int32_t rating(int index) const { return m_ratings[index]; }
    void set_rating(int index, int32_t value) { m_ratings[index] = value; }
    const std::vector<std::unique_ptr<render_device_t>> &devices() const { return m_devices; }
    render_device_t &current_device() const { return *m_current_device; }
    void set_current_device(render_device_t &device);
    int32_t device_type() const { return m_device_type; }
    void set_device_type(int32_t type) { m_device_type = type; }
    int32_t current_path_id() const { return m_path_id; }
    bool path_chosen_automatically() const { return m_path_automatic; }
    const display_mode_t &current_mode() const { return m_mode; }
    void set_current_mode(const display_mode_t &mode) { m_mode = mode; }
    int32_t quality_level() const { return m_quality; }
    void set_quality_level(int32_t level) { m_quality = level; }
    bool fullscreen() const { return m_fullscreen; }
    void set_fullscreen(bool on) { m_fullscreen = on; }
    bool sound_enabled() const { return m_sound; }
    void set_sound_enabled(bool on) { m_sound = on; }
    bool sound_acceleration() const { return m_acceleration; }
    void set_sound_acceleration(bool on) { m_acceleration = on; }
    int32_t mix_rate() const { return m_mix_rate; }
    void set_mix_rate(int32_t hz) { m_mix_rate = hz; }
    bool use_custom() const { return m_use_custom; }
    uint32_t quality_count() const { return m_quality_count; }
    const settings_file_t &database() const { return *m_database; }

private:
    friend std::unique_ptr<device_specs_t> device_spec_build(machine_t &, const std::string &);
    device_specs_t(cpu_info_t cpu, memory_info_t memory) : m_cpu(std::move(cpu)), m_memory(memory) {}
    const settings_t &device_section() const;

    cpu_info_t m_cpu;
    memory_info_t m_memory;
    std::unique_ptr<settings_file_t> m_database;
    std::vector<std::unique_ptr<render_device_t>> m_devices;
    int32_t m_ratings[3] = {1, 1, 1};
    int32_t m_device_type = 1;
    render_device_t *m_current_device = nullptr;
    int32_t m_path_id = 0;
    bool m_path_automatic = true;
    display_mode_t m_mode;
    int32_t m_quality = 0;
    bool m_fullscreen = true;
    bool m_sound = true;
    bool m_acceleration = false;
    int32_t m_mix_rate = 44100;
    bool m_use_custom = true;
    uint32_t m_quality_count = 5;
};

}  // namespace quarn::kickup
