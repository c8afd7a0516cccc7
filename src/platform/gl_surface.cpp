#include "platform/gl_surface.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <SDL.h>

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/egl_display.h"

namespace quarn::platform {

struct gl_surface_tag_t {
    bool window = false;
    // A window's context.
    SDL_Window *sdl_window = nullptr;
    SDL_GLContext sdl_context = nullptr;
    // An off-screen context.
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface pbuffer = EGL_NO_SURFACE;
};

namespace {

char last_error[256] = "";

void set_error(const char *what, const char *detail) {
    snprintf(last_error, sizeof last_error, "%s%s%s", what, detail && *detail ? ": " : "", detail ? detail : "");
}

// Gives back what a failed off-screen open got so far.
gl_surface_t fail_offscreen(gl_surface_t s, const char *what) {
    char detail[32];
    snprintf(detail, sizeof detail, "EGL error 0x%04X", unsigned(eglGetError()));
    set_error(what, detail);
    if (s->context != EGL_NO_CONTEXT) eglDestroyContext(s->display, s->context);
    if (s->pbuffer != EGL_NO_SURFACE) eglDestroySurface(s->display, s->pbuffer);
    if (s->display != EGL_NO_DISPLAY) eglTerminate(s->display);
    eglReleaseThread();
    delete s;
    return nullptr;
}

// The display's start ahead of the first off-screen open (gl_offscreen_prepare).
// Initialising a display that is up already does nothing more, so the open then finds
// it ready; one that failed fails the open's own start again, with its own error.
class display_start_t {
public:
    ~display_start_t() { wait(); }

    void start() {
        if (m_started) return;
        m_started = true;
        // The thread takes no signal: they are the main thread's (SIGINT runs "quit").
        sigset_t all, old;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &old);
        m_running = pthread_create(&m_thread, nullptr, run, nullptr) == 0;
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
    }

    void wait() {
        if (!m_running) return;
        pthread_join(m_thread, nullptr);
        m_running = false;
    }

private:
    static void *run(void *) {
        bool surfaceless = false;
        const EGLDisplay display = egl_offscreen_display(&surfaceless);
        EGLint major = 0, minor = 0;
        if (display != EGL_NO_DISPLAY) eglInitialize(display, &major, &minor);
        eglReleaseThread();
        return nullptr;
    }

    pthread_t m_thread{};
    bool m_started = false;
    bool m_running = false;
};

display_start_t display_start;

}  // namespace

void gl_offscreen_prepare() {
    if (window_system_without_display()) display_start.start();
}

bool gl_windows_supported() {
    const char *driver = window_driver_name();
    return *driver && strcmp(driver, "offscreen") != 0 && strcmp(driver, "dummy") != 0;
}

gl_surface_t gl_surface_open_window(window_t window) {
    if (!window || !gl_windows_supported()) {
        set_error("no window on a display", nullptr);
        return nullptr;
    }
    SDL_Window *w = reinterpret_cast<SDL_Window *>(window);
    if (!(SDL_GetWindowFlags(w) & SDL_WINDOW_OPENGL)) {
        set_error("the window was made without OpenGL", nullptr);
        return nullptr;
    }
    SDL_GLContext context = SDL_GL_CreateContext(w);
    if (!context) {
        set_error("SDL_GL_CreateContext", SDL_GetError());
        return nullptr;
    }
    gl_surface_t s = new (std::nothrow) gl_surface_tag_t;
    if (!s) {
        SDL_GL_DeleteContext(context);
        set_error("out of memory", nullptr);
        return nullptr;
    }
    s->window = true;
    s->sdl_window = w;
    s->sdl_context = context;
    last_error[0] = 0;
    return s;
}

gl_surface_t gl_surface_open_offscreen() {
    display_start.wait();
    gl_surface_t s = new (std::nothrow) gl_surface_tag_t;
    if (!s) {
        set_error("out of memory", nullptr);
        return nullptr;
    }
    bool surfaceless = false;
    s->display = egl_offscreen_display(&surfaceless);
    if (s->display == EGL_NO_DISPLAY) return fail_offscreen(s, "eglGetPlatformDisplay");
    EGLint major = 0, minor = 0;
    if (!eglInitialize(s->display, &major, &minor)) {
        s->display = EGL_NO_DISPLAY;  // never came up: nothing to terminate
        return fail_offscreen(s, "eglInitialize");
    }
    if (!eglBindAPI(EGL_OPENGL_API)) return fail_offscreen(s, "eglBindAPI");
    const EGLint config_attribs[] = {EGL_SURFACE_TYPE, surfaceless ? 0 : EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                     EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglChooseConfig(s->display, config_attribs, &config, 1, &configs) || configs < 1)
        return fail_offscreen(s, "eglChooseConfig");
    if (!surfaceless) {
        const EGLint pbuffer_attribs[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
        s->pbuffer = eglCreatePbufferSurface(s->display, config, pbuffer_attribs);
        if (s->pbuffer == EGL_NO_SURFACE) return fail_offscreen(s, "eglCreatePbufferSurface");
    }
    const EGLint context_attribs[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                      EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    s->context = eglCreateContext(s->display, config, EGL_NO_CONTEXT, context_attribs);
    if (s->context == EGL_NO_CONTEXT) return fail_offscreen(s, "eglCreateContext");
    if (!eglMakeCurrent(s->display, s->pbuffer, s->pbuffer, s->context)) return fail_offscreen(s, "eglMakeCurrent");
    last_error[0] = 0;
    return s;
}

void gl_surface_close(gl_surface_t s) {
    if (!s) return;
    if (s->window) {
        SDL_GL_MakeCurrent(s->sdl_window, nullptr);
        SDL_GL_DeleteContext(s->sdl_context);
    } else {
        eglMakeCurrent(s->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(s->display, s->context);
        if (s->pbuffer != EGL_NO_SURFACE) eglDestroySurface(s->display, s->pbuffer);
        // The display stays initialised: it is the process's one EGL display, and
        // terminating it would unload the driver with what the driver keeps for the
        // process (which the leak checker could then no longer tell for the driver's).
        eglReleaseThread();
    }
    delete s;
}

bool gl_surface_make_current(gl_surface_t s) {
    if (!s) return false;
    if (s->window) return SDL_GL_MakeCurrent(s->sdl_window, s->sdl_context) == 0;
    return eglMakeCurrent(s->display, s->pbuffer, s->pbuffer, s->context) == EGL_TRUE;
}

bool gl_surface_is_window(gl_surface_t s) { return s && s->window; }

void gl_surface_swap(gl_surface_t s) {
    if (s && s->window) SDL_GL_SwapWindow(s->sdl_window);
}

bool gl_surface_set_swap_interval(gl_surface_t s, int interval) {
    if (!s || !s->window) return false;
    return SDL_GL_SetSwapInterval(interval) == 0;
}

bool gl_surface_window_size(gl_surface_t s, int *width, int *height) {
    if (!s || !s->window) return false;
    SDL_GL_GetDrawableSize(s->sdl_window, width, height);
    return true;
}

const char *gl_surface_error() { return last_error; }

}  // namespace quarn::platform
