#include "platform/gl_probe.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstring>

#include "platform/egl_display.h"

namespace quarn::platform {

namespace {

using get_string_fn = const unsigned char *(*)(unsigned);
using get_integer_fn = void (*)(unsigned, int *);
using get_error_fn = unsigned (*)();

struct probe_t {
    bool open = false;
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
    get_string_fn get_string = nullptr;
    get_integer_fn get_integer = nullptr;
    get_error_fn get_error = nullptr;
};

probe_t probe;

// Gives back whatever the failed open got so far.
gl_probe_status_t fail(gl_probe_status_t status) {
    if (probe.context != EGL_NO_CONTEXT) eglDestroyContext(probe.display, probe.context);
    if (probe.surface != EGL_NO_SURFACE) eglDestroySurface(probe.display, probe.surface);
    if (probe.display != EGL_NO_DISPLAY) eglTerminate(probe.display);
    eglReleaseThread();
    probe = probe_t{};
    return status;
}

}  // namespace

gl_probe_status_t gl_probe_open() {
    if (probe.open) return GL_PROBE_BUSY;
    probe = probe_t{};
    bool surfaceless = false;
    probe.display = egl_offscreen_display(&surfaceless);
    if (probe.display == EGL_NO_DISPLAY) return fail(GL_PROBE_NO_DISPLAY);
    EGLint major = 0, minor = 0;
    if (!eglInitialize(probe.display, &major, &minor)) {
        // Nothing to terminate: the display never came up.
        probe.display = EGL_NO_DISPLAY;
        return fail(GL_PROBE_NO_INITIALIZE);
    }
    if (!eglBindAPI(EGL_OPENGL_API)) return fail(GL_PROBE_NO_CONTEXT);
    const EGLint config_attribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglChooseConfig(probe.display, config_attribs, &config, 1, &configs) || configs < 1)
        return fail(GL_PROBE_NO_CONTEXT);
    if (!surfaceless) {
        const EGLint pbuffer_attribs[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
        probe.surface = eglCreatePbufferSurface(probe.display, config, pbuffer_attribs);
        if (probe.surface == EGL_NO_SURFACE) return fail(GL_PROBE_NO_CONTEXT);
    }
    probe.context = eglCreateContext(probe.display, config, EGL_NO_CONTEXT, nullptr);
    if (probe.context == EGL_NO_CONTEXT) return fail(GL_PROBE_NO_CONTEXT);
    if (!eglMakeCurrent(probe.display, probe.surface, probe.surface, probe.context)) return fail(GL_PROBE_NO_CURRENT);
    probe.get_string = reinterpret_cast<get_string_fn>(eglGetProcAddress("glGetString"));
    probe.get_integer = reinterpret_cast<get_integer_fn>(eglGetProcAddress("glGetIntegerv"));
    probe.get_error = reinterpret_cast<get_error_fn>(eglGetProcAddress("glGetError"));
    if (!probe.get_string || !probe.get_integer || !probe.get_error) {
        eglMakeCurrent(probe.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        return fail(GL_PROBE_NO_CURRENT);
    }
    probe.open = true;
    return GL_PROBE_OK;
}

void gl_probe_close() {
    if (!probe.open) return;
    eglMakeCurrent(probe.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    fail(GL_PROBE_OK);
}

bool gl_probe_is_open() { return probe.open; }

const char *gl_probe_failed_call(gl_probe_status_t status) {
    switch (status) {
        case GL_PROBE_NO_DISPLAY: return "eglGetPlatformDisplay";
        case GL_PROBE_NO_INITIALIZE: return "eglInitialize";
        case GL_PROBE_NO_CONTEXT: return "eglCreateContext";
        case GL_PROBE_NO_CURRENT: return "eglMakeCurrent";
        default: return "";
    }
}

const char *gl_probe_string(uint32_t name) {
    if (!probe.open) return "";
    const unsigned char *s = probe.get_string(name);
    return s ? reinterpret_cast<const char *>(s) : "";
}

bool gl_probe_integer(uint32_t enumerant, int32_t *value) {
    if (!probe.open) return false;
    // Older errors would be taken for this query's.
    for (int i = 0; i < 16 && probe.get_error() != 0; ++i) {
    }
    // Some enumerants answer several values (a viewport's four): room for all.
    int values[16] = {};
    probe.get_integer(enumerant, values);
    if (probe.get_error() != 0) return false;
    *value = values[0];
    return true;
}

}  // namespace quarn::platform
