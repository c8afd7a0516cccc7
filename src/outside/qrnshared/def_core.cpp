#include "outside/qrnshared/def_core.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

char empty_text[1] = {0};

char *copy_text(const char *text, size_t length) {
    if (length == 0) return empty_text;
    char *p = static_cast<char *>(qrncore_system_new_vector(length + 1));
    if (!p) return nullptr;
    memcpy(p, text, length);
    p[length] = 0;
    return p;
}

void free_text(char *text) {
    if (text && text != empty_text) qrncore_system_delete_vector(text);
}

bool is_word_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

bool def_key_t::build(uint32_t serial, const char *name, uint32_t name_length, int index) {
    char digits[16] = "";
    uint32_t digit_count = 0;
    if (index >= 0) digit_count = uint32_t(snprintf(digits, sizeof digits, "%02d", index));
    if (name_length == 0 || uint64_t(name_length) + digit_count > DEF_NAME_MAX) return false;
    for (int i = 0; i < 4; ++i) bytes[i] = char(serial >> (8 * i));
    memcpy(bytes + 4, name, name_length);
    memcpy(bytes + 4 + name_length, digits, digit_count);
    length = 4 + name_length + digit_count;
    bytes[length] = 0;
    return true;
}

def_core_t::def_core_t() {
    root.m_core = this;
    root.m_name = "";
    root.m_added = true;
}

def_core_t::~def_core_t() { clear(); }

def_core_t *def_core_t::make() {
    void *p = qrncore_system_new(sizeof(def_core_t));
    return p ? new (p) def_core_t() : nullptr;
}

void def_core_t::destroy(def_core_t *core) {
    if (!core) return;
    core->~def_core_t();
    qrncore_system_delete(core);
}

void def_core_t::free_object(def_obj_t *object) {
    for (def_value_t *v = object->m_first_value; v;) {
        def_value_t *next = v->m_next;
        free_text(v->m_text);
        v->~def_value_t();
        qrncore_system_delete(v);
        v = next;
    }
    free_text(object->m_base_name);
    object->~def_obj_t();
    qrncore_system_delete(object);
}

void def_core_t::clear() {
    for (def_obj_t *o = made; o;) {
        def_obj_t *next = o->m_next_made;
        free_object(o);
        o = next;
    }
    made = nullptr;
    objects.clear();
    values.clear();
    root.m_first_child = root.m_last_child = nullptr;
    root.m_child_count = 0;
    next_serial = 1;
    for (uint32_t i = 0; i < files.get_count(); ++i) free_text(files[i]);
    files.clear();
}

bool def_core_t::is_word(const char *name, uint32_t length) {
    if (length == 0 || length > DEF_NAME_MAX) return false;
    for (uint32_t i = 0; i < length; ++i)
        if (!is_word_char(name[i])) return false;
    return true;
}

def_obj_t *def_core_t::make_object(const char *name, uint32_t length, uint32_t file, uint32_t line) {
    void *p = qrncore_system_new(sizeof(def_obj_t) + length + 1);
    if (!p) return nullptr;
    def_obj_t *o = new (p) def_obj_t();
    char *stored = reinterpret_cast<char *>(o + 1);
    memcpy(stored, name, length);
    stored[length] = 0;
    o->m_name = stored;
    o->m_core = this;
    o->m_serial = next_serial++;
    o->m_file = file;
    o->m_line = line;
    o->m_next_made = made;
    made = o;
    return o;
}

bool def_core_t::attach(def_obj_t *object, def_obj_t *parent) {
    def_key_t key;
    if (!key.build(parent->m_serial, object->m_name, uint32_t(strlen(object->m_name)))) return false;
    if (objects.find(key.bytes, key.length)) return false;
    if (!objects.put(key.bytes, key.length, object)) return false;
    object->m_parent = parent;
    object->m_added = true;
    if (parent->m_last_child) parent->m_last_child->m_next = object;
    else parent->m_first_child = object;
    parent->m_last_child = object;
    ++parent->m_child_count;
    return true;
}

def_obj_t *def_core_t::own_child(const def_obj_t *parent, const char *name, uint32_t length, int index) const {
    def_key_t key;
    if (!key.build(parent->m_serial, name, length, index)) return nullptr;
    return static_cast<def_obj_t *>(objects.find(key.bytes, key.length));
}

def_obj_t *def_core_t::child(const def_obj_t *parent, const char *name, uint32_t length, int index) const {
    def_key_t key;
    if (!key.build(0, name, length, index)) return nullptr;
    // Bases never form a circle (the reader refuses one, and code can name a base only
    // when it makes an object), so the chain ends.
    for (const def_obj_t *o = parent; o; o = o->m_base) {
        for (int i = 0; i < 4; ++i) key.bytes[i] = char(o->m_serial >> (8 * i));
        if (void *found = objects.find(key.bytes, key.length)) return static_cast<def_obj_t *>(found);
    }
    return nullptr;
}

def_obj_t *def_core_t::follow(const def_obj_t *start, const char *path, int index, bool inherited) const {
    if (!path) return nullptr;
    const def_obj_t *at = start;
    const char *segment = path;
    for (;;) {
        const char *dot = strchr(segment, '.');
        const uint32_t length = uint32_t(dot ? dot - segment : strlen(segment));
        const int segment_index = dot ? -1 : index;
        at = inherited ? child(at, segment, length, segment_index) : own_child(at, segment, length, segment_index);
        if (!at) return nullptr;
        if (!dot) return const_cast<def_obj_t *>(at);
        segment = dot + 1;
    }
}

def_value_t *def_core_t::own_value(const def_obj_t *object, const char *key, uint32_t length, int index) const {
    def_key_t k;
    if (!k.build(object->m_serial, key, length, index)) return nullptr;
    return static_cast<def_value_t *>(values.find(k.bytes, k.length));
}

bool def_core_t::set_value(def_obj_t *object, const char *key, uint32_t key_length, const char *text, size_t length,
                           uint32_t file, uint32_t line) {
    char *copy = copy_text(text, length);
    if (!copy) return false;
    if (def_value_t *v = own_value(object, key, key_length)) {
        free_text(v->m_text);
        v->m_text = copy;
        v->m_file = file;
        v->m_line = line;
        return true;
    }
    def_key_t k;
    void *p = k.build(object->m_serial, key, key_length) ? qrncore_system_new(sizeof(def_value_t) + key_length + 1)
                                                          : nullptr;
    if (!p) {
        free_text(copy);
        return false;
    }
    def_value_t *v = new (p) def_value_t();
    char *stored_key = reinterpret_cast<char *>(v + 1);
    memcpy(stored_key, key, key_length);
    stored_key[key_length] = 0;
    v->m_core = this;
    v->m_key = stored_key;
    v->m_text = copy;
    v->m_file = file;
    v->m_line = line;
    if (!values.put(k.bytes, k.length, v)) {
        free_text(copy);
        v->~def_value_t();
        qrncore_system_delete(v);
        return false;
    }
    if (object->m_last_value) object->m_last_value->m_next = v;
    else object->m_first_value = v;
    object->m_last_value = v;
    return true;
}

bool def_core_t::in_tree(const def_obj_t *object) const {
    for (const def_obj_t *o = object; o; o = o->m_parent)
        if (o == &root) return true;
    return false;
}

bool def_core_t::path_of(const def_obj_t *object, mstring_t &out) const {
    out.copy("");
    if (!object || object == &root || !in_tree(object)) return false;
    // The names from the object up, then put together from the top down.
    uint32_t total = 0;
    for (const def_obj_t *o = object; o != &root; o = o->m_parent) total += uint32_t(strlen(o->m_name)) + 1;
    if (!out.request_capacity(total)) return false;
    char *end = out.data() + total - 1;
    *end = 0;
    for (const def_obj_t *o = object; o != &root; o = o->m_parent) {
        const size_t n = strlen(o->m_name);
        end -= n;
        memcpy(end, o->m_name, n);
        if (o->m_parent != &root) *--end = '.';
    }
    return true;
}

uint32_t def_core_t::add_file(const char *path) {
    char *copy = copy_text(path, strlen(path));
    if (!copy) return 0;
    if (!files.append(copy)) {
        free_text(copy);
        return 0;
    }
    return files.get_count();
}

const char *def_core_t::file_name(uint32_t index) const {
    return index >= 1 && index <= files.get_count() ? files[index - 1] : nullptr;
}

}  // namespace quarn
