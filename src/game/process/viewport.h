#pragma once
// viewport_t: a rectangle of the screen the game draws in, in pixels with y upward
// (left, right, top, bottom), with the depth planes and field of view of the scene
// drawn there. The game process keeps three: the whole window (the UI), the scene
// (a band of 0.07 × the screen height kept free at the top and at the bottom) and the
// scope (the scene's with the bands scaled by the band factor). Selecting one makes it
// the renderer's current view (r_view_t: y counted down from the top), where the scene
// reads its rectangle.
#include "outside/visbase/render.h"
#include "qrncore/geometry/projection.h"

namespace quarn {

struct viewport_t {
    rectangle_t<float> rect;
    float screen_height = 0.0f;  // to count the view's y from the top
    float near_z = 0.17f;
    float far_z = 1050.0f;
    float fov = 60.0f;

    float width() const { return rect.right - rect.left; }
    float height() const { return rect.top - rect.bottom; }
    // width / height; 1 for a rectangle of no height.
    float aspect() const { return height() > 0.0f ? width() / height() : 1.0f; }
    // The renderer's view of the rectangle (its depth range stays -1..1).
    r_view_t to_view() const;
    // Makes it the current view.
    void select() const { gfx_view_set(to_view()); }
};

// The three viewports of a screen of width × height with the band factor of the scope.
struct viewport_layout_t {
    viewport_t full;
    viewport_t scene;
    viewport_t scope;
    float band = 0.0f;  // 0.07 × height
};
viewport_layout_t layout_viewports(float width, float height, float band_factor);

}  // namespace quarn
