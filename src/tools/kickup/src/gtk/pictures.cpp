#include "pictures.h"

#include <gdk/gdk.h>

#include <algorithm>
#include <cmath>

namespace quarn::kickup {

namespace {

// Dusk over rolling hills with a line of pines: the scene both pictures share, in a
// unit square scaled to the target.
void draw_scene(cairo_t *cr, double w, double h) {
    cairo_pattern_t *sky = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.10, 0.16, 0.30);
    cairo_pattern_add_color_stop_rgb(sky, 0.7, 0.85, 0.55, 0.30);
    cairo_set_source(cr, sky);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);

    const double hills[][3] = {{0.62, 0.08, 0.22}, {0.72, 0.06, 0.14}, {0.82, 0.04, 0.09}};
    for (int i = 0; i < 3; ++i) {
        cairo_set_source_rgb(cr, hills[i][1], hills[i][2] * 0.9 + 0.05, hills[i][1]);
        cairo_move_to(cr, 0, h);
        for (int x = 0; x <= 40; ++x) {
            const double fx = x / 40.0;
            cairo_line_to(cr, fx * w, h * (hills[i][0] + 0.05 * std::sin(fx * 6.3 * (i + 1) + i)));
        }
        cairo_line_to(cr, w, h);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 0.02, 0.06, 0.03);
    for (int t = 0; t < 14; ++t) {
        const double x = w * (0.04 + t * 0.07), base = h * 0.88, top = h * (0.66 + 0.04 * std::sin(t * 1.7));
        cairo_move_to(cr, x - w * 0.02, base);
        cairo_line_to(cr, x, top);
        cairo_line_to(cr, x + w * 0.02, base);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
}

void draw_title(cairo_t *cr, double w, double h, double size) {
    cairo_select_font_face(cr, "Serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, "Harlstock 3D", &ext);
    const double x = (w - ext.width) / 2 - ext.x_bearing, y = h * 0.42;
    cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
    cairo_move_to(cr, x + 2, y + 2);
    cairo_show_text(cr, "Harlstock 3D");
    cairo_set_source_rgb(cr, 0.98, 0.92, 0.75);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, "Harlstock 3D");
}

}  // namespace

void draw_banner(cairo_t *cr, int width, int height) {
    draw_scene(cr, width, height);
    draw_title(cr, width, height, height * 0.32);
}

void draw_preview(cairo_t *cr, int width, int height) {
    draw_scene(cr, width, height);
    draw_title(cr, width, height, std::max(8.0, width * 0.09));
}

GdkPixbuf *make_icon(int size) {
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t *cr = cairo_create(surface);
    cairo_arc(cr, size / 2.0, size / 2.0, size / 2.0 - 1, 0, 2 * M_PI);
    cairo_clip(cr);
    draw_scene(cr, size, size);
    cairo_destroy(cr);
    GdkPixbuf *icon = gdk_pixbuf_get_from_surface(surface, 0, 0, size, size);
    cairo_surface_destroy(surface);
    return icon;
}

}  // namespace quarn::kickup
