#pragma once
// The memory manager's process "mm": it reserves the resource pool at boot, makes the
// engine's unit bank and unit system, registers the kernel's "plain" resource type
// with its fall-back loader and the five "mm_" console commands, and releases the
// resources still cached when the program shuts down. Every exported "mm_" function
// acts on the one process.
#include <cstddef>
#include <cstdint>

#include "kernel/api.h"
#include "kernel/memory/m_manager.h"
#include "outside/qrnshared/resource_loader.h"
#include "outside/qrnshared/resource_unit.h"
#include "outside/qrnshared/vprocess.h"

namespace quarn {

class unit_bank_t;
class unit_system_t;
class mm_process;

// The kernel's own resource type: the whole file named by the item, as it is.
class plain_u : public resource_unit_u {
    QRN_UNIT_CLASS(plain_u, resource_unit_u);

public:
    // Loads the item's file (ufs_plain_load); true when that gave data.
    bool load_memory() override;
    // Binds through the base and holds the "mm" process, so that it cannot end while
    // items are bound; unbinding lets go of it.
    bool bind_item(c_item_t *item) override;
    void unbind_item(c_item_t *item) override;

private:
    mm_process *m_held = nullptr;
};

// The loader asked last: it takes every name, as a "plain" resource.
class plain_loader_t : public resource_loader_t {
public:
    bool detect_resource(const string &name, const string &extension) override;
    const unit_descriptor_t *get_resource_type(const string &name, const string &extension) override;
};

// Where the pool comes from; replaceable for tests.
struct mm_pool_source_t {
    // Reserved, committed, zero-filled memory; null on failure.
    void *(*reserve)(size_t bytes);
    void (*release)(void *memory, size_t bytes);
    // The C heap, when the reservation fails.
    void *(*heap_alloc)(size_t bytes);
    void (*heap_free)(void *memory);
};

class mm_process : public vprocess_t {
public:
    static constexpr size_t DEFAULT_POOL = size_t(150) << 20;
    static constexpr size_t MIN_POOL = size_t(32) << 20;
    static constexpr size_t POOL_STEP = size_t(16) << 20;
    // Shutdown passes allowed before the process gives up (the 102nd aborts).
    static constexpr uint32_t MAX_SHUTDOWN_PASSES = 100;

    // Makes the bank and the unit system (which becomes the default), sizes and
    // reserves the pool (ending the program when not even 32 MiB can be had),
    // registers it, the "plain" type with its loader and the commands.
    explicit mm_process(const mm_pool_source_t *source = nullptr);
    // Releases what is left, the pool, the unit system and the bank.
    ~mm_process() override;

    // While draining (signal 2) every pass releases the cached resources, so that the
    // plain items let go of the process.
    void system() override;

    m_manager &get_manager() { return m_manager_; }
    void *get_pool_start() const { return m_pool_start; }
    size_t get_pool_size() const { return m_pool_size; }
    bool is_pool_from_heap() const { return m_pool_from_heap; }

private:
    void *m_pool_start = nullptr;
    size_t m_pool_size = 0;
    bool m_pool_from_heap = false;
    const mm_pool_source_t *m_source;
    plain_loader_t m_fallback_loader;
    m_manager m_manager_;
};

// The size to reserve: 150 MiB, or "-mm_pool_size" MiB when the option has exactly
// one value (read in any C base); at least 32 MiB, and no more than two thirds of
// total_physical.
size_t mm_pool_request(uint64_t total_physical);
// Reserves *size bytes from source, falling back to the C heap, and lowers the size by
// 16 MiB after each failure. Logs through process. Below 32 MiB it logs "Memory
// allocation failed." and ends the program with exit code -1.
void *mm_pool_alloc(const vprocess_t &process, const mm_pool_source_t &source, size_t *size, bool *from_heap);
// The platform's reservation and the C heap.
const mm_pool_source_t &mm_default_pool_source();

// The one process, or null.
mm_process *mm_get_process();
// Boot step 10: makes the process and adds it to the process table.
void mm_init();
// The running byte count of the system-heap wrappers.
size_t mem_sys_get_usage();

// Hooks of the game-support resource units: they hold and release the game module's
// process while they are bound to items.
using gamesup_lock_hook_t = void (*)();
using gamesup_unlock_hook_t = void (*)(unit_base_t *unit);
void set_gamesup_lock_hooks(gamesup_lock_hook_t lock, gamesup_unlock_hook_t unlock);
void gamesup_call_lock_hook();
void gamesup_call_unlock_hook(unit_base_t *unit);
// Forwards to the game's release of the unreferenced "kdop" resources
// (kdop_u_free_unreferenced), when the program has it.
void gamesup_release_unreferenced();

}  // namespace quarn

extern "C" {
// A raw block of pool memory: never moved, never evicted. Null without the process.
KERNEL_API void *mm_alloc_mem(size_t bytes);
// Frees a block of the pool (raw or item-owned); null does nothing.
KERNEL_API void mm_free_mem(void *memory);
// The engine's unit system and bank; null before and after the process lives.
KERNEL_API quarn::unit_system_t *get_engine_usystem();
KERNEL_API quarn::unit_bank_t *get_engine_ubank();

// The one way to reach a resource by name (m_manager::obtain).
KERNEL_API quarn::c_item_t *_mm_obtain_resource(int type, const char *name, const quarn::unit_descriptor_t *d,
                                                uint32_t flags);
// Refreshes the shared named item of that name; a refresh_result_t code.
KERNEL_API int mm_refresh_resource(const char *name);
// Logs the warning that belongs to a refresh code (nothing for 0).
KERNEL_API void mm_warn_refresh(int code, quarn::c_item_t *item);
KERNEL_API bool mm_register_loader(quarn::resource_loader_t *loader);
KERNEL_API void mm_unregister_loader(quarn::resource_loader_t *loader);
KERNEL_API void _mm_hw_free_unreferenced(int key, const quarn::unit_descriptor_t *d);
KERNEL_API void _mm_mem_free_unreferenced(int key, const quarn::unit_descriptor_t *d);
KERNEL_API void _mm_hw_free_all(int key, const quarn::unit_descriptor_t *d);
KERNEL_API void _mm_mem_free_all(int key, const quarn::unit_descriptor_t *d);
KERNEL_API void _mm_remove_unreferenced(int key, const quarn::unit_descriptor_t *d);
}

// The names by which other code calls these.
inline quarn::c_item_t *mm_obtain_resource(int type, const char *name, const quarn::unit_descriptor_t *d = nullptr,
                                          uint32_t flags = 0) {
    return _mm_obtain_resource(type, name, d, flags);
}
inline void mm_hw_free_all(int key = -1, const quarn::unit_descriptor_t *d = nullptr) { _mm_hw_free_all(key, d); }
inline void mm_mem_free_all(int key = -1, const quarn::unit_descriptor_t *d = nullptr) { _mm_mem_free_all(key, d); }
inline void mm_remove_unreferenced(int key = -1, const quarn::unit_descriptor_t *d = nullptr) {
    _mm_remove_unreferenced(key, d);
}
