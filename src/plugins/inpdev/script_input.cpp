#include "plugins/inpdev/script_input.h"

#include <SDL.h>

#include <cmath>
#include <cstring>

#include "kernel/input/input.h"
#include "platform/files.h"
#include "plugins/inpdev/key_table.h"
#include "plugins/inpdev/plain_device.h"
#include "plugins/inpdev/sdl_input.h"
#include "qrncore/system/messages.h"

namespace quarn::inpdev {

namespace {

// The mouse's data-block button of each script button: the second and third trade
// places on the way to the kernel (the right button is "mouse3").
constexpr uint32_t BUTTON_OF_SCRIPT[SCRIPT_MOUSE_BUTTONS + 1] = {0, 0, 2, 1};

auto_ptr_t<input_playback_t> playback;

int32_t trigger_code(const char *name, const void *context) {
    const inp_trigger_t *t = static_cast<const plugin::kernel_links_t *>(context)->inp_get_trigger_name(name);
    return t ? t->code : -1;
}

// SDL's keyboard and mouse events are nobody's while a script plays: dropped, so
// that they neither pile up nor reach the game.
void drop_sdl_events(Uint32 first, Uint32 last) {
    if (SDL_WasInit(SDL_INIT_EVENTS)) SDL_FlushEvents(first, last);
}

// A device whose items come from the script: acquiring it always works.
class script_device_t : public plain_device_t {
public:
    explicit script_device_t(input_playback_t &playback) : m_playback(playback) {}
    result_t acquire() override {
        m_acquired = true;
        return RESULT_OK;
    }
    result_t unacquire() override {
        m_acquired = false;
        return RESULT_OK;
    }

protected:
    input_playback_t &m_playback;
};

class script_keyboard_t : public script_device_t {
public:
    using script_device_t::script_device_t;
    // Each read is an input frame of the script.
    result_t read_buffered(input_item_t *items, uint32_t *count) override {
        if (!items || !count) return ERR_INVALID_PARAM;
        if (!m_acquired) return ERR_NOT_ACQUIRED;
        drop_sdl_events(SDL_KEYDOWN, SDL_TEXTEDITING_EXT);
        m_playback.next_frame();
        m_playback.take_keyboard(items, count);
        return RESULT_OK;
    }
};

class script_mouse_t : public script_device_t {
public:
    using script_device_t::script_device_t;
    result_t read_buffered(input_item_t *items, uint32_t *count) override {
        if (!items || !count) return ERR_INVALID_PARAM;
        if (!m_acquired) return ERR_NOT_ACQUIRED;
        drop_sdl_events(SDL_MOUSEMOTION, SDL_MOUSEWHEEL);
        m_playback.take_mouse(items, count);
        return RESULT_OK;
    }
};

class script_system_t : public input_system_i {
public:
    script_system_t(input_playback_t &playback, auto_ptr_t<input_system_i> &&joysticks)
        : m_playback(playback), m_joysticks(static_cast<auto_ptr_t<input_system_i> &&>(joysticks)) {}

    result_t create_device(device_kind_t kind, uint32_t id, auto_ptr_t<device_i> &out) override {
        switch (kind) {
            case DEVICE_KEYBOARD: out.reset(new script_keyboard_t(m_playback)); break;
            case DEVICE_MOUSE: out.reset(new script_mouse_t(m_playback)); break;
            case DEVICE_JOYSTICK: return m_joysticks ? m_joysticks->create_device(kind, id, out) : ERR_NOT_FOUND;
        }
        return out ? RESULT_OK : ERR_OUT_OF_MEMORY;
    }
    result_t enum_joysticks(enum_joystick_fn receiver, void *context) override {
        return m_joysticks ? m_joysticks->enum_joysticks(receiver, context) : RESULT_OK;
    }

private:
    input_playback_t &m_playback;
    auto_ptr_t<input_system_i> m_joysticks;
};

// The whole file, at most SCRIPT_MAX_BYTES; false (logged) when it cannot be read.
bool read_file(const char *path, array_dyn_t<char> &text) {
    platform::native_file_t file;
    if (!file.open(path, platform::FILE_READ | platform::FILE_DISK_ONLY)) {
        error("[inpdev] %s: the input script cannot be opened", path);
        return false;
    }
    const int64_t size = file.size();
    if (size < 0) {
        error("[inpdev] %s: the input script cannot be read", path);
        return false;
    }
    if (uint64_t(size) > SCRIPT_MAX_BYTES) {
        error("[inpdev] %s: the input script is larger than %u bytes", path, uint32_t(SCRIPT_MAX_BYTES));
        return false;
    }
    if (!text.set_size(uint32_t(size))) {
        error("[inpdev] %s: no memory for the input script", path);
        return false;
    }
    if (size > 0 && !file.read_at(text.get_data(), size_t(size), 0)) {
        error("[inpdev] %s: the input script cannot be read", path);
        return false;
    }
    return true;
}

}  // namespace

// ---- the playback ----

void input_playback_t::queue_t::push(uint32_t offset, uint32_t data) {
    if (!items.append(input_item_t{offset, data})) error("[inpdev] No memory for an item of the input script - it is lost");
}

void input_playback_t::queue_t::take(input_item_t *out, uint32_t *count) {
    uint32_t n = 0;
    while (n < *count && !is_empty()) out[n++] = items[first++];
    *count = n;
    if (is_empty()) {
        items.clear();
        first = 0;
    }
}

input_playback_t::input_playback_t(input_script_t &&script, const plugin::kernel_links_t &kernel)
    : m_script(static_cast<input_script_t &&>(script)), m_kernel(kernel) {}

void input_playback_t::next_frame() {
    ++m_frame;
    while (m_next < m_script.count() && m_script.get(m_next).frame <= m_frame) play(m_script.get(m_next++));
}

void input_playback_t::take_keyboard(input_item_t *items, uint32_t *count) { m_keyboard.take(items, count); }

void input_playback_t::take_mouse(input_item_t *items, uint32_t *count) { m_mouse.take(items, count); }

bool input_playback_t::finished() const {
    return m_next == m_script.count() && m_keyboard.is_empty() && m_mouse.is_empty();
}

void input_playback_t::play(const script_line_t &line) {
    switch (line.action) {
        case SCRIPT_KEY:
            m_keyboard.push(scan_of_key_code(uint32_t(line.x)), line.down ? ITEM_PRESSED : 0u);
            break;
        case SCRIPT_BUTTON:
            m_mouse.push(MOUSE_BUTTON_0 + BUTTON_OF_SCRIPT[line.x], line.down ? ITEM_PRESSED : 0u);
            break;
        case SCRIPT_MOVE:
            if (line.x) m_mouse.push(MOUSE_X, uint32_t(line.x));
            if (line.y) m_mouse.push(MOUSE_Y, uint32_t(line.y));
            break;
        case SCRIPT_POINT: point(line.ui_x, line.ui_y); break;
    }
}

void input_playback_t::point(float ui_x, float ui_y) {
    // The kernel keeps the cursor in pixels from the top left corner of the main
    // window and reports it as -1..1 with y upward; the user interface spans it with
    // its 1024 x 768 units, y upward.
    int width = 0, height = 0;
    m_kernel.oswindow_get_properties(nullptr, &width, &height);
    const double w = width > 0 ? width : 1, h = height > 0 ? height : 1;
    float cx = 0.0f, cy = 0.0f;
    m_kernel.inp_cursor_info(&cx, &cy);
    double x = (double(cx) + 1.0) * 0.5 * w, y = (1.0 - double(cy)) * 0.5 * h;
    for (uint32_t i = m_mouse.first; i < m_mouse.items.get_count(); ++i) {
        const input_item_t &item = m_mouse.items[i];
        if (item.offset == MOUSE_X) x += int32_t(item.data);
        if (item.offset == MOUSE_Y) y += int32_t(item.data);
    }
    const int64_t dx = std::llround(double(ui_x) / SCRIPT_UI_WIDTH * w - x);
    const int64_t dy = std::llround((1.0 - double(ui_y) / SCRIPT_UI_HEIGHT) * h - y);
    if (dx) m_mouse.push(MOUSE_X, uint32_t(int32_t(dx)));
    if (dy) m_mouse.push(MOUSE_Y, uint32_t(int32_t(dy)));
}

// ---- the plug-in's script ----

bool script_input_start(const char *path, const plugin::kernel_links_t &kernel) {
    playback.reset();
    array_dyn_t<char> text;
    if (!read_file(path, text)) return false;
    input_script_t script;
    mstring_dyn_t reason;
    if (!script.read(text.get_data(), text.get_count(), path, trigger_code, &kernel, reason)) {
        error("[inpdev] %s", reason.c_str());
        return false;
    }
    const uint32_t lines = script.count();
    playback.reset(new input_playback_t(static_cast<input_script_t &&>(script), kernel));
    if (!playback) {
        error("[inpdev] %s: no memory for the input script", path);
        return false;
    }
    message("[inpdev] Keyboard and mouse play the input script '%s' (%u actions).", path, lines);
    return true;
}

void script_input_stop() { playback.reset(); }

input_playback_t *script_input_playback() { return playback.get(); }

result_t script_input_system_create(void *instance, auto_ptr_t<input_system_i> &out) {
    if (!playback) return ERR_GENERIC;
    auto_ptr_t<input_system_i> joysticks;
    if (failed(sdl_input_system_create(instance, joysticks))) joysticks.reset();
    out.reset(new script_system_t(*playback, static_cast<auto_ptr_t<input_system_i> &&>(joysticks)));
    return out ? RESULT_OK : ERR_OUT_OF_MEMORY;
}

}  // namespace quarn::inpdev
