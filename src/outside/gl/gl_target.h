#pragma once
// Where "lib/gl" draws: an OpenGL 3.3 core context on the game's window, whose frames
// are swapped to the screen, or, without a display (or a window that takes no
// context), an off-screen context drawing into a framebuffer object of the mode's
// size (colour and depth). The drawing is the same either way; only the frame buffer
// bound and what a swap does differ.
#include <cstdint>

#include "outside/gl/gl_api.h"
#include "outside/gl/gl_renderer.h"
#include "platform/gl_surface.h"

namespace quarn::gl {

class gl_target_t : public gl_frame_t {
public:
    ~gl_target_t() override { close(); }

    // A context on the window when it takes one, else off-screen; false (the reason
    // in why) when OpenGL 3.3 is to be had neither way.
    bool open(platform::window_t window, mstring_t &why);
    void close();
    bool is_open() const { return m_surface != nullptr; }
    bool on_window() const { return m_window != nullptr; }
    platform::window_t window() const { return m_window; }
    // The off-screen frame buffer of that size (made again when the size changes);
    // nothing on a window. False when the framebuffer object is incomplete.
    bool resize(int32_t width, int32_t height);
    bool make_current();

    void frame_size(int32_t *width, int32_t *height) const override;
    void bind_frame() override;
    // width x height pixels at (x, y) from the frame's bottom left: RGB, bottom row
    // first.
    bool read(void *rgb, int32_t x, int32_t y, int32_t width, int32_t height);
    void swap();
    void set_vsync(bool on);

private:
    platform::gl_surface_t m_surface = nullptr;
    platform::window_t m_window = nullptr;
    GLuint m_framebuffer = 0;
    GLuint m_colour = 0;
    GLuint m_depth = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int m_vsync = -1;
};

}  // namespace quarn::gl
