#pragma once
// quarn::unit_base_t: the root of every unit class. A unit carries a 16-bit count of
// the counted pointers that hold it and a flags byte (its unit system, proxy, save
// mark, owned and alive bits). Units are never deleted directly: the last release puts
// them on the garbage list and unit_system_t::clean_garbage frees them.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/arrays/array.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/geometry/plane.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

class unit_bank_t;
class unit_system_t;
struct unit_attr_enum_domain_t;
template <class T>
class owner_ptr_ret_t;

// Logs the overflow of a unit's count and ends the process.
[[noreturn]] QRNCORE_API void unit_count_overflow();
// Logs the release of a unit whose count is already 0 and ends the process.
[[noreturn]] QRNCORE_API void unit_count_underflow();

class QRNCORE_API unit_base_t {
public:
    // Flags byte.
    static constexpr uint8_t FLAG_SYSTEM_MASK = 0x07;  // index of the owning unit system
    // On the garbage list: a unit whose count falls to 0 again before the list is
    // cleaned is not listed twice, and so never freed twice.
    static constexpr uint8_t FLAG_LISTED = 0x08;
    static constexpr uint8_t FLAG_PROXY = 0x10;
    static constexpr uint8_t FLAG_SAVE_MARK = 0x20;  // in a unit writer's list
    static constexpr uint8_t FLAG_OWNED = 0x40;
    static constexpr uint8_t FLAG_ALIVE = 0x80;
    static constexpr uint16_t MAX_COUNT = 0xFFFF;

    static const string class_name;
    static const uint32_t fingerprint;
    static const unit_descriptor_t unit_descriptor;
    static const unit_attribute_t unit_attributes[];
    // New unit of this class for the system; null when allocation fails.
    static unit_base_t *create_instance(unit_system_t *system);
    // The destroy function of every class: deletes the unit through its virtual
    // destructor; nothing for null.
    static void destroy_instance(unit_base_t *unit, unit_system_t *system);
    static bool register_class(unit_bank_t &bank);

    // Tears the unit's attributes down and clears the owned and alive flags. Owning
    // pointers call it when they let go; the memory stays until clean_garbage.
    virtual void destroy();
    // A deep copy in the unit's own system (owned units cloned, referenced ones
    // shared); empty when the copy cannot be made, with nothing left behind.
    virtual owner_ptr_ret_t<unit_base_t> clone();
    // True for units that cannot carry a name.
    virtual bool is_anonymous() const;
    virtual bool is_nameless() const;
    // The dotted name, or for a nameless unit the name composed from its address.
    virtual bool get_name(mstring_t &out) const;
    // The last token of the name (or of the nameless form).
    virtual uint64_t get_name_suffix() const;
    virtual const unit_descriptor_t *get_descriptor() const;
    // Hooks of the unit writer and reader; a false result fails the save or load.
    virtual bool _call_pre_save();
    virtual bool _call_post_save();
    virtual void _call_pre_load();
    virtual bool _call_post_load();

    uint16_t get_count() const { return m_count; }
    uint8_t get_flags() const { return m_flags; }
    bool is_alive() const { return (m_flags & FLAG_ALIVE) != 0; }
    bool is_owned() const { return (m_flags & FLAG_OWNED) != 0; }
    bool is_proxy() const { return (m_flags & FLAG_PROXY) != 0; }
    bool is_save_marked() const { return (m_flags & FLAG_SAVE_MARK) != 0; }
    uint32_t get_system_index() const { return m_flags & FLAG_SYSTEM_MASK; }
    // The unit system in the unit's slot; null when that system is gone.
    unit_system_t *get_system() const;
    // The name as an owned text, for messages.
    mstring_dyn_t name_text() const {
        mstring_dyn_t s;
        get_name(s);
        return s;
    }

    // True when the unit's class is the class of d or derives from it. Unlike the
    // class tests of the unit system, a proxy is not taken for every class here: this
    // is the test that guards access to a unit's memory.
    bool is_kind_of(const unit_descriptor_t &d) const;

    // Counting. Every counted pointer raises the count when it takes a unit and
    // releases it when it lets go; a count that would pass 65535 aborts instead of
    // wrapping to 0 under a unit still in use.
    void add_ref() {
        if (m_count == MAX_COUNT) unit_count_overflow();
        ++m_count;
    }
    // Lowers the count; at 0 the unit goes to the garbage list.
    void release_ref() {
        if (m_count == 0) unit_count_underflow();
        if (--m_count == 0) list_as_garbage();
    }
    // Owner release: destroy, then release the count.
    void release_owned() {
        destroy();
        release_ref();
    }
    // Raises the count and sets the owned flag (an owning pointer takes the unit).
    void take_owned() {
        add_ref();
        m_flags |= FLAG_OWNED;
    }
    // Lowers the count and clears the owned flag without listing the unit at 0: the
    // unit is handed on, like a freshly created unit, to the next owner.
    void hand_over() {
        if (m_count == 0) unit_count_underflow();
        --m_count;
        m_flags &= uint8_t(~FLAG_OWNED);
    }
    // Drops a unit that nothing owns: destroys it and lets it reach the garbage list.
    // Nothing when an owning pointer holds it.
    void dispose_unowned();

    // Value checks against an attribute's domain, one overload per value type; see
    // unit_check_result_t. A null unit gives UNIT_CHECK_NULL_UNIT. The class test
    // passes a proxy for every class. Nothing is logged.
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, const string &value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, const char *value) {
        return check_value(unit, a, string(value));
    }
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, unit_base_t *value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, std::nullptr_t) {
        return check_value(unit, a, static_cast<unit_base_t *>(nullptr));
    }
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, float value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, const vec2_t &value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, const vec3_t &value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, const vec4_t &value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, const mat4_t &value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, const quat_t &value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, const placement_t &value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a,
                                           const placement_scale_t &value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a,
                                           const placement_nonuniform_t &value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, const plane_t &value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, const sphere_t &value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, const aabox_t &value);
    // The integer overloads take the value as 64 bits (int sign-extended, unsigned
    // zero-extended) and then share one test.
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, int32_t value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, uint32_t value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, int64_t value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, uint64_t value);
    static unit_check_result_t check_value(const unit_base_t *unit, const unit_attribute_t *a, bool value);

    // The value of the symbol (case counts); false when the sorted table has none.
    static bool lookup_enum_value(const unit_attr_enum_domain_t *domain, const string &symbol, int32_t *out = nullptr);
    // The symbol of the value, or null.
    static const char *lookup_enum_symbol(const unit_attr_enum_domain_t *domain, int32_t value);

    // Typed attribute accessors. Each returns false, changing nothing, for a null
    // attribute, an attribute of a class the unit is not of (a proxy is not taken for
    // every class here: the value lives in the unit's memory), and a type code the
    // overload does not serve. No domain test (check_value comes first) and no
    // message. Texts: code 1, and code 3 as its token text.
    bool get_value(const unit_attribute_t *a, mstring_t *out);
    bool set_value(const unit_attribute_t *a, const string &value);
    bool set_value(const unit_attribute_t *a, const char *value) { return set_value(a, string(value)); }
    // The stored text of a code-1 attribute.
    bool get_value(const unit_attribute_t *a, const mstring_t **out);
    bool get_value(const unit_attribute_t *a, float *out);
    bool set_value(const unit_attribute_t *a, float value);
    bool get_value(const unit_attribute_t *a, vec2_t *out);
    bool set_value(const unit_attribute_t *a, const vec2_t &value);
    bool get_value(const unit_attribute_t *a, vec3_t *out);
    bool set_value(const unit_attribute_t *a, const vec3_t &value);
    bool get_value(const unit_attribute_t *a, vec4_t *out);
    bool set_value(const unit_attribute_t *a, const vec4_t &value);
    bool get_value(const unit_attribute_t *a, mat4_t *out);
    bool set_value(const unit_attribute_t *a, const mat4_t &value);
    bool get_value(const unit_attribute_t *a, quat_t *out);
    bool set_value(const unit_attribute_t *a, const quat_t &value);
    bool get_value(const unit_attribute_t *a, placement_t *out);
    bool set_value(const unit_attribute_t *a, const placement_t &value);
    bool get_value(const unit_attribute_t *a, placement_scale_t *out);
    bool set_value(const unit_attribute_t *a, const placement_scale_t &value);
    bool get_value(const unit_attribute_t *a, placement_nonuniform_t *out);
    bool set_value(const unit_attribute_t *a, const placement_nonuniform_t &value);
    bool get_value(const unit_attribute_t *a, plane_t *out);
    bool set_value(const unit_attribute_t *a, const plane_t &value);
    bool get_value(const unit_attribute_t *a, sphere_t *out);
    bool set_value(const unit_attribute_t *a, const sphere_t &value);
    bool get_value(const unit_attribute_t *a, aabox_t *out);
    bool set_value(const unit_attribute_t *a, const aabox_t &value);
    bool get_value(const unit_attribute_t *a, bool *out);
    bool set_value(const unit_attribute_t *a, bool value);
    // int: 29, 33, 45; writes also 37, sign-extended.
    bool get_value(const unit_attribute_t *a, int32_t *out);
    bool set_value(const unit_attribute_t *a, int32_t value);
    // unsigned: 31, 35, 41; writes also 3 and 39, zero-extended.
    bool get_value(const unit_attribute_t *a, uint32_t *out);
    bool set_value(const unit_attribute_t *a, uint32_t value);
    // signed 64-bit: 37; reads also 29, 33, 45, sign-extended.
    bool get_value(const unit_attribute_t *a, int64_t *out);
    bool set_value(const unit_attribute_t *a, int64_t value);
    // unsigned 64-bit: 3, 39; reads also 31, 35, 41, zero-extended.
    bool get_value(const unit_attribute_t *a, uint64_t *out);
    bool set_value(const unit_attribute_t *a, uint64_t value);
    // Unit pointers: 47, 49, and 51 through the resource tie. Reading changes no
    // count. Writing 47 destroys and releases the old unit and owns the new one;
    // writing 49 counts the new unit before it releases the old one. Neither tests
    // whether the new unit is alive or owned.
    bool get_value(const unit_attribute_t *a, unit_base_t **out);
    bool set_value(const unit_attribute_t *a, unit_base_t *value);
    bool set_value(const unit_attribute_t *a, std::nullptr_t) { return set_value(a, static_cast<unit_base_t *>(nullptr)); }

    // Array forms, over the array attribute of the element type's array code (see the
    // scalar forms for the codes; int, unsigned and the 64-bit types widen as there):
    // - view: the stored array itself;
    // - copy: empties out, then appends every element (out is left empty on failure);
    // - element read and write: index below the count, else false;
    // - append: index all ones adds at the end, index below the count inserts after
    //   that element, otherwise false;
    // - prepend: index below the count inserts before that element, otherwise false.
    // A growth that fails returns false and changes nothing.
    static constexpr uint32_t AT_END = 0xFFFFFFFFu;
#define QRN_UNIT_ARRAY_ACCESSORS(T)                                                \
    bool get_value(const unit_attribute_t *a, const array_t<T> **out);             \
    bool get_value(const unit_attribute_t *a, array_t<T> *out);                    \
    bool get_value(const unit_attribute_t *a, uint32_t index, T *out);             \
    bool set_value(const unit_attribute_t *a, uint32_t index, const T &value);     \
    bool append_value(const unit_attribute_t *a, uint32_t index, const T &value);  \
    bool prepend_value(const unit_attribute_t *a, uint32_t index, const T &value);
    QRN_UNIT_ARRAY_ACCESSORS(float)
    QRN_UNIT_ARRAY_ACCESSORS(vec2_t)
    QRN_UNIT_ARRAY_ACCESSORS(vec3_t)
    QRN_UNIT_ARRAY_ACCESSORS(vec4_t)
    QRN_UNIT_ARRAY_ACCESSORS(mat4_t)
    QRN_UNIT_ARRAY_ACCESSORS(quat_t)
    QRN_UNIT_ARRAY_ACCESSORS(placement_t)
    QRN_UNIT_ARRAY_ACCESSORS(placement_scale_t)
    QRN_UNIT_ARRAY_ACCESSORS(placement_nonuniform_t)
    QRN_UNIT_ARRAY_ACCESSORS(plane_t)
    QRN_UNIT_ARRAY_ACCESSORS(sphere_t)
    QRN_UNIT_ARRAY_ACCESSORS(aabox_t)
    QRN_UNIT_ARRAY_ACCESSORS(bool)
    QRN_UNIT_ARRAY_ACCESSORS(int32_t)
    QRN_UNIT_ARRAY_ACCESSORS(uint32_t)
    QRN_UNIT_ARRAY_ACCESSORS(int64_t)
    QRN_UNIT_ARRAY_ACCESSORS(uint64_t)
#undef QRN_UNIT_ARRAY_ACCESSORS
    // Texts: code 2, and code 4 as token texts (element read, write, append, prepend).
    bool get_value(const unit_attribute_t *a, const array_t<mstring_dyn_t> **out);
    bool get_value(const unit_attribute_t *a, array_t<mstring_dyn_t> *out);
    bool get_value(const unit_attribute_t *a, uint32_t index, mstring_t *out);
    bool set_value(const unit_attribute_t *a, uint32_t index, const string &value);
    bool append_value(const unit_attribute_t *a, uint32_t index, const string &value);
    bool prepend_value(const unit_attribute_t *a, uint32_t index, const string &value);
    bool set_value(const unit_attribute_t *a, uint32_t index, const char *value) {
        return set_value(a, index, string(value));
    }
    bool append_value(const unit_attribute_t *a, uint32_t index, const char *value) {
        return append_value(a, index, string(value));
    }
    bool prepend_value(const unit_attribute_t *a, uint32_t index, const char *value) {
        return prepend_value(a, index, string(value));
    }
    // There is no stored text to point at inside a text array: always false.
    bool get_value(const unit_attribute_t *a, uint32_t index, const mstring_t **out);
    // Unit pointers: 48 (owning), 50 (referencing), 52 through the resource tie. No
    // view form; the copy holds plain pointers.
    bool get_value(const unit_attribute_t *a, array_t<unit_base_t *> *out);
    bool get_value(const unit_attribute_t *a, uint32_t index, unit_base_t **out);
    bool set_value(const unit_attribute_t *a, uint32_t index, unit_base_t *value);
    bool append_value(const unit_attribute_t *a, uint32_t index, unit_base_t *value);
    bool prepend_value(const unit_attribute_t *a, uint32_t index, unit_base_t *value);
    // Index all ones with elements: removes the last; index below the count removes
    // that element and closes the gap; otherwise false. Codes 2-50 and 52.
    bool remove_value(const unit_attribute_t *a, uint32_t index);
    // The element count of codes 2-50, the resource tie's answer for 52; false for
    // every other code.
    bool get_size(const unit_attribute_t *a, uint32_t *count);
    // Room for n elements: the array's own answer for codes 2-50 (false when the host
    // has no memory), the resource tie's for 52.
    bool request_capacity(const unit_attribute_t *a, uint32_t n);

    void set_save_mark(bool on) { m_flags = on ? uint8_t(m_flags | FLAG_SAVE_MARK) : uint8_t(m_flags & ~FLAG_SAVE_MARK); }

    // Units live in the host's memory. A failed allocation gives null (the operator is
    // non-throwing, so the new-expression returns null without constructing).
    static void *operator new(size_t bytes) noexcept;
    static void operator delete(void *memory);

    // Units constructed and not yet freed, in every system.
    static uint32_t get_live_count();

protected:
    // Count 0, alive, the system's index in the flags. system must not be null.
    explicit unit_base_t(unit_system_t *system);
    // The deleting destructor runs only from clean_garbage, through the class's
    // destroy function.
    virtual ~unit_base_t();
    unit_base_t(const unit_base_t &) = delete;
    unit_base_t &operator=(const unit_base_t &) = delete;

    // Copies what this class adds to target; unit_base_t adds nothing.
    bool _clone_to(unit_base_t *target);
    // The class kit's step after a class's attributes were copied to target: a class
    // that declares its own _clone_finish (this signature, in its own body) does there
    // what a copy needs besides its attributes, base classes first; false fails the
    // clone. A class without one inherits this, which the kit does not call.
    bool _clone_finish(unit_base_t *) { return true; }
    // Copies every attribute of d's own table to target, in table order; false at the
    // first failure, with a message.
    bool _clone_attributes_to(const unit_descriptor_t &d, unit_base_t *target);
    // Releases every attribute of d's own table, in table order.
    void _destroy_attributes(const unit_descriptor_t &d);

    void set_flags(uint8_t set) { m_flags |= set; }

private:
    friend class unit_system_t;

    void list_as_garbage();

    uint16_t m_count = 0;
    uint8_t m_flags;
};

}  // namespace quarn
