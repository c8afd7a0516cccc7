#pragma once
// The EGL display that off-screen OpenGL opens on, shared by the graphics probe and
// the off-screen surfaces: Mesa's surfaceless platform where the client offers it (no
// display server, no device files needed), else the default display. Internal to the
// platform layer.
#include <EGL/egl.h>

namespace quarn::platform {

// The display (EGL_NO_DISPLAY when none); surfaceless tells which one it is.
EGLDisplay egl_offscreen_display(bool *surfaceless);

}  // namespace quarn::platform
