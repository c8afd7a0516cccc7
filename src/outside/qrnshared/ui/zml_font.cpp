// Fonts ("font" resources, docs/formats/font.md) and the sizes of UI materials, each
// kept by the text layer from its first use until zml_shutdown.
#include <charconv>
#include <cmath>
#include <cstring>

#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/ui/zml.h"
#include "outside/qrnshared/ui/zml_font_unit.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(zml_font_u, "font");

namespace {

struct font_entry_t : host_object_t {
    mstring_dyn_t path;
    c_item_t *item = nullptr;  // counted
    zml_font_t font;
    bool ok = false;
};

struct material_entry_t : host_object_t {
    mstring_dyn_t path;
    c_item_t *item = nullptr;  // counted
    float width = 0.0f;
    float height = 0.0f;
};

// Entries are allocated one by one: layouts hold pointers to fonts while they read
// further font tags, which add entries.
array_dyn_t<font_entry_t *> *fonts = nullptr;
array_dyn_t<material_entry_t *> *materials = nullptr;

const zml_font_t BUILT_IN{8.0f, 16.0f, 0.0f};

const char *const FONT_KEYS[] = {"glyph_width", "line_height", "spacing",      "atlas",
                                 "atlas_scale", "atlas_padding", "atlas_chars"};

// What an atlas holds when its font lists no characters: every printable character
// of Latin-1, the character set of UI texts (docs/formats/font.md).
const char DEFAULT_ATLAS_CHARS[] = "0x20-0x7E 0xA0-0xFF";

// The line a key was read on (the block's when the key is inherited or missing).
uint32_t line_of(const def_obj_t *f, const char *key) {
    for (const def_value_t *v = f->get_first_value(); v; v = v->get_next())
        if (strcmp(v->get_key(), key) == 0) return v->get_line();
    return f->get_line();
}

bool read_metric(const def_obj_t *f, const char *path, const char *key, bool required, bool zero_ok, float &out) {
    if (!f->get_value(key)) {
        if (!required) return true;
        error("[zml] %s:%u: the font has no \"%s\"", path, f->get_line(), key);
        return false;
    }
    float v = 0.0f;
    if (!f->get_real(key, v)) return false;
    if (!std::isfinite(v) || v < 0.0f || (!zero_ok && v == 0.0f)) {
        error("[zml] %s:%u: \"%s\" must be a finite number %s", path, line_of(f, key), key,
              zero_ok ? "of 0 or more" : "above 0");
        return false;
    }
    out = v;
    return true;
}

// A character code of an atlas list: decimal or "0x" hexadecimal, filling [b, e).
bool parse_code(const char *b, const char *e, uint32_t &out) {
    int base = 10;
    if (e - b > 2 && b[0] == '0' && (b[1] == 'x' || b[1] == 'X')) {
        b += 2;
        base = 16;
    }
    if (b == e) return false;
    const auto r = std::from_chars(b, e, out, base);
    return r.ec == std::errc() && r.ptr == e;
}

// Sets the bits of the codes listed in text: codes and ranges "A-B" parted by blanks,
// each code from 0x20 to 0xFF (lower codes are never glyphs, and code 0's cell holds
// the box).
bool read_chars(const char *text, const char *path, uint32_t line, uint32_t chars[8]) {
    bool any = false;
    for (const char *p = text; *p;) {
        if (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') {
            ++p;
            continue;
        }
        const char *word = p;
        while (*p && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') ++p;
        const char *dash = word + 1;  // a range's dash never comes first
        while (dash < p && *dash != '-') ++dash;
        uint32_t first = 0, last = 0;
        const bool read = parse_code(word, dash, first) && (dash == p ? (last = first, true)
                                                                        : parse_code(dash + 1, p, last));
        if (!read || first < 0x20 || last > 0xFF || first > last) {
            error("[zml] %s:%u: \"atlas_chars\": '%.*s' is not a character code or range from 0x20 to 0xFF", path,
                  line, int(p - word), word);
            return false;
        }
        for (uint32_t c = first; c <= last; ++c) chars[c / 32] |= 1u << (c % 32);
        any = true;
    }
    if (!any) error("[zml] %s:%u: \"atlas_chars\" lists no character", path, line);
    return any;
}

// The atlas keys: the path, a scale that makes the cells whole texels, the padding
// and the characters.
bool read_atlas(const def_obj_t *f, const char *path, zml_font_t &font) {
    const char *atlas = f->get_value("atlas");
    if (!atlas) {
        for (const char *key : {"atlas_scale", "atlas_padding", "atlas_chars"})
            if (f->get_value(key)) {
                error("[zml] %s:%u: \"%s\" needs an \"atlas\"", path, line_of(f, key), key);
                return false;
            }
        return true;
    }
    const size_t length = strlen(atlas);
    if (atlas[0] != '/' || length >= ZML_ATLAS_PATH_SIZE) {
        error("[zml] %s:%u: \"atlas\" must be a path from the root of at most %u characters", path,
              line_of(f, "atlas"), ZML_ATLAS_PATH_SIZE - 1);
        return false;
    }
    memcpy(font.atlas, atlas, length + 1);
    if (!read_metric(f, path, "atlas_scale", true, false, font.atlas_scale)) return false;
    const float cells[2] = {font.glyph_width * font.atlas_scale, font.line_height * font.atlas_scale};
    for (float texels : cells)
        if (texels != std::floor(texels) || texels < 1.0f || texels > float(ZML_ATLAS_CELL_MAX)) {
            error("[zml] %s:%u: \"atlas_scale\" must make the glyph width and line height whole numbers of texels "
                  "from 1 to %u",
                  path, line_of(f, "atlas_scale"), ZML_ATLAS_CELL_MAX);
            return false;
        }
    if (f->get_value("atlas_padding")) {
        int32_t padding = 0;
        if (!f->get_int("atlas_padding", padding)) return false;
        if (padding < 0 || uint32_t(padding) > ZML_ATLAS_PADDING_MAX) {
            error("[zml] %s:%u: \"atlas_padding\" must be a whole number of texels from 0 to %u", path,
                  line_of(f, "atlas_padding"), ZML_ATLAS_PADDING_MAX);
            return false;
        }
        font.atlas_padding = uint32_t(padding);
    }
    return read_chars(f->get_dvalue("atlas_chars", DEFAULT_ATLAS_CHARS), path, line_of(f, "atlas_chars"),
                      font.atlas_chars);
}

}  // namespace

bool zml_font_parse(const def_pool_t &pool, const char *path, zml_font_t *out) {
    const def_obj_t *f = pool.find("font");
    if (!f) {
        error("[zml] %s: no \"font\" block", path);
        return false;
    }
    bool ok = true;
    for (const def_value_t *v = f->get_first_value(); v; v = v->get_next()) {
        bool known = false;
        for (const char *k : FONT_KEYS) known = known || strcmp(k, v->get_key()) == 0;
        if (!known) {
            error("[zml] %s:%u: unknown key '%s' in the font", path, v->get_line(), v->get_key());
            ok = false;
        }
    }
    if (f->get_first_child()) {
        error("[zml] %s:%u: a font holds no blocks", path, f->get_first_child()->get_line());
        ok = false;
    }
    zml_font_t font;
    font.spacing = 0.0f;
    ok = read_metric(f, path, "glyph_width", true, false, font.glyph_width) && ok;
    ok = read_metric(f, path, "line_height", true, false, font.line_height) && ok;
    ok = read_metric(f, path, "spacing", false, true, font.spacing) && ok;
    // The atlas's cells follow from the metrics: read it only when they are sound.
    ok = ok && read_atlas(f, path, font);
    if (ok) *out = font;
    return ok;
}

bool zml_atlas_layout(const zml_font_t &font, zml_atlas_layout_t *out) {
    if (!font.atlas[0]) return false;
    out->cell_width = uint32_t(font.glyph_width * font.atlas_scale);
    out->cell_height = uint32_t(font.line_height * font.atlas_scale);
    out->padding = font.atlas_padding;
    return true;
}

bool zml_font_u::load_memory() {
    c_item_t *item = get_item();
    if (!item || !item->manager) return false;
    if (item->has(c_item_t::MEMORY_VALID)) return true;
    def_pool_t pool;
    if (!pool.read_from(item->get_name(), FS_REALM_VIRTUAL)) return false;
    zml_font_t font;
    if (!zml_font_parse(pool, item->get_name(), &font)) return false;
    void *data = item->manager->allocate_item_memory(item, sizeof font);
    if (!data) {
        error("[zml] No memory for the font '%s'", item->get_name());
        return false;
    }
    memcpy(data, &font, sizeof font);
    return true;
}

const zml_font_t *zml_get_font(const char *path) {
    if (!path || !*path) return nullptr;
    if (fonts)
        for (font_entry_t *e : *fonts)
            if (e->path == path) return e->ok ? &e->font : nullptr;
    if (!fonts) fonts = new array_dyn_t<font_entry_t *>;
    font_entry_t *e = new font_entry_t;
    if (!fonts || !e || !fonts->append(e)) {
        delete e;
        error("[zml] No memory to keep the font '%s'", path);
        return nullptr;
    }
    e->path = path;
    // A font that cannot be had is asked for once: the failure is kept too.
    const kernel_links_t &k = qrnshared_kernel();
    if (!k.mm_obtain_resource) {
        error("[zml] No memory manager to load the font '%s' from", path);
        return nullptr;
    }
    e->item = k.mm_obtain_resource(QS_MM_NAMED_LOAD_REF, path, &zml_font_u::unit_descriptor, 0);
    if (!e->item || !e->item->data || e->item->size < sizeof(zml_font_t)) {
        error("[zml] Failed to load the font '%s'", path);
        return nullptr;
    }
    memcpy(&e->font, e->item->data, sizeof e->font);
    e->ok = true;
    return &e->font;
}

const char *zml_font_path(const zml_font_t *font) {
    if (fonts)
        for (font_entry_t *e : *fonts)
            if (&e->font == font) return e->path.c_str();
    return ZML_DEFAULT_FONT;
}

const zml_font_t &zml_default_font() {
    const zml_font_t *f = zml_get_font(ZML_DEFAULT_FONT);
    return f ? *f : BUILT_IN;
}

void zml_material_size(const char *path, float *width, float *height) {
    float w = 0.0f, h = 0.0f;
    material_entry_t *found = nullptr;
    if (materials)
        for (material_entry_t *e : *materials)
            if (e->path == path) found = e;
    if (!found && path && *path) {
        if (!materials) materials = new array_dyn_t<material_entry_t *>;
        material_entry_t *e = new material_entry_t;
        if (materials && e && materials->append(e)) {
            e->path = path;
            e->item = get_material(path);
            if (const material_t *m = material_of(e->item)) {
                e->width = m->size.x;
                e->height = m->size.y;
            }
            found = e;
        } else {
            delete e;
        }
    }
    if (found) {
        w = found->width;
        h = found->height;
    }
    if (width) *width = w;
    if (height) *height = h;
}

const material_t *zml_material(const char *path) {
    if (!materials || !path) return nullptr;
    for (material_entry_t *e : *materials)
        if (e->path == path) return material_of(e->item);
    return nullptr;
}

void zml_release_resources() {
    if (fonts) {
        for (font_entry_t *e : *fonts) {
            if (e->item) e->item->release_ref();
            delete e;
        }
        delete fonts;
        fonts = nullptr;
    }
    if (materials) {
        for (material_entry_t *e : *materials) {
            if (e->item) e->item->release_ref();
            delete e;
        }
        delete materials;
        materials = nullptr;
    }
}

}  // namespace quarn
