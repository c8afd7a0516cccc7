#pragma once
// The effect UI materials name: "/effect/ui/ui_flat". The UI's images are drawn as
// 2D records of the text layer, never as prototypes, so its pass binds nothing and
// chooses no queue; the effect exists so that a UI material reads like any other
// (docs/formats/material.md) and loads without complaint. ui_init registers the
// directory "/effect/ui", ui_shutdown forgets it.
#include "outside/qrnshared/api.h"
#include "outside/qrnshared/effect.h"

namespace quarn {

inline constexpr const char *UI_EFFECT_DIRECTORY = "/effect/ui";

class QRNSHARED_API ui_flat_effect_u : public effect_u {
    QRN_UNIT_CLASS(ui_flat_effect_u, effect_u);

public:
    // "default": a pass without bindings or queue; null for any other name.
    owner_ptr_ret_t<effect_pass_u> create_pass(const char *name) override;
};

}  // namespace quarn
