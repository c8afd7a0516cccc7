#include "outside/qrnshared/material.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/qrnshared.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(material_u, "material");

namespace {

// Every loaded material, so that a change of render path reaches their passes.
array_dyn_t<material_t *> *loaded = nullptr;

void track(material_t *m) {
    if (!loaded) loaded = new array_dyn_t<material_t *>;
    if (loaded) loaded->append(m);
}

void untrack(material_t *m) {
    if (!loaded) return;
    for (uint32_t i = 0; i < loaded->get_count(); ++i)
        if ((*loaded)[i] == m) {
            loaded->remove(i);
            break;
        }
    if (loaded->is_empty()) {
        delete loaded;
        loaded = nullptr;
    }
}

const char *const KEYS[] = {"effect",   "pass",    "flags",           "order",      "ambient",     "diffuse",
                            "specular", "specular_exponent", "reflection", "tile", "water_colour", "size",
                            "substance"};

bool known_key(const char *key) {
    for (const char *k : KEYS)
        if (strcmp(k, key) == 0) return true;
    return false;
}

// "[material] file:line: " before the message, as far as the value knows them.
void report(const char *path, uint32_t line, const char *what, const char *name) {
    error("[material] %s:%u: %s '%s'", path, line, what, name);
}

template <class F>
void for_each_own_value_down_the_bases(const def_obj_t *object, F f) {
    // Base values first, so that the derived object's own values are seen last.
    const def_obj_t *chain[64];
    int n = 0;
    for (const def_obj_t *o = object; o && n < 64; o = o->get_base()) chain[n++] = o;
    while (n-- > 0)
        for (const def_value_t *v = chain[n]->get_first_value(); v; v = v->get_next()) f(chain[n], v);
}

bool read_vec(const def_obj_t *m, const char *key, float *out, int count) {
    return !m->get_value(key) || m->get_point(key, out, count);
}

bool add_texture(material_t *out, const char *sampler, const char *name) {
    material_texture_t t;
    t.sampler = sampler;
    t.name = name;
    // A later entry for the same sampler replaces the earlier one.
    for (material_texture_t &e : out->textures)
        if (e.sampler == sampler) {
            e.name = name;
            return true;
        }
    return out->textures.append(std::move(t)) != nullptr;
}

bool read_textures(const def_obj_t *block, const char *path, material_t *out) {
    bool ok = true;
    for_each_own_value_down_the_bases(block, [&](const def_obj_t *, const def_value_t *v) {
        ok = add_texture(out, v->get_key(), v->get_text()) && ok;
    });
    for (const def_obj_t *child = block->get_first_child(); child; child = child->get_next()) {
        const char *sampler = child->get_value("sampler");
        const char *file = child->get_value("file");
        if (!sampler || !*sampler || !file) {
            report(path, child->get_line(), "a texture needs \"sampler\" and \"file\":", child->get_name());
            ok = false;
            continue;
        }
        ok = add_texture(out, sampler, file) && ok;
    }
    return ok;
}

}  // namespace

const char *material_t::texture_for(const char *sampler) const {
    for (const material_texture_t &t : textures)
        if (t.sampler == sampler) return t.name.c_str();
    return nullptr;
}

bool material_parse(const def_pool_t &pool, const char *path, material_t *out) {
    const def_obj_t *m = pool.find("material");
    if (!m) {
        error("[material] %s: no \"material\" block", path);
        return false;
    }
    bool ok = true;
    for_each_own_value_down_the_bases(m, [&](const def_obj_t *, const def_value_t *v) {
        if (!known_key(v->get_key())) {
            report(path, v->get_line(), "unknown key", v->get_key());
            ok = false;
        }
    });
    out->path = path;
    const char *effect = m->get_value("effect");
    if (!effect || !*effect) {
        report(path, m->get_line(), "no effect in", m->get_name());
        ok = false;
    } else {
        out->effect_path = effect;
    }
    out->pass_name = m->get_dvalue("pass", "default");
    int32_t flags = 0;
    if (m->get_value("flags") && !m->get_int("flags", flags)) ok = false;
    out->flags = uint32_t(flags);
    if (m->get_value("order") && !m->get_int("order", out->order)) ok = false;
    ok = read_vec(m, "ambient", &out->ambient.x, 4) && ok;
    ok = read_vec(m, "diffuse", &out->diffuse.x, 4) && ok;
    ok = read_vec(m, "specular", &out->specular.x, 4) && ok;
    if (m->get_value("specular_exponent") && !m->get_real("specular_exponent", out->specular_exponent)) ok = false;
    ok = read_vec(m, "reflection", &out->reflection.x, 2) && ok;
    if (!read_vec(m, "size", &out->size.x, 2)) {
        ok = false;
    } else if (!(out->size.x >= 0.0f) || !(out->size.y >= 0.0f) || !std::isfinite(out->size.x) ||
               !std::isfinite(out->size.y)) {
        report(path, m->get_line(), "the size must be two finite numbers of 0 or more in", m->get_name());
        ok = false;
    }
    if (!read_vec(m, "tile", &out->tile.x, 2)) {
        ok = false;
    } else if (!(out->tile.x > 0.0f) || !(out->tile.y > 0.0f)) {
        // The planar texture generation divides by the tile sizes.
        report(path, m->get_line(), "tile sizes must be above 0 in", m->get_name());
        ok = false;
    }
    ok = read_vec(m, "water_colour", &out->water_colour.x, 4) && ok;
    if (m->get_value("substance")) {
        int32_t substance = 0;
        if (!m->get_int("substance", substance)) {
            ok = false;
        } else if (substance < 0 || substance > 255) {
            report(path, m->get_line(), "substance must be an index from 0 to 255 in", m->get_name());
            ok = false;
        } else {
            out->substance = uint32_t(substance);
        }
    }

    for (const def_obj_t *child = m->get_first_child(); child; child = child->get_next()) {
        if (strcmp(child->get_name(), "textures") == 0) {
            ok = read_textures(child, path, out) && ok;
        } else if (strcmp(child->get_name(), "render_state") == 0) {
            for_each_own_value_down_the_bases(child, [&](const def_obj_t *, const def_value_t *v) {
                material_state_t s;
                s.key = v->get_key();
                s.value = v->get_text();
                ok = out->render_state.append(std::move(s)) && ok;
            });
        } else {
            report(path, child->get_line(), "unknown block", child->get_name());
            ok = false;
        }
    }
    return ok;
}

void material_set_up(material_t &material) {
    material.pass.reset();
    material.effect = r_effect_get(material.effect_path.c_str());
    if (!material.effect) {
        error("[material] '%s' has no pass: the effect '%s' is unknown", material.path.c_str(),
              material.effect_path.c_str());
        return;
    }
    owner_ptr_t<effect_pass_u> pass(material.effect->create_pass(material.pass_name.c_str()));
    if (!pass) {
        error("[material] '%s' has no pass: the effect '%s' has no pass '%s'", material.path.c_str(),
              material.effect_path.c_str(), material.pass_name.c_str());
        return;
    }
    pass->set_pass_name(material.pass_name.c_str());
    pass->config.flags = material.flags;
    pass->config.material = &material;
    if (!pass->set_up(nullptr)) {
        error("[material] '%s' has no pass: the pass '%s' of '%s' could not be set up", material.path.c_str(),
              material.pass_name.c_str(), material.effect_path.c_str());
        return;
    }
    material.pass = std::move(pass);
}

void material_set_up_all() {
    if (!loaded) return;
    for (uint32_t i = 0; i < loaded->get_count(); ++i) material_set_up(*(*loaded)[i]);
}

bool material_u::load_memory() {
    c_item_t *item = get_item();
    if (!item || !item->manager) return false;
    if (item->has(c_item_t::MEMORY_VALID)) return true;
    def_pool_t pool;
    if (!pool.read_from(item->get_name(), FS_REALM_VIRTUAL)) return false;
    material_t *material = new material_t;
    if (!material) {
        error("[material] No memory for the material '%s'", item->get_name());
        return false;
    }
    if (!material_parse(pool, item->get_name(), material)) {
        delete material;
        return false;
    }
    void *data = item->manager->allocate_item_memory(item, sizeof(material_t *));
    if (!data) {
        error("[material] No memory for the material '%s'", item->get_name());
        delete material;
        return false;
    }
    memcpy(data, &material, sizeof material);
    m_material = material;
    track(material);
    material_set_up(*material);
    return true;
}

void material_u::unload_memory() {
    c_item_t *item = get_item();
    if (m_material) {
        untrack(m_material);
        delete m_material;
        m_material = nullptr;
    }
    if (item && item->has(c_item_t::MEMORY_VALID)) resource_unit_u::unload_memory();
}

bool material_u::bind_item(c_item_t *item) {
    if (!resource_unit_u::bind_item(item)) return false;
    item->flags |= c_item_t::MLRU_DISALLOWED;
    item->mlru_leave();
    return true;
}

void material_u::unbind_item(c_item_t *item) {
    if (item == get_item()) unload_memory();
    resource_unit_u::unbind_item(item);
}

c_item_t *get_material(const char *path) {
    const kernel_links_t &k = qrnshared_kernel();
    if (!k.mm_obtain_resource) {
        error("[material] No memory manager to load the material '%s' from", path ? path : "");
        return nullptr;
    }
    c_item_t *item = k.mm_obtain_resource(QS_MM_NAMED_LOAD_REF, path, &material_u::unit_descriptor, 0);
    if (!item) error("[material] The material '%s' could not be loaded", path ? path : "");
    return item;
}

material_t *material_of(const c_item_t *item) {
    if (!item || !item->has(c_item_t::MEMORY_VALID) || !item->data) return nullptr;
    const resource_unit_u *unit = item->get_unit();
    if (!unit || !unit->is_kind_of(material_u::unit_descriptor)) return nullptr;
    material_t *m = nullptr;
    memcpy(&m, item->data, sizeof m);
    return m;
}

effect_pass_u *material_pass(const c_item_t *item) {
    material_t *m = material_of(item);
    return m ? m->pass.get() : nullptr;
}

}  // namespace quarn
