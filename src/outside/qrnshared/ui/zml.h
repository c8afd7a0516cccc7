#pragma once
// The text layer: UI markup (docs/formats/zml.md) laid out into items over a
// fixed-width glyph model, so that every size and every clipping is an exact number.
// A font is glyph width, line height and line spacing in reference units
// (docs/formats/font.md); an image takes its material's "size" (0 x 0 without one).
//
// Use: zml_set_bounds(rect), zml_render(text), zml_buffer_get(&buffer); then, when
// drawing, zml_buffer_flush(buffer, queue) or zml_colormod(buffer, tint, queue) put
// one 2D record per item into a render queue.
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/ui/ui_types.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class c_item_t;
class def_pool_t;
class material_t;
struct r_queue_t;

// The packing of the tint: alpha << 24 | blue << 16 | green << 8 | red.
constexpr uint32_t ZML_WHITE = 0xFFFFFFFFu;
constexpr uint32_t ZML_YELLOW = 0xFF00FFFFu;
constexpr uint32_t ZML_RED = 0xFF0000FFu;
constexpr uint32_t ZML_GREEN = 0xFF00FF00u;

// The path of the font texts use unless a font tag names another.
inline constexpr const char *ZML_DEFAULT_FONT = "/system/font/default.font";

// The room for a glyph atlas's path in a font, its terminating zero included.
constexpr uint32_t ZML_ATLAS_PATH_SIZE = 128;

// A font: fixed-width glyphs, and the glyph atlas the renderer draws them from.
struct zml_font_t {
    float glyph_width = 8.0f;  // every character is this wide
    float line_height = 16.0f;
    float spacing = 0.0f;      // added between two lines
    // The atlas texture's virtual path; empty when the font has no atlas.
    char atlas[ZML_ATLAS_PATH_SIZE] = {};
    float atlas_scale = 0.0f;      // texels per reference unit
    uint32_t atlas_padding = 0;    // empty texels on every side of a cell
    uint32_t atlas_chars[8] = {};  // bit c % 32 of word c / 32: the atlas holds character c
};

// Reads a font from a pool read from a ".font" file: false, logged as
// "[zml] file:line: what is wrong", without a "font" object or with a bad value.
QRNSHARED_API bool zml_font_parse(const def_pool_t &pool, const char *path, zml_font_t *out);

// The cell grid of a glyph atlas (docs/formats/font.md): 16 columns by 16 rows, the
// character of code c in column c % 16 and row c / 16 counted from the top. Each cell
// is one character's glyph_width x line_height times the atlas scale, in texels, with
// `padding` empty texels on every side, so cells never bleed into each other under
// linear filtering. Cell 0 (a code no text shows) holds the box drawn for characters
// the atlas lacks.
constexpr uint32_t ZML_ATLAS_COLUMNS = 16;
constexpr uint32_t ZML_ATLAS_BOX = 0;
// The largest cell side and padding a font may ask for, in texels: the whole atlas
// stays within 16 * (128 + 2 * 32) = 3072 texels a side.
constexpr uint32_t ZML_ATLAS_CELL_MAX = 128;
constexpr uint32_t ZML_ATLAS_PADDING_MAX = 32;

struct zml_atlas_layout_t {
    uint32_t cell_width = 0;   // texels
    uint32_t cell_height = 0;  // texels
    uint32_t padding = 0;      // texels on every side of a cell

    uint32_t stride_x() const { return cell_width + 2 * padding; }
    uint32_t stride_y() const { return cell_height + 2 * padding; }
    // The whole atlas, in texels.
    uint32_t width() const { return ZML_ATLAS_COLUMNS * stride_x(); }
    uint32_t height() const { return ZML_ATLAS_COLUMNS * stride_y(); }
    // The top left texel of the cell of code (0-255), the atlas's top row being y 0.
    uint32_t cell_x(uint8_t code) const { return (code % ZML_ATLAS_COLUMNS) * stride_x() + padding; }
    uint32_t cell_y(uint8_t code) const { return (code / ZML_ATLAS_COLUMNS) * stride_y() + padding; }
};

// The layout of the font's atlas; false (out untouched) when the font has none.
QRNSHARED_API bool zml_atlas_layout(const zml_font_t &font, zml_atlas_layout_t *out);
// True when the font's atlas holds a glyph for the character.
inline bool zml_atlas_has(const zml_font_t &font, uint8_t code) {
    return (font.atlas_chars[code / 32] >> (code % 32) & 1u) != 0;
}

struct zml_item_t {
    enum kind_t : uint8_t { GLYPHS = 0, IMAGE = 1 };
    enum flag_t : uint8_t {
        CLIPPED = 0x1,  // not wholly inside the bounds it was laid out in
        HIDDEN = 0x2,   // not drawn (set by callers)
    };

    kind_t kind = GLYPHS;
    uint8_t flags = 0;
    ui_rect_t rect;                            // where the item lies, without the buffer's position
    float uv[4] = {0.0f, 1.0f, 0.0f, 1.0f};    // images: u from, u to, v from, v to (v 0 at the top)
    uint32_t colour = ZML_WHITE;
    // Glyph runs: the index of the first character in the text the markup shows (tags,
    // escapes and keys do not count) and the number of characters; images -1 and 0.
    int32_t first_char = -1;
    uint32_t char_count = 0;
    float glyph_width = 0.0f;  // glyph runs: the width of one character
    mstring_dyn_t text;        // glyph runs: the characters
    mstring_dyn_t source;      // the font's path (glyph runs) or the material's (images)
};

// A rendered text: items in layout order, and a position added to every item.
class QRNSHARED_API zml_buffer_t {
public:
    zml_buffer_t() = default;
    zml_buffer_t(const zml_buffer_t &o) { copy_from(o); }
    zml_buffer_t &operator=(const zml_buffer_t &o) {
        if (this != &o) copy_from(o);
        return *this;
    }
    zml_buffer_t(zml_buffer_t &&) = default;

    uint32_t count() const { return m_items.get_count(); }
    // Item i (below count) as laid out; rect(i) adds the position.
    const zml_item_t &get(uint32_t i) const { return m_items[i]; }
    zml_item_t &get(uint32_t i) { return m_items[i]; }
    ui_rect_t rect(uint32_t i) const;
    // The union of the items that are not hidden, with the position; false (out
    // untouched) when there is none.
    bool get_bounds(ui_rect_t &out) const;
    // The position added to every item; offset adds to it.
    void set_position(float x, float y) {
        m_x = x;
        m_y = y;
    }
    void offset(float dx, float dy) {
        m_x += dx;
        m_y += dy;
    }
    float get_x() const { return m_x; }
    float get_y() const { return m_y; }
    // Becomes a copy of other (items and position). False when memory runs out (the
    // buffer is then empty).
    bool copy_from(const zml_buffer_t &other);
    // Appends other's items, moved by the difference of the two positions so that they
    // stay where they are on screen.
    bool append(const zml_buffer_t &other);
    // Empties the buffer and puts its position at 0, 0.
    void reset();
    // True when an item was clipped.
    bool is_clipped() const;
    // The characters of every glyph run, in order (for tests and logs).
    bool text(mstring_t &out) const;

    // Used by the layout.
    zml_item_t *add() { return m_items.append(zml_item_t()); }

private:
    array_dyn_t<zml_item_t> m_items;
    float m_x = 0.0f;
    float m_y = 0.0f;
};

// Starts the layer. Fonts and materials are loaded when a text first asks for them
// (the game starts the layer before its data is mounted). Safe to call again.
QRNSHARED_API bool zml_init();
// Lets go of every font and material the layer holds and leaves localized mode.
QRNSHARED_API void zml_shutdown();
// In localized mode "@@key@@" in a text is replaced by its translation (lcl.h)
// before the markup is read. Returns the former mode.
QRNSHARED_API bool zml_localized(bool localized);
QRNSHARED_API bool zml_is_localized();

// The rectangle texts are laid out in (reference units); the whole reference screen
// until set.
QRNSHARED_API void zml_set_bounds(const ui_rect_t &bounds);
QRNSHARED_API const ui_rect_t &zml_get_bounds();
// Lays the markup out in the bounds into the layer's result. False only when memory
// runs out; bad markup is shown as text.
QRNSHARED_API bool zml_render(const char *text);
// Copies the last result into out (position 0, 0).
QRNSHARED_API bool zml_buffer_get(zml_buffer_t *out);
// zml_set_bounds, zml_render and zml_buffer_get in one.
QRNSHARED_API bool zml_render_to(zml_buffer_t &out, const char *text, const ui_rect_t &bounds);

// One 2D record per item that is not hidden into the queue, with the buffer's
// position. The records refer to the buffer's texts: the buffer must stay unchanged
// until the queue is flushed. zml_colormod multiplies every item's colour by the tint
// channel by channel (ZML_WHITE changes nothing).
QRNSHARED_API void zml_buffer_flush(const zml_buffer_t &buffer, r_queue_t *queue);
QRNSHARED_API void zml_colormod(const zml_buffer_t &buffer, uint32_t tint, r_queue_t *queue);
// Two packed colours multiplied channel by channel (each product / 255, truncated).
QRNSHARED_API uint32_t zml_colour_multiply(uint32_t a, uint32_t b);

// The font of that path, loaded through the memory manager as a "font" resource and
// kept until zml_shutdown; null (logged once) when it cannot be loaded.
QRNSHARED_API const zml_font_t *zml_get_font(const char *path);
// The font texts use without a font tag: the default font, or the built-in glyph
// model (8 x 16, no spacing) when that cannot be loaded.
QRNSHARED_API const zml_font_t &zml_default_font();
// The "size" of the material of that path (0 x 0 when it has none or cannot be
// loaded); the material is kept until zml_shutdown.
QRNSHARED_API void zml_material_size(const char *path, float *width, float *height);
// The record of an image's material that the layer holds (laid out before), for the
// renderer that draws the image; null when the layer holds no such loaded material.
QRNSHARED_API const material_t *zml_material(const char *path);

}  // namespace quarn
