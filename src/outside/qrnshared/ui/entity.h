#pragma once
// Entities: every object a UI layout names by class (windows, views, groups, handlers)
// is an entity_t made through a registration record (entity_reg_t) that a module
// hands over with entity_register. Entities carry attributes described by tables of
// evalue_def_t records: each attribute has a name, a type, a default text, the place
// of its value in the object, the place of its change flags and a set-from-text
// function. Layouts set attributes by name from text (set_value); the change flags
// tell the entity what was written since it last looked.
//
// An entity lives in the memory of a fixed resource item of the memory manager
// (ui_spawn_ci, ui_item.h), built in place by its record's factory and released in
// place by its record's release function.
#include <cstddef>
#include <cstdint>
#include <new>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/ui/ui_types.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

class c_item_t;
class entity_t;
struct entity_reg_t;

enum evalue_type_t : uint8_t {
    EVT_INT = 0,     // int32_t; decimal, -2147483648 to 4294967295 (the upper half wraps: "4294967295" is -1)
    EVT_UINT = 1,    // uint32_t; the same texts
    EVT_FLOAT = 2,   // float; a finite decimal
    EVT_BOOL = 3,    // bool; true/false/yes/no/on/off (any case), 1/0
    EVT_TEXT = 4,    // mstring_dyn_t; any text
    EVT_COORDS = 5,  // ui_rect_t; "left bottom right top", four reals parted by blanks or commas
    EVT_CUSTOM = 6,  // read by the record's own set function only
};

// Change flags of an attribute.
enum evalue_flag_t : uint8_t {
    EVF_CHANGED = 0x01,  // the value differs from the one before the last write
    EVF_WRITTEN = 0x04,  // written since the entity last cleared the flags
};

struct evalue_def_t {
    const char *name;
    evalue_type_t type;
    // The text the attribute takes when the entity is spawned, before the layout's
    // values; null keeps the member's own initial value.
    const char *default_text;
    // The value's place in the object; null only for custom attributes kept elsewhere.
    void *(*locate)(entity_t *entity);
    // The change flags' place; null when the attribute keeps none.
    uint8_t *(*flags)(entity_t *entity);
    // Reads text into the value; null reads by type. False refuses the text (the
    // value is left as it was).
    bool (*set)(entity_t *entity, const evalue_def_t &def, const char *text);
};

// A class's attributes, chained to its base class's table.
struct evalue_table_t {
    const evalue_def_t *defs;
    uint32_t count;
    const evalue_table_t *parent;
};

// Places of a member of class C (used to fill evalue_def_t records).
template <class C, auto MEMBER>
void *evd_locate(entity_t *entity) {
    return &(static_cast<C *>(entity)->*MEMBER);
}
template <class C, auto MEMBER>
uint8_t *evd_flags(entity_t *entity) {
    return &(static_cast<C *>(entity)->*MEMBER);
}

// Reads text as a value of the type into out (an object of the type's storage).
// False, with out untouched, for a text that does not read.
QRNSHARED_API bool evalue_read(evalue_type_t type, const char *text, void *out);

// Kinds an entity can be, as bits of entity_t::get_kind.
enum entity_kind_t : uint32_t {
    ENTITY_VIEW = 0x1,
    ENTITY_GROUP = 0x2,
    ENTITY_WINDOW = 0x4,
    ENTITY_HANDLER = 0x8,
};

class QRNSHARED_API entity_t {
public:
    // Entities a factory allocates itself come from the host's allocator; an entity
    // built in item memory is placed there (placement new) and released in place.
    static void *operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }
    static void *operator new(size_t, void *memory) noexcept { return memory; }
    static void operator delete(void *memory) noexcept {
        if (memory) qrncore_system_delete(memory);
    }
    static void operator delete(void *, void *) noexcept {}

    entity_t() = default;
    entity_t(const entity_t &) = delete;
    entity_t &operator=(const entity_t &) = delete;
    virtual ~entity_t();

    // ENTITY_* bits.
    virtual uint32_t get_kind() const { return 0; }
    // The attribute table of the class (with its bases through `parent`).
    virtual const evalue_table_t *get_values() const;
    // Copies every attribute another entity of the same table has, through their text
    // forms where the type has one (custom attributes are left alone).
    virtual void copy_from(const entity_t &other);

    // The attribute record of that name (case ignored), searching the class's table
    // and then its bases'; null for none.
    const evalue_def_t *find_value(const char *name) const;
    // Sets the attribute from text and sets its change flags. False, logged through
    // the entity's log with what was wrong, for an unknown name or a text the type
    // refuses.
    bool set_value(const char *name, const char *text);
    // The same without the log line (for callers that report themselves).
    bool try_set_value(const char *name, const char *text);
    // The attribute's change flags (0 for none or an unknown name); clear_flags
    // clears the given bits.
    uint8_t get_flags(const char *name) const;
    void clear_flags(const char *name, uint8_t bits);
    // Applies the default texts of every table (bases first), leaving the change
    // flags clear.
    void apply_defaults();

    const char *get_class_name() const;
    const char *get_name() const { return m_name.c_str(); }
    void set_name(const char *name) { m_name = name ? name : ""; }
    const entity_reg_t *get_reg() const { return m_reg; }
    c_item_t *get_item() const { return m_item; }
    // Set by the layer when it spawns the entity.
    void bind(c_item_t *item, const entity_reg_t *reg) {
        m_item = item;
        m_reg = reg;
    }

    // The entity's log: every line is tagged with its class and name,
    // "[ui.comp.button:quit] ...".
    void message(const char *fmt, ...) const V_PRINTF(2, 3);
    void warning(const char *fmt, ...) const V_PRINTF(2, 3);
    void error(const char *fmt, ...) const V_PRINTF(2, 3);
    void verbose(const char *fmt, ...) const V_PRINTF(2, 3);

    static const evalue_table_t values;

protected:
    mstring_dyn_t m_name;
    uint8_t m_name_flags = 0;

private:
    static void *locate_name(entity_t *entity) { return &entity->m_name; }
    static uint8_t *name_flags(entity_t *entity) { return &entity->m_name_flags; }
    static const evalue_def_t value_defs[];

    bool write(const evalue_def_t &def, const char *text);

    c_item_t *m_item = nullptr;
    const entity_reg_t *m_reg = nullptr;
};

// Declares a class's attribute table in its body.
#define UI_ENTITY_VALUES()              \
public:                                 \
    static const evalue_table_t values; \
    const evalue_table_t *get_values() const override { return &values; }

// A class's registration record, one per class, constant. The four words are unused
// and zero.
struct entity_reg_t {
    const char *class_name;
    uint32_t reserved[4];
    uint32_t object_size;
    // Builds the object in memory (of object_size bytes) or, given none, in memory of
    // its own; null when it cannot.
    entity_t *(*factory)(void *memory);
    // Destroys the object: in place (its memory stays the caller's) or with its
    // memory.
    void (*release)(entity_t *object, bool in_place);
};

// Registers the record under its class name. False, logged, for a malformed record or
// a name another record holds; the same record again is true (a verbose note).
QRNSHARED_API bool entity_register(const entity_reg_t *reg);
// Forgets the record; false when it was not registered.
QRNSHARED_API bool entity_unregister(const entity_reg_t *reg);
// The record of that class name (exact), or null.
QRNSHARED_API const entity_reg_t *entity_find_class(const char *class_name);
// The records in registration order.
QRNSHARED_API uint32_t entity_class_count();
QRNSHARED_API const entity_reg_t *entity_class_get(uint32_t i);

// Set-from-text functions of the framework's common attributes. evd_id reads any
// integer text ("4294967295" is -1); evd_coords "left bottom right top"; evd_layer an
// integer; evd_name any text. Each writes the value through the record's locate.
QRNSHARED_API bool evd_id(entity_t *entity, const evalue_def_t &def, const char *text);
QRNSHARED_API bool evd_coords(entity_t *entity, const evalue_def_t &def, const char *text);
QRNSHARED_API bool evd_layer(entity_t *entity, const evalue_def_t &def, const char *text);
QRNSHARED_API bool evd_name(entity_t *entity, const evalue_def_t &def, const char *text);

}  // namespace quarn
