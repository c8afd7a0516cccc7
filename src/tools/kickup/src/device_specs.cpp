#include "device_specs.h"

#include <algorithm>

#include "exceptions.h"

namespace quarn::kickup {

namespace {

constexpr const char *SOURCE_UNIT = "device_specs";

class system_machine_t : public machine_t {
public:
    system_machine_t() : m_gl(system_gl()), m_display(system_display()) {}
    cpu_info_t cpu() const override { return cpu_info_t(); }
    memory_info_t memory() const override { return memory_info_t(); }
    gl_connector_t &gl() override { return *m_gl; }
    const display_answers_t &display() const override { return *m_display; }

private:
    std::unique_ptr<gl_connector_t> m_gl;
    std::unique_ptr<display_answers_t> m_display;
};

}  // namespace

std::unique_ptr<machine_t> system_machine() { return std::make_unique<system_machine_t>(); }

std::unique_ptr<device_specs_t> device_spec_build(machine_t &machine, const std::string &settings_path) {
    std::unique_ptr<device_specs_t> specs(new device_specs_t(machine.cpu(), machine.memory()));
    specs->m_database = settings_load(settings_path);
    const settings_t &ratings = specs->m_database->get_section("ratings");
    specs->m_quality_count = std::clamp(ratings.get_unsigned("quality_count", 5), 1u, QUALITY_COUNT_MAX);
    specs->m_use_custom = ratings.get_unsigned("use_custom", 1) != 0;

    specs->m_devices.push_back(
        opengl_device_t::probe(machine.gl(), machine.display(), specs->m_database->get_section("opengl")));
    if (specs->m_devices.empty()) KICKUP_THROW(device_init_exception_t, "No render devices found!");
    render_device_t &device = *specs->m_devices.front();
    specs->set_current_device(device);
    specs->m_path_id = device.default_path()->id;
    specs->m_path_automatic = true;

    specs->rate_all();
    specs->m_quality = specs->rated_quality_level();

    const display_mode_t wanted = device.default_mode(machine.display(), specs->m_ratings[RATING_CARD]);
    const auto &modes = device.modes();
    const auto it = std::find_if(modes.begin(), modes.end(), [&](const display_mode_t &m) { return m.same_as(wanted); });
    specs->m_mode = it != modes.end() ? *it : modes.front();
    return specs;
}

const settings_t &device_specs_t::device_section() const {
    return m_database->get_section(m_device_type == 2 ? "direct3d" : "opengl");
}

void device_specs_t::rate_all() {
    m_ratings[RATING_CPU] = m_cpu.rate(m_database->get_section("cpu_ratings"));
    m_ratings[RATING_MEMORY] = m_memory.rate(m_database->get_section("mem_ratings"));
    rerate_card();
}

void device_specs_t::rerate_card() {
    m_ratings[RATING_CARD] = m_current_device->rate(device_section().get_section("card_ratings"));
}

int32_t device_specs_t::average_rating() const {
    float sum = 0;
    for (int32_t r : m_ratings) sum += float(uint32_t(r));
    return int32_t(sum * 0.33333334f);
}

int32_t device_specs_t::rated_quality_level() const {
    return std::clamp(average_rating(), 0, int32_t(m_quality_count) - 1);
}

void device_specs_t::choose_path_automatically() {
    static const int32_t BEST_CARD[] = {12, 10, 8, 5, 14, 6, 3};
    static const int32_t OTHER_CARD[] = {6, 3};
    const bool best = m_ratings[RATING_CARD] == 2;
    const int32_t *first = best ? std::begin(BEST_CARD) : std::begin(OTHER_CARD);
    const int32_t *last = best ? std::end(BEST_CARD) : std::end(OTHER_CARD);
    for (const int32_t *id = first; id != last; ++id) {
        if (m_current_device->find_path(*id)) {
            select_path(*id);
            return;
        }
    }
    // Path 1 is the last resort; a device without it keeps its own default.
    select_path(m_current_device->find_path(1) ? 1 : m_current_device->default_path()->id);
}

void device_specs_t::set_current_device(render_device_t &device) {
    m_current_device = &device;
    m_device_type = device.device_type();
}

void device_specs_t::select_device(const std::string &name) {
    for (const auto &d : m_devices) {
        if (d->device_name() == name) {
            set_current_device(*d);
            return;
        }
    }
    KICKUP_THROW(bad_spec_exception_t, "Render device not valid:  [" + name + "]");
}

void device_specs_t::select_path(int32_t id) {
    if (!m_current_device->find_path(id)) KICKUP_THROW(bad_spec_exception_t, "Path id not valid:  [" + std::to_string(id) + "]");
    m_path_id = id;
    m_path_automatic = false;
}

void device_specs_t::select_mode(const std::string &text) {
    const display_mode_t wanted = display_mode_from_text(text);
    // A window's size is offered too: the configuration names it as a mode.
    for (const auto *list : {&m_current_device->modes(), &m_current_device->window_sizes()}) {
        for (const display_mode_t &m : *list) {
            if (m.same_as(wanted)) {
                m_mode = m;
                return;
            }
        }
    }
    KICKUP_THROW(bad_spec_exception_t, "Display mode not valid:  [" + text + "]");
}

bool device_specs_t::has_problematic_driver() const {
    return device_section().get_section("problematic_drivers").get_unsigned(m_current_device->driver_version(), 0) != 0;
}

}  // namespace quarn::kickup
