#pragma once
// model_desc_view_t: the reader of a model descriptor file (".zmd",
// docs/formats/model-descriptor.md) over its loaded image: looks with a material path
// per material slot, variants, and per-part attributes whose values differ per
// variant (types 0 and 1) or are one string (type 5).
//
// open() checks the whole image first (tables, value blocks, attribute ranges and
// value positions, every string with its terminating zero), so every accessor of an
// open view stays inside the image. Look, variant, slot and part indices passed in
// must be below their counts: a bad one is a caller error and aborts.
#include <cstdint>

#include "game/visuals/models/model_image.h"
#include "qrncore/strings/mstring.h"

namespace quarn {

class model_desc_view_t {
public:
    // Checks the image and, when it passes, views it. False (logged) when refused.
    // path names the file in messages and is the base of relative material paths.
    bool open(const void *image, uint64_t size, const char *path);
    void close();
    bool is_open() const { return m_open; }
    void rebase(const void *image) { m_image.rebase(image); }
    const model_image_t &get_image() const { return m_image; }
    const char *get_path() const { return m_path.c_str(); }
    // The folder of the file: its path up to the last "/".
    const char *get_directory() const { return m_directory.c_str(); }

    uint32_t get_material_count() const { return m_material_count; }
    uint32_t get_look_count() const { return m_look_count; }
    uint32_t get_variant_count() const { return m_variant_count; }
    uint32_t get_part_count() const { return m_part_count; }

    uint64_t get_look_name(uint32_t look) const;
    uint64_t get_variant_name(uint32_t variant) const;
    // Index of the look / variant with that token or name. Not found: -1 and
    // "[model] Unknown look name '%s' on model '%s'" (variant alike). A name that
    // makes no token gives -1 without a message.
    int32_t find_look(uint64_t token) const;
    int32_t find_look(const char *name) const;
    int32_t find_variant(uint64_t token) const;
    int32_t find_variant(const char *name) const;

    // The material path of a slot in a look, as stored.
    const char *get_material_path(uint32_t look, uint32_t slot) const;
    // The same as a path of the virtual tree: a path beginning with "/" is kept, any
    // other is joined to the descriptor's folder. False when out cannot hold it.
    bool get_material_path(uint32_t look, uint32_t slot, mstring_t &out) const;

    // The value of a part's attribute for a variant: true with out set for an
    // attribute of type 0 or 1; false (silently) when the part has no such attribute
    // of those types.
    bool get_attribute(uint32_t part, uint64_t token, uint32_t variant, uint32_t &out) const;
    bool get_attribute(uint32_t part, const char *name, uint32_t variant, uint32_t &out) const;
    // The text of a part's type-5 attribute, or null when it has none of that name.
    const char *get_string_attribute(uint32_t part, uint64_t token) const;
    const char *get_string_attribute(uint32_t part, const char *name) const;

    // The attribute definitions, for listing: part's are [first, end).
    uint32_t get_attribute_first(uint32_t part) const;
    uint32_t get_attribute_end(uint32_t part) const;
    uint64_t get_attribute_name(uint32_t attribute) const;
    uint32_t get_attribute_type(uint32_t attribute) const;
    uint32_t get_attribute_position(uint32_t attribute) const;

private:
    bool check() const;
    int32_t find_token(uint32_t table, uint32_t count, uint64_t token, const char *what) const;
    // The definition of a part's attribute of that token and one of the types, or -1.
    int64_t find_attribute(uint32_t part, uint64_t token, bool string) const;
    uint64_t part_range(uint32_t part) const;
    uint64_t attribute_record(uint32_t attribute) const;

    model_image_t m_image;
    mstring_dyn_t m_path;
    mstring_dyn_t m_directory;
    bool m_open = false;
    uint32_t m_material_count = 0;
    uint32_t m_look_count = 0;
    uint32_t m_variant_count = 0;
    uint32_t m_part_count = 0;
    // One past the highest attribute definition a part range names.
    uint64_t m_attribute_count = 0;
};

}  // namespace quarn
