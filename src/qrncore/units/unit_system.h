#pragma once
// quarn::unit_system_t: a context in which units live. At most eight exist at once,
// one of which may be the default. Units whose count falls to 0 go to one library-wide
// garbage list, which clean_garbage empties (the scheduler calls it after each pass),
// so a unit released during a pass stays readable until the pass ends.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/string.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

class unit_bank_t;
class unit_t;

class QRNCORE_API unit_system_t {
public:
    static constexpr uint32_t MAX_SYSTEMS = 8;
    static constexpr uint32_t NO_DEFAULT = 8;

    // Takes the lowest free slot; a ninth system aborts. The first system sets up the
    // name tree.
    explicit unit_system_t(unit_bank_t &bank);
    // Frees the slot (and the default, when this was it). The last system frees the
    // units still on the garbage list and the name tree's memory.
    virtual ~unit_system_t();
    unit_system_t(const unit_system_t &) = delete;
    unit_system_t &operator=(const unit_system_t &) = delete;

    // Makes this the default system; warns when a default existed (this one too).
    void set_default();
    static unit_system_t *get_default();
    // The system in slot index (0-7), or null for a free slot.
    static unit_system_t *get_system(uint32_t index);

    // A new unit of d's class in this system; null when allocation fails. A class
    // without create function aborts.
    unit_base_t *create_unit(const unit_descriptor_t &d) { return create_unit_in(this, d); }
    // The same by type name; null (no message) for a name the bank does not know.
    unit_base_t *create_unit(const string &type_name) { return create_unit_in(this, type_name); }
    // The forms for a system that may be missing (usually get_default()): a null
    // system aborts with "There is no default unit system.".
    static unit_base_t *create_unit_in(unit_system_t *system, const unit_descriptor_t &d);
    static unit_base_t *create_unit_in(unit_system_t *system, const string &type_name);

    // The live unit with that dotted name in any system, or null.
    static unit_t *find_unit(const string &name);
    // The class registered in this system's bank under the type name, or null.
    const unit_descriptor_t *find_unit_type(const string &type_name) const;

    // h = h * 31 + byte over the text, modulo 2^32; "" gives 0.
    static constexpr uint32_t compute_fingerprint(const char *text) {
        uint32_t h = 0;
        for (; text && *text; ++text) h = h * 31u + uint8_t(*text);
        return h;
    }

    // Lists a unit whose count has fallen to 0 (once: a listed unit is not listed
    // again).
    static void add_to_garbage(unit_base_t *unit);
    // Frees every listed unit whose count is still 0 through its class's destroy
    // function; units that destroy functions release meanwhile are freed in the same
    // pass. A listed unit that was counted again is skipped (it is listed anew when
    // its count falls to 0 again).
    static void clean_garbage();
    // Units waiting on the garbage list.
    static uint32_t get_garbage_count();

    // True when d is wanted or derives from it; also true for the proxy's descriptor,
    // which stands for every class.
    static bool inherits_from(const unit_descriptor_t *d, const unit_descriptor_t *wanted);
    // The same by the fingerprint of a class along d's parent chain; d must not be null.
    static bool inherits_from(const unit_descriptor_t *d, uint32_t fingerprint);
    // The attribute named name of d's class or the nearest ancestor declaring it; null
    // when none does, or for a null d.
    static const unit_attribute_t *get_attribute_descriptor(const unit_descriptor_t *d, const string &name);

    unit_bank_t &get_bank() const { return *m_bank; }
    uint32_t get_index() const { return m_index; }

private:
    unit_bank_t *m_bank;
    uint32_t m_index;
};

}  // namespace quarn
