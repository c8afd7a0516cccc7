// Reads arbitrary bytes as a font file: the definition reader, then the font reader
// over the pool. A font that reads must have glyphs and lines of a finite size above
// 0 and a finite spacing of 0 or more.
#include <cmath>
#include <cstdint>
#include <cstdlib>

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
    return 0;
}
