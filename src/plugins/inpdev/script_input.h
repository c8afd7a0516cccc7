#pragma once
// Playing an input script (input_script.h) through the input layer: test support
// that lets a run of the game be driven as a user drives it, the same on every run.
// When FERNWOLD_INPUT_SCRIPT names a file, the plug-in reads it at registration and
// its device is made on the script's input system: keyboard and mouse items come from
// the script instead of SDL (whose keyboard and mouse events are dropped), joysticks
// from SDL as ever. The items take the device's whole road to the kernel (events,
// triggers, bindings, impulses, key records for the user interface).
//
// Input frames are the keyboard's reads: the device reads the keyboard first in each
// of its updates, so the n-th update plays the lines of frame n. The playback outlives
// the devices, so a shutdown and a new start of the device (a change of video mode)
// go on where the script stood.
#include <cstdint>

#include "plugins/inpdev/input_api.h"
#include "plugins/inpdev/input_script.h"
#include "plugins/kernel_links.h"

namespace quarn::inpdev {

// The environment variable that names the script.
constexpr const char INPUT_SCRIPT_VARIABLE[] = "FERNWOLD_INPUT_SCRIPT";

class input_playback_t : public host_object_t {
public:
    // kernel: the plug-in's bindings, asked for the cursor and the window's size.
    input_playback_t(input_script_t &&script, const plugin::kernel_links_t &kernel);

    // The next input frame: the lines of every frame up to it become waiting items.
    void next_frame();
    // Take up to *count waiting items, oldest first; *count becomes the number taken.
    void take_keyboard(input_item_t *items, uint32_t *count);
    void take_mouse(input_item_t *items, uint32_t *count);

    uint32_t frame() const { return m_frame; }
    // True once every line was played and every item taken.
    bool finished() const;

private:
    struct queue_t {
        array_dyn_t<input_item_t> items;
        uint32_t first = 0;
        void push(uint32_t offset, uint32_t data);
        void take(input_item_t *out, uint32_t *count);
        bool is_empty() const { return first == items.get_count(); }
    };

    void play(const script_line_t &line);
    // The movement of the mouse that takes the kernel's cursor to a place in UI units,
    // counting what waits to be taken.
    void point(float ui_x, float ui_y);

    input_script_t m_script;
    const plugin::kernel_links_t &m_kernel;
    uint32_t m_next = 0;
    uint32_t m_frame = 0;
    queue_t m_keyboard, m_mouse;
};

// Reads the script at path (a path of the operating system; a relative one is taken
// from the program's folder, where the kernel works) and makes it the one the script's
// input system plays. False when it cannot be read or has a bad line: the reason is
// logged as "[inpdev] file:line: what is wrong" and no script is kept.
bool script_input_start(const char *path, const plugin::kernel_links_t &kernel);
// Forgets the script.
void script_input_stop();
// The script being played; null without one.
input_playback_t *script_input_playback();

// The input system of the script: a keyboard and a mouse that play it and SDL's
// joysticks (none when SDL's joysticks cannot start). ERR_GENERIC without a script.
result_t script_input_system_create(void *instance, auto_ptr_t<input_system_i> &out);

}  // namespace quarn::inpdev
