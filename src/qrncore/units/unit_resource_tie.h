#pragma once
// quarn::unit_resource_tie_t: the hook through which attributes of the resource codes
// (51, 52) are read, written, cloned, torn down, loaded and named. The core knows
// nothing of resources: every operation on such an attribute goes to the one installed
// tie. This base class is the default tie, installed at start-up, which refuses every
// use by aborting; the resource layer installs its own subclass.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/arrays/array.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

class unit_base_t;

class QRNCORE_API unit_resource_tie_t {
public:
    // Installs the new tie: the most recently constructed one is the installed one.
    unit_resource_tie_t();
    // Leaves no tie installed (not the one before).
    virtual ~unit_resource_tie_t();
    unit_resource_tie_t(const unit_resource_tie_t &) = delete;
    unit_resource_tie_t &operator=(const unit_resource_tie_t &) = delete;

    // The name of a non-null resource value, for the unit writer.
    virtual bool get_resource_name(mstring_t *out, unit_base_t *value);
    // Whether the value is a resource the tie accepts; a null value is accepted.
    virtual bool check_resource_type(unit_base_t *value);
    // Teardown of a code-51 value / a code-52 array of the unit.
    virtual void destroy_value(unit_base_t *unit, const unit_attribute_t *a);
    virtual void destroy_array(unit_base_t *unit, const unit_attribute_t *a);
    // Copies the value / the array of the source unit to the target unit.
    virtual bool clone_value(unit_base_t *source, const unit_attribute_t *a, unit_base_t *target);
    virtual bool clone_array(unit_base_t *source, const unit_attribute_t *a, unit_base_t *target);
    // The value named by a unit file's text (not "null"), for unit's attribute a.
    virtual unit_base_t *load(const string &text, unit_base_t *unit, const unit_attribute_t *a);
    // Gives back a loaded value that could not be stored; nothing for null.
    virtual void unload(unit_base_t *value, unit_base_t *unit, const unit_attribute_t *a);
    virtual bool remove_array_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t index);
    virtual bool get_array_size(unit_base_t *unit, const unit_attribute_t *a, uint32_t *out);
    virtual bool set_array_capacity(unit_base_t *unit, const unit_attribute_t *a, uint32_t count);
    virtual bool get_value(unit_base_t *unit, const unit_attribute_t *a, unit_base_t **out);
    virtual bool get_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t index, unit_base_t **out);
    virtual bool get_array_copy(unit_base_t *unit, const unit_attribute_t *a, array_t<unit_base_t *> *out);
    virtual bool set_value(unit_base_t *unit, const unit_attribute_t *a, unit_base_t *value);
    virtual bool set_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t index, unit_base_t *value);
    virtual bool append(unit_base_t *unit, const unit_attribute_t *a, uint32_t index, unit_base_t *value);
    virtual bool prepend(unit_base_t *unit, const unit_attribute_t *a, uint32_t index, unit_base_t *value);

    // The installed tie, or null.
    static unit_resource_tie_t *get_installed();
    // The installed tie; using a resource attribute with none installed aborts.
    static unit_resource_tie_t &installed();
    // Deletes the installed tie, when there is one.
    static void destroy_instance();

    // Host memory, like the core's other objects.
    static void *operator new(size_t bytes) noexcept;
    static void operator delete(void *memory);
};

// Start-up of the core: the default tie, made and installed by qrncore_init.
void unit_resource_tie_startup();
// Shut-down: deletes whatever tie is installed.
void unit_resource_tie_shutdown();

}  // namespace quarn
