#pragma once
// def_obj_t: one named block of a definition pool (see def_pool.h and
// docs/formats/def.md). An object holds keys with text values and child objects, both
// in the order they were first given; it may derive from another object of its pool,
// whose keys it inherits: a key missing here is looked up in the base, then in the
// base's base. Every lookup by name goes through the pool's hash tables.
//
// Objects belong to their pool: the pool makes them (new_object) and frees them
// (clear, or its destruction); code never deletes one.
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

struct def_core_t;
class def_obj_t;
class file_t;

// Longest object or key name.
constexpr uint32_t DEF_NAME_MAX = 255;

// One key of an object with its text, and where it was read (line 0 and file null
// for a value set by code).
class QRNSHARED_API def_value_t {
public:
    const char *get_key() const { return m_key; }
    const char *get_text() const { return m_text; }
    // The object's next key, or null.
    const def_value_t *get_next() const { return m_next; }
    uint32_t get_line() const { return m_line; }
    // The file the value was read from, or null.
    const char *get_file() const;

private:
    friend class def_obj_t;
    friend struct def_core_t;
    def_value_t() = default;

    const def_core_t *m_core = nullptr;
    def_value_t *m_next = nullptr;
    char *m_text = nullptr;
    const char *m_key = nullptr;  // stored right behind the record
    uint32_t m_line = 0;
    uint32_t m_file = 0;  // index into the pool's file names; 0 for none
};

class QRNSHARED_API def_obj_t {
public:
    def_obj_t(const def_obj_t &) = delete;
    def_obj_t &operator=(const def_obj_t &) = delete;

    const char *get_name() const { return m_name; }
    // The object this one is a child of; null at the top level of the pool and for
    // an object not yet added.
    def_obj_t *get_parent() const;
    // The object whose keys this one inherits, or null.
    def_obj_t *get_base() const { return m_base; }
    // Own children and own keys, in the order they were first given; inherited ones
    // are not listed.
    def_obj_t *get_first_child() const { return m_first_child; }
    def_obj_t *get_next() const { return m_next; }
    uint32_t get_child_count() const { return m_child_count; }
    const def_value_t *get_first_value() const { return m_first_value; }
    // The line the object was first defined on (0 when made by code).
    uint32_t get_line() const { return m_line; }
    // The file it was first defined in, or null (made by code).
    const char *get_file() const;
    // Writes the dotted name from the top of the pool ("species.whitetail.male") into
    // buffer (size bytes, always terminated); false when cut or when the object is
    // not in its pool's tree.
    bool get_path(char *buffer, uint32_t size) const;

    // The child found by a dotted name below this object. Each step takes an own
    // child or, failing that, one of the base chain's. With index >= 0 the number
    // is appended to the name in at least two digits ("template", 3 finds
    // "template03"). Null for a missing or malformed name.
    def_obj_t *find(const char *name, int index = -1) const;

    // The text of the key, here or inherited; null when no object of the chain has
    // it. index >= 0 is appended to the key as in find.
    const char *get_value(const char *key, int index = -1) const;
    // The same, with default_text for a missing key (an empty value is present).
    const char *get_dvalue(const char *key, const char *default_text, int index = -1) const;
    // Typed readings: true with out set; false with out untouched when the key is
    // missing, and when the text is malformed, which is also logged with where the
    // value came from. Integers are decimal or "0x" hexadecimal (up to 0xffffffff,
    // kept as the 32-bit pattern); reals are decimal; bools are "true"/"false",
    // "yes"/"no", "on"/"off" in any case, or an integer (non-zero is true); points
    // are count reals separated by blanks or commas. Blanks around the text are
    // allowed.
    bool get_int(const char *key, int32_t &out) const;
    bool get_real(const char *key, float &out) const;
    bool get_bool(const char *key, bool &out) const;
    bool get_point(const char *key, float *out, int count) const;
    bool get_point(const char *key, vec3_t &out) const {
        float v[3];
        if (!get_point(key, v, 3)) return false;
        out = {v[0], v[1], v[2]};
        return true;
    }
    bool get_point(const char *key, vec4_t &out) const {
        float v[4];
        if (!get_point(key, v, 4)) return false;
        out = {v[0], v[1], v[2], v[3]};
        return true;
    }

    // Sets the object's own key (a word of letters, digits and '_'), replacing its
    // text where it exists and appending it otherwise. False, logged, for a bad key
    // name or when memory runs out (the old text then stays).
    bool set_value(const char *key, const char *text);
    bool set_int(const char *key, int32_t value);
    // The shortest text that reads back as the same float.
    bool set_real(const char *key, float value);
    bool set_bool(const char *key, bool value);  // "true" / "false"
    bool set_point(const char *key, const float *values, int count);
    bool set_point(const char *key, const vec3_t &value) {
        const float v[3] = {value.x, value.y, value.z};
        return set_point(key, v, 3);
    }

private:
    friend struct def_core_t;
    friend class def_pool_t;
    friend class def_reader_t;
    friend bool def_write(const def_core_t &core, file_t &file);
    def_obj_t() = default;
    ~def_obj_t() = default;

    // The own value record of the key, or null.
    def_value_t *own_value(const char *key, uint32_t length) const;
    const def_value_t *find_value(const char *key, int index) const;
    // Logs that the value is not of the kind wanted.
    void malformed(const def_value_t *value, const char *kind) const;

    def_core_t *m_core = nullptr;
    def_obj_t *m_parent = nullptr;  // the pool's root object for the top level
    def_obj_t *m_base = nullptr;
    def_obj_t *m_first_child = nullptr;
    def_obj_t *m_last_child = nullptr;
    def_obj_t *m_next = nullptr;
    def_obj_t *m_next_made = nullptr;  // every object of the pool, for freeing
    def_value_t *m_first_value = nullptr;
    def_value_t *m_last_value = nullptr;
    char *m_base_name = nullptr;  // a base named in a file, until the read resolves it
    const char *m_name = nullptr;  // stored right behind the record
    uint32_t m_serial = 0;         // the object's part of its hash keys; 0 for the root
    uint32_t m_child_count = 0;
    uint32_t m_line = 0;
    uint32_t m_file = 0;
    bool m_added = false;
};

}  // namespace quarn
