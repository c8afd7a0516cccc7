#include "dialog_presenter.h"

#include "exceptions.h"
#include "message_host.h"
#include "number_text.h"
#include "string_table.h"

namespace quarn::kickup {

namespace {

const char *const SOUND_RATES[] = {"22050", "44100"};

}  // namespace

std::string mode_display_text(const display_mode_t &m) {
    std::string text = std::to_string(m.width) + " x " + std::to_string(m.height) + " x " + std::to_string(m.bits) +
                       load_resource_string(148) + " ";
    return text + (m.refresh ? std::to_string(m.refresh) + load_resource_string(146) : load_resource_string(147));
}

std::string window_size_text(const display_mode_t &m) { return std::to_string(m.width) + " x " + std::to_string(m.height); }

std::string render_path_text(const render_path_t &p) { return "[ " + p.name + " ]    " + p.description; }

dialog_presenter_t::dialog_presenter_t(launcher_state_t &state) : m_state(state) {
    c(ID_TABS).entries = {load_resource_string(142), load_resource_string(143)};
    c(ID_TABS).selection = 0;
    c(ID_SUPPRESS_SETUP).text = "Launcher beim n\xC3\xA4" "chsten Start nicht\nanzeigen. Harlstock 3D direkt starten.";
    c(ID_SUPPRESS_SETUP).shown = false;
    c(ID_OK).text = "Harlstock 3D starten";
    c(ID_CANCEL).text = "B&eenden";
    const struct {
        int id;
        const char *label;
    } overview[] = {
        {ID_OVERVIEW_RENDERER, "Renderer:"},    {ID_OVERVIEW_DEVICE, "Ger\xC3\xA4t:"},
        {ID_OVERVIEW_QUALITY, "Qualit\xC3\xA4t:"}, {ID_OVERVIEW_DETAILS, "Details:"},
        {ID_OVERVIEW_RESOLUTION, "Aufl\xC3\xB6sung:"}, {ID_OVERVIEW_SOUND, "Sound aktiviert:"},
        {ID_OVERVIEW_SOUND_RATE, "Sound-Rate:"},
    };
    for (const auto &o : overview) c(o.id).label = o.label;
    c(ID_DEVICES).label = "Ger\xC3\xA4t";
    c(ID_PATHS).label = "Qualit\xC3\xA4t:";
    for (int level = 0; level < 5; ++level) {
        c(ID_QUALITY_0 + level).label = "Details:";
        c(ID_QUALITY_0 + level).shown = false;
    }
    c(ID_QUALITY_CUSTOM).text = "Custom";
    c(ID_QUALITY_CUSTOM).shown = false;
    c(ID_QUALITY_CUSTOM).enabled = false;
    c(ID_MODES).label = "Aufl\xC3\xB6sung";
    c(ID_FULLSCREEN).text = "Vollbild";
    c(ID_WINDOWED).text = "Im Fenster";
    c(ID_SOUND).text = "Aktiviere Sound";
    c(ID_ACCELERATION).text = "Hardware-Beschleunigung";
    c(ID_SOUND_RATES).entries = {SOUND_RATES[0], SOUND_RATES[1]};
    c(ID_OPENGL).text = "OpenGL";
    c(ID_DIRECTX).text = "DirectX";
    c(ID_DIRECTX).shown = false;
}

const std::vector<int> &dialog_presenter_t::page_controls(int tab) {
    static const std::vector<int> overview = {ID_OVERVIEW_RENDERER, ID_OVERVIEW_DEVICE,     ID_OVERVIEW_QUALITY,
                                              ID_OVERVIEW_DETAILS,  ID_OVERVIEW_RESOLUTION, ID_OVERVIEW_SOUND,
                                              ID_OVERVIEW_SOUND_RATE};
    static const std::vector<int> configuration = {
        ID_OPENGL,       ID_DIRECTX,       ID_DEVICES,       ID_PATHS,          ID_QUALITY_0,      ID_QUALITY_0 + 1,
        ID_QUALITY_0 + 2, ID_QUALITY_0 + 3, ID_QUALITY_0 + 4, ID_QUALITY_CUSTOM, ID_MODES,          ID_FULLSCREEN,
        ID_WINDOWED,     ID_SOUND,         ID_ACCELERATION,  ID_SOUND_RATES};
    return tab == 0 ? overview : configuration;
}

std::string dialog_presenter_t::title() const { return load_resource_string(113) + " - " + load_resource_string(139); }

bool dialog_presenter_t::open() {
    bool built = false;
    try {
        m_state.create_specs();
        built = true;
    } catch (const registry_read_exception_t &) {
        show_error_string(112);
    } catch (const device_init_exception_t &) {
        show_error_string(108);
    } catch (const base_exception_t &e) {
        report_exception(e);
    } catch (...) {
        show_error_string(112);
    }
    // A record of an earlier dialog may be left: it is not this machine's answer now.
    if (!built) {
        m_result = DIALOG_CANCEL;
        return false;
    }
    c(ID_SUPPRESS_SETUP).checked = m_state.registry().suppress_setup;
    c(ID_SUPPRESS_SETUP).shown = false;
    if (m_state.screensaver_mode()) {
        c(ID_OK).text = load_resource_string(149);
        c(ID_CANCEL).text = load_resource_string(150);
    }
    // The overview takes the record first: it applies the automatic path choice.
    if (specs().path_chosen_automatically()) specs().choose_path_automatically();
    refresh_overview();
    fill_configuration();
    m_tab = 0;
    c(ID_TABS).selection = 0;
    return true;
}

void dialog_presenter_t::refresh_overview() {
    const device_specs_t &s = specs();
    const int32_t type = s.device_type();
    c(ID_OVERVIEW_RENDERER).text = load_resource_string(type == 1 ? 106 : type == 2 ? 107 : 108);
    c(ID_OVERVIEW_DEVICE).text = s.current_device().renderer_name();
    const render_path_t *path = s.current_device().find_path(s.current_path_id());
    c(ID_OVERVIEW_DETAILS).text = path ? render_path_text(*path) : "";
    c(ID_OVERVIEW_RESOLUTION).text = s.fullscreen()
                                         ? mode_display_text(s.current_mode()) + " - " + load_resource_string(144)
                                         : window_size_text(s.current_mode()) + " - " + load_resource_string(145);
    c(ID_OVERVIEW_SOUND).text = load_resource_string(s.sound_enabled() ? 151 : 152);
    c(ID_OVERVIEW_QUALITY).text = load_resource_string(s.quality_level() == QUALITY_CUSTOM ? 140 : 101 + s.quality_level());
    c(ID_OVERVIEW_SOUND_RATE).text = std::to_string(s.mix_rate()) + "Hz";
}

void dialog_presenter_t::fill_configuration() {
    const device_specs_t &s = specs();
    for (uint32_t level = 0; level < QUALITY_COUNT_MAX; ++level) {
        control_t &button = c(ID_QUALITY_0 + int(level));
        button.shown = level < s.quality_count();
        button.text = load_resource_string(101 + int(level));
    }
    if (s.use_custom()) {
        c(ID_QUALITY_CUSTOM).shown = true;
        c(ID_QUALITY_CUSTOM).text = load_resource_string(140);
    }
    c(ID_OPENGL).enabled = c(ID_DIRECTX).enabled = false;
    for (const auto &d : s.devices()) {
        if (d->device_type() == 1) c(ID_OPENGL).enabled = true;
        if (d->device_type() == 2) c(ID_DIRECTX).enabled = true;
    }
    c(ID_OPENGL).checked = s.device_type() == 1;
    c(ID_DIRECTX).checked = s.device_type() == 2;
    fill_devices();
    fill_paths();
    set_fullscreen_buttons();
    fill_modes();
    check_quality_button();
    c(ID_SOUND).checked = s.sound_enabled();
    c(ID_ACCELERATION).checked = s.sound_acceleration();
    enable_sound_controls();
    c(ID_SOUND_RATES).selection = -1;
    for (int i = 0; i < 2; ++i)
        if (std::to_string(s.mix_rate()) == SOUND_RATES[i]) c(ID_SOUND_RATES).selection = i;
}

void dialog_presenter_t::fill_devices() {
    const device_specs_t &s = specs();
    control_t &list = c(ID_DEVICES);
    list.entries.clear();
    list.selection = -1;
    m_device_entries.clear();
    for (const auto &d : s.devices()) {
        if (d->device_type() != s.device_type()) continue;
        if (d.get() == &s.current_device()) list.selection = int(list.entries.size());
        list.entries.push_back(d->renderer_name());
        m_device_entries.push_back(d.get());
    }
}

void dialog_presenter_t::fill_paths() {
    const device_specs_t &s = specs();
    control_t &list = c(ID_PATHS);
    list.entries.clear();
    list.selection = -1;
    m_path_entries.clear();
    for (const render_path_t *p : s.current_device().paths_by_priority()) {
        if (p->id == s.current_path_id()) list.selection = int(list.entries.size());
        list.entries.push_back(render_path_text(*p));
        m_path_entries.push_back(p->id);
    }
}

void dialog_presenter_t::fill_modes() {
    const device_specs_t &s = specs();
    control_t &list = c(ID_MODES);
    list.entries.clear();
    list.selection = -1;
    m_mode_entries.clear();
    const display_mode_t &current = s.current_mode();
    if (s.fullscreen()) {
        for (const display_mode_t &m : s.current_device().modes()) {
            if (list.selection < 0 && m.same_as(current)) list.selection = int(list.entries.size());
            list.entries.push_back(mode_display_text(m));
            m_mode_entries.push_back(m);
        }
    } else {
        // The sizes that fit a window on the desktop, each once (opengl_device.h).
        for (const display_mode_t &m : s.current_device().window_sizes()) {
            if (m.width == current.width && m.height == current.height) list.selection = int(list.entries.size());
            list.entries.push_back(window_size_text(m));
            m_mode_entries.push_back(m);
        }
    }
    if (list.selection < 0 && !list.entries.empty()) list.selection = 0;
}

void dialog_presenter_t::set_fullscreen_buttons() {
    c(ID_FULLSCREEN).enabled = specs().current_device().supports_fullscreen();
    c(ID_FULLSCREEN).checked = specs().fullscreen();
    c(ID_WINDOWED).checked = !specs().fullscreen();
}

void dialog_presenter_t::check_quality_button() {
    const int32_t level = specs().quality_level();
    for (int i = 0; i < 5; ++i) c(ID_QUALITY_0 + i).checked = level == i;
    c(ID_QUALITY_CUSTOM).checked = level == QUALITY_CUSTOM;
}

void dialog_presenter_t::enable_sound_controls() {
    c(ID_SOUND_RATES).enabled = specs().sound_enabled();
    c(ID_ACCELERATION).enabled = specs().sound_enabled();
}

void dialog_presenter_t::select_tab(int tab) {
    if (tab != 0 && tab != 1) return;
    if (tab == 0) refresh_overview();
    else fill_configuration();
    m_tab = tab;
    c(ID_TABS).selection = tab;
    c(ID_SUPPRESS_SETUP).shown = tab == 1;
}

void dialog_presenter_t::device_chosen() {
    device_specs_t &s = specs();
    fill_paths();
    set_fullscreen_buttons();
    fill_modes();
    if (!m_path_entries.empty()) c(ID_PATHS).selection = 0;
    if (c(ID_MODES).selection >= 0) s.set_current_mode(m_mode_entries[size_t(c(ID_MODES).selection)]);
    if (!m_path_entries.empty()) s.select_path(m_path_entries.front());
    s.rerate_card();
    s.set_quality_level(s.rated_quality_level());
    check_quality_button();
    if (s.has_problematic_driver())
        message_host().show_message(load_resource_string(132), load_resource_string(113) + " - Warning!",
                                    MESSAGE_INFORMATION);
}

void dialog_presenter_t::choose_device(int entry) {
    if (entry < 0 || size_t(entry) >= m_device_entries.size()) return;
    specs().set_current_device(*m_device_entries[size_t(entry)]);
    c(ID_DEVICES).selection = entry;
    device_chosen();
}

void dialog_presenter_t::choose_renderer(int32_t device_type) {
    specs().set_device_type(device_type);
    c(ID_OPENGL).checked = device_type == 1;
    c(ID_DIRECTX).checked = device_type == 2;
    fill_devices();
    if (m_device_entries.empty()) return;
    choose_device(0);
}

void dialog_presenter_t::choose_path(int entry) {
    if (entry < 0 || size_t(entry) >= m_path_entries.size()) return;
    c(ID_PATHS).selection = entry;
    specs().select_path(m_path_entries[size_t(entry)]);
}

void dialog_presenter_t::choose_mode(int entry) {
    if (entry < 0 || size_t(entry) >= m_mode_entries.size()) return;
    c(ID_MODES).selection = entry;
    specs().set_current_mode(m_mode_entries[size_t(entry)]);
}

void dialog_presenter_t::choose_fullscreen(bool fullscreen) {
    specs().set_fullscreen(fullscreen);
    set_fullscreen_buttons();
    fill_modes();
    if (c(ID_MODES).selection >= 0) specs().set_current_mode(m_mode_entries[size_t(c(ID_MODES).selection)]);
}

void dialog_presenter_t::choose_quality(int level) {
    if (level < 0 || uint32_t(level) >= specs().quality_count()) return;
    if (specs().quality_level() == QUALITY_CUSTOM &&
        !message_host().ask_yes_no(load_resource_string(136), load_resource_string(113))) {
        check_quality_button();  // the custom button again
        m_focus = ID_PATHS;
        return;
    }
    specs().set_quality_level(level);
    check_quality_button();
}

void dialog_presenter_t::choose_sound(bool enabled) {
    specs().set_sound_enabled(enabled);
    c(ID_SOUND).checked = enabled;
    enable_sound_controls();
}

void dialog_presenter_t::choose_acceleration(bool on) {
    specs().set_sound_acceleration(on);
    c(ID_ACCELERATION).checked = on;
}

void dialog_presenter_t::choose_rate(int entry) {
    if (entry < 0 || entry > 1) return;
    c(ID_SOUND_RATES).selection = entry;
    specs().set_mix_rate(read_int_or_zero(SOUND_RATES[entry]));
}

void dialog_presenter_t::choose_suppress_setup(bool checked) { c(ID_SUPPRESS_SETUP).checked = checked; }

void dialog_presenter_t::ok() {
    m_state.registry().suppress_setup = c(ID_SUPPRESS_SETUP).checked;
    m_result = DIALOG_OK;
}

void dialog_presenter_t::cancel() { m_result = DIALOG_CANCEL; }

void dialog_presenter_t::react(const std::function<void()> &choice) {
    m_focus = 0;
    try {
        choice();
    } catch (const base_exception_t &e) {
        report_exception(e);
    } catch (...) {
        show_error(load_resource_string(112) + "\nUnknown Error");
    }
}

}  // namespace quarn::kickup
