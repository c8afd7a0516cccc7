#pragma once
// The kernel functions a device plug-in binds. A plug-in never links the game
// program: at load time it looks every name of its groups up in the program's module,
// group by group in the order the plug-in gives, and keeps the addresses. Names the
// plug-in only keeps may be missing; a missing name the plug-in calls fails the
// binding, naming the export.
//
// Each plug-in owns one kernel_links_t: the table holds no state shared between
// plug-ins, so both can live in one process (and in one test program).
#include <cstdint>
#include <span>

#include "kernel/console/cvars.h"
#include "kernel/hw_devices.h"
#include "kernel/input/input.h"
#include "kernel/oswindow.h"
#include "kernel/process_table.h"
#include "kernel/sound/sound.h"
#include "kernel/sys.h"

namespace quarn::plugin {

// The groups of exports, each a fixed list of names in binding order.
enum kernel_group_t : int {
    GROUP_CMD_CVAR,
    GROUP_INP,
    GROUP_HW,
    GROUP_SYS,
    GROUP_PROCESS,
    GROUP_MM,
    GROUP_OSWINDOW,
    GROUP_SND,
    GROUP_COUNT
};

// The exports the plug-ins call; every other name of the groups is only kept.
enum kernel_call_t : int {
    CALL_PROCESS_ADD,
    CALL_HW_DEVICE_INSERT,
    CALL_HW_DEVICE_REMOVE,
    CALL_OSWINDOW_GET_WINDOW,
    CALL_SYS_VERSION,
    CALL_SYS_GET_LASTDELTA,
    CALL_INP_EVENT,
    CALL_CVAR_GET,
    CALL_CVAR_LINK,
    CALL_CVAR_UNLINK,
    CALL_SND_IS_ACCELERATED,
    CALL_SND_IS_STEREO_REVERSED,
    CALL_SYS_FAIL_RUN,
    CALL_INP_GET_TRIGGER_NAME,
    CALL_INP_CURSOR_INFO,
    CALL_OSWINDOW_GET_PROPERTIES,
    CALL_COUNT
};

// The names of a group, in binding order.
std::span<const char *const> kernel_group_names(kernel_group_t group);
// The export name of a call.
const char *kernel_call_name(kernel_call_t call);

class kernel_links_t {
public:
    // Looks up every name of the groups, in the order given, in host and keeps each
    // address (null for a name the host lacks). Each call in `required` must resolve:
    // a missing one is logged as "[tag] The program does not offer '<name>'" and makes
    // the result false (the other names are still bound).
    bool bind(void *host, std::span<const kernel_group_t> groups, std::span<const kernel_call_t> required,
              const char *tag);
    // Forgets every address.
    void clear();

    // The kept address of an export by name; null when not bound.
    void *address(const char *name) const;
    // Replaces the address of a call; tests put their own functions there.
    void set_call(kernel_call_t call, void *function);
    bool has_call(kernel_call_t call) const { return m_calls[call] != nullptr; }

    // The calls. Each answers as the kernel would for "nothing there" when it is not
    // bound: 0, -1, null or false, and does nothing else.
    int process_add(vprocess_t *process, int word) const;
    int hw_device_insert(hw_device_t *device) const;
    int hw_device_remove(hw_device_t *device) const;
    oswindow_record_t *oswindow_get_window(int type) const;
    void sys_version(int *system, int *major, int *minor) const;
    double sys_get_lastdelta() const;
    void inp_event(const inp_event_t *event) const;
    cvar_t *cvar_get(const char *name) const;
    void cvar_link(cvar_t *variable, cvar_t *target) const;
    void cvar_unlink(cvar_t *variable) const;
    bool snd_is_accelerated() const;
    bool snd_is_stereo_reversed() const;
    void sys_fail_run() const;
    inp_trigger_t *inp_get_trigger_name(const char *name) const;
    // 0, 0 when not bound.
    void inp_cursor_info(float *x, float *y) const;
    // 0 by 0 when not bound.
    void oswindow_get_properties(oswindow_record_t *window, int *width, int *height) const;

private:
    template <class F>
    F call(kernel_call_t c) const {
        return reinterpret_cast<F>(m_calls[c]);
    }

    // Every name of every group, bound or not, in the order of the groups' lists.
    void *m_names[GROUP_COUNT][64] = {};
    void *m_calls[CALL_COUNT] = {};
};

}  // namespace quarn::plugin
