#include "qrncore/units/unit_name.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>

#include "qrncore/collections/bmem_manager.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/units/unit.h"

namespace quarn {

// One distinct prefix token of the tree.
struct unit_name_node_t {
    unit_name_node_t *parent;  // null at the first level
    unit_name_node_t *next;    // ring of the nodes with the same parent
    unit_name_node_t *prev;
    uint64_t token;
    unit_name_node_t *children;  // ring head of the child nodes
    unit_name_t *units;          // ring head of the units whose name ends here
};

namespace {

// Nodes come from a pool 256 at a time.
constexpr uint32_t NODES_PER_CHUNK = 256;

// Lookup index over the rings. The rings alone make every lookup a walk over all the
// names below one prefix, which a file of many thousands of units under one prefix
// ("_nameless.x" for file-local names) turns into quadratic work; this open-addressed
// table finds a node or a live unit from its parent node and token. Keys carry a
// kind bit in the low bit of the parent address (nodes are 16-byte aligned).
class name_index_t {
public:
    static constexpr uintptr_t KIND_NODE = 0;
    static constexpr uintptr_t KIND_UNIT = 1;

    void *find(uintptr_t parent, uint64_t token) const {
        if (!m_slots) return nullptr;
        for (uint32_t i = home(parent, token);; i = (i + 1) & m_mask) {
            const slot_t &s = m_slots[i];
            if (!s.value) return nullptr;
            if (s.parent == parent && s.token == token) return s.value;
        }
    }

    // Makes room for n more keys; false when the table cannot grow.
    bool reserve(uint32_t n) {
        uint64_t need = uint64_t(m_count) + n;
        uint64_t capacity = m_slots ? uint64_t(m_mask) + 1 : 0;
        if (need * 2 <= capacity) return true;
        uint64_t grown = capacity ? capacity : 64;
        while (need * 2 > grown) grown *= 2;
        if (grown > (uint64_t(1) << 31)) return false;
        auto *slots = static_cast<slot_t *>(qrncore_system_new_vector(size_t(grown) * sizeof(slot_t)));
        if (!slots) return false;
        memset(slots, 0, size_t(grown) * sizeof(slot_t));
        slot_t *old = m_slots;
        uint32_t old_capacity = uint32_t(capacity);
        m_slots = slots;
        m_mask = uint32_t(grown - 1);
        m_count = 0;
        for (uint32_t i = 0; i < old_capacity; ++i)
            if (old[i].value) insert(old[i].parent, old[i].token, old[i].value);
        if (old) qrncore_system_delete_vector(old);
        return true;
    }

    // Inserts the key unless it is there already (false, nothing changed); room must
    // be reserved. One probe serves both the test and the insertion.
    bool insert_new(uintptr_t parent, uint64_t token, void *value) {
        uint32_t i = home(parent, token);
        for (; m_slots[i].value; i = (i + 1) & m_mask)
            if (m_slots[i].parent == parent && m_slots[i].token == token) return false;
        m_slots[i] = {parent, token, value};
        ++m_count;
        return true;
    }

    // The key must be new and room reserved.
    void insert(uintptr_t parent, uint64_t token, void *value) {
        uint32_t i = home(parent, token);
        while (m_slots[i].value) i = (i + 1) & m_mask;
        m_slots[i] = {parent, token, value};
        ++m_count;
    }

    void replace(uintptr_t parent, uint64_t token, void *value) {
        slot_t *s = slot_of(parent, token);
        if (s) s->value = value;
    }

    // Removes the key; backward-shift deletion keeps every probe run unbroken.
    void erase(uintptr_t parent, uint64_t token) {
        slot_t *s = slot_of(parent, token);
        if (!s) return;
        uint32_t i = uint32_t(s - m_slots);
        for (uint32_t j = (i + 1) & m_mask; m_slots[j].value; j = (j + 1) & m_mask) {
            uint32_t k = home(m_slots[j].parent, m_slots[j].token);
            // Move slot j back into the hole at i unless its home lies cyclically in (i, j].
            bool stays = (i <= j) ? (i < k && k <= j) : (i < k || k <= j);
            if (!stays) {
                m_slots[i] = m_slots[j];
                i = j;
            }
        }
        m_slots[i] = {};
        --m_count;
    }

    uint32_t count() const { return m_count; }

    // Asks for the slot where a lookup of the key starts.
    void prefetch(uintptr_t parent, uint64_t token) const {
        if (m_slots) __builtin_prefetch(&m_slots[home(parent, token)]);
    }
    // Reads that slot.
    void touch(uintptr_t parent, uint64_t token) const {
        if (!m_slots) return;
        const void *value = *static_cast<void *const volatile *>(&m_slots[home(parent, token)].value);
        (void)value;
    }

    void release() {
        if (m_slots) qrncore_system_delete_vector(m_slots);
        m_slots = nullptr;
        m_mask = 0;
        m_count = 0;
    }

private:
    struct slot_t {
        uintptr_t parent;
        uint64_t token;
        void *value;  // null: free slot
    };

    uint32_t home(uintptr_t parent, uint64_t token) const {
        uint64_t h = token * 0x9E3779B97F4A7C15ull ^ uint64_t(parent) * 0xC2B2AE3D27D4EB4Full;
        h ^= h >> 32;
        h *= 0xD6E8FEB86659FD93ull;
        h ^= h >> 32;
        return uint32_t(h) & m_mask;
    }

    slot_t *slot_of(uintptr_t parent, uint64_t token) {
        if (!m_slots) return nullptr;
        for (uint32_t i = home(parent, token);; i = (i + 1) & m_mask) {
            slot_t &s = m_slots[i];
            if (!s.value) return nullptr;
            if (s.parent == parent && s.token == token) return &s;
        }
    }

    slot_t *m_slots = nullptr;
    uint32_t m_mask = 0;
    uint32_t m_count = 0;
};

// Reads the tokens of a dotted name one at a time. Runs of dots count as one
// separator, so leading and doubled dots are skipped.
class name_cursor_t {
public:
    explicit name_cursor_t(const char *text) : m_p(text) {}

    // 1 with the next token, 0 when none is left, -1 for an invalid token.
    int next(uint64_t &token) {
        while (*m_p == '.') ++m_p;
        if (!*m_p) return 0;
        const char *start = m_p;
        while (*m_p && *m_p != '.') ++m_p;
        const size_t n = size_t(m_p - start);
        return n <= 12 && span_to_token(token, start, uint32_t(n)) ? 1 : -1;
    }

private:
    const char *m_p;
};

}  // namespace

uint64_t unit_name_t::nameless_token() {
    static const uint64_t token = [] {
        uint64_t t = 0;
        string_to_token(t, "_nameless");
        return t;
    }();
    return token;
}

// The library-wide tree: the two ring heads of the root, the node pool and the index.
struct unit_name_tree_t {
    unit_name_node_t *root_children = nullptr;
    unit_name_t *root_units = nullptr;
    bmem_manager_t *pool = nullptr;
    uint32_t nodes = 0;
    uint32_t linked = 0;  // units linked, dead ones included
    name_index_t index;

    static unit_name_node_t *&children_of(unit_name_node_t *node) {
        return node ? node->children : tree.root_children;
    }
    static unit_name_t *&units_of(unit_name_node_t *node) { return node ? node->units : tree.root_units; }
    static uintptr_t key(unit_name_node_t *parent, uintptr_t kind) { return reinterpret_cast<uintptr_t>(parent) | kind; }

    static void link_node(unit_name_node_t *&head, unit_name_node_t *x) {
        if (!head) {
            x->next = x->prev = x;
        } else {
            x->next = head;
            x->prev = head->prev;
            head->prev->next = x;
            head->prev = x;
        }
        head = x;
    }
    static void unlink_node(unit_name_node_t *&head, unit_name_node_t *x) {
        if (x->next == x) {
            head = nullptr;
        } else {
            x->prev->next = x->next;
            x->next->prev = x->prev;
            if (head == x) head = x->next;
        }
        x->next = x->prev = nullptr;
    }
    static void link_unit(unit_name_t *&head, unit_name_t *x) {
        if (!head) {
            x->m_next = x->m_prev = x;
        } else {
            x->m_next = head;
            x->m_prev = head->m_prev;
            head->m_prev->m_next = x;
            head->m_prev = x;
        }
        head = x;
    }
    static void unlink_unit(unit_name_t *&head, unit_name_t *x) {
        if (x->m_next == x) {
            head = nullptr;
        } else {
            x->m_prev->m_next = x->m_next;
            x->m_next->m_prev = x->m_prev;
            if (head == x) head = x->m_next;
        }
        x->m_next = x->m_prev = nullptr;
    }

    static unit_name_node_t *find_child(unit_name_node_t *parent, uint64_t token) {
        return static_cast<unit_name_node_t *>(tree.index.find(key(parent, name_index_t::KIND_NODE), token));
    }

    // The node of a name's prefix (all its tokens but the last): true with *node set,
    // null for a one-token name; false when the tree is empty, the name has no token
    // or a prefix node does not exist (then no unit has the name).
    static bool find_prefix(const uint64_t *token, uint32_t count, unit_name_node_t **node) {
        *node = nullptr;
        if (!tree.pool || count == 0) return false;
        for (uint32_t i = 0; i + 1 < count; ++i) {
            *node = find_child(*node, token[i]);
            if (!*node) return false;
        }
        return true;
    }

    // Frees node and then each ancestor that has neither child nodes nor units.
    static void prune(unit_name_node_t *node) {
        while (node && !node->children && !node->units) {
            unit_name_node_t *parent = node->parent;
            unlink_node(children_of(parent), node);
            tree.index.erase(key(parent, name_index_t::KIND_NODE), node->token);
            tree.pool->free(node);
            --tree.nodes;
            node = parent;
        }
    }

    static void append_prefix(mstring_t &out, const unit_name_node_t *node, bool &ok) {
        if (!node) return;
        append_prefix(out, node->parent, ok);
        string_fixed_t<16> text;
        token_to_string(text, node->token);
        ok = out.append(text) && ok;
        ok = out.append('.') && ok;
    }

    static unit_name_tree_t tree;
};

unit_name_tree_t unit_name_tree_t::tree;

void unit_name_t::tree_startup() {
    unit_name_tree_t &t = unit_name_tree_t::tree;
    if (t.pool) return;
    void *memory = qrncore_system_new(sizeof(bmem_manager_t));
    if (!memory) return;  // names then fail to set; lookups find nothing
    t.pool = new (memory) bmem_manager_t;
    t.pool->set_pars(sizeof(unit_name_node_t), NODES_PER_CHUNK);
}

void unit_name_t::tree_shutdown() {
    unit_name_tree_t &t = unit_name_tree_t::tree;
    // Units that outlive every system keep their nodes until they are freed.
    if (!t.pool || t.nodes || t.linked) return;
    t.pool->~bmem_manager_t();
    qrncore_system_delete(t.pool);
    t.pool = nullptr;
    t.index.release();
}

uint32_t unit_name_t::get_node_count() { return unit_name_tree_t::tree.nodes; }

bool unit_name_t::parse_name(const string &name, bool refuse_nameless, unit_name_tokens_t &out) {
    out.count = 0;
    if (!append_tokens(name.c_str(), uint32_t(strlen(name.c_str())), out) || out.count == 0) return false;
    return !(refuse_nameless && out.token[0] == nameless_token());
}

bool unit_name_t::append_tokens(const char *text, uint32_t length, unit_name_tokens_t &out) {
    const char *p = text;
    const char *const end = text + length;
    while (p < end) {
        if (*p == '.') {
            ++p;
            continue;
        }
        // The token packed as it is read (span_to_token's rule, base 38, the first
        // character in the lowest digit); a long one is refused after its run.
        const char *start = p;
        uint64_t token = 0, scale = 1;
        for (uint32_t digit; p < end && (digit = NAME_TOKEN_DIGITS.of[static_cast<unsigned char>(*p)]) != 0; ++p) {
            token += digit * scale;
            scale *= NAME_TOKEN_BASE;
        }
        if ((p < end && *p != '.') || uint32_t(p - start) > NAME_TOKEN_MAX_CHARS) return false;
        if (out.count == unit_name_tokens_t::MAX_TOKENS) return false;
        out.token[out.count++] = token;
    }
    return true;
}

bool unit_name_t::is_valid_name(const string &name, bool refuse_nameless) {
    unit_name_tokens_t tokens;
    return parse_name(name, refuse_nameless, tokens);
}

bool unit_name_t::is_nameless_name(const string &name) {
    name_cursor_t cursor(name.c_str());
    uint64_t token;
    return cursor.next(token) == 1 && token == nameless_token();
}

bool unit_name_t::has_nameless_name() const {
    if (!m_next) return false;
    if (!m_parent) return (m_token & ~DEAD_BIT) == nameless_token();
    const unit_name_node_t *top = m_parent;
    while (top->parent) top = top->parent;
    return top->token == nameless_token();
}

unit_t *unit_name_t::find_unit(const string &name) {
    unit_name_tokens_t tokens;
    return parse_name(name, false, tokens) ? find_unit(tokens) : nullptr;
}

unit_t *unit_name_t::find_unit(const unit_name_tokens_t &name) {
    using tree_t = unit_name_tree_t;
    unit_name_node_t *node;
    if (!tree_t::find_prefix(name.token, name.count, &node)) return nullptr;
    auto *record = static_cast<unit_name_t *>(
        tree_t::tree.index.find(tree_t::key(node, name_index_t::KIND_UNIT), name.token[name.count - 1]));
    return record ? static_cast<unit_t *>(record) : nullptr;
}

void unit_name_t::prefetch_name(const uint64_t *token, uint32_t count) {
    using tree_t = unit_name_tree_t;
    unit_name_node_t *node;
    if (!tree_t::find_prefix(token, count, &node)) return;
    tree_t::tree.index.prefetch(tree_t::key(node, name_index_t::KIND_UNIT), token[count - 1]);
}

void unit_name_t::touch_name(const uint64_t *token, uint32_t count) {
    using tree_t = unit_name_tree_t;
    unit_name_node_t *node;
    if (!tree_t::find_prefix(token, count, &node)) return;
    tree_t::tree.index.touch(tree_t::key(node, name_index_t::KIND_UNIT), token[count - 1]);
}

bool unit_name_t::set_name(const string &name, bool refuse_nameless) {
    unit_name_tokens_t tokens;
    return parse_name(name, refuse_nameless, tokens) && set_name(tokens);
}

bool unit_name_t::set_name(const unit_name_tokens_t &name) {
    using tree_t = unit_name_tree_t;
    tree_t &t = tree_t::tree;
    if (!t.pool || name.count == 0) return false;
    // A unit that has a name keeps it until the new one is known to be free. One
    // without (a fresh unit, a reader's proxy) walks the tree once: prefix nodes are
    // found or made, then the last token is looked up and taken in one go.
    if (m_next) {
        if (unit_t *existing = find_unit(name)) return static_cast<unit_name_t *>(existing) == this;
    }
    // Room in the index for every node the name may add and for the unit, taken
    // before anything changes, so a failure changes nothing.
    if (!t.index.reserve(name.count)) return false;
    remove_name();

    unit_name_node_t *node = nullptr;
    for (uint32_t i = 0; i + 1 < name.count; ++i) {
        const uint64_t token = name.token[i];
        unit_name_node_t *child = tree_t::find_child(node, token);
        if (!child) {
            child = static_cast<unit_name_node_t *>(t.pool->alloc());
            *child = {node, nullptr, nullptr, token, nullptr, nullptr};
            tree_t::link_node(tree_t::children_of(node), child);
            t.index.insert(tree_t::key(node, name_index_t::KIND_NODE), token, child);
            ++t.nodes;
        }
        node = child;
    }
    const uint64_t last = name.token[name.count - 1];
    if (!t.index.insert_new(tree_t::key(node, name_index_t::KIND_UNIT), last, this)) {
        tree_t::prune(node);  // nodes made for a name that is taken after all
        return false;
    }
    m_parent = node;
    m_token = last;
    tree_t::link_unit(tree_t::units_of(node), this);
    ++t.linked;
    return true;
}

void unit_name_t::remove_name() {
    using tree_t = unit_name_tree_t;
    if (!m_next) return;
    tree_t &t = tree_t::tree;
    // Dead names left the index when they died; a live one of the same name may be
    // there now.
    if (!(m_token & DEAD_BIT)) t.index.erase(tree_t::key(m_parent, name_index_t::KIND_UNIT), m_token);
    tree_t::unlink_unit(tree_t::units_of(m_parent), this);
    --t.linked;
    unit_name_node_t *node = m_parent;
    m_parent = nullptr;
    m_token = 0;
    tree_t::prune(node);
}

void unit_name_t::mark_name_dead() {
    using tree_t = unit_name_tree_t;
    if (!m_next || (m_token & DEAD_BIT)) return;
    tree_t::tree.index.erase(tree_t::key(m_parent, name_index_t::KIND_UNIT), m_token);
    m_token |= DEAD_BIT;
}

void unit_name_t::move_name_to(unit_name_t &other) {
    using tree_t = unit_name_tree_t;
    if (!m_next || &other == this) return;
    other.remove_name();
    other.m_parent = m_parent;
    other.m_token = m_token;
    if (m_next == this) {
        other.m_next = other.m_prev = &other;
    } else {
        other.m_next = m_next;
        other.m_prev = m_prev;
        m_prev->m_next = &other;
        m_next->m_prev = &other;
    }
    unit_name_t *&head = tree_t::units_of(m_parent);
    if (head == this) head = &other;
    if (!(m_token & DEAD_BIT))
        tree_t::tree.index.replace(tree_t::key(m_parent, name_index_t::KIND_UNIT), m_token, &other);
    m_parent = nullptr;
    m_next = m_prev = nullptr;
    m_token = 0;
}

bool unit_name_t::compose_name(mstring_t &out) const {
    out.copy(string::EMPTY);
    if (!m_next) return false;
    bool ok = true;
    unit_name_tree_t::append_prefix(out, m_parent, ok);
    string_fixed_t<16> text;
    token_to_string(text, m_token);
    return out.append(text) && ok;
}

namespace {

// The address as sixteen lower-case hexadecimal digits.
void address_digits(char (&digits)[17], const unit_base_t *unit) {
    snprintf(digits, sizeof(digits), "%016" PRIxPTR, reinterpret_cast<uintptr_t>(unit));
}

}  // namespace

bool unit_name_t::compose_nameless(mstring_t &out, const unit_base_t *unit) {
    char digits[17];
    address_digits(digits, unit);
    char text[40];
    snprintf(text, sizeof(text), "_nameless.%.4s.%.4s.%.4s.%.4s", digits, digits + 4, digits + 8, digits + 12);
    return out.copy(text);
}

uint64_t unit_name_t::compose_nameless_suffix(const unit_base_t *unit) {
    char digits[17];
    address_digits(digits, unit);
    uint64_t token = 0;
    string_to_token(token, digits + 12);
    return token;
}

}  // namespace quarn
