#include "outside/qrnshared/texobj.h"

#include <cstring>

#include "outside/qrnshared/qrnshared.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(texobj_u, "texobj");

namespace {

// The texture objects bound to items.
array_dyn_t<texobj_u *> *live = nullptr;

}  // namespace

bool texobj_u::bind_item(c_item_t *item) {
    if (!resource_unit_u::bind_item(item)) return false;
    if (!live) live = new array_dyn_t<texobj_u *>;
    if (!live || !live->append(this)) {
        error("[gfx] No memory to keep the texture object '%s'", item->get_name());
        resource_unit_u::unbind_item(item);
        return false;
    }
    return true;
}

void texobj_u::unbind_item(c_item_t *item) {
    if (item == get_item()) pixels.release();
    if (live) {
        for (uint32_t i = 0; i < live->get_count(); ++i)
            if ((*live)[i] == this) {
                live->remove(i);
                break;
            }
        if (live->is_empty()) {
            delete live;
            live = nullptr;
        }
    }
    resource_unit_u::unbind_item(item);
}

c_item_t *r_texobj_create(const char *name, const r_texture_desc_t &desc) {
    if (!name || !*name) {
        error("[gfx] A texture object needs a name");
        return nullptr;
    }
    const kernel_links_t &k = qrnshared_kernel();
    if (!k.mm_obtain_resource) {
        error("[gfx] No memory manager to make the texture object '%s' in", name);
        return nullptr;
    }
    c_item_t *item = k.mm_obtain_resource(QS_MM_NAMED_REF, name, &texobj_u::unit_descriptor, 0);
    texobj_u *tex = r_texobj_of(item);
    if (!tex) {
        error("[gfx] The texture object '%s' could not be made", name);
        if (item) item->release_ref();
        return nullptr;
    }
    tex->desc = desc;
    return item;
}

bool r_texobj_attach(c_item_t *texture, c_item_t *pixels) {
    texobj_u *tex = r_texobj_of(texture);
    if (!tex) return false;
    tex->pixels = pixels;
    return true;
}

texobj_u *r_texobj_of(const c_item_t *texture) {
    resource_unit_u *unit = texture ? texture->get_unit() : nullptr;
    return unit && unit->is_kind_of(texobj_u::unit_descriptor) ? static_cast<texobj_u *>(unit) : nullptr;
}

texobj_u *r_texobj_find(const char *name) {
    if (!live || !name) return nullptr;
    for (texobj_u *tex : *live) {
        const c_item_t *item = tex->get_item();
        if (item && item->is_named() && strcmp(item->get_name(), name) == 0) return tex;
    }
    return nullptr;
}

void r_texobj_take_changes() {
    if (!live) return;
    for (texobj_u *tex : *live) {
        if (c_item_t *item = tex->get_item()) item->flags &= ~uint32_t(c_item_t::CHANGED);
        if (tex->pixels) tex->pixels->flags &= ~uint32_t(c_item_t::CHANGED);
    }
}

uint32_t r_texobj_count() { return live ? live->get_count() : 0; }

}  // namespace quarn
