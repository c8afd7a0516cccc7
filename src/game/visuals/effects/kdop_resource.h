#pragma once
// The game-support resources and the k-DOP tree resource (docs/effects.md):
// - gamesup_resource_u: a resource unit that holds the game module while it is bound
//   to an item: binding calls the kernel's game-support lock hook, unbinding its
//   unlock hook (set_gamesup_lock_hooks, kernel/memory/m_server.h).
// - kdop_u (type "kdop"): a k-DOP tree read from a ".btr" file (btr_reader.h) into
//   the item's memory in the core's node layout, so the core's walks serve it; the
//   links follow the memory manager's moves.
// The ".btr" loader gives kdop_u to every name ending in ".btr" (any case); the
// visual-object module registers it. kdop_u_free_unreferenced, which the kernel calls
// while the module drains, frees and removes every kdop resource nobody references.
#include "outside/qrnshared/resource_loader.h"
#include "outside/qrnshared/resource_unit.h"

namespace quarn {

struct kdop_node_t;

class gamesup_resource_u : public resource_unit_u {
    QRN_UNIT_CLASS(gamesup_resource_u, resource_unit_u);

public:
    // The base's binding, then the lock hook.
    bool bind_item(c_item_t *item) override;
    // The unlock hook for a bound item, then the base's unbinding.
    void unbind_item(c_item_t *item) override;
};

class kdop_u : public gamesup_resource_u {
    QRN_UNIT_CLASS(kdop_u, gamesup_resource_u);

public:
    // Reads the item's ".btr" file into item memory; false ("[kdop]" error) when the
    // file is missing, larger than 4 GB, cannot be read or is broken.
    bool load_memory() override;
    // Moves the tree's links with the data.
    void post_move(void *old_data, void *new_data) override;

    // The tree's root, or null while the item holds no data. Hold the item locked
    // while the tree is walked.
    const kdop_node_t *get_root() const;
};

class btr_loader_t : public resource_loader_t {
public:
    bool detect_resource(const string &name, const string &extension) override;
    const unit_descriptor_t *get_resource_type(const string &name, const string &extension) override;
};

// The one loader record the visual-object module registers.
btr_loader_t &btr_loader();

// The kdop resource of a path, loaded, with one reference for the caller (give it
// back with release_ref); null when it cannot be had (logged).
c_item_t *kdop_obtain(const char *path);
// The tree of an item of kdop_u, or null.
const kdop_node_t *kdop_root_of(const c_item_t *item);

// Frees the memory of every kdop resource nobody references, then removes them.
// The kernel calls it (a weak reference) when the game module drains.
void kdop_u_free_unreferenced();

}  // namespace quarn
