#pragma once
// The resource class of fonts ("font"): loading reads the item's ".font" file and
// puts its zml_font_t into item memory.
#include "outside/qrnshared/api.h"
#include "outside/qrnshared/resource_unit.h"

namespace quarn {

struct zml_font_t;

class QRNSHARED_API zml_font_u : public resource_unit_u {
    QRN_UNIT_CLASS(zml_font_u, resource_unit_u);

public:
    // False (logged) when the file does not read as a font.
    bool load_memory() override;
};

// The path of a font zml_get_font gave (the default font's path for any other).
const char *zml_font_path(const zml_font_t *font);
// Lets go of the fonts and materials the text layer keeps (zml_shutdown).
void zml_release_resources();

}  // namespace quarn
