// Lays arbitrary bytes out as UI markup. The first byte chooses localized mode (keys
// translate to texts that are markup of their own) and the bounds; the rest is the
// text. Without a memory manager the layer uses its built-in glyph model and images
// measure 0 x 0, so every input runs through the reader and the layout alone. What a
// layout must hold: finite rectangles in order (left <= right, bottom <= top), glyph
// runs as long as their text, no more characters than the text has, and one 2D
// record per visible item.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "outside/qrnshared/r_queue.h"
#include "outside/qrnshared/ui/lcl.h"
#include "outside/qrnshared/ui/zml.h"
#include "qrncore/system/messages.h"

namespace {

class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

const char *translate(const char *key) {
    if (strcmp(key, "a") == 0) return "<ret>\\y@@b@@<align hstyle=center vstyle=bottom>";
    if (strcmp(key, "b") == 0) return "</align><verbatim>";
    return nullptr;
}

bool finite(const quarn::ui_rect_t &r) {
    return std::isfinite(r.left) && std::isfinite(r.right) && std::isfinite(r.top) && std::isfinite(r.bottom);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static quiet_t quiet;
    static quarn::r_queue_t *queue = quarn::gfx_queue_alloc();
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
    text = text.c_str();  // the layer reads up to the first zero byte
    quarn::lcl_set_callback(&translate);
    quarn::zml_localized(mode & 1);
    const quarn::ui_rect_t bounds = (mode & 2) ? quarn::ui_rect_t{0, 0, 0, 0} : quarn::ui_rect_t{10, 200, 300, 40};
    quarn::zml_buffer_t buffer;
    if (!quarn::zml_render_to(buffer, text.c_str(), bounds)) return 0;
    uint32_t chars = 0, visible = 0;
    for (uint32_t i = 0; i < buffer.count(); ++i) {
        const quarn::zml_item_t &item = buffer.get(i);
        if (!finite(item.rect) || item.rect.left > item.rect.right || item.rect.bottom > item.rect.top) abort();
        if (item.kind == quarn::zml_item_t::GLYPHS) {
            if (item.char_count != item.text.length() || item.first_char != int32_t(chars)) abort();
            chars += item.char_count;
        }
        visible += !(item.flags & quarn::zml_item_t::HIDDEN);
    }
    // Translations may add characters: keys are bounded by what the callback gives.
    if (!(mode & 1) && chars > text.size()) abort();
    quarn::zml_buffer_flush(buffer, queue);
    if (queue->ui_records.get_count() != visible) abort();
    quarn::gfx_queue_flush(queue);
    // The layer keeps what it could not load (fonts, materials) by path: let go.
    quarn::zml_shutdown();
    return 0;
}
