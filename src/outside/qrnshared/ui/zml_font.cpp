// Fonts ("font" resources, docs/formats/font.md) and the sizes of UI materials, each
// kept by the text layer from its first use until zml_shutdown.
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

const char *const FONT_KEYS[] = {"glyph_width", "line_height", "spacing"};

bool read_metric(const def_obj_t *f, const char *path, const char *key, bool required, bool zero_ok, float &out) {
    if (!f->get_value(key)) {
        if (!required) return true;
        error("[zml] %s:%u: the font has no \"%s\"", path, f->get_line(), key);
        return false;
    }
    float v = 0.0f;
    if (!f->get_real(key, v)) return false;
    if (!std::isfinite(v) || v < 0.0f || (!zero_ok && v == 0.0f)) {
        error("[zml] %s:%u: \"%s\" must be a finite number %s", path, f->get_line(), key,
              zero_ok ? "of 0 or more" : "above 0");
        return false;
    }
    out = v;
    return true;
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
    if (ok) *out = font;
    return ok;
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
