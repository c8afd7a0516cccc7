// The loader plug-in "lib/loaders": it registers the resource types that no game part
// registers itself. Today that is the ".def" type: the class "def" of the shared
// layer (def_resource_u, whose item data is a def_pool_t) goes into the engine's unit
// bank, and a loader gives that class to every name ending in ".def" (any case). Like
// every plug-in it links only the core and the outside layers and binds the kernel's
// functions by name from the program.
#include <strings.h>

#include "outside/qrnshared/def_resource.h"
#include "outside/qrnshared/dlguard_proc.h"
#include "outside/qrnshared/resource_loader.h"
#include "platform/modules.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"

namespace quarn {
namespace {

struct kernel_t {
    int (*process_add)(vprocess_t *, int);
    bool (*register_loader)(resource_loader_t *);
    void (*unregister_loader)(resource_loader_t *);
    unit_bank_t *(*engine_bank)();
};

kernel_t kernel{};

template <class F>
bool bind(F &function, void *module, const char *name) {
    function = reinterpret_cast<F>(platform::module_symbol(module, name));
    if (!function) error("[loaders] The program does not offer '%s'", name);
    return function != nullptr;
}

class def_loader_t : public resource_loader_t {
public:
    bool detect_resource(const string &, const string &extension) override {
        return strcasecmp(extension.c_str(), "def") == 0;
    }
    const unit_descriptor_t *get_resource_type(const string &, const string &) override {
        return &def_resource_u::unit_descriptor;
    }
};

def_loader_t def_loader;

// Guards the module: the plug-in is unloaded after this process is gone, and then
// takes its loader out of the memory manager.
class loaders_proc_t : public dlguard_proc_t {
public:
    explicit loaders_proc_t(void *module) : dlguard_proc_t(module, 0) { set_name("loaders"); }
};

class loaders_ops_t : public dl_ops_t {
public:
    bool dl_symbols(void *main_module, void *) override {
        kernel = {};
        return bind(kernel.process_add, main_module, "process_add") &&
               bind(kernel.register_loader, main_module, "mm_register_loader") &&
               bind(kernel.unregister_loader, main_module, "mm_unregister_loader") &&
               bind(kernel.engine_bank, main_module, "get_engine_ubank");
    }
    bool dl_register(void *, void *module) override {
        unit_bank_t *bank = kernel.engine_bank();
        if (!bank) {
            error("[loaders] The program has no engine unit bank - no resource type is registered");
            return false;
        }
        if (!def_resource_u::register_class(*bank)) return false;
        if (!kernel.register_loader(&def_loader)) {
            error("[loaders] The memory manager refused the loader of '.def' files");
            return false;
        }
        if (loaders_proc_t *process = new loaders_proc_t(module)) kernel.process_add(process, 0);
        message("[loaders] resource type 'def' registered");
        return true;
    }
    bool dl_unregister(void *, void *) override {
        // The class stays in the bank: it lives in the shared layer, which outlives
        // the plug-in, and items of it may still be cached.
        if (def_loader.registered) kernel.unregister_loader(&def_loader);
        message("[loaders] resource loaders unregistered");
        return true;
    }
};

}  // namespace
}  // namespace quarn

extern "C" __attribute__((visibility("default"))) quarn::dl_ops_t *loaders_get_dl_ops() {
    static quarn::loaders_ops_t ops;
    return &ops;
}
