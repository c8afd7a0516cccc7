#include "platform/egl_display.h"

#include <EGL/eglext.h>

#include <cstring>

namespace quarn::platform {

namespace {

// True when word stands whole in the blank-separated list.
bool has_word(const char *list, const char *word) {
    if (!list) return false;
    const size_t n = strlen(word);
    for (const char *p = list; (p = strstr(p, word)) != nullptr; p += n) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[n] == 0 || p[n] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

}  // namespace

EGLDisplay egl_offscreen_display(bool *surfaceless) {
    const char *client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    *surfaceless = has_word(client, "EGL_MESA_platform_surfaceless");
    return *surfaceless ? eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                        : eglGetDisplay(EGL_DEFAULT_DISPLAY);
}

}  // namespace quarn::platform
