#include "game/ui/ui_templates.h"

#include <cstdio>

#include "kernel/memory/m_manager.h"
#include "kernel/memory/m_server.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/def_resource.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

namespace {

// The end entry alone: the table of a store that holds nothing.
const ui_template_name_t EMPTY_NAMES[1] = {{{0}, -1}};

ui_template_class_t stores[] = {
    ui_template_class_t("/def/ui/btn.def"), ui_template_class_t("/def/ui/txt.def"),
    ui_template_class_t("/def/ui/sld.def"), ui_template_class_t("/def/ui/frm.def"),
    ui_template_class_t("/def/ui/btn.def"), ui_template_class_t("/def/ui/btn.def"),
    ui_template_class_t("/def/ui/inp.def"),
};
static_assert(sizeof stores / sizeof stores[0] == size_t(ui_template_kind_t::COUNT));

}  // namespace

// ---- ui_def_templates_t ----

bool ui_def_templates_t::load(const char *path) {
    release();
    c_item_t *item = mm_obtain_resource(MM_NAMED_LOAD, path ? path : "", &def_resource_u::unit_descriptor, 0);
    if (!item) return false;
    item->add_ref();
    const def_pool_t *pool = def_resource_u::pool_of(item->lock());
    if (!pool) {
        item->release_ref();
        return false;
    }
    m_item = item;
    m_pool = pool;
    uint32_t n = 0;
    while (m_pool->find("template", int(n))) ++n;
    m_count = n;
    m_names = static_cast<ui_template_name_t *>(qrncore_system_new(sizeof(ui_template_name_t) * (n + 1)));
    if (!m_names) {
        // The templates still serve; only tools go without their names.
        return true;
    }
    for (uint32_t i = 0; i < n; ++i) {
        const char *name = m_pool->find("template", int(i))->get_dvalue("name", "");
        snprintf(m_names[i].name, sizeof m_names[i].name, "%s", name);
        m_names[i].number = int32_t(i);
    }
    m_names[n] = EMPTY_NAMES[0];
    return true;
}

void ui_def_templates_t::release() {
    if (m_names) qrncore_system_delete(m_names);
    m_names = nullptr;
    m_count = 0;
    m_pool = nullptr;
    if (c_item_t *item = m_item) {
        m_item = nullptr;
        item->unlock();
        item->release_ref();
    }
}

const ui_template_name_t *ui_def_templates_t::names() const { return m_names ? m_names : EMPTY_NAMES; }

const def_obj_t *ui_def_templates_t::find(int32_t look) const {
    // A negative number would name the block "template" itself.
    if (!m_pool || look < 0) return nullptr;
    return m_pool->find("template", look);
}

bool ui_def_templates_t::expand(int32_t look, const char *key, const char *value, mstring_t &out) const {
    const def_obj_t *t = find(look);
    const char *text = t && key ? t->get_value(key) : nullptr;
    if (!text) return false;
    ui_template_fill(text, value, out);
    return true;
}

// ---- stores ----

void ui_template_class_t::acquire() {
    if (m_users++ == 0) {
        m_templates.load(m_path);
        ++m_loads;
    }
}

void ui_template_class_t::release() {
    if (m_users == 0) return;
    if (--m_users == 0) m_templates.release();
}

ui_template_class_t &ui_template_class(ui_template_kind_t kind) { return stores[size_t(kind)]; }

}  // namespace quarn
