#include "outside/qrnshared/def_pool.h"

#include <cstring>

#include "outside/qrnshared/def_core.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn {

def_pool_t::~def_pool_t() { def_core_t::destroy(m_core); }

def_core_t *def_pool_t::core() {
    if (!m_core) {
        m_core = def_core_t::make();
        if (!m_core) error("[def] out of memory for a definition pool");
    }
    return m_core;
}

void def_pool_t::clear() {
    if (m_core) m_core->clear();
}

bool def_pool_t::is_empty() const { return !m_core || !m_core->root.m_first_child; }

bool def_pool_t::read_from(const char *path, fs_realm_t realm) {
    clear();
    auto_ptr_t<file_t> file(fs_open(path, realm));
    if (!file.get()) {
        error("[def] cannot open '%s'", path ? path : "(null)");
        return false;
    }
    return read_from(*file, path, realm);
}

bool def_pool_t::read_from(file_t &file, const char *path, fs_realm_t realm) {
    clear();
    def_core_t *c = core();
    if (!c) return false;
    if (!def_read_file(*c, file, path ? path : "", realm)) {
        c->clear();
        return false;
    }
    return true;
}

bool def_pool_t::read_text(const char *text, size_t length, const char *path, fs_realm_t realm) {
    clear();
    def_core_t *c = core();
    if (!c) return false;
    if (!def_read(*c, text, length, path ? path : "", realm)) {
        c->clear();
        return false;
    }
    return true;
}

bool def_pool_t::write_to(file_t &file) const { return m_core ? def_write(*m_core, file) : true; }

def_obj_t *def_pool_t::find(const char *name, int index, const def_obj_t *parent) const {
    if (!m_core) return nullptr;
    if (parent && parent->m_core != m_core) return nullptr;
    return m_core->follow(parent ? parent : &m_core->root, name, index, true);
}

def_obj_t *def_pool_t::get_first_object() const { return m_core ? m_core->root.m_first_child : nullptr; }

uint32_t def_pool_t::get_object_count() const { return m_core ? m_core->root.m_child_count : 0; }

def_obj_t *def_pool_t::new_object(const char *name, def_obj_t *base) {
    const uint32_t length = name ? uint32_t(strnlen(name, DEF_NAME_MAX + 1)) : 0;
    if (!name || !def_core_t::is_word(name, length)) {
        error("[def] '%s' is no object name: names are words of letters, digits and '_'", name ? name : "(null)");
        return nullptr;
    }
    def_core_t *c = core();
    if (!c) return nullptr;
    if (base && base->m_core != c) {
        error("[def] the base of the new object '%s' belongs to another pool", name);
        return nullptr;
    }
    def_obj_t *object = c->make_object(name, length, 0, 0);
    if (!object) {
        error("[def] out of memory for the object '%s'", name);
        return nullptr;
    }
    object->m_base = base;
    return object;
}

bool def_pool_t::add_object(def_obj_t *object, def_obj_t *parent) {
    if (!object || !m_core || object->m_core != m_core || (parent && parent->m_core != m_core)) {
        error("[def] cannot add an object of another pool");
        return false;
    }
    if (object->m_added) {
        error("[def] the object '%s' was added before", object->m_name);
        return false;
    }
    def_obj_t *target = parent ? parent : &m_core->root;
    for (const def_obj_t *o = target; o; o = o->m_parent) {
        if (o == object) {
            error("[def] cannot add the object '%s' inside itself", object->m_name);
            return false;
        }
    }
    if (m_core->own_child(target, object->m_name, uint32_t(strlen(object->m_name)))) {
        error("[def] '%s' already holds an object '%s'", target == &m_core->root ? "(top level)" : target->m_name,
              object->m_name);
        return false;
    }
    if (!m_core->attach(object, target)) {
        error("[def] out of memory adding the object '%s'", object->m_name);
        return false;
    }
    return true;
}

def_obj_t *def_pool_t::create_object(const char *name, def_obj_t *parent, def_obj_t *base) {
    def_obj_t *object = new_object(name, base);
    return object && add_object(object, parent) ? object : nullptr;
}

}  // namespace quarn
