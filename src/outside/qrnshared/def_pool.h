#pragma once
// def_pool_t: the objects of a definition file (".def", docs/formats/def.md) as a
// tree: named blocks of keys with text values, blocks inside blocks, blocks deriving
// from other blocks, files including files. A pool reads and writes that text and
// finds objects by dotted name ("species.whitetail.male") through hash tables, so
// lookups cost the same however large the file is.
//
// The pool object itself is one pointer to storage on the host's heap and holds
// nothing that points back at it, so it may be moved with memcpy (the resource
// manager does that with the item data it lives in). It costs no memory until the
// first object is made.
#include <cstddef>
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/def_obj.h"
#include "qrncore/qrnutils/ufs/file.h"

namespace quarn {

class QRNSHARED_API def_pool_t {
public:
    // Files include one another at most this deep.
    static constexpr int MAX_INCLUDE_DEPTH = 16;
    // Blocks nest at most this deep within a file.
    static constexpr int MAX_NESTING = 256;
    // Largest file the reader takes.
    static constexpr uint64_t MAX_FILE_SIZE = 64u << 20;

    def_pool_t() = default;
    ~def_pool_t();
    def_pool_t(const def_pool_t &) = delete;
    def_pool_t &operator=(const def_pool_t &) = delete;
    // Takes other's objects; other is left empty. Pointers to the objects stay valid.
    def_pool_t(def_pool_t &&other) noexcept : m_core(other.m_core) { other.m_core = nullptr; }

    // Frees every object. Pointers to them are invalid afterwards.
    void clear();
    bool is_empty() const;

    // Replaces the pool's contents with the file at path: includes ("extdefs") are
    // read from the same realm, relative to the including file's folder unless they
    // begin with "/". On any error the load fails as a whole: the reason is logged
    // as "[def] file:line: what is wrong" and the pool is left empty.
    bool read_from(const char *path, fs_realm_t realm = FS_REALM_VIRTUAL);
    // The same from an open file, read from its start; path names it in messages and
    // is the base of its relative includes.
    bool read_from(file_t &file, const char *path, fs_realm_t realm = FS_REALM_VIRTUAL);
    // The same from text in memory (length bytes; it need not be terminated).
    bool read_text(const char *text, size_t length, const char *path, fs_realm_t realm = FS_REALM_VIRTUAL);

    // Writes every object of the tree in the file syntax, at the file's position, so
    // that reading it back gives the same pool (includes come out inline). False,
    // logged, when a write fails or an object derives from one outside the tree.
    bool write_to(file_t &file) const;

    // The object named by a dotted path below parent (null: the top level); index
    // as in def_obj_t::find. Null when missing.
    def_obj_t *find(const char *name, int index = -1, const def_obj_t *parent = nullptr) const;
    // The first object of the top level; the others follow through get_next.
    def_obj_t *get_first_object() const;
    uint32_t get_object_count() const;

    // A new, empty object of this pool deriving from base (an object of this pool,
    // or null). It belongs to no parent until add_object; the pool frees it either
    // way. Null, logged, for a bad name (a word of letters, digits and '_'), a base
    // of another pool, or when memory runs out.
    def_obj_t *new_object(const char *name, def_obj_t *base = nullptr);
    // Appends a new object as the last child of parent (null: the top level). False,
    // logged, when the object or parent belongs to another pool, the object was
    // added before, parent lies inside the object, or parent already has a child of
    // that name; the object then stays unattached.
    bool add_object(def_obj_t *object, def_obj_t *parent = nullptr);
    // new_object and add_object in one; null on failure.
    def_obj_t *create_object(const char *name, def_obj_t *parent = nullptr, def_obj_t *base = nullptr);

private:
    // The storage, made on first need; null when memory runs out.
    def_core_t *core();

    def_core_t *m_core = nullptr;
};

}  // namespace quarn
