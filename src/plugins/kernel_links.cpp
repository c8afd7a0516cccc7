#include "plugins/kernel_links.h"

#include <cstring>

#include "platform/modules.h"
#include "qrncore/system/messages.h"

namespace quarn::plugin {

namespace {

constexpr const char *CMD_CVAR[] = {
    "_cmd_register_command", "cmd_unregister_command", "cmd_register_queue", "cmd_unregister_queue",
    "cmd_process_queue",     "_cmd_execute",           "cmd_get",            "cmd_get_list",
    "_cmd_execute_block",    "_cvar_register_variable", "cvar_unregister_variable", "cvar_link",
    "cvar_unlink",           "cvar_get",               "cvar_get_list"};

constexpr const char *INP[] = {
    "inp_init_devices",      "inp_shutdown_devices",     "inp_init_input",          "inp_thaw_input",
    "inp_freeze_input",      "inp_is_active",            "inp_set_active",          "inp_handle_impulses",
    "inp_mouse_reports_delta", "inp_set_mouse_reports_delta", "inp_set_mouse_sensitivity",
    "inp_get_mouse_sensitivity", "_inp_get_trigger_name", "_inp_get_trigger_code",   "inp_impulse_value",
    "inp_impulse_is_activated", "_inp_get_impulse_name",  "_inp_get_impulse_code",   "_inp_name_impulse",
    "_inp_bind_command",     "_inp_bind_impulse",        "_inp_unbind_impulse",     "inp_unbind_command",
    "_inp_search_trigger_impulse", "_inp_search_trigger_command", "inp_reset_impulses", "inp_joy_switch",
    "inp_joy_get_name",      "inp_joy_get_axis_name",    "inp_joy_get_count",       "_inp_joy_set_dead_zone",
    "inp_joy_get_dead_zone", "inp_trackir_init",         "inp_trackir_is_present",  "inp_trackir_is_active",
    "inp_trackir_get_axis_data", "inp_trackir_enable",   "inp_trackir_disable",     "inp_cursor_info",
    "inp_cursor_info_set",   "inp_fetch_keycode",        "inp_reset_keycode_queue", "inp_event",
    "inp_force_stop",        "inp_force_create",         "inp_force_destroy",       "inp_force_play",
    "inp_force_change",      "inp_store_bindings",       "_inp_restore_bindings"};

constexpr const char *HW[] = {"hw_device_insert", "hw_device_remove", "hw_device_count", "hw_device_get",
                              "hw_init",          "hw_shutdown",      "hw_suspend",      "hw_revive"};

constexpr const char *SYS[] = {"sys_pause",   "sys_frame",    "sys_get_system_string", "sys_version",
                               "sys_get_time", "sys_get_lastdelta", "sys_get_random_seed", "sys_rand",
                               "sys_fail_run"};

constexpr const char *PROCESS[] = {"process_add",      "process_terminate_all", "process_get",
                                   "process_pid_get",  "process_sleep",         "process_wakeup",
                                   "process_store_cfg", "process_hw_lock",      "process_hw_unlock",
                                   "process_mm_lock",  "process_mm_unlock",     "process_register_message_loop"};

constexpr const char *MM[] = {"mm_register_loader",      "mm_unregister_loader",     "_mm_obtain_resource",
                              "mm_refresh_resource",     "mm_warn_refresh",          "_mm_hw_free_unreferenced",
                              "_mm_mem_free_unreferenced", "_mm_hw_free_all",        "_mm_mem_free_all",
                              "_mm_remove_unreferenced", "mm_alloc_mem",             "mm_free_mem",
                              "mem_sys_alloc",           "mem_sys_calloc",           "mem_sys_free",
                              "mem_sys_realloc",         "get_engine_usystem",       "get_engine_ubank"};

constexpr const char *OSWINDOW[] = {
    "oswindow_init",         "oswindow_shutdown",   "oswindow_activate_main_window", "oswindow_process_message_queue",
    "oswindow_is_application_active", "oswindow_is_monitor_active", "oswindow_hold_reactions",
    "oswindow_get_window",   "oswindow_create",     "oswindow_destroy",  "oswindow_attach", "oswindow_detach",
    "oswindow_show",         "oswindow_hide",       "oswindow_set_properties", "oswindow_get_properties",
    "oswindow_move_to",      "oswindow_set_title"};

constexpr const char *SND[] = {
    "_snd_create",        "_snd_create_oneshot", "snd_finish",          "snd_update_state",
    "snd_enforce_attributes", "snd_set_current_tag", "snd_listener",    "snd_rolloff_factor",
    "snd_distance_factor", "snd_def_mm_distances", "snd_get_length",    "snd_get_music_volume",
    "snd_get_sfx_volume", "snd_is_accelerated",  "snd_is_stereo_reversed", "snd_device_count",
    "snd_device_get",     "snd_eval_devicestring", "snd_restart",       "snd_device_info",
    "snd_init_devices",   "snd_shutdown_devices", "snd_device_suspend", "snd_device_revive",
    "snd_device_shutdown", "snd_device_current"};

const std::span<const char *const> GROUPS[GROUP_COUNT] = {CMD_CVAR, INP, HW, SYS, PROCESS, MM, OSWINDOW, SND};

constexpr const char *CALLS[CALL_COUNT] = {
    "process_add", "hw_device_insert", "hw_device_remove", "oswindow_get_window",
    "sys_version", "sys_get_lastdelta", "inp_event",       "cvar_get",
    "cvar_link",   "cvar_unlink",       "snd_is_accelerated", "snd_is_stereo_reversed",
    "sys_fail_run", "_inp_get_trigger_name", "inp_cursor_info", "oswindow_get_properties"};

// The signatures of the calls, taken from the kernel's own declarations.
using process_add_t = decltype(&::process_add);
using hw_device_insert_t = decltype(&::hw_device_insert);
using hw_device_remove_t = decltype(&::hw_device_remove);
using oswindow_get_window_t = decltype(&::oswindow_get_window);
using sys_version_t = decltype(&::sys_version);
using sys_get_lastdelta_t = decltype(&::sys_get_lastdelta);
using inp_event_fn_t = decltype(&::inp_event);
using cvar_get_t = decltype(&::cvar_get);
using cvar_link_t = decltype(&::cvar_link);
using cvar_unlink_t = decltype(&::cvar_unlink);
using snd_is_accelerated_t = decltype(&::snd_is_accelerated);
using snd_is_stereo_reversed_t = decltype(&::snd_is_stereo_reversed);
using sys_fail_run_t = decltype(&::sys_fail_run);
using inp_get_trigger_name_t = decltype(&::_inp_get_trigger_name);
using inp_cursor_info_t = decltype(&::inp_cursor_info);
using oswindow_get_properties_t = decltype(&::oswindow_get_properties);

}  // namespace

std::span<const char *const> kernel_group_names(kernel_group_t group) {
    return group >= 0 && group < GROUP_COUNT ? GROUPS[group] : std::span<const char *const>();
}

const char *kernel_call_name(kernel_call_t call) { return call >= 0 && call < CALL_COUNT ? CALLS[call] : ""; }

bool kernel_links_t::bind(void *host, std::span<const kernel_group_t> groups, std::span<const kernel_call_t> required,
                          const char *tag) {
    clear();
    for (kernel_group_t group : groups) {
        const std::span<const char *const> names = kernel_group_names(group);
        static_assert(sizeof m_names[0] / sizeof m_names[0][0] >= 64);
        for (size_t i = 0; i < names.size() && i < 64; ++i) m_names[group][i] = platform::module_symbol(host, names[i]);
    }
    // A call is what its group bound under its name; a call outside the plug-in's
    // groups stays unbound.
    for (int c = 0; c < CALL_COUNT; ++c) m_calls[c] = address(CALLS[c]);
    bool complete = true;
    for (kernel_call_t c : required) {
        if (m_calls[c]) continue;
        error("[%s] The program does not offer '%s'", tag, CALLS[c]);
        complete = false;
    }
    return complete;
}

void kernel_links_t::clear() {
    memset(m_names, 0, sizeof m_names);
    memset(m_calls, 0, sizeof m_calls);
}

void *kernel_links_t::address(const char *name) const {
    for (int g = 0; g < GROUP_COUNT; ++g) {
        const std::span<const char *const> names = GROUPS[g];
        for (size_t i = 0; i < names.size(); ++i)
            if (strcmp(names[i], name) == 0 && m_names[g][i]) return m_names[g][i];
    }
    return nullptr;
}

void kernel_links_t::set_call(kernel_call_t call, void *function) {
    if (call >= 0 && call < CALL_COUNT) m_calls[call] = function;
}

int kernel_links_t::process_add(vprocess_t *process, int word) const {
    auto f = call<process_add_t>(CALL_PROCESS_ADD);
    return f ? f(process, word) : 0;
}

int kernel_links_t::hw_device_insert(hw_device_t *device) const {
    auto f = call<hw_device_insert_t>(CALL_HW_DEVICE_INSERT);
    return f ? f(device) : -1;
}

int kernel_links_t::hw_device_remove(hw_device_t *device) const {
    auto f = call<hw_device_remove_t>(CALL_HW_DEVICE_REMOVE);
    return f ? f(device) : -1;
}

oswindow_record_t *kernel_links_t::oswindow_get_window(int type) const {
    auto f = call<oswindow_get_window_t>(CALL_OSWINDOW_GET_WINDOW);
    return f ? f(type) : nullptr;
}

void kernel_links_t::sys_version(int *system, int *major, int *minor) const {
    if (auto f = call<sys_version_t>(CALL_SYS_VERSION)) {
        f(system, major, minor);
        return;
    }
    if (system) *system = 0;
    if (major) *major = 0;
    if (minor) *minor = 0;
}

double kernel_links_t::sys_get_lastdelta() const {
    auto f = call<sys_get_lastdelta_t>(CALL_SYS_GET_LASTDELTA);
    return f ? f() : 0.0;
}

void kernel_links_t::inp_event(const inp_event_t *event) const {
    if (auto f = call<inp_event_fn_t>(CALL_INP_EVENT)) f(event);
}

cvar_t *kernel_links_t::cvar_get(const char *name) const {
    auto f = call<cvar_get_t>(CALL_CVAR_GET);
    return f ? f(name) : nullptr;
}

void kernel_links_t::cvar_link(cvar_t *variable, cvar_t *target) const {
    if (auto f = call<cvar_link_t>(CALL_CVAR_LINK)) f(variable, target);
}

void kernel_links_t::cvar_unlink(cvar_t *variable) const {
    if (auto f = call<cvar_unlink_t>(CALL_CVAR_UNLINK)) f(variable);
}

bool kernel_links_t::snd_is_accelerated() const {
    auto f = call<snd_is_accelerated_t>(CALL_SND_IS_ACCELERATED);
    return f && f();
}

bool kernel_links_t::snd_is_stereo_reversed() const {
    auto f = call<snd_is_stereo_reversed_t>(CALL_SND_IS_STEREO_REVERSED);
    return f && f();
}

void kernel_links_t::sys_fail_run() const {
    if (auto f = call<sys_fail_run_t>(CALL_SYS_FAIL_RUN)) f();
}

inp_trigger_t *kernel_links_t::inp_get_trigger_name(const char *name) const {
    auto f = call<inp_get_trigger_name_t>(CALL_INP_GET_TRIGGER_NAME);
    return f ? f(name) : nullptr;
}

void kernel_links_t::inp_cursor_info(float *x, float *y) const {
    if (auto f = call<inp_cursor_info_t>(CALL_INP_CURSOR_INFO)) {
        f(x, y);
        return;
    }
    if (x) *x = 0.0f;
    if (y) *y = 0.0f;
}

void kernel_links_t::oswindow_get_properties(oswindow_record_t *window, int *width, int *height) const {
    if (auto f = call<oswindow_get_properties_t>(CALL_OSWINDOW_GET_PROPERTIES)) {
        f(window, width, height);
        return;
    }
    if (width) *width = 0;
    if (height) *height = 0;
}

}  // namespace quarn::plugin
