#pragma once
// quarn::unit_save_t: writes units as a "RozErere" text file. Units are added (with
// the units they point to, as the traversal mode says), then written in one save:
// magic, "{", one block per unit with its class name, its name and one line per
// attribute value, "}". Pointers are written as the names of the units pointed to.
// A nameless unit is written under a file-local name numbered by its place in the
// list ("_nameless.3"), not under its address, so that the same units always give
// the same text (the reader binds such names within the file only).
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class file_t;
class unit_system_t;

// Which pointers add adds the units of, and whether it stays in the root's system.
enum unit_traversal_mode_t : uint32_t {
    UNIT_TRAVERSE_NONE = 0,          // the unit alone
    UNIT_TRAVERSE_OWNED_SYSTEM = 1,  // owned pointers, within the unit's system
    UNIT_TRAVERSE_ALL_SYSTEM = 2,    // owned and referenced pointers, within the system
    UNIT_TRAVERSE_OWNED = 3,         // owned pointers, any system
    UNIT_TRAVERSE_ALL = 4,           // owned and referenced pointers, any system
};

enum unit_payload_format_t : uint32_t {
    UNIT_PAYLOAD_TEXT = 0,  // the only format written
};

class QRNCORE_API unit_save_t {
public:
    // Binds the writer to an open file (not owned, not closed) and sets the default
    // traversal mode.
    unit_save_t(file_t &file, unit_traversal_mode_t mode);
    // reset, then frees the list.
    ~unit_save_t();
    unit_save_t(const unit_save_t &) = delete;
    unit_save_t &operator=(const unit_save_t &) = delete;

    // Lists the unit (once: a unit already in some writer's list is skipped) and, by
    // the mode, the units it points to, depth first. Null is ignored. A mode above 4
    // aborts.
    void add(unit_base_t *unit);
    void add(unit_base_t *unit, unit_traversal_mode_t mode);
    // Writes every listed unit that is still alive. False, with the reasons logged,
    // when a pointer names a nameless unit that is not listed or an enumeration value
    // has no symbol (nothing written, no hook called), when a pre-save hook refuses
    // (nothing written), when writing fails or the format is not 0, and when a
    // post-save hook fails.
    bool save(unit_payload_format_t format);
    // Unmarks and releases the listed units; the writer can be filled again.
    void reset();

    uint32_t get_count() const { return m_list.get_count(); }

private:
    void add_listed(unit_base_t *unit);
    void follow(unit_base_t *unit);
    bool check_pointers();
    bool write_text();
    bool write_unit(unit_base_t *unit);
    // Numbers the listed nameless units for put_name.
    bool number_nameless();
    // The unit's name, or the file-local number of a listed nameless one.
    bool put_name(const unit_base_t *unit);
    bool write_attribute(unit_base_t *unit, const unit_attribute_t *a);
    bool write_value(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index);
    unit_base_t *read_pointer(unit_base_t *unit, const unit_attribute_t *a);
    unit_base_t *read_pointer(unit_base_t *unit, const unit_attribute_t *a, uint32_t index);
    bool read_size(unit_base_t *unit, const unit_attribute_t *a, uint32_t *count);

    // Output through a buffer: a file write per 64 KiB, not per line.
    bool put(const char *text, size_t length);
    bool put(const char *text);
    bool put_float(float value);
    bool put_floats(const float *values, int count);
    bool put_quat(const quat_t &q);
    bool put_text(const char *text, size_t length);
    bool flush();

    file_t &m_file;
    unit_traversal_mode_t m_mode;
    array_dyn_t<ref_ptr_t<unit_base_t>> m_list;
    // While pointers are followed in modes 1 and 2: the root's system and the depth.
    unit_system_t *m_filter = nullptr;
    uint32_t m_depth = 0;
    unit_payload_format_t m_format = UNIT_PAYLOAD_TEXT;
    char *m_buffer = nullptr;
    size_t m_used = 0;
    bool m_write_failed = false;
    mstring_dyn_t m_scratch;
    // The listed nameless units and their numbers, by address (for put_name).
    struct nameless_entry_t {
        const unit_base_t *unit;
        uint32_t number;
    };
    array_dyn_t<nameless_entry_t> m_nameless;
};

}  // namespace quarn
