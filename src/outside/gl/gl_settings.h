#pragma once
// The renderer's settings and its once-only messages: "r_vsync" (default 1: a window's
// frames wait for the display's vertical blank; 0: they do not), registered while the
// plug-in is loaded and stored with the other variables.
namespace quarn::gl {

// Registers / unregisters the renderer's variables with the kernel.
void gl_settings_register();
void gl_settings_unregister();
bool gl_vsync_wanted();
// A material's render state that the renderer does not know: logged once a key and
// value.
void gl_tell_unknown_render_state(const char *key, const char *value);

}  // namespace quarn::gl
