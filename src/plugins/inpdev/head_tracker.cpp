#include "plugins/inpdev/head_tracker.h"

#include <type_traits>

#include "platform/modules.h"
#include "qrncore/spatial/le_bytes.h"
#include "qrncore/system/messages.h"

namespace quarn::inpdev {

namespace {

// A call into the client: false when the function is missing, else whether it
// returned 0.
template <class F, class... A>
bool client_call(F function, A... arguments) {
    return function && function(arguments...) == 0;
}

// The client's unit of full scale.
constexpr float AXIS_SCALE = 1.0f / 16383.0f;

}  // namespace

head_tracker_t::head_tracker_t(const plugin::kernel_links_t &kernel, settings_source_t &settings)
    : m_kernel(kernel), m_settings(settings) {}

head_tracker_t::~head_tracker_t() {
    if (!m_bound) return;
    client_call(m_client.stop_cursor);
    if (!client_call(m_client.stop_data_transmission))
        error("[TrackIR] Unable to stop data transfers from the device.");
    client_call(m_client.unregister_window_handle);
}

void head_tracker_t::bind(void *module) {
    auto get = [module](auto &function, const char *name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(platform::module_symbol(module, name));
    };
    get(m_client.register_window_handle, "NP_RegisterWindowHandle");
    get(m_client.unregister_window_handle, "NP_UnregisterWindowHandle");
    get(m_client.register_program_profile_id, "NP_RegisterProgramProfileID");
    get(m_client.query_version, "NP_QueryVersion");
    get(m_client.request_data, "NP_RequestData");
    get(m_client.get_data, "NP_GetData");
    get(m_client.start_cursor, "NP_StartCursor");
    get(m_client.stop_cursor, "NP_StopCursor");
    get(m_client.recenter, "NP_ReCenter");
    get(m_client.start_data_transmission, "NP_StartDataTransmission");
    get(m_client.stop_data_transmission, "NP_StopDataTransmission");
    m_bound = true;
}

bool head_tracker_t::init(uint16_t profile_id) {
    // The folder as stored, of any length, with the client's name appended as it is.
    mstring_dyn_t path;
    if (!m_settings.read_text(TRACKER_KEY, TRACKER_VALUE, path)) return false;
    if (!path.append(TRACKER_CLIENT)) {
        error("[TrackIR] Out of memory for the client's path.");
        return false;
    }
    void *module = platform::module_open(path.c_str());
    if (!module) {
        error("[TrackIR] Unable to load dll from %s.", path.c_str());
        return false;
    }
    bind(module);

    oswindow_record_t *window = m_kernel.oswindow_get_window(OSWINDOW_SYSTEM);
    if (!window) {
        error("[TrackIR] Unable to get the application window.");
        return false;
    }
    if (!client_call(m_client.register_window_handle, static_cast<void *>(window->handle))) {
        error("[TrackIR] Unable to register the window handle.");
        return false;
    }
    if (!client_call(m_client.request_data, TRACKER_AXES_MASK)) {
        error("[TrackIR] Unable to specify the wanted axes.");
        return false;
    }
    if (!client_call(m_client.register_program_profile_id, profile_id)) {
        error("[TrackIR] Unable to register developer ID");
        return false;
    }
    if (!client_call(m_client.start_data_transmission)) {
        error("[TrackIR] Unable to start data transfers from the device.");
        return false;
    }
    if (!client_call(m_client.start_cursor)) return false;
    uint16_t version = 0;
    if (client_call(m_client.query_version, &version))
        message("[TrackIR] Device initialized. TrackIR software version %u.%02u.", unsigned(version >> 8),
                unsigned(version & 0xFF));
    else
        error("[TrackIR] Unable to retrieve the software version.");
    return true;
}

void head_tracker_t::poll() {
    if (m_idle_polls < TRACKER_IDLE_POLLS) ++m_idle_polls;
    uint8_t record[TRACKER_RECORD_BYTES] = {};
    if (!client_call(m_client.get_data, record)) {
        error("[TrackIR] Unable to get data from the device.");
        return;
    }
    // status (16 bits), frame (16 bits), an I/O word, then roll, pitch, yaw, X, Y, Z
    // and nine values not used.
    const uint16_t status = le_bytes::get_u16(record);
    const uint16_t frame = le_bytes::get_u16(record + 2);
    if (status != 0 || frame == m_frame) return;
    m_frame = frame;
    m_idle_polls = 0;
    m_axes[YAW] = le_bytes::get_f32(record + 16) * AXIS_SCALE;
    m_axes[PITCH] = le_bytes::get_f32(record + 12) * AXIS_SCALE;
    m_axes[ROLL] = le_bytes::get_f32(record + 8) * AXIS_SCALE;
    m_axes[X] = le_bytes::get_f32(record + 20) * AXIS_SCALE;
    m_axes[Y] = le_bytes::get_f32(record + 24) * AXIS_SCALE;
    m_axes[Z] = le_bytes::get_f32(record + 28) * AXIS_SCALE;
}

float head_tracker_t::axis(int index) const { return index >= 0 && index < AXIS_COUNT ? m_axes[index] : 0.0f; }

void head_tracker_t::enable() {
    if (!client_call(m_client.start_data_transmission))
        error("[TrackIR] Unable to start data transfers from the device.");
}

void head_tracker_t::disable() {
    if (!client_call(m_client.stop_data_transmission))
        error("[TrackIR] Unable to stop data transfers from the device.");
}

}  // namespace quarn::inpdev
