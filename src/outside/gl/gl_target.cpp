#include "outside/gl/gl_target.h"

namespace quarn::gl {

bool gl_target_t::open(platform::window_t window, mstring_t &why) {
    close();
    if (window) {
        m_surface = platform::gl_surface_open_window(window);
        if (m_surface) m_window = window;
        else why.printf("window: %s; ", platform::gl_surface_error());
    }
    if (!m_surface) m_surface = platform::gl_surface_open_offscreen();
    if (!m_surface) {
        why.printf_append("off-screen: %s", platform::gl_surface_error());
        return false;
    }
    // The programs are GLSL 3.30: an older context draws nothing of them.
    if (epoxy_gl_version() < 33 || !epoxy_is_desktop_gl()) {
        why.printf_append("the context offers OpenGL %d.%d", epoxy_gl_version() / 10, epoxy_gl_version() % 10);
        close();
        return false;
    }
    return true;
}

void gl_target_t::close() {
    if (!m_surface) return;
    platform::gl_surface_make_current(m_surface);
    if (m_framebuffer) glDeleteFramebuffers(1, &m_framebuffer);
    if (m_colour) glDeleteRenderbuffers(1, &m_colour);
    if (m_depth) glDeleteRenderbuffers(1, &m_depth);
    m_framebuffer = m_colour = m_depth = 0;
    m_width = m_height = 0;
    platform::gl_surface_close(m_surface);
    m_surface = nullptr;
    m_window = nullptr;
    m_vsync = -1;
}

bool gl_target_t::make_current() { return platform::gl_surface_make_current(m_surface); }

bool gl_target_t::resize(int32_t width, int32_t height) {
    if (!m_surface || m_window) return true;
    if (m_framebuffer && width == m_width && height == m_height) return true;
    if (!m_framebuffer) {
        glGenFramebuffers(1, &m_framebuffer);
        glGenRenderbuffers(1, &m_colour);
        glGenRenderbuffers(1, &m_depth);
    }
    glBindRenderbuffer(GL_RENDERBUFFER, m_colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, m_depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depth);
    m_width = width;
    m_height = height;
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void gl_target_t::frame_size(int32_t *width, int32_t *height) const {
    int w = m_width, h = m_height;
    if (m_window) platform::gl_surface_window_size(m_surface, &w, &h);
    if (width) *width = w;
    if (height) *height = h;
}

void gl_target_t::bind_frame() {
    glBindFramebuffer(GL_FRAMEBUFFER, m_window ? 0 : m_framebuffer);
    if (m_window) glDrawBuffer(GL_BACK);
}

bool gl_target_t::read(void *rgb, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!m_surface || width <= 0 || height <= 0) return false;
    // Errors of earlier calls would be taken for the read's.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_window ? 0 : m_framebuffer);
    if (m_window) glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return glGetError() == GL_NO_ERROR;
}

void gl_target_t::swap() {
    if (m_window) platform::gl_surface_swap(m_surface);
    else glFlush();
}

void gl_target_t::set_vsync(bool on) {
    if (!m_window || m_vsync == int(on)) return;
    platform::gl_surface_set_swap_interval(m_surface, on ? 1 : 0);
    m_vsync = int(on);
}

}  // namespace quarn::gl
