#pragma once
// The storage behind a def_pool_t, shared by the pool, its objects, the reader and
// the writer; not part of the layer's interface.
//
// Two hash tables serve every lookup by name: one maps (parent serial, child name)
// to the child object, the other (object serial, key) to the value record. The serial
// is a number the object gets when it is made; the root object, the pool's top level,
// has serial 0. Objects and value records live in host memory and are chained for
// iteration (children and keys in the order first given) and for freeing.
#include <cstdint>

#include "outside/qrnshared/def_obj.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/collections/vptrhash.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/strings/mstring.h"

namespace quarn {

// A hash key: the serial's four bytes (little-endian), then the name.
struct def_key_t {
    // Builds the key; false when the name is empty or longer than DEF_NAME_MAX
    // (with the index's digits).
    bool build(uint32_t serial, const char *name, uint32_t length, int index = -1);

    uint32_t length = 0;
    char bytes[4 + DEF_NAME_MAX + 1];
};

struct def_core_t {
    // A new core in host memory; null when memory runs out.
    static def_core_t *make();
    static void destroy(def_core_t *core);

    // Frees every object and file name; the serials start again.
    void clear();

    // A new unattached object; null when memory runs out. The name is not checked.
    def_obj_t *make_object(const char *name, uint32_t length, uint32_t file, uint32_t line);
    // Links the object as the last child of parent and enters it in the table. False
    // when parent has an own child of that name or memory runs out.
    bool attach(def_obj_t *object, def_obj_t *parent);
    // The own child of the name; null when missing.
    def_obj_t *own_child(const def_obj_t *parent, const char *name, uint32_t length, int index = -1) const;
    // The own child or, failing that, the first found along the base chain.
    def_obj_t *child(const def_obj_t *parent, const char *name, uint32_t length, int index = -1) const;
    // Follows a dotted name from start; inherited children are taken when asked.
    // Null for a missing or malformed name.
    def_obj_t *follow(const def_obj_t *start, const char *path, int index, bool inherited) const;
    // The object's own value record of the key, or null.
    def_value_t *own_value(const def_obj_t *object, const char *key, uint32_t length, int index = -1) const;
    // Sets the object's own key to length bytes of text. The key is not checked.
    // False when memory runs out (the old text stays).
    bool set_value(def_obj_t *object, const char *key, uint32_t key_length, const char *text, size_t length,
                   uint32_t file, uint32_t line);

    // Whether the object hangs in the tree below the root.
    bool in_tree(const def_obj_t *object) const;
    // The dotted name of an object in the tree; false when it is not in it or memory
    // runs out.
    bool path_of(const def_obj_t *object, mstring_t &out) const;

    // Keeps a file name for messages; its index (from 1), or 0 when memory runs out.
    uint32_t add_file(const char *path);
    // The name of a file index; null for 0 or an unknown index.
    const char *file_name(uint32_t index) const;

    // Checks a name: a word of letters, digits and '_' of 1 to DEF_NAME_MAX bytes.
    static bool is_word(const char *name, uint32_t length);

    vptrhash_t objects;
    vptrhash_t values;
    def_obj_t root;
    def_obj_t *made = nullptr;  // every object made, newest first
    uint32_t next_serial = 1;
    array_dyn_t<char *> files;

private:
    def_core_t();
    ~def_core_t();
    void free_object(def_obj_t *object);
};

// The reader and the writer of the file syntax (def_reader.cpp, def_writer.cpp).
// Reading fills an empty core; on failure the caller clears it.
bool def_read(def_core_t &core, const char *text, size_t length, const char *path, fs_realm_t realm);
bool def_read_file(def_core_t &core, file_t &file, const char *path, fs_realm_t realm);
bool def_write(const def_core_t &core, file_t &file);

}  // namespace quarn
