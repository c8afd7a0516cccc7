#include "kernel/plugins.h"

#include <cstdio>
#include <cstdlib>

#include "kernel/sys.h"
#include "qrncore/collections/bmem_manager.h"
#include "qrncore/collections/vptrlist.h"
#include "qrncore/strings/bit_scan.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/messages.h"

using quarn::dl_lib_t;

namespace quarn {

namespace {

constexpr unsigned NOT_FOUND = unsigned(-1);

dl_lib_t slots[DLL_SLOTS];
uint32_t used_mask = 0;
bmem_manager_t queue_pool;
vptrlist_t unload_queue;

bool is_used(uint32_t i) { return used_mask & (1u << i); }

dl_lib_t *find_by_name(const dl_lib_t &wanted) {
    for (uint32_t i = 0; i < DLL_SLOTS; ++i)
        if (is_used(i) && string(slots[i].get_file_name()) == wanted.get_file_name()) return &slots[i];
    return nullptr;
}

dl_lib_t *find_by_module(void *module) {
    for (uint32_t i = 0; i < DLL_SLOTS; ++i)
        if (is_used(i) && slots[i].get_module() == module) return &slots[i];
    return nullptr;
}

// The lowest free slot takes the record. A full table ends the program at once.
dl_lib_t *store(const dl_lib_t &record) {
    const uint32_t free_bits = ~used_mask & ((1u << DLL_SLOTS) - 1);
    if (!free_bits) {
        error("[sys] Too many libraries in the system - can not add '%s'", record.get_file_name());
        fflush(nullptr);
        // At once: no exit handlers, which would run with every service still up.
        std::_Exit(1);
    }
    const uint32_t i = v_bit_scan_forward_impl(free_bits);
    used_mask |= 1u << i;
    slots[i] = record;
    return &slots[i];
}

}  // namespace

void kernel_unload_plugins() {
    while (!unload_queue.is_empty()) {
        auto *slot = static_cast<dl_lib_t *>(unload_queue.remove_first());
        // A slot queued twice finds no module the second time.
        if (!slot->get_module() || !slot->unregister()) continue;
        used_mask &= ~(1u << uint32_t(slot - slots));
        *slot = dl_lib_t();
    }
}

bool plugin_args() {
    if (cdl_param("-load", 1) != NOT_FOUND) {
        // The names are copied first: registering may read the command line itself.
        const unsigned values = cdl_argc();
        for (unsigned i = 1; i < values; ++i) {
            const char *name = cdl_argv(i);
            if (!name) break;
            dll_register(name);
            cdl_param("-load", 1);  // the window again, in case a plug-in moved it
        }
    }
    bool executed = false;
    if (sys_run_failed()) {
        error("[sys] The run failed while the plug-ins loaded - nothing is executed");
    } else if (cdl_param("-exec", 1) == NOT_FOUND) {
        error("[sys] Nothing to execute: the command line has no -exec");
    } else if (cdl_argc() != 2) {
        error("can exec only one DLL!");
    } else {
        const dl_lib_t name(cdl_argv(1));
        executed = dll_register_and_execute(cdl_argv(1), 0, nullptr) != nullptr;
        if (!executed) error("[sys] Can not execute library '%s'", name.get_file_name());
    }
    cdl_param("-traceout", 1);
    return executed;
}

uint32_t dll_count() { return uint32_t(__builtin_popcount(used_mask)); }

void dll_table_forget() {
    for (dl_lib_t &slot : slots) slot = dl_lib_t();
    used_mask = 0;
    unload_queue.remove_all();
}

}  // namespace quarn

using namespace quarn;

dl_lib_t *dll_register(const char *name) {
    dl_lib_t record(name);
    if (dl_lib_t *slot = find_by_name(record)) return slot;
    if (!record.register_only()) return nullptr;
    return store(record);
}

dl_lib_t *dll_register_and_execute(const char *name, unsigned command, void *data) {
    dl_lib_t record(name);
    if (find_by_name(record)) {
        error("[sys] Tried to register and execute library that is already registered - '%s'", name);
        return nullptr;
    }
    if (!record.register_and_execute(command, data)) return nullptr;
    return store(record);
}

void *dll_handle(dl_lib_t *slot) { return slot ? slot->get_module() : dl_lib_t::get_main_handle(); }

void *dll_lookup_code(dl_lib_t *slot, const char *symbol) { return slot ? slot->lookup_code(symbol) : nullptr; }

void *dll_lookup_data(dl_lib_t *slot, const char *symbol) { return slot ? slot->lookup_data(symbol) : nullptr; }

void dll_ready_to_unload(void *module) {
    if (!module) return;
    dl_lib_t *slot = find_by_module(module);
    if (!slot) {
        error("[sys] There is no library with supplied handle.");
        return;
    }
    if (!unload_queue.get_pool()) unload_queue.init_mm(8, &queue_pool);
    unload_queue.append(slot);
}
