#pragma once
// UI layouts (".esc", docs/formats/esc.md): a tree of entities, each naming its
// registered class, its attributes as `name: "value"` lines and its children, in the
// style of definition files:
//
//     entity ui.window {
//         coords: "0 0 1024 768"
//         entity ui.comp.text { id: "50" text: "@@ui_quit_text@@" }
//         entity ui.comp.group { id: "9999" include "/ui/common/uifx_cache.esc" }
//     }
//     entity ui.handler.menu.quit { name: "quit" }
//
// `include "path"` puts the entities of another file where it stands (16 files deep,
// no cycles). The reader gives the tree with the file and line of every entity and
// attribute; building it into windows is the window table's (ui.h). Every error is
// logged as "[ui] file:line: what is wrong" and fails the read.
#include <cstddef>
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

struct esc_attr_t {
    mstring_dyn_t name;
    mstring_dyn_t value;
    uint32_t file = 0;  // index into esc_document_t::files
    uint32_t line = 0;
};

struct QRNSHARED_API esc_entity_t {
    esc_entity_t() = default;
    ~esc_entity_t();
    esc_entity_t(const esc_entity_t &) = delete;
    esc_entity_t &operator=(const esc_entity_t &) = delete;

    mstring_dyn_t class_name;
    uint32_t file = 0;
    uint32_t line = 0;
    array_dyn_t<esc_attr_t> attrs;       // in file order
    array_dyn_t<esc_entity_t *> children;  // owned, in file order
};

class QRNSHARED_API esc_document_t {
public:
    // Files include one another at most this deep (the first file is depth 1).
    static constexpr int MAX_INCLUDE_DEPTH = 16;
    // Entities nest at most this deep, includes counted.
    static constexpr int MAX_NESTING = 64;
    // The largest file the reader takes.
    static constexpr size_t MAX_FILE_SIZE = size_t(16) << 20;

    esc_document_t() = default;
    ~esc_document_t() { clear(); }
    esc_document_t(const esc_document_t &) = delete;
    esc_document_t &operator=(const esc_document_t &) = delete;

    void clear();
    // The file name an entity or attribute came from.
    const char *file_name(uint32_t file) const { return file < files.get_count() ? files[file].c_str() : "?"; }

    array_dyn_t<esc_entity_t *> top;  // owned, in file order
    array_dyn_t<mstring_dyn_t> files;
};

// Where included files come from: the text of path, or null (logged by the source
// or reported by the reader as a file that cannot be read). The text must stay valid
// until the read ends.
class esc_source_t {
public:
    virtual const char *read(const char *path, size_t *length) = 0;

protected:
    ~esc_source_t() = default;
};

// Reads a layout's text (length bytes; it need not be terminated) named path into
// out, replacing what it held. Includes come from source (null: none can be read).
// False, logged, on any error; out is then empty.
QRNSHARED_API bool esc_parse(const char *text, size_t length, const char *path, esc_source_t *source,
                             esc_document_t &out);

}  // namespace quarn
