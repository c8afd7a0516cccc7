#pragma once
// inp_device_t: the base of an input device, a hardware device of class 3 (input). The
// input plug-in derives its device from it and inserts it into the kernel's device
// registry; the kernel's input front-end picks one by name (the variable i_device),
// initialises it, tells it when input is active, lets it read its input once per
// input frame and forwards joystick, force-feedback and head-tracker requests to it.
//
// A device hands every event of the frame to the front-end through post_event, which
// calls the kernel's inp_event. The base answers every request as a device without
// joysticks, force feedback or head tracker would: counts 0, false, -1, 0.0.
#include <cstdint>

#include "kernel/input/inp_event.h"
#include "outside/ctlbase/ctlbase.h"
#include "outside/qrnshared/hw_device.h"

namespace quarn {

class CTLBASE_API inp_device_t : public hw_device_t {
public:
    // Axes a joystick may have (X, Y, Z, their rotations, a slider); -1 means all.
    static constexpr int AXIS_COUNT = 7;

    explicit inp_device_t(const char *device_name);
    ~inp_device_t() override;

    // Input is active (the main window has the focus) or not. The base stores it.
    virtual void set_active(bool active);
    // Reads what happened since the last call and posts it; once per input frame.
    virtual void read_input();

    // Force feedback on joystick `joystick`: an effect of the type, as a handle (-1
    // when none can be made); its parameters (the device's own record); playing it
    // `iterations` times, alone when solo; stopping it.
    virtual int force_create(int joystick, int type);
    virtual void force_destroy(int joystick, int handle);
    virtual bool force_change(int joystick, int handle, const void *parameters);
    virtual bool force_play(int joystick, int handle, uint32_t iterations, uint32_t solo);
    virtual bool force_stop(int joystick, int handle);

    // The joystick's product name / the axis's name into buffer (size bytes, always
    // terminated when size > 0); false for a bad index.
    virtual bool joy_get_name(int joystick, char *buffer, uint32_t size);
    virtual bool joy_get_axis_name(int joystick, int axis, char *buffer, uint32_t size);
    virtual int joy_get_count();
    // The dead zone as a fraction for one axis (0-6) or all (-1); remember keeps it
    // for a later set-up. False for a bad joystick or axis.
    virtual bool joy_set_dead_zone(int joystick, float value, int axis, bool remember);
    virtual float joy_get_dead_zone(int joystick, int axis);
    virtual bool joy_has_force_feedback(int joystick);

    // The head tracker.
    virtual bool trackir_init(void *argument);
    virtual bool trackir_is_present();
    virtual bool trackir_is_active();
    virtual float trackir_get_axis_data(int axis);
    virtual bool trackir_enable();
    virtual bool trackir_disable();

    bool is_active() const { return m_active; }

protected:
    // Hands one event to the kernel's front-end; false when the layer is not bound to
    // a kernel (ctlbase_init) or the event is null.
    bool post_event(const inp_event_t *event) const;

private:
    bool m_active = false;
};

}  // namespace quarn
