// The unit reader's names: gathered while the text is scanned, bound behind the scan
// in batches, then the pointers left waiting filled in once the whole file is read.
#include <cstdio>
#include <cstring>

#include "qrncore/strings/name_token.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_attr_known.h"
#include "qrncore/units/unit_attr_types.h"
#include "qrncore/units/unit_load.h"

namespace quarn {

namespace {

constexpr uint32_t NONE = unit_name_table_t::NONE;

bool is_null_word(const char *text, uint32_t length) { return length == 4 && strncasecmp(text, "null", 4) == 0; }

}  // namespace

// A pointer value: an element takes its place in the array at once (null until its
// name is bound, so later elements keep their indexes); the name is bound behind the
// scan, as the file's definitions are.
bool unit_load_t::read_unit_pointer(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index) {
    const char *written = nullptr;
    uint32_t length = 0;
    const int form = m_scanner.unit_name(written, length, m_nameless_token, m_tokens);
    if (form < 0) return false;
    const bool null = is_null_word(written, length);
    if (!null && !form) return report_name_form(written, length);
    if (element && !store(unit, a, element, index, static_cast<unit_base_t *>(nullptr))) return false;
    return gather(written, length, a, element, index, null);
}

// A written name whose tokens the scanner refused (".x" stands for "_nameless.x").
bool unit_load_t::report_name_form(const char *written, uint32_t length) {
    if (m_scanner.report_location()) error("[unit] The unit name '%s' is in wrong format.", copy_text(written, length));
    return false;
}

// The written name of the unit being filled (or bound), for messages.
const char *unit_load_t::unit_name_text() {
    const created_t &c = m_created[m_current];
    m_unit_name.copy(string(c.written), 0, 0, c.written_length);
    return m_unit_name.c_str();
}

// Records the name in m_tokens (none for "null") for bind_pending, with where it
// stands, and asks for the slot of the load's table the binding will read. A full
// batch is bound at once.
bool unit_load_t::gather(const char *written, uint32_t length, const unit_attribute_t *a, bool element,
                         uint32_t index, bool null) {
    const uint32_t count = null ? 0 : m_tokens.count;
    bool ok = m_pending_count < m_pending.get_count() || m_pending.grow(PENDING_BATCH - m_pending.get_count());
    uint64_t first = count > 0 ? m_tokens.token[0] : 0;
    if (ok && count > 2) {
        const uint32_t at = m_pending_tokens.get_count();
        ok = m_pending_tokens.request_capacity(at + count);
        for (uint32_t t = 0; ok && t < count; ++t) m_pending_tokens.append(m_tokens.token[t]);
        first = at;
    }
    if (!ok) {
        if (m_scanner.report_location()) error("[unit] Out of memory while reading units from file '%s'.", path());
        return false;
    }
    pending_t &p = m_pending.get_data()[m_pending_count++];
    p.hash = count ? unit_name_table_t::hash_of(m_tokens) : 0;
    p.attribute = a;
    p.written = written;
    p.where = m_scanner.location();
    p.token[0] = first;
    p.token[1] = count > 1 ? m_tokens.token[1] : 0;
    p.token_count = count;
    p.holder = m_current;
    p.index = index;
    p.written_length = length;
    p.element = element;
    p.nameless = count && m_tokens.token[0] == m_nameless_token;
    if (count) m_names.prefetch_slot(p.hash);
    return m_pending_count < PENDING_BATCH || bind_pending();
}

bool unit_load_t::report_hook(void *context) { return static_cast<unit_load_t *>(context)->bind_pending(); }

// Binds the gathered names in file order, each as the scan would have at its place:
// the same checks, in the same order, reported with the location recorded for the
// name. The first failure ends the binding (and the load); the scanner's own report
// of a later error is then left out. The entries, global name slots and units the
// names lead to are asked for some names ahead, so their cache misses overlap.
bool unit_load_t::bind_pending() {
    if (m_bind_failed) return false;
    if (m_binding) return true;  // a report from within the binding itself
    m_binding = true;
    const uint32_t saved_current = m_current;
    constexpr uint32_t ENTRY_AHEAD = 12, UNIT_AHEAD = 6;
    const uint32_t count = m_pending_count;
    const pending_t *pending = m_pending.get_data();
    // The global index slots the batch's defined names will take, each a miss of its
    // own: read in one run, so that the misses overlap (asked for ahead one by one,
    // between the bindings, they were not).
    for (uint32_t i = 0; i < count; ++i) {
        const pending_t &q = pending[i];
        if (!q.attribute && q.token_count && !q.nameless) unit_name_t::touch_name(pending_tokens(q), q.token_count);
    }
    bool ok = true;
    for (uint32_t i = 0; i < count && ok; ++i) {
        if (i + ENTRY_AHEAD < count && pending[i + ENTRY_AHEAD].token_count) {
            const uint32_t e = m_names.probable_entry(pending[i + ENTRY_AHEAD].hash);
            if (e != NONE) __builtin_prefetch(m_names.entries() + e);
        }
        if (i + UNIT_AHEAD < count && pending[i + UNIT_AHEAD].token_count) {
            const pending_t &q = pending[i + UNIT_AHEAD];
            if (q.attribute) {
                const uint32_t e = m_names.probable_entry(q.hash);
                if (e != NONE && m_names.entries()[e].unit) __builtin_prefetch(m_names.entries()[e].unit);
            }
        }
        const pending_t &p = pending[i];
        m_current = p.holder;
        ok = p.attribute ? bind_pointer(p) : bind_definition(p);
    }
    m_current = saved_current;
    m_pending_count = 0;
    m_pending_tokens.clear();
    m_binding = false;
    m_bind_failed = !ok;
    return ok;
}

// The name goes into the load's table; one that is not file-local also takes its
// global name here, the one time the global tree is touched for it.
bool unit_load_t::bind_definition(const pending_t &p) {
    m_bind_patches = m_patches.get_count();
    const uint64_t *tokens = pending_tokens(p);
    m_tokens.count = p.token_count;
    for (uint32_t t = 0; t < p.token_count; ++t) m_tokens.token[t] = tokens[t];
    unit_base_t *unit = m_created[p.holder].unit;
    const uint32_t name = m_names.find_or_add(m_tokens.token, m_tokens.count, p.hash, p.nameless);
    if (name == NONE) {
        m_scanner.report_location_at(p.where);
        error("[unit] Out of memory while reading units from file '%s'.", path());
        return false;
    }
    if (m_names[name].created != NONE) {
        m_scanner.report_location_at(p.where);
        error("[unit] The unit name '%s' is already taken by an existing unit (of type '%s').", unit_name_text(),
              class_of(m_created[m_names[name].created].unit));
        return false;
    }
    if (!p.nameless) {
        // Units that cannot carry a name are still bound within the file, but the name
        // must be free all the same.
        unit_t *named = unit_cast<unit_t>(unit);
        if (named ? !named->set_name_internal(m_tokens) : unit_name_t::find_unit(m_tokens) != nullptr) {
            const unit_base_t *holder = unit_name_t::find_unit(m_tokens);
            m_scanner.report_location_at(p.where);
            error("[unit] The unit name '%s' is already taken by an existing unit (of type '%s').", unit_name_text(),
                  class_of(holder ? holder : unit));
            return false;
        }
    }
    m_names[name].created = p.holder;
    m_names[name].unit = unit;
    m_created[p.holder].name = name;
    return true;
}

// A pointer to a unit the file made earlier is stored now (an owned one waits: a unit
// may only be owned once the file is known to own nothing in a circle); any other
// stores null and leaves a patch that apply_patches fills in.
bool unit_load_t::bind_pointer(const pending_t &p) {
    unit_base_t *unit = m_created[p.holder].unit;
    const unit_attribute_t *a = p.attribute;
    if (!p.element) cancel_patch(a);
    if (!p.token_count) return p.element || store_bound(p, nullptr);
    const uint32_t name = m_names.find_or_add(pending_tokens(p), p.token_count, p.hash, p.nameless);
    if (name == NONE) {
        m_scanner.report_location_at(p.where);
        error("[unit] Out of memory while reading units from file '%s'.", path());
        return false;
    }
    const bool owned = element_kind(a->type) == UNIT_ATTR_OWNER;
    if (owned) {
        if (m_names[name].owner != NONE) {
            m_scanner.report_location_at(p.where);
            error("[unit] The unit '%s', referenced in the attribute '%s' of unit '%s' (of type '%s') is already "
                  "owned by something else.",
                  copy_text(p.written, p.written_length), a->name, unit_name_text(), class_of(unit));
            return false;
        }
    } else if (m_names[name].created != NONE && m_names[name].unit->is_alive()) {
        unit_base_t *target = m_names[name].unit;
        if (check_known_value(a, target) != UNIT_CHECK_OK) {
            char text[300];
            snprintf(text, sizeof(text), "'%s' ", copy_text(p.written, p.written_length));
            m_scanner.report_location_at(p.where);
            report_out_of_domain(unit, a, text);
            return false;
        }
        return store_bound(p, target);
    }
    if (!p.element && !store_bound(p, nullptr)) return false;
    if (!m_patches.append(patch_t{p.holder, name, a, p.index, p.element, true})) {
        m_scanner.report_location_at(p.where);
        error("[unit] Out of memory while reading units from file '%s'.", path());
        return false;
    }
    if (owned) {
        m_names[name].owner = p.holder;
        m_any_owned = true;
    }
    return true;
}

// Sets a bound pointer: a single attribute's value, or the element whose place the
// scan took.
bool unit_load_t::store_bound(const pending_t &p, unit_base_t *value) {
    unit_base_t *unit = m_created[p.holder].unit;
    if (p.element ? unit->set_value(p.attribute, p.index, value) : set_known_value(unit, p.attribute, value))
        return true;
    m_scanner.report_location_at(p.where);
    store_failure_message(unit, p.attribute, p.element, p.index);
    return false;
}

// A new value of a single pointer attribute replaces the one a patch was to set, and
// an owned one lets go of its claim.
void unit_load_t::cancel_patch(const unit_attribute_t *a) {
    for (uint32_t i = m_patches.get_count(); i > m_bind_patches; --i) {
        patch_t &p = m_patches[i - 1];
        if (p.attribute != a || !p.live || p.element) continue;
        p.live = false;
        if (m_names[p.name].owner == m_current) m_names[p.name].owner = NONE;
        return;
    }
}

// The unit a name stands for: the one the file made under it, or the unit outside the
// file found for it; null when there is none.
unit_base_t *unit_load_t::unit_of(uint32_t name) const {
    const unit_name_table_t::entry_t &e = m_names[name];
    return e.unit;
}

void unit_load_t::report_dangling(unit_base_t *holder, const unit_attribute_t *a, uint32_t name) {
    m_scanner.report_location();
    error("[unit] The unit '%s' of type '%s' has dangling pointer (to '%s') in the attribute named '%s'.",
          holder->name_text().c_str(), class_of(holder), m_names.text_of(name).c_str(), a->name);
}

// Names the file uses but does not define may name units outside it (never a
// file-local one): each is looked up once.
bool unit_load_t::resolve_outside() {
    unit_name_tokens_t tokens;
    for (uint32_t name = 0; name < m_names.count(); ++name) {
        unit_name_table_t::entry_t &e = m_names[name];
        if (e.created != NONE) continue;
        if (!e.nameless) {
            m_names.tokens_of(name, tokens);
            e.unit = unit_name_t::find_unit(tokens);
        }
        if (!e.unit) warning("[unit] The pointer to '%s' looks like dangling pointer.", m_names.text_of(name).c_str());
    }
    return true;
}

// A file in which units own each other (A owns B, B owns A) would leave them holding
// each other for ever, so it is refused before any owned pointer is set. The owner of
// each loaded unit is known from the owned pointer that names it; walking those links
// from every unit must end at a root.
bool unit_load_t::check_ownership_cycles() {
    if (!m_any_owned) return true;  // no unit of the file owns another
    const uint32_t n = m_created.get_count();
    array_dyn_t<uint8_t> state;  // 0 not seen, 1 on the current walk, 2 done
    if (!state.grow(n)) {
        error("[unit] Out of memory while checking the owners of the units of file '%s'.", path());
        return false;
    }
    auto owner_of = [&](uint32_t k) {
        const uint32_t name = m_created[k].name;
        return name != NONE && m_names[name].owner < n ? m_names[name].owner : NONE;
    };
    for (uint32_t start = 0; start < n; ++start) {
        uint32_t k = start;
        while (k != NONE && state[k] == 0) {
            state[k] = 1;
            k = owner_of(k);
        }
        if (k != NONE && state[k] == 1) {
            m_scanner.report_location();
            error("[unit] The unit '%s' (of type '%s') is owned through a cycle of owned pointers.",
                  m_names.text_of(m_created[k].name).c_str(), class_of(m_created[k].unit));
            return false;
        }
        for (k = start; k != NONE && state[k] == 1; k = owner_of(k)) state[k] = 2;
    }
    return true;
}

// The patches in file order: each pointer takes the unit its name stands for, tested
// against the attribute's domain now that the class is known. Every failure is
// reported before the load fails.
bool unit_load_t::apply_patches() {
    bool ok = true;
    // The entries and the units the patches name lie anywhere in memory: each is
    // asked for some patches ahead (the entry further than the unit it holds), so
    // the misses overlap instead of following one another.
    constexpr uint32_t ENTRY_AHEAD = 16, UNIT_AHEAD = 8;
    const uint32_t count = m_patches.get_count();
    for (uint32_t i = 0; i < count; ++i) {
        if (i + ENTRY_AHEAD < count) __builtin_prefetch(&m_names[m_patches[i + ENTRY_AHEAD].name]);
        if (i + UNIT_AHEAD < count) {
            if (unit_base_t *ahead = m_names[m_patches[i + UNIT_AHEAD].name].unit) __builtin_prefetch(ahead);
        }
        const patch_t &p = m_patches[i];
        unit_base_t *holder = m_created[p.holder].unit;
        if (!p.live || !holder->is_alive()) continue;
        const unit_attribute_t *a = p.attribute;
        unit_base_t *target = unit_of(p.name);
        if (!target || !target->is_alive()) {
            report_dangling(holder, a, p.name);
            ok = false;
            continue;
        }
        if (element_kind(a->type) == UNIT_ATTR_OWNER && m_names[p.name].created == NONE) {
            m_scanner.report_location();
            error("[unit] The unit name '%s', referenced in the attribute '%s' of unit '%s' (of type '%s') is already "
                  "taken.",
                  m_names.text_of(p.name).c_str(), a->name, holder->name_text().c_str(), class_of(holder));
            ok = false;
            continue;
        }
        if (check_known_value(a, target) != UNIT_CHECK_OK) {
            m_scanner.report_location();
            error("[unit] The requested value '%s' of the attribute '%s' of unit '%s' (of type '%s') is out of the "
                  "attribute domain.",
                  m_names.text_of(p.name).c_str(), a->name, holder->name_text().c_str(), class_of(holder));
            ok = false;
            continue;
        }
        if (p.element ? holder->set_value(a, p.index, target) : set_known_value(holder, a, target)) continue;
        m_scanner.report_location();
        error("[unit] The unit '%s' (of type '%s') could not set the value of attribute '%s'.",
              holder->name_text().c_str(), class_of(holder), a->name);
        ok = false;
    }
    return ok;
}

// The units the file made that no owned pointer took, in the order the file first
// names them.
bool unit_load_t::collect_roots() {
    bool ok = true;
    m_roots.clear();
    m_roots.request_capacity(m_created.get_count());  // at most; a failure shows below
    // Each unit is read for its state: the units some names ahead are asked for, so
    // their cache misses overlap.
    constexpr uint32_t UNIT_AHEAD = 8;
    const uint32_t count = m_names.count();
    for (uint32_t name = 0; name < count; ++name) {
        if (name + UNIT_AHEAD < count) {
            if (unit_base_t *ahead = m_names[name + UNIT_AHEAD].unit) __builtin_prefetch(ahead);
        }
        const uint32_t created = m_names[name].created;
        if (created == NONE) continue;
        unit_base_t *unit = m_created[created].unit;
        if (!unit->is_alive() || unit->is_owned()) continue;
        // A root that cannot be listed is destroyed with the temporary owner.
        if (!m_roots.append(owner_ptr_t<unit_base_t>(unit))) {
            error("[unit] Out of memory while collecting the roots of file '%s'.", path());
            ok = false;
        }
    }
    return ok;
}

}  // namespace quarn
