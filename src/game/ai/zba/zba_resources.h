#pragma once
// The resource types of the behaviour system, and the ".zba" loader:
// - zba_u: a loaded behaviour file. Its item's data is the block the parser built,
//   copied unchanged; the file's runtime (model descriptor, compiled programs) lives
//   in the unit beside it. Bound to its item, it is pinned (never evicted by age), so
//   it stays loaded when its last lock goes.
// - zba_inst_u: the animation instance of one model (zba_inst.h).
// - zba_proc_u: a compiled behaviour program, or a running copy of one (zba_proc.h).
// The game module registers the classes and the loader when it registers, installs
// its lock hooks, frees what nothing references while it drains and takes the loader
// back at its end (the rows in zba_resources.cpp).
#include "game/ai/zba/zba_info.h"
#include "game/ai/zba/zba_inst.h"
#include "game/ai/zba/zba_proc.h"
#include "outside/qrnshared/resource_loader.h"
#include "outside/qrnshared/resource_unit.h"

namespace quarn {

class unit_bank_t;

class zba_u : public resource_unit_u {
    QRN_UNIT_CLASS(zba_u, resource_unit_u);

public:
    // Parses the item's file, initialises it with the game's model source
    // (zba_set_model_source) and puts the block into item memory. False, logged, when
    // any step fails: the item then holds nothing.
    bool load_memory() override;
    // Lets the runtime go (zba_info_t::unload) and gives the memory back.
    void unload_memory() override;
    // Binds and pins the item.
    bool bind_item(c_item_t *item) override;
    // A file still loaded when its item goes is unloaded first.
    void unbind_item(c_item_t *item) override;

    // The loaded file; a null info while the item holds no data. The block is where
    // the item's data is now: hold the item locked while the info is used.
    zba_info_t info();
    // The same for an item of this class; a null info for another item.
    static zba_info_t info_of(c_item_t *item);

private:
    zba_runtime_t m_runtime;
};

// The loader that gives zba_u to every name ending in ".zba" (any case). Loads and
// unloads of zba_u items call its lock and unlock hooks, so that whatever owns the
// hooks outlives every loaded file.
class zba_loader_t : public resource_loader_t {
public:
    using hook_t = void (*)();

    bool detect_resource(const string &name, const string &extension) override;
    const unit_descriptor_t *get_resource_type(const string &name, const string &extension) override;

    hook_t lock = nullptr;
    hook_t unlock = nullptr;
};

// The one loader record.
zba_loader_t &zba_loader();
// Registers zba_u, zba_inst_u and zba_proc_u with the bank; false when one is refused.
bool zba_register_classes(unit_bank_t &bank);
// Registers / takes back the loader with the memory manager.
bool zba_register_loader();
void zba_unregister_loader();
// Installs the hooks that loads and unloads call (null: none).
void zba_set_loader_lock(zba_loader_t::hook_t lock, zba_loader_t::hook_t unlock);
// Frees, then removes, every unreferenced zba_u resource, then every unreferenced
// zba_proc_u resource (the files' caches hold programs, so they go first).
void zba_free_unreferenced();

// The ".zba" resource of a path, found or made without loading it (it loads on its
// first lock); null when the name is taken by another class (the memory manager
// logs it). No reference is taken for the caller.
c_item_t *zba_obtain(const char *path);

}  // namespace quarn
