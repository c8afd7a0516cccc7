#pragma once
// quarn::unit_load_t: reads one "RozErere" unit file into a unit system. It creates
// the units the file defines, sets their attributes, binds their names, turns the
// names in pointer attributes into pointers (forward references work both ways), runs
// the post-load hooks in file order and hands the unit trees to the caller. Names
// met in the file are bound in a table local to the load (unit_name_table.h), behind
// the scan: each is gathered with its place and bound in file order in batches (a
// defined name takes its global name then, a pointer to a unit the file made earlier
// is stored then), and the other pointers are kept as patches that one pass fills in
// once the whole file is read. A load that fails releases every unit it created.
#include <cstdint>
#include <type_traits>

#include "qrncore/api.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_attr_known.h"
#include "qrncore/units/unit_file_opener.h"
#include "qrncore/units/unit_name_table.h"
#include "qrncore/units/unit_ptr.h"
#include "qrncore/units/unit_scanner.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

class file_t;

class QRNCORE_API unit_load_t {
public:
    // Binds the loader to an open file (not owned, not closed) and a unit system.
    // Included files are opened through opener (the file system when null). path is
    // the path the file was opened by: includes resolve against it and messages name
    // it. Without it the file's own name serves, which for a file found through a
    // mount is its path below the mount point, not in the tree.
    unit_load_t(file_t &file, unit_system_t &system, unit_file_opener_t *opener = nullptr,
                const char *path = nullptr);
    // reset.
    ~unit_load_t();
    unit_load_t(const unit_load_t &) = delete;
    unit_load_t &operator=(const unit_load_t &) = delete;

    // Reads the whole file. True when every unit was made, every pointer resolved and
    // every post-load hook succeeded; the roots (units no owned pointer of the file
    // took) are then held by the loader. False, with the reason logged and every unit
    // of the load released, otherwise.
    bool load();
    // load, then the one root; null (everything released) when the file holds no
    // unit or several trees.
    owner_ptr_ret_t<unit_base_t> load_tree_generic();
    // load, then the root whose name is name (letter case ignored); the other roots
    // are released. Nameless names are refused at once.
    owner_ptr_ret_t<unit_base_t> load_named_tree_generic(const string &name);
    // load_tree_generic, then a root of the wanted class or of a class derived from
    // it; a root of another class is reported and released, a dead one released.
    owner_ptr_ret_t<unit_base_t> load_tree_as(const unit_descriptor_t &wanted) {
        owner_ptr_t<unit_base_t> root(load_tree_generic());
        if (!root) return {};
        if (!root->is_alive()) return {};  // the owner's release drops it
        if (!unit_system_t::inherits_from(root->get_descriptor(), &wanted)) {
            report_bad_type(root.get(), wanted);
            return {};
        }
        return root.release();
    }
    // load_tree_as for the class T.
    template <class T>
    owner_ptr_ret_t<T> load_tree() {
        return unit_cast<T>(load_tree_as(T::unit_descriptor));
    }
    // load, then the first root (the first unit the file mentions that no owned pointer
    // took) when it is alive and of the wanted class or one derived from it (another
    // class is reported; null). The other roots, units the file defines for the first
    // to point to, are let go as references: each lives on while something counts it
    // and goes to the garbage list otherwise.
    owner_ptr_ret_t<unit_base_t> load_first_tree_as(const unit_descriptor_t &wanted);
    // Releases everything the last load holds.
    void reset();

    // The roots of a successful load.
    uint32_t get_root_count() const { return m_roots.get_count(); }
    unit_base_t *get_root(uint32_t i) const { return m_roots[i].get(); }
    // Hands root i over to the caller (the loader's place for it is left empty), for
    // callers that keep every root of a file.
    owner_ptr_ret_t<unit_base_t> take_root(uint32_t i) { return m_roots[i].release(); }
    // Moves the roots of a successful load to the end of out, in file order; the
    // loader then holds none. False, nothing moved, when out cannot grow.
    bool take_roots(array_dyn_t<owner_ptr_t<unit_base_t>> &out) {
        if (!out.append_array(std::move(m_roots))) return false;
        m_roots.clear();
        return true;
    }

protected:
    // Logs "[unit] The unit '%s' in file '%s' has type '%s', but the code expected
    // '%s' type.".
    void report_bad_type(unit_base_t *unit, const unit_descriptor_t &expected);

private:
    // A unit created from a definition, the entry of its name and the name as the
    // file writes it (bytes of the scanner's text, valid while it scans).
    struct created_t {
        unit_base_t *unit;
        uint32_t name;
        const char *written;
        uint32_t written_length;
    };
    // A name met while scanning, bound behind the scan in file order (bind_pending):
    // the definition of the holder's name (attribute null) or a pointer value of it.
    struct pending_t {
        uint64_t hash;  // of the tokens, for the load's table
        const unit_attribute_t *attribute;
        const char *written;  // as written, for messages
        unit_scanner_t::location_t where;
        // The tokens; a name of more than two keeps them in m_pending_tokens from
        // token[0] on.
        uint64_t token[2];
        uint32_t token_count;  // 0: "null"
        uint32_t holder;       // index in m_created
        uint32_t index;        // of the element
        uint32_t written_length;
        bool element;
        bool nameless;
    };
    // Names gathered before they are bound: enough for the lookups ahead to overlap,
    // few enough that the batch stays in the cache.
    static constexpr uint32_t PENDING_BATCH = 256;
    // A pointer attribute of a unit of the load whose value waits for the end of the
    // file: the unit (its index), the attribute, the element (for arrays) and the name
    // (its entry). A later value of the same single attribute cancels it.
    struct patch_t {
        uint32_t holder;
        uint32_t name;
        const unit_attribute_t *attribute;
        uint32_t index;
        bool element;
        bool live;
    };

    // unit_attr_type_element_type without a call for the codes there are (another
    // aborts there).
    static unit_attr_type_t element_kind(unit_attr_type_t t) {
        return t > UNIT_ATTR_LAST ? unit_attr_type_element_type(t) : unit_attr_element_code(t);
    }

    bool read_file();
    bool parse();
    const unit_descriptor_t *find_class(const char *type, uint32_t length);
    bool parse_unit(const char *type, uint32_t type_length);
    const char *unit_name_text();
    bool parse_attribute(unit_base_t *unit, const unit_attribute_t *a);
    bool report_name_form(const char *written, uint32_t length);
    bool gather(const char *written, uint32_t length, const unit_attribute_t *a, bool element, uint32_t index,
                bool null);
    static bool report_hook(void *context);
    bool bind_pending();
    const uint64_t *pending_tokens(const pending_t &p) const {
        return p.token_count > 2 ? m_pending_tokens.get_data() + p.token[0] : p.token;
    }
    bool bind_definition(const pending_t &p);
    bool bind_pointer(const pending_t &p);
    bool store_bound(const pending_t &p, unit_base_t *value);
    void cancel_patch(const unit_attribute_t *a);
    const char *copy_text(const char *text, uint32_t length);
    bool read_value(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index);
    bool read_unit_pointer(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index);
    bool read_resource(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index);
    bool read_enum(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index);
    // A value for a single attribute, or appended as the next element.
    template <class T>
    bool store(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index, const T &value) {
        const bool ok = element ? unit->append_value(a, unit_base_t::AT_END, value) : set_single(unit, a, value);
        if (!ok) report_store_failure(unit, a, element, index);
        return ok;
    }
    // The units the loader fills are its own, of the class whose tables gave the
    // attribute: the kinds read most store without the class test
    // (unit_attr_known.h), the others through the unit's accessors.
    template <class T, class... Kinds>
    static constexpr bool is_any_of = (std::is_same_v<T, Kinds> || ...);
    template <class T>
    static bool set_single(unit_base_t *unit, const unit_attribute_t *a, const T &value) {
        // Exact kinds only: a bool would otherwise promote to an integer's store.
        if constexpr (is_any_of<T, float, vec2_t, vec3_t, vec4_t, int32_t, int64_t, uint32_t, uint64_t, unit_base_t *>)
            return set_known_value(unit, a, value);
        else
            return unit->set_value(a, value);
    }
    void report_store_failure(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index);
    void store_failure_message(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index);
    void report_out_of_domain(unit_base_t *unit, const unit_attribute_t *a, const char *value_text);

    bool resolve_outside();
    bool check_ownership_cycles();
    bool apply_patches();
    bool collect_roots();
    bool run_post_load();
    unit_base_t *unit_of(uint32_t name) const;
    void report_dangling(unit_base_t *holder, const unit_attribute_t *a, uint32_t name);
    void release_all();
    const char *class_of(const unit_base_t *unit) const { return unit->get_descriptor()->class_name->c_str(); }
    const char *path() const;

    file_t &m_file;
    mstring_dyn_t m_path;  // the path the file was opened by; empty: the file's name
    unit_system_t &m_system;
    unit_scanner_t m_scanner;
    array_dyn_t<created_t> m_created;
    unit_name_table_t m_names;
    array_dyn_t<patch_t> m_patches;
    // Patches of units before the one being bound end here (a cancel looks no further).
    uint32_t m_bind_patches = 0;
    // The batch: PENDING_BATCH records once the first name is gathered, the first
    // m_pending_count of them gathered.
    array_dyn_t<pending_t> m_pending;
    uint32_t m_pending_count = 0;
    array_dyn_t<uint64_t> m_pending_tokens;
    bool m_binding = false;
    bool m_bind_failed = false;
    // An owned pointer of the file named a unit (ownership cycles are then looked for).
    bool m_any_owned = false;
    array_dyn_t<owner_ptr_t<unit_base_t>> m_roots;
    // The unit being filled (or, while names are bound, the one whose name is
    // bound): its index in m_created, and its written name when a message needs it.
    uint32_t m_current = 0;
    mstring_dyn_t m_unit_name;
    // The class of the last type name found.
    const unit_descriptor_t *m_last_class = nullptr;
    // The names of the attributes of m_keys_class's own table as the scanner compares
    // them, in table order; made when a unit of another class is read.
    const unit_scanner_t::word_key_t *keys_of(const unit_descriptor_t *d);
    const unit_descriptor_t *m_keys_class = nullptr;
    array_dyn_t<unit_scanner_t::word_key_t> m_keys;
    // Scratch texts of the tokens and of a name being bound.
    mstring_dyn_t m_word;
    mstring_dyn_t m_text;
    unit_name_tokens_t m_tokens;
    // The first token of file-local names, asked for once per load.
    uint64_t m_nameless_token = 0;
};

}  // namespace quarn
