#include "game/process/viewport.h"

namespace quarn {

namespace {

constexpr float BAND_SHARE = 0.07f;

}  // namespace

r_view_t viewport_t::to_view() const {
    r_view_t view;
    view.x = rect.left;
    view.y = screen_height - rect.top;
    view.width = width();
    view.height = height();
    return view;
}

viewport_layout_t layout_viewports(float width, float height, float band_factor) {
    viewport_layout_t l;
    l.band = BAND_SHARE * height;
    l.scene.rect = {0.0f, width, height - l.band, l.band};
    l.scene.screen_height = height;
    l.full = l.scene;
    l.full.rect.top = height;
    l.full.rect.bottom = 0.0f;
    l.scope = l.scene;
    l.scope.rect.top = height - l.band * band_factor;
    l.scope.rect.bottom = l.band * band_factor;
    return l;
}

}  // namespace quarn
