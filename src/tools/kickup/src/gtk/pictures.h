#pragma once
// The launcher's pictures, drawn rather than loaded: the dialog's banner, the
// screensaver preview and the window icon.
#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

namespace quarn::kickup {

// The banner above the dialog's tabs, filling width x height.
void draw_banner(cairo_t *cr, int width, int height);
// The screensaver's preview, stretched over width x height.
void draw_preview(cairo_t *cr, int width, int height);
// The window icon at a size; the caller owns the result.
GdkPixbuf *make_icon(int size);

}  // namespace quarn::kickup
