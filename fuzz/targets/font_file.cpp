// Reads arbitrary bytes as a font file: the definition reader, then the font reader
// over the pool. A font that reads must have glyphs and lines of a finite size above
// 0 and a finite spacing of 0 or more; with an atlas, a path from the root that ends
// within its room, cells of 1 to ZML_ATLAS_CELL_MAX whole texels, a padding within
// its bound and printable characters only.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/ui/zml.h"
#include "qrncore/system/messages.h"

namespace {

class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static quiet_t quiet;
    quarn::def_pool_t pool;
    if (!pool.read_text(reinterpret_cast<const char *>(data), size, "/fuzz/test.font")) return 0;
    quarn::zml_font_t font;
    if (!quarn::zml_font_parse(pool, "/fuzz/test.font", &font)) return 0;
    if (!(font.glyph_width > 0.0f) || !(font.line_height > 0.0f) || !(font.spacing >= 0.0f) ||
        !std::isfinite(font.glyph_width) || !std::isfinite(font.line_height) || !std::isfinite(font.spacing))
        abort();
    quarn::zml_atlas_layout_t layout;
    if (!quarn::zml_atlas_layout(font, &layout)) {
        for (uint32_t word : font.atlas_chars)
            if (word) abort();
        return 0;
    }
    if (font.atlas[0] != '/' || !memchr(font.atlas, 0, sizeof font.atlas)) abort();
    if (layout.cell_width < 1 || layout.cell_width > quarn::ZML_ATLAS_CELL_MAX || layout.cell_height < 1 ||
        layout.cell_height > quarn::ZML_ATLAS_CELL_MAX || layout.padding > quarn::ZML_ATLAS_PADDING_MAX)
        abort();
    if (float(layout.cell_width) != font.glyph_width * font.atlas_scale ||
        float(layout.cell_height) != font.line_height * font.atlas_scale)
        abort();
    bool any = false;
    for (uint32_t code = 0; code < 256; ++code) {
        const bool has = quarn::zml_atlas_has(font, uint8_t(code));
        if (has && code < 0x20) abort();
        any = any || has;
    }
    if (!any) abort();
    return 0;
}
