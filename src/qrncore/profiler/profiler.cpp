#include "qrncore/profiler/profiler.h"

#include <new>

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"
#include "qrncore/system/timers.h"

namespace quarn {

struct profiler_state_t {
    profiler_node_t *root = nullptr;
    profiler_node_t *current = nullptr;
    profiler_zone_t *zones = nullptr;
    profiler_frame_iterator_t iterator;
    uint64_t frame_start = 0;  // cycles
    bool advance_requested = false;
    bool paused = false;
    // The host's functions when the profiler came up: every node and zone goes back
    // through the delete function that matches its allocation.
    host_new_t alloc = nullptr;
    host_delete_t free = nullptr;
    profiler_state_t *previous = nullptr;  // the profiler this one took over from
};

namespace {

const char ROOT_NAME[] = "PROFILED_CODE";
const char DEFAULT_ZONE_NAME[] = "?";

profiler_state_t *active = nullptr;

template <typename T, typename... A>
T *create(host_new_t alloc, A... args) {
    void *memory = alloc(sizeof(T));
    return memory ? new (memory) T(args...) : nullptr;
}

template <typename T>
void destroy(T *object, host_delete_t free) {
    object->~T();
    free(object);
}

void enter(profiler_state_t &s, profiler_node_t *node) {
    if (node->depth++ == 0) {
        node->entry_cycles = tmr_get_cycles();
        node->entry_slot = s.iterator.current;
    }
    ++node->calls[node->entry_slot];
}

// A node entered recursively stays current until its outermost entry ends; only
// then is its time counted, once.
void leave(profiler_state_t &s, profiler_node_t *node) {
    if (--node->depth) return;
    const uint64_t usec = tmr_cycles_to_usec(tmr_get_cycles() - node->entry_cycles);
    node->total_time[node->entry_slot] += usec;
    if (node->parent) {
        node->parent->child_time[node->entry_slot] += usec;
        s.current = node->parent;
    }
}

// Pre-order walk over the whole tree without recursion.
template <typename F>
void for_each_node(profiler_node_t *root, F f) {
    profiler_node_t *n = root;
    while (n) {
        f(n);
        if (n->child) {
            n = n->child;
            continue;
        }
        while (n && !n->sibling) n = n->parent;
        if (n) n = n->sibling;
    }
}

profiler_zone_t *find_or_add_zone(profiler_state_t &s, const char *zone) {
    if (!zone) return s.zones;
    for (profiler_zone_t *z = s.zones; z; z = z->next)
        if (z->name == zone) return z;
    profiler_zone_t *z = create<profiler_zone_t>(s.alloc, zone);
    if (!z) return nullptr;
    z->next = s.zones->next;
    s.zones->next = z;
    return z;
}

// A new child of the current node, hung into its zone's name chain. Null when
// memory runs out: that path then goes unrecorded.
profiler_node_t *add_node(profiler_state_t &s, const char *section, const char *zone_name) {
    profiler_zone_t *zone = find_or_add_zone(s, zone_name);
    if (!zone) return nullptr;
    profiler_node_t *node = create<profiler_node_t>(s.alloc, section, s.current);
    if (!node) return nullptr;
    node->sibling = s.current->child;
    s.current->child = node;
    profiler_node_t *head = zone->first;
    while (head && head->name != section) head = head->next_name;
    if (head) {
        node->next_in_chain = head->next_in_chain;
        head->next_in_chain = node;
    } else {
        node->next_name = zone->first;
        zone->first = node;
    }
    return node;
}

void advance(profiler_state_t &s) {
    leave(s, s.root);
    const uint32_t slot = s.paused ? s.iterator.current : (s.iterator.newest + 1) & (PROFILER_SLOTS - 1);
    if (!s.paused) s.iterator.newest = s.iterator.current = slot;
    for_each_node(s.root, [slot](profiler_node_t *n) {
        n->total_time[slot] = 0;
        n->child_time[slot] = 0;
        n->calls[slot] = 0;
        n->entry_cycles = 0;
        n->depth = 0;
    });
    enter(s, s.root);
    s.frame_start = tmr_get_cycles();
    s.advance_requested = false;
}

void delete_tree(profiler_node_t *root, host_delete_t free) {
    profiler_node_t *n = root;
    while (n) {
        if (n->child) {
            n = n->child;
            continue;
        }
        // n is a leaf and its parent's first child.
        profiler_node_t *next = n->sibling ? n->sibling : n->parent;
        if (n->parent) n->parent->child = n->sibling;
        destroy(n, free);
        n = next;
    }
}

}  // namespace

profiler_node_t::profiler_node_t(const char *node_name, profiler_node_t *parent_node)
    : name(node_name), parent(parent_node) {}

unsigned profiler_node_t::tree_calls(unsigned slot) const {
    V_ASSERT(slot < PROFILER_SLOTS);
    unsigned c = calls[slot];
    for (const profiler_node_t *n = child; n; n = n->sibling) c += n->tree_calls(slot);
    return c;
}

unsigned profiler_node_t::chain_calls(unsigned slot) const {
    V_ASSERT(slot < PROFILER_SLOTS);
    unsigned c = 0;
    for (const profiler_node_t *n = this; n; n = n->next_in_chain) c += n->calls[slot];
    return c;
}

uint64_t profiler_node_t::chain_self_time(unsigned slot) const {
    V_ASSERT(slot < PROFILER_SLOTS);
    uint64_t t = 0;
    for (const profiler_node_t *n = this; n; n = n->next_in_chain) t += n->total_time[slot] - n->child_time[slot];
    return t;
}

uint64_t profiler_node_t::chain_total_time(unsigned slot) const {
    V_ASSERT(slot < PROFILER_SLOTS);
    uint64_t t = 0;
    for (const profiler_node_t *n = this; n; n = n->next_in_chain) t += n->total_time[slot];
    return t;
}

profiler_zone_t::~profiler_zone_t() {
    profiler_zone_t *z = next;
    while (z) {
        profiler_zone_t *after = z->next;
        z->next = nullptr;
        destroy(z, qrncore_system_delete);
        z = after;
    }
}

unsigned profiler_zone_t::subtree_calls(unsigned slot) const {
    unsigned c = 0;
    for (const profiler_node_t *n = first; n; n = n->next_name) c += n->chain_calls(slot);
    return c;
}

uint64_t profiler_zone_t::self_time(unsigned slot) const {
    uint64_t t = 0;
    for (const profiler_node_t *n = first; n; n = n->next_name) t += n->chain_self_time(slot);
    return t;
}

profiler_initializer_t::profiler_initializer_t() : m_state(nullptr) {
    profiler_state_t *s = create<profiler_state_t>(qrncore_system_new);
    if (!s) {
        warning("[prof] no memory: the profiler stays off.");
        return;
    }
    s->alloc = qrncore_system_new;
    s->free = qrncore_system_delete;
    s->root = create<profiler_node_t>(s->alloc, ROOT_NAME, static_cast<profiler_node_t *>(nullptr));
    s->zones = create<profiler_zone_t>(s->alloc, DEFAULT_ZONE_NAME);
    if (!s->root || !s->zones) {
        if (s->root) destroy(s->root, s->free);
        if (s->zones) destroy(s->zones, s->free);
        destroy(s, s->free);
        warning("[prof] no memory: the profiler stays off.");
        return;
    }
    s->current = s->root;
    s->frame_start = tmr_get_cycles();
    enter(*s, s->root);
    s->previous = active;
    active = s;
    m_state = s;
}

profiler_initializer_t::~profiler_initializer_t() {
    profiler_state_t *s = m_state;
    if (!s) return;
    // Usually the newest profiler; if not, the ones made after it skip over it.
    if (active == s) {
        active = s->previous;
    } else {
        for (profiler_state_t *t = active; t; t = t->previous)
            if (t->previous == s) {
                t->previous = s->previous;
                break;
            }
    }
    delete_tree(s->root, s->free);
    for (profiler_zone_t *z = s->zones; z;) {
        profiler_zone_t *after = z->next;
        z->next = nullptr;
        destroy(z, s->free);
        z = after;
    }
    destroy(s, s->free);
}

profiler_sample_t::profiler_sample_t(const char *section, const char *zone) : m_entered(false) {
    profiler_state_t *s = active;
    if (!s) return;
    profiler_node_t *node = s->current;
    if (node->name != section) {
        node = node->child;
        while (node && node->name != section) node = node->sibling;
        if (!node && !(node = add_node(*s, section, zone))) return;
    }
    s->current = node;
    enter(*s, node);
    m_entered = true;
}

profiler_sample_t::~profiler_sample_t() {
    profiler_state_t *s = active;
    if (!m_entered || !s) return;
    leave(*s, s->current);
    if (s->advance_requested && s->current == s->root) advance(*s);
}

void profiler_advance_frame() {
    if (active) active->advance_requested = true;
}

const profiler_frame_iterator_t &profiler_pause() {
    static const profiler_frame_iterator_t none;
    if (!active) return none;
    active->paused = true;
    return active->iterator;
}

void profiler_unpause() {
    if (active) active->paused = false;
}

uint64_t profiler_elapsed_time() { return active ? tmr_cycles_to_usec(tmr_get_cycles() - active->frame_start) : 0; }

profiler_node_t *profiler_tree() { return active ? active->root : nullptr; }

profiler_zone_t *profiler_zones() { return active ? active->zones : nullptr; }

}  // namespace quarn
