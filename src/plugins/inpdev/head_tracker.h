#pragma once
// The head tracker: the vendor's client library, found through the settings store
// and loaded at run time, polled once per input frame for six head axes (yaw, pitch,
// roll, X, Y, Z). The client's functions are bound by name; each call answers true
// exactly when the function exists and returns 0. docs/formats/head-tracker.md holds
// the functions and the data record the client fills.
#include <cstdint>

#include "plugins/inpdev/settings_source.h"
#include "plugins/kernel_links.h"
#include "qrncore/system/host_object.h"

namespace quarn::inpdev {

// Where the client's folder is kept, and the client's file name in it.
constexpr const char *TRACKER_KEY = "Software\\NaturalPoint\\NATURALPOINT\\NPClient Location";
constexpr const char *TRACKER_VALUE = "Path";
constexpr const char *TRACKER_CLIENT = "NPClient.so";
// Polls without a new frame after which the tracker counts as inactive.
constexpr uint32_t TRACKER_IDLE_POLLS = 300;
// The data record's size and the axes asked for (rotations and positions).
constexpr uint32_t TRACKER_RECORD_BYTES = 68;
constexpr uint16_t TRACKER_AXES_MASK = 119;

class head_tracker_t : public host_object_t {
public:
    enum axis_t { YAW, PITCH, ROLL, X, Y, Z, AXIS_COUNT };

    head_tracker_t(const plugin::kernel_links_t &kernel, settings_source_t &settings);
    // Stops the cursor and the data, and lets go of the window. The client stays
    // loaded.
    ~head_tracker_t();
    head_tracker_t(const head_tracker_t &) = delete;
    head_tracker_t &operator=(const head_tracker_t &) = delete;

    // Loads the client, registers the application window and the profile, asks for
    // the axes and starts the data; false (logged, except for a missing setting or a
    // cursor that does not start) at the first step that fails.
    bool init(uint16_t profile_id);
    // Takes the client's newest frame, if there is one.
    void poll();
    bool is_active() const { return m_idle_polls < TRACKER_IDLE_POLLS; }
    // The axis's value, 1.0 for the client's full scale; 0.0 outside the six axes.
    float axis(int index) const;
    // Starts / stops the data; a failure is logged. The tracker is kept either way.
    void enable();
    void disable();

private:
    struct client_t {
        int (*register_window_handle)(void *window);
        int (*unregister_window_handle)();
        int (*register_program_profile_id)(uint16_t id);
        int (*query_version)(uint16_t *version);
        int (*request_data)(uint16_t mask);
        int (*get_data)(uint8_t *record);
        int (*start_cursor)();
        int (*stop_cursor)();
        int (*recenter)();
        int (*start_data_transmission)();
        int (*stop_data_transmission)();
    };

    void bind(void *module);

    const plugin::kernel_links_t &m_kernel;
    settings_source_t &m_settings;
    client_t m_client = {};
    bool m_bound = false;
    float m_axes[AXIS_COUNT] = {};
    uint32_t m_idle_polls = 0;
    uint16_t m_frame = 0;
};

}  // namespace quarn::inpdev
