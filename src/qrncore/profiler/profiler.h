#pragma once
// An always-on hierarchical profiler. A profiler_sample_t on the stack times a
// section; the sections build a call tree as they nest at run time, and every node
// keeps calls and times for each of the last 64 frames in a ring of slots. Zones
// group the nodes of the tree by a second name. Section and zone names are compared
// by address, not by text: each call site must pass the same constant text every
// time, and two sites with equal texts make two nodes. One thread only.
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

constexpr unsigned PROFILER_SLOTS = 64;

class QRNCORE_API profiler_node_t {
public:
    explicit profiler_node_t(const char *node_name, profiler_node_t *parent_node);

    // Calls of this node and of every node below it in the tree.
    unsigned tree_calls(unsigned slot) const;
    // Calls of this node and of every node after it on its name chain.
    unsigned chain_calls(unsigned slot) const;
    // Sum over this node and its name chain of total minus child time.
    uint64_t chain_self_time(unsigned slot) const;
    // Sum over this node and its name chain of total time.
    uint64_t chain_total_time(unsigned slot) const;

    const char *name;
    uint64_t total_time[PROFILER_SLOTS] = {};  // microseconds
    uint64_t child_time[PROFILER_SLOTS] = {};  // microseconds spent in child nodes
    uint32_t calls[PROFILER_SLOTS] = {};
    profiler_node_t *parent;
    profiler_node_t *child = nullptr;          // first child
    profiler_node_t *sibling = nullptr;        // next sibling
    profiler_node_t *next_in_chain = nullptr;  // next node of the same name in the same zone
    profiler_node_t *next_name = nullptr;      // next head node of the zone
    uint64_t entry_cycles = 0;
    uint32_t entry_slot = 0;
    uint32_t depth = 0;  // how often the node is entered now (recursion)
};

class QRNCORE_API profiler_zone_t {
public:
    explicit profiler_zone_t(const char *zone_name) : name(zone_name) {}
    // Deletes the zones after this one (through the host's delete function); the
    // nodes belong to the tree.
    ~profiler_zone_t();
    profiler_zone_t(const profiler_zone_t &) = delete;
    profiler_zone_t &operator=(const profiler_zone_t &) = delete;

    // Sum over the zone's head nodes of their chain_calls.
    unsigned subtree_calls(unsigned slot) const;
    // Sum over the zone's head nodes of their chain_self_time.
    uint64_t self_time(unsigned slot) const;

    const char *name;
    profiler_zone_t *next = nullptr;
    profiler_node_t *first = nullptr;  // first head node: one per section name
};

struct profiler_frame_iterator_t {
    uint32_t newest = 0;   // the newest completed frame slot
    uint32_t current = 0;  // the slot being recorded
};

struct profiler_state_t;

// Brings a profiler up: the root "PROFILED_CODE", entered in slot 0, and the zone
// "?", with memory from the host's allocation functions of the moment. The core's
// start-up owns the one the engine uses. A second initializer made while one lives
// takes over until it is destroyed, and the earlier profiler then records again, so
// a test may bring up its own. Without memory for the root the profiler stays off.
class QRNCORE_API profiler_initializer_t {
public:
    profiler_initializer_t();
    // Deletes the tree and the zones.
    ~profiler_initializer_t();
    profiler_initializer_t(const profiler_initializer_t &) = delete;
    profiler_initializer_t &operator=(const profiler_initializer_t &) = delete;

private:
    profiler_state_t *m_state;
};

// Times the section from construction to destruction. Without a running profiler,
// or when memory for a new node or zone cannot be had, the sample records nothing.
class QRNCORE_API profiler_sample_t {
public:
    // A null zone counts in the zone "?".
    explicit profiler_sample_t(const char *section, const char *zone = nullptr);
    // Leaves the section; performs a requested frame advance once back at the root.
    ~profiler_sample_t();
    profiler_sample_t(const profiler_sample_t &) = delete;
    profiler_sample_t &operator=(const profiler_sample_t &) = delete;

private:
    bool m_entered;
};

// Asks for a frame advance, done when the next sample ends at the root level.
QRNCORE_API void profiler_advance_frame();
// Stops the ring: the slot being recorded is reused for every frame until unpaused.
QRNCORE_API const profiler_frame_iterator_t &profiler_pause();
QRNCORE_API void profiler_unpause();
// Microseconds since the current frame started; 0 without a running profiler.
QRNCORE_API uint64_t profiler_elapsed_time();
// The root node and the first zone; null without a running profiler.
QRNCORE_API profiler_node_t *profiler_tree();
QRNCORE_API profiler_zone_t *profiler_zones();

}  // namespace quarn
