#pragma once
// OpenGL for the renderer plug-in: libepoxy finds every function for the context that
// is current (GLX on a desktop window, EGL off-screen), so the plug-in never loads a
// function itself.
#include <epoxy/gl.h>
