#include "platform/window.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/gl_surface.h"

namespace quarn::platform {

namespace {

int start_count = 0;
// A focus change gives two events (the window's and the application's); the second
// waits here for the next call.
window_event_t pending;
bool has_pending = false;

SDL_Window *sdl(window_t w) { return start_count > 0 ? reinterpret_cast<SDL_Window *>(w) : nullptr; }

// Bits a pixel takes in memory: SDL names 4-byte pixels with 24 colour bits "24".
int storage_bits(Uint32 format) {
    const int bytes = int(SDL_BYTESPERPIXEL(format));
    return bytes > 0 ? bytes * 8 : int(SDL_BITSPERPIXEL(format));
}

bool has_display() {
    const char *x = getenv("DISPLAY");
    const char *wl = getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wl && *wl);
}

bool try_driver(const char *driver) {
    if (driver) SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
    return SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
}

// Latin-1 characters of a UTF-8 text, at most 3; others are skipped.
void latin1_append(char *out, const char *utf8) {
    size_t n = strlen(out);
    const auto *p = reinterpret_cast<const unsigned char *>(utf8);
    while (*p && n < 3) {
        unsigned c = *p++;
        if (c >= 0x80) {
            if ((c & 0xE0) != 0xC0 || (*p & 0xC0) != 0x80) {
                while ((*p & 0xC0) == 0x80) ++p;  // a longer sequence: not Latin-1
                continue;
            }
            c = ((c & 0x1F) << 6) | (*p++ & 0x3F);
            if (c > 0xFF) continue;
        }
        out[n++] = char(c);
    }
    out[n] = 0;
}

unsigned modifiers_of(Uint16 mod) {
    unsigned m = 0;
    if (mod & KMOD_SHIFT) m |= WINDOW_MOD_SHIFT;
    if (mod & KMOD_CTRL) m |= WINDOW_MOD_CONTROL;
    if (mod & KMOD_LALT) m |= WINDOW_MOD_LEFT_ALT;
    return m;
}

// Translates one SDL event; false for events that are not ours to report.
bool translate(const SDL_Event &e, window_event_t *out) {
    *out = window_event_t{};
    switch (e.type) {
        case SDL_WINDOWEVENT: {
            out->window = reinterpret_cast<window_t>(SDL_GetWindowFromID(e.window.windowID));
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE: out->type = WINDOW_EVENT_CLOSE; return true;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    out->type = WINDOW_EVENT_ACTIVATE;
                    out->active = e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
                    pending = *out;
                    pending.type = WINDOW_EVENT_APP_ACTIVATE;
                    has_pending = true;
                    return true;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    out->type = WINDOW_EVENT_SIZE;
                    out->width = e.window.data1;
                    out->height = e.window.data2;
                    return true;
                default: return false;
            }
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            out->window = reinterpret_cast<window_t>(SDL_GetWindowFromID(e.key.windowID));
            out->type = e.type == SDL_KEYDOWN ? WINDOW_EVENT_KEY_DOWN : WINDOW_EVENT_KEY_UP;
            out->scan = keyboard_scan_code(e.key.keysym.scancode, &out->extended);
            out->repeat = e.key.repeat != 0;
            out->modifiers = modifiers_of(e.key.keysym.mod);
            if (e.type == SDL_KEYDOWN) {
                // The characters the key produced follow it in the queue.
                SDL_Event next;
                while (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 &&
                       next.type == SDL_TEXTINPUT) {
                    SDL_PeepEvents(&next, 1, SDL_GETEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT);
                    latin1_append(out->text, next.text.text);
                }
            }
            return out->scan != 0;
        }
        case SDL_MOUSEMOTION:
            out->window = reinterpret_cast<window_t>(SDL_GetWindowFromID(e.motion.windowID));
            out->type = WINDOW_EVENT_MOUSE_MOVE;
            out->x = e.motion.x;
            out->y = e.motion.y;
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            out->window = reinterpret_cast<window_t>(SDL_GetWindowFromID(e.button.windowID));
            out->type = e.type == SDL_MOUSEBUTTONDOWN ? WINDOW_EVENT_BUTTON_DOWN : WINDOW_EVENT_BUTTON_UP;
            switch (e.button.button) {
                case SDL_BUTTON_LEFT: out->button = 0; return true;
                case SDL_BUTTON_MIDDLE: out->button = 1; return true;
                case SDL_BUTTON_RIGHT: out->button = 2; return true;
                default: return false;
            }
        }
        case SDL_MOUSEWHEEL:
            out->window = reinterpret_cast<window_t>(SDL_GetWindowFromID(e.wheel.windowID));
            out->type = WINDOW_EVENT_WHEEL;
            out->wheel = e.wheel.y * 120 * (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1);
            return true;
        default:
            // SDL_QUIT follows the close event of the last window and duplicates it;
            // stop requests from outside come to the program as signals.
            return false;
    }
}

// PC keyboard set 1 scan codes by USB HID usage id; 0x80 marks the extended prefix.
// Pause and Num Lock are swapped against the prefix as the keyboard sends them, and
// Print Screen is its Alt+SysRq code, as the engine's input layer expects them.
unsigned char scan_table[232];

void fill_scan_table() {
    static bool filled = false;
    if (filled) return;
    filled = true;
    const unsigned char letters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                       0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    for (int i = 0; i < 26; ++i) scan_table[4 + i] = letters[i];
    for (int i = 0; i < 10; ++i) scan_table[30 + i] = static_cast<unsigned char>(0x02 + i);  // 1..9, 0
    const struct {
        int usage;
        unsigned char scan;
    } keys[] = {
        {40, 0x1C},  {41, 0x01},  {42, 0x0E},  {43, 0x0F},  {44, 0x39},  {45, 0x0C},  {46, 0x0D},  {47, 0x1A},
        {48, 0x1B},  {49, 0x2B},  {50, 0x2B},  {51, 0x27},  {52, 0x28},  {53, 0x29},  {54, 0x33},  {55, 0x34},
        {56, 0x35},  {57, 0x3A},  {58, 0x3B},  {59, 0x3C},  {60, 0x3D},  {61, 0x3E},  {62, 0x3F},  {63, 0x40},
        {64, 0x41},  {65, 0x42},  {66, 0x43},  {67, 0x44},  {68, 0x57},  {69, 0x58},  {70, 0x54},  {71, 0x46},
        {72, 0x45},  {73, 0xD2},  {74, 0xC7},  {75, 0xC9},  {76, 0xD3},  {77, 0xCF},  {78, 0xD1},  {79, 0xCD},
        {80, 0xCB},  {81, 0xD0},  {82, 0xC8},  {83, 0xC5},  {84, 0xB5},  {85, 0x37},  {86, 0x4A},  {87, 0x4E},
        {88, 0x9C},  {89, 0x4F},  {90, 0x50},  {91, 0x51},  {92, 0x4B},  {93, 0x4C},  {94, 0x4D},  {95, 0x47},
        {96, 0x48},  {97, 0x49},  {98, 0x52},  {99, 0x53},  {100, 0x56}, {101, 0xDD}, {103, 0x8D}, {104, 0x64},
        {105, 0x65}, {106, 0x66}, {224, 0x1D}, {225, 0x2A}, {226, 0x38}, {227, 0xDB}, {228, 0x9D}, {229, 0x36},
        {230, 0xB8}, {231, 0xDC},
    };
    for (const auto &k : keys) scan_table[k.usage] = k.scan;
}

}  // namespace

int keyboard_scan_code(int usb_usage, bool *extended) {
    fill_scan_table();
    const unsigned code = usb_usage >= 0 && usb_usage < int(sizeof scan_table) ? scan_table[usb_usage] : 0;
    if (extended) *extended = code & 0x80;
    return int(code & 0x7F);
}

bool window_system_start() {
    if (start_count > 0) {
        ++start_count;
        return true;
    }
    // Signals are the program's own business, and closing the last window is
    // reported as its close event only.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    bool ok = false;
    // Without a display the default would try the console's graphics devices; the
    // off-screen driver runs everything unchanged, the dummy one is the last resort.
    if (!window_system_without_display()) ok = try_driver(nullptr);
    if (!ok) ok = try_driver("offscreen") || try_driver("dummy");
    if (!ok) return false;
    has_pending = false;
    ++start_count;
    return true;
}

void window_system_stop() {
    if (start_count == 0) return;
    if (--start_count > 0) return;
    has_pending = false;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

bool window_system_running() { return start_count > 0; }

bool window_system_without_display() {
    const char *forced = getenv("SDL_VIDEODRIVER");
    return !(forced && *forced) && !has_display();
}

bool display_desktop_mode(int *width, int *height, int *bits, int *refresh) {
    if (!window_system_start()) return false;
    SDL_DisplayMode mode{};
    const bool ok = SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0;
    if (ok) {
        *width = mode.w;
        *height = mode.h;
        *bits = storage_bits(mode.format);
        *refresh = mode.refresh_rate;
    }
    window_system_stop();
    return ok;
}

int display_modes(display_mode_info_t *out, int capacity) {
    if (!window_system_start()) return 0;
    const int listed = SDL_GetNumDisplayModes(0);
    int count = 0;
    for (int i = 0; i < listed; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) != 0 || mode.w <= 0 || mode.h <= 0) continue;
        if (count < capacity) out[count] = {mode.w, mode.h, storage_bits(mode.format), mode.refresh_rate};
        ++count;
    }
    // The off-screen driver lists no sized mode: the desktop is the one it offers.
    if (count == 0) {
        display_mode_info_t desktop;
        if (display_desktop_mode(&desktop.width, &desktop.height, &desktop.bits, &desktop.refresh)) {
            if (capacity > 0) out[0] = desktop;
            count = 1;
        }
    }
    window_system_stop();
    return count;
}

const char *window_driver_name() {
    const char *name = start_count > 0 ? SDL_GetCurrentVideoDriver() : nullptr;
    return name ? name : "";
}

window_t window_create(const char *title, int width, int height, unsigned flags) {
    if (start_count == 0) return nullptr;
    Uint32 sdl_flags = SDL_WINDOW_HIDDEN;
    int x = SDL_WINDOWPOS_UNDEFINED, y = SDL_WINDOWPOS_UNDEFINED;
    if (flags & WINDOW_POPUP) {
        sdl_flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
        x = y = 0;
    } else if (flags & WINDOW_CENTRED) {
        x = y = SDL_WINDOWPOS_CENTERED;
    }
    const int w = width > 0 ? width : 1, h = height > 0 ? height : 1;
    if (gl_windows_supported()) {
        // The pixel format of an OpenGL window is fixed when the window is made: the
        // renderer's context (gl_surface.h) asks for these.
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        if (SDL_Window *gl = SDL_CreateWindow(title ? title : "", x, y, w, h, sdl_flags | SDL_WINDOW_OPENGL))
            return reinterpret_cast<window_t>(gl);
        // A display without OpenGL still shows windows: the renderer draws off-screen.
    }
    return reinterpret_cast<window_t>(SDL_CreateWindow(title ? title : "", x, y, w, h, sdl_flags));
}

void window_destroy(window_t w) {
    if (SDL_Window *s = sdl(w)) SDL_DestroyWindow(s);
}

void window_show(window_t w) {
    if (SDL_Window *s = sdl(w)) SDL_ShowWindow(s);
}

void window_hide(window_t w) {
    if (SDL_Window *s = sdl(w)) SDL_HideWindow(s);
}

void window_minimize(window_t w) {
    if (SDL_Window *s = sdl(w)) SDL_MinimizeWindow(s);
}

void window_maximize(window_t w) {
    if (SDL_Window *s = sdl(w)) SDL_MaximizeWindow(s);
}

bool window_is_minimized(window_t w) {
    SDL_Window *s = sdl(w);
    return s && (SDL_GetWindowFlags(s) & SDL_WINDOW_MINIMIZED);
}

void window_raise(window_t w) {
    if (SDL_Window *s = sdl(w)) SDL_RaiseWindow(s);
}

void window_set_title(window_t w, const char *title) {
    if (SDL_Window *s = sdl(w)) SDL_SetWindowTitle(s, title ? title : "");
}

void window_set_topmost(window_t w, bool topmost) {
    if (SDL_Window *s = sdl(w)) SDL_SetWindowAlwaysOnTop(s, topmost ? SDL_TRUE : SDL_FALSE);
}

void window_set_client_size(window_t w, int width, int height) {
    if (SDL_Window *s = sdl(w)) SDL_SetWindowSize(s, width > 0 ? width : 1, height > 0 ? height : 1);
}

void window_move(window_t w, int x, int y) {
    if (SDL_Window *s = sdl(w)) SDL_SetWindowPosition(s, x, y);
}

void window_centre(window_t w) {
    if (SDL_Window *s = sdl(w)) SDL_SetWindowPosition(s, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

bool window_get_client_size(window_t w, int *width, int *height) {
    SDL_Window *s = sdl(w);
    if (!s) return false;
    SDL_GetWindowSize(s, width, height);
    return true;
}

bool cursor_get_position(window_t w, int *x, int *y) {
    SDL_Window *s = sdl(w);
    if (!s) return false;
    int gx = 0, gy = 0, wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    SDL_GetWindowPosition(s, &wx, &wy);
    if (x) *x = gx - wx;
    if (y) *y = gy - wy;
    return true;
}

void cursor_move(window_t w, int x, int y) {
    if (SDL_Window *s = sdl(w)) SDL_WarpMouseInWindow(s, x, y);
}

void cursor_show(bool show) {
    if (start_count > 0) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void window_capture_mouse(window_t w, bool capture) {
    if (SDL_Window *s = sdl(w)) SDL_SetWindowMouseGrab(s, capture ? SDL_TRUE : SDL_FALSE);
}

bool window_poll_event(window_event_t *event, bool take_input) {
    if (start_count == 0) return false;
    if (has_pending) {
        *event = pending;
        has_pending = false;
        return true;
    }
    SDL_PumpEvents();
    // Window events lie below the keyboard and mouse events; the range taken decides
    // whether those stay for the input device.
    const Uint32 last = take_input ? Uint32(SDL_MOUSEWHEEL) : Uint32(SDL_SYSWMEVENT);
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, last) == 1) {
        if (translate(e, event)) return true;
    }
    return false;
}

}  // namespace quarn::platform
