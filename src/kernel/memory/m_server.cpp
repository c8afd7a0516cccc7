#include "kernel/memory/m_server.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "kernel/memory/mem_sys.h"
#include "kernel/process_table.h"
#include "outside/qrnshared/bindery.h"
#include "platform/memory.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/mem_info.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

// The game's release of its unreferenced "kdop" resources. The game program defines
// it; programs without the game (the kernel's tests) leave it null.
void kdop_u_free_unreferenced() __attribute__((weak));

QRN_UNIT_DEFINE(plain_u, "plain");

namespace {

mm_process *the_process = nullptr;
unit_bank_t *engine_bank = nullptr;
unit_system_t *engine_system = nullptr;
uint32_t shutdown_passes = 0;
gamesup_lock_hook_t gamesup_lock = nullptr;
gamesup_unlock_hook_t gamesup_unlock = nullptr;

constexpr unsigned NOT_FOUND = unsigned(-1);

template <class T, class... A>
T *host_make(A &&...args) {
    void *memory = qrncore_system_new(sizeof(T));
    return memory ? new (memory) T(static_cast<A &&>(args)...) : nullptr;
}

template <class T>
void host_unmake(T *object) {
    if (!object) return;
    object->~T();
    qrncore_system_delete(object);
}

void *reserve_virtual(size_t bytes) { return platform::memory_reserve(bytes); }
void release_virtual(void *memory, size_t bytes) { platform::memory_release(memory, bytes); }
// The heap's blocks are aligned to 16 bytes, as the pool needs.
void *heap_alloc(size_t bytes) { return malloc(bytes); }
void heap_free(void *memory) { ::free(memory); }

const mm_pool_source_t default_source{reserve_virtual, release_virtual, heap_alloc, heap_free};

// ---- console commands ----

int cmd_mm_dump(const cmd_context_t *c) {
    if (!the_process) return cmd_t::DONE;
    int mode = MM_DUMP_ITEMS;
    bool children = false;
    for (uint32_t i = 1; i < c->argc(); ++i) {
        for (const char *p = c->argv(i); *p; ++p) {
            switch (*p) {
                case '?':
                    message("Flags:");
                    message(" c - child item      m - memory-valid    h - HW valid");
                    message(" d - imm-destroy     M - in memory-LRU   D - memory-LRU disal");
                    message(" s - shared");
                    message(" r - referenced      f - fixed           l - locked");
                    return cmd_t::DONE;
                case 'b': mode = MM_DUMP_BLOCKS; break;
                case 'i': mode = MM_DUMP_ITEMS; break;
                case 'm': mode = MM_DUMP_MLRU; break;
                case 'c': children = !children; break;
                default: message("Usage: mm_dump [?bim] (help, blocks, items, mlru) [c] (children)"); return cmd_t::DONE;
            }
        }
    }
    the_process->get_manager().log_dump(mode, children);
    return cmd_t::DONE;
}

int cmd_mm_flush(const cmd_context_t *c) {
    if (c->argc() > 2 || (c->argc() == 2 && strcmp(c->argv(1), "?") == 0)) {
        message("usage: %s [hw-type]", c->argv(0));
        return cmd_t::DONE;
    }
    const int key = c->argc() == 2 ? int(v_strtol(c->argv(1), nullptr, 0)) : -1;
    _mm_hw_free_all(key, nullptr);
    _mm_mem_free_all(key, nullptr);
    _mm_remove_unreferenced(key, nullptr);
    return cmd_t::DONE;
}

int cmd_mm_defrag(const cmd_context_t *) {
    if (!the_process) return cmd_t::DONE;
    m_manager &m = the_process->get_manager();
    m.mem_free_all(-1, nullptr);
    m.remove_unreferenced(-1, nullptr);
    m.defragment(SIZE_MAX);
    return cmd_t::DONE;
}

int cmd_mm_sys(const cmd_context_t *) {
    message("system memory usage : %zu bytes", mem_sys_get_usage());
    return cmd_t::DONE;
}

int cmd_mm_check(const cmd_context_t *) {
    if (the_process) the_process->get_manager().check_integrity();
    return cmd_t::DONE;
}

cmd_t commands[] = {
    {"mm_dump", cmd_mm_dump}, {"mm_flush", cmd_mm_flush}, {"mm_defrag", cmd_mm_defrag},
    {"mm_sys", cmd_mm_sys},   {"mm_check", cmd_mm_check},
};

void bind_commands(int phase) {
    bindery_t b(phase);
    for (cmd_t &c : commands) b.update_cmd(c);
}

}  // namespace

// ---- the "plain" type ----

bool plain_u::load_memory() { return ufs_plain_load(get_item()) != nullptr; }

bool plain_u::bind_item(c_item_t *item) {
    if (!resource_unit_u::bind_item(item)) return false;
    m_held = the_process;
    if (m_held) m_held->lock();
    return true;
}

void plain_u::unbind_item(c_item_t *item) {
    if (m_held) m_held->unlock();
    m_held = nullptr;
    resource_unit_u::unbind_item(item);
}

bool plain_loader_t::detect_resource(const string &, const string &) { return true; }

const unit_descriptor_t *plain_loader_t::get_resource_type(const string &, const string &) {
    return &plain_u::unit_descriptor;
}

// ---- the pool ----

size_t mm_pool_request(uint64_t total_physical) {
    uint64_t requested = mm_process::DEFAULT_POOL;
    if (cdl_param("-mm_pool_size", 1) != NOT_FOUND && cdl_argc() == 2) {
        // In 64 bits: a 32-bit product would wrap for 4096 MiB and more.
        requested = uint64_t(v_strtoul(cdl_argv(1), nullptr, 0)) << 20;
    }
    if (requested < mm_process::MIN_POOL) return mm_process::MIN_POOL;
    const uint64_t limit = total_physical * 2 / 3;
    return size_t(requested < limit ? requested : limit);
}

void *mm_pool_alloc(const vprocess_t &process, const mm_pool_source_t &source, size_t *size, bool *from_heap) {
    while (*size >= mm_process::MIN_POOL) {
        process.message("Trying to allocate memory pool (%zuK)", *size >> 10);
        if (void *memory = source.reserve(*size)) {
            *from_heap = false;
            return memory;
        }
        process.error("Virtual memory allocation failed... error code %d", errno);
        process.message("Using malloc fallback.");
        if (void *memory = source.heap_alloc(*size)) {
            *from_heap = true;
            return memory;
        }
        *size -= mm_process::POOL_STEP;
    }
    process.error("Memory allocation failed.");
    exit(-1);
}

const mm_pool_source_t &mm_default_pool_source() { return default_source; }

// ---- the process ----

mm_process::mm_process(const mm_pool_source_t *source)
    : vprocess_t(0), m_source(source ? source : &default_source), m_manager_(nullptr) {
    set_name("mm");
    // The count is kept per process: a program makes one, but a test program makes
    // many, and their passes would add up to the limit.
    shutdown_passes = 0;
    engine_bank = host_make<unit_bank_t>();
    engine_system = engine_bank ? host_make<unit_system_t>(*engine_bank) : nullptr;
    if (!engine_system) V_ABORT("[mem] no memory for the engine's unit system");
    // The engine's system is the program's only one: units read from files and
    // resource units live in it from boot on.
    engine_system->set_default();
    resource_unit_u::register_class(*engine_bank);
    plain_u::register_class(*engine_bank);
    m_manager_.set_unit_system(engine_system);

    unsigned total_phys, free_phys, total_virt, free_virt;
    mem_info(&total_phys, &free_phys, &total_virt, &free_virt);
    message("physical memory detected (%uK/%uK)", total_phys >> 10, free_phys >> 10);
    message("virtual memory detected (%uK/%uK)", total_virt >> 10, free_virt >> 10);
    m_pool_size = mm_pool_request(total_phys);
    m_pool_start = mm_pool_alloc(*this, *m_source, &m_pool_size, &m_pool_from_heap);
    m_manager_.add_pool(m_pool_start, m_pool_size);
    the_process = this;
    m_manager_.register_loader(&m_fallback_loader);
    bind_commands(bindery_t::REGISTER);
}

mm_process::~mm_process() {
    bind_commands(bindery_t::UNREGISTER);
    m_manager_.unregister_loader(&m_fallback_loader);
    m_manager_.hw_free_all(-1, nullptr);
    m_manager_.mem_free_all(-1, nullptr);
    m_manager_.remove_unreferenced(-1, nullptr);
    m_manager_.remove_unreferenced(-1, nullptr);
    m_manager_.remove_pool(m_pool_start);
    if (m_pool_from_heap) m_source->heap_free(m_pool_start);
    else m_source->release(m_pool_start, m_pool_size);
    the_process = nullptr;
    host_unmake(engine_system);
    host_unmake(engine_bank);
    engine_system = nullptr;
    engine_bank = nullptr;
}

void mm_process::system() {
    if (signal == SIGNAL_DRAINING) {
        if (shutdown_passes > MAX_SHUTDOWN_PASSES) {
            m_manager_.log_dump(MM_DUMP_ITEMS, false);
            v_abort_fail("[mem] Number of safe iterations exceeded, aborting...", "m_server", __LINE__, __func__);
        }
        ++shutdown_passes;
        m_manager_.mem_free_unreferenced(-1, &plain_u::unit_descriptor);
        m_manager_.hw_free_unreferenced(-1, nullptr);
        m_manager_.mem_free_unreferenced(-1, nullptr);
        m_manager_.remove_unreferenced(-1, nullptr);
    }
    vprocess_t::system();
}

mm_process *mm_get_process() { return the_process; }

void mm_init() {
    mm_process *p = new mm_process;
    if (!p) V_ABORT("[mem] no memory for the memory manager's process");
    process_add(p, 0);
}

// ---- game support ----

void set_gamesup_lock_hooks(gamesup_lock_hook_t lock, gamesup_unlock_hook_t unlock) {
    gamesup_lock = lock;
    gamesup_unlock = unlock;
}

void gamesup_call_lock_hook() {
    if (gamesup_lock) gamesup_lock();
}

void gamesup_call_unlock_hook(unit_base_t *unit) {
    if (gamesup_unlock) gamesup_unlock(unit);
}

void gamesup_release_unreferenced() {
    if (kdop_u_free_unreferenced) kdop_u_free_unreferenced();
}

}  // namespace quarn

using namespace quarn;

void *mm_alloc_mem(size_t bytes) { return the_process ? the_process->get_manager().alloc(bytes, nullptr) : nullptr; }

void mm_free_mem(void *memory) {
    if (memory && the_process) the_process->get_manager().free(memory);
}

unit_system_t *get_engine_usystem() { return engine_system; }

unit_bank_t *get_engine_ubank() { return engine_bank; }

c_item_t *_mm_obtain_resource(int type, const char *name, const unit_descriptor_t *d, uint32_t flags) {
    if (type < MM_ANONYMOUS || type > MM_NAMED_LOAD_REF) {
        error("[mem] Unknown resource request type %d for '%s'.", type, name ? name : "");
        return nullptr;
    }
    return the_process ? the_process->get_manager().obtain(type, name, d, flags) : nullptr;
}

int mm_refresh_resource(const char *name) {
    return the_process ? the_process->get_manager().refresh_resource(name) : int(REFRESH_FAILED);
}

void mm_warn_refresh(int code, c_item_t *item) {
    const char *name = item ? item->get_name() : "";
    switch (code) {
        case REFRESH_DONE: return;
        case REFRESH_ANONYMOUS: warning("[mem] Could not refresh anonymous resource."); return;
        case REFRESH_ALIAS: warning("[mem] Could not refresh resource '%s', because it is an alias.", name); return;
        case REFRESH_UNSUPPORTED: warning("[mem] The resource '%s' does not support refreshing.", name); return;
        case REFRESH_LOCKED:
            warning("[mem] The resource '%s' could not be refreshed because it is locked.", name);
            return;
        case REFRESH_FIXED:
            warning("[mem] The resource '%s' could not be refreshed because it is fixed in memory.", name);
            return;
        case REFRESH_CHANGED_TOO_MUCH:
            warning("[mem] The resource '%s' could not be refreshed because it changed too much.", name);
            return;
        default: warning("[mem] The resource '%s' could not be refreshed.", name); return;
    }
}

bool mm_register_loader(resource_loader_t *loader) {
    return the_process && loader && the_process->get_manager().register_loader(loader);
}

void mm_unregister_loader(resource_loader_t *loader) {
    if (the_process && loader) the_process->get_manager().unregister_loader(loader);
}

void _mm_hw_free_unreferenced(int key, const unit_descriptor_t *d) {
    if (the_process) the_process->get_manager().hw_free_unreferenced(key, d);
}

void _mm_mem_free_unreferenced(int key, const unit_descriptor_t *d) {
    if (the_process) the_process->get_manager().mem_free_unreferenced(key, d);
}

void _mm_hw_free_all(int key, const unit_descriptor_t *d) {
    if (the_process) the_process->get_manager().hw_free_all(key, d);
}

void _mm_mem_free_all(int key, const unit_descriptor_t *d) {
    if (the_process) the_process->get_manager().mem_free_all(key, d);
}

void _mm_remove_unreferenced(int key, const unit_descriptor_t *d) {
    if (the_process) the_process->get_manager().remove_unreferenced(key, d);
}
